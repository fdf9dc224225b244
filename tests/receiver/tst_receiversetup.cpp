#include "TestMain.h"

#include "SetupScriptText.h"

#include "core/GpsMode.h"
#include "receiver/session/CommandSender.h"
#include "receiver/decode/GpsRxModel.h"
#include "receiver/session/ReceiverSetup.h"

#include <QtEndian>

#include <limits>

Q_DECLARE_METATYPE(ReceiverModeSettings)

// The set-up scripts as the receiver would get them, worked out by hand.
// A step reads "@@Gd 01" (Oncore: name, then the parameters in hex),
// "B5 62 06 ..." (UBX, every byte), "wait ..." for an awaited command and
// "pause N" for a pause.

using namespace riduder::test;

namespace {

QString StepText(const SetupStep &step)
{
  SetupScript one;
  if (step.kind == SetupStep::Kind::Pause)
    one.Pause(step.pauseMs);
  else if (step.kind == SetupStep::Kind::SendAndWait)
    one.SendAndWait(step.command);
  else
    one.Send(step.command);
  return ScriptTexts(one).value(0);
}

QStringList StepTexts(const SetupScript &script)
{
  return ScriptTexts(script);
}

QString Hex(const QByteArray &bytes)
{
  return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

// Compares two step lists and names the first difference.
void CompareSteps(const QStringList &actual, const QStringList &expected)
{
  for (int i = 0; i < qMin(actual.size(), expected.size()); ++i)
    QVERIFY2(actual[i] == expected[i],
             qPrintable(QStringLiteral("step %1: got \"%2\", expected \"%3\"").arg(i).arg(actual[i], expected[i])));
  QVERIFY2(actual.size() == expected.size(),
           qPrintable(QStringLiteral("%1 steps, expected %2:\n%3")
                          .arg(actual.size())
                          .arg(expected.size())
                          .arg(actual.join(QLatin1Char('\n')))));
}

const QString FifteenTraimTail = QStringLiteral("00 00 01 00 00 00 00 00 00 00");

}  // namespace

class ReceiverSetupTest : public QObject {
  Q_OBJECT

private slots:
  // --- Receiver configuration, Oncore binary ---
  void oncoreConfiguration_data()
  {
    QTest::addColumn<int>("model");
    QTest::addColumn<int>("channels");
    QTest::addColumn<ReceiverModeSettings>("settings");
    QTest::addColumn<QStringList>("expected");

    ReceiverModeSettings holdPosition;
    holdPosition.gpsNavMode = 2;
    QTest::newRow("M12, 12 channels, 0-D: @@Gd 01, no 8-channel commands")
        << int(GpsRxModel::M12) << 12 << holdPosition
        << QStringList{"@@AP 00", "@@Gc 01", "@@Ag 05", "@@Gd 01", "@@Aq 03",
                       "@@Bh 00", "@@Am 00 00 00 00 00", "@@Hb 00", "@@Ha 01"};
    QTest::newRow("VP, 8 channels, 0-D: @@At 01 and @@Av 00, @@Ea awaited")
        << int(GpsRxModel::VP) << 8 << holdPosition
        << QStringList{"@@AP 00", "@@Gc 01", "@@Ag 05", "@@At 01", "@@Av 00", "@@Aq 03",
                       "@@Ar 01", "@@Ah 00", "@@Aj 00", "@@AB 00", "@@AE 00", "@@Bh 00",
                       "@@Am 00 00 00 00 00", "@@Hb 00", "wait @@Ea 01", "@@Ek 01"};

    ReceiverModeSettings multiGnss;
    multiGnss.gpsNavMode = 1;
    multiGnss.satGps = true;
    multiGnss.satSbas = true;
    QTest::newRow("SSR-M8T, 12 channels, 2-D, GPS + SBAS: rows for 8 channels too and @@Sc 81")
        << int(GpsRxModel::SsrM8T) << 12 << multiGnss
        << QStringList{"@@AP 00", "@@Gc 01", "@@Ag 05", "@@Gd 02", "@@Aq 03", "@@Ar 01",
                       "@@Ah 00", "@@Aj 00", "@@AB 00", "@@AE 00", "@@Bh 00",
                       "@@Am 00 00 00 00 00", "@@Hb 00", "@@Ha 01", "@@Sc 81"};

    ReceiverModeSettings everything;
    everything.gpsNavMode = 1;
    everything.ppsRate = 1;
    everything.ppsDuration = 1;
    everything.elevationMask = 10;
    everything.ionosphericDelay = 1;
    everything.positionFixMode = 1;
    everything.satelliteSelection = 1;
    everything.geometryButton = 3;
    everything.applicationType = 4;
    everything.alignMessages = true;
    everything.dgpsActivate = true;
    everything.dgpsRate = 60;
    everything.satelliteUseMask = 0xFFFFFFFEu;  // PRN 1 left out
    QTest::newRow("PVT6, 6 channels, every setting changed")
        << int(GpsRxModel::PVT6) << 6 << everything
        << QStringList{"@@AP 01", "@@Gc 05", "@@Ag 0A", "@@At 00", "@@Av 01", "@@Aq 02",
                       "@@Ar 00", "@@Ah 02", "@@Aj 03", "@@AB 04", "@@AE 01", "@@Bh 3C",
                       "@@Am 00 00 00 00 01", "@@Hb 00", "@@Ba 01", "@@Bk 01"};

    ReceiverModeSettings threeD;
    QTest::newRow("unknown channel count (-1) takes the 6-channel position message")
        << int(GpsRxModel::Unknown) << -1 << threeD
        << QStringList{"@@AP 00", "@@Gc 01", "@@Ag 05", "@@At 00", "@@Av 00", "@@Aq 03",
                       "@@Ar 01", "@@Ah 00", "@@Aj 00", "@@AB 00", "@@AE 00", "@@Bh 00",
                       "@@Am 00 00 00 00 00", "@@Hb 00", "@@Ba 01", "@@Bk 01"};
    QTest::newRow("10 channels: no position message")
        << int(GpsRxModel::Unknown) << 10 << threeD
        << QStringList{"@@AP 00", "@@Gc 01", "@@Ag 05", "@@At 00", "@@Av 00", "@@Aq 03",
                       "@@Ar 01", "@@Ah 00", "@@Aj 00", "@@AB 00", "@@AE 00", "@@Bh 00",
                       "@@Am 00 00 00 00 00", "@@Hb 00"};
  }
  void oncoreConfiguration()
  {
    QFETCH(int, model);
    QFETCH(int, channels);
    QFETCH(ReceiverModeSettings, settings);
    QFETCH(QStringList, expected);
    CompareSteps(StepTexts(BuildOncoreConfiguration(settings, model, channels)), expected);
  }

