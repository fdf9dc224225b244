#include "TestMain.h"

#include "UbxMessageBuilder.h"
#include "WindowOnSimulator.h"
#include "FakeTimeSource.h"
#include "app/MainWindow.h"
#include "platform/TimeSource.h"
#include "receiver/decode/DecoderCommandThrottle.h"
#include "receiver/decode/UbxDecoder.h"

using namespace riduder::test;

namespace {

QByteArray NavStatus(int gpsFix)
{
  return UbxMessageBuilder(0x01, 0x03, 16).U1(4, quint8(gpsFix)).Frame();
}

QByteArray TimSvin() { return UbxMessageBuilder(0x0D, 0x04, 28).Frame(); }

}  // namespace

// A receiver that ignores a command the decoders send on their own reports
// the same thing again at once; the command goes out again at most every
// ten seconds, each send costing a pause with the line held.
class DecoderCommandThrottleTest : public QObject {
  Q_OBJECT

private slots:
  void commandsAreResentAtMostEveryTenSeconds()
  {
    DecoderCommandThrottle throttle;
    const QByteArray stop = UbxDecoder::StopSurveyInOutputCommand();
    const QByteArray other("@@Cg\x01", 5);
    QVERIFY(throttle.Allow(stop, 1000));
    QVERIFY(!throttle.Allow(stop, 1001));
    QVERIFY(throttle.Allow(other, 1001));  // each command on its own
    QVERIFY(!throttle.Allow(stop, 1000 + DecoderCommandThrottle::ResendIntervalMs - 1));
    QVERIFY(throttle.Allow(stop, 1000 + DecoderCommandThrottle::ResendIntervalMs));
    QVERIFY(!throttle.Allow(stop, 1000 + DecoderCommandThrottle::ResendIntervalMs + 5000));
    QVERIFY(!throttle.Allow(other, 5000));
  }

  void rememberedCommandsAreBounded()
  {
    DecoderCommandThrottle throttle;
    for (int i = 0; i < DecoderCommandThrottle::MaxRemembered + 1; ++i)
      QVERIFY(throttle.Allow(QByteArray::number(i), 0));
    // The oldest made room; the newest is still held back.
    QVERIFY(throttle.Allow(QByteArray::number(0), 1));
    QVERIFY(!throttle.Allow(QByteArray::number(DecoderCommandThrottle::MaxRemembered), 1));
  }

  // The M8T in a time-only fix that keeps sending TIM-SVIN: the window
  // sends the stop command once, then again only ten seconds later.
  void ignoredStopSurveyIsSentAgainOnlyAfterTenSeconds()
  {
    FakeTimeSource clock;
    ScopedTimeSourceOverride useClock(&clock);
    WindowOnSimulator rig(WindowOnSimulator::Options::WithoutPps(GpsModeUbloxUbx, 115200));
    QVERIFY2(rig.Problem().isEmpty(), qPrintable(rig.Problem()));
    const QByteArray stop = UbxDecoder::StopSurveyInOutputCommand();
    auto stopsSent = [&] { return rig.Simulator().received().count(stop); };

    QVERIFY(rig.Feed(NavStatus(5)));
    QTRY_COMPARE(stopsSent(), 1);
    for (int second = 1; second < 10; ++second) {
      clock.Advance(1000);
      QVERIFY(rig.Feed(TimSvin() + NavStatus(5)));
    }
    QTest::qWait(50);
    QCOMPARE(stopsSent(), 1);
    clock.Advance(1000);
    QVERIFY(rig.Feed(TimSvin() + NavStatus(5)));
    QTRY_COMPARE(stopsSent(), 2);
  }
};

RIDUDER_TEST_MAIN(DecoderCommandThrottleTest)
#include "tst_decodercommandthrottle.moc"
