#pragma once
// A label that works as a web link: blue text, the hand cursor, and a click,
// or Space or Enter once it has the focus (it takes the focus from Tab, and
// shows it), emits clicked().

#include <QLabel>

class LinkLabel : public QLabel {
  Q_OBJECT

 public:
  explicit LinkLabel(QWidget* parent = nullptr);

 signals:
  void clicked();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  bool pressed_ = false;
};
