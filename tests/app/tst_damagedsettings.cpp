#include "TestMain.h"

#include "tests/tic/TicTestHost.h"

#include "clock/PcClockSettings.h"
#include "core/ReceiverState.h"
#include "logging/GpsDataLog.h"
#include "logging/GpsLogSettings.h"
#include "logging/TicLogOptions.h"
#include "position/PositionAverages.h"
#include "receiver/session/ReceiverModeSettings.h"
#include "receiver/session/TimingSettings.h"
#include "tic/TicLineProcessor.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <cmath>
#include <memory>

// A settings file edited by hand or damaged: every stored number of the
// program holds the same kind of damage. Whatever each reader makes of it,
// every value the program works with is a finite number in the range its
// dialog accepts, and a counter reading processed with those settings is a
// finite number in the TIC rows, the remote sentences and the "TIC (usec)"
// field.

namespace {

// Every key the readers take as a number.
const char *const NumericKeys[] = {
    TimingKeys::Epoch,
    TimingKeys::PpsDelay,
    TimingKeys::AntennaCable,
    TimingKeys::MeasurementCable,
    TimingKeys::RxDelay,
    TimingKeys::ExtraDelay,
    TimingKeys::Traim,
    TimingKeys::Sawtooth,
    PcClockKeys::Mode,
    PcClockKeys::DeltaMs,
    PcClockKeys::MaxQuantity,
    PcClockKeys::MaxUnits,
    GpsLogKeys::LogEvery,
    GpsLogKeys::DataType,
    GpsLogKeys::Autorestart,
    GpsLogKeys::UseGpsSecondNumber,
    TicLogKeys::TimeTagFormat,
    TicLogKeys::LogStyle,
    TicLogKeys::TimeIntervalLogButtonGroup,
    TicLogKeys::TimeLogEvery,
    TicLogKeys::AveragingLogPeriod,
    TicLogKeys::CfgLogSaveSats,
    GpsNavKeys::RefLatitude,
    GpsNavKeys::RefLongitude,
    GpsNavKeys::RefGpsAltitude,
    GpsNavKeys::RefMslAltitude,
    GpsNavKeys::PositionWeightLimit,
    GpsNavKeys::RmsWeightLimit,
    GpsNavKeys::TimingWeightLimit,
    GpsNavKeys::HdopWeight,
    GpsNavKeys::VdopWeight,
    GpsNavKeys::TdopWeight,
    GpsNavKeys::AveragesPosition,
    GpsNavKeys::AveragesWeights,
    GpsNavKeys::RmsLat,
    GpsNavKeys::RmsLng,
    GpsNavKeys::Rms2D,
    GpsNavKeys::RmsMsl,
    GpsNavKeys::RmsAlt,
    "GpsRxDialog/Gps Mode",
    "GpsRxDialog/DGPS Rate",
    "GpsRxDialog/Elevation Mask",
    "GpsRxDialog/GeometryButton",
    "GpsRxDialog/Application Type",
};

const char DamageMark[] = "DAMAGE_MARK";

// A fresh settings file of its own, in which every numeric key holds
// `damage` exactly as written into the file.
void WriteDamagedStore(const QString &folder, const QByteArray &damage)
{
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder);
  QString fileName;
  {
    QSettings settings;
    for (const char *key : NumericKeys)
      settings.setValue(QLatin1String(key), QLatin1String(DamageMark));
    settings.sync();
    fileName = settings.fileName();
  }
  QFile file(fileName);
  QVERIFY(file.open(QIODevice::ReadOnly));
  QByteArray text = file.readAll();
  file.close();
  QVERIFY(text.contains(DamageMark));
  text.replace(DamageMark, damage);
  QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  file.write(text);
}

// Collects every value outside its range, so one run names them all.
struct RangeCheck {
  QStringList faults;
  void operator()(const char *name, double value, double minValue, double maxValue)
  {
    if (!(std::isfinite(value) && value >= minValue && value <= maxValue))
      faults << QStringLiteral("%1 = %2").arg(QLatin1String(name)).arg(value);
  }
};

bool IsFiniteText(const QByteArray &text)
{
  bool ok = false;
  const double v = text.trimmed().toDouble(&ok);
  return ok && std::isfinite(v);
}

bool HasNoNonNumber(const QByteArray &text)
{
  const QByteArray lower = text.toLower();
  return !lower.contains("nan") && !lower.contains("inf");
}

}  // namespace

