#include "tools/simulator/ReceiverSimulator.h"

#include "tools/simulator/CaptureEpochs.h"
#include "tools/simulator/LineRate.h"

#include <QSerialPort>
#include <QSocketNotifier>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <pty.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace riduder::sim {

namespace {

constexpr qint64 kFastChunk = 4096;      // replay bytes queued at a time when unpaced
constexpr qint64 kMaxPerPump = 65536;    // bytes written before yielding to the event loop
constexpr qint64 kMaxPending = 65536;    // longest message kept while waiting for its CR LF
constexpr int kUnreadLimit = 2048;       // unread bytes on the line before they count as lost
constexpr int kHeldReplyWaitMs = 500;    // longest a reply waits for a gap in the replay
constexpr int kReplayTickMs = 5;        // shortest wait between replay wake-ups
constexpr int kMaxReplaySleepMs = 1000;  // longest a paced replay sleeps (an epoch apart)
constexpr int kPseudoTerminalAttempts = 16;  // lines tried before giving up on locked numbers

void SetFdFlags(int fd, bool nonBlocking)
{
  const int flags = fcntl(fd, F_GETFL);
  if (flags >= 0 && nonBlocking)
    fcntl(fd, F_SETFL, flags | O_NONBLOCK);
  const int fdFlags = fcntl(fd, F_GETFD);
  if (fdFlags >= 0)
    fcntl(fd, F_SETFD, fdFlags | FD_CLOEXEC);
}

QString ErrnoText(const char *what)
{
  return QStringLiteral("%1: %2").arg(QString::fromLatin1(what), QString::fromLocal8Bit(strerror(errno)));
}

struct PseudoTerminal {
  int master = -1;
  int slave = -1;
  QString path;

  void Close()
  {
    ::close(master);
    ::close(slave);
  }
};

bool OpenPseudoTerminal(PseudoTerminal *pty, QString *error)
{
  if (openpty(&pty->master, &pty->slave, nullptr, nullptr, nullptr) != 0) {
    if (error)
      *error = ErrnoText("openpty");
    return false;
  }
  char name[128] = {};
  if (ptsname_r(pty->master, name, sizeof name) != 0) {
    if (error)
      *error = ErrnoText("ptsname");
    pty->Close();
    return false;
  }
  pty->path = QString::fromLocal8Bit(name);
  // Raw, so the line discipline neither echoes nor rewrites bytes; the
  // program's own settings replace these while it has the port open.
  struct termios tio {};
  if (tcgetattr(pty->master, &tio) == 0) {
    cfmakeraw(&tio);
    tcsetattr(pty->master, TCSANOW, &tio);
  }
  SetFdFlags(pty->master, true);
  SetFdFlags(pty->slave, false);
  return true;
}

// A serial port locks its device by a file named after the device's
// number. Another program may hold the lock of a number that is free here
// (its port on an earlier pseudo-terminal of that number, or on another set
// of pseudo-terminals that shares the lock folder), and then no serial port
// opens the new line. Such a line stays open while the next is tried, so
// that the system hands out another number.
bool OpenUsablePseudoTerminal(PseudoTerminal *usable, QString *error)
{
  QList<PseudoTerminal> locked;
  bool found = false;
  QString refusal;
  for (int attempt = 0; attempt < kPseudoTerminalAttempts && !found; ++attempt) {
    PseudoTerminal pty;
    if (!OpenPseudoTerminal(&pty, error))
      break;
    QSerialPort probe;
    probe.setPortName(pty.path);
    found = probe.open(QIODevice::ReadWrite);
    if (found) {
      probe.close();
      *usable = pty;
    } else {
      refusal = QStringLiteral("%1: %2").arg(pty.path, probe.errorString());
      locked.append(pty);
    }
  }
  for (PseudoTerminal &pty : locked)
    pty.Close();
  if (locked.size() == kPseudoTerminalAttempts && error)
    *error = QStringLiteral("no serial port opens a new pseudo-terminal (%1 tried, the last %2)")
                 .arg(locked.size())
                 .arg(refusal);
  return found;
}

}  // namespace

