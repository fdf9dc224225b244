#include "TestMain.h"

#include "ModalDialogs.h"
#include "RecordingMessageBoxes.h"
#include "RemoteClient.h"
#include "StoredCounters.h"
#include "tests/logging/GpsLogTestHost.h"
#include "app/MainWindow.h"
#include "logging/TicLogOptions.h"
#include "remote/TelnetLink.h"
#include "remote/TelnetTcpServer.h"
#include "tic/TicLineProcessor.h"
#include "tic/TicPortSettings.h"
#include "tools/simulator/CounterSimulator.h"

#include <QAction>
#include <QSettings>
#include <QDateTime>
#include <QTimer>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTemporaryDir>

using riduder::sim::CounterProfile;
using riduder::sim::CounterSimulator;
using riduder::test::FreeLinkPort;
using riduder::test::RemoteClient;

namespace {

bool ActionEnabled(MainWindow &window, const char *name)
{
  auto *action = window.findChild<QAction *>(QLatin1String(name));
  return action && action->isEnabled();
}

}  // namespace

// The remote commands through the running window: a real client on
// loopback, the window's own reference location, logs and menu.
class TestRemoteWindow : public QObject {
  Q_OBJECT

  QTemporaryDir folder;

  // The counters make a time row of every reading.
  static void RowEveryReading(MainWindow &window)
  {
    QSettings settings;
    settings.setValue(TicLogKeys::AveragingLogPeriod, QStringLiteral("0"));
    settings.setValue(TicLogKeys::TimeIntervalLogButtonGroup, 0);
    settings.setValue(TicLogKeys::TimeLogEvery, 0);
    settings.setValue(TicLogKeys::LogStyle, 1);
    window.LoadTicLogOptions();
  }

  // Switches serving on through the link dialog; the client is connected.
  bool Serve(MainWindow &window, RemoteClient &client)
  {
    const quint16 port = FreeLinkPort();
    riduder::test::AnswerNextModalDialog([port](QDialog *dialog) {
      auto *link = qobject_cast<TelnetLink *>(dialog);
      link->SetSettings({true, port});
      link->accept();
    });
    window.TelnetLinkInterface();
    return window.RemoteServer() && client.Connect(port);
  }

private slots:
  void init()
  {
    QSettings().clear();
    QSettings().setValue(TicLogKeys::FileDirectory, folder.path());
    QSettings().setValue(GpsLogKeys::FileDirectory, folder.path());
  }

  void referenceLocationMovesTheSiderealTimesWithoutABox()
  {
    riduder::test::RecordingMessageBoxes boxes;
    MainWindow window;
    window.SetMessageBoxes(&boxes);
    RemoteClient client;
    QVERIFY(Serve(window, client));

    client.Send("$DAREZ,REFLOC,45.5,-73.25,18001\r");
    QCOMPARE(client.ReadLine(), QByteArray("$DAREZ,REFLOC,ERROR"));
    client.Send("$DAREZ,REFLOC,45.5,-73.25,100\r");
    const QByteArray reply = client.ReadLine();
    QVERIFY2(reply.startsWith("$DAREZ,REFLOC,45.50000000\xC2\xB0,-73.25000000\xC2\xB0,"), reply.constData());
    QVERIFY(reply.endsWith(",100.00"));
    QCOMPARE(window.State().displayCopy.Latitude(), 45.5);
    QCOMPARE(window.State().receiverTime.Longitude(), -73.25);
    window.UpdateClockDisplay();
    QCOMPARE(window.State().displayCopy.Latitude(), 45.5);
    client.Send("$DAREZ,REFLOC\r");
    QCOMPARE(client.ReadLine(), reply);
    QVERIFY(boxes.shown.isEmpty());
  }

  void ticLogThroughTheWindowFollowsTheMenu()
  {
    riduder::test::RecordingMessageBoxes boxes;
    MainWindow window;
    window.SetMessageBoxes(&boxes);
    RemoteClient client;
    QVERIFY(Serve(window, client));

    client.Send("$DAREZ,TICLOG,NEW,REMOTE,COMMA\r");
    QCOMPARE(client.ReadLine(), "$DAREZ,TICLOG,NEW," + folder.path().toUtf8() + "/REMOTE,COMMA");
    QVERIFY(window.TicLog().IsOpen());
    QVERIFY(ActionEnabled(window, "actionClose_TIC_Data_Log"));
    QVERIFY(!ActionEnabled(window, "actionNew_TIC_Data_Log"));
    QVERIFY(!ActionEnabled(window, "actionOpen_TIC_Data_Log"));
    QCOMPARE(window.TicLog().LogStyle(), 1);

    client.Send("$DAREZ,LOG,NEW,RAW,gps\r");
    QCOMPARE(client.ReadLine(), QByteArray("$DAREZ,LOG,NEW,RAW,gps,CREATED"));
    client.Send("$DAREZ,LOG,CLOSE\r");
    QCOMPARE(client.ReadLine(), QByteArray("$DAREZ,LOG,CLOSE,CLOSED"));
    QVERIFY(!window.TicLog().IsOpen());
    QVERIFY(ActionEnabled(window, "actionNew_TIC_Data_Log"));
    QVERIFY(boxes.shown.isEmpty());

    client.Send("EXIT\r");
    QCOMPARE(client.ReadLine(), QByteArray("DISCONNECTED"));
    QVERIFY(client.WaitGone());
    QVERIFY(window.RemoteServer()->IsListening());
  }

