// Writes pictures of the first-run dialog and of the update dialog
// reporting a new version, for the README, and of the About and language
// dialogs, for checking by eye:
//
//   pellisto_dialog_screenshots <output folder> [--lang CODE]
//
// --lang shows the dialogs in the language of that catalog, from the
// catalogs beside the program.
// The folder shown is a neutral /opt/firebird/, whatever this machine has,
// and nothing is written beside the program.

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>

#include "app/PlatformServices.h"
#include "app/welcome/Welcom.h"
#include "i18n/Gettext.h"
#include "i18n/SelectLanguage.h"
#include "ui/about/About.h"
#include "update/CheckForCurrentVersion.h"

namespace {

class PictureDesktop : public DesktopServices {
 public:
  explicit PictureDesktop(QString folder) : folder_(std::move(folder)) {}
  QString RegisteredFirebirdFolder() override { return QStringLiteral("/opt/firebird/"); }
  QString ApplicationFolder() override { return folder_; }

 private:
  QString folder_;
};

bool Save(QWidget& dialog, const QDir& out, const char* name) {
  dialog.show();
  QApplication::processEvents();
  const QString file = out.filePath(QString::fromLatin1(name));
  if (dialog.grab().save(file)) return true;
  std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QStringList args = app.arguments().mid(1);
  QString language = QStringLiteral("en");
  if (const qsizetype at = args.indexOf(QStringLiteral("--lang")); at >= 0 && at + 1 < args.size()) {
    language = args[at + 1];
    args.remove(at, 2);
  }
  if (args.size() != 1) {
    std::fprintf(stderr, "usage: %s <output folder> [--lang CODE]\n", argv[0]);
    return 2;
  }
  const QDir out(args[0]);
  QTemporaryDir settings;
  if (!QDir().mkpath(out.path()) || !settings.isValid()) return 1;
  // The catalogs built beside this program, seen from the scratch folder.
  QFile::link(QCoreApplication::applicationDirPath() + QStringLiteral("/locale"),
              settings.filePath(QStringLiteral("locale")));
  PictureDesktop desktop(settings.path() + QLatin1Char('/'));
  SetPlatform(&desktop);
  i18n::SelectLanguage(language);

  TWelcomeFrm welcome;
  if (!Save(welcome, out, "welcome.png")) return 1;
  TCheckForCurrentVersionFrm update;
  update.ShowCheckResult(false, QStringLiteral("0.2.1.0"));
  if (!Save(update, out, "update-check.png")) return 1;
  TAboutFrm about;
  if (!Save(about, out, "about.png")) return 1;
  TSelectLanguageFrm languages;
  if (!Save(languages, out, "language.png")) return 1;
  SetPlatform(nullptr);
  return 0;
}
