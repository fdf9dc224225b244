#include "TestMain.h"

#include "FrameBuilders.h"
#include "WindowOnSimulator.h"
#include "app/MainWindow.h"
#include "core/GpsMode.h"

#include <QElapsedTimer>
#include <QLabel>

using namespace riduder::test;

namespace {

// NAV-STATUS with a 3-D fix: the window shows "Navigating" on green.
QByteArray NavStatus3d()
{
  QByteArray payload(16, '\0');
  payload[4] = 3;
  return BuildUbxFrame(0x01, 0x03, payload);
}

// NAV-CLOCK: a message that says nothing of the navigation status.
QByteArray NavClock()
{
  return BuildUbxFrame(0x01, 0x22, QByteArray(20, '\0'));
}

const QString NoDataLine = QStringLiteral("No data from the GPS receiver for 5 seconds.");

}  // namespace

// A receiver that stops talking while its port stays open must not look
// healthy: after 5 s without a message "No Data" on red, and a line in the
// raw-data window; its next message brings back its own status. A set-up
// or search that runs waits for answers of its own and is left alone.
class ReceiverSilenceTest : public QObject {
  Q_OBJECT

private slots:
  void aSilentReceiverShowsNoDataUntilItsNextMessage()
  {
    WindowOnSimulator rig(WindowOnSimulator::Options::WithoutPps(GpsModeUbloxUbx, 9600));
    QVERIFY2(rig.Problem().isEmpty(), qPrintable(rig.Problem()));
    QLabel *nav = rig.NavLabel();
    QVERIFY(rig.Feed(NavStatus3d()));
    QCOMPARE(nav->text(), QStringLiteral("Navigating"));

    // While a set-up runs, silence is not told.
    rig.SetSetupGateOpen(false);
    QTest::qWait(5500);
    QCOMPARE(nav->text(), QStringLiteral("Navigating"));
    QVERIFY(!rig.RawDataLines().contains(NoDataLine));

    // The simulator says nothing more.
    QElapsedTimer quiet;
    quiet.start();
    rig.SetSetupGateOpen(true);
    QTRY_COMPARE_WITH_TIMEOUT(nav->text(), QStringLiteral("No Data"), 8000);
    QVERIFY2(quiet.elapsed() >= 4900 && quiet.elapsed() <= 6000, qPrintable(QString::number(quiet.elapsed())));
    QVERIFY(nav->styleSheet().contains(QLatin1String("background-color:red")));
    QCOMPARE(rig.RawDataLines().count(NoDataLine), 1);
    QTest::qWait(500);
    QCOMPARE(rig.RawDataLines().count(NoDataLine), 1);  // said once

    // Resumed: one message, and the receiver's own status is back.
    QVERIFY(rig.Feed(NavClock()));
    QCOMPARE(nav->text(), QStringLiteral("Navigating"));
    QVERIFY(nav->styleSheet().contains(QLatin1String("background-color:green")));
  }
};

RIDUDER_TEST_MAIN(ReceiverSilenceTest)
#include "tst_receiversilence.moc"