  void constellationByte_data()
  {
    QTest::addColumn<quint8>("mask");  // bits in the dialog's order
    QTest::addColumn<quint8>("expected");
    QTest::newRow("GPS + SBAS") << quint8(0x81) << quint8(0x81);
    QTest::newRow("none") << quint8(0x00) << quint8(0x01);
    QTest::newRow("GPS alone") << quint8(0x01) << quint8(0x01);
    QTest::newRow("GLONASS alone") << quint8(0x02) << quint8(0x02);
    QTest::newRow("all six") << quint8(0x9F) << quint8(0x9F);
  }
  void constellationByte()
  {
    QFETCH(quint8, mask);
    QFETCH(quint8, expected);
    ReceiverModeSettings s;
    s.satGps = mask & 0x01;
    s.satGlonass = mask & 0x02;
    s.satGalileo = mask & 0x04;
    s.satBeidou = mask & 0x08;
    s.satQzss = mask & 0x10;
    s.satSbas = mask & 0x80;
    QCOMPARE(OncoreConstellationByte(s), expected);
  }

  // --- T-RAIM ---
  void traimCommand_data()
  {
    QTest::addColumn<int>("channels");
    QTest::addColumn<QString>("expected");
    QTest::newRow("12 channels: output rate alone") << 12 << "@@Hn 01";
    QTest::newRow("9 channels") << 9 << "@@Hn 01";
    QTest::newRow("8 channels") << 8 << "@@En 01 01 01 F4 07 " + FifteenTraimTail;
    QTest::newRow("6 channels") << 6 << "@@Bn 01 01 01 F4 07 " + FifteenTraimTail;
    QTest::newRow("unknown (-1)") << -1 << "@@Bn 01 01 01 F4 07 " + FifteenTraimTail;
  }
  void traimCommand()
  {
    QFETCH(int, channels);
    QFETCH(QString, expected);
    TraimSetup traim;
    traim.outputRate = 1;
    traim.algorithmOn = 1;
    traim.alarmLimit = 500;
    traim.ppsControl = 7;
    QCOMPARE(StepText({SetupStep::Kind::Send, MakeTraimCommand(channels, traim), 0}), expected);
  }

