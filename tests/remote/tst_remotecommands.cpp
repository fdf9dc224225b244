#include "TestMain.h"

#include "logging/GpsDataLog.h"
#include "position/GeoidModel.h"
#include "remote/RemoteCommandInterpreter.h"
#include "logging/LogFileNames.h"
#include "logging/TicDataLog.h"
#include "logging/TicLogOptions.h"
#include "tests/logging/GpsLogTestHost.h"
#include "tests/logging/TicLogTestHost.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>

namespace {

// The interpreter's host as a spy: replies and server restarts recorded, a
// reference location and TICDATA state of its own, and a real GPS log and
// TIC log set in temporary folders (the TIC one is the configured folder;
// a TIC log name never leaves it).
class SpyHost : public RemoteCommandHost {
public:
  SpyHost() : gpsLog(gpsHost), ticLog(ticHost)
  {
    QSettings().setValue(GpsLogKeys::FileDirectory, folder.path());
    QSettings().setValue(TicLogKeys::FileDirectory, ticFolder.path());
    reference = GeoPosition{12.5, -45.25, 110.0, 100.0};
  }

  void SendReply(const QByteArray &reply) override { replies << reply; }
  void RestartServer() override { ++restarts; }
  void CarryOutNextLineAtOnce() override {}
  QString VersionText() const override { return QStringLiteral("1.2.10"); }

  QString ReferencePositionText() const override { return FormatPositionText(reference, 4); }
  void SetReferenceLocation(const GeoPosition &position) override { reference = position; }

  void SetTicDataCount(TicDataKind kind, int count) override
  {
    (kind == TicDataKind::Time ? timeCount : averageCount) = count;
  }
  QByteArray LastTicDataLine(TicDataKind kind) const override
  {
    return kind == TicDataKind::Time ? lastTime : lastAverage;
  }

  int GpsLogType() const override { return gpsHost.logType; }
  void SetGpsLogType(int type) override { gpsHost.logType = type; }
  bool GpsLogOpen() const override { return gpsLog.IsOpen(); }
  QString GpsLogFileName() const override { return gpsLog.FileName(); }
  bool OpenGpsLogFile(int mode) override { return gpsLog.OpenGpsLogFile(mode); }
  bool CloseGpsLogFile() override { return gpsLog.CloseGpsLogFile(true); }

  bool TicLogOpen() const override { return ticLog.IsOpen(); }
  QString TicLogFirstFileName() const override { return ticLog.AverageFileName(1); }
  bool OpenTicLogFiles(int mode) override { return ticLog.OpenTicLogFiles(mode); }
  bool CloseTicLogFiles() override { return ticLog.CloseTicLogFiles(true); }
  void TicLogOptionsStored() override { ticLog.LoadOptions(); }

  // What one line answers; the replies are taken.
  QList<QByteArray> Run(RemoteCommandInterpreter &interpreter, const QByteArray &line)
  {
    replies.clear();
    interpreter.OnTelnetCommand(line);
    return replies;
  }

  QTemporaryDir folder;
  QTemporaryDir ticFolder;
  riduder::test::GpsLogTestHost gpsHost;
  GpsDataLog gpsLog;
  riduder::test::TicLogTestHost ticHost;
  TicDataLog ticLog;
  QList<QByteArray> replies;
  int restarts = 0;
  GeoPosition reference;
  int timeCount = 0;
  int averageCount = 0;
  QByteArray lastTime = "2024-02-14 12:34:56 1.234567";
  QByteArray lastAverage;
};

// The value stored under a TIC key, as text ("" when absent).
QString Stored(const char *key)
{
  return QSettings().value(QLatin1String(key)).toString();
}

using Replies = QList<QByteArray>;

}  // namespace

class TestRemoteCommands : public QObject {
  Q_OBJECT

private slots:
  void init() { QSettings().clear(); }

