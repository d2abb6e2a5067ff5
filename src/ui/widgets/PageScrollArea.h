#pragma once
// The scroll area that holds one option page.

#include <QScrollArea>

// The tab widget asks every page for its size hints, the hidden ones too,
// and a scroll area answers with its content's, which means laying out
// every wrapped explanation of all ten pages before the window can show.
// The window's size is fixed and a page scrolls whatever it holds, so the
// page does not need its content's size: it answers the plain scroll area's
// hint, and a page's texts are laid out when the page comes to the front.
class TPageScrollArea : public QScrollArea {
  Q_OBJECT

 public:
  using QScrollArea::QScrollArea;
  QSize sizeHint() const override { return QAbstractScrollArea::sizeHint(); }
};
