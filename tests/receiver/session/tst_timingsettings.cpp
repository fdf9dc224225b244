#include "TestMain.h"

#include "receiver/session/TimingSettings.h"

#include <QSettings>

Q_DECLARE_METATYPE(TimingSettings)

namespace {

// Everything an empty store gives.
TimingSettings Defaults()
{
  TimingSettings t;
  t.epochOffset = 0;
  t.ppsDelay = 0.0;
  t.antennaCableDelay = 0.0;
  t.measurementCableDelay = 0.0;
  t.rxDelay = 55.0;
  t.extraDelay = 0.0;
  t.traimLimit = 500.0;
  t.traimConditionedPps = false;
  t.ticAutoCorrect = true;
  t.sawtoothCorrection = SawtoothAutomatic;
  t.totalDelay = 55.0;
  t.totalPpsOffsetNegative = 0.0;
  t.totalPpsOffsetPositive = 1000000.0;
  return t;
}

void CompareTiming(const TimingSettings &actual, const TimingSettings &expected)
{
  QCOMPARE(actual.epochOffset, expected.epochOffset);
  QCOMPARE(actual.ppsDelay, expected.ppsDelay);
  QCOMPARE(actual.antennaCableDelay, expected.antennaCableDelay);
  QCOMPARE(actual.measurementCableDelay, expected.measurementCableDelay);
  QCOMPARE(actual.rxDelay, expected.rxDelay);
  QCOMPARE(actual.extraDelay, expected.extraDelay);
  QCOMPARE(actual.traimLimit, expected.traimLimit);
  QCOMPARE(actual.traimConditionedPps, expected.traimConditionedPps);
  QCOMPARE(actual.ticAutoCorrect, expected.ticAutoCorrect);
  QCOMPARE(actual.sawtoothCorrection, expected.sawtoothCorrection);
  QCOMPARE(actual.totalDelay, expected.totalDelay);
  QCOMPARE(actual.totalPpsOffsetNegative, expected.totalPpsOffsetNegative);
  QCOMPARE(actual.totalPpsOffsetPositive, expected.totalPpsOffsetPositive);
}


}  // namespace

class TimingSettingsTest : public QObject {
  Q_OBJECT

private slots:
  void init() { QSettings().clear(); }

  // Stored values -> loaded values; the load writes nothing back, so the
  // store is left exactly as it was.
  void load_data()
  {
    QTest::addColumn<QVariantMap>("stored");
    QTest::addColumn<TimingSettings>("expected");

    QTest::newRow("empty store") << QVariantMap() << Defaults();

    {
      // A negative cable is outside what the dialog takes: its default.
      TimingSettings t = Defaults();
      t.measurementCableDelay = 20.0;
      t.epochOffset = 1;
      t.ppsDelay = 234.5678;
      t.traimLimit = 750.0;
      t.sawtoothCorrection = SawtoothOff;
      t.totalDelay = 75.0;
      t.totalPpsOffsetPositive = 1234.568;
      t.totalPpsOffsetNegative = -998765.432;
      QTest::newRow("values, negative cable, sawtooth 7 is Off")
          << QVariantMap{{TimingKeys::AntennaCable, -10.0}, {TimingKeys::MeasurementCable, 20.0},
                         {TimingKeys::Epoch, 1},         {TimingKeys::PpsDelay, 234.5678},
                         {TimingKeys::Traim, 750.0},     {TimingKeys::Sawtooth, 7}}
          << t;
    }
    {
      TimingSettings t = Defaults();
      t.extraDelay = 5.0;
      t.rxDelay = 40.0;
      t.totalDelay = 40.0;
      t.totalPpsOffsetNegative = -5.0;
      t.totalPpsOffsetPositive = 999995.0;
      QTest::newRow("extra delay sets the 1PPS early")
          << QVariantMap{{TimingKeys::ExtraDelay, "5"}, {TimingKeys::RxDelay, "40"}} << t;
    }
    {
      TimingSettings t = Defaults();
      t.epochOffset = 999;
      t.totalPpsOffsetNegative = -1000.0;
      t.totalPpsOffsetPositive = 999000.0;
      QTest::newRow("the largest epoch") << QVariantMap{{TimingKeys::Epoch, 999}} << t;
      QTest::newRow("a whole second of epoch is its default") << QVariantMap{{TimingKeys::Epoch, 1000}} << Defaults();
      QTest::newRow("T-RAIM between 0 and 250 is its default") << QVariantMap{{TimingKeys::Traim, 100}} << Defaults();
      t = Defaults();
      t.traimLimit = 0.0;
      QTest::newRow("T-RAIM 0 is off") << QVariantMap{{TimingKeys::Traim, "0"}} << t;
    }
    QTest::newRow("epoch not a whole number") << QVariantMap{{TimingKeys::Epoch, "12.5"}} << Defaults();
    QTest::newRow("epoch text") << QVariantMap{{TimingKeys::Epoch, "abc"}} << Defaults();
    {
      TimingSettings t = Defaults();
      t.sawtoothCorrection = SawtoothOff;
      QTest::newRow("sawtooth -1 is Off") << QVariantMap{{TimingKeys::Sawtooth, -1}} << t;
      QTest::newRow("sawtooth 4 is Off") << QVariantMap{{TimingKeys::Sawtooth, 4}} << t;
    }
    {
      // Text reads as 0, which is a valid mode.
      QTest::newRow("sawtooth text is Automatic") << QVariantMap{{TimingKeys::Sawtooth, "x"}} << Defaults();
      TimingSettings t = Defaults();
      t.sawtoothCorrection = SawtoothSubtract;
      QTest::newRow("sawtooth 2") << QVariantMap{{TimingKeys::Sawtooth, 2}} << t;
    }
    {
      TimingSettings t = Defaults();
      t.traimConditionedPps = true;
      t.ticAutoCorrect = false;
      QTest::newRow("flags as text") << QVariantMap{{TimingKeys::TraimKill, "true"},
                                                    {TimingKeys::TicAutoCorrect, "false"}}
                                     << t;
      QTest::newRow("flags as numbers") << QVariantMap{{TimingKeys::TraimKill, 1}, {TimingKeys::TicAutoCorrect, 0}}
                                        << t;
    }
  }

