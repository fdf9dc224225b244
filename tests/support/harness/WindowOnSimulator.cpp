#include "WindowOnSimulator.h"

#include "app/GpsRawDataDialog.h"
#include "app/MainWindow.h"
#include "receiver/link/GpsPortSettings.h"
#include "receiver/link/GpsSerialPortThread.h"
#include "receiver/link/LoranLineFramer.h"
#include "receiver/link/OncoreFramer.h"
#include "receiver/link/UbxNmeaFramer.h"
#include "platform/TimeSource.h"
#include "FramerRecorder.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>

#include <sys/ioctl.h>

#include <QTableWidget>

namespace riduder::test {

namespace {

QSerialPort::PinoutSignal PpsSignalOf(int line)
{
  switch (line) {
  case 2: return QSerialPort::ClearToSendSignal;
  case 3: return QSerialPort::DataSetReadySignal;
  default: return QSerialPort::DataCarrierDetectSignal;
  }
}

// Bytes the kernel holds for the port's descriptor, not yet read.
int KernelBytesWaiting(QSerialPort &port)
{
  int waiting = 0;
  if (port.isOpen() && ::ioctl(int(port.handle()), FIONREAD, &waiting) != 0)
    return 0;
  return waiting;
}

template <typename Condition>
bool SpinUntil(Condition condition, int timeoutMs)
{
  QElapsedTimer clock;
  clock.start();
  while (!condition()) {
    if (clock.elapsed() > timeoutMs)
      return false;
    QTest::qWait(2);
  }
  return true;
}

bool StartsEntry(const QString &paragraph)
{
  return paragraph.startsWith(QLatin1String("->")) || paragraph.startsWith(QLatin1String("<-")) ||
         paragraph.startsWith(QLatin1String("?  ")) || paragraph == QLatin1String("?") ||
         paragraph == QLatin1String(PpsMarker);
}

}  // namespace

WindowOnSimulator::WindowOnSimulator() : WindowOnSimulator(Options()) {}

WindowOnSimulator::WindowOnSimulator(const Options &options)
    : ppsSignal_(PpsSignalOf(options.ppsLine))
{
  if (!simulator_.open(&problem_) && problem_.isEmpty())
    problem_ = QStringLiteral("the simulator's pseudo-terminal did not open");

  // LORAN is never a stored mode (it reads back as a search); the window
  // starts in another and switches.
  const quint32 storedMode = options.mode == GpsModeMotorolaLoran ? GpsModeMotorolaBinary : options.mode;
  {
    QSettings settings;
    settings.setValue(GpsPortKeys::PortName, simulator_.slavePath());
    settings.setValue(GpsPortKeys::Mode, GpsModeName(storedMode));
    settings.setValue(GpsPortKeys::DataRate, options.dataRate);
    settings.setValue(GpsPortKeys::PpsInterface, options.ppsLine);
  }

  window_ = std::make_unique<MainWindow>();
  window_->SetMessageBoxes(&boxes_);
  window_->SetTickSounds(&sounds_);
  window_->ReceiverPort().SetModemLineReader(&ppsLine_);
  window_->Timing().SetScale(options.commandTimeScale);
  SetMode(options.mode);
  SetSetupGateOpen(true);
  // The receiver time starts as the PC's; a tick at second 20 or 21 (11 for
  // u-blox) sends a timed poll of its own. Start at a quiet second of today so
  // that a pulse adds nothing the test did not ask for, whatever the hour.
  const QDateTime quiet(QDateTime::currentDateTimeUtc().date(), QTime(12, 0, 5), Qt::UTC);
  window_->State().receiverTime.SetDateTime(quiet);
  window_->State().displayCopy.SetDateTime(quiet);
  // With many test programs at once, a pseudo-terminal's number can come
  // back while another program still holds the lock of its earlier use;
  // a new pseudo-terminal gets another number.
  for (int retry = 0; retry < 3 && problem_.isEmpty() && !window_->ReceiverPort().IsOpen(); ++retry) {
    if (!simulator_.open(&problem_))
      break;
    QSettings().setValue(GpsPortKeys::PortName, simulator_.slavePath());
    boxes_.shown.clear();
    window_->ReceiverPort().startGpsSerialPort(true);
  }
  if (problem_.isEmpty() && !window_->ReceiverPort().IsOpen())
    problem_ = QStringLiteral("the receiver port did not open %1").arg(simulator_.slavePath());
  if (options.showRawData)
    ShowRawData();
}

WindowOnSimulator::~WindowOnSimulator()
{
  if (window_) {
    window_->ReceiverPort().SetModemLineReader(nullptr);
    window_->close();
    window_.reset();
  }
  simulator_.close();
}

void WindowOnSimulator::SetMode(quint32 mode)
{
  window_->SetGpsMode(mode);
}

void WindowOnSimulator::SetSetupGateOpen(bool open)
{
  window_->State().setupInProgress = !open;
}

void WindowOnSimulator::ShowRawData()
{
  window_->RawDataDialog()->ShowDialog();
  window_->State().rawDataWindowOpened = true;
}

void WindowOnSimulator::HideRawData()
{
  window_->RawDataDialog()->hide();
}

bool WindowOnSimulator::WaitUntilTaken(int timeoutMs)
{
  QSerialPort &port = window_->ReceiverPort().SerialPort();
  auto idle = [&] {
    return simulator_.bytesToWrite() == 0 && !simulator_.isReplaying() &&
           KernelBytesWaiting(port) == 0 && port.bytesAvailable() == 0;
  };
  // The pseudo-terminal hands bytes on a moment after they were written:
  // idle must hold twice, a little apart.
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < timeoutMs) {
    if (SpinUntil(idle, int(timeoutMs - clock.elapsed()))) {
      QTest::qWait(15);
      if (idle())
        return true;
    }
  }
  return false;
}

