// Pellisto: editor for the firebird.conf of a Firebird server.

#include <QApplication>

#include "app/Functions.h"
#include "app/PellistoApplication.h"
#include "app/PlatformServices.h"
#include "i18n/Gettext.h"
#include "ui/main/MainFrm.h"

int main(int argc, char** argv) {
  PellistoApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Pellisto"));
  QApplication::setApplicationDisplayName(QStringLiteral("Pellisto"));

  i18n::SelectLanguage(ReadLanguage());

  // Until the first-run dialog exists, an unset folder falls back to the one
  // registered on this machine.
  InstallPath = ReadInstallPath();
  if (InstallPath.isEmpty()) InstallPath = Platform().RegisteredFirebirdFolder();

  TMainFrm window;
  window.show();
  return app.exec();
}
