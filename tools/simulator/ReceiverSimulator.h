#pragma once
// A simulated receiver on a pseudo-terminal, for tests and demonstrations.
//
// The program (or a QSerialPort in a test) opens slavePath() as its serial
// port. The simulator replays a byte stream at a serial data rate, answers
// the messages it receives from a table of request -> reply rules, and
// records everything it received. It runs on the thread that owns it,
// driven by socket notifiers and timers, so a test can run it in the same
// event loop as the port that talks to it.

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>

class QSocketNotifier;

namespace riduder::sim {

enum class MatchKind {
  Prefix,  // the message begins with the request
  Whole,   // the message is the request (its CR LF may be left out)
};

// What the receiver does when a rule matches.
struct Reply {
  QByteArray bytes;      // sent back; may be empty
  int delayMs = 0;       // after the request's message is complete
  int switchToRate = 0;  // when > 0: afterwards the receiver talks at this rate only
};

struct ScriptRule {
  MatchKind match = MatchKind::Prefix;
  QByteArray request;
  Reply reply;
};

// The first rule in `rules` that matches a complete message (with its CR LF),
// or nullptr.
const ScriptRule *MatchingRule(const QList<ScriptRule> &rules, const QByteArray &message);

class ReceiverSimulator : public QObject {
  Q_OBJECT
public:
  explicit ReceiverSimulator(QObject *parent = nullptr);
  ~ReceiverSimulator() override;

  // Opens a new pseudo-terminal in raw mode, one that a serial port can
  // open (no other program holds the lock of its number). An open one is
  // closed only then, so a reopened simulator has another number. False
  // with a reason on failure.
  bool open(QString *error = nullptr);
  void close();
  bool isOpen() const { return m_master >= 0; }
  // The device the program opens, e.g. "/dev/pts/7"; empty when closed.
  QString slavePath() const { return m_slavePath; }

  // The data rate the program set on its end of the line (0 when unknown).
  int lineRate() const;
  // The rate the simulated receiver talks at. While it differs from
  // lineRate() the receiver neither understands requests nor is heard:
  // rules do not fire and replayed bytes are lost. 0 (the default) means
  // any rate works.
  void setReceiverRate(int bitsPerSecond) { m_receiverRate = bitsPerSecond; }
  int receiverRate() const { return m_receiverRate; }

  // Rules are tried in the order added; the first that matches a message
  // fires. A message is what the program sent up to and including CR LF.
  void addRule(const ScriptRule &rule) { m_rules.append(rule); }
  void addRule(MatchKind match, const QByteArray &request, const QByteArray &reply, int delayMs = 0);
  void clearRules() { m_rules.clear(); }
  QList<ScriptRule> rules() const { return m_rules; }

  // Replays `bytes` at dataRate bit/s (dataRate / 10 bytes per second), or
  // as fast as the reader takes them when dataRate is 0. With `loop` the
  // stream starts again at its end. Replies are slipped in between replayed
  // messages, not inside one.
  void startReplay(const QByteArray &bytes, int dataRate, bool loop = false);
  // Replays `bytes` at the receiver's own pace: one epoch (see
  // EpochStarts) a second, the bytes within an epoch at dataRate.
  void startEpochReplay(const QByteArray &bytes, int dataRate, bool loop = false);
  // The clock that paces a replay, in milliseconds from any origin; tests
  // set one they advance themselves. By default a monotonic clock.
  void setClock(std::function<qint64()> nowMs) { m_clock = std::move(nowMs); }
  void stopReplay();
  bool isReplaying() const { return m_replaying; }
  // Where the replay stands in its stream: the bytes handed to the line
  // since the stream last (re)started.
  qint64 replayPosition() const { return m_replayPos; }
  // Times a paced replay has woken since the simulator was made: what it
  // costs while the line is idle between epochs.
  qint64 replayWakeups() const { return m_replayWakeups; }

  // Sends bytes at once, behind whatever is already waiting to go out.
  void write(const QByteArray &bytes);
  // Bytes not yet taken by the pseudo-terminal.
  qint64 bytesToWrite() const { return m_out.size(); }

  // Everything received since opening or the last clearReceived().
  QByteArray received() const { return m_received; }
  // The complete messages among them (each with its CR LF).
  QList<QByteArray> receivedMessages() const { return m_messages; }
  void clearReceived();

signals:
  void bytesReceived(const QByteArray &bytes);
  void messageReceived(const QByteArray &message);
  // A rule fired for `message`; its reply is on its way.
  void answered(const QByteArray &message, const QByteArray &reply);
  // A replay without loop has handed its last byte to the line.
  void replayFinished();
  // Reading or writing the line failed (the text names the call and cause).
  void lineError(const QString &text);

private:
  void onReadable();
  void onWritable();
  void onReplayTick();
  // Feeds the bytes of the epochs that are due; returns when the next
  // byte is due (replay clock, ms).
  qint64 feedEpochs(bool deliver);
  qint64 nowMs() const { return m_clock ? m_clock() : m_monotonic.elapsed(); }
  void handleMessage(const QByteArray &message);
  void sendReply(const Reply &reply);
  void feedReplay(qint64 count, bool deliver);
  bool atMessageBoundary() const;
  bool receiverHearsLine() const;
  void pump();

  int m_master = -1;
  int m_slave = -1;  // held open so the master never reads EIO
  QString m_slavePath;
  quint64 m_generation = 0;  // bumped by close(); stale delayed replies check it
  QSocketNotifier *m_readNotifier = nullptr;
  QSocketNotifier *m_writeNotifier = nullptr;

  QList<ScriptRule> m_rules;
  int m_receiverRate = 0;

  QByteArray m_out;
  QByteArray m_pending;  // received bytes of the message not yet complete
  QByteArray m_received;
  QList<QByteArray> m_messages;

  QByteArray m_replay;
  qint64 m_replayPos = 0;
  qint64 m_replaySent = 0;  // bytes whose time has come (paced mode)
  int m_replayRate = 0;
  bool m_replayLoop = false;
  bool m_replaying = false;
  bool m_finishPending = false;
  std::function<qint64()> m_clock;
  QElapsedTimer m_monotonic;
  qint64 m_replayStartMs = 0;
  QList<qint64> m_epochStarts;  // empty: paced by bytes
  int m_epoch = 0;
  qint64 m_epochBeganMs = 0;
  QTimer m_replayTimer;  // single-shot, set for when the next byte is due
  qint64 m_replayWakeups = 0;
  QList<QByteArray> m_heldReplies;  // waiting for a message boundary
  QElapsedTimer m_heldSince;
};

}  // namespace riduder::sim
