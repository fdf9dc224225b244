#include "remote/TelnetTcpServer.h"

#include "core/PeerText.h"

#include <QDebug>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>

namespace {

// Bytes taken from the socket at a time, so one flood is framed in pieces.
constexpr qint64 ReadChunkBytes = 64 * 1024;

}  // namespace

TelnetTcpServer::TelnetTcpServer(QObject *parent) : QObject(parent), listener(new QTcpServer(this))
{
  connect(listener, &QTcpServer::newConnection, this, &TelnetTcpServer::newConnection);
  nextPass.setSingleShot(true);
  nextPass.setInterval(0);
  connect(&nextPass, &QTimer::timeout, this, &TelnetTcpServer::WorkOff);
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
  ForgetClientState();
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
    ForgetClientState();
    next->setReadBufferSize(ReadBufferBytes);
    // Replies are short and go out once a pass. With Nagle's rule the
    // system holds a short reply back until the client has acknowledged the
    // last one, and a client that delays its acknowledgements then makes
    // every batch of pipelined commands wait about 40 ms.
    next->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    if (!SetTcpKeepAlive(next->socketDescriptor(), keepAlive))
      qDebug() << "Telnet client: keep-alive could not be switched on.";
    connect(next, &QAbstractSocket::stateChanged, this, &TelnetTcpServer::onSocketStateChanged);
    connect(next, &QIODevice::readyRead, this, &TelnetTcpServer::onReadyRead);
    connect(next, &QIODevice::bytesWritten, this, &TelnetTcpServer::onBytesWritten);
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
  // A pass that is due takes these bytes too; held-back lines wait for
  // their turn.
  if (!nextPass.isActive() && !heldBack)
    WorkOff();
}

void TelnetTcpServer::onBytesWritten()
{
  if (!heldBack || !client || client->bytesToWrite() > MaxWaitingReplyBytes / 2)
    return;
  heldBack = false;
  nextPass.start();
}

bool TelnetTcpServer::RepliesBackedUp(QTcpSocket *socket)
{
  if (socket->bytesToWrite() <= MaxWaitingReplyBytes)
    return false;
  // What the system takes now does not wait.
  socket->flush();
  return socket->bytesToWrite() > MaxWaitingReplyBytes;
}

void TelnetTcpServer::CarryOutNextLineAtOnce()
{
  if (reading)
    nextLineAtOnce = true;
}

void TelnetTcpServer::WorkOff()
{
  if (reading || !client || heldBack)
    return;
  QPointer<TelnetTcpServer> self(this);
  QPointer<QTcpSocket> from = client;
  reading = true;
  QElapsedTimer pass;
  pass.start();
  RemoteLineFramer::Item item;
  // A command may drop the client (EXIT): what it sent after that is not
  // carried out.
  while (StillServing(from)) {
    // The client's lines wait while it has not taken its replies; a line
    // that must follow the last one at once still goes.
    if (!nextLineAtOnce && RepliesBackedUp(from)) {
      heldBack = true;
      break;
    }
    if (!framer.Next(item)) {
      // Read until the socket is empty: bytes that came while a command
      // ran raise no further readyRead once its buffer is full.
      if (from->bytesAvailable() <= 0)
        break;
      framer.Append(from->read(ReadChunkBytes));
      continue;
    }
    nextLineAtOnce = false;
    if (item.kind == RemoteLineFramer::Item::Overlong) {
      SendMessage(item.text + RemoteControlProtocol::Rejected);
    } else {
      ProcessMessage(item.text);
      if (!self)
        return;
    }
    if (!nextLineAtOnce && pass.hasExpired(WorkPassMs)) {
      nextPass.start();
      break;
    }
  }
  // Only lines that came together are carried out together.
  nextLineAtOnce = false;
  reading = false;
  if (StillServing(from))
    from->flush();
  // A client taken while a command ran may have sent something already.
  if (client && client != from && client->bytesAvailable() > 0)
    nextPass.start();
}

bool TelnetTcpServer::StillServing(const QTcpSocket *socket) const
{
  return socket && socket == client && socket->state() == QAbstractSocket::ConnectedState;
}

void TelnetTcpServer::ProcessMessage(QByteArray &line)
{
  qDebug().noquote() << "Received TELNET Message -> " << PeerTextForDebug(line);
  if (RemoteControlProtocol::CheckLine(line)) {
    qDebug().noquote() << "Valid Telnet Command Format -> " << PeerTextForDebug(line);
    emit sendTelnetCommand(line);
  } else {
    qDebug().noquote() << "Invalid Telnet Command Format -> " << PeerTextForDebug(line);
    SendMessage(line + RemoteControlProtocol::Rejected);
  }
}

void TelnetTcpServer::SendMessage(const QByteArray &message)
{
  if (!client || client->state() != QAbstractSocket::ConnectedState)
    return;
  client->write(message + "\r\n");
  // A pass over the client's lines sends its replies together, a system
  // call for each reply being most of its work.
  if (!reading || client->bytesToWrite() > ReadBufferBytes)
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
  ForgetClientState();
  if (listener->isListening())
    return;
  if (listener->listen(QHostAddress::Any, port))
    qDebug() << "Telnet client disconnected. Server listening for new connection.";
  else
    qDebug() << "Telnet client disconnected. Server tries to listen for new connection but failed.";
}

void TelnetTcpServer::ForgetClientState()
{
  framer.Clear();
  nextPass.stop();
  heldBack = false;
  nextLineAtOnce = false;
}
