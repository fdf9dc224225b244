#include "TestMain.h"

#include "FramerRecorder.h"
#include "GpsLogTestHost.h"
#include "RecordingMessageBoxes.h"
#include "WindowOnSimulator.h"
#include "app/GpsRawDataDialog.h"
#include "app/MainWindow.h"
#include "core/ReceiverIdentity.h"
#include "logging/GpsDataLog.h"
#include "logging/GpsLogSettings.h"
#include "receiver/link/GpsPortSettings.h"
#include "receiver/link/OncoreFramer.h"
#include "tools/simulator/ReceiverSimulator.h"

#include <QAction>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>

using riduder::test::FramerRecorder;
using riduder::test::ReadFileBytes;
using riduder::test::ReadFileLines;
using riduder::test::RecordingMessageBoxes;
using riduder::test::WindowOnSimulator;

namespace {

struct ReplayResult {
  QString logPath;
  QList<QByteArray> received;  // messages the window got, in order
  QStringList rawLines;        // the raw-data window's lines
  int utcOffsetSeconds = 0;
};

struct ReplayOptions {
  QString capture;
  QString mode = QStringLiteral("Motorola Binary");
  int logType = 0;
  int channels = 12;
  int interval = 1;
  bool gpsSeconds = false;
};

// The bytes of a binary log after its four header lines.
QByteArray RecordsOf(const QByteArray &log)
{
  int at = 0;
  for (int line = 0; line < 4; ++line)
    at = log.indexOf('\n', at) + 1;
  return log.mid(at);
}

QList<QByteArray> OncoreMessagesOf(const QByteArray &bytes)
{
  OncoreFramer framer;
  FramerRecorder recorder;
  framer.Process(bytes, recorder);
  return recorder.messages;
}

bool Replay(const ReplayOptions &options, const QString &folder, ReplayResult &result)
{
  bool ok = false;
  const QByteArray capture = riduder::test::ReadCapture(options.capture, &ok);
  if (!ok)
    return false;

  riduder::sim::ReceiverSimulator simulator;
  if (!simulator.open()) {
    qWarning("replay: no pseudo-terminal");
    return false;
  }
  QSettings settings;
  settings.setValue(GpsPortKeys::PortName, simulator.slavePath());
  settings.setValue(GpsPortKeys::Mode, options.mode);
  settings.setValue(GpsPortKeys::PpsInterface, 0);
  settings.setValue(GpsPortKeys::DataRate, 9600);
  settings.setValue(GpsLogKeys::FileDirectory, folder);

  RecordingMessageBoxes boxes;
  MainWindow window;
  window.SetMessageBoxes(&boxes);
  window.State().setupInProgress = false;  // no receiver search: the capture talks alone
  receiverIdentity.channels = options.channels;
  GpsLogSettings log = window.GpsLogValues();
  log.type = options.logType;
  log.intervalSeconds = options.interval;
  log.useGpsSecondNumber = options.gpsSeconds;
  window.SetGpsLogValues(log);
  window.findChild<QAction *>("actionGps_Raw_Data")->trigger();
  window.RawDataDialog()->ShowDialog();
  if (!window.OpenGpsLogFile(0)) {
    qWarning("replay: log not opened");
    return false;
  }
  result.logPath = window.GpsLog().FileName();

  QObject::connect(&window.ReceiverPort(), &GpsSerialPortThread::newGpsText,
                   [&result](const QByteArray &message) { result.received << message; });
  const int expected = OncoreMessagesOf(capture).size();
  simulator.startReplay(capture, 0);
  // A ceiling, not a pace: a loaded machine may take its time with the line.
  const bool arrived = QTest::qWaitFor([&] { return result.received.size() >= expected; }, 20000);
  if (!arrived || result.received.size() != expected) {
    qWarning("replay: %d of %d messages arrived", int(result.received.size()), expected);
    return false;
  }

  window.RawDataDialog()->AppendPendingLines();
  result.rawLines = window.RawDataDialog()->findChild<QPlainTextEdit *>()->toPlainText().split('\n');
  result.utcOffsetSeconds = window.State().utcOffsetSeconds;
  return window.CloseGpsLogFile(true);
}

// A capture replayed into the window in a protocol mode with the log open
// (interval 1, so every second after the first time message logs).
bool ReplayInMode(quint32 mode, const QByteArray &capture, int logType, const QString &folder,
                  ReplayResult &result)
{
  WindowOnSimulator::Options options;
  options.mode = mode;
  WindowOnSimulator receiver(options);
  if (!receiver.Problem().isEmpty()) {
    qWarning("replay: %s", qPrintable(receiver.Problem()));
    return false;
  }
  QSettings().setValue(GpsLogKeys::FileDirectory, folder);
  MainWindow &window = receiver.Window();
  GpsLogSettings log = window.GpsLogValues();
  log.type = logType;
  log.intervalSeconds = 1;
  window.SetGpsLogValues(log);
  if (!window.OpenGpsLogFile(0)) {
    qWarning("replay: log not opened");
    return false;
  }
  result.logPath = window.GpsLog().FileName();
  QObject::connect(&window.ReceiverPort(), &GpsSerialPortThread::newGpsText,
                   [&result](const QByteArray &message) { result.received << message; });
  if (!receiver.Replay(capture)) {
    qWarning("replay: the port did not take the capture");
    return false;
  }
  return window.CloseGpsLogFile(true);
}

// Binary-log records of UBX frames: the whole frame, the XOR of its bytes
// from index 2, CR LF. Empty when the bytes are not such records end to end
// (up to the trailer).
QList<QByteArray> UbxFramesOfRecords(const QByteArray &records, QString *problem)
{
  QList<QByteArray> frames;
  qsizetype at = 0;
  while (at < records.size() && !records.mid(at).startsWith("; Closed GPS Data Log ")) {
    if (records.size() - at < 8 || quint8(records.at(at)) != 0xB5 || quint8(records.at(at + 1)) != 0x62) {
      *problem = QStringLiteral("no UBX frame at byte %1").arg(at);
      return {};
    }
    const int length = quint8(records.at(at + 4)) | quint8(records.at(at + 5)) << 8;
    const QByteArray frame = records.mid(at, 8 + length);
    quint8 check = 0;
    for (qsizetype i = 2; i < frame.size(); ++i)
      check ^= quint8(frame.at(i));
    const QByteArray tail = records.mid(at + frame.size(), 3);
    if (tail != QByteArray(1, char(check)) + "\r\n") {
      *problem = QStringLiteral("record at byte %1 ends in %2").arg(at).arg(QString::fromLatin1(tail.toHex()));
      return {};
    }
    frames << frame;
    at += frame.size() + 3;
  }
  return frames;
}

}  // namespace

