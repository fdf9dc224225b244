#include "TestMain.h"

#include "FakeTimeSource.h"
#include "FrameBuilders.h"
#include "ModalDialogs.h"
#include "UbxMessageBuilder.h"
#include "WindowOnSimulator.h"
#include "app/MainWindow.h"
#include "core/GpsMode.h"
#include "logging/TicDataLog.h"
#include "logging/TicLogOptions.h"
#include "logging/TicTimeTag.h"
#include "platform/TimeSource.h"
#include "receiver/link/GpsPortSettings.h"
#include "receiver/session/ReceiverSilenceWatch.h"
#include "tests/logging/GpsLogTestHost.h"
#include "tic/TicLineProcessor.h"
#include "tic/TicPortSettings.h"
#include "tools/simulator/ReceiverSimulator.h"

#include <QAction>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <memory>

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

// What happens before the status bar is read.
enum class Story {
  PortOff,                    // the port is set to OFF, then the start-up detection
  SearchEndedByTheDialog,     // the interface item during the search, then Cancel
  SilenceTalkSilence,         // a receiver taken into use goes quiet twice
  SilenceAfterAReopen,        // quiet, the port reopened through the dialog, quiet
};

}  // namespace

Q_DECLARE_METATYPE(Story)

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
    // Not before five silent seconds; how much later is up to the machine.
    QVERIFY2(quiet.elapsed() >= 4900, qPrintable(QString::number(quiet.elapsed())));
    QVERIFY(nav->styleSheet().contains(QLatin1String("background-color:red")));
    QCOMPARE(rig.RawDataLines().count(NoDataLine), 1);
    QTest::qWait(500);
    QCOMPARE(rig.RawDataLines().count(NoDataLine), 1);  // said once

    // Resumed: one message, and the receiver's own status is back.
    QVERIFY(rig.Feed(NavClock()));
    QCOMPARE(nav->text(), QStringLiteral("Navigating"));
    QVERIFY(nav->styleSheet().contains(QLatin1String("background-color:green")));
  }

  // The status bar while nothing runs says what is so: a search that ended
  // without a receiver leaves "GPS Receiver not found" (not "Initializing"
  // or "Searching"), and every new silence of 5 s on an open port is told,
  // after the receiver has talked or the port was reopened too.
  void statusWhileNothingRuns_data()
  {
    QTest::addColumn<Story>("story");
    QTest::addColumn<QString>("status");  // the receiver status text
    QTest::addColumn<QString>("nav");     // the navigation indicator
    QTest::addColumn<int>("noDataLines");
    QTest::addColumn<int>("boxes");
    const QString notFound = QStringLiteral("GPS Receiver not found");
    const QString generic = QStringLiteral("Generic NMEA GPS Receiver");
    QTest::newRow("port OFF") << Story::PortOff << notFound << "Nav Unknown" << 0 << 1;
    QTest::newRow("search ended by the dialog, then Cancel")
        << Story::SearchEndedByTheDialog << notFound << "Nav Unknown" << 0 << 0;
    QTest::newRow("silence, talk, silence") << Story::SilenceTalkSilence << generic << "No Data" << 2 << 0;
    QTest::newRow("silence after a reopen") << Story::SilenceAfterAReopen << generic << "No Data" << 2 << 0;
  }

  void statusWhileNothingRuns()
  {
    QFETCH(Story, story);
    QFETCH(QString, status);
    QFETCH(QString, nav);
    QFETCH(int, noDataLines);
    QFETCH(int, boxes);
    FakeTimeSource clock;
    ScopedTimeSourceOverride clockInForce(&clock);
    const quint32 mode = story == Story::SearchEndedByTheDialog ? GpsModeSearch : GpsModeGenericNmea;
    WindowOnSimulator rig(WindowOnSimulator::Options::WithoutPps(mode, 9600));
    QVERIFY2(rig.Problem().isEmpty(), qPrintable(rig.Problem()));
    MainWindow &window = rig.Window();
    window.Timing().SetScale(0.004);
    QAction *interfaceAction = window.findChild<QAction *>(QStringLiteral("actionSet_GPS_Receiver_Interface"));
    QVERIFY(interfaceAction);
    // The window looks for a silence every 250 ms: one look before the
    // clock jumps, one after.
    const auto silence = [&] {
      QTest::qWait(300);
      clock.Advance(ReceiverSilenceWatch::SilenceMs);
      QTest::qWait(300);
    };
    const auto talk = [&] { return rig.Feed(BuildNmeaSentence("GPZDA,120005.00,01,01,2024,00,00")); };

    switch (story) {
    case Story::PortOff:
      QSettings().setValue(GpsPortKeys::PortName, QStringLiteral("OFF"));
      window.ReceiverPort().startGpsSerialPort(false);
      QVERIFY(!window.ReceiverPort().IsOpen());
      window.DetectGpsReceiver();
      silence();
      break;
    case Story::SearchEndedByTheDialog: {
      bool chosen = false;
      connect(&window, &MainWindow::sendGpsMessage, &window, [&](const QByteArray &message) {
        if (!chosen && message.startsWith("@@Cj")) {
          chosen = true;
          QTimer::singleShot(0, interfaceAction, &QAction::trigger);
        }
      });
      bool cancelled = false;
      AnswerNextModalDialog(
          [&](QDialog *dialog) {
            dialog->findChild<QPushButton *>(QStringLiteral("CANCEL"))->click();
            cancelled = true;
          },
          20000);
      window.DetectGpsReceiver();
      QTRY_VERIFY_WITH_TIMEOUT(cancelled, 10000);
      QVERIFY(!window.ReceiverBusy());
      break;
    }
    case Story::SilenceTalkSilence:
      window.DetectGpsReceiver();
      QVERIFY(talk());
      silence();
      QVERIFY(talk());
      QCOMPARE(rig.NavLabel()->text(), QStringLiteral("Nav Unknown"));
      silence();
      break;
    case Story::SilenceAfterAReopen: {
      window.DetectGpsReceiver();
      QVERIFY(talk());
      silence();
      bool confirmed = false;
      AnswerNextModalDialog([&](QDialog *dialog) {
        dialog->findChild<QPushButton *>(QStringLiteral("OK"))->click();
        confirmed = true;
      });
      interfaceAction->trigger();
      QVERIFY(confirmed);
      QVERIFY(window.ReceiverPort().IsOpen());
      silence();
      break;
    }
    }

    QCOMPARE(window.ReceiverStatusLabel()->text(), status);
    QCOMPARE(rig.NavLabel()->text(), nav);
    QCOMPARE(rig.RawDataLines().count(NoDataLine), noDataLines);
    QCOMPARE(rig.Boxes().shown.size(), boxes);
  }

  // The counter goes on measuring while the receiver says nothing: its rows
  // keep their place in time, their tags running on one second a reading
  // from the last second shown (without a receiver, from the start).
  void counterRowsRunOnWhileTheReceiverIsSilent_data()
  {
    QTest::addColumn<bool>("receiverPort");
    QTest::newRow("receiver silenced") << true;
    QTest::newRow("receiver port closed") << false;
  }

  void counterRowsRunOnWhileTheReceiverIsSilent()
  {
    QFETCH(bool, receiverPort);
    QSettings().clear();
    FakeTimeSource clock;
    ScopedTimeSourceOverride useClock(&clock);
    QTemporaryDir logs;
    riduder::sim::ReceiverSimulator counter;
    QVERIFY(counter.open());
    {
      QSettings settings;
      settings.setValue(TicPortKey(1, ""), counter.slavePath());
      settings.setValue(TicLogKeys::FileDirectory, logs.path());
      settings.setValue(TicLogKeys::TimeTagFormat, TicTimeTagFormats::Calendar);
      settings.setValue(TicLogKeys::LogStyle, 1);
    }
    std::unique_ptr<WindowOnSimulator> rig;
    std::unique_ptr<MainWindow> portless;
    RecordingMessageBoxes boxes;
    if (receiverPort) {
      rig = std::make_unique<WindowOnSimulator>(WindowOnSimulator::Options::WithoutPps(GpsModeUbloxUbx, 9600));
      QVERIFY2(rig->Problem().isEmpty(), qPrintable(rig->Problem()));
      // NAV-TIMEUTC, valid: without a 1PPS line its second shows at once.
      QVERIFY(rig->Feed(UbxMessageBuilder(0x01, 0x21, 20)
                            .U2(12, 2024).U1(14, 2).U1(15, 14).U1(16, 10).U1(17, 20).U1(18, 30).U1(19, 0x07)
                            .Frame()));
    } else {
      portless = std::make_unique<MainWindow>();
      portless->SetMessageBoxes(&boxes);
    }
    MainWindow &window = rig ? rig->Window() : *portless;
    if (rig)
      QCOMPARE(window.State().displayCopy.toString(QStringLiteral("hh:mm:ss")), QStringLiteral("10:20:30"));
    QVERIFY(window.TicPort(1).IsSerialOpen());
    const GpsDateTime shown = window.State().displayCopy;
    QVERIFY(window.OpenTicLogFiles(TicDataLog::CreateNew));

    // One reading a second, the first 0.3 s after the second was shown.
    const int readings = 4;
    clock.Advance(300);
    for (int n = 1; n <= readings; ++n) {
      counter.write("+" + QByteArray::number(n) + "E-09\r\n");
      QTRY_VERIFY_WITH_TIMEOUT(window.TicProcessor().LastTimeLine().contains("0.00" + QByteArray::number(n) + "000"),
                               3000);
      clock.Advance(1000);
    }
    QVERIFY(window.FlushLogFiles());

    const QStringList rows = ReadFileLines(window.TicLog().TimeFileName(1));
    QCOMPARE(rows.size(), readings);
    for (int n = 0; n < readings; ++n) {
      GpsDateTime second = shown;
      second.SetDateTime(shown.addSecs(n));
      QCOMPARE(rows.at(n).section(QLatin1Char(','), 0, 0), second.YearDayText());
    }
  }
};

RIDUDER_TEST_MAIN(ReceiverSilenceTest)
#include "tst_receiversilence.moc"
