#include "TestMain.h"

#include "FakeTimeSource.h"
#include "RecordingDecoderHost.h"

#include "core/ProgramState.h"
#include "core/ReceiverIdentity.h"
#include "core/ReceiverState.h"
#include "platform/TimeSource.h"
#include "receiver/decode/GpsRxModel.h"
#include "receiver/decode/OncoreDecoder.h"
#include "receiver/decode/UbxDecoder.h"
#include "receiver/link/FramerSink.h"
#include "receiver/link/OncoreFramer.h"
#include "receiver/link/UbxNmeaFramer.h"
#include "tools/simulator/CaptureEpochs.h"
#include "tools/simulator/ReceiverSimulator.h"

#include <QElapsedTimer>
#include <QSerialPort>

#include <memory>

using riduder::sim::EpochStarts;
using riduder::sim::ReceiverSimulator;
using riduder::test::RecordingDecoderHost;

namespace {

// The receiver time the program would show: the bytes off the line framed
// and decoded as the program does, the time of the last clock step.
struct ShownTime : FramerSink {
  explicit ShownTime(bool oncore)
      : oncore(oncore), state(std::make_unique<ReceiverState>()), host(state.get()), oncoreDecoder(*state, host),
        ubxDecoder(*state, host), clockOverride(&clock)
  {
    ResetProgramWideState();
    receiverIdentity.model = GpsRxModel::M12;
  }

  void Feed(const QByteArray &bytes)
  {
    if (oncore)
      oncoreFramer.Process(bytes, *this);
    else
      ubxFramer.Process(bytes, false, *this);
  }

  void OnFramedMessage(const QByteArray &message) override
  {
    if (oncore)
      oncoreDecoder.Decode(message);
    else if (!message.startsWith('$'))
      ubxDecoder.Decode(message);
  }

  QDateTime Latest() const { return host.clockStepTimes.isEmpty() ? QDateTime() : host.clockStepTimes.last(); }

  bool oncore;
  std::unique_ptr<ReceiverState> state;
  RecordingDecoderHost host;
  OncoreDecoder oncoreDecoder;
  UbxDecoder ubxDecoder;
  OncoreFramer oncoreFramer;
  UbxNmeaFramer ubxFramer;
  FakeTimeSource clock;
  ScopedTimeSourceOverride clockOverride;
};

}  // namespace

// The demo's replay goes at the receiver's own pace: one epoch of the
// capture a second, whatever the data rate makes of its bytes.
class TestDemoPacing : public QObject {
  Q_OBJECT

private slots:
  // The simulator runs on a clock of the test's own, moved on in 50 ms
  // steps; at the end of each of its seconds the time the program would
  // show has moved on by exactly one second.
  void theShownReceiverTimeAdvancesOneSecondPerSecond_data()
  {
    QTest::addColumn<QString>("capture");
    QTest::addColumn<bool>("oncore");
    QTest::newRow("M12") << "oncore/oncore-m12.log" << true;
    QTest::newRow("M8T") << "ubx/u-blox-m8t-time.log" << false;
  }

  void theShownReceiverTimeAdvancesOneSecondPerSecond()
  {
    QFETCH(QString, capture);
    QFETCH(bool, oncore);
    bool ok = false;
    const QByteArray bytes = riduder::test::ReadCapture(capture, &ok);
    if (!ok)
      QSKIP("the receiver captures are not available");

    ReceiverSimulator sim;
    QString error;
    QVERIFY2(sim.open(&error), qPrintable(error));
    qint64 simulatedMs = 0;
    sim.setClock([&simulatedMs] { return simulatedMs; });
    QSerialPort port;
    port.setPortName(sim.slavePath());
    port.setBaudRate(9600);
    QVERIFY2(port.open(QIODevice::ReadWrite), qPrintable(port.errorString()));
    ShownTime shown(oncore);
    // The simulator ticks every 5 ms of real time and reads the test's clock.
    auto settle = [&](int realMs) {
      QElapsedTimer real;
      real.start();
      while (real.elapsed() < realMs) {
        QTest::qWait(5);
        shown.Feed(port.readAll());
      }
    };

    sim.startEpochReplay(bytes, 9600, false);
    QList<QDateTime> shownAtEndOfSecond;
    for (int second = 0; second < 7; ++second) {
      for (int ms = 0; ms < 1000; ms += 50) {
        simulatedMs = second * 1000 + ms;
        settle(5);
      }
      simulatedMs = second * 1000 + 999;
      settle(200);
      shownAtEndOfSecond << shown.Latest();
    }
    QStringList steps;
    for (int i = 1; i < shownAtEndOfSecond.size(); ++i)
      steps << QString::number(shownAtEndOfSecond[i - 1].secsTo(shownAtEndOfSecond[i]));
    QVERIFY2(shownAtEndOfSecond.first().isValid(), "no time shown in the first second");
    QCOMPARE(steps.join(' '), QStringLiteral("1 1 1 1 1 1"));
  }

  // The NMEA time field leads when a capture has no binary time; messages
  // without a time belong to the epoch they follow.
  void epochsOfAnNmeaCapture()
  {
    const QByteArray first = "$GPGGA,120000.00,5230.0,N,01320.0,E,1,08,1.0,50.0,M,40.0,M,,*00\r\n"
                             "$GPGSV,1,1,00*79\r\n";
    const QByteArray second = "$GPRMC,120001.00,A,5230.0,N,01320.0,E,0.0,0.0,010124,,,A*00\r\n"
                              "$GPGGA,120001.00,5230.0,N,01320.0,E,1,08,1.0,50.0,M,40.0,M,,*00\r\n";
    const QByteArray third = "$GPGLL,5230.0,N,01320.0,E,120002.00,A,A*00\r\n";
    QCOMPARE(EpochStarts(first + second + third),
             (QList<qint64>{0, first.size(), first.size() + second.size()}));
    QCOMPARE(EpochStarts("no time here\r\n"), QList<qint64>{0});
  }
};

RIDUDER_TEST_MAIN(TestDemoPacing)
#include "tst_demopacing.moc"
