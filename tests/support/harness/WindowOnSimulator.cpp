#include "WindowOnSimulator.h"

#include "app/GpsRawDataDialog.h"
#include "app/MainWindow.h"
#include "receiver/link/GpsPortSettings.h"
#include "receiver/link/GpsSerialPortThread.h"
#include "receiver/link/LoranLineFramer.h"
#include "receiver/link/OncoreFramer.h"
#include "receiver/link/UbxNmeaFramer.h"
#include "platform/TimeSource.h"
#include "FrameBuilders.h"
#include "FramerRecorder.h"
#include "ReceiverLineSetting.h"

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

// What the raw-data window shows for a receiver message, worked out
// beforehand mode by mode: it is no copy of the program's dispatch and asks
// none of its decoders.

// The kinds of message the window tells apart.
enum class MessageKind {
  Any,               // in a row: whatever the message is
  KnownSentence,     // "$" and a sentence name the NMEA decoder reads
  NamedUbxFrame,     // a UBX frame the UBX decoder gives a name
  LettersAndDigits,  // a LORAN reply: letters and digits only, not empty
  Other,
};

// The text after the prefix.
enum class LineText {
  Message,           // the message itself
  OncoreIdentifier,  // starts with "@@" and the identifier; the decoder's words follow
  UbxName,           // starts with the UBX message's name
};

struct RawDataRow {
  quint32 mode;
  MessageKind kind;
  const char *prefix;
  LineText text;
};

// The first row of the mode whose kind fits gives the line. Search and the
// codes without a name (5, 7, 8) have no row: they show nothing.
const RawDataRow RawDataRows[] = {
    {GpsModeMotorolaLoran, MessageKind::LettersAndDigits, "->  ", LineText::Message},
    {GpsModeMotorolaLoran, MessageKind::Any, "?  ", LineText::Message},
    {GpsModeMotorolaNmea, MessageKind::KnownSentence, "-> ", LineText::Message},
    {GpsModeMotorolaNmea, MessageKind::Any, "?  ", LineText::Message},
    {GpsModeUnnamed4, MessageKind::KnownSentence, "-> ", LineText::Message},
    {GpsModeUnnamed4, MessageKind::Any, "?  ", LineText::Message},
    {GpsModeGenericNmea, MessageKind::KnownSentence, "-> ", LineText::Message},
    {GpsModeGenericNmea, MessageKind::Any, "?  ", LineText::Message},
    {GpsModeMotorolaBinary, MessageKind::Any, "-> ", LineText::OncoreIdentifier},
    {GpsModeMotorolaBinaryRxOnly, MessageKind::Any, "-> ", LineText::OncoreIdentifier},
    {GpsModeUbloxUbx, MessageKind::KnownSentence, "->  ", LineText::Message},
    {GpsModeUbloxUbx, MessageKind::NamedUbxFrame, "->  ", LineText::UbxName},
    {GpsModeUbloxUbx, MessageKind::Any, "?  ", LineText::Message},
    {GpsModeUbloxNmea, MessageKind::KnownSentence, "->  ", LineText::Message},
    {GpsModeUbloxNmea, MessageKind::NamedUbxFrame, "->  ", LineText::UbxName},
    {GpsModeUbloxNmea, MessageKind::Any, "?  ", LineText::Message},
};

// The sentences the NMEA decoder reads: the standard ones from the talker
// "GP" only (the text sentence from "GN" too), and the proprietary ones. A
// sentence of these whose fields do not convert (a ZDA with month 13) is
// rejected all the same; the captures these rows serve hold none.
bool IsKnownSentence(const QByteArray &message)
{
  static const char *const names[] = {"$GPTXT", "$GNTXT", "$GPZDA", "$GPGGA", "$GPGSA",
                                      "$GPGSV", "$GPGLL", "$GPRMC", "$GPVTG", "$PGRMT",
                                      "$PGRMI", "$PGRMC", "$PGRMO", "$PMOTG", "$GPALM"};
  for (const char *name : names)
    if (message.startsWith(name))
      return true;
  return message.startsWith("$PSYN,VEL");
}

