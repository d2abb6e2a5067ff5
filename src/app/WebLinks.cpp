#include "app/WebLinks.h"

#include <QUrl>

QString ProductPage() { return QString(links::kProductHost) + "/?page_id=71"; }
QString FirebirdDocPage() { return QString(links::kFirebirdHost) + "/index.php?op=doc"; }
QString PdlPage() { return QString(links::kFirebirdHost) + "/manual/pdl.html"; }
QString DonatePage() { return QString(links::kProductHost) + "/Donate.htm"; }
QString CommunityForum() { return QString(links::kCommunityHost) + "/foros"; }
QString CurrentVersionAddress() {
  return QString(links::kProductHost) + "/archivos/CurrentVersion.xml";
}

QString ContactAddress() {
  return QStringLiteral("contact@") + QUrl(QString::fromLatin1(links::kProductHost)).host();
}
