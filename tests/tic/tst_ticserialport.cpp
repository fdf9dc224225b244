#include "TestMain.h"

#include "FlushUnderReader.h"
#include "ProcessMemory.h"
#include "StoredCounters.h"
#include "TimerLateness.h"
#include "platform/SerialPortErrors.h"
#include "tic/TicPortSettings.h"
#include "tic/TicScpi.h"
#include "tic/TicSerialPortThread.h"
#include "tools/simulator/CounterSimulator.h"
#include "tools/simulator/ReceiverSimulator.h"

#include <QElapsedTimer>
#include <QSettings>
#include <QSignalSpy>
#include <QTcpServer>
#include <QThread>

#include <cerrno>

using riduder::sim::CounterProfile;
using riduder::sim::CounterSimulator;
using riduder::sim::ReceiverSimulator;
using riduder::test::FlushUnderReader;
using riduder::test::StoreTcpCounter;
using riduder::test::TimerLateness;

namespace {

void StoreSerialCounter(int port, const QString &device, int rate)
{
  QSettings s;
  s.setValue(TicPortKey(port, ""), device);
  s.setValue(TicPortKey(port, " DataRate"), rate);
}

QList<QByteArray> Lines(const QSignalSpy &spy)
{
  QList<QByteArray> lines;
  for (const QList<QVariant> &call : spy)
    lines << call.first().toByteArray();
  return lines;
}

// What the program sent after the greeting: "\r\n", the set-up, then polls.
QList<QByteArray> ExpectedStart(TicCounterModel model, int polls)
{
  QList<QByteArray> expected{"\r\n"};
  expected += TicScpiSetup(model);
  for (int i = 0; i < polls; ++i)
    expected << "READ?\r\n";
  return expected;
}

}  // namespace

class TicSerialPortTest : public QObject {
  Q_OBJECT
private slots:
  void init() { QSettings().clear(); }

  void knownCountersAreSetUpThenPolled_data()
  {
    QTest::addColumn<int>("model");
    QTest::addColumn<QByteArray>("reading");
    QTest::newRow("53230A") << int(TicCounterModel::Counter5322xA) << QByteArray("4 +1.234567890000E-07");
    QTest::newRow("BNC1105") << int(TicCounterModel::Bnc1105) << QByteArray("4 -2.5E-08");
  }

  void knownCountersAreSetUpThenPolled()
  {
    QFETCH(int, model);
    QFETCH(QByteArray, reading);
    const auto kind = TicCounterModel(model);
    CounterSimulator counter(kind == TicCounterModel::Bnc1105 ? CounterProfile::ModelBnc1105()
                                                              : CounterProfile::Model53230A());
    QString error;
    QVERIFY2(counter.start(&error), qPrintable(error));
    StoreTcpCounter(4, counter.address());

    QTest::ignoreMessage(QtDebugMsg, "connected...");
    QTest::ignoreMessage(QtDebugMsg, "Port 4, TicSerialPortThread::InitializeTcpIpTIC() Find the counter type.\r\n");
    QTest::ignoreMessage(QtDebugMsg, kind == TicCounterModel::Bnc1105
                                         ? "Port 4, TicSerialPortThread::InitializeTcpIpTIC() Found BNC1105 TIC.\r\n"
                                         : "Port 4, TicSerialPortThread::InitializeTcpIpTIC() Found 53220A or 53230A TIC.\r\n");
    TicSerialPortThread port;
    QSignalSpy lines(&port, &TicSerialPortThread::newTicText);
    port.startTicSerialPort(4);
    QVERIFY(port.isRunning());

    const int setupSize = TicScpiSetup(kind).size();
    QTRY_VERIFY_WITH_TIMEOUT(counter.receivedMessages().size() >= 1 + setupSize + 3, 5000);
    QCOMPARE(counter.receivedMessages().mid(0, 1 + setupSize + 3), ExpectedStart(kind, 3));
    QTRY_VERIFY_WITH_TIMEOUT(Lines(lines).count(reading) >= 2, 5000);
    if (kind == TicCounterModel::Counter5322xA)
      QCOMPARE(Lines(lines).first(), QByteArray("4 5025"));  // the answer to the set-up's query
    for (const QByteArray &line : Lines(lines))
      QVERIFY2(line.startsWith("4 "), line.constData());
    QCOMPARE(port.TcpIpState(), QAbstractSocket::ConnectedState);
  }

