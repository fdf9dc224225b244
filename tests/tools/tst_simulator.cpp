#include "TestMain.h"

#include "tools/simulator/CaptureFile.h"
#include "tools/simulator/DemoSettings.h"
#include "tools/simulator/ReceiverSimulator.h"
#include "tools/simulator/SimulatorScript.h"
#include "tools/simulator/UbxReplies.h"

#include <QDir>
#include <QElapsedTimer>
#include <QLockFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QSerialPort>
#include <QSignalSpy>

using riduder::sim::MatchKind;
using riduder::sim::ReceiverSimulator;
using riduder::sim::ScriptRule;

namespace {

// Reads from the port until `count` bytes have arrived or `timeoutMs` passed.
// The event loop runs meanwhile: the simulator lives on this thread.
QByteArray ReadAtLeast(QSerialPort &port, int count, int timeoutMs = 3000)
{
  QByteArray data = port.readAll();
  QElapsedTimer clock;
  clock.start();
  while (data.size() < count && clock.elapsed() < timeoutMs) {
    QTest::qWait(2);
    data += port.readAll();
  }
  return data;
}

// Runs the event loop until `condition` holds or `timeoutMs` passed.
template <typename Condition>
bool SpinUntil(Condition condition, int timeoutMs = 3000)
{
  QElapsedTimer clock;
  clock.start();
  while (!condition() && clock.elapsed() < timeoutMs)
    QTest::qWait(5);
  return condition();
}

bool OpenPort(QSerialPort &port, const ReceiverSimulator &sim, int rate = 9600)
{
  port.setPortName(sim.slavePath());
  port.setBaudRate(rate);
  return port.open(QIODevice::ReadWrite);
}

const QByteArray kPing("PING\r\n");
const QByteArray kPong("PONG\r\n");

}  // namespace

class TestSimulator : public QObject {
  Q_OBJECT
private slots:
  void bytesTravelBothWays();
  void scriptedReplies_data();
  void scriptedReplies();
  void delayedReply();
  void pacedReplayKeepsTheDataRate();
  void reopenedPortKeepsWorking();
  void lockedNumbersArePassedOver();
  void pacedReplayIsLostWhileNobodyListens();
  void lineRateSetByTheProgram_data();
  void lineRateSetByTheProgram();
  void receiverAnswersAtItsOwnRateOnly();
  void repliesGoBetweenReplayedMessages();
  void epochReplaySleepsBetweenEpochsButRepliesAtOnce();
  void captureReplayedWholeArrivesByteExact_data();
  void captureReplayedWholeArrivesByteExact();
  void monVerReply();
  void scriptParsing_data();
  void scriptParsing();
  void scriptErrors_data();
  void scriptErrors();
  void receiverBytesOfACapture_data();
  void receiverBytesOfACapture();
  void receiverBytesAgreeWithTheTestReader();
  void demoModeOfACapture_data();
  void demoModeOfACapture();
  void portSettingsForTheProgram();
  void simulatorProgram();
};

void TestSimulator::bytesTravelBothWays()
{
  ReceiverSimulator sim;
  QString error;
  QVERIFY2(sim.open(&error), qPrintable(error));
  QVERIFY(sim.slavePath().startsWith("/dev/pts/"));
  QSerialPort port;
  QVERIFY2(OpenPort(port, sim), qPrintable(port.errorString()));

  // Every byte value, CR, LF and NUL included, passes unchanged (raw line).
  QByteArray all;
  for (int i = 0; i < 256; ++i)
    all.append(static_cast<char>(i));
  sim.write(all + "\r\n");
  QCOMPARE(ReadAtLeast(port, all.size() + 2), all + "\r\n");

  QSignalSpy received(&sim, &ReceiverSimulator::bytesReceived);
  port.write("@@Cj\x29\r\n$PMOTG,FOR,0*2A\r\n");
  QVERIFY(SpinUntil([&] { return sim.received().size() >= 24; }));
  QCOMPARE(sim.received(), QByteArray("@@Cj\x29\r\n$PMOTG,FOR,0*2A\r\n"));
  QCOMPARE(sim.receivedMessages(), (QList<QByteArray>{"@@Cj\x29\r\n", "$PMOTG,FOR,0*2A\r\n"}));
  QVERIFY(!received.isEmpty());
  sim.clearReceived();
  QVERIFY(sim.received().isEmpty() && sim.receivedMessages().isEmpty());
}

