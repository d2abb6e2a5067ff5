// Writes a picture of the editor window on each of its ten pages, for the
// README and for checking the layout by eye.
//
//   pellisto_screenshots <firebird folder> <output folder> [--end]
//
// --end scrolls every page to its bottom first, to check what lies below the
// fold on pages taller than the window.

#include <QApplication>
#include <QDir>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>
#include <cstdio>

#include "app/Functions.h"
#include "ui/main/MainFrm.h"

namespace {

const char* const kPageFiles[] = {
    "page-01-general",           "page-02-access",
    "page-03-other-access",      "page-04-client-connection",
    "page-05-locking-memory",    "page-06-super-server-engine",
    "page-07-windows-platforms", "page-08-unix-linux-platforms",
    "page-09-compatibility",     "page-10-others",
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const QStringList args = app.arguments();
  if (args.size() < 3) {
    std::fprintf(stderr, "usage: %s <firebird folder> <output folder> [--end]\n", argv[0]);
    return 2;
  }
  InstallPath = QDir(args[1]).absolutePath() + kPathDelimiter;
  const QDir out(args[2]);
  const bool scrollToEnd = args.contains(QStringLiteral("--end"));
  if (!QDir().mkpath(out.path())) return 1;

  TMainFrm window;
  window.show();
  auto* pages = window.findChild<QTabWidget*>(QStringLiteral("PCMain"));
  for (int i = 0; i < pages->count(); ++i) {
    pages->setCurrentIndex(i);
    app.processEvents();  // lays the page out, which sets its scroll range
    if (scrollToEnd) {
      QScrollArea* scroll = pages->widget(i)->findChild<QScrollArea*>();
      scroll->verticalScrollBar()->setValue(scroll->verticalScrollBar()->maximum());
      app.processEvents();
    }
    const QString file =
        out.filePath(QString::fromLatin1(kPageFiles[i]) + (scrollToEnd ? "-end.png" : ".png"));
    if (!window.grab().save(file)) {
      std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
      return 1;
    }
  }
  return 0;
}