  // Every command with a closed GPS log, no TIC set, the spy's reference
  // location and last TIME row, and no AVERAGE row yet.
  void answersEachCommand_data()
  {
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<Replies>("replies");

    const QByteArray reference = "$DAREZ,REFLOC," + FormatPositionText({12.5, -45.25, 110.0, 100.0}, 4).toUtf8();
    QTest::newRow("version") << QByteArray("$DAREZ,VERSION") << Replies{"$DAREZ,VERSION,1.2.10"};
    QTest::newRow("version, comma") << QByteArray("$DAREZ,VERSION,") << Replies{"$DAREZ,VERSION,1.2.10"};
    QTest::newRow("version, lower case") << QByteArray("$darez,Version") << Replies{"$darez,Version,1.2.10"};
    QTest::newRow("version, option") << QByteArray("$DAREZ,VERSION, x ")
                                     << Replies{"$DAREZ,VERSION,x,BADOPTION"};
    QTest::newRow("unknown command") << QByteArray("$DAREZ,FOO,1") << Replies{"$DAREZ,FOO,UNKNOWN"};
    QTest::newRow("other sentence") << QByteArray("$PZQKA,1,2") << Replies{"$PZQKA,UNKNOWN"};
    QTest::newRow("GP sentence") << QByteArray("$GPGGA,1") << Replies{"$GPGGA,UNKNOWN"};
    QTest::newRow("exit") << QByteArray("EXIT") << Replies{"DISCONNECTED"};
    QTest::newRow("remote exit") << QByteArray("$DAREZ,exit,now") << Replies{"DISCONNECTED"};

    QTest::newRow("refloc read") << QByteArray("$DAREZ,REFLOC") << Replies{reference};
    QTest::newRow("refloc read, comma") << QByteArray("$DAREZ,REFLOC,") << Replies{reference};
    QTest::newRow("refloc read, empty first") << QByteArray("$DAREZ,REFLOC,,1,2") << Replies{reference};
    QTest::newRow("refloc two values") << QByteArray("$DAREZ,REFLOC,1,2") << Replies{"$DAREZ,REFLOC,ERROR"};
    QTest::newRow("refloc four values") << QByteArray("$DAREZ,REFLOC,1,2,3,4") << Replies{"$DAREZ,REFLOC,ERROR"};
    QTest::newRow("refloc latitude") << QByteArray("$DAREZ,REFLOC,91,2,3") << Replies{"$DAREZ,REFLOC,ERROR"};
    QTest::newRow("refloc longitude") << QByteArray("$DAREZ,REFLOC,1,181,3") << Replies{"$DAREZ,REFLOC,ERROR"};
    QTest::newRow("refloc altitude high") << QByteArray("$DAREZ,REFLOC,1,2,18001")
                                          << Replies{"$DAREZ,REFLOC,ERROR"};
    QTest::newRow("refloc altitude text") << QByteArray("$DAREZ,REFLOC,1,2,3x") << Replies{"$DAREZ,REFLOC,ERROR"};
    QTest::newRow("refloc altitude overlong") << "$DAREZ,REFLOC,12.5,-45.25," + QByteArray(400, '9')
                                              << Replies{"$DAREZ,REFLOC,ERROR"};

    QTest::newRow("ticdata time once") << QByteArray("$DAREZ,TICDATA,TIME,ONCE")
                                       << Replies{"$DAREZ,TICDATA,TIME,2024-02-14 12:34:56 1.234567"};
    QTest::newRow("ticdata average always, none yet") << QByteArray("$DAREZ,TICDATA,average,Always")
                                                      << Replies{"$DAREZ,TICDATA,AVERAGE,"};
    QTest::newRow("ticdata off") << QByteArray("$DAREZ,TICDATA,TIME,OFF") << Replies{};
    QTest::newRow("ticdata bad mode") << QByteArray("$DAREZ,TICDATA,Time,Often")
                                      << Replies{"$DAREZ,TICDATA,Time,Often,UNKNOWN"};
    QTest::newRow("ticdata bad kind") << QByteArray("$DAREZ,TICDATA,FREQ,ONCE")
                                      << Replies{"$DAREZ,TICDATA,FREQ,UNKNOWN"};

    QTest::newRow("log status closed") << QByteArray("$DAREZ,LOG,STATUS") << Replies{"$DAREZ,LOG,STATUS,CLOSED"};
    QTest::newRow("log close, none open") << QByteArray("$DAREZ,LOG,close") << Replies{"$DAREZ,LOG,close,FAILED"};
    QTest::newRow("log new, no name") << QByteArray("$DAREZ,LOG,NEW,RAW,")
                                      << Replies{"$DAREZ,LOG,NEW,RAW,,NOFILENAME"};
    QTest::newRow("log new, bad option") << QByteArray("$DAREZ,LOG,NEW,RAW,site,KEEP")
                                         << Replies{"$DAREZ,LOG,NEW,RAW,site,BADOPTION"};
    QTest::newRow("log open, option") << QByteArray("$DAREZ,LOG,OPEN,RAW,site,REPLACE")
                                      << Replies{"$DAREZ,LOG,OPEN,RAW,site,BADOPTION"};
    QTest::newRow("log open, absent") << QByteArray("$DAREZ,LOG,OPEN,RAW,site")
                                      << Replies{"$DAREZ,LOG,OPEN,RAW,site,FAILED"};
    QTest::newRow("log other action") << QByteArray("$DAREZ,LOG,FLUSH") << Replies{"$DAREZ,LOG,FLUSH,UNKNOWN"};
  }

