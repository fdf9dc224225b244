#include "TestMain.h"

#include "FrameBuilders.h"
#include "FakeModemLineReader.h"
#include "FlushUnderReader.h"
#include "core/GpsMode.h"
#include "platform/ModemLineReader.h"
#include "platform/SerialPortErrors.h"
#include "receiver/link/GpsPortSettings.h"
#include "receiver/link/GpsSerialPortThread.h"
#include "tools/simulator/ReceiverSimulator.h"

#include <QElapsedTimer>
#include <QSettings>
#include <QSignalSpy>
#include <QTimer>

#include <cerrno>
#include <memory>

using namespace riduder::test;
using riduder::sim::ReceiverSimulator;

namespace {

QStringList debugLines;

void Capture(QtMsgType, const QMessageLogContext &, const QString &text)
{
  debugLines.append(text);
}

int DebugLinesContaining(const QString &text)
{
  int n = 0;
  for (const QString &line : debugLines)
    n += line.contains(text) ? 1 : 0;
  return n;
}

void StorePort(const QString &name, int rate = 9600)
{
  QSettings s;
  s.setValue(GpsPortKeys::PortName, name);
  s.setValue(GpsPortKeys::DataRate, rate);
}

QByteArray Delivered(const QByteArray &oncoreWire)
{
  return oncoreWire.chopped(3);
}

}  // namespace

class GpsSerialPortTest : public QObject
{
  Q_OBJECT
private slots:
  void init();
  void cleanup();

  void bytesOnTheLineArriveAsMessages();
  void modeChoosesTheFramer_data();
  void modeChoosesTheFramer();
  void commandsLeaveWithLineEnd_data();
  void commandsLeaveWithLineEnd();
  void storedSettingsReachThePort_data();
  void storedSettingsReachThePort();
  void ppsEdgeGivesOneTickAndAMarkerBeforeTheNextMessage();
  void ppsMarkerWaitsForTheMessageBeingCollected();
  void ppsWithoutFramingEmitsTheMarkerAtTheNextEdge();
  void ppsIsSampledEvery10msWhileDataKeepsComing();
  void ppsOnAnotherLineOrNoneGivesNoTick();
  void ppsPollRunsOnlyWhileALineIsChosen_data();
  void ppsPollRunsOnlyWhileALineIsChosen();
  void unreadBacklogIsReportedWithoutLosingBytes();
  void missingModemLinesAreReportedOnce();
  void halfMessageIsDroppedAtModeChangeAndReopen();
  void reopenInsideAHandlerKeepsWhatCameAfter();
  void aReadThatFindsNothingKeepsThePortOpen();
  void vanishedLineIsReportedAndAReopenWorks();
  void missingPortIsWorded_data();
  void missingPortIsWorded();
  void stopClosesThePortQuickly();
  void stoppingALineThatHungUpSaysNoMore();

private:
  std::unique_ptr<ReceiverSimulator> sim;
  std::unique_ptr<GpsSerialPortThread> port;
  std::unique_ptr<FakeModemLineReader> lines;
  QList<QByteArray> received;  // messages and markers, and "TICK" for PpsTick
  QtMessageHandler previousHandler = nullptr;

  void Start(quint32 mode, int ppsChoice = 0)
  {
    port->SetMode(mode);
    port->SetPpsSignal(ppsChoice);
    port->startGpsSerialPort(true);
    QVERIFY(port->IsOpen());
  }
  // Waits until the line is drained and the port has framed what it read.
  void Settle()
  {
    QTRY_COMPARE(sim->bytesToWrite(), qint64(0));
    QTest::qWait(30);
  }
  void Edge(QSerialPort::PinoutSignal line = QSerialPort::DataCarrierDetectSignal)
  {
    lines->SetLine(line, true);
    const int reads = lines->ReadCount();
    QTRY_VERIFY(lines->ReadCount() > reads + 1);
    lines->SetLine(line, false);
    const int reads2 = lines->ReadCount();
    QTRY_VERIFY(lines->ReadCount() > reads2 + 1);
  }
};

