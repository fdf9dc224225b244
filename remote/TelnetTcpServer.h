#pragma once
// The remote-control server: one client at a time on a TCP port.

#include <QByteArray>
#include <QObject>
#include <QTcpServer>
#include <QtGlobal>

class TelnetTcpServer : public QObject {
  Q_OBJECT

public:
  explicit TelnetTcpServer(QObject *parent = nullptr);
  ~TelnetTcpServer() override;

  // Closes any listener and listens on all addresses at the port.
  bool StartServer(quint16 port);
  bool IsListening() const { return server.isListening(); }
  quint16 Port() const { return server.serverPort(); }

signals:
  void sendTelnetCommand(QByteArray command);

private:
  QTcpServer server;
};
