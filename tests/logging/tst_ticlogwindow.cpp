#include "TestMain.h"

#include "GpsLogTestHost.h"
#include "LogCloseChecks.h"
#include "LogFileWindowDriver.h"
#include "OncoreMessageBuilder.h"
#include "RecordingMessageBoxes.h"
#include "WindowOnSimulator.h"
#include "app/GpsRawDataDialog.h"
#include "app/MainWindow.h"
#include "core/GpsMode.h"
#include "core/Paths.h"
#include "logging/TicDataLog.h"
#include "logging/TicFileDialog.h"
#include "receiver/decode/DecoderHost.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QSettings>
#include <QStatusBar>
#include <QTemporaryDir>

using riduder::test::CheckCloseWithBytesUnwrittenStaysShown;
using riduder::test::FillingDiskWriter;
using riduder::test::LogClosedOnAFullDisk;
using riduder::test::ReadFileLines;
using riduder::test::RecordingMessageBoxes;
using riduder::test::WindowOnSimulator;

namespace {

QAction *Action(MainWindow &window, const char *name)
{
  return window.findChild<QAction *>(QLatin1String(name));
}

bool MenuShowsOpen(MainWindow &window)
{
  return Action(window, "actionClose_TIC_Data_Log")->isEnabled() &&
         !Action(window, "actionNew_TIC_Data_Log")->isEnabled() &&
         !Action(window, "actionOpen_TIC_Data_Log")->isEnabled();
}

bool MenuShowsClosed(MainWindow &window)
{
  return !Action(window, "actionClose_TIC_Data_Log")->isEnabled() &&
         Action(window, "actionNew_TIC_Data_Log")->isEnabled() && Action(window, "actionOpen_TIC_Data_Log")->isEnabled();
}

// How the test answers the New/Open window, and what it showed.
struct FileDialogAnswer {
  bool accept = true;
  QString pick;    // full path chosen
  QString filter;  // name filter to select, or ""
  std::function<void(TicFileDialog &)> editPanel;
  riduder::test::SeenLogFileWindow seen;
};

void AnswerFileDialog(MainWindow &window, FileDialogAnswer &answer)
{
  window.logFileDialogRunner = [&window, &answer](QFileDialog &dialog) {
    TicFileDialog *panel = window.TicFileOptions();
    answer.seen = riduder::test::LookAtLogFileWindow(dialog, panel, &window);
    if (answer.editPanel)
      answer.editPanel(*panel);
    if (!answer.filter.isEmpty())
      dialog.selectNameFilter(answer.filter);
    if (!answer.pick.isEmpty())
      dialog.selectFile(answer.pick);
    return answer.accept ? int(QDialog::Accepted) : int(QDialog::Rejected);
  };
}

}  // namespace

class TestTicLogWindow : public QObject {
  Q_OBJECT

private slots:
  void init();
  void newSetFromTheDialog();
  void openWithoutTodaysSetWarns();
  void openStartsOnTheStoredStyle_data();
  void openStartsOnTheStoredStyle();
  void newOverAnExistingSetAsksFirst();
  void closingTheWindowCancels();
  void closeActionAsks();
  void failedRollOverIsShownUntilASetOpens();
  void closeWithBytesUnwrittenStaysShown();
  void optionsAreLoadedAtStartUp();
  void receiverTextReachesTheConfigurationLog();

private:
  void SetDay(MainWindow &window, const QDateTime &utc) { window.State().displayCopy.SetDateTime(utc); }

  std::unique_ptr<QTemporaryDir> dir;
  RecordingMessageBoxes boxes;
};

void TestTicLogWindow::init()
{
  QSettings().clear();
  dir = std::make_unique<QTemporaryDir>();
  QVERIFY(dir->isValid());
  boxes.shown.clear();
  boxes.answer = QMessageBox::Ok;
}

