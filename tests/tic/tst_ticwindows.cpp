#include "TestMain.h"

#include "RemoteTicClient.h"
#include "app/MainWindow.h"
#include "core/ClockModes.h"
#include "logging/TicDataLog.h"
#include "tic/TicLineProcessor.h"
#include "tic/TicProcessedDataDialog.h"
#include "tic/TicRawDataDialog.h"
#include "tic/TicSerialPortThread.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTcpSocket>
#include <QVBoxLayout>

#include <memory>

namespace {

// Two counters, one on nanoseconds and one on SCPI exponents, with what a
// counter also sends: a comment, its "no value" reading and a blank line.
const char *const CounterStream[] = {
    "1 +2.50000000000E-08", "2 250 ns", "; counter 2 restarted", "1 +2.60000000000E-08",
    "2 260 ns",             "1 9.91E37", "2 ",                   "1 +2.70000000000E-08",
};

std::unique_ptr<DataTextDialog> MakeWindow(const QString &name)
{
  if (name == QLatin1String("TicRawDataDialog"))
    return std::make_unique<TicRawDataDialog>();
  return std::make_unique<TicProcessedDataDialog>();
}

QPlainTextEdit *TextArea(QWidget *window)
{
  return window->findChild<QPlainTextEdit *>();
}

}  // namespace

class TestTicWindows : public QObject {
  Q_OBJECT

private slots:
  void init() { QSettings().clear(); }

  void formsHaveTheirNamedParts_data()
  {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("textArea");
    QTest::addColumn<QString>("legend");
    QTest::newRow("raw") << "TicRawDataDialog" << "TIC Raw Data" << "RawPlainTextEdit"
                         << "    \"->\" = from TIC,    \"<-\" = to TIC [Raw Data]";
    QTest::newRow("processed") << "TicProcessedDataDialog" << "TIC Processed Data" << "ProcessedPlainTextEdit"
                               << "   \"->\" = from TIC,    \"<-\" = to TIC [Processed Data]";
  }