  void traimProbeResetsAllThreeThenAsksOwnGeneration_data()
  {
    QTest::addColumn<int>("channels");
    QTest::addColumn<QString>("probe");
    QTest::newRow("12") << 12 << "wait @@Hn 01";
    QTest::newRow("8") << 8 << "wait @@En 01 00 00 0A 01 " + FifteenTraimTail;
    QTest::newRow("6") << 6 << "wait @@Bn 01 00 00 0A 01 " + FifteenTraimTail;
  }
  void traimProbeResetsAllThreeThenAsksOwnGeneration()
  {
    QFETCH(int, channels);
    QFETCH(QString, probe);
    TraimSetup traim;
    traim.algorithmOn = 1;
    traim.alarmLimit = 3;
    traim.ppsControl = 7;
    const SetupScript script = BuildTraimProbe(channels, &traim);
    CompareSteps(StepTexts(script), {"@@Bn 00 00 00 0A 01 " + FifteenTraimTail,
                                     "@@En 00 00 00 0A 01 " + FifteenTraimTail, "@@Hn 00", probe});
    QCOMPARE(int(traim.outputRate), 1);
    QCOMPARE(int(traim.algorithmOn), 0);
    QCOMPARE(int(traim.alarmLimit), 10);
    QCOMPARE(int(traim.ppsControl), 1);
  }

