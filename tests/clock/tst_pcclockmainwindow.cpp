#include "TestMain.h"

#include "FakePcClocks.h"
#include "ModalDialogs.h"
#include "RecordingMessageBoxes.h"
#include "app/GpsRawDataDialog.h"
#include "app/MainWindow.h"
#include "clock/PcClockSettings.h"
#include "clock/SetPcClockDialog.h"
#include "logging/GpsDataLog.h"
#include "logging/GpsLogSettings.h"
#include "platform/SystemClock.h"
#include "platform/TimeSource.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QRadioButton>
#include <QSettings>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

QDateTime Utc(int y, int mo, int d, int h, int mi, int s, int ms = 0)
{
  return QDateTime(QDate(y, mo, d), QTime(h, mi, s, ms), Qt::UTC);
}

QString LatencyText(MainWindow &window)
{
  return window.findChild<QLabel *>(QStringLiteral("IDC_LATENCY"))->text();
}

}  // namespace

// The clock step as the main window runs it: its state in, the widgets,
// the dialog and the store out.
class PcClockMainWindowTest : public QObject {
  Q_OBJECT

private:
  std::unique_ptr<riduder::test::FakePcClocks> clocks;
  riduder::test::RecordingMessageBoxes boxes;

  // The receiver's second, with the PC offsetMs ahead of it.
  void At(MainWindow &window, const QDateTime &receiver, qint64 offsetMs, bool tick = true)
  {
    window.State().receiverTime.SetDateTime(receiver);
    window.State().tickPending = tick;
    window.State().outOfLock = false;
    clocks->pc.SetMSecsSinceEpoch(receiver.toMSecsSinceEpoch() + offsetMs);
  }

  std::unique_ptr<MainWindow> Window()
  {
    auto window = std::make_unique<MainWindow>();
    window->SetMessageBoxes(&boxes);
    return window;
  }

private slots:
  void init()
  {
    QSettings().clear();
    boxes.shown.clear();
    clocks.reset();
    clocks = std::make_unique<riduder::test::FakePcClocks>(Utc(2024, 3, 12, 14, 30, 15));
  }

  void cleanup() { clocks.reset(); }

  void startWithSyncOnChecksThePrivilege()
  {
    QSettings().setValue(PcClockKeys::Mode, 2);
    auto window = Window();
    QCOMPARE(clocks->clock.PrivilegeRequests(), 1);
    QCOMPARE(window->PcClock().Mode(), 2);
  }

  void startWithSyncOffAsksNothing()
  {
    clocks->clock.SetPrivilege(false);
    auto window = Window();
    QCOMPARE(clocks->clock.PrivilegeRequests(), 0);
    QCOMPARE(window->PcClock().Mode(), 0);
  }

  void missingPrivilegeWarnsThroughTheWindowsBoxes()
  {
    auto window = Window();
    clocks->clock.SetPrivilege(false, QStringLiteral("no CAP_SYS_TIME"));
    QSettings().setValue(PcClockKeys::Mode, 3);
    window->LoadPcClockSettings();

    QCOMPARE(boxes.shown.size(), 1);
    const MessageBoxRequest &box = boxes.shown.first();
    QCOMPARE(box.icon, QMessageBox::Warning);
    QVERIFY(box.title.isEmpty());
    QVERIFY(box.parent == nullptr);
    QCOMPARE(box.text, PcClockSettings::PrivilegeWarningText(QStringLiteral("no CAP_SYS_TIME")));
    QCOMPARE(window->PcClock().Mode(), 0);
    QCOMPARE(QSettings().value(PcClockKeys::Mode).toInt(), 0);
  }

  void passSetsTheClockAndShowsTheLatency()
  {
    QSettings().setValue(PcClockKeys::Mode, 2);
    auto window = Window();
    QVERIFY(LatencyText(*window).isEmpty());

    At(*window, Utc(2024, 3, 12, 14, 30, 15), -250);
    window->SyncPcClock();
    QCOMPARE(window->PcClockOffset(), qint64(-250));
    QCOMPARE(clocks->clock.AppliedTimes(), QList<QDateTime>{Utc(2024, 3, 12, 14, 30, 15)});
    QCOMPARE(LatencyText(*window), QStringLiteral("0"));

    // The PC is now 3 ms behind after the set: the correction rises.
    At(*window, Utc(2024, 3, 12, 14, 30, 16), -3);
    window->SyncPcClock();
    QCOMPARE(LatencyText(*window), QStringLiteral("1"));
    QCOMPARE(clocks->clock.AppliedTimes().last(), Utc(2024, 3, 12, 14, 30, 16, 1));
  }

  // The timing offsets belong to the receiver time: a change reaches the
  // next set at once, whatever the display copy still holds.
  void setTimeCarriesTheReceiverTimesOffsets()
  {
    QSettings().setValue(PcClockKeys::Mode, 2);
    auto window = Window();
    window->State().displayCopy.SetEpochOffset(0);
    window->State().receiverTime.SetEpochOffset(500);
    At(*window, Utc(2024, 3, 12, 14, 30, 15), -250);
    window->SyncPcClock();
    QCOMPARE(clocks->clock.AppliedTimes(),
             QList<QDateTime>{Utc(2024, 3, 12, 14, 30, 15).addMSecs(window->State().receiverTime.TotalOffsetMs())});
    QVERIFY(window->State().receiverTime.TotalOffsetMs() != 0);
  }

