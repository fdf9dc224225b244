#include "TestMain.h"

#include "core/GpsDateTime.h"
#include "core/GpsMode.h"
#include "core/ReceiverIdentity.h"
#include "position/GpsNavDialog.h"
#include "position/PositionAverages.h"
#include "position/ReferenceLocationDialog.h"
#include "receiver/decode/GpsRxModel.h"

#include <QSettings>
#include <cmath>
#include <limits>

namespace {

constexpr double kMetresPerDegree = 111111.1;

GpsDateTime TimeAt(const QString &iso)
{
  GpsDateTime t;
  t.SetDateTime(QDateTime::fromString(iso, Qt::ISODate));
  return t;
}

// An engine with weighting off that is locked in timing mode with 8
// satellites and a 2-D fix.
void Lock(PositionAverages &engine, unsigned gpsMode = 2)
{
  engine.SetSatsTracked(8);
  engine.SetNavMode(2);
  QCOMPARE(engine.LockStatusText(gpsMode, TimeAt(QStringLiteral("2024-03-05T06:07:08Z"))), 1);
}

QString Stored(const QString &key) { return QSettings().value(key).toString(); }

}  // namespace

class TestAveraging : public QObject {
  Q_OBJECT

private slots:
  void init();

  void sampleWeight_data();
  void sampleWeight();
  void weightedUpdate_data();
  void weightedUpdate();
  void counterStep_data();
  void counterStep();
  void latitudesAverageWithLimit();
  void counterAboveLoweredLimitDrops();
  void firstPassAfterResetCopiesFix();
  void meanSquaresAndRms();
  void altitudesOnlyIn3D();
  void averagingStopsOnePassAfterFixLost();
  void passOrderUnlockedThenLocked();
  void tsigma_data();
  void tsigma();
  void tsigmaExtremesAndText();
  void lockRule_data();
  void lockRule();
  void lockedSinceAndUnlockCounter();
  void resetAverages();
  void oncoreBinaryTurnsDopWeightingOff_data();
  void oncoreBinaryTurnsDopWeightingOff();
  void receiverTakesEffectWhenTheAveragesRestart();
  void dopsText_data();
  void dopsText();
  void settersIgnoreInvalidValues();
  void nonFiniteFixIgnored();
  void filterResets();

  void settingsDefaults();
  void outOfRangeSettingsWrittenBack();
  void storedAveragesAndCounters();
  void badStoredAveragesSetResetPending_data();
  void badStoredAveragesSetResetPending();
  void saveThenLoadRoundTrips();
  void referenceLocationStoredAndScaled();
  void reloadSettingsKeepsTheAverages();
  void pendingAveragesSavedAsNone();

  void dialogDelegates();
};

void TestAveraging::init()
{
  QSettings().clear();
  CurrentGpsMode = GpsModeUbloxUbx;
  receiverIdentity.model = GpsRxModel::Ublox;
}

void TestAveraging::sampleWeight_data()
{
  QTest::addColumn<bool>("weighting");
  QTest::addColumn<double>("dop");
  QTest::addColumn<double>("weight");
  QTest::newRow("HDOP 1 weighs 2.25") << true << 1.0 << 2.25;
  QTest::newRow("HDOP 3 weighs 0.25") << true << 3.0 << 0.25;
  QTest::newRow("HDOP 0 (not reported) weighs 1") << true << 0.0 << 1.0;
  QTest::newRow("weighting off") << false << 3.0 << 1.0;
}

void TestAveraging::sampleWeight()
{
  QFETCH(bool, weighting);
  QFETCH(double, dop);
  QFETCH(double, weight);
  PositionAverages engine;
  engine.SetUseDopWeighting(weighting);
  QCOMPARE(engine.SampleWeight(engine.HdopWeight(), dop), weight);
}

void TestAveraging::weightedUpdate_data()
{
  QTest::addColumn<double>("value");
  QTest::addColumn<double>("sample");
  QTest::addColumn<double>("weight");
  QTest::addColumn<double>("counter");
  QTest::addColumn<double>("result");
  QTest::newRow("plain mean of three") << 0.0 << 3.0 << 1.0 << 3.0 << 1.0;
  QTest::newRow("weight above the counter replaces") << 5.0 << 7.0 << 2.25 << 1.0 << 7.0;
  QTest::newRow("light sample") << 10.0 << 20.0 << 0.25 << 10.0 << 10.25;
  QTest::newRow("heavy sample") << 10.0 << 20.0 << 2.25 << 10.0 << 12.25;
}

void TestAveraging::weightedUpdate()
{
  QFETCH(double, value);
  QFETCH(double, sample);
  QFETCH(double, weight);
  QFETCH(double, counter);
  QFETCH(double, result);
  QCOMPARE(PositionAverages::WeightedUpdate(value, sample, weight, counter), result);
}

void TestAveraging::counterStep_data()
{
  QTest::addColumn<double>("counter");
  QTest::addColumn<double>("limit");
  QTest::addColumn<double>("next");
  QTest::newRow("grows by one") << 5.0 << 10.0 << 6.0;
  QTest::newRow("reaches the limit") << 9.0 << 10.0 << 10.0;
  QTest::newRow("stays at the limit") << 28800.0 << 28800.0 << 28800.0;
  QTest::newRow("drops to a lowered limit") << 500.0 << 100.0 << 100.0;
  QTest::newRow("never above 999999") << 999999.0 << 5e6 << 999999.0;
  QTest::newRow("limit above the ceiling") << 2e6 << 5e6 << 999999.0;
  QTest::newRow("limit of 0 still leaves 1") << 5.0 << 0.0 << 1.0;
  QTest::newRow("broken limit leaves 1") << 5.0 << std::numeric_limits<double>::quiet_NaN() << 1.0;
}