class TestGpsLogReplay : public QObject {
  Q_OBJECT

private slots:
  void init();
  void rawLogHoldsTheRawDataWindowLines();
  void binaryLogParsesBackIntoTheMessages();
  void rinexLogHoldsOnlyItsMessages();
  void pvtRowsMatchTheColumnRow_data();
  void pvtRowsMatchTheColumnRow();
  void nmeaRecordsAtTheLoggingSeconds();
  void nmeaPvtRowsFromGgaSentences();
  void binaryLogParsesBackIntoTheUbxFrames();

private:
  std::unique_ptr<QTemporaryDir> dir;
};

void TestGpsLogReplay::init()
{
  RIDUDER_REQUIRE_CAPTURES();
  QSettings().clear();
  dir = std::make_unique<QTemporaryDir>();
  QVERIFY(dir->isValid());
}

void TestGpsLogReplay::rawLogHoldsTheRawDataWindowLines()
{
  ReplayResult result;
  QVERIFY(Replay({"oncore/oncore-m12.log"}, dir->path(), result));
  QStringList lines = ReadFileLines(result.logPath);
  QVERIFY(lines.first().contains("Created GPS Raw Data Log"));
  QVERIFY(lines.last().startsWith("; "));
  lines = lines.mid(4, lines.size() - 6);  // less header and trailer
  QVERIFY(lines.size() >= result.received.size());
  // The window shows the lines trimmed unless wrapping is on.
  for (QString &line : lines)
    line = line.trimmed();
  QStringList shown = result.rawLines;
  shown.removeAll(QString());
  QCOMPARE(lines, shown);
}

