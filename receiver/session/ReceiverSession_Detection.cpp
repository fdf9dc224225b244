// Finding the receiver and taking it into use: the probe of one protocol at
// the port's present rate, the search over protocols and rates, the return
// of a receiver to its previous rate, and the initialisation of every
// receiver family (Motorola binary, Motorola NMEA, LORAN, generic NMEA,
// receive-only, u-blox). The order of the search and the commands of each
// family are in ReceiverSearch; this file walks them through the command
// layer and keeps the shared state in step.

#include "receiver/session/ReceiverSession.h"

#include "core/GpsMode.h"
#include "core/ReceiverIdentity.h"
#include "core/ReceiverState.h"
#include "platform/TimeSource.h"
#include "receiver/decode/GpsRxModel.h"
#include "receiver/link/ProtocolBytes.h"
#include "receiver/session/CommandSender.h"
#include "receiver/session/ReceiverMenuCommands.h"
#include "receiver/session/ReceiverSearch.h"

#include <QCoreApplication>
#include <QSettings>

#include <optional>

namespace {

const char SearchingText[] = "Initialization: Searching for GPS Receiver...";
const char SettingUpText[] = "Initialization: Set up GPS Receiver...";
const char MotorolaNotFoundText[] = "ERROR: Motorola GPS Receiver Not Found";
const char GenericNmeaText[] = "Generic NMEA GPS Receiver";
const char LoranReadyText[] = "Ready - Loran Mode";
const char RateRefusedText[] = "Receiver did not accept the rate change - staying at the current rate";
const char ReturnedText[] = "GPS receiver returned to its previous rate";
const char UbloxSettingUpText[] = "Initialization: Set up u-blox GPS Receiver...";
const char UbloxPortFailureText[] = "UBX ERROR: COM port setup failure";
const char UbloxUbxText[] = "u-blox with DGPS, WAAS, EGNOS, MSAS";
const char UbloxNmeaText[] = "u-blox NMEA Mode";

const char MainWindowModeKey[] = "MainWindow/Mode";

// Pauses of the initialisation, in program milliseconds.
constexpr int BeforeRateProbeMs = 300;
constexpr int AfterRateChangeMs = 1500;
constexpr int BeforeOldRateProbeMs = 1200;
constexpr int AfterSynergyRateChangeMs = 2500;
constexpr int AfterNmeaSwitchMs = 1500;
constexpr int AfterNmeaRetrySwitchMs = 2500;
constexpr int BeforeLoranSwitchMs = 1000;
constexpr int UbloxPortSettleMs = 100;
constexpr int UbloxMonVerPolls = 3;
// Pauses of the interface change.
constexpr int AfterBinaryRateCommandMs = 1500;
constexpr int BeforeProbeAtNewRateMs = 1200;
constexpr int BeforeNmeaProbeMs = 300;

}  // namespace

// What one initialisation remembers from its start and learns on the way.
struct ReceiverSession::InitializationRun {
  quint32 modeAtStart = GpsModeSearch;  // the mode in force on entry
  int storedModeAtStart = GpsModeSearch;
  int startRate = 0;                    // S: the port's rate on entry
  int mode = GpsModeMotorolaBinary;     // the mode located
  bool located = false;
  bool searchFailed = false;       // the search mode found nothing anywhere
  bool ubloxByFallback = false;    // the u-blox answered the probe at 9600
  bool writeMode = true;           // "MainWindow/Mode" is written at the end
};

QByteArray ReceiverSession::MakeBaudRateCommand(int rate)
{
  return OncoreBaudRateCommand(rate);
}

void ReceiverSession::SetGpsPortRate(int rate)
{
  host.StorePortDataRate(rate);
  // A closing window has stopped its port; it stays closed.
  if (!state.closing)
    StartPort();
}

// ---------------------------------------------------------------------------
// Probe and search

