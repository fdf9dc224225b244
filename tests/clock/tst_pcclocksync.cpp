#include "TestMain.h"

#include "FakePcClocks.h"
#include "core/GpsDateTime.h"
#include "clock/PcClockRecords.h"
#include "clock/PcClockSync.h"
#include "platform/SystemClock.h"
#include "platform/TimeSource.h"
#include "position/GpsNavDialog.h"

#include <QCoreApplication>
#include <QtTest>

#include <ctime>
#include <memory>

namespace {

QDateTime Utc(int y, int mo, int d, int h, int mi, int s, int ms = 0)
{
  return QDateTime(QDate(y, mo, d), QTime(h, mi, s, ms), Qt::UTC);
}

GpsDateTime ReceiverAt(const QDateTime &utc)
{
  GpsDateTime t;
  t.SetDateTime(utc);
  return t;
}

// Runs the code under test in another local time zone, then restores it.
class ScopedTimeZone {
public:
  explicit ScopedTimeZone(const char *zone) : previous_(qgetenv("TZ"))
  {
    qputenv("TZ", zone);
    tzset();
  }
  ~ScopedTimeZone()
  {
    qputenv("TZ", previous_);
    tzset();
  }

private:
  QByteArray previous_;
};

PcClockPassInputs TickInputs()
{
  PcClockPassInputs in;
  in.ppsTickSeen = true;
  in.tooFewSatellites = false;
  return in;
}

PcClockSettings Mode(int mode)
{
  PcClockSettings s;
  s.mode = mode;
  return s;
}

}  // namespace

class PcClockSyncTest : public QObject {
  Q_OBJECT

private:
  // A PC clock and a system clock that moves it, fresh for each test.
  std::unique_ptr<riduder::test::FakePcClocks> clocks;

  // One pass with the PC offsetMs ahead of the receiver.
  PcClockPassResult Pass(PcClockSync &sync, const QDateTime &receiverUtc, qint64 offsetMs,
                         const PcClockPassInputs &in)
  {
    clocks->pc.SetMSecsSinceEpoch(receiverUtc.toMSecsSinceEpoch() + offsetMs);
    return sync.Step(ReceiverAt(receiverUtc), in);
  }

private slots:
  void init()
  {
    clocks.reset();
    clocks = std::make_unique<riduder::test::FakePcClocks>(Utc(2024, 3, 12, 14, 30, 15));
  }

  void cleanup() { clocks.reset(); }

