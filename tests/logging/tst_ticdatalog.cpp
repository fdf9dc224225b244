#include "TestMain.h"

#include "GpsLogTestHost.h"
#include "TicLogTestHost.h"
#include "core/Paths.h"
#include "logging/LogFileNames.h"
#include "logging/TicDataLog.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>

using riduder::test::FillingDiskWriter;
using riduder::test::ReadFileBytes;
using riduder::test::ReadFileLines;
using riduder::test::SwitchableWriter;
using riduder::test::TicLogTestHost;

namespace {

void WriteFile(const QString &path, const QByteArray &bytes)
{
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly));
  file.write(bytes);
}

// The whole rows of a file (a row still being written is left out).
QList<QByteArray> RowsOnDisk(const QString &path)
{
  QList<QByteArray> rows = ReadFileBytes(path).split('\n');
  rows.removeLast();
  return rows;
}

const QString Created45 = QStringLiteral("Wed Feb 14 12:34:56 2024");

}  // namespace

class TestTicDataLog : public QObject {
  Q_OBJECT

private slots:
  void init();

  void namesCutFromAChosenFile_data();
  void namesCutFromAChosenFile();
  void fileNames_data();
  void fileNames();
  void optionsFromTheSettings();

  void openModes_data();
  void openModes();
  void replaceDeletesOnlyTheSetsNames();
  void openIsAllOrNothing_data();
  void openIsAllOrNothing();
  void openSetIsNotOpenedAgain();

  void headerLines_data();
  void headerLines();
  void configurationTextAndBuffer_data();
  void configurationTextAndBuffer();
  void bufferOverflowIsMarkedOnce();

  void rowsGoToTheirPortFiles();
  void closeDeletesEmptyFilesOfPorts2To8();
  void closeAsks();
  void writeFailureIsReportedOnce();
  void rollOverReopenFailureIsReportedOnce();

  void waitingRowsReachTheDiskWithinASecond();
  void failedWriteOutIsRetriedUntilSpaceReturns();

private:
  QString Stem(const QString &kindAndPort) const
  {
    return dir->path() + QStringLiteral("/RARA_0045") + kindAndPort;
  }
  QString Config() const { return Stem(QStringLiteral("C.txt")); }
  QStringList FilesInDir() const { return QDir(dir->path()).entryList(QDir::Files, QDir::Name); }

  std::unique_ptr<QTemporaryDir> dir;
};

void TestTicDataLog::init()
{
  dir = std::make_unique<QTemporaryDir>();
  QVERIFY(dir->isValid());
  QSettings settings;
  settings.clear();
  settings.setValue(TicLogKeys::FileDirectory, dir->path());
  settings.setValue(TicLogKeys::FileNamePrefix, QStringLiteral("RARA"));
  settings.setValue(TicLogKeys::LogStyle, 1);
}

// ---------------------------------------------------------------------------
// Names

// A name picked in either log's file dialog gives back its prefix.
void TestTicDataLog::namesCutFromAChosenFile_data()
{
  QTest::addColumn<QString>("picked");
  QTest::addColumn<QString>("prefix");
  QTest::newRow("TIC average file") << "RARA_0045A_PORT_03.csv" << "RARA";
  QTest::newRow("TIC time file") << "RARA_0045T_PORT_12.prn" << "RARA";
  QTest::newRow("TIC configuration log") << "RARA_0045C.txt" << "RARA";
  QTest::newRow("GPS log") << "RARA_0045G.bin" << "RARA";
  QTest::newRow("dotted prefix") << "my.site_0045C.txt" << "my.site";
  QTest::newRow("dotted prefix, no day") << "my.site" << "my.site";
  QTest::newRow("other extension kept") << "RARA.log" << "RARA.log";
  QTest::newRow("upper-case extension") << "Site_0045C.TXT" << "Site";
  QTest::newRow("older day name") << "RARA_2024_045A_PORT_01.csv" << "RARA";
  QTest::newRow("older configuration name") << "RARA045C" << "RARA";
  QTest::newRow("digits in the prefix") << "Site12.csv" << "Site12";
  // A tail is cut only at the very end: a final line feed is no end.
  QTest::newRow("line feed after extension") << "RARA.txt\n" << "RARA.txt\n";
  QTest::newRow("line feed after day") << "RARA_0045G\n" << "RARA_0045G\n";
}

