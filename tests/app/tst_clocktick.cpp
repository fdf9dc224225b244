#include "TestMain.h"

#include "WindowOnSimulator.h"
#include "FakeTickSounds.h"
#include "FakeTimeSource.h"
#include "app/ClockTick.h"
#include "app/MainWindow.h"
#include "core/GpsMode.h"
#include "core/ReceiverIdentity.h"
#include "logging/GpsDataLog.h"
#include "logging/TicDataLog.h"
#include "platform/TimeSource.h"
#include "position/GpsNavDialog.h"
#include "receiver/link/Checksums.h"
#include "tools/simulator/ReceiverSimulator.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QSettings>
#include <QStatusBar>
#include <QTemporaryDir>

#include <memory>

using riduder::test::WindowOnSimulator;
using Tick = TickSounds::Tick;

namespace {

QDateTime Utc(int y, int mo, int d, int h, int mi, int s)
{
  return QDateTime(QDate(y, mo, d), QTime(h, mi, s), Qt::UTC);
}

// A bare command as it reaches the line: checksum and CR LF.
QByteArray OnLine(QByteArray command)
{
  if (command.startsWith('@'))
    AppendOncoreChecksum(command);
  else if (command.startsWith("\xB5\x62"))
    AppendUbxChecksum(command);
  return command + "\r\n";
}

// A main window on the simulator's pseudo-terminal, with a fake PC clock and
// fake sounds; the test plays the receiver's time messages and the ticks.
class TickRig {
public:
  FakeTimeSource clock{Utc(2024, 3, 10, 12, 0, 0)};
  ScopedTimeSourceOverride useClock{&clock};
  std::unique_ptr<WindowOnSimulator> road;

  bool Open(quint32 mode)
  {
    auto options = WindowOnSimulator::Options::WithoutPps(mode, 9600);
    options.showRawData = false;
    road = std::make_unique<WindowOnSimulator>(options);
    if (!road->Problem().isEmpty()) {
      qWarning("%s", qPrintable(road->Problem()));
      return false;
    }
    // The window's construction reset the program-wide values.
    Nav()->SetSatsTracked(6);  // locked
    return true;
  }

  MainWindow &Window() { return road->Window(); }
  riduder::sim::ReceiverSimulator &Simulator() { return road->Simulator(); }
  FakeTickSounds &Sounds() { return road->Sounds(); }
  ReceiverState &State() { return Window().State(); }
  GpsNavDialog *Nav() { return Window().findChild<GpsNavDialog *>(); }

  // One receiver second: its time message (unless none came) and the 1PPS
  // tick. The PC clock keeps pace with the receiver.
  void TickAt(const QDateTime &utc, bool timeMessage = true)
  {
    clock.SetUtc(utc.addMSecs(3));
    clock.Advance(1000);
    if (timeMessage) {
      State().receiverTime.SetDateTime(utc);
      State().tickPending = false;
    }
    Window().OnClockTick();
  }
  void TickSeconds(const QDateTime &from, int count)
  {
    for (int i = 0; i < count; ++i)
      TickAt(from.addSecs(i));
  }

  // Waits until the line has carried `expected`, then a little more to see
  // that nothing else follows.
  bool LineCarries(const QList<QByteArray> &expected)
  {
    QTest::qWait(50);
    for (int i = 0; i < 60 && Simulator().receivedMessages().size() < expected.size(); ++i)
      QTest::qWait(50);
    QTest::qWait(100);
    if (Simulator().receivedMessages() == expected)
      return true;
    qWarning("line: %s", Simulator().received().toHex(' ').constData());
    return false;
  }

  QLabel *Heartbeat()
  {
    const QImage on = QPixmap(QStringLiteral(":/icons/res/icon_on.png")).toImage();
    const QImage off = QPixmap(QStringLiteral(":/icons/res/icon_off.png")).toImage();
    for (QLabel *label : Window().statusBar()->findChildren<QLabel *>()) {
      const QImage image = label->pixmap().toImage();
      if (!image.isNull() && (image == on || image == off))
        return label;
    }
    return nullptr;
  }
  bool HeartbeatOn()
  {
    QLabel *label = Heartbeat();
    return label && label->pixmap().toImage() == QPixmap(QStringLiteral(":/icons/res/icon_on.png")).toImage();
  }
};

QString ReadFile(const QString &path)
{
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    return QString();
  return QString::fromUtf8(file.readAll());
}

}  // namespace

class TestClockTick : public QObject {
  Q_OBJECT

private slots:
  void init() { QSettings().clear(); }