  // TICDATA asked for by the client: the last row at once (none yet), then
  // each new row of the counters as it is made, until OFF.
  void ticDataFromTheCountersReachesTheClient()
  {
    riduder::test::RecordingMessageBoxes boxes;
    MainWindow window;
    window.SetMessageBoxes(&boxes);
    RowEveryReading(window);
    RemoteClient client;
    QVERIFY(Serve(window, client));

    client.Send("$DAREZ,TICDATA,TIME,ALWAYS\r$DAREZ,TICDATA,AVERAGE,ALWAYS\r");
    QCOMPARE(client.ReadLine(), QByteArray("$DAREZ,TICDATA,TIME,"));
    QCOMPARE(client.ReadLine(), QByteArray("$DAREZ,TICDATA,AVERAGE,"));

    window.OnNewTicText("4 12.5 us");
    QByteArray line = client.ReadLine();
    QVERIFY2(line.startsWith("$DAREZ,TICDATA,TIME,") && line.contains(",12.5,"), line.constData());
    window.OnNewTicText("3 N: 100");
    window.OnNewTicText("3 MEAN: 5.2E-08");
    window.OnNewTicText("3 MIN: 4.9E-08");
    window.OnNewTicText("3 N: 50");
    line = client.ReadLine();
    QVERIFY2(line.startsWith("$DAREZ,TICDATA,AVERAGE,") && line.endsWith("100,0.052000,0.049000"),
             line.constData());

    // ONCE answers with the last row and stops the stream.
    client.Send("$DAREZ,TICDATA,TIME,ONCE\r");
    line = client.ReadLine();
    QVERIFY2(line.startsWith("$DAREZ,TICDATA,TIME,") && line.contains(",12.5,"), line.constData());
    client.Send("$DAREZ,TICDATA,AVERAGE,OFF\r");
    QTest::qWait(50);
    window.OnNewTicText("4 13.5 us");
    window.OnNewTicText("3 N: 60");
    QCOMPARE(client.ReadLine(300), QByteArray());
    QVERIFY(window.TicProcessor().LastTimeLine().contains(",13.5,"));
  }

  // What a client asked for with ALWAYS outlives its connection: the next
  // client (the same one back after a network drop) receives the rows.
  void ticDataStreamGoesOnForTheNextClient()
  {
    riduder::test::RecordingMessageBoxes boxes;
    MainWindow window;
    window.SetMessageBoxes(&boxes);
    RowEveryReading(window);
    RemoteClient first;
    QVERIFY(Serve(window, first));
    first.Send("$DAREZ,TICDATA,TIME,ALWAYS\r");
    QCOMPARE(first.ReadLine(), QByteArray("$DAREZ,TICDATA,TIME,"));
    first.Reset();
    QVERIFY(QTest::qWaitFor([&] { return window.RemoteServer()->IsListening(); }, 3000));

    RemoteClient second;
    QVERIFY(second.Connect(window.RemoteServer()->Port()));
    window.OnNewTicText("4 12.5 us");
    const QByteArray line = second.ReadLine();
    QVERIFY2(line.startsWith("$DAREZ,TICDATA,TIME,") && line.contains(",12.5,"), line.constData());
  }

