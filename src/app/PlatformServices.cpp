#include "app/PlatformServices.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QTemporaryFile>
#include <QUrl>
#include <cstdlib>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <unistd.h>
#endif

#include "app/Paths.h"
#include "app/WebLinks.h"
#include "config/firebird/FirebirdFolder.h"

namespace {
PlatformServices* g_substitute = nullptr;
}  // namespace

PlatformServices& Platform() {
  static DesktopServices desktop;
  return g_substitute ? *g_substitute : desktop;
}

void SetPlatform(PlatformServices* services) { g_substitute = services; }

QString DesktopServices::ChooseFolder(QWidget* owner, const QString& title, const QString& start) {
  // Opens at the folder given, else at the user's home folder, with nothing
  // selected: the folder the program was started from means nothing to the
  // user.
  QFileDialog dialog(owner, title, !start.isEmpty() && QDir(start).exists() ? start : QDir::homePath());
  dialog.setFileMode(QFileDialog::Directory);
  dialog.setOption(QFileDialog::ShowDirsOnly);
  if (ExecDialog(dialog) != QDialog::Accepted) return {};
  const QStringList chosen = dialog.selectedFiles();
  // In the system's own form (C:\Firebird, and C:\ for a drive).
  return chosen.isEmpty() ? QString() : QDir::toNativeSeparators(chosen.front());
}

int DesktopServices::ExecDialog(QDialog& dialog) { return dialog.exec(); }

QMessageBox::StandardButton DesktopServices::ShowMessage(
    QWidget* parent, QMessageBox::Icon icon, const QString& title,
    const QString& text, QMessageBox::StandardButtons buttons,
    QMessageBox::StandardButton defaultButton) {
  QMessageBox box(icon, title, text, buttons, parent);
  box.setDefaultButton(defaultButton);
  box.setTextFormat(Qt::PlainText);
  const int result = box.exec();
  // Closing a box without a button that answers Esc counts as no answer.
  return buttons.testFlag(static_cast<QMessageBox::StandardButton>(result))
             ? static_cast<QMessageBox::StandardButton>(result)
             : QMessageBox::NoButton;
}

void DesktopServices::OpenUrl(const QString& url) {
  // Hands the address to the desktop, which starts the browser detached.
  QDesktopServices::openUrl(QUrl(url));
}

QString DesktopServices::TextEditorLauncher() {
#ifdef Q_OS_WIN
  // Named by its full path: a bare name is looked for in the program's and
  // the current folder before the system's, where anyone who may write
  // there could leave a notepad.exe of their own.
  wchar_t system[MAX_PATH];
  const UINT length = ::GetSystemDirectoryW(system, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  return QString::fromWCharArray(system, static_cast<qsizetype>(length)) +
         QStringLiteral("\\notepad.exe");
#else
  return QStringLiteral("xdg-open");  // the desktop's application for the file's type
#endif
}

void DesktopServices::OpenInTextEditor(const QString& path) {
  // The path is one argument of a program started directly (no shell, so no
  // quoting to get wrong), and the editor runs on its own: nobody waits.
  // An absolute path also never reads as an option of the launcher.
  const QString file = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
  const QString editor = TextEditorLauncher();
  if (!editor.isEmpty() && QProcess::startDetached(editor, {file})) return;
  QDesktopServices::openUrl(QUrl::fromLocalFile(file));
}

QString DesktopServices::RegisteredFirebirdFolder() {
#ifdef Q_OS_WIN
  // Firebird's own variable first, as pellisto-conf takes it; then the
  // folder the installer registered, normally with a trailing backslash and
  // read as it is. A 32-bit Firebird on 64-bit Windows registers it in the
  // 32-bit view of the registry.
  if (const QString env = qEnvironmentVariable("FIREBIRD"); !env.isEmpty())
    return WithTrailingSeparator(env);
  const QString key = QStringLiteral(
      "HKEY_LOCAL_MACHINE\\Software\\Firebird Project\\Firebird Server\\Instances");
  for (const QSettings::Format view : {QSettings::Registry64Format, QSettings::Registry32Format}) {
    const QSettings instances(key, view);
    const QString folder = instances.value(QStringLiteral("DefaultInstance")).toString();
    if (!folder.isEmpty()) return folder;
  }
  return {};
#else
  // Elsewhere Firebird's own variable for its root folder, else the folder
  // its packages install to.
  if (const char* env = std::getenv("FIREBIRD"); env && *env)
    return WithTrailingSeparator(QString::fromLocal8Bit(env));
  const QString standard = QStringLiteral("/opt/firebird/");
  if (QFileInfo::exists(standard + QStringLiteral("firebird.conf"))) return standard;
  // Debian's packages keep each series' file in /etc/firebird/<version>/.
  return FromDocPath(DebianFirebirdFolder());
#endif
}

QString DesktopServices::ExecutablePath() {
  return QCoreApplication::applicationFilePath();
}

QString DesktopServices::ApplicationFolder() {
  return WithTrailingSeparator(QDir::toNativeSeparators(QCoreApplication::applicationDirPath()));
}

bool DesktopServices::CanWriteInFolder(const QString& folder) {
#ifndef Q_OS_WIN
  // The quick answer for the usual case, /usr/bin, without a refused write.
  if (::access(QFile::encodeName(folder).constData(), W_OK | X_OK) != 0) return false;
#endif
  // Permission bits are not the whole story (a read-only mount, ACLs, a
  // network share): only a file actually created says yes.
  QTemporaryFile probe(WithTrailingSeparator(folder) + QStringLiteral(".pellisto-XXXXXX"));
  return probe.open();
}

QString DesktopServices::VersionDocumentUrl() { return CurrentVersionAddress(); }