void TestTicDataLog::namesCutFromAChosenFile()
{
  QFETCH(QString, picked);
  QFETCH(QString, prefix);
  QCOMPARE(CutLogFileNameTail(picked), prefix);
}

void TestTicDataLog::fileNames_data()
{
  QTest::addColumn<QString>("directory");  // "" for the default folder
  QTest::addColumn<QString>("prefix");
  QTest::addColumn<int>("style");
  QTest::addColumn<QString>("port3Average");
  QTest::addColumn<QString>("port3Time");
  QTest::addColumn<QString>("config");

  const QString d = DefaultLogDirectory();
  QTest::newRow("style 1, defaults") << "" << "RARA" << 1 << d + "/RARA_0045A_PORT_03.csv"
                                     << d + "/RARA_0045T_PORT_03.csv" << d + "/RARA_0045C.txt";
  QTest::newRow("style 0") << "/logs" << "RARA" << 0 << "/logs/RARA_0045A_PORT_03.prn"
                           << "/logs/RARA_0045T_PORT_03.prn" << "/logs/RARA_0045C.txt";
  QTest::newRow("style 2") << "/logs" << "RARA" << 2 << "/logs/RARA_0045A_PORT_03.txt"
                           << "/logs/RARA_0045T_PORT_03.txt" << "/logs/RARA_0045C.txt";
  QTest::newRow("unknown style") << "/logs" << "RARA" << 7 << "/logs/RARA_0045A_PORT_03"
                                 << "/logs/RARA_0045T_PORT_03" << "/logs/RARA_0045C";
  QTest::newRow("dotted directory") << "/home/ann/my.logs" << "RARA" << 1
                                    << "/home/ann/my.logs/RARA_0045A_PORT_03.csv"
                                    << "/home/ann/my.logs/RARA_0045T_PORT_03.csv"
                                    << "/home/ann/my.logs/RARA_0045C.txt";
  QTest::newRow("prefix from a port file") << "/logs" << "RARA_0044A_PORT_03.csv" << 1
                                           << "/logs/RARA_0045A_PORT_03.csv"
                                           << "/logs/RARA_0045T_PORT_03.csv" << "/logs/RARA_0045C.txt";
}

void TestTicDataLog::fileNames()
{
  QFETCH(QString, directory);
  QFETCH(QString, prefix);
  QFETCH(int, style);
  QFETCH(QString, port3Average);
  QFETCH(QString, port3Time);
  QFETCH(QString, config);

  QSettings settings;
  if (directory.isEmpty())
    settings.remove(TicLogKeys::FileDirectory);
  else
    settings.setValue(TicLogKeys::FileDirectory, directory);
  settings.setValue(TicLogKeys::FileNamePrefix, prefix);
  settings.setValue(TicLogKeys::LogStyle, style);

  TicLogTestHost host;
  TicDataLog log(host);
  log.MakeTicLogFileName();
  QCOMPARE(log.AverageFileName(3), port3Average);
  QCOMPARE(log.TimeFileName(3), port3Time);
  QCOMPARE(log.ConfigFileName(), config);
  QCOMPARE(log.LogStyle(), style);
  QVERIFY(log.TimeFileName(1).endsWith("_0045T_PORT_01" + TicDataExtension(style)));
  QVERIFY(log.AverageFileName(8).endsWith("_0045A_PORT_08" + TicDataExtension(style)));
}

void TestTicDataLog::optionsFromTheSettings()
{
  TicLogTestHost host;
  TicDataLog log(host);
  QSettings settings;
  settings.clear();
  log.LoadOptions();
  QCOMPARE(log.TimeTagFormat(), 0);
  QCOMPARE(log.LogStyle(), 0);
  QCOMPARE(log.TimeLogInterval(), 1);
  QCOMPARE(log.AveragingPeriod(), 300);
  QVERIFY(!log.ConfigTextWanted());

  settings.setValue(TicLogKeys::TimeTagFormat, 1);
  settings.setValue(TicLogKeys::LogStyle, 2);
  settings.setValue(TicLogKeys::TimeLogEvery, 12);
  settings.setValue(TicLogKeys::AveragingLogPeriod, "abc");
  settings.setValue(TicLogKeys::CfgLogSaveSats, 1);
  log.LoadOptions();
  QCOMPARE(log.TimeTagFormat(), 1);
  QCOMPARE(log.LogStyle(), 2);
  QCOMPARE(log.TimeLogInterval(), 3600);
  QCOMPARE(log.AveragingPeriod(), 0);
  QVERIFY(log.ConfigTextWanted());

  settings.setValue(TicLogKeys::TimeIntervalLogButtonGroup, 1);
  settings.setValue(TicLogKeys::AveragingLogPeriod, "99999999999");
  log.LoadOptions();
  QCOMPARE(log.TimeLogInterval(), 0);
  QCOMPARE(log.AveragingPeriod(), 0);
}

