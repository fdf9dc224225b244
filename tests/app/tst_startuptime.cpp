#include "TestMain.h"

#include "ScriptedReceivers.h"
#include "WindowOnSimulator.h"
#include "app/MainWindow.h"
#include "core/GpsMode.h"
#include "receiver/link/GpsPortSettings.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QSettings>

#include <memory>

using namespace riduder::test;

// How long the start-up takes, per receiver family, from the first probe to
// a set-up receiver, with the program's real pauses and time-outs. Runs
// only with RIDUDER_STARTUP_TIME=1 (scripts/startup-time); a scale below 1
// in RIDUDER_STARTUP_SCALE shrinks the waits, and the program time stays
// the figure to read.
class StartupTimeTest : public QObject {
  Q_OBJECT

private slots:
  void initTestCase()
  {
    if (qEnvironmentVariableIntValue("RIDUDER_STARTUP_TIME") != 1)
      QSKIP("Start-up timing runs from scripts/startup-time");
  }

  void startUp_data()
  {
    QTest::addColumn<ReceiverFamily>("family");
    QTest::addColumn<int>("receiverRate");
    QTest::addColumn<quint32>("storedMode");
    QTest::addColumn<int>("storedRate");

    const struct {
      const char *name;
      ReceiverFamily family;
      int rate;
      quint32 mode;
    } direct[] = {
        {"Oncore 6 ch", ReceiverFamily::Oncore6, 9600, GpsModeMotorolaBinary},
        {"Oncore 8 ch", ReceiverFamily::Oncore8, 9600, GpsModeMotorolaBinary},
        {"Oncore 12 ch", ReceiverFamily::Oncore12, 9600, GpsModeMotorolaBinary},
        {"Synergy binary", ReceiverFamily::Synergy, 9600, GpsModeMotorolaBinary},
        {"Motorola NMEA", ReceiverFamily::MotorolaNmea, 4800, GpsModeMotorolaNmea},
        {"generic NMEA", ReceiverFamily::GenericNmea, 4800, GpsModeGenericNmea},
        {"u-blox UBX", ReceiverFamily::Ublox, 9600, GpsModeUbloxUbx},
        {"u-blox NMEA", ReceiverFamily::Ublox, 9600, GpsModeUbloxNmea},
    };
    for (const auto &row : direct)
      QTest::newRow(qPrintable(QStringLiteral("%1, stored mode and rate").arg(QLatin1String(row.name))))
          << row.family << row.rate << row.mode << row.rate;

    const struct {
      const char *name;
      ReceiverFamily family;
      int rate;
    } searched[] = {
        {"Oncore 6 ch", ReceiverFamily::Oncore6, 9600},
        {"Oncore 8 ch", ReceiverFamily::Oncore8, 9600},
        {"Oncore 12 ch", ReceiverFamily::Oncore12, 9600},
        {"Synergy binary", ReceiverFamily::Synergy, 9600},
        {"Motorola NMEA", ReceiverFamily::MotorolaNmea, 4800},
        {"LORAN", ReceiverFamily::Loran, 1200},
        {"u-blox", ReceiverFamily::Ublox, 9600},
    };
    for (const auto &row : searched)
      QTest::newRow(qPrintable(QStringLiteral("%1, Search from 19200").arg(QLatin1String(row.name))))
          << row.family << row.rate << quint32(GpsModeSearch) << 19200;
  }

  void startUp()
  {
    QFETCH(ReceiverFamily, family);
    QFETCH(int, receiverRate);
    QFETCH(quint32, storedMode);
    QFETCH(int, storedRate);

    QSettings().setValue(GpsPortKeys::DoNotInitialize, false);
    auto options = WindowOnSimulator::Options::WithoutPps(storedMode, storedRate);
    options.showRawData = false;
    WindowOnSimulator rig(options);
    QVERIFY2(rig.Problem().isEmpty(), qPrintable(rig.Problem()));
    const QByteArray scale = qgetenv("RIDUDER_STARTUP_SCALE");
    rig.Window().Timing().SetScale(scale.isEmpty() ? 1.0 : scale.toDouble());
    LastGpsBaud = 0;
    ScriptedReceiver receiver(rig.Simulator(), family, receiverRate);

    QElapsedTimer clock;
    clock.start();
    const qint64 programBefore = rig.Window().Timing().NowMs();
    rig.Window().DetectGpsReceiver();
    const qint64 realMs = clock.elapsed();
    const qint64 programMs = rig.Window().Timing().NowMs() - programBefore;

    QVERIFY2(rig.Boxes().shown.isEmpty(), "the receiver was not found");
    qInfo().noquote() << QStringLiteral("STARTUP %1 | program %2 s | real %3 s | %4")
                             .arg(QString::fromLatin1(QTest::currentDataTag()), -42)
                             .arg(programMs / 1000.0, 6, 'f', 1)
                             .arg(realMs / 1000.0, 6, 'f', 1)
                             .arg(rig.Window().ReceiverStatusLabel()->text());
  }
};

RIDUDER_TEST_MAIN(StartupTimeTest)
#include "tst_startuptime.moc"
