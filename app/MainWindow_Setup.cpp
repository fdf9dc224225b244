// Receiver set-up of the main window: the timing, position and time and
// receiver configuration commands, and the receiver descriptions of the
// status bar. What to send is worked out by receiver/ReceiverSetup from the
// settings dialogs; this file reads the settings, plays the scripts through
// the command layer and keeps the window's state in step.

#include "app/MainWindow.h"

#include "app/MessageBoxes.h"
#include "app/core/GpsMode.h"
#include "app/core/ReceiverIdentity.h"
#include "platform/TimeSource.h"
#include "position/GpsNavDialog.h"
#include "receiver/session/CommandSender.h"
#include "receiver/GpsPortDialog.h"
#include "receiver/GpsRxIdDialog.h"
#include "receiver/session/IdentificationTexts.h"
#include "receiver/session/ReceiverMenuCommands.h"
#include "receiver/session/ReceiverSetup.h"
#include "receiver/dialogs/GpsRxDialog.h"
#include "receiver/dialogs/TimingDialog.h"

#include <QApplication>
#include <QLabel>

namespace {

ReceiverModeSettings ModeSettingsOf(const GpsRxDialog *dialog)
{
  ReceiverModeSettings s;
  if (!dialog)
    return s;
  s.gpsNavMode = dialog->gpsNavMode;
  s.rxOnLocalTime = dialog->rxOnLocalTime;
  s.emulatePvt6 = dialog->emulatePvt6;
  s.positionFixMode = dialog->positionFixMode;
  s.satelliteSelection = dialog->satelliteSelection;
  s.ionosphericDelay = dialog->ionosphericDelay;
  s.troposphericDelay = dialog->troposphericDelay;
  s.geometryButton = dialog->geometryButton;
  s.dgpsActivate = dialog->dgpsActivate;
  s.dgpsRate = dialog->dgpsRate;
  s.alignMessages = dialog->alignMessages;
  s.elevationMask = dialog->elevationMask;
  s.applicationType = dialog->applicationType;
  s.ppsRate = dialog->ppsRate;
  s.ppsDuration = dialog->ppsDuration;
  s.satGps = dialog->satGps;
  s.satGlonass = dialog->satGlonass;
  s.satGalileo = dialog->satGalileo;
  s.satBeidou = dialog->satBeidou;
  s.satQzss = dialog->satQzss;
  s.satSbas = dialog->satSbas;
  s.satelliteUseMask = dialog->satelliteUseMask;
  return s;
}

TimingSettings TimingSettingsOf(const TimingDialog *dialog)
{
  TimingSettings t;
  if (!dialog)
    return t;
  t.totalPpsOffsetPositive = dialog->totalPpsOffsetPositive;
  t.totalDelay = dialog->totalDelay;
  t.traimLimit = dialog->traimLimit;
  t.traimConditionedPps = dialog->traimConditionedPps;
  return t;
}

const char ApplyingSettingsText[] = "Applying receiver settings...";
const char NoNmeaModeIdText[] = "Receiver does not support NMEA mode - staying in Motorola Bin";
const char NoNmeaModeStatusText[] = "Receiver has no NMEA mode - Motorola Bin";
const char NoNmeaModeTitle[] = "GPS Receiver";
const char NoNmeaModeText[] =
    "This receiver has no NMEA mode - staying in Motorola Binary.\n\nMotorola NMEA needs Synergy SSR "
    "firmware V4.21 or later; this receiver reports V%1.";

}  // namespace

void MainWindow::PlaySetupScript(const SetupScript &script)
{
  for (const SetupStep &step : script.Steps()) {
    switch (step.kind) {
    case SetupStep::Kind::Send:
      SendGpsRxCommand(step.command);
      break;
    case SetupStep::Kind::SendAndWait:
      SendGpsCmdAndWait(step.command);
      break;
    case SetupStep::Kind::Pause:
      commandTiming.Pause(step.pauseMs);
      break;
    }
  }
}