  // --- Timing ---
  void timingSetup_data()
  {
    QTest::addColumn<uint>("mode");
    QTest::addColumn<int>("model");
    QTest::addColumn<int>("channels");
    QTest::addColumn<bool>("hasTraim");
    QTest::addColumn<double>("offsetUs");
    QTest::addColumn<double>("delayNs");
    QTest::addColumn<double>("traimLimit");
    QTest::addColumn<bool>("killPps");
    QTest::addColumn<bool>("shortPulse");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<bool>("setsOffsets");
    QTest::addColumn<int>("epochMs");
    QTest::addColumn<qint64>("ppsNs");
    QTest::addColumn<qint64>("cableNs");
    QTest::addColumn<int>("alarmLimitAfter");

    const uint bin = GpsModeMotorolaBinary;
    QTest::newRow("M12, 1000000 us: 1PPS offset 0, @@Gc without T-RAIM")
        << bin << int(GpsRxModel::M12) << 12 << false << 1000000.0 << 55.9 << 0.0 << false << false
        << QStringList{"@@Ay 00 00 00 00", "@@Az 00 00 00 37", "@@Gc 01"} << true << 0 << qint64(0)
        << qint64(55) << 10;
    QTest::newRow("VP, 1234.5678 us: epoch 1 ms, 234568 ns, cable awaited")
        << bin << int(GpsRxModel::VP) << 8 << false << 1234.5678 << 55.0 << 0.0 << false << false
        << QStringList{"@@Ax 00 01", "@@Ay 00 03 94 48", "wait @@Az 00 00 00 37"} << true << 1
        << qint64(234568) << qint64(55) << 10;
    QTest::newRow("VP, negative delay in two's complement")
        << bin << int(GpsRxModel::VP) << 8 << false << 999999.0 << -10.7 << 0.0 << false << false
        << QStringList{"@@Ax 03 E7", "@@Ay 00 0F 3E 58", "wait @@Az FF FF FF F6"} << true << 999
        << qint64(999000) << qint64(-10) << 10;
    QTest::newRow("M12 with T-RAIM, 250 ns: @@Hn, limit 2 sent as 3 and kept")
        << bin << int(GpsRxModel::M12) << 12 << true << 1000000.0 << 55.0 << 250.0 << false << false
        << QStringList{"@@Ay 00 00 00 00", "@@Az 00 00 00 37", "@@Hn 01", "@@Gc 01", "@@Ge 01",
                       "@@Gf 00 03"}
        << true << 0 << qint64(0) << qint64(55) << 3;
    QTest::newRow("UT+ with T-RAIM, 250 ns: @@En with limit 2, no G commands")
        << bin << int(GpsRxModel::UTPlus) << 8 << true << 1000000.0 << 55.0 << 250.0 << false << false
        << QStringList{"@@Ay 00 00 00 00", "@@Az 00 00 00 37",
                       "@@En 01 01 00 02 01 " + FifteenTraimTail}
        << true << 0 << qint64(0) << qint64(55) << 2;
    QTest::newRow("M12M with T-RAIM off: algorithm 0, limit 10")
        << bin << int(GpsRxModel::M12M) << 12 << true << 1000000.0 << 0.0 << 0.0 << false << false
        << QStringList{"@@Ay 00 00 00 00", "@@Az 00 00 00 00", "@@Hn 01", "@@Gc 01", "@@Ge 00",
                       "@@Gf 00 0A"}
        << true << 0 << qint64(0) << qint64(0) << 10;
    QTest::newRow("SSR-6Tf, kill 1PPS and short pulse, 5000 ns: control 7, limit 50")
        << bin << int(GpsRxModel::Ssr6Tf) << 12 << true << 1000000.0 << 0.0 << 5000.0 << true << true
        << QStringList{"@@Ay 00 00 00 00", "@@Az 00 00 00 00", "@@Hn 01", "@@Gc 07", "@@Ge 01",
                       "@@Gf 00 32"}
        << true << 0 << qint64(0) << qint64(0) << 50;
    QTest::newRow("SIGNAV, limit above 10000 clamped")
        << bin << int(GpsRxModel::Signav) << 12 << true << 1000000.0 << 0.0 << 2000000.0 << true << false
        << QStringList{"@@Ay 00 00 00 00", "@@Az 00 00 00 00", "@@Hn 01", "@@Gc 03", "@@Ge 01",
                       "@@Gf 27 10"}
        << true << 0 << qint64(0) << qint64(0) << 10000;
    QTest::newRow("VP with T-RAIM, short pulse alone: control 5 in @@En")
        << bin << int(GpsRxModel::VP) << 8 << true << 500.0 << 0.0 << 1000.0 << false << true
        << QStringList{"@@Ax 00 00", "@@Ay 00 07 A1 20", "wait @@Az 00 00 00 00",
                       "@@En 01 01 00 0A 05 " + FifteenTraimTail}
        << true << 0 << qint64(500000) << qint64(0) << 10;
    QTest::newRow("M12M without T-RAIM, kill 1PPS and short pulse: @@Gc 06")
        << bin << int(GpsRxModel::M12M) << 12 << false << 1000000.0 << 0.0 << 100.0 << true << true
        << QStringList{"@@Ay 00 00 00 00", "@@Az 00 00 00 00", "@@Gc 06"} << true << 0 << qint64(0)
        << qint64(0) << 10;
    QTest::newRow("u-blox, 100 PPS, short pulse: CFG-TP5 between pauses")
        << uint(GpsModeUbloxUbx) << int(GpsRxModel::Ublox) << 16 << false << 1000000.0 << 55.0 << 0.0
        << false << true
        << QStringList{"pause 10",
                       "B5 62 06 31 20 00 01 01 00 00 00 00 00 00 64 00 00 00 64 00 00 00 51 F7 01 00 "
                       "51 F7 01 00 37 00 00 00 EF 08 00 00",
                       "pause 10"}
        << false << 0 << qint64(0) << qint64(0) << 10;
    QTest::newRow("u-blox NMEA, 1 PPS, 200 ms, 1234.5678 us: delay less the offset")
        << uint(GpsModeUbloxNmea) << int(GpsRxModel::Ublox) << 16 << false << 1234.5678 << 55.0 << 0.0
        << false << false
        << QStringList{"pause 10",
                       "B5 62 06 31 20 00 01 01 00 00 00 00 00 00 01 00 00 00 01 00 00 00 33 33 33 33 "
                       "33 33 33 33 AF 29 ED FF EF 08 00 00",
                       "pause 10"}
        << false << 0 << qint64(0) << qint64(0) << 10;
    QTest::newRow("Motorola NMEA mode: nothing")
        << uint(GpsModeMotorolaNmea) << int(GpsRxModel::M12) << 12 << true << 1000000.0 << 55.0 << 250.0
        << false << false << QStringList{} << false << 0 << qint64(0) << qint64(0) << 10;
  }
  void timingSetup()
  {
    QFETCH(uint, mode);
    QFETCH(int, model);
    QFETCH(int, channels);
    QFETCH(bool, hasTraim);
    QFETCH(double, offsetUs);
    QFETCH(double, delayNs);
    QFETCH(double, traimLimit);
    QFETCH(bool, killPps);
    QFETCH(bool, shortPulse);
    QFETCH(QStringList, expected);

    TimingSetupInput input;
    input.mode = mode;
    input.model = model;
    input.channels = channels;
    input.hasTraim = hasTraim;
    input.timing.totalPpsOffsetPositive = offsetUs;
    input.timing.totalDelay = delayNs;
    input.timing.traimLimit = traimLimit;
    input.timing.traimConditionedPps = killPps;
    input.ppsRate = mode == GpsModeUbloxUbx ? 1 : 0;
    input.ppsDuration = shortPulse ? 1 : 0;
    input.traim.outputRate = 1;  // as the receiver configuration leaves it
    const TimingSetupPlan plan = BuildTimingSetup(input);

    CompareSteps(StepTexts(plan.script), expected);
    QTEST(plan.setsOffsets, "setsOffsets");
    if (plan.setsOffsets) {
      QTEST(plan.epochOffsetMs, "epochMs");
      QTEST(plan.ppsOffsetNs, "ppsNs");
      QTEST(plan.cableDelayNs, "cableNs");
    }
    QTEST(int(plan.traim.alarmLimit), "alarmLimitAfter");
    QCOMPARE(int(plan.traim.outputRate), 1);  // never touched here
    QCOMPARE(plan.traimSent, hasTraim && !expected.isEmpty());
    const bool ublox = mode == GpsModeUbloxUbx || mode == GpsModeUbloxNmea;
    QCOMPARE(plan.storesPpsRate, ublox);
    if (ublox)
      QCOMPARE(int(plan.ppsRateSent), input.ppsRate);
  }

