#include "TestMain.h"

#include "ModalDialogs.h"
#include "RecordingMessageBoxes.h"
#include "app/GpsRawDataDialog.h"
#include "app/MainWindow.h"
#include "app/ProgramStart.h"
#include "help/HelpWindow.h"
#include "position/ReferenceLocationDialog.h"
#include "receiver/link/Checksums.h"
#include "receiver/link/GpsPortSettings.h"
#include "remote/TelnetLink.h"
#include "remote/TelnetTcpServer.h"
#include "tic/TicPortSettings.h"
#include "tools/simulator/CounterSimulator.h"
#include "tools/simulator/DemoSettings.h"
#include "tools/simulator/ReceiverSimulator.h"

#include <QActionGroup>
#include <QDir>
#include <QFileInfo>
#include <QSignalSpy>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QStatusBar>
#include <QTableWidget>
#include <QTcpServer>
#include <QTimer>
#include <QToolBar>

#include <array>
#include <memory>
#include <vector>

using riduder::sim::CounterProfile;
using riduder::sim::CounterSimulator;
using riduder::test::RecordingMessageBoxes;

namespace {

// Warnings about threads destroyed while running, caught from Qt's output.
QStringList threadWarnings;
QtMessageHandler previousHandler = nullptr;

void CatchThreadWarnings(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
  if (message.contains(QLatin1String("Destroyed while thread")))
    threadWarnings << message;
  if (previousHandler)
    previousHandler(type, context, message);
}

// How many descriptors of this process are open on the device.
int OpenDescriptorsOf(const QString &device)
{
  int count = 0;
  const QString target = QFileInfo(device).canonicalFilePath();
  for (const QFileInfo &fd : QDir(QStringLiteral("/proc/self/fd")).entryInfoList(QDir::System | QDir::NoDotAndDotDot))
    count += fd.symLinkTarget() == target ? 1 : 0;
  return count;
}

// A main window whose receiver search is scripted: each search attempt
// returns the next result (false when the script runs out).
class ScriptedDetectionWindow : public MainWindow {
public:
  QList<bool> results;
  bool revertResult = false;
  int closeDuringAttempt = 0;  // 1-based; 0 = never
  int attempts = 0;
  int reverts = 0;
  QStringList statusBeforeAttempt;

  bool InitializeGpsReceiver() override
  {
    ++attempts;
    statusBeforeAttempt << ReceiverStatusLabel()->text();
    State().setupInProgress = false;
    if (attempts == closeDuringAttempt)
      close();
    return attempts <= results.size() && results.at(attempts - 1);
  }
  bool RevertReceiverBaudRate() override
  {
    ++reverts;
    return revertResult;
  }
};

// A named child of the window (actions, widgets of the form).
template <class T> T *Child(QObject &window, const char *name)
{
  T *child = window.findChild<T *>(QLatin1String(name));
  if (!child)
    qWarning("no child named %s", name);
  return child;
}

QAction *Action(QObject &window, const char *name) { return Child<QAction>(window, name); }

// A receiver port that opens, on a simulated line that answers nothing: the
// start-up detection makes its attempts only on an open port.
struct OpenReceiverLine {
  OpenReceiverLine()
  {
    opened = line.open();
    QSettings settings;
    riduder::sim::WriteReceiverPortSettings(settings, line.slavePath(), QStringLiteral("Search"), 9600);
  }
  riduder::sim::ReceiverSimulator line;
  bool opened = false;
};

QList<bool> Pattern(const QString &text)
{
  QList<bool> list;
  for (QChar c : text)
    list << (c == QLatin1Char('T'));
  return list;
}

QStringList StatusBarLabelTexts(MainWindow &window)
{
  QStringList texts;
  // The labels shown; a notice that waits for its occasion is hidden.
  for (QLabel *label : window.statusBar()->findChildren<QLabel *>(QString(), Qt::FindDirectChildrenOnly))
    if (!label->isHidden())
      texts << (label->pixmap().isNull() ? label->text() : QStringLiteral("<pixmap>"));
  return texts;
}

}  // namespace

class TestMainWindow : public QObject {
  Q_OBJECT

private slots:
  void initTestCase()
  {
    previousHandler = qInstallMessageHandler(CatchThreadWarnings);
  }

  void init()
  {
    QSettings().clear();
    threadWarnings.clear();
  }

  void cleanup() { QCOMPARE(threadWarnings, QStringList()); }

