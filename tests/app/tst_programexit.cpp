#include "TestMain.h"

#include "FrameBuilders.h"
#include "app/MainWindow.h"
#include "app/ProgramStart.h"
#include "core/GpsMode.h"
#include "logging/GpsDataLog.h"
#include "platform/TerminationSignals.h"
#include "tools/simulator/DemoSettings.h"
#include "tools/simulator/ReceiverSimulator.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>

#include <csignal>
#include <iostream>

using namespace riduder::test;
using riduder::sim::ReceiverSimulator;

namespace {

const char ChildPortVariable[] = "RIDUDER_EXIT_TEST_PORT";
const char ChildLogDirVariable[] = "RIDUDER_EXIT_TEST_LOG_DIR";

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
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QLatin1String(ChildPortVariable), simulator.slavePath());
    environment.insert(QLatin1String(ChildLogDirVariable), logDir.path());
    program.setProcessEnvironment(environment);
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    program.start(QCoreApplication::applicationFilePath(), {QStringLiteral("runAsProgram")});
    QVERIFY(program.waitForStarted(5000));
    QByteArray childOutput;
    QTRY_VERIFY2_WITH_TIMEOUT((childOutput += program.readAllStandardOutput()).contains("READY\n"),
                              childOutput.constData(), 20000);
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
};

RIDUDER_TEST_MAIN(ProgramExitTest)
#include "tst_programexit.moc"