  // --- Position and time ---
  void referencePosition_data()
  {
    QTest::addColumn<uint>("mode");
    QTest::addColumn<int>("model");
    QTest::addColumn<int>("channels");
    QTest::addColumn<int>("navMode");
    QTest::addColumn<double>("altitude");
    QTest::addColumn<QStringList>("expected");

    // -33.5 deg = F8 CF CA 40 mas, 151.25 deg = 20 74 69 20 mas.
    const QString lat = QStringLiteral("F8 CF CA 40");
    const QString lon = QStringLiteral("20 74 69 20");
    const QString h40 = QStringLiteral("00 00 0F A0 00");
    const uint bin = GpsModeMotorolaBinary;
    QTest::newRow("M12, 0-D: back to 3-D, position, hold position, hold height, 0-D again")
        << bin << int(GpsRxModel::M12) << 12 << 2 << 40.0
        << QStringList{"@@Gd 00", "@@Ga " + lat + " " + lon + " " + h40,
                       "@@As " + lat + " " + lon + " " + h40, "@@Au " + h40, "@@Gd 01"};
    QTest::newRow("M12, 2-D ends in @@Gd 02")
        << bin << int(GpsRxModel::M12) << 12 << 1 << 40.0
        << QStringList{"@@Gd 00", "@@Ga " + lat + " " + lon + " " + h40,
                       "@@As " + lat + " " + lon + " " + h40, "@@Au " + h40, "@@Gd 02"};
    QTest::newRow("M12, 3-D: no @@Gd")
        << bin << int(GpsRxModel::M12) << 12 << 0 << 40.0
        << QStringList{"@@Ga " + lat + " " + lon + " " + h40, "@@As " + lat + " " + lon + " " + h40,
                       "@@Au " + h40};
    QTest::newRow("6-channel VP, 0-D: three position commands, never @@Gd")
        << bin << int(GpsRxModel::VP) << 6 << 2 << 40.0
        << QStringList{"@@Ad " + lat, "@@Ae " + lon, "@@Af " + h40,
                       "@@As " + lat + " " + lon + " " + h40, "@@Au " + h40};
    QTest::newRow("20000 m clamped to 1800000 cm")
        << bin << int(GpsRxModel::UT) << 8 << 0 << 20000.0
        << QStringList{"@@Ad " + lat, "@@Ae " + lon, "@@Af 00 1B 77 40 00",
                       "@@As " + lat + " " + lon + " 00 1B 77 40 00", "@@Au 00 1B 77 40 00"};
    QTest::newRow("-1500 m clamped to -100000 cm")
        << bin << int(GpsRxModel::SsrM8T) << 12 << 0 << -1500.0
        << QStringList{"@@Ga " + lat + " " + lon + " FF FE 79 60 00",
                       "@@As " + lat + " " + lon + " FF FE 79 60 00", "@@Au FF FE 79 60 00"};
    QTest::newRow("u-blox: AID-INI with latitude, longitude, altitude in cm, flags 0x21")
        << uint(GpsModeUbloxUbx) << int(GpsRxModel::Ublox) << 16 << 2 << 40.567
        << QStringList{"B5 62 0B 01 30 00 40 4E 08 EC 20 EB 26 5A D8 0F 00 00 " +
                       QStringList(32, QStringLiteral("00")).join(' ') + " 21 00 00 00"};
    QTest::newRow("Motorola NMEA: nothing")
        << uint(GpsModeMotorolaNmea) << int(GpsRxModel::M12) << 12 << 2 << 40.0 << QStringList{};
  }
  void referencePosition()
  {
    QFETCH(uint, mode);
    QFETCH(int, model);
    QFETCH(int, channels);
    QFETCH(int, navMode);
    QFETCH(double, altitude);
    QFETCH(QStringList, expected);
    const ReferencePosition site{-33.5, 151.25, altitude};
    CompareSteps(StepTexts(BuildReferencePosition(mode, site, navMode, model, channels)), expected);
  }