struct UbxIdentity {
  bool frame = false;  // B5 and at least the 8 bytes of an empty frame
  quint8 messageClass = 0, identifier = 0;
  int length = 0;  // the payload length the frame gives
  bool Is(quint8 c, quint8 i, int l) const { return frame && messageClass == c && identifier == i && length == l; }
};

UbxIdentity UbxIdentityOf(const QByteArray &message)
{
  UbxIdentity ubx;
  if (message.size() < 8 || quint8(message.at(0)) != 0xB5)
    return ubx;
  ubx.frame = true;
  ubx.messageClass = quint8(message.at(2));
  ubx.identifier = quint8(message.at(3));
  ubx.length = quint8(message.at(4)) | quint8(message.at(5)) << 8;
  return ubx;
}

// How the UBX decoder's line starts: the class name, and the message's name
// where class, identifier and payload length fit a message it decodes.
// Nothing for what it leaves unnamed (no frame, an unknown UPD identifier).
std::optional<QString> UbxLineStart(const QByteArray &message)
{
  const UbxIdentity ubx = UbxIdentityOf(message);
  if (!ubx.frame)
    return std::nullopt;
  if (ubx.messageClass == 0x09) {  // UPD: the identifier's name alone
    static const QMap<int, const char *> upd = {
        {1, "DOWNL"}, {2, "UPLOAD"}, {6, "IDEN"},  {7, "SAFE"},  {8, "FLDET"},  {9, "QSIZE"},
        {11, "ERASE"}, {12, "FLWRI"}, {13, "CRC"}, {14, "RBOOT"}, {15, "SETQ"}, {20, "SOS"}};
    if (!upd.contains(ubx.identifier))
      return std::nullopt;
    return QStringLiteral("UBX-UPD-") + QLatin1String(upd.value(ubx.identifier));
  }
  static const QMap<int, const char *> classes = {{0x01, "UBX-NAV"}, {0x02, "UBX-RXM"}, {0x04, "UBX-INF"},
                                                  {0x05, "UBX-ACK"}, {0x06, "UBX-CFG"}, {0x0A, "UBX-MON"},
                                                  {0x0B, "UBX-AID"}, {0x0D, "UBX-TIM"}};
  if (!classes.contains(ubx.messageClass))
    return QStringLiteral("UBX-%1 ??" "?-Unknown Message Class-???")
        .arg(QString::number(ubx.messageClass, 16).toUpper());
  const QString className = QLatin1String(classes.value(ubx.messageClass));
  if (ubx.messageClass == 0x05)
    return className + (ubx.identifier == 1   ? QStringLiteral(" ACK")
                        : ubx.identifier == 0 ? QStringLiteral(" NAK")
                                              : QStringLiteral(" Unknown ID ???"));
  struct Decoded {
    quint8 messageClass, identifier;
    int length;  // -1: any
    bool orMore;
    const char *name;
  };
  static const Decoded decoded[] = {
      {0x01, 0x01, 20, false, "POSECEF"}, {0x01, 0x02, 28, false, "POSLLH"},
      {0x01, 0x03, 16, false, "STATUS"},  {0x01, 0x04, 18, false, "DOP"},
      {0x01, 0x12, 36, false, "VELNED"},  {0x01, 0x20, 16, false, "TIMEGPS"},
      {0x01, 0x21, 20, false, "TIMEUTC"}, {0x01, 0x30, 20, true, "SVINFO"},
      {0x0A, 0x04, 40, true, "VER"},      {0x0A, 0x09, 60, true, "HW"},
      {0x0B, 0x02, -1, false, "HUI"},     {0x06, 0x00, 20, false, "PRT"},
      {0x06, 0x07, 20, false, "TP"},      {0x06, 0x31, 32, false, "TP5"},
      {0x06, 0x1D, 28, false, "TMODE"},   {0x06, 0x3D, 28, false, "TMODE2"},
      {0x06, 0x24, 36, false, "NAV5"},    {0x0D, 0x01, 16, false, "TP"},
      {0x0D, 0x04, 28, false, "SVIN"},    {0x0D, 0x11, 8, false, "DOSC"},
  };
  for (const Decoded &d : decoded) {
    const bool lengthFits = d.length < 0 || ubx.length == d.length || (d.orMore && ubx.length > d.length);
    if (d.messageClass == ubx.messageClass && d.identifier == ubx.identifier && lengthFits)
      return className + QLatin1Char('-') + QLatin1String(d.name) + QLatin1Char(' ');
  }
  // RXM, INF and what the class does not decode: two blanks, then "...".
  return className + QStringLiteral("  ");
}

