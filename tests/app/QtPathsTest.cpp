// Where the Windows program's static Qt looks for plugins and translations.
// Left to itself it takes the folders below the prefix Qt was built for, a
// path such as /root/.cache/... that Windows reads as a folder on the current
// drive, which any user may create: a library left in its plugins folder
// would run in the administrator's program. The program's own qt.conf keeps
// them beside the program.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>

namespace {

bool Beside(const QString& folder) {
  const QString own = QDir(QCoreApplication::applicationDirPath()).absolutePath() + QLatin1Char('/');
  return (QDir(folder).absolutePath() + QLatin1Char('/')).startsWith(own, Qt::CaseInsensitive);
}

TEST(QtPaths, PluginsAndTranslationsAreLookedForBesideTheProgramOnly) {
  for (const QLibraryInfo::LibraryPath path :
       {QLibraryInfo::PrefixPath, QLibraryInfo::PluginsPath, QLibraryInfo::TranslationsPath})
    EXPECT_TRUE(Beside(QLibraryInfo::path(path))) << QLibraryInfo::path(path).toStdString();
  for (const QString& folder : QCoreApplication::libraryPaths())
    EXPECT_TRUE(Beside(folder)) << folder.toStdString();
}

}  // namespace