bool ReceiverSession::ProbeGpsReceiver(int mode)
{
  const ProbeKind kind = mode < 0 ? ProbeKind::NoReceiver : ProbeKindOf(quint32(mode));
  if (kind != ProbeKind::Asks)
    return kind == ProbeKind::TakenWithoutAsking;

  SearchScope searching(*this);
  const quint32 modeWas = CurrentGpsMode;
  const bool setupWas = state.setupInProgress;
  state.setupInProgress = true;
  // The port frames and the decoders decode by the mode being tried.
  SetMode(quint32(mode));
  const QByteArray probe = ProbeCommand(quint32(mode));
  bool answered = SendGpsCmdAndWait(probe);
  if (!answered && mode == GpsModeMotorolaBinary && !Stopping())
    answered = SendGpsCmdAndWait(probe);
  SetMode(modeWas);
  state.setupInProgress = setupWas;
  return answered;
}

bool ReceiverSession::SearchGpsReceiver(int *found)
{
  int ignored = 0;
  if (!found)
    found = &ignored;
  *found = GpsModeSearch;
  const quint32 modeWas = CurrentGpsMode;
  const int presentRate = host.PortSettings().dataRate;
  if (host.PortSettings().doNotInitialize)
    return false;

  BusyScope busy(*this);
  SearchScope searching(*this);
  state.setupInProgress = true;
  for (const SearchTry &attempt : ReceiverSearchOrder(presentRate, LastGpsBaud)) {
    if (Stopping())
      break;
    SetGpsPortRate(attempt.rate);
    SetMode(attempt.mode);
    if (attempt.mode == GpsModeMotorolaNmea) {
      for (const QByteArray &sentence : MotorolaNmeaQuietCommands())
        SendGpsRxCommand(sentence);
    }
    if (SendGpsCmdAndWait(ProbeCommand(attempt.mode))) {
      *found = int(attempt.mode);
      break;
    }
  }
  SetMode(modeWas);
  if (*found == GpsModeSearch)
    SetGpsPortRate(presentRate);
  return *found != GpsModeSearch;
}

bool ReceiverSession::RevertReceiverBaudRate()
{
  const QByteArray rateCommand = MakeBaudRateCommand(RateChangeOldBaud);
  if (rateCommand.isEmpty() || RateChangeNewBaud == 0 || RateChangeOldBaud == 0)
    return false;
  BusyScope busy(*this);
  host.ShowReceiverStatusText(tr(DetectionTexts::Reverting));

  const quint32 modeWas = CurrentGpsMode;
  SetMode(GpsModeMotorolaBinary);
  SetGpsPortRate(RateChangeNewBaud);
  timing.Pause(BeforeRateProbeMs);
  if (!SendGpsCmdAndWait(rateCommand)) {
    SetMode(modeWas);
    SetGpsPortRate(RateChangeNewBaud);
    return false;
  }
  timing.Pause(AfterRateChangeMs);
  SetGpsPortRate(RateChangeOldBaud);
  timing.Pause(BeforeOldRateProbeMs);
  const bool answered = SendGpsCmdAndWait("@@Cj") || SendGpsCmdAndWait("@@Cj");
  SetMode(modeWas);
  if (!answered) {
    SetGpsPortRate(RateChangeNewBaud);
    return false;
  }
  host.ShowReceiverStatusText(tr(ReturnedText));
  return true;
}

// ---------------------------------------------------------------------------
// The interface change

bool ReceiverSession::SwitchReceiverRate(int mode, int rate, bool samePort, bool rateChanged)
{
  if (IsUbloxMode(quint32(mode))) {
    // A Synergy receiver in Oncore binary moves to u-blox; the search below
    // finds it whether it answered or not.
    SendGpsCmdAndWait(ReceiverRateCommand(mode, rate));
    return false;
  }
  if (mode == GpsModeMotorolaBinary) {
    const bool answered = SendGpsCmdAndWait(ReceiverRateCommand(mode, rate));
    timing.Pause(AfterBinaryRateCommandMs);
    if (answered && LastGpsBaud != 0 && rateChanged) {
      RateChangeNewBaud = rate;
      RateChangeOldBaud = LastGpsBaud;
    }
    return answered && CurrentGpsMode == GpsModeMotorolaBinary && samePort && rateChanged;
  }
  if (mode == GpsModeMotorolaNmea && CurrentGpsMode == GpsModeMotorolaNmea && samePort && rateChanged &&
      ReceiverModelGroups::IsSynergy(receiverIdentity.model)) {
    const QByteArray command = ReceiverRateCommand(mode, rate);
    if (command.isEmpty() || !SendGpsCmdAndWait(ProbeCommand(GpsModeMotorolaNmea)))
      return false;
    SendGpsRxCommand(command);
    return true;
  }
  return false;
}

