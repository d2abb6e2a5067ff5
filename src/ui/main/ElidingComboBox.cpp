#include "ui/main/ElidingComboBox.h"

#include <QStyleOptionComboBox>
#include <QStylePainter>

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