void TestSimulator::scriptedReplies_data()
{
  QTest::addColumn<QList<QByteArray>>("chunks");  // written one by one
  QTest::addColumn<QByteArray>("expected");       // the reply, before PONG

  QTest::newRow("prefix") << QList<QByteArray>{"@@Cj\x29\r\n"} << QByteArray("ID-REPLY\r\n");
  QTest::newRow("prefix, message in pieces")
      << QList<QByteArray>{"@", "@C", "j", "\x29\r", "\n"} << QByteArray("ID-REPLY\r\n");
  QTest::newRow("prefix, binary request")
      << QList<QByteArray>{QByteArray("\xB5\x62\x0A\x04\x00\x00\x0E\x34\r\n", 10)} << QByteArray("VER\r\n");
  QTest::newRow("whole, CR LF left out of the request")
      << QList<QByteArray>{"$PMOTG,FOR,0*2A\r\n"} << QByteArray("FOR-OK\r\n");
  QTest::newRow("whole, longer message") << QList<QByteArray>{"$PMOTG,FOR,0*2A,1\r\n"} << QByteArray();
  QTest::newRow("prefix not at message start") << QList<QByteArray>{"x@@Cj\x29\r\n"} << QByteArray();
  QTest::newRow("other command") << QList<QByteArray>{"@@Ck\x2a\r\n"} << QByteArray();
  QTest::newRow("first matching rule wins")
      << QList<QByteArray>{QByteArray("@@Ea\x01\x00\r\n", 8)} << QByteArray("EA-ONE\r\n");
  QTest::newRow("two messages in one write")
      << QList<QByteArray>{"@@Cj\x29\r\n$PMOTG,FOR,0*2A\r\n"} << QByteArray("ID-REPLY\r\nFOR-OK\r\n");
}

void TestSimulator::scriptedReplies()
{
  QFETCH(QList<QByteArray>, chunks);
  QFETCH(QByteArray, expected);

  ReceiverSimulator sim;
  QVERIFY(sim.open());
  sim.addRule(MatchKind::Prefix, "@@Cj", "ID-REPLY\r\n");
  sim.addRule(MatchKind::Prefix, QByteArray("\xB5\x62\x0A\x04\x00\x00\x0E\x34", 8), "VER\r\n");
  sim.addRule(MatchKind::Whole, "$PMOTG,FOR,0*2A", "FOR-OK\r\n");
  sim.addRule(MatchKind::Prefix, QByteArray("@@Ea\x01", 5), "EA-ONE\r\n");
  sim.addRule(MatchKind::Prefix, "@@Ea", "EA-ANY\r\n");
  sim.addRule(MatchKind::Whole, kPing, kPong);
  QSerialPort port;
  QVERIFY(OpenPort(port, sim));

  for (const QByteArray &chunk : chunks) {
    port.write(chunk);
    QVERIFY(port.waitForBytesWritten(1000));
    QTest::qWait(5);
  }
  // The ping's answer comes after any answer to what went before, so
  // "no reply" is seen without waiting for a time-out.
  port.write(kPing);
  const QByteArray got = ReadAtLeast(port, expected.size() + kPong.size());
  QCOMPARE(got, expected + kPong);
}

void TestSimulator::delayedReply()
{
  ReceiverSimulator sim;
  QVERIFY(sim.open());
  sim.addRule(MatchKind::Prefix, "@@Cj", "LATE\r\n", 150);
  QSerialPort port;
  QVERIFY(OpenPort(port, sim));

  QElapsedTimer clock;
  clock.start();
  port.write("@@Cj\x29\r\n");
  QCOMPARE(ReadAtLeast(port, 6), QByteArray("LATE\r\n"));
  QVERIFY2(clock.elapsed() >= 140, qPrintable(QString::number(clock.elapsed())));
}