bool ReceiverSession::ProbeReceiverAtNewRate(int mode)
{
  timing.Pause(BeforeProbeAtNewRateMs);
  if (mode == GpsModeMotorolaNmea)
    timing.Pause(BeforeNmeaProbeMs);
  else if (mode != GpsModeMotorolaBinary)
    return false;
  const QByteArray probe = ProbeCommand(quint32(mode));
  return SendGpsCmdAndWait(probe) || (!Stopping() && SendGpsCmdAndWait(probe));
}

// ---------------------------------------------------------------------------
// Initialisation

bool ReceiverSession::InitializeGpsReceiver()
{
  if (SearchEnded())
    return false;
  BusyScope busy(*this);
  InitializationRun run;

  // Preparation: nothing plays and nothing is decoded outside the reply
  // waits; what the last receiver left on the displays goes.
  host.SetWaitCursor(true);
  host.MuteSounds(true);
  state.utcOffsetSeconds = 0;
  state.leapSecondPending = -1;
  state.dgpsInputState = 0;
  state.setupInProgress = true;
  for (int i = 0; i < SatelliteArraySize; ++i) {
    state.satellites[i] = state.blankRecord;
    state.displaySatellites[i] = state.blankRecord;
  }
  host.ClearReceiverIdWindow();
  host.SetAntennaStatus(-1);
  host.SetNavStatus(-1);
  host.ClearSatelliteTexts();
  if (CurrentGpsMode != GpsModeMotorolaBinary) {
    ReceiverModeSettings settings = host.ModeSettings();
    settings.rxOnLocalTime = false;
    settings.emulatePvt6 = false;
    host.KeepModeSettings(settings);
  }
  run.modeAtStart = CurrentGpsMode;
  run.storedModeAtStart = host.PortSettings().Mode();
  run.startRate = host.PortSettings().dataRate;
  run.mode = GpsModeMotorolaBinary;

  LocateReceiver(run);
  host.SetAntennaStatus(-1);
  host.SetNavStatus(-1);

  // Closed or ended during the search: nothing more goes to the receiver.
  if (Stopping()) {
    run.writeMode = false;
    host.ShowReceiverStatusText(tr(DetectionTexts::NotFoundTitle));
    return FinishInitialization(run, false);
  }

  switch (run.mode) {
  case GpsModeGenericNmea:
    host.ShowReceiverStatusText(tr(GenericNmeaText));
    receiverIdentity.model = GpsRxModel::GenericNmea;
    receiverIdentity.firmwareVersion = 0.0;
    receiverIdentity.firmwareVersionText.clear();
    receiverIdentity.channels = -1;
    receiverIdentity.nativeChannels = -1;
    receiverIdentity.hasDgps = false;
    receiverIdentity.hasTraim = false;
    receiverIdentity.plusFirmware = false;
    receiverIdentity.plusPlusFirmware = false;
    SetMode(GpsModeGenericNmea);
    SetGpsPortRate(run.startRate);
    // Taken into use as it talks: there is nothing to ask it.
    return FinishInitialization(run, true);

  case GpsModeUbloxUbx:
  case GpsModeUbloxNmea:
    return InitializeUbloxReceiver(run);

  case GpsModeMotorolaBinaryRxOnly:
    host.FillIdentityFromPortSettings(receiverIdentity);
    SetMode(GpsModeMotorolaBinaryRxOnly);
    SetGpsPortRate(run.startRate);
    ShowBinaryIdentificationText(CurrentGpsMode);
    // Only listened to: it counts as found without a question.
    return FinishInitialization(run, true);

  default:
    return InitializeMotorolaReceiver(run);
  }
}

