#include "TestMain.h"

#include "GpsLogTestHost.h"
#include "core/Paths.h"
#include "logging/GpsDataLog.h"
#include "logging/LogFileNames.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>

using riduder::test::FillingDiskWriter;
using riduder::test::GpsLogTestHost;
using riduder::test::ReadFileBytes;
using riduder::test::ReadFileLines;
using riduder::test::SwitchableWriter;

namespace {

const QString Created45 = QStringLiteral("Wed Feb 14 12:34:56 2024");

void WriteFile(const QString &path, const QByteArray &bytes)
{
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly));
  file.write(bytes);
}

// An Oncore-shaped message of `size` bytes: "@@" + id + filler that holds
// CR and LF bytes.
QByteArray OncoreMessage(const char *id, int size, char seed = 1)
{
  QByteArray message = QByteArray("@@") + id;
  for (int i = 0; message.size() < size; ++i)
    message.append(char((i * 37 + seed) & 0xFF));
  message[6] = '\n';
  message[7] = '\r';
  return message;
}

}  // namespace

class TestGpsDataLog : public QObject {
  Q_OBJECT

private slots:
  void init();

  void fileNames_data();
  void fileNames();
  void fileNameFromSettings();
  void defaultFolderIsMadeButAChosenOneIsNot();

  void openModes_data();
  void openModes();
  void openLogIsClosedFirstWithoutTrailer();

  void headerLines_data();
  void headerLines();
  void columnRows_data();
  void columnRows();
  void closeAsksAndWritesTrailer();

  void textIsWrittenAsWholeLines_data();
  void textIsWrittenAsWholeLines();

  void waitingTextReachesTheDiskWithinASecond();
  void binaryRecordsAreByteForByte();
  void rinexLogKeepsSelectedMessages();
  void binaryNeedsGateAndBinaryType();

  void writeFailureOnFullDeviceIsReportedOnce();
  void failedWritesAreRetriedAtTheNextFlush();
  void failedWriteOutIsRetriedWithoutFurtherRows();
  void vanishedFileIsCreatedAgain();

  void rollOver_data();
  void rollOver();

private:
  QString LogPath(int day, int type) const
  {
    return GpsLogFileName(dir->path() + QStringLiteral("/RARA"), day, type);
  }

  std::unique_ptr<QTemporaryDir> dir;
};

void TestGpsDataLog::init()
{
  dir = std::make_unique<QTemporaryDir>();
  QVERIFY(dir->isValid());
  QSettings settings;
  settings.clear();
  settings.setValue(GpsLogKeys::FileDirectory, dir->path());
  settings.setValue(GpsLogKeys::FileNamePrefix, QStringLiteral("RARA"));
}

// ---------------------------------------------------------------------------
// Names

void TestGpsDataLog::fileNames_data()
{
  QTest::addColumn<QString>("directory");
  QTest::addColumn<QString>("prefix");
  QTest::addColumn<int>("day");
  QTest::addColumn<int>("type");
  QTest::addColumn<QString>("name");

  QTest::newRow("raw") << "/logs" << "RARA" << 45 << 0 << "/logs/RARA_0045G.txt";
  QTest::newRow("binary") << "/logs" << "RARA" << 45 << 1 << "/logs/RARA_0045G.bin";
  QTest::newRow("pvt") << "/logs" << "RARA" << 45 << 2 << "/logs/RARA_0045G.csv";
  QTest::newRow("nmea") << "/logs" << "RARA" << 45 << 3 << "/logs/RARA_0045G.txt";
  QTest::newRow("rinex") << "/logs" << "RARA" << 45 << 4 << "/logs/RARA_0045G.bin";
  QTest::newRow("unknown type") << "/logs" << "RARA" << 45 << 9 << "/logs/RARA_0045G";
  QTest::newRow("day 7") << "/logs" << "RARA" << 7 << 0 << "/logs/RARA_0007G.txt";
  QTest::newRow("day 366") << "/logs" << "RARA" << 366 << 2 << "/logs/RARA_0366G.csv";
  QTest::newRow("from a log name") << "/logs" << "RARA_0045G" << 46 << 0 << "/logs/RARA_0046G.txt";
  QTest::newRow("with extension") << "/logs" << "RARA_0045G.txt" << 46 << 0 << "/logs/RARA_0046G.txt";
  QTest::newRow("TIC config name") << "/logs" << "RARA_0045C.txt" << 46 << 0 << "/logs/RARA_0046G.txt";
  QTest::newRow("TIC port name") << "/logs" << "RARA_0045A_PORT_01.csv" << 46 << 0 << "/logs/RARA_0046G.txt";
  QTest::newRow("TIC time port name") << "/logs" << "ab_0300T_PORT_08" << 1 << 1 << "/logs/ab_0001G.bin";
  QTest::newRow("older day name") << "/logs" << "RARA_2024_045C" << 46 << 0 << "/logs/RARA_0046G.txt";
  QTest::newRow("older GPS name") << "/logs" << "RARA_2024_045G.bin" << 46 << 0 << "/logs/RARA_0046G.txt";
  QTest::newRow("older port name") << "/logs" << "RARA_2024_045A_PORT_01" << 46 << 0 << "/logs/RARA_0046G.txt";
  QTest::newRow("dotted directory") << "/home/ann/my.logs" << "RARA" << 45 << 0
                                    << "/home/ann/my.logs/RARA_0045G.txt";
  QTest::newRow("dotted directory, log name") << "/home/ann/my.logs" << "RARA_0045G.txt" << 45 << 0
                                              << "/home/ann/my.logs/RARA_0045G.txt";
  QTest::newRow("digits in the prefix") << "/logs" << "Site12" << 45 << 0 << "/logs/Site12_0045G.txt";
}

