#include "TestMain.h"

#include "RemoteClient.h"
#include "TimerLateness.h"
#include "remote/TelnetTcpServer.h"

#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QPointer>
#include <QSignalSpy>

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

using riduder::test::BurstClient;
using riduder::test::ConnectAndReset;
using riduder::test::FreeLinkPort;
using riduder::test::RemoteClient;
using riduder::test::TimerLateness;

namespace {

// A server that answers every command it hands on with "CMD " and the
// command, so each line sent gives exactly one reply line; "EXIT" does what
// the interpreter does with it.
struct AnsweringServer {
  AnsweringServer()
  {
    port = FreeLinkPort();
    QObject::connect(&server, &TelnetTcpServer::sendTelnetCommand, &server, [this](const QByteArray &command) {
      ++carriedOut;
      if (recording)
        commands << command;
      if (command == "EXIT") {
        server.SendMessage("DISCONNECTED");
        server.StartServer(port);
        return;
      }
      server.SendMessage("CMD " + command);
    });
  }

  TelnetTcpServer server;
  quint16 port = 0;
  QList<QByteArray> commands;
  int carriedOut = 0;
  bool recording = true;
};

// A peer on loopback with a small receive buffer that never reads: its
// window shuts as soon as a little has come. The descriptor, or -1.
int ConnectSilentPeer(quint16 port)
{
  const int descriptor = ::socket(AF_INET, SOCK_STREAM, 0);
  if (descriptor < 0)
    return -1;
  const int receiveBytes = 4096;
  ::setsockopt(descriptor, SOL_SOCKET, SO_RCVBUF, &receiveBytes, sizeof receiveBytes);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(descriptor, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0) {
    ::close(descriptor);
    return -1;
  }
  return descriptor;
}

}  // namespace

class TestTelnetTcpServer : public QObject {
  Q_OBJECT

private slots:
  void greetsItsClientExactly()
  {
    AnsweringServer fixture;
    QVERIFY(fixture.server.StartServer(fixture.port));
    QCOMPARE(fixture.server.Port(), fixture.port);
    RemoteClient client;
    QVERIFY(client.Connect(fixture.port));
    QCOMPARE(client.greeting, QByteArray("Hello client, this is Riduder.\r\n"));
    QVERIFY(QTest::qWaitFor([&] { return fixture.server.HasClient(); }));
    QVERIFY(!fixture.server.IsListening());
  }

  // A client whose machine vanished is ended by the system: the served
  // connection probes after a minute of silence.
  void probesTheServedConnection()
  {
    AnsweringServer fixture;
    QVERIFY(fixture.server.StartServer(fixture.port));
    RemoteClient client;
    QVERIFY(client.Connect(fixture.port));
    QVERIFY(QTest::qWaitFor([&] { return fixture.server.HasClient(); }));
    const auto served = fixture.server.findChildren<QTcpSocket *>();
    QCOMPARE(served.size(), 1);
    const TcpKeepAliveTimes times = TcpKeepAliveOf(served.first()->socketDescriptor());
    QCOMPARE(times.idleSeconds, 60);
    QCOMPARE(times.intervalSeconds, 10);
    QCOMPARE(times.probes, 3);
    // Keep-alive does not probe while sent data waits: that is ended too.
    QCOMPARE(times.unacknowledgedMs, 90000);
    // Short replies go out at once, not after the client's last acknowledgement.
    int noDelay = 0;
    socklen_t size = sizeof noDelay;
    QCOMPARE(::getsockopt(int(served.first()->socketDescriptor()), IPPROTO_TCP, TCP_NODELAY, &noDelay, &size), 0);
    QCOMPARE(noDelay, 1);
  }

  // A peer whose window stays shut (alive, but it never reads) holds sent
  // data unacknowledged: the system ends the connection after the user
  // timeout, here shortened to a second, and the port takes the next one.
  void dropsAPeerThatLeavesItsDataUnacknowledged()
  {
    AnsweringServer fixture;
    fixture.server.SetKeepAliveTimes({60, 10, 3, 1000});
    QVERIFY(fixture.server.StartServer(fixture.port));
    const int peer = ConnectSilentPeer(fixture.port);
    QVERIFY(peer >= 0);
    const auto closePeer = qScopeGuard([peer] { ::close(peer); });
    QVERIFY(QTest::qWaitFor([&] { return fixture.server.HasClient(); }));
    // Far less than would drop a client that reads nothing, but more than
    // the peer's window takes.
    for (int i = 0; i < 32; ++i) {
      fixture.server.SendMessage(QByteArray(16 * 1024, 'x'));
      QCoreApplication::processEvents();
    }
    QVERIFY(fixture.server.HasClient());
    QVERIFY(QTest::qWaitFor([&] { return !fixture.server.HasClient(); }, 15000));
    QVERIFY(QTest::qWaitFor([&] { return fixture.server.IsListening(); }));
  }

