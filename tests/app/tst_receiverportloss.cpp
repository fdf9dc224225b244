#include "TestMain.h"

#include "FrameBuilders.h"
#include "ModalDialogs.h"
#include "ScriptedReceivers.h"
#include "WindowOnSimulator.h"
#include "app/MainWindow.h"
#include "core/GpsMode.h"
#include "platform/SerialPortErrors.h"
#include "receiver/link/GpsSerialPortThread.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>

using namespace riduder::test;
using riduder::sim::ReceiverSimulator;

namespace {

// NAV-STATUS with a 3-D fix: the window shows "Navigating" on green.
QByteArray NavStatus3d()
{
  QByteArray payload(16, '\0');
  payload[4] = 3;
  return BuildUbxFrame(0x01, 0x03, payload);
}

bool ShowsLine(WindowOnSimulator &rig, const QString &text)
{
  for (const QString &line : rig.RawDataLines())
    if (line.contains(text))
      return true;
  return false;
}

}  // namespace

// A receiver that vanishes (unplugged, the simulator killed) must not leave
// a display that looks live; when it is back, the port dialog's OK takes it
// into use again and the notice goes.
class ReceiverPortLossTest : public QObject {
  Q_OBJECT

private slots:
  void vanishedReceiverIsShownUntilThePortIsOpenAgain()
  {
    auto options = WindowOnSimulator::Options::WithoutPps(GpsModeUbloxUbx, 9600);
    options.commandTimeScale = 0.004;
    WindowOnSimulator rig(options);
    QVERIFY2(rig.Problem().isEmpty(), qPrintable(rig.Problem()));
    MainWindow &window = rig.Window();
    QLabel *lost = window.ReceiverPortLostLabel();
    QVERIFY(lost->isHidden());

    QVERIFY(rig.Feed(NavStatus3d()));
    QCOMPARE(rig.NavLabel()->text(), QStringLiteral("Navigating"));

    const QString device = rig.Simulator().slavePath();
    // The hang-up is told as soon as the line reports it; the wait only
    // bounds a test that would otherwise hang.
    rig.Simulator().close();
    QTRY_VERIFY_WITH_TIMEOUT(!lost->isHidden(), 5000);
    QTRY_VERIFY_WITH_TIMEOUT(ShowsLine(rig, device), 5000);

    QVERIFY2(lost->text().contains(device + QStringLiteral(" closed: ") + SerialDeviceHungUpText + QStringLiteral(" - ")),
             qPrintable(lost->text()));
    QVERIFY2(lost->text().contains(QLatin1String("Edit > Set GPS Receiver Interface")), qPrintable(lost->text()));
    QVERIFY(lost->styleSheet().contains(QLatin1String("background-color:red")));
    QVERIFY(!window.ReceiverPort().IsOpen());
    QCOMPARE(rig.NavLabel()->text(), QStringLiteral("No Receiver"));
    QVERIFY(!rig.NavLabel()->styleSheet().contains(QLatin1String("green")));
    QVERIFY(ShowsLine(rig, lost->text()));
    // The notice stays while nothing reopens the port.
    QTest::qWait(200);
    QVERIFY(!lost->isHidden());

    // The receiver is back (the kernel gives the freed device name to the
    // next pseudo-terminal, unless another process took it meanwhile).
    ReceiverSimulator next;
    QVERIFY(next.open());
    ScriptedReceiver receiver(next, ReceiverFamily::Ublox, 9600);
    const QString nextDevice = next.slavePath();
    AnswerNextModalDialog([&](QDialog *dialog) {
      auto *ports = dialog->findChild<QComboBox *>(QStringLiteral("GpsSerialPortNameList"));
      if (ports->findText(nextDevice) < 0)
        ports->addItem(nextDevice);
      ports->setCurrentIndex(ports->findText(nextDevice));
      dialog->findChild<QPushButton *>(QStringLiteral("OK"))->click();
    });
    window.findChild<QAction *>(QStringLiteral("actionSet_GPS_Receiver_Interface"))->trigger();
    QVERIFY(window.ReceiverPort().IsOpen());
    QVERIFY(lost->isHidden());
    QVERIFY(rig.NavLabel()->text() != QLatin1String("No Receiver"));

    rig.Window().State().setupInProgress = false;
    next.write(NavStatus3d());
    QTRY_COMPARE(rig.NavLabel()->text(), QStringLiteral("Navigating"));
    QTRY_VERIFY(rig.RawDataLines().last().contains(QLatin1String("UBX-NAV-STATUS")));
  }
};

RIDUDER_TEST_MAIN(ReceiverPortLossTest)
#include "tst_receiverportloss.moc"