QByteArray MainWindow::MakeTraimCommand(int channels) const
{
  return ::MakeTraimCommand(channels, state.traimSetup);
}

// ---------------------------------------------------------------------------
// Timing

void MainWindow::ApplyTimingParameters()
{
  if (CurrentGpsMode != GpsModeMotorolaBinary && !IsUbloxMode(CurrentGpsMode))
    return;
  ReceiverBusyScope busy(*this);
  TimingSetupInput input;
  input.mode = CurrentGpsMode;
  input.model = receiverIdentity.model;
  input.channels = receiverIdentity.channels;
  input.hasTraim = receiverIdentity.hasTraim;
  input.timing = TimingSettingsOf(timingDialog);
  if (gpsRxDialog) {
    input.ppsRate = gpsRxDialog->ppsRate;
    input.ppsDuration = gpsRxDialog->ppsDuration;
  }
  input.traim = state.traimSetup;
  const TimingSetupPlan plan = BuildTimingSetup(input);

  // The clock display and the PC clock step use the offsets the receiver
  // now applies.
  if (plan.setsOffsets) {
    state.receiverTime.SetEpochOffset(plan.epochOffsetMs);
    state.receiverTime.SetPpsOffset(plan.ppsOffsetNs);
    state.receiverTime.SetCableDelay(plan.cableDelayNs);
  }
  if (plan.storesPpsRate)
    lastPpsRateSent = plan.ppsRateSent;
  state.traimSetup = plan.traim;
  PlaySetupScript(plan.script);
  if (plan.traimSent)
    state.echoNextTraimToRxId = true;
}

// ---------------------------------------------------------------------------
// Position and time

void MainWindow::SendReferencePosition()
{
  ReferencePosition position;
  double mslAltitude = 0.0;
  if (gpsNavDialog)
    gpsNavDialog->GetReferenceLocation(&position.latitude, &position.longitude, &position.gpsAltitude,
                                       &mslAltitude);
  const qint32 navMode = gpsRxDialog ? gpsRxDialog->gpsNavMode : 0;
  ReceiverBusyScope busy(*this);
  PlaySetupScript(BuildReferencePosition(CurrentGpsMode, position, navMode, receiverIdentity.model,
                                         receiverIdentity.channels));
}

void MainWindow::SendCurrentDateTime()
{
  const TimeSource &clock = TimeSource::Current();
  DateTimeSetupInput input;
  input.mode = CurrentGpsMode;
  input.nowUtc = clock.NowUtc();
  input.model = receiverIdentity.model;
  input.rxOnLocalTime = gpsRxDialog && gpsRxDialog->rxOnLocalTime;
  // The PC's offset at this moment: a change to or from summer time reaches
  // the receiver at its next set-up.
  input.localOffsetMinutes = clock.NowLocal().offsetFromUtc() / 60;
  input.leapSeconds = state.utcOffsetSeconds;

  if (CurrentGpsMode == GpsModeMotorolaBinary) {
    const QString suffix = QLatin1String(LocalTimeModeSuffix);
    const QString text = receiverStatusLabel->text();
    receiverStatusLabel->setText(input.rxOnLocalTime ? WithSuffixOnce(text, suffix)
                                                     : WithoutSuffix(text, suffix));
  }
  ReceiverBusyScope busy(*this);
  PlaySetupScript(BuildCurrentDateTime(input));
}

// ---------------------------------------------------------------------------
// Receiver configuration