// ---------------------------------------------------------------------------
// Opening

void TestTicDataLog::openModes_data()
{
  QTest::addColumn<int>("mode");
  QTest::addColumn<bool>("configExists");
  QTest::addColumn<bool>("replaceAnswer");
  QTest::addColumn<bool>("opened");
  QTest::addColumn<bool>("asked");
  QTest::addColumn<bool>("oldPortFilesKept");

  // mode, configuration log exists, answer, opened, asked, old port files kept
  QTest::newRow("0 absent") << 0 << false << true << true << false << true;
  QTest::newRow("0 exists") << 0 << true << true << false << false << true;
  QTest::newRow("1 absent") << 1 << false << false << true << false << false;
  QTest::newRow("1 exists, OK") << 1 << true << true << true << true << false;
  QTest::newRow("1 exists, Cancel") << 1 << true << false << false << true << true;
  QTest::newRow("2 absent") << 2 << false << false << true << false << false;
  QTest::newRow("2 exists") << 2 << true << false << true << false << false;
  QTest::newRow("3 absent") << 3 << false << true << false << false << true;
  QTest::newRow("3 exists") << 3 << true << true << true << false << true;
  QTest::newRow("4 unknown") << 4 << true << true << false << false << true;
}

void TestTicDataLog::openModes()
{
  QFETCH(int, mode);
  QFETCH(bool, configExists);
  QFETCH(bool, replaceAnswer);
  QFETCH(bool, opened);
  QFETCH(bool, asked);
  QFETCH(bool, oldPortFilesKept);

  const QByteArray old = "; an older configuration log\n";
  if (configExists)
    WriteFile(Config(), old);
  // Port files of the day in every style, with data.
  const QStringList oldPortFiles{Stem("T_PORT_02.prn"), Stem("A_PORT_05.txt"), Stem("T_PORT_08.csv")};
  for (const QString &path : oldPortFiles)
    WriteFile(path, "old row\n");

  TicLogTestHost host;
  host.replaceAnswer = replaceAnswer;
  TicDataLog log(host);
  QCOMPARE(log.OpenTicLogFiles(mode), opened);
  QCOMPARE(log.IsOpen(), opened);
  QCOMPARE(log.AnyFileOpen(), opened);
  QCOMPARE(host.replaceQuestions, asked ? QStringList{"RARA_0045C.txt"} : QStringList());
  QCOMPARE(host.openStates, opened ? QList<bool>{true} : QList<bool>());
  if (opened)
    QCOMPARE(QSettings().value(TicLogKeys::LogFileOpen).toBool(), true);

  for (const QString &path : oldPortFiles)
    QVERIFY2((ReadFileBytes(path) == "old row\n") == oldPortFilesKept, qPrintable(path));
  const QByteArray config = ReadFileBytes(Config());
  if (!opened) {
    QCOMPARE(config, configExists ? old : QByteArray());
    return;
  }
  // Every file of the set is there, the configuration log with its header.
  for (int port = 1; port <= TicDataLog::PortCount; ++port) {
    QVERIFY(QFileInfo::exists(log.AverageFileName(port)));
    QVERIFY(QFileInfo::exists(log.TimeFileName(port)));
  }
  const bool appended = mode == TicDataLog::AppendExisting;
  QCOMPARE(config.startsWith(old), appended);
  const QStringList lines = ReadFileLines(Config());
  const QString tag = host.displayed.YearDayText() + " ";
  if (appended) {
    QCOMPARE(lines.mid(1, 3), (QStringList{tag + ";", tag + "; Opened exesting TIC Data Logs to append data " +
                                                          Created45 + " UTC",
                                           tag + ";"}));
  } else {
    QCOMPARE(lines.first(), tag + "; Created TIC Data Logs " + Created45 + " UTC");
  }
}