  void checksSentenceForm_data()
  {
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArray>("reply");

    QTest::newRow("remote sentence") << QByteArray("$DAREZ,VERSION") << QByteArray("CMD $DAREZ,VERSION");
    QTest::newRow("remote word without comma") << QByteArray("$DAREZ") << QByteArray("$DAREZ ???");
    QTest::newRow("remote word run on") << QByteArray("$DAREZVERSION") << QByteArray("$DAREZVERSION ???");
    QTest::newRow("GP sentence") << QByteArray("$GPXYZ,1") << QByteArray("CMD $GPXYZ,1");
    QTest::newRow("GP without comma") << QByteArray("$GPXYZ") << QByteArray("$GPXYZ ???");
    QTest::newRow("PZQK sentence") << QByteArray("$PZQKA,1") << QByteArray("CMD $PZQKA,1");
    QTest::newRow("other sentence") << QByteArray("$XYZ,1") << QByteArray("$XYZ,1 ???");
    QTest::newRow("EXIT word") << QByteArray("EXIT") << QByteArray("DISCONNECTED");
    QTest::newRow("exit lower case") << QByteArray("exit") << QByteArray("exit ???");
    QTest::newRow("EXIT and a blank") << QByteArray("EXIT ") << QByteArray("EXIT  ???");
    QTest::newRow("good checksum") << QByteArray("$DAREZ,VERSION*3E") << QByteArray("CMD $DAREZ,VERSION");
    QTest::newRow("good checksum, lower-case command")
        << QByteArray("$dArEz,version*3E") << QByteArray("CMD $dArEz,version");
    QTest::newRow("good checksum, any text") << QByteArray("$PZQK,ab*3F") << QByteArray("CMD $PZQK,ab");
    QTest::newRow("exit with checksum") << QByteArray("exit*65") << QByteArray("CMD exit");
    QTest::newRow("bad checksum") << QByteArray("$DAREZ,VERSION*00") << QByteArray("$DAREZ,VERSION ???");
    QTest::newRow("lower-case digits") << QByteArray("$DAREZ,VERSION*3e") << QByteArray("$DAREZ,VERSION ???");
    QTest::newRow("checksum missing") << QByteArray("$GPXYZ,1*") << QByteArray("$GPXYZ,1* ???");
    QTest::newRow("star inside") << QByteArray("$DAREZ,A*B,C") << QByteArray("$DAREZ,A*B,C ???");
    QTest::newRow("one byte and sum") << QByteArray("A*00") << QByteArray("CMD A");
    QTest::newRow("empty line") << QByteArray("") << QByteArray(" ???");
  }

  void checksSentenceForm()
  {
    QFETCH(QByteArray, line);
    QFETCH(QByteArray, reply);
    AnsweringServer fixture;
    QVERIFY(fixture.server.StartServer(fixture.port));
    RemoteClient client;
    QVERIFY(client.Connect(fixture.port));
    client.Send(line + '\r');
    QCOMPARE(client.ReadLine(), reply);
  }

  void cutsLinesAtCrWhateverTheChunks()
  {
    AnsweringServer fixture;
    QVERIFY(fixture.server.StartServer(fixture.port));
    RemoteClient client;
    QVERIFY(client.Connect(fixture.port));

    // LF alone ends nothing.
    client.Send("$GPXYZ,1\n");
    QCOMPARE(client.ReadLine(200), QByteArray());
    client.Send("\r");
    QCOMPARE(client.ReadLine(), QByteArray("CMD $GPXYZ,1\n"));
    QCOMPARE(client.ReadLine(), QByteArray(""));

    // The LF (or the NUL of a telnet client) after a CR comes in the next
    // write: it is dropped, and both commands are answered.
    client.Send("$GPXYZ,2\r");
    QCOMPARE(client.ReadLine(), QByteArray("CMD $GPXYZ,2"));
    client.Send("\n$GPXYZ,3\r");
    QCOMPARE(client.ReadLine(), QByteArray("CMD $GPXYZ,3"));
    client.Send(QByteArray("\0$GPXYZ,4\r", 10));
    QCOMPARE(client.ReadLine(), QByteArray("CMD $GPXYZ,4"));

    // Line ends in one read: CR LF CR LF between two lines gives two lines.
    client.Send("$GPXYZ,5\r\n\r\n$GPXYZ,6\r");
    QCOMPARE(client.ReadLine(), QByteArray("CMD $GPXYZ,5"));
    QCOMPARE(client.ReadLine(), QByteArray("CMD $GPXYZ,6"));

    // A line in pieces.
    for (const char *piece : {"$DA", "REZ,VER", "SION", "\r"})
      client.Send(piece);
    QCOMPARE(client.ReadLine(), QByteArray("CMD $DAREZ,VERSION"));
    QCOMPARE(client.ReadLine(200), QByteArray());
  }

