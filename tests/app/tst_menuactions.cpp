#include "TestMain.h"

#include "OncoreMessageBuilder.h"
#include "RecordingMessageBoxes.h"
#include "ScriptedReceivers.h"
#include "WindowOnSimulator.h"
#include "app/MainWindow.h"
#include "core/GpsMode.h"
#include "core/ProgramState.h"
#include "core/ReceiverIdentity.h"
#include "position/GpsNavDialog.h"
#include "receiver/link/Checksums.h"
#include "receiver/link/GpsPortSettings.h"
#include "receiver/GpsRxIdDialog.h"
#include "receiver/dialogs/ManualCommandDialog.h"
#include "receiver/dialogs/TimingDialog.h"
#include "tools/simulator/ReceiverSimulator.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTimer>

#include <functional>
#include <memory>

using riduder::sim::MatchKind;
using riduder::sim::ReceiverSimulator;
using riduder::sim::ScriptRule;
using riduder::test::RecordingMessageBoxes;

namespace {

// A main window whose receiver search is a stand-in: each search attempt
// returns the next scripted result (false when the script runs out).
class MenuWindow : public MainWindow {
public:
  QList<bool> searchResults;
  int searches = 0;
  int reverts = 0;
  QList<int> rateChangeAtRevert;  // new, old

  bool InitializeGpsReceiver() override
  {
    ++searches;
    State().setupInProgress = false;
    return searches <= searchResults.size() && searchResults.at(searches - 1);
  }
  bool RevertReceiverBaudRate() override
  {
    ++reverts;
    rateChangeAtRevert << Session().RateChangeNewBaud << Session().RateChangeOldBaud;
    return false;
  }
};

// Watches for modal dialogs while it lives: records each one's class and
// answers it (reject unless told otherwise).
class ModalWatcher {
public:
  explicit ModalWatcher(std::function<void(QDialog *)> answer = {}) : answer(std::move(answer))
  {
    timer.setInterval(5);
    QObject::connect(&timer, &QTimer::timeout, [this] {
      auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
      if (!dialog || dialog == lastAnswered)
        return;
      lastAnswered = dialog;
      seen << QString::fromLatin1(dialog->metaObject()->className());
      if (this->answer)
        this->answer(dialog);
      else
        dialog->reject();
      lastAnswered = nullptr;
    });
    timer.start();
  }

  QStringList seen;

private:
  std::function<void(QDialog *)> answer;
  QDialog *lastAnswered = nullptr;
  QTimer timer;
};

QByteArray Oncore(QByteArray message)
{
  AppendOncoreChecksum(message);
  return message + "\r\n";
}

QByteArray Ubx(QByteArray frame)
{
  AppendUbxChecksum(frame);
  return frame + "\r\n";
}

QByteArray Nmea(QByteArray sentence)
{
  AppendNmeaChecksum(sentence);
  return sentence + "\r\n";
}

QByteArray Wb(quint8 high, quint8 low)
{
  QByteArray message("@@Wb");
  message.append(char(high));
  message.append(char(low));
  return message;
}

template <class T> T *Child(QObject &parent, const QString &name)
{
  T *child = parent.findChild<T *>(name);
  if (!child)
    qWarning("no child named %s", qPrintable(name));
  return child;
}

QAction *Action(MainWindow &window, const QString &name) { return Child<QAction>(window, name); }

// A receiver on a pseudo-terminal and a window whose port settings name it.
struct Bench {
  ReceiverSimulator simulator;
  RecordingMessageBoxes boxes;
  std::unique_ptr<MenuWindow> window;

  bool Open(const QString &mode, int rate, int receiverRate = 0)
  {
    QString error;
    if (!simulator.open(&error)) {
      qWarning("%s", qPrintable(error));
      return false;
    }
    simulator.setReceiverRate(receiverRate);
    QSettings settings;
    settings.setValue(GpsPortKeys::PortName, simulator.slavePath());
    settings.setValue(GpsPortKeys::Mode, mode);
    settings.setValue(GpsPortKeys::DataRate, rate);
    settings.setValue(GpsPortKeys::PpsInterface, 0);
    window = std::make_unique<MenuWindow>();
    window->SetMessageBoxes(&boxes);
    // A 2.5 s reply-wait step takes 50 ms: ample for the simulator's replies.
    window->Timing().SetScale(0.02);
    return window->ReceiverPort().IsOpen();
  }
};

// Picks the port dialog's mode, rate and 1PPS line, then OK.
std::function<void(QDialog *)> ChoosePortSettings(const QString &mode, int rate, int pps = -1)
{
  return [=](QDialog *dialog) {
    if (dialog->objectName() != QLatin1String("GpsPortDialog")) {
      dialog->reject();
      return;
    }
    auto *modes = Child<QComboBox>(*dialog, "GpsModeList");
    if (modes->currentText() != mode)
      modes->setCurrentIndex(modes->findText(mode));
    const QString rateButton = rate == 115000 ? QStringLiteral("BAUD_115K") : QStringLiteral("BAUD_%1").arg(rate);
    Child<QRadioButton>(*dialog, rateButton)->click();
    if (pps >= 0) {
      const char *const ppsButtons[] = {"PPS_NONE", "PPS_DCD", "PPS_CTS", "PPS_DSR"};
      Child<QRadioButton>(*dialog, ppsButtons[pps])->click();
    }
    Child<QPushButton>(*dialog, "OK")->click();
  };
}

struct MenuRow {
  QString action;
  int mode = 2;
  int model = 25;
  int channels = 12;
  int answer = QMessageBox::Ok;
  QString modal;
  QStringList windows;
  QStringList keys;
  QVariantList values;
  QByteArray sent;
  int boxes = 0;
};

}  // namespace

Q_DECLARE_METATYPE(MenuRow)

class TestMenuActions : public QObject {
  Q_OBJECT

  std::unique_ptr<Bench> tableBench;

private slots:
  void cleanupTestCase()
  {
    if (tableBench)
      QVERIFY(tableBench->window->close());
    tableBench.reset();
  }

  void init()
  {
    QSettings().clear();
    ResetProgramWideState();
  }