  void answersEachCommand()
  {
    QFETCH(QByteArray, line);
    QFETCH(Replies, replies);
    SpyHost host;
    RemoteCommandInterpreter interpreter(host);
    const GeoPosition before = host.reference;
    QCOMPARE(host.Run(interpreter, line), replies);
    // Only a set changes the reference location; only EXIT the connection.
    QCOMPARE(host.reference.latitude, before.latitude);
    QCOMPARE(host.restarts, replies == Replies{"DISCONNECTED"} ? 1 : 0);
    QVERIFY(!host.gpsLog.IsOpen());
  }

  // The command line as the debug output shows it: a client's escape
  // sequence written out, not sent to the terminal.
  void theDebugLineWritesOutControlBytes()
  {
    SpyHost host;
    RemoteCommandInterpreter interpreter(host);
    QTest::ignoreMessage(QtDebugMsg, "MainWindow Received TELNET Command ->  $DAREZ,\\x1b[2J\\x1b]0;x\\x07");
    QCOMPARE(host.Run(interpreter, "$DAREZ,\x1b[2J\x1b]0;x\x07"), Replies{"$DAREZ,\x1b[2J\x1b]0;x\x07,UNKNOWN"});
  }

  void reflocStoresTheLocationWithItsGeoidHeight()
  {
    SpyHost host;
    RemoteCommandInterpreter interpreter(host);
    const Replies replies = host.Run(interpreter, "$DAREZ,REFLOC,45 30 N,73 15 W,100");
    QCOMPARE(host.reference.latitude, 45.5);
    QCOMPARE(host.reference.longitude, -73.25);
    QCOMPARE(host.reference.mslAltitude, 100.0);
    const double separation = GeoidModel().GeoidSeparation(45.5, -73.25);
    QVERIFY(separation != 0.0);
    QCOMPARE(host.reference.gpsAltitude, 100.0 + separation);
    QCOMPARE(replies, Replies{"$DAREZ,REFLOC," + FormatPositionText(host.reference, 4).toUtf8()});
    QVERIFY(replies.first().startsWith("$DAREZ,REFLOC,45.50000000\xC2\xB0,-73.25000000\xC2\xB0,"));
  }

