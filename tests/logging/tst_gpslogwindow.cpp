#include "TestMain.h"

#include "GpsLogTestHost.h"
#include "LogCloseChecks.h"
#include "LogFileWindowDriver.h"
#include "RecordingMessageBoxes.h"
#include "app/GpsRawDataDialog.h"
#include "core/GpsMode.h"
#include "core/Paths.h"
#include "core/ReceiverIdentity.h"
#include "app/MainWindow.h"
#include "logging/GpsDataLog.h"
#include "logging/GpsLogTypeDialog.h"
#include "logging/LogFileNames.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSettings>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTimer>

using riduder::test::CheckCloseWithBytesUnwrittenStaysShown;
using riduder::test::FillingDiskWriter;
using riduder::test::LogClosedOnAFullDisk;
using riduder::test::ReadFileLines;
using riduder::test::RecordingMessageBoxes;

namespace {

QAction *Action(MainWindow &window, const char *name)
{
  return window.findChild<QAction *>(QLatin1String(name));
}

// What the New/Open dialog showed, and how the test answered it.
struct FileDialogAnswer {
  bool accept = true;
  QString pick;               // full path typed or chosen
  QString logType;            // radio button to check in the panel, or ""
  int logEveryIndex = -1;
  riduder::test::SeenLogFileWindow seen;  // while the dialog ran
};

void AnswerFileDialog(MainWindow &window, FileDialogAnswer &answer)
{
  window.logFileDialogRunner = [&window, &answer](QFileDialog &dialog) {
    GpsLogTypeDialog *panel = window.LogTypeDialog();
    answer.seen = riduder::test::LookAtLogFileWindow(dialog, panel, &window);
    if (!answer.logType.isEmpty())
      panel->findChild<QRadioButton *>(answer.logType)->setChecked(true);
    if (answer.logEveryIndex >= 0)
      panel->findChild<QComboBox *>("GpsLogEvery")->setCurrentIndex(answer.logEveryIndex);
    if (!answer.pick.isEmpty())
      dialog.selectFile(answer.pick);
    return answer.accept ? int(QDialog::Accepted) : int(QDialog::Rejected);
  };
}

}  // namespace

class TestGpsLogWindow : public QObject {
  Q_OBJECT

private slots:
  void init();
  void newLogFromTheDialog();
  void openPicksTodaysFileOfThePrefix();
  void openWithoutTodaysFileWarns();
  void newOverAnExistingFileAsksFirst();
  void rejectedDialogChangesNothing();
  void closingTheWindowCancels();
  void closeActionAsks();
  void rawEchoAndProblemsReachTheUser();
  void closeWithBytesUnwrittenStaysShown();
  void rollOverKeepsLogging();

private:
  void SetDay(MainWindow &window, const QDateTime &utc) { window.State().displayCopy.SetDateTime(utc); }

  std::unique_ptr<QTemporaryDir> dir;
  RecordingMessageBoxes boxes;
};

void TestGpsLogWindow::init()
{
  QSettings().clear();
  dir = std::make_unique<QTemporaryDir>();
  QVERIFY(dir->isValid());
  boxes.shown.clear();
  boxes.answer = QMessageBox::Ok;
}