void TestGpsDataLog::fileNames()
{
  QFETCH(QString, directory);
  QFETCH(QString, prefix);
  QFETCH(int, day);
  QFETCH(int, type);
  QFETCH(QString, name);
  QCOMPARE(GpsLogFileName(LogFileBase(directory, prefix), day, type), name);
}

void TestGpsDataLog::fileNameFromSettings()
{
  GpsLogTestHost host;
  host.SetDisplayed(QDateTime(QDate(2024, 12, 31), QTime(23, 59, 59), Qt::UTC));  // leap year: day 366
  host.logType = 4;
  GpsDataLog log(host);
  QCOMPARE(log.MakeGpsLogFileName(), dir->path() + "/RARA_0366G.bin");

  // No stored directory or prefix: the default folder and prefix.
  QSettings().remove(GpsLogKeys::FileDirectory);
  QSettings().remove(GpsLogKeys::FileNamePrefix);
  host.SetDisplayed(QDateTime(QDate(2023, 1, 7), QTime(0, 0), Qt::UTC));
  host.logType = 0;
  QCOMPARE(log.MakeGpsLogFileName(), DefaultLogDirectory() + "/RARA_0007G.txt");
}

void TestGpsDataLog::defaultFolderIsMadeButAChosenOneIsNot()
{
  GpsLogTestHost host;
  GpsDataLog log(host);

  const QString chosen = dir->path() + "/not-there";
  QSettings().setValue(GpsLogKeys::FileDirectory, chosen);
  QVERIFY(!log.OpenGpsLogFile(0));
  QVERIFY(!QFileInfo::exists(chosen));

  QSettings().remove(GpsLogKeys::FileDirectory);
  QDir(DefaultLogDirectory()).removeRecursively();
  QVERIFY(log.OpenGpsLogFile(0));
  QVERIFY(QFileInfo(DefaultLogDirectory()).isDir());
  QCOMPARE(log.FileName(), DefaultLogDirectory() + "/RARA_0045G.txt");
  QVERIFY(log.CloseGpsLogFile(true));
  QDir(DefaultLogDirectory()).removeRecursively();
}

// ---------------------------------------------------------------------------
// Opening

void TestGpsDataLog::openModes_data()
{
  QTest::addColumn<int>("mode");
  QTest::addColumn<bool>("exists");
  QTest::addColumn<bool>("replaceAnswer");
  QTest::addColumn<bool>("opened");
  QTest::addColumn<bool>("asked");
  QTest::addColumn<bool>("oldContentKept");
  QTest::addColumn<QString>("firstHeaderWord");

  // mode, exists, answer, opened, asked, old content kept, header
  QTest::newRow("0 absent") << 0 << false << true << true << false << false << "Created";
  QTest::newRow("0 exists") << 0 << true << true << false << false << true << "";
  QTest::newRow("1 absent") << 1 << false << true << true << false << false << "Created";
  QTest::newRow("1 exists, OK") << 1 << true << true << true << true << false << "Created";
  QTest::newRow("1 exists, Cancel") << 1 << true << false << false << true << true << "";
  QTest::newRow("2 absent") << 2 << false << false << true << false << false << "Created";
  QTest::newRow("2 exists") << 2 << true << false << true << false << false << "Created";
  QTest::newRow("3 absent") << 3 << false << true << false << false << false << "";
  QTest::newRow("3 exists") << 3 << true << true << true << false << true << "Opened";
  QTest::newRow("4 unknown, exists") << 4 << true << true << false << false << true << "";
  QTest::newRow("-1 unknown, absent") << -1 << false << true << false << false << false << "";
}