  void freshStartShowsTheWholeWindow()
  {
    {
      MainWindow window;
      QCOMPARE(window.windowTitle(), QStringLiteral("Riduder"));
      QCOMPARE(QCoreApplication::organizationName(), QStringLiteral("ZIV Systems"));
      QCOMPARE(QCoreApplication::applicationName(), QStringLiteral("Riduder"));
      QCOMPARE(QCoreApplication::applicationVersion(), QStringLiteral("1.2.10"));

      QStringList menus;
      for (QAction *action : window.menuBar()->actions())
        menus << action->text();
      QCOMPARE(menus, (QStringList{"File", "Edit", "View", "Data", "Display", "Help"}));
      QStringList tools;
      for (QAction *action : Child<QToolBar>(window, "toolBar")->actions())
        tools << (action->isSeparator() ? QStringLiteral("|") : action->objectName());
      QCOMPARE(tools, (QStringList{"actionNew_GPS_Data_Log", "actionOpen_GPS_Data_Log",
                                   "actionClose_GPS_Data_Log", "|", "actionView_Satellite_Az_El_Chart",
                                   "|", "actionSet_PC_Clock", "actionSet_Timing_Parameters",
                                   "actionAveraging_Parameters", "actionSet_GPS_Receiver_Parameters", "|"}));
      QVERIFY(Child<QToolBar>(window, "toolBar")->isVisibleTo(&window));
      QVERIFY(!Action(window, "actionClose_GPS_Data_Log")->isEnabled());
      QVERIFY(!Action(window, "actionClose_TIC_Data_Log")->isEnabled());
      QCOMPARE(Action(window, "actionClose_GPS_Data_Log")->shortcut(), QKeySequence(QStringLiteral("Ctrl+C")));
      QVERIFY(Action(window, "actionCopy")->shortcut().isEmpty());
      QVERIFY(Action(window, "actionStatus_Bar")->associatedObjects().size() == 0);
      QVERIFY(Action(window, "actionAdvanced_GPS_Receiver_Commands_2")->associatedObjects().size() == 0);
      // The icons come from the compiled-in resources.
      QVERIFY(!Action(window, "actionHelp_Topics")->icon().pixmap(24, 24).isNull());
      QVERIFY(!window.windowIcon().isNull());

      QCOMPARE(StatusBarLabelTexts(window),
               (QStringList{"", "Nav Unknown", "Ant Unkown", "<pixmap>", "<pixmap>", "Initializing"}));
      QCOMPARE(window.statusBar()->currentMessage(), QStringLiteral("For Help, press F1"));

      QTableWidget *nav = Child<QTableWidget>(window, "GpsNavDataTableWidget");
      QCOMPARE(nav->rowCount(), 4);
      QCOMPARE(nav->columnCount(), 5);
      QStringList heads;
      for (int column = 1; column < 5; ++column)
        heads << nav->item(0, column)->text();
      QCOMPARE(heads, (QStringList{"Latitude", "Longitude", "Alt(GPS)", "Alt(MSL)"}));
      QStringList rows;
      for (int row = 1; row < 4; ++row)
        rows << nav->item(row, 0)->text();
      QCOMPARE(rows, (QStringList{"Cur:", "Avg:", "Ref:"}));

      QTableWidget *sats = Child<QTableWidget>(window, "SatsDataTableWidget");
      QCOMPARE(sats->rowCount(), 17);
      QCOMPARE(sats->columnCount(), 5);
      QStringList sortTexts;
      for (int column = 0; column < 4; ++column) {
        auto *button = qobject_cast<QPushButton *>(sats->cellWidget(0, column));
        QVERIFY(button);
        sortTexts << button->text();
        // Unsorted at first: no button shows the selected style.
        QVERIFY(button->styleSheet().contains(QLatin1String("background-color: transparent")));
      }
      QCOMPARE(sortTexts, (QStringList{"PRN", "El", "Azm", "C/No"}));
      QCOMPARE(sats->item(0, 4)->text(), QStringLiteral("  20  |  30  |  40  |  50"));
      for (int row = 1; row < 17; ++row) {
        auto *bar = qobject_cast<QProgressBar *>(sats->cellWidget(row, 4));
        QVERIFY(bar);
        QVERIFY(bar->isHidden());
        QCOMPARE(bar->minimum(), 15);
        QCOMPARE(bar->maximum(), 55);
        QVERIFY(sats->item(row, 0));
      }
      QVERIFY(Action(window, "actionUTC")->isChecked());
      QVERIFY(Action(window, "actiondegrees_dd_ddd")->isChecked());
      QVERIFY(Action(window, "actionSoundAll")->isChecked());
      QVERIFY(Action(window, "actionToolbar")->isChecked());

      QSettings settings;
      QCOMPARE(settings.value("MainWindow/ClockDisplay").toInt(), 0);
      QCOMPARE(settings.value("MainWindow/Navigation Data Format").toInt(), 0);
      QCOMPARE(settings.value("MainWindow/Toolbar Visible").toBool(), true);
      QCOMPARE(settings.value("MainWindow/Satellite Sort Mode").toInt(), 4);
      QCOMPARE(settings.value("MainWindow/Sound").toBool(), true);
      QCOMPARE(settings.value("MainWindow/Sound OOL").toBool(), true);
      QVERIFY(!settings.contains("MainWindow/geometry"));
      QVERIFY(!settings.contains("MainWindow/ToolbarVisible"));
    }
    QVERIFY(QSettings().contains("MainWindow/geometry"));
  }