void GpsSerialPortTest::init()
{
  debugLines.clear();
  previousHandler = qInstallMessageHandler(Capture);
  received.clear();
  sim = std::make_unique<ReceiverSimulator>();
  QString error;
  QVERIFY2(sim->open(&error), qPrintable(error));
  StorePort(sim->slavePath());
  port = std::make_unique<GpsSerialPortThread>();
  lines = std::make_unique<FakeModemLineReader>();
  port->SetModemLineReader(lines.get());
  connect(port.get(), &GpsSerialPortThread::newGpsText, this,
          [this](const QByteArray &m) { received.append(m); });
  connect(port.get(), &GpsSerialPortThread::PpsTick, this, [this] { received.append("TICK"); });
}

void GpsSerialPortTest::cleanup()
{
  port.reset();
  lines.reset();
  sim.reset();
  QSettings().clear();
  qInstallMessageHandler(previousHandler);
  CurrentGpsMode = GpsModeSearch;
}

void GpsSerialPortTest::bytesOnTheLineArriveAsMessages()
{
  Start(GpsModeMotorolaBinary);
  const QByteArray ea = BuildOncoreWireOfLength("Ea", 76, '\x05');
  const QByteArray gd = BuildOncoreWire("Gd", QByteArray(1, '\x03'));
  sim->write("noise" + ea + gd + ea.left(10));
  QTRY_COMPARE(received, (QList<QByteArray>{Delivered(ea), Delivered(gd)}));
  sim->write(ea.mid(10));
  QTRY_COMPARE(received.size(), 3);
  QCOMPARE(received.last(), Delivered(ea));
}

void GpsSerialPortTest::modeChoosesTheFramer_data()
{
  QTest::addColumn<quint32>("mode");
  QTest::addColumn<QList<QByteArray>>("expected");
  const QByteArray gd = BuildOncoreWire("Gd", QByteArray(1, '\x03'));
  const QByteArray zda = BuildNmeaSentence("GPZDA,1,2,3");
  const QByteArray ack = BuildUbxFrame(0x05, 0x01, QByteArray::fromHex("0601"));
  QTest::newRow("Motorola Binary") << quint32(GpsModeMotorolaBinary) << QList<QByteArray>{Delivered(gd)};
  QTest::newRow("Rx Only") << quint32(GpsModeMotorolaBinaryRxOnly) << QList<QByteArray>{Delivered(gd)};
  QTest::newRow("Motorola NMEA") << quint32(GpsModeMotorolaNmea) << QList<QByteArray>{zda.chopped(2)};
  QTest::newRow("Generic NMEA") << quint32(GpsModeGenericNmea) << QList<QByteArray>{zda.chopped(2)};
  QTest::newRow("u-blox UBX") << quint32(GpsModeUbloxUbx) << QList<QByteArray>{zda.chopped(2), ack};
  QTest::newRow("u-blox NMEA") << quint32(GpsModeUbloxNmea) << QList<QByteArray>{zda.chopped(2), ack};
  QTest::newRow("LORAN lines") << quint32(GpsModeMotorolaLoran) << QList<QByteArray>{zda.chopped(2), "OK"};
  QTest::newRow("Search") << quint32(GpsModeSearch) << QList<QByteArray>{};
}

void GpsSerialPortTest::modeChoosesTheFramer()
{
  QFETCH(quint32, mode);
  QFETCH(QList<QByteArray>, expected);
  Start(mode);
  const QByteArray gd = BuildOncoreWire("Gd", QByteArray(1, '\x03'));
  sim->write(gd + BuildNmeaSentence("GPZDA,1,2,3") +
             BuildUbxFrame(0x05, 0x01, QByteArray::fromHex("0601")) + "\r\nOK\r\n");
  Settle();
  QCOMPARE(received, expected);
}

