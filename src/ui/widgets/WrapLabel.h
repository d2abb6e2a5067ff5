#pragma once
// A word-wrapped explanation label that shapes its text once.

#include <QFont>
#include <QLabel>
#include <QMargins>
#include <QSize>
#include <QString>
#include <QTextLayout>
#include <array>
#include <memory>

// Bringing a page to the front asks every wrapped label on it for its sizes
// (its preferred and least size, and its height at several widths as the
// page's layout settles), and a label works each out by shaping its whole
// text again: most of what showing a page costs. This one shapes its text
// once, while the text and font stay the same, and breaks the shaped text
// into lines at each width asked for, by the same rules as the label's own
// measure, so that every size comes out as the label's own would. A label
// whose text is rich, selectable, has a shortcut or holds tabs is measured
// by the label itself.
class TWrapLabel : public QLabel {
  Q_OBJECT

 public:
  using QLabel::QLabel;
  ~TWrapLabel() override;
  int heightForWidth(int width) const override;
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 private:
  // What the sizes depend on besides the text and the font.
  struct Shape {
    int margin = 0;
    int indent = 0;
    int frameWidth = 0;
    QMargins contents;
    QSize minimum;
    int maximumWidth = 0;
    Qt::Alignment alignment;
    bool plain = false;
    bool operator==(const Shape&) const = default;
  };
  Shape CurrentShape() const;
  // Drops what was worked out for another text, font or shape; true when
  // the label can measure itself this way.
  bool Renew() const;
  QRect TextBox(int width) const;
  QSize SizeForWidth(int width) const;

  struct Entry {
    int width = -1;
    int height = 0;
  };
  mutable std::array<Entry, 8> heights_;
  mutable std::size_t next_ = 0;
  mutable QString text_;
  mutable QFont font_;
  mutable Shape shape_;
  mutable bool hinted_ = false;
  mutable QSize hint_;
  mutable QSize minimumHint_;
  mutable std::unique_ptr<QTextLayout> layout_;
};
