#pragma once
// A folder list (the access policies' and the temporary folders'): a list
// whose entries keep a few pixels off the frame, as an edit box's text does.

#include <QListWidget>

class TFolderList : public QListWidget {
  Q_OBJECT

 public:
  explicit TFolderList(QWidget* parent = nullptr) : QListWidget(parent) {
    // A margin rather than a style sheet's padding: a widget under a style
    // sheet no longer takes its font from its group, which the search sets
    // in bold.
    setViewportMargins(2, 2, 2, 2);
    // The margin shows the list's field colour, not the window's.
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
  }
};
