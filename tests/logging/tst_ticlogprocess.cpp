#include "TestMain.h"

#include "ChildProcess.h"
#include "FrameBuilders.h"
#include "app/MainWindow.h"
#include "core/GpsMode.h"
#include "logging/TicDataLog.h"
#include "tic/TicPortSettings.h"
#include "tools/simulator/DemoSettings.h"
#include "tools/simulator/ReceiverSimulator.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>

#include <iostream>

using namespace riduder::test;
using riduder::sim::ReceiverSimulator;

namespace {

const char ChildReceiverVariable[] = "RIDUDER_TIC_TEST_RECEIVER";
const char ChildCounterVariable[] = "RIDUDER_TIC_TEST_COUNTER";
const char ChildLogDirVariable[] = "RIDUDER_TIC_TEST_LOG_DIR";

QByteArray Gga(int second)
{
  return BuildNmeaSentence(QByteArray("GPGGA,1200%1.00,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,")
                               .replace("%1", QByteArray::number(second % 60).rightJustified(2, '0')));
}

// Reading n of the counter, and what its row in the time file holds.
QByteArray Reading(int n)
{
  return QByteArray::number(1000 + n) + " us\r\n";
}

QByteArray CorrectedField(int n)
{
  return "," + QByteArray::number(1000 + n) + ".000000,";
}

QString FileIn(const QString &dir, const QString &pattern)
{
  const QStringList files = QDir(dir).entryList({pattern}, QDir::Files);
  return files.size() == 1 ? dir + QLatin1Char('/') + files.first() : QString();
}

QList<QByteArray> Rows(const QString &path)
{
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    return {};
  QList<QByteArray> rows = file.readAll().split('\n');
  rows.removeLast();  // after the last line end: nothing, or a row being written
  return rows;
}

// Where reading n's row is among the rows (-1: missing), and how often it
// is there.
int RowOf(const QList<QByteArray> &rows, int n, int *copies)
{
  int at = -1;
  *copies = 0;
  for (int i = 0; i < rows.size(); ++i) {
    if (rows.at(i).contains(CorrectedField(n))) {
      ++*copies;
      at = i;
    }
  }
  return at;
}

}  // namespace