void TestAveraging::counterStep()
{
  QFETCH(double, counter);
  QFETCH(double, limit);
  QFETCH(double, next);
  QCOMPARE(PositionAverages::StepCounter(counter, limit), next);
}

void TestAveraging::latitudesAverageWithLimit()
{
  PositionAverages engine;
  engine.SetWeightLimits(3.0, 86400.0, 28800.0);
  engine.ResetAverages();
  Lock(engine);
  for (double latitude : {0.0, 0.0, 3.0})
    engine.UpdateAverages(latitude, 0.0, 0.0, 0.0, 2);
  QCOMPARE(engine.PositionCounter(), 3.0);
  QCOMPARE(engine.Averages().latitude, 1.0);
}

void TestAveraging::counterAboveLoweredLimitDrops()
{
  PositionAverages engine;
  engine.SetWeightLimits(1000.0, 1000.0, 1000.0);
  Lock(engine);
  for (int i = 0; i < 499; ++i)
    engine.UpdateAverages(1.0, 2.0, 0.0, 0.0, 2);
  QCOMPARE(engine.PositionCounter(), 500.0);
  QCOMPARE(engine.TimingCounter(), 500.0);

  engine.SetWeightLimits(100.0, 100.0, 100.0);
  engine.UpdateAverages(1.0, 2.0, 0.0, 0.0, 2);
  QCOMPARE(engine.PositionCounter(), 100.0);
  QCOMPARE(engine.RmsCounter(), 100.0);
  QCOMPARE(engine.TimingCounter(), 100.0);
}

void TestAveraging::firstPassAfterResetCopiesFix()
{
  PositionAverages engine;
  engine.SetUseDopWeighting(true);
  engine.SetDops(-1, -1, 4.0, -1, -1);  // a light sample must not matter here
  engine.ResetAverages();
  Lock(engine);
  engine.UpdateAverages(10.002, 20.001, 0.0, 0.0, 2);
  QCOMPARE(engine.Averages().latitude, 10.002);
  QCOMPARE(engine.Averages().longitude, 20.001);
  QVERIFY(!engine.ResetPending());
  const ErrorTerms &e = engine.Errors();
  QCOMPARE(e.latitude.refAvg, e.latitude.refCur);
  QCOMPARE(e.longitude.refAvg, e.longitude.refCur);
  QCOMPARE(e.twoD.refAvg, e.twoD.refCur);
  QCOMPARE(e.latitude.avgCur, 0.0);
}

// The latitude terms weigh by min(HDOP weight, counter) under the RMS
// counter; the 2-D terms always weigh 1.
void TestAveraging::meanSquaresAndRms()
{
  PositionAverages engine;
  engine.SetUseDopWeighting(true);
  engine.SetDops(-1, -1, 0.5, -1, -1);  // weight (1.5 / 0.5)^2 = 9
  engine.ResetAverages();
  Lock(engine);
  engine.UpdateAverages(0.001, 0.0, 0.0, 0.0, 2);  // reference stays at 0, 0

  const double term = -kMetresPerDegree * 0.001;  // ref - cur in metres
  QCOMPARE(engine.Errors().latitude.refCur, term);
  QCOMPARE(engine.Errors().twoD.refCur, std::fabs(term));
  // Counters are 2 after the first pass: weight min(9, 2) = 2 takes it all.
  QCOMPARE(engine.MeanSquares().latitude.refCur, term * term);
  QCOMPARE(engine.Rms().latitude.refCur, std::fabs(term));
  // The 2-D mean square has weight 1 of 2.
  QCOMPARE(engine.MeanSquares().twoD.refCur, term * term / 2.0);
  QCOMPARE(engine.Rms().twoD.refCur, std::sqrt(term * term / 2.0));
  QCOMPARE(engine.MeanSquares().gpsAltitude.refCur, 0.0);
}

void TestAveraging::altitudesOnlyIn3D()
{
  PositionAverages engine;
  engine.ResetAverages();
  Lock(engine);
  engine.UpdateAverages(1.0, 1.0, 100.0, 50.0, 2);
  engine.UpdateAverages(1.0, 1.0, 130.0, 80.0, 2);
  QCOMPARE(engine.Averages().gpsAltitude, 100.0);  // copied by the first pass only
  QCOMPARE(engine.AltitudeCounter(), 1.0);
  QCOMPARE(engine.Errors().gpsAltitude.refCur, 0.0);
  QCOMPARE(engine.MeanSquares().mslAltitude.refCur, 0.0);

  engine.SetNavMode(3);
  engine.UpdateAverages(1.0, 1.0, 130.0, 80.0, 2);
  QCOMPARE(engine.AltitudeCounter(), 2.0);
  QCOMPARE(engine.Averages().gpsAltitude, 115.0);
  QCOMPARE(engine.Averages().mslAltitude, 65.0);
  QCOMPARE(engine.Errors().gpsAltitude.refCur, -130.0);
  QCOMPARE(engine.Errors().mslAltitude.avgCur, -15.0);
  // Weight 1 under the RMS counter, which the 2-D passes have taken to 4.
  QCOMPARE(engine.RmsCounter(), 4.0);
  QCOMPARE(engine.MeanSquares().gpsAltitude.refCur, 130.0 * 130.0 / 4.0);
  QCOMPARE(engine.MeanSquares().mslAltitude.refCur, 80.0 * 80.0 / 4.0);
}

void TestAveraging::averagingStopsOnePassAfterFixLost()
{
  PositionAverages engine;
  engine.ResetAverages();
  Lock(engine);
  engine.UpdateAverages(0.0, 0.0, 0.0, 0.0, 2);
  QCOMPARE(engine.PositionCounter(), 2.0);

  engine.SetNavMode(1);  // no fix: averaged once more, then not
  engine.UpdateAverages(0.0, 0.0, 0.0, 0.0, 2);
  QCOMPARE(engine.PositionCounter(), 3.0);
  engine.UpdateAverages(0.0, 0.0, 0.0, 0.0, 2);
  engine.UpdateAverages(0.0, 0.0, 0.0, 0.0, 2);
  QCOMPARE(engine.PositionCounter(), 3.0);
  QCOMPARE(engine.TimingCounter(), 5.0);  // timing goes on while locked

  engine.SetNavMode(3);
  engine.UpdateAverages(0.0, 0.0, 0.0, 0.0, 2);
  QCOMPARE(engine.PositionCounter(), 4.0);
}