ReceiverSimulator::ReceiverSimulator(QObject *parent) : QObject(parent)
{
  m_replayTimer.setTimerType(Qt::PreciseTimer);
  m_replayTimer.setSingleShot(true);
  m_monotonic.start();
  connect(&m_replayTimer, &QTimer::timeout, this, &ReceiverSimulator::onReplayTick);
}

ReceiverSimulator::~ReceiverSimulator()
{
  close();
}

bool ReceiverSimulator::open(QString *error)
{
  // The new line is opened while the old one is still held, so that it
  // gets another number: the old one may be the number that was locked.
  PseudoTerminal pty;
  if (!OpenUsablePseudoTerminal(&pty, error))
    return false;
  close();

  m_master = pty.master;
  m_slave = pty.slave;
  m_slavePath = pty.path;
  m_readNotifier = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
  connect(m_readNotifier, &QSocketNotifier::activated, this, &ReceiverSimulator::onReadable);
  m_writeNotifier = new QSocketNotifier(m_master, QSocketNotifier::Write, this);
  m_writeNotifier->setEnabled(false);
  connect(m_writeNotifier, &QSocketNotifier::activated, this, &ReceiverSimulator::onWritable);
  return true;
}

void ReceiverSimulator::close()
{
  ++m_generation;
  stopReplay();
  if (m_readNotifier) {
    m_readNotifier->setEnabled(false);
    m_readNotifier->deleteLater();
    m_readNotifier = nullptr;
  }
  if (m_writeNotifier) {
    m_writeNotifier->setEnabled(false);
    m_writeNotifier->deleteLater();
    m_writeNotifier = nullptr;
  }
  if (m_master >= 0)
    ::close(m_master);
  if (m_slave >= 0)
    ::close(m_slave);
  m_master = -1;
  m_slave = -1;
  m_slavePath.clear();
  m_out.clear();
  m_pending.clear();
}

int ReceiverSimulator::lineRate() const
{
  return ReadLineRate(m_master);
}

void ReceiverSimulator::addRule(MatchKind match, const QByteArray &request, const QByteArray &reply, int delayMs)
{
  ScriptRule rule;
  rule.match = match;
  rule.request = request;
  rule.reply.bytes = reply;
  rule.reply.delayMs = delayMs;
  m_rules.append(rule);
}

void ReceiverSimulator::clearReceived()
{
  m_received.clear();
  m_messages.clear();
}

bool ReceiverSimulator::receiverHearsLine() const
{
  return m_receiverRate <= 0 || lineRate() == m_receiverRate;
}

void ReceiverSimulator::onReadable()
{
  char buffer[4096];
  QByteArray chunk;
  for (;;) {
    const ssize_t n = ::read(m_master, buffer, sizeof buffer);
    if (n > 0) {
      chunk.append(buffer, static_cast<int>(n));
      continue;
    }
    if (n < 0 && errno == EINTR)
      continue;
    if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
      // Not expected while our own slave descriptor is open; stop reading
      // rather than spin on a broken line.
      m_readNotifier->setEnabled(false);
      emit lineError(ErrnoText("read"));
    }
    break;
  }
  if (chunk.isEmpty())
    return;
  m_received.append(chunk);
  m_pending.append(chunk);
  const quint64 generation = m_generation;
  emit bytesReceived(chunk);
  if (generation != m_generation)
    return;  // closed from a slot

  for (int end = m_pending.indexOf("\r\n"); end >= 0; end = m_pending.indexOf("\r\n")) {
    const QByteArray message = m_pending.left(end + 2);
    m_pending.remove(0, end + 2);
    m_messages.append(message);
    emit messageReceived(message);
    if (generation != m_generation)
      return;
    handleMessage(message);
  }
  if (m_pending.size() > kMaxPending)
    m_pending.remove(0, m_pending.size() - 1);  // keep a CR whose LF may follow
}

void ReceiverSimulator::handleMessage(const QByteArray &message)
{
  if (!receiverHearsLine())
    return;
  const ScriptRule *rule = MatchingRule(m_rules, message);
  if (!rule)
    return;
  const Reply reply = rule->reply;
  emit answered(message, reply.bytes);
  if (reply.delayMs <= 0) {
    sendReply(reply);
  } else {
    const quint64 generation = m_generation;
    QTimer::singleShot(reply.delayMs, this, [this, reply, generation] {
      if (generation == m_generation)
        sendReply(reply);
    });
  }
}

