#pragma once
// A drop-down list whose closed box ends the current item with "…" when the
// item is wider than the box, instead of cutting it off mid-word. The open
// list still shows every item whole.

#include <QComboBox>

class TElidingComboBox : public QComboBox {
  Q_OBJECT

 public:
  explicit TElidingComboBox(QWidget* parent = nullptr);

  // The text the closed box shows for its current item.
  QString DisplayedText() const;
  // The room the closed box has for that text.
  QRect TextRect() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
};
