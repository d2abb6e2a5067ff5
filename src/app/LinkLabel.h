#pragma once
// A label that works as a web link: blue text and the hand cursor by default,
// clicked() on a left click. When it is given the keyboard focus (focus
// policy set in the layout), it shows it underlined and Enter or Space click
// it too.

#include <QLabel>

class LinkLabel : public QLabel {
  Q_OBJECT

 public:
  explicit LinkLabel(QWidget* parent = nullptr);

 signals:
  void clicked();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  void Underline(bool on);
  bool pressed_ = false;
};
