// Receiver set-up: the timing, position and time and receiver
// configuration commands, and the receiver descriptions of the status bar.
// What to send is worked out by ReceiverSetup from the settings; this file
// reads the settings, plays the scripts through the command layer and keeps
// the shared state in step.

#include "receiver/session/ReceiverSession.h"

#include "core/GpsMode.h"
#include "core/ReceiverIdentity.h"
#include "core/ReceiverState.h"
#include "platform/TimeSource.h"
#include "receiver/link/ProtocolBytes.h"
#include "receiver/session/CommandSender.h"
#include "receiver/session/IdentificationTexts.h"
#include "receiver/session/ReceiverMenuCommands.h"
#include "receiver/session/ReceiverSetup.h"

namespace {

const char ApplyingSettingsText[] = "Applying receiver settings...";
const char NoNmeaModeIdText[] = "Receiver does not support NMEA mode - staying in Motorola Bin";
const char NoNmeaModeStatusText[] = "Receiver has no NMEA mode - Motorola Bin";
const char NoNmeaModeTitle[] = "GPS Receiver";
const char NoNmeaModeText[] =
    "This receiver has no NMEA mode - staying in Motorola Binary.\n\nMotorola NMEA needs Synergy SSR "
    "firmware V4.21 or later; this receiver reports V%1.";

}  // namespace

void ReceiverSession::PlaySetupScript(const SetupScript &script)
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
      timing.Pause(step.pauseMs);
      break;
    }
  }
}

QByteArray ReceiverSession::MakeTraimCommand(int channels) const
{
  return ::MakeTraimCommand(channels, state.traimSetup);
}

// ---------------------------------------------------------------------------
// Timing

