// The menu commands, the web links, the alias file and the change of the
// Firebird folder from the top strip.

#include <QAction>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

#include "app/ErrorBox.h"
#include "app/Functions.h"
#include "ui/widgets/LinkLabel.h"
#include "app/PlatformServices.h"
#include "i18n/SelectLanguage.h"
#include "ui/about/About.h"
#include "update/CheckForCurrentVersion.h"
#include "ui/main/AdminSave.h"
#include "ui/main/ControlBinding.h"
#include "ui/main/MainFrm.h"
#include "i18n/Gettext.h"
#include "ui/main/MainFrmUi.h"

namespace {

// A question whose safe answer, No, is the default and Esc's.
bool Confirm(QWidget* parent, const QString& text) {
  return ShowMessageBox(parent, QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No,
                        QMessageBox::No) == QMessageBox::Yes;
}

void Inform(QWidget* parent, const QString& text) {
  ShowMessageBox(parent, QMessageBox::Information, text, QMessageBox::Ok, QMessageBox::Ok);
}

bool SameFolder(const QString& a, const QString& b) {
  if (a == b) return true;
  const QString realA = QFileInfo(a).canonicalFilePath();
  return !realA.isEmpty() && realA == QFileInfo(b).canonicalFilePath();
}

}  // namespace

void TMainFrm::ConnectCommands() {
  // Errors of a command end in the error box, and the window carries on.
  const auto guarded = [this](void (TMainFrm::*handler)()) {
    return [this, handler] { RunGuarded([this, handler] { (this->*handler)(); }, this); };
  };
  connect(ui->APreferences, &QAction::triggered, this, guarded(&TMainFrm::APreferencesExecute));
  connect(ui->AWebProduct, &QAction::triggered, this, guarded(&TMainFrm::AWebProductExecute));
  connect(ui->AFirebirdDoc, &QAction::triggered, this, guarded(&TMainFrm::AFirebirdDocExecute));
  connect(ui->ACheckForUpdate, &QAction::triggered, this,
          guarded(&TMainFrm::ACheckForUpdateExecute));
  connect(ui->AAbout, &QAction::triggered, this, guarded(&TMainFrm::AAboutExecute));
  connect(ui->Label4, &LinkLabel::clicked, this, guarded(&TMainFrm::Label4Click));
  connect(ui->SBFirebirdInstall, &QToolButton::clicked, this,
          guarded(&TMainFrm::SBFirebirdInstallClick));
}

QString TMainFrm::ShownFolder() const {
  return loaded_ && document_ ? FromDocPath(document_->Folder()) : InstallPath;
}

void TMainFrm::APreferencesExecute() {
  // The language is chosen for the next start; this run keeps its own.
  TSelectLanguageFrm dialog(this);
  if (Platform().ExecDialog(dialog) == QDialog::Accepted)
    Inform(this, i18n::Translate(N_("The changes will take effect when reopen Pellisto")));
}

void TMainFrm::AWebProductExecute() { OpenLink(ProductPage()); }

void TMainFrm::AFirebirdDocExecute() { OpenLink(FirebirdDocPage()); }

void TMainFrm::ACheckForUpdateExecute() {
  // Asked for, so shown whatever the check at start is set to.
  TCheckForCurrentVersionFrm dialog(this);
  dialog.ShowCheckResult(true, QString());
  Platform().ExecDialog(dialog);
}

void TMainFrm::AAboutExecute() {
  TAboutFrm dialog(this);
  Platform().ExecDialog(dialog);
}

void TMainFrm::Label4Click() { OpenLink(ProductPage()); }

void TMainFrm::BtAliasesConfClick() {
  const QString folder = ShownFolder();
  // From 3.0 on databases.conf took the place of aliases.conf.
  const bool databases = GenerationOf(binding_->FileVersion()) == Generation::V3;
  const QString file =
      folder + (databases ? QStringLiteral("databases.conf") : QStringLiteral("aliases.conf"));
  // Said here: the editor would report it where nobody looks, or not at all.
  if (!QFileInfo(file).isFile()) {
    ShowMessageBox(this, QMessageBox::Warning,
                   i18n::Translate(N_("File not found %1 in %2")).arg(QFileInfo(file).fileName(), folder),
                   QMessageBox::Ok, QMessageBox::Ok);
    return;
  }
  Platform().OpenInTextEditor(file);
}

void TMainFrm::SBFirebirdInstallClick() {
  // A relative folder would mean another one after a start from elsewhere.
  // Opened at the folder shown: the usual choice is one beside it.
  const QString folder = AbsoluteFolder(ChooseFolder(this, ShownFolder()));
  if (folder.isEmpty()) return;

  const bool hasConf = QFileInfo::exists(folder + QStringLiteral("firebird.conf"));
  if (!hasConf) {
    if (!Confirm(this, i18n::Translate(N_("File not found firebird.conf in %1, still want to continue?"))
                           .arg(folder)))
      return;
    // The file comes into being at the next save, which goes to the new
    // folder; with no file open there is nothing to save, and nothing is
    // claimed.
    if (loaded_)
      Inform(this, i18n::Translate(N_("This created the file firebird.conf in %1")).arg(folder));
  } else if (loaded_ && !SameFolder(folder, ShownFolder())) {
    // The next save writes the lines shown here over that server's own file.
    const QString replaced =
        AdminSave::Offered(ToDoc(folder + QStringLiteral("firebird.conf")))
            ? i18n::Translate(N_("The firebird.conf in %1 will be replaced by the parameters shown here when you apply, as administrator (you may not write it yourself). Continue?"))
            : i18n::Translate(N_("The firebird.conf in %1 will be replaced by the parameters shown here when you apply. Continue?"));
    if (!Confirm(this, replaced.arg(folder))) return;
  }

  if (Confirm(this, i18n::Translate(N_("Want that this is the default route the next time you load Pellisto?"))))
    WriteInstallPath(folder);

  if (!loaded_ && hasConf) {
    // Nothing was shown yet: show the chosen server's file.
    LoadFolder(folder);
    LoadControls();
    return;
  }
  // The box's change handler moves the document's folder; the values shown
  // stay those read before.
  ui->edRootDirectory->setText(folder);
  ShowFileState();
}
