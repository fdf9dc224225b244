#include "TestMain.h"

#include "ProcessMemory.h"
#include "RemoteClient.h"
#include "TimerLateness.h"
#include "remote/RemoteCommandInterpreter.h"
#include "remote/TelnetTcpServer.h"

#include <QElapsedTimer>
#include <QLoggingCategory>

using riduder::test::BurstClient;
using riduder::test::FreeLinkPort;
using riduder::test::ResidentBytes;
using riduder::test::RemoteClient;
using riduder::test::TimerLateness;

namespace {

// The commands that need no log or window.
class LoadHost : public RemoteCommandHost {
public:
  explicit LoadHost(TelnetTcpServer &server, quint16 port) : server(server), port(port) {}

  void SendReply(const QByteArray &reply) override { server.SendMessage(reply); }
  void RestartServer() override { server.StartServer(port); }
  void CarryOutNextLineAtOnce() override { server.CarryOutNextLineAtOnce(); }
  QString VersionText() const override { return QStringLiteral("1.2.10"); }
  QString ReferencePositionText() const override { return FormatPositionText(reference, 4); }
  void SetReferenceLocation(const GeoPosition &position) override { reference = position; }
  void SetTicDataCount(TicDataKind, int) override {}
  QByteArray LastTicDataLine(TicDataKind) const override { return "1.000000"; }
  int GpsLogType() const override { return 0; }
  void SetGpsLogType(int) override {}
  bool GpsLogOpen() const override { return false; }
  QString GpsLogFileName() const override { return QString(); }
  bool OpenGpsLogFile(int) override { return false; }
  bool CloseGpsLogFile() override { return false; }
  bool TicLogOpen() const override { return false; }
  QString TicLogFirstFileName() const override { return QString(); }
  bool OpenTicLogFiles(int) override { return false; }
  bool CloseTicLogFiles() override { return false; }
  void TicLogOptionsStored() override {}

private:
  TelnetTcpServer &server;
  quint16 port;
  GeoPosition reference;
};

// The server with the interpreter behind it, on a free port of loopback.
struct ServedInterpreter {
  ServedInterpreter()
  {
    QObject::connect(&server, &TelnetTcpServer::sendTelnetCommand, &server,
                     [this](const QByteArray &line) { interpreter.OnTelnetCommand(line); });
  }

  const quint16 port = FreeLinkPort();
  TelnetTcpServer server;
  LoadHost host{server, port};
  RemoteCommandInterpreter interpreter{host};
};

// `count` things done in `ms` as a rate, for the figures the run prints.
QString PerSecond(qint64 count, qint64 ms)
{
  return QString::number(double(count) * 1000.0 / double(qMax<qint64>(ms, 1)), 'f', 0);
}

// Sends `burst` in one write from `client` and keeps a 10 ms timer running
// until `replies` lines have come back: how long that took and how late the
// timer got at most.
bool RunBurst(BurstClient &client, quint16 port, const QByteArray &burst, int replies, qint64 *burstMs,
              qint64 *lateMs)
{
  QElapsedTimer clock;
  clock.start();
  if (!client.Start(port, burst, replies))
    return false;
  TimerLateness lateness;
  lateness.RunUntil([&] { return client.Done(); }, 300000);
  *burstMs = clock.elapsed();
  *lateMs = lateness.WorstLateMs();
  client.Join();
  return true;
}

}  // namespace

// Many connections and many command lines on loopback, as a long run
// (scripts/remote-load sets RIDUDER_REMOTE_LOAD=1): nothing crashes, every
// line is answered and the memory stays flat.
class TestRemoteLoad : public QObject {
  Q_OBJECT

private slots:
  void initTestCase()
  {
    if (qEnvironmentVariableIntValue("RIDUDER_REMOTE_LOAD") != 1)
      QSKIP("set RIDUDER_REMOTE_LOAD=1 (scripts/remote-load) for the remote-control load run");
    // A debug line per command would be most of the run.
    QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
  }