  void formsHaveTheirNamedParts()
  {
    QFETCH(QString, name);
    QFETCH(QString, title);
    QFETCH(QString, textArea);
    QFETCH(QString, legend);
    auto window = MakeWindow(name);
    QCOMPARE(window->objectName(), name);
    QCOMPARE(window->windowTitle(), title);
    QCOMPARE(window->font().family(), QStringLiteral("Verdana"));
    QVERIFY(window->isSizeGripEnabled());
    auto *text = window->findChild<QPlainTextEdit *>(textArea);
    QVERIFY(text);
    QVERIFY(text->isReadOnly());
    QCOMPARE(text->lineWrapMode(), QPlainTextEdit::NoWrap);
    QVERIFY(window->findChild<QVBoxLayout *>(QStringLiteral("vboxLayout")));
    QVERIFY(window->findChild<QHBoxLayout *>(QStringLiteral("horizontalLayout")));
    auto *wrap = window->findChild<QCheckBox *>(QStringLiteral("wrapCheckBox"));
    QVERIFY(wrap);
    QCOMPARE(wrap->text(), QStringLiteral("Wrap text"));
    auto *clear = window->findChild<QPushButton *>(QStringLiteral("ClearScreen"));
    QVERIFY(clear);
    QCOMPARE(clear->text(), QStringLiteral("Clear Screen"));
    QVERIFY(clear->styleSheet().contains(QLatin1String("rgb(170, 255, 255)")));
    QCOMPARE(window->findChild<QLabel *>(QStringLiteral("label"))->text(), legend);

    // Hidden windows keep nothing; wrapping keeps the blanks; the button
    // clears; the newest lines stay.
    window->AppendText(QStringLiteral("hidden"));
    window->ShowDialog();
    QVERIFY(TextArea(window.get())->toPlainText().isEmpty());
    window->AppendText(QStringLiteral("  1 2.5 ns  "));
    wrap->setChecked(true);
    QCOMPARE(text->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    window->AppendText(QStringLiteral("  1 2.5 ns  "));
    window->AppendPendingLines();
    QCOMPARE(text->toPlainText(), QStringLiteral("1 2.5 ns\n  1 2.5 ns  "));
    clear->click();
    QVERIFY(text->toPlainText().isEmpty());
    for (int i = 0; i < DataTextDialog::MaxLines + 10; ++i)
      window->AppendText(QStringLiteral("1 %1 ns").arg(i));
    window->AppendPendingLines();
    QCOMPARE(text->blockCount(), DataTextDialog::MaxLines);
    QVERIFY(text->toPlainText().startsWith(QStringLiteral("1 10 ns\n")));

    // Closing and showing again restores the place.
    window->setGeometry(40, 50, 480, 260);
    const QRect placed = window->geometry();
    window->close();
    auto again = MakeWindow(name);
    again->ShowDialog();
    QCOMPARE(again->geometry(), placed);
  }

  // A counter port that had to drop readings says so in the raw-data window.
  void droppedReadingsAreToldInTheRawWindow()
  {
    MainWindow window;
    window.actionTic_Raw_Data_triggered();
    const QString notice = QStringLiteral("TIC port 3: 12 readings dropped: the counter sends faster than they are handled.");
    emit window.TicPort(3).readingsDropped(notice);
    window.TicRawWindow()->AppendPendingLines();
    QCOMPARE(TextArea(window.TicRawWindow())->toPlainText(), notice);
  }

  // The running program with both windows open and the large clock on the
  // counter: a replayed counter stream, then the raw reading in the clock.
  void windowsAndClockFollowACounterStream()
  {
    QSettings settings;
    settings.setValue(QStringLiteral("TimingDialog/Sawtooth Auto Correct"), 3);
    settings.setValue(QStringLiteral("TimingDialog/TIC Auto Correct"), false);
    MainWindow window;
    window.actionTic_Raw_Data_triggered();
    window.actionTic_Processed_Data_triggered();
    window.actionTIC_triggered();
    for (const char *line : CounterStream)
      window.OnNewTicText(QByteArray(line) + "\r\n");

    QStringList raw;
    for (const char *line : CounterStream)
      raw << QString::fromLatin1(line).trimmed();
    window.TicRawWindow()->AppendPendingLines();
    window.TicProcessedWindow()->AppendPendingLines();
    QCOMPARE(TextArea(window.TicRawWindow())->toPlainText(), raw.join(QLatin1Char('\n')));
    const QStringList processed = TextArea(window.TicProcessedWindow())->toPlainText().split(QLatin1Char('\n'));
    // Every line but the comment and the empty one; the no-value reading
    // as text.
    QCOMPARE(processed.size(), 6);
    QVERIFY(processed.at(0).startsWith(QLatin1String("1 ")));
    QVERIFY(processed.at(1).startsWith(QLatin1String("2 ")));
    QVERIFY(processed.at(4).endsWith(QLatin1String("9.91E37")));
    QVERIFY(processed.at(5).contains(QLatin1String("0.027000")));

    auto label = [&](const char *name) { return window.findChild<QLabel *>(QLatin1String(name))->text(); };
    QCOMPARE(label("TIC_Data"), QStringLiteral("0.027000"));
    QCOMPARE(label("ClockDisplay"), QStringLiteral("0.027000"));
    window.UpdateClockDisplay();
    QCOMPARE(label("ClockDisplay"), QStringLiteral("0.027000"));

    window.actionTIC_Raw_triggered();
    window.OnNewTicText("1 +2.80000000000E-08");
    QCOMPARE(label("ClockDisplay"), QStringLiteral("0.028000"));
    window.OnNewTicText("1 28.5 ns");
    QCOMPARE(label("ClockDisplay"), QStringLiteral("00.028500"));
    window.UpdateClockDisplay();
    QCOMPARE(label("ClockDisplay"), QStringLiteral("00.028500"));

    // Other modes draw their own clock again.
    window.actionUTC_triggered();
    window.UpdateClockDisplay();
    QVERIFY(label("ClockDisplay").contains(QLatin1Char(':')));
    window.close();
  }

  // The rows of two counters in the day's TIC log set, read back from disk.
  void rowsReadBackFromTheTicLogSet()
  {
    QTemporaryDir dir;
    QSettings settings;
    settings.setValue(TicLogKeys::FileDirectory, dir.path());
    settings.setValue(TicLogKeys::TimeTagFormat, 1);
    settings.setValue(TicLogKeys::LogStyle, 1);
    settings.setValue(TicLogKeys::TimeIntervalLogButtonGroup, 0);
    settings.setValue(TicLogKeys::TimeLogEvery, 6);  // every 10 seconds
    settings.setValue(TicLogKeys::AveragingLogPeriod, QStringLiteral("5"));
    settings.setValue(QStringLiteral("TimingDialog/Sawtooth Auto Correct"), 3);
    settings.setValue(QStringLiteral("TimingDialog/TIC Auto Correct"), false);
    MainWindow window;
    const QDateTime start(QDate(2024, 2, 14), QTime(10, 0, 1), Qt::UTC);
    window.State().receiverTime.SetDateTime(start);
    window.UpdateClockDisplay();
    QVERIFY(window.OpenTicLogFiles(TicDataLog::CreateNew));
    for (int second = 0; second < 20; ++second) {
      window.State().receiverTime.SetDateTime(start.addSecs(second));
      window.UpdateClockDisplay();
      window.OnNewTicText(QByteArray("1 ") + QByteArray::number(second) + " us");
      window.OnNewTicText(QByteArray("3 ") + QByteArray::number(100 + second) + " ns");
    }
    const QString time1 = window.TicLog().TimeFileName(1);
    const QString time3 = window.TicLog().TimeFileName(3);
    const QString average1 = window.TicLog().AverageFileName(1);
    QVERIFY(time1.endsWith(QLatin1String("RARA_0045T_PORT_01.csv")));
    QVERIFY(window.CloseTicLogFiles(true));

    auto lines = [](const QString &path) {
      QFile file(path);
      return file.open(QIODevice::ReadOnly) ? file.readAll().trimmed().split('\n') : QList<QByteArray>();
    };
    // Seconds 10:00:10 and 10:00:20 are the multiples of 10 in the run
    // (10:00:01 to 10:00:20).
    QCOMPARE(lines(time1), (QList<QByteArray>{"60354.41678,9,0.000,0,0.000,9.000000,0.000,0,0.00",
                                            "60354.41690,19,0.000,0,0.000,19.000000,0.000,0,0.00"}));
    QCOMPARE(lines(time3), (QList<QByteArray>{"60354.41678,00.109000,0.000,0,0.000,0.109000,0.000,0,0.00",
                                            "60354.41690,00.119000,0.000,0,0.000,0.119000,0.000,0,0.00"}));
    // Periods of 5 s: 10:00:01 to :05 (the first holds 5), then every five.
    const QList<QByteArray> averages = lines(average1);
    QCOMPARE(averages.size(), 4);
    QCOMPARE(averages.at(0), QByteArray("60354.41673,5,01.414214,02.000000,04.000000,00.000000"));
    QCOMPARE(averages.at(3), QByteArray("60354.41690,5,01.414214,17.000000,19.000000,15.000000"));
  }

  // The remote client that asked for every TIME and AVERAGE sentence gets
  // them over TCP as the counters send.
  void remoteClientReceivesTheTicData()
  {
    MainWindow window;
    QTcpSocket client;
    QVERIFY(riduder::test::ConnectRemoteClient(window, client));

    QSettings settings;
    settings.setValue(TicLogKeys::AveragingLogPeriod, QStringLiteral("0"));
    settings.setValue(TicLogKeys::TimeIntervalLogButtonGroup, 0);
    settings.setValue(TicLogKeys::TimeLogEvery, 0);
    settings.setValue(TicLogKeys::LogStyle, 1);
    window.LoadTicLogOptions();
    TicLineProcessor &tic = window.TicProcessor();
    tic.SetRemoteTimeCount(-1);
    tic.SetRemoteAverageCount(1);
    window.OnNewTicText("3 N: 100");
    window.OnNewTicText("3 MEAN: 5.2E-08");
    window.OnNewTicText("3 MIN: 4.9E-08");
    window.OnNewTicText("3 N: 50");
    window.OnNewTicText("3 MIN: 4.8E-08");
    window.OnNewTicText("4 12.5 us");

    QByteArray received;
    QTRY_VERIFY((received += client.readAll()).count("\r\n") >= 2);
    const QList<QByteArray> lines = received.trimmed().split('\n');
    QCOMPARE(lines.size(), 2);
    QVERIFY(lines.at(0).startsWith("$DAREZ,TICDATA,AVERAGE,"));
    QVERIFY(lines.at(0).endsWith("100,0.052000,0.049000\r"));
    QVERIFY(lines.at(1).startsWith("$DAREZ,TICDATA,TIME,"));
    QVERIFY(lines.at(1).contains(",12.5,"));
    // The AVERAGE counter ran out after one; the second block is kept.
    QCOMPARE(tic.RemoteAverageCount(), 0);
    QVERIFY(tic.LastAverageLine().endsWith(",50,0.048000"));
    window.close();
  }
};

RIDUDER_TEST_MAIN(TestTicWindows)
#include "tst_ticwindows.moc"
