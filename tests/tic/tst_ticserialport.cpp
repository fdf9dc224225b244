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
#include <QTimer>

#include <cerrno>
#include <map>
#include <memory>
#include <vector>

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

// Takes the numbered readings ("<port> +<n>E-12") of streaming counters,
// each taking handlingUs to handle as on a loaded machine, and counts the
// readings handled between two ticks of a 10 ms timer: a port that held the
// event loop while it worked off a backlog would handle many between two.
class StreamedReadings : public QObject {
public:
  struct Port {
    qint64 count = 0;
    qint64 last = 0;  // the last reading's number
    qint64 gaps = 0;  // readings that did not follow the one before
  };

  explicit StreamedReadings(int handlingUs) : handlingUs(handlingUs)
  {
    tick.setTimerType(Qt::PreciseTimer);
    tick.setInterval(10);
    connect(&tick, &QTimer::timeout, this, [this] {
      mostBetweenTicks = qMax(mostBetweenTicks, sinceTick);
      sinceTick = 0;
    });
  }

  void Watch(TicSerialPortThread &port)
  {
    connect(&port, &TicSerialPortThread::newTicText, this, [this](const QByteArray &line) { Take(line); });
  }

  void StartTicking()
  {
    mostBetweenTicks = 0;
    sinceTick = 0;
    tick.start();
  }

  void StopTicking()
  {
    tick.stop();
    mostBetweenTicks = qMax(mostBetweenTicks, sinceTick);
  }

  qint64 received = 0;
  std::map<int, Port> ports;
  QByteArray badLine;  // the first reading not whole or not after the one before
  qint64 mostBetweenTicks = 0;

private:
  void Take(const QByteArray &line)
  {
    QElapsedTimer busy;
    busy.start();
    while (busy.nsecsElapsed() < handlingUs * 1000LL) {
    }
    ++received;
    ++sinceTick;
    const qsizetype blank = line.indexOf(' ');
    const QByteArray reading = line.mid(blank + 1);
    bool portOk = false;
    bool numberOk = false;
    const int port = blank > 0 ? line.left(blank).toInt(&portOk) : 0;
    const qint64 number = reading.startsWith('+') && reading.endsWith("E-12")
                              ? reading.mid(1, reading.size() - 5).toLongLong(&numberOk)
                              : 0;
    Port &taken = ports[port];
    if (!portOk || !numberOk || number <= taken.last) {
      if (badLine.isEmpty())
        badLine = line;
    } else if (number != taken.last + 1) {
      ++taken.gaps;
    }
    taken.last = number;
    ++taken.count;
  }

  const int handlingUs;
  QTimer tick;
  qint64 sinceTick = 0;
};