void MainWindow::ApplyReceiverParameters(bool withUbxClosingFrames)
{
  ReceiverBusyScope busy(*this);
  // Stored or reported, a set with no satellite system would switch the
  // receiver's tracking off (and a u-blox one saves it to flash).
  if (gpsRxDialog)
    gpsRxDialog->ApplyConstellationRule();
  if (CurrentGpsMode == GpsModeMotorolaBinary) {
    const bool emulatePvt6 = gpsRxDialog && gpsRxDialog->emulatePvt6;
    const QString suffix = QLatin1String(Pvt6ModeSuffix);
    if (emulatePvt6 && receiverIdentity.channels != 6) {
      receiverIdentity.channels = 6;
      receiverStatusLabel->setText(WithSuffixOnce(receiverStatusLabel->text(), suffix));
    } else if (!emulatePvt6 && receiverIdentity.channels != receiverIdentity.nativeChannels) {
      receiverIdentity.channels = receiverIdentity.nativeChannels;
      receiverStatusLabel->setText(WithoutSuffix(receiverStatusLabel->text(), suffix));
    }

    SendCurrentDateTime();
    const ReceiverModeSettings settings = ModeSettingsOf(gpsRxDialog);
    lastPpsRateSent = quint8(settings.ppsRate & 0xFF);
    lastPpsDurationSent = quint8(settings.ppsDuration & 0xFF);
    PlaySetupScript(BuildOncoreConfiguration(settings, receiverIdentity.model, receiverIdentity.channels));

    // The probe's answer tells whether the receiver has T-RAIM.
    TraimSetup probe;
    const SetupScript traimProbe = BuildTraimProbe(receiverIdentity.channels, &probe);
    state.traimSetup = probe;
    PlaySetupScript(traimProbe);
    state.echoNextTraimToRxId = true;
    return;
  }

  // Only u-blox receivers get UBX frames.
  if (!IsUbloxMode(CurrentGpsMode))
    return;
  SendGpsRxCommand(UbxNavigationFrame(ModeSettingsOf(gpsRxDialog)));
  SendCurrentDateTime();
  if (gpsRxDialog) {
    const quint8 rate = quint8(gpsRxDialog->ppsRate & 0xFF);
    const quint8 duration = quint8(gpsRxDialog->ppsDuration & 0xFF);
    if (rate != lastPpsRateSent || duration != lastPpsDurationSent) {
      lastPpsRateSent = rate;
      lastPpsDurationSent = duration;
      ApplyTimingParameters();
    }
    // A finished survey leaves the receiver holding its position; any other
    // status stays as the receiver last reported it.
    if (gpsRxDialog->navStatus == 2) {
      gpsRxDialog->SaveGpsMode(2);
      SetNavStatus(1);
    }
  }

  ReferencePosition position;
  double mslAltitude = 0.0;
  if (gpsNavDialog)
    gpsNavDialog->GetReferenceLocation(&position.latitude, &position.longitude, &position.gpsAltitude,
                                       &mslAltitude);
  const ReceiverModeSettings settings = ModeSettingsOf(gpsRxDialog);
  for (const QByteArray &frame : UbxTimeModeFrames(settings.gpsNavMode, position))
    SendGpsRxCommand(frame);
  SendGpsRxCommand(UbxGnssFrame(settings));
  if (withUbxClosingFrames) {
    for (const QByteArray &frame : UbxClosingFrames())
      SendGpsRxCommand(frame);
  }
}

void MainWindow::ApplyReceiverParametersInNmeaMode()
{
  ReceiverBusyScope busy(*this);
  const QString keptStatus = receiverStatusLabel->text();
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const bool setupWas = state.setupInProgress;
  state.setupInProgress = true;
  receiverStatusLabel->setText(tr(ApplyingSettingsText));

  SendGpsCmdAndWait(QByteArrayLiteral("$PMOTG,FOR,0"));
  CurrentGpsMode = GpsModeMotorolaBinary;
  ApplyReceiverParameters();
  // The probe above resets T-RAIM; the user's limit goes back in.
  ApplyTimingParameters();
  CurrentGpsMode = GpsModeMotorolaNmea;

  for (int attempt = 0; attempt < 2; ++attempt) {
    SendGpsRxCommand(QByteArray("@@Ci") + char(0x01));
    commandTiming.Pause(CommandDelays::BeforeFormatReply);
    if (SendGpsCmdAndWait(QByteArrayLiteral("$PMOTG,ZDA,0001")))
      break;
  }
  for (const char *sentence : {"$PMOTG,GLL,0000", "$PMOTG,VTG,0000", "$PMOTG,GGA,0001", "$PMOTG,GSA,0001",
                               "$PMOTG,GSV,0001", "$PMOTG,RMC,0001"})
    SendGpsRxCommand(QByteArray(sentence));

  state.setupInProgress = setupWas;
  receiverStatusLabel->setText(keptStatus);
  QApplication::restoreOverrideCursor();
}

