#include "start/StartSequence.h"

#include <QApplication>

#include "app/ErrorBox.h"
#include "app/Functions.h"
#include "app/ModMain.h"
#include "app/PlatformServices.h"
#include "app/welcome/Welcom.h"
#include "config/fs/SafetyCopy.h"
#include "config/fs/SaveTarget.h"
#include "i18n/Gettext.h"
#include "ui/main/MainFrm.h"
#include "update/CheckForCurrentVersion.h"

StartedProgram::StartedProgram() = default;
StartedProgram::StartedProgram(StartedProgram&&) noexcept = default;
StartedProgram::~StartedProgram() = default;

bool CheckFirstRun() {
  InstallPath = ReadInstallPath();
  // A saved folder is used as it is: the editor reports one that is gone.
  if (!InstallPath.isEmpty()) return true;
  TWelcomeFrm welcome;
  const int result = Platform().ExecDialog(welcome);
  InstallPath = welcome.RootDirectory();
  return result == QDialog::Accepted;
}

void OfferToRecover(const QString& file) {
  const std::string path = ToDoc(file);
  std::string target;
  try {
    target = conf::LinkTarget(path);
  } catch (const FileError&) {
    return;
  }
  for (const conf::LeftOverCopy& copy : conf::FindLeftOverCopies()) {
    if (copy.original != target) continue;
    const QString text =
        FromDoc(conf::LeftOverCopyMessage(copy)) +
        QStringLiteral(".\n\nfirebird.conf may be damaged, and Pellisto saves nothing into it until this is "
                       "settled. Put the copy back (Yes), remove the copy (No), or decide later (Cancel)?");
    const QMessageBox::StandardButton answer =
        ShowMessageBox(nullptr, QMessageBox::Warning, text, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                       QMessageBox::Cancel);
    RunGuarded([&] {
      if (answer == QMessageBox::Yes) {
        conf::SaveTarget on(path);
        const std::string late = on.Restore(copy);
        if (!late.empty()) ShowErrorBox(FromDoc("firebird.conf was saved, but " + late));
      } else if (answer == QMessageBox::No) {
        conf::DiscardCopy(copy);
      }
    });
  }
}

void ReportLeftOverCopies(QWidget* parent, const QString& offered) {
  std::string own;
  try {
    own = conf::LinkTarget(ToDoc(offered));
  } catch (const FileError&) {
  }
  QString text;
  for (const conf::LeftOverCopy& copy : conf::FindLeftOverCopies())
    if (copy.original != own)
    text += (text.isEmpty() ? QString() : QStringLiteral("\n\n")) +
            FromDoc(conf::LeftOverCopyMessage(copy)) + QLatin1Char('.');
  if (!text.isEmpty())
    ShowMessageBox(parent, QMessageBox::Warning, text, QMessageBox::Ok, QMessageBox::Ok);
}

StartedProgram StartProgram() {
  QApplication::setApplicationName(QStringLiteral("Pellisto"));
  StartedProgram program;
  program.dataModule = std::make_unique<TModMainDM>();
  i18n::SelectLanguage(ReadLanguage());
  if (!CheckFirstRun()) return program;
  OfferToRecover(InstallPath + QStringLiteral("firebird.conf"));
  program.mainWindow = std::make_unique<TMainFrm>();
  ReportLeftOverCopies(program.mainWindow.get(), InstallPath + QStringLiteral("firebird.conf"));
  if (ReadAlwaysCheckUpdate()) StartupUpdateCheck();
  return program;
}