void TestGpsDataLog::openModes()
{
  QFETCH(int, mode);
  QFETCH(bool, exists);
  QFETCH(bool, replaceAnswer);
  QFETCH(bool, opened);
  QFETCH(bool, asked);
  QFETCH(bool, oldContentKept);
  QFETCH(QString, firstHeaderWord);

  const QString path = LogPath(45, 0);
  const QByteArray old = "; an older log\nline of that log\n";
  if (exists)
    WriteFile(path, old);

  GpsLogTestHost host;
  host.replaceAnswer = replaceAnswer;
  GpsDataLog log(host);
  QCOMPARE(log.OpenGpsLogFile(mode), opened);
  QCOMPARE(log.IsOpen(), opened);
  QCOMPARE(log.FileName(), path);
  QCOMPARE(host.replaceQuestions, asked ? QStringList{"RARA_0045G.txt"} : QStringList());
  QCOMPARE(host.openStates.value(host.openStates.size() - 1, false), opened);

  const QByteArray content = ReadFileBytes(path);
  if (oldContentKept)
    QVERIFY(content.startsWith(old));
  else
    QVERIFY(!content.contains("an older log"));
  QCOMPARE(QFileInfo::exists(path), exists || opened);
  if (opened) {
    const QStringList lines = ReadFileLines(path);
    const QString header = lines.value(oldContentKept ? 2 : 0);
    QVERIFY2(header.startsWith("; Riduder Version 1.2.10. " + firstHeaderWord + " GPS Raw Data Log "),
             qPrintable(header));
  } else if (exists) {
    QCOMPARE(content, old);  // untouched
  }
}

void TestGpsDataLog::openLogIsClosedFirstWithoutTrailer()
{
  GpsLogTestHost host;
  GpsDataLog log(host);
  QVERIFY(log.OpenGpsLogFile(0));
  log.WriteGpsLog("first");

  // The same day's file again, appending: the first session ends with no
  // trailer, the second follows it.
  QVERIFY(log.OpenGpsLogFile(3));
  log.WriteGpsLog("second");
  QVERIFY(log.FlushGpsLogFile());
  const QStringList lines = ReadFileLines(LogPath(45, 0));
  QCOMPARE(lines.size(), 10);
  QCOMPARE(lines.at(4), QStringLiteral("first"));
  QVERIFY(lines.at(5).contains("Opened GPS Raw Data Log to append data at"));
  QCOMPARE(lines.at(9), QStringLiteral("second"));
  QVERIFY(!lines.join('\n').contains("Closed"));

  // Another type's file: the first one gets no trailer either.
  host.logType = 2;
  QVERIFY(log.OpenGpsLogFile(0));
  QCOMPARE(log.FileName(), LogPath(45, 2));
  QCOMPARE(ReadFileLines(LogPath(45, 0)).size(), 10);
  QVERIFY(log.CloseGpsLogFile(true));
  QVERIFY(ReadFileLines(LogPath(45, 2)).join('\n').contains("; Closed GPS Data Log"));
}

// ---------------------------------------------------------------------------
// Header, column rows and trailer, read back from disk

void TestGpsDataLog::headerLines_data()
{
  QTest::addColumn<int>("type");
  QTest::addColumn<int>("mode");
  QTest::addColumn<int>("interval");
  QTest::addColumn<QString>("softwareDate");
  QTest::addColumn<QStringList>("lines");

  const QString receiver = "; Receiver: M12+ Timing Receiver";
  const QString every1 = "; Recording GPS data every 1 seconds";
  QTest::newRow("raw") << 0 << 0 << 1 << ""
                       << QStringList{"; Riduder Version 1.2.10. Created GPS Raw Data Log at " + Created45 + " UTC",
                                      every1, receiver, ";"};
  QTest::newRow("binary") << 1 << 1 << 60 << ""
                          << QStringList{"; Riduder Version 1.2.10. Created GPS Binary Data Log at " + Created45 + " UTC",
                                         "; Recording GPS data every 60 seconds", receiver, ";"};
  QTest::newRow("nmea") << 3 << 2 << 0 << "Jan 12 2005"
                        << QStringList{"; Riduder Version 1.2.10. Created GPS NMEA Data Log at " + Created45 + " UTC",
                                       "; Recording GPS data DISABLED",
                                       receiver + ", software date Jan 12 2005", ";"};
  QTest::newRow("rinex") << 4 << 0 << 10 << ""
                         << QStringList{"; Riduder Version 1.2.10. Created GPS RINEX Data Log at " + Created45 + " UTC",
                                        "; Recording GPS data every 10 seconds", receiver, ";"};
  QTest::newRow("unknown type") << 9 << 0 << 1 << ""
                                << QStringList{"; Riduder Version 1.2.10. Created GPS  Data Log at " + Created45 + " UTC",
                                               every1, receiver, ";"};
  QTest::newRow("raw, append") << 0 << 3 << 1 << ""
                               << QStringList{"; Riduder Version 1.2.10. Opened GPS Raw Data Log to append data at " +
                                                  Created45 + " UTC",
                                              every1, receiver, ";"};
  QTest::newRow("pvt, append")
      << 2 << 3 << 5 << ""
      << QStringList{"; Riduder Version 1.2.10. Opened GPS PVT Data Log to append data at " + Created45 + " UTC",
                     "; Recording GPS data every 5 seconds", receiver, ";",
                     GpsDataLog::ColumnRow(2, 12).trimmed()};
}