  void oncoreFieldEncodings()
  {
    QCOMPARE(Hex(OncoreAngle(-33.5)), QStringLiteral("F8 CF CA 40"));
    QCOMPARE(Hex(OncoreAngle(0.0000001)), QStringLiteral("00 00 00 00"));  // truncated
    QCOMPARE(Hex(OncoreAngle(-0.0000003)), QStringLiteral("FF FF FF FF"));  // -1.08 mas -> -1
    QCOMPARE(Hex(OncoreHeight(12.349)), QStringLiteral("00 00 04 D2"));
    QCOMPARE(Hex(OncoreHeight(std::numeric_limits<double>::quiet_NaN())), QStringLiteral("00 00 00 00"));
    QCOMPARE(TruncatedInt32(1e300), std::numeric_limits<qint32>::max());
    QCOMPARE(TruncatedInt32(-1e300), std::numeric_limits<qint32>::min());
    QCOMPARE(TruncatedInt32(-2.9), -2);
  }

  void dateTime_data()
  {
    QTest::addColumn<uint>("mode");
    QTest::addColumn<int>("model");
    QTest::addColumn<bool>("localTime");
    QTest::addColumn<int>("offsetMinutes");
    QTest::addColumn<QStringList>("expected");
    const uint bin = GpsModeMotorolaBinary;
    QTest::newRow("M12, local time off") << bin << int(GpsRxModel::M12) << false << 60
                                         << QStringList{"@@Aw 01", "@@Gb 01 05 07 EA 17 3B 3B 00 00 00"};
    QTest::newRow("M12, UTC+01:00") << bin << int(GpsRxModel::M12) << true << 60
                                    << QStringList{"@@Aw 01", "@@Gb 01 05 07 EA 17 3B 3B 00 01 00"};
    QTest::newRow("M12, UTC-05:00") << bin << int(GpsRxModel::M12) << true << -300
                                    << QStringList{"@@Aw 01", "@@Gb 01 05 07 EA 17 3B 3B FF 05 00"};
    QTest::newRow("M12, UTC+05:30") << bin << int(GpsRxModel::M12) << true << 330
                                    << QStringList{"@@Aw 01", "@@Gb 01 05 07 EA 17 3B 3B 00 05 1E"};
    QTest::newRow("M12, UTC-09:30") << bin << int(GpsRxModel::M12) << true << -570
                                    << QStringList{"@@Aw 01", "@@Gb 01 05 07 EA 17 3B 3B FF 09 1E"};
    QTest::newRow("M12, local time at UTC itself") << bin << int(GpsRxModel::M12) << true << 0
                                                   << QStringList{"@@Aw 01", "@@Gb 01 05 07 EA 17 3B 3B 00 00 00"};
    QTest::newRow("UT+, UTC-05:00: time, correction, date")
        << bin << int(GpsRxModel::UTPlus) << true << -300
        << QStringList{"@@Aw 01", "@@Aa 17 3B 3B", "@@Ab FF 05 00", "@@Ac 01 05 07 EA"};
    QTest::newRow("u-blox NMEA mode: time aid")
        << uint(GpsModeUbloxNmea) << int(GpsRxModel::Ublox) << true << 60
        << QStringList{"B5 62 0B 01 30 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 "
                       "60 09 68 FA 4C 0A 00 00 00 00 E8 03 00 00 00 00 00 00 00 00 00 00 00 00 "
                       "00 00 02 00 00 00"};
    QTest::newRow("generic NMEA: nothing") << uint(GpsModeGenericNmea) << int(GpsRxModel::M12) << false << 0
                                           << QStringList{};
  }
  void dateTime()
  {
    QFETCH(uint, mode);
    QFETCH(int, model);
    QFETCH(bool, localTime);
    QFETCH(int, offsetMinutes);
    QFETCH(QStringList, expected);
    DateTimeSetupInput input;
    input.mode = mode;
    input.nowUtc = QDateTime(QDate(2026, 1, 5), QTime(23, 59, 59), Qt::UTC);
    input.model = model;
    input.rxOnLocalTime = localTime;
    input.localOffsetMinutes = offsetMinutes;
    input.leapSeconds = 18;
    CompareSteps(StepTexts(BuildCurrentDateTime(input)), expected);
  }