// The most readings a port may hand on between two ticks of the timer while
// each takes handlingUs: those of a tenth of a second, many passes' worth.
qint64 MostReadingsBetweenTicks(int handlingUs)
{
  return 100000 / handlingUs;
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
  // prompt: the port goes on reading to the end, whole readings in order;
  // what it cannot handle in time waits in TCP, holding the counter back,
  // while what waits in the program stays bounded, the memory stays put and
  // the event loop is never held. How late a timer fires meanwhile is
  // printed, not checked: it measures the machine as much as the port.
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
    StreamedReadings readings(handlingUs);
    readings.Watch(port);
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
    QTRY_VERIFY_WITH_TIMEOUT(readings.received > 0, 5000);
    QElapsedTimer run;
    run.start();
    lateness.Start();
    readings.StartTicking();
    qint64 residentEarly = 0;
    qint64 mostWaiting = 0;
    qsizetype promptsAnsweredAtHalf = -1;
    while (run.elapsed() < RunMs) {
      QTest::qWait(50);
      mostWaiting = qMax(mostWaiting, port.TcpIpBytesWaiting());
      if (residentEarly == 0 && run.elapsed() >= 2000)
        residentEarly = riduder::test::ResidentBytes();
      if (promptsAnsweredAtHalf < 0 && run.elapsed() >= RunMs / 2)
        promptsAnsweredAtHalf = counter.received().count("READ?\r\n");
    }
    lateness.Stop();
    readings.StopTicking();
    const qint64 worstLateMs = lateness.WorstLateMs();
    const qint64 residentLate = riduder::test::ResidentBytes();
    const qint64 streamed = counter.lastStreamedReading();
    const qint64 receivedAtEnd = readings.received;
    // Counted in the bytes received: the list of messages keeps only the latest.
    const qsizetype promptsAnsweredAtEnd = counter.received().count("READ?\r\n");
    qInstallMessageHandler(previous);
    qInfo("%lld of %lld readings handled, at most %lld between two timer ticks, worst timer lateness %lld ms "
          "(%lld ms without the counter), at most %lld bytes waiting, resident %lld -> %lld KiB",
          receivedAtEnd, streamed, readings.mostBetweenTicks, worstLateMs, idleLateMs, mostWaiting,
          residentEarly / 1024, residentLate / 1024);

    QVERIFY2(readings.badLine.isEmpty(), readings.badLine.constData());
    QCOMPARE(port.TcpIpState(), QAbstractSocket::ConnectedState);
    // Still reading at the end: the readings go on coming after it.
    QTRY_VERIFY_WITH_TIMEOUT(readings.received > receivedAtEnd, 5000);
    // A port that keeps up answers the prompts all along, in the second
    // half of the run as in the first (one answer a read of the socket, so
    // how many depends on how often the machine let it read). One that is
    // behind reads the socket only as its queue drains, which a busy
    // machine may not allow within the run.
    if (handlingUs == 0) {
      QVERIFY(promptsAnsweredAtHalf > 0);
      QVERIFY2(promptsAnsweredAtEnd > promptsAnsweredAtHalf,
               qPrintable(QStringLiteral("%1 -> %2").arg(promptsAnsweredAtHalf).arg(promptsAnsweredAtEnd)));
    }
    if (handlingUs > 0)
      QVERIFY2(readings.mostBetweenTicks <= MostReadingsBetweenTicks(handlingUs),
               qPrintable(QString::number(readings.mostBetweenTicks)));
    QVERIFY2(mostWaiting <= TicSerialPortThread::TcpReadBufferBytes, qPrintable(QString::number(mostWaiting)));
    if (residentEarly > 0 && riduder::test::TimeAndMemoryFiguresHold)
      QVERIFY2(residentLate - residentEarly < 8 * 1024 * 1024,
               qPrintable(QStringLiteral("%1 -> %2").arg(residentEarly).arg(residentLate)));
    // The counter is held back, not cut short: the port drops nothing.
    QCOMPARE(dropLines, 0);
    QVERIFY(dropNotices.isEmpty());
  }

  // The program held up (a loaded machine, a stop and continue) while
  // counters stream 100 readings a second each, each reading taking a while
  // to handle as on a loaded machine: what waited meanwhile, beyond what the
  // program keeps, waits in TCP and is handled afterwards, every reading,
  // in order, with the event loop turning while the backlog is worked off.
  void readingsThatWaitedWhileTheProgramWasHeldUpAllArrive_data()
  {
    QTest::addColumn<int>("counters");
    QTest::addColumn<int>("heldSeconds");
    QTest::addColumn<int>("handlingUs");
    QTest::newRow("one counter held 2 s") << 1 << 2 << 1000;
    QTest::newRow("two counters held 60 s") << 2 << 60 << 250;
  }

  void readingsThatWaitedWhileTheProgramWasHeldUpAllArrive()
  {
    QFETCH(int, counters);
    QFETCH(int, heldSeconds);
    QFETCH(int, handlingUs);
    constexpr int LinesPerSecond = 100;
    CounterProfile profile = CounterProfile::Model53230A();
    profile.rules.clear();  // the stream is the only answer
    profile.streamLinesPerSecond = LinesPerSecond;
    profile.streamReadingDigits = 14;  // what waits is as long as a real counter's readings
    StreamedReadings readings(handlingUs);
    QStringList drops;
    std::vector<std::unique_ptr<CounterSimulator>> simulators;
    std::vector<std::unique_ptr<TicSerialPortThread>> ticPorts;
    for (int n = 1; n <= counters; ++n) {
      simulators.push_back(std::make_unique<CounterSimulator>(profile));
      QVERIFY(simulators.back()->start());
      StoreTcpCounter(n, simulators.back()->address());
      ticPorts.push_back(std::make_unique<TicSerialPortThread>());
      readings.Watch(*ticPorts.back());
      connect(ticPorts.back().get(), &TicSerialPortThread::readingsDropped, this,
              [&drops](const QString &text) { drops << text; });
      ticPorts.back()->startTicSerialPort(n);
    }
    for (int n = 1; n <= counters; ++n)
      QTRY_VERIFY_WITH_TIMEOUT(readings.ports[n].count >= 10, 5000);

    QThread::sleep(heldSeconds);  // no event is handled meanwhile
    std::vector<qint64> streamedWhileHeld;
    for (int n = 1; n <= counters; ++n) {
      streamedWhileHeld.push_back(simulators.at(n - 1)->lastStreamedReading());
      QVERIFY(streamedWhileHeld.back() - readings.ports[n].last >= heldSeconds * LinesPerSecond * 3 / 4);
    }
    readings.StartTicking();
    const auto caughtUp = [&] {
      for (int n = 1; n <= counters; ++n)
        if (readings.ports[n].last < streamedWhileHeld.at(n - 1) + 50)
          return false;
      return true;
    };
    QTRY_VERIFY_WITH_TIMEOUT(caughtUp(), 60000);
    readings.StopTicking();
    qInfo("at most %lld readings handled between two timer ticks", readings.mostBetweenTicks);

    QVERIFY2(readings.badLine.isEmpty(), readings.badLine.constData());
    for (int n = 1; n <= counters; ++n) {
      const StreamedReadings::Port &taken = readings.ports[n];
      // Every one from the first on, none left out.
      QVERIFY2(taken.gaps == 0 && taken.count == taken.last,
               qPrintable(QStringLiteral("port %1: %2 readings up to %3, %4 gaps")
                              .arg(n)
                              .arg(taken.count)
                              .arg(taken.last)
                              .arg(taken.gaps)));
    }
    QVERIFY2(drops.isEmpty(), qPrintable(drops.join('\n')));
    QVERIFY2(readings.mostBetweenTicks <= MostReadingsBetweenTicks(handlingUs),
             qPrintable(QString::number(readings.mostBetweenTicks)));
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
    line.close();  // the other side hangs up: every read now finds nothing
    QTRY_VERIFY_WITH_TIMEOUT(!lost.isEmpty(), 5000);
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
