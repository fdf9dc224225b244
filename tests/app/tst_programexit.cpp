#include "TestMain.h"

#include "ChildProcess.h"
#include "FakeCodeSignature.h"
#include "FakeInstallerLauncher.h"
#include "FrameBuilders.h"
#include "ModalDialogs.h"
#include "ScriptedHttpServer.h"
#include "StoredCounters.h"
#include "app/MainWindow.h"
#include "app/MessageBoxes.h"
#include "app/ProgramStart.h"
#include "core/GpsMode.h"
#include "logging/GpsDataLog.h"
#include "platform/CodeSignature.h"
#include "platform/InstallerLauncher.h"
#include "platform/TerminationSignals.h"
#include "tic/TicPortSettings.h"
#include "tools/simulator/CounterSimulator.h"
#include "tools/simulator/DemoSettings.h"
#include "tools/simulator/ReceiverSimulator.h"

#include <QAction>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>

#include <csignal>
#include <iostream>

using namespace riduder::test;
using riduder::sim::CounterProfile;
using riduder::sim::CounterSimulator;
using riduder::sim::ReceiverSimulator;

namespace {

const char ChildPortVariable[] = "RIDUDER_EXIT_TEST_PORT";
const char ChildLogDirVariable[] = "RIDUDER_EXIT_TEST_LOG_DIR";
const char ChildCounterVariable[] = "RIDUDER_EXIT_TEST_COUNTER";
const char ChildEndVariable[] = "RIDUDER_EXIT_TEST_END";
const char MissingCounterDevice[] = "/dev/ttyRIDUDER-MISSING";

// The lock files the process `pid` holds: the serial ports' "LCK.." files
// (QLockFile: the owner's process id on the first line) in the folders Qt
// uses for them.
QStringList LockFilesOf(qint64 pid)
{
  QStringList held;
  const QStringList folders{QStringLiteral("/var/lock"), QStringLiteral("/run/lock"), QStringLiteral("/var/spool/locks"),
                            QStringLiteral("/tmp"), QStringLiteral("/var/tmp"), QDir::tempPath()};
  for (const QString &folder : folders) {
    for (const QFileInfo &entry : QDir(folder).entryInfoList({QStringLiteral("LCK..*")}, QDir::Files)) {
      QFile file(entry.filePath());
      if (file.open(QIODevice::ReadOnly) && file.readLine().trimmed() == QByteArray::number(pid))
        held << entry.canonicalFilePath();
    }
  }
  held.removeDuplicates();
  return held;
}

// The program's boxes for real, except the modal ones, which are recorded:
// a box shown without waiting is really up, over the window.
class PostingBoxes : public MessageBoxes {
public:
  QMessageBox::StandardButton Show(const MessageBoxRequest &request) override
  {
    shown.append(request);
    return QMessageBox::Ok;
  }
  QList<MessageBoxRequest> shown;
};

// The counter box over `window`, when one is up.
QMessageBox *CounterBox(QWidget &window)
{
  for (QMessageBox *box : window.findChildren<QMessageBox *>())
    if (box->isVisible() && box->text().startsWith(QLatin1String("Can't open TIC Port ") + MissingCounterDevice))
      return box;
  return nullptr;
}

// A counter on port 7 that cannot open (a serial device that is not
// there) and one on port 8 on the counter simulator.
void StoreCounters(const QByteArray &tcpAddress)
{
  QSettings settings;
  settings.setValue(TicPortKey(7, ""), QLatin1String(MissingCounterDevice));
  StoreTcpCounter(8, tcpAddress);
}

// The child runWithAMissingCounter on a counter simulator and a receiver
// that answers nothing; `end` names the way it ends (see there).
struct MissingCounterChild {
  bool Start(const QString &end = QString())
  {
    if (!counter.start() || !receiver.open())
      return false;
    QList<QPair<const char *, QString>> variables{{ChildPortVariable, receiver.slavePath()},
                                                  {ChildCounterVariable, QString::fromLatin1(counter.address())}};
    if (!end.isEmpty())
      variables.append({ChildEndVariable, end});
    return StartChild(program, "runWithAMissingCounter", variables);
  }

