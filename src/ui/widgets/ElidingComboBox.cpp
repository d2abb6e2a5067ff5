#include "ui/widgets/ElidingComboBox.h"

#include <QAbstractItemView>
#include <QScreen>
#include <QStyleOptionComboBox>
#include <QStylePainter>
#include <algorithm>

namespace {
// The styles draw the label one pixel in from each side of the edit field.
constexpr int kLabelInset = 1;
}  // namespace

TElidingComboBox::TElidingComboBox(QWidget* parent) : QComboBox(parent) {}

QRect TElidingComboBox::TextRect() const {
  QStyleOptionComboBox option;
  initStyleOption(&option);
  return style()
      ->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this)
      .adjusted(kLabelInset, 0, -kLabelInset, 0);
}

QString TElidingComboBox::DisplayedText() const {
  QStyleOptionComboBox option;
  initStyleOption(&option);
  if (currentIndex() < 0 && !placeholderText().isEmpty()) option.currentText = placeholderText();
  QRect room = TextRect();
  // An item's icon shares the edit field, the styles leave 4 pixels after it.
  if (!option.currentIcon.isNull())
    room.setLeft(room.left() + option.iconSize.width() + 4);
  return fontMetrics().elidedText(option.currentText, Qt::ElideRight, room.width());
}

void TElidingComboBox::paintEvent(QPaintEvent*) {
  // QComboBox::paintEvent, with the label shortened to what fits.
  QStylePainter painter(this);
  painter.setPen(palette().color(QPalette::Text));
  QStyleOptionComboBox option;
  initStyleOption(&option);
  painter.drawComplexControl(QStyle::CC_ComboBox, option);
  if (currentIndex() < 0 && !placeholderText().isEmpty())
    option.palette.setBrush(QPalette::ButtonText, option.palette.placeholderText());
  option.currentText = DisplayedText();
  painter.drawControl(QStyle::CE_ComboBoxLabel, option);
}

void TElidingComboBox::showPopup() {
  QComboBox::showPopup();
  QAbstractItemView* list = view();
  QWidget* popup = list->window();
  if (popup == window() || !popup->screen()) return;
  const QRect room = popup->screen()->availableGeometry();
  QRect frame = popup->geometry();
  // Wide enough for the longest item, which may be longer than the box is
  // wide (some styles open the list only as wide as the box)...
  const int missing = list->sizeHintForColumn(0) - list->viewport()->width();
  if (missing > 0) frame.setWidth(frame.width() + missing);
  // ...as far as the screen has room, and moved onto it where it sticks out.
  frame.setWidth(std::min(frame.width(), room.width()));
  if (frame.right() > room.right()) frame.moveRight(room.right());
  if (frame.left() < room.left()) frame.moveLeft(room.left());
  if (frame != popup->geometry()) popup->setGeometry(frame);
}