  // An NMEA-style GPS log on disk gets the clock-set line and the
  // time-position line of each logging second.
  void clockLinesReachTheGpsLogFile()
  {
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    QSettings settings;
    settings.setValue(PcClockKeys::Mode, 3);
    settings.setValue(GpsLogKeys::FileDirectory, folder.path());
    auto window = Window();
    GpsLogSettings log = window->GpsLogValues();
    log.type = 3;
    log.intervalSeconds = 30;
    window->SetGpsLogValues(log);
    QVERIFY(window->OpenGpsLogFile(GpsDataLog::CreateNew));
    const QString fileName = window->GpsLog().FileName();

    At(*window, Utc(2024, 3, 12, 14, 30, 0), -250);  // a minute: set, and a logging second
    window->SyncPcClock();
    QVERIFY(window->State().logRecordGate);
    At(*window, Utc(2024, 3, 12, 14, 30, 1), 10);  // neither
    window->SyncPcClock();
    QVERIFY(!window->State().logRecordGate);
    QVERIFY(window->CloseGpsLogFile(true));

    QFile file(QDir(folder.path()).filePath(fileName));
    if (!file.exists())
      file.setFileName(fileName);
    QVERIFY2(file.open(QIODevice::ReadOnly | QIODevice::Text), qPrintable(file.fileName()));
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    const QStringList clockLines = lines.filter(QRegularExpression(QStringLiteral("^\\$PZQK")));
    QCOMPARE(clockLines.size(), 2);
    QCOMPARE(clockLines[0], QStringLiteral("$PZQKT,20240312143000.000,-250"));
    QVERIFY2(clockLines[1].startsWith(QStringLiteral("$PZQKA,20240312,143001.000,")), qPrintable(clockLines[1]));
  }

  void oneTimeTurnsTheDialogOffUntilTheNextLoad()
  {
    QSettings().setValue(PcClockKeys::Mode, 1);
    auto window = Window();
    At(*window, Utc(2024, 3, 12, 14, 30, 15), 80);
    window->SyncPcClock();
    QCOMPARE(clocks->clock.AppliedTimes().size(), 1);
    QCOMPARE(window->PcClock().Mode(), 0);
    QCOMPARE(window->PcClockDialog()->Mode(), 0);
    QCOMPARE(QSettings().value(PcClockKeys::Mode).toInt(), 1);

    At(*window, Utc(2024, 3, 12, 14, 30, 16), 80);
    window->SyncPcClock();
    QCOMPARE(clocks->clock.AppliedTimes().size(), 1);

    window->LoadPcClockSettings();
    QCOMPARE(window->PcClock().Mode(), 1);
  }

  void firstFailureIsShownOnce()
  {
    QSettings().setValue(PcClockKeys::Mode, 2);
    auto window = Window();
    window->RawDataDialog()->ShowDialog();
    auto *raw = window->RawDataDialog()->findChild<QPlainTextEdit *>();
    QVERIFY(raw);
    raw->clear();
    clocks->clock.SetSetFailure(QStringLiteral("Operation not permitted"));

    At(*window, Utc(2024, 3, 12, 14, 30, 15), 40);
    window->SyncPcClock();
    const QString message = window->statusBar()->currentMessage();
    QVERIFY2(message.contains(QStringLiteral("Operation not permitted")), qPrintable(message));
    window->RawDataDialog()->AppendPendingLines();
    QCOMPARE(raw->toPlainText(), message);

    window->statusBar()->clearMessage();
    At(*window, Utc(2024, 3, 12, 14, 30, 16), 40);
    window->SyncPcClock();
    QVERIFY(!window->statusBar()->currentMessage().contains(QStringLiteral("Operation not permitted")));
    window->RawDataDialog()->AppendPendingLines();
    QCOMPARE(raw->toPlainText().count(QStringLiteral("Operation not permitted")), 1);
  }

  void overrideBoxesActWithoutOk()
  {
    QSettings().setValue(PcClockKeys::Mode, 2);
    auto window = Window();
    SetPcClockDialog *dialog = window->PcClockDialog();
    dialog->show();
    for (const char *name : {"IDC_CLOCK_SYNC_OVERRIDE_TRAIM", "IDC_CLOCK_SYNC_OVERRIDE_INTEGRITY"}) {
      auto *box = dialog->findChild<QCheckBox *>(QString::fromLatin1(name));
      QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
    }
    At(*window, Utc(2024, 3, 12, 14, 30, 15), 40, false);
    window->State().outOfLock = true;
    window->SyncPcClock();
    QCOMPARE(clocks->clock.AppliedTimes().size(), 1);

    QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("CANCEL")), Qt::LeftButton);
    At(*window, Utc(2024, 3, 12, 14, 30, 16), 40, false);
    window->SyncPcClock();
    QCOMPARE(clocks->clock.AppliedTimes().size(), 1);
  }

  void setPcClockActionLoadsOnOkOnly()
  {
    auto window = Window();
    QCOMPARE(window->PcClock().Mode(), 0);

    riduder::test::AnswerNextModalDialog([](QDialog *dialog) {
      auto *button = dialog->findChild<QRadioButton *>(QStringLiteral("IDC_CLOCK_SYNC_MIN"));
      QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
      QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("CANCEL")), Qt::LeftButton);
    });
    window->actionSet_PC_Clock_triggered();
    QCOMPARE(window->PcClock().Mode(), 0);
    QCOMPARE(clocks->clock.PrivilegeRequests(), 0);

    riduder::test::AnswerNextModalDialog([](QDialog *dialog) {
      auto *button = dialog->findChild<QRadioButton *>(QStringLiteral("IDC_CLOCK_SYNC_MIN"));
      QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
      QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("OK")), Qt::LeftButton);
    });
    window->actionSet_PC_Clock_triggered();
    QCOMPARE(window->PcClock().Mode(), 3);
    QCOMPARE(clocks->clock.PrivilegeRequests(), 1);
  }
};

RIDUDER_TEST_MAIN(PcClockMainWindowTest)
#include "tst_pcclockmainwindow.moc"
