#include "support/Catalog.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <stdexcept>

#include "support/TempDir.h"

bool CompileCatalog(const std::string& folder, const std::string& code, const std::string& po) {
  if (QStandardPaths::findExecutable("msgfmt").isEmpty()) return false;
  const std::string catalogFolder = folder + "locale/" + code + "/LC_MESSAGES";
  QDir().mkpath(QString::fromStdString(catalogFolder));
  const std::string source = folder + code + ".po";
  WriteFileBytes(source, po);
  const int rc = QProcess::execute("msgfmt", {"-o", QString::fromStdString(catalogFolder + "/default.mo"),
                                              QString::fromStdString(source)});
  if (rc != 0) throw std::runtime_error("msgfmt rejected " + source);
  return true;
}