const ScriptRule *MatchingRule(const QList<ScriptRule> &rules, const QByteArray &message)
{
  for (const ScriptRule &rule : rules) {
    const bool matches = rule.match == MatchKind::Prefix
                             ? !rule.request.isEmpty() && message.startsWith(rule.request)
                             : message == rule.request || message.chopped(2) == rule.request;
    if (matches)
      return &rule;
  }
  return nullptr;
}

void ReceiverSimulator::sendReply(const Reply &reply)
{
  if (!isOpen())
    return;
  if (!reply.bytes.isEmpty()) {
    if (m_replaying) {
      if (m_heldReplies.isEmpty())
        m_heldSince.start();
      m_heldReplies.append(reply.bytes);
      // A paced replay may sleep until its next epoch: the reply goes at
      // the next message boundary, not then.
      if (m_replayTimer.isActive() && m_replayTimer.remainingTime() > kReplayTickMs)
        m_replayTimer.start(kReplayTickMs);
    } else {
      m_out.append(reply.bytes);
    }
  }
  if (reply.switchToRate > 0)
    m_receiverRate = reply.switchToRate;
  pump();
}

void ReceiverSimulator::write(const QByteArray &bytes)
{
  if (!isOpen())
    return;
  m_out.append(bytes);
  pump();
}

void ReceiverSimulator::startReplay(const QByteArray &bytes, int dataRate, bool loop)
{
  stopReplay();
  if (!isOpen() || bytes.isEmpty())
    return;
  m_replay = bytes;
  m_replayPos = 0;
  m_replaySent = 0;
  m_replayRate = qMax(0, dataRate);
  m_replayLoop = loop;
  m_replaying = true;
  m_finishPending = false;
  m_epochStarts.clear();
  m_replayStartMs = nowMs();
  if (m_replayRate > 0)
    m_replayTimer.start(kReplayTickMs);
  pump();
}

void ReceiverSimulator::startEpochReplay(const QByteArray &bytes, int dataRate, bool loop)
{
  startReplay(bytes, qMax(1, dataRate), loop);
  if (!m_replaying)
    return;
  m_epochStarts = EpochStarts(bytes);
  m_epoch = 0;
  m_epochBeganMs = m_replayStartMs;
}

void ReceiverSimulator::stopReplay()
{
  m_replayTimer.stop();
  m_replaying = false;
  m_finishPending = false;
  for (const QByteArray &held : qAsConst(m_heldReplies))
    m_out.append(held);
  m_heldReplies.clear();
  if (isOpen())
    pump();
}

bool ReceiverSimulator::atMessageBoundary() const
{
  // Oncore and NMEA messages end in LF; UBX frames start with B5 62.
  if (m_replayPos == 0 || m_replayPos >= m_replay.size() || m_replay.at(m_replayPos - 1) == '\n')
    return true;
  return m_replayPos + 1 < m_replay.size() && static_cast<quint8>(m_replay.at(m_replayPos)) == 0xB5
         && static_cast<quint8>(m_replay.at(m_replayPos + 1)) == 0x62;
}

void ReceiverSimulator::feedReplay(qint64 count, bool deliver)
{
  for (qint64 i = 0; m_replaying; ++i) {
    if (m_replayPos >= m_replay.size() && !m_replayLoop) {
      m_replayTimer.stop();
      m_replaying = false;
      m_finishPending = true;
      break;
    }
    if (!m_heldReplies.isEmpty() && (atMessageBoundary() || m_heldSince.elapsed() > kHeldReplyWaitMs)) {
      for (const QByteArray &held : qAsConst(m_heldReplies))
        m_out.append(held);
      m_heldReplies.clear();
    }
    if (i >= count)
      break;
    // A loop starts over only when a byte of it is due, so that an epoch
    // replay, not the end of the stream, says when its first epoch comes.
    if (m_replayPos >= m_replay.size())
      m_replayPos = 0;
    if (deliver)
      m_out.append(m_replay.at(m_replayPos));
    ++m_replayPos;
  }
  if (!m_replaying && m_replayPos >= m_replay.size()) {
    for (const QByteArray &held : qAsConst(m_heldReplies))
      m_out.append(held);
    m_heldReplies.clear();
  }
}

