#include "TestMain.h"

#include "RecordingMessageBoxes.h"
#include "app/MainWindow.h"
#include "tools/simulator/CaptureEpochs.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QSettings>

#include <algorithm>
#include <limits>

using riduder::test::RecordingMessageBoxes;

namespace {

// One per family of the captures; "all" in RIDUDER_DEMO_RUN_CAPTURES
// takes every capture, a comma-separated list the ones it names.
const QStringList kRepresentatives = {QStringLiteral("oncore/oncore-m12.log"),
                                      QStringLiteral("nmea/oncore.log"),
                                      QStringLiteral("ubx/u-blox-m8t-time.log")};

QStringList ChosenCaptures()
{
  const QString chosen = qEnvironmentVariable("RIDUDER_DEMO_RUN_CAPTURES");
  if (chosen.isEmpty())
    return kRepresentatives;
  if (chosen != QLatin1String("all"))
    return chosen.split(',', Qt::SkipEmptyParts);
  QStringList all;
  const QDir root(riduder::test::CaptureDir());
  for (const QString &family : {QStringLiteral("oncore"), QStringLiteral("nmea"), QStringLiteral("ubx")}) {
    for (const QString &file : QDir(root.filePath(family)).entryList({QStringLiteral("*.log")}, QDir::Files))
      all << family + '/' + file;
  }
  return all;
}

// The simulator as scripts/demo starts it: the capture looped at the
// receiver's pace, the MON-VER poll answered, the program's port settings
// written into this test's private settings folder.
bool StartSimulator(QProcess &sim, const QString &capture, QString *device)
{
  const QString program = QCoreApplication::applicationDirPath() + "/../tools/riduder-sim";
  sim.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  sim.start(program, {"--replay", capture, "--loop", "--pace", "epochs", "--rate", "auto", "--answer-mon-ver",
                      "--write-port-settings", "auto"});
  if (!sim.waitForStarted(5000))
    return false;
  QElapsedTimer clock;
  clock.start();
  while (!sim.canReadLine() && clock.elapsed() < 10000)
    sim.waitForReadyRead(100);
  *device = QString::fromLocal8Bit(sim.readLine()).trimmed();
  return device->startsWith(QLatin1String("/dev/"));
}

qint64 ShownSecond(MainWindow &window)
{
  return window.State().displayCopy.MSecsSinceEpoch() / 1000;
}

// Runs the event loop for `ms`, polling the shown time every 10 ms; calls
// `changed` with the real time of each change.
template <typename Changed>
void Watch(MainWindow &window, const QElapsedTimer &clock, qint64 ms, qint64 *lastShown, Changed changed)
{
  const qint64 until = clock.elapsed() + ms;
  while (clock.elapsed() < until) {
    QTest::qWait(10);
    const qint64 shown = ShownSecond(window);
    if (shown != *lastShown) {
      *lastShown = shown;
      changed(clock.elapsed());
    }
  }
}

// The phase of the second (ms) at which to sample the shown time, from the
// changes seen while watching: the middle of the widest run of phases at
// which sampling those changes once a second would have seen the time step
// by exactly one each second. An epoch whose time comes late (after a batch
// of other messages) moves its change away from the usual point.
qint64 SamplePhase(const QList<QPair<qint64, qint64>> &changes)
{
  const auto shownAt = [&](qint64 at) {
    qint64 shown = std::numeric_limits<qint64>::min();
    for (const auto &[when, second] : changes)
      if (when <= at)
        shown = second;
    return shown;
  };
  const qint64 first = changes.first().first;
  const qint64 last = changes.last().first;
  QList<bool> regular;
  for (qint64 phase = 0; phase < 1000; phase += 10) {
    bool ok = true;
    for (qint64 at = (first / 1000 + 1) * 1000 + phase; at + 1000 <= last && ok; at += 1000)
      ok = shownAt(at + 1000) - shownAt(at) == 1 || shownAt(at + 1000) < shownAt(at);
    regular << ok;
  }
  // The widest run, counted round the second.
  int bestStart = 0;
  int bestLength = 0;
  for (int start = 0; start < regular.size(); ++start) {
    int length = 0;
    while (length < regular.size() && regular.at((start + length) % regular.size()))
      ++length;
    if (length > bestLength) {
      bestLength = length;
      bestStart = start;
    }
  }
  return ((bestStart + bestLength / 2) % regular.size()) * 10;
}

}  // namespace

// The demo for minutes on each capture family: the simulator program
// replaying the capture in a loop, one epoch a second, and the real window
// on it with the demo's settings. The shown receiver time, sampled once a
// second, advances by exactly one second a second except where the loop
// starts again, and the receiver port stays open. Captures that show no
// time or one time only, or whose epochs even the demo's highest data rate
// cannot carry in a second, are named and skipped. Slow, so it runs only
// when asked for (scripts/demo-long-run sets RIDUDER_DEMO_RUN=1;
// RIDUDER_DEMO_RUN_MINUTES sets the length per capture, default 10).
class TestDemoLongRun : public QObject {
  Q_OBJECT

private slots:
  void shownTimeAdvancesOneSecondASecond_data()
  {
    QTest::addColumn<QString>("capture");
    for (const QString &capture : ChosenCaptures())
      QTest::newRow(qPrintable(capture)) << capture;
  }

