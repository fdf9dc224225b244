#include "TestMain.h"

#include "WindowOnSimulator.h"
#include "app/MainWindow.h"

#include <QElapsedTimer>
#include <QTest>

#include <sys/resource.h>

using riduder::test::WindowOnSimulator;

namespace {

// CPU time of this process (the window and the simulator), in ms.
qint64 ProcessCpuMs()
{
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return qint64(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000 +
         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000;
}

}  // namespace

// What the raw-data window costs while an M12 talks at 115200 bit/s without
// a pause: the share of a core with the window shown and with it hidden,
// the simulator's own share in both. Slow, so it runs only when asked for
// (scripts/raw-window-load sets RIDUDER_RAW_WINDOW_LOAD=1;
// RIDUDER_RAW_WINDOW_LOAD_SECONDS changes the length of each half).
class TestRawWindowLoad : public QObject {
  Q_OBJECT

private slots:
  void shareOfACoreWithTheWindowShownAndHidden()
  {
    if (qEnvironmentVariableIntValue("RIDUDER_RAW_WINDOW_LOAD") != 1)
      QSKIP("set RIDUDER_RAW_WINDOW_LOAD=1 (scripts/raw-window-load) to measure the raw-data window's load");
    RIDUDER_REQUIRE_CAPTURES();
    const int seconds = qMax(10, qEnvironmentVariableIntValue("RIDUDER_RAW_WINDOW_LOAD_SECONDS") > 0
                                     ? qEnvironmentVariableIntValue("RIDUDER_RAW_WINDOW_LOAD_SECONDS")
                                     : 60);
    const QByteArray capture = riduder::test::ReadCapture("oncore/oncore-m12.log");

    WindowOnSimulator rig{WindowOnSimulator::Options::WithoutPps(GpsModeMotorolaBinary, 115200)};
    QVERIFY2(rig.Problem().isEmpty(), qPrintable(rig.Problem()));
    rig.Simulator().startReplay(capture, 115200, true);
    QTest::qWait(2000);

    auto measure = [&](bool shown) {
      if (shown)
        rig.ShowRawData();
      else
        rig.HideRawData();
      QTest::qWait(1000);
      QElapsedTimer wall;
      wall.start();
      const qint64 cpuBefore = ProcessCpuMs();
      QTest::qWait(seconds * 1000);
      const double share = 100.0 * double(ProcessCpuMs() - cpuBefore) / double(wall.elapsed());
      qInfo().noquote() << QStringLiteral("raw-data window %1: %2% of a core (window and simulator)")
                               .arg(shown ? QStringLiteral("shown") : QStringLiteral("hidden"))
                               .arg(share, 0, 'f', 1);
      return share;
    };
    const double hidden = measure(false);
    const double shown = measure(true);
    rig.Simulator().stopReplay();
    qInfo().noquote() << QStringLiteral("the window's own cost: %1% of a core").arg(shown - hidden, 0, 'f', 1);
    QVERIFY(shown > 0 && hidden > 0);
  }
};

RIDUDER_TEST_MAIN(TestRawWindowLoad)
#include "tst_rawwindowload.moc"
