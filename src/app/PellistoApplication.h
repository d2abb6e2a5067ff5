#pragma once
// The application object. What it does holds for every window and dialog of
// the program, without their doing anything for it:
// - an error that escapes an event handler ends in the error box;
// - the mouse wheel over a drop-down list or a spin box that does not have
//   the keyboard focus scrolls the page around it and never changes the
//   value: an admin scrolling through a page must not change a setting on
//   the way.

#include <QApplication>

class PellistoApplication : public QApplication {
 public:
  PellistoApplication(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;
};