  void menusAreSeparateExclusiveGroups()
  {
    MainWindow window;
    Action(window, "actiondegrees_minutes_dd_mm_mmm")->trigger();
    Action(window, "actionSoundNone")->trigger();
    Action(window, "actionGMST")->trigger();
    QVERIFY(Action(window, "actiondegrees_minutes_dd_mm_mmm")->isChecked());
    QVERIFY(!Action(window, "actiondegrees_dd_ddd")->isChecked());
    QVERIFY(Action(window, "actionSoundNone")->isChecked());
    QVERIFY(!Action(window, "actionSoundAll")->isChecked());
    QVERIFY(Action(window, "actionGMST")->isChecked());
    QVERIFY(!Action(window, "actionUTC")->isChecked());
    // The GMST entry stands for mode 3, LMST for 2.
    QCOMPARE(window.ClockDisplayModeSetting(), 3);
    Action(window, "actionLMST")->trigger();
    QCOMPARE(window.ClockDisplayModeSetting(), 2);
  }

  void settingsSurviveARestart()
  {
    QRect geometry;
    {
      MainWindow window;
      window.show();
      window.setGeometry(40, 50, 700, 460);
      geometry = window.geometry();
      Action(window, "actionMJD")->trigger();
      Action(window, "actiondegrees_minutes_seconds_dd_mm_ss_sss")->trigger();
      Action(window, "actionToolbar")->trigger();  // hides it
      qobject_cast<QPushButton *>(Child<QTableWidget>(window, "SatsDataTableWidget")->cellWidget(0, 3))->click();
      Action(window, "actionSoundOutOfLockOnly")->trigger();
      window.close();
    }
    // A stored reference location places both times for local sidereal time.
    QSettings().setValue("GpsNavDialog/RefLocation/Latitude", 51.5);
    QSettings().setValue("GpsNavDialog/RefLocation/Longitude", -2.25);
    MainWindow window;
    for (const GpsDateTime *time : {&window.State().displayCopy, &window.State().receiverTime}) {
      QCOMPARE(time->Latitude(), 51.5);
      QCOMPARE(time->Longitude(), -2.25);
    }
    QCOMPARE(window.findChild<ReferenceLocationDialog *>()->LatLonFormat(), 2);
    QCOMPARE(window.ClockDisplayModeSetting(), 4);
    QVERIFY(Action(window, "actionMJD")->isChecked());
    QCOMPARE(window.NavDataFormat(), 2);
    QVERIFY(Action(window, "actiondegrees_minutes_seconds_dd_mm_ss_sss")->isChecked());
    QVERIFY(!Action(window, "actionToolbar")->isChecked());
    window.show();
    QVERIFY(!Child<QToolBar>(window, "toolBar")->isVisible());
    QCOMPARE(window.SatelliteSortModeSetting(), 3);
    auto *cno = qobject_cast<QPushButton *>(Child<QTableWidget>(window, "SatsDataTableWidget")->cellWidget(0, 3));
    QVERIFY(cno->styleSheet().contains(QLatin1String("stop: 1 aqua);}QPushButton:pressed")));
    QVERIFY(!window.SoundOn());
    QVERIFY(window.SoundOutOfLockOn());
    QVERIFY(Action(window, "actionSoundOutOfLockOnly")->isChecked());
    QCOMPARE(window.geometry().size(), geometry.size());
    QCOMPARE(window.geometry().topLeft(), geometry.topLeft());
    QVERIFY(!QSettings().contains("MainWindow/ToolbarVisible"));
  }

