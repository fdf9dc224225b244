// The main window's menu and toolbar actions: display and sound choices,
// the windows they open, the reference location, the receiver dialogs with
// what follows them, self test and self survey, and the change of the
// receiver interface.

#include "app/MainWindow.h"

#include "ui_MainWindow.h"

#include "app/GpsRawDataDialog.h"
#include "app/MessageBoxes.h"
#include "core/GpsMode.h"
#include "core/ReceiverIdentity.h"
#include "position/GpsNavDialog.h"
#include "position/ReferenceLocationDialog.h"
#include "position/SatAzElChartDialog.h"
#include "receiver/GpsPortDialog.h"
#include "receiver/GpsRxIdDialog.h"
#include "receiver/decode/GpsRxModel.h"
#include "receiver/session/ReceiverMenuCommands.h"
#include "receiver/session/ReceiverSetup.h"
#include "receiver/dialogs/GpsRxDialog.h"
#include "receiver/dialogs/ManualCommandDialog.h"
#include "receiver/dialogs/SatelliteSelect.h"
#include "receiver/dialogs/TimingDialog.h"
#include "tic/TicPortDialog.h"
#include "tic/TicProcessedDataDialog.h"
#include "tic/TicRawDataDialog.h"

#include <QCoreApplication>
#include <QSettings>
#include <QToolBar>

namespace {

constexpr int NoReferenceSourceMessageMs = 10000;

const char *const SelfTestTitle = "<b>GPS Receiver Self Test</b>";
const char *const SelfTestNotice =
    "Self Test will disable the GPS receiver for about 10 seconds.\r\n"
    "When the self-test is complete, the acquisition process starts all \r\n"
    "over as if the receiver were first powered on. The date, time, position \r\n"
    "and ephemeris information is all retained.\r\n"
    "\r\n"
    "Use \"View/View GPS Receiver ID Message\" to view the results.\r\n"
    "\r\n"
    "Do you really want to do this?";
const char *const SelfTestUbloxNotice = "Self Test is not supported on u-blox based receivers.";

const char *const SelfSurveyTitle = "<b>GPS Receiver Self Survey</b>";
const char *const SelfSurveyNotice =
    "NOTICE: The GPS Receiver internal Self Survey mode is independent of this program's software "
    "self-survey. To save the self survey results, wait for the survey to complete, then save the "
    "current position to the reference position. \r\n\r\nWARNING: The survey mode overrides some user "
    "settings. It activates 3D navigation mode and activates TRAIM. User settings are not restored on "
    "completion. After saving the survey results, re-initialize the GPS Receiver using the menu Edit / "
    "Set GPS Receiver Interface window.\r\n\r\nThe internal Auto Survey mode will average a total of "
    "10,000 2D and 3D position fixes to achieve a horizontal position accuracy of <10m 95%. If the "
    "averaging process is interrupted, the averaging resumes where it left off. Once the position is "
    "surveyed, the GPS receiver will automatically enter the position-hold mode. \r\nDo you really want "
    "to do this?";

// The u-blox receivers neither switch navigation mode and T-RAIM nor count
// fixes for their survey.
QString UbloxSelfSurveyNotice()
{
  QString text = QString::fromLatin1(SelfSurveyNotice);
  text.remove(QStringLiteral("It activates 3D navigation mode and activates TRAIM. "));
  text.replace(QStringLiteral("will average a total of 10,000 2D and 3D position fixes to achieve a "
                              "horizontal position accuracy"),
               QStringLiteral("will achieve a horizontal position accuracy"));
  return text;
}

void ShowAndRaise(QWidget *window)
{
  window->raise();
  window->activateWindow();
}

}  // namespace

// ---------------------------------------------------------------------------
// Files and program

void MainWindow::actionNew_TIC_Data_Log_triggered()
{
  TicDataLogFileDialog(true);
}

void MainWindow::actionOpen_TIC_Data_Log_triggered()
{
  TicDataLogFileDialog(false);
}

void MainWindow::actionClose_TIC_Data_Log_triggered()
{
  CloseTicLogFiles(false);
}

void MainWindow::actionExit_triggered()
{
  EndProgram();
}

void MainWindow::actionCheck_for_Updates_triggered()
{
  StartUpdateCheck(true);
}

// Kept for the menu entries that have nothing to do (yet).
void MainWindow::actionCopy_triggered() {}
void MainWindow::actionSend_new_firmware_to_GPS_Rx_triggered() {}
void MainWindow::actionDisable_triggered() {}
void MainWindow::actionSNTP_Server_RFC_2030_triggered() {}
void MainWindow::actionUDP_IP_Server_RFC_868_triggered() {}

// ---------------------------------------------------------------------------
// Display and sound choices

