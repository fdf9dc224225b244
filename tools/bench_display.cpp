// Cost of the once-per-second work on the GUI thread: one 1PPS tick without
// a receiver poll (clock step, clock area redraw, sounds, heartbeat) plus one
// full redraw of the satellite table with sixteen satellites whose every
// value changed, and then the paint they cause. Runs an offscreen main window with private settings, a fake
// PC clock, a fake system clock and silent tick sounds.
//
//   riduder-bench-display [iterations]
//   riduder-bench-display --raw-lines [lines]
//
// The second form measures the raw-data window instead: that many receiver
// lines (default 10000) with the window shown, each given in its own pass
// of the event loop as messages arrive, until the last one is on screen.

#include "app/GpsRawDataDialog.h"
#include "app/MainWindow.h"
#include "core/GpsMode.h"
#include "platform/SystemClock.h"
#include "platform/TickSounds.h"
#include "platform/TimeSource.h"
#include "position/GpsNavDialog.h"
#include "tests/support/fakes/FakeSystemClock.h"
#include "tests/support/fakes/FakeTickSounds.h"
#include "tests/support/fakes/FakeTimeSource.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <ctime>
#include <vector>

namespace {

// Sixteen satellites, all values moved by `step` so every cell changes.
void FillSatellites(ReceiverState &state, int step)
{
  for (int i = 0; i < 16; ++i) {
    SatelliteRecord &r = state.satellites[i + 1];
    r.identifier = i + 1;
    r.elevation = (i * 5 + step) % 90;
    r.azimuth = (i * 22 + step) % 360;
    r.cno = 25 + (i + step) % 25;
    r.inChannel = 1;
    r.channelMode = 8;
    r.status = (step % 2) ? 0x80 : 0x90;
    r.trend = (step % 2) ? 1 : -1;
  }
}

double Percentile(std::vector<double> values, double p)
{
  std::sort(values.begin(), values.end());
  const size_t index = std::min(values.size() - 1, static_cast<size_t>(p * (values.size() - 1) + 0.5));
  return values[index];
}

double ProcessCpuSeconds()
{
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// The raw-data window at 115200 bit/s: an NMEA burst's lines one pass each.
int BenchRawLines(MainWindow &window, int lines)
{
  GpsRawDataDialog &dialog = *window.RawDataDialog();
  dialog.ShowDialog();
  QCoreApplication::processEvents();
  auto *text = dialog.findChild<QPlainTextEdit *>(QStringLiteral("PlainTextEdit"));
  const QStringList burst = {
      QStringLiteral("->  $GPZDA,120001.00,10,03,2024,00,00*6B"),
      QStringLiteral("->  $GPGGA,120001.00,4717.11399,N,00833.91590,E,1,08,1.01,499.6,M,48.0,M,,*5B"),
      QStringLiteral("->  $GPGSA,A,3,01,02,12,14,17,19,24,32,,,,,1.94,1.01,1.66*0D"),
      QStringLiteral("->  $GPGSV,3,1,12,01,40,083,46,02,17,308,41,12,07,344,39,14,22,228,45*75"),
      QStringLiteral("->  $GPRMC,120001.00,A,4717.11399,N,00833.91590,E,0.004,77.52,100324,,,A*57")};
  const QString last = QStringLiteral("->  $GPZDA,LAST");

  QElapsedTimer wall;
  const double cpuStart = ProcessCpuSeconds();
  wall.start();
  for (int i = 0; i < lines - 1; ++i) {
    dialog.AppendText(burst.at(i % burst.size()));
    QCoreApplication::processEvents();
  }
  dialog.AppendText(last);
  // Until the last line is on screen and painted.
  while (text->document()->lastBlock().text() != last)
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  QCoreApplication::processEvents();
  const double wallMs = wall.nsecsElapsed() / 1e6;
  const double cpuMs = (ProcessCpuSeconds() - cpuStart) * 1000.0;

  QTextStream out(stdout);
  out << "raw-data window shown, lines: " << lines << "\n";
  out << QString::asprintf("cpu  %9.1f ms  %7.2f us a line\n", cpuMs, cpuMs * 1000.0 / lines);
  out << QString::asprintf("wall %9.1f ms  %7.2f us a line\n", wallMs, wallMs * 1000.0 / lines);
  out << "lines kept: " << text->blockCount() << "\n";
  return 0;
}

}  // namespace

int main(int argc, char *argv[])
{
  // Private settings and no display: nothing of the user's is touched.
  QTemporaryDir home;
  qputenv("HOME", home.path().toLocal8Bit());
  qputenv("XDG_CONFIG_HOME", (home.path() + "/.config").toLocal8Bit());
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  LinuxSystemClock::ForbidSetting();
  QApplication app(argc, argv);
  const QStringList args = QCoreApplication::arguments().mid(1);
  const bool rawLines = !args.isEmpty() && args.first() == QLatin1String("--raw-lines");
  const QStringList counts = rawLines ? args.mid(1) : args;
  const int iterations =
      !counts.isEmpty() ? std::max(1, counts.first().toInt()) : (rawLines ? 10000 : 2000);

  FakeTimeSource pcClock(QDateTime(QDate(2024, 3, 10), QTime(12, 0, 0), Qt::UTC));
  ScopedTimeSourceOverride useClock(&pcClock);
  FakeSystemClock systemClock(&pcClock);
  ScopedSystemClockOverride useSystemClock(&systemClock);
  FakeTickSounds sounds;

  MainWindow window;
  window.SetTickSounds(&sounds);
  window.State().setupInProgress = false;
  window.findChild<GpsNavDialog *>()->SetSatsTracked(8);
  // Generic NMEA sends no timed polls, so no tick waits for the line.
  CurrentGpsMode = GpsModeGenericNmea;
  window.UpdateSatSortButtons(1);  // sorted by elevation
  window.show();
  QCoreApplication::processEvents();
  if (rawLines)
    return BenchRawLines(window, iterations);

  const QDateTime start(QDate(2024, 3, 10), QTime(12, 0, 1), Qt::UTC);
  std::vector<double> tickUs, tableUs, bothUs, paintUs;
  tickUs.reserve(iterations);
  tableUs.reserve(iterations);
  bothUs.reserve(iterations);
  QElapsedTimer timer;
  for (int i = 0; i < iterations; ++i) {
    ReceiverState &state = window.State();
    // Keep clear of second 0 (log flush) and of the day roll-over.
    const QDateTime t = start.addSecs(i % 58);
    pcClock.SetUtc(t.addMSecs(2));
    pcClock.Advance(1000);
    state.receiverTime.SetDateTime(t);
    state.receiverTime.SetEpochOffset(i % 2 ? 250 : 700);
    state.tickPending = false;
    FillSatellites(state, i);

    timer.start();
    window.OnClockTick();
    const qint64 afterTick = timer.nsecsElapsed();
    window.UpdateSatelliteTable();
    const qint64 afterTable = timer.nsecsElapsed();
    // The paint the pass asked for (labels, table, heartbeat), as the
    // event loop does it right after.
    QCoreApplication::processEvents();
    const qint64 afterPaint = timer.nsecsElapsed();
    tickUs.push_back(afterTick / 1000.0);
    tableUs.push_back((afterTable - afterTick) / 1000.0);
    bothUs.push_back(afterTable / 1000.0);
    paintUs.push_back(afterPaint / 1000.0);
  }

  QTextStream out(stdout);
  auto line = [&](const char *what, const std::vector<double> &us) {
    double sum = 0;
    for (double v : us)
      sum += v;
    out << QString::asprintf("%-34s mean %8.1f us  median %8.1f us  p99 %8.1f us\n", what, sum / us.size(),
                             Percentile(us, 0.5), Percentile(us, 0.99));
  };
  out << "iterations: " << iterations << "\n";
  line("tick without poll", tickUs);
  line("satellite table, 16 changed rows", tableUs);
  line("tick + table", bothUs);
  line("tick + table + the paint they cause", paintUs);
  out << "goal: tick + table under 2000 us\n";
  return 0;
}