  void discardsAnOverlongLineWithOneReply()
  {
    AnsweringServer fixture;
    QVERIFY(fixture.server.StartServer(fixture.port));
    RemoteClient client;
    QVERIFY(client.Connect(fixture.port));

    QByteArray text;
    for (int i = 0; text.size() < 3 * TelnetTcpServer::MaxLineBytes; ++i)
      text += QByteArray::number(i % 10);
    // Unterminated, in pieces, then ended by CR LF and followed by a command.
    for (int at = 0; at < text.size(); at += 1000)
      client.Send(text.mid(at, 1000));
    client.Send("\r\n$GPXYZ,1\r");
    QCOMPARE(client.ReadLine(), text.left(64) + " ???");
    QCOMPARE(client.ReadLine(), QByteArray("CMD $GPXYZ,1"));

    // Whole in one write: the same single reply.
    client.Send(text + "\r");
    QCOMPARE(client.ReadLine(), text.left(64) + " ???");
    // The longest line that is not discarded.
    const QByteArray longest = "$GPXYZ," + QByteArray(TelnetTcpServer::MaxLineBytes - 7, 'x');
    client.Send(longest + "\r");
    QCOMPARE(client.ReadLine(), "CMD " + longest);
    QCOMPARE(client.ReadLine(200), QByteArray());
    QCOMPARE(fixture.commands.size(), 2);
  }

  void worksOffABurstOfLinesInTurnWithTheRest_data()
  {
    QTest::addColumn<qint64>("readBytesPerSecond");
    QTest::newRow("client reads at once") << qint64(0);
    // Its replies come faster than it takes them: its lines wait for them.
    QTest::newRow("client reads 1 MB/s") << qint64(1000 * 1000);
  }

  // 4 MiB of command lines in one write: every line is answered in order,
  // whatever the pace at which the client reads, the connection is kept,
  // and the thread's other work goes on meanwhile: a 10 ms timer keeps
  // firing, and between two of its ticks the server carries out at most a
  // quarter of the lines (a few percent here; nearly all when a pass held
  // the thread). How late the timer got is shown, not judged: on a busy
  // machine that measures the machine.
  void worksOffABurstOfLinesInTurnWithTheRest()
  {
    QFETCH(qint64, readBytesPerSecond);
    AnsweringServer fixture;
    fixture.recording = false;
    QVERIFY(fixture.server.StartServer(fixture.port));
    // A debug line per command would be most of the work.
    QLoggingCategory::defaultCategory()->setEnabled(QtDebugMsg, false);
    const auto restoreDebug = qScopeGuard([] { QLoggingCategory::defaultCategory()->setEnabled(QtDebugMsg, true); });

    QByteArray burst;
    int lines = 0;
    while (burst.size() < 4 * 1024 * 1024)
      burst += "$GPXYZ," + QByteArray::number(lines++) + '\r';
    BurstClient client;
    client.readBytesPerSecond = readBytesPerSecond;
    QVERIFY(client.Start(fixture.port, burst, 1 + lines));

    TimerLateness lateness;
    int carriedOutAtTick = 0;
    int mostBetweenTicks = 0;
    int ticksInFlood = 0;
    // Far more than the burst takes on a loaded machine.
    lateness.RunUntil(
        [&] {
          mostBetweenTicks = qMax(mostBetweenTicks, fixture.carriedOut - carriedOutAtTick);
          carriedOutAtTick = fixture.carriedOut;
          if (carriedOutAtTick > 0 && carriedOutAtTick < lines)
            ++ticksInFlood;
          return client.Done();
        },
        120000);
    client.Join();
    qInfo("%d lines; %d ticks of a 10 ms timer in the flood, at most %d lines between two; at most %lld ms late",
          lines, ticksInFlood, mostBetweenTicks, lateness.WorstLateMs());

    QVERIFY(client.sentAll);
    QCOMPARE(client.received.size(), 1 + lines);
    QCOMPARE(client.received.first() + "\r\n", QByteArray(RemoteControlProtocol::Greeting));
    for (int k = 0; k < lines; ++k)
      if (client.received.at(1 + k) != "CMD $GPXYZ," + QByteArray::number(k))
        QFAIL(qPrintable(QStringLiteral("reply %1: %2").arg(k).arg(QString::fromLatin1(client.received.at(1 + k)))));
    QVERIFY2(mostBetweenTicks <= lines / 4,
             qPrintable(QStringLiteral("%1 of %2 lines carried out between two ticks").arg(mostBetweenTicks).arg(lines)));
  }