  void unknownAndSilentCountersStayConnectedAndUnpolled_data()
  {
    QTest::addColumn<bool>("silent");
    QTest::newRow("unknown model") << false;
    QTest::newRow("silent") << true;
  }

  void unknownAndSilentCountersStayConnectedAndUnpolled()
  {
    QFETCH(bool, silent);
    CounterSimulator counter(silent ? CounterProfile::Silent() : CounterProfile::UnknownModel());
    QVERIFY(counter.start());
    StoreTcpCounter(6, counter.address());
    if (silent)
      QTest::ignoreMessage(QtDebugMsg, "Port 6, TicSerialPortThread::InitializeTcpIpTIC() No response.\r\n");
    TicSerialPortThread port;
    QSignalSpy lines(&port, &TicSerialPortThread::newTicText);
    port.startTicSerialPort(6);
    QTRY_COMPARE_WITH_TIMEOUT(port.TcpIpState(), QAbstractSocket::ConnectedState, 5000);
    QTest::qWait(silent ? 1500 : 500);
    QCOMPARE(counter.connectionsOpen(), 1);
    QCOMPARE(counter.received(), QByteArray());
    QVERIFY(lines.isEmpty());
    QCOMPARE(port.TcpIpState(), QAbstractSocket::ConnectedState);

    // What such a counter goes on sending is never read, and never piles up.
    counter.write(QByteArray(200000, 'x'));
    QTest::qWait(300);
    QVERIFY(port.TcpIpBytesWaiting() <= TicSerialPortThread::TcpReadBufferBytes);
    QCOMPARE(port.TcpIpState(), QAbstractSocket::ConnectedState);
  }

  // The greeting is waited for until its line is whole, within the second.
  void aGreetingInTwoPiecesIsRecognised()
  {
    CounterProfile profile = CounterProfile::Model53230A();
    profile.greetingRest = profile.greeting.mid(18);
    profile.greeting = profile.greeting.left(18);  // "Welcome to the 532"
    profile.greetingRestDelayMs = 300;
    CounterSimulator counter(profile);
    QVERIFY(counter.start());
    StoreTcpCounter(3, counter.address());
    QTest::ignoreMessage(QtDebugMsg, "Port 3, TicSerialPortThread::InitializeTcpIpTIC() Found 53220A or 53230A TIC.\r\n");
    TicSerialPortThread port;
    port.startTicSerialPort(3);
    QTRY_VERIFY_WITH_TIMEOUT(counter.receivedMessages().contains("READ?\r\n"), 5000);
    QCOMPARE(counter.receivedMessages().first(), QByteArray("\r\n"));
  }

  void aReadingSplitOverTwoWritesArrivesWhole()
  {
    CounterProfile profile = CounterProfile::Model53230A();
    profile.rules.first().reply.bytes.clear();  // "READ?" waits for the test
    CounterSimulator counter(profile);
    QVERIFY(counter.start());
    StoreTcpCounter(2, counter.address());
    TicSerialPortThread port;
    QSignalSpy lines(&port, &TicSerialPortThread::newTicText);
    port.startTicSerialPort(2);
    QTRY_VERIFY_WITH_TIMEOUT(counter.receivedMessages().contains("READ?\r\n"), 5000);
    lines.clear();

    counter.write("+1.2345");
    QTest::qWait(200);  // the first half is read on its own
    QVERIFY(lines.isEmpty());
    counter.write("6E-09\r\n53230A> ");
    QTRY_COMPARE_WITH_TIMEOUT(lines.size(), 1, 3000);
    QCOMPARE(lines.first().first().toByteArray(), QByteArray("2 +1.23456E-09"));
    QTRY_COMPARE_WITH_TIMEOUT(counter.receivedMessages().count("READ?\r\n"), 2, 3000);
  }

