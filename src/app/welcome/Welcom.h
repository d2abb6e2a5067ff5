#pragma once
// TWelcomeFrm: the first-run dialog. It asks for the folder where Firebird
// is installed, pre-filled with the folder the installer registered, and
// saves it as "Path" once that folder holds a firebird.conf. Done accepts;
// Cancel, Esc and the close box end the program's start.

#include <QDialog>
#include <memory>

namespace Ui {
class TWelcomeFrm;
}

class TWelcomeFrm : public QDialog {
  Q_OBJECT

 public:
  explicit TWelcomeFrm(QWidget* parent = nullptr);
  ~TWelcomeFrm() override;

  // The text of the folder box, as it stands.
  QString RootDirectory() const;

 private slots:
  void SBFirebirdInstallClick();
  void CBVerifyAlwaysClick();
  void Button1Click();
  void Button2Click();

 private:
  void FormCreate();
  void ReadDefaultInstance();
  // Writes "Path" when the folder holds firebird.conf; throws otherwise.
  void SaveInstallPath();

  std::unique_ptr<Ui::TWelcomeFrm> ui;
};