  void ticDataSetsTheCounters()
  {
    SpyHost host;
    RemoteCommandInterpreter interpreter(host);
    host.Run(interpreter, "$DAREZ,TICDATA,AVERAGE,ALWAYS");
    QCOMPARE(host.averageCount, -1);
    host.Run(interpreter, "$DAREZ,TICDATA,TIME,ALWAYS");
    QCOMPARE(host.timeCount, -1);
    host.Run(interpreter, "$DAREZ,TICDATA,TIME,ONCE");
    QCOMPARE(host.timeCount, 0);
    host.Run(interpreter, "$DAREZ,TICDATA,AVERAGE,SOMETIMES");
    QCOMPARE(host.averageCount, -1);
    host.Run(interpreter, "$DAREZ,TICDATA,AVERAGE,OFF");
    QCOMPARE(host.averageCount, 0);
  }

  void logNewOpenStatusAndClose()
  {
    SpyHost host;
    host.gpsHost.logType = 2;
    RemoteCommandInterpreter interpreter(host);

    // An unknown type opens the log with the type unchanged.
    QCOMPARE(host.Run(interpreter, "$DAREZ,LOG,NEW,TABLE,site"), Replies{"$DAREZ,LOG,NEW,TABLE,site,CREATED"});
    QCOMPARE(host.gpsHost.logType, 2);
    const QString path = host.gpsLog.FileName();
    QVERIFY(path.startsWith(host.folder.path()));
    QVERIFY(path.endsWith(QStringLiteral(".csv")));
    QCOMPARE(host.Run(interpreter, "$DAREZ,LOG,STATUS"),
             Replies{"$DAREZ,LOG,STATUS,OPENED,PVT," + path.toUtf8()});

    // Neither NEW nor OPEN touches an open log, nor its type.
    QCOMPARE(host.Run(interpreter, "$DAREZ,LOG,NEW,binary,site,REPLACE"),
             Replies{"$DAREZ,LOG,NEW,binary,site,FAILED"});
    QCOMPARE(host.Run(interpreter, "$DAREZ,LOG,OPEN,RAW,site"), Replies{"$DAREZ,LOG,OPEN,RAW,site,FAILED"});
    QVERIFY(host.gpsLog.IsOpen());
    QCOMPARE(host.gpsLog.FileName(), path);
    QCOMPARE(host.gpsHost.logType, 2);

    // CLOSE ends the TIC log set too.
    QVERIFY(host.ticLog.OpenTicLogFiles(TicDataLog::CreateNew));
    QCOMPARE(host.Run(interpreter, "$DAREZ,LOG,CLOSE"), Replies{"$DAREZ,LOG,CLOSE,CLOSED"});
    QVERIFY(!host.gpsLog.IsOpen());
    QVERIFY(!host.ticLog.IsOpen());

    // Today's log exists: NEW fails, NEW with REPLACE and OPEN work.
    QCOMPARE(host.Run(interpreter, "$DAREZ,LOG,NEW,PVT,site"), Replies{"$DAREZ,LOG,NEW,PVT,site,FAILED"});
    QVERIFY(!host.gpsLog.IsOpen());
    QCOMPARE(host.Run(interpreter, "$DAREZ,LOG,OPEN,PVT,site"), Replies{"$DAREZ,LOG,OPEN,PVT,site,OPENED"});
    QCOMPARE(host.gpsLog.FileName(), path);
    host.Run(interpreter, "$DAREZ,LOG,CLOSE");
    QCOMPARE(host.Run(interpreter, "$DAREZ,LOG,NEW,PVT,site,replace"), Replies{"$DAREZ,LOG,NEW,PVT,site,CREATED"});
    host.Run(interpreter, "$DAREZ,LOG,CLOSE");

    // A type word in any case selects its type; STATUS names it.
    QCOMPARE(host.Run(interpreter, "$DAREZ,LOG,NEW,Binary,site"), Replies{"$DAREZ,LOG,NEW,Binary,site,CREATED"});
    QCOMPARE(host.gpsHost.logType, 1);
    QCOMPARE(host.Run(interpreter, "$DAREZ,LOG,STATUS"),
             Replies{"$DAREZ,LOG,STATUS,OPENED,BINARY," + host.gpsLog.FileName().toUtf8()});
    QVERIFY(host.gpsLog.FileName().endsWith(QStringLiteral(".bin")));
    host.Run(interpreter, "$DAREZ,LOG,CLOSE");
    host.Run(interpreter, "$DAREZ,LOG,NEW,raw,site");
    QCOMPARE(host.gpsHost.logType, 0);
    QCOMPARE(host.Run(interpreter, "$DAREZ,LOG,STATUS").first().split(',').at(4), QByteArray("RAW"));
  }

