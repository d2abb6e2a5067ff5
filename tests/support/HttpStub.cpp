#include "support/HttpStub.h"

#include <QTcpSocket>
#include <QTimer>

HttpStub::HttpStub() {
  server_.listen(QHostAddress::LocalHost, 0);
  connect(&server_, &QTcpServer::newConnection, this, [this] {
    while (QTcpSocket* socket = server_.nextPendingConnection()) {
      socket->setParent(this);
      connect(socket, &QTcpSocket::readyRead, this, [this, socket] { Serve(socket); });
    }
  });
}

QString HttpStub::Url(const QString& path) const {
  return QStringLiteral("http://127.0.0.1:%1%2").arg(server_.serverPort()).arg(path);
}

QByteArray HttpStub::Ok(const QByteArray& body, bool withLength) {
  QByteArray head = "HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\nConnection: close\r\n";
  if (withLength) head += "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
  return head + "\r\n" + body;
}

QByteArray HttpStub::Status(int code, const QByteArray& reason) {
  return "HTTP/1.1 " + QByteArray::number(code) + " " + reason +
         "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
}

QByteArray HttpStub::Redirect(const QString& location) {
  return "HTTP/1.1 302 Found\r\nLocation: " + location.toUtf8() +
         "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
}

void HttpStub::Serve(QTcpSocket* socket) {
  // Waits for the whole request head; the client sends no body.
  if (!socket->peek(1 << 16).contains("\r\n\r\n")) return;
  const QByteArray head = socket->readAll();
  const QByteArray path = head.split(' ').value(1);
  requested << QString::fromUtf8(path);
  if (onRequest) onRequest();
  const QByteArray answer = answers.value(QString::fromUtf8(path), Status(404, "Not Found"));
  if (answer.isEmpty()) return;
  const auto send = [socket, answer] {
    socket->write(answer);
    socket->disconnectFromHost();
  };
  if (const int delay = delays.value(QString::fromUtf8(path)); delay > 0)
    QTimer::singleShot(delay, socket, send);
  else
    send();
}

QString RefusingUrl() {
  QTcpServer probe;
  probe.listen(QHostAddress::LocalHost, 0);
  const quint16 port = probe.serverPort();
  probe.close();
  return QStringLiteral("http://127.0.0.1:%1/archivos/CurrentVersion.xml").arg(port);
}

QByteArray VersionDocument(const QByteArray& version) {
  return "<Pellisto><CurrentVersion>" + version + "</CurrentVersion></Pellisto>";
}