// A replace takes away the day's port files of every style and the
// configuration log, and nothing else, however the folder is named.
void TestTicDataLog::replaceDeletesOnlyTheSetsNames()
{
  const QString folder = dir->path() + "/site_csv.txt";
  QVERIFY(QDir().mkpath(folder));
  QSettings().setValue(TicLogKeys::FileDirectory, folder);
  const QStringList decoys{dir->path() + "/site.csv", dir->path() + "/site.prn", folder + "/RARA_0045T_PORT_02.csv.bak",
                           folder + "/RARA_0046T_PORT_02.csv", folder + "/RARA_0045C.old"};
  for (const QString &path : decoys)
    WriteFile(path, "keep\n");
  const QStringList gone{folder + "/RARA_0045T_PORT_02.prn", folder + "/RARA_0045A_PORT_07.txt",
                         folder + "/RARA_0045C.txt"};
  for (const QString &path : gone)
    WriteFile(path, "old\n");

  TicLogTestHost host;
  TicDataLog log(host);
  QVERIFY(log.OpenTicLogFiles(TicDataLog::CreateReplace));
  QVERIFY(host.replaceQuestions.isEmpty());
  for (const QString &path : decoys)
    QVERIFY2(ReadFileBytes(path) == "keep\n", qPrintable(path));
  for (const QString &path : gone)
    QVERIFY2(!ReadFileBytes(path).contains("old"), qPrintable(path));
  QVERIFY(!QFileInfo::exists(folder + "/RARA_0045T_PORT_02.prn"));
  QVERIFY(log.CloseTicLogFiles(true));
}

void TestTicDataLog::openIsAllOrNothing_data()
{
  QTest::addColumn<QString>("blocked");
  QTest::addColumn<int>("mode");
  QTest::newRow("a port file") << "T_PORT_04.csv" << 0;
  QTest::newRow("the configuration log") << "C.txt" << 3;
}

// A folder where a file of the set should be: nothing opens, and the empty
// files the attempt made are taken away again.
void TestTicDataLog::openIsAllOrNothing()
{
  QFETCH(QString, blocked);
  QFETCH(int, mode);
  QVERIFY(QDir().mkdir(Stem(blocked)));
  WriteFile(Stem("T_PORT_01.csv"), "earlier row\n");

  TicLogTestHost host;
  TicDataLog log(host);
  QVERIFY(!log.OpenTicLogFiles(mode));
  QVERIFY(!log.IsOpen());
  QVERIFY(!log.AnyFileOpen());
  QVERIFY(host.openStates.isEmpty());
  QCOMPARE(FilesInDir(), QStringList{"RARA_0045T_PORT_01.csv"});
  QCOMPARE(ReadFileBytes(Stem("T_PORT_01.csv")), QByteArray("earlier row\n"));
  log.WriteTicLog("kept for later");
  QCOMPARE(log.ConfigBuffer(), QStringLiteral("kept for later\n"));

  // With the way clear the same log opens.
  QVERIFY(QDir().rmdir(Stem(blocked)));
  QVERIFY(log.OpenTicLogFiles(TicDataLog::CreateNew));
  QCOMPARE(FilesInDir().size(), 17);
  QVERIFY(log.CloseTicLogFiles(true));
}

void TestTicDataLog::openSetIsNotOpenedAgain()
{
  TicLogTestHost host;
  TicDataLog log(host);
  QVERIFY(log.OpenTicLogFiles(TicDataLog::CreateNew));
  host.displayed.SetDateTime(QDateTime(QDate(2024, 2, 15), QTime(0, 0), Qt::UTC));
  QVERIFY(!log.OpenTicLogFiles(TicDataLog::CreateReplace));
  QVERIFY(log.IsOpen());
  QCOMPARE(log.ConfigFileName(), Config());
  QCOMPARE(host.openStates, QList<bool>{true});
  QVERIFY(log.CloseTicLogFiles(true));
}

// ---------------------------------------------------------------------------
// Header and configuration text