void MainWindow::actionToolbar_triggered()
{
  const bool visible = ui->actionToolbar->isChecked();
  QSettings settings;
  settings.setValue(MainWindowKeys::ToolbarVisible, visible);
  ui->toolBar->setVisible(visible);
}

void MainWindow::SetClockDisplayMode(int mode)
{
  ClockDisplayMode = mode;
  QSettings settings;
  settings.setValue(MainWindowKeys::ClockDisplay, mode);
  // The next redraw fills it in the new mode.
  ui->ClockDisplay->setText(QString());
}

void MainWindow::actionUTC_triggered() { SetClockDisplayMode(0); }
void MainWindow::actionPC_triggered() { SetClockDisplayMode(1); }
void MainWindow::actionLMST_triggered() { SetClockDisplayMode(2); }
void MainWindow::actionGMST_triggered() { SetClockDisplayMode(3); }
void MainWindow::actionMJD_triggered() { SetClockDisplayMode(4); }
void MainWindow::actionPC_U_triggered() { SetClockDisplayMode(5); }
void MainWindow::actionTIC_triggered() { SetClockDisplayMode(6); }
void MainWindow::actionTIC_Raw_triggered() { SetClockDisplayMode(7); }

void MainWindow::SetNavDataFormat(int format)
{
  navDataFormat = format;
  if (referenceLocationDialog)
    referenceLocationDialog->SetLatLonFormat(format);
  QSettings settings;
  settings.setValue(MainWindowKeys::NavigationDataFormat, format);
}

void MainWindow::actiondegrees_dd_ddd_triggered() { SetNavDataFormat(0); }
void MainWindow::actiondegrees_minutes_dd_mm_mmm_triggered() { SetNavDataFormat(1); }
void MainWindow::actiondegrees_minutes_seconds_dd_mm_ss_sss_triggered() { SetNavDataFormat(2); }

void MainWindow::SetSounds(bool ticks, bool outOfLock)
{
  soundOn = ticks;
  soundOutOfLockOn = outOfLock;
  QSettings settings;
  settings.setValue(MainWindowKeys::Sound, soundOn);
  settings.setValue(MainWindowKeys::SoundOutOfLock, soundOutOfLockOn);
}

void MainWindow::actionSoundAll_triggered() { SetSounds(true, true); }
void MainWindow::actionSoundOutOfLockOnly_triggered() { SetSounds(false, true); }
void MainWindow::actionSoundClockTicksOnly_triggered() { SetSounds(true, false); }
void MainWindow::actionSoundNone_triggered() { SetSounds(false, false); }

// ---------------------------------------------------------------------------
// Windows

void MainWindow::ShowGpsRawDataWindow()
{
  if (!gpsRawDataDialog)
    gpsRawDataDialog = new GpsRawDataDialog(this);
  gpsRawDataDialog->ShowDialog();
  ShowAndRaise(gpsRawDataDialog);
  state.rawDataWindowOpened = true;
}

void MainWindow::ShowReceiverIdWindow()
{
  if (!gpsRxIdDialog)
    gpsRxIdDialog = new GpsRxIdDialog(this);
  gpsRxIdDialog->ShowDialog();
  ShowAndRaise(gpsRxIdDialog);
}

void MainWindow::actionGps_Raw_Data_triggered()
{
  ShowGpsRawDataWindow();
}

void MainWindow::actionReceiver_ID_Message_triggered()
{
  ShowReceiverIdWindow();
}

void MainWindow::actionGps_Data_Both_triggered()
{
  ShowGpsRawDataWindow();
  ShowReceiverIdWindow();
}

void MainWindow::actionTic_Raw_Data_triggered()
{
  if (!ticRawDataDialog)
    ticRawDataDialog = new TicRawDataDialog(this);
  ticRawDataDialog->ShowDialog();
  ShowAndRaise(ticRawDataDialog);
  ticRawWindowOpened = true;
}

void MainWindow::actionTic_Processed_Data_triggered()
{
  if (!ticProcessedDataDialog)
    ticProcessedDataDialog = new TicProcessedDataDialog(this);
  ticProcessedDataDialog->ShowDialog();
  ShowAndRaise(ticProcessedDataDialog);
  ticProcessedWindowOpened = true;
}

void MainWindow::actionView_Satellite_Az_El_Chart_triggered()
{
  if (!satAzElChartDialog)
    satAzElChartDialog = new SatAzElChartDialog(this);
  satAzElChartDialog->ShowChart();
  ShowAndRaise(satAzElChartDialog);
  satAzElChartDialog->UpdateSatellites(state.displaySatellites);
}

void MainWindow::actionSet_TIC_Interface_triggered()
{
  if (!ticPortDialog)
    ticPortDialog = new TicPortDialog(this);
  ticPortDialog->SetWarningHandler(
      [this](const QString &title, const QString &text) { messageBoxes->Warning(ticPortDialog, title, text); });
  if (ticPortDialog->exec() != QDialog::Accepted)
    return;
  StartTicPorts();
}