bool WindowOnSimulator::Feed(const QByteArray &bytes, int timeoutMs)
{
  simulator_.write(bytes);
  return WaitUntilTaken(timeoutMs);
}

bool WindowOnSimulator::Replay(const QByteArray &bytes, int timeoutMs)
{
  QSignalSpy finished(&simulator_, &sim::ReceiverSimulator::replayFinished);
  simulator_.startReplay(bytes, 0);
  if (!SpinUntil([&] { return finished.count() > 0; }, timeoutMs))
    return false;
  return WaitUntilTaken(timeoutMs);
}

bool WindowOnSimulator::PpsPulse(int timeoutMs)
{
  QSignalSpy ticks(&window_->ReceiverPort(), &GpsSerialPortThread::PpsTick);
  ppsLine_.SetLine(ppsSignal_, true);
  const bool rose = SpinUntil([&] { return ticks.count() > 0; }, timeoutMs);
  const int readsBefore = ppsLine_.ReadCount();
  ppsLine_.SetLine(ppsSignal_, false);
  // Two more reads: the poll has seen the line low.
  const bool fell = SpinUntil([&] { return ppsLine_.ReadCount() >= readsBefore + 2; }, timeoutMs);
  return rose && fell;
}

QPlainTextEdit *WindowOnSimulator::RawDataText() const
{
  // What the window has taken, without waiting for its next group.
  window_->RawDataDialog()->AppendPendingLines();
  return window_->RawDataDialog()->findChild<QPlainTextEdit *>(QStringLiteral("PlainTextEdit"));
}

QStringList WindowOnSimulator::RawDataLines() const
{
  const QString text = RawDataText()->toPlainText();
  if (text.isEmpty() && RawDataText()->blockCount() <= 1)
    return {};
  return text.split(QLatin1Char('\n'));
}

QStringList WindowOnSimulator::RawDataEntries() const
{
  QStringList entries;
  for (const QString &line : RawDataLines()) {
    if (entries.isEmpty() || StartsEntry(line))
      entries << line;
    else
      entries.last() += QLatin1Char('\n') + line;
  }
  return entries;
}

QStringList WindowOnSimulator::TakeRawDataEntries()
{
  const QStringList entries = RawDataEntries();
  window_->RawDataDialog()->findChild<QPushButton *>(QStringLiteral("ClearScreen"))->click();
  return entries;
}