  void eachAction_data();
  void eachAction();
  void selfTestAndSurveyBoxes();
  void settingsDialogsFollowTheMode_data();
  void settingsDialogsFollowTheMode();
  void receiverModeDialogSetsTheModeInForce_data();
  void receiverModeDialogSetsTheModeInForce();
  void timingValuesFollowTheDialog();
  void referenceLocationFromAverageAndCurrent();
  void manualCommandWindowIsMadeOnceAndSends();
  void interfaceChange_data();
  void interfaceChange();
  void interfaceChangeCancelledChangesNothing();
  void interfaceChangeFindsTheReceiverAgain_data();
  void interfaceChangeFindsTheReceiverAgain();
  void interfaceChangeSendsASilentReceiverBack();
};

void TestMenuActions::eachAction_data()
{
  QTest::addColumn<MenuRow>("row");
  auto add = [](const char *name, MenuRow row) { QTest::newRow(name) << row; };
  auto setting = [](const char *action, const char *key, QVariant value) {
    MenuRow row;
    row.action = action;
    row.keys = QStringList{key};
    row.values = QVariantList{value};
    return row;
  };
  const char *clockActions[] = {"actionUTC", "actionPC", "actionLMST", "actionGMST",
                                "actionMJD", "actionPC_U", "actionTIC", "actionTIC_Raw"};
  for (int mode = 0; mode < 8; ++mode)
    QTest::newRow(clockActions[mode]) << setting(clockActions[mode], "MainWindow/ClockDisplay", mode);
  add("dd.ddd", setting("actiondegrees_dd_ddd", "MainWindow/Navigation Data Format", 0));
  add("dd mm.mmm", setting("actiondegrees_minutes_dd_mm_mmm", "MainWindow/Navigation Data Format", 1));
  add("dd mm ss.sss", setting("actiondegrees_minutes_seconds_dd_mm_ss_sss", "MainWindow/Navigation Data Format", 2));
  const std::tuple<const char *, bool, bool> sounds[] = {{"actionSoundAll", true, true},
                                                         {"actionSoundOutOfLockOnly", false, true},
                                                         {"actionSoundClockTicksOnly", true, false},
                                                         {"actionSoundNone", false, false}};
  for (const auto &[action, ticks, warning] : sounds) {
    MenuRow row;
    row.action = action;
    row.keys = QStringList{"MainWindow/Sound", "MainWindow/Sound OOL"};
    row.values = QVariantList{ticks, warning};
    QTest::newRow(action) << row;
  }
  add("toolbar", setting("actionToolbar", "MainWindow/Toolbar Visible", false));

  auto window = [](const char *action, QStringList windows) {
    MenuRow row;
    row.action = action;
    row.windows = windows;
    return row;
  };
  add("raw data", window("actionGps_Raw_Data", {"GpsRawDataDialog"}));
  add("receiver ID", window("actionReceiver_ID_Message", {"GpsRxIdDialog"}));
  add("both", window("actionGps_Data_Both", {"GpsRawDataDialog", "GpsRxIdDialog"}));
  add("TIC raw", window("actionTic_Raw_Data", {"TicRawDataDialog"}));
  add("TIC processed", window("actionTic_Processed_Data", {"TicProcessedDataDialog"}));
  add("sky chart", window("actionView_Satellite_Az_El_Chart", {"SatAzElChartDialog"}));
  add("manual commands", window("actionManual_GPS_Receiver_Commands", {"ManualCommandDialog"}));

  auto modal = [](const char *action, const char *dialog) {
    MenuRow row;
    row.action = action;
    row.modal = dialog;
    return row;
  };
  add("receiver interface", modal("actionSet_GPS_Receiver_Interface", "GpsPortDialog"));
  add("TIC interface", modal("actionSet_TIC_Interface", "TicPortDialog"));
  add("PC clock", modal("actionSet_PC_Clock", "SetPcClockDialog"));
  add("timing", modal("actionSet_Timing_Parameters", "TimingDialog"));
  add("averaging", modal("actionAveraging_Parameters", "GpsNavDialog"));
  add("receiver parameters", modal("actionSet_GPS_Receiver_Parameters", "GpsRxDialog"));
  add("satellite select", modal("actionManual_Satellite_Select", "SatelliteSelect"));
  add("manual reference", modal("actionManual_Entry", "ReferenceLocationDialog"));

  auto command = [](const char *action, int mode, int model, int channels, int answer, QByteArray sent) {
    MenuRow row;
    row.action = action;
    row.mode = mode;
    row.model = model;
    row.channels = channels;
    row.answer = answer;
    row.sent = sent;
    row.boxes = 1;
    return row;
  };
  const int ok = QMessageBox::Ok, cancel = QMessageBox::Cancel;
  const char *test = "actionInitiate_GPS_Receiver_Self_Test";
  const char *survey = "actionInitiate_GPS_Receiver_Self_Survey";
  add("self test M12", command(test, 2, 3, 12, ok, Oncore("@@Ia")));
  add("self test SSR-M8T", command(test, 2, 25, 12, ok, Oncore("@@Ia")));
  add("self test VP", command(test, 2, 10, 8, ok, Oncore("@@Fa")));
  add("self test cancelled", command(test, 2, 3, 12, cancel, {}));
  add("self test receive only", command(test, 3, 3, 12, ok, {}));
  add("self test u-blox", command(test, 9, 20, 12, ok, {}));
  add("self survey 8 channels", command(survey, 2, 10, 8, ok, Oncore(QByteArray("@@At\x02", 5))));
  add("self survey 12 channels", command(survey, 2, 3, 12, ok, Oncore(QByteArray("@@Gd\x03", 5))));
  add("self survey cancelled", command(survey, 2, 3, 12, cancel, {}));
  const QByteArray tmode = QByteArray::fromHex("1c0001") + QByteArray(15, '\0') +
                           QByteArray::fromHex("a00f000090130000d0070000");
  add("self survey u-blox", command(survey, 10, 20, 12, ok,
                                    Ubx(QByteArray::fromHex("b56206010300") + QByteArray::fromHex("0d0401")) +
                                        Ubx(QByteArray::fromHex("b562061d") + tmode) +
                                        Ubx(QByteArray::fromHex("b562063d") + tmode)));
  add("self survey generic NMEA", command(survey, 6, 15, 12, ok, {}));

  for (const char *action : {"actionCopy", "actionDisable", "actionSNTP_Server_RFC_2030",
                             "actionUDP_IP_Server_RFC_868", "actionSend_new_firmware_to_GPS_Rx"}) {
    MenuRow row;
    row.action = action;
    QTest::newRow(action) << row;
  }
}