// ---------------------------------------------------------------------------
// Position

GpsNavDialog &MainWindow::NavDialog()
{
  if (!gpsNavDialog) {
    gpsNavDialog = new GpsNavDialog(this);
    gpsNavDialog->SetReferenceLocationDialog(referenceLocationDialog);
  }
  return *gpsNavDialog;
}

void MainWindow::SetTimesLocation(double latitude, double longitude)
{
  state.displayCopy.SetLocation(latitude, longitude);
  state.receiverTime.SetLocation(latitude, longitude);
}

bool MainWindow::HasReferenceSource(bool available, const char *refusal)
{
  if (available)
    return true;
  ui->statusBar->showMessage(tr(refusal), NoReferenceSourceMessageMs);
  return false;
}

void MainWindow::actionfrom_Average_triggered()
{
  if (!HasReferenceSource(NavDialog().Averages().AveragesHeld(), NoAveragesYetText))
    return;
  double latitude = 0.0, longitude = 0.0, gpsHeight = 0.0, mslHeight = 0.0;
  NavDialog().GetAverages(latitude, longitude, gpsHeight, mslHeight);
  NavDialog().SetReferenceLocation(latitude, longitude, gpsHeight, mslHeight);
  SetTimesLocation(latitude, longitude);
}

void MainWindow::actionfrom_Current_triggered()
{
  // Any position the receiver reports counts, a held or surveyed one too:
  // that is where a timing receiver stays once its survey is done.
  if (!HasReferenceSource(NavDialog().Averages().PositionReported(), NoPositionYetText))
    return;
  double latitude = 0.0, longitude = 0.0, gpsHeight = 0.0, mslHeight = 0.0;
  NavDialog().GetCurrentFix(latitude, longitude, gpsHeight, mslHeight);
  NavDialog().SetReferenceLocation(latitude, longitude, gpsHeight, mslHeight);
  SetTimesLocation(latitude, longitude);
}

void MainWindow::actionManual_Entry_triggered()
{
  // A cancelled entry leaves the reference as it was; taking it again is
  // harmless.
  NavDialog().EnterReferenceLocation();
  double latitude = 0.0, longitude = 0.0, gpsHeight = 0.0, mslHeight = 0.0;
  NavDialog().GetReferenceLocation(latitude, longitude, gpsHeight, mslHeight);
  SetTimesLocation(latitude, longitude);
}

void MainWindow::actionAveraging_Parameters_triggered()
{
  NavDialog().exec();
}

// ---------------------------------------------------------------------------
// Receiver dialogs

void MainWindow::actionSet_Timing_Parameters_triggered()
{
  if (!timingDialog)
    timingDialog = new TimingDialog(this);
  const int result = timingDialog->exec();
  // Cancel puts the stored values back into the dialog: take them either way.
  timingValues = timingDialog->Settings();
  if (result != QDialog::Accepted)
    return;
  if (timingDialog->sawtoothChanged) {
    // Counter readings taken with the old correction are not to be averaged
    // with the new ones.
    for (bool &stale : state.ticStale)
      stale = true;
    timingDialog->sawtoothChanged = false;
  }
  switch (TimingParametersFollowUp(CurrentGpsMode)) {
  case SettingsFollowUp::Apply:
    ApplyTimingParameters();
    break;
  case SettingsFollowUp::Initialize:
    InitializeGpsReceiver();
    break;
  case SettingsFollowUp::ApplyInNmeaMode:
  case SettingsFollowUp::Nothing:
    break;
  }
}

void MainWindow::actionSet_GPS_Receiver_Parameters_triggered()
{
  if (!gpsRxDialog)
    gpsRxDialog = new GpsRxDialog(this);
  const int result = gpsRxDialog->exec();
  // A cancelled dialog has put the stored values back; either way they are
  // the ones in force now.
  receiverMode = gpsRxDialog->Settings();
  if (result != QDialog::Accepted)
    return;
  ApplyReceiverModeSettings();
}

void MainWindow::actionManual_Satellite_Select_triggered()
{
  if (!satelliteSelect)
    satelliteSelect = new SatelliteSelect(this);
  satelliteSelect->exec();
}

void MainWindow::MakeManualCommandDialog()
{
  manualCommandDialog = new ManualCommandDialog(this);
  connect(manualCommandDialog, &ManualCommandDialog::sendGpsMessage, this, &MainWindow::SendGpsRxCommand);
  manualCommandDialog->SetWarningHandler(
      [this](const QString &title, const QString &text) { messageBoxes->Warning(manualCommandDialog, title, text); });
}

void MainWindow::actionManual_GPS_Receiver_Commands_triggered()
{
  if (!manualCommandDialog)
    MakeManualCommandDialog();
  manualCommandDialog->ShowDialog();
}