void GpsSerialPortTest::commandsLeaveWithLineEnd_data()
{
  QTest::addColumn<QByteArray>("message");
  QTest::addColumn<QByteArray>("onTheLine");
  QTest::newRow("Oncore") << QByteArray("@@Cj\x29") << QByteArray("@@Cj\x29\r\n");
  QTest::newRow("NMEA") << QByteArray("$PMOTG,FOR,0*2A") << QByteArray("$PMOTG,FOR,0*2A\r\n");
  const QByteArray ubx = QByteArray::fromHex("b5620a0400000e34");
  QTest::newRow("UBX") << ubx << ubx + "\r\n";
  const QByteArray dle = QByteArray::fromHex("10270a1003");
  QTest::newRow("begins with 0x10") << dle << dle;
  QTest::newRow("empty") << QByteArray() << QByteArray("\r\n");
}

void GpsSerialPortTest::commandsLeaveWithLineEnd()
{
  QFETCH(QByteArray, message);
  QFETCH(QByteArray, onTheLine);
  Start(GpsModeMotorolaBinary);
  const QByteArray copy = message;
  port->OnSendGpsMessage(message);
  QCOMPARE(message, copy);
  QTRY_COMPARE(sim->received(), onTheLine);
}

void GpsSerialPortTest::storedSettingsReachThePort_data()
{
  QTest::addColumn<int>("rate");
  QTest::addColumn<int>("handshake");
  QTest::addColumn<int>("parity");
  QTest::addColumn<int>("stopBits");
  QTest::addColumn<int>("dataBits");
  QTest::addColumn<int>("flow");
  QTest::addColumn<int>("qparity");
  QTest::addColumn<int>("qstop");
  QTest::addColumn<int>("qdata");
  QTest::newRow("defaults") << 9600 << 0 << 0 << 1 << 8 << int(QSerialPort::NoFlowControl)
                            << int(QSerialPort::NoParity) << int(QSerialPort::OneStop)
                            << int(QSerialPort::Data8);
  QTest::newRow("115k is 115000, DTR/DSR is no flow control")
      << 115000 << 3 << 2 << 2 << 7 << int(QSerialPort::NoFlowControl) << int(QSerialPort::EvenParity)
      << int(QSerialPort::TwoStop) << int(QSerialPort::Data7);
  QTest::newRow("14400, Xon/Xoff, odd") << 14400 << 1 << 1 << 1 << 8 << int(QSerialPort::SoftwareControl)
                                         << int(QSerialPort::OddParity) << int(QSerialPort::OneStop)
                                         << int(QSerialPort::Data8);
  QTest::newRow("RTS/CTS, space, odd values") << 4800 << 2 << 4 << 5 << 6
                                              << int(QSerialPort::HardwareControl)
                                              << int(QSerialPort::SpaceParity)
                                              << int(QSerialPort::OneStop) << int(QSerialPort::Data8);
}

void GpsSerialPortTest::storedSettingsReachThePort()
{
  QFETCH(int, rate);
  QFETCH(int, handshake);
  QFETCH(int, parity);
  QFETCH(int, stopBits);
  QFETCH(int, dataBits);
  QSettings s;
  s.setValue(GpsPortKeys::DataRate, rate);
  s.setValue(GpsPortKeys::Handshake, handshake);
  s.setValue(GpsPortKeys::Parity, parity);
  s.setValue(GpsPortKeys::StopBits, stopBits);
  s.setValue(GpsPortKeys::DataBits, dataBits);
  Start(GpsModeMotorolaBinary);
  QSerialPort &sp = port->SerialPort();
  QCOMPARE(sp.baudRate(), rate);
  QTEST(int(sp.flowControl()), "flow");
  QTEST(int(sp.parity()), "qparity");
  QTEST(int(sp.stopBits()), "qstop");
  QTEST(int(sp.dataBits()), "qdata");
  // The rate is what the line really runs at, 115000 included.
  QCOMPARE(sim->lineRate(), rate);
}