void TestMenuActions::eachAction()
{
  QFETCH(MenuRow, row);
  // One window for the whole table: each row leaves no window open.
  if (!tableBench) {
    tableBench = std::make_unique<Bench>();
    QVERIFY(tableBench->Open(QStringLiteral("Motorola Binary"), 9600));
  }
  Bench &bench = *tableBench;
  MenuWindow &window = *bench.window;
  bench.boxes.shown.clear();
  bench.simulator.clearReceived();
  window.SetGpsMode(quint32(row.mode));
  receiverIdentity.model = row.model;
  receiverIdentity.channels = row.channels;
  bench.boxes.answer = QMessageBox::StandardButton(row.answer);
  auto *clock = Child<QLabel>(window, "ClockDisplay");
  clock->setText(QStringLiteral("12:00:00"));
  const QByteArray receivedBefore = bench.simulator.received();

  ModalWatcher modals;
  Action(window, row.action)->trigger();

  QCOMPARE(modals.seen, row.modal.isEmpty() ? QStringList() : QStringList{row.modal});
  QStringList visible;
  for (QDialog *dialog : window.findChildren<QDialog *>())
    if (dialog->isVisible())
      visible << QString::fromLatin1(dialog->metaObject()->className());
  visible.sort();
  QCOMPARE(visible, row.windows);
  QSettings settings;
  for (int i = 0; i < row.keys.size(); ++i)
    QCOMPARE(settings.value(row.keys.at(i)).toString(), row.values.at(i).toString());
  if (row.keys.value(0) == QLatin1String("MainWindow/ClockDisplay")) {
    QCOMPARE(window.ClockDisplayModeSetting(), row.values.at(0).toInt());
    QVERIFY(clock->text().isEmpty());  // the next redraw fills it
  }
  if (row.windows.contains(QLatin1String("GpsRawDataDialog")))
    QVERIFY(window.State().rawDataWindowOpened);
  QCOMPARE(bench.boxes.shown.size(), row.boxes);

  if (row.sent.isEmpty())
    QTest::qWait(30);
  else
    QTRY_COMPARE_WITH_TIMEOUT(bench.simulator.received().size(), receivedBefore.size() + row.sent.size(), 3000);
  QCOMPARE(bench.simulator.received().mid(receivedBefore.size()).toHex(' '), row.sent.toHex(' '));
  for (QDialog *dialog : window.findChildren<QDialog *>())
    dialog->hide();
}

void TestMenuActions::selfTestAndSurveyBoxes()
{
  Bench bench;
  QVERIFY(bench.Open(QStringLiteral("Motorola Binary"), 9600));
  MenuWindow &window = *bench.window;
  bench.boxes.answer = QMessageBox::Cancel;
  const auto box = [&](const char *action, quint32 mode) {
    window.SetGpsMode(mode);
    Action(window, action)->trigger();
    return bench.boxes.shown.last();
  };
  const QMessageBox::StandardButtons okCancel = QMessageBox::Ok | QMessageBox::Cancel;

  MessageBoxRequest test = box("actionInitiate_GPS_Receiver_Self_Test", 2);
  QCOMPARE(test.text, QStringLiteral("<b>GPS Receiver Self Test</b>"));
  QCOMPARE(test.buttons, okCancel);
  QCOMPARE(test.defaultButton, QMessageBox::Cancel);
  QCOMPARE(test.parent, static_cast<QWidget *>(&window));
  QCOMPARE(test.informativeText,
           QStringLiteral("Self Test will disable the GPS receiver for about 10 seconds.\r\n"
                          "When the self-test is complete, the acquisition process starts all \r\n"
                          "over as if the receiver were first powered on. The date, time, position \r\n"
                          "and ephemeris information is all retained.\r\n\r\n"
                          "Use \"View/View GPS Receiver ID Message\" to view the results.\r\n\r\n"
                          "Do you really want to do this?"));
  test = box("actionInitiate_GPS_Receiver_Self_Test", 10);
  QCOMPARE(test.buttons, QMessageBox::StandardButtons(QMessageBox::Cancel));
  QCOMPARE(test.informativeText, QStringLiteral("Self Test is not supported on u-blox based receivers."));
  test = box("actionInitiate_GPS_Receiver_Self_Test", 3);
  QCOMPARE(test.buttons, okCancel);
  QVERIFY(test.informativeText.isEmpty());

  const MessageBoxRequest binary = box("actionInitiate_GPS_Receiver_Self_Survey", 2);
  QCOMPARE(binary.text, QStringLiteral("<b>GPS Receiver Self Survey</b>"));
  QCOMPARE(binary.buttons, okCancel);
  QCOMPARE(binary.defaultButton, QMessageBox::Cancel);
  QVERIFY(binary.informativeText.startsWith(
      QStringLiteral("NOTICE: The GPS Receiver internal Self Survey mode is independent of this program's "
                     "software self-survey. To save the self survey results, wait for the survey to "
                     "complete, then save the current position to the reference position. \r\n\r\nWARNING:")));
  QVERIFY(binary.informativeText.contains(QStringLiteral("It activates 3D navigation mode and activates TRAIM. ")));
  QVERIFY(binary.informativeText.contains(
      QStringLiteral("will average a total of 10,000 2D and 3D position fixes to achieve a horizontal "
                     "position accuracy of <10m 95%.")));
  QVERIFY(binary.informativeText.endsWith(
      QStringLiteral("enter the position-hold mode. \r\nDo you really want to do this?")));
  const MessageBoxRequest ublox = box("actionInitiate_GPS_Receiver_Self_Survey", 9);
  QString expected = binary.informativeText;
  expected.remove(QStringLiteral("It activates 3D navigation mode and activates TRAIM. "));
  expected.replace(QStringLiteral("will average a total of 10,000 2D and 3D position fixes to achieve"),
                   QStringLiteral("will achieve"));
  QCOMPARE(ublox.informativeText, expected);
  QVERIFY(ublox.informativeText.contains(QStringLiteral("Auto Survey mode will achieve a horizontal position accuracy")));
  const MessageBoxRequest other = box("actionInitiate_GPS_Receiver_Self_Survey", 1);
  QCOMPARE(other.buttons, okCancel);
  QVERIFY(other.informativeText.isEmpty());
  QVERIFY(window.close());
}

