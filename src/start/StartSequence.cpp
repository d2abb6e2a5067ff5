#include "start/StartSequence.h"

#include <QApplication>

#include "app/Functions.h"
#include "app/ModMain.h"
#include "app/PlatformServices.h"
#include "app/welcome/Welcom.h"
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

StartedProgram StartProgram() {
  QApplication::setApplicationName(QStringLiteral("Pellisto"));
  StartedProgram program;
  program.dataModule = std::make_unique<TModMainDM>();
  i18n::SelectLanguage(ReadLanguage());
  if (!CheckFirstRun()) return program;
  program.mainWindow = std::make_unique<TMainFrm>();
  if (ReadAlwaysCheckUpdate()) StartupUpdateCheck();
  return program;
}