void GpsSerialPortTest::ppsEdgeGivesOneTickAndAMarkerBeforeTheNextMessage()
{
  Start(GpsModeMotorolaBinary, 1);
  Edge();
  QCOMPARE(received, QList<QByteArray>{"TICK"});
  const QByteArray gd = BuildOncoreWire("Gd", QByteArray(1, '\x03'));
  sim->write(gd + gd);
  QTRY_COMPARE(received, (QList<QByteArray>{"TICK", PpsMarker, Delivered(gd), Delivered(gd)}));
}

void GpsSerialPortTest::ppsMarkerWaitsForTheMessageBeingCollected()
{
  Start(GpsModeUbloxUbx, 3);
  const QByteArray pvt = BuildUbxFrame(0x01, 0x07, QByteArray(92, '\x01'));
  sim->write(pvt.left(50));
  Settle();
  Edge(QSerialPort::DataSetReadySignal);
  sim->write(pvt.mid(50) + pvt);
  QTRY_COMPARE(received, (QList<QByteArray>{"TICK", pvt, PpsMarker, pvt}));
}

void GpsSerialPortTest::ppsWithoutFramingEmitsTheMarkerAtTheNextEdge()
{
  Start(GpsModeSearch, 2);
  sim->write(BuildOncoreWire("Gd", QByteArray(1, '\x03')));
  Settle();
  Edge(QSerialPort::ClearToSendSignal);
  Edge(QSerialPort::ClearToSendSignal);
  QCOMPARE(received, (QList<QByteArray>{"TICK", PpsMarker, "TICK"}));
}

// A port that delivers a chunk whenever the previous one is framed (a fast
// UART, USB): data must never push the next sample of the 1PPS line back,
// so every edge is seen within one sample interval plus the framing of one
// chunk, and its marker still falls between whole messages. Each frame
// received sends the next, so data is always waiting when a chunk has been
// framed.
void GpsSerialPortTest::ppsIsSampledEvery10msWhileDataKeepsComing()
{
  Start(GpsModeUbloxUbx, 1);
  const QByteArray pvt = BuildUbxFrame(0x01, 0x07, QByteArray(92, '\x01'));
  constexpr int pulses = 20;

  QElapsedTimer clock;
  clock.start();
  QList<qint64> edgeAt;  // ms, when the test raised the line
  QList<qint64> tickAt;  // ms, when the port reported the edge
  qint64 longestGapMs = 0;  // between frames: the worst stall of the event loop
  qint64 lastFrameAt = -1;
  int sent = 0;
  bool sending = true;
  connect(port.get(), &GpsSerialPortThread::PpsTick, this, [&] { tickAt.append(clock.elapsed()); });
  connect(port.get(), &GpsSerialPortThread::newGpsText, this, [&](const QByteArray &m) {
    if (m != pvt)
      return;
    const qint64 now = clock.elapsed();
    if (lastFrameAt >= 0)
      longestGapMs = qMax(longestGapMs, now - lastFrameAt);
    lastFrameAt = now;
    if (sending) {
      sim->write(pvt);
      ++sent;
    }
  });

  // 100 ms high once a second, as a receiver's 1PPS output.
  int step = 0;
  QTimer pulser;
  pulser.setTimerType(Qt::PreciseTimer);
  connect(&pulser, &QTimer::timeout, this, [&] {
    const int phase = step++ % 10;
    if (phase == 0 && edgeAt.size() < pulses) {
      lines->SetLine(QSerialPort::DataCarrierDetectSignal, true);
      edgeAt.append(clock.elapsed());
    } else if (phase == 1) {
      lines->SetLine(QSerialPort::DataCarrierDetectSignal, false);
    }
  });
  for (int i = 0; i < 3; ++i, ++sent)
    sim->write(pvt);
  pulser.start(100);
  QTRY_VERIFY_WITH_TIMEOUT(edgeAt.size() == pulses && step % 10 == 3, (pulses + 5) * 1000);
  pulser.stop();
  sending = false;
  Settle();

  QCOMPARE(tickAt.size(), pulses);
  // Framing one chunk of a few frames takes well under a millisecond; on a
  // loaded machine the whole event loop may stall, which delays the sample
  // as much.
  const qint64 allowedMs = GpsSerialPortThread::PpsSampleIntervalMs + 5 + longestGapMs;
  qint64 worstMs = 0;
  for (int i = 0; i < pulses; ++i) {
    const qint64 latency = tickAt.at(i) - edgeAt.at(i);
    QVERIFY2(latency >= 0, qPrintable(QString::number(i)));
    worstMs = qMax(worstMs, latency);
  }
  QVERIFY2(worstMs <= allowedMs, qPrintable(QStringLiteral("edge seen %1 ms late, allowed %2 ms")
                                                .arg(worstMs)
                                                .arg(allowedMs)));

  // Every frame arrived whole; each marker follows its tick and stands
  // between two frames.
  int frames = 0;
  int markers = 0;
  int ticks = 0;
  for (const QByteArray &m : received) {
    if (m == "TICK") {
      ++ticks;
    } else if (m == PpsMarker) {
      ++markers;
      QVERIFY(markers <= ticks);
    } else {
      QCOMPARE(m, pvt);
      ++frames;
    }
  }
  QCOMPARE(frames, sent);
  QCOMPARE(markers, pulses);
}

