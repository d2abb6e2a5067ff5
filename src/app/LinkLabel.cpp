#include "app/LinkLabel.h"

#include <QKeyEvent>
#include <QMouseEvent>

LinkLabel::LinkLabel(QWidget* parent) : QLabel(parent) {
  QPalette blue = palette();
  blue.setColor(QPalette::WindowText, QColor(0, 0, 255));
  setPalette(blue);
  setCursor(Qt::PointingHandCursor);
  setTextFormat(Qt::PlainText);
}

void LinkLabel::mousePressEvent(QMouseEvent* event) {
  pressed_ = event->button() == Qt::LeftButton;
  QLabel::mousePressEvent(event);
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event) {
  // A press dragged off the label before release is no click.
  const bool click = pressed_ && event->button() == Qt::LeftButton &&
                     rect().contains(event->position().toPoint());
  pressed_ = false;
  QLabel::mouseReleaseEvent(event);
  if (click) emit clicked();
}

void LinkLabel::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
      emit clicked();
      return;
    default:
      QLabel::keyPressEvent(event);
  }
}

void LinkLabel::focusInEvent(QFocusEvent* event) {
  Underline(true);
  QLabel::focusInEvent(event);
}

void LinkLabel::focusOutEvent(QFocusEvent* event) {
  Underline(false);
  QLabel::focusOutEvent(event);
}

void LinkLabel::Underline(bool on) {
  QFont f = font();
  f.setUnderline(on);
  setFont(f);
}