  void pollsAtTheirSeconds_data()
  {
    QTest::addColumn<quint32>("mode");
    QTest::addColumn<int>("model");
    QTest::addColumn<QList<QByteArray>>("expected");
    const QByteArray bo("@@Bo\x01", 5);
    QTest::newRow("oncore binary, M12 family") << quint32(GpsModeMotorolaBinary) << 25
                                               << QList<QByteArray>{OnLine("@@Gj"), OnLine(bo)};
    QTest::newRow("oncore binary, model 19") << quint32(GpsModeMotorolaBinary) << 19
                                             << QList<QByteArray>{OnLine("@@Gj"), OnLine(bo)};
    QTest::newRow("oncore binary, older model") << quint32(GpsModeMotorolaBinary) << 0
                                                << QList<QByteArray>{OnLine("@@Bj"), OnLine(bo)};
    QTest::newRow("u-blox UBX") << quint32(GpsModeUbloxUbx) << 25
                                << QList<QByteArray>{OnLine(QByteArray("\xB5\x62\x0B\x02\x00\x00", 6))};
    QTest::newRow("receive only") << quint32(GpsModeMotorolaBinaryRxOnly) << 25 << QList<QByteArray>{};
    QTest::newRow("generic NMEA") << quint32(GpsModeGenericNmea) << 25 << QList<QByteArray>{};
  }
  void pollsAtTheirSeconds()
  {
    QFETCH(quint32, mode);
    QFETCH(int, model);
    QFETCH(QList<QByteArray>, expected);
    TickRig rig;
    QVERIFY(rig.Open(mode));
    receiverIdentity.model = model;
    // A whole minute, and the seconds around the polls once more.
    rig.TickSeconds(Utc(2024, 3, 10, 12, 0, 0), 60);
    QVERIFY(rig.LineCarries(expected));
    rig.Simulator().clearReceived();
    rig.TickSeconds(Utc(2024, 3, 10, 12, 1, 10), 13);
    QVERIFY(rig.LineCarries(expected));
  }

  // "@@Bb" is asked for again once the receiver has not answered it for two
  // minutes while its "@@Ha" time still comes, and not more often.
  void watchdogPollsSilentSatelliteList()
  {
    TickRig rig;
    QVERIFY(rig.Open(GpsModeMotorolaBinary));
    ReceiverState &state = rig.State();
    state.lastBbAnswerMs = rig.clock.NowMSecsSinceEpoch();
    QDateTime t = Utc(2024, 3, 10, 12, 0, 30);
    auto tickWithHa = [&](int pcSecondsLater) {
      rig.clock.Advance(qint64(pcSecondsLater) * 1000);
      t = t.addSecs(1);
      // "@@Ha" arrived this second.
      state.haIgnoreCountdown = 5;
      state.haIgnoreSetMs = rig.clock.MonotonicMs() + 1000;
      rig.clock.SetUtc(QDateTime::fromMSecsSinceEpoch(rig.clock.NowMSecsSinceEpoch(), Qt::UTC));
      state.receiverTime.SetDateTime(t);
      state.tickPending = false;
      rig.Window().OnClockTick();
    };
    tickWithHa(60);   // one minute of silence: nothing
    tickWithHa(59);   // 119 s: nothing yet
    QVERIFY(rig.LineCarries({}));
    tickWithHa(1);    // 120 s: the poll
    tickWithHa(1);    // just polled: nothing
    tickWithHa(118);  // 119 s after the poll: nothing
    QVERIFY(rig.LineCarries({OnLine(QByteArray("@@Bb\x01", 5))}));
    tickWithHa(1);    // 120 s after the poll: again
    QVERIFY(rig.LineCarries({OnLine(QByteArray("@@Bb\x01", 5)), OnLine(QByteArray("@@Bb\x01", 5))}));

    // Without "@@Ha" the watchdog is quiet.
    rig.Simulator().clearReceived();
    state.haIgnoreCountdown = 0;
    rig.clock.Advance(300000);
    rig.TickAt(t.addSecs(1));
    QVERIFY(rig.LineCarries({}));
  }