  // A command that asks for it (a log closed) has the client's next line,
  // sent with it, carried out before anything else the event loop holds,
  // however long it took itself; the line after that waits its turn again.
  void carriesOutTheLineAfterACloseAtOnce()
  {
    AnsweringServer fixture;
    QList<QByteArray> order;
    QObject::connect(&fixture.server, &TelnetTcpServer::sendTelnetCommand, &fixture.server,
                     [&](const QByteArray &command) {
                       order << command;
                       if (command != "$GPXYZ,CLOSE")
                         return;
                       QElapsedTimer busy;
                       busy.start();
                       while (!busy.hasExpired(3 * TelnetTcpServer::WorkPassMs)) {
                       }
                       // A counter reading, say, that came meanwhile.
                       QMetaObject::invokeMethod(&fixture.server, [&order] { order << "reading"; }, Qt::QueuedConnection);
                       fixture.server.CarryOutNextLineAtOnce();
                     });
    QVERIFY(fixture.server.StartServer(fixture.port));
    RemoteClient client;
    QVERIFY(client.Connect(fixture.port));
    client.Send("$GPXYZ,CLOSE\r$GPXYZ,NEW\r$GPXYZ,MORE\r");
    for (const char *line : {"$GPXYZ,CLOSE", "$GPXYZ,NEW", "$GPXYZ,MORE"})
      QCOMPARE(client.ReadLine(), "CMD " + QByteArray(line));
    QCOMPARE(order, (QList<QByteArray>{"$GPXYZ,CLOSE", "$GPXYZ,NEW", "reading", "$GPXYZ,MORE"}));
  }

  void servesOneClientAtATime()
  {
    AnsweringServer fixture;
    QVERIFY(fixture.server.StartServer(fixture.port));
    auto first = std::make_unique<RemoteClient>();
    QVERIFY(first->Connect(fixture.port));
    QVERIFY(QTest::qWaitFor([&] { return !fixture.server.IsListening(); }));

    RemoteClient second;
    QVERIFY(!second.Connect(fixture.port));

    // A fragment the first client leaves without CR is not the start of
    // the next client's line.
    first->Send("$GPXYZ,");
    QTest::qWait(50);
    first.reset();
    QVERIFY(QTest::qWaitFor([&] { return fixture.server.IsListening(); }));

    RemoteClient third;
    QVERIFY(third.Connect(fixture.port));
    QCOMPARE(third.greeting, QByteArray(RemoteControlProtocol::Greeting));
    third.Send("1\r");
    QCOMPARE(third.ReadLine(), QByteArray("1 ???"));
    QVERIFY(fixture.commands.isEmpty());
  }

  void exitDisconnectsAndNothingAfterItRuns()
  {
    AnsweringServer fixture;
    QVERIFY(fixture.server.StartServer(fixture.port));
    RemoteClient client;
    QVERIFY(client.Connect(fixture.port));
    client.Send("EXIT\r$GPXYZ,1\r");
    QCOMPARE(client.ReadLine(), QByteArray("DISCONNECTED"));
    QVERIFY(client.WaitGone());
    QCOMPARE(client.socket.bytesAvailable(), 0);
    QCOMPARE(fixture.commands, QList<QByteArray>{"EXIT"});

    // The same port takes the next client.
    QVERIFY(fixture.server.IsListening());
    RemoteClient next;
    QVERIFY(next.Connect(fixture.port));
    next.Send("$GPXYZ,2\r");
    QCOMPARE(next.ReadLine(), QByteArray("CMD $GPXYZ,2"));
  }

