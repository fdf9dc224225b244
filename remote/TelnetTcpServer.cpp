#include "remote/TelnetTcpServer.h"

#include <QHostAddress>

TelnetTcpServer::TelnetTcpServer(QObject *parent) : QObject(parent)
{
  connect(&server, &QTcpServer::newConnection, this, &TelnetTcpServer::OnNewConnection);
}

TelnetTcpServer::~TelnetTcpServer()
{
  server.close();
  delete client;
}

bool TelnetTcpServer::StartServer(quint16 port)
{
  server.close();
  return server.listen(QHostAddress::Any, port);
}

void TelnetTcpServer::OnNewConnection()
{
  while (QTcpSocket *socket = server.nextPendingConnection()) {
    if (client) {
      // One client at a time.
      socket->abort();
      socket->deleteLater();
      continue;
    }
    client = socket;
    connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
  }
}

void TelnetTcpServer::SendMessage(const QByteArray &message)
{
  if (!client || client->state() != QAbstractSocket::ConnectedState)
    return;
  client->write(message + "\r\n");
}