// Bytes held unread (a command's pause holds the line) beyond ten seconds of
// the line's data are reported once per pile-up; nothing is dropped.
void GpsSerialPortTest::unreadBacklogIsReportedWithoutLosingBytes()
{
  Start(GpsModeUbloxUbx);  // 9600 bit/s: ten seconds are 9600 bytes
  QSignalSpy warnings(port.get(), &GpsSerialPortThread::backlogWarning);
  const QByteArray pvt = BuildUbxFrame(0x01, 0x07, QByteArray(92, '\x01'));
  QSerialPort &line = port->SerialPort();
  auto pileUp = [&](int frames) {
    QObject::disconnect(&line, &QSerialPort::readyRead, port.get(), &GpsSerialPortThread::handleReadyRead);
    sim->write(pvt.repeated(frames));
    QTRY_COMPARE(sim->bytesToWrite(), qint64(0));
    QTRY_COMPARE(port->UnreadBytes(), qint64(pvt.size()) * frames);
    QObject::connect(&line, &QSerialPort::readyRead, port.get(), &GpsSerialPortThread::handleReadyRead);
    port->handleReadyRead();
    // On a loaded machine part of the pile may reach the port only after
    // that read; the next pile-up starts from an empty line.
    QTRY_COMPARE(port->UnreadBytes(), qint64(0));
  };

  pileUp(90);  // 9000 bytes: under the limit
  QCOMPARE(warnings.size(), 0);
  pileUp(120);  // 12000 bytes
  QCOMPARE(warnings.size(), 1);
  const QString text = warnings.first().first().toString();
  QVERIFY2(text.contains(QLatin1String("12000")) && text.contains(QLatin1String("9600 bit/s")), qPrintable(text));
  QCOMPARE(DebugLinesContaining(QStringLiteral("12000 bytes")), 1);
  QCOMPARE(received.size(), 210);
  for (const QByteArray &m : received)
    QCOMPARE(m, pvt);
  // Drained; a new pile-up is reported again.
  pileUp(110);
  QCOMPARE(warnings.size(), 2);
  QCOMPARE(received.size(), 320);
}