  void ruleDecidesTheSet_data()
  {
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("deltaMs");  // 0: threshold rule off
    QTest::addColumn<qint64>("maxSeconds");
    QTest::addColumn<QDateTime>("receiver");
    QTest::addColumn<qint64>("offsetMs");
    QTest::addColumn<bool>("tick");
    QTest::addColumn<bool>("tooFew");
    QTest::addColumn<bool>("overrideTraim");
    QTest::addColumn<bool>("overrideIntegrity");
    QTest::addColumn<bool>("sets");

    const QDateTime mid = Utc(2024, 3, 12, 14, 30, 15);
    const QDateTime minuteStart = Utc(2024, 3, 12, 14, 30, 0);
    const QDateTime hourStart = Utc(2024, 3, 12, 14, 0, 0);
    const QDateTime dayStart = Utc(2024, 3, 12, 0, 0, 0);
    auto row = [](const char *name, int mode, int deltaMs, qint64 maxSeconds, const QDateTime &receiver,
                  qint64 offset, bool tick, bool tooFew, bool traim, bool integrity, bool sets) {
      QTest::newRow(name) << mode << deltaMs << maxSeconds << receiver << offset << tick << tooFew << traim
                          << integrity << sets;
    };
    // Periodic rules, at and off their second.
    row("disable never", SyncDisable, 0, 0, minuteStart, 20, true, false, false, false, false);
    row("once sets", SyncOnce, 0, 0, mid, 20, true, false, false, false, true);
    row("every second", SyncEverySecond, 0, 0, mid, 20, true, false, false, false, true);
    row("minute at :00", SyncEveryMinute, 0, 0, minuteStart, 20, true, false, false, false, true);
    row("minute at :15", SyncEveryMinute, 0, 0, mid, 20, true, false, false, false, false);
    row("hour at 14:00:00", SyncEveryHour, 0, 0, hourStart, 20, true, false, false, false, true);
    row("hour at 14:30:00", SyncEveryHour, 0, 0, minuteStart, 20, true, false, false, false, false);
    row("day at 00:00:00", SyncEveryDay, 0, 0, dayStart, 20, true, false, false, false, true);
    row("day at 14:00:00", SyncEveryDay, 0, 0, hourStart, 20, true, false, false, false, false);
    // Threshold, in any mode, both signs.
    row("threshold equal ahead", SyncDisable, 50, 0, mid, 50, true, false, false, false, true);
    row("threshold equal behind", SyncDisable, 50, 0, mid, -50, true, false, false, false, true);
    row("threshold one less ahead", SyncDisable, 50, 0, mid, 49, true, false, false, false, false);
    row("threshold one less behind", SyncDisable, 50, 0, mid, -49, true, false, false, false, false);
    row("threshold off minute rule", SyncEveryMinute, 50, 0, mid, 400, true, false, false, false, true);
    row("threshold rule off", SyncDisable, 0, 0, mid, 400, true, false, false, false, false);
    // No 1PPS tick, and the two overrides.
    row("no tick", SyncEverySecond, 0, 0, mid, 20, false, false, false, false, false);
    row("no tick, override TRAIM only", SyncEverySecond, 0, 0, mid, 20, false, false, true, false, false);
    row("no tick, override integrity only", SyncEverySecond, 0, 0, mid, 20, false, false, false, true, false);
    row("no tick, both overrides", SyncEverySecond, 0, 0, mid, 20, false, false, true, true, true);
    row("no tick, threshold, both overrides", SyncDisable, 10, 0, mid, 20, false, true, true, true, true);
    // Integrity gate.
    row("too few satellites", SyncEverySecond, 0, 0, mid, 20, true, true, false, false, false);
    row("too few satellites, override", SyncEverySecond, 0, 0, mid, 20, true, true, false, true, true);
    // Maximum correction of 2 s.
    row("max: -2999 ms corrected", SyncEverySecond, 0, 2, mid, -2999, true, false, false, false, true);
    row("max: -3000 ms left alone", SyncEverySecond, 0, 2, mid, -3000, true, false, false, false, false);
    row("max: +2999 ms corrected", SyncEverySecond, 0, 2, mid, 2999, true, false, false, false, true);
    row("max: +3000 ms left alone", SyncEverySecond, 0, 2, mid, 3000, true, false, false, false, false);
    row("max: threshold vetoed too", SyncDisable, 10, 2, mid, 5000, true, false, false, false, false);
    row("no max: an hour corrected", SyncEverySecond, 0, 0, mid, -3600000, true, false, false, false, true);
  }

  void ruleDecidesTheSet()
  {
    QFETCH(int, mode);
    QFETCH(int, deltaMs);
    QFETCH(qint64, maxSeconds);
    QFETCH(QDateTime, receiver);
    QFETCH(qint64, offsetMs);
    QFETCH(bool, tick);
    QFETCH(bool, tooFew);
    QFETCH(bool, overrideTraim);
    QFETCH(bool, overrideIntegrity);
    QFETCH(bool, sets);

    PcClockSettings settings = Mode(mode);
    settings.deltaOn = deltaMs > 0;
    settings.deltaMs = deltaMs > 0 ? deltaMs : 1;
    settings.maxSeconds = maxSeconds;
    PcClockSync sync;
    sync.SetSettings(settings);

    PcClockPassInputs in;
    in.ppsTickSeen = tick;
    in.tooFewSatellites = tooFew;
    in.overrideTraim = overrideTraim;
    in.overrideIntegrity = overrideIntegrity;
    const PcClockPassResult r = Pass(sync, receiver, offsetMs, in);

    QCOMPARE(r.offsetMs, offsetMs);
    QCOMPARE(sync.OffsetMs(), offsetMs);
    QCOMPARE(clocks->clock.RequestedTimes().size(), sets ? 1 : 0);
    QCOMPARE(r.setDone, sets);
    QCOMPARE(sync.SetPending(), sets);
    if (sets)
      QCOMPARE(clocks->clock.RequestedTimes().first(), receiver);  // no correction, no offsets yet
  }