// The program as a process of its own, with a counter at one reading a
// second and a receiver that sends sentences but has no 1PPS line: the TIC
// log set on disk keeps up while it runs, and a kill loses only what came
// in the last moments.
class TestTicLogProcess : public QObject {
  Q_OBJECT

private slots:
  void rowsReachTheDiskAndSurviveSigkill()
  {
    if (!qEnvironmentVariableIsEmpty(ChildCounterVariable))
      QSKIP("this is the child process");
    ReceiverSimulator receiver;
    ReceiverSimulator counter;
    QString error;
    QVERIFY2(receiver.open(&error), qPrintable(error));
    QVERIFY2(counter.open(&error), qPrintable(error));
    QTemporaryDir logDir;
    QVERIFY(logDir.isValid());

    QProcess program;
    QVERIFY(StartChild(program, "runAsProgram",
                       {{ChildReceiverVariable, receiver.slavePath()},
                        {ChildCounterVariable, counter.slavePath()},
                        {ChildLogDirVariable, logDir.path()}}));
    QByteArray childOutput;
    QVERIFY2(WaitForChildOutput(program, "READY\n", &childOutput, 20000), childOutput.constData());
    const QString timeFile = FileIn(logDir.path(), QStringLiteral("*T_PORT_01.csv"));
    const QString averageFile = FileIn(logDir.path(), QStringLiteral("*A_PORT_01.csv"));
    QVERIFY2(!timeFile.isEmpty() && !averageFile.isEmpty(), qPrintable(QDir(logDir.path()).entryList().join(' ')));

    // One reading a second; the disk is looked at every 100 ms while the
    // program runs, and each reading's row must be there within 2 s.
    constexpr int readings = 10;
    QElapsedTimer clock;
    clock.start();
    QList<qint64> sentAt;
    auto checkDisk = [&] {
      const QList<QByteArray> rows = Rows(timeFile);
      const qint64 now = clock.elapsed();
      for (int n = 0; n < sentAt.size(); ++n) {
        int copies = 0;
        if (RowOf(rows, n, &copies) >= 0)
          continue;
        QVERIFY2(now - sentAt.at(n) <= 2000,
                 qPrintable(QStringLiteral("row %1 not on disk %2 ms after its reading").arg(n).arg(now - sentAt.at(n))));
      }
    };
    for (int n = 0; n < readings; ++n) {
      receiver.write(Gga(n));
      counter.write(Reading(n));
      sentAt.append(clock.elapsed());
      const qint64 nextAt = sentAt.last() + (n + 1 < readings ? 1000 : 500);
      while (clock.elapsed() < nextAt) {
        QTest::qWait(100);
        checkDisk();
        if (QTest::currentTestFailed())
          return;
      }
    }
    // The averages of 2 s periods are on disk as well.
    QVERIFY2(Rows(averageFile).size() >= 3, qPrintable(QString::number(Rows(averageFile).size())));

    // Killed half a second after the last reading.
    const qint64 killedAt = clock.elapsed();
    program.kill();  // SIGKILL
    QVERIFY(program.waitForFinished(10000));
    QCOMPARE(program.exitStatus(), QProcess::CrashExit);

    const QList<QByteArray> rows = Rows(timeFile);
    int previous = -1;
    for (int n = 0; n < readings; ++n) {
      int copies = 0;
      const int at = RowOf(rows, n, &copies);
      if (killedAt - sentAt.at(n) <= 2000 && copies == 0)
        continue;  // of the last 2 s: may be lost
      QVERIFY2(copies == 1, qPrintable(QStringLiteral("row %1 is there %2 times").arg(n).arg(copies)));
      QVERIFY2(at > previous, qPrintable(QStringLiteral("row %1 out of order").arg(n)));
      previous = at;
    }
  }

  // The child of the test above: the program's window on the parent's
  // receiver and counter lines with the TIC log set open, ended only by a
  // kill.
  void runAsProgram()
  {
    const QString counterPort = qEnvironmentVariable(ChildCounterVariable);
    if (counterPort.isEmpty())
      QSKIP("run as a child by rowsReachTheDiskAndSurviveSigkill");
    {
      QSettings settings;
      riduder::sim::WriteReceiverPortSettings(settings, qEnvironmentVariable(ChildReceiverVariable),
                                              QStringLiteral("Generic NMEA"), 9600);
      settings.setValue(TicPortKey(1, ""), counterPort);
      settings.setValue(TicPortKey(1, " DataRate"), 9600);
      settings.setValue(TicLogKeys::FileDirectory, qEnvironmentVariable(ChildLogDirVariable));
      settings.setValue(TicLogKeys::LogStyle, 1);
      settings.setValue(TicLogKeys::TimeTagFormat, 1);
      settings.setValue(TicLogKeys::TimeIntervalLogButtonGroup, 0);
      settings.setValue(TicLogKeys::TimeLogEvery, 0);  // every second
      settings.setValue(TicLogKeys::AveragingLogPeriod, QStringLiteral("2"));
      settings.setValue(QStringLiteral("TimingDialog/Sawtooth Auto Correct"), 3);
      settings.setValue(QStringLiteral("TimingDialog/TIC Auto Correct"), false);
    }
    MainWindow window;
    window.State().setupInProgress = false;
    window.State().rawDataWindowOpened = true;
    window.SetGpsMode(GpsModeGenericNmea);
    QVERIFY(window.OpenTicLogFiles(TicDataLog::CreateNew));
    window.show();
    std::cout << "READY" << std::endl;
    QApplication::exec();
  }
};

RIDUDER_TEST_MAIN(TestTicLogProcess)
#include "tst_ticlogprocess.moc"
