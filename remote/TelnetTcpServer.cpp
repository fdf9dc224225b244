#include "remote/TelnetTcpServer.h"

#include "receiver/link/Checksums.h"

#include <QDebug>
#include <QHostAddress>
#include <QMetaObject>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

namespace {

// Bytes taken from the socket at a time, so one flood is framed in pieces.
constexpr qint64 ReadChunkBytes = 64 * 1024;

}  // namespace

bool RemoteControlProtocol::CheckLine(QByteArray &line)
{
  const qsizetype size = line.size();
  if (size >= 4 && line.at(size - 3) == '*') {
    // The first byte (normally "$") is not summed.
    const bool ok = NmeaStarChecksumMatches(line);
    line.chop(3);
    return ok;
  }
  if (line.contains('*'))
    return false;
  if (line.contains(',') && (line.startsWith("$GP") || line.startsWith("$PZQK")))
    return true;
  // The interpreter's own sentences need no checksum either.
  if (line.startsWith("$DAREZ,"))
    return true;
  return line == "EXIT";
}

TelnetTcpServer::TelnetTcpServer(QObject *parent) : QObject(parent), listener(new QTcpServer(this))
{
  connect(listener, &QTcpServer::newConnection, this, &TelnetTcpServer::newConnection);
  qDebug() << "Telnet Server created.";
}

TelnetTcpServer::~TelnetTcpServer()
{
  if (listener->isListening()) {
    listener->close();
    qDebug() << "Telnet Server closed.";
  }
  if (client) {
    client->disconnect(this);
    client->close();
    qDebug() << "Telnet Socket closed.";
  }
}

bool TelnetTcpServer::IsListening() const
{
  return listener->isListening();
}

bool TelnetTcpServer::HasClient() const
{
  return client && client->state() == QAbstractSocket::ConnectedState;
}

bool TelnetTcpServer::StartServer(quint16 newPort)
{
  if (listener->isListening()) {
    listener->close();
    qDebug() << "Server closed.";
  }
  if (client) {
    ReleaseClient();
    qDebug() << "Socket closed.";
  }
  if (!listener->listen(QHostAddress::Any, newPort)) {
    qDebug() << "Telnet server could not listen";
    return false;
  }
  port = newPort;
  qDebug() << "Telnet server started.";
  return true;
}

void TelnetTcpServer::ReleaseClient()
{
  QTcpSocket *socket = client;
  client = nullptr;
  buffer.clear();
  discarding = false;
  afterCr = false;
  // Detached first, so that its going does not listen again on the old port.
  socket->disconnect(this);
  if (socket->state() == QAbstractSocket::UnconnectedState) {
    socket->deleteLater();
    return;
  }
  // Its last reply ("DISCONNECTED") still goes out; a client that does not
  // take it is cut off after a while.
  connect(socket, &QAbstractSocket::disconnected, socket, &QObject::deleteLater);
  QTimer::singleShot(CloseGraceMs, socket, [socket] {
    socket->abort();
    socket->deleteLater();
  });
  socket->disconnectFromHost();
}

void TelnetTcpServer::newConnection()
{
  while (QTcpSocket *next = listener->nextPendingConnection()) {
    if (HasClient()) {
      // One client at a time: one that slipped in before the listener
      // closed is refused.
      next->abort();
      next->deleteLater();
      continue;
    }
    // One that is going but has not yet said so makes way.
    if (client)
      ReleaseClient();
    client = next;
    buffer.clear();
    discarding = false;
    afterCr = false;
    connect(next, &QAbstractSocket::stateChanged, this, &TelnetTcpServer::onSocketStateChanged);
    connect(next, &QIODevice::readyRead, this, &TelnetTcpServer::onReadyRead);
    emit clientConnected();
    next->write(RemoteControlProtocol::Greeting);
    // A client that reset its connection fails here and is gone at once.
    next->flush();
    if (HasClient())
      qDebug() << "Telnet client connected. Server listening for commands.";
  }
  // Closed only while a client is served: a connection that was reset
  // before it was taken leaves the port open for the next one.
  if (HasClient())
    listener->close();
}

