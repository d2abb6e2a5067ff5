#include "app/Paths.h"

#include <QDir>

std::string ToDoc(const QString& text) { return text.toLocal8Bit().toStdString(); }
QString FromDoc(const std::string& text) {
  return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}

QString WithTrailingSeparator(const QString& folder) {
  if (folder.isEmpty() || folder.endsWith(QLatin1Char(kPathDelimiter))) return folder;
#ifdef Q_OS_WIN
  if (folder.endsWith(QLatin1Char('\\'))) return folder;
#endif
  return folder + QLatin1Char(kPathDelimiter);
}

QString AbsoluteFolder(const QString& folder) {
  if (folder.isEmpty() || !QDir::isRelativePath(folder)) return WithTrailingSeparator(folder);
  return WithTrailingSeparator(QDir::cleanPath(QDir::current().absoluteFilePath(folder)));
}
