// Pellisto: editor for the firebird.conf of a Firebird server.

#include <QTimer>

#include "app/PellistoApplication.h"
#include "start/StartSequence.h"
#include "ui/main/MainFrm.h"

int main(int argc, char** argv) {
  PellistoApplication app(argc, argv);
  StartedProgram program = StartProgram();
  if (!program.mainWindow) return 0;
  program.mainWindow->show();
#ifdef PELLISTO_QUIT_WHEN_SHOWN
  // The start-up benchmark's build: ends as soon as the window is up.
  QTimer::singleShot(0, &app, &QCoreApplication::quit);
#endif
  return app.exec();
}