void ReceiverSimulator::onReplayTick()
{
  if (!m_replaying || m_replayRate <= 0)
    return;
  ++m_replayWakeups;
  // Bytes nobody takes off the line are lost, as on a real serial line;
  // otherwise a reopened port would first read a backlog of stale data.
  int unread = 0;
  if (ioctl(m_slave, FIONREAD, &unread) == 0 && unread > kUnreadLimit)
    tcflush(m_slave, TCIFLUSH);
  const bool deliver = receiverHearsLine() && m_out.size() < kUnreadLimit;
  qint64 nextDueMs = 0;
  if (!m_epochStarts.isEmpty()) {
    nextDueMs = feedEpochs(deliver);
  } else {
    const qint64 bytesPerSecond = qMax(1, m_replayRate / 10);
    const qint64 due = (nowMs() - m_replayStartMs) * bytesPerSecond / 1000;
    const qint64 count = due - m_replaySent;
    m_replaySent = due;
    feedReplay(count, deliver);
    nextDueMs = m_replayStartMs + ((due + 1) * 1000 + bytesPerSecond - 1) / bytesPerSecond;
  }
  if (m_replaying) {
    // Sleeps until the next byte is due (between epochs, the next epoch).
    // A clock the caller moves itself may jump at any time: it is read at
    // every short tick instead. Held replies wait for the next tick.
    qint64 waitMs = kReplayTickMs;
    if (!m_clock && m_heldReplies.isEmpty())
      waitMs = qBound(qint64(kReplayTickMs), nextDueMs - nowMs(), qint64(kMaxReplaySleepMs));
    m_replayTimer.start(int(waitMs));
  }
  pump();
}

qint64 ReceiverSimulator::feedEpochs(bool deliver)
{
  const qint64 bytesPerSecond = qMax(1, m_replayRate / 10);
  const qint64 now = nowMs();
  while (m_replaying) {
    const qint64 begin = m_epochStarts.at(m_epoch);
    const bool last = m_epoch + 1 == m_epochStarts.size();
    const qint64 end = last ? m_replay.size() : m_epochStarts.at(m_epoch + 1);
    const qint64 due = qMin(end, begin + (now - m_epochBeganMs) * bytesPerSecond / 1000);
    feedReplay(qMax(qint64(0), due - m_replayPos), deliver);
    // The next epoch begins a second after this one, or when this one's
    // bytes are through if they take longer.
    const qint64 nextMs = qMax(m_epochBeganMs + 1000, m_epochBeganMs + (end - begin) * 1000 / bytesPerSecond);
    if (due < end)
      return now;  // more bytes of this epoch are due at once
    if (now < nextMs)
      return nextMs;
    m_epochBeganMs = nextMs;
    if (last) {
      m_epoch = 0;
      if (!m_replayLoop) {
        feedReplay(0, deliver);  // ends the replay
        return now;
      }
      m_replayPos = 0;
    } else {
      ++m_epoch;
    }
  }
  return now;
}

void ReceiverSimulator::onWritable()
{
  pump();
}

void ReceiverSimulator::pump()
{
  if (!isOpen())
    return;
  qint64 written = 0;
  while (written < kMaxPerPump) {
    if (m_replaying && m_replayRate == 0 && m_out.size() < kFastChunk)
      feedReplay(kFastChunk - m_out.size(), true);
    if (m_out.isEmpty())
      break;
    const ssize_t n = ::write(m_master, m_out.constData(), static_cast<size_t>(m_out.size()));
    if (n > 0) {
      m_out.remove(0, static_cast<int>(n));
      written += n;
      continue;
    }
    if (n < 0 && errno == EINTR)
      continue;
    if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
      m_out.clear();  // the line is gone; nothing more can be sent
      emit lineError(ErrnoText("write"));
    }
    break;
  }
  const bool moreToDo = !m_out.isEmpty() || (m_replaying && m_replayRate == 0);
  m_writeNotifier->setEnabled(moreToDo);
  if (m_out.isEmpty() && m_finishPending) {
    m_finishPending = false;
    emit replayFinished();
  }
}

}  // namespace riduder::sim