void TestTicDataLog::headerLines_data()
{
  QTest::addColumn<int>("intervalButton");
  QTest::addColumn<int>("every");
  QTest::addColumn<QString>("period");
  QTest::addColumn<bool>("sawtoothOff");
  QTest::addColumn<QStringList>("lines");

  const QString created = "; Created TIC Data Logs " + Created45 + " UTC";
  QTest::newRow("defaults") << 0 << 0 << "300" << false
                            << QStringList{created, "; Recording time data every 1 seconds",
                                           "; Average data file based on internal sawtooth corrected data. "
                                           "Averaging Period is 300 seconds.",
                                           "; "};
  QTest::newRow("hour, sawtooth off") << 0 << 12 << "60" << true
                                      << QStringList{created, "; Recording time data every 3600 seconds",
                                                     "; Average data file based on internal raw data. Software "
                                                     "sawtooth correction is OFF. Averaging Period is 60 seconds.",
                                                     "; "};
  const QStringList external{created, "; Recording time data DISABLED",
                             "; Average data file based on external TIC data. Averaging Period is set by TIC.",
                             "; "};
  QTest::newRow("disabled, period abc") << 1 << 4 << "abc" << false << external;
  QTest::newRow("period 0") << 1 << 0 << "0" << true << external;
  QTest::newRow("period -5") << 1 << 0 << "-5" << false << external;
}

void TestTicDataLog::headerLines()
{
  QFETCH(int, intervalButton);
  QFETCH(int, every);
  QFETCH(QString, period);
  QFETCH(bool, sawtoothOff);
  QFETCH(QStringList, lines);

  QSettings settings;
  settings.setValue(TicLogKeys::TimeIntervalLogButtonGroup, intervalButton);
  settings.setValue(TicLogKeys::TimeLogEvery, every);
  settings.setValue(TicLogKeys::AveragingLogPeriod, period);
  settings.setValue(TicLogKeys::TimeTagFormat, 7);  // no tag
  TicLogTestHost host;
  host.sawtoothOff = sawtoothOff;
  TicDataLog log(host);
  QVERIFY(log.OpenTicLogFiles(TicDataLog::CreateNew));
  QCOMPARE(ReadFileLines(Config()), lines);
  QVERIFY(log.CloseTicLogFiles(true));
  QCOMPARE(ReadFileLines(Config()).mid(4),
           (QStringList{"; Closed TIC Data Logs " + Created45 + " UTC", "; "}));
}

void TestTicDataLog::configurationTextAndBuffer_data()
{
  QTest::addColumn<int>("format");
  QTest::newRow("calendar tag") << 0;
  QTest::newRow("MJD tag") << 1;
  QTest::newRow("no tag") << 3;
}

// Text written while the log is closed waits in the buffer and follows the
// first header line; every line carries the tag of the moment it is
// written.
void TestTicDataLog::configurationTextAndBuffer()
{
  QFETCH(int, format);
  QSettings().setValue(TicLogKeys::TimeTagFormat, format);
  TicLogTestHost host;
  TicDataLog log(host);
  log.WriteTicLog("a\r\nb\n\n");
  log.WriteTicLog("");
  log.WriteTicLog("\r\n");
  QCOMPARE(log.ConfigBuffer(), QStringLiteral("a\nb\n"));
  QVERIFY(!QFileInfo::exists(Config()));

  host.displayed.SetDateTime(QDateTime(QDate(2024, 2, 14), QTime(18, 0), Qt::UTC));
  QVERIFY(log.OpenTicLogFiles(TicDataLog::CreateNew));
  QVERIFY(log.ConfigBuffer().isEmpty());
  const QString tag = format == 0 ? host.displayed.YearDayText() + " "
                      : format == 1 ? host.displayed.DayFractionText() + " "
                                    : QString();
  QCOMPARE(log.TimeTag(), tag);
  QStringList lines = ReadFileLines(Config());
  QCOMPARE(lines.size(), 6);
  QCOMPARE(lines.at(0), tag + "; Created TIC Data Logs Wed Feb 14 18:00:00 2024 UTC");
  QCOMPARE(lines.mid(1, 2), (QStringList{tag + "a", tag + "b"}));
  QCOMPARE(lines.at(3), tag + "; Recording time data every 1 seconds");

  // Written at once while open: the configuration log is flushed each time.
  host.displayed.SetDateTime(QDateTime(QDate(2024, 2, 14), QTime(18, 0, 30), Qt::UTC));
  log.WriteTicLog("c\r\n\r\nd\n");
  const QString later = log.TimeTag();
  lines = ReadFileLines(Config());
  QCOMPARE(lines.mid(6), (QStringList{later + "c", later, later + "d"}));
  QVERIFY(log.CloseTicLogFiles(true));
}