void TestSimulator::pacedReplayKeepsTheDataRate()
{
  ReceiverSimulator sim;
  QVERIFY(sim.open());
  QSerialPort port;
  QVERIFY(OpenPort(port, sim, 57600));

  // 576 bytes at 57600 bit/s (5760 bytes/s) take 100 ms.
  QByteArray data;
  while (data.size() < 576)
    data += "$GPZDA,123456.00,01,02,2024,00,00*6A\r\n";
  data.truncate(576);
  QSignalSpy finished(&sim, &ReceiverSimulator::replayFinished);
  QElapsedTimer clock;
  clock.start();
  sim.startReplay(data, 57600);
  QByteArray got;
  qint64 halfTime = -1;
  while (got.size() < data.size() && clock.elapsed() < 3000) {
    QTest::qWait(1);
    got += port.readAll();
    if (halfTime < 0 && got.size() >= data.size() / 2)
      halfTime = clock.elapsed();
  }
  const qint64 total = clock.elapsed();
  QCOMPARE(got, data);
  QVERIFY2(total >= 85 && total <= 500, qPrintable(QString("took %1 ms").arg(total)));
  QVERIFY2(halfTime >= 35, qPrintable(QString("half after %1 ms").arg(halfTime)));
  QVERIFY(SpinUntil([&] { return finished.count() == 1; }));
  QVERIFY(!sim.isReplaying());
}

void TestSimulator::reopenedPortKeepsWorking()
{
  ReceiverSimulator sim;
  QVERIFY(sim.open());
  sim.addRule(MatchKind::Whole, kPing, kPong);
  QSignalSpy lineErrors(&sim, &ReceiverSimulator::lineError);
  QSerialPort port;
  for (int round = 0; round < 3; ++round) {
    QVERIFY2(OpenPort(port, sim), qPrintable(port.errorString()));
    port.write(kPing);
    QCOMPARE(ReadAtLeast(port, kPong.size()), kPong);
    port.close();
    // With the port closed the line stays quiet (no echo of what the
    // simulator sends) and what it sends waits for the next opening.
    sim.write("WAITING\r\n");
    QTest::qWait(20);
    QVERIFY(SpinUntil([&] { return sim.bytesToWrite() == 0; }));
    QCOMPARE(sim.receivedMessages().size(), round + 1);
    QVERIFY2(OpenPort(port, sim), qPrintable(port.errorString()));
    QCOMPARE(ReadAtLeast(port, 9), QByteArray("WAITING\r\n"));
    port.close();
  }
  QVERIFY(sim.isOpen());
  QCOMPARE(sim.received(), kPing + kPing + kPing);
  QCOMPARE(lineErrors.count(), 0);  // never EIO
}

// No serial port opens a pseudo-terminal whose number another program has
// locked (its lock outlives the line it was for). A reopened simulator
// never hands out the number it had, and a free number that is locked is
// passed over.
void TestSimulator::lockedNumbersArePassedOver()
{
  ReceiverSimulator first;
  QString error;
  QVERIFY2(first.open(&error), qPrintable(error));
  const QString earlierPath = first.slavePath();
  QVERIFY2(first.open(&error), qPrintable(error));
  QVERIFY2(first.slavePath() != earlierPath, qPrintable(earlierPath));

  // Where the serial ports of this system keep their lock files.
  QSerialPort port;
  QVERIFY2(OpenPort(port, first), qPrintable(port.errorString()));
  auto lockName = [](const QString &path) { return "/LCK.." + path.mid(5).replace('/', '_'); };
  QString lockFolder;
  for (const QString &folder : {QStringLiteral("/var/lock"), QStringLiteral("/etc/locks"),
                                QStringLiteral("/var/spool/locks"), QStringLiteral("/var/spool/uucp"),
                                QStringLiteral("/tmp"), QStringLiteral("/var/tmp"), QDir::tempPath()}) {
    if (lockFolder.isEmpty() && QFile::exists(folder + lockName(first.slavePath())))
      lockFolder = folder;
  }
  port.close();
  if (lockFolder.isEmpty())
    QSKIP("no lock file of the serial port found");

  // A line of our own on the lowest free number is locked while it is
  // still ours, as another program's port would leave it, and then freed:
  // the next pseudo-terminal is given that number again, and the simulator
  // passes it over. The lock is taken only on a number this test holds, so
  // a line another program has just been given is never locked under it.
  first.close();
  QVERIFY2(first.open(&error), qPrintable(error));
  const QString lockedPath = first.slavePath();
  QLockFile lock(lockFolder + lockName(lockedPath));
  QVERIFY(lock.tryLock(0));
  first.close();
  ReceiverSimulator second;
  const bool opened = second.open(&error);
  lock.unlock();
  QVERIFY2(opened, qPrintable(error));
  QVERIFY2(second.slavePath() != lockedPath, qPrintable(lockedPath));
  QVERIFY2(OpenPort(port, second), qPrintable(port.errorString()));
}