void TestAveraging::passOrderUnlockedThenLocked()
{
  PositionAverages engine;
  engine.SetRestartOnUnlock(true);
  Lock(engine);
  for (int i = 0; i < 3; ++i)
    engine.UpdateAverages(1.0, 1.0, 0.0, 0.0, 2);
  QCOMPARE(engine.PositionCounter(), 4.0);

  engine.SetSatsTracked(0);
  QCOMPARE(engine.LockStatusText(2, TimeAt(QStringLiteral("2024-03-05T07:00:00Z"))), 0);
  QCOMPARE(engine.UnlockCounter(), 1);

  // Unlocked: the averages restart once, the text says why, nothing else.
  engine.UpdateAverages(2.0, 2.0, 0.0, 0.0, 2);
  QVERIFY(engine.ResetPending());
  QCOMPARE(engine.PositionCounter(), 1.0);
  QCOMPARE(engine.TimingCounter(), 1.0);
  QCOMPARE(engine.Averages().latitude, 2.0);
  QCOMPARE(engine.TimeAccuracyText(), QStringLiteral("No Timing Solution. Not enough satellites tracked."));
  QCOMPARE(engine.UnlockCounter(), 1);  // lock losses are still counted
  engine.UpdateAverages(3.0, 3.0, 0.0, 0.0, 2);
  QCOMPARE(engine.Averages().latitude, 2.0);  // no second reset while one is pending
  QCOMPARE(engine.PositionCounter(), 1.0);

  // Locked again: timing first, then the pending copy, then the position.
  engine.SetSatsTracked(8);
  QCOMPARE(engine.LockStatusText(2, TimeAt(QStringLiteral("2024-03-05T07:00:05Z"))), 1);
  engine.SetTimingErrorInputs(10.0, 100.0);
  engine.UpdateAverages(4.0, 4.0, 0.0, 0.0, 2);
  QVERIFY(!engine.ResetPending());
  QCOMPARE(engine.Averages().latitude, 4.0);
  QCOMPARE(engine.TimingCounter(), 2.0);
  QCOMPARE(engine.PositionCounter(), 2.0);
  QVERIFY(engine.TimeAccuracyText().startsWith(QStringLiteral("Tsigma 037 nsec")));
}

void TestAveraging::tsigma_data()
{
  QTest::addColumn<int>("gpsMode");
  QTest::addColumn<int>("satellites");
  QTest::addColumn<double>("tsigma");
  const double s = 10.0 * 10.0 + 100.0 * 100.0;
  QTest::newRow("timing, 8 satellites") << 2 << 8 << std::sqrt(s / 7.5);
  QTest::newRow("3-D, 4 satellites: dof 0.5") << 0 << 4 << std::sqrt(8.0 * s);
  QTest::newRow("3-D, 8 satellites") << 0 << 8 << std::sqrt(s * 4.0 / 4.5);
  QTest::newRow("2-D, 8 satellites") << 1 << 8 << std::sqrt(s * 3.0 / 5.5);
  QTest::newRow("2-D, 3 satellites") << 1 << 3 << std::sqrt(s * 3.0 / 0.5);
  QTest::newRow("timing, 1 satellite") << 2 << 1 << std::sqrt(s / 0.5);
}

void TestAveraging::tsigma()
{
  QFETCH(int, gpsMode);
  QFETCH(int, satellites);
  QFETCH(double, tsigma);
  PositionAverages engine;
  engine.SetTimingErrorInputs(10.0, 100.0);
  engine.ResetAverages();
  engine.SetSatsTracked(satellites);
  QCOMPARE(engine.LockStatusText(gpsMode, GpsDateTime()), 1);
  engine.UpdateAverages(0.0, 0.0, 0.0, 0.0, gpsMode);
  QCOMPARE(engine.Tsigma(), tsigma);
}

void TestAveraging::tsigmaExtremesAndText()
{
  PositionAverages engine;
  engine.SetTimingErrorInputs(10.0, 100.0);
  engine.ResetAverages();
  QCOMPARE(engine.TsigmaMax(), -1.0);
  Lock(engine);
  engine.UpdateAverages(0.0, 0.0, 0.0, 0.0, 2);
  QVERIFY(qAbs(engine.Tsigma() - 36.7) < 0.05);
  QCOMPARE(engine.TsigmaMax(), engine.Tsigma());
  QCOMPARE(engine.TsigmaMin(), engine.Tsigma());
  QCOMPARE(engine.TimeAccuracyText(), QStringLiteral("Tsigma 037 nsec (max  37, average  18, min  37)"));

  engine.SetSatsTracked(2);  // larger sigma
  engine.UpdateAverages(0.0, 0.0, 0.0, 0.0, 2);
  const double high = engine.Tsigma();
  engine.SetSatsTracked(12);  // smaller sigma
  engine.UpdateAverages(0.0, 0.0, 0.0, 0.0, 2);
  const double low = engine.Tsigma();
  QVERIFY(low < 36.7 && high > 36.7);
  QCOMPARE(engine.TsigmaMax(), high);
  QCOMPARE(engine.TsigmaMin(), low);

  // Locked (2-D setting, any count) with no satellite count: no estimate.
  engine.SetSatsTracked(0);
  QCOMPARE(engine.LockStatusText(3, GpsDateTime()), 1);
  engine.UpdateAverages(0.0, 0.0, 0.0, 0.0, 3);
  QCOMPARE(engine.TimeAccuracyText(), QString());
}