void TestTicDataLog::bufferOverflowIsMarkedOnce()
{
  TicLogTestHost host;
  TicDataLog log(host);
  const QString text(999, QLatin1Char('x'));
  for (int i = 0; i < 20; ++i)
    log.WriteTicLog(text);
  QCOMPARE(log.ConfigBuffer().size(), 20000);
  log.WriteTicLog("dropped");
  log.WriteTicLog("dropped too");
  const QString marker = QString::fromLatin1(TicLogTexts::OverflowMarker);
  QCOMPARE(log.ConfigBuffer().count(marker), 1);
  QVERIFY(log.ConfigBuffer().endsWith(log.TimeTag() + marker));
  QVERIFY(!log.ConfigBuffer().contains("dropped"));

  QVERIFY(log.OpenTicLogFiles(TicDataLog::CreateNew));
  const QStringList lines = ReadFileLines(Config());
  QCOMPARE(lines.size(), 1 + 20 + 1 + 3);
  QCOMPARE(lines.filter("*** Configuration buffer overflow before log opened ***").size(), 1);
  QVERIFY(log.CloseTicLogFiles(true));
}

// ---------------------------------------------------------------------------
// Rows, closing, failures

void TestTicDataLog::rowsGoToTheirPortFiles()
{
  TicLogTestHost host;
  TicDataLog log(host);
  QVERIFY(!log.WriteTimeRow(1, "closed"));
  QVERIFY(!log.WriteAverageRow(1, "closed"));
  QVERIFY(log.OpenTicLogFiles(TicDataLog::CreateNew));
  QVERIFY(log.WriteTimeRow(3, "2024045.5,0.123457"));
  QVERIFY(log.WriteTimeRow(3, "2024045.6,0.123458"));
  QVERIFY(log.WriteAverageRow(8, "2024045.6,100,0.052"));
  QVERIFY(!log.WriteTimeRow(0, "no port"));
  QVERIFY(!log.WriteTimeRow(9, "no port"));
  QVERIFY(!log.WriteAverageRow(2, ""));
  QVERIFY(log.FlushLogFiles());
  QCOMPARE(ReadFileLines(Stem("T_PORT_03.csv")), (QStringList{"2024045.5,0.123457", "2024045.6,0.123458"}));
  QCOMPARE(ReadFileLines(Stem("A_PORT_08.csv")), QStringList{"2024045.6,100,0.052"});
  QVERIFY(ReadFileBytes(Stem("A_PORT_03.csv")).isEmpty());
  QVERIFY(log.CloseTicLogFiles(true));
  QVERIFY(!log.FlushLogFiles());
}

void TestTicDataLog::closeDeletesEmptyFilesOfPorts2To8()
{
  TicLogTestHost host;
  TicDataLog log(host);
  QVERIFY(log.OpenTicLogFiles(TicDataLog::CreateNew));
  QVERIFY(log.WriteTimeRow(3, "row of port 3"));
  QVERIFY(log.WriteAverageRow(6, "average of port 6"));
  // Not flushed yet: the rows still count as data.
  QVERIFY(log.CloseTicLogFiles(true));
  QCOMPARE(FilesInDir(), (QStringList{"RARA_0045A_PORT_01.csv", "RARA_0045A_PORT_06.csv", "RARA_0045C.txt",
                                      "RARA_0045T_PORT_01.csv", "RARA_0045T_PORT_03.csv"}));
  QCOMPARE(ReadFileLines(Stem("T_PORT_03.csv")), QStringList{"row of port 3"});
  QCOMPARE(ReadFileLines(Stem("A_PORT_06.csv")), QStringList{"average of port 6"});
  QCOMPARE(host.openStates, (QList<bool>{true, false}));
  QVERIFY(host.problems.isEmpty());
  QVERIFY(!log.CloseTicLogFiles(true));
}

