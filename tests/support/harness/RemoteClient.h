#pragma once
// A remote-control client on loopback for the server tests, and a free port
// in the range the link dialog accepts (the system's own picks for port 0
// lie above it).

#include <QByteArray>
#include <QHostAddress>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

namespace riduder::test {

// A port from 1024 to 32767 on which nothing listens just now.
inline quint16 FreeLinkPort()
{
  for (int attempt = 0; attempt < 1000; ++attempt) {
    const auto port = quint16(QRandomGenerator::global()->bounded(1024, 32768));
    QTcpServer probe;
    if (probe.listen(QHostAddress::Any, port))
      return port;
  }
  return 0;
}

class RemoteClient {
public:
  static constexpr int WaitMs = 5000;

  // Connects and takes the greeting; false when refused or not greeted.
  bool Connect(quint16 port)
  {
    socket.connectToHost(QHostAddress::LocalHost, port);
    if (!QTest::qWaitFor([this] { return socket.state() == QAbstractSocket::ConnectedState || Failed(); }, WaitMs))
      return false;
    if (Failed())
      return false;
    greeting = ReadRawLine();
    return !greeting.isNull();
  }

  // Whether a connection attempt was refused or the connection is gone.
  bool Failed() const { return socket.state() == QAbstractSocket::UnconnectedState; }

  void Send(const QByteArray &bytes)
  {
    socket.write(bytes);
    socket.flush();
  }

  // The next line as received, LF included; a null array when none comes
  // in time.
  QByteArray ReadRawLine(int waitMs = WaitMs)
  {
    (void)QTest::qWaitFor([this] { return socket.canReadLine() || Failed(); }, waitMs);
    return socket.canReadLine() ? socket.readLine() : QByteArray();
  }

  // The next line without its CR LF; a null array when none comes in time.
  QByteArray ReadLine(int waitMs = WaitMs)
  {
    QByteArray line = ReadRawLine(waitMs);
    if (line.isNull())
      return line;
    if (line.endsWith("\r\n"))
      line.chop(2);
    return line.isEmpty() ? QByteArray("") : line;
  }

  // Waits until the server has closed the connection.
  bool WaitGone(int waitMs = WaitMs)
  {
    return QTest::qWaitFor([this] { return Failed(); }, waitMs);
  }

  QTcpSocket socket;
  QByteArray greeting;
};

}  // namespace riduder::test