void TestGpsLogReplay::binaryLogParsesBackIntoTheMessages()
{
  ReplayResult result;
  QVERIFY(Replay({"oncore/oncore-m12.log", "Motorola Binary", 1}, dir->path(), result));
  const QByteArray log = ReadFileBytes(result.logPath);
  QVERIFY(log.startsWith("; Riduder Version 1.2.10. Created GPS Binary Data Log"));
  const QByteArray records = RecordsOf(log);
  const QList<QByteArray> logged = OncoreMessagesOf(records);

  // Records start once the first time message opened the logging gate;
  // from then on every message is there, in order, byte for byte.
  QVERIFY(logged.size() > result.received.size() / 2);
  QCOMPARE(logged, result.received.mid(result.received.size() - logged.size()));
  QByteArray rebuilt;
  for (const QByteArray &message : logged)
    rebuilt += GpsDataLog::BinaryRecord(message);
  QVERIFY(records.startsWith(rebuilt));
  QVERIFY(records.mid(rebuilt.size()).startsWith("; Closed GPS Data Log "));
}

void TestGpsLogReplay::rinexLogHoldsOnlyItsMessages()
{
  ReplayResult result;
  QVERIFY(Replay({"oncore/oncore-m12.log", "Motorola Binary", 4}, dir->path(), result));
  const QList<QByteArray> logged = OncoreMessagesOf(RecordsOf(ReadFileBytes(result.logPath)));
  QVERIFY(!logged.isEmpty());
  int receivedHa = 0;
  for (const QByteArray &message : result.received)
    receivedHa += message.startsWith("@@Ha");
  for (const QByteArray &message : logged)
    QVERIFY2(message.startsWith("@@Ha"), message.left(4).constData());
  QVERIFY(logged.size() >= receivedHa - 1);
}

void TestGpsLogReplay::pvtRowsMatchTheColumnRow_data()
{
  QTest::addColumn<QString>("capture");
  QTest::addColumn<int>("channels");
  QTest::addColumn<QString>("rowStart");
  QTest::newRow("M12, 12 channels") << "oncore/oncore-m12.log" << 12 << "@@Ha";
  QTest::newRow("8 channels") << "oncore/oncore-binary.log" << 8 << "@@Ea";
}

void TestGpsLogReplay::pvtRowsMatchTheColumnRow()
{
  QFETCH(QString, capture);
  QFETCH(int, channels);
  QFETCH(QString, rowStart);

  ReplayResult result;
  QVERIFY(Replay({capture, "Motorola Binary", 2, channels}, dir->path(), result));
  const QStringList lines = ReadFileLines(result.logPath);
  const QString columns = lines.at(4);
  QCOMPARE(columns + '\n', GpsDataLog::ColumnRow(2, channels));
  const int columnCount = columns.split(',').size();

  const QStringList rows = lines.mid(5, lines.size() - 7);
  int timeMessages = 0;
  for (const QByteArray &message : result.received)
    timeMessages += message.startsWith(rowStart.toLatin1());
  QVERIFY2(rows.size() >= timeMessages - 1, qPrintable(QString::number(rows.size())));
  for (const QString &row : rows) {
    // Date, time, and one field per column.
    QVERIFY2(QRegularExpression("^\\d\\d/\\d\\d/\\d{4}, \\d\\d:\\d\\d:").match(row).hasMatch(), qPrintable(row));
    QCOMPARE(row.split(',').size(), columnCount);
  }
}

void TestGpsLogReplay::nmeaRecordsAtTheLoggingSeconds()
{
  ReplayResult result;
  QVERIFY(Replay({"oncore/oncore-m12.log", "Motorola Binary", 3, 12, 10, true}, dir->path(), result));
  QVERIFY(result.utcOffsetSeconds > 0);
  QStringList records;
  for (const QString &line : ReadFileLines(result.logPath))
    if (line.startsWith("$PZQKA,"))
      records << line;
  // The capture spans ten receiver seconds (07:33:29 to :38, GPS - UTC
  // 18 s): only second 32 counts 50 in GPS time. Its record carries the
  // time of the next second mark.
  QCOMPARE(records.size(), 1);
  const int stamped = records.first().section(',', 2, 2).mid(4, 2).toInt();
  QCOMPARE(stamped - 1, 32);
  QCOMPARE((stamped - 1 + result.utcOffsetSeconds) % 10, 0);
}