MessageKind KindOf(const QByteArray &message)
{
  if (IsKnownSentence(message))
    return MessageKind::KnownSentence;
  if (UbxLineStart(message))
    return MessageKind::NamedUbxFrame;
  bool lettersAndDigits = !message.isEmpty();
  for (const char c : message)
    lettersAndDigits = lettersAndDigits && ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'));
  return lettersAndDigits ? MessageKind::LettersAndDigits : MessageKind::Other;
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
  // The simulator hands out only a number whose lock nobody holds, but
  // another program can take that lock before the window opens the port;
  // reopened, the simulator has another number.
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
  // The line goes with the harness, and the system hands its number to the
  // next pseudo-terminal, perhaps another test's: a window or session made
  // later in this process must not open that line and take its lock.
  ForgetReceiverLine();
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

RawDataReference::RawDataReference()
{
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
  // Every mode shows the 1PPS marker.
  if (message == QByteArray(PpsMarker))
    return {Entry{QString::fromLatin1(PpsMarker), true}};
  const MessageKind kind = KindOf(message);
  const RawDataRow *row = nullptr;
  for (const RawDataRow &candidate : RawDataRows) {
    if (candidate.mode == mode && (candidate.kind == MessageKind::Any || candidate.kind == kind)) {
      row = &candidate;
      break;
    }
  }
  if (!row)
    return {};

  QList<Entry> entries;
  if (IsUbloxMode(mode)) {
    // A command the message makes the program send shows before its line.
    if (const std::optional<Entry> echo = StopSurveyEcho(message))
      entries << *echo;
  }
  const QString prefix = QString::fromLatin1(row->prefix);
  switch (row->text) {
  case LineText::Message:
    entries << Entry{AsShown(prefix + QString::fromUtf8(message)), true};
    break;
  case LineText::OncoreIdentifier:
    entries << Entry{prefix + QString::fromLatin1(message.left(4)), false};
    break;
  case LineText::UbxName:
    entries << Entry{prefix + *UbxLineStart(message), false};
    break;
  }
  return entries;
}

std::optional<RawDataReference::Entry> RawDataReference::StopSurveyEcho(const QByteArray &frame)
{
  const UbxIdentity ubx = UbxIdentityOf(frame);
  bool asked = false;
  if (ubx.Is(0x01, 0x03, 16)) {  // NAV-STATUS
    const int fix = quint8(frame.at(6 + 4));
    // On reaching a time-only fix, and again when survey reports still come in one.
    asked = fix == 5 && (lastUbxFix_ != 5 || surveySeenInTimeOnlyFix_);
    if (asked)
      surveySeenInTimeOnlyFix_ = false;
    lastUbxFix_ = fix;
  } else if (ubx.Is(0x0D, 0x04, 28) && lastUbxFix_ == 5) {  // TIM-SVIN
    surveySeenInTimeOnlyFix_ = true;
  }
  // CFG-MSG: no more TIM-SVIN (class 0D, identifier 04, rate 0).
  const QByteArray stopSurvey = QByteArray("\xB5\x62\x06\x01\x03\x00\x0D\x04\x00", 9);
  if (!asked || !throttle_.Allow(stopSurvey, TimeSource::Current().MonotonicMs()))
    return std::nullopt;
  QString echo = QStringLiteral("<- ");
  for (const char byte : BuildUbxFrame(0x06, 0x01, stopSurvey.mid(6)))
    echo += QStringLiteral("<%1>").arg(uint(uchar(byte)), 2, 16, QLatin1Char('0')).toUpper();
  return Entry{echo, true};
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