  void oneTimeSetsOnceThenDisables()
  {
    PcClockSync sync;
    sync.SetSettings(Mode(SyncOnce));
    PcClockPassInputs in = TickInputs();
    in.logOpen = true;
    in.logType = PcClockSync::GpsLogTypeNmea;
    in.logIntervalSeconds = 60;  // keeps the time-position line out of this test

    const QDateTime t0 = Utc(2024, 3, 12, 14, 30, 15);
    const PcClockPassResult first = Pass(sync, t0, -250, in);
    QVERIFY(first.setDone);
    QVERIFY(first.oneTimeFinished);
    QCOMPARE(sync.Mode(), int(SyncDisable));
    QCOMPARE(first.logLines, QStringList{QStringLiteral("$PZQKT,20240312143015.000,-250")});

    const PcClockPassResult second = Pass(sync, t0.addSecs(1), 40, in);
    QVERIFY(!second.setAttempted);
    QVERIFY(!second.oneTimeFinished);
    QVERIFY(second.logLines.isEmpty());
    QCOMPARE(clocks->clock.RequestedTimes().size(), 1);

    // The threshold rule still acts after the one set.
    PcClockSettings withThreshold = sync.Settings();
    withThreshold.deltaOn = true;
    withThreshold.deltaMs = 30;
    sync.SetSettings(withThreshold);
    QVERIFY(Pass(sync, t0.addSecs(2), 40, in).setDone);
    QCOMPARE(clocks->clock.RequestedTimes().size(), 2);
  }

  void timeToSetCarriesTheSum_data()
  {
    QTest::addColumn<QDateTime>("receiver");
    QTest::addColumn<int>("sumMs");
    QTest::addColumn<QDateTime>("expected");

    const QDateTime t = Utc(2024, 3, 12, 14, 30, 15);
    QTest::newRow("+5 -10: previous second + 995") << t << 5 - 10 << Utc(2024, 3, 12, 14, 30, 14, 995);
    QTest::newRow("-250") << t << -250 << Utc(2024, 3, 12, 14, 30, 14, 750);
    QTest::newRow("0") << t << 0 << t;
    QTest::newRow("999") << t << 999 << Utc(2024, 3, 12, 14, 30, 15, 999);
    QTest::newRow("1250") << t << 1250 << Utc(2024, 3, 12, 14, 30, 16, 250);
    QTest::newRow("lowest sum") << t << -1998 << Utc(2024, 3, 12, 14, 30, 13, 2);
    QTest::newRow("600 + 499 over the year") << Utc(2024, 12, 31, 23, 59, 59) << 600 + 499
                                             << Utc(2025, 1, 1, 0, 0, 0, 99);
    QTest::newRow("back over the year") << Utc(2025, 1, 1, 0, 0, 0) << -1 << Utc(2024, 12, 31, 23, 59, 59, 999);
    QTest::newRow("back over 29 February") << Utc(2024, 3, 1, 0, 0, 0) << -500 << Utc(2024, 2, 29, 23, 59, 59, 500);
    // The receiver's milliseconds are not part of the time to set.
    QTest::newRow("whole receiver second") << Utc(2024, 3, 12, 14, 30, 15, 420) << 10
                                           << Utc(2024, 3, 12, 14, 30, 15, 10);
  }