  void logCloseLeavesTheTicSetWhenNoGpsLogIsOpen()
  {
    SpyHost host;
    QVERIFY(host.ticLog.OpenTicLogFiles(TicDataLog::CreateNew));
    RemoteCommandInterpreter interpreter(host);
    QCOMPARE(host.Run(interpreter, "$DAREZ,LOG,CLOSE"), Replies{"$DAREZ,LOG,CLOSE,FAILED"});
    QVERIFY(host.ticLog.IsOpen());
  }

  void ticLogNewStoresItsOptions()
  {
    SpyHost host;
    RemoteCommandInterpreter interpreter(host);
    const QString dir = host.ticFolder.path();
    const QByteArray echo = "$DAREZ,TICLOG,NEW," + dir.toUtf8() + "/SITE1,COMMA,TAB,MJD,TI10,ALTIC600,ARON,SEON";
    QCOMPARE(host.Run(interpreter, "$DAREZ,TICLOG,new,SITE1,COMMA,TAB,MJD,TI10,ALTIC600,ARON,SEON").first(),
             "$DAREZ,TICLOG,new" + echo.mid(17));
    QVERIFY(host.ticLog.IsOpen());
    QCOMPARE(host.replies.size(), 1);
    QCOMPARE(Stored(TicLogKeys::LogStyle), QStringLiteral("2"));
    QCOMPARE(Stored(TicLogKeys::TimeTagFormat), QStringLiteral("1"));
    QCOMPARE(Stored(TicLogKeys::TimeIntervalLogButtonGroup), QStringLiteral("0"));
    QCOMPARE(Stored(TicLogKeys::TimeLogEvery), QStringLiteral("6"));
    QCOMPARE(Stored(TicLogKeys::AveragingLogButtonGroup), QStringLiteral("1"));
    QCOMPARE(Stored(TicLogKeys::AveragingLogPeriod), QStringLiteral("600"));
    QCOMPARE(Stored(TicLogKeys::TimeLogAutorestart), QStringLiteral("1"));
    QCOMPARE(Stored(TicLogKeys::CfgLogSaveSats), QStringLiteral("1"));
    QCOMPARE(Stored(TicLogKeys::FileDirectory), dir);
    QCOMPARE(Stored(TicLogKeys::FileNamePrefix), QStringLiteral("SITE1"));
    // The rows follow the new options at once.
    QCOMPARE(host.ticLog.LogStyle(), 2);
    QCOMPARE(host.ticLog.TimeLogInterval(), 10);
    QCOMPARE(host.ticLog.AveragingPeriod(), 600);
    QVERIFY(QFile::exists(dir + QStringLiteral("/SITE1_0045C.txt")));
    QVERIFY(QFile::exists(dir + QStringLiteral("/SITE1_0045A_PORT_01.txt")));

    const QByteArray base = dir.toUtf8() + "/SITE1";
    QCOMPARE(host.Run(interpreter, "$DAREZ,TICLOG,STATUS"), Replies{"$DAREZ,TICLOG,STATUS," + base + ",OPENED"});

    // NEW or OPEN over the open set fail and change nothing.
    QCOMPARE(host.Run(interpreter, "$DAREZ,TICLOG,NEW,OTHER,SPACE"),
             (Replies{"$DAREZ,TICLOG,NEW," + dir.toUtf8() + "/OTHER,SPACE", "Cannot create files."}));
    QCOMPARE(host.Run(interpreter, "$DAREZ,TICLOG,OPEN,,TI"),
             (Replies{"$DAREZ,TICLOG,OPEN,,TI", "Cannot open files.\nThe files for the current day do not exest."}));
    QVERIFY(host.ticLog.IsOpen());
    QCOMPARE(Stored(TicLogKeys::LogStyle), QStringLiteral("2"));
    QCOMPARE(Stored(TicLogKeys::FileNamePrefix), QStringLiteral("SITE1"));

    QCOMPARE(host.Run(interpreter, "$DAREZ,TICLOG,CLOSE"), Replies{"$DAREZ,TICLOG,CLOSE," + base + ",CLOSED"});
    QCOMPARE(QSettings().value(TicLogKeys::LogOpen).toBool(), false);
    QCOMPARE(host.Run(interpreter, "$DAREZ,TICLOG,STATUS"), Replies{"$DAREZ,TICLOG,STATUS,CLOSED"});
    QSettings().setValue(TicLogKeys::LogOpen, true);
    QCOMPARE(host.Run(interpreter, "$DAREZ,TICLOG,CLOSE"), Replies{"$DAREZ,TICLOG,CLOSE,FAILED"});
    QCOMPARE(QSettings().value(TicLogKeys::LogOpen).toBool(), false);
    QCOMPARE(host.Run(interpreter, "$DAREZ,TICLOG,FLUSH"), Replies{"$DAREZ,TICLOG,FLUSH,UNKNOWN"});
  }