void ReceiverSession::LocateReceiver(InitializationRun &run)
{
  SearchScope searching(*this);
  switch (CurrentGpsMode) {
  case GpsModeSearch: {
    host.ShowReceiverStatusText(tr(SearchingText));
    int found = GpsModeSearch;
    if (SearchGpsReceiver(&found)) {
      run.mode = found;
      run.located = true;
      SetMode(quint32(found));
      host.StorePortMode(found);
      break;
    }
    if (Stopping())
      break;
    // No Motorola protocol answered: a u-blox receiver at its factory rate?
    state.setupInProgress = true;
    SetGpsPortRate(UbloxFallbackDataRate);
    SetMode(GpsModeUbloxUbx);
    if (ProbeGpsReceiver(GpsModeUbloxUbx)) {
      run.mode = GpsModeUbloxUbx;
      run.located = true;
      run.ubloxByFallback = true;
    } else {
      run.mode = GpsModeMotorolaBinary;
      run.searchFailed = true;
    }
    SetMode(quint32(run.mode));
    host.StorePortMode(run.mode);
    break;
  }
  case GpsModeMotorolaBinary:
    receiverIdentity.firmwareVersion = 0.0;
    receiverIdentity.firmwareVersionText.clear();
    receiverIdentity.hasNmeaMode = true;
    [[fallthrough]];
  case GpsModeMotorolaLoran:
  case GpsModeMotorolaNmea:
    // What the last search ended with no longer holds.
    if (host.ReceiverStatusText() == tr(DetectionTexts::NotFoundTitle))
      host.ShowReceiverStatusText(tr(SearchingText));
    if (ProbeGpsReceiver(int(CurrentGpsMode))) {
      host.ShowReceiverStatusText(QString());
      run.mode = int(CurrentGpsMode);
      run.located = true;
      break;
    }
    {
      int found = GpsModeSearch;
      // CurrentGpsMode keeps naming the protocol wanted; the mode found
      // says what the receiver talks now.
      if (SearchGpsReceiver(&found)) {
        run.mode = found;
        run.located = true;
      } else {
        run.mode = int(CurrentGpsMode);
      }
    }
    break;
  default:
    run.mode = int(CurrentGpsMode);
    break;
  }
}

