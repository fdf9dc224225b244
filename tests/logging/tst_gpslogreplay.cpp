#include "TestMain.h"

#include "FramerRecorder.h"
#include "GpsLogTestHost.h"
#include "RecordingMessageBoxes.h"
#include "app/GpsRawDataDialog.h"
#include "app/MainWindow.h"
#include "app/core/ReceiverIdentity.h"
#include "logging/GpsDataLog.h"
#include "logging/GpsLogTypeDialog.h"
#include "receiver/GpsPortSettings.h"
#include "receiver/OncoreFramer.h"
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
  window.LogTypeDialog()->GpsLogType = options.logType;
  window.LogTypeDialog()->GpsLogInterval = options.interval;
  window.LogTypeDialog()->UseGpsSecondNumber = options.gpsSeconds;
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
  for (int waited = 0; result.received.size() < expected && waited < 5000; waited += 10)
    QTest::qWait(10);
  if (result.received.size() != expected) {
    qWarning("replay: %d of %d messages arrived", int(result.received.size()), expected);
    return false;
  }

  result.rawLines = window.RawDataDialog()->findChild<QPlainTextEdit *>()->toPlainText().split('\n');
  result.utcOffsetSeconds = window.State().utcOffsetSeconds;
  return window.CloseGpsLogFile(true);
}

}  // namespace

class TestGpsLogReplay : public QObject {
  Q_OBJECT

private slots:
  void initTestCase()
  {
    // The names the main window gives the settings, before any test stores one.
    QCoreApplication::setOrganizationName(QStringLiteral("ZIV Systems"));
    QCoreApplication::setApplicationName(QStringLiteral("Riduder"));
  }
  void init();
  void rawLogHoldsTheRawDataWindowLines();
  void binaryLogParsesBackIntoTheMessages();
  void rinexLogHoldsOnlyItsMessages();
  void pvtRowsMatchTheColumnRow_data();
  void pvtRowsMatchTheColumnRow();
  void nmeaRecordsAtTheLoggingSeconds();

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

RIDUDER_TEST_MAIN(TestGpsLogReplay)
#include "tst_gpslogreplay.moc"