void TestAveraging::lockRule_data()
{
  QTest::addColumn<unsigned>("gpsMode");
  QTest::addColumn<int>("satellites");
  QTest::addColumn<int>("locked");
  QTest::newRow("3-D needs three") << 0u << 2 << 0;
  QTest::newRow("3-D with three") << 0u << 3 << 1;
  QTest::newRow("2-D needs three") << 1u << 2 << 0;
  QTest::newRow("2-D with three") << 1u << 3 << 1;
  QTest::newRow("timing with none") << 2u << 0 << 0;
  QTest::newRow("timing with one") << 2u << 1 << 1;
  QTest::newRow("other mode, count unknown") << 3u << -1 << 1;
  QTest::newRow("other mode, none") << 7u << 0 << 1;
}

void TestAveraging::lockRule()
{
  QFETCH(unsigned, gpsMode);
  QFETCH(int, satellites);
  QFETCH(int, locked);
  PositionAverages engine;
  engine.SetSatsTracked(satellites);
  QCOMPARE(engine.LockStatusText(gpsMode, GpsDateTime()), locked);
  QCOMPARE(engine.Locked(), locked == 1);
}

void TestAveraging::lockedSinceAndUnlockCounter()
{
  PositionAverages engine;
  engine.SetSatsTracked(5);
  QCOMPARE(engine.LockStatusText(0, TimeAt(QStringLiteral("2024-03-05T06:07:08Z"))), 1);
  QCOMPARE(engine.LockedSinceText(), QStringLiteral("05-Mar-2024 06:07:08 UTC"));
  QCOMPARE(engine.LockStatusText(0, TimeAt(QStringLiteral("2024-03-05T06:07:09Z"))), 1);
  QCOMPARE(engine.LockedSinceText(), QStringLiteral("05-Mar-2024 06:07:08 UTC"));
  QCOMPARE(engine.UnlockCounter(), 0);

  engine.SetSatsTracked(2);
  QCOMPARE(engine.LockStatusText(0, TimeAt(QStringLiteral("2024-03-05T06:08:00Z"))), 0);
  QCOMPARE(engine.LockStatusText(0, TimeAt(QStringLiteral("2024-03-05T06:08:01Z"))), 0);
  QCOMPARE(engine.UnlockCounter(), 1);  // one loss, however long
  QCOMPARE(engine.LockedSinceText(), QString());

  engine.SetSatsTracked(4);
  QCOMPARE(engine.LockStatusText(0, TimeAt(QStringLiteral("2024-12-31T23:59:59Z"))), 1);
  QCOMPARE(engine.LockedSinceText(), QStringLiteral("31-Dec-2024 23:59:59 UTC"));
  engine.SetSatsTracked(0);
  engine.LockStatusText(0, GpsDateTime());
  QCOMPARE(engine.UnlockCounter(), 2);
  engine.ResetUnlockCounter();
  QCOMPARE(engine.UnlockCounter(), 0);
}

void TestAveraging::resetAverages()
{
  PositionAverages engine;
  engine.SetTimingErrorInputs(10.0, 100.0);
  Lock(engine);
  engine.SetNavMode(3);
  for (int i = 0; i < 3; ++i)
    engine.UpdateAverages(1.0 + i, 2.0, 100.0 + i, 50.0, 2);
  engine.SetSatsTracked(0);
  engine.LockStatusText(2, GpsDateTime());
  QCOMPARE(engine.UnlockCounter(), 1);
  QVERIFY(engine.Rms().latitude.refCur > 0.0);

  engine.ResetAverages();
  QCOMPARE(engine.Averages().latitude, engine.CurrentFix().latitude);
  QCOMPARE(engine.Averages().gpsAltitude, engine.CurrentFix().gpsAltitude);
  QCOMPARE(engine.PositionCounter(), 1.0);
  QCOMPARE(engine.AltitudeCounter(), 1.0);
  QCOMPARE(engine.RmsCounter(), 1.0);
  QCOMPARE(engine.TimingCounter(), 1.0);
  QCOMPARE(engine.Tsigma(), -1.0);
  QCOMPARE(engine.TsigmaMax(), -1.0);
  QCOMPARE(engine.TsigmaMin(), -1.0);
  QCOMPARE(engine.TsigmaAverage(), 0.0);
  QCOMPARE(engine.UnlockCounter(), 0);
  QCOMPARE(engine.Errors().latitude.refCur, 0.0);
  QCOMPARE(engine.MeanSquares().latitude.refCur, 0.0);
  QCOMPARE(engine.Rms().latitude.refCur, 0.0);
  QCOMPARE(engine.Rms().twoD.refCur, 0.0);
  QCOMPARE(engine.MeanSquares().gpsAltitude.avgCur, 0.0);
  QVERIFY(engine.ResetPending());
}

void TestAveraging::oncoreBinaryTurnsDopWeightingOff_data()
{
  QTest::addColumn<quint32>("mode");
  QTest::addColumn<int>("model");
  QTest::addColumn<bool>("weighting");
  QTest::newRow("binary, M12") << quint32(GpsModeMotorolaBinary) << GpsRxModel::M12 << false;
  QTest::newRow("receive only, UT+") << quint32(GpsModeMotorolaBinaryRxOnly) << GpsRxModel::UTPlus << false;
  QTest::newRow("binary, VP") << quint32(GpsModeMotorolaBinary) << GpsRxModel::VP << true;
  QTest::newRow("Oncore NMEA") << quint32(GpsModeMotorolaNmea) << GpsRxModel::M12 << true;
  QTest::newRow("u-blox") << quint32(GpsModeUbloxUbx) << GpsRxModel::Ublox << true;
}