  // GPS week and time of week: UTC plus the leap seconds, 18 when unknown.
  void ubloxTimeAid_data()
  {
    QTest::addColumn<QDateTime>("utc");
    QTest::addColumn<int>("leapSeconds");
    QTest::addColumn<int>("week");
    QTest::addColumn<quint32>("towMs");
    const QDateTime epoch(QDate(1980, 1, 6), QTime(0, 0), Qt::UTC);
    QTest::newRow("epoch + 1 week + 1 s, leap unknown") << epoch.addSecs(604801) << 0 << 1 << quint32(19000);
    QTest::newRow("epoch + 1 week + 1 s, 17 leap seconds") << epoch.addSecs(604801) << 17 << 1 << quint32(18000);
    QTest::newRow("end of a week rolls into the next")
        << epoch.addSecs(2 * 604800 - 10) << 18 << 2 << quint32(8000);
    QTest::newRow("2026-01-05 23:59:59") << QDateTime(QDate(2026, 1, 5), QTime(23, 59, 59), Qt::UTC) << 18
                                         << 2400 << quint32(172817000);
    QTest::newRow("PC clock before 1980: the epoch") << QDateTime(QDate(1970, 1, 1), QTime(0, 0), Qt::UTC) << 18
                                                     << 0 << quint32(0);
  }
  void ubloxTimeAid()
  {
    QFETCH(QDateTime, utc);
    QFETCH(int, leapSeconds);
    QFETCH(int, week);
    QFETCH(quint32, towMs);
    const QByteArray frame = UbxTimeAidFrame(utc, leapSeconds);
    QCOMPARE(frame.size(), 6 + 48);
    const QByteArray payload = frame.mid(6);
    QCOMPARE(payload.left(18), QByteArray(18, '\0'));
    QCOMPARE(qFromLittleEndian<quint16>(payload.constData() + 18), quint16(week));
    QCOMPARE(qFromLittleEndian<quint32>(payload.constData() + 20), towMs);
    QCOMPARE(Hex(payload.mid(24)), QStringLiteral("00 00 00 00 E8 03 00 00 00 00 00 00 00 00 00 00 "
                                                  "00 00 00 00 02 00 00 00"));
  }

  // --- u-blox configuration frames ---
  void ubloxNavigation_data()
  {
    QTest::addColumn<int>("applicationType");
    QTest::addColumn<int>("elevationMask");
    QTest::addColumn<int>("dynamicModel");
    QTest::addColumn<int>("minElevation");
    QTest::newRow("Air") << 0 << 5 << 8 << 5;
    QTest::newRow("Handheld") << 1 << 5 << 3 << 5;
    QTest::newRow("Land") << 2 << 5 << 0 << 5;
    QTest::newRow("Marine") << 3 << 5 << 5 << 5;
    QTest::newRow("Static, mask 0") << 4 << 0 << 2 << 0;
    QTest::newRow("out of range type, negative mask") << 9 << -3 << 0 << 0;
  }
  void ubloxNavigation()
  {
    QFETCH(int, applicationType);
    QFETCH(int, elevationMask);
    ReceiverModeSettings s;
    s.applicationType = applicationType;
    s.elevationMask = elevationMask;
    const QByteArray frame = UbxNavigationFrame(s);
    QCOMPARE(Hex(frame.left(8)), QStringLiteral("B5 62 06 24 24 00 07 00"));
    QCOMPARE(int(frame[9]), 3);  // fix mode: automatic 2-D / 3-D
    QTEST(int(quint8(frame[8])), "dynamicModel");
    QTEST(int(quint8(frame[6 + 12])), "minElevation");
    QCOMPARE(frame.mid(10, 8), QByteArray(8, '\0'));   // fixed altitude and its variance
    QCOMPARE(frame.mid(19), QByteArray(23, '\0'));
    QCOMPARE(frame.size(), 6 + 36);
  }

  void ecef_data()
  {
    QTest::addColumn<double>("latitude");
    QTest::addColumn<double>("longitude");
    QTest::addColumn<double>("height");
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    QTest::addColumn<int>("z");
    QTest::newRow("0 N 0 E 0 m") << 0.0 << 0.0 << 0.0 << 637813700 << 0 << 0;
    QTest::newRow("north pole") << 90.0 << 0.0 << 0.0 << 0 << 0 << 635675231;
    QTest::newRow("48 N 11.5 E 520.25 m") << 48.0 << 11.5 << 520.25 << 419022263 << 85251042 << 471726295;
    QTest::newRow("33.5 S 151.25 E 40 m") << -33.5 << 151.25 << 40.0 << -466778349 << 256083371 << -350035636;
  }
  void ecef()
  {
    QFETCH(double, latitude);
    QFETCH(double, longitude);
    QFETCH(double, height);
    const EcefCentimetres cm = ToEcefCentimetres({latitude, longitude, height});
    QTEST(int(cm.x), "x");
    QTEST(int(cm.y), "y");
    QTEST(int(cm.z), "z");
  }

