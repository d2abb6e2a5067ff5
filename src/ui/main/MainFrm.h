#pragma once
// TMainFrm: the editor window of one firebird.conf.

#include <QMainWindow>
#include <memory>

namespace Ui {
class TMainFrm;
}

class TMainFrm : public QMainWindow {
  Q_OBJECT

 public:
  explicit TMainFrm(QWidget* parent = nullptr);
  ~TMainFrm() override;

  Ui::TMainFrm* form() const { return ui.get(); }

 private:
  // Fonts, fixed size, centring and the scrolling pages.
  void SetUpLayout();

  std::unique_ptr<Ui::TMainFrm> ui;
};