void TestTicLogWindow::newSetFromTheDialog()
{
  MainWindow window;
  window.SetMessageBoxes(&boxes);
  SetDay(window, QDateTime(QDate(2024, 2, 14), QTime(10, 0), Qt::UTC));
  QVERIFY(MenuShowsClosed(window));
  QVERIFY(!window.ReceiverDecoderHost().ConfigTextToTicLog());
  const QString folder = dir->path() + "/ann.logs";
  QVERIFY(QDir().mkpath(folder));

  FileDialogAnswer answer;
  answer.pick = folder + "/RARA_0044A_PORT_03.csv";  // yesterday's file picked
  answer.filter = TicLogTexts::PrnFilter;
  answer.editPanel = [](TicFileDialog &panel) {
    panel.findChild<QCheckBox *>("TicTimeCfgLogSaveSats")->setChecked(true);
    panel.findChild<QComboBox *>("TicTimeLogEvery")->setCurrentIndex(11);
  };
  AnswerFileDialog(window, answer);
  Action(window, "actionNew_TIC_Data_Log")->trigger();

  QCOMPARE(answer.seen.title, QStringLiteral("New TIC Data Log"));
  QCOMPARE(answer.seen.acceptLabel, QStringLiteral("Create New"));
  QCOMPARE(answer.seen.filters, (QStringList{"CSV (comma delimited) (*.csv)", "Formatted Text (Space-delimited) (*.prn)",
                                        "Text (Tab-delimited) (*.txt)", "All Files (*.*)"}));
  QVERIFY(!answer.seen.native);
  QVERIFY(answer.seen.panelBelowDialog);

  TicDataLog &log = window.TicLog();
  QVERIFY(log.IsOpen());
  QVERIFY(boxes.shown.isEmpty());
  QVERIFY(MenuShowsOpen(window));
  QCOMPARE(log.ConfigFileName(), folder + "/RARA_0045C.txt");
  QCOMPARE(log.TimeFileName(3), folder + "/RARA_0045T_PORT_03.prn");
  // The saved options are in force at once.
  QCOMPARE(log.LogStyle(), 0);
  QCOMPARE(log.TimeLogInterval(), 60);
  QVERIFY(window.ReceiverDecoderHost().ConfigTextToTicLog());

  QSettings settings;
  QCOMPARE(settings.value("LogFiles/TicLogFileDirectory").toString(), folder);
  QCOMPARE(settings.value("LogFiles/TicFileNamePrefix").toString(), QStringLiteral("RARA"));
  QCOMPARE(settings.value("LogFiles/TicLogStyle").toInt(), 0);
  QCOMPARE(settings.value("LogFiles/TicTimeCfgLogSaveSats").toInt(), 1);
  QCOMPARE(settings.value("LogFiles/TicTimeLogEvery").toInt(), 11);
  QCOMPARE(settings.value("LogFiles/TicLogFileOpen").toBool(), true);
  QVERIFY(settings.contains("LogFiles/TicFileDialogSettings"));
  QVERIFY(settings.contains("LogFiles/TicFileDialogGeometry"));

  // The panel went back to the window, hidden.
  QCOMPARE(window.TicFileOptions()->parentWidget(), static_cast<QWidget *>(&window));
  QVERIFY(window.TicFileOptions()->isWindow());
  QVERIFY(!window.TicFileOptions()->isVisible());

  const QStringList lines = ReadFileLines(folder + "/RARA_0045C.txt");
  QVERIFY(lines.at(0).endsWith("; Created TIC Data Logs Wed Feb 14 10:00:00 2024 UTC"));
  QVERIFY(lines.at(1).endsWith("; Recording time data every 60 seconds"));

  // Closed by the window's destructor: the trailer follows, the empty
  // files of ports 2 to 8 go.
  QVERIFY(window.CloseTicLogFiles(true));
  QVERIFY(MenuShowsClosed(window));
  QCOMPARE(QDir(folder).entryList(QDir::Files, QDir::Name),
           (QStringList{"RARA_0045A_PORT_01.prn", "RARA_0045C.txt", "RARA_0045T_PORT_01.prn"}));
}

