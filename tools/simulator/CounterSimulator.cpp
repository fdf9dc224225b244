#include "tools/simulator/CounterSimulator.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QMetaObject>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>

#include <algorithm>

namespace riduder::sim {

namespace {

constexpr int kReadingDelayMs = 200;
constexpr int kMaxMessagesKept = 10000;
constexpr int kMaxPending = 4096;
constexpr qint64 kMaxStreamQueue = 256 * 1024;
constexpr int kStreamTickMs = 1;

ScriptRule Rule(const QByteArray &request, const QByteArray &reply, int delayMs = 0)
{
  ScriptRule rule;
  rule.match = MatchKind::Prefix;
  rule.request = request;
  rule.reply.bytes = reply;
  rule.reply.delayMs = delayMs;
  return rule;
}

}  // namespace

CounterProfile CounterProfile::Model53230A()
{
  CounterProfile profile;
  profile.prompt = "53230A> ";
  profile.greeting = "Welcome to the 53230A Universal Counter\r\n\r\n" + profile.prompt;
  profile.rules = {Rule("READ?", "+1.234567890000E-07\r\n" + profile.prompt, kReadingDelayMs),
                   Rule("SYST:COMM:LAN:CONT?", "5025\r\n" + profile.prompt)};
  return profile;
}

CounterProfile CounterProfile::ModelBnc1105()
{
  CounterProfile profile;
  profile.prompt = "BNC1105> ";
  profile.greeting = "BNC1105 Time Interval Counter\r\n" + profile.prompt;
  profile.rules = {Rule("READ?", "-2.5E-08\r\n" + profile.prompt, kReadingDelayMs)};
  return profile;
}

CounterProfile CounterProfile::UnknownModel()
{
  CounterProfile profile;
  profile.prompt = "XC-9> ";
  profile.greeting = "XC-9 frequency counter ready\r\n" + profile.prompt;
  profile.rules = {Rule("READ?", "+1.0E-07\r\n" + profile.prompt, kReadingDelayMs)};
  return profile;
}

CounterProfile CounterProfile::Silent()
{
  CounterProfile profile;
  profile.silent = true;
  return profile;
}

// The server side; lives on the simulator's thread.
class CounterServer : public QObject {
public:
  CounterServer(const CounterProfile &profile, CounterSimulator::Record *record)
      : m_profile(profile), m_record(record), m_server(this)  // moves to the thread with its parent
  {
    connect(&m_server, &QTcpServer::newConnection, this, &CounterServer::Accept);
    m_streamTimer.setInterval(kStreamTickMs);
    m_streamTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_streamTimer, &QTimer::timeout, this, &CounterServer::Stream);
  }

  quint16 Listen(QString *error)
  {
    if (!m_server.listen(QHostAddress::LocalHost, 0)) {
      *error = m_server.errorString();
      return 0;
    }
    return m_server.serverPort();
  }

  void Write(const QByteArray &bytes)
  {
    for (QTcpSocket *client : std::as_const(m_clients))
      client->write(bytes);
  }

  void Drop()
  {
    const QList<QTcpSocket *> clients = m_clients;
    for (QTcpSocket *client : clients)
      client->disconnectFromHost();
  }

  void Close()
  {
    m_server.close();
    const QList<QTcpSocket *> clients = m_clients;
    for (QTcpSocket *client : clients)
      client->abort();
  }

private:
  void Accept()
  {
    while (QTcpSocket *client = m_server.nextPendingConnection()) {
      m_clients.append(client);
      {
        QMutexLocker lock(&m_record->mutex);
        ++m_record->accepted;
        ++m_record->open;
      }
      auto pending = std::make_shared<QByteArray>();
      connect(client, &QTcpSocket::readyRead, this, [this, client, pending] { Read(client, pending.get()); });
      connect(client, &QTcpSocket::disconnected, this, [this, client] {
        if (!m_clients.removeOne(client))
          return;
        {
          QMutexLocker lock(&m_record->mutex);
          --m_record->open;
        }
        client->deleteLater();
      });
      if (!m_profile.silent && !m_profile.greeting.isEmpty())
        client->write(m_profile.greeting);
      if (!m_profile.silent && !m_profile.greetingRest.isEmpty()) {
        const QPointer<QTcpSocket> target(client);
        QTimer::singleShot(m_profile.greetingRestDelayMs, this, [this, target] {
          if (target && m_clients.contains(target.data()))
            target->write(m_profile.greetingRest);
        });
      }
    }
  }