  void timeToSetCarriesTheSum()
  {
    QFETCH(QDateTime, receiver);
    QFETCH(int, sumMs);
    QFETCH(QDateTime, expected);
    QCOMPARE(PcClockSync::TimeToSet(ReceiverAt(receiver), sumMs), expected);
  }

  void setIsUtcWhateverTheLocalZone()
  {
    // Kolkata is 5:30 ahead: there, this set lands on a different date.
    const ScopedTimeZone zone("Asia/Kolkata");
    PcClockSync sync;
    sync.SetSettings(Mode(SyncEverySecond));
    PcClockPassInputs in = TickInputs();
    in.foldedOffsetMs = -250;
    const QDateTime receiver = Utc(2025, 1, 1, 0, 0, 0);
    const PcClockPassResult r = Pass(sync, receiver, 0, in);
    QVERIFY(r.setDone);
    QCOMPARE(clocks->clock.AppliedTimes().size(), 1);
    const QDateTime applied = clocks->clock.AppliedTimes().first();
    QCOMPARE(applied.timeSpec(), Qt::UTC);
    QCOMPARE(applied.date(), QDate(2024, 12, 31));
    QCOMPARE(applied.time(), QTime(23, 59, 59, 750));
    QCOMPARE(sync.ClockSetTime(), applied);
    QCOMPARE(clocks->pc.NowMSecsSinceEpoch(), receiver.toMSecsSinceEpoch() - 250);
  }

  void latencyCorrectionStep_data()
  {
    QTest::addColumn<int>("correction");
    QTest::addColumn<qint64>("offsetMs");
    QTest::addColumn<int>("expected");
    QTest::newRow("behind 3 ms: up") << 0 << qint64(-3) << 1;
    QTest::newRow("ahead 3 ms: down") << 0 << qint64(3) << -1;
    QTest::newRow("exact: unchanged") << 7 << qint64(0) << 7;
    QTest::newRow("1500 ms: reset") << 5 << qint64(1500) << 0;
    QTest::newRow("-1001 ms: reset") << 5 << qint64(-1001) << 0;
    QTest::newRow("1000 ms still walks") << 5 << qint64(1000) << 4;
    QTest::newRow("-1000 ms still walks") << 5 << qint64(-1000) << 6;
    QTest::newRow("top stays 999") << 999 << qint64(-5) << 999;
    QTest::newRow("bottom stays -999") << -999 << qint64(5) << -999;
  }

  void latencyCorrectionStep()
  {
    QFETCH(int, correction);
    QFETCH(qint64, offsetMs);
    QFETCH(int, expected);
    QCOMPARE(PcClockSync::NextLatencyCorrection(correction, offsetMs), expected);
  }

  // A clock that lands every set 5 ms late: the correction walks to +5 and
  // stays, and the latency field is written once per new value.
  void latencyConvergesOnALateClock()
  {
    clocks->clock.SetLatenessMs(5);
    PcClockSync sync;
    sync.SetSettings(Mode(SyncEverySecond));
    const PcClockPassInputs in = TickInputs();

    QDateTime receiver = Utc(2024, 3, 12, 14, 30, 15);
    clocks->pc.SetMSecsSinceEpoch(receiver.toMSecsSinceEpoch());
    QStringList shown;
    qint64 lastOffset = 0;
    for (int pass = 0; pass < 20; ++pass) {
      const PcClockPassResult r = sync.Step(ReceiverAt(receiver), in);
      if (r.latencyChanged)
        shown << r.latencyText;
      QVERIFY(r.setDone);
      lastOffset = r.offsetMs;
      receiver = receiver.addSecs(1);
      clocks->pc.Advance(1000);
    }
    QCOMPARE(shown, (QStringList{"0", "1", "2", "3", "4", "5"}));
    QCOMPARE(sync.LatencyCorrection(), 5);
    QCOMPARE(lastOffset, qint64(0));

    // With the correction learnt, a folded offset of -10 sets the previous
    // receiver second and 995 ms.
    PcClockPassInputs folded = in;
    folded.foldedOffsetMs = -10;
    sync.Step(ReceiverAt(receiver), folded);
    QCOMPARE(clocks->clock.RequestedTimes().last(), receiver.addMSecs(-1000 + 995));
  }