  // A folder name beyond ASCII: CLOSE names the set in Latin-1, STATUS and
  // NEW in UTF-8.
  void ticLogCloseNamesTheSetInLatin1()
  {
    SpyHost host;
    RemoteCommandInterpreter interpreter(host);
    const QString dir = host.ticFolder.path() + QStringLiteral("/Donn\u00e9es");
    QVERIFY(QDir().mkpath(dir));
    QSettings().setValue(TicLogKeys::FileDirectory, dir);
    QCOMPARE(host.Run(interpreter, "$DAREZ,TICLOG,NEW,SITE3"), Replies{"$DAREZ,TICLOG,NEW," + dir.toUtf8() + "/SITE3"});
    QCOMPARE(host.Run(interpreter, "$DAREZ,TICLOG,STATUS"),
             Replies{"$DAREZ,TICLOG,STATUS," + dir.toUtf8() + "/SITE3,OPENED"});
    const QByteArray latin1 = host.ticFolder.path().toLatin1() + "/Donn\xE9" "es/SITE3";
    QCOMPARE(host.Run(interpreter, "$DAREZ,TICLOG,CLOSE"), Replies{"$DAREZ,TICLOG,CLOSE," + latin1 + ",CLOSED"});
  }

  void ticLogNewAndOpenOverTodaysSet()
  {
    SpyHost host;
    RemoteCommandInterpreter interpreter(host);
    const QByteArray dir = host.ticFolder.path().toUtf8();
    QCOMPARE(host.Run(interpreter, "$DAREZ,TICLOG,OPEN,SITE2"),
             (Replies{"$DAREZ,TICLOG,OPEN," + dir + "/SITE2", "Cannot open files.\nThe files for the current day do not exest."}));
    QVERIFY(!host.ticLog.IsOpen());
    QCOMPARE(QSettings().value(TicLogKeys::LogOpen).toBool(), false);

    QCOMPARE(host.Run(interpreter, "$DAREZ,TICLOG,NEW,SITE2"), Replies{"$DAREZ,TICLOG,NEW," + dir + "/SITE2"});
    QVERIFY(host.ticLog.IsOpen());
    QVERIFY(host.ticLog.WriteTimeRow(1, "first row"));
    host.Run(interpreter, "$DAREZ,TICLOG,CLOSE");
    const QString timeFile = host.ticFolder.path() + QStringLiteral("/SITE2_0045T_PORT_01.prn");
    QVERIFY(riduder::test::ReadFileBytes(timeFile).contains("first row"));

    // Today's set exists: NEW fails, OPEN appends, NEW with REPLACE starts
    // it afresh. An empty name keeps the stored prefix.
    QCOMPARE(host.Run(interpreter, "$DAREZ,TICLOG,NEW,SITE2"),
             (Replies{"$DAREZ,TICLOG,NEW," + dir + "/SITE2", "Cannot create files."}));
    QVERIFY(!host.ticLog.IsOpen());
    QCOMPARE(host.Run(interpreter, "$DAREZ,TICLOG,OPEN,"), Replies{"$DAREZ,TICLOG,OPEN,"});
    QVERIFY(host.ticLog.IsOpen());
    QCOMPARE(host.ticLog.TimeFileName(1), timeFile);
    host.Run(interpreter, "$DAREZ,TICLOG,CLOSE");
    QVERIFY(riduder::test::ReadFileBytes(timeFile).contains("first row"));
    QCOMPARE(host.Run(interpreter, "$DAREZ,TICLOG,NEW,SITE2,REPLACE"),
             Replies{"$DAREZ,TICLOG,NEW," + dir + "/SITE2,REPLACE"});
    QVERIFY(host.ticLog.IsOpen());
    host.Run(interpreter, "$DAREZ,TICLOG,CLOSE");
    QVERIFY(!riduder::test::ReadFileBytes(timeFile).contains("first row"));
  }

