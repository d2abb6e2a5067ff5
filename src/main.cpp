// Pellisto: editor for the firebird.conf of a Firebird server.

#include <QIcon>
#include <QTimer>

#include "app/PellistoApplication.h"
#include "start/StartSequence.h"
#include "ui/main/MainFrm.h"

int main(int argc, char** argv) {
  PellistoApplication app(argc, argv);
  // The desktop pairs the windows with the menu entry by this name; the
  // icon comes from the installed theme, else from the program itself.
  QGuiApplication::setDesktopFileName(QStringLiteral("org.pellisto.Pellisto"));
  QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("org.pellisto.Pellisto"),
                                               QIcon(QStringLiteral(":/icons/pellisto.png"))));
  StartedProgram program = StartProgram();
  if (!program.mainWindow) return 0;
  program.mainWindow->show();
#ifdef PELLISTO_QUIT_WHEN_SHOWN
  // The start-up benchmark's build: ends as soon as the window is up.
  QTimer::singleShot(0, &app, &QCoreApplication::quit);
#endif
  return app.exec();
}