  // Only a set that was carried out teaches the correction.
  void correctionLearnsOnlyFromCarriedOutSets()
  {
    PcClockSync sync;
    sync.SetSettings(Mode(SyncEverySecond));
    const QDateTime t = Utc(2024, 3, 12, 14, 30, 15);

    clocks->clock.SetSetFailure(QStringLiteral("Operation not permitted"));
    QVERIFY(Pass(sync, t, -3, TickInputs()).setAttempted);
    QVERIFY(!sync.SetPending());
    Pass(sync, t.addSecs(1), -3, TickInputs());
    QCOMPARE(sync.LatencyCorrection(), 0);
    clocks->clock.ClearSetFailure();

    PcClockPassInputs vetoed = TickInputs();
    vetoed.tooFewSatellites = true;
    QVERIFY(!Pass(sync, t.addSecs(2), -3, vetoed).setAttempted);
    QVERIFY(!sync.SetPending());
    Pass(sync, t.addSecs(3), -3, vetoed);
    QCOMPARE(sync.LatencyCorrection(), 0);

    // A real set, and the next pass learns from it.
    Pass(sync, t.addSecs(4), -3, TickInputs());
    Pass(sync, t.addSecs(5), -3, TickInputs());
    QCOMPARE(sync.LatencyCorrection(), 1);
  }

  void failureIsReportedOnceUntilASuccess()
  {
    PcClockSync sync;
    sync.SetSettings(Mode(SyncEverySecond));
    const QDateTime t = Utc(2024, 3, 12, 14, 30, 15);
    const QString error = QStringLiteral("Operation not permitted");

    clocks->clock.SetSetFailure(error);
    PcClockPassResult r = Pass(sync, t, 0, TickInputs());
    QCOMPARE(r.failureToReport, error);
    QVERIFY(!r.setDone);
    QVERIFY(Pass(sync, t.addSecs(1), 0, TickInputs()).failureToReport.isEmpty());
    QVERIFY(Pass(sync, t.addSecs(2), 0, TickInputs()).failureToReport.isEmpty());

    clocks->clock.ClearSetFailure();
    r = Pass(sync, t.addSecs(3), 0, TickInputs());
    QVERIFY(r.setDone);
    QVERIFY(r.failureToReport.isEmpty());

    clocks->clock.SetSetFailure(error);
    QCOMPARE(Pass(sync, t.addSecs(4), 0, TickInputs()).failureToReport, error);
  }

  void failedSetKeepsOneTimeAndWritesNoRecord()
  {
    PcClockSync sync;
    sync.SetSettings(Mode(SyncOnce));
    PcClockPassInputs in = TickInputs();
    in.logOpen = true;
    in.logType = PcClockSync::GpsLogTypeNmea;
    in.logIntervalSeconds = 60;
    clocks->clock.SetSetFailure(QStringLiteral("refused"));
    const PcClockPassResult r = Pass(sync, Utc(2024, 3, 12, 14, 30, 15), 100, in);
    QVERIFY(!r.setDone);
    QVERIFY(!r.oneTimeFinished);
    QCOMPARE(sync.Mode(), int(SyncOnce));
    QVERIFY(r.logLines.isEmpty());
  }

