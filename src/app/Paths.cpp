#include "app/Paths.h"

#include <QDir>
#include <QFile>

std::string ToDoc(const QString& text) { return text.toLocal8Bit().toStdString(); }
QString FromDoc(const std::string& text) {
  return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}

#ifdef Q_OS_WIN
std::string ToDocPath(const QString& path) { return path.toUtf8().toStdString(); }
QString FromDocPath(const std::string& path) {
  return QString::fromUtf8(path.data(), static_cast<qsizetype>(path.size()));
}
#else
std::string ToDocPath(const QString& path) { return QFile::encodeName(path).toStdString(); }
QString FromDocPath(const std::string& path) {
  return QFile::decodeName(QByteArray::fromStdString(path));
}
#endif

QString WithTrailingSeparator(const QString& folder) {
  if (folder.isEmpty() || folder.endsWith(QLatin1Char(kPathDelimiter)) ||
      folder.endsWith(QLatin1Char('/')))
    return folder;
  return folder + QLatin1Char(kPathDelimiter);
}

QString AbsoluteFolder(const QString& folder) {
  if (folder.isEmpty() || !QDir::isRelativePath(folder)) return WithTrailingSeparator(folder);
  return WithTrailingSeparator(
      QDir::toNativeSeparators(QDir::cleanPath(QDir::current().absoluteFilePath(folder))));
}