void TestGpsLogWindow::newLogFromTheDialog()
{
  MainWindow window;
  window.SetMessageBoxes(&boxes);
  SetDay(window, QDateTime(QDate(2024, 2, 14), QTime(10, 0), Qt::UTC));
  QVERIFY(QDir(dir->path()).mkdir("ann.logs"));
  const QString folder = dir->path() + "/ann.logs";

  FileDialogAnswer answer;
  answer.pick = folder + "/Site";
  answer.logType = "GpsLogPVT";
  answer.logEveryIndex = 11;
  AnswerFileDialog(window, answer);
  // The column row follows the receiver in use.
  window.SetGpsMode(GpsModeMotorolaBinary);
  receiverIdentity.channels = 8;
  Action(window, "actionNew_GPS_Data_Log")->trigger();

  QCOMPARE(answer.seen.title, QStringLiteral("New GPS Data Log"));
  QCOMPARE(answer.seen.acceptLabel, QStringLiteral("Create New"));
  QCOMPARE(answer.seen.filters, QStringList{"Text or Binary (*.txt *.bin *.csv)"});
  QVERIFY(!answer.seen.native);
  QVERIFY(answer.seen.panelBelowDialog);
  // Nothing stored yet: the dialog starts in the default log folder, made
  // for it.
  QCOMPARE(answer.seen.startDirectory, QDir(DefaultLogDirectory()).absolutePath());

  const QString path = folder + "/Site_0045G.csv";
  QVERIFY(window.GpsLog().IsOpen());
  QCOMPARE(window.GpsLog().FileName(), path);
  QVERIFY(boxes.shown.isEmpty());
  QVERIFY(Action(window, "actionClose_GPS_Data_Log")->isEnabled());
  QVERIFY(!Action(window, "actionNew_GPS_Data_Log")->isEnabled());
  QVERIFY(!Action(window, "actionOpen_GPS_Data_Log")->isEnabled());

  QSettings settings;
  QCOMPARE(settings.value("LogFiles/GpsLogFileDirectory").toString(), folder);
  QCOMPARE(settings.value("LogFiles/GpsFileNamePrefix").toString(), QStringLiteral("Site"));
  QCOMPARE(settings.value("LogFiles/GpsLogDataType").toInt(), 2);
  QCOMPARE(settings.value("LogFiles/GPSLogEvery").toInt(), 11);
  QVERIFY(settings.contains("LogFiles/GpsFileDialogSettings"));
  QVERIFY(settings.contains("LogFiles/GpsFileDialogGeometry"));

  // The panel went back to the window, hidden.
  QCOMPARE(window.LogTypeDialog()->parentWidget(), static_cast<QWidget *>(&window));
  QVERIFY(window.LogTypeDialog()->isWindow());
  QVERIFY(!window.LogTypeDialog()->isVisible());

  const QStringList lines = ReadFileLines(path);
  QCOMPARE(lines.size(), 5);
  QVERIFY(lines.at(0).startsWith("; Riduder Version 1.2.10. Created GPS PVT Data Log at Wed Feb 14 10:00:00 2024 UTC"));
  QCOMPARE(lines.at(1), QStringLiteral("; Recording GPS data every 60 seconds"));
  QCOMPARE(lines.at(2), "; Receiver: " + window.ReceiverStatusLabel()->text());
  QVERIFY(lines.at(4).startsWith("Date,Time,lat(mas),long(mas),height,height_msl,velocity,heading,"));
  QVERIFY(lines.at(4).endsWith(",svid_8,ch_mode_8,sig_str_8,ch_stat_8"));

  // The window's destructor closes the log with its trailer.
}

void TestGpsLogWindow::openPicksTodaysFileOfThePrefix()
{
  const QString folder = dir->path() + "/my.logs";
  QVERIFY(QDir().mkpath(folder));
  {
    QFile today(folder + "/RARA_0046G.txt");
    QVERIFY(today.open(QIODevice::WriteOnly));
    today.write("; earlier today\n");
  }
  {
    MainWindow window;
    window.SetMessageBoxes(&boxes);
    SetDay(window, QDateTime(QDate(2024, 2, 15), QTime(8, 0), Qt::UTC));
    FileDialogAnswer answer;
    answer.pick = folder + "/RARA_0045G.txt";  // yesterday's file picked
    AnswerFileDialog(window, answer);
    Action(window, "actionOpen_GPS_Data_Log")->trigger();
    QCOMPARE(answer.seen.title, QStringLiteral("Open GPS Data Log"));
    QCOMPARE(answer.seen.acceptLabel, QStringLiteral("Open Existing"));

    QVERIFY(boxes.shown.isEmpty());
    QCOMPARE(window.GpsLog().FileName(), folder + "/RARA_0046G.txt");
    QCOMPARE(QSettings().value("LogFiles/GpsFileNamePrefix").toString(), QStringLiteral("RARA"));
    QCOMPARE(QSettings().value("LogFiles/GpsLogFileDirectory").toString(), folder);
    window.WriteGpsLog("appended");
  }
  const QStringList lines = ReadFileLines(folder + "/RARA_0046G.txt");
  QCOMPARE(lines.first(), QStringLiteral("; earlier today"));
  QVERIFY(lines.at(1).contains("Opened GPS Raw Data Log to append data at Thu Feb 15 08:00:00 2024 UTC"));
  QCOMPARE(lines.at(5), QStringLiteral("appended"));
  QVERIFY(lines.at(6).startsWith("; Closed GPS Data Log "));
}