void GpsSerialPortTest::ppsOnAnotherLineOrNoneGivesNoTick()
{
  Start(GpsModeMotorolaBinary, 1);
  Edge(QSerialPort::ClearToSendSignal);
  Edge(QSerialPort::DataSetReadySignal);
  port->SetPpsSignal(0);
  lines->SetLines(QSerialPort::DataCarrierDetectSignal);
  QTest::qWait(50);
  QVERIFY(received.isEmpty());
}

void GpsSerialPortTest::ppsPollRunsOnlyWhileALineIsChosen_data()
{
  QTest::addColumn<int>("firstChoice");
  QTest::addColumn<int>("nextChoice");
  QTest::newRow("none, then DCD") << 0 << 1;
  QTest::newRow("DSR, then none") << 3 << 0;
  QTest::newRow("CTS, then DSR") << 2 << 3;
  QTest::newRow("none throughout") << 0 << 0;
}

// With a line chosen its edges tick; with none the line is never read and
// nothing wakes for it. A new choice takes effect when the port is started
// again with it, as after the port dialog.
void GpsSerialPortTest::ppsPollRunsOnlyWhileALineIsChosen()
{
  QFETCH(int, firstChoice);
  QFETCH(int, nextChoice);
  const QSerialPort::PinoutSignal lineOf[] = {QSerialPort::NoSignal, QSerialPort::DataCarrierDetectSignal,
                                              QSerialPort::ClearToSendSignal, QSerialPort::DataSetReadySignal};
  auto check = [&](int choice) {
    received.clear();
    QCOMPARE(port->PpsPollRunning(), choice != 0);
    if (choice != 0) {
      Edge(lineOf[choice]);
      // An earlier edge's marker, unplaced without data, may come first.
      QCOMPARE(received.count("TICK"), 1);
      QCOMPARE(received.last(), QByteArray("TICK"));
      return;
    }
    const int reads = lines->ReadCount();
    lines->SetLines(QSerialPort::DataCarrierDetectSignal | QSerialPort::ClearToSendSignal |
                    QSerialPort::DataSetReadySignal);
    QTest::qWait(50);
    lines->SetLines(QSerialPort::NoSignal);
    QCOMPARE(lines->ReadCount(), reads);
    QVERIFY(received.isEmpty());
  };

  Start(GpsModeMotorolaBinary, firstChoice);
  check(firstChoice);
  if (QTest::currentTestFailed())
    return;
  port->SetPpsSignal(nextChoice);
  port->startGpsSerialPort(true);
  QVERIFY(port->IsOpen());
  check(nextChoice);
  if (QTest::currentTestFailed())
    return;
  port->stopGpsSerialPort();
  QVERIFY(!port->PpsPollRunning());
}

void GpsSerialPortTest::missingModemLinesAreReportedOnce()
{
  port->SetModemLineReader(nullptr);  // the pseudo-terminal's own (missing) lines
  Start(GpsModeMotorolaBinary, 1);
  QTest::qWait(120);
  QCOMPARE(DebugLinesContaining("1PPS line"), 1);
  QVERIFY(received.isEmpty());
}

void GpsSerialPortTest::halfMessageIsDroppedAtModeChangeAndReopen()
{
  Start(GpsModeMotorolaBinary);
  const QByteArray ea = BuildOncoreWireOfLength("Ea", 76, '\x05');
  const QByteArray gd = BuildOncoreWire("Gd", QByteArray(1, '\x03'));

  sim->write(ea.left(40));
  Settle();
  port->SetMode(GpsModeGenericNmea);
  sim->write("x");
  Settle();
  port->SetMode(GpsModeMotorolaBinary);
  sim->write(ea.mid(40) + gd);
  QTRY_COMPARE(received, QList<QByteArray>{Delivered(gd)});

  received.clear();
  sim->write(ea.left(40));
  Settle();
  port->startGpsSerialPort(true);
  QVERIFY(port->IsOpen());
  sim->write(ea.mid(40) + gd);
  QTRY_COMPARE(received, QList<QByteArray>{Delivered(gd)});
}