  // A counter streaming 20,000 readings a second for 10 s, each with its
  // prompt: the port goes on reading to the end, what it cannot handle
  // beyond what may wait is dropped whole, the memory stays put and the
  // event loop is never held.
  void aCounterThatTalksFastIsReadToTheEnd_data()
  {
    QTest::addColumn<int>("handlingUs");
    QTest::newRow("readings handled at once") << 0;
    QTest::newRow("readings taking 150 us each") << 150;
  }

  void aCounterThatTalksFastIsReadToTheEnd()
  {
    QFETCH(int, handlingUs);
    constexpr int LinesPerSecond = 20000;
    constexpr int RunMs = 10000;
    CounterProfile profile = CounterProfile::Model53230A();
    profile.rules.clear();  // the stream is the only answer
    profile.streamLinesPerSecond = LinesPerSecond;
    CounterSimulator counter(profile);
    QVERIFY(counter.start());
    StoreTcpCounter(4, counter.address());

    TicSerialPortThread port;
    qint64 received = 0;
    qint64 lastNumber = 0;
    QElapsedTimer run;
    qint64 lastReadingAtMs = -1;
    QByteArray badLine;
    connect(&port, &TicSerialPortThread::newTicText, this, [&](const QByteArray &line) {
      QElapsedTimer busy;
      busy.start();
      while (busy.nsecsElapsed() < handlingUs * 1000LL) {
      }
      ++received;
      lastReadingAtMs = run.elapsed();
      bool ok = false;
      const qint64 number = line.startsWith("4 +") && line.endsWith("E-12") ? line.mid(3, line.size() - 7).toLongLong(&ok) : 0;
      // Whole readings, in order: a drop never cuts one.
      if (!ok || number <= lastNumber)
        badLine = line;
      lastNumber = number;
    });
    QtMessageHandler previous = qInstallMessageHandler(nullptr);
    static int dropLines;
    dropLines = 0;
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &text) {
      if (type == QtDebugMsg && text.contains(QLatin1String("readings dropped")))
        ++dropLines;
    });

    QSignalSpy dropNotices(&port, &TicSerialPortThread::readingsDropped);
    TimerLateness lateness;
    // The same timer without the counter, for the report: the machine's own
    // share of the lateness.
    lateness.Start();
    QTest::qWait(1000);
    lateness.Stop();
    const qint64 idleLateMs = lateness.WorstLateMs();

    port.startTicSerialPort(4);
    QTRY_VERIFY_WITH_TIMEOUT(received > 0, 5000);
    run.start();
    lateness.Start();
    qint64 residentEarly = 0;
    qint64 mostWaiting = 0;
    while (run.elapsed() < RunMs) {
      QTest::qWait(50);
      mostWaiting = qMax(mostWaiting, port.TcpIpBytesWaiting());
      if (residentEarly == 0 && run.elapsed() >= 2000)
        residentEarly = riduder::test::ResidentBytes();
    }
    lateness.Stop();
    const qint64 worstLateMs = lateness.WorstLateMs();
    const qint64 residentLate = riduder::test::ResidentBytes();
    const qint64 streamed = counter.lastStreamedReading();
    qInstallMessageHandler(previous);
    qInfo("%lld of %lld readings handled, worst timer lateness %lld ms (%lld ms without the counter), resident "
          "%lld -> %lld KiB, %d drop lines",
          received, streamed, worstLateMs, idleLateMs, residentEarly / 1024, residentLate / 1024, dropLines);

    QVERIFY2(badLine.isEmpty(), badLine.constData());
    QCOMPARE(port.TcpIpState(), QAbstractSocket::ConnectedState);
    // Still reading at the end, and not far behind the counter.
    QVERIFY2(lastReadingAtMs >= RunMs - 500, qPrintable(QString::number(lastReadingAtMs)));
    QVERIFY2(lastNumber >= streamed - LinesPerSecond, qPrintable(QStringLiteral("%1 of %2").arg(lastNumber).arg(streamed)));
    if (riduder::test::TimeAndMemoryFiguresHold)
      QVERIFY2(worstLateMs <= 25, qPrintable(QString::number(worstLateMs)));
    QVERIFY(mostWaiting <= TicSerialPortThread::TcpReadBufferBytes);
    if (residentEarly > 0 && riduder::test::TimeAndMemoryFiguresHold)
      QVERIFY2(residentLate - residentEarly < 8 * 1024 * 1024,
               qPrintable(QStringLiteral("%1 -> %2").arg(residentEarly).arg(residentLate)));
    // Every prompt answered, but the drops told once a second at most.
    QVERIFY(counter.receivedMessages().count("READ?\r\n") > 100);
    QVERIFY2(dropLines <= RunMs / 1000 + 2, qPrintable(QString::number(dropLines)));
    QCOMPARE(dropNotices.size(), dropLines);  // the same words for the TIC raw-data window
    if (handlingUs > 0)
      QVERIFY(dropLines >= 1);
  }

  // The program held up for 2 s (a loaded machine, a stop and continue)
  // while a counter streams 100 readings a second, each reading taking a
  // millisecond to handle as on a loaded machine: what waited meanwhile is
  // handled afterwards, every reading, in order.
  void readingsThatWaitedWhileTheProgramWasHeldUpAllArrive()
  {
    CounterProfile profile = CounterProfile::Model53230A();
    profile.rules.clear();  // the stream is the only answer
    profile.streamLinesPerSecond = 100;
    CounterSimulator counter(profile);
    QVERIFY(counter.start());
    StoreTcpCounter(4, counter.address());

    TicSerialPortThread port;
    QList<qint64> numbers;
    connect(&port, &TicSerialPortThread::newTicText, this, [&](const QByteArray &line) {
      QElapsedTimer busy;
      busy.start();
      while (busy.nsecsElapsed() < 1000000) {
      }
      numbers << (line.startsWith("4 +") && line.endsWith("E-12") ? line.mid(3, line.size() - 7).toLongLong() : -1);
    });
    QSignalSpy drops(&port, &TicSerialPortThread::readingsDropped);
    port.startTicSerialPort(4);
    QTRY_VERIFY_WITH_TIMEOUT(numbers.size() >= 10, 5000);

    QThread::msleep(2000);  // no event is handled meanwhile
    const qint64 streamedWhileHeld = counter.lastStreamedReading();
    QVERIFY(streamedWhileHeld - numbers.last() >= 150);
    QTRY_VERIFY_WITH_TIMEOUT(numbers.last() >= streamedWhileHeld + 50, 5000);

    QCOMPARE(numbers.first(), qint64(1));
    for (int i = 1; i < numbers.size(); ++i)
      QVERIFY2(numbers.at(i) == numbers.at(i - 1) + 1,
               qPrintable(QStringLiteral("%1 after %2").arg(numbers.at(i)).arg(numbers.at(i - 1))));
    QVERIFY(drops.isEmpty());
  }

  void aDroppedCounterWaitsForTheNextStart()
  {
    CounterSimulator counter(CounterProfile::ModelBnc1105());
    QVERIFY(counter.start());
    StoreTcpCounter(1, counter.address());
    TicSerialPortThread port;
    QSignalSpy lines(&port, &TicSerialPortThread::newTicText);
    port.startTicSerialPort(1);
    QTRY_VERIFY_WITH_TIMEOUT(!lines.isEmpty(), 5000);

    QTest::ignoreMessage(QtDebugMsg, "SOCKET ERROR: Remote host closed");
    counter.dropConnections();
    QTRY_COMPARE_WITH_TIMEOUT(port.TcpIpState(), QAbstractSocket::UnconnectedState, 3000);
    lines.clear();
    QTest::qWait(600);
    QVERIFY(lines.isEmpty());
    QCOMPARE(counter.connectionsAccepted(), 1);

    counter.clearReceived();
    port.startTicSerialPort(1);
    QTRY_VERIFY_WITH_TIMEOUT(!lines.isEmpty(), 5000);
    QCOMPARE(counter.connectionsAccepted(), 2);
    QCOMPARE(counter.receivedMessages().first(), QByteArray("\r\n"));
    QCOMPARE(counter.receivedMessages().at(1), TicScpiSetup(TicCounterModel::Bnc1105).first());
  }

  void refusedConnectionIsOnlyADebugLine()
  {
    QTcpServer closed;
    QVERIFY(closed.listen(QHostAddress::LocalHost, 0));
    const quint16 freePort = closed.serverPort();
    closed.close();
    StoreTcpCounter(3, "127.0.0.1:" + QByteArray::number(freePort));
    QTest::ignoreMessage(QtDebugMsg, "SOCKET ERROR: Connection refused");
    TicSerialPortThread port;
    QSignalSpy boxes(&port, &TicSerialPortThread::showErrorMessageBox);
    port.startTicSerialPort(3);
    QTest::qWait(300);
    QCOMPARE(port.TcpIpState(), QAbstractSocket::UnconnectedState);
    QVERIFY(boxes.isEmpty());
  }

  void anAddressTheCheckRefusesTurnsThePortOff_data()
  {
    QTest::addColumn<QByteArray>("address");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("host name") << QByteArray("localhost");
    QTest::newRow("octet out of range") << QByteArray("127.0.0.256");
  }

  void anAddressTheCheckRefusesTurnsThePortOff()
  {
    QFETCH(QByteArray, address);
    StoreTcpCounter(7, address);
    TicSerialPortThread port;
    port.startTicSerialPort(7);
    QCOMPARE(port.PortName(), QStringLiteral("OFF"));
    QCOMPARE(QSettings().value(TicPortKey(7, "")).toString(), QStringLiteral("OFF"));
    QCOMPARE(port.TcpIpState(), QAbstractSocket::UnconnectedState);
  }

  void serialCounterLinesArriveWithThePortNumber_data()
  {
    QTest::addColumn<int>("rate");
    QTest::newRow("9600") << 9600;
    QTest::newRow("115000") << 115000;
  }

  void serialCounterLinesArriveWithThePortNumber()
  {
    QFETCH(int, rate);
    ReceiverSimulator line;
    QString error;
    QVERIFY2(line.open(&error), qPrintable(error));
    StoreSerialCounter(5, line.slavePath(), rate);
    TicSerialPortThread port;
    QSignalSpy lines(&port, &TicSerialPortThread::newTicText);
    QSignalSpy boxes(&port, &TicSerialPortThread::showErrorMessageBox);
    port.startTicSerialPort(5);
    QVERIFY(port.IsSerialOpen());
    QVERIFY(boxes.isEmpty());
    if (line.lineRate() != 0)
      QCOMPARE(line.lineRate(), rate);

    line.write("12.5\r\n7\r");
    QTRY_COMPARE_WITH_TIMEOUT(lines.size(), 2, 3000);
    QCOMPARE(Lines(lines), (QList<QByteArray>{"5 12.5", "5 7"}));
    QTest::qWait(100);
    QVERIFY(line.received().isEmpty());  // nothing is ever sent to a serial counter

    port.stopTicSerialPort();
    QVERIFY(!port.IsSerialOpen());
    QVERIFY(!port.isRunning());
  }

  void missingSerialDeviceGivesOneBox()
  {
    StoreSerialCounter(8, QStringLiteral("/dev/riduder-no-such-counter"), 9600);
    TicSerialPortThread port;
    QSignalSpy boxes(&port, &TicSerialPortThread::showErrorMessageBox);
    port.startTicSerialPort(8);
    QTest::qWait(100);
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes.first().first().toString(),
             QStringLiteral("Can't open TIC Port /dev/riduder-no-such-counter\r\n\r\n\"An error occurred while "
                            "attempting to open an non-existing device.\""));
  }

  void aSerialErrorAfterOpeningClosesThePortWithOneBox()
  {
    ReceiverSimulator line;
    QVERIFY(line.open());
    const QString device = line.slavePath();
    StoreSerialCounter(5, device, 9600);
    TicSerialPortThread port;
    QSignalSpy boxes(&port, &TicSerialPortThread::showErrorMessageBox);
    QSignalSpy lost(&port, &TicSerialPortThread::portLost);
    port.startTicSerialPort(5);
    QVERIFY(port.IsSerialOpen());
    QElapsedTimer clock;
    clock.start();
    line.close();  // the other side hangs up: every read now finds nothing
    QTRY_VERIFY_WITH_TIMEOUT(!lost.isEmpty(), 1000);
    QVERIFY2(clock.elapsed() <= 1000, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(!port.IsSerialOpen());
    QCOMPARE(lost.first().at(1).toString(), QString::fromLatin1(SerialDeviceHungUpText));
    QTest::qWait(200);
    QCOMPARE(lost.size(), 1);
    QCOMPARE(boxes.size(), 1);
    QVERIFY(boxes.first().first().toString().startsWith(QStringLiteral("Can't open TIC Port ") + device));
  }

  // Bytes taken from the line between the notice that they are there and
  // the read leave a read that returns nothing: the counter's line is
  // still up, however often it happens.
  void aReadThatFindsNothingKeepsTheSerialCounterOpen()
  {
    ReceiverSimulator line;
    QVERIFY(line.open());
    FlushUnderReader flusher(line.slavePath());  // before the port opens the line
    QVERIFY(flusher.IsOpen());
    StoreSerialCounter(5, line.slavePath(), 9600);
    TicSerialPortThread port;
    QSignalSpy lines(&port, &TicSerialPortThread::newTicText);
    QSignalSpy lost(&port, &TicSerialPortThread::portLost);
    QSignalSpy boxes(&port, &TicSerialPortThread::showErrorMessageBox);
    port.startTicSerialPort(5);
    QVERIFY(port.IsSerialOpen());
    constexpr int Flushes = 40;
    QList<QByteArray> expected;
    for (int i = 0; i < Flushes; ++i) {
      // EAGAIN or EIO left by an earlier call makes it a ResourceError.
      constexpr int StaleErrnos[] = {ENOENT, EAGAIN, EIO};
      flusher.FlushNextArrival(StaleErrnos[i % 3]);
      line.write("99.9\r");
      QTRY_COMPARE(flusher.Flushes(), i + 1);
      line.write(QByteArray::number(i) + ".5\r");
      expected << "5 " + QByteArray::number(i) + ".5";
      QTRY_COMPARE(Lines(lines), expected);
    }
    QVERIFY(port.IsSerialOpen());
    QVERIFY(lost.isEmpty());
    QVERIFY(boxes.isEmpty());
  }

  void offOpensNothing()
  {
    TicSerialPortThread port;
    QSignalSpy boxes(&port, &TicSerialPortThread::showErrorMessageBox);
    port.startTicSerialPort(2);
    QCOMPARE(port.PortName(), QStringLiteral("OFF"));
    QVERIFY(!port.IsSerialOpen());
    QCOMPARE(port.TcpIpState(), QAbstractSocket::UnconnectedState);
    QVERIFY(boxes.isEmpty());
  }

  void thePortKeepsItsFirstNumber()
  {
    ReceiverSimulator line;
    QVERIFY(line.open());
    StoreSerialCounter(2, line.slavePath(), 9600);
    TicSerialPortThread port;
    port.startTicSerialPort(3);  // port 3 is OFF
    QCOMPARE(port.PortNumber(), 3);
    port.startTicSerialPort(2);
    QCOMPARE(port.PortNumber(), 3);
    QVERIFY(!port.IsSerialOpen());  // the second call did nothing at all
  }

  void destroyingThePortClosesItsConnection()
  {
    CounterSimulator counter(CounterProfile::Model53230A());
    QVERIFY(counter.start());
    StoreTcpCounter(1, counter.address());
    {
      TicSerialPortThread port;
      port.startTicSerialPort(1);
      QTRY_COMPARE_WITH_TIMEOUT(counter.connectionsOpen(), 1, 5000);
    }
    QTRY_COMPARE_WITH_TIMEOUT(counter.connectionsOpen(), 0, 3000);
  }
};

RIDUDER_TEST_MAIN(TicSerialPortTest)
#include "tst_ticserialport.moc"