void TestMenuActions::settingsDialogsFollowTheMode_data()
{
  QTest::addColumn<QString>("action");
  QTest::addColumn<int>("mode");
  QTest::addColumn<bool>("accept");
  QTest::addColumn<int>("searches");
  const char *timing = "actionSet_Timing_Parameters";
  const char *receiver = "actionSet_GPS_Receiver_Parameters";
  QTest::newRow("timing, LORAN") << timing << 0 << true << 1;
  QTest::newRow("timing, Motorola NMEA") << timing << 1 << true << 1;
  QTest::newRow("timing, receive only") << timing << 3 << true << 0;
  QTest::newRow("timing, generic NMEA") << timing << 6 << true << 0;
  QTest::newRow("timing, search") << timing << 11 << true << 0;
  QTest::newRow("timing, cancelled") << timing << 0 << false << 0;
  QTest::newRow("receiver, LORAN") << receiver << 0 << true << 1;
  QTest::newRow("receiver, receive only") << receiver << 3 << true << 1;
  QTest::newRow("receiver, generic NMEA") << receiver << 6 << true << 1;
  QTest::newRow("receiver, search") << receiver << 11 << true << 1;
  QTest::newRow("receiver, Motorola NMEA") << receiver << 1 << true << 0;
  QTest::newRow("receiver, cancelled") << receiver << 6 << false << 0;
}

void TestMenuActions::settingsDialogsFollowTheMode()
{
  QFETCH(QString, action);
  QFETCH(int, mode);
  QFETCH(bool, accept);
  QFETCH(int, searches);
  Bench bench;
  QVERIFY(bench.Open(QStringLiteral("Generic NMEA"), 4800));
  MenuWindow &window = *bench.window;
  window.SetGpsMode(quint32(mode));
  auto *timing = window.findChild<TimingDialog *>();
  QVERIFY(timing);
  {
    ModalWatcher modals([&](QDialog *dialog) {
      timing->sawtoothChanged = true;  // as an OK that changed the sawtooth mode leaves it
      if (accept)
        dialog->accept();
      else
        dialog->reject();
    });
    Action(window, action)->trigger();
    QCOMPARE(modals.seen.size(), 1);
  }
  QCOMPARE(window.searches, searches);
  if (action == QLatin1String("actionSet_Timing_Parameters"))
    QCOMPARE(timing->sawtoothChanged, !accept);  // taken over by the counters
  for (int port = 1; port <= MainWindow::TicPortCount; ++port)
    QVERIFY(window.TicStale(port));
  QVERIFY(window.close());
}

void TestMenuActions::receiverModeDialogSetsTheModeInForce_data()
{
  QTest::addColumn<bool>("accept");
  QTest::newRow("OK") << true;
  QTest::newRow("Cancel") << false;
}

// The mode dialog edits a copy; what it leaves when it closes is the mode in
// force, and a change made for the session alone (local time, here) gives
// way to the stored choice.
void TestMenuActions::receiverModeDialogSetsTheModeInForce()
{
  QFETCH(bool, accept);
  Bench bench;
  QVERIFY(bench.Open(QStringLiteral("Generic NMEA"), 4800));
  MenuWindow &window = *bench.window;
  ReceiverModeSettings inForce = window.ReceiverMode();
  QCOMPARE(inForce.gpsNavMode, 0);
  inForce.rxOnLocalTime = true;
  window.SetReceiverMode(inForce);
  {
    ModalWatcher modals([&](QDialog *dialog) {
      dialog->findChild<QRadioButton *>(QStringLiteral("IDC_GPS_MODE_2D_RADIO"))->click();
      QVERIFY(!dialog->findChild<QAbstractButton *>(QStringLiteral("IDC_GPS_MODE_LOCAL_TIME"))->isChecked());
      dialog->findChild<QPushButton *>(QLatin1String(accept ? "OK" : "CANCEL"))->click();
    });
    Action(window, QStringLiteral("actionSet_GPS_Receiver_Parameters"))->trigger();
    QCOMPARE(modals.seen.size(), 1);
  }
  QCOMPARE(window.ReceiverMode().gpsNavMode, accept ? 1 : 0);
  QCOMPARE(QSettings().value(QStringLiteral("GpsRxDialog/Gps Mode")).toInt(), accept ? 1 : 0);
  QVERIFY(!window.ReceiverMode().rxOnLocalTime);
  QVERIFY(window.close());
}

// The window's timing values follow the dialog however it closes: OK hands
// over the edit, Cancel the stored values it puts back.
void TestMenuActions::timingValuesFollowTheDialog()
{
  Bench bench;
  QVERIFY(bench.Open(QStringLiteral("Generic NMEA"), 4800));
  MenuWindow &window = *bench.window;
  QCOMPARE(window.TimingValues().traimLimit, 500.0);
  {
    ModalWatcher modals([](QDialog *dialog) {
      dialog->findChild<QLineEdit *>("IDC_TIMING_RAIM")->setText("300");
      dialog->findChild<QLineEdit *>("IDC_TIMING_RCVR_DELAY")->setText("60");
      dialog->findChild<QPushButton *>("OK")->click();
    });
    Action(window, "actionSet_Timing_Parameters")->trigger();
    QCOMPARE(modals.seen, QStringList{"TimingDialog"});
  }
  QCOMPARE(window.TimingValues().traimLimit, 300.0);
  QCOMPARE(window.TimingValues().totalDelay, 60.0);

  QSettings().setValue("TimingDialog/T-Raim", 750.0);  // changed behind the window's back
  {
    ModalWatcher modals([](QDialog *dialog) {
      dialog->findChild<QLineEdit *>("IDC_TIMING_RAIM")->setText("250");
      dialog->findChild<QPushButton *>("CANCEL")->click();
    });
    Action(window, "actionSet_Timing_Parameters")->trigger();
    QCOMPARE(modals.seen, QStringList{"TimingDialog"});
  }
  QCOMPARE(window.TimingValues().traimLimit, 750.0);
  QCOMPARE(window.TimingValues().totalDelay, 60.0);
  QVERIFY(window.close());
}