void TestSimulator::pacedReplayIsLostWhileNobodyListens()
{
  ReceiverSimulator sim;
  QVERIFY(sim.open());
  QByteArray stream;
  for (int i = 0; i < 100; ++i)
    stream += QByteArray("$GPZDA,") + QByteArray::number(100000 + i) + ".00,01,02,2024,00,00*6A\r\n";
  // 11520 bytes/s; after 500 ms with no listener a real line has dropped
  // most of it, and so must the simulator, or a reopened port reads a
  // stale backlog first.
  sim.startReplay(stream, 115200, true);
  QTest::qWait(500);
  QSerialPort port;
  QVERIFY(OpenPort(port, sim, 115200));
  QTest::qWait(20);
  const QByteArray got = port.readAll();
  QVERIFY2(got.size() < 3000, qPrintable(QString::number(got.size())));
  QVERIFY(sim.bytesToWrite() < 3000);
}

void TestSimulator::lineRateSetByTheProgram_data()
{
  QTest::addColumn<int>("rate");
  for (int rate : {4800, 9600, 14400, 19200, 57600, 115000, 115200})
    QTest::newRow(qPrintable(QString::number(rate))) << rate;
}

void TestSimulator::lineRateSetByTheProgram()
{
  QFETCH(int, rate);
  ReceiverSimulator sim;
  QVERIFY(sim.open());
  QSerialPort port;
  QVERIFY(OpenPort(port, sim, 9600));
  QCOMPARE(sim.lineRate(), 9600);
  QVERIFY(port.setBaudRate(rate));
  QCOMPARE(sim.lineRate(), rate);
}

void TestSimulator::receiverAnswersAtItsOwnRateOnly()
{
  ReceiverSimulator sim;
  QVERIFY(sim.open());
  sim.setReceiverRate(9600);
  ScriptRule rule;
  rule.match = MatchKind::Whole;
  rule.request = "BAUD 19200";
  rule.reply.bytes = "OK\r\n";
  rule.reply.switchToRate = 19200;
  sim.addRule(rule);
  sim.addRule(MatchKind::Whole, kPing, kPong);
  QSerialPort port;
  QVERIFY(OpenPort(port, sim, 4800));

  // The simulator hears a message at the rate in force when it reads it.
  port.write(kPing);  // unheard at 4800
  QVERIFY(SpinUntil([&] { return sim.receivedMessages().size() == 1; }));
  QVERIFY(port.setBaudRate(9600));
  port.write(kPing);
  QCOMPARE(ReadAtLeast(port, kPong.size()), kPong);
  QCOMPARE(sim.receivedMessages().size(), 2);

  port.write("BAUD 19200\r\n");
  QCOMPARE(ReadAtLeast(port, 4), QByteArray("OK\r\n"));
  QCOMPARE(sim.receiverRate(), 19200);
  port.write(kPing);  // the receiver has moved on
  QVERIFY(SpinUntil([&] { return sim.receivedMessages().size() == 4; }));
  QVERIFY(port.setBaudRate(19200));
  port.write(kPing);
  QCOMPARE(ReadAtLeast(port, kPong.size()), kPong);
  QTest::qWait(20);
  QCOMPARE(port.readAll(), QByteArray());
}

void TestSimulator::repliesGoBetweenReplayedMessages()
{
  ReceiverSimulator sim;
  QVERIFY(sim.open());
  const QByteArray reply("$PXXX,REPLY*00\r\n");
  sim.addRule(MatchKind::Whole, kPing, reply);
  QSerialPort port;
  QVERIFY(OpenPort(port, sim, 115200));

  QByteArray stream;
  for (int i = 0; i < 20; ++i)
    stream += QByteArray("$GPGGA,") + QByteArray::number(100000 + i) + ",5030.0000,N,00400.0000,E,1,08,1.0,50.0,M,47.0,M,,*00\r\n";
  sim.startReplay(stream, 115200, true);
  QTest::qWait(30);
  QByteArray got;
  for (int i = 0; i < 5; ++i) {
    port.write(kPing);
    QTest::qWait(7);
  }
  QElapsedTimer clock;
  clock.start();
  while (got.count(reply) < 5 && clock.elapsed() < 3000) {
    QTest::qWait(5);
    got += port.readAll();
  }
  sim.stopReplay();
  QCOMPARE(got.count(reply), 5);
  // Each reply sits between two whole replayed sentences.
  for (int at = got.indexOf(reply); at >= 0; at = got.indexOf(reply, at + 1)) {
    QVERIFY(at == 0 || got.at(at - 1) == '\n');
    const int after = at + reply.size();
    QVERIFY(after == got.size() || got.at(after) == '$');
  }
}