  void load()
  {
    QFETCH(QVariantMap, stored);
    QFETCH(TimingSettings, expected);
    {
      QSettings settings;
      for (auto it = stored.cbegin(); it != stored.cend(); ++it)
        settings.setValue(it.key(), it.value());
    }
    QSettings settings;
    CompareTiming(LoadTimingSettings(settings), expected);
    settings.sync();
    QCOMPARE(riduder::test::StoredSettings(), stored);
  }

  // The ten stored values under their keys and value types, no totals; and
  // they load back as they were.
  void saveAndLoadBack()
  {
    TimingSettings t = Defaults();
    t.epochOffset = 3;
    t.ppsDelay = 12.5;
    t.antennaCableDelay = 121.0;
    t.measurementCableDelay = 20.0;
    t.rxDelay = 60.0;
    t.extraDelay = 0.25;
    t.traimLimit = 0.0;
    t.traimConditionedPps = true;
    t.ticAutoCorrect = false;
    t.sawtoothCorrection = SawtoothAdd;
    UpdateTimingTotals(t);
    QCOMPARE(t.totalDelay, 201.0);
    QCOMPARE(t.totalPpsOffsetPositive, 3012.25);
    QCOMPARE(t.totalPpsOffsetNegative, -996987.75);

    QSettings settings;
    SaveTimingSettings(settings, t);
    const QVariantMap expected{
        {TimingKeys::Epoch, 3},
        {TimingKeys::PpsDelay, 12.5},
        {TimingKeys::AntennaCable, 121.0},
        {TimingKeys::MeasurementCable, 20.0},
        {TimingKeys::RxDelay, 60.0},
        {TimingKeys::ExtraDelay, 0.25},
        {TimingKeys::Traim, 0.0},
        {TimingKeys::TraimKill, true},
        {TimingKeys::TicAutoCorrect, false},
        {TimingKeys::Sawtooth, int(SawtoothAdd)},
    };
    const QVariantMap contents = riduder::test::StoredSettings();
    QCOMPARE(contents, expected);
    for (auto it = expected.cbegin(); it != expected.cend(); ++it)
      QCOMPARE(contents.value(it.key()).typeId(), it.value().typeId());

    CompareTiming(LoadTimingSettings(settings), t);
  }
};

RIDUDER_TEST_MAIN(TimingSettingsTest)
#include "tst_timingsettings.moc"