void TestMenuActions::referenceLocationFromAverageAndCurrent()
{
  Bench bench;
  QVERIFY(bench.Open(QStringLiteral("Generic NMEA"), 4800));
  MenuWindow &window = *bench.window;
  auto *nav = window.findChild<GpsNavDialog *>();
  QVERIFY(nav);
  // Both actions take a place only from 3-D fixes averaged while locked.
  nav->SetSatsTracked(8);
  nav->SetNavMode(3);
  QCOMPARE(nav->LockStatusText(0, window.State().receiverTime), 1);
  nav->UpdateAverages(52.0, 4.0, 40.0, 0.0, 0);
  nav->Average(0);
  nav->UpdateAverages(52.2, 4.4, 60.0, 20.0, 0);
  nav->Average(0);
  double current[4], average[4], reference[4];
  nav->GetCurrentFix(&current[0], &current[1], &current[2], &current[3]);
  nav->GetAverages(&average[0], &average[1], &average[2], &average[3]);
  QVERIFY(current[0] != average[0]);

  Action(window, "actionfrom_Current")->trigger();
  nav->GetReferenceLocation(&reference[0], &reference[1], &reference[2], &reference[3]);
  for (int i = 0; i < 4; ++i)
    QCOMPARE(reference[i], current[i]);
  QCOMPARE(window.State().receiverTime.Latitude(), current[0]);
  QCOMPARE(window.State().displayCopy.Longitude(), current[1]);

  Action(window, "actionfrom_Average")->trigger();
  nav->GetReferenceLocation(&reference[0], &reference[1], &reference[2], &reference[3]);
  for (int i = 0; i < 4; ++i)
    QCOMPARE(reference[i], average[i]);
  QCOMPARE(window.State().displayCopy.Latitude(), average[0]);
  QCOMPARE(window.State().receiverTime.Longitude(), average[1]);

  // A manual entry that is cancelled keeps the reference.
  {
    ModalWatcher modals;
    Action(window, "actionManual_Entry")->trigger();
  }
  nav->GetReferenceLocation(&reference[0], &reference[1], &reference[2], &reference[3]);
  QCOMPARE(reference[0], average[0]);
  QCOMPARE(window.State().receiverTime.Latitude(), average[0]);
  QVERIFY(window.close());
}

void TestMenuActions::manualCommandWindowIsMadeOnceAndSends()
{
  Bench bench;
  QVERIFY(bench.Open(QStringLiteral("Motorola Binary"), 9600));
  MenuWindow &window = *bench.window;
  QVERIFY(!window.ManualCommands());
  Action(window, "actionManual_GPS_Receiver_Commands")->trigger();
  ManualCommandDialog *dialog = window.ManualCommands();
  QVERIFY(dialog);
  QCOMPARE(dialog->parent(), &window);
  QVERIFY(dialog->isVisible());
  dialog->hide();
  Action(window, "actionManual_GPS_Receiver_Commands")->trigger();
  QCOMPARE(window.ManualCommands(), dialog);
  QVERIFY(dialog->isVisible());
  emit dialog->sendGpsMessage("@@Cj");
  QTRY_COMPARE_WITH_TIMEOUT(bench.simulator.received(), Oncore("@@Cj"), 3000);
  QVERIFY(window.close());
}

namespace {

struct InterfaceCase {
  QString modeBefore;
  int rateBefore = 9600;
  qint32 model = 25;
  QString modeAfter;
  int rateAfter = 9600;
  // The simulated receiver: answers "@@Wb" (and then talks at the new rate),
  // answers the probe at the new rate.
  bool answersRate = false;
  bool answersProbe = false;
  bool answersNmeaProbe = false;
  // Expected.
  QList<QByteArray> sentBeforeRestart;  // at the old rate
  QByteArray probe;                     // at the new rate, empty when none
  int searches = 0;
  int reverts = 0;
  QList<int> rateChangeAtRevert;
};

InterfaceCase Change(const char *modeBefore, int rateBefore, qint32 model, const char *modeAfter, int rateAfter)
{
  InterfaceCase c;
  c.modeBefore = QString::fromLatin1(modeBefore);
  c.rateBefore = rateBefore;
  c.model = model;
  c.modeAfter = QString::fromLatin1(modeAfter);
  c.rateAfter = rateAfter;
  return c;
}

}  // namespace

Q_DECLARE_METATYPE(InterfaceCase)