QString WindowOnSimulator::LabelText(const QString &objectName) const
{
  auto *label = window_->findChild<QLabel *>(objectName);
  return label ? label->text() : QString();
}

QLabel *WindowOnSimulator::AntennaLabel() const { return window_->AntennaStatusLabel(); }
QLabel *WindowOnSimulator::NavLabel() const { return window_->NavStatusLabel(); }
QLabel *WindowOnSimulator::HeartbeatLabel() const { return window_->HeartbeatLabel(); }

// ---------------------------------------------------------------------------

QList<QByteArray> FrameStream(quint32 mode, const QByteArray &stream)
{
  FramerRecorder recorder;
  switch (mode) {
  case GpsModeMotorolaBinary:
  case GpsModeMotorolaBinaryRxOnly: {
    OncoreFramer framer;
    framer.Process(stream, recorder);
    break;
  }
  case GpsModeMotorolaNmea:
  case GpsModeGenericNmea: {
    UbxNmeaFramer framer;
    framer.Process(stream, true, recorder);
    break;
  }
  case GpsModeUbloxUbx:
  case GpsModeUbloxNmea: {
    UbxNmeaFramer framer;
    framer.Process(stream, false, recorder);
    break;
  }
  case GpsModeMotorolaLoran: {
    LoranLineFramer framer;
    framer.Process(stream, recorder);
    break;
  }
  default:
    break;
  }
  return recorder.messages;
}

QList<QByteArray> CutAfterMessages(const QByteArray &stream, const QList<QByteArray> &messages,
                                   int perChunk)
{
  QList<QByteArray> chunks;
  qsizetype chunkStart = 0;
  qsizetype position = 0;
  for (int i = 0; i < messages.size(); ++i) {
    const qsizetype at = stream.indexOf(messages.at(i), position);
    if (at < 0)
      break;
    position = at + messages.at(i).size();
    // What the framer left off the message: an Oncore checksum and CR LF,
    // an NMEA line end.
    if (messages.at(i).startsWith("@@"))
      position = qMin(position + 3, stream.size());
    while (position < stream.size() && (stream.at(position) == '\r' || stream.at(position) == '\n'))
      ++position;
    if ((i + 1) % perChunk == 0 && i + 1 < messages.size()) {
      chunks << stream.mid(chunkStart, position - chunkStart);
      chunkStart = position;
    }
  }
  chunks << stream.mid(chunkStart);
  return chunks;
}

// ---------------------------------------------------------------------------

RawDataReference::RawDataReference() : host_(&state_), nmea_(state_, host_), ubx_(state_, host_)
{
  state_.setupInProgress = false;
  state_.rawDataWindowOpened = true;
  scratch_.setMaximumBlockCount(0);
}

QString RawDataReference::AsShown(const QString &line)
{
  scratch_.clear();
  scratch_.appendPlainText(line.trimmed());
  return scratch_.toPlainText();
}

bool RawDataReference::Matches(const Entry &expected, const QString &shown)
{
  return expected.exact ? shown == expected.text : shown.startsWith(expected.text);
}

QString RawDataReference::Mismatch(const QStringList &lines, const QList<Entry> &expected)
{
  auto printable = [](const QString &text) {
    return QString::fromLatin1(text.left(70).toUtf8().toPercentEncoding(" ,.:;/$*-+<>?@=()[]"));
  };
  int at = 0;
  for (int e = 0; e < expected.size(); ++e) {
    const Entry &entry = expected.at(e);
    const QString where = QStringLiteral("entry %1 of %2, line %3 of %4: ")
                              .arg(e).arg(expected.size()).arg(at).arg(lines.size());
    if (at >= lines.size())
      return where + QStringLiteral("missing [%1]").arg(printable(entry.text));
    if (entry.exact) {
      const QStringList want = entry.text.split(QLatin1Char('\n'));
      const QStringList got = lines.mid(at, want.size());
      if (got != want)
        return where + QStringLiteral("shown [%1] expected [%2]")
                           .arg(printable(got.join(QLatin1Char('\n'))), printable(entry.text));
      at += int(want.size());
    } else {
      if (!lines.at(at).startsWith(entry.text))
        return where + QStringLiteral("shown [%1] expected [%2...]")
                           .arg(printable(lines.at(at)), printable(entry.text));
      ++at;
      while (at < lines.size() && !StartsEntry(lines.at(at)))
        ++at;
    }
  }
  if (at < lines.size())
    return QStringLiteral("%1 more lines, from [%2]").arg(lines.size() - at).arg(printable(lines.at(at)));
  return QString();
}