  void watchdogRule_data()
  {
    QTest::addColumn<quint32>("mode");
    QTest::addColumn<bool>("ha");
    QTest::addColumn<qint64>("answer");
    QTest::addColumn<qint64>("poll");
    QTest::addColumn<bool>("due");
    const qint64 now = 1000000000;
    const quint32 binary = GpsModeMotorolaBinary;
    QTest::newRow("silent 120 s") << binary << true << now - 120000 << qint64(0) << true;
    QTest::newRow("silent 119.999 s") << binary << true << now - 119999 << qint64(0) << false;
    QTest::newRow("polled lately") << binary << true << now - 500000 << now - 119999 << false;
    QTest::newRow("polled long ago") << binary << true << now - 500000 << now - 120000 << true;
    QTest::newRow("never answered") << binary << true << qint64(0) << qint64(0) << false;
    QTest::newRow("no @@Ha") << binary << false << now - 500000 << qint64(0) << false;
    QTest::newRow("receive only") << quint32(GpsModeMotorolaBinaryRxOnly) << true << now - 500000 << qint64(0) << false;
  }
  void watchdogRule()
  {
    QFETCH(quint32, mode);
    QFETCH(bool, ha);
    QFETCH(qint64, answer);
    QFETCH(qint64, poll);
    QFETCH(bool, due);
    QCOMPARE(WatchdogPollDue(mode, ha, answer, poll, 1000000000), due);
  }

  // Ticks without time messages in between: the tick stands in for them.
  void tickWithoutTimeMessage()
  {
    TickRig rig;
    QVERIFY(rig.Open(GpsModeGenericNmea));
    ReceiverState &state = rig.State();
    rig.TickAt(Utc(2024, 3, 10, 12, 0, 5));
    QCOMPARE(rig.Sounds().Played(), QList<Tick>{Tick::Second});
    QVERIFY(state.tickPending);
    QVERIFY(rig.HeartbeatOn());
    QTRY_VERIFY_WITH_TIMEOUT(!rig.HeartbeatOn(), 2000);

    rig.Sounds().Clear();
    state.zdaThisSecond = true;
    state.messageDroveClock = true;
    rig.TickAt(Utc(2024, 3, 10, 12, 0, 6), false);
    QCOMPARE(rig.Sounds().Played(), (QList<Tick>{Tick::Minute, Tick::Second}));
    QVERIFY(state.tickPending && state.zdaTickPending && state.rmcTickPending);
    QVERIFY(!state.zdaThisSecond && !state.messageDroveClock);
    QVERIFY(rig.HeartbeatOn());
    QTRY_VERIFY_WITH_TIMEOUT(!rig.HeartbeatOn(), 2000);
  }

  void soundsPerSwitches_data()
  {
    QTest::addColumn<QString>("action");
    QTest::addColumn<bool>("locked");
    QTest::addColumn<int>("second");
    QTest::addColumn<QList<Tick>>("played");
    const QString all = "actionSoundAll", oolOnly = "actionSoundOutOfLockOnly",
                  clockOnly = "actionSoundClockTicksOnly", none = "actionSoundNone";
    QTest::newRow("all, locked") << all << true << 5 << QList<Tick>{Tick::Second};
    QTest::newRow("all, unlocked") << all << false << 5 << QList<Tick>{Tick::Warning};
    QTest::newRow("all, unlocked, second 0") << all << false << 0 << QList<Tick>{Tick::Minute};
    QTest::newRow("all, locked, second 0") << all << true << 0 << QList<Tick>{Tick::Minute};
    QTest::newRow("out of lock only, locked") << oolOnly << true << 5 << QList<Tick>{};
    QTest::newRow("out of lock only, unlocked") << oolOnly << false << 5 << QList<Tick>{Tick::Warning};
    QTest::newRow("out of lock only, second 0") << oolOnly << false << 0 << QList<Tick>{};
    QTest::newRow("clock only, locked") << clockOnly << true << 5 << QList<Tick>{Tick::Second};
    QTest::newRow("clock only, unlocked") << clockOnly << false << 5 << QList<Tick>{};
    QTest::newRow("clock only, second 0") << clockOnly << false << 0 << QList<Tick>{Tick::Minute};
    QTest::newRow("none") << none << false << 5 << QList<Tick>{};
    QTest::newRow("none, second 0") << none << true << 0 << QList<Tick>{};
  }
  void soundsPerSwitches()
  {
    QFETCH(QString, action);
    QFETCH(bool, locked);
    QFETCH(int, second);
    QFETCH(QList<Tick>, played);
    TickRig rig;
    QVERIFY(rig.Open(GpsModeGenericNmea));
    rig.Window().findChild<QAction *>(action)->trigger();
    rig.Nav()->SetSatsTracked(locked ? 6 : 0);
    rig.TickAt(Utc(2024, 3, 10, 12, 0, second));
    QCOMPARE(rig.Sounds().Played(), played);
    QCOMPARE(rig.State().outOfLock, !locked);
  }