void TestAveraging::oncoreBinaryTurnsDopWeightingOff()
{
  QFETCH(quint32, mode);
  QFETCH(int, model);
  QFETCH(bool, weighting);
  PositionAverages engine;
  engine.SetReceiver(mode, model);
  engine.Initialize();  // stored default: weighting on
  QCOMPARE(engine.UseDopWeighting(), weighting);
  QCOMPARE(engine.DopWeightingBlocked(), !weighting);
  engine.SetUseDopWeighting(true);
  engine.ResetAverages();
  QCOMPARE(engine.UseDopWeighting(), weighting);
}

// A receiver handed over while the averages run changes nothing until they
// restart (or the settings load again).
void TestAveraging::receiverTakesEffectWhenTheAveragesRestart()
{
  PositionAverages engine;
  engine.Initialize();
  QVERIFY(engine.UseDopWeighting());
  engine.SetReceiver(GpsModeMotorolaBinary, GpsRxModel::M12);
  QVERIFY(engine.UseDopWeighting());
  QVERIFY(!engine.DopWeightingBlocked());
  engine.ResetAverages();
  QVERIFY(!engine.UseDopWeighting());
  QVERIFY(engine.DopWeightingBlocked());
  // Blocked for the rest of the run, whatever receiver comes next.
  engine.SetReceiver(GpsModeUbloxUbx, GpsRxModel::Ublox);
  engine.ReloadSettings();
  QVERIFY(engine.DopWeightingBlocked());
}

void TestAveraging::dopsText_data()
{
  QTest::addColumn<QList<double>>("dops");
  QTest::addColumn<QString>("text");
  QTest::newRow("none reported") << QList<double>{0, 0, 0, 0, 0} << QString();
  QTest::newRow("only H") << QList<double>{-1, -1, 1.5, -1, -1} << QStringLiteral("DOPs: H=1.5 ");
  QTest::newRow("all five") << QList<double>{2.14, 1.8, 0.96, 1.5, 0.9}
                            << QStringLiteral("DOPs: G=2.1 P=1.8 H=1.0 V=1.5 T=0.9 ");
  QTest::newRow("G and T") << QList<double>{12.0, 0, 0, 0, 3.24} << QStringLiteral("DOPs: G=12.0 T=3.2 ");
}

void TestAveraging::dopsText()
{
  QFETCH(QList<double>, dops);
  QFETCH(QString, text);
  PositionAverages engine;
  engine.SetDops(dops[0], dops[1], dops[2], dops[3], dops[4]);
  QCOMPARE(engine.DopsText(), text);
}

void TestAveraging::settersIgnoreInvalidValues()
{
  PositionAverages engine;
  QCOMPARE(engine.GetSatsTracked(), -1);
  QCOMPARE(engine.GetSpeed(), -1.0);
  QCOMPARE(engine.GetHeading(), -1.0);
  QCOMPARE(engine.GetFixStatus(), -1);

  engine.SetDops(1, 2, 3, 4, 5);
  engine.SetDops(-1, -0.5, 6, -1, -1);
  QCOMPARE(engine.Gdop(), 1.0);
  QCOMPARE(engine.Pdop(), 2.0);
  QCOMPARE(engine.Hdop(), 6.0);
  QCOMPARE(engine.Tdop(), 5.0);

  engine.SetSatsTracked(7);
  engine.SetSatsTracked(-1);
  QCOMPARE(engine.GetSatsTracked(), 7);
  engine.SetSatsTracked(0);
  QCOMPARE(engine.GetSatsTracked(), 0);
  engine.SetSpeed(3.5);
  engine.SetSpeed(-0.1);
  QCOMPARE(engine.GetSpeed(), 3.5);
  engine.SetHeading(271.0);
  engine.SetHeading(-1.0);
  QCOMPARE(engine.GetHeading(), 271.0);
  engine.SetFixStatus(4);
  engine.SetFixStatus(-2);
  QCOMPARE(engine.GetFixStatus(), 4);
  engine.SetFixStatus(-1);
  QCOMPARE(engine.GetFixStatus(), -1);
  engine.SetNavMode(-5);
  QCOMPARE(engine.GetNavMode(), -5);
}

void TestAveraging::nonFiniteFixIgnored()
{
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  PositionAverages engine;
  engine.ResetAverages();
  Lock(engine);
  QCOMPARE(engine.UpdateAverages(10.0, 20.0, 30.0, 40.0, 2), QStringLiteral("KK00aa.00"));
  for (const auto &fix : {QList<double>{nan, 0, 0, 0}, QList<double>{0, inf, 0, 0}, QList<double>{0, 0, nan, 0},
                          QList<double>{0, 0, 0, -inf}}) {
    QCOMPARE(engine.UpdateAverages(fix[0], fix[1], fix[2], fix[3], 2), QString());
  }
  QCOMPARE(engine.CurrentFix().latitude, 10.0);
  QCOMPARE(engine.CurrentFix().mslAltitude, 40.0);
  QCOMPARE(engine.Averages().longitude, 20.0);
  QCOMPARE(engine.PositionCounter(), 2.0);
  QCOMPARE(engine.TimingCounter(), 2.0);
}

void TestAveraging::filterResets()
{
  PositionAverages engine;
  engine.SetTimingErrorInputs(10.0, 100.0);
  engine.ResetAverages();
  Lock(engine);
  engine.SetNavMode(3);
  engine.UpdateAverages(1.0, 1.0, 10.0, 5.0, 2);
  engine.UpdateAverages(3.0, 1.0, 10.0, 5.0, 2);
  engine.SetSatsTracked(4);
  engine.UpdateAverages(3.0, 1.0, 10.0, 5.0, 2);
  QVERIFY(engine.Averages().latitude != 3.0);

  engine.ResetPositionFilter();
  QCOMPARE(engine.PositionCounter(), 1.0);
  QCOMPARE(engine.AltitudeCounter(), 1.0);
  QCOMPARE(engine.Averages().latitude, 3.0);
  QCOMPARE(engine.RmsCounter(), 4.0);

  engine.ResetTimingFilter();
  QCOMPARE(engine.TimingCounter(), 1.0);
  QCOMPARE(engine.TsigmaMax(), engine.Tsigma());
  QCOMPARE(engine.TsigmaMin(), engine.Tsigma());
  QCOMPARE(engine.TsigmaAverage(), engine.Tsigma());

  engine.ResetAllFilters();
  QCOMPARE(engine.RmsCounter(), 1.0);
}