// A message handler reopens the port (a new data rate) and the receiver's
// next bytes are read before the handler returns: the half message from
// before the reopen is dropped, the one begun after it is completed.
void GpsSerialPortTest::reopenInsideAHandlerKeepsWhatCameAfter()
{
  Start(GpsModeMotorolaBinary);
  const QByteArray ea = BuildOncoreWireOfLength("Ea", 76, '\x05');
  const QByteArray gd = BuildOncoreWire("Gd", QByteArray(1, '\x03'));
  bool reopened = false;
  connect(port.get(), &GpsSerialPortThread::newGpsText, this, [&](const QByteArray &m) {
    if (reopened || m != Delivered(gd))
      return;
    reopened = true;
    port->startGpsSerialPort(true);
    sim->write(ea + gd.left(3));
    port->SerialPort().waitForReadyRead(1000);
  });
  sim->write(gd + ea.left(40));
  QTRY_VERIFY(reopened);
  QTRY_COMPARE(received, (QList<QByteArray>{Delivered(gd), Delivered(ea)}));
  sim->write(gd.mid(3));
  QTRY_COMPARE(received, (QList<QByteArray>{Delivered(gd), Delivered(ea), Delivered(gd)}));
}

// Bytes taken from the line between the notice that they are there and the
// read (a driver dropping them, a flush) leave a read that returns nothing:
// no lost line, however often it happens.
void GpsSerialPortTest::aReadThatFindsNothingKeepsThePortOpen()
{
  FlushUnderReader flusher(sim->slavePath());  // before the port opens the line
  QVERIFY(flusher.IsOpen());
  Start(GpsModeMotorolaBinary);
  QSignalSpy lost(port.get(), &GpsSerialPortThread::portLost);
  QSignalSpy failures(&port->SerialPort(), &QSerialPort::errorOccurred);
  constexpr int Flushes = 40;
  QList<QByteArray> expected;
  for (int i = 0; i < Flushes; ++i) {
    // The errno an earlier call left words the failure: EAGAIN and EIO make
    // it a ResourceError, after which the serial port stops reading by
    // itself; a stale EIO reads like a failed device.
    constexpr int StaleErrnos[] = {ENOENT, EAGAIN, EIO};
    flusher.FlushNextArrival(StaleErrnos[i % 3]);
    sim->write(BuildOncoreWire("Gd", QByteArray(1, '\x7f')));
    QTRY_COMPARE(flusher.Flushes(), i + 1);
    const QByteArray next = BuildOncoreWire("Gd", QByteArray(1, char(i)));
    sim->write(next);
    expected << Delivered(next);
    QTRY_COMPARE(received, expected);
  }
  QVERIFY(port->IsOpen());
  QVERIFY(lost.isEmpty());
  // Every flush did leave a read that found nothing, of both kinds.
  QVERIFY2(failures.size() >= Flushes, qPrintable(QString::number(failures.size())));
  QList<int> kinds;
  for (const QList<QVariant> &failure : failures)
    kinds << failure.first().toInt();
  QVERIFY(kinds.contains(QSerialPort::ReadError));
  QVERIFY(kinds.contains(QSerialPort::ResourceError));
  QCOMPARE(DebugLinesContaining("WARNING: GPS serial port"), 0);
}

