#pragma once
// TAboutFrm: the running version, notices and web links. Its texts are shown
// as written, in every language.

#include <QDialog>
#include <memory>

namespace Ui {
class TAboutFrm;
}

class TAboutFrm : public QDialog {
  Q_OBJECT

 public:
  explicit TAboutFrm(QWidget* parent = nullptr);
  ~TAboutFrm() override;

  // Who made the program, as the dialog names them.
  static const QString kAuthor;
  static const QString kCommunity;

 private slots:
  void Label2Click();

 private:
  void FormCreate();

  std::unique_ptr<Ui::TAboutFrm> ui;
};