// ---------------------------------------------------------------------------
// Self test and self survey

void MainWindow::actionInitiate_GPS_Receiver_Self_Test_triggered()
{
  MessageBoxRequest box;
  box.parent = this;
  box.text = QString::fromLatin1(SelfTestTitle);
  box.buttons = QMessageBox::Ok | QMessageBox::Cancel;
  box.defaultButton = QMessageBox::Cancel;
  if (CurrentGpsMode == GpsModeMotorolaBinary) {
    box.informativeText = QString::fromLatin1(SelfTestNotice);
    if (messageBoxes->Show(box) == QMessageBox::Ok)
      SendGpsRxCommand(OncoreSelfTestCommand(receiverIdentity.model));
    return;
  }
  if (IsUbloxMode(CurrentGpsMode)) {
    box.buttons = QMessageBox::Cancel;
    box.informativeText = QString::fromLatin1(SelfTestUbloxNotice);
  }
  messageBoxes->Show(box);
}

void MainWindow::actionInitiate_GPS_Receiver_Self_Survey_triggered()
{
  MessageBoxRequest box;
  box.parent = this;
  box.text = QString::fromLatin1(SelfSurveyTitle);
  box.buttons = QMessageBox::Ok | QMessageBox::Cancel;
  box.defaultButton = QMessageBox::Cancel;
  if (CurrentGpsMode == GpsModeMotorolaBinary) {
    box.informativeText = QString::fromLatin1(SelfSurveyNotice);
    if (messageBoxes->Show(box) == QMessageBox::Ok)
      SendGpsRxCommand(OncoreSelfSurveyCommand(receiverIdentity.channels));
    return;
  }
  if (IsUbloxMode(CurrentGpsMode)) {
    box.informativeText = UbloxSelfSurveyNotice();
    if (messageBoxes->Show(box) == QMessageBox::Ok)
      for (const QByteArray &frame : UbloxSelfSurveyFrames())
        SendGpsRxCommand(frame);
    return;
  }
  messageBoxes->Show(box);
}

// ---------------------------------------------------------------------------
// Receiver interface

bool MainWindow::SwitchReceiverRate(int mode, int rate, bool samePort, bool rateChanged)
{
  return session->SwitchReceiverRate(mode, rate, samePort, rateChanged);
}

bool MainWindow::ProbeReceiverAtNewRate(int mode)
{
  return session->ProbeReceiverAtNewRate(mode);
}

void MainWindow::actionSet_GPS_Receiver_Interface_triggered()
{
  // A search in progress ends first; a set-up is left to finish, or the
  // receiver would stay half set up. The dialog opens once the run has
  // unwound, so that its OK starts the detection afresh, never inside it.
  if (session->Busy()) {
    interfaceDialogPending = true;
    session->EndSearch();
    return;
  }
  if (!gpsPortDialog)
    gpsPortDialog = new GpsPortDialog(this);
  gpsPortDialog->SetWarningHandler(
      [this](const QString &title, const QString &text) { messageBoxes->Warning(gpsPortDialog, title, text); });
  gpsPortDialog->SetNmeaModeAvailable(receiverIdentity.hasNmeaMode);
  LastGpsBaud = gpsPortDialog->GetBaud();
  session->RateChangeNewBaud = 0;
  session->RateChangeOldBaud = 0;
  const QString portBefore = gpsPortDialog->GetPortName();

  if (gpsPortDialog->exec() != QDialog::Accepted || state.closing)
    return;
  ReceiverBusyScope busy(*this);

  if (gpsRxIdDialog)
    gpsRxIdDialog->ClearText();
  ppsSignal = gpsPortDialog->GetPpsInterface();
  session->Port().SetPpsSignal(ppsSignal);

  const int mode = gpsPortDialog->GetMode();
  const int rate = gpsPortDialog->GetBaud();
  const bool samePort = gpsPortDialog->GetPortName() == portBefore;
  const bool rateChanged = rate != LastGpsBaud;
  const bool confirmed = SwitchReceiverRate(mode, rate, samePort, rateChanged);
  if (session->Stopping())
    return;

  session->SetMode(quint32(mode));
  emit startGpsSerialPort(gpsPortStartArgument);

  if (confirmed && ProbeReceiverAtNewRate(mode)) {
    session->RateChangeNewBaud = 0;
    session->RateChangeOldBaud = 0;
  } else if (!session->Stopping()) {
    DetectGpsReceiver();
  }
  if (session->Stopping())
    return;

  ClearDisplayCache();

  // The command list depends on the receiver found.
  if (manualCommandDialog) {
    manualCommandDialog->close();
    delete manualCommandDialog;
    manualCommandDialog = nullptr;
  }
  MakeManualCommandDialog();
}