QList<RawDataReference::Entry> RawDataReference::Expect(quint32 mode, const QByteArray &message)
{
  if (message == QByteArray(PpsMarker))
    return {Entry{QString::fromLatin1(PpsMarker), true}};
  const QString text = QString::fromUtf8(message);
  const qsizetype commandsBefore = host_.commands.size();
  std::optional<Entry> line;
  switch (mode) {
  case GpsModeMotorolaBinary:
  case GpsModeMotorolaBinaryRxOnly:
    // The decoder's words depend on the window's position object and
    // dialogs; its line starts with the identifier.
    line = Entry{QStringLiteral("-> ") + QString::fromLatin1(message.left(4)), false};
    break;
  case GpsModeMotorolaNmea:
  case 4:
  case GpsModeGenericNmea: {
    const bool recognised = message.startsWith('$') && nmea_.Decode(message);
    line = Entry{AsShown((recognised ? QStringLiteral("-> ") : QStringLiteral("?  ")) + text), true};
    break;
  }
  case GpsModeUbloxUbx:
  case GpsModeUbloxNmea: {
    if (message.startsWith('$') && nmea_.Decode(message)) {
      line = Entry{AsShown(QStringLiteral("->  ") + text), true};
      break;
    }
    // The fields of a UBX line depend on the window's dialogs; the line
    // starts with the message's name.
    const QString decoded = ubx_.Decode(message);
    if (decoded.isEmpty())
      line = Entry{AsShown(QStringLiteral("?  ") + text), true};
    else
      line = Entry{QStringLiteral("->  ") + decoded.section(QLatin1Char(' '), 0, 0).trimmed(), false};
    break;
  }
  case GpsModeMotorolaLoran: {
    bool reply = !message.isEmpty();
    for (const char c : message)
      reply = reply && ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'));
    line = Entry{AsShown((reply ? QStringLiteral("->  ") : QStringLiteral("?  ")) + text), true};
    break;
  }
  default:
    return {};
  }

  // A command a decoder sends is echoed before the decoder's own line; its
  // checksum follows the bytes it was given.
  QList<Entry> entries;
  for (qsizetype i = commandsBefore; i < host_.commands.size(); ++i) {
    const QByteArray command = QByteArray::fromHex(host_.commands.at(i).toLatin1());
    if (!throttle_.Allow(command, TimeSource::Current().MonotonicMs()))
      continue;
    QString echo = QStringLiteral("<- ");
    if (command.startsWith("\xB5\x62")) {
      for (const char byte : command)
        echo += QStringLiteral("<%1>").arg(uint(uchar(byte)), 2, 16, QLatin1Char('0')).toUpper();
    } else {
      echo += QString::fromLatin1(command);
    }
    entries << Entry{echo, false};
  }
  entries << *line;
  return entries;
}

QMap<int, QStringList> SatelliteTableRows(MainWindow &window)
{
  QMap<int, QStringList> rows;
  auto *table = window.findChild<QTableWidget *>(QStringLiteral("SatsDataTableWidget"));
  if (!table)
    return rows;
  auto text = [table](int row, int column) {
    const QTableWidgetItem *item = table->item(row, column);
    return item ? item->text() : QString();
  };
  for (int row = 1; row < table->rowCount(); ++row)
    if (!text(row, 0).isEmpty())
      rows[text(row, 0).toInt()] = QStringList{text(row, 1), text(row, 2), text(row, 3)};
  return rows;
}

}  // namespace riduder::test