// Between two epochs nothing is due, so the replay does not wake every few
// milliseconds; a reply asked for in the gap still goes out at once, not
// with the next epoch.
void TestSimulator::epochReplaySleepsBetweenEpochsButRepliesAtOnce()
{
  ReceiverSimulator sim;
  QVERIFY(sim.open());
  sim.addRule(MatchKind::Whole, kPing, kPong);
  QSerialPort port;
  QVERIFY(OpenPort(port, sim));
  // About 100 ms of bytes each at 9600 bit/s, one a second.
  QByteArray first;
  QByteArray second;
  for (int i = 0; i < 3; ++i) {
    first += "$GPZDA,120000.00,01,02,2024,00,00*00\r\n";
    second += "$GPZDA,120001.00,01,02,2024,00,00*00\r\n";
  }
  QElapsedTimer clock;
  clock.start();
  sim.startEpochReplay(first + second, 9600, true);
  QByteArray got = ReadAtLeast(port, int(first.size()));
  QCOMPARE(got, first);

  // The reply comes in the first half of the gap, not with the next epoch.
  const qint64 askedAt = clock.elapsed();
  port.write(kPing);
  qint64 repliedAt = -1;
  while (!got.contains("120001") && clock.elapsed() < 3000) {
    QTest::qWait(1);
    got += port.readAll();
    if (repliedAt < 0 && got.contains(kPong))
      repliedAt = clock.elapsed();
  }
  const qint64 nextEpochAt = clock.elapsed();
  got += ReadAtLeast(port, int(first.size() + kPong.size() + second.size()));
  QCOMPARE(got.left(first.size() + kPong.size() + second.size()), first + kPong + second);
  QVERIFY2(repliedAt - askedAt < (nextEpochAt - askedAt) / 2,
           qPrintable(QStringLiteral("asked at %1 ms, reply at %2 ms, next epoch at %3 ms")
                          .arg(askedAt)
                          .arg(repliedAt)
                          .arg(nextEpochAt)));
  ReadAtLeast(port, int(first.size()), 2500 - int(clock.elapsed()));
  sim.stopReplay();

  // A tick every 5 ms would wake about 500 times in this run.
  const qint64 elapsed = clock.elapsed();
  QVERIFY2(sim.replayWakeups() < elapsed / 15,
           qPrintable(QStringLiteral("%1 wake-ups in %2 ms").arg(sim.replayWakeups()).arg(elapsed)));
}

void TestSimulator::captureReplayedWholeArrivesByteExact_data()
{
  QTest::addColumn<QString>("capture");
  QTest::newRow("oncore m12") << "oncore/oncore-m12.log";
  QTest::newRow("ubx with \\n# inside frames") << "ubx/ublox-zed-f9t-ubx_nmea_l5.log";
  QTest::newRow("largest, 70 KB") << "ubx/u-blox-m8t-time.log";
}

void TestSimulator::captureReplayedWholeArrivesByteExact()
{
  RIDUDER_REQUIRE_CAPTURES();
  QFETCH(QString, capture);
  bool ok = false;
  const QByteArray bytes = riduder::test::ReadCapture(capture, &ok);
  QVERIFY(ok && !bytes.isEmpty());

  ReceiverSimulator sim;
  QVERIFY(sim.open());
  QSerialPort port;
  QVERIFY(OpenPort(port, sim, 115200));
  QSignalSpy finished(&sim, &ReceiverSimulator::replayFinished);
  sim.startReplay(bytes, 0);
  const QByteArray got = ReadAtLeast(port, bytes.size(), 10000);
  QCOMPARE(got.size(), bytes.size());
  QVERIFY(got == bytes);
  QVERIFY(SpinUntil([&] { return finished.count() == 1; }));
  QTest::qWait(20);
  QCOMPARE(port.readAll(), QByteArray());  // no loop: nothing more
}

