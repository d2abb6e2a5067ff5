// The published version: fetched from a real HTTP server on 127.0.0.1, with
// every way the answer can go wrong, and the rule comparing versions.

#include <gtest/gtest.h>

#include <QElapsedTimer>

#include "support/QtPrinters.h"
#include "support/HttpStub.h"
#include "update/CurrentVersion.h"

namespace {

using namespace std::chrono_literals;

TEST(CurrentVersionTest, DocumentsAndAnswers) {
  HttpStub server;
  const QByteArray big = VersionDocument("0.2.0.4") + "<!--" + QByteArray(70 * 1024, 'x') + "-->";
  // Exactly as large as a document may be.
  QByteArray limit = VersionDocument("0.2.0.5") + "<!---->";
  limit.insert(limit.size() - 3, QByteArray(kMaxVersionDocumentSize - limit.size(), 'x'));
  const std::pair<QByteArray, const char*> cases[] = {
      {HttpStub::Ok(VersionDocument("0.2.0.4")), "0.2.0.4"},
      {HttpStub::Ok(VersionDocument(" \n0.2.0.4\t ")), "0.2.0.4"},
      {HttpStub::Ok("<?xml version=\"1.0\"?>\n<Pellisto site=\"x\"><Notes>new</Notes>"
                    "<CurrentVersion>1.0</CurrentVersion></Pellisto>"),
       "1.0"},
      {HttpStub::Ok("<Pellisto><Other>0.2.0.4</Other></Pellisto>"), kConnectionFailed},
      {HttpStub::Ok("<Firebird><CurrentVersion>0.2.0.4</CurrentVersion></Firebird>"),
       kConnectionFailed},
      {HttpStub::Ok("0.2.0.4"), kConnectionFailed},
      {HttpStub::Ok("<Pellisto><CurrentVersion>0.2.0.4</CurrentVersion>"), kConnectionFailed},
      {HttpStub::Ok(VersionDocument("")), kConnectionFailed},
      {HttpStub::Ok(VersionDocument("0.2.1 beta")), kConnectionFailed},
      {HttpStub::Ok(VersionDocument("Connection Failed")), kConnectionFailed},
      {HttpStub::Ok("<Pellisto><CurrentVersion>0.2.0.4</CurrentVersion>"
                    "<CurrentVersion>0.9</CurrentVersion></Pellisto>"),
       "0.2.0.4"},
      {HttpStub::Ok(limit), "0.2.0.5"},
      {HttpStub::Ok(limit, false), "0.2.0.5"},
      {HttpStub::Ok(limit + " "), kConnectionFailed},
      {HttpStub::Ok(big), kConnectionFailed},
      {HttpStub::Ok(big, false), kConnectionFailed},
      {HttpStub::Status(404, "Not Found"), kConnectionFailed},
      {HttpStub::Status(204, "No Content"), kConnectionFailed},
  };
  ASSERT_EQ(limit.size(), 64 * 1024);
  for (const auto& [answer, expected] : cases) {
    server.answers[kVersionDocumentPath] = answer;
    EXPECT_EQ(FetchCurrentVersion(server.Url(kVersionDocumentPath), 5s), expected) << answer.left(120).constData();
  }
}

TEST(CurrentVersionTest, ExternalEntitiesAreNeverFetched) {
  HttpStub server;
  server.answers["/secret"] = HttpStub::Ok("0.2.0.9");
  server.answers[kVersionDocumentPath] = HttpStub::Ok(
      "<?xml version=\"1.0\"?><!DOCTYPE Pellisto [<!ENTITY v SYSTEM \"" +
      server.Url("/secret").toUtf8() + "\">]><Pellisto><CurrentVersion>&v;</CurrentVersion></Pellisto>");
  EXPECT_EQ(FetchCurrentVersion(server.Url(kVersionDocumentPath), 5s), kConnectionFailed);
  EXPECT_EQ(server.requested, QList<QString>{kVersionDocumentPath});
}

TEST(CurrentVersionTest, RedirectsStayWithinTheSchemeAndAreFew) {
  HttpStub server;
  server.answers["/moved"] = HttpStub::Redirect(server.Url(kVersionDocumentPath));
  server.answers["/relative"] = HttpStub::Redirect(kVersionDocumentPath);
  server.answers["/secure"] = HttpStub::Redirect(server.Url(kVersionDocumentPath).replace("http:", "https:"));
  server.answers["/loop"] = HttpStub::Redirect("/loop");
  server.answers["/hop3"] = HttpStub::Redirect("/hop2");
  server.answers["/hop2"] = HttpStub::Redirect("/hop1");
  server.answers["/hop1"] = HttpStub::Redirect("/moved");
  server.answers[kVersionDocumentPath] = HttpStub::Ok(VersionDocument("0.2.0.4"));
  EXPECT_EQ(FetchCurrentVersion(server.Url("/moved"), 5s), "0.2.0.4");
  EXPECT_EQ(FetchCurrentVersion(server.Url("/relative"), 5s), "0.2.0.4");
  server.requested.clear();
  EXPECT_EQ(FetchCurrentVersion(server.Url("/secure"), 5s), kConnectionFailed);
  EXPECT_EQ(server.requested, QList<QString>{"/secure"});
  EXPECT_EQ(FetchCurrentVersion(server.Url("/loop"), 5s), kConnectionFailed);
  // Three hops are allowed, a fourth is not.
  EXPECT_EQ(FetchCurrentVersion(server.Url("/hop2"), 5s), "0.2.0.4");
  EXPECT_EQ(FetchCurrentVersion(server.Url("/hop3"), 5s), kConnectionFailed);
}

TEST(CurrentVersionTest, TheLimitHoldsForTheRedirectsTogether) {
  HttpStub server;
  server.answers["/first"] = HttpStub::Redirect("/second");
  server.answers["/second"] = HttpStub::Redirect(kVersionDocumentPath);
  server.answers[kVersionDocumentPath] = HttpStub::Ok(VersionDocument("0.2.0.4"));
  server.delays["/first"] = 400;
  server.delays["/second"] = 400;
  // Each answer comes well within the limit; all of them together do not.
  EXPECT_EQ(FetchCurrentVersion(server.Url("/first"), 5s), "0.2.0.4");
  QElapsedTimer clock;
  clock.start();
  EXPECT_EQ(FetchCurrentVersion(server.Url("/first"), 600ms), kConnectionFailed);
  EXPECT_LT(clock.elapsed(), 3000);
}

TEST(CurrentVersionTest, UnreachableOrSilentServersFailWithinTheLimit) {
  HttpStub server;
  server.answers[kVersionDocumentPath] = HttpStub::Silence();
  QElapsedTimer clock;
  clock.start();
  EXPECT_EQ(FetchCurrentVersion(server.Url(kVersionDocumentPath), 300ms), kConnectionFailed);
  EXPECT_LT(clock.elapsed(), 5000);  // it gave up instead of hanging
  EXPECT_EQ(FetchCurrentVersion(RefusingUrl(), 5s), kConnectionFailed);
  EXPECT_EQ(FetchCurrentVersion(QStringLiteral("file:///etc/hostname"), 5s), kConnectionFailed);
  EXPECT_EQ(FetchCurrentVersion(QString(), 5s), kConnectionFailed);
}

TEST(CurrentVersionTest, VersionsCompareNumerically) {
  using enum UpdateOutcome;
  const std::tuple<const char*, const char*, UpdateOutcome> cases[] = {
      {"0.2.0.3", "0.2.0.3", NoNewUpdates},
      {" 0.2.0.3 ", "0.2.0.3", NoNewUpdates},
      {"0.2", "0.2.0.0", NoNewUpdates},
      {"0.02.0.3", "0.2.0.3", NoNewUpdates},
      {"0.2.0.2", "0.2.0.3", NoNewUpdates},
      {"0.2.0.4", "0.2.0.3", NewVersion},
      {"0.10", "0.9.9.9", NewVersion},
      {"0.2.0.3.1", "0.2.0.3", NewVersion},
      {"99999999999999999999.0", "65535.65535.65535.65535", NewVersion},
      {"0.2.0.3", "", NewVersion},
      {"", "0.2.0.3", ConnectionFailed},
      {"Connection Failed", "0.2.0.3", ConnectionFailed},
      {"0.2.0.3-beta", "0.2.0.3", ConnectionFailed},
      {"v0.3", "0.2.0.3", ConnectionFailed},
  };
  for (const auto& [published, running, outcome] : cases)
    EXPECT_EQ(JudgeCurrentVersion(published, running), outcome) << published << " vs " << running;
}

}  // namespace