void TestGpsLogWindow::openWithoutTodaysFileWarns()
{
  MainWindow window;
  window.SetMessageBoxes(&boxes);
  FileDialogAnswer answer;
  answer.pick = dir->path() + "/RARA_0001G.txt";
  AnswerFileDialog(window, answer);
  QSettings().setValue("LogFiles/GpsLogOpen", true);
  window.GpsDataLogFileDialog(false);

  QVERIFY(!window.GpsLog().IsOpen());
  QCOMPARE(boxes.shown.size(), 1);
  QCOMPARE(boxes.shown.first().icon, QMessageBox::Warning);
  QCOMPARE(boxes.shown.first().text, QStringLiteral("Cannot open files.\nThe files for the current day do not exest."));
  QCOMPARE(QSettings().value("LogFiles/GpsLogOpen").toBool(), false);
  QVERIFY(Action(window, "actionNew_GPS_Data_Log")->isEnabled());
  QVERIFY(!Action(window, "actionClose_GPS_Data_Log")->isEnabled());
  QVERIFY(QDir(dir->path()).entryList(QDir::Files).isEmpty());
}

void TestGpsLogWindow::newOverAnExistingFileAsksFirst()
{
  MainWindow window;
  window.SetMessageBoxes(&boxes);
  SetDay(window, QDateTime(QDate(2024, 2, 14), QTime(10, 0), Qt::UTC));
  const QString path = dir->path() + "/RARA_0045G.txt";
  {
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("keep me\n");
  }
  FileDialogAnswer answer;
  answer.pick = path;
  AnswerFileDialog(window, answer);

  boxes.answer = QMessageBox::Cancel;
  window.GpsDataLogFileDialog(true);
  QCOMPARE(boxes.shown.size(), 2);
  QCOMPARE(boxes.shown.at(0).icon, QMessageBox::Question);
  QCOMPARE(boxes.shown.at(0).text, QStringLiteral("Are you sure you want to replace this GPS Log file?"));
  QCOMPARE(boxes.shown.at(0).informativeText, QStringLiteral("RARA_0045G.txt"));
  QCOMPARE(boxes.shown.at(0).buttons, QMessageBox::Ok | QMessageBox::Cancel);
  QCOMPARE(boxes.shown.at(0).defaultButton, QMessageBox::Ok);
  QCOMPARE(boxes.shown.at(1).text, QStringLiteral("Cannot create files."));
  QCOMPARE(ReadFileLines(path), QStringList{"keep me"});
  QVERIFY(!window.GpsLog().IsOpen());

  boxes.shown.clear();
  boxes.answer = QMessageBox::Ok;
  window.GpsDataLogFileDialog(true);
  QCOMPARE(boxes.shown.size(), 1);
  QVERIFY(window.GpsLog().IsOpen());
  QVERIFY(ReadFileLines(path).first().contains("Created GPS Raw Data Log"));
}

void TestGpsLogWindow::rejectedDialogChangesNothing()
{
  MainWindow window;
  window.SetMessageBoxes(&boxes);
  FileDialogAnswer answer;
  answer.accept = false;
  answer.pick = dir->path() + "/Other";
  answer.logType = "GpsLogBinary";
  AnswerFileDialog(window, answer);
  window.GpsDataLogFileDialog(true);

  QVERIFY(!window.GpsLog().IsOpen());
  QVERIFY(boxes.shown.isEmpty());
  QSettings settings;
  QVERIFY(!settings.contains("LogFiles/GpsFileNamePrefix"));
  QVERIFY(!settings.contains("LogFiles/GpsLogDataType"));
  QVERIFY(!settings.contains("LogFiles/GpsFileDialogGeometry"));
  QCOMPARE(window.GpsLogValues().type, 0);
  QCOMPARE(window.LogTypeDialog()->parentWidget(), static_cast<QWidget *>(&window));
  QVERIFY(!window.LogTypeDialog()->isVisible());
}