void TestGpsDataLog::headerLines()
{
  QFETCH(int, type);
  QFETCH(int, mode);
  QFETCH(int, interval);
  QFETCH(QString, softwareDate);
  QFETCH(QStringList, lines);

  GpsLogTestHost host;
  host.logType = type;
  host.logInterval = interval;
  host.softwareDate = softwareDate;
  if (mode == 3)
    WriteFile(LogPath(45, type), QByteArray());
  GpsDataLog log(host);
  QVERIFY(log.OpenGpsLogFile(mode));
  // The header is on disk at once, before any flush of the owner.
  QCOMPARE(ReadFileLines(log.FileName()), lines);

  host.SetDisplayed(QDateTime(QDate(2024, 2, 14), QTime(23, 59, 59), Qt::UTC));
  QVERIFY(log.CloseGpsLogFile(true));
  const QByteArray all = ReadFileBytes(log.FileName());
  QVERIFY(all.endsWith("\n; Closed GPS Data Log Wed Feb 14 23:59:59 2024 UTC\n; \n"));
  QCOMPARE(ReadFileLines(log.FileName()).size(), lines.size() + 2);
}

void TestGpsDataLog::columnRows_data()
{
  QTest::addColumn<quint32>("protocolMode");
  QTest::addColumn<int>("channels");
  QTest::addColumn<QString>("row");

  QString twelve = "Date,Time,lat(mas),long(mas),height,height_msl,velocity_3D,velocity_2D,heading,dop_type,"
                   "dop,vis_sats,tracked_sats,rcvr_status,ID_tag,";
  for (int k = 1; k <= 12; ++k)
    twelve += QString("svid_%1,ch_mode_%1,sig_str_%1,iode_%1,ch_stat_%1,").arg(k);
  twelve += "reserved,reserved,clock_bias,oscillator_offset,temperature,UTC_Data,GMT_Data";
  const QString nmea = "time,lat_deg,lat_min,lat_dir,long_deg,long_min,long_dir,quality,no_tracked,HDOP,"
                       "height_msl,height_units,geoid_sep,geoid_sep_units,DGPS_age,DGPS_Ref_Stn_id";
  const QString head8 = "Date,Time,lat(mas),long(mas),height,height_msl,velocity,heading,dop_type,dop,vis_sats,"
                        "tracked_sats,rcvr_status,";

  QTest::newRow("binary 12") << quint32(2) << 12 << twelve;
  QTest::newRow("rx only 12") << quint32(3) << 12 << twelve;
  QTest::newRow("binary 8")
      << quint32(2) << 8
      << head8 + "svid_1,ch_mode_1,sig_str_1,ch_stat_1,svid_2,ch_mode_2,sig_str_2,ch_stat_2,"
                 "svid_3,ch_mode_3,sig_str_3,ch_stat_3,svid_4,ch_mode_4,sig_str_4,ch_stat_4,"
                 "svid_5,ch_mode_5,sig_str_5,ch_stat_5,svid_6,ch_mode_6,sig_str_6,ch_stat_6,"
                 "svid_7,ch_mode_7,sig_str_7,ch_stat_7,svid_8,ch_mode_8,sig_str_8,ch_stat_8";
  QTest::newRow("rx only 6")
      << quint32(3) << 6
      << head8 + "svid_1,ch_mode_1,sig_str_1,ch_stat_1,svid_2,ch_mode_2,sig_str_2,ch_stat_2,"
                 "svid_3,ch_mode_3,sig_str_3,ch_stat_3,svid_4,ch_mode_4,sig_str_4,ch_stat_4,"
                 "svid_5,ch_mode_5,sig_str_5,ch_stat_5,svid_6,ch_mode_6,sig_str_6,ch_stat_6";
  QTest::newRow("binary 10: none") << quint32(2) << 10 << "";
  QTest::newRow("binary unknown: none") << quint32(2) << -1 << "";
  QTest::newRow("motorola nmea") << quint32(1) << 12 << nmea;
  QTest::newRow("generic nmea") << quint32(6) << 8 << nmea;
  QTest::newRow("loran: none") << quint32(0) << 12 << "";
  QTest::newRow("ubx: none") << quint32(9) << 12 << "";
  QTest::newRow("search: none") << quint32(11) << 12 << "";
}

void TestGpsDataLog::columnRows()
{
  QFETCH(quint32, protocolMode);
  QFETCH(int, channels);
  QFETCH(QString, row);

  GpsLogTestHost host;
  host.logType = 2;
  host.protocolMode = protocolMode;
  host.channels = channels;
  GpsDataLog log(host);
  QVERIFY(log.OpenGpsLogFile(0));
  const QStringList lines = ReadFileLines(log.FileName());
  QCOMPARE(lines.size(), row.isEmpty() ? 4 : 5);
  if (!row.isEmpty())
    QCOMPARE(lines.at(4), row);

  // Other types never get a column row.
  host.logType = 0;
  QVERIFY(log.OpenGpsLogFile(0));
  QCOMPARE(ReadFileLines(log.FileName()).size(), 4);
}