void TestAveraging::settingsDefaults()
{
  PositionAverages engine;
  engine.Initialize();
  QCOMPARE(engine.PositionWeightLimit(), 28800.0);
  QCOMPARE(engine.RmsWeightLimit(), 86400.0);
  QCOMPARE(engine.TimingWeightLimit(), 28800.0);
  QVERIFY(engine.UseDopWeighting());
  QCOMPARE(engine.HdopWeight(), 1.5);
  QCOMPARE(engine.VdopWeight(), 2.0);
  QCOMPARE(engine.TdopWeight(), 1.5);
  QVERIFY(engine.RestartOnUnlock());
  QVERIFY(!engine.ContinueOnProgramRestart());
  QVERIFY(engine.ReferenceLocationOnStart());
  const GeoPosition home = PositionAverages::DefaultReferenceLocation();
  QCOMPARE(engine.ReferenceLocation().latitude, home.latitude);
  QCOMPARE(engine.ReferenceLocation().mslAltitude, home.mslAltitude);
  QVERIFY(engine.ResetPending());  // no stored averages, and not continuing
  QCOMPARE(engine.ErrorInputA(), 500.0);
  QCOMPARE(engine.ErrorInputB(), 500.0);
  // Nothing out of range, so nothing was written.
  QVERIFY(QSettings().allKeys().isEmpty());
}

void TestAveraging::outOfRangeSettingsWrittenBack()
{
  {
    QSettings s;
    s.setValue("GpsNavDialog/Averaging Data/Position Weight Limit", "0");
    s.setValue("GpsNavDialog/Averaging Data/RMS Weight Limit", "1000000");
    s.setValue("GpsNavDialog/Averaging Data/Timing Weight Limit", "abc");
    s.setValue("GpsNavDialog/Averaging Data/HDOP Weight", "120");
    s.setValue("GpsNavDialog/Averaging Data/VDOP Weight", "-1");
    s.setValue("GpsNavDialog/Averaging Data/TDOP Weight", "99");
    s.setValue("GpsNavDialog/RefLocation/Latitude", "95");
    s.setValue("GpsNavDialog/RefLocation/Longitude", "-180");
    s.setValue("GpsNavDialog/RefLocation/GPS Altitude", "-1000.5");
    s.setValue("GpsNavDialog/RefLocation/MSL Altitude", "nan");
  }
  PositionAverages engine;
  engine.LoadSettings();
  QCOMPARE(engine.PositionWeightLimit(), 28800.0);
  QCOMPARE(engine.RmsWeightLimit(), 86400.0);
  QCOMPARE(engine.TimingWeightLimit(), 28800.0);
  QCOMPARE(engine.HdopWeight(), 1.5);
  QCOMPARE(engine.VdopWeight(), 2.0);
  QCOMPARE(engine.TdopWeight(), 99.0);
  QCOMPARE(engine.ReferenceLocation().latitude, 0.0);
  QCOMPARE(engine.ReferenceLocation().longitude, 0.0);
  QCOMPARE(engine.ReferenceLocation().gpsAltitude, 0.0);
  QCOMPARE(engine.ReferenceLocation().mslAltitude, 0.0);

  QCOMPARE(Stored("GpsNavDialog/Averaging Data/Position Weight Limit"), QStringLiteral("028800.0"));
  QCOMPARE(Stored("GpsNavDialog/Averaging Data/RMS Weight Limit"), QStringLiteral("086400.0"));
  QCOMPARE(Stored("GpsNavDialog/Averaging Data/Timing Weight Limit"), QStringLiteral("028800.0"));
  QCOMPARE(Stored("GpsNavDialog/Averaging Data/HDOP Weight"), QStringLiteral("01.5"));
  QCOMPARE(Stored("GpsNavDialog/Averaging Data/VDOP Weight"), QStringLiteral("02.0"));
  QCOMPARE(Stored("GpsNavDialog/Averaging Data/TDOP Weight"), QStringLiteral("99"));
  QCOMPARE(Stored("GpsNavDialog/RefLocation/Latitude"), QStringLiteral("0.0000000000000000"));
  QCOMPARE(Stored("GpsNavDialog/RefLocation/Longitude"), QStringLiteral("0.0000000000000000"));
  QCOMPARE(Stored("GpsNavDialog/RefLocation/MSL Altitude"), QStringLiteral("0.0000000000000000"));
}