  void setupRunningTickDoesNothing()
  {
    TickRig rig;
    QVERIFY(rig.Open(GpsModeMotorolaBinary));
    ReceiverState &state = rig.State();
    state.setupInProgress = true;
    state.eaIgnoreCountdown = 3;
    const qint64 shown = state.displayCopy.MSecsSinceEpoch();
    rig.TickAt(Utc(2024, 3, 10, 12, 0, 20));
    QVERIFY(rig.Sounds().Played().isEmpty());
    QVERIFY(!state.tickPending);
    QCOMPARE(state.eaIgnoreCountdown, 3);
    QCOMPARE(state.displayCopy.MSecsSinceEpoch(), shown);
    QVERIFY(!rig.HeartbeatOn());
    QVERIFY(rig.LineCarries({}));

    state.setupInProgress = false;
    rig.TickAt(Utc(2024, 3, 10, 12, 0, 22));
    QCOMPARE(state.eaIgnoreCountdown, 2);
    QCOMPARE(state.displayCopy.MSecsSinceEpoch(), Utc(2024, 3, 10, 12, 0, 22).toMSecsSinceEpoch());
  }

  void timeHoldsCountDown()
  {
    ReceiverState state;
    state.haIgnoreCountdown = 1;
    state.eaIgnoreCountdown = 5;
    state.baIgnoreCountdown = 0;
    CountDownTimeHolds(state);
    QCOMPARE(state.haIgnoreCountdown, 0);
    QCOMPARE(state.eaIgnoreCountdown, 4);
    QCOMPARE(state.baIgnoreCountdown, 0);
  }

  // A counter port without readings turns stale at its third tick.
  void counterWatch()
  {
    bool stale[3] = {false, false, true};
    int count[3] = {0, 5, 0};
    CountCounterTicks(stale, count, 3);
    QCOMPARE(stale[0], false);
    QCOMPARE(count[0], 1);
    QCOMPARE(stale[1], true);  // was already at 5
    QCOMPARE(stale[2], true);
    QCOMPARE(count[2], 0);     // stale ports are not counted
    CountCounterTicks(stale, count, 3);
    QCOMPARE(stale[0], false);
    CountCounterTicks(stale, count, 3);
    QCOMPARE(stale[0], true);
    QCOMPARE(count[0], 3);
  }

  void gpsLogFlushedOnceAMinute()
  {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    TickRig rig;
    QVERIFY(rig.Open(GpsModeGenericNmea));
    QSettings().setValue(GpsLogKeys::FileDirectory, dir.path());
    rig.TickAt(Utc(2024, 3, 10, 12, 0, 57));
    QVERIFY(rig.Window().OpenGpsLogFile(GpsDataLog::CreateNew));
    const QString path = rig.Window().GpsLog().FileName();
    rig.Window().FlushGpsLogFile();

    rig.Window().WriteGpsLog(QStringLiteral("first line"));
    rig.TickSeconds(Utc(2024, 3, 10, 12, 0, 58), 2);
    QVERIFY(!ReadFile(path).contains(QLatin1String("first line")));
    rig.TickAt(Utc(2024, 3, 10, 12, 1, 0));
    QVERIFY(ReadFile(path).contains(QLatin1String("first line")));

    rig.Window().WriteGpsLog(QStringLiteral("second line"));
    rig.TickSeconds(Utc(2024, 3, 10, 12, 1, 1), 59);
    QVERIFY(!ReadFile(path).contains(QLatin1String("second line")));
    rig.TickAt(Utc(2024, 3, 10, 12, 2, 0));
    QVERIFY(ReadFile(path).contains(QLatin1String("second line")));
    QVERIFY(rig.Window().CloseGpsLogFile(true));
  }