void TestTicLogWindow::openWithoutTodaysSetWarns()
{
  MainWindow window;
  window.SetMessageBoxes(&boxes);
  FileDialogAnswer answer;
  answer.pick = dir->path() + "/RARA_0001C.txt";
  AnswerFileDialog(window, answer);
  QSettings().setValue("LogFiles/TicLogOpen", true);
  Action(window, "actionOpen_TIC_Data_Log")->trigger();

  QCOMPARE(answer.seen.title, QStringLiteral("Open TIC Data Log"));
  QCOMPARE(answer.seen.acceptLabel, QStringLiteral("Open Existing"));
  QVERIFY(!window.TicLog().IsOpen());
  QCOMPARE(boxes.shown.size(), 1);
  QCOMPARE(boxes.shown.first().icon, QMessageBox::Warning);
  QCOMPARE(boxes.shown.first().text, QStringLiteral("Cannot open files.\nThe files for the current day do not exest."));
  QCOMPARE(QSettings().value("LogFiles/TicLogOpen").toBool(), false);
  QVERIFY(MenuShowsClosed(window));
  QVERIFY(QDir(dir->path()).entryList(QDir::Files).isEmpty());
}

void TestTicLogWindow::openStartsOnTheStoredStyle_data()
{
  QTest::addColumn<int>("style");
  QTest::addColumn<QString>("filter");
  QTest::addColumn<QString>("extension");
  QTest::newRow("tabs") << 2 << TicLogTexts::TxtFilter << ".txt";
  QTest::newRow("blanks") << 0 << TicLogTexts::PrnFilter << ".prn";
  QTest::newRow("commas") << 1 << TicLogTexts::CsvFilter << ".csv";
}

// The day's set made in one style and opened again with a file of it picked:
// the dialog starts on that style's filter, so the set is appended to, in
// its own files, and the stored style stays.
void TestTicLogWindow::openStartsOnTheStoredStyle()
{
  QFETCH(int, style);
  QFETCH(QString, filter);
  QFETCH(QString, extension);
  MainWindow window;
  window.SetMessageBoxes(&boxes);
  SetDay(window, QDateTime(QDate(2024, 2, 14), QTime(10, 0), Qt::UTC));
  FileDialogAnswer answer;
  answer.pick = dir->path() + "/RARA_0045A_PORT_01" + extension;
  answer.filter = filter;
  AnswerFileDialog(window, answer);
  Action(window, "actionNew_TIC_Data_Log")->trigger();
  QVERIFY(window.TicLog().IsOpen());
  window.TicLog().WriteTicLog("before");
  QVERIFY(window.CloseTicLogFiles(true));
  const QStringList made = QDir(dir->path()).entryList(QDir::Files, QDir::Name);

  answer.filter.clear();  // the user only picks the file
  Action(window, "actionOpen_TIC_Data_Log")->trigger();
  QCOMPARE(answer.seen.selectedFilter, filter);
  QVERIFY(boxes.shown.isEmpty());
  QVERIFY(window.TicLog().IsOpen());
  QCOMPARE(window.TicLog().LogStyle(), style);
  QCOMPARE(window.TicLog().TimeFileName(1), dir->path() + "/RARA_0045T_PORT_01" + extension);
  QCOMPARE(QSettings().value("LogFiles/TicLogStyle").toInt(), style);
  QVERIFY(window.CloseTicLogFiles(true));
  // No file of another style: the day's data stays in one set.
  QCOMPARE(QDir(dir->path()).entryList(QDir::Files, QDir::Name), made);
  const QStringList lines = ReadFileLines(dir->path() + "/RARA_0045C.txt");
  QVERIFY(lines.join('\n').contains("before"));
  QVERIFY(lines.join('\n').contains("; Opened exesting TIC Data Logs to append data"));
}

