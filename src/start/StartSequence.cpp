#include "start/StartSequence.h"

#include <QApplication>

#include "app/ErrorBox.h"
#include "app/Functions.h"
#include "app/ModMain.h"
#include "app/PlatformServices.h"
#include "app/welcome/Welcom.h"
#include "config/SafetyCopy.h"
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

void ReportLeftOverCopies(QWidget* parent) {
  QString text;
  for (const conf::LeftOverCopy& copy : conf::FindLeftOverCopies())
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
  program.mainWindow = std::make_unique<TMainFrm>();
  ReportLeftOverCopies(program.mainWindow.get());
  if (ReadAlwaysCheckUpdate()) StartupUpdateCheck();
  return program;
}
