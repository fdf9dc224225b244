// Finding the receiver and taking it into use: the probe of one protocol at
// the port's present rate, the search over protocols and rates, the return
// of a receiver to its previous rate, and the initialisation of every
// receiver family (Motorola binary, Motorola NMEA, LORAN, generic NMEA,
// receive-only, u-blox). The order of the search and the commands of each
// family are in receiver/ReceiverSearch; this file walks them through the
// command layer and keeps the window's state in step.

#include "app/MainWindow.h"

#include "ui_MainWindow.h"

#include "app/core/GpsMode.h"
#include "app/core/ReceiverIdentity.h"
#include "platform/TimeSource.h"
#include "position/GpsNavDialog.h"
#include "receiver/session/CommandSender.h"
#include "receiver/GpsPortDialog.h"
#include "receiver/GpsRxIdDialog.h"
#include "receiver/decode/GpsRxModel.h"
#include "receiver/session/ReceiverSearch.h"
#include "receiver/dialogs/GpsRxDialog.h"

#include <QApplication>
#include <QCoreApplication>
#include <QLabel>
#include <QSettings>

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

QByteArray Oncore(const char *identifier, int parameter)
{
  QByteArray message(identifier);
  message.append(char(parameter));
  return message;
}

// The reference position goes to the receiver at set-up when the user wants
// it there and has stored one: the default site shown on a fresh install is
// no place for a receiver to hold.
bool SendsReferencePositionAtSetUp(const GpsNavDialog *navigation)
{
  return navigation && navigation->Averages().ReferenceLocationOnStart() &&
         navigation->Averages().ReferenceLocationStored();
}

}  // namespace

// What one initialisation remembers from its start and learns on the way.
struct MainWindow::InitializationRun {
  bool soundWas = false;
  bool soundOutOfLockWas = false;
  quint32 modeAtStart = GpsModeSearch;  // CurrentGpsMode on entry
  int storedModeAtStart = GpsModeSearch;
  int startRate = 0;                    // S: the port's rate on entry
  int mode = GpsModeMotorolaBinary;     // the mode located
  bool located = false;
  bool searchFailed = false;       // the search mode found nothing anywhere
  bool ubloxByFallback = false;    // the u-blox answered the probe at 9600
  bool writeMode = true;           // "MainWindow/Mode" is written at the end
};

QByteArray MainWindow::MakeBaudRateCommand(int rate)
{
  return OncoreBaudRateCommand(rate);
}

void MainWindow::SetGpsPortRate(int rate)
{
  gpsPortDialog->SetBaud(rate);
  // A closing window has stopped its port; it stays closed.
  if (!state.closing)
    emit startGpsSerialPort(gpsPortStartArgument);
}

// ---------------------------------------------------------------------------
// Probe and search

bool MainWindow::ProbeGpsReceiver(int mode)
{
  const ProbeKind kind = mode < 0 ? ProbeKind::NoReceiver : ProbeKindOf(quint32(mode));
  if (kind != ProbeKind::Asks)
    return kind == ProbeKind::TakenWithoutAsking;

  const quint32 modeWas = CurrentGpsMode;
  const bool setupWas = state.setupInProgress;
  state.setupInProgress = true;
  // The port frames and the decoders decode by the mode under test.
  CurrentGpsMode = quint32(mode);
  const QByteArray probe = ProbeCommand(quint32(mode));
  bool answered = SendGpsCmdAndWait(probe);
  if (!answered && mode == GpsModeMotorolaBinary && !state.closing)
    answered = SendGpsCmdAndWait(probe);
  CurrentGpsMode = modeWas;
  state.setupInProgress = setupWas;
  return answered;
}