void TestTicLogWindow::newOverAnExistingSetAsksFirst()
{
  MainWindow window;
  window.SetMessageBoxes(&boxes);
  SetDay(window, QDateTime(QDate(2024, 2, 14), QTime(10, 0), Qt::UTC));
  const QString config = dir->path() + "/RARA_0045C.txt";
  {
    QFile old(config);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("keep me\n");
  }
  FileDialogAnswer answer;
  answer.pick = config;
  AnswerFileDialog(window, answer);

  boxes.answer = QMessageBox::Cancel;
  window.TicDataLogFileDialog(true);
  QCOMPARE(boxes.shown.size(), 2);
  QCOMPARE(boxes.shown.at(0).icon, QMessageBox::Question);
  QCOMPARE(boxes.shown.at(0).text, QStringLiteral("Are you sure you want to replace this TIC Log file?"));
  QCOMPARE(boxes.shown.at(0).informativeText, QStringLiteral("RARA_0045C.txt"));
  QCOMPARE(boxes.shown.at(0).buttons, QMessageBox::Ok | QMessageBox::Cancel);
  QCOMPARE(boxes.shown.at(0).defaultButton, QMessageBox::Ok);
  QCOMPARE(boxes.shown.at(1).text, QStringLiteral("Cannot create files."));
  QCOMPARE(ReadFileLines(config), QStringList{"keep me"});
  QVERIFY(!window.TicLog().IsOpen());

  boxes.shown.clear();
  boxes.answer = QMessageBox::Ok;
  window.TicDataLogFileDialog(true);
  QCOMPARE(boxes.shown.size(), 1);
  QVERIFY(window.TicLog().IsOpen());
  QVERIFY(ReadFileLines(config).first().contains("; Created TIC Data Logs"));
}

// Closing the New/Open window from its title bar ends the file dialog like
// Cancel.
void TestTicLogWindow::closingTheWindowCancels()
{
  MainWindow window;
  window.SetMessageBoxes(&boxes);
  const auto result = riduder::test::RunAndCloseFromTitleBar(&window, "Open TIC Data Log",
                                                             [&window] { window.TicDataLogFileDialog(false); });

  QVERIFY(result.closed);
  QVERIFY(!result.stuck);
  QVERIFY(!window.TicLog().IsOpen());
  QVERIFY(boxes.shown.isEmpty());
  QVERIFY(!QSettings().contains("LogFiles/TicFileDialogGeometry"));
  QCOMPARE(window.TicFileOptions()->parentWidget(), static_cast<QWidget *>(&window));
  QVERIFY(!window.TicFileOptions()->isVisible());
}

void TestTicLogWindow::closeActionAsks()
{
  QSettings().setValue("LogFiles/TicLogFileDirectory", dir->path());
  MainWindow window;
  window.SetMessageBoxes(&boxes);
  SetDay(window, QDateTime(QDate(2024, 2, 14), QTime(10, 0), Qt::UTC));
  QVERIFY(window.OpenTicLogFiles(TicDataLog::CreateNew));
  QVERIFY(MenuShowsOpen(window));

  boxes.answer = QMessageBox::Cancel;
  Action(window, "actionClose_TIC_Data_Log")->trigger();
  QCOMPARE(boxes.shown.size(), 1);
  QCOMPARE(boxes.shown.first().icon, QMessageBox::Question);
  QCOMPARE(boxes.shown.first().text, QStringLiteral("Are you sure you want to close this TIC Log file set?"));
  QCOMPARE(boxes.shown.first().informativeText, QStringLiteral("RARA_0045 [A..., C, T...]"));
  QCOMPARE(boxes.shown.first().buttons, QMessageBox::Close | QMessageBox::Cancel);
  QCOMPARE(boxes.shown.first().defaultButton, QMessageBox::Close);
  QVERIFY(window.TicLog().IsOpen());

  boxes.answer = QMessageBox::Close;
  Action(window, "actionClose_TIC_Data_Log")->trigger();
  QVERIFY(!window.TicLog().IsOpen());
  QVERIFY(MenuShowsClosed(window));
  QVERIFY(ReadFileLines(dir->path() + "/RARA_0045C.txt").at(4).endsWith("; Closed TIC Data Logs Wed Feb 14 10:00:00 2024 UTC"));
}

