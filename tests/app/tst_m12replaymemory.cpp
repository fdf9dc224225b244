#include "TestMain.h"

#include "ProcessMemory.h"

#include "WindowOnSimulator.h"
#include "app/MainWindow.h"
#include "receiver/GpsRxIdDialog.h"

#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QTest>

using riduder::test::WindowOnSimulator;

// The program on an M12 that talks at 115200 bit/s without a pause, its
// setting echoes going to the receiver identification window, for ten
// minutes: the memory stays flat after the first minute. Slow, so it runs
// only when asked for (scripts/m12-replay-memory sets RIDUDER_M12_REPLAY=1;
// RIDUDER_M12_REPLAY_MINUTES changes the length).
class TestM12ReplayMemory : public QObject {
  Q_OBJECT

private slots:
  void memoryFlatAfterTheFirstMinute()
  {
    if (qEnvironmentVariableIntValue("RIDUDER_M12_REPLAY") != 1)
      QSKIP("set RIDUDER_M12_REPLAY=1 (scripts/m12-replay-memory) to replay an M12 for minutes");
    RIDUDER_REQUIRE_CAPTURES();
    const int minutes = qMax(2, qEnvironmentVariableIntValue("RIDUDER_M12_REPLAY_MINUTES") > 0
                                    ? qEnvironmentVariableIntValue("RIDUDER_M12_REPLAY_MINUTES")
                                    : 10);
    const QByteArray capture = riduder::test::ReadCapture("oncore/oncore-m12.log");

    WindowOnSimulator rig{WindowOnSimulator::Options::WithoutPps(GpsModeMotorolaBinary, 115200)};
    QVERIFY2(rig.Problem().isEmpty(), qPrintable(rig.Problem()));
    rig.HideRawData();
    GpsRxIdDialog *idWindow = rig.Window().RxIdDialog();
    QVERIFY(idWindow);
    auto *idLines = idWindow->findChild<QPlainTextEdit *>(QStringLiteral("GpsRxIdPlainTextEdit"));
    QVERIFY(idLines);

    rig.Simulator().startReplay(capture, 115200, true);
    QElapsedTimer clock;
    clock.start();
    qint64 afterFirstMinute = 0;
    qint64 highest = 0;
    int minute = 0;
    while (clock.elapsed() < qint64(minutes) * 60000) {
      QTest::qWait(1000);
      const qint64 resident = riduder::test::ResidentBytes();
      if (clock.elapsed() >= (minute + 1) * 60000) {
        ++minute;
        qInfo().noquote() << QStringLiteral("minute %1: %2 MiB resident, %3 lines in the "
                                            "identification window")
                                 .arg(minute)
                                 .arg(resident / 1048576.0, 0, 'f', 1)
                                 .arg(idLines->document()->blockCount());
        if (minute == 1)
          afterFirstMinute = resident;
      }
      if (minute >= 1)
        highest = qMax(highest, resident);
    }
    rig.Simulator().stopReplay();

    // The echoes arrived, and no more lines are kept than the cap.
    QCOMPARE(idLines->document()->blockCount(), GpsRxIdDialog::MaxLines);
    QVERIFY(afterFirstMinute > 0);
    const qint64 growth = highest - afterFirstMinute;
    qInfo().noquote() << QStringLiteral("growth after the first minute: %1 MiB")
                             .arg(growth / 1048576.0, 0, 'f', 2);
    // Without the cap the window alone grew by several MiB a minute.
    QVERIFY2(growth < 4 * 1048576, qPrintable(QStringLiteral("%1 bytes").arg(growth)));
  }
};

RIDUDER_TEST_MAIN(TestM12ReplayMemory)
#include "tst_m12replaymemory.moc"