void GpsSerialPortTest::vanishedLineIsReportedAndAReopenWorks()
{
  Start(GpsModeMotorolaBinary, 1);
  QSignalSpy errors(port.get(), &GpsSerialPortThread::showErrorMessageBox);
  QSignalSpy lost(port.get(), &GpsSerialPortThread::portLost);
  const QString device = sim->slavePath();
  sim->close();  // the other side hangs up
  QTRY_VERIFY_WITH_TIMEOUT(!lost.isEmpty(), 5000);
  QVERIFY(!port->IsOpen());
  QCOMPARE(lost.size(), 1);
  QCOMPARE(lost.first().at(0).toString(), device);
  QCOMPARE(lost.first().at(1).toString(), QString::fromLatin1(SerialDeviceHungUpText));
  QCOMPARE(errors.size(), 1);
  QVERIFY(DebugLinesContaining("WARNING: GPS serial port") >= 1);
  QTest::qWait(50);  // polls and reads on the dead line must stay quiet
  const int reported = errors.size();
  QTest::qWait(50);
  QCOMPARE(errors.size(), reported);

  auto next = std::make_unique<ReceiverSimulator>();
  QVERIFY(next->open());
  StorePort(next->slavePath());
  port->startGpsSerialPort(true);
  QVERIFY(port->IsOpen());
  const QByteArray gd = BuildOncoreWire("Gd", QByteArray(1, '\x03'));
  next->write(gd);
  QTRY_COMPARE(received, QList<QByteArray>{Delivered(gd)});
  port.reset();
}

void GpsSerialPortTest::missingPortIsWorded_data()
{
  QTest::addColumn<QString>("name");
  QTest::newRow("no such device") << "/dev/riduder-no-such-port";
  QTest::newRow("OFF") << "OFF";
  QTest::newRow("TCP/IP") << "TCP/IP";
}

void GpsSerialPortTest::missingPortIsWorded()
{
  QFETCH(QString, name);
  StorePort(name);
  QSignalSpy errors(port.get(), &GpsSerialPortThread::showErrorMessageBox);
  port->SetMode(GpsModeMotorolaBinary);
  port->SetPpsSignal(1);
  port->startGpsSerialPort(true);
  QVERIFY(!port->IsOpen());
  QCOMPARE(DebugLinesContaining("WARNING: Failed to open GPS serial port."), 1);
  QCOMPARE(errors.size(), 1);
  const QString text = errors.first().first().toString();
  QVERIFY2(text.startsWith("Can't open GPS Port " + name + "\r\n\r\n\""), qPrintable(text));
  QVERIFY2(text.contains("non-existing device"), qPrintable(text));
  port->OnSendGpsMessage("@@Cj\x29");  // a write to a closed port goes nowhere
  QTest::qWait(30);
  QCOMPARE(lines->ReadCount(), 0);  // nothing polls a closed port
}

void GpsSerialPortTest::stopClosesThePortQuickly()
{
  Start(GpsModeMotorolaBinary, 1);
  QVERIFY(port->isRunning());
  QElapsedTimer clock;
  clock.start();
  port->stopGpsSerialPort();
  QVERIFY(clock.elapsed() < 2000);
  QVERIFY(!port->IsOpen());
  QVERIFY(!port->isRunning());
  const int reads = lines->ReadCount();
  QTest::qWait(40);
  QCOMPARE(lines->ReadCount(), reads);
  // A later start runs again.
  port->startGpsSerialPort(true);
  QVERIFY(port->IsOpen());
  QVERIFY(port->isRunning());
  QTRY_VERIFY(lines->ReadCount() > reads);
}

// The program ends (or reopens the port) just as the other side hangs up:
// clearing the line finds the hang-up and closes the port as lost, and the
// stop then leaves it closed rather than failing on it.
void GpsSerialPortTest::stoppingALineThatHungUpSaysNoMore()
{
  Start(GpsModeMotorolaBinary, 1);
  QSignalSpy failures(&port->SerialPort(), &QSerialPort::errorOccurred);
  sim->close();
  port->stopGpsSerialPort();
  QVERIFY(!port->IsOpen());
  QTest::qWait(50);
  for (const QList<QVariant> &failure : failures)
    QVERIFY(failure.at(0).value<QSerialPort::SerialPortError>() != QSerialPort::NotOpenError);
  QCOMPARE(DebugLinesContaining(GpsPortErrorText(QSerialPort::NotOpenError)), 0);
}

RIDUDER_TEST_MAIN(GpsSerialPortTest)
#include "tst_gpsserialport.moc"
