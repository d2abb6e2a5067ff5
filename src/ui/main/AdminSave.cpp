#include "ui/main/AdminSave.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#ifndef _WIN32
#include <unistd.h>
#endif

#include "app/Functions.h"
#include "app/PlatformServices.h"
#include "config/fs/AtomicFile.h"

namespace {

const char kHelperName[] = "pellisto-save-helper";
// pkexec's own exit statuses: the dialog dismissed; not authorised (a
// wrong password, no agent), or pkexec itself failed.
constexpr int kDismissed = 126;
constexpr int kNotAuthorised = 127;

bool running = false;

// This user may not write the file, and an administrator may.
bool NotThisUsersToWrite(const std::string& path) {
#ifdef Q_OS_LINUX
  return ::geteuid() != 0 && conf::CheckWriteAccess(path) == conf::WriteAccess::NotPermitted;
#else
  (void)path;
  return false;
#endif
}

}  // namespace

QString AdminSave::HelperPath() {
#ifdef Q_OS_LINUX
  const QString program = Platform().ExecutablePath();
  if (program.isEmpty()) return {};
  const QString folder = QFileInfo(program).absolutePath();
  for (const QString& candidate :
       {folder + QLatin1Char('/') + QLatin1String(kHelperName),
        QDir::cleanPath(folder + QStringLiteral("/../lib/pellisto/") + QLatin1String(kHelperName))})
    if (QFileInfo(candidate).isExecutable()) return candidate;
#endif
  return {};
}

QString AdminSave::PkexecPath() { return QStandardPaths::findExecutable(QStringLiteral("pkexec")); }

bool AdminSave::Offered(const std::string& path) {
  return NotThisUsersToWrite(path) && !HelperPath().isEmpty() && !PkexecPath().isEmpty();
}

bool AdminSave::WantsPkexec(const std::string& path) {
  return NotThisUsersToWrite(path) && !HelperPath().isEmpty() && PkexecPath().isEmpty();
}

bool AdminSave::Running() { return running; }

AdminSave::Reply AdminSave::Run(const QStringList& args) {
  QProcess process;
  // Never a password asked in a terminal nobody looks at: the desktop's
  // agent asks, or nobody does.
  process.setProgram(PkexecPath());
  process.setArguments(QStringList{QStringLiteral("--disable-internal-agent"), HelperPath()} + args);
  process.setStandardInputFile(QProcess::nullDevice());
  running = true;
  process.start();
  process.waitForStarted();
  while (process.state() != QProcess::NotRunning && !process.waitForFinished(50))
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  running = false;

  const QString pkexecSaid = QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
  if (process.exitStatus() != QProcess::NormalExit || process.error() == QProcess::FailedToStart)
    return {Outcome::Failed, QStringLiteral("pkexec could not be run (%1)").arg(process.errorString())};
  // The helper's answer: its word, then its message.
  const QString out = QString::fromLocal8Bit(process.readAllStandardOutput());
  const qsizetype end = out.indexOf(QLatin1Char('\n'));
  const QString word = end < 0 ? out.trimmed() : out.left(end);
  const QString message = end < 0 ? QString() : out.mid(end + 1).trimmed();
  if (word == QLatin1String("saved")) return {Outcome::Saved, message};
  if (word == QLatin1String("changed")) return {Outcome::Changed, message};
  if (word == QLatin1String("refused")) return {Outcome::Refused, message};
  if (word == QLatin1String("failed")) return {Outcome::Failed, message};
  // No answer from the helper: pkexec's own. Agents differ in how they
  // tell a dismissed dialog from a wrong password, so both mean the same:
  // no authorisation, nothing written.
  if (process.exitCode() == kDismissed || process.exitCode() == kNotAuthorised)
    return {Outcome::Cancelled, pkexecSaid.simplified()};
  return {Outcome::Failed, QStringLiteral("The helper that saves as administrator ended without an answer "
                                          "(exit status %1)%2")
                               .arg(process.exitCode())
                               .arg(pkexecSaid.isEmpty() ? QString() : QStringLiteral(": ") + pkexecSaid)};
}
