#include "ui/widgets/WrapLabel.h"

int TWrapLabel::heightForWidth(int width) const {
  if (text() != text_ || font() != font_) {
    heights_.fill({});
    text_ = text();
    font_ = font();
  }
  for (const Entry& entry : heights_)
    if (entry.width == width) return entry.height;
  const int height = QLabel::heightForWidth(width);
  heights_[next_] = {width, height};
  next_ = (next_ + 1) % heights_.size();
  return height;
}