  void thousandConnectionsAndAHundredThousandLines()
  {
    ServedInterpreter served;
    QVERIFY(served.server.StartServer(served.port));
    TelnetTcpServer &server = served.server;
    const quint16 port = served.port;

    QElapsedTimer clock;
    clock.start();
    qint64 residentAfterWarmUp = 0;
    constexpr int Connections = 1000;
    for (int i = 0; i < Connections; ++i) {
      QVERIFY(QTest::qWaitFor([&] { return server.IsListening(); }));
      RemoteClient client;
      QVERIFY2(client.Connect(port), qPrintable(QString::number(i)));
      client.Send("$DAREZ,VERSION\r");
      QCOMPARE(client.ReadLine(), QByteArray("$DAREZ,VERSION,1.2.10"));
      // Half leave by EXIT, half by closing, some of those in mid-line.
      if (i % 2 == 0) {
        client.Send("EXIT\r");
        QCOMPARE(client.ReadLine(), QByteArray("DISCONNECTED"));
        QVERIFY(client.WaitGone());
      } else {
        if (i % 3 == 0)
          client.Send("$DAREZ,VERS");
        client.socket.disconnectFromHost();
        QVERIFY(client.WaitGone());
      }
      if (i == 100)
        residentAfterWarmUp = ResidentBytes();
    }
    const qint64 connectionsMs = clock.restart();
    const qint64 residentAfterConnections = ResidentBytes();

    QVERIFY(QTest::qWaitFor([&] { return server.IsListening(); }));
    RemoteClient client;
    QVERIFY(client.Connect(port));
    const QByteArray overlong(TelnetTcpServer::MaxLineBytes + 500, 'L');
    const QList<QByteArray> lines{"$DAREZ,VERSION", "$DAREZ,REFLOC", "$DAREZ,TICDATA,TIME,ONCE",
                                  "$DAREZ,VERSION*3E", "$DAREZ", "junk*ZZ", "$DAREZ,NOTHING", overlong};
    const QList<QByteArray> answers{"$DAREZ,VERSION,1.2.10", "$DAREZ,REFLOC,", "$DAREZ,TICDATA,TIME,1.000000",
                                    "$DAREZ,VERSION,1.2.10", "$DAREZ ???", "junk ???", "$DAREZ,NOTHING,UNKNOWN",
                                    overlong.left(64) + " ???"};
    constexpr int Lines = 100000;
    constexpr int Batch = 500;
    int answered = 0;
    qint64 residentMidway = 0;
    for (int sent = 0; sent < Lines; sent += Batch) {
      QByteArray batch;
      for (int k = sent; k < sent + Batch; ++k)
        batch += lines.at(k % lines.size()) + (k % 2 ? "\r\n" : "\r");
      client.Send(batch);
      for (int k = sent; k < sent + Batch; ++k) {
        const QByteArray reply = client.ReadLine();
        QVERIFY2(reply.startsWith(answers.at(k % answers.size())),
                 qPrintable(QStringLiteral("line %1: %2").arg(k).arg(QString::fromLatin1(reply.left(80)))));
        ++answered;
      }
      if (sent == Lines / 2)
        residentMidway = ResidentBytes();
    }
    const qint64 linesMs = clock.elapsed();
    const qint64 residentAtEnd = ResidentBytes();
    QCOMPARE(answered, Lines);

    qInfo("%d sessions in %lld ms (%s sessions/s); %d lines in %lld ms (%s replies/s)", Connections, connectionsMs,
          qPrintable(PerSecond(Connections, connectionsMs)), Lines, linesMs, qPrintable(PerSecond(Lines, linesMs)));
    qInfo("resident memory: %lld KiB after 100 connections, %lld KiB after %d, %lld KiB midway through the lines, "
          "%lld KiB at the end",
          residentAfterWarmUp / 1024, residentAfterConnections / 1024, Connections, residentMidway / 1024,
          residentAtEnd / 1024);
    // Flat: a few MiB of allocator slack, nothing that grows with traffic.
    QVERIFY(residentAfterConnections - residentAfterWarmUp < 8 * 1024 * 1024);
    QVERIFY(residentAtEnd - residentMidway < 8 * 1024 * 1024);
  }

  // 4 MiB of command lines in one write, through the interpreter: how long
  // the server takes to work them off while the thread stays responsive.
  void burstOfFourMebibytes_data()
  {
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArray>("answer");
    QTest::newRow("VERSION") << QByteArray("$DAREZ,VERSION") << QByteArray("$DAREZ,VERSION,1.2.10");
    QTest::newRow("rejected") << QByteArray("x") << QByteArray("x ???");
  }

  void burstOfFourMebibytes()
  {
    QFETCH(QByteArray, line);
    QFETCH(QByteArray, answer);
    ServedInterpreter served;
    QVERIFY(served.server.StartServer(served.port));

    QByteArray burst;
    int lines = 0;
    for (; burst.size() < 4 * 1024 * 1024; ++lines)
      burst += line + '\r';
    BurstClient client;
    qint64 burstMs = 0;
    qint64 lateMs = 0;
    QVERIFY(RunBurst(client, served.port, burst, 1 + lines, &burstMs, &lateMs));
    QCOMPARE(client.received.size(), 1 + lines);
    QCOMPARE(client.received.count(answer), lines);
    qInfo("%d lines (%lld bytes) of \"%s\" worked off in %lld ms (%s replies/s); a 10 ms timer at most %lld ms "
          "late",
          lines, qint64(burst.size()), line.constData(), burstMs, qPrintable(PerSecond(lines, burstMs)), lateMs);
  }

  // 16 MiB of command lines in one write from a client that reads its
  // replies at 1 MB/s: its lines wait for its replies, and every one is
  // answered, in order, on the same connection.
  void sixteenMebibytesToAClientReadingOneMegabyteASecond()
  {
    ServedInterpreter served;
    QVERIFY(served.server.StartServer(served.port));

    QByteArray burst;
    int lines = 0;
    for (; burst.size() < 16 * 1024 * 1024; ++lines)
      burst += "$DAREZ,VERSION\r\n";
    BurstClient client;
    client.readBytesPerSecond = 1000 * 1000;
    qint64 burstMs = 0;
    qint64 lateMs = 0;
    QVERIFY(RunBurst(client, served.port, burst, 1 + lines, &burstMs, &lateMs));
    qInfo("%d of %d replies (%lld bytes of lines) read at 1 MB/s in %lld ms; a 10 ms timer at most %lld ms late",
          int(client.received.size()) - 1, lines, qint64(burst.size()), burstMs, lateMs);
    QVERIFY(client.sentAll);
    QCOMPARE(client.received.size(), 1 + lines);
    QCOMPARE(client.received.count("$DAREZ,VERSION,1.2.10"), lines);
  }
};

RIDUDER_TEST_MAIN(TestRemoteLoad)
#include "tst_remoteload.moc"