void TestGpsDataLog::closeAsksAndWritesTrailer()
{
  GpsLogTestHost host;
  GpsDataLog log(host);

  // Closed log: no question, false.
  QVERIFY(!log.CloseGpsLogFile(false));
  QVERIFY(!log.CloseGpsLogFile(true));
  QCOMPARE(host.closeQuestions, 0);

  QVERIFY(log.OpenGpsLogFile(0));
  host.closeAnswer = false;
  QVERIFY(!log.CloseGpsLogFile(false));
  QCOMPARE(host.closeQuestions, 1);
  QVERIFY(log.IsOpen());
  log.WriteGpsLog("still logging");

  host.closeAnswer = true;
  QVERIFY(log.CloseGpsLogFile(false));
  QCOMPARE(host.closeQuestions, 2);
  QVERIFY(!log.IsOpen());
  QCOMPARE(host.openStates.last(), false);
  const QStringList lines = ReadFileLines(log.FileName());
  QCOMPARE(lines.mid(4), (QStringList{"still logging", "; Closed GPS Data Log " + Created45 + " UTC", "; "}));

  // Writes to the closed log go nowhere.
  log.WriteGpsLog("late");
  log.WriteBinaryGpsLog("@@Ea....");
  QCOMPARE(ReadFileLines(log.FileName()).size(), 7);
}

// ---------------------------------------------------------------------------
// Text lines

void TestGpsDataLog::textIsWrittenAsWholeLines_data()
{
  QTest::addColumn<QStringList>("texts");
  QTest::addColumn<QByteArray>("written");

  QTest::newRow("CR LF pairs") << QStringList{"a\r\nb\r\n\r\n"} << QByteArray("a\nb\n");
  QTest::newRow("empty text") << QStringList{""} << QByteArray();
  QTest::newRow("plain line") << QStringList{"-> @@Ea 12:00:00"} << QByteArray("-> @@Ea 12:00:00\n");
  QTest::newRow("inner empty line kept") << QStringList{"a\n\nb"} << QByteArray("a\n\nb\n");
  QTest::newRow("bare CRs dropped") << QStringList{"a\rb\r"} << QByteArray("ab\n");
  QTest::newRow("line end only") << QStringList{"\r\n"} << QByteArray("\n");
  QTest::newRow("several calls") << QStringList{"one\n", "", "two\n\n\n", "three"}
                                 << QByteArray("one\ntwo\nthree\n");
  QTest::newRow("utf-8") << QStringList{QString::fromUtf8("48°51'N")} << QByteArray("48\xC2\xB0" "51'N\n");
}

void TestGpsDataLog::textIsWrittenAsWholeLines()
{
  QFETCH(QStringList, texts);
  QFETCH(QByteArray, written);

  GpsLogTestHost host;
  GpsDataLog log(host);
  QVERIFY(log.OpenGpsLogFile(0));
  const qint64 headerSize = QFileInfo(log.FileName()).size();
  for (const QString &text : texts)
    log.WriteGpsLog(text);
  QVERIFY(log.FlushGpsLogFile());
  QCOMPARE(ReadFileBytes(log.FileName()).mid(int(headerSize)), written);
}

// Without a 1PPS tick nothing else flushes: the log's own timer writes each
// row out once it has waited a second, and not much sooner.
void TestGpsDataLog::waitingTextReachesTheDiskWithinASecond()
{
  GpsLogTestHost host;
  host.logType = 2;
  GpsDataLog log(host);
  QVERIFY(log.OpenGpsLogFile(0));
  const qint64 headerSize = QFileInfo(log.FileName()).size();
  auto onDisk = [&] { return ReadFileBytes(log.FileName()).mid(int(headerSize)); };

  for (const char *row : {"120000.00,4807.038,N", "120001.00,4807.039,N"}) {
    QElapsedTimer clock;
    clock.start();
    const QByteArray before = onDisk();
    log.WriteGpsLog(QString::fromLatin1(row));
    QTest::qWait(200);
    QCOMPARE(onDisk(), before);  // still gathered
    QTRY_VERIFY_WITH_TIMEOUT(onDisk().endsWith(QByteArray(row) + "\n"), 2000);
    QVERIFY2(clock.elapsed() >= GpsDataLog::MaxPendingAgeMs - 50, qPrintable(QString::number(clock.elapsed())));
  }
  QVERIFY(log.CloseGpsLogFile(true));
}

// ---------------------------------------------------------------------------
// Binary records

