#include "ScriptedHttpServer.h"

#include <QTcpSocket>
#include <QTimer>

namespace riduder::test {

ScriptedHttpServer::ScriptedHttpServer()
{
  server.listen(QHostAddress::LocalHost, 0);
  connect(&server, &QTcpServer::newConnection, this, &ScriptedHttpServer::onNewConnection);
}

QString ScriptedHttpServer::Url(const QString &path) const
{
  return QStringLiteral("http://127.0.0.1:%1%2").arg(Port()).arg(path);
}

int ScriptedHttpServer::RequestCount(const QByteArray &path) const
{
  int count = 0;
  for (const HttpRequest &request : requests)
    count += request.path == path;
  return count;
}

void ScriptedHttpServer::onNewConnection()
{
  while (QTcpSocket *socket = server.nextPendingConnection()) {
    socket->setParent(this);
    connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
    connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
  }
}

void ScriptedHttpServer::onReadyRead(QTcpSocket *socket)
{
  QByteArray &buffer = pending[socket];
  buffer += socket->readAll();
  const int end = buffer.indexOf("\r\n\r\n");
  if (end < 0)
    return;
  const QList<QByteArray> lines = buffer.left(end).split('\n');
  pending.remove(socket);
  HttpRequest request;
  const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
  request.path = first.value(1);
  if (const int query = request.path.indexOf('?'); query >= 0)
    request.path.truncate(query);
  for (int i = 1; i < lines.size(); ++i) {
    const int colon = lines[i].indexOf(':');
    if (colon > 0)
      request.headers.insert(lines[i].left(colon).trimmed().toLower(), lines[i].mid(colon + 1).trimmed());
  }
  requests.append(request);

  const HttpResponse response = routes.value(request.path, HttpResponse::Status(404));
  if (response.silent) {
    emit requestReceived(request.path);
    return;
  }
  QByteArray head = "HTTP/1.1 " + QByteArray::number(response.status) + " Scripted\r\n";
  for (const auto &header : response.headers)
    head += header.first + ": " + header.second + "\r\n";
  if (response.contentLength != HttpResponse::NoLength)
    head += "Content-Length: " +
            QByteArray::number(response.contentLength == HttpResponse::BodySize ? response.body.size()
                                                                                : response.contentLength) +
            "\r\n";
  else
    head += "Transfer-Encoding: chunked\r\n";
  head += "Connection: close\r\n\r\n";
  socket->write(head);
  const bool chunked = response.contentLength == HttpResponse::NoLength;
  auto writeBody = [socket, chunked](const QByteArray &bytes) {
    if (!chunked)
      socket->write(bytes);
    else if (!bytes.isEmpty())
      socket->write(QByteArray::number(bytes.size(), 16) + "\r\n" + bytes + "\r\n");
  };
  writeBody(response.bytesToSend < 0 ? response.body : response.body.left(response.bytesToSend));
  if (!response.later.isEmpty())
    QTimer::singleShot(response.laterMs, socket, [writeBody, later = response.later] { writeBody(later); });
  if (response.trickleMs > 0 && response.bytesToSend >= 0) {
    auto *trickle = new QTimer(socket);
    connect(trickle, &QTimer::timeout, socket,
            [writeBody, trickle, rest = response.body.mid(response.bytesToSend), at = qsizetype(0)]() mutable {
              if (at < rest.size())
                writeBody(rest.mid(at++, 1));
              else
                trickle->stop();
            });
    trickle->start(response.trickleMs);
  }
  emit requestReceived(request.path);
  if (!response.stall) {
    if (chunked)
      socket->write("0\r\n\r\n");
    socket->disconnectFromHost();
  }
}

}  // namespace riduder::test