void TestTicLogWindow::failedRollOverIsShownUntilASetOpens()
{
  QSettings settings;
  settings.setValue("LogFiles/TicLogFileDirectory", dir->path());
  settings.setValue("LogFiles/TicTimeLogAutorestart", 1);
  MainWindow window;
  window.SetMessageBoxes(&boxes);
  window.RawDataDialog()->ShowDialog();
  SetDay(window, QDateTime(QDate(2024, 2, 14), QTime(23, 59, 59), Qt::UTC));
  QVERIFY(window.OpenTicLogFiles(TicDataLog::CreateNew));
  QVERIFY(QDir().mkdir(dir->path() + "/RARA_0046C.txt"));

  SetDay(window, QDateTime(QDate(2024, 2, 15), QTime(0, 0), Qt::UTC));
  QVERIFY(window.RollOverTicLogFiles());
  QVERIFY(!window.TicLog().IsOpen());
  QVERIFY(MenuShowsClosed(window));
  const QLabel *status = window.statusBar()->findChild<QLabel *>("TicLogStatus");
  QVERIFY(status);
  QVERIFY(!status->isHidden());
  QVERIFY2(status->text().contains("RARA_0046C.txt"), qPrintable(status->text()));
  window.RawDataDialog()->AppendPendingLines();
  const QString raw = window.RawDataDialog()->findChild<QPlainTextEdit *>()->toPlainText();
  QCOMPARE(raw.count("could not be opened"), 1);
  QVERIFY(boxes.shown.isEmpty());

  QVERIFY(QDir().rmdir(dir->path() + "/RARA_0046C.txt"));
  QVERIFY(window.OpenTicLogFiles(TicDataLog::CreateNew));
  QVERIFY(status->isHidden());
}

// The disk is full when the set is closed: what could not be written is
// said in the raw-data window, and a short label stays in the status bar
// until a set is opened again.
void TestTicLogWindow::closeWithBytesUnwrittenStaysShown()
{
  QSettings().setValue("LogFiles/TicLogFileDirectory", dir->path());
  MainWindow window;
  window.SetMessageBoxes(&boxes);
  auto disk = std::make_shared<FillingDiskWriter::Disk>();
  window.TicLog().SetWriterFactory([disk] { return std::make_unique<FillingDiskWriter>(disk); });
  QVERIFY(window.OpenTicLogFiles(TicDataLog::CreateNew));
  LogClosedOnAFullDisk log;
  log.statusName = QStringLiteral("TicLogStatus");
  log.closedText = QStringLiteral("TIC log closed, %1 bytes not written");
  log.rowBytes = int(sizeof "60000.50000 0.001000");
  log.writeRow = [&window] { return window.TicLog().WriteTimeRow(1, "60000.50000 0.001000"); };
  log.close = [&window] { return window.CloseTicLogFiles(true) && !window.TicLog().IsOpen(); };
  log.reopen = [&window] { return window.OpenTicLogFiles(TicDataLog::AppendExisting); };
  CheckCloseWithBytesUnwrittenStaysShown(window, *disk, log);
}