void TestGpsDataLog::binaryRecordsAreByteForByte()
{
  GpsLogTestHost host;
  host.logType = 1;
  GpsDataLog log(host);
  QVERIFY(log.OpenGpsLogFile(0));
  const qint64 headerSize = QFileInfo(log.FileName()).size();

  const QByteArray ea = OncoreMessage("Ea", 73);
  // A UBX frame whose payload holds 0x0A and 0x0D.
  const QByteArray ubx = QByteArray::fromHex("b562010310000a0d0a0a1122334455667788990a0d00ff5a0b");
  const QByteArray tiny("@@");
  log.WriteBinaryGpsLog(ea);
  log.WriteBinaryGpsLog(ubx);
  log.WriteBinaryGpsLog(tiny);
  log.WriteBinaryGpsLog(QByteArray());
  QVERIFY(log.CloseGpsLogFile(true));

  char eaSum = 0;
  for (int i = 2; i < ea.size(); ++i)
    eaSum ^= ea.at(i);
  char ubxSum = 0;
  for (int i = 2; i < ubx.size(); ++i)
    ubxSum ^= ubx.at(i);
  const QByteArray expected = ea + eaSum + "\r\n" + ubx + ubxSum + "\r\n" + tiny + '\0' + "\r\n";
  const QByteArray all = ReadFileBytes(log.FileName());
  QCOMPARE(all.mid(int(headerSize), expected.size()), expected);
  QCOMPARE(GpsDataLog::BinaryRecord(ea).size(), 76);
  // Then the trailer, as text.
  QVERIFY(all.mid(int(headerSize) + expected.size()).startsWith("; Closed GPS Data Log "));
}

void TestGpsDataLog::rinexLogKeepsSelectedMessages()
{
  GpsLogTestHost host;
  host.logType = 4;
  GpsDataLog log(host);
  QVERIFY(log.OpenGpsLogFile(0));
  const qint64 headerSize = QFileInfo(log.FileName()).size();

  const QByteArray ea1 = OncoreMessage("Ea", 76, 1);
  const QByteArray bk = OncoreMessage("Bk", 69, 2);
  const QByteArray ea2 = OncoreMessage("Ea", 76, 3);
  const QByteArray bg = OncoreMessage("Bg", 12, 4);
  const QByteArray ba = OncoreMessage("Ba", 68, 5);
  const QByteArray ek = OncoreMessage("Ek", 71, 6);
  const QByteArray eg = OncoreMessage("Eg", 12, 7);
  const QByteArray bf = OncoreMessage("Bf", 10, 8);
  const QByteArray cc = OncoreMessage("Cc", 40, 9);
  const QByteArray ha = OncoreMessage("Ha", 154, 10);
  const QByteArray bb = OncoreMessage("Bb", 92, 11);
  const QByteArray lastEa = OncoreMessage("Ea", 76, 12);

  for (const QByteArray &m : {ea1, bk, ea2, bb, bg, bf, cc, ha})
    log.WriteBinaryGpsLog(m);
  // Held messages survive closing and reopening the log.
  log.WriteBinaryGpsLog(ba);
  log.WriteBinaryGpsLog(ek);
  QVERIFY(log.OpenGpsLogFile(3));
  const qint64 secondHeader = QFileInfo(log.FileName()).size();
  log.WriteBinaryGpsLog(eg);
  log.WriteBinaryGpsLog(lastEa);  // never followed by "@@Bg"
  QVERIFY(log.FlushGpsLogFile());

  const QByteArray all = ReadFileBytes(log.FileName());
  QByteArray first;
  for (const QByteArray &m : {ea2, bk, bg, bf, cc, ha})
    first += GpsDataLog::BinaryRecord(m);
  QCOMPARE(all.mid(int(headerSize), int(secondHeader - headerSize)).left(first.size()), first);
  QByteArray second;
  for (const QByteArray &m : {ba, ek, eg})
    second += GpsDataLog::BinaryRecord(m);
  QCOMPARE(all.right(second.size()), second);
}

void TestGpsDataLog::binaryNeedsGateAndBinaryType()
{
  GpsLogTestHost host;
  host.logType = 4;
  GpsDataLog log(host);
  QVERIFY(log.OpenGpsLogFile(0));
  const qint64 headerSize = QFileInfo(log.FileName()).size();

  // Gate closed: nothing written, nothing held.
  host.gateOpen = false;
  log.WriteBinaryGpsLog(OncoreMessage("Ea", 76));
  log.WriteBinaryGpsLog(OncoreMessage("Ha", 154));
  host.gateOpen = true;
  const QByteArray bg = OncoreMessage("Bg", 12);
  log.WriteBinaryGpsLog(bg);
  QVERIFY(log.FlushGpsLogFile());
  QCOMPARE(ReadFileBytes(log.FileName()).mid(int(headerSize)), GpsDataLog::BinaryRecord(bg));

  // Text types write no binary records.
  for (int type : {0, 2, 3, 7}) {
    host.logType = type;
    QVERIFY(log.OpenGpsLogFile(2));
    const qint64 size = QFileInfo(log.FileName()).size();
    log.WriteBinaryGpsLog(OncoreMessage("Ea", 76));
    log.WriteBinaryGpsLog(bg);
    QVERIFY(log.FlushGpsLogFile());
    QCOMPARE(QFileInfo(log.FileName()).size(), size);
  }
}

// ---------------------------------------------------------------------------
// Write failures

