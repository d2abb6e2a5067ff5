// Writes a picture of the editor window on each of its pages, for the
// README and for checking the layout by eye.
//
//   pellisto_screenshots <firebird folder> <output folder> [--end] [--lang CODE]
//                        [--open-tree] [--dark]
//
// --end scrolls every page to its bottom first, to check what lies below the
// fold on pages taller than the window. --lang shows the window in the
// language of that catalog (beside the program, as at a start).
// --open-tree opens every node of the options tree; --dark draws the window
// on a dark desktop palette.
//
// The folder box shows the usual install folder, not wherever the demo folder
// lies, so that the same tree gives the same pictures on every machine.

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QPalette>
#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTreeWidget>
#include <cstdio>

#include "app/Functions.h"
#include "i18n/Gettext.h"
#include "ui/main/MainFrm.h"

namespace {

const char kShownFolder[] = "/opt/firebird/";

const char* const kPageFiles[] = {
    "page-01-general",           "page-02-access",
    "page-03-other-access",      "page-04-client-connection",
    "page-05-locking-memory",    "page-06-super-server-engine",
    "page-07-windows-platforms", "page-08-unix-linux-platforms",
    "page-09-compatibility",     "page-10-others",
    "page-11-other-parameters",
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  // The options may come anywhere; the two folders are the other arguments.
  QStringList folders = app.arguments().mid(1);
  const bool scrollToEnd = folders.removeAll(QStringLiteral("--end")) > 0;
  const bool openTree = folders.removeAll(QStringLiteral("--open-tree")) > 0;
  if (folders.removeAll(QStringLiteral("--dark")) > 0) {
    QPalette dark;
    const QColor window(49, 54, 59), base(35, 38, 41), text(239, 240, 241);
    for (auto role : {QPalette::Window, QPalette::Button}) dark.setColor(role, window);
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
      dark.setColor(role, text);
    dark.setColor(QPalette::Base, base);
    dark.setColor(QPalette::AlternateBase, window);
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
      dark.setColor(QPalette::Disabled, role, QColor(127, 127, 127));
    QApplication::setPalette(dark);
  }
  QString language = QStringLiteral("en");
  if (const qsizetype at = folders.indexOf(QStringLiteral("--lang")); at >= 0 && at + 1 < folders.size()) {
    language = folders[at + 1];
    folders.remove(at, 2);
  }
  if (folders.size() != 2) {
    std::fprintf(stderr,
                 "usage: %s <firebird folder> <output folder> [--end] [--lang CODE] "
                 "[--open-tree] [--dark]\n",
                 argv[0]);
    return 2;
  }
  i18n::SelectLanguage(language);
  InstallPath = QDir(folders[0]).absolutePath() + kPathDelimiter;
  // Checked here: the window would stop on an error box nobody can answer,
  // or, opened on nothing, picture empty fields.
  const QString conf = InstallPath + QStringLiteral("firebird.conf");
  if (!QFileInfo(conf).isReadable()) {
    std::fprintf(stderr, "cannot read %s\n", qPrintable(conf));
    return 1;
  }
  const QDir out(folders[1]);
  if (!QDir().mkpath(out.path())) return 1;

  TMainFrm window;
  if (!window.DocumentLoaded()) {
    std::fprintf(stderr, "cannot load %s\n", qPrintable(conf));
    return 1;
  }
  auto* folder = window.findChild<QLineEdit*>(QStringLiteral("edRootDirectory"));
  {
    // Only the text shown: the document keeps the folder it was read from.
    const QSignalBlocker quiet(folder);
    folder->setText(QString::fromLatin1(kShownFolder));
  }
  if (openTree) window.findChild<QTreeWidget*>(QStringLiteral("TVWOptions"))->expandAll();
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
