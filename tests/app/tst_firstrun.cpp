#include "TestMain.h"

#include "FrameBuilders.h"
#include "ScriptedReceivers.h"
#include "UbxMessageBuilder.h"
#include "WindowOnSimulator.h"
#include "app/MainWindow.h"
#include "core/GpsMode.h"
#include "position/GpsNavDialog.h"
#include "receiver/link/GpsPortSettings.h"

#include <QSettings>

#include <memory>

// A new user's first runs: the receiver set-up on a fresh settings store
// (which satellite systems it asks for, which position it hands over), and
// the position averages across set-ups and restarts. The window runs over a
// scripted receiver on the simulator, found by the start-up detection.

using namespace riduder::test;

namespace {

// Real milliseconds per program millisecond of the command clock.
constexpr double Scale = 0.004;

const char SatKeys[][24] = {"GpsRxDialog/Sat Gps",    "GpsRxDialog/Sat Glonass", "GpsRxDialog/Sat Galileo",
                            "GpsRxDialog/Sat Beidou", "GpsRxDialog/Sat Qzss",    "GpsRxDialog/Sat Sbas"};
const char *const ContinueKey = "GpsNavDialog/Averaging Data/Restart Averages On Startup";

// The program started with a receiver on its port: the window, then the
// start-up detection.
struct Run {
  Run(quint32 storedMode, ReceiverFamily family, int rate = 9600)
  {
    rig = std::make_unique<WindowOnSimulator>(WindowOnSimulator::Options::WithoutPps(storedMode, rate));
    rig->Window().Timing().SetScale(Scale);
    receiver = std::make_unique<ScriptedReceiver>(rig->Simulator(), family, rate);
  }

  // Finds and sets up the receiver, as at start-up and after a port change;
  // what it heard is that set-up's alone.
  bool Detect()
  {
    receiver->ClearHeard();
    rig->Window().DetectGpsReceiver();
    return rig->Boxes().shown.isEmpty();
  }

  GpsNavDialog &Nav() { return *rig->Window().findChild<GpsNavDialog *>(); }

  QList<QByteArray> HeardWithId(const QByteArray &start) const
  {
    QList<QByteArray> found;
    for (const QByteArray &message : receiver->Heard())
      if (message.startsWith(start))
        found << message;
    return found;
  }

  std::unique_ptr<WindowOnSimulator> rig;
  std::unique_ptr<ScriptedReceiver> receiver;
};

QList<bool> StoredConstellations()
{
  QList<bool> stored;
  for (const char *key : SatKeys)
    stored << QSettings().value(QLatin1String(key)).toBool();
  return stored;
}

QByteArray Hex(const char *spaced) { return QByteArray::fromHex(QByteArray(spaced).replace(' ', "")); }

// One receiver epoch over u-blox: a 3-D fix with six satellites in use, the
// time (which locks the averaging), then the position.
QByteArray UbloxEpoch(int second, double latitude, double longitude, double height)
{
  constexpr quint8 Nav = 0x01;
  QByteArray epoch = UbxMessageBuilder(Nav, 0x03, 16).U1(4, 3).Frame();
  UbxMessageBuilder svinfo(Nav, 0x30, 8 + 12 * 6);
  svinfo.U1(4, 6);
  for (int k = 0; k < 6; ++k)
    svinfo.U1(8 + 12 * k, k).U1(9 + 12 * k, 2 + k).U1(10 + 12 * k, 0x01).U1(12 + 12 * k, 40).I1(13 + 12 * k, 30 + k);
  epoch += svinfo.Frame();
  epoch += UbxMessageBuilder(Nav, 0x21, 20)
               .U2(12, 2026)
               .U1(14, 3)
               .U1(15, 4)
               .U1(16, 10)
               .U1(17, 0)
               .U1(18, quint8(second))
               .U1(19, 0x07)
               .Frame();
  epoch += UbxMessageBuilder(Nav, 0x02, 28)
               .I4(4, qint32(longitude * 1e7))
               .I4(8, qint32(latitude * 1e7))
               .I4(12, qint32(height * 1000))
               .I4(16, qint32((height - 45.0) * 1000))
               .Frame();
  return epoch;
}

void CompareNear(const GeoPosition &actual, const GeoPosition &expected)
{
  QVERIFY(qAbs(actual.latitude - expected.latitude) < 1e-12);
  QVERIFY(qAbs(actual.longitude - expected.longitude) < 1e-12);
  QVERIFY(qAbs(actual.gpsAltitude - expected.gpsAltitude) < 1e-9);
  QVERIFY(qAbs(actual.mslAltitude - expected.mslAltitude) < 1e-9);
}

}  // namespace

