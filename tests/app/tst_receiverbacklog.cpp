#include "TestMain.h"

#include "FramerRecorder.h"
#include "ProcessMemory.h"
#include "WindowOnSimulator.h"
#include "app/MainWindow.h"
#include "receiver/decode/UbxDecoder.h"
#include "receiver/link/UbxNmeaFramer.h"
#include "tools/simulator/CaptureFile.h"

#include <QElapsedTimer>
#include <QFile>
#include <QtEndian>

#include <algorithm>

using namespace riduder::test;

namespace {

// A NAV-TIMEUTC of the capture: where it ends in the stream and its time.
struct TimeMark {
  qint64 endOffset = 0;
  qint64 utcMs = 0;
};

QList<TimeMark> TimeMarks(const QByteArray &capture)
{
  UbxNmeaFramer framer;
  FramerRecorder recorder;
  framer.Process(capture, false, recorder);
  QList<TimeMark> marks;
  qint64 from = 0;
  for (const QByteArray &message : recorder.messages) {
    const qint64 at = capture.indexOf(message, from);
    if (at < 0)
      continue;
    from = at + message.size();
    if (message.size() != 28 || quint8(message[0]) != 0xB5 || message[2] != 0x01 || message[3] != 0x21)
      continue;
    const uchar *p = reinterpret_cast<const uchar *>(message.constData()) + 6;
    if ((p[19] & 7) != 7)
      continue;
    const QDateTime time(QDate(qFromLittleEndian<quint16>(p + 12), p[14], p[15]), QTime(p[16], p[17], p[18]),
                         Qt::UTC);
    if (time.isValid())
      marks.append({from, time.toMSecsSinceEpoch()});
  }
  return marks;
}

}  // namespace

// The M8T capture (a receiver that never obeys the stop-survey command)
// looped at 115200 bit/s for three minutes on the window, with the
// program's real command pauses: memory stays flat after the first minute
// and the shown receiver time keeps up with the replayed one. Runs only
// with RIDUDER_RECEIVER_BACKLOG=1 (scripts/receiver-backlog).
class ReceiverBacklogTest : public QObject {
  Q_OBJECT

private slots:
  void m8tLoopedAt115200KeepsUp()
  {
    if (qEnvironmentVariableIntValue("RIDUDER_RECEIVER_BACKLOG") != 1)
      QSKIP("set RIDUDER_RECEIVER_BACKLOG=1 (scripts/receiver-backlog) to replay three minutes");
    // The capture named by the script, else the shared one.
    QByteArray capture;
    const QString file = qEnvironmentVariable("RIDUDER_RECEIVER_BACKLOG_CAPTURE");
    if (file.isEmpty()) {
      RIDUDER_REQUIRE_CAPTURES();
      capture = ReadCapture(QStringLiteral("ubx/u-blox-m8t-time.log"));
    } else {
      QFile f(file);
      QVERIFY2(f.open(QIODevice::ReadOnly), qPrintable(file));
      capture = riduder::sim::ReceiverBytes(f.readAll());
    }
    const QList<TimeMark> marks = TimeMarks(capture);
    QVERIFY(marks.size() > 10);

    const qint64 runMs = qEnvironmentVariableIntValue("RIDUDER_RECEIVER_BACKLOG_SECONDS") > 0
                             ? qEnvironmentVariableIntValue("RIDUDER_RECEIVER_BACKLOG_SECONDS") * 1000LL
                             : 180000;
    auto options = WindowOnSimulator::Options::WithoutPps(GpsModeUbloxUbx, 115200);
    options.commandTimeScale = 1.0;  // the real 100 ms pause after each command
    WindowOnSimulator rig(options);
    QVERIFY2(rig.Problem().isEmpty(), qPrintable(rig.Problem()));
    MainWindow &window = rig.Window();
    rig.Simulator().startReplay(capture, 115200, true);

    QElapsedTimer clock;
    clock.start();
    qint64 residentAtOneMinute = 0;
    qint64 residentMax = 0;
    qint64 worstLagMs = 0;
    int samples = 0;
    while (clock.elapsed() < runMs) {
      QTest::qWait(1000);
      const qint64 resident = ResidentBytes();
      if (clock.elapsed() >= 60000) {
        if (residentAtOneMinute == 0)
          residentAtOneMinute = resident;
        residentMax = qMax(residentMax, resident);
      }
      // The replayed time: the last NAV-TIMEUTC handed to the line. A
      // stall of the event loop (a loaded machine) hands a burst to the line
      // at once and the program catches up within moments; falling behind
      // lasts. So each sample is the smallest lag of a few readings over a
      // fifth of a second. Right after the loop starts again the shown time
      // still comes from the end of the capture: those readings are left out.
      qint64 lagMs = -1;
      for (int reading = 0; reading < 5; ++reading) {
        if (reading > 0)
          QTest::qWait(50);
        const qint64 position = rig.Simulator().replayPosition();
        const auto next = std::upper_bound(marks.begin(), marks.end(), position,
                                           [](qint64 pos, const TimeMark &m) { return pos < m.endOffset; });
        if (next - marks.begin() < 3)
          continue;
        const qint64 lag = qAbs((next - 1)->utcMs - window.State().receiverTime.MSecsSinceEpoch());
        lagMs = lagMs < 0 ? lag : qMin(lagMs, lag);
      }
      if (lagMs < 0)
        continue;
      worstLagMs = qMax(worstLagMs, lagMs);
      ++samples;
      if (samples % 10 == 0)
        qInfo().noquote() << QStringLiteral("BACKLOG t=%1 s RSS %2 MiB lag %3 ms unread %4 bytes")
                                 .arg(clock.elapsed() / 1000)
                                 .arg(resident / 1048576.0, 0, 'f', 1)
                                 .arg(lagMs)
                                 .arg(window.ReceiverPort().UnreadBytes());
    }
    rig.Simulator().stopReplay();
    const int stopsSent = rig.Simulator().received().count(UbxDecoder::StopSurveyInOutputCommand());

    qInfo().noquote() << QStringLiteral("BACKLOG RSS at 1 min %1 MiB, highest after %2 MiB; worst lag %3 ms "
                                        "over %4 samples; stop-survey commands sent %5 in %6 s")
                             .arg(residentAtOneMinute / 1048576.0, 0, 'f', 1)
                             .arg(residentMax / 1048576.0, 0, 'f', 1)
                             .arg(worstLagMs)
                             .arg(samples)
                             .arg(stopsSent)
                             .arg(runMs / 1000);
    QVERIFY(samples > 0);
    QVERIFY2(worstLagMs <= 2000, qPrintable(QString::number(worstLagMs)));
    // Flat: no more than 5 MiB of growth over the last two minutes.
    QVERIFY2(residentMax - residentAtOneMinute <= 5 * 1048576, "memory grows");
    QVERIFY(!rig.RawDataLines().join('\n').contains(QLatin1String("falling behind")));
  }
};

RIDUDER_TEST_MAIN(ReceiverBacklogTest)
#include "tst_receiverbacklog.moc"
