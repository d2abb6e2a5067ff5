#pragma once
// A tiny HTTP server on 127.0.0.1 inside the test process: each path gets a
// canned answer, written as raw bytes, or no answer at all. It runs on the
// test's thread, so it answers while the code under test waits in its own
// event loop.

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QTcpServer>
#include <functional>

class QTcpSocket;

class HttpStub : public QObject {
 public:
  HttpStub();

  // "http://127.0.0.1:<port>" + path.
  QString Url(const QString& path) const;

  // A complete answer: 200 with the body (and its length unless told not to
  // send one, in which case closing the connection ends the body).
  static QByteArray Ok(const QByteArray& body, bool withLength = true);
  static QByteArray Status(int code, const QByteArray& reason);
  static QByteArray Redirect(const QString& location);
  // An answer that never comes: the connection stays open and silent.
  static QByteArray Silence() { return {}; }

  QMap<QString, QByteArray> answers;  // by path
  QMap<QString, int> delays;          // milliseconds before answering, by path
  QList<QString> requested;           // paths, in order
  // Runs as each request arrives (while the client is waiting).
  std::function<void()> onRequest;

 private:
  void Serve(QTcpSocket* socket);

  QTcpServer server_;
};

// An address on 127.0.0.1 where nothing listens.
QString RefusingUrl();

// The version document's path on the product's site, and a document
// publishing the given version text.
inline const QString kVersionDocumentPath = QStringLiteral("/archivos/CurrentVersion.xml");
QByteArray VersionDocument(const QByteArray& version);
