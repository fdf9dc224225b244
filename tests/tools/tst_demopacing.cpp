#include "TestMain.h"

#include "FakeTimeSource.h"
#include "RecordingDecoderHost.h"
#include "UbxMessageBuilder.h"

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

using riduder::sim::DemoRateFor;
using riduder::sim::EpochStarts;
using riduder::sim::LongestEpochBytes;
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

// A simulator whose replay runs on the test's own clock, and the port that
// reads its line at 9600 bit/s.
struct PacedLine {
  bool Open(QString *error)
  {
    if (!sim.open(error))
      return false;
    sim.setClock([this] { return simulatedMs; });
    port.setPortName(sim.slavePath());
    port.setBaudRate(9600);
    if (!port.open(QIODevice::ReadWrite)) {
      *error = port.errorString();
      return false;
    }
    return true;
  }

  // Moves the clock through simulated second `second` in 50 ms steps, then
  // waits at its last millisecond for the line to deliver; returns what
  // the port read meanwhile. The simulator ticks every 5 ms of real time.
  QByteArray RunSecond(int second)
  {
    QByteArray read;
    auto settle = [&](int realMs) {
      QElapsedTimer real;
      real.start();
      while (real.elapsed() < realMs) {
        QTest::qWait(5);
        read += port.readAll();
      }
    };
    for (int ms = 0; ms < 1000; ms += 50) {
      simulatedMs = second * 1000 + ms;
      settle(5);
    }
    simulatedMs = second * 1000 + 999;
    settle(200);
    return read;
  }

  ReceiverSimulator sim;
  qint64 simulatedMs = 0;
  QSerialPort port;
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
    QVERIFY2(ok, qPrintable(capture + " could not be read"));

    PacedLine line;
    QString error;
    QVERIFY2(line.Open(&error), qPrintable(error));
    ShownTime shown(oncore);
    line.sim.startEpochReplay(bytes, 9600, false);
    QList<QDateTime> shownAtEndOfSecond;
    for (int second = 0; second < 7; ++second) {
      shown.Feed(line.RunSecond(second));
      shownAtEndOfSecond << shown.Latest();
    }
    QStringList steps;
    for (int i = 1; i < shownAtEndOfSecond.size(); ++i)
      steps << QString::number(shownAtEndOfSecond[i - 1].secsTo(shownAtEndOfSecond[i]));
    QVERIFY2(shownAtEndOfSecond.first().isValid(), "no time shown in the first second");
    QCOMPARE(steps.join(' '), QStringLiteral("1 1 1 1 1 1"));
  }

  // A looped replay, read across three loops of a four-epoch capture: each
  // second carries the one epoch due and nothing else, in order, loop after
  // loop. The capture's end once started the loop over at every tick of its
  // last second, sending the whole capture again and again.
  void aLoopedReplaySendsEachEpochOncePerLoop()
  {
    QList<QByteArray> epochs;
    for (int e = 0; e < 4; ++e) {
      QByteArray epoch = "$GPZDA,12000" + QByteArray::number(e) + ".00,01,02,2024,00,00*00\r\n";
      for (int k = 0; k <= e; ++k)
        epoch += "$GPGSV,1,1,0" + QByteArray::number(k) + "*00\r\n";
      epochs << epoch;
    }
    const QByteArray capture = epochs.join();
    QCOMPARE(EpochStarts(capture).size(), epochs.size());

    PacedLine line;
    QString error;
    QVERIFY2(line.Open(&error), qPrintable(error));
    line.sim.startEpochReplay(capture, 9600, true);
    for (int second = 0; second < 3 * epochs.size() + 1; ++second) {
      const QByteArray read = line.RunSecond(second);
      const QByteArray due = epochs.at(second % epochs.size());
      QVERIFY2(read == due, qPrintable(QStringLiteral("second %1: %2 bytes, not the %3 of epoch %4")
                                           .arg(second)
                                           .arg(read.size())
                                           .arg(due.size())
                                           .arg(second % epochs.size())));
    }
  }

  // The demo's rate carries the capture's longest epoch within a second, at
  // ten bits a byte; beyond the highest usual rate it stays at that.
  void demoRateCarriesTheLongestEpoch_data()
  {
    QTest::addColumn<int>("longestEpoch");
    QTest::addColumn<int>("rate");
    QTest::newRow("fits 9600") << 960 << 9600;
    QTest::newRow("one byte more") << 961 << 19200;
    QTest::newRow("38400") << 2143 << 38400;
    QTest::newRow("57600") << 5760 << 57600;
    QTest::newRow("115200") << 5761 << 115200;
    QTest::newRow("beyond every rate") << 19992 << 115200;
  }

  void demoRateCarriesTheLongestEpoch()
  {
    QFETCH(int, longestEpoch);
    QFETCH(int, rate);
    // Three epochs, the middle one the longest: each a time sentence padded
    // with a sentence of no time.
    auto epoch = [](int second, int size) {
      QByteArray bytes = "$GPZDA,12000" + QByteArray::number(second) + ".00,01,02,2024,00,00*00\r\n";
      const int pad = size - int(bytes.size()) - 4;
      return bytes + "$" + QByteArray(pad, 'P') + "*\r\n";
    };
    const QByteArray capture = epoch(0, 400) + epoch(1, longestEpoch) + epoch(2, 500);
    QCOMPARE(LongestEpochBytes(capture), qint64(longestEpoch));
    QCOMPARE(DemoRateFor(capture), rate);
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

  // A UBX epoch is timed by the iTOW of its NAV messages, which the
  // high-precision position messages keep after a version byte: read at
  // the payload's start, their zeros cut every epoch in three.
  void epochsOfAUbxCapture()
  {
    using riduder::test::UbxMessageBuilder;
    auto epoch = [](quint32 iTow) {
      return UbxMessageBuilder(0x01, 0x07, 92).U4(0, iTow).Frame()      // PVT
             + UbxMessageBuilder(0x01, 0x13, 28).U4(4, iTow).Frame()   // HPPOSECEF
             + UbxMessageBuilder(0x01, 0x14, 36).U4(4, iTow).Frame()   // HPPOSLLH
             + UbxMessageBuilder(0x01, 0x3C, 64).U4(4, iTow).Frame()   // RELPOSNED
             + UbxMessageBuilder(0x01, 0x61, 4).U4(0, iTow).Frame();  // EOE
    };
    const QByteArray first = epoch(163178000);
    const QByteArray second = epoch(163179000);
    QCOMPARE(EpochStarts(first + second + epoch(163180000)),
             (QList<qint64>{0, first.size(), first.size() + second.size()}));
  }
};

RIDUDER_TEST_MAIN(TestDemoPacing)
#include "tst_demopacing.moc"