  void Read(QTcpSocket *client, QByteArray *pending)
  {
    const QByteArray bytes = client->readAll();
    pending->append(bytes);
    QList<QByteArray> messages;
    for (int end = pending->indexOf("\r\n"); end >= 0; end = pending->indexOf("\r\n")) {
      messages.append(pending->left(end + 2));
      pending->remove(0, end + 2);
    }
    if (pending->size() > kMaxPending)
      pending->remove(0, pending->size() - kMaxPending);
    {
      QMutexLocker lock(&m_record->mutex);
      m_record->received.append(bytes);
      m_record->messages.append(messages);
      if (m_record->messages.size() > kMaxMessagesKept)
        m_record->messages.remove(0, m_record->messages.size() - kMaxMessagesKept);
    }
    if (m_profile.silent)
      return;
    if (m_profile.streamLinesPerSecond > 0 && !messages.isEmpty() && !m_streamTimer.isActive()) {
      m_streamClock.start();
      m_streamTimer.start();
    }
    for (const QByteArray &message : std::as_const(messages)) {
      const ScriptRule *rule = MatchingRule(m_profile.rules, message);
      const Reply reply = rule ? rule->reply : Reply{m_profile.prompt};
      if (reply.delayMs <= 0) {
        client->write(reply.bytes);
        continue;
      }
      const QPointer<QTcpSocket> target(client);
      QTimer::singleShot(reply.delayMs, this, [this, target, reply] {
        if (target && m_clients.contains(target.data()))
          target->write(reply.bytes);
      });
    }
  }

  // The readings due since the stream began, to every client.
  void Stream()
  {
    const qint64 due = m_streamClock.elapsed() * m_profile.streamLinesPerSecond / 1000;
    QByteArray bytes;
    qint64 next = m_streamed;
    const bool room = std::any_of(m_clients.cbegin(), m_clients.cend(),
                                  [](QTcpSocket *client) { return client->bytesToWrite() < kMaxStreamQueue; });
    while (next < due) {
      ++next;
      if (room)
        bytes += '+' + QByteArray::number(next).rightJustified(m_profile.streamReadingDigits, '0') + "E-12\r\n"
                 + m_profile.prompt;
    }
    m_streamed = next;
    for (QTcpSocket *client : std::as_const(m_clients))
      if (client->bytesToWrite() < kMaxStreamQueue)
        client->write(bytes);
    QMutexLocker lock(&m_record->mutex);
    m_record->streamed = m_streamed;
  }

  CounterProfile m_profile;
  CounterSimulator::Record *m_record;
  QTcpServer m_server;
  QList<QTcpSocket *> m_clients;
  QTimer m_streamTimer{this};
  QElapsedTimer m_streamClock;
  qint64 m_streamed = 0;
};

CounterSimulator::CounterSimulator(const CounterProfile &profile) : m_profile(profile) {}

CounterSimulator::~CounterSimulator()
{
  stop();
}

bool CounterSimulator::start(QString *error)
{
  if (m_server)
    return true;
  m_thread = std::make_unique<QThread>();
  m_server = new CounterServer(m_profile, &m_record);
  m_server->moveToThread(m_thread.get());
  QObject::connect(m_thread.get(), &QThread::finished, m_server, &QObject::deleteLater);
  m_thread->start();
  QString reason;
  quint16 port = 0;
  QMetaObject::invokeMethod(m_server, [this, &reason, &port] { port = m_server->Listen(&reason); },
                            Qt::BlockingQueuedConnection);
  if (port == 0) {
    stop();
    if (error)
      *error = reason;
    return false;
  }
  m_port = port;
  return true;
}

void CounterSimulator::stop()
{
  if (!m_server)
    return;
  QMetaObject::invokeMethod(m_server, [this] { m_server->Close(); }, Qt::BlockingQueuedConnection);
  m_thread->quit();
  m_thread->wait();
  m_server = nullptr;  // deleted on the thread's end
  m_thread.reset();
  m_port = 0;
}

QByteArray CounterSimulator::address() const
{
  return "127.0.0.1:" + QByteArray::number(m_port);
}

QList<QByteArray> CounterSimulator::receivedMessages() const
{
  QMutexLocker lock(&m_record.mutex);
  return m_record.messages;
}

QByteArray CounterSimulator::received() const
{
  QMutexLocker lock(&m_record.mutex);
  return m_record.received;
}

void CounterSimulator::clearReceived()
{
  QMutexLocker lock(&m_record.mutex);
  m_record.received.clear();
  m_record.messages.clear();
}

int CounterSimulator::connectionsAccepted() const
{
  QMutexLocker lock(&m_record.mutex);
  return m_record.accepted;
}

int CounterSimulator::connectionsOpen() const
{
  QMutexLocker lock(&m_record.mutex);
  return m_record.open;
}

void CounterSimulator::write(const QByteArray &bytes)
{
  if (m_server)
    QMetaObject::invokeMethod(m_server, [this, bytes] { m_server->Write(bytes); }, Qt::BlockingQueuedConnection);
}

qint64 CounterSimulator::lastStreamedReading() const
{
  QMutexLocker lock(&m_record.mutex);
  return m_record.streamed;
}

void CounterSimulator::dropConnections()
{
  if (m_server)
    QMetaObject::invokeMethod(m_server, [this] { m_server->Drop(); }, Qt::BlockingQueuedConnection);
}

}  // namespace riduder::sim