bool MainWindow::SearchGpsReceiver(int *found)
{
  int ignored = 0;
  if (!found)
    found = &ignored;
  *found = GpsModeSearch;
  const quint32 modeWas = CurrentGpsMode;
  const int presentRate = gpsPortDialog->GetBaud();
  if (gpsPortDialog->IsDoNotInitialize())
    return false;

  ReceiverBusyScope busy(*this);
  state.setupInProgress = true;
  for (const SearchTry &attempt : ReceiverSearchOrder(presentRate, LastGpsBaud)) {
    if (state.closing)
      break;
    SetGpsPortRate(attempt.rate);
    CurrentGpsMode = attempt.mode;
    if (attempt.mode == GpsModeMotorolaNmea) {
      for (const QByteArray &sentence : MotorolaNmeaQuietCommands())
        SendGpsRxCommand(sentence);
    }
    if (SendGpsCmdAndWait(ProbeCommand(attempt.mode))) {
      *found = int(attempt.mode);
      break;
    }
  }
  CurrentGpsMode = modeWas;
  if (*found == GpsModeSearch)
    SetGpsPortRate(presentRate);
  return *found != GpsModeSearch;
}

bool MainWindow::RevertReceiverBaudRate()
{
  const QByteArray rateCommand = MakeBaudRateCommand(RateChangeOldBaud);
  if (rateCommand.isEmpty() || RateChangeNewBaud == 0 || RateChangeOldBaud == 0)
    return false;
  ReceiverBusyScope busy(*this);
  receiverStatusLabel->setText(tr(DetectionTexts::Reverting));

  const quint32 modeWas = CurrentGpsMode;
  CurrentGpsMode = GpsModeMotorolaBinary;
  SetGpsPortRate(RateChangeNewBaud);
  commandTiming.Pause(BeforeRateProbeMs);
  if (!SendGpsCmdAndWait(rateCommand)) {
    CurrentGpsMode = modeWas;
    SetGpsPortRate(RateChangeNewBaud);
    return false;
  }
  commandTiming.Pause(AfterRateChangeMs);
  SetGpsPortRate(RateChangeOldBaud);
  commandTiming.Pause(BeforeOldRateProbeMs);
  const bool answered = SendGpsCmdAndWait("@@Cj") || SendGpsCmdAndWait("@@Cj");
  CurrentGpsMode = modeWas;
  if (!answered) {
    SetGpsPortRate(RateChangeNewBaud);
    return false;
  }
  receiverStatusLabel->setText(tr(ReturnedText));
  return true;
}

// ---------------------------------------------------------------------------
// Initialisation