  // Clients that reset their connection, before the server has taken them
  // (a port scan) or while they are served, never leave the port closed.
  void listensOnAfterResetConnections()
  {
    AnsweringServer fixture;
    QVERIFY(fixture.server.StartServer(fixture.port));
    // While the server still serves a reset client it has not yet seen go,
    // a new one is refused: it tries again, as a person would.
    const auto connectWhenListening = [&fixture] {
      for (int attempt = 0; attempt < 20; ++attempt) {
        if (QTest::qWaitFor([&] { return fixture.server.IsListening(); }, 1000)) {
          auto client = std::make_unique<RemoteClient>();
          if (client->Connect(fixture.port))
            return client;
        }
        QTest::qWait(20);
      }
      return std::unique_ptr<RemoteClient>();
    };
    for (int i = 0; i < 20; ++i) {
      if (i % 4 < 2) {
        // Two at a time, reset before the server runs at all.
        QVERIFY(QTest::qWaitFor([&] { return fixture.server.IsListening(); }));
        QVERIFY(ConnectAndReset(fixture.port));
        continue;
      }
      const auto client = connectWhenListening();
      QVERIFY2(client, qPrintable(QStringLiteral("connection %1").arg(i)));
      QVERIFY(QTest::qWaitFor([&] { return fixture.server.HasClient(); }));
      if (i % 4 == 3)
        client->Send("$GPXYZ,");
      client->Reset();
    }
    const auto client = connectWhenListening();
    QVERIFY(client);
    QCOMPARE(client->greeting, QByteArray(RemoteControlProtocol::Greeting));
    client->Send("$GPXYZ,1\r");
    QCOMPARE(client->ReadLine(), QByteArray("CMD $GPXYZ,1"));
    QCOMPARE(fixture.commands, QList<QByteArray>{"$GPXYZ,1"});
  }

  void restartMovesToTheNewPortOnly()
  {
    AnsweringServer fixture;
    QVERIFY(fixture.server.StartServer(fixture.port));
    RemoteClient client;
    QVERIFY(client.Connect(fixture.port));
    QVERIFY(QTest::qWaitFor([&] { return fixture.server.HasClient(); }));

    const quint16 newPort = FreeLinkPort();
    QVERIFY(fixture.server.StartServer(newPort));
    QVERIFY(client.WaitGone());
    QTest::qWait(50);
    QCOMPARE(fixture.server.Port(), newPort);
    RemoteClient onOld;
    QVERIFY(!onOld.Connect(fixture.port));
    RemoteClient onNew;
    QVERIFY(onNew.Connect(newPort));
  }

  void dropsAClientThatReadsNothing()
  {
    AnsweringServer fixture;
    QVERIFY(fixture.server.StartServer(fixture.port));
    RemoteClient client;
    QVERIFY(client.Connect(fixture.port));
    // The client takes no more than a byte: the rest backs up to the server.
    client.socket.setReadBufferSize(1);
    QVERIFY(QTest::qWaitFor([&] { return fixture.server.HasClient(); }));

    const QByteArray block(64 * 1024, 'x');
    for (int i = 0; i < 1000 && fixture.server.HasClient(); ++i) {
      fixture.server.SendMessage(block);
      QCoreApplication::processEvents();
    }
    QVERIFY(!fixture.server.HasClient());
    QVERIFY(QTest::qWaitFor([&] { return fixture.server.IsListening(); }));
  }

  void goesWithItsClientConnected()
  {
    auto fixture = std::make_unique<AnsweringServer>();
    QVERIFY(fixture->server.StartServer(fixture->port));
    RemoteClient client;
    QVERIFY(client.Connect(fixture->port));
    QVERIFY(QTest::qWaitFor([&] { return fixture->server.HasClient(); }));
    fixture.reset();
    QVERIFY(client.WaitGone());
  }

  // A client's escape sequences reach the debug output written out, so the
  // terminal or journal that shows it does not obey them; the line itself
  // is handed on as sent.
  void clientControlBytesAreWrittenOutInTheDebugOutput()
  {
    AnsweringServer fixture;
    QVERIFY(fixture.server.StartServer(fixture.port));
    RemoteClient client;
    QVERIFY(client.Connect(fixture.port));
    const QByteArray line = "$DAREZ,\x1b]0;owned\x07\x1b[2J";
    const char *shown = "$DAREZ,\\x1b]0;owned\\x07\\x1b[2J";
    QTest::ignoreMessage(QtDebugMsg, QByteArray("Received TELNET Message ->  ") + shown);
    QTest::ignoreMessage(QtDebugMsg, QByteArray("Valid Telnet Command Format ->  ") + shown);
    client.Send(line + '\r');
    QCOMPARE(client.ReadLine(), "CMD " + line);
    QCOMPARE(fixture.commands, QList<QByteArray>{line});
  }

  void sendsNothingWithoutAClient()
  {
    TelnetTcpServer server;
    server.SendMessage("nobody");
    QVERIFY(!server.HasClient());
    QCOMPARE(server.Port(), quint16(0));
  }
};

RIDUDER_TEST_MAIN(TestTelnetTcpServer)
#include "tst_telnettcpserver.moc"