void TestGpsDataLog::writeFailureOnFullDeviceIsReportedOnce()
{
  if (!QFileInfo::exists("/dev/full"))
    QSKIP("no /dev/full");
  QVERIFY(QFile::link("/dev/full", LogPath(45, 0)));

  GpsLogTestHost host;
  GpsDataLog log(host);
  QVERIFY(log.OpenGpsLogFile(3));  // the header's flush already fails
  QVERIFY(log.IsOpen());
  QCOMPARE(host.problems.size(), 1);
  QVERIFY2(host.problems.first().contains("RARA_0045G.txt"), qPrintable(host.problems.first()));
  QVERIFY(log.HasWriteError());
  QVERIFY(!log.StatusText().isEmpty());

  for (int second = 0; second < 5; ++second) {
    log.WriteGpsLog(QStringLiteral("line %1").arg(second));
    QVERIFY(log.FlushGpsLogFile());  // still open
  }
  QCOMPARE(host.problems.size(), 1);
  QVERIFY(log.HasWriteError());
  QVERIFY(log.CloseGpsLogFile(true));
  // Closing with data that never got out says so.
  QCOMPARE(host.problems.size(), 2);
  QVERIFY(host.problems.last().contains("could not be written"));
}

void TestGpsDataLog::failedWritesAreRetriedAtTheNextFlush()
{
  auto failing = std::make_shared<bool>(false);
  GpsLogTestHost host;
  GpsDataLog log(host);
  log.SetWriterFactory([failing] { return std::make_unique<SwitchableWriter>(failing); });
  QVERIFY(log.OpenGpsLogFile(0));
  log.WriteGpsLog("before the failure");
  QVERIFY(log.FlushGpsLogFile());
  QVERIFY(host.problems.isEmpty());

  *failing = true;
  log.WriteGpsLog("during the failure 1");
  QVERIFY(log.FlushGpsLogFile());
  QCOMPARE(host.problems.size(), 1);
  QVERIFY(log.HasWriteError());
  // More than one write chunk while failing: it waits, no write is tried
  // before the next flush.
  const QString longLine(GpsDataLog::WriteChunkBytes, QLatin1Char('x'));
  log.WriteGpsLog(longLine);
  log.WriteGpsLog("during the failure 2");
  QVERIFY(log.FlushGpsLogFile());
  QCOMPARE(host.problems.size(), 1);
  QVERIFY(log.HasWriteError());

  *failing = false;
  log.WriteGpsLog("after the failure");
  QVERIFY(log.FlushGpsLogFile());
  QVERIFY(!log.HasWriteError());
  QVERIFY(log.StatusText().isEmpty());
  QCOMPARE(host.problems.size(), 2);  // the recovery is told once
  QVERIFY(host.problems.last().contains("works again"));

  const QStringList lines = ReadFileLines(log.FileName());
  QCOMPARE(lines.mid(4), (QStringList{"before the failure", "during the failure 1", longLine,
                                      "during the failure 2", "after the failure"}));

  // A second failure later is reported again.
  *failing = true;
  log.WriteGpsLog("again");
  QVERIFY(log.FlushGpsLogFile());
  QCOMPARE(host.problems.size(), 3);
}

// The disk fills up in the middle of a row; then no row comes and nothing
// flushes (no 1PPS line): the log's own timer tries again every second until
// space returns, and writes every row once and in order.
void TestGpsDataLog::failedWriteOutIsRetriedWithoutFurtherRows()
{
  GpsLogTestHost host;
  host.logType = 2;
  GpsDataLog log(host);
  auto disk = std::make_shared<FillingDiskWriter::Disk>();
  log.SetWriterFactory([disk] { return std::make_unique<FillingDiskWriter>(disk); });
  QVERIFY(log.OpenGpsLogFile(0));
  const qint64 headerSize = QFileInfo(log.FileName()).size();
  QByteArray rows;
  auto write = [&](int first, int last) {
    for (int n = first; n <= last; ++n) {
      const QByteArray row = "12000" + QByteArray::number(n) + ".00,4807.038,N";
      log.WriteGpsLog(QString::fromLatin1(row));
      rows += row + '\n';
    }
  };
  auto allOnDisk = [&] { return ReadFileBytes(log.FileName()).mid(int(headerSize)) == rows; };

  write(0, 1);
  QTRY_VERIFY_WITH_TIMEOUT(allOnDisk(), 2000);

  // Room for half a row.
  disk->free = 12;
  write(2, 4);
  QTRY_COMPARE_WITH_TIMEOUT(host.problems.size(), 1, 2000);
  QVERIFY2(host.problems.first().contains("No space left on device"), qPrintable(host.problems.first()));
  QVERIFY(log.HasWriteError());
  // Further write-outs fail too, without another report.
  QTest::qWait(2 * GpsDataLog::MaxPendingAgeMs + 200);
  QCOMPARE(host.problems.size(), 1);
  QVERIFY(!allOnDisk());

  disk->free = -1;
  QTRY_VERIFY_WITH_TIMEOUT(allOnDisk(), 2500);
  QTRY_VERIFY_WITH_TIMEOUT(!log.HasWriteError(), 1000);
  QCOMPARE(host.problems.size(), 2);
  QVERIFY2(host.problems.last().contains("works again"), qPrintable(host.problems.last()));
  QVERIFY(log.StatusText().isEmpty());

  write(5, 6);
  QTRY_VERIFY_WITH_TIMEOUT(allOnDisk(), 2000);
  QCOMPARE(host.problems.size(), 2);
  QCOMPARE(log.DroppedBytes(), qint64(0));
  QVERIFY(log.IsOpen());
  QVERIFY(log.CloseGpsLogFile(true));
  QCOMPARE(host.problems.size(), 2);
}