  CounterSimulator counter{CounterProfile::Model53230A()};
  ReceiverSimulator receiver;
  QProcess program;
};

// The number after `word` on a line of the child's output; -1 when absent.
int NumberAfter(const QByteArray &output, const QByteArray &word)
{
  for (const QByteArray &line : output.split('\n'))
    if (line.startsWith(word + ' '))
      return line.mid(word.size() + 1).trimmed().toInt();
  return -1;
}

// An installer start that says when it happens and how many receiver
// commands had been sent by then.
class AnnouncingLauncher : public FakeInstallerLauncher {
public:
  explicit AnnouncingLauncher(const int &sent) : sent_(sent) {}
  bool Start(const QString &path, QString *error) override
  {
    std::cout << "ENDING " << sent_ << std::endl;
    return FakeInstallerLauncher::Start(path, error);
  }

private:
  const int &sent_;
};

QByteArray Gga(int second)
{
  return BuildNmeaSentence(QByteArray("GPGGA,1200%1.00,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,")
                               .replace("%1", QByteArray::number(second).rightJustified(2, '0')));
}

// The row the PVT log holds for Gga(second): it starts with the time.
QByteArray RowStart(int second)
{
  return "12,00," + QByteArray::number(second).rightJustified(2, '0') + ".00,";
}

QString LogFileIn(const QString &dir)
{
  const QStringList files = QDir(dir).entryList({QStringLiteral("*G.csv")}, QDir::Files);
  return files.size() == 1 ? dir + QLatin1Char('/') + files.first() : QString();
}

QByteArray ReadAll(const QString &path)
{
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

// The program as a process of its own, logging a receiver without a 1PPS
// line: the log on disk keeps up while it runs, and a termination signal
// closes it as File > Exit does.
class ProgramExitTest : public QObject {
  Q_OBJECT

private slots:
  void signalsArriveOnTheEventLoop_data()
  {
    QTest::addColumn<int>("signalNumber");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGINT") << int(SIGINT);
    QTest::newRow("SIGHUP") << int(SIGHUP);
  }

  void signalsArriveOnTheEventLoop()
  {
    QFETCH(int, signalNumber);
    struct sigaction before {};
    QCOMPARE(::sigaction(signalNumber, nullptr, &before), 0);
    QList<int> received;
    {
      TerminationSignals terminations;
      QVERIFY(terminations.IsInstalled());
      connect(&terminations, &TerminationSignals::received, this, [&](int n) { received.append(n); });
      QCOMPARE(::raise(signalNumber), 0);
      QVERIFY(received.isEmpty());  // not inside the handler
      QTRY_COMPARE(received, QList<int>{signalNumber});
    }
    // The handling from before is back.
    struct sigaction after {};
    QCOMPARE(::sigaction(signalNumber, nullptr, &after), 0);
    QVERIFY(after.sa_handler == before.sa_handler);
  }

  void loggedRowsReachTheDiskAndSurviveSigterm()
  {
    if (!qEnvironmentVariableIsEmpty(ChildPortVariable))
      QSKIP("this is the child process");
    ReceiverSimulator simulator;
    QVERIFY(simulator.open());
    QTemporaryDir logDir;
    QVERIFY(logDir.isValid());

    QProcess program;
    QVERIFY(StartChild(program, "runAsProgram",
                       {{ChildPortVariable, simulator.slavePath()}, {ChildLogDirVariable, logDir.path()}}));
    QByteArray childOutput;
    QVERIFY2(WaitForChildOutput(program, "READY\n", &childOutput, 20000), childOutput.constData());
    const QString log = LogFileIn(logDir.path());
    QVERIFY2(!log.isEmpty(), qPrintable(logDir.path()));

    // A sentence every 400 ms; each row must be on disk within 2 s of it,
    // read while the program runs.
    constexpr int sentences = 8;
    QElapsedTimer clock;
    clock.start();
    QList<qint64> sentAt;
    for (int second = 0; second < sentences; ++second) {
      simulator.write(Gga(second));
      sentAt.append(clock.elapsed());
      QTest::qWait(400);
      for (int earlier = 0; earlier <= second; ++earlier) {
        if (ReadAll(log).contains("\n" + RowStart(earlier)))
          continue;
        QVERIFY2(clock.elapsed() - sentAt.at(earlier) <= 2000,
                 qPrintable(QStringLiteral("row %1 not on disk after %2 ms")
                                .arg(earlier)
                                .arg(clock.elapsed() - sentAt.at(earlier))));
      }
    }
    QTRY_VERIFY_WITH_TIMEOUT(ReadAll(log).contains("\n" + RowStart(sentences - 1)), 2000);

    program.terminate();  // SIGTERM
    QVERIFY(program.waitForFinished(10000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);

    const QByteArray written = ReadAll(log);
    for (int second = 0; second < sentences; ++second)
      QCOMPARE(written.count("\n" + RowStart(second)), qsizetype(1));
    const QList<QByteArray> lines = written.split('\n');
    QVERIFY2(lines.size() >= 3, written.constData());
    QVERIFY2(lines.at(lines.size() - 3).startsWith("; Closed GPS Data Log "), written.constData());
    QCOMPARE(lines.at(lines.size() - 2), QByteArray("; "));
    QVERIFY(lines.last().isEmpty());
  }

  // The child of the test above: the program's window on the parent's
  // simulated receiver (no 1PPS line) with a PVT log open, closed only by
  // a signal.
  void runAsProgram()
  {
    const QString port = qEnvironmentVariable(ChildPortVariable);
    if (port.isEmpty())
      QSKIP("run as a child by loggedRowsReachTheDiskAndSurviveSigterm");
    {
      QSettings settings;
      riduder::sim::WriteReceiverPortSettings(settings, port, QStringLiteral("Generic NMEA"), 9600);
      settings.setValue(GpsLogKeys::FileDirectory, qEnvironmentVariable(ChildLogDirVariable));
      settings.setValue(GpsLogKeys::DataType, 2);
      settings.setValue(GpsLogKeys::LogEvery, 1);
    }
    MainWindow window;
    window.State().setupInProgress = false;
    window.State().rawDataWindowOpened = true;
    window.SetGpsMode(GpsModeGenericNmea);
    QVERIFY(window.OpenGpsLogFile(0));
    TerminationSignals terminations;
    CloseOnTerminationSignals(window, terminations);
    window.show();
    std::cout << "READY" << std::endl;
    QApplication::exec();
  }

  // A counter that cannot open holds nothing up: its box waits for the
  // window, and once up it is answered when someone comes, while the
  // receiver search goes on and the other counters are read.
  void counterBoxHoldsNothingUp()
  {
    if (!qEnvironmentVariableIsEmpty(ChildPortVariable))
      QSKIP("this is the child process");
    CounterSimulator counter(CounterProfile::Model53230A());
    QVERIFY(counter.start());
    StoreCounters(counter.address());
    ReceiverSimulator receiver;  // answers nothing
    QVERIFY(receiver.open());
    {
      QSettings settings;
      riduder::sim::WriteReceiverPortSettings(settings, receiver.slavePath(), QStringLiteral("Search"), 9600);
    }
    // A box that holds up the building of the window is answered here, and
    // told.
    bool building = true;
    bool boxBeforeTheWindow = false;
    QTimer buildWatch;
    connect(&buildWatch, &QTimer::timeout, this, [&] {
      if (auto *box = qobject_cast<QDialog *>(QApplication::activeModalWidget()); box && building) {
        boxBeforeTheWindow = true;
        box->reject();
      }
    });
    buildWatch.start(20);
    MainWindow window;
    building = false;
    buildWatch.stop();
    QVERIFY(!boxBeforeTheWindow);
    QVERIFY(!CounterBox(window));
    window.Timing().SetScale(0.05);  // the search takes some 10 s
    PostingBoxes boxes;
    window.SetMessageBoxes(&boxes);
    QSignalSpy counterLines(&window.TicPort(8), &TicSerialPortThread::newTicText);

    // Watched from inside the search: what happens while the box is up.
    bool windowShownWithBox = false;
    int linesWhileUp = 0;
    int probesWhileUp = 0;
    qsizetype linesBefore = 0;
    qsizetype probesBefore = -1;
    QTimer watch;
    connect(&watch, &QTimer::timeout, &window, [&] {
      QMessageBox *box = CounterBox(window);
      if (!box)
        return;
      windowShownWithBox = window.isVisible();
      if (probesBefore < 0) {
        linesBefore = counterLines.size();
        probesBefore = receiver.receivedMessages().size();
      }
      linesWhileUp = int(counterLines.size() - linesBefore);
      probesWhileUp = int(receiver.receivedMessages().size() - probesBefore);
      if (linesWhileUp >= 2 && probesWhileUp >= 2) {
        box->button(QMessageBox::Ok)->click();
        window.close();
      }
    });
    watch.start(20);
    QTimer::singleShot(15000, &window, [&window] { window.close(); });

    window.ShowAndDetectReceiver();
    QApplication::restoreOverrideCursor();
    watch.stop();

    QVERIFY(windowShownWithBox);
    QVERIFY2(linesWhileUp >= 2, qPrintable(QString::number(linesWhileUp)));
    QVERIFY2(probesWhileUp >= 2, qPrintable(QString::number(probesWhileUp)));
    QVERIFY(boxes.shown.isEmpty());  // no receiver box: the search was ended by closing
  }

  // SIGTERM while the counter's box is up: the program ends with status 0
  // and leaves none of its lock files behind.
  void signalWhileTheCounterBoxIsUp()
  {
    if (!qEnvironmentVariableIsEmpty(ChildPortVariable))
      QSKIP("this is the child process");
    MissingCounterChild child;
    QVERIFY(child.Start());
    QProcess &program = child.program;
    QByteArray childOutput;
    QVERIFY2(WaitForChildOutput(program, "BOXUP\n", &childOutput, 20000), childOutput.constData());
    // The receiver port's lock is the program's while it runs.
    const QStringList locks = LockFilesOf(program.processId());
    QVERIFY2(!locks.isEmpty(), "no lock file of the child's found");
    qInfo() << "the child's lock files:" << locks;

    QElapsedTimer clock;
    clock.start();
    program.terminate();  // SIGTERM
    QVERIFY(program.waitForFinished(10000));
    QVERIFY2(clock.elapsed() < 5000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
    for (const QString &lock : locks)
      QVERIFY2(!QFile::exists(lock), qPrintable(lock));
  }

  // A signal before the window shows (here: once it is built, before it
  // is shown) ends the program at once: never shown, status 0, its ports
  // closed without a lock file left.
  void signalBeforeTheWindowShows()
  {
    if (!qEnvironmentVariableIsEmpty(ChildPortVariable))
      QSKIP("this is the child process");
    MissingCounterChild child;
    QVERIFY(child.Start(QStringLiteral("early")));
    QProcess &program = child.program;
    const qint64 pid = program.processId();
    QVERIFY(program.waitForFinished(10000));
    const QByteArray childOutput = program.readAllStandardOutput();
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
    QVERIFY2(NumberAfter(childOutput, "LOCKS") >= 1, childOutput.constData());
    QVERIFY2(!childOutput.contains("SHOWN"), childOutput.constData());
    QCOMPARE(LockFilesOf(pid), QStringList());
  }

  // The child of the tests above: the program on a receiver that answers
  // nothing, with a counter that cannot open and one that can; "early"
  // raises SIGTERM once the window is built, before it shows.
  void runWithAMissingCounter()
  {
    const QString port = qEnvironmentVariable(ChildPortVariable);
    if (port.isEmpty() || qEnvironmentVariableIsEmpty(ChildCounterVariable))
      QSKIP("run as a child by signalWhileTheCounterBoxIsUp");
    const bool early = qEnvironmentVariable(ChildEndVariable) == QLatin1String("early");
    {
      QSettings settings;
      riduder::sim::WriteReceiverPortSettings(settings, port, QStringLiteral("Search"), 9600);
    }
    StoreCounters(qEnvironmentVariable(ChildCounterVariable).toLatin1());
    const int result = RunProgram([early](MainWindow &window) {
      auto *watch = new QTimer(&window);
      connect(watch, &QTimer::timeout, &window, [watch, &window] {
        if (window.isVisible())
          std::cout << "SHOWN" << std::endl;
        if (window.isVisible() && CounterBox(window)) {
          std::cout << "BOXUP" << std::endl;
          watch->stop();
        }
      });
      watch->start(20);
      if (early) {
        std::cout << "LOCKS " << LockFilesOf(QCoreApplication::applicationPid()).size() << std::endl;
        ::raise(SIGTERM);
      }
    });
    QCOMPARE(result, 0);
  }

  // Each way to end the program ends it during the start-up search (a
  // receiver that answers nothing): within 5 s, nothing more sent to the
  // receiver, the GPS log closed with its trailer, status 0.
  void startUpSearchEndsOnRequest_data()
  {
    QTest::addColumn<QString>("end");
    QTest::newRow("SIGTERM") << QStringLiteral("signal");
    QTest::newRow("File > Exit") << QStringLiteral("exit");
    QTest::newRow("installer start") << QStringLiteral("installer");
  }

  void startUpSearchEndsOnRequest()
  {
    if (!qEnvironmentVariableIsEmpty(ChildPortVariable))
      QSKIP("this is the child process");
    QFETCH(QString, end);
    ReceiverSimulator receiver;
    QVERIFY(receiver.open());
    QTemporaryDir logDir;
    QVERIFY(logDir.isValid());

    QProcess program;
    QVERIFY(StartChild(program, "runSearching",
                       {{ChildPortVariable, receiver.slavePath()},
                        {ChildLogDirVariable, logDir.path()},
                        {ChildEndVariable, end}}));
    QByteArray childOutput;
    const QByteArray trigger = end == QLatin1String("signal") ? "SEARCHING " : "ENDING ";
    QVERIFY2(WaitForChildOutput(program, trigger, &childOutput, 30000), childOutput.constData());
    QElapsedTimer clock;
    clock.start();
    if (end == QLatin1String("signal"))
      program.terminate();
    // A child asked from inside may be gone before the output is read.
    QVERIFY(program.state() == QProcess::NotRunning || program.waitForFinished(10000));
    const qint64 endedAfterMs = clock.elapsed();
    childOutput += program.readAllStandardOutput();
    QVERIFY2(endedAfterMs < 5000, qPrintable(QString::number(endedAfterMs)));
    qInfo("ended %lld ms after the request", endedAfterMs);
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);

    // The search was running, and stopped sending when asked to end.
    const int sentAtEnd = NumberAfter(childOutput, "SENT");
    QVERIFY2(NumberAfter(childOutput, trigger.trimmed()) > 0, childOutput.constData());
    if (end != QLatin1String("signal"))
      QCOMPARE(sentAtEnd, NumberAfter(childOutput, "ENDING"));
    else
      QVERIFY2(sentAtEnd - NumberAfter(childOutput, "SEARCHING") <= 2, childOutput.constData());

    const QString log = LogFileIn(logDir.path());
    QVERIFY2(!log.isEmpty(), qPrintable(logDir.path()));
    const QList<QByteArray> lines = ReadAll(log).split('\n');
    QVERIFY(lines.size() >= 3);
    QVERIFY2(lines.at(lines.size() - 3).startsWith("; Closed GPS Data Log "), ReadAll(log).constData());
  }

  // The child of the test above: the program searching for a receiver that
  // answers nothing, with a GPS log open, asked to end a second into it by
  // the way its environment names. It says how many receiver commands it
  // had sent when asked, and at the end.
  void runSearching()
  {
    const QString port = qEnvironmentVariable(ChildPortVariable);
    const QString end = qEnvironmentVariable(ChildEndVariable);
    if (port.isEmpty() || end.isEmpty())
      QSKIP("run as a child by startUpSearchEndsOnRequest");
    int sent = 0;
    ScriptedHttpServer server;
    const QByteArray installer(100000, 'x');
    server.Route("/manifest.json",
                 HttpResponse::Ok("{\"latest_version\": \"9.9.9\", \"download_url\": \"" +
                                  server.Url("/dl/setup-9.9.9.exe").toLatin1() + "\"}"));
    server.Route("/dl/setup-9.9.9.exe", HttpResponse::Ok(installer));
    server.Route("/dl/setup-9.9.9.sha256",
                 HttpResponse::Ok(QCryptographicHash::hash(installer, QCryptographicHash::Sha256).toHex() +
                                  "  setup-9.9.9.exe\n"));
    FakeCodeSignature signature;
    AnnouncingLauncher launcher(sent);
    ScopedCodeSignatureOverride signatureInForce(&signature);
    ScopedInstallerLauncherOverride launcherInForce(&launcher);
    {
      QSettings settings;
      riduder::sim::WriteReceiverPortSettings(settings, port, QStringLiteral("Search"), 9600);
      settings.setValue(GpsLogKeys::FileDirectory, qEnvironmentVariable(ChildLogDirVariable));
      settings.setValue(GpsLogKeys::DataType, 2);
      settings.setValue(GpsLogKeys::LogEvery, 1);
      settings.setValue(QStringLiteral("Updates/ManifestUrl"), server.Url("/manifest.json"));
    }

    const int result = RunProgram([&](MainWindow &window) {
      connect(&window, &MainWindow::sendGpsMessage, &window, [&sent] { ++sent; });
      QVERIFY(window.OpenGpsLogFile(0));
      QTimer::singleShot(1000, &window, [&] {
        if (end == QLatin1String("signal")) {
          std::cout << "SEARCHING " << sent << std::endl;
        } else if (end == QLatin1String("exit")) {
          std::cout << "ENDING " << sent << std::endl;
          window.findChild<QAction *>(QStringLiteral("actionExit"))->trigger();
        } else {
          AnswerNextModalDialog(
              [](QDialog *dialog) { dialog->findChild<QPushButton *>(QStringLiteral("btnInstall"))->click(); },
              10000);
          window.StartUpdateCheck(true);
        }
      });
    });
    std::cout << "SENT " << sent << std::endl;
    QCOMPARE(result, 0);
    // The installer's private folder, when one was made.
    for (const QString &started : launcher.StartedPaths()) {
      const QString folder = QFileInfo(started).absolutePath();
      if (!started.isEmpty() && folder != QDir::tempPath() && folder != QDir::currentPath())
        QDir(folder).removeRecursively();
    }
  }
};

RIDUDER_TEST_MAIN(ProgramExitTest)
#include "tst_programexit.moc"