// Closing the New/Open window from its title bar ends the file dialog
// like Cancel.
void TestGpsLogWindow::closingTheWindowCancels()
{
  MainWindow window;
  window.SetMessageBoxes(&boxes);
  const auto result = riduder::test::RunAndCloseFromTitleBar(&window, "New GPS Data Log",
                                                             [&window] { window.GpsDataLogFileDialog(true); });

  QVERIFY(result.closed);
  QVERIFY(!result.stuck);
  QVERIFY(!window.GpsLog().IsOpen());
  QVERIFY(boxes.shown.isEmpty());
  QVERIFY(!QSettings().contains("LogFiles/GpsFileDialogGeometry"));
  QCOMPARE(window.LogTypeDialog()->parentWidget(), static_cast<QWidget *>(&window));
  QVERIFY(!window.LogTypeDialog()->isVisible());
}

void TestGpsLogWindow::closeActionAsks()
{
  QSettings().setValue("LogFiles/GpsLogFileDirectory", dir->path());
  MainWindow window;
  window.SetMessageBoxes(&boxes);

  // Closed: nothing to ask.
  Action(window, "actionClose_GPS_Data_Log")->trigger();
  QVERIFY(boxes.shown.isEmpty());

  QVERIFY(window.OpenGpsLogFile(0));
  QVERIFY(Action(window, "actionClose_GPS_Data_Log")->isEnabled());
  boxes.answer = QMessageBox::Cancel;
  Action(window, "actionClose_GPS_Data_Log")->trigger();
  QCOMPARE(boxes.shown.size(), 1);
  QCOMPARE(boxes.shown.first().text, QStringLiteral("Are you sure you want to close this GPS Log file?"));
  QCOMPARE(boxes.shown.first().buttons, QMessageBox::Close | QMessageBox::Cancel);
  QCOMPARE(boxes.shown.first().defaultButton, QMessageBox::Close);
  QVERIFY(window.GpsLog().IsOpen());

  boxes.answer = QMessageBox::Close;
  Action(window, "actionClose_GPS_Data_Log")->trigger();
  QVERIFY(!window.GpsLog().IsOpen());
  QVERIFY(!Action(window, "actionClose_GPS_Data_Log")->isEnabled());
  QVERIFY(Action(window, "actionNew_GPS_Data_Log")->isEnabled());
  QVERIFY(Action(window, "actionOpen_GPS_Data_Log")->isEnabled());
  QVERIFY(ReadFileLines(window.GpsLog().FileName()).last() == "; ");
}

void TestGpsLogWindow::rawEchoAndProblemsReachTheUser()
{
  QSettings().setValue("LogFiles/GpsLogFileDirectory", dir->path());
  MainWindow window;
  window.SetMessageBoxes(&boxes);
  auto failing = std::make_shared<bool>(false);
  window.GpsLog().SetWriterFactory([failing] { return std::make_unique<riduder::test::SwitchableWriter>(failing); });
  QVERIFY(window.OpenGpsLogFile(0));
  window.RawDataDialog()->ShowDialog();

  // The raw-data echo writes the raw-text log, at once: the window's
  // gathering of lines holds nothing back from it.
  window.appendPlainText_to_RawDataDialog_and_Log("-> @@Ea 02/14/2024 12:34:56\r\n");
  window.appendPlainText_to_RawDataDialog_and_Log("-- PPS --");
  QVERIFY(window.FlushGpsLogFile());
  QCOMPARE(ReadFileLines(window.GpsLog().FileName()).mid(4),
           (QStringList{"-> @@Ea 02/14/2024 12:34:56", "-- PPS --"}));

  // A write failure shows in full in the raw-data window, told once, and
  // short in the status bar.
  *failing = true;
  window.WriteGpsLog("lost for now");
  QVERIFY(window.FlushGpsLogFile());
  QVERIFY(window.FlushGpsLogFile());
  window.RawDataDialog()->AppendPendingLines();
  const QString raw = window.RawDataDialog()->findChild<QPlainTextEdit *>()->toPlainText();
  QCOMPARE(raw.count("failed"), 1);
  QVERIFY2(raw.contains("RARA_"), qPrintable(raw));
  QVERIFY(!window.statusBar()->currentMessage().contains("failed"));
  QVERIFY(window.GpsLog().HasWriteError());
  // The status bar keeps showing the failure until a write succeeds.
  const QLabel *status = window.statusBar()->findChild<QLabel *>("GpsLogStatus");
  QVERIFY(status);
  QVERIFY(!status->isHidden());
  QCOMPARE(status->text(), QStringLiteral("GPS log: No space left on device"));
  // Not into the log itself.
  *failing = false;
  QVERIFY(window.FlushGpsLogFile());
  QVERIFY(status->isHidden());
  QVERIFY(!ReadFileLines(window.GpsLog().FileName()).join('\n').contains("failed"));
  QCOMPARE(ReadFileLines(window.GpsLog().FileName()).last(), QStringLiteral("lost for now"));
}