class TestDamagedSettings : public QObject {
  Q_OBJECT

private slots:
  void everyUsedValueIsFiniteAndInRange_data()
  {
    QTest::addColumn<QByteArray>("damage");
    QTest::newRow("nan") << QByteArray("nan");
    QTest::newRow("inf") << QByteArray("inf");
    QTest::newRow("-inf") << QByteArray("-inf");
    QTest::newRow("1e308") << QByteArray("1e308");
    QTest::newRow("-1e308") << QByteArray("-1e308");
    QTest::newRow("-1") << QByteArray("-1");
    QTest::newRow("huge number") << QByteArray(20000, '9');
    QTest::newRow("huge text") << QByteArray(20000, 'x');
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("list") << QByteArray("1, 2, 3");
    QTest::newRow("rectangle") << QByteArray("@Rect(0 0 10 10)");
    QTest::newRow("point") << QByteArray("@Point(5 5)");
    QTest::newRow("byte array") << QByteArray("@ByteArray(\\0\\x1)");
  }

  void everyUsedValueIsFiniteAndInRange()
  {
    QFETCH(QByteArray, damage);
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    WriteDamagedStore(folder.path(), damage);
    RangeCheck check;
    QSettings settings;
    // The timing, clock and log readers leave the store as it is; the GPS
    // log's auto-restart choice alone writes its repair back.
    const QStringList untouchedGroups = {QStringLiteral("TimingDialog"), QStringLiteral("SetPcClockDialog"),
                                         QStringLiteral("LogFiles")};
    QVariantMap before;
    for (const QString &key : settings.allKeys())
      if (untouchedGroups.contains(key.section(QLatin1Char('/'), 0, 0)) &&
          key != QLatin1String(GpsLogKeys::Autorestart))
        before.insert(key, settings.value(key));
    QVERIFY(!before.isEmpty());

    const TimingSettings timing = LoadTimingSettings(settings);
    check("epoch offset", timing.epochOffset, 0, TimingEpochMaxMs);
    check("1PPS delay", timing.ppsDelay, 0.0, TimingFineOffsetMaxUs);
    check("antenna cable delay", timing.antennaCableDelay, 0.0, TimingCableDelayMaxNs);
    check("measurement cable delay", timing.measurementCableDelay, 0.0, TimingCableDelayMaxNs);
    check("receiver delay", timing.rxDelay, 0.0, TimingRxDelayMaxNs);
    check("extra delay", timing.extraDelay, 0.0, TimingFineOffsetMaxUs);
    if (timing.traimLimit != 0.0)
      check("T-RAIM limit", timing.traimLimit, TimingTraimMinNs, TimingTraimMaxNs);
    check("sawtooth mode", timing.sawtoothCorrection, SawtoothAutomatic, SawtoothOff);
    check("total delay", timing.totalDelay, 0.0, 2 * TimingCableDelayMaxNs + TimingRxDelayMaxNs);
    check("negative 1PPS total", timing.totalPpsOffsetNegative, -1000000.0, 0.0);
    check("positive 1PPS total", timing.totalPpsOffsetPositive, 0.0, 1000000.0);

    const PcClockSettings clock = PcClockSettings::Read(settings);
    check("clock sync mode", clock.mode, SyncDisable, SyncEveryDay);
    check("clock threshold", clock.deltaMs, PcClockDeltaMsMin, PcClockDeltaMsMax);
    check("largest clock correction", double(clock.maxSeconds), 0.0, PcClockMaxQuantityMax * 3600.0);

    const GpsLogSettings gpsLog = LoadGpsLogSettings(settings);
    check("GPS log every", gpsLog.logEveryIndex, 0, 11);
    check("GPS log interval", gpsLog.intervalSeconds, 1, 60);

    const TicLogOptions ticLog = TicLogOptions::FromSettings();
    check("TIC time-log interval", ticLog.timeLogInterval, 0, 3600);

    PositionAverages averages;
    averages.LoadSettings();
    averages.LoadAverages();
    const GeoPosition reference = averages.ReferenceLocation();
    check("reference latitude", reference.latitude, -90.0, 90.0);
    check("reference longitude", reference.longitude, -180.0, 180.0);
    check("reference GPS altitude", reference.gpsAltitude, -1000.0, 100000.0);
    check("reference MSL altitude", reference.mslAltitude, -1000.0, 100000.0);
    check("position weight limit", averages.PositionWeightLimit(), 1.0, PositionAverages::CounterCeiling);
    check("RMS weight limit", averages.RmsWeightLimit(), 1.0, PositionAverages::CounterCeiling);
    check("timing weight limit", averages.TimingWeightLimit(), 1.0, PositionAverages::CounterCeiling);
    check("HDOP weight", averages.HdopWeight(), 0.0, 99.0);
    check("VDOP weight", averages.VdopWeight(), 0.0, 99.0);
    check("TDOP weight", averages.TdopWeight(), 0.0, 99.0);
    QVERIFY(averages.HdopWeight() > 0.0 && averages.VdopWeight() > 0.0 && averages.TdopWeight() > 0.0);
    check("position counter", averages.PositionCounter(), 1.0, averages.PositionWeightLimit());
    const GeoPosition average = averages.Averages();
    check("average latitude", average.latitude, -90.0, 90.0);
    check("average longitude", average.longitude, -180.0, 180.0);
    const ErrorTriple *rms[] = {&averages.Rms().latitude, &averages.Rms().longitude, &averages.Rms().twoD,
                                &averages.Rms().mslAltitude, &averages.Rms().gpsAltitude};
    for (const ErrorTriple *triple : rms) {
      check("RMS ref-avg", triple->refAvg, 0.0, 1e5);
      check("RMS avg-cur", triple->avgCur, 0.0, 1e5);
      check("RMS ref-cur", triple->refCur, 0.0, 1e5);
    }

    const ReceiverModeSettings mode = LoadReceiverModeSettings();
    check("navigation mode", mode.gpsNavMode, 0, 2);
    check("DGPS rate", mode.dgpsRate, 0, 255);
    check("elevation mask", mode.elevationMask, 0, 90);
    check("geometry button", mode.geometryButton, 0, 4);
    check("application type", mode.applicationType, 0, 4);


    // A counter reading processed with these settings, as the window hands
    // them to the processing.
    ReceiverState state;
    riduder::test::TicTestHost host;
    host.options = ticLog;
    host.options.timeLogInterval = 1;  // so every reading makes a row
    host.correction.mode = timing.sawtoothCorrection;
    host.correction.ticAutoCorrect = timing.ticAutoCorrect;
    host.correction.delayTotals[0] = timing.totalPpsOffsetNegative;
    host.correction.delayTotals[1] = timing.totalPpsOffsetPositive;
    host.logOpen = true;
    QVERIFY(host.correction.ticAutoCorrect);  // the delays reach the reading
    TicLineProcessor processor(state, host);
    processor.SetRemoteTimeCount(-1);
    processor.SetRemoteAverageCount(-1);
    for (int second = 0; second < 3; ++second) {
      state.displayCopy.SetDateTime(QDateTime::fromSecsSinceEpoch(1710072000 + second, Qt::UTC));
      state.receiverSawtoothNs = 3.5;
      state.receiverSawtoothFresh = true;
      processor.ProcessTicLine("1 123.456789 us\r\n");
    }
    QCOMPARE(host.readings.size(), 3);
    for (const QString &reading : host.readings)
      QVERIFY2(IsFiniteText(reading.toLatin1()), qPrintable(reading));
    QCOMPARE(host.timeRows.size(), 3);
    for (const auto &row : host.timeRows)
      QVERIFY2(HasNoNonNumber(row.second), row.second.constData());
    for (const auto &row : host.averageRows)
      QVERIFY2(HasNoNonNumber(row.second), row.second.constData());
    QVERIFY(!host.sentences.isEmpty());
    for (const QByteArray &sentence : host.sentences)
      QVERIFY2(HasNoNonNumber(sentence), sentence.constData());
    for (const QString &line : host.processedLines)
      QVERIFY2(HasNoNonNumber(line.toLatin1()), qPrintable(line));

    QVERIFY2(check.faults.isEmpty(), qPrintable(check.faults.join(QStringLiteral("; "))));
    for (auto it = before.cbegin(); it != before.cend(); ++it)
      QVERIFY2(settings.value(it.key()) == it.value(), qPrintable(it.key()));
  }
};

RIDUDER_TEST_MAIN(TestDamagedSettings)
#include "tst_damagedsettings.moc"