void ReceiverSession::ApplyTimingParameters()
{
  if (CurrentGpsMode != GpsModeMotorolaBinary && !IsUbloxMode(CurrentGpsMode))
    return;
  BusyScope busy(*this);
  TimingSetupInput input;
  input.mode = CurrentGpsMode;
  input.model = receiverIdentity.model;
  input.channels = receiverIdentity.channels;
  input.hasTraim = receiverIdentity.hasTraim;
  input.timing = host.TimingParameters();
  const ReceiverModeSettings settings = host.ModeSettings();
  input.ppsRate = settings.ppsRate;
  input.ppsDuration = settings.ppsDuration;
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

void ReceiverSession::SendReferencePosition()
{
  const ReferencePosition position = host.StoredReferencePosition();
  const qint32 navMode = host.ModeSettings().gpsNavMode;
  BusyScope busy(*this);
  PlaySetupScript(BuildReferencePosition(CurrentGpsMode, position, navMode, receiverIdentity.model,
                                         receiverIdentity.channels));
}

void ReceiverSession::SendCurrentDateTime()
{
  const TimeSource &clock = TimeSource::Current();
  DateTimeSetupInput input;
  input.mode = CurrentGpsMode;
  input.nowUtc = clock.NowUtc();
  input.model = receiverIdentity.model;
  input.rxOnLocalTime = host.ModeSettings().rxOnLocalTime;
  // The PC's offset at this moment: a change to or from summer time reaches
  // the receiver at its next set-up.
  input.localOffsetMinutes = clock.NowLocal().offsetFromUtc() / 60;
  input.leapSeconds = state.utcOffsetSeconds;

  if (CurrentGpsMode == GpsModeMotorolaBinary) {
    const QString suffix = QLatin1String(LocalTimeModeSuffix);
    const QString text = host.ReceiverStatusText();
    host.ShowReceiverStatusText(input.rxOnLocalTime ? WithSuffixOnce(text, suffix)
                                                    : WithoutSuffix(text, suffix));
  }
  BusyScope busy(*this);
  PlaySetupScript(BuildCurrentDateTime(input));
}

// ---------------------------------------------------------------------------
// Receiver configuration

void ReceiverSession::ApplyReceiverParameters(bool withUbxClosingFrames)
{
  BusyScope busy(*this);
  // Stored or reported, a set with no satellite system would switch the
  // receiver's tracking off (and a u-blox one saves it to flash).
  host.RepairConstellations();
  if (CurrentGpsMode == GpsModeMotorolaBinary) {
    const bool emulatePvt6 = host.ModeSettings().emulatePvt6;
    const QString suffix = QLatin1String(Pvt6ModeSuffix);
    if (emulatePvt6 && receiverIdentity.channels != 6) {
      receiverIdentity.channels = 6;
      host.ShowReceiverStatusText(WithSuffixOnce(host.ReceiverStatusText(), suffix));
    } else if (!emulatePvt6 && receiverIdentity.channels != receiverIdentity.nativeChannels) {
      receiverIdentity.channels = receiverIdentity.nativeChannels;
      host.ShowReceiverStatusText(WithoutSuffix(host.ReceiverStatusText(), suffix));
    }

    SendCurrentDateTime();
    const ReceiverModeSettings settings = host.ModeSettings();
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
  SendGpsRxCommand(UbxNavigationFrame(host.ModeSettings()));
  SendCurrentDateTime();
  {
    const ReceiverModeSettings settings = host.ModeSettings();
    const quint8 rate = quint8(settings.ppsRate & 0xFF);
    const quint8 duration = quint8(settings.ppsDuration & 0xFF);
    if (rate != lastPpsRateSent || duration != lastPpsDurationSent) {
      lastPpsRateSent = rate;
      lastPpsDurationSent = duration;
      ApplyTimingParameters();
    }
    // A finished survey leaves the receiver holding its position; any other
    // status stays as the receiver last reported it.
    host.HoldPositionAfterSurvey();
  }

  const ReferencePosition position = host.StoredReferencePosition();
  const ReceiverModeSettings settings = host.ModeSettings();
  for (const QByteArray &frame : UbxTimeModeFrames(settings.gpsNavMode, position))
    SendGpsRxCommand(frame);
  SendGpsRxCommand(UbxGnssFrame(settings));
  if (withUbxClosingFrames) {
    for (const QByteArray &frame : UbxClosingFrames())
      SendGpsRxCommand(frame);
  }
}

void ReceiverSession::ApplyReceiverParametersInNmeaMode()
{
  BusyScope busy(*this);
  const QString keptStatus = host.ReceiverStatusText();
  host.SetWaitCursor(true);
  const bool setupWas = state.setupInProgress;
  state.setupInProgress = true;
  host.ShowReceiverStatusText(tr(ApplyingSettingsText));

  SendGpsCmdAndWait(QByteArrayLiteral("$PMOTG,FOR,0"));
  SetMode(GpsModeMotorolaBinary);
  ApplyReceiverParameters();
  // The probe above resets T-RAIM; the user's limit goes back in.
  ApplyTimingParameters();
  SetMode(GpsModeMotorolaNmea);

  for (int attempt = 0; attempt < 2; ++attempt) {
    SendGpsRxCommand(OncoreCommand("Ci", 0x01));
    timing.Pause(CommandDelays::BeforeFormatReply);
    if (SendGpsCmdAndWait(QByteArrayLiteral("$PMOTG,ZDA,0001")))
      break;
  }
  for (const char *sentence : {"$PMOTG,GLL,0000", "$PMOTG,VTG,0000", "$PMOTG,GGA,0001", "$PMOTG,GSA,0001",
                               "$PMOTG,GSV,0001", "$PMOTG,RMC,0001"})
    SendGpsRxCommand(QByteArray(sentence));

  state.setupInProgress = setupWas;
  host.ShowReceiverStatusText(keptStatus);
  host.SetWaitCursor(false);
}

void ReceiverSession::ReportNoNmeaMode()
{
  SetMode(GpsModeMotorolaBinary);
  host.AppendReceiverIdText(QLatin1String(NoNmeaModeIdText));
  host.ShowReceiverStatusText(QLatin1String(NoNmeaModeStatusText));
  host.StorePortMode(GpsModeMotorolaBinary);

  const QString version = receiverIdentity.firmwareVersionText.isEmpty()
                              ? QStringLiteral("(unknown)")
                              : receiverIdentity.firmwareVersionText;
  host.ShowInformation(QLatin1String(NoNmeaModeTitle), QString::fromLatin1(NoNmeaModeText).arg(version));

  BusyScope busy(*this);
  SendGpsRxCommand(QByteArrayLiteral("$PMOTG,FOR,0"));
  timing.Pause(CommandDelays::AfterModeSwitch);
  SendGpsRxCommand(OncoreCommand("Bb", 0x01));
  const qint64 now = TimeSource::Current().NowMSecsSinceEpoch();
  state.lastBbAnswerMs = now;
  state.lastBbPollMs = now;
}

bool ReceiverSession::ApplyReceiverModeSettings()
{
  switch (ReceiverParametersFollowUp(CurrentGpsMode)) {
  case SettingsFollowUp::Apply: {
    BusyScope busy(*this);
    ApplyReceiverParameters();
    // In Oncore binary the T-RAIM probe resets the receiver's T-RAIM; the
    // user's limit goes back in.
    if (CurrentGpsMode == GpsModeMotorolaBinary)
      ApplyTimingParameters();
    return false;
  }
  case SettingsFollowUp::ApplyInNmeaMode:
    ApplyReceiverParametersInNmeaMode();
    return false;
  case SettingsFollowUp::Initialize:
    return true;
  case SettingsFollowUp::Nothing:
    break;
  }
  return false;
}

void ReceiverSession::ApplyUbxSettingsAndSave(bool sendReferencePosition)
{
  if (!IsUbloxMode(CurrentGpsMode))
    return;
  BusyScope busy(*this);
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

void ReceiverSession::ShowBinaryIdentificationText(quint32 mode)
{
  const ReceiverModeSettings settings = host.ModeSettings();
  host.ShowReceiverStatusText(
      BinaryIdentificationText(receiverIdentity, mode, settings.emulatePvt6, settings.rxOnLocalTime));
  host.ShowHeartbeatOff();
}

void ReceiverSession::ShowNmeaIdentificationText()
{
  host.ShowReceiverStatusText(NmeaIdentificationText(receiverIdentity));
}
