#pragma once
// TCheckForCurrentVersionFrm: the update dialog. It reports one check of the
// published version against the running one (a new version, no new updates,
// or "Connection Failed") and switches the check at start on or off.

#include <QDialog>
#include <memory>

namespace Ui {
class TCheckForCurrentVersionFrm;
}

class TCheckForCurrentVersionFrm : public QDialog {
  Q_OBJECT

 public:
  explicit TCheckForCurrentVersionFrm(QWidget* parent = nullptr);
  ~TCheckForCurrentVersionFrm() override;

  // Fills the dialog for one outcome. With fetch the published version is
  // fetched here (under a busy cursor) and version is ignored; without it,
  // version is the published version already fetched.
  void ShowCheckResult(bool fetch, const QString& version);
  // The check box and the "AlwaysCheckUpdate" setting.
  void SaveAlwaysCheck();
  void LoadAlwaysCheck();

 private slots:
  void BtOkClick();
  void lblMoreClick();
  void CBVerifyAlwaysClick();

 private:
  void FormCreate();

  std::unique_ptr<Ui::TCheckForCurrentVersionFrm> ui;
};

// The quiet check at start: fetches the published version and shows the
// update dialog only when it is newer than the running one.
void StartupUpdateCheck();