  void ticLogOptionsNotGivenKeepTheirStoredValues()
  {
    QSettings settings;
    settings.setValue(TicLogKeys::TimeIntervalLogButtonGroup, 1);
    settings.setValue(TicLogKeys::TimeLogEvery, 4);
    settings.setValue(TicLogKeys::AveragingLogPeriod, QStringLiteral("900"));
    settings.setValue(TicLogKeys::LogStyle, 1);
    SpyHost host;
    RemoteCommandInterpreter interpreter(host);
    host.Run(interpreter, "$DAREZ,TICLOG,NEW,SITE3,TI,ALINT60,ALINT120,,TAB");
    QVERIFY(host.ticLog.IsOpen());
    QCOMPARE(Stored(TicLogKeys::TimeIntervalLogButtonGroup), QStringLiteral("0"));
    QCOMPARE(Stored(TicLogKeys::TimeLogEvery), QStringLiteral("4"));
    QCOMPARE(Stored(TicLogKeys::AveragingLogButtonGroup), QStringLiteral("0"));
    QCOMPARE(Stored(TicLogKeys::AveragingLogPeriod), QStringLiteral("120"));
    // An empty field ends the options.
    QCOMPARE(Stored(TicLogKeys::LogStyle), QStringLiteral("1"));
    QVERIFY(!QSettings().contains(TicLogKeys::TimeTagFormat));
    QCOMPARE(host.ticLog.TimeLogInterval(), 5);
  }

  void ticLogRefusesBadOptions_data()
  {
    QTest::addColumn<QByteArray>("options");
    QTest::newRow("TI7") << QByteArray("COMMA,TI7");
    QTest::newRow("TI00") << QByteArray("TI00");
    QTest::newRow("ALTIC1") << QByteArray("ALTIC1");
    QTest::newRow("ALINT20001") << QByteArray("ALINT20001");
    QTest::newRow("ALTIC signed") << QByteArray("ALTIC+50");
    QTest::newRow("ALTIC trailing") << QByteArray("ALTIC50s");
    QTest::newRow("ALTIC empty") << QByteArray("ALTIC");
    QTest::newRow("lower case") << QByteArray("comma");
    QTest::newRow("unknown") << QByteArray("MJD,FAST");
  }

