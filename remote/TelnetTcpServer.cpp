#include "remote/TelnetTcpServer.h"

#include <QHostAddress>

TelnetTcpServer::TelnetTcpServer(QObject *parent) : QObject(parent) {}

TelnetTcpServer::~TelnetTcpServer()
{
  server.close();
}

bool TelnetTcpServer::StartServer(quint16 port)
{
  server.close();
  return server.listen(QHostAddress::Any, port);
}