  void shownTimeAdvancesOneSecondASecond()
  {
    QFETCH(QString, capture);
    if (qEnvironmentVariableIntValue("RIDUDER_DEMO_RUN") != 1)
      QSKIP("set RIDUDER_DEMO_RUN=1 (scripts/demo-long-run) to run the demo for minutes");
    RIDUDER_REQUIRE_CAPTURES();
    const QString path = riduder::test::CaptureDir() + '/' + capture;
    QVERIFY2(QFile::exists(path), qPrintable(path));
    bool minutesOk = false;
    double minutes = qEnvironmentVariable("RIDUDER_DEMO_RUN_MINUTES").toDouble(&minutesOk);
    if (!minutesOk || minutes <= 0)
      minutes = 10;
    const qint64 runMs = qint64(minutes * 60000);
    // The demo takes the rate that carries the longest epoch in a second;
    // an epoch longer than even the highest rate carries cannot come once a
    // second: such a capture's time runs slow in the demo, by its size.
    const QByteArray bytes = riduder::test::ReadCapture(capture);
    const qint64 longest = riduder::sim::LongestEpochBytes(bytes);
    const int rate = riduder::sim::DemoRateFor(bytes);
    if (longest * 10 > rate)
      QSKIP(qPrintable(QStringLiteral("%1 has epochs of up to %2 bytes, %3 s each at %4 bit/s")
                           .arg(capture)
                           .arg(longest)
                           .arg(longest * 10.0 / rate, 0, 'f', 2)
                           .arg(rate)));
    qInfo("DEMO %s at %d bit/s", qPrintable(capture), rate);

    // Each capture starts from empty settings, as the demo does.
    QSettings().clear();
    QProcess sim;
    QString device;
    QVERIFY2(StartSimulator(sim, path, &device), qPrintable(QStringLiteral("the simulator printed \"%1\"").arg(device)));

    RecordingMessageBoxes boxes;
    auto window = std::make_unique<MainWindow>();
    window->SetMessageBoxes(&boxes);
    window->ShowAndDetectReceiver();
    QVERIFY(window->isVisible());

    QElapsedTimer clock;
    clock.start();
    // The shown time changes at steady points of each second, where an
    // epoch's time message arrives; in some epochs it comes later (after a
    // batch of other messages). Samples are taken at a point of the second
    // that sees each change in its own second.
    qint64 lastShown = ShownSecond(*window);
    QList<QPair<qint64, qint64>> changes;
    Watch(*window, clock, 12000, &lastShown, [&](qint64 at) { changes.append({at, lastShown}); });
    if (changes.isEmpty()) {
      window->close();
      sim.terminate();
      sim.waitForFinished(3000);
      QSKIP(qPrintable(capture + " shows no time in the demo"));
    }
    const qint64 samplePhase = SamplePhase(changes);

    QList<qint64> samples;
    // A sample taken well after its time: this process (the program's too)
    // was held up by the machine, and the steps into and out of it say
    // nothing about the demo.
    QList<bool> late;
    qint64 portClosedAtMs = -1;
    qint64 next = (clock.elapsed() / 1000 + 1) * 1000 + samplePhase;
    while (next < runMs) {
      Watch(*window, clock, next - clock.elapsed(), &lastShown, [](qint64) {});
      samples << ShownSecond(*window);
      late << (clock.elapsed() - next > 200);
      if (portClosedAtMs < 0 && !window->ReceiverPort().IsOpen())
        portClosedAtMs = clock.elapsed();
      next += 1000;
    }
    const bool portOpen = window->ReceiverPort().IsOpen();
    window->close();
    window.reset();
    sim.terminate();
    QVERIFY(sim.waitForFinished(3000));

    // A loop wrap: the time goes back to the earliest shown. Every other
    // step is one second, but for a standstill just before a wrap: bytes
    // that belong to no epoch (the M8T capture's leading JSON lines) delay
    // the first epoch of each loop, and a sample in that delay still sees
    // the loop's last time.
    const qint64 earliest = *std::min_element(samples.begin(), samples.end());
    const auto wrapsAt = [&](int i) {
      return i < samples.size() && samples[i] < samples[i - 1] && samples[i] <= earliest + 1;
    };
    int wraps = 0;
    int irregular = 0;
    int heldUp = 0;
    QStringList firstIrregular;
    for (int i = 1; i < samples.size(); ++i) {
      const qint64 step = samples[i] - samples[i - 1];
      if (late[i] || late[i - 1]) {
        ++heldUp;
      } else if (wrapsAt(i)) {
        ++wraps;
      } else if (step == 0 && wrapsAt(i + 1)) {
        continue;
      } else if (step != 1) {
        ++irregular;
        if (firstIrregular.size() < 10)
          firstIrregular << QStringLiteral("%1 s: %2").arg(i).arg(step);
      }
    }
    QStringList boxTitles;
    for (const auto &box : boxes.shown + boxes.posted)
      boxTitles << box.title;
    qInfo().noquote() << QStringLiteral("DEMO %1: %2 s, %3 samples, port %4%5, %6 irregular seconds%7, %8 loop "
                                        "wraps, %9 seconds held up by the machine, boxes: %10")
                             .arg(capture)
                             .arg(clock.elapsed() / 1000)
                             .arg(samples.size())
                             .arg(portOpen ? QStringLiteral("open at the end") : QStringLiteral("CLOSED"))
                             .arg(portClosedAtMs >= 0 ? QStringLiteral(" (closed at %1 s)").arg(portClosedAtMs / 1000)
                                                      : QString())
                             .arg(irregular)
                             .arg(firstIrregular.isEmpty() ? QString() : " (" + firstIrregular.join(", ") + ")")
                             .arg(wraps)
                             .arg(heldUp)
                             .arg(boxTitles.isEmpty() ? QStringLiteral("none") : boxTitles.join("; "));
    QVERIFY2(portOpen, "the receiver port closed");
    if (std::all_of(samples.begin(), samples.end(), [&](qint64 t) { return t == samples.first(); }))
      QSKIP(qPrintable(capture + " shows one time only, the same in every loop"));
    QCOMPARE(irregular, 0);
  }
};

RIDUDER_TEST_MAIN(TestDemoLongRun)
#include "tst_demolongrun.moc"
