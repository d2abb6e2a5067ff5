#pragma once
// A drop-down list whose closed box ends the current item with "…" when the
// item is wider than the box, instead of cutting it off mid-word. The open
// list shows every item whole, wider than the box where it must be, and
// stays on the screen.

#include <QComboBox>

class TElidingComboBox : public QComboBox {
  Q_OBJECT

 public:
  explicit TElidingComboBox(QWidget* parent = nullptr);

  // The text the closed box shows for its current item.
  QString DisplayedText() const;
  // The room the closed box has for that text.
  QRect TextRect() const;

  void showPopup() override;

 protected:
  void paintEvent(QPaintEvent* event) override;
};