  void sortButtonPressedTwiceReturnsToUnsorted()
  {
    MainWindow window;
    auto *sats = Child<QTableWidget>(window, "SatsDataTableWidget");
    auto *prn = qobject_cast<QPushButton *>(sats->cellWidget(0, 0));
    auto *el = qobject_cast<QPushButton *>(sats->cellWidget(0, 1));
    prn->click();
    QCOMPARE(window.SatelliteSortModeSetting(), 0);
    el->click();
    QCOMPARE(window.SatelliteSortModeSetting(), 1);
    QVERIFY(prn->styleSheet().contains(QLatin1String("transparent")));
    QVERIFY(!el->styleSheet().contains(QLatin1String("transparent")));
    el->click();
    QCOMPARE(window.SatelliteSortModeSetting(), 4);
    QCOMPARE(QSettings().value("MainWindow/Satellite Sort Mode").toInt(), 4);
  }

  void storedValuesOutOfRangeAreReplaced_data()
  {
    QTest::addColumn<QString>("key");
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<int>("expected");
    QTest::addColumn<bool>("rewritten");
    QTest::newRow("clock 7 kept") << "MainWindow/ClockDisplay" << QVariant(7) << 7 << false;
    QTest::newRow("clock 8") << "MainWindow/ClockDisplay" << QVariant(8) << 0 << true;
    QTest::newRow("clock 9") << "MainWindow/ClockDisplay" << QVariant(9) << 0 << true;
    QTest::newRow("clock -1") << "MainWindow/ClockDisplay" << QVariant(-1) << 0 << true;
    QTest::newRow("clock text") << "MainWindow/ClockDisplay" << QVariant("abc") << 0 << false;
    QTest::newRow("format 2 kept") << "MainWindow/Navigation Data Format" << QVariant(2) << 2 << false;
    QTest::newRow("format 3") << "MainWindow/Navigation Data Format" << QVariant(3) << 0 << true;
    QTest::newRow("format 9") << "MainWindow/Navigation Data Format" << QVariant(9) << 0 << true;
    QTest::newRow("sort 0 kept") << "MainWindow/Satellite Sort Mode" << QVariant(0) << 0 << false;
    QTest::newRow("sort 5") << "MainWindow/Satellite Sort Mode" << QVariant(5) << 4 << true;
    QTest::newRow("sort -2") << "MainWindow/Satellite Sort Mode" << QVariant(-2) << 4 << true;
  }

  void storedValuesOutOfRangeAreReplaced()
  {
    QFETCH(QString, key);
    QFETCH(QVariant, stored);
    QFETCH(int, expected);
    QFETCH(bool, rewritten);
    QSettings().setValue(key, stored);
    MainWindow window;
    int value = -100;
    QActionGroup *group = nullptr;
    if (key.endsWith(QLatin1String("ClockDisplay"))) {
      value = window.ClockDisplayModeSetting();
      group = Action(window, "actionUTC")->actionGroup();
    } else if (key.endsWith(QLatin1String("Format"))) {
      value = window.NavDataFormat();
      group = Action(window, "actiondegrees_dd_ddd")->actionGroup();
    } else {
      value = window.SatelliteSortModeSetting();
    }
    QCOMPARE(value, expected);
    const QVariant now = QSettings().value(key);
    if (rewritten)
      QCOMPARE(now.toInt(), expected);
    else
      QCOMPARE(now.toString(), stored.toString());
    if (group)
      QVERIFY(group->checkedAction());
  }

  void detection_data()
  {
    QTest::addColumn<QString>("results");
    QTest::addColumn<int>("rateChange");
    QTest::addColumn<bool>("revertResult");
    QTest::addColumn<int>("expectedAttempts");
    QTest::addColumn<int>("expectedReverts");
    QTest::addColumn<bool>("expectBox");
    QTest::newRow("found at once") << "T" << 0 << false << 1 << 0 << false;
    QTest::newRow("found at second") << "FT" << 0 << false << 2 << 0 << false;
    QTest::newRow("found at third") << "FFT" << 0 << false << 3 << 0 << false;
    QTest::newRow("never found") << "FFF" << 0 << false << 3 << 0 << true;
    QTest::newRow("rate change, reverted, found") << "FFFT" << 19200 << true << 4 << 1 << false;
    QTest::newRow("rate change, reverted, silent") << "FFFF" << 19200 << true << 4 << 1 << true;
    QTest::newRow("rate change, revert fails") << "FFFT" << 19200 << false << 3 << 1 << true;
    QTest::newRow("rate change, found at once") << "T" << 19200 << false << 1 << 0 << false;
  }