void TestMenuActions::interfaceChange_data()
{
  QTest::addColumn<InterfaceCase>("c");
  const QByteArray cj = Oncore("@@Cj");
  {
    InterfaceCase c = Change("Motorola Binary", 9600, 25, "Motorola Binary", 19200);
    c.answersRate = c.answersProbe = true;
    c.sentBeforeRestart = {Oncore(Wb(0x41, 0x92))};
    c.probe = cj;
    QTest::newRow("binary 9600 to 19200, found at the new rate") << c;
  }
  {
    InterfaceCase c = Change("Motorola Binary", 9600, 25, "Motorola Binary", 19200);
    c.answersRate = true;
    c.sentBeforeRestart = {Oncore(Wb(0x41, 0x92))};
    c.probe = cj;
    c.searches = 3;
    c.reverts = 1;
    c.rateChangeAtRevert = {19200, 9600};
    QTest::newRow("binary 9600 to 19200, silent after: search, then back") << c;
  }
  {
    InterfaceCase c = Change("Motorola Binary", 9600, 25, "Motorola Binary", 19200);
    c.sentBeforeRestart = {Oncore(Wb(0x41, 0x92))};
    c.searches = 3;
    QTest::newRow("binary, no answer to the rate command: search only") << c;
  }
  {
    InterfaceCase c = Change("Motorola Binary", 9600, 25, "Motorola Binary", 9600);
    c.answersRate = true;
    c.sentBeforeRestart = {Oncore(Wb(0x00, 0x00))};
    c.searches = 3;
    QTest::newRow("binary, rate unchanged: @@Wb 00 00 and the search") << c;
  }
  {
    InterfaceCase c = Change("Motorola Binary", 9600, 25, "u-blox UBX", 57600);
    c.answersRate = true;
    c.sentBeforeRestart = {Oncore(Wb(0x01, 0x34))};
    c.searches = 3;
    QTest::newRow("Synergy binary 9600 to u-blox UBX 57600") << c;
  }
  {
    InterfaceCase c = Change("Motorola Binary", 9600, 25, "u-blox NMEA", 19200);
    c.sentBeforeRestart = {Oncore(Wb(0x01, 0x92))};
    c.searches = 3;
    QTest::newRow("binary 9600 to u-blox NMEA 19200") << c;
  }
  {
    InterfaceCase c = Change("Motorola Binary", 9600, 25, "Generic NMEA", 38400);
    c.searches = 3;
    QTest::newRow("generic NMEA: nothing sent, search") << c;
  }
  {
    InterfaceCase c = Change("Motorola NMEA", 4800, 22, "Motorola NMEA", 9600);
    c.answersRate = c.answersNmeaProbe = true;
    c.sentBeforeRestart = {Nmea("$PMOTG,ZDA,0001"), Oncore(Wb(0x00, 0x00))};
    c.probe = Nmea("$PMOTG,ZDA,0001");
    QTest::newRow("Synergy Motorola NMEA 4800 to 9600, found at the new rate") << c;
  }
  {
    InterfaceCase c = Change("Motorola NMEA", 4800, 22, "Motorola NMEA", 9600);
    c.sentBeforeRestart = {Nmea("$PMOTG,ZDA,0001")};
    c.searches = 3;
    QTest::newRow("Motorola NMEA without an answer: no rate command") << c;
  }
  {
    InterfaceCase c = Change("Motorola NMEA", 4800, 10, "Motorola NMEA", 9600);
    c.searches = 3;
    QTest::newRow("Motorola NMEA on a VP: nothing sent") << c;
  }
}

void TestMenuActions::interfaceChange()
{
  QFETCH(InterfaceCase, c);
  Bench bench;
  QVERIFY(bench.Open(c.modeBefore, c.rateBefore, c.rateBefore));
  MenuWindow &window = *bench.window;
  receiverIdentity.model = c.model;
  receiverIdentity.hasNmeaMode = true;
  ReceiverSimulator &simulator = bench.simulator;
  QCOMPARE(simulator.lineRate(), c.rateBefore);

  QByteArray atOldRate;
  QByteArray atNewRate;
  QObject::connect(&simulator, &ReceiverSimulator::bytesReceived, [&](const QByteArray &bytes) {
    (simulator.lineRate() == c.rateBefore ? atOldRate : atNewRate) += bytes;
  });
  if (c.answersRate) {
    ScriptRule rule;
    rule.request = "@@Wb";
    rule.reply.bytes = Oncore(QByteArray(c.sentBeforeRestart.last()).left(6));
    rule.reply.switchToRate = c.rateAfter;
    simulator.addRule(rule);
  }
  if (c.answersProbe)
    simulator.addRule(MatchKind::Prefix, "@@Cj", riduder::test::OncoreMessageBuilder("Cj", 291).Wire());
  if (c.answersNmeaProbe)
    simulator.addRule(MatchKind::Prefix, "$PMOTG,ZDA", Nmea("$GPZDA,120000.00,01,02,2024,00,00"));

  window.RxIdDialog()->AppendText(QStringLiteral("from the receiver before"));
  window.actionManual_GPS_Receiver_Commands_triggered();
  ManualCommandDialog *commandsBefore = window.ManualCommands();
  QVERIFY(commandsBefore && commandsBefore->isVisible());

  {
    ModalWatcher modals(ChoosePortSettings(c.modeAfter, c.rateAfter, 2));
    Action(window, "actionSet_GPS_Receiver_Interface")->trigger();
    QCOMPARE(modals.seen, QStringList{"GpsPortDialog"});
  }

  QByteArray expectedBefore;
  for (const QByteArray &message : c.sentBeforeRestart)
    expectedBefore += message;
  QCOMPARE(atOldRate.toHex(' '), expectedBefore.toHex(' '));
  // The port runs at the new settings.
  QCOMPARE(simulator.lineRate(), c.rateAfter);
  QCOMPARE(int(CurrentGpsMode), int(GpsModeFromName(c.modeAfter)));
  QCOMPARE(window.PpsSignalChoice(), 2);
  QCOMPARE(window.ReceiverPort().PpsSignal(), 2);
  if (c.probe.isEmpty())
    QVERIFY(atNewRate.isEmpty());
  else
    QVERIFY2(atNewRate.startsWith(c.probe), atNewRate.toHex(' ').constData());
  QCOMPARE(window.searches, c.searches);
  QCOMPARE(window.reverts, c.reverts);
  QCOMPARE(window.rateChangeAtRevert, c.rateChangeAtRevert);
  QCOMPARE(window.Session().RateChangeNewBaud, 0);
  QCOMPARE(window.Session().RateChangeOldBaud, 0);
  QCOMPARE(LastGpsBaud, c.rateBefore);
  // A receiver not found is reported once.
  QCOMPARE(bench.boxes.shown.size(), c.searches > 0 ? 1 : 0);
  // The identification window starts afresh; the command window is made
  // anew for the receiver found, and not shown.
  QVERIFY(!window.RxIdDialog()->MessageText().contains(QLatin1String("from the receiver before")));
  QVERIFY(window.ManualCommands());
  QVERIFY(!window.ManualCommands()->isVisible());
  QVERIFY(window.ManualCommands() != commandsBefore || !commandsBefore->isVisible());
  QVERIFY(window.close());
}