void TestAveraging::storedAveragesAndCounters()
{
  {
    QSettings s;
    s.setValue("GpsNavDialog/Averaging Data/Position Weight Limit", "100.0");
    s.setValue("GpsNavDialog/Averaging Data/Averages - Position", "12.5 -3.25 100.5 50.25");
    // Above the limit, below 1, broken, inside.
    s.setValue("GpsNavDialog/Averaging Data/Averages - Weights", "500 -3 x 77.5");
    s.setValue("GpsNavDialog/Averaging Data/Averages - RMS Lat", "4 -1 20000000000.5");
    s.setValue("GpsNavDialog/Averaging Data/Averages - RMS 2D", "9 16");
    s.setValue("GpsNavDialog/Averaging Data/Averages - RMS Alt", "25 36 49");
  }
  PositionAverages engine;
  engine.LoadSettings();
  QCOMPARE(engine.PositionCounter(), 1.0);  // the settings hold no averages
  engine.LoadAverages();
  QVERIFY(!engine.ResetPending());
  QCOMPARE(engine.Averages().latitude, 12.5);
  QCOMPARE(engine.Averages().longitude, -3.25);
  QCOMPARE(engine.Averages().gpsAltitude, 100.5);
  QCOMPARE(engine.Averages().mslAltitude, 50.25);
  QCOMPARE(engine.PositionCounter(), 100.0);
  QCOMPARE(engine.AltitudeCounter(), 1.0);
  QCOMPARE(engine.RmsCounter(), 77.5);  // "x" is no number: the next one follows
  QCOMPARE(engine.TimingCounter(), 1.0);
  QCOMPARE(engine.MeanSquares().latitude.refAvg, 4.0);
  QCOMPARE(engine.Rms().latitude.refAvg, 2.0);
  QCOMPARE(engine.MeanSquares().latitude.avgCur, 0.0);
  QCOMPARE(engine.MeanSquares().latitude.refCur, 0.0);  // above 1e10
  QCOMPARE(engine.MeanSquares().twoD.avgCur, 16.0);
  QCOMPARE(engine.MeanSquares().twoD.refCur, 0.0);  // missing
  QCOMPARE(engine.MeanSquares().gpsAltitude.refCur, 49.0);
  QCOMPARE(engine.Rms().gpsAltitude.avgCur, 6.0);
  QCOMPARE(engine.MeanSquares().mslAltitude.refAvg, 0.0);
}

void TestAveraging::badStoredAveragesSetResetPending_data()
{
  QTest::addColumn<QString>("position");
  QTest::newRow("missing") << QString();
  QTest::newRow("latitude 95") << QStringLiteral("95 0 0 0");
  QTest::newRow("longitude -181") << QStringLiteral("0 -181 0 0");
  QTest::newRow("three numbers") << QStringLiteral("1 2 3");
}

void TestAveraging::badStoredAveragesSetResetPending()
{
  QFETCH(QString, position);
  {
    QSettings s;
    if (!position.isNull())
      s.setValue("GpsNavDialog/Averaging Data/Averages - Position", position);
    s.setValue("GpsNavDialog/Averaging Data/Averages - Weights", "5 6 7 8");
  }
  PositionAverages engine;
  QVERIFY(!engine.ResetPending());
  engine.LoadAverages();
  QVERIFY(engine.ResetPending());
  QCOMPARE(engine.PositionCounter(), 5.0);
  QCOMPARE(engine.TimingCounter(), 8.0);
}

void TestAveraging::saveThenLoadRoundTrips()
{
  PositionAverages engine;
  engine.SetWeightLimits(1000.0, 2000.0, 3000.0);
  engine.SetDopWeights(2.5, 3.5, 4.5);
  engine.SetUseDopWeighting(false);
  engine.SetRestartOnUnlock(false);
  engine.SetContinueOnProgramRestart(true);
  engine.SetReferenceLocationOnStart(false);
  engine.SetReferenceLocation({12.3456, -98.765, 320.0, 300.0});
  engine.ResetAverages();
  Lock(engine);
  engine.SetNavMode(3);
  engine.UpdateAverages(12.345678901234, -98.7654321, 321.5, 300.25, 2);
  engine.UpdateAverages(12.345679, -98.7654, 322.5, 301.25, 2);
  engine.SaveSettings();
  QCOMPARE(Stored("GpsNavDialog/Averaging Data/Position Weight Limit"), QStringLiteral("001000.0"));
  QCOMPARE(Stored("GpsNavDialog/Averaging Data/HDOP Weight"), QStringLiteral("02.5"));
  // The options alone: the averages have keys of their own.
  for (const QString &key : QSettings().allKeys())
    QVERIFY2(!key.contains(QLatin1String("Averages - ")), qPrintable(key));

  engine.SaveAverages();
  QVERIFY(Stored("GpsNavDialog/Averaging Data/Averages - Position").startsWith("12.34567"));
  QCOMPARE(Stored("GpsNavDialog/Averaging Data/Averages - Weights"),
           QStringLiteral("3.0000000000000000 3.0000000000000000 3.0000000000000000 3.0000000000000000"));

  PositionAverages loaded;
  loaded.Initialize();  // continuing: nothing is reset
  QVERIFY(!loaded.ResetPending());
  QCOMPARE(loaded.PositionWeightLimit(), 1000.0);
  QCOMPARE(loaded.RmsWeightLimit(), 2000.0);
  QCOMPARE(loaded.TimingWeightLimit(), 3000.0);
  QCOMPARE(loaded.HdopWeight(), 2.5);
  QCOMPARE(loaded.VdopWeight(), 3.5);
  QCOMPARE(loaded.TdopWeight(), 4.5);
  QVERIFY(!loaded.UseDopWeighting());
  QVERIFY(!loaded.RestartOnUnlock());
  QVERIFY(loaded.ContinueOnProgramRestart());
  QVERIFY(!loaded.ReferenceLocationOnStart());
  QVERIFY(qAbs(loaded.Averages().latitude - engine.Averages().latitude) < 1e-14);
  QVERIFY(qAbs(loaded.Averages().longitude - engine.Averages().longitude) < 1e-13);
  QCOMPARE(loaded.Averages().gpsAltitude, engine.Averages().gpsAltitude);
  QCOMPARE(loaded.PositionCounter(), 3.0);
  QCOMPARE(loaded.AltitudeCounter(), 3.0);
  QVERIFY(qAbs(loaded.MeanSquares().gpsAltitude.refCur - engine.MeanSquares().gpsAltitude.refCur) < 1e-9);
  QVERIFY(qAbs(loaded.Rms().mslAltitude.avgCur - engine.Rms().mslAltitude.avgCur) < 1e-9);
  QVERIFY(qAbs(loaded.MeanSquares().latitude.refCur - engine.MeanSquares().latitude.refCur) < 1e-6);
}