void TelnetTcpServer::onReadyRead()
{
  if (reading || !client)
    return;
  QPointer<TelnetTcpServer> self(this);
  QPointer<QTcpSocket> from = client;
  reading = true;
  while (from && from == client && from->bytesAvailable() > 0) {
    const QByteArray chunk = from->read(ReadChunkBytes);
    const bool more = FrameBytes(chunk, from);
    if (!self)
      return;
    if (!more)
      break;
  }
  reading = false;
  // A client taken while a command ran may have sent something already.
  if (client && client != from && client->bytesAvailable() > 0)
    QMetaObject::invokeMethod(this, &TelnetTcpServer::onReadyRead, Qt::QueuedConnection);
}

bool TelnetTcpServer::FrameBytes(const QByteArray &bytes, QTcpSocket *from)
{
  QPointer<TelnetTcpServer> self(this);
  QPointer<QTcpSocket> sender(from);
  const qsizetype size = bytes.size();
  bool crInThisRead = false;
  qsizetype at = 0;
  while (at < size) {
    if (afterCr) {
      const char c = bytes.at(at);
      if (c == '\n' || c == '\0' || (c == '\r' && crInThisRead)) {
        ++at;
        continue;
      }
      afterCr = false;
    }
    const qsizetype cr = bytes.indexOf('\r', at);
    const qsizetype end = cr < 0 ? size : cr;
    if (!discarding) {
      if (buffer.size() + (end - at) > MaxLineBytes) {
        buffer.append(bytes.constData() + at, qMin<qsizetype>(end - at, RejectedLineShown));
        const QByteArray shown = buffer.left(RejectedLineShown);
        buffer.clear();
        discarding = true;
        SendMessage(shown + RemoteControlProtocol::Rejected);
        if (!StillServing(sender))
          return false;
      } else {
        buffer.append(bytes.constData() + at, end - at);
      }
    }
    if (cr < 0)
      break;
    at = cr + 1;
    afterCr = true;
    crInThisRead = true;
    if (discarding) {
      discarding = false;
      continue;
    }
    QByteArray line = buffer;
    buffer.clear();
    ProcessMessage(line);
    // A command may have dropped the client (EXIT): what it sent after
    // that is not carried out.
    if (!self || !StillServing(sender))
      return false;
  }
  return true;
}

bool TelnetTcpServer::StillServing(const QTcpSocket *socket) const
{
  return socket && socket == client && socket->state() == QAbstractSocket::ConnectedState;
}

void TelnetTcpServer::ProcessMessage(QByteArray &line)
{
  qDebug().noquote() << "Received TELNET Message -> " << line;
  if (RemoteControlProtocol::CheckLine(line)) {
    qDebug().noquote() << "Valid Telnet Command Format -> " << line;
    emit sendTelnetCommand(line);
  } else {
    qDebug().noquote() << "Invalid Telnet Command Format -> " << line;
    SendMessage(line + RemoteControlProtocol::Rejected);
  }
}

void TelnetTcpServer::SendMessage(const QByteArray &message)
{
  if (!client || client->state() != QAbstractSocket::ConnectedState)
    return;
  client->write(message + "\r\n");
  client->flush();
  if (client && client->bytesToWrite() > MaxUnsentBytes) {
    qDebug() << "Telnet client does not read its replies; connection dropped.";
    client->abort();
  }
}

void TelnetTcpServer::onSocketStateChanged(QAbstractSocket::SocketState socketState)
{
  if (socketState != QAbstractSocket::UnconnectedState)
    return;
  auto *socket = qobject_cast<QTcpSocket *>(sender());
  if (!socket || socket != client)
    return;
  socket->disconnect(this);
  socket->deleteLater();
  client = nullptr;
  buffer.clear();
  discarding = false;
  afterCr = false;
  if (listener->isListening())
    return;
  if (listener->listen(QHostAddress::Any, port))
    qDebug() << "Telnet client disconnected. Server listening for new connection.";
  else
    qDebug() << "Telnet client disconnected. Server tries to listen for new connection but failed.";
}
