// The update check's fetch on Linux: through the network module
// (NetworkModule.h), loaded the first time a check runs.

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <cstdio>

#include "update/NetworkModule.h"
#include "update/VersionFetch.h"

namespace {

// Beside the program (its build folder), else where it is installed.
FetchEntry Entry() {
  static const FetchEntry entry = [] {
    const QString folder = QCoreApplication::applicationDirPath();
    const QString name = QString::fromLatin1(kNetworkModuleName);
    for (const QString& candidate :
         {folder + QLatin1Char('/') + name, QDir::cleanPath(folder + QStringLiteral("/../lib/pellisto/") + name)}) {
      if (!QFileInfo::exists(candidate)) continue;
      std::string refusal;
      if (const FetchEntry found = LoadNetworkModule(candidate, refusal)) return found;
      std::fprintf(stderr, "pellisto: %s not loaded: %s\n", qPrintable(candidate), refusal.c_str());
    }
    return FetchEntry{};
  }();
  return entry;
}

}  // namespace

bool FetchPublishedVersion(const QString& address, std::chrono::milliseconds timeLimit, QString& version) noexcept {
  const FetchEntry entry = Entry();
  return entry && entry(address, timeLimit.count(), version);
}