bool MainWindow::InitializeGpsReceiver()
{
  if (state.closing)
    return false;
  ReceiverBusyScope busy(*this);
  InitializationRun run;

  // Preparation: nothing plays and nothing is decoded outside the reply
  // waits; what the last receiver left on the displays goes.
  QApplication::setOverrideCursor(Qt::WaitCursor);
  run.soundWas = soundOn;
  run.soundOutOfLockWas = soundOutOfLockOn;
  soundOn = false;
  soundOutOfLockOn = false;
  state.utcOffsetSeconds = 0;
  state.leapSecondPending = -1;
  state.dgpsInputState = 0;
  state.setupInProgress = true;
  for (int i = 0; i < SatelliteArraySize; ++i) {
    state.satellites[i] = state.blankRecord;
    state.displaySatellites[i] = state.blankRecord;
  }
  if (gpsRxIdDialog) {
    gpsRxIdDialog->SetIdText(QString());
    gpsRxIdDialog->ClearText();
  }
  SetAntennaStatus(-1);
  SetNavStatus(-1);
  ui->IDC_SATS_STATUS_MESSAGE->clear();
  ui->IDC_SATS_DOPS_MESSAGE->clear();
  ui->IDC_SATS_DGPS_MESSAGE->clear();
  if (CurrentGpsMode != GpsModeMotorolaBinary && gpsRxDialog) {
    gpsRxDialog->rxOnLocalTime = false;
    gpsRxDialog->emulatePvt6 = false;
  }
  run.modeAtStart = CurrentGpsMode;
  run.storedModeAtStart = gpsPortDialog->GetMode();
  run.startRate = gpsPortDialog->GetBaud();
  run.mode = GpsModeMotorolaBinary;

  // Locate.
  switch (CurrentGpsMode) {
  case GpsModeSearch: {
    receiverStatusLabel->setText(tr(SearchingText));
    int found = GpsModeSearch;
    if (SearchGpsReceiver(&found)) {
      run.mode = found;
      run.located = true;
      CurrentGpsMode = quint32(found);
      gpsPortDialog->SetMode(found);
      break;
    }
    if (state.closing)
      break;
    // No Motorola protocol answered: a u-blox receiver at its factory rate?
    state.setupInProgress = true;
    SetGpsPortRate(UbloxFallbackDataRate);
    CurrentGpsMode = GpsModeUbloxUbx;
    if (ProbeGpsReceiver(GpsModeUbloxUbx)) {
      run.mode = GpsModeUbloxUbx;
      run.located = true;
      run.ubloxByFallback = true;
    } else {
      run.mode = GpsModeMotorolaBinary;
      run.searchFailed = true;
    }
    CurrentGpsMode = quint32(run.mode);
    gpsPortDialog->SetMode(run.mode);
    break;
  }
  case GpsModeMotorolaBinary:
    receiverIdentity.firmwareVersion = 0.0;
    receiverIdentity.firmwareVersionText.clear();
    receiverIdentity.hasNmeaMode = true;
    [[fallthrough]];
  case GpsModeMotorolaLoran:
  case GpsModeMotorolaNmea:
    if (ProbeGpsReceiver(int(CurrentGpsMode))) {
      receiverStatusLabel->clear();
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
  SetAntennaStatus(-1);
  SetNavStatus(-1);

  // Closed during the search: nothing more goes to the receiver.
  if (state.closing) {
    run.writeMode = false;
    return FinishInitialization(run, false);
  }

  switch (run.mode) {
  case GpsModeGenericNmea:
    receiverStatusLabel->setText(tr(GenericNmeaText));
    receiverIdentity.model = GpsRxModel::GenericNmea;
    receiverIdentity.firmwareVersion = 0.0;
    receiverIdentity.firmwareVersionText.clear();
    receiverIdentity.channels = -1;
    receiverIdentity.nativeChannels = -1;
    receiverIdentity.hasDgps = false;
    receiverIdentity.hasTraim = false;
    receiverIdentity.plusFirmware = false;
    receiverIdentity.plusPlusFirmware = false;
    CurrentGpsMode = GpsModeGenericNmea;
    SetGpsPortRate(run.startRate);
    // Taken into use as it talks: there is nothing to ask it.
    return FinishInitialization(run, true);

  case GpsModeUbloxUbx:
  case GpsModeUbloxNmea:
    return InitializeUbloxReceiver(run);

  case GpsModeMotorolaBinaryRxOnly:
    gpsPortDialog->GetReceiverIdentity(receiverIdentity);
    CurrentGpsMode = GpsModeMotorolaBinaryRxOnly;
    SetGpsPortRate(run.startRate);
    ShowBinaryIdentificationText(CurrentGpsMode);
    // Only listened to: it counts as found without a question.
    return FinishInitialization(run, true);

  default:
    return InitializeMotorolaReceiver(run);
  }
}

bool MainWindow::InitializeMotorolaReceiver(InitializationRun &run)
{
  receiverStatusLabel->setText(tr(SettingUpText));
  receiverIdentity.model = GpsRxModel::M12M;
  receiverIdentity.hasDgps = false;
  receiverIdentity.hasTraim = false;
  receiverIdentity.plusFirmware = false;
  receiverIdentity.plusPlusFirmware = false;
  if (gpsNavDialog)
    gpsNavDialog->SetTimingErrorInputs(10.0, 100.0);
  const int rate = gpsPortDialog->GetBaud();
  const quint32 target = CurrentGpsMode;

  // Into Oncore binary, whatever it talks now.
  if (run.mode == GpsModeMotorolaNmea) {
    SendGpsRxCommand("$PMOTG,FOR,0");
  } else if (run.mode == GpsModeMotorolaLoran) {
    SendGpsRxCommand("BIN");
  } else if (!run.located) {
    SendGpsRxCommand("$PMOTG,FOR,0");
    commandTiming.Pause(CommandDelays::AfterModeSwitch);
  }

  CurrentGpsMode = GpsModeMotorolaBinary;
  receiverIdentity.firmwareVersion = 0.0;
  receiverIdentity.firmwareVersionText.clear();
  if (!SendGpsCmdAndWait("@@Cj")) {
    if (run.searchFailed) {
      // Nothing answered anywhere: the user's mode and rate stay as they
      // were, so the next attempt searches again.
      CurrentGpsMode = run.modeAtStart;
      gpsPortDialog->SetMode(run.storedModeAtStart);
      SetGpsPortRate(run.startRate);
      run.writeMode = false;
    } else {
      CurrentGpsMode = target;
      SetGpsPortRate(rate);
    }
    receiverStatusLabel->setText(tr(MotorolaNotFoundText));
    return FinishInitialization(run, false);
  }
  const qint32 model = receiverIdentity.model;

  if (!gpsPortDialog->IsDoNotInitialize()) {
    SendGpsRxCommand(Oncore("@@Cg", 0x01));
    SendGpsRxCommand(Oncore("@@Ba", 0x00));
    SendGpsRxCommand(Oncore("@@Ea", 0x00));
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
  if (SendsReferencePositionAtSetUp(gpsNavDialog))
    SendReferencePosition();
  ApplyReceiverParameters();

  const OncoreModelValues values = OncoreModelValuesOf(model);
  if (values.known) {
    receiverIdentity.nativeChannels = values.channels;
    // The 6-channel emulation keeps the 6-channel commands.
    receiverIdentity.channels = gpsRxDialog && gpsRxDialog->emulatePvt6 ? 6 : values.channels;
  }
  if (gpsNavDialog)
    gpsNavDialog->SetTimingErrorInputs(10.0, values.timingErrorB);
  ApplyTimingParameters();

  switch (target) {
  case GpsModeMotorolaBinary: {
    gpsPortDialog->SetBaud(rate);
    CurrentGpsMode = GpsModeMotorolaBinary;
    SendGpsRxCommand(Oncore("@@Bb", 0x01));
    const qint64 now = TimeSource::Current().NowMSecsSinceEpoch();
    state.lastBbAnswerMs = now;
    state.lastBbPollMs = now;
    if (ReceiverModelGroups::IsGCommand(model))
      SendGpsRxCommand(QByteArray("@@Gk") + QByteArray(6, char(0x2A)));
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
    commandTiming.Pause(BeforeLoranSwitchMs);
    SendGpsRxCommand(Oncore("@@Ci", 0x02));
    SetGpsPortRate(rate);
    CurrentGpsMode = GpsModeMotorolaLoran;
    // The LORAN start command goes out bare, at once.
    emit sendGpsMessage("T1");
    QCoreApplication::processEvents();
    receiverStatusLabel->setText(tr(LoranReadyText));
    break;
  default:
    break;
  }

  if (CurrentGpsMode == GpsModeMotorolaBinary || CurrentGpsMode == GpsModeMotorolaBinaryRxOnly)
    ShowBinaryIdentificationText(CurrentGpsMode);
  return FinishInitialization(run, true);
}

void MainWindow::HandOverToMotorolaNmea(int rateBefore, int startRate)
{
  int nmeaRate = rateBefore;
  const auto identified = [this] { return SendGpsCmdAndWait("@@Cj") || SendGpsCmdAndWait("@@Cj"); };

  // A Synergy receiver found at another rate goes back to the rate the user
  // chose before it leaves binary.
  const QByteArray rateCommand = MakeBaudRateCommand(startRate);
  if (ReceiverModelGroups::IsSynergy(receiverIdentity.model) && gpsPortDialog->GetBaud() != startRate &&
      !rateCommand.isEmpty()) {
    SendGpsCmdAndWait(rateCommand);
    const int previousRate = gpsPortDialog->GetBaud();
    SetGpsPortRate(startRate);
    commandTiming.Pause(AfterSynergyRateChangeMs);
    if (identified()) {
      RateChangeNewBaud = startRate;
      RateChangeOldBaud = previousRate;
      nmeaRate = startRate;
    } else {
      SetGpsPortRate(previousRate);
      commandTiming.Pause(BeforeRateProbeMs);
      if (identified()) {
        receiverStatusLabel->setText(tr(RateRefusedText));
        nmeaRate = previousRate;
      } else {
        RateChangeNewBaud = startRate;
        RateChangeOldBaud = previousRate;
        SetGpsPortRate(startRate);
        nmeaRate = startRate;
      }
    }
  }

  SendGpsRxCommand(Oncore("@@Ci", 0x01));
  commandTiming.Pause(AfterNmeaSwitchMs);
  SetGpsPortRate(nmeaRate);
  CurrentGpsMode = GpsModeMotorolaNmea;
  if (!SendGpsCmdAndWait(ProbeCommand(GpsModeMotorolaNmea))) {
    SendGpsRxCommand(Oncore("@@Ci", 0x01));
    commandTiming.Pause(AfterNmeaRetrySwitchMs);
    SendGpsCmdAndWait(ProbeCommand(GpsModeMotorolaNmea));
  }
  for (const QByteArray &sentence : MotorolaNmeaOutputCommands())
    SendGpsRxCommand(sentence);
  ShowNmeaIdentificationText();
}

bool MainWindow::InitializeUbloxReceiver(InitializationRun &run)
{
  receiverStatusLabel->setText(tr(UbloxSettingUpText));
  gpsPortDialog->GetReceiverIdentity(receiverIdentity);
  receiverIdentity.model = GpsRxModel::Ublox;
  receiverIdentity.firmwareVersion = 0.0;
  receiverIdentity.firmwareVersionText.clear();
  receiverIdentity.channels = 16;
  receiverIdentity.nativeChannels = 16;
  receiverIdentity.hasDgps = false;
  receiverIdentity.hasTraim = false;
  receiverIdentity.plusFirmware = false;
  receiverIdentity.plusPlusFirmware = false;
  if (gpsNavDialog)
    gpsNavDialog->SetTimingErrorInputs(10.0, 100.0);
  CurrentGpsMode = quint32(run.mode);
  const bool minimal = gpsPortDialog->IsDoNotInitialize();

  if (run.ubloxByFallback) {
    // It answered at 9600: it is told the user's rate there, then the port
    // follows it. Left alone, it stays at 9600, and so does the port.
    if (!minimal && run.startRate != UbloxFallbackDataRate) {
      SendGpsRxCommand(UbxPortFrame(run.startRate));
      commandTiming.Pause(UbloxPortSettleMs);
      SetGpsPortRate(run.startRate);
    }
  } else {
    SetGpsPortRate(run.startRate);
  }

  // Taken into use without a question.
  if (minimal)
    return FinishInitialization(run, true);

  SendGpsRxCommand(UbxPortFrame(gpsPortDialog->GetBaud()));
  commandTiming.Pause(UbloxPortSettleMs);
  bool answered = false;
  for (int poll = 0; poll < UbloxMonVerPolls && !answered && !state.closing; ++poll)
    answered = SendGpsCmdAndWait(UbxMonVerPoll());
  if (!answered) {
    state.setupInProgress = false;
    receiverStatusLabel->setText(tr(UbloxPortFailureText));
    QApplication::restoreOverrideCursor();
    soundOn = run.soundWas;
    soundOutOfLockOn = run.soundOutOfLockWas;
    return false;
  }

  for (const QByteArray &frame : UbxMessagesOffFrames())
    SendGpsRxCommand(frame);
  SendGpsRxCommand(UbxAntennaFrame());
  for (const QByteArray &frame : UbxMessagesOnFrames(CurrentGpsMode))
    SendGpsRxCommand(frame);
  receiverStatusLabel->setText(CurrentGpsMode == GpsModeUbloxUbx ? tr(UbloxUbxText) : tr(UbloxNmeaText));
  SetNavStatus(0);
  ApplyUbxSettingsAndSave(SendsReferencePositionAtSetUp(gpsNavDialog));
  return FinishInitialization(run, true);
}

bool MainWindow::FinishInitialization(InitializationRun &run, bool result)
{
  if (run.writeMode && !state.closing) {
    QSettings settings;
    settings.setValue(QLatin1String(MainWindowModeKey), run.mode);
  }
  if (gpsNavDialog)
    gpsNavDialog->ReloadSettings();
  state.setupInProgress = false;
  QApplication::restoreOverrideCursor();
  soundOn = run.soundWas;
  soundOutOfLockOn = run.soundOutOfLockWas;
  return result;
}
