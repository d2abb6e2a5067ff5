#pragma once
// A word-wrapped explanation label that remembers its heights.

#include <QFont>
#include <QLabel>
#include <QString>
#include <array>

// Bringing a page to the front asks every wrapped label on it for its
// height at the page's width, some of them several times over, and a label
// works that out by shaping its whole text again. This one keeps its last
// few answers for as long as its text and font stay the same.
class TWrapLabel : public QLabel {
  Q_OBJECT

 public:
  using QLabel::QLabel;
  int heightForWidth(int width) const override;

 private:
  struct Entry {
    int width = -1;
    int height = 0;
  };
  mutable std::array<Entry, 8> heights_;
  mutable std::size_t next_ = 0;
  mutable QString text_;
  mutable QFont font_;
};