  void detection()
  {
    QFETCH(QString, results);
    QFETCH(int, rateChange);
    QFETCH(bool, revertResult);
    QFETCH(int, expectedAttempts);
    QFETCH(int, expectedReverts);
    QFETCH(bool, expectBox);

    OpenReceiverLine receiverLine;
    QVERIFY(receiverLine.opened);
    RecordingMessageBoxes boxes;
    ScriptedDetectionWindow window;
    window.SetMessageBoxes(&boxes);
    window.results = Pattern(results);
    window.revertResult = revertResult;
    window.Session().RateChangeNewBaud = rateChange;
    window.Session().RateChangeOldBaud = rateChange ? 9600 : 0;
    bool firmwareEnabledDuringSearch = true;
    boxes.onShow = [&](const MessageBoxRequest &) {
      firmwareEnabledDuringSearch = Action(window, "actionSend_new_firmware_to_GPS_Rx")->isEnabled();
    };

    window.ShowAndDetectReceiver();

    QCOMPARE(window.attempts, expectedAttempts);
    QCOMPARE(window.reverts, expectedReverts);
    QCOMPARE(window.statusBeforeAttempt.value(0), QStringLiteral("Initializing"));
    for (int attempt = 2; attempt <= qMin(3, expectedAttempts); ++attempt)
      QCOMPARE(window.statusBeforeAttempt.value(attempt - 1),
               QStringLiteral("GPS receiver not found - retrying (attempt %1 of 3)...").arg(attempt));
    QCOMPARE(window.Session().RateChangeNewBaud, 0);
    QCOMPARE(window.Session().RateChangeOldBaud, 0);
    QCOMPARE(boxes.shown.size(), expectBox ? 1 : 0);
    QCOMPARE(Action(window, "actionSend_new_firmware_to_GPS_Rx")->isEnabled(), expectBox);
    if (expectBox) {
      const MessageBoxRequest &box = boxes.shown.first();
      QCOMPARE(box.title, QStringLiteral("GPS Receiver not found"));
      QCOMPARE(box.text, QStringLiteral("Go to the menu and select Edit/Set GPS Receiver Interface. There "
                                        "you can select a different serial port, and/or select a different "
                                        "receiver type."));
      QCOMPARE(box.icon, QMessageBox::Warning);
      QCOMPARE(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
      QCOMPARE(box.parent, static_cast<QWidget *>(&window));
      // The action comes back together with the box.
      QVERIFY(firmwareEnabledDuringSearch);
    }
  }

  void closingDuringDetectionEndsItAndSkipsTheEventLoop_data()
  {
    QTest::addColumn<int>("closeDuring");
    QTest::newRow("first attempt") << 1;
    QTest::newRow("second attempt") << 2;
    QTest::newRow("third attempt") << 3;
  }

  void closingDuringDetectionEndsItAndSkipsTheEventLoop()
  {
    QFETCH(int, closeDuring);
    OpenReceiverLine receiverLine;
    QVERIFY(receiverLine.opened);
    RecordingMessageBoxes boxes;
    ScriptedDetectionWindow window;
    window.SetMessageBoxes(&boxes);
    window.closeDuringAttempt = closeDuring;
    window.Session().RateChangeNewBaud = 19200;

    bool loopRan = false;
    QTimer::singleShot(0, [&loopRan] {
      loopRan = true;
      QCoreApplication::quit();
    });
    const int result = RunMainWindow(window);

    QCOMPARE(result, 0);
    QVERIFY(!loopRan);
    QCOMPARE(window.attempts, closeDuring);
    QCOMPARE(window.reverts, 0);
    QVERIFY(boxes.shown.isEmpty());
    QVERIFY(!window.ReceiverPort().isRunning());
    for (int port = 1; port <= MainWindow::TicPortCount; ++port)
      QVERIFY(!window.TicPort(port).isRunning());
    QCoreApplication::processEvents();  // let the stray timer go
  }

  void closeStopsEveryPort()
  {
    MainWindow window;
    QVERIFY(window.ReceiverPort().isRunning());
    for (int port = 1; port <= MainWindow::TicPortCount; ++port) {
      QVERIFY(window.TicPort(port).isRunning());
      QCOMPARE(window.TicPort(port).PortNumber(), port);
    }
    window.show();
    Action(window, "actionGps_Raw_Data")->trigger();
    window.RawDataDialog()->ShowDialog();
    QVERIFY(window.close());
    QVERIFY(window.State().closing);
    QVERIFY(!window.ReceiverPort().isRunning());
    for (int port = 1; port <= MainWindow::TicPortCount; ++port)
      QVERIFY(!window.TicPort(port).isRunning());
    QVERIFY(!window.RawDataDialog()->isVisible());
  }

  // File > Exit closes the window as its close button does, and the
  // destructor leaves no thread running and no counter connection open.
  void exitWithoutCloseLeavesNoThreadRunning()
  {
    CounterSimulator counters53230(CounterProfile::Model53230A());
    CounterSimulator countersBnc(CounterProfile::ModelBnc1105());
    QVERIFY(counters53230.start());
    QVERIFY(countersBnc.start());
    std::vector<std::unique_ptr<riduder::sim::ReceiverSimulator>> lines;
    {
      QSettings s;
      for (int port = 1; port <= 4; ++port) {
        s.setValue(TicPortKey(port, ""), QStringLiteral("TCP/IP"));
        s.setValue(TicPortKey(port, " TcpIp Address"), port <= 2 ? counters53230.address() : countersBnc.address());
      }
      for (int port = 5; port <= 8; ++port) {
        lines.push_back(std::make_unique<riduder::sim::ReceiverSimulator>());
        QVERIFY(lines.back()->open());
        s.setValue(TicPortKey(port, ""), lines.back()->slavePath());
      }
    }

    auto *window = new MainWindow;
    QList<std::shared_ptr<QSignalSpy>> spies;
    for (int port = 1; port <= MainWindow::TicPortCount; ++port)
      spies << std::make_shared<QSignalSpy>(&window->TicPort(port), &TicSerialPortThread::newTicText);
    window->show();
    for (auto &line : lines)
      line->write("1.5E-9\r\n");
    for (int port = 1; port <= MainWindow::TicPortCount; ++port)
      QTRY_VERIFY2_WITH_TIMEOUT(!spies.at(port - 1)->isEmpty(), qPrintable(QString::number(port)), 8000);
    QCOMPARE(counters53230.connectionsOpen(), 2);
    QCOMPARE(countersBnc.connectionsOpen(), 2);
    for (int port = 5; port <= 8; ++port)
      QCOMPARE(OpenDescriptorsOf(lines.at(port - 5)->slavePath()), 2);  // the simulator's and the port's

    Action(*window, "actionExit")->trigger();
    QVERIFY(window->State().closing);
    QVERIFY(!window->isVisible());
    delete window;
    QVERIFY(QSettings().contains("MainWindow/geometry"));
    QTRY_COMPARE_WITH_TIMEOUT(counters53230.connectionsOpen(), 0, 3000);
    QTRY_COMPARE_WITH_TIMEOUT(countersBnc.connectionsOpen(), 0, 3000);
    for (auto &line : lines)
      QCOMPARE(OpenDescriptorsOf(line->slavePath()), 1);
  }

  // OK in the counter port dialog restarts all eight ports, so a counter
  // that dropped is identified and polled again; Cancel restarts none.
  void counterPortDialogOkRestartsEveryPort()
  {
    CounterSimulator counter(CounterProfile::Model53230A());
    QVERIFY(counter.start());
    {
      QSettings s;
      s.setValue(TicPortKey(2, ""), QStringLiteral("TCP/IP"));
      s.setValue(TicPortKey(2, " TcpIp Address"), counter.address());
    }
    RecordingMessageBoxes boxes;
    MainWindow window;
    window.SetMessageBoxes(&boxes);
    QSignalSpy readings(&window.TicPort(2), &TicSerialPortThread::newTicText);
    QTRY_VERIFY_WITH_TIMEOUT(!readings.isEmpty(), 5000);

    counter.dropConnections();
    QTRY_COMPARE_WITH_TIMEOUT(window.TicPort(2).TcpIpState(), QAbstractSocket::UnconnectedState, 3000);
    QTest::qWait(500);
    readings.clear();
    QTest::qWait(500);
    QVERIFY(readings.isEmpty());  // nothing reconnects on its own
    QCOMPARE(counter.connectionsAccepted(), 1);

    const std::array<void (MainWindow::*)(int), 8> starts{
        &MainWindow::startTicSerialPort1, &MainWindow::startTicSerialPort2, &MainWindow::startTicSerialPort3,
        &MainWindow::startTicSerialPort4, &MainWindow::startTicSerialPort5, &MainWindow::startTicSerialPort6,
        &MainWindow::startTicSerialPort7, &MainWindow::startTicSerialPort8};
    QList<std::shared_ptr<QSignalSpy>> startSpies;
    for (auto start : starts)
      startSpies << std::make_shared<QSignalSpy>(&window, start);

    riduder::test::AnswerNextModalDialog([](QDialog *dialog) {
      QCOMPARE(dialog->objectName(), QStringLiteral("TicPortDialog"));
      dialog->findChild<QPushButton *>(QStringLiteral("CANCEL"))->click();
    });
    Action(window, "actionSet_TIC_Interface")->trigger();
    for (const auto &spy : startSpies)
      QVERIFY(spy->isEmpty());

    counter.clearReceived();
    riduder::test::AnswerNextModalDialog([](QDialog *dialog) {
      // A refused address still lets OK save and restart.
      dialog->findChild<QLineEdit *>(QStringLiteral("TcpIpAddress"))->setText(QStringLiteral("counter"));
      dialog->findChild<QPushButton *>(QStringLiteral("OK"))->click();
    });
    Action(window, "actionSet_TIC_Interface")->trigger();
    for (int port = 1; port <= MainWindow::TicPortCount; ++port) {
      QCOMPARE(startSpies.at(port - 1)->size(), 1);
      QCOMPARE(startSpies.at(port - 1)->first().first().toInt(), port);
    }
    QTRY_VERIFY_WITH_TIMEOUT(!readings.isEmpty(), 5000);
    QCOMPARE(counter.connectionsAccepted(), 2);
    QCOMPARE(counter.receivedMessages().mid(0, 2),
             (QList<QByteArray>{"\r\n", "CONFigure:TINTerval (@1),(@2)\r\n"}));
    QCOMPARE(boxes.shown.size(), 1);
    QCOMPARE(boxes.shown.first().title, QStringLiteral("Illegal IP Address"));
  }

  void receiverPortOnAPseudoTerminal()
  {
    riduder::sim::ReceiverSimulator simulator;
    QString error;
    QVERIFY2(simulator.open(&error), qPrintable(error));
    {
      QSettings settings;
      settings.setValue(GpsPortKeys::PortName, simulator.slavePath());
      settings.setValue(GpsPortKeys::Mode, QStringLiteral("Generic NMEA"));
      settings.setValue(GpsPortKeys::PpsInterface, 0);
      settings.setValue(GpsPortKeys::DataRate, 9600);
    }
    RecordingMessageBoxes boxes;
    ScriptedDetectionWindow window;
    window.SetMessageBoxes(&boxes);
    window.results = {true};
    QVERIFY(window.ReceiverPort().IsOpen());
    QCOMPARE(window.ReceiverPort().PortName(), simulator.slavePath());
    QCOMPARE(window.PpsSignalChoice(), 0);

    window.ShowAndDetectReceiver();
    QVERIFY(boxes.shown.isEmpty());
    Action(window, "actionGps_Raw_Data")->trigger();
    window.RawDataDialog()->ShowDialog();
    auto *text = window.RawDataDialog()->findChild<QPlainTextEdit *>(QStringLiteral("PlainTextEdit"));
    QVERIFY(text);

    QByteArray zda = "$GPZDA,120000.00,01,02,2024,00,00";
    QVERIFY(AppendNmeaChecksum(zda));
    simulator.write(zda + "\r\n");
    QTRY_VERIFY_WITH_TIMEOUT(text->toPlainText().contains(QLatin1String("$GPZDA,120000.00")), 3000);

    window.SendGpsRxCommand("$PGRMO,,2");
    QTRY_VERIFY_WITH_TIMEOUT(simulator.received().contains("$PGRMO,,2*"), 3000);
    QTRY_VERIFY_WITH_TIMEOUT(text->toPlainText().contains(QLatin1String("<- $PGRMO,,2*")), 3000);

    QVERIFY(window.close());
    QVERIFY(!window.ReceiverPort().isRunning());
    QVERIFY(!window.ReceiverPort().IsOpen());
  }

  // Counter port errors reach a box: those from before the window is up
  // once it is, over the window and without waiting for an answer (the
  // same text once); later ones at once.
  void counterPortErrorsReachABox()
  {
    RecordingMessageBoxes boxes;
    MainWindow window;
    window.SetMessageBoxes(&boxes);
    emit window.TicPort(3).showErrorMessageBox(QStringLiteral("Can't open TIC Port 3..."));
    emit window.TicPort(3).showErrorMessageBox(QStringLiteral("Can't open TIC Port 3..."));
    QVERIFY(boxes.shown.isEmpty());
    QVERIFY(boxes.posted.isEmpty());

    window.ShowAndDetectReceiver();  // the receiver port is off: its own box comes at once
    QCOMPARE(boxes.posted.size(), 1);
    QCOMPARE(boxes.posted.first().text, QStringLiteral("Can't open TIC Port 3..."));
    QCOMPARE(boxes.posted.first().icon, QMessageBox::Warning);
    QVERIFY(boxes.posted.first().title.isEmpty());
    QCOMPARE(boxes.posted.first().parent, static_cast<QWidget *>(&window));

    boxes.shown.clear();
    emit window.TicPort(3).showErrorMessageBox(QStringLiteral("Can't open TIC Port 3 again"));
    QCOMPARE(boxes.shown.size(), 1);
    QCOMPARE(boxes.shown.first().text, QStringLiteral("Can't open TIC Port 3 again"));
    QCOMPARE(boxes.shown.first().icon, QMessageBox::Warning);
    QVERIFY(boxes.shown.first().title.isEmpty());
    QVERIFY(!boxes.shown.first().parent);
    // The receiver port's own errors reach no box.
    emit window.ReceiverPort().showErrorMessageBox(QStringLiteral("receiver"));
    QCOMPARE(boxes.shown.size(), 1);
    QCOMPARE(boxes.posted.size(), 1);
  }

  void statusTipGivesWayToHelpHint()
  {
    MainWindow window;
    window.statusBar()->showMessage(QStringLiteral("Show UTC time"));
    QCOMPARE(window.statusBar()->currentMessage(), QStringLiteral("Show UTC time"));
    window.statusBar()->clearMessage();
    QCOMPARE(window.statusBar()->currentMessage(), QStringLiteral("For Help, press F1"));
  }

  void helpWindowIsMadeOnce()
  {
    MainWindow window;
    QVERIFY(!window.Help());
    Action(window, "actionHelp_Topics")->trigger();
    HelpWindow *help = window.Help();
    QVERIFY(help);
    QCOMPARE(help->parent(), &window);
    QVERIFY(help->isVisible());
    window.actionHelp_Topics_triggered();
    QCOMPARE(window.Help(), help);
  }

  void remoteLinkKeepsOneServer()
  {
    auto freePort = [] {
      QTcpServer probe;
      probe.listen(QHostAddress::LocalHost, 0);
      return probe.serverPort();
    };
    auto answer = [](bool serving, quint16 port) {
      riduder::test::AnswerNextModalDialog([serving, port](QDialog *dialog) {
        auto *link = qobject_cast<TelnetLink *>(dialog);
        QVERIFY(link);
        link->SetSettings({serving, port});
        dialog->accept();
      });
    };

    MainWindow window;
    int commands = 0;
    const quint16 first = freePort();
    answer(true, first);
    window.TelnetLinkInterface();
    TelnetTcpServer *server = window.RemoteServer();
    QVERIFY(server);
    QVERIFY(server->IsListening());
    QCOMPARE(server->Port(), first);

    const quint16 second = freePort();
    answer(true, second);
    window.TelnetLinkInterface();
    QCOMPARE(window.RemoteServer(), server);
    QCOMPARE(server->Port(), second);
    // One connection only: a command is delivered once.
    connect(server, &TelnetTcpServer::sendTelnetCommand, &window, [&commands] { ++commands; });
    emit server->sendTelnetCommand("$DAREZ,VERSION");
    QCOMPARE(commands, 1);

    riduder::test::AnswerNextModalDialog([](QDialog *dialog) { dialog->reject(); });
    window.TelnetLinkInterface();
    QCOMPARE(window.RemoteServer(), server);

    answer(false, second);
    window.TelnetLinkInterface();
    QVERIFY(!window.RemoteServer());

    // Shut-down stops and deletes a running server: its port is free again.
    const quint16 third = freePort();
    QPointer<TelnetTcpServer> running;
    {
      MainWindow other;
      answer(true, third);
      other.TelnetLinkInterface();
      running = other.RemoteServer();
      QVERIFY(running && running->IsListening());
    }
    QVERIFY(running.isNull());
    QTcpServer again;
    QVERIFY(again.listen(QHostAddress::Any, third));
  }
};

RIDUDER_TEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
