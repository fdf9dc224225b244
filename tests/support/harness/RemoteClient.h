#pragma once
// A remote-control client on loopback for the server tests, and a free port
// in the range the link dialog accepts (the system's own picks for port 0
// lie above it).

#include <QByteArray>
#include <QEventLoop>
#include <QHostAddress>
#include <QList>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

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

// Makes closing `descriptor` reset the connection (RST) instead of ending
// it, as a scanner or a crashed client does.
inline bool ResetOnClose(int descriptor)
{
  const linger abortive{1, 0};
  return ::setsockopt(descriptor, SOL_SOCKET, SO_LINGER, &abortive, sizeof abortive) == 0;
}

// Connects to `port` on loopback and resets the connection at once, without
// running the event loop: the server finds it reset when it takes it.
inline bool ConnectAndReset(quint16 port)
{
  const int descriptor = ::socket(AF_INET, SOCK_STREAM, 0);
  if (descriptor < 0)
    return false;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  const bool connected = ::connect(descriptor, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0;
  const bool reset = connected && ResetOnClose(descriptor);
  ::close(descriptor);
  return reset;
}

// A client on threads of its own: one sends a burst of bytes in one
// blocking write while the other reads the replies, so the server's thread
// has the event loop to itself.
class BurstClient {
public:
  ~BurstClient() { Join(); }

  // Connects to `port` on loopback, sends `burst` and reads lines (the
  // greeting first) until `lines` have come or the connection ends or
  // stays silent for `silenceSeconds`.
  bool Start(quint16 port, const QByteArray &burst, int lines, int silenceSeconds = 60)
  {
    descriptor = ::socket(AF_INET, SOCK_STREAM, 0);
    if (descriptor < 0)
      return false;
    const timeval silence{silenceSeconds, 0};
    ::setsockopt(descriptor, SOL_SOCKET, SO_RCVTIMEO, &silence, sizeof silence);
    ::setsockopt(descriptor, SOL_SOCKET, SO_SNDTIMEO, &silence, sizeof silence);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(descriptor, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0)
      return false;
    writer = std::thread([this, burst] {
      for (qsizetype at = 0; at < burst.size();) {
        const ssize_t sent = ::send(descriptor, burst.constData() + at, size_t(burst.size() - at), MSG_NOSIGNAL);
        if (sent <= 0)
          return;
        at += sent;
      }
      sentAll = true;
    });
    reader = std::thread([this, lines] {
      QByteArray pending;
      char chunk[64 * 1024];
      const auto started = std::chrono::steady_clock::now();
      qint64 taken = 0;
      while (received.size() < lines) {
        size_t wanted = sizeof chunk;
        if (readBytesPerSecond > 0) {
          // Small reads, each when the rate allows it.
          wanted = 4096;
          const auto due = started + std::chrono::microseconds(taken * 1000000 / readBytesPerSecond);
          std::this_thread::sleep_until(due);
        }
        const ssize_t got = ::recv(descriptor, chunk, wanted, 0);
        if (got <= 0)
          break;
        taken += got;
        pending.append(chunk, got);
        qsizetype from = 0;
        for (qsizetype end; (end = pending.indexOf("\r\n", from)) >= 0; from = end + 2)
          received.append(pending.mid(from, end - from));
        pending.remove(0, from);
      }
      done = true;
    });
    return true;
  }

  bool Done() const { return done; }

  void Join()
  {
    if (writer.joinable())
      writer.join();
    if (reader.joinable())
      reader.join();
    if (descriptor >= 0)
      ::close(descriptor);
    descriptor = -1;
  }

  // Set before Start: the client reads no faster than this (0: as fast as
  // it can).
  qint64 readBytesPerSecond = 0;
  // The lines received, without CR LF; read them after Join.
  QList<QByteArray> received;
  std::atomic<bool> sentAll{false};

private:
  int descriptor = -1;
  std::thread writer;
  std::thread reader;
  std::atomic<bool> done{false};
};

class RemoteClient {
public:
  static constexpr int WaitMs = 5000;

  // Connects and takes the greeting; false when refused or not greeted.
  bool Connect(quint16 port)
  {
    socket.connectToHost(QHostAddress::LocalHost, port);
    if (!WaitOnSocket([this] { return socket.state() == QAbstractSocket::ConnectedState || Failed(); }, WaitMs))
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
    (void)WaitOnSocket([this] { return socket.canReadLine() || Failed(); }, waitMs);
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

  // Ends the connection with a reset.
  void Reset()
  {
    ResetOnClose(int(socket.socketDescriptor()));
    socket.abort();
  }

  // Waits until the server has closed the connection.
  bool WaitGone(int waitMs = WaitMs)
  {
    return WaitOnSocket([this] { return Failed(); }, waitMs);
  }

  // Runs the event loop (the server's too) until `done` holds, asked again
  // whenever the socket has news, or until waitMs have passed. Woken by the
  // socket rather than polled: QTest::qWaitFor sleeps 10 ms between looks,
  // which made a client that waits for each reply measure its own sleeps.
  bool WaitOnSocket(const std::function<bool()> &done, int waitMs)
  {
    if (done())
      return true;
    QEventLoop loop;
    const auto check = [&] {
      if (done())
        loop.quit();
    };
    QObject::connect(&socket, &QIODevice::readyRead, &loop, check);
    QObject::connect(&socket, &QAbstractSocket::stateChanged, &loop, check);
    // A timer of its own rather than a single shot, which would stay
    // registered after the wait until its time is up.
    QTimer timeout;
    timeout.setSingleShot(true);
    QObject::connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
    timeout.start(waitMs);
    loop.exec();
    return done();
  }

  QTcpSocket socket;
  QByteArray greeting;
};

}  // namespace riduder::test
