#pragma once
// The remote-control server: one client at a time on a TCP port. It greets
// the client, cuts what it sends into CR-terminated lines, checks the form
// of each line (an optional "*hh" XOR checksum, or one of the prefixes that
// may go without) and hands every valid line to the command interpreter
// through sendTelnetCommand; a malformed line it answers itself.

#include "platform/TcpKeepAlive.h"
#include "remote/RemoteControlProtocol.h"

#include <QAbstractSocket>
#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QtGlobal>

class QTcpServer;
class QTcpSocket;

class TelnetTcpServer : public QObject {
  Q_OBJECT

public:
  // A line longer than this is discarded up to its CR with one reply.
  static constexpr int MaxLineBytes = RemoteLineFramer::MaxLineBytes;
  // What the client's socket holds of its unread bytes; the rest waits in
  // the system's queue.
  static constexpr qint64 ReadBufferBytes = 64 * 1024;
  // One pass over a client's lines ends after this long, so that a burst
  // of lines does not hold the receiver, the counters and the clock; the
  // next pass follows from the event loop.
  static constexpr int WorkPassMs = 2;
  // While more replies than this wait to go out, the client's further
  // lines wait too (TCP holds them back at the client); its lines go on
  // once less than half of it waits. A client that reads slowly is thus
  // answered at its own pace, every line in order.
  static constexpr qint64 MaxWaitingReplyBytes = 256 * 1024;
  // A client that leaves more than this unread is dropped: what the server
  // sends on its own (counter sentences) to a client that reads nothing,
  // its replies being held below MaxWaitingReplyBytes.
  static constexpr qint64 MaxUnsentBytes = 1024 * 1024;
  // A client whose machine vanished without closing is ended by the
  // system after about 90 s, not hours later: after 90 s of silence
  // (keep-alive) or of unacknowledged data (the user timeout).
  static constexpr TcpKeepAliveTimes KeepAlive{60, 10, 3, 90 * 1000};
  // How long a dropped client may take to receive its last reply.
  static constexpr int CloseGraceMs = 5000;

  explicit TelnetTcpServer(QObject *parent = nullptr);
  ~TelnetTcpServer() override;

  // (Re)starts serving on `port` on every local address; a connected client
  // is dropped. True when listening.
  bool StartServer(quint16 port);
  // One message and CR LF to the client; nothing without one.
  void SendMessage(const QByteArray &message);
  // Called by a command: the client's next line, when it came with this
  // one, is carried out before anything else runs (no counter reading
  // between closing a log and the command that opens the next).
  void CarryOutNextLineAtOnce();
  // The keep-alive times of the clients taken from now on, in place of
  // KeepAlive.
  void SetKeepAliveTimes(const TcpKeepAliveTimes &times) { keepAlive = times; }
  // Checks one framed line; emits sendTelnetCommand or answers the line.
  void ProcessMessage(QByteArray &line);

  bool IsListening() const;
  // The port of the last successful start; 0 until then.
  quint16 Port() const { return port; }
  bool HasClient() const;

signals:
  void sendTelnetCommand(QByteArray qbComand);

private slots:
  void newConnection();
  void onReadyRead();
  void onSocketStateChanged(QAbstractSocket::SocketState socketState);
  void onBytesWritten();

private:
  // Carries out the client's lines for at most WorkPassMs, and none while
  // too many replies wait.
  void WorkOff();
  // Whether the replies that wait hold back the client's lines.
  bool RepliesBackedUp(QTcpSocket *socket);
  // Whether `socket` is still the connected client.
  bool StillServing(const QTcpSocket *socket) const;
  // Detaches the client and lets it go after its last bytes; no re-listen.
  void ReleaseClient();
  // What was kept of the last client's lines.
  void ForgetClientState();

  QTcpServer *listener;
  QPointer<QTcpSocket> client;
  quint16 port = 0;

  RemoteLineFramer framer;
  // The next pass over lines that a pass left.
  QTimer nextPass;
  // Set while a pass runs, so that a command's local event loop does not
  // frame the next bytes in the middle of a line.
  bool reading = false;
  // The client's lines wait for its replies to drain.
  bool heldBack = false;
  // The line after the one being carried out follows in the same pass.
  bool nextLineAtOnce = false;
  TcpKeepAliveTimes keepAlive = KeepAlive;
};