  void logGate_data()
  {
    QTest::addColumn<int>("second");
    QTest::addColumn<int>("gpsUtc");
    QTest::addColumn<bool>("useGps");
    QTest::addColumn<int>("interval");
    QTest::addColumn<bool>("open");
    QTest::newRow("GPS seconds 42+18") << 42 << 18 << true << 10 << true;
    QTest::newRow("GPS seconds 52+18") << 52 << 18 << true << 10 << true;
    QTest::newRow("GPS seconds 53+18") << 53 << 18 << true << 10 << false;
    QTest::newRow("UTC seconds 42") << 42 << 18 << false << 10 << false;
    QTest::newRow("UTC seconds 50") << 50 << 18 << false << 10 << true;
    QTest::newRow("interval 1") << 37 << 0 << false << 1 << true;
    QTest::newRow("interval 0: never") << 0 << 0 << false << 0 << false;
    QTest::newRow("interval 7 at 0") << 0 << 0 << false << 7 << true;
    QTest::newRow("interval 7 at 56") << 56 << 0 << false << 7 << true;
    QTest::newRow("interval 7 at 57") << 57 << 0 << false << 7 << false;
  }

  void logGate()
  {
    QFETCH(int, second);
    QFETCH(int, gpsUtc);
    QFETCH(bool, useGps);
    QFETCH(int, interval);
    QFETCH(bool, open);
    QCOMPARE(PcClockSync::LogGateOpens(second, gpsUtc, useGps, interval), open);

    // Through the pass: only while the log is open.
    PcClockSync sync;
    PcClockPassInputs in = TickInputs();
    in.gpsUtcOffsetSeconds = gpsUtc;
    in.logUseGpsSeconds = useGps;
    in.logIntervalSeconds = interval;
    const QDateTime receiver = Utc(2024, 3, 12, 14, 30, second);
    QCOMPARE(Pass(sync, receiver, 0, in).logGateOpen, false);
    in.logOpen = true;
    QCOMPARE(Pass(sync, receiver, 0, in).logGateOpen, open);
  }

  void clockSetRecord()
  {
    QCOMPARE(ClockSetRecord(Utc(2024, 3, 12, 14, 30, 15, 123), -250), QStringLiteral("$PZQKT,20240312143015.123,-250"));
    QCOMPARE(ClockSetRecord(Utc(2024, 1, 2, 3, 4, 5, 6), 7), QStringLiteral("$PZQKT,20240102030405.006,7"));
  }

  // The time-position line gives the next second in the PC's local time.
  void timePositionRecordUnderALocalZone()
  {
    const ScopedTimeZone zone("America/New_York");
    GpsNavDialog navigation;
    navigation.UpdateAverages(-33.5, -70.25, 500.0, 480.0, 0);

    const QDateTime receiver = Utc(2024, 12, 31, 23, 59, 59);
    QCOMPARE(TimePositionRecord(receiver, navigation.CurrentFixFields()),
             QStringLiteral("$PZQKA,20241231,190000.000,3330.0000,S,07015.0000,W,,N,,,"));

    navigation.SetSpeed(12.3);
    navigation.SetHeading(5.0);
    navigation.SetSatsTracked(7);
    navigation.SetFixStatus(2);
    QCOMPARE(TimePositionRecord(receiver, navigation.CurrentFixFields()),
             QStringLiteral("$PZQKA,20241231,190000.000,3330.0000,S,07015.0000,W,012.3,N,005.0,07,2"));

    // Through the pass: a set writes its line first, then the logging
    // second's time-position line.
    PcClockSync sync;
    sync.SetSettings(Mode(SyncEverySecond));
    PcClockPassInputs in = TickInputs();
    in.logOpen = true;
    in.logType = PcClockSync::GpsLogTypeNmea;
    in.logIntervalSeconds = 1;
    in.position = navigation.CurrentFixFields();
    const PcClockPassResult r = Pass(sync, receiver.addMSecs(400), -12, in);
    QCOMPARE(r.logLines,
             (QStringList{QStringLiteral("$PZQKT,20241231235959.000,-12"),
                          QStringLiteral("$PZQKA,20241231,190000.400,3330.0000,S,07015.0000,W,012.3,N,005.0,07,2")}));

    // Other log types get neither line.
    in.logType = 2;
    QVERIFY(Pass(sync, receiver, -12, in).logLines.isEmpty());
  }
};

RIDUDER_TEST_MAIN(PcClockSyncTest)
#include "tst_pcclocksync.moc"