bool ReceiverSession::InitializeMotorolaReceiver(InitializationRun &run)
{
  host.ShowReceiverStatusText(tr(SettingUpText));
  receiverIdentity.model = GpsRxModel::M12M;
  receiverIdentity.hasDgps = false;
  receiverIdentity.hasTraim = false;
  receiverIdentity.plusFirmware = false;
  receiverIdentity.plusPlusFirmware = false;
  host.SetTimingErrorInputs(10.0, 100.0);
  const int rate = host.PortSettings().dataRate;
  const quint32 target = CurrentGpsMode;

  bool identified = false;
  {
    // Not located: the switch to binary and the question below are the
    // search's last try, and end with it.
    std::optional<SearchScope> lastTry;
    if (!run.located)
      lastTry.emplace(*this);
    // Into Oncore binary, whatever it talks now.
    if (run.mode == GpsModeMotorolaNmea) {
      SendGpsRxCommand("$PMOTG,FOR,0");
    } else if (run.mode == GpsModeMotorolaLoran) {
      SendGpsRxCommand("BIN");
    } else if (!run.located) {
      SendGpsRxCommand("$PMOTG,FOR,0");
      timing.Pause(CommandDelays::AfterModeSwitch);
    }

    SetMode(GpsModeMotorolaBinary);
    receiverIdentity.firmwareVersion = 0.0;
    receiverIdentity.firmwareVersionText.clear();
    identified = SendGpsCmdAndWait("@@Cj");
  }
  if (!identified) {
    if (run.searchFailed) {
      // Nothing answered anywhere: the user's mode and rate stay as they
      // were, so the next attempt searches again.
      SetMode(run.modeAtStart);
      host.StorePortMode(run.storedModeAtStart);
      SetGpsPortRate(run.startRate);
      run.writeMode = false;
    } else {
      SetMode(target);
      SetGpsPortRate(rate);
    }
    host.ShowReceiverStatusText(tr(MotorolaNotFoundText));
    return FinishInitialization(run, false);
  }
  const qint32 model = receiverIdentity.model;

  if (!host.PortSettings().doNotInitialize) {
    SendGpsRxCommand(OncoreCommand("Cg", 0x01));
    SendGpsRxCommand(OncoreCommand("Ba", 0x00));
    SendGpsRxCommand(OncoreCommand("Ea", 0x00));
    if (ReceiverModelGroups::IsSynergy(model)) {
      receiverIdentity.channels = 12;
      receiverIdentity.nativeChannels = 12;
      SendGpsRxCommand(OncoreChannelProbes().first());
    } else {
      bool answered = false;
      for (const QByteArray &probe : OncoreChannelProbes()) {
        if ((answered = SendGpsCmdAndWait(probe)))
          break;
      }
      if (!answered) {
        receiverIdentity.channels = 6;
        receiverIdentity.nativeChannels = 6;
      }
    }
  }

  PlaySetupScript(OncoreStatusQueries(model));
  if (host.SendsReferencePositionAtSetUp())
    SendReferencePosition();
  ApplyReceiverParameters();

  const OncoreModelValues values = OncoreModelValuesOf(model);
  if (values.known) {
    receiverIdentity.nativeChannels = values.channels;
    // The 6-channel emulation keeps the 6-channel commands.
    receiverIdentity.channels = host.ModeSettings().emulatePvt6 ? 6 : values.channels;
  }
  host.SetTimingErrorInputs(10.0, values.timingErrorB);
  ApplyTimingParameters();

  switch (target) {
  case GpsModeMotorolaBinary: {
    host.StorePortDataRate(rate);
    SetMode(GpsModeMotorolaBinary);
    SendGpsRxCommand(OncoreCommand("Bb", 0x01));
    const qint64 now = TimeSource::Current().NowMSecsSinceEpoch();
    state.lastBbAnswerMs = now;
    state.lastBbPollMs = now;
    if (ReceiverModelGroups::IsGCommand(model))
      SendGpsRxCommand(OncoreCommand("Gk", QByteArray(6, char(0x2A))));
    break;
  }
  case GpsModeMotorolaNmea:
    if (!receiverIdentity.hasNmeaMode) {
      ReportNoNmeaMode();
      run.mode = GpsModeMotorolaBinary;
    } else {
      HandOverToMotorolaNmea(rate, run.startRate);
    }
    break;
  case GpsModeMotorolaLoran:
    timing.Pause(BeforeLoranSwitchMs);
    SendGpsRxCommand(OncoreCommand("Ci", 0x02));
    SetGpsPortRate(rate);
    SetMode(GpsModeMotorolaLoran);
    // The LORAN start command goes out bare, at once.
    if (!Stopping()) {
      emit sendGpsMessage("T1");
      QCoreApplication::processEvents();
    }
    host.ShowReceiverStatusText(tr(LoranReadyText));
    break;
  default:
    break;
  }

  if (IsOncoreBinaryMode(CurrentGpsMode))
    ShowBinaryIdentificationText(CurrentGpsMode);
  return FinishInitialization(run, true);
}

