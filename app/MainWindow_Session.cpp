// The main window's side of the receiver session: the host that shows what
// the session reports and hands it the settings, and the window's names of
// the session's operations.

#include "app/MainWindow.h"

#include "ui_MainWindow.h"

#include "app/MainWindowDecoderHost.h"
#include "app/MessageBoxes.h"
#include "core/ReceiverIdentity.h"
#include "position/GpsNavDialog.h"
#include "receiver/GpsPortDialog.h"
#include "receiver/GpsRxIdDialog.h"
#include "receiver/link/Checksums.h"

#include <QApplication>
#include <QLabel>
#include <QTimer>

#include <utility>

// The window as the receiver session sees it.
class MainWindowSessionHost : public ReceiverSessionHost {
public:
  explicit MainWindowSessionHost(MainWindow &window) : w(window) {}

  QString ReceiverStatusText() const override
  {
    return w.receiverStatusLabel ? w.receiverStatusLabel->text() : QString();
  }
  void ShowReceiverStatusText(const QString &text) override
  {
    if (w.receiverStatusLabel)
      w.receiverStatusLabel->setText(text);
  }
  void AppendRawDataLine(const QString &text) override { w.appendPlainText_to_RawDataDialog_and_Log(text); }
  void AppendReceiverIdText(const QString &text) override
  {
    if (w.gpsRxIdDialog)
      w.gpsRxIdDialog->AppendText(text);
  }
  void ClearReceiverIdWindow() override
  {
    if (w.gpsRxIdDialog) {
      w.gpsRxIdDialog->SetIdText(QString());
      w.gpsRxIdDialog->ClearText();
    }
  }
  void SetAntennaStatus(int status) override { w.SetAntennaStatus(status); }
  void SetNavStatus(int status) override { w.SetNavStatus(status); }
  void ClearSatelliteTexts() override
  {
    for (ElidingLabel *label :
         {w.ui->IDC_SATS_STATUS_MESSAGE, w.ui->IDC_SATS_DOPS_MESSAGE, w.ui->IDC_SATS_DGPS_MESSAGE})
      label->SetFullText(QString());
  }
  void ShowHeartbeatOff() override
  {
    if (w.heartbeatLabel)
      w.heartbeatLabel->setPixmap(w.heartbeatOffIcon);
  }
  void SetTimingErrorInputs(double a, double b) override
  {
    if (w.gpsNavDialog)
      w.gpsNavDialog->SetTimingErrorInputs(a, b);
  }
  void ShowInformation(const QString &title, const QString &text) override
  {
    MessageBoxRequest box;
    box.parent = &w;
    box.icon = QMessageBox::Information;
    box.title = title;
    box.text = text;
    box.buttons = QMessageBox::Ok;
    w.messageBoxes->Show(box);
  }

  void ReceiverBusyChanged(bool busy) override { w.OnReceiverBusyChanged(busy); }
  void SetWaitCursor(bool on) override
  {
    if (on)
      QApplication::setOverrideCursor(Qt::WaitCursor);
    else
      QApplication::restoreOverrideCursor();
  }
  void MuteSounds(bool mute) override
  {
    if (mute) {
      soundWas = w.soundOn;
      soundOutOfLockWas = w.soundOutOfLockOn;
      w.soundOn = false;
      w.soundOutOfLockOn = false;
    } else {
      w.soundOn = soundWas;
      w.soundOutOfLockOn = soundOutOfLockWas;
    }
  }
  void InitializationFinished() override
  {
    if (w.gpsNavDialog)
      w.gpsNavDialog->ReloadSettings();
  }

  GpsPortSettings PortSettings() const override
  {
    GpsPortSettings settings = w.gpsPortDialog->Settings();
    // The box as shown counts, as it did when the session asked the dialog.
    settings.doNotInitialize = w.gpsPortDialog->IsDoNotInitialize();
    return settings;
  }
  void FillIdentityFromPortSettings(ReceiverIdentity &identity) const override
  {
    w.gpsPortDialog->GetReceiverIdentity(identity);
  }
  void StorePortDataRate(int rate) override { w.gpsPortDialog->SetBaud(rate); }
  void StorePortMode(int mode) override
  {
    if (w.gpsPortDialog)
      w.gpsPortDialog->SetMode(mode);
  }

  ReceiverModeSettings ModeSettings() const override { return w.receiverMode; }
  void KeepModeSettings(const ReceiverModeSettings &settings) override
  {
    // In force until the mode dialog next opens; the store keeps the user's choice.
    w.receiverMode.rxOnLocalTime = settings.rxOnLocalTime;
    w.receiverMode.emulatePvt6 = settings.emulatePvt6;
  }
  void RepairConstellations() override
  {
    if (ApplyConstellationRule(w.receiverMode))
      SaveConstellationSettings(w.receiverMode);
  }
  void HoldPositionAfterSurvey() override
  {
    if (w.navStatus == 2) {
      w.receiverMode.gpsNavMode = 2;
      SaveGpsNavMode(2);
      w.SetNavStatus(1);
    }
  }
  TimingSettings TimingParameters() const override { return w.TimingValues(); }
  ReferencePosition StoredReferencePosition() const override
  {
    ReferencePosition position;
    double mslAltitude = 0.0;
    if (w.gpsNavDialog)
      w.gpsNavDialog->GetReferenceLocation(&position.latitude, &position.longitude, &position.gpsAltitude,
                                           &mslAltitude);
    return position;
  }
  bool SendsReferencePositionAtSetUp() const override
  {
    // The default site shown on a fresh install is no place for a receiver
    // to hold.
    return w.gpsNavDialog && w.gpsNavDialog->Averages().ReferenceLocationOnStart() &&
           w.gpsNavDialog->Averages().ReferenceLocationStored();
  }

private:
  MainWindow &w;
  bool soundWas = false;
  bool soundOutOfLockWas = false;
};