void TestMenuActions::interfaceChangeCancelledChangesNothing()
{
  Bench bench;
  QVERIFY(bench.Open(QStringLiteral("Motorola Binary"), 9600, 9600));
  MenuWindow &window = *bench.window;
  window.RxIdDialog()->AppendText(QStringLiteral("kept"));
  {
    ModalWatcher modals([](QDialog *dialog) {
      Child<QRadioButton>(*dialog, "BAUD_19200")->click();
      Child<QLineEdit>(*dialog, "TcpIpAddress")->setText(QStringLiteral("192.168.1"));
      Child<QPushButton>(*dialog, "OK")->click();  // refused: the address is incomplete
      QVERIFY(dialog->isVisible());
      Child<QPushButton>(*dialog, "CANCEL")->click();
    });
    Action(window, "actionSet_GPS_Receiver_Interface")->trigger();
    QCOMPARE(modals.seen, QStringList{"GpsPortDialog"});
  }
  // The address warnings reach the window's boxes: at OK and again at Cancel.
  QCOMPARE(bench.boxes.shown.size(), 2);
  QCOMPARE(bench.boxes.shown.first().title, QStringLiteral("Illegal IP Address"));
  QCOMPARE(bench.boxes.shown.first().icon, QMessageBox::Warning);
  QTest::qWait(30);
  QVERIFY(bench.simulator.received().isEmpty());
  QCOMPARE(bench.simulator.lineRate(), 9600);
  QCOMPARE(window.searches, 0);
  QCOMPARE(QSettings().value(GpsPortKeys::DataRate).toInt(), 9600);
  QVERIFY(window.RxIdDialog()->MessageText().contains(QLatin1String("kept")));
  QVERIFY(!window.ManualCommands());
  QVERIFY(window.close());
}

namespace {

// A window on a simulated line in Oncore binary at 9600 with a scripted
// Synergy receiver there, taken into use; each message the receiver hears
// is noted with the line's rate and the window's status text at that moment.
struct SynergyBench {
  struct Heard {
    QString name;
    QByteArray message;
    int lineRate = 0;
    QString status;
  };

  SynergyBench()
  {
    auto options = riduder::test::WindowOnSimulator::Options::WithoutPps(GpsModeMotorolaBinary, 9600);
    options.showRawData = false;
    options.commandTimeScale = 0.004;
    rig = std::make_unique<riduder::test::WindowOnSimulator>(options);
    receiver = std::make_unique<riduder::test::ScriptedReceiver>(rig->Simulator(),
                                                                 riduder::test::ReceiverFamily::Synergy, 9600);
  }

  // Taken into use at 9600, then every message heard from here on is noted.
  bool Start()
  {
    if (!rig->Problem().isEmpty() || !Window().InitializeGpsReceiver())
      return false;
    receiver->ClearHeard();
    receiver->onHeard = [this](const QByteArray &message) {
      heard.append({riduder::test::ScriptedReceiver::NameOf(message), message, rig->Simulator().lineRate(),
                    Window().ReceiverStatusLabel()->text()});
    };
    return true;
  }

  void ChangeInterface(const QString &mode, int rate)
  {
    ModalWatcher modals(ChoosePortSettings(mode, rate));
    Action(Window(), "actionSet_GPS_Receiver_Interface")->trigger();
    QCOMPARE(modals.seen, QStringList{"GpsPortDialog"});
  }

  MainWindow &Window() { return rig->Window(); }
  QStringList Names(int from = 0) const
  {
    QStringList names;
    for (int i = from; i < heard.size(); ++i)
      names << heard.at(i).name;
    return names;
  }

  std::unique_ptr<riduder::test::WindowOnSimulator> rig;
  std::unique_ptr<riduder::test::ScriptedReceiver> receiver;
  QList<Heard> heard;
};

}  // namespace

Q_DECLARE_METATYPE(riduder::test::ReceiverProtocol)

void TestMenuActions::interfaceChangeFindsTheReceiverAgain_data()
{
  using riduder::test::ReceiverProtocol;
  QTest::addColumn<QString>("mode");
  QTest::addColumn<int>("rate");
  QTest::addColumn<bool>("receiverMoves");
  QTest::addColumn<QByteArray>("rateCode");
  QTest::addColumn<int>("foundAt");
  QTest::addColumn<int>("foundMode");
  QTest::addColumn<ReceiverProtocol>("protocol");
  // What the receiver hears after "@@Wb", from the first; with `exactly`
  // nothing more.
  QTest::addColumn<QString>("heardAfter");
  QTest::addColumn<bool>("exactly");
  QTest::addColumn<QString>("status");

  const QString binary = QStringLiteral("Motorola Binary");
  const QString found = QStringLiteral("SSR-M8T++, Bin, 12 ch, V4.25, TRAIM");
  QTest::newRow("moves to 19200: answers the probe there")
      << binary << 19200 << true << QByteArray("\x41\x92", 2) << 19200 << int(GpsModeMotorolaBinary)
      << ReceiverProtocol::OncoreBinary << "@@Cj" << true << found;
  // The probes at 19200 go unheard; the search's Motorola NMEA stage at the
  // rate before is the first thing it hears, then the binary stage finds it.
  QTest::newRow("answers @@Wb but stays at 9600: found by the search")
      << binary << 19200 << false << QByteArray("\x41\x92", 2) << 9600 << int(GpsModeMotorolaBinary)
      << ReceiverProtocol::OncoreBinary
      << "$PMOTG,RMC,0000 $PMOTG,GGA,0000 $PMOTG,GSA,0000 $PMOTG,GSV,0000 $PMOTG,GLL,0000 $PMOTG,VTG,0000 "
         "$PMOTG,ZDA,0001 @@Cj @@Cj"
      << false << found;
  // Its u-blox core takes over at 57600: the u-blox set-up there tells it
  // the port settings and finds it by MON-VER.
  QTest::newRow("to u-blox UBX at 57600: found by MON-VER")
      << QStringLiteral("u-blox UBX") << 57600 << true << QByteArray("\x01\x34", 2) << 57600
      << int(GpsModeUbloxUbx) << ReceiverProtocol::Ubx << "UBX-06-00 UBX-0A-04" << false
      << "u-blox with DGPS, WAAS, EGNOS, MSAS";
}