  void ubloxTimeMode_data()
  {
    QTest::addColumn<int>("navMode");
    QTest::addColumn<QStringList>("expected");
    const QString zeros = QStringList(28, QStringLiteral("00")).join(' ');
    QTest::newRow("3-D: both disabled") << 0 << QStringList{"B5 62 06 1D 1C 00 " + zeros, "B5 62 06 3D 1C 00 " + zeros};
    QTest::newRow("2-D: both disabled, never fixed at the earth's centre")
        << 1 << QStringList{"B5 62 06 1D 1C 00 " + zeros, "B5 62 06 3D 1C 00 " + zeros};
    QTest::newRow("0-D: fixed at the reference in ECEF cm")
        << 2
        << QStringList{"B5 62 06 1D 1C 00 02 00 00 00 C4 43 04 26 00 00 00 00 00 00 00 00 02 00 00 00 "
                       "00 00 00 00 00 00 00 00",
                       "B5 62 06 3D 1C 00 02 00 00 00 C4 43 04 26 00 00 00 00 00 00 00 00 02 00 00 00 "
                       "00 00 00 00 00 00 00 00"};
    QTest::newRow("other value: none") << 3 << QStringList{};
  }
  void ubloxTimeMode()
  {
    QFETCH(int, navMode);
    QFETCH(QStringList, expected);
    QStringList frames;
    for (const QByteArray &frame : UbxTimeModeFrames(navMode, {0.0, 0.0, 0.0}))
      frames << Hex(frame);
    QCOMPARE(frames, expected);
  }

  void ubloxGnss()
  {
    ReceiverModeSettings s;
    s.satGps = true;
    s.satSbas = true;
    s.satGalileo = true;
    QCOMPARE(Hex(UbxGnssFrame(s)),
             QStringLiteral("B5 62 06 3E 3C 00 00 00 20 07 "
                            "00 08 10 00 01 00 01 01 "
                            "01 01 03 00 01 00 01 01 "
                            "02 00 10 00 01 00 01 01 "
                            "03 08 10 00 00 00 01 01 "
                            "04 00 10 00 00 00 01 01 "
                            "05 00 03 00 00 00 01 01 "
                            "06 08 0E 00 00 00 01 01"));
  }

  void ubloxSaveAndResetFrames()
  {
    QCOMPARE(Hex(UbxSaveSetupFrame()), QStringLiteral("B5 62 06 09 0C 00 00 00 00 00 0B 04 00 00 00 00 00 00"));
    const QList<QByteArray> closing = UbxClosingFrames();
    QCOMPARE(closing.size(), 2);
    QCOMPARE(Hex(closing[0]), QStringLiteral("B5 62 06 09 0D 00 00 00 00 00 FF FF 00 00 00 00 00 00 03"));
    QCOMPARE(Hex(closing[1]), QStringLiteral("B5 62 06 04 04 00 00 00 00 00"));
  }

  // The command layer completes the frames built here with the checksums
  // the receivers check.
  void completedCommands_data()
  {
    QTest::addColumn<QByteArray>("bare");
    QTest::addColumn<QString>("completed");
    QTest::newRow("@@Gd 01") << QByteArray::fromHex("4040476401") << "40 40 47 64 01 22";
    QTest::newRow("@@Sc 81") << QByteArray::fromHex("4040536381") << "40 40 53 63 81 B1";
    QTest::newRow("CFG-RST") << UbxClosingFrames().at(1) << "B5 62 06 04 04 00 00 00 00 00 0E 64";
    QTest::newRow("CFG-CFG 0x40B") << UbxSaveSetupFrame()
                                   << "B5 62 06 09 0C 00 00 00 00 00 0B 04 00 00 00 00 00 00 2A 03";
  }
  void completedCommands()
  {
    QFETCH(QByteArray, bare);
    QFETCH(QString, completed);
    CompleteCommand(bare);
    QCOMPARE(Hex(bare), completed);
  }

  void suffixes()
  {
    const QString pvt6 = QLatin1String(Pvt6ModeSuffix);
    QCOMPARE(WithSuffixOnce(QStringLiteral("Motorola VP, Bin"), pvt6), QStringLiteral("Motorola VP, Bin, PVT6 Mode"));
    QCOMPARE(WithSuffixOnce(QStringLiteral("Motorola VP, Bin, PVT6 Mode"), pvt6),
             QStringLiteral("Motorola VP, Bin, PVT6 Mode"));
    QCOMPARE(WithSuffixOnce(QStringLiteral("A, PVT6 Mode, Local Time Mode"), pvt6),
             QStringLiteral("A, Local Time Mode, PVT6 Mode"));
    QCOMPARE(WithoutSuffix(QStringLiteral("A, PVT6 Mode, B, PVT6 Mode, pvt6 mode"), pvt6),
             QStringLiteral("A, B, pvt6 mode"));
  }
};

RIDUDER_TEST_MAIN(ReceiverSetupTest)
#include "tst_receiversetup.moc"