void MainWindow::MakeReceiverSession()
{
  decoderHost = std::make_unique<MainWindowDecoderHost>(*this);
  sessionHost = std::make_unique<MainWindowSessionHost>(*this);
  session = std::make_unique<ReceiverSession>(state, *decoderHost, *sessionHost);
  // Every command the session sends is the window's too (observers hear
  // it after the port has it).
  connect(session.get(), &ReceiverSession::sendGpsMessage, this, &MainWindow::sendGpsMessage);
}

// ---------------------------------------------------------------------------
// The session's operations by the window's names

bool MainWindow::InitializeGpsReceiver() { return session->InitializeGpsReceiver(); }
bool MainWindow::RevertReceiverBaudRate() { return session->RevertReceiverBaudRate(); }
bool MainWindow::ProbeGpsReceiver(int mode) { return session->ProbeGpsReceiver(mode); }
bool MainWindow::SearchGpsReceiver(int *found) { return session->SearchGpsReceiver(found); }
QByteArray MainWindow::MakeBaudRateCommand(int rate) { return ReceiverSession::MakeBaudRateCommand(rate); }
void MainWindow::ApplyTimingParameters() { session->ApplyTimingParameters(); }
void MainWindow::ApplyReceiverParameters(bool withUbxClosingFrames)
{
  session->ApplyReceiverParameters(withUbxClosingFrames);
}
void MainWindow::ApplyReceiverParametersInNmeaMode() { session->ApplyReceiverParametersInNmeaMode(); }
bool MainWindow::SendGpsCmdAndWait(QByteArray command) { return session->SendGpsCmdAndWait(command); }
bool MainWindow::WaitForResponse() { return session->WaitForResponse(); }
void MainWindow::SendGpsRxCommand(QByteArray command) { session->SendGpsRxCommand(command); }
void MainWindow::PlaySetupScript(const SetupScript &script) { session->PlaySetupScript(script); }
void MainWindow::SendReferencePosition() { session->SendReferencePosition(); }
void MainWindow::SendCurrentDateTime() { session->SendCurrentDateTime(); }
QByteArray MainWindow::MakeTraimCommand(int channels) const { return session->MakeTraimCommand(channels); }
void MainWindow::ReportNoNmeaMode() { session->ReportNoNmeaMode(); }
void MainWindow::ApplyReceiverModeSettings()
{
  if (session->ApplyReceiverModeSettings())
    InitializeGpsReceiver();
}
void MainWindow::ApplyUbxSettingsAndSave(bool sendReferencePosition)
{
  session->ApplyUbxSettingsAndSave(sendReferencePosition);
}
void MainWindow::ShowBinaryIdentificationText(quint32 mode) { session->ShowBinaryIdentificationText(mode); }
void MainWindow::ShowNmeaIdentificationText() { session->ShowNmeaIdentificationText(); }
void MainWindow::SetGpsMode(quint32 mode) { session->SetMode(mode); }

bool MainWindow::AppendOncoreChecksum(QByteArray &message) { return ::AppendOncoreChecksum(message); }
bool MainWindow::AppendNmeaChecksum(QByteArray &sentence) { return ::AppendNmeaChecksum(sentence); }
bool MainWindow::AppendUbxChecksum(QByteArray &frame) { return ::AppendUbxChecksum(frame); }

// ---------------------------------------------------------------------------
// The busy gate over the actions that start a set-up

MainWindow::ReceiverBusyScope::ReceiverBusyScope(MainWindow &window) : busy(*window.session) {}

void MainWindow::OnReceiverBusyChanged(bool busy)
{
  if (!ui)
    return;
  // The silence of the receiver counts afresh after a search or set-up,
  // which waits for answers of its own.
  receiverSilence.Restart();
  // The receiver interface stays enabled: it is the way out of a search
  // that finds nothing (choosing it ends the search, or lets the set-up
  // that runs finish, then opens its dialog).
  if (busy) {
    actionsHeldWhileBusy.clear();
    for (QAction *action : {ui->actionSet_GPS_Receiver_Parameters, ui->actionSet_Timing_Parameters,
                            ui->actionInitiate_GPS_Receiver_Self_Test,
                            ui->actionInitiate_GPS_Receiver_Self_Survey}) {
      actionsHeldWhileBusy.append({action, action->isEnabled()});
      action->setEnabled(false);
    }
  } else {
    for (const auto &held : actionsHeldWhileBusy)
      held.first->setEnabled(held.second);
    actionsHeldWhileBusy.clear();
    if (std::exchange(interfaceDialogPending, false) && !state.closing)
      QTimer::singleShot(0, this, &MainWindow::actionSet_GPS_Receiver_Interface_triggered);
  }
}

void MainWindow::ClearDisplayCache()
{
  // The large clock's text stays: the next redraw writes it anyway.
  gpsDateText.clear();
  pcClockText.clear();
  siderealText.clear();
  for (QString &piece : positionPieces)
    piece.clear();
  if (gpsNavDialog)
    gpsNavDialog->SetDops(0.0, 0.0, 0.0, 0.0, 0.0);
}
