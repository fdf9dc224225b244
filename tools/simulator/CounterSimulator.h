#pragma once
// A simulated time-interval counter on loopback TCP, for tests and
// demonstrations.
//
// It listens on 127.0.0.1 at a free port and serves from a thread of its
// own, because the program waits for a counter's answers with blocking
// calls on its GUI thread. Each connection gets the greeting; each message
// the program sends (up to and including CR LF) is answered by the first
// matching rule, or with the prompt when none matches. A rule's reply
// carries its own prompt, so a rule with an empty reply leaves the counter
// silent until a test writes.

#include "tools/simulator/ReceiverSimulator.h"

#include <QByteArray>
#include <QList>
#include <QMutex>
#include <QString>

#include <memory>

class QThread;

namespace riduder::sim {

struct CounterProfile {
  QByteArray greeting;  // sent on connecting; empty for a counter that never talks
  QByteArray greetingRest;  // sent greetingRestDelayMs later: a greeting in two pieces
  int greetingRestDelayMs = 0;
  QByteArray prompt;    // the answer to a message no rule matches
  QList<ScriptRule> rules;
  bool silent = false;  // answers nothing at all
  // A counter that talks fast: from the program's first message on, this
  // many readings a second, each "+<n>E-12" (n counting from 1) followed by
  // CR LF and the prompt. What the program does not take in time waits in a
  // bounded send queue; beyond it, readings are not sent (n still counts).
  int streamLinesPerSecond = 0;
  // n is written with at least this many digits, leading zeros before it:
  // 14 makes a reading as long as a real counter's ("+1.234567890000E-07").
  int streamReadingDigits = 0;

  // A counter of each model; its readings come 200 ms after each "READ?".
  static CounterProfile Model53230A();
  static CounterProfile ModelBnc1105();
  static CounterProfile UnknownModel();
  static CounterProfile Silent();
};

class CounterServer;

class CounterSimulator {
public:
  explicit CounterSimulator(const CounterProfile &profile);
  ~CounterSimulator();
  CounterSimulator(const CounterSimulator &) = delete;
  CounterSimulator &operator=(const CounterSimulator &) = delete;

  // Starts the thread and listens. False with a reason on failure.
  bool start(QString *error = nullptr);
  void stop();
  quint16 port() const { return m_port; }
  // "127.0.0.1:<port>", the address the counter port setting takes.
  QByteArray address() const;

  // Safe from any thread:
  // The complete messages received from every connection, in order.
  QList<QByteArray> receivedMessages() const;
  // Every byte received.
  QByteArray received() const;
  void clearReceived();
  int connectionsAccepted() const;
  int connectionsOpen() const;
  // Sends bytes to every open connection.
  void write(const QByteArray &bytes);
  // Closes every open connection from the counter's side.
  void dropConnections();
  // The last reading number a streaming counter made, sent or not.
  qint64 lastStreamedReading() const;

  // Shared with the server thread.
  struct Record {
    mutable QMutex mutex;
    QByteArray received;
    QList<QByteArray> messages;
    int accepted = 0;
    int open = 0;
    qint64 streamed = 0;
  };

private:
  CounterProfile m_profile;
  std::unique_ptr<QThread> m_thread;
  CounterServer *m_server = nullptr;  // lives on m_thread
  quint16 m_port = 0;
  Record m_record;
};

}  // namespace riduder::sim