Q_DECLARE_METATYPE(ReceiverFamily)

class FirstRunTest : public QObject {
  Q_OBJECT

private slots:
  void init() { QSettings().clear(); }

  // The u-blox set-up asks for GPS at least: a fresh store, and a stored
  // set with none of GPS, GLONASS, Galileo and Beidou, get the receiver
  // mode dialog's own rule, and the repaired set is stored.
  void ubloxSetUpTracksASatelliteSystem_data()
  {
    QTest::addColumn<QList<bool>>("stored");  // empty: a fresh store
    QTest::addColumn<QByteArray>("enables");  // GPS, SBAS, Galileo, BeiDou, QZSS, GLONASS
    QTest::addColumn<QList<bool>>("storedAfter");

    QTest::newRow("fresh store") << QList<bool>{} << Hex("01 00 00 00 00 00")
                                 << QList<bool>{true, false, false, false, false, false};
    QTest::newRow("all six off") << QList<bool>{false, false, false, false, false, false} << Hex("01 00 00 00 00 00")
                                 << QList<bool>{true, false, false, false, false, false};
    // QZSS needs GPS that the user chose: it goes, SBAS stays.
    QTest::newRow("QZSS and SBAS only") << QList<bool>{false, false, false, false, true, true}
                                        << Hex("01 01 00 00 00 00")
                                        << QList<bool>{true, false, false, false, false, true};
    QTest::newRow("Galileo alone stays") << QList<bool>{false, false, true, false, false, false}
                                         << Hex("00 00 01 00 00 00")
                                         << QList<bool>{false, false, true, false, false, false};
  }
  void ubloxSetUpTracksASatelliteSystem()
  {
    QFETCH(QList<bool>, stored);
    QFETCH(QByteArray, enables);
    QFETCH(QList<bool>, storedAfter);
    for (int i = 0; i < stored.size(); ++i)
      QSettings().setValue(QLatin1String(SatKeys[i]), stored[i]);

    Run run(GpsModeUbloxUbx, ReceiverFamily::Ublox);
    QVERIFY2(run.rig->Problem().isEmpty(), qPrintable(run.rig->Problem()));
    QVERIFY(run.Detect());

    // gnssId, reserved and maximum channels, then the flags with the enable
    // byte first.
    const char *const blocks[] = {"00 08 10 00", "01 01 03 00", "02 00 10 00", "03 08 10 00", "05 00 03 00",
                                  "06 08 0E 00"};
    QByteArray payload = Hex("00 00 20 07");
    for (int i = 0; i < 6; ++i) {
      if (i == 4)
        payload += Hex("04 00 10 00 00 00 01 01");  // IMES, never on
      payload += Hex(blocks[i]) + enables.mid(i, 1) + Hex("00 01 01");
    }
    const QList<QByteArray> gnss = run.HeardWithId(Hex("B5 62 06 3E"));
    QCOMPARE(gnss.size(), 1);
    QCOMPARE(gnss.first().toHex(' '), BuildUbxFrame(0x06, 0x3E, payload).toHex(' '));
    QCOMPARE(StoredConstellations(), storedAfter);
  }