void TestSimulator::monVerReply()
{
  // The poll as the program sends it, checksum from the protocol document.
  QCOMPARE(riduder::sim::UbxFrame(0x0A, 0x04).toHex(' '), QByteArray("b5 62 0a 04 00 00 0e 34"));
  const QByteArray frame = riduder::sim::SampleMonVerFrame();
  QCOMPARE(frame.size(), 6 + 70 + 2);
  QCOMPARE(frame.mid(4, 2), QByteArray("\x46\x00", 2));  // payload length 70
  QCOMPARE(frame.mid(6, 30), QByteArray("ROM CORE 3.01 (107888)").leftJustified(30, '\0'));
  QCOMPARE(frame.mid(36, 10), QByteArray("00080000").leftJustified(10, '\0'));
  QCOMPARE(frame.mid(46, 30), QByteArray("PROTVER=18.00").leftJustified(30, '\0'));
  // A second, independent frame check: sums over class..payload (RFC 1145).
  int a = 0, b = 0;
  for (int i = 2; i < frame.size() - 2; ++i) {
    a = (a + static_cast<quint8>(frame.at(i))) % 256;
    b = (b + a) % 256;
  }
  QCOMPARE(static_cast<quint8>(frame.at(frame.size() - 2)), quint8(a));
  QCOMPARE(static_cast<quint8>(frame.at(frame.size() - 1)), quint8(b));

  ReceiverSimulator sim;
  QVERIFY(sim.open());
  sim.addRule(riduder::sim::MonVerPollRule());
  QSerialPort port;
  QVERIFY(OpenPort(port, sim));
  port.write(riduder::sim::UbxFrame(0x0A, 0x04) + "\r\n");
  QCOMPARE(ReadAtLeast(port, frame.size()), frame);
}

void TestSimulator::scriptParsing_data()
{
  QTest::addColumn<QString>("script");
  QTest::addColumn<int>("match");  // MatchKind of the one rule
  QTest::addColumn<QByteArray>("request");
  QTest::addColumn<QByteArray>("reply");
  QTest::addColumn<int>("delayMs");
  QTest::addColumn<int>("switchToRate");

  QTest::newRow("text") << "prefix \"@@Cj\" -> \"hello\\r\\n\"" << int(MatchKind::Prefix) << QByteArray("@@Cj")
                        << QByteArray("hello\r\n") << 0 << 0;
  QTest::newRow("hex, spaced and run together, delay")
      << "whole B5 62 0a04 0000 0E34 -> B562 01 delay 25" << int(MatchKind::Whole)
      << QByteArray("\xB5\x62\x0A\x04\x00\x00\x0E\x34", 8) << QByteArray("\xB5\x62\x01", 3) << 25 << 0;
  QTest::newRow("text and hex mixed, escapes")
      << "prefix \"@@Ab\\x00\" 2D -> \"say \\\"hi\\\" \\\\ \" 0D 0A switch-rate 19200 delay 5"
      << int(MatchKind::Prefix) << QByteArray("@@Ab\x00\x2D", 6) << QByteArray("say \"hi\" \\ \r\n") << 5 << 19200;
  QTest::newRow("empty reply, comments and blanks")
      << "# a comment\n\n  prefix \"X\" ->   \n" << int(MatchKind::Prefix) << QByteArray("X") << QByteArray() << 0 << 0;
  QTest::newRow("arrow and hash inside text") << "whole \"a->b#\" -> \"ok\"" << int(MatchKind::Whole)
                                              << QByteArray("a->b#") << QByteArray("ok") << 0 << 0;
}

void TestSimulator::scriptParsing()
{
  QFETCH(QString, script);
  QList<ScriptRule> rules;
  QString error;
  QVERIFY2(riduder::sim::ParseScript(script, &rules, &error), qPrintable(error));
  QCOMPARE(rules.size(), 1);
  QTEST(int(rules.at(0).match), "match");
  QTEST(rules.at(0).request, "request");
  QTEST(rules.at(0).reply.bytes, "reply");
  QTEST(rules.at(0).reply.delayMs, "delayMs");
  QTEST(rules.at(0).reply.switchToRate, "switchToRate");
}