void TestTicDataLog::closeAsks()
{
  TicLogTestHost host;
  TicDataLog log(host);
  // Nothing open: asked all the same, nothing closed, the menu reset.
  QVERIFY(!log.CloseTicLogFiles(false));
  QCOMPARE(host.closeQuestions.size(), 1);
  QCOMPARE(host.openStates, QList<bool>{false});

  QVERIFY(log.OpenTicLogFiles(TicDataLog::CreateNew));
  host.closeAnswer = false;
  QVERIFY(!log.CloseTicLogFiles(false));
  QCOMPARE(host.closeQuestions.last(), QStringLiteral("RARA_0045 [A..., C, T...]"));
  QVERIFY(log.IsOpen());

  host.closeAnswer = true;
  QVERIFY(log.CloseTicLogFiles(false));
  QVERIFY(!log.IsOpen());
  QVERIFY(ReadFileLines(Config()).last().endsWith("; "));
}

void TestTicDataLog::writeFailureIsReportedOnce()
{
  TicLogTestHost host;
  TicDataLog log(host);
  auto failing = std::make_shared<bool>(false);
  log.SetWriterFactory([failing] { return std::make_unique<SwitchableWriter>(failing); });
  QVERIFY(log.OpenTicLogFiles(TicDataLog::CreateNew));
  QVERIFY(log.StatusText().isEmpty());

  *failing = true;
  QVERIFY(log.WriteTimeRow(2, "waits"));
  QVERIFY(log.FlushLogFiles());
  log.WriteTicLog("configuration text");
  QVERIFY(log.FlushLogFiles());
  QCOMPARE(host.problems.size(), 1);
  QVERIFY2(host.problems.first().contains("failed") && host.problems.first().contains("No space left on device"),
           qPrintable(host.problems.first()));
  QVERIFY(log.HasWriteError());
  QCOMPARE(log.StatusText(), QStringLiteral("TIC log: No space left on device"));

  *failing = false;
  QVERIFY(log.FlushLogFiles());
  QCOMPARE(host.problems.size(), 2);
  QVERIFY(host.problems.last().contains("works again"));
  QVERIFY(log.StatusText().isEmpty());
  QCOMPARE(ReadFileLines(Stem("T_PORT_02.csv")), QStringList{"waits"});
  QVERIFY(ReadFileLines(Config()).last().endsWith("configuration text"));
  QVERIFY(log.CloseTicLogFiles(true));
}

void TestTicDataLog::rollOverReopenFailureIsReportedOnce()
{
  QSettings().setValue(TicLogKeys::TimeLogAutorestart, 1);
  TicLogTestHost host;
  TicDataLog log(host);
  QVERIFY(log.OpenTicLogFiles(TicDataLog::CreateNew));
  // The new day's configuration log cannot be made.
  QVERIFY(QDir().mkdir(dir->path() + "/RARA_0046C.txt"));
  host.displayed.SetDateTime(QDateTime(QDate(2024, 2, 15), QTime(0, 0), Qt::UTC));
  QVERIFY(log.RollOverToNewDay());
  QVERIFY(!log.IsOpen());
  QCOMPARE(host.problems.size(), 1);
  QVERIFY2(host.problems.first().contains("RARA_0046C.txt"), qPrintable(host.problems.first()));
  QCOMPARE(log.StatusText(), QStringLiteral("TIC log: RARA_0046C.txt not opened"));

  // Nothing more to roll over the next day: nothing more said.
  host.displayed.SetDateTime(QDateTime(QDate(2024, 2, 16), QTime(0, 0), Qt::UTC));
  QVERIFY(!log.RollOverToNewDay());
  QCOMPARE(host.problems.size(), 1);
  // A set that opens again clears the status.
  QVERIFY(log.OpenTicLogFiles(TicDataLog::CreateNew));
  QVERIFY(log.StatusText().isEmpty());
  QVERIFY(log.CloseTicLogFiles(true));
}

// ---------------------------------------------------------------------------
// Without a 1PPS tick nothing calls FlushLogFiles: the set's own timer
// writes the rows out.