  // No reference position leaves for the receiver until the user has stored
  // one; then it goes at every set-up, byte for byte.
  void referencePositionOnlyOnceStored_data()
  {
    QTest::addColumn<quint32>("mode");
    QTest::addColumn<ReceiverFamily>("family");
    QTest::addColumn<QList<QByteArray>>("positionCommands");

    // 33.5 S, 151.25 E, 20000 m: the height at its upper bound.
    const QByteArray position = Hex("F8 CF CA 40 20 74 69 20 00 1B 77 40 00");
    QTest::newRow("Oncore M12+")
        << quint32(GpsModeMotorolaBinary) << ReceiverFamily::Oncore12
        << QList<QByteArray>{BuildOncoreWire("Ga", position).chopped(2), BuildOncoreWire("As", position).chopped(2),
                             BuildOncoreWire("Au", Hex("00 1B 77 40 00")).chopped(2)};
    QTest::newRow("u-blox")
        << quint32(GpsModeUbloxUbx) << ReceiverFamily::Ublox
        << QList<QByteArray>{BuildUbxFrame(0x0B, 0x01, Hex("40 4E 08 EC 20 EB 26 5A 80 84 1E 00") +
                                                           QByteArray(32, '\0') + Hex("21 00 00 00"))};
  }
  void referencePositionOnlyOnceStored()
  {
    QFETCH(quint32, mode);
    QFETCH(ReceiverFamily, family);
    QFETCH(QList<QByteArray>, positionCommands);
    const QList<QByteArray> oncorePosition{"@@Ga", "@@Ad", "@@Ae", "@@Af", "@@As", "@@Au"};
    // The time aid is an AID-INI too; only the position one has position flags.
    const auto positionsHeard = [&](const Run &run) {
      QList<QByteArray> heard;
      for (const QByteArray &message : run.receiver->Heard()) {
        const bool aidWithPosition = message.startsWith(Hex("B5 62 0B 01")) && message.size() == 56 &&
                                     message.mid(6 + 44, 4) == Hex("21 00 00 00");
        if (aidWithPosition || oncorePosition.contains(message.left(4)))
          heard << message;
      }
      return heard;
    };

    Run run(mode, family);
    QVERIFY2(run.rig->Problem().isEmpty(), qPrintable(run.rig->Problem()));
    QVERIFY(run.Detect());
    QVERIFY(run.receiver->HeardNames().contains(QStringLiteral("@@Cj")) ||
            run.receiver->HeardNames().contains(QStringLiteral("UBX-0A-04")));
    QCOMPARE(positionsHeard(run), QList<QByteArray>());
    // The default site is shown all the same.
    QCOMPARE(run.Nav().Averages().ReferenceLocation().latitude,
             PositionAverages::DefaultReferenceLocation().latitude);

    run.Nav().SetReferenceLocation(-33.5, 151.25, 20000.0, 19980.0);
    QVERIFY(run.Detect());
    QCOMPARE(positionsHeard(run), positionCommands);

    // Switched off at start, nothing goes even with a stored location.
    run.Nav().Averages().SetReferenceLocationOnStart(false);
    QVERIFY(run.Detect());
    QCOMPARE(positionsHeard(run), QList<QByteArray>());
  }

  // Averages gathered in a run stay through a new receiver set-up, are
  // written at shut-down and come back at the next start when the user
  // continues on program restart; otherwise that start begins afresh.
  void averagesAcrossSetUpAndRestart_data()
  {
    QTest::addColumn<bool>("continuing");
    QTest::newRow("continue on program restart") << true;
    QTest::newRow("restart afresh") << false;
  }
  void averagesAcrossSetUpAndRestart()
  {
    QFETCH(bool, continuing);
    QSettings().setValue(QLatin1String(ContinueKey), continuing);

    GeoPosition averages;
    double counter = 0.0;
    {
      Run run(GpsModeUbloxUbx, ReceiverFamily::Ublox);
      QVERIFY2(run.rig->Problem().isEmpty(), qPrintable(run.rig->Problem()));
      QVERIFY(run.Detect());
      for (int i = 0; i < 5; ++i)
        QVERIFY(run.rig->Feed(UbloxEpoch(i, 51.5 + 0.0001 * i, -0.1 - 0.0002 * i, 90.0 + i)));
      const PositionAverages &engine = run.Nav().Averages();
      QVERIFY(engine.Locked());
      averages = engine.Averages();
      counter = engine.PositionCounter();
      QCOMPARE(counter, 6.0);  // the first fix starts the averages, four more follow
      QVERIFY(averages.latitude > 51.5 && averages.latitude < 51.5004);

      QVERIFY(run.Detect());
      QCOMPARE(engine.Averages().latitude, averages.latitude);
      QCOMPARE(engine.Averages().longitude, averages.longitude);
      QCOMPARE(engine.Averages().gpsAltitude, averages.gpsAltitude);
      QCOMPARE(engine.PositionCounter(), counter);
      QCOMPARE(engine.AltitudeCounter(), counter);
      QVERIFY(!engine.ResetPending());
    }  // shut-down

    Run next(GpsModeUbloxUbx, ReceiverFamily::Ublox);
    QVERIFY2(next.rig->Problem().isEmpty(), qPrintable(next.rig->Problem()));
    QVERIFY(next.Detect());
    const PositionAverages &engine = next.Nav().Averages();
    if (continuing) {
      CompareNear(engine.Averages(), averages);
      QCOMPARE(engine.PositionCounter(), counter);
      QVERIFY(!engine.ResetPending());
    } else {
      QCOMPARE(engine.PositionCounter(), 1.0);
      QVERIFY(engine.ResetPending());
      QCOMPARE(engine.Averages().latitude, 0.0);
    }
  }
};

RIDUDER_TEST_MAIN(FirstRunTest)
#include "tst_firstrun.moc"