void TestAveraging::referenceLocationStoredAndScaled()
{
  PositionAverages engine;
  engine.SetRestartOnUnlock(true);
  engine.SetContinueOnProgramRestart(false);
  engine.SetReferenceLocation({12.5, -3.25, 100.0, 50.5});
  QCOMPARE(Stored("GpsNavDialog/RefLocation/Latitude"), QStringLiteral("12.5000000000000000"));
  QCOMPARE(Stored("GpsNavDialog/RefLocation/Longitude"), QStringLiteral("-3.2500000000000000"));
  QCOMPARE(Stored("GpsNavDialog/RefLocation/GPS Altitude"), QStringLiteral("100.0000000000000000"));
  QCOMPARE(Stored("GpsNavDialog/RefLocation/MSL Altitude"), QStringLiteral("50.5000000000000000"));
  QCOMPARE(QSettings().value("GpsNavDialog/Averaging Data/Restart Averages On Unlock").toBool(), true);
  QCOMPARE(QSettings().value("GpsNavDialog/Averaging Data/Restart Averages On Startup").toBool(), false);
  QCOMPARE(engine.MetresPerDegreeLatitude(), kMetresPerDegree);
  QCOMPARE(engine.MetresPerDegreeLongitude(), std::cos(12.5 * 0.0174533) * kMetresPerDegree);

  // A stored reference far from the equator scales longitudes from the start.
  QSettings().setValue("GpsNavDialog/RefLocation/Latitude", "60.0");
  PositionAverages loaded;
  loaded.LoadSettings();
  QCOMPARE(loaded.ReferenceLocation().latitude, 60.0);
  QCOMPARE(loaded.ReferenceLocation().longitude, -3.25);
  QVERIFY(qAbs(loaded.MetresPerDegreeLongitude() - kMetresPerDegree / 2.0) < 1.0);
}

void TestAveraging::reloadSettingsKeepsTheAverages()
{
  for (bool continuing : {false, true}) {
    QSettings().clear();
    QSettings().setValue("GpsNavDialog/Averaging Data/Restart Averages On Startup", continuing);
    QSettings().setValue("GpsNavDialog/Averaging Data/Averages - Position", "1 2 3 4");
    QSettings().setValue("GpsNavDialog/Averaging Data/Averages - Weights", "9 9 9 9");
    PositionAverages engine;
    engine.ResetAverages();
    Lock(engine);
    engine.UpdateAverages(5.0, 6.0, 7.0, 8.0, 2);
    engine.UpdateAverages(5.0, 6.0, 7.0, 8.0, 2);
    QSettings().setValue("GpsNavDialog/Averaging Data/Position Weight Limit", "100.0");

    engine.ReloadSettings();
    QCOMPARE(engine.PositionWeightLimit(), 100.0);
    QVERIFY(!engine.ResetPending());
    QCOMPARE(engine.Averages().latitude, 5.0);
    QCOMPARE(engine.PositionCounter(), 3.0);
  }
}

// Averages still waiting for their first fix leave no averages behind.
void TestAveraging::pendingAveragesSavedAsNone()
{
  PositionAverages engine;
  engine.ResetAverages();
  engine.SaveAverages();
  QCOMPARE(Stored("GpsNavDialog/Averaging Data/Averages - Position"), QString());

  QSettings().setValue("GpsNavDialog/Averaging Data/Restart Averages On Startup", true);
  PositionAverages next;
  next.Initialize();
  QVERIFY(next.ResetPending());
  Lock(next);
  next.UpdateAverages(10.0, 20.0, 30.0, 40.0, 2);
  QCOMPARE(next.Averages().latitude, 10.0);
  QCOMPARE(next.Averages().longitude, 20.0);
}

void TestAveraging::dialogDelegates()
{
  QSettings().setValue("GpsNavDialog/RefLocation/Latitude", "10.0");
  GpsNavDialog nav;
  QCOMPARE(nav.objectName(), QStringLiteral("GpsNavDialog"));
  QCOMPARE(nav.GetReferenceMslAltitude(), PositionAverages::DefaultReferenceLocation().mslAltitude);

  nav.SetSatsTracked(6);
  nav.SetNavMode(3);
  nav.SetDops(-1, -1, 1.5, -1, -1);
  QCOMPARE(nav.DopsText(), QStringLiteral("DOPs: H=1.5 "));
  QCOMPARE(nav.LockStatusText(0, TimeAt(QStringLiteral("2024-01-02T03:04:05Z"))), 1);
  QCOMPARE(nav.LockedSinceText(), QStringLiteral("02-Jan-2024 03:04:05 UTC"));
  QCOMPARE(nav.UnlockCounterText(), QStringLiteral("0"));
  QCOMPARE(nav.UpdateAverages(51.5074, -0.1278, 60.0, 14.0, 0), QStringLiteral("IO91wm.41"));

  double lat = 0, lon = 0, gps = 0, msl = 0;
  nav.GetCurrentFix(&lat, &lon, &gps, &msl);
  QCOMPARE(lat, 51.5074);
  QCOMPARE(msl, 14.0);
  nav.GetAverages(lat, lon, gps, msl);
  QCOMPARE(lon, -0.1278);
  QCOMPARE(gps, 60.0);

  nav.SetReferenceFromCurrent();
  nav.GetReferenceLocation(lat, lon, gps, msl);
  QCOMPARE(lat, 51.5074);
  QVERIFY(qAbs(Stored("GpsNavDialog/RefLocation/Latitude").toDouble() - 51.5074) < 1e-12);

  // With no reference-location window there is nothing to enter or parse.
  QVERIFY(!nav.EnterReferenceLocation());
  double value = 3.0;
  QVERIFY(!nav.ParseLatitude(QStringLiteral("12"), &value));
  QCOMPARE(value, 3.0);
}

RIDUDER_TEST_MAIN(TestAveraging)
#include "tst_averaging.moc"