void TestTicDataLog::waitingRowsReachTheDiskWithinASecond()
{
  TicLogTestHost host;
  TicDataLog log(host);
  QVERIFY(log.OpenTicLogFiles(TicDataLog::CreateNew));
  QList<QByteArray> timeRows;
  QList<QByteArray> averageRows;
  for (int n = 0; n < 3; ++n) {
    timeRows << "60354.41678," + QByteArray::number(n) + ".000000";
    averageRows << "60354.41678,300," + QByteArray::number(n) + ".5";
    QElapsedTimer clock;
    clock.start();
    QVERIFY(log.WriteTimeRow(1, timeRows.last()));
    QVERIFY(log.WriteAverageRow(4, averageRows.last()));
    QTRY_VERIFY_WITH_TIMEOUT(RowsOnDisk(Stem("T_PORT_01.csv")).endsWith(timeRows.last()) &&
                                 RowsOnDisk(Stem("A_PORT_04.csv")).endsWith(averageRows.last()),
                             2000);
    QVERIFY2(clock.elapsed() <= 2000, qPrintable(QString::number(clock.elapsed())));
  }
  QCOMPARE(RowsOnDisk(Stem("T_PORT_01.csv")), timeRows);
  QCOMPARE(RowsOnDisk(Stem("A_PORT_04.csv")), averageRows);
  QVERIFY(host.problems.isEmpty());
  QVERIFY(log.CloseTicLogFiles(true));
}

// The disk fills up in the middle of a row and frees again later; rows
// keep coming (one every 250 ms) except for a while after space returns,
// when only the retry can write them.
void TestTicDataLog::failedWriteOutIsRetriedUntilSpaceReturns()
{
  TicLogTestHost host;
  TicDataLog log(host);
  auto disk = std::make_shared<FillingDiskWriter::Disk>();
  log.SetWriterFactory([disk] { return std::make_unique<FillingDiskWriter>(disk); });
  QVERIFY(log.OpenTicLogFiles(TicDataLog::CreateNew));

  QList<QByteArray> timeRows;
  QList<QByteArray> averageRows;
  auto write = [&](int first, int last) {
    for (int n = first; n <= last; ++n) {
      timeRows << "60354.41678," + QByteArray::number(n) + ".000000";
      QVERIFY(log.WriteTimeRow(2, timeRows.last()));
      if (n % 2 == 0) {
        averageRows << "60354.41678,2," + QByteArray::number(n) + ".5";
        QVERIFY(log.WriteAverageRow(2, averageRows.last()));
      }
      QTest::qWait(250);
    }
  };
  auto allOnDisk = [&] {
    return RowsOnDisk(Stem("T_PORT_02.csv")) == timeRows && RowsOnDisk(Stem("A_PORT_02.csv")) == averageRows;
  };

  write(0, 3);
  QTRY_VERIFY_WITH_TIMEOUT(allOnDisk(), 2000);
  QVERIFY(host.problems.isEmpty());

  // Room for half a row.
  disk->free = 12;
  write(4, 11);
  QTRY_COMPARE_WITH_TIMEOUT(host.problems.size(), 1, 2000);
  QVERIFY2(host.problems.first().contains("No space left on device"), qPrintable(host.problems.first()));
  QVERIFY(!allOnDisk());
  QVERIFY(log.HasWriteError());

  // Space returns; no row comes for a while.
  disk->free = -1;
  QTRY_VERIFY_WITH_TIMEOUT(allOnDisk(), 2500);
  QCOMPARE(host.problems.size(), 2);
  QVERIFY2(host.problems.last().contains("works again"), qPrintable(host.problems.last()));
  QVERIFY(!log.HasWriteError());

  write(12, 15);
  QTRY_VERIFY_WITH_TIMEOUT(allOnDisk(), 2000);
  // Every row once and in order, while the set is still open; the recovery
  // was reported once.
  QCOMPARE(RowsOnDisk(Stem("T_PORT_02.csv")), timeRows);
  QCOMPARE(RowsOnDisk(Stem("A_PORT_02.csv")), averageRows);
  QCOMPARE(timeRows.size(), 16);
  QCOMPARE(host.problems.size(), 2);
  QCOMPARE(log.DroppedBytes(), qint64(0));
  QVERIFY(log.IsOpen());
  QVERIFY(log.CloseTicLogFiles(true));
}

RIDUDER_TEST_MAIN(TestTicDataLog)
#include "tst_ticdatalog.moc"
