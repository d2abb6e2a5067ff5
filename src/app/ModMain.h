#pragma once
// TModMainDM: the program's data module. Created first at start and kept
// for the whole run; it holds nothing yet and is never a window.

#include <QObject>

class TModMainDM : public QObject {
  Q_OBJECT

 public:
  explicit TModMainDM(QObject* parent = nullptr);
};
