#include "update/CurrentVersion.h"

#include <QRegularExpression>
#include <algorithm>

#include "app/PlatformServices.h"

namespace {

// Dotted parts of a version text, without leading zeros ("007" -> "7"), or
// an empty list when the text is no version.
QStringList VersionParts(const QString& text) {
  static const QRegularExpression dotted(QStringLiteral("^[0-9]+(\\.[0-9]+)*$"));
  const QString trimmed = text.trimmed();
  if (!dotted.match(trimmed).hasMatch()) return {};
  QStringList parts = trimmed.split(QLatin1Char('.'));
  for (QString& part : parts) {
    qsizetype zeros = 0;
    while (zeros + 1 < part.size() && part[zeros] == QLatin1Char('0')) ++zeros;
    part.remove(0, zeros);
  }
  return parts;
}

// Compares two numbers written in decimal without leading zeros, of any
// length.
int CompareNumbers(const QString& a, const QString& b) {
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  return a.compare(b);
}

int CompareVersions(const QStringList& a, const QStringList& b) {
  const QString zero = QStringLiteral("0");
  for (qsizetype i = 0; i < std::max(a.size(), b.size()); ++i) {
    const int order = CompareNumbers(i < a.size() ? a[i] : zero, i < b.size() ? b[i] : zero);
    if (order != 0) return order;
  }
  return 0;
}

}  // namespace

QString FetchCurrentVersion(const QString& address, std::chrono::milliseconds timeLimit) {
  QString version;
  if (FetchPublishedVersion(address, timeLimit, version) && IsVersionText(version)) return version;
  return QString::fromLatin1(kConnectionFailed);
}

QString FetchCurrentVersion() { return FetchCurrentVersion(Platform().VersionDocumentUrl()); }

bool IsVersionText(const QString& text) { return !VersionParts(text).isEmpty(); }

UpdateOutcome JudgeCurrentVersion(const QString& published, const QString& running) {
  const QStringList current = VersionParts(published);
  if (current.isEmpty()) return UpdateOutcome::ConnectionFailed;
  const QStringList own = VersionParts(running);
  if (own.isEmpty() || CompareVersions(current, own) > 0) return UpdateOutcome::NewVersion;
  return UpdateOutcome::NoNewUpdates;
}
