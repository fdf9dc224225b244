#pragma once
// The remote-control server: one client at a time on a TCP port. It greets
// the client, cuts what it sends into CR-terminated lines, checks the form
// of each line (an optional "*hh" XOR checksum, or one of the prefixes that
// may go without) and hands every valid line to the command interpreter
// through sendTelnetCommand; a malformed line it answers itself.

#include <QAbstractSocket>
#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QtGlobal>

class QTcpServer;
class QTcpSocket;

// The wire format of the remote-control link.
namespace RemoteControlProtocol {
inline constexpr char Greeting[] = "Hello client, this is Riduder.\r\n";
inline constexpr char Rejected[] = " ???";
inline constexpr quint16 DefaultPort = 32325;

// Whether `line` (without its CR) may be carried out. A correct or wrong
// "*hh" suffix is removed from `line` either way, so a rejection shows the
// line without it.
bool CheckLine(QByteArray &line);
}  // namespace RemoteControlProtocol

class TelnetTcpServer : public QObject {
  Q_OBJECT

public:
  // A line longer than this is discarded up to its CR with one reply.
  static constexpr int MaxLineBytes = 4096;
  // The part of a discarded line that its reply shows.
  static constexpr int RejectedLineShown = 64;
  // A client that leaves more replies than this unread is dropped.
  static constexpr qint64 MaxUnsentBytes = 1024 * 1024;
  // How long a dropped client may take to receive its last reply.
  static constexpr int CloseGraceMs = 5000;

  explicit TelnetTcpServer(QObject *parent = nullptr);
  ~TelnetTcpServer() override;

  // (Re)starts serving on `port` on every local address; a connected client
  // is dropped. True when listening.
  bool StartServer(quint16 port);
  // One message and CR LF to the client; nothing without one.
  void SendMessage(const QByteArray &message);
  // Checks one framed line; emits sendTelnetCommand or answers the line.
  void ProcessMessage(QByteArray &line);

  bool IsListening() const;
  // The port of the last successful start; 0 until then.
  quint16 Port() const { return port; }
  bool HasClient() const;

signals:
  void sendTelnetCommand(QByteArray qbComand);
  // A new client is being served: what an earlier one asked for is not its.
  void clientConnected();

private slots:
  void newConnection();
  void onReadyRead();
  void onSocketStateChanged(QAbstractSocket::SocketState socketState);

private:
  // Cuts lines out of one chunk of received bytes; false once the client
  // that sent them is gone (dropped by a command).
  bool FrameBytes(const QByteArray &bytes, QTcpSocket *from);
  // Whether `socket` is still the connected client.
  bool StillServing(const QTcpSocket *socket) const;
  // Detaches the client and lets it go after its last bytes; no re-listen.
  void ReleaseClient();

  QTcpServer *listener;
  QPointer<QTcpSocket> client;
  quint16 port = 0;

  // What the client sent that no CR has ended yet (at most MaxLineBytes).
  QByteArray buffer;
  // Discarding an overlong line until its CR.
  bool discarding = false;
  // The last byte framed was a line's CR: LF and NUL after it are dropped,
  // in this read also further CRs.
  bool afterCr = false;
  // Set while a read is being framed, so that a command's local event loop
  // does not frame the next bytes in the middle of a line.
  bool reading = false;
};