void ReceiverSession::HandOverToMotorolaNmea(int rateBefore, int startRate)
{
  int nmeaRate = rateBefore;
  const auto identified = [this] { return SendGpsCmdAndWait("@@Cj") || SendGpsCmdAndWait("@@Cj"); };

  // A Synergy receiver found at another rate goes back to the rate the user
  // chose before it leaves binary.
  const QByteArray rateCommand = MakeBaudRateCommand(startRate);
  if (ReceiverModelGroups::IsSynergy(receiverIdentity.model) && host.PortSettings().dataRate != startRate &&
      !rateCommand.isEmpty()) {
    SendGpsCmdAndWait(rateCommand);
    const int previousRate = host.PortSettings().dataRate;
    SetGpsPortRate(startRate);
    timing.Pause(AfterSynergyRateChangeMs);
    if (identified()) {
      RateChangeNewBaud = startRate;
      RateChangeOldBaud = previousRate;
      nmeaRate = startRate;
    } else {
      SetGpsPortRate(previousRate);
      timing.Pause(BeforeRateProbeMs);
      if (identified()) {
        host.ShowReceiverStatusText(tr(RateRefusedText));
        nmeaRate = previousRate;
      } else {
        RateChangeNewBaud = startRate;
        RateChangeOldBaud = previousRate;
        SetGpsPortRate(startRate);
        nmeaRate = startRate;
      }
    }
  }

  SendGpsRxCommand(OncoreCommand("Ci", 0x01));
  timing.Pause(AfterNmeaSwitchMs);
  SetGpsPortRate(nmeaRate);
  SetMode(GpsModeMotorolaNmea);
  if (!SendGpsCmdAndWait(ProbeCommand(GpsModeMotorolaNmea))) {
    SendGpsRxCommand(OncoreCommand("Ci", 0x01));
    timing.Pause(AfterNmeaRetrySwitchMs);
    SendGpsCmdAndWait(ProbeCommand(GpsModeMotorolaNmea));
  }
  for (const QByteArray &sentence : MotorolaNmeaOutputCommands())
    SendGpsRxCommand(sentence);
  ShowNmeaIdentificationText();
}

bool ReceiverSession::InitializeUbloxReceiver(InitializationRun &run)
{
  host.ShowReceiverStatusText(tr(UbloxSettingUpText));
  host.FillIdentityFromPortSettings(receiverIdentity);
  receiverIdentity.model = GpsRxModel::Ublox;
  receiverIdentity.firmwareVersion = 0.0;
  receiverIdentity.firmwareVersionText.clear();
  receiverIdentity.channels = 16;
  receiverIdentity.nativeChannels = 16;
  receiverIdentity.hasDgps = false;
  receiverIdentity.hasTraim = false;
  receiverIdentity.plusFirmware = false;
  receiverIdentity.plusPlusFirmware = false;
  host.SetTimingErrorInputs(10.0, 100.0);
  SetMode(quint32(run.mode));
  const bool minimal = host.PortSettings().doNotInitialize;

  if (run.ubloxByFallback) {
    // It answered at 9600: it is told the user's rate there, then the port
    // follows it. Left alone, it stays at 9600, and so does the port.
    if (!minimal && run.startRate != UbloxFallbackDataRate) {
      SendGpsRxCommand(UbxPortFrame(run.startRate));
      timing.Pause(UbloxPortSettleMs);
      SetGpsPortRate(run.startRate);
    }
  } else {
    SetGpsPortRate(run.startRate);
  }

  // Taken into use without a question.
  if (minimal)
    return FinishInitialization(run, true);

  SendGpsRxCommand(UbxPortFrame(host.PortSettings().dataRate));
  timing.Pause(UbloxPortSettleMs);
  bool answered = false;
  for (int poll = 0; poll < UbloxMonVerPolls && !answered && !Stopping(); ++poll)
    answered = SendGpsCmdAndWait(UbxMonVerPoll());
  if (!answered) {
    state.setupInProgress = false;
    host.ShowReceiverStatusText(tr(UbloxPortFailureText));
    host.SetWaitCursor(false);
    host.MuteSounds(false);
    return false;
  }

  for (const QByteArray &frame : UbxMessagesOffFrames())
    SendGpsRxCommand(frame);
  SendGpsRxCommand(UbxAntennaFrame());
  for (const QByteArray &frame : UbxMessagesOnFrames(CurrentGpsMode))
    SendGpsRxCommand(frame);
  host.ShowReceiverStatusText(CurrentGpsMode == GpsModeUbloxUbx ? tr(UbloxUbxText) : tr(UbloxNmeaText));
  host.SetNavStatus(0);
  ApplyUbxSettingsAndSave(host.SendsReferencePositionAtSetUp());
  return FinishInitialization(run, true);
}

bool ReceiverSession::FinishInitialization(InitializationRun &run, bool result)
{
  if (run.writeMode && !Stopping()) {
    QSettings settings;
    settings.setValue(QLatin1String(MainWindowModeKey), run.mode);
  }
  host.InitializationFinished();
  state.setupInProgress = false;
  host.SetWaitCursor(false);
  host.MuteSounds(false);
  return result;
}