void TestSimulator::scriptErrors_data()
{
  QTest::addColumn<QString>("script");
  QTest::addColumn<QString>("error");
  QTest::newRow("unknown kind") << "prefix \"a\" -> \"b\"\nstarts \"a\" -> \"b\""
                                << "line 2: a rule starts with \"prefix\" or \"whole\"";
  QTest::newRow("no arrow") << "prefix \"a\" \"b\"" << "line 1: missing \"->\"";
  QTest::newRow("empty request") << "whole -> \"b\"" << "line 1: empty request";
  QTest::newRow("odd hex") << "whole B56 -> 00" << "line 1: \"B56\" is neither quoted text nor hexadecimal bytes";
  QTest::newRow("not hex") << "whole \"a\" -> ZZ" << "line 1: \"ZZ\" is neither quoted text nor hexadecimal bytes";
  QTest::newRow("open quote") << "whole \"a -> b" << "line 1: unterminated text";
  QTest::newRow("bad escape") << "whole \"a\\q\" -> b0" << "line 1: unknown escape \\q";
  QTest::newRow("delay without number") << "whole \"a\" -> \"b\" delay" << "line 1: \"delay\" needs a number";
  QTest::newRow("negative delay") << "whole \"a\" -> \"b\" delay -5" << "line 1: \"delay\" needs a number";
}

void TestSimulator::scriptErrors()
{
  QFETCH(QString, script);
  QList<ScriptRule> rules{ScriptRule{}};
  QString error;
  QVERIFY(!riduder::sim::ParseScript(script, &rules, &error));
  QTEST(error, "error");
  QCOMPARE(rules.size(), 1);  // untouched
}

void TestSimulator::receiverBytesOfACapture_data()
{
  QTest::addColumn<QByteArray>("file");
  QTest::addColumn<QByteArray>("bytes");
  QTest::newRow("no header") << QByteArray("$GPGGA\r\n") << QByteArray("$GPGGA\r\n");
  QTest::newRow("header") << QByteArray("# a\n#b\r\n@@Ha") << QByteArray("@@Ha");
  QTest::newRow("'#' after the header stays") << QByteArray("#a\nB5\n#x\n") << QByteArray("B5\n#x\n");
  QTest::newRow("blank line ends the header") << QByteArray("#a\n\n#b\n") << QByteArray("\n#b\n");
  QTest::newRow("header only, no last LF") << QByteArray("#a\n#b") << QByteArray();
  QTest::newRow("empty") << QByteArray() << QByteArray();
}

void TestSimulator::receiverBytesOfACapture()
{
  QFETCH(QByteArray, file);
  QTEST(riduder::sim::ReceiverBytes(file), "bytes");
}

void TestSimulator::receiverBytesAgreeWithTheTestReader()
{
  RIDUDER_REQUIRE_CAPTURES();
  const QDir dir(riduder::test::CaptureDir());
  int files = 0;
  for (const QString &folder : QStringList{"oncore", "ubx", "nmea"}) {
    for (const QString &name : QDir(dir.filePath(folder)).entryList({"*.log"}, QDir::Files)) {
      QFile file(dir.filePath(folder + "/" + name));
      QVERIFY(file.open(QIODevice::ReadOnly));
      QVERIFY2(riduder::sim::ReceiverBytes(file.readAll()) == riduder::test::ReadCapture(folder + "/" + name),
               qPrintable(name));
      ++files;
    }
  }
  QVERIFY(files >= 18);
}

void TestSimulator::demoModeOfACapture_data()
{
  QTest::addColumn<QString>("path");
  QTest::addColumn<QByteArray>("bytes");
  QTest::addColumn<QString>("mode");
  const QByteArray oncore("@@Ha\x01\x02\r\n");
  const QByteArray ubx("\xB5\x62\x01\x20", 4);
  const QByteArray nmea("$GPRMC,1*00\r\n");
  QTest::newRow("oncore folder") << "/x/oncore/a.log" << oncore << "Motorola Binary Rx Only";
  QTest::newRow("nmea folder wins over content") << "/x/nmea/oncore.log" << nmea + oncore << "Generic NMEA";
  QTest::newRow("ubx folder") << "/x/UBX/b.log" << nmea << "u-blox UBX";
  QTest::newRow("oncore content") << "/x/c.log" << nmea + oncore << "Motorola Binary Rx Only";
  QTest::newRow("ubx mixed with nmea") << "/x/c.log" << nmea + ubx + nmea << "u-blox UBX";
  QTest::newRow("nmea content") << "/x/c.log" << nmea << "Generic NMEA";
}

void TestSimulator::demoModeOfACapture()
{
  QFETCH(QString, path);
  QFETCH(QByteArray, bytes);
  QTEST(riduder::sim::DemoModeFor(path, bytes), "mode");
}

