#include "update/CheckForCurrentVersion.h"

#include <QApplication>

#include "app/DesignedColours.h"
#include "app/ErrorBox.h"
#include "app/FixedDialog.h"
#include "app/Functions.h"
#include "app/PlatformServices.h"
#include "app/WindowFont.h"
#include "i18n/Gettext.h"
#include "ui_CheckForCurrentVersion.h"
#include "update/CurrentVersion.h"

namespace {

// The busy cursor while the document is fetched, restored however the
// fetch ends.
class BusyCursor {
 public:
  BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~BusyCursor() { QApplication::restoreOverrideCursor(); }
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;
};

QString RunningVersion() { return ReadFileVersion(Platform().ExecutablePath()); }

constexpr QSize kDesignSize(316, 127);

}  // namespace

TCheckForCurrentVersionFrm::TCheckForCurrentVersionFrm(QWidget* parent)
    : QDialog(parent), ui(new Ui::TCheckForCurrentVersionFrm) {
  ui->setupUi(this);
  connect(ui->BtOk, &QPushButton::clicked, this, &TCheckForCurrentVersionFrm::BtOkClick);
  connect(ui->lblMore, &LinkLabel::clicked, this, &TCheckForCurrentVersionFrm::lblMoreClick);
  connect(ui->CBVerifyAlways, &QCheckBox::clicked, this,
          &TCheckForCurrentVersionFrm::CBVerifyAlwaysClick);
  FormCreate();
}

TCheckForCurrentVersionFrm::~TCheckForCurrentVersionFrm() = default;

void TCheckForCurrentVersionFrm::FormCreate() {
  i18n::TranslateComponent(this);

  setFont(WindowFont());
  QFont bold = ui->lblFound->font();
  bold.setBold(true);
  ui->lblFound->setFont(bold);
  // The heading sits on the window colour, as on a page of a wizard, and
  // keeps the window-text colour (red for a new version) on it.
  ui->pnlTop->setBackgroundRole(QPalette::Base);
  ui->lblFound->setForegroundRole(QPalette::WindowText);
  // The details take two lines at the designed width.
  ui->lblDetail->setMinimumHeight(2 * ui->lblDetail->fontMetrics().lineSpacing());
  SetFixedDialogFrame(*this, kDesignSize);
  ui->BtOk->setDefault(true);
  ui->BtOk->setFocus();
}

void TCheckForCurrentVersionFrm::ShowCheckResult(bool fetch, const QString& version) {
  const QString own = RunningVersion();
  QString current;
  if (fetch) {
    BusyCursor busy;
    current = FetchCurrentVersion();
  } else {
    current = version.trimmed();
  }

  const UpdateOutcome outcome = JudgeCurrentVersion(current, own);
  ui->lblFound->setPalette(palette());
  QFont more = ui->lblMore->font();
  more.setBold(outcome == UpdateOutcome::NewVersion);
  ui->lblMore->setFont(more);
  switch (outcome) {
    case UpdateOutcome::ConnectionFailed:
      ui->lblFound->setText(QString::fromLatin1(kConnectionFailed));
      ui->lblMore->setText(QStringLiteral("Read more"));
      ui->lblDetail->setText(QString::fromLatin1(kConnectionFailed));
      break;
    case UpdateOutcome::NewVersion: {
      SetTextColour(ui->lblFound, WarningColour(palette(), QPalette::Base));
      ui->lblFound->setText(QStringLiteral("It has found a new version of Pellisto"));
      ui->lblMore->setText(QStringLiteral("Download new version"));
      break;
    }
    case UpdateOutcome::NoNewUpdates:
      ui->lblFound->setText(QStringLiteral("There were no new updates"));
      ui->lblMore->setText(QStringLiteral("Read more"));
      break;
  }
  if (outcome != UpdateOutcome::ConnectionFailed)
    ui->lblDetail->setText(QStringLiteral("Your version of Pellisto is ") + own +
                           QStringLiteral(" and the current version of Pellisto is ") + current);
  LoadAlwaysCheck();
  // A long version text may need another line.
  FitFixedDialog(*this, kDesignSize);
}

void TCheckForCurrentVersionFrm::SaveAlwaysCheck() {
  WriteAlwaysCheckUpdate(ui->CBVerifyAlways->isChecked());
}

void TCheckForCurrentVersionFrm::LoadAlwaysCheck() {
  ui->CBVerifyAlways->setChecked(ReadAlwaysCheckUpdate());
}

void TCheckForCurrentVersionFrm::BtOkClick() { accept(); }

void TCheckForCurrentVersionFrm::lblMoreClick() { OpenLink(ProductPage()); }

void TCheckForCurrentVersionFrm::CBVerifyAlwaysClick() {
  RunGuarded([this] { SaveAlwaysCheck(); }, this);
}

void StartupUpdateCheck() {
  const QString current = FetchCurrentVersion();
  if (JudgeCurrentVersion(current, RunningVersion()) != UpdateOutcome::NewVersion) return;
  TCheckForCurrentVersionFrm dialog;
  dialog.ShowCheckResult(false, current);
  Platform().ExecDialog(dialog);
}
