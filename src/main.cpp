// Pellisto: editor for the firebird.conf of a Firebird server.

#include <QIcon>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

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
  // The start-up benchmark's build: ends as soon as the window is up, with
  // nothing torn down, so that only the start is measured.
  QTimer::singleShot(0, &app, [] {
    std::fflush(nullptr);
    std::_Exit(0);
  });
#endif
  return app.exec();
}