// The disk is full when the log is closed: what could not be written is
// said in the raw-data window, and a short label stays in the status bar
// until a log is opened again.
void TestGpsLogWindow::closeWithBytesUnwrittenStaysShown()
{
  QSettings().setValue("LogFiles/GpsLogFileDirectory", dir->path());
  MainWindow window;
  window.SetMessageBoxes(&boxes);
  auto disk = std::make_shared<FillingDiskWriter::Disk>();
  window.GpsLog().SetWriterFactory([disk] { return std::make_unique<FillingDiskWriter>(disk); });
  QVERIFY(window.OpenGpsLogFile(GpsDataLog::CreateNew));
  LogClosedOnAFullDisk log;
  log.statusName = QStringLiteral("GpsLogStatus");
  log.closedText = QStringLiteral("GPS log closed, %1 bytes not written");
  log.rowBytes = int(sizeof "lost for good");
  log.writeRow = [&window] {
    window.WriteGpsLog("lost for good");
    return true;
  };
  log.close = [&window] { return window.CloseGpsLogFile(true) && !window.GpsLog().IsOpen(); };
  log.reopen = [&window] { return window.OpenGpsLogFile(GpsDataLog::AppendExisting); };
  CheckCloseWithBytesUnwrittenStaysShown(window, *disk, log);
}

void TestGpsLogWindow::rollOverKeepsLogging()
{
  QSettings().setValue("LogFiles/GpsLogFileDirectory", dir->path());
  MainWindow window;
  window.SetMessageBoxes(&boxes);
  SetDay(window, QDateTime(QDate(2024, 12, 31), QTime(23, 59, 59), Qt::UTC));
  QVERIFY(window.OpenGpsLogFile(0));
  window.WriteGpsLog("last of the year");
  {
    QFile next(dir->path() + "/RARA_0001G.txt");
    QVERIFY(next.open(QIODevice::WriteOnly));
    next.write("; already there\n");
  }
  SetDay(window, QDateTime(QDate(2025, 1, 1), QTime(0, 0, 0), Qt::UTC));
  QVERIFY(window.RollOverGpsLogFile());
  window.WriteGpsLog("first of the year");
  QVERIFY(window.FlushGpsLogFile());

  const QStringList old = ReadFileLines(dir->path() + "/RARA_0366G.txt");
  QCOMPARE(old.mid(4, 2), (QStringList{"last of the year", "; Closed GPS Data Log Wed Jan 01 00:00:00 2025 UTC"}));
  const QStringList now = ReadFileLines(dir->path() + "/RARA_0001G.txt");
  QCOMPARE(now.first(), QStringLiteral("; already there"));
  QVERIFY(now.at(1).contains("Opened GPS Raw Data Log to append data"));
  QCOMPARE(now.last(), QStringLiteral("first of the year"));
  QVERIFY(Action(window, "actionClose_GPS_Data_Log")->isEnabled());
}

RIDUDER_TEST_MAIN(TestGpsLogWindow)
#include "tst_gpslogwindow.moc"
