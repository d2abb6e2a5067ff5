#include "ui/widgets/WrapLabel.h"

#include <QFontMetrics>
#include <QFontMetricsF>
#include <QRectF>
#include <QStyle>
#include <QTextDocument>
#include <QTextLayout>
#include <QTextOption>
#include <algorithm>
#include <cmath>

namespace {

// The shaped text keeps a running sum of the widths of every line laid out
// in it, which would overflow its fixed-point numbers after some 30 million
// pixels: well before, the text is shaped anew.
constexpr qreal kReshapeAfterWidth = 1e6;

}  // namespace

TWrapLabel::~TWrapLabel() = default;

TWrapLabel::Shape TWrapLabel::CurrentShape() const {
  Shape shape;
  shape.margin = margin();
  shape.indent = indent();
  shape.frameWidth = frameWidth();
  shape.contents = contentsMargins();
  shape.minimum = minimumSize();
  shape.maximumWidth = maximumWidth();
  shape.alignment = alignment();
  // The cases the label measures through a text document, or with its
  // shortcut's "&" taken out, or with tabs set to stops, and an empty label
  // (which may or may not count as one with text): left to it.
  const QString shown = text();
  shape.plain = wordWrap() && !shown.isEmpty() && !buddy() && focusPolicy() == Qt::NoFocus &&
                !(textInteractionFlags() & (Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard)) &&
                (textFormat() == Qt::PlainText || (textFormat() == Qt::AutoText && !Qt::mightBeRichText(shown))) &&
                !shown.contains(QLatin1Char('\t')) && !shown.contains(QChar(0x9c)) && pixmap().isNull();
  return shape;
}

bool TWrapLabel::Renew() const {
  const Shape shape = CurrentShape();
  const bool reshape = text() != text_ || font() != font_ || shape.alignment != shape_.alignment;
  if (reshape || !(shape == shape_)) {
    heights_.fill({});
    hinted_ = false;
  }
  if (reshape) {
    text_ = text();
    font_ = font();
    layout_.reset();
  }
  if (shape.plain && (!layout_ || layout_->maximumWidth() > kReshapeAfterWidth)) {
    // As the label's measure prepares a text: a line feed ends a line, a
    // carriage return is a blank.
    QString prepared = text_;
    prepared.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QChar::LineSeparator);
    layout_ = std::make_unique<QTextLayout>(prepared, font_);
    QTextOption option;
    option.setTextDirection(Qt::LeftToRight);
    option.setAlignment((shape.alignment & Qt::AlignJustify) ? Qt::AlignJustify : Qt::AlignLeft);
    layout_->setTextOption(option);
    layout_->setCacheEnabled(true);
    // One layout pass left open: each width clears the lines and breaks the
    // text again, and the shaped glyphs stay.
    layout_->beginLayout();
  }
  shape_ = shape;
  return shape.plain;
}

QRect TWrapLabel::TextBox(int width) const {
  layout_->clearLayout();
  const qreal lineWidth = std::max<qreal>(0, width);
  const qreal leading = QFontMetricsF(font_).leading();
  qreal height = -leading;
  qreal widest = 0;
  for (QTextLine line = layout_->createLine(); line.isValid(); line = layout_->createLine()) {
    line.setLineWidth(lineWidth);
    // Each line starts on a whole pixel.
    height = std::ceil(height + leading);
    line.setPosition(QPointF(0, height));
    height += line.ascent() + line.descent() + (line.leadingIncluded() ? std::max<qreal>(0, line.leading()) : 0);
    widest = std::max(widest, line.naturalTextWidth());
  }
  return QRectF(0, 0, widest, height).toAlignedRect();
}

QSize TWrapLabel::SizeForWidth(int width) const {
  if (minimumWidth() > 0) width = std::max(width, minimumWidth());
  const QSize contents(shape_.contents.left() + shape_.contents.right(),
                       shape_.contents.top() + shape_.contents.bottom());
  int hextra = 2 * shape_.margin;
  int vextra = hextra;
  const QFontMetrics metrics(font_);
  const Qt::Alignment align =
      QStyle::visualAlignment(text_.isRightToLeft() ? Qt::RightToLeft : Qt::LeftToRight, shape_.alignment);
  int indent = shape_.indent;
  if (indent < 0 && shape_.frameWidth) indent = metrics.horizontalAdvance(QLatin1Char('x')) - shape_.margin * 2;
  if (indent > 0) {
    if (align & (Qt::AlignLeft | Qt::AlignRight)) hextra += indent;
    if (align & (Qt::AlignTop | Qt::AlignBottom)) vextra += indent;
  }
  // No width given: a paragraph near the golden ratio, as the label makes
  // its preferred size.
  const bool tryWidth = width < 0;
  if (tryWidth) width = std::min(metrics.averageCharWidth() * 80, shape_.maximumWidth);
  width -= hextra + contents.width();
  QRect box = TextBox(width);
  if (tryWidth && box.height() < 4 * metrics.lineSpacing() && box.width() > width / 2) box = TextBox(width / 2);
  if (tryWidth && box.height() < 2 * metrics.lineSpacing() && box.width() > width / 4) box = TextBox(width / 4);
  return (QSize(box.width() + hextra, box.height() + vextra) + contents).expandedTo(shape_.minimum);
}

int TWrapLabel::heightForWidth(int width) const {
  if (!Renew()) return QLabel::heightForWidth(width);
  for (const Entry& entry : heights_)
    if (entry.width == width) return entry.height;
  const int height = SizeForWidth(width).height();
  heights_[next_] = {width, height};
  next_ = (next_ + 1) % heights_.size();
  return height;
}

QSize TWrapLabel::minimumSizeHint() const {
  ensurePolished();
  if (!Renew()) return QLabel::minimumSizeHint();
  if (!hinted_) {
    hint_ = SizeForWidth(-1);
    // One line's height, and the longest word's width.
    minimumHint_ = QSize(SizeForWidth(0).width(), std::min(SizeForWidth(QWIDGETSIZE_MAX).height(), hint_.height()));
    hinted_ = true;
  }
  return minimumHint_;
}

QSize TWrapLabel::sizeHint() const {
  ensurePolished();
  if (!Renew()) return QLabel::sizeHint();
  (void)minimumSizeHint();
  return hint_;
}