void TestGpsDataLog::vanishedFileIsCreatedAgain()
{
  GpsLogTestHost host;
  GpsDataLog log(host);
  QVERIFY(log.OpenGpsLogFile(0));
  QVERIFY(QFile::remove(log.FileName()));
  log.WriteGpsLog("after the removal");
  QVERIFY(log.FlushGpsLogFile());
  QCOMPARE(host.problems.size(), 1);
  QCOMPARE(ReadFileLines(log.FileName()), QStringList{"after the removal"});
  log.WriteGpsLog("and on");
  QVERIFY(log.FlushGpsLogFile());
  QCOMPARE(host.problems.size(), 1);
  QCOMPARE(ReadFileLines(log.FileName()), (QStringList{"after the removal", "and on"}));
}

// ---------------------------------------------------------------------------
// Day roll-over

void TestGpsDataLog::rollOver_data()
{
  QTest::addColumn<QString>("newDayFile");  // "none", "file", "blocked"
  QTest::addColumn<int>("autorestart");     // -1: not stored
  QTest::addColumn<bool>("openAfter");
  QTest::addColumn<QString>("newDayHeader");

  QTest::newRow("new day absent") << "none" << -1 << true << "Created";
  QTest::newRow("new day exists") << "file" << 1 << true << "Opened";
  QTest::newRow("auto-restart off") << "none" << 0 << false << "";
  QTest::newRow("auto-restart 2") << "none" << 2 << false << "";
  QTest::newRow("new day cannot open") << "blocked" << 1 << false << "";
}

void TestGpsDataLog::rollOver()
{
  QFETCH(QString, newDayFile);
  QFETCH(int, autorestart);
  QFETCH(bool, openAfter);
  QFETCH(QString, newDayHeader);

  if (autorestart >= 0)
    QSettings().setValue(GpsLogKeys::Autorestart, autorestart);
  const QString today = LogPath(45, 0);
  const QString tomorrow = LogPath(46, 0);
  if (newDayFile == "file")
    WriteFile(tomorrow, "; logged earlier today\n");
  else if (newDayFile == "blocked")
    QVERIFY(QDir().mkdir(tomorrow));

  GpsLogTestHost host;
  host.SetDisplayed(QDateTime(QDate(2024, 2, 14), QTime(23, 59, 59), Qt::UTC));
  GpsDataLog log(host);
  QVERIFY(log.OpenGpsLogFile(0));
  log.WriteGpsLog("23:59:59 last line of the day");  // not flushed yet

  host.SetDisplayed(QDateTime(QDate(2024, 2, 15), QTime(0, 0, 0), Qt::UTC));
  QCOMPARE(log.RollOverToNewDay(), openAfter);
  QCOMPARE(log.IsOpen(), openAfter);

  const QStringList old = ReadFileLines(today);
  QCOMPARE(old.mid(4), (QStringList{"23:59:59 last line of the day",
                                    "; Closed GPS Data Log Thu Feb 15 00:00:00 2024 UTC", "; "}));
  if (openAfter) {
    QCOMPARE(log.FileName(), tomorrow);
    log.WriteGpsLog("00:00:00 first line of the day");
    QVERIFY(log.CloseGpsLogFile(true));
    QStringList lines = ReadFileLines(tomorrow);
    if (newDayFile == "file")
      QCOMPARE(lines.takeFirst(), QStringLiteral("; logged earlier today"));
    QVERIFY2(lines.first().startsWith("; Riduder Version 1.2.10. " + newDayHeader + " GPS Raw Data Log "),
             qPrintable(lines.first()));
    QCOMPARE(lines.at(4), QStringLiteral("00:00:00 first line of the day"));
    QVERIFY(host.problems.isEmpty());
  } else if (newDayFile == "blocked") {
    QCOMPARE(host.problems.size(), 1);
    QVERIFY2(host.problems.first().contains("RARA_0046G.txt"), qPrintable(host.problems.first()));
  } else {
    QVERIFY(!QFileInfo::exists(tomorrow));
    QVERIFY(host.problems.isEmpty());
  }

  // Nothing open: the roll-over opens nothing.
  log.CloseGpsLogFile(true);
  QVERIFY(!log.IsOpen());
  host.SetDisplayed(QDateTime(QDate(2024, 2, 16), QTime(0, 0, 0), Qt::UTC));
  QVERIFY(!log.RollOverToNewDay());
  QVERIFY(!QFileInfo::exists(LogPath(47, 0)));
}

RIDUDER_TEST_MAIN(TestGpsDataLog)
#include "tst_gpsdatalog.moc"