void TestGpsLogReplay::nmeaPvtRowsFromGgaSentences()
{
  bool ok = false;
  const QByteArray capture = riduder::test::ReadCapture("nmea/oncore.log", &ok);
  QVERIFY2(ok, "nmea/oncore.log could not be read");
  ReplayResult result;
  QVERIFY(ReplayInMode(GpsModeGenericNmea, capture, 2, dir->path(), result));
  QList<QByteArray> gga;
  for (const QByteArray &sentence : result.received)
    if (sentence.startsWith("$GPGGA,"))
      gga << sentence;
  QCOMPARE(gga.size(), 6);

  const QStringList lines = ReadFileLines(result.logPath);
  QVERIFY(lines.first().contains("Created GPS PVT Data Log"));
  const QString columns = lines.at(4);
  QCOMPARE(columns + '\n', GpsDataLog::ColumnRow(GpsModeGenericNmea, -1));
  QVERIFY(columns.startsWith("time,lat_deg,lat_min,lat_dir,long_deg,long_min,long_dir,"));
  QVERIFY(lines.at(lines.size() - 2).startsWith("; Closed GPS Data Log "));

  // One row per GGA sentence, nothing from the others. A row fills the
  // first seven columns, the time taking three fields (hour, minute,
  // second), and ends in a comma.
  const QStringList rows = lines.mid(5, lines.size() - 7);
  QCOMPARE(rows.size(), gga.size());
  for (const QString &row : rows) {
    const QStringList fields = row.split(',');
    QCOMPARE(fields.size(), 7 + 2 + 1);
    QVERIFY2(fields.last().isEmpty(), qPrintable(row));
    QVERIFY2(QRegularExpression("^\\d\\d,\\d\\d,\\d\\d\\.\\d\\d,\\d\\d,[\\d.]+,[NS],\\d\\d+,[\\d.]+,[EW],$")
                 .match(row).hasMatch(),
             qPrintable(row));
  }
  // $GPGGA,171245.00,5209.7838,N,02048.4819,E,...
  QVERIFY(gga.first().startsWith("$GPGGA,171245.00,5209.7838,N,02048.4819,E,"));
  QCOMPARE(rows.first(), QString("17,12,45.00,52,9.783800,N,20,48.481900,E,"));
  // $GPGGA,171250.00,5209.7839,N,02048.4829,E,...
  QVERIFY(gga.last().startsWith("$GPGGA,171250.00,5209.7839,N,02048.4829,E,"));
  QCOMPARE(rows.last(), QString("17,12,50.00,52,9.783900,N,20,48.482900,E,"));
}

void TestGpsLogReplay::binaryLogParsesBackIntoTheUbxFrames()
{
  bool ok = false;
  const QByteArray capture = riduder::test::ReadCapture("ubx/u-blox-m8t-time.log", &ok);
  QVERIFY2(ok, "ubx/u-blox-m8t-time.log could not be read");
  ReplayResult result;
  QVERIFY(ReplayInMode(GpsModeUbloxUbx, capture, 1, dir->path(), result));
  auto ubxFrames = [](const QList<QByteArray> &messages) {
    QList<QByteArray> frames;
    for (const QByteArray &message : messages)
      if (message.startsWith("\xB5\x62"))
        frames << message;
    return frames;
  };
  const QList<QByteArray> sent = ubxFrames(result.received);
  QCOMPARE(sent, ubxFrames(riduder::test::FrameStream(GpsModeUbloxUbx, capture)));

  const QByteArray log = ReadFileBytes(result.logPath);
  QVERIFY(log.startsWith("; Riduder Version "));
  QVERIFY(log.left(200).contains("Created GPS Binary Data Log"));
  QString problem;
  const QList<QByteArray> logged = UbxFramesOfRecords(RecordsOf(log), &problem);
  QVERIFY2(problem.isEmpty(), qPrintable(problem));

  // Records start once the first NAV-TIMEUTC opened the logging gate; from
  // then on every frame is there, in order, byte for byte.
  QVERIFY(logged.size() > sent.size() / 2);
  QCOMPARE(logged, sent.mid(sent.size() - logged.size()));
  // Frames holding a line feed went in unchanged.
  int withLineFeed = 0;
  for (const QByteArray &frame : logged)
    withLineFeed += frame.contains('\n');
  QVERIFY(withLineFeed > 0);
}

RIDUDER_TEST_MAIN(TestGpsLogReplay)
#include "tst_gpslogreplay.moc"