// The counter rows use the options before any set is opened.
void TestTicLogWindow::optionsAreLoadedAtStartUp()
{
  QSettings settings;
  settings.setValue("LogFiles/TicTimeTagFormat", 1);
  settings.setValue("LogFiles/TicLogStyle", 2);
  settings.setValue("LogFiles/TicTimeLogEvery", 8);
  settings.setValue("LogFiles/AveragingLogPeriod", "60");
  settings.setValue("LogFiles/TicTimeLogAutorestart", 7);
  MainWindow window;
  QCOMPARE(window.TicLog().TimeTagFormat(), 1);
  QCOMPARE(window.TicLog().LogStyle(), 2);
  QCOMPARE(window.TicLog().TimeLogInterval(), 15);
  QCOMPARE(window.TicLog().AveragingPeriod(), 60);
  QCOMPARE(window.LogTimeTag(), window.State().displayCopy.DayFractionText() + " ");
  // The stored auto restart was repaired when the panel loaded.
  QCOMPARE(settings.value("LogFiles/TicTimeLogAutorestart").toInt(), 0);

  // A remote command stores new values and has them loaded.
  settings.setValue("LogFiles/TicLogStyle", 1);
  settings.setValue("LogFiles/TimeIntervalLogButtonGroup", 1);
  window.LoadTicLogOptions();
  QCOMPARE(window.TicLog().LogStyle(), 1);
  QCOMPARE(window.TicLog().TimeLogInterval(), 0);
}

// On the running program: with "Save Satellite Events in Config Log" on,
// the receiver's identification answer reaches the configuration log,
// buffered while no set is open.
void TestTicLogWindow::receiverTextReachesTheConfigurationLog()
{
  {
    QSettings settings;
    settings.setValue("LogFiles/TicLogFileDirectory", dir->path());
    settings.setValue("LogFiles/TicTimeCfgLogSaveSats", 1);
  }
  WindowOnSimulator road(WindowOnSimulator::Options::WithoutPps(GpsModeMotorolaBinary, 9600));
  QVERIFY2(road.Problem().isEmpty(), qPrintable(road.Problem()));
  MainWindow &window = road.Window();
  QVERIFY(window.ReceiverDecoderHost().ConfigTextToTicLog());

  QVERIFY(road.Feed(riduder::test::OncoreIdentificationReply()));
  QVERIFY(window.TicLog().ConfigBuffer().startsWith("@@CjCOPYRIGHT 1991-2000 MOTOROLA INC.\n"));
  QVERIFY(window.OpenTicLogFiles(TicDataLog::CreateNew));
  const QString config = window.TicLog().ConfigFileName();
  QStringList lines = ReadFileLines(config);
  const QString tag = window.LogTimeTag();
  QVERIFY(lines.at(0).startsWith(tag + "; Created TIC Data Logs "));
  QCOMPARE(lines.at(1), tag + "@@CjCOPYRIGHT 1991-2000 MOTOROLA INC.");
  QCOMPARE(lines.at(2), tag + "SFTW P/N # 61-G10268A");
  QVERIFY(lines.filter("SERIAL #   SSG0226726").size() == 1);
  const int headerEnd = lines.indexOf(QRegularExpression(".*; Recording time data every 1 seconds"));
  QVERIFY(headerEnd > 3);

  // With the set open the answer goes straight in.
  QVERIFY(road.Feed(riduder::test::OncoreIdentificationReply()));
  lines = ReadFileLines(config);
  QCOMPARE(lines.filter("@@CjCOPYRIGHT").size(), 2);
  QVERIFY(lines.indexOf(tag + "@@CjCOPYRIGHT 1991-2000 MOTOROLA INC.", headerEnd) > headerEnd);

  // Switched off (as a remote command does): nothing more.
  QSettings().setValue("LogFiles/TicTimeCfgLogSaveSats", 0);
  window.LoadTicLogOptions();
  QVERIFY(road.Feed(riduder::test::OncoreIdentificationReply()));
  QCOMPARE(ReadFileLines(config).filter("@@CjCOPYRIGHT").size(), 2);
  QVERIFY(window.CloseTicLogFiles(true));
}

RIDUDER_TEST_MAIN(TestTicLogWindow)
#include "tst_ticlogwindow.moc"