void TestSimulator::portSettingsForTheProgram()
{
  {
    QSettings store("ZIV Systems", "Riduder");
    riduder::sim::WriteReceiverPortSettings(store, "/dev/pts/9", "u-blox UBX", 14400);
  }
  // Read back from the file, as the program reads its settings.
  const QString ini = qEnvironmentVariable("XDG_CONFIG_HOME") + "/ZIV Systems/Riduder.conf";
  QVERIFY(QFile::exists(ini));
  QSettings store(ini, QSettings::IniFormat);
  QCOMPARE(store.value("GpsPortDialog/GPS Serial Port").toString(), QString("/dev/pts/9"));
  QCOMPARE(store.value("GpsPortDialog/GPS Serial Port Mode").toString(), QString("u-blox UBX"));
  QCOMPARE(store.value("GpsPortDialog/GPS Serial Port DataRate").toInt(), 14400);
  QCOMPARE(store.value("GpsPortDialog/GPS Serial Port PPS Interface").toInt(), 0);
  QCOMPARE(store.value("GpsPortDialog/GPS Serial Port DataBits").toInt(), 8);
  QCOMPARE(store.value("GpsPortDialog/GPS Serial Port StopBits").toInt(), 1);
  QCOMPARE(store.value("GpsPortDialog/GPS Serial Port Parity").toInt(), 0);
  QCOMPARE(store.value("GpsPortDialog/GPS Serial Port Handshake").toInt(), 0);
  QCOMPARE(store.value("GpsPortDialog/GPS Do Not Initialize").toBool(), false);
}

void TestSimulator::simulatorProgram()
{
  const QString program = QCoreApplication::applicationDirPath() + "/../tools/riduder-sim";
  if (!QFile::exists(program))
    QSKIP("riduder-sim is not built beside this test");
  QTemporaryDir dir;
  QVERIFY(dir.isValid());
  QFile capture(dir.filePath("nmea/demo.log"));
  QVERIFY(QDir().mkpath(dir.filePath("nmea")) && capture.open(QIODevice::WriteOnly));
  const QByteArray data("$GPZDA,120000.00,01,02,2024,00,00*6A\r\n");
  capture.write("# a header line\n" + data);
  capture.close();
  QFile script(dir.filePath("replies.txt"));
  QVERIFY(script.open(QIODevice::WriteOnly));
  script.write("# test\nwhole \"HELLO\" -> \"WORLD\" 0D 0A\n");
  script.close();

  QProcess sim;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("XDG_CONFIG_HOME", dir.path());
  sim.setProcessEnvironment(env);
  sim.start(program, {"--replay", capture.fileName(), "--rate", "115200", "--script", script.fileName(),
                      "--answer-mon-ver", "--write-port-settings", "auto"});
  QVERIFY(sim.waitForStarted(3000));
  QElapsedTimer clock;
  clock.start();
  while (!sim.canReadLine() && clock.elapsed() < 5000)
    sim.waitForReadyRead(100);
  const QString path = QString::fromLocal8Bit(sim.readLine()).trimmed();
  QVERIFY2(path.startsWith("/dev/pts/"), qPrintable(path));
  QSettings store(dir.path() + "/ZIV Systems/Riduder.conf", QSettings::IniFormat);
  QCOMPARE(store.value("GpsPortDialog/GPS Serial Port").toString(), path);
  QCOMPARE(store.value("GpsPortDialog/GPS Serial Port Mode").toString(), QString("Generic NMEA"));

  QSerialPort port;
  port.setPortName(path);
  QVERIFY(port.open(QIODevice::ReadWrite));
  QByteArray got = ReadAtLeast(port, data.size());
  QCOMPARE(got, data);  // replayed once, after the header
  port.write("HELLO\r\n");
  QCOMPARE(ReadAtLeast(port, 7), QByteArray("WORLD\r\n"));
  port.write(riduder::sim::UbxFrame(0x0A, 0x04) + "\r\n");
  const QByteArray monVer = riduder::sim::SampleMonVerFrame();
  QCOMPARE(ReadAtLeast(port, monVer.size()), monVer);
  port.close();
  sim.terminate();
  QVERIFY(sim.waitForFinished(3000));
}

RIDUDER_TEST_MAIN(TestSimulator)
#include "tst_simulator.moc"