  // The first tick of a new day rolls the GPS log over to the new day's
  // file; the ticks after it do not roll again.
  void dayRollOverOnce()
  {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    TickRig rig;
    QVERIFY(rig.Open(GpsModeMotorolaBinary));
    QSettings().setValue(GpsLogKeys::FileDirectory, dir.path());
    rig.TickAt(Utc(2024, 3, 10, 23, 59, 57));
    QVERIFY(rig.Window().OpenGpsLogFile(GpsDataLog::CreateNew));
    const QString oldPath = rig.Window().GpsLog().FileName();

    rig.TickSeconds(Utc(2024, 3, 10, 23, 59, 58), 6);
    QVERIFY(rig.Window().GpsLog().IsOpen());
    const QString newPath = rig.Window().GpsLog().FileName();
    QVERIFY(newPath != oldPath);
    QVERIFY(newPath.endsWith(QLatin1String("_0071G.txt")));
    QVERIFY(rig.Window().CloseGpsLogFile(true));

    QCOMPARE(ReadFile(oldPath).count(QLatin1String("Closed GPS Data Log")), 1);
    QCOMPARE(ReadFile(newPath).count(QLatin1String("Closed GPS Data Log")), 1);  // our own close
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 2);
    // No TIC log set was open: no identification request.
    QVERIFY(rig.LineCarries({}));
  }

  // At the first tick of a new day the open TIC log set is closed, reopened
  // for the new day when "Auto Restart TIC logs" is on (appending to a set
  // of that day that exists), and the receiver is asked once for its
  // identification.
  void ticLogRollOver_data()
  {
    QTest::addColumn<int>("autorestart");  // -1: not stored
    QTest::addColumn<bool>("newDaySetExists");
    QTest::newRow("auto restart off (default)") << -1 << false;
    QTest::newRow("auto restart on") << 1 << false;
    QTest::newRow("auto restart on, new day's set there") << 1 << true;
  }
  void ticLogRollOver()
  {
    QFETCH(int, autorestart);
    QFETCH(bool, newDaySetExists);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    TickRig rig;
    QVERIFY(rig.Open(GpsModeMotorolaBinary));
    QSettings settings;
    settings.setValue(TicLogKeys::FileDirectory, dir.path());
    if (autorestart >= 0)
      settings.setValue(TicLogKeys::TimeLogAutorestart, autorestart);
    const QString newConfig = dir.path() + "/RARA_0071C.txt";
    if (newDaySetExists) {
      QFile existing(newConfig);
      QVERIFY(existing.open(QIODevice::WriteOnly));
      existing.write("; from before\n");
    }
    rig.TickAt(Utc(2024, 3, 10, 23, 59, 58));
    TicDataLog &log = rig.Window().TicLog();
    QVERIFY(rig.Window().OpenTicLogFiles(TicDataLog::CreateNew));
    QVERIFY(log.ConfigFileName().endsWith("/RARA_0070C.txt"));

    rig.TickSeconds(Utc(2024, 3, 10, 23, 59, 59), 4);
    QVERIFY(rig.LineCarries({OnLine("@@Cj")}));
    QVERIFY(ReadFile(dir.path() + "/RARA_0070C.txt").contains("; Closed TIC Data Logs Mon Mar 11 00:00:00 2024 UTC"));
    QCOMPARE(log.IsOpen(), autorestart == 1);
    if (autorestart != 1) {
      QVERIFY(!QFileInfo::exists(newConfig));
      return;
    }
    QCOMPARE(log.ConfigFileName(), newConfig);
    const QString text = ReadFile(newConfig);
    QCOMPARE(text.startsWith("; from before\n"), newDaySetExists);
    QCOMPARE(text.contains("Opened exesting TIC Data Logs to append data Mon Mar 11 00:00:00 2024 UTC"),
             newDaySetExists);
    QCOMPARE(text.contains("Created TIC Data Logs Mon Mar 11 00:00:00 2024 UTC"), !newDaySetExists);
    QVERIFY(rig.Window().CloseTicLogFiles(true));
  }

  void rollOverIdentificationOnlyInOncoreBinary()
  {
    QCOMPARE(RollOverIdentificationPoll(GpsModeMotorolaBinary), QByteArray("@@Cj"));
    for (quint32 mode : {GpsModeMotorolaLoran, GpsModeMotorolaNmea, GpsModeMotorolaBinaryRxOnly,
                         GpsModeGenericNmea, GpsModeUbloxUbx, GpsModeUbloxNmea, GpsModeSearch})
      QVERIFY(RollOverIdentificationPoll(mode).isEmpty());
  }

  void timeChangesAgainstTheShownTime()
  {
    GpsDateTime shown, now;
    shown.SetDateTime(Utc(2024, 3, 10, 23, 59, 59));
    now.SetDateTime(Utc(2024, 3, 11, 0, 0, 0));
    ShownTimeChanges c = CompareWithShownTime(now, shown);
    QVERIFY(c.day && c.hour && c.minute);
    now.SetDateTime(Utc(2024, 3, 10, 23, 59, 58));
    c = CompareWithShownTime(now, shown);
    QVERIFY(!c.day && !c.hour && !c.minute);
    // The day of the month: the same day of another month counts as none.
    now.SetDateTime(Utc(2024, 4, 10, 23, 59, 59));
    QVERIFY(!CompareWithShownTime(now, shown).day);
  }
};

RIDUDER_TEST_MAIN(TestClockTick)
#include "tst_clocktick.moc"
