#pragma once
// The remote-control server: one client at a time on a TCP port.

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
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

  bool HasClient() const { return client && client->state() == QAbstractSocket::ConnectedState; }
  // Sends one line, ended by CR LF, to the connected client; nothing without one.
  void SendMessage(const QByteArray &message);

signals:
  void sendTelnetCommand(QByteArray command);

private:
  void OnNewConnection();

  QTcpServer server;
  QPointer<QTcpSocket> client;
};
