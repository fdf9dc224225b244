#include "TestMain.h"

#include "RemoteTicClient.h"
#include "ProcessMemory.h"
#include "app/MainWindow.h"
#include "logging/TicDataLog.h"
#include "tic/TicLineProcessor.h"
#include "tic/TicProcessedDataDialog.h"
#include "tic/TicRawDataDialog.h"

#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QSettings>
#include <QTemporaryDir>
#include <QTcpSocket>

// Eight counters at ten readings a second each for a simulated hour, through
// the running program with both TIC windows open and a remote client taking
// every TIME and AVERAGE sentence. Slow, so it runs only when asked for
// (scripts/tic-volume sets RIDUDER_TIC_VOLUME=1).
class TestTicVolume : public QObject {
  Q_OBJECT

private slots:
  void eightCountersForAnHour()
  {
    if (qEnvironmentVariableIntValue("RIDUDER_TIC_VOLUME") != 1)
      QSKIP("set RIDUDER_TIC_VOLUME=1 (scripts/tic-volume) to run an hour of eight counters");

    QTemporaryDir dir;
    QSettings settings;
    settings.setValue(QStringLiteral("TimingDialog/Sawtooth Auto Correct"), 0);
    settings.setValue(TicLogKeys::FileDirectory, dir.path());
    settings.setValue(TicLogKeys::TimeTagFormat, 0);
    settings.setValue(TicLogKeys::LogStyle, 1);
    settings.setValue(TicLogKeys::TimeIntervalLogButtonGroup, 0);
    settings.setValue(TicLogKeys::TimeLogEvery, 0);
    settings.setValue(TicLogKeys::AveragingLogPeriod, QStringLiteral("60"));
    MainWindow window;
    window.actionTic_Raw_Data_triggered();
    window.actionTic_Processed_Data_triggered();
    window.actionTIC_triggered();

    QTcpSocket client;
    QVERIFY(riduder::test::ConnectRemoteClient(window, client));
    QVERIFY(window.OpenTicLogFiles(TicDataLog::CreateNew));
    window.TicProcessor().SetRemoteTimeCount(-1);
    window.TicProcessor().SetRemoteAverageCount(-1);

    constexpr int Seconds = 3600;
    constexpr int ReadingsPerSecond = 10;
    constexpr int Counters = 8;
    qint64 timeLines = 0;
    qint64 averageLines = 0;
    QByteArray partial;
    auto takeReceived = [&] {
      QCoreApplication::processEvents();
      partial += client.readAll();
      const qsizetype end = partial.lastIndexOf('\n');
      if (end < 0)
        return;
      timeLines += partial.left(end + 1).count("$DAREZ,TICDATA,TIME,");
      averageLines += partial.left(end + 1).count("$DAREZ,TICDATA,AVERAGE,");
      partial.remove(0, end + 1);
    };

    ReceiverState &state = window.State();
    const QDateTime start(QDate(2024, 3, 10), QTime(0, 0), Qt::UTC);
    qint64 residentAfterWarmUp = 0;
    QElapsedTimer clock;
    clock.start();
    for (int second = 0; second < Seconds; ++second) {
      state.receiverTime.SetDateTime(start.addSecs(second));
      window.UpdateClockDisplay();
      state.receiverSawtoothNs = (second * 7) % 13 - 6.0;
      state.receiverSawtoothFresh = true;
      for (int reading = 0; reading < ReadingsPerSecond; ++reading)
        for (int counter = 1; counter <= Counters; ++counter)
          window.OnNewTicText(QByteArray::number(counter) + " +"
                              + QByteArray::number(2.5 + 0.001 * ((second + reading) % 17), 'f', 11)
                              + "E-08");
      takeReceived();
      if (second % 60 == 0)
        QVERIFY(window.FlushLogFiles());
      if (second == 120)
        residentAfterWarmUp = riduder::test::ResidentBytes();
    }
    const qint64 residentAtEnd = riduder::test::ResidentBytes();
    QTRY_VERIFY_WITH_TIMEOUT((takeReceived(), timeLines == qint64(Seconds) * ReadingsPerSecond * Counters),
                             30000);

    qInfo("%lld TIME and %lld AVERAGE sentences in %lld ms; resident memory %lld kB after two "
          "minutes, %lld kB at the end",
          timeLines, averageLines, clock.elapsed(), residentAfterWarmUp / 1024, residentAtEnd / 1024);
    QStringList timeFiles;
    QStringList averageFiles;
    for (int counter = 1; counter <= Counters; ++counter) {
      timeFiles << window.TicLog().TimeFileName(counter);
      averageFiles << window.TicLog().AverageFileName(counter);
    }
    QVERIFY(window.CloseTicLogFiles(true));
    qint64 averageRows = 0;
    for (int counter = 1; counter <= Counters; ++counter) {
      QFile time(timeFiles.at(counter - 1));
      QVERIFY(time.open(QIODevice::ReadOnly));
      QCOMPARE(time.readAll().count('\n'), qint64(Seconds) * ReadingsPerSecond);
      QFile average(averageFiles.at(counter - 1));
      QVERIFY(average.open(QIODevice::ReadOnly));
      averageRows += average.readAll().count('\n');
    }
    QCOMPARE(averageRows, averageLines);
    // Every reading made its row; a period of 60 s at 10 readings a second
    // ends when it holds 61 readings.
    QCOMPARE(timeLines, qint64(Seconds) * ReadingsPerSecond * Counters);
    QVERIFY(averageLines >= qint64(Seconds) * ReadingsPerSecond * Counters / 61);
    QVERIFY(window.TicRawWindow()->findChild<QPlainTextEdit *>()->blockCount() <= DataTextDialog::MaxLines);
    QVERIFY(window.TicProcessedWindow()->findChild<QPlainTextEdit *>()->blockCount() <= DataTextDialog::MaxLines);
    // Memory stays flat: nothing of the hour is kept.
    QVERIFY(residentAtEnd - residentAfterWarmUp < 4 * 1024 * 1024);
    window.close();
  }
};

RIDUDER_TEST_MAIN(TestTicVolume)
#include "tst_ticvolume.moc"