void TestMenuActions::interfaceChangeFindsTheReceiverAgain()
{
  QFETCH(QString, mode);
  QFETCH(int, rate);
  QFETCH(bool, receiverMoves);
  QFETCH(QByteArray, rateCode);
  QFETCH(int, foundAt);
  QFETCH(int, foundMode);
  QFETCH(riduder::test::ReceiverProtocol, protocol);
  QFETCH(QString, heardAfter);
  QFETCH(bool, exactly);
  QFETCH(QString, status);
  SynergyBench bench;
  QVERIFY2(bench.rig->Problem().isEmpty(), qPrintable(bench.rig->Problem()));
  bench.receiver->SetAcceptsRateChange(receiverMoves);
  QVERIFY(bench.Start());
  MainWindow &window = bench.Window();

  bench.ChangeInterface(mode, rate);

  // The rate command left at the rate before.
  QVERIFY(!bench.heard.isEmpty());
  QCOMPARE(bench.heard.first().name, QStringLiteral("@@Wb"));
  QCOMPARE(bench.heard.first().message.mid(4, 2).toHex(' '), rateCode.toHex(' '));
  QCOMPARE(bench.heard.first().lineRate, 9600);
  const QStringList after = bench.Names(1);
  const QStringList expected = heardAfter.split(QLatin1Char(' '));
  if (exactly)
    QCOMPARE(after, expected);
  else
    QCOMPARE(after.mid(0, expected.size()), expected);
  QCOMPARE(bench.receiver->Rate(), foundAt);
  QCOMPARE(bench.receiver->Protocol(), protocol);
  QCOMPARE(bench.rig->Simulator().lineRate(), foundAt);
  QCOMPARE(QSettings().value(GpsPortKeys::DataRate).toInt(), foundAt);
  QCOMPARE(int(CurrentGpsMode), foundMode);
  QCOMPARE(window.ReceiverStatusLabel()->text(), status);
  QVERIFY(bench.rig->Boxes().shown.isEmpty());
  QCOMPARE(window.Session().RateChangeNewBaud, 0);
  QCOMPARE(window.Session().RateChangeOldBaud, 0);
}

// The receiver goes along to 19200 and is then not heard there: after three
// attempts the window sends it back to 9600 and finds it again.
void TestMenuActions::interfaceChangeSendsASilentReceiverBack()
{
  SynergyBench bench;
  QVERIFY2(bench.rig->Problem().isEmpty(), qPrintable(bench.rig->Problem()));
  bench.receiver->SetAnswersOnlyRateCommandsAt(19200);
  QVERIFY(bench.Start());
  MainWindow &window = bench.Window();

  bench.ChangeInterface(QStringLiteral("Motorola Binary"), 19200);

  // The two rate commands, there and back, each heard at the rate it left.
  QList<int> rateCommands;
  for (int i = 0; i < bench.heard.size(); ++i)
    if (bench.heard.at(i).name == QLatin1String("@@Wb"))
      rateCommands << i;
  QCOMPARE(rateCommands.size(), 2);
  const SynergyBench::Heard &there = bench.heard.at(rateCommands.first());
  const SynergyBench::Heard &back = bench.heard.at(rateCommands.last());
  QCOMPARE(rateCommands.first(), 0);
  QCOMPARE(there.message.mid(4, 2).toHex(' '), QByteArray("41 92"));
  QCOMPARE(there.lineRate, 9600);
  QCOMPARE(back.message.mid(4, 2).toHex(' '), QByteArray("00 00"));
  QCOMPARE(back.lineRate, 19200);
  QCOMPARE(back.status, QStringLiteral("GPS receiver not found - returning it to the previous rate..."));
  // Between them the probes and three whole initialisations with their
  // searches went unanswered at 19200.
  QStringList statuses;
  int zdaProbes = 0;
  for (int i = rateCommands.first() + 1; i < rateCommands.last(); ++i) {
    QCOMPARE(bench.heard.at(i).lineRate, 19200);
    zdaProbes += bench.heard.at(i).name == QLatin1String("$PMOTG,ZDA,0001") ? 1 : 0;
    if (!statuses.contains(bench.heard.at(i).status))
      statuses << bench.heard.at(i).status;
  }
  QVERIFY(zdaProbes >= 3);
  QVERIFY2(statuses.contains(QStringLiteral("GPS receiver not found - retrying (attempt 3 of 3)...")),
           qPrintable(statuses.join('\n')));
  // Back at 9600 it answers "@@Cj"; the set-up that follows begins under
  // the text of its return.
  const QStringList afterBack = bench.Names(rateCommands.last() + 1);
  QCOMPARE(afterBack.mid(0, 2), (QStringList{"@@Cj", "@@Cj"}));
  QCOMPARE(bench.heard.at(rateCommands.last() + 1).lineRate, 9600);
  QCOMPARE(bench.heard.at(rateCommands.last() + 2).status,
           QStringLiteral("GPS receiver returned to its previous rate"));

  QCOMPARE(bench.receiver->Rate(), 9600);
  QCOMPARE(bench.rig->Simulator().lineRate(), 9600);
  QCOMPARE(QSettings().value(GpsPortKeys::DataRate).toInt(), 9600);
  QCOMPARE(int(CurrentGpsMode), int(GpsModeMotorolaBinary));
  QCOMPARE(window.ReceiverStatusLabel()->text(), QStringLiteral("SSR-M8T++, Bin, 12 ch, V4.25, TRAIM"));
  QVERIFY(bench.rig->Boxes().shown.isEmpty());
  QCOMPARE(window.Session().RateChangeNewBaud, 0);
  QCOMPARE(window.Session().RateChangeOldBaud, 0);
}

RIDUDER_TEST_MAIN(TestMenuActions)
#include "tst_menuactions.moc"
