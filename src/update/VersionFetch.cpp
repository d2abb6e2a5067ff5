#include "update/VersionFetch.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>
#include <QXmlStreamReader>
#include <memory>
#include <stdexcept>

namespace {

[[noreturn]] void Fail(const QString& why) { throw std::runtime_error(why.toStdString()); }

}  // namespace

TXMLPellistoType ParseVersionDocument(const QByteArray& content) {
  QXmlStreamReader xml(content);
  if (!xml.readNextStartElement()) Fail(QStringLiteral("no root element"));
  if (xml.name() != QLatin1String("Pellisto") || !xml.namespaceUri().isEmpty())
    Fail(QStringLiteral("root element is not Pellisto"));
  bool found = false;
  TXMLPellistoType root;
  while (xml.readNextStartElement()) {
    if (!found && xml.name() == QLatin1String("CurrentVersion") && xml.namespaceUri().isEmpty()) {
      root.CurrentVersion = xml.readElementText();
      found = true;
    } else {
      xml.skipCurrentElement();
    }
  }
  // The whole document must be well-formed, not just its first part.
  while (!xml.atEnd()) xml.readNext();
  if (xml.hasError()) Fail(xml.errorString());
  if (!found) Fail(QStringLiteral("no CurrentVersion element"));
  return root;
}

namespace {

struct Answer {
  int status = 0;
  QUrl redirect;  // where a redirect points, resolved
  QByteArray content;
};

// One GET, waited for until the deadline. Redirects come back as answers.
Answer Get(QNetworkAccessManager& network, const QUrl& url, const QDeadlineTimer& deadline) {
  QNetworkRequest request(url);
  request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
  request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
  std::unique_ptr<QNetworkReply, void (*)(QNetworkReply*)> reply(network.get(request),
                                                                 [](QNetworkReply* r) { r->deleteLater(); });

  QEventLoop loop;
  QString failure;
  const auto stop = [&](const QString& why) {
    if (failure.isEmpty()) failure = why;
    reply->abort();
    loop.quit();
  };
  const auto tooLarge = [](qint64 size) { return size > kMaxVersionDocumentSize; };
  QObject::connect(reply.get(), &QNetworkReply::metaDataChanged, &loop, [&] {
    const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
    if (length.isValid() && tooLarge(length.toLongLong())) stop(QStringLiteral("too large"));
  });
  QObject::connect(reply.get(), &QNetworkReply::downloadProgress, &loop, [&](qint64 received, qint64) {
    if (tooLarge(received)) stop(QStringLiteral("too large"));
  });
  QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
  QTimer limit;
  limit.setSingleShot(true);
  QObject::connect(&limit, &QTimer::timeout, &loop, [&] { stop(QStringLiteral("timed out")); });
  limit.start(std::chrono::milliseconds(deadline.remainingTime()));
  // The document is small and the wait short; clicks and keys wait for it,
  // so that nothing starts a second action meanwhile.
  if (!reply->isFinished()) loop.exec(QEventLoop::ExcludeUserInputEvents);

  if (!failure.isEmpty()) Fail(failure);
  if (!reply->isFinished()) Fail(QStringLiteral("not finished"));
  Answer answer;
  answer.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
  const QUrl target = reply->attribute(QNetworkRequest::RedirectionTargetAttribute).toUrl();
  if (answer.status / 100 == 3 && target.isValid()) {
    answer.redirect = url.resolved(target);
    return answer;
  }
  if (reply->error() != QNetworkReply::NoError) Fail(reply->errorString());
  answer.content = reply->readAll();
  if (tooLarge(answer.content.size())) Fail(QStringLiteral("too large"));
  return answer;
}

}  // namespace

TXMLPellistoType LoadVersionDocument(const QString& address, QNetworkAccessManager& network,
                                     std::chrono::milliseconds timeLimit) {
  QUrl url(address);
  const QString scheme = url.scheme();
  if (!url.isValid() || (scheme != QLatin1String("https") && scheme != QLatin1String("http")))
    Fail(QStringLiteral("not a web address: ") + address);
  // One limit for the whole fetch, redirects included.
  const QDeadlineTimer deadline(timeLimit);
  for (int redirects = 0;; ++redirects) {
    const Answer answer = Get(network, url, deadline);
    if (answer.redirect.isEmpty()) {
      if (answer.status != 200) Fail(QStringLiteral("unexpected answer"));
      return ParseVersionDocument(answer.content);
    }
    if (redirects == kMaxVersionRedirects) Fail(QStringLiteral("too many redirects"));
    // A document asked for over https never comes from a plain address.
    if (answer.redirect.scheme() != scheme) Fail(QStringLiteral("redirected to another scheme"));
    url = answer.redirect;
  }
}

bool FetchPublishedVersion(const QString& address, std::chrono::milliseconds timeLimit, QString& version) noexcept {
  try {
    QNetworkAccessManager network;
    version = LoadVersionDocument(address, network, timeLimit).CurrentVersion.trimmed();
    return true;
  } catch (...) {
    // Every failure reads the same to the user.
  }
  return false;
}
