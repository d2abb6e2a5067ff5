// Writes pictures of the first-run dialog and of the update dialog
// reporting a new version, for the README:
//
//   pellisto_dialog_screenshots <output folder>
//
// The folder shown is a neutral /opt/firebird/, whatever this machine has,
// and nothing is written beside the program.

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <cstdio>

#include "app/PlatformServices.h"
#include "app/welcome/Welcom.h"
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
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
    return 2;
  }
  const QDir out(QString::fromLocal8Bit(argv[1]));
  QTemporaryDir settings;
  if (!QDir().mkpath(out.path()) || !settings.isValid()) return 1;
  PictureDesktop desktop(settings.path() + QLatin1Char('/'));
  SetPlatform(&desktop);

  TWelcomeFrm welcome;
  if (!Save(welcome, out, "welcome.png")) return 1;
  TCheckForCurrentVersionFrm update;
  update.ShowCheckResult(false, QStringLiteral("0.2.1.0"));
  if (!Save(update, out, "update-check.png")) return 1;
  SetPlatform(nullptr);
  return 0;
}