  void ticLogRefusesBadOptions()
  {
    QFETCH(QByteArray, options);
    SpyHost host;
    RemoteCommandInterpreter interpreter(host);
    const QByteArray dir = host.ticFolder.path().toUtf8();
    QCOMPARE(host.Run(interpreter, "$DAREZ,TICLOG,NEW,SITE4," + options),
             Replies{"$DAREZ,TICLOG,NEW," + dir + "/SITE4," + options + ",BADOPTION"});
    QVERIFY(!host.ticLog.IsOpen());
    QVERIFY(QDir(host.ticFolder.path()).isEmpty());
    QVERIFY(!QSettings().contains(TicLogKeys::FileNamePrefix));
    QVERIFY(!QSettings().contains(TicLogKeys::LogStyle));
    QVERIFY(!QSettings().contains(TicLogKeys::TimeTagFormat));
  }

  void ticLogNamesGiveOnlyAPrefix_data()
  {
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QString>("prefix");
    QTest::newRow("bare") << QByteArray("Lab-2_b") << QStringLiteral("Lab-2_b");
    QTest::newRow("time file") << QByteArray("RARA_0045T_PORT_03.csv") << QStringLiteral("RARA");
    QTest::newRow("config log") << QByteArray("SITE_0045C.txt") << QStringLiteral("SITE");
    QTest::newRow("older name") << QByteArray("SITE_2024_045A_PORT_01.prn") << QStringLiteral("SITE");
    QTest::newRow("up") << QByteArray("../evil") << QString();
    QTest::newRow("dots") << QByteArray("..") << QString();
    QTest::newRow("absolute") << QByteArray("/tmp/x") << QString();
    QTest::newRow("drive") << QByteArray("C:x") << QString();
    QTest::newRow("backslash") << QByteArray("a\\b") << QString();
    QTest::newRow("NUL") << QByteArray("ab\0c", 4) << QString();
    QTest::newRow("line feed") << QByteArray("abc\n.txt") << QString();
    QTest::newRow("line feed before tail") << QByteArray("abc_0045C\n.csv") << QString();
    QTest::newRow("carriage return") << QByteArray("abc\r.txt") << QString();
    QTest::newRow("blank") << QByteArray("my site") << QString();
    QTest::newRow("other extension") << QByteArray("site.log") << QString();
    QTest::newRow("tail only") << QByteArray("_0045C.txt") << QString();
    QTest::newRow("long prefix") << QByteArray(65, 'a') << QString();
    QTest::newRow("longest prefix") << QByteArray(64, 'a') << QString(64, QLatin1Char('a'));
    QTest::newRow("long name") << QByteArray("a_0045C" + QByteArray(125, 'x')) << QString();
  }

  void ticLogNamesGiveOnlyAPrefix()
  {
    QFETCH(QByteArray, name);
    QFETCH(QString, prefix);
    QCOMPARE(RemoteCommandInterpreter::TicLogPrefixOfName(name), prefix);

    SpyHost host;
    RemoteCommandInterpreter interpreter(host);
    const Replies replies = host.Run(interpreter, "$DAREZ,TICLOG,NEW," + name + ",REPLACE");
    if (prefix.isEmpty()) {
      QCOMPARE(replies, Replies{"$DAREZ,TICLOG,NEW," + name.trimmed() + ",BADOPTION"});
      QVERIFY(!host.ticLog.IsOpen());
      QVERIFY(!QSettings().contains(TicLogKeys::FileNamePrefix));
    } else {
      QCOMPARE(replies.size(), 1);
      QVERIFY(host.ticLog.IsOpen());
      QCOMPARE(Stored(TicLogKeys::FileNamePrefix), prefix);
      QCOMPARE(QFileInfo(host.ticLog.ConfigFileName()).path(), host.ticFolder.path());
      host.ticLog.CloseTicLogFiles(true);
    }
    // Nothing was made outside the configured folder.
    QVERIFY(!QFile::exists(QFileInfo(host.ticFolder.path()).path() + QStringLiteral("/evil_0045C.txt")));
  }
};

RIDUDER_TEST_MAIN(TestRemoteCommands)
#include "tst_remotecommands.moc"