void MainWindow::ReportNoNmeaMode()
{
  CurrentGpsMode = GpsModeMotorolaBinary;
  if (gpsRxIdDialog)
    gpsRxIdDialog->AppendText(QLatin1String(NoNmeaModeIdText));
  receiverStatusLabel->setText(QLatin1String(NoNmeaModeStatusText));
  if (gpsPortDialog)
    gpsPortDialog->SetMode(GpsModeMotorolaBinary);

  MessageBoxRequest box;
  box.parent = this;
  box.icon = QMessageBox::Information;
  box.title = QLatin1String(NoNmeaModeTitle);
  const QString version = receiverIdentity.firmwareVersionText.isEmpty()
                              ? QStringLiteral("(unknown)")
                              : receiverIdentity.firmwareVersionText;
  box.text = QString::fromLatin1(NoNmeaModeText).arg(version);
  box.buttons = QMessageBox::Ok;
  messageBoxes->Show(box);

  ReceiverBusyScope busy(*this);
  SendGpsRxCommand(QByteArrayLiteral("$PMOTG,FOR,0"));
  commandTiming.Pause(CommandDelays::AfterModeSwitch);
  SendGpsRxCommand(QByteArray("@@Bb") + char(0x01));
  const qint64 now = TimeSource::Current().NowMSecsSinceEpoch();
  state.lastBbAnswerMs = now;
  state.lastBbPollMs = now;
}

void MainWindow::ApplyReceiverModeSettings()
{
  switch (ReceiverParametersFollowUp(CurrentGpsMode)) {
  case SettingsFollowUp::Apply: {
    ReceiverBusyScope busy(*this);
    ApplyReceiverParameters();
    // In Oncore binary the T-RAIM probe resets the receiver's T-RAIM; the
    // user's limit goes back in.
    if (CurrentGpsMode == GpsModeMotorolaBinary)
      ApplyTimingParameters();
    break;
  }
  case SettingsFollowUp::ApplyInNmeaMode:
    ApplyReceiverParametersInNmeaMode();
    break;
  case SettingsFollowUp::Initialize:
    InitializeGpsReceiver();
    break;
  case SettingsFollowUp::Nothing:
    break;
  }
}

void MainWindow::ApplyUbxSettingsAndSave(bool sendReferencePosition)
{
  if (!IsUbloxMode(CurrentGpsMode))
    return;
  ReceiverBusyScope busy(*this);
  ApplyReceiverParameters(false);
  if (sendReferencePosition)
    SendReferencePosition();
  ApplyTimingParameters();
  SendGpsRxCommand(UbxSaveSetupFrame());
  for (const QByteArray &frame : UbxClosingFrames())
    SendGpsRxCommand(frame);
}

// ---------------------------------------------------------------------------
// Identification texts

void MainWindow::ShowBinaryIdentificationText(quint32 mode)
{
  const bool emulatePvt6 = gpsRxDialog && gpsRxDialog->emulatePvt6;
  const bool localTime = gpsRxDialog && gpsRxDialog->rxOnLocalTime;
  receiverStatusLabel->setText(BinaryIdentificationText(receiverIdentity, mode, emulatePvt6, localTime));
  heartbeatLabel->setPixmap(heartbeatOffIcon);
}

void MainWindow::ShowNmeaIdentificationText()
{
  receiverStatusLabel->setText(NmeaIdentificationText(receiverIdentity));
}
