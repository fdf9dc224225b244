#include "TestMain.h"

#include "RecordingMessageBoxes.h"
#include "StoredCounters.h"
#include "app/MainWindow.h"
#include "core/ClockModes.h"
#include "platform/SerialPortErrors.h"
#include "tic/TicPortSettings.h"
#include "tools/simulator/CounterSimulator.h"
#include "tools/simulator/ReceiverSimulator.h"

#include <QLabel>
#include <QSettings>

using riduder::sim::CounterProfile;
using riduder::sim::CounterSimulator;
using riduder::sim::ReceiverSimulator;
using riduder::test::RecordingMessageBoxes;
using riduder::test::StoreTcpCounter;

namespace {

QString Notice(int port, const QString &reason)
{
  return QStringLiteral("TIC port %1 closed: %2 - reconnect with Edit > Set TIC Interface").arg(port).arg(reason);
}

}  // namespace

// A counter that goes away must not leave a reading that looks live: the
// status bar names every counter port that is down until it is started
// again, and port 1's reading field and the large clock of the TIC mode are
// emptied.
class TicPortLossTest : public QObject {
  Q_OBJECT

private slots:
  void init() { QSettings().clear(); }

  void portsThatGoDownAreNamedUntilStartedAgain()
  {
    CounterSimulator first(CounterProfile::ModelBnc1105());
    CounterSimulator third(CounterProfile::Model53230A());
    QVERIFY(first.start());
    QVERIFY(third.start());
    StoreTcpCounter(1, first.address());
    StoreTcpCounter(3, third.address());
    ReceiverSimulator line;
    QVERIFY(line.open());
    QSettings().setValue(TicPortKey(5, ""), line.slavePath());
    QSettings().setValue(MainWindowKeys::ClockDisplay, ClockModes::Tic);

    MainWindow window;
    RecordingMessageBoxes boxes;
    window.SetMessageBoxes(&boxes);
    window.show();
    QLabel *lost = window.TicPortLostLabel();
    QLabel *reading = window.findChild<QLabel *>(QStringLiteral("TIC_Data"));
    QLabel *clock = window.findChild<QLabel *>(QStringLiteral("ClockDisplay"));
    QVERIFY(lost && reading && clock);
    QTRY_VERIFY_WITH_TIMEOUT(!reading->text().isEmpty(), 5000);
    QTRY_VERIFY_WITH_TIMEOUT(!clock->text().isEmpty(), 5000);
    QTRY_COMPARE_WITH_TIMEOUT(third.connectionsOpen(), 1, 5000);
    // Should another process take the line first, say what the port was told.
    QVERIFY2(window.TicPort(5).IsSerialOpen(), qPrintable(line.slavePath() + QStringLiteral(": ") + lost->text()));
    QVERIFY(lost->isHidden());

    // Port 3's counter closes: named, port 1's reading stays.
    third.dropConnections();
    QTRY_VERIFY_WITH_TIMEOUT(!lost->isHidden(), 3000);
    QCOMPARE(lost->text(), Notice(3, QStringLiteral("The remote host closed the connection")));
    QVERIFY(lost->styleSheet().contains(QLatin1String("background-color:red")));
    QVERIFY(!reading->text().isEmpty());

    // The serial counter's device goes away: it has its box and joins.
    line.close();
    QTRY_VERIFY_WITH_TIMEOUT(lost->text().contains(QLatin1String("TIC port 5")), 3000);
    QVERIFY2(lost->text().startsWith(Notice(3, QStringLiteral("The remote host closed the connection")) +
                                     QStringLiteral("; ") + Notice(5, QLatin1String(SerialDeviceHungUpText))),
             qPrintable(lost->text()));
    QCOMPARE(boxes.shown.size(), 1);

    // Port 1 down: its reading is emptied and stays so.
    first.dropConnections();
    QTRY_VERIFY_WITH_TIMEOUT(lost->text().startsWith(Notice(1, QStringLiteral("The remote host closed the connection"))),
                             3000);
    QCOMPARE(lost->text().count(QLatin1String(" - reconnect with Edit > Set TIC Interface")), 3);
    QCOMPARE(reading->text(), QString());
    QCOMPARE(clock->text(), QString());
    QTest::qWait(500);
    // A tick redraws the clock: still nothing to show.
    window.UpdateClockDisplay();
    QCOMPARE(reading->text(), QString());
    QCOMPARE(clock->text(), QString());

    // Port 1 started again: off the list, and its readings come back.
    window.TicPort(1).startTicSerialPort(1);
    QVERIFY(!lost->text().contains(QLatin1String("TIC port 1")));
    QVERIFY(lost->text().startsWith(QLatin1String("TIC port 3 closed")));
    QTRY_VERIFY_WITH_TIMEOUT(!reading->text().isEmpty(), 5000);
    QTRY_VERIFY_WITH_TIMEOUT(!clock->text().isEmpty(), 5000);

    // A counter that refuses the connection is down as well.
    third.stop();
    window.TicPort(3).startTicSerialPort(3);
    QTRY_VERIFY_WITH_TIMEOUT(lost->text().startsWith(Notice(3, QStringLiteral("Connection refused"))), 3000);

    QSettings().setValue(TicPortKey(3, ""), QStringLiteral("OFF"));
    QSettings().setValue(TicPortKey(5, ""), QStringLiteral("OFF"));
    window.TicPort(3).startTicSerialPort(3);
    window.TicPort(5).startTicSerialPort(5);
    QVERIFY(lost->isHidden());
  }
};

RIDUDER_TEST_MAIN(TicPortLossTest)
#include "tst_ticportloss.moc"