  // A TIC log set renamed over the link, CLOSE and NEW in one write, while
  // a counter sends 100 readings a second: every reading from the first
  // set's on is in exactly one set, in order, none lost at a rename.
  void renamingTheTicLogSetLosesNoReading()
  {
    CounterProfile profile = CounterProfile::Model53230A();
    profile.rules.clear();
    profile.streamLinesPerSecond = 100;
    CounterSimulator counter(profile);
    QVERIFY(counter.start());
    riduder::test::StoreTcpCounter(1, counter.address());
    riduder::test::RecordingMessageBoxes boxes;
    MainWindow window;
    window.SetMessageBoxes(&boxes);
    RowEveryReading(window);
    RemoteClient client;
    QVERIFY(Serve(window, client));

    const auto setName = [](int k) { return QByteArray("REN") + QByteArray::number(k).rightJustified(2, '0'); };
    client.Send("$DAREZ,TICLOG,NEW," + setName(0) + "\r");
    QCOMPARE(client.ReadLine(), "$DAREZ,TICLOG,NEW," + folder.path().toUtf8() + '/' + setName(0));
    QStringList timeFiles{window.TicLog().TimeFileName(1)};
    constexpr int Renames = 20;
    for (int k = 1; k <= Renames; ++k) {
      QTest::qWait(150);
      client.Send("$DAREZ,TICLOG,CLOSE\r$DAREZ,TICLOG,NEW," + setName(k) + "\r");
      QCOMPARE(client.ReadLine(), "$DAREZ,TICLOG,CLOSE," + folder.path().toUtf8() + '/' + setName(k - 1) + ",CLOSED");
      QCOMPARE(client.ReadLine(), "$DAREZ,TICLOG,NEW," + folder.path().toUtf8() + '/' + setName(k));
      timeFiles << window.TicLog().TimeFileName(1);
    }
    QTest::qWait(150);
    client.Send("$DAREZ,TICLOG,CLOSE\r");
    QCOMPARE(client.ReadLine(), "$DAREZ,TICLOG,CLOSE," + folder.path().toUtf8() + '/' + setName(Renames) + ",CLOSED");

    // The counter's n-th reading, n E-12 s, is logged as n E-6 us.
    static const QRegularExpression reading(QStringLiteral("(?:^|,)(0\\.\\d{6})(?:,|$)"));
    qint64 last = 0;
    int readings = 0;
    for (int k = 0; k <= Renames; ++k) {
      const QList<QByteArray> rows = riduder::test::ReadFileBytes(timeFiles.at(k)).split('\n');
      for (const QByteArray &row : rows) {
        if (row.isEmpty())
          continue;
        const QRegularExpressionMatch match = reading.match(QString::fromLatin1(row));
        QVERIFY2(match.hasMatch(), row.constData());
        const qint64 n = qRound64(match.captured(1).toDouble() * 1e6);
        QVERIFY2(last == 0 || n == last + 1,
                 qPrintable(QStringLiteral("set %1: reading %2 after %3").arg(k).arg(n).arg(last)));
        last = n;
        ++readings;
      }
    }
    QVERIFY2(readings >= Renames * 5, qPrintable(QString::number(readings)));
  }

  // The whole road: a simulated 53230A on loopback, set up and polled by the
  // window's counter connection, its readings time-tagged and averaged, and
  // the TIME and AVERAGE sentences at a client of the remote server.
  void simulatedCounterReachesTheClient()
  {
    riduder::sim::CounterSimulator counter(riduder::sim::CounterProfile::Model53230A());
    QString error;
    QVERIFY2(counter.start(&error), qPrintable(error));
    QSettings settings;
    settings.setValue(TicPortKey(1, ""), QLatin1String(TcpIpPortName));
    settings.setValue(TicPortKey(1, " TcpIp Address"), counter.address());
    settings.setValue(TicLogKeys::AveragingLogPeriod, QStringLiteral("2"));
    settings.setValue(TicLogKeys::TimeIntervalLogButtonGroup, 0);
    settings.setValue(TicLogKeys::TimeLogEvery, 0);
    settings.setValue(TicLogKeys::LogStyle, 1);

    riduder::test::RecordingMessageBoxes boxes;
    MainWindow window;
    window.SetMessageBoxes(&boxes);
    window.LoadTicLogOptions();
    RemoteClient client;
    QVERIFY(Serve(window, client));
    // The counter was connected and set up while the window was made; its
    // first answers may already be the last rows.
    client.Send("$DAREZ,TICDATA,TIME,ALWAYS\r$DAREZ,TICDATA,AVERAGE,ALWAYS\r");

    // No receiver here: the receiver seconds that end averaging periods are
    // moved on by the test.
    QTimer seconds;
    QObject::connect(&seconds, &QTimer::timeout, &window, [&window] {
      GpsDateTime &shown = window.State().displayCopy;
      shown.SetDateTime(shown.addSecs(1));
    });
    seconds.start(1000);

    int times = 0;
    int averages = 0;
    QElapsedTimer clock;
    clock.start();
    while ((times < 3 || averages < 1) && clock.elapsed() < 15000) {
      const QByteArray line = client.ReadLine(1000);
      // Its readings, 1.23456789E-07 s, are 0.123457 us.
      if (line.startsWith("$DAREZ,TICDATA,TIME,") && line.contains(",0.123457"))
        ++times;
      else if (line.startsWith("$DAREZ,TICDATA,AVERAGE,") && line.contains("0.123457,"))
        ++averages;
    }
    QVERIFY2(times >= 3, qPrintable(QString::number(times)));
    QVERIFY2(averages >= 1, qPrintable(QString::number(averages)));
    QVERIFY(counter.receivedMessages().contains("READ?\r\n"));
    QVERIFY(boxes.shown.isEmpty());
  }
};

RIDUDER_TEST_MAIN(TestRemoteWindow)
#include "tst_remotewindow.moc"
