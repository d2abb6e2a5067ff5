#pragma once
// The options tree beside the pages: its captions wrap, whole, at the width
// it has, and it scrolls by pixels, never sideways.

#include <QTreeWidget>

class OptionsTree : public QTreeWidget {
  Q_OBJECT

 public:
  // Set up before its nodes arrive, so that nothing is measured until the
  // window lays the tree out.
  explicit OptionsTree(QWidget* parent = nullptr);
};
