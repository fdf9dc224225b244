#pragma once
// The conversation with the receiver: the port, the three decoders, the
// command clock, the plain send and the send-and-wait, the probe and the
// search, the return to a previous data rate, the initialisation of every
// receiver family and the set-up scripts. The one writer of the protocol
// mode in force; the port frames by the mode it is handed.
//
// No widgets: it reports through ReceiverSessionHost (displays, settings)
// and the decoders through DecoderHost, so it runs without a window, on a
// real receiver or a simulated one.

#include "core/GpsMode.h"
#include "receiver/decode/MessageRouting.h"
#include "receiver/decode/NmeaDecoder.h"
#include "receiver/decode/OncoreDecoder.h"
#include "receiver/decode/UbxDecoder.h"
#include "receiver/link/GpsSerialPortThread.h"
#include "receiver/session/CommandTiming.h"
#include "receiver/session/ReceiverSessionHost.h"

#include <QByteArray>
#include <QObject>

// The texts of the start-up receiver search.
namespace DetectionTexts {
inline constexpr char Retrying[] = "GPS receiver not found - retrying (attempt %1 of 3)...";
inline constexpr char Reverting[] = "GPS receiver not found - returning it to the previous rate...";
// The warning box's title, and the status bar's text after a search that
// ended without a receiver, until a receiver is found or a new search starts.
inline constexpr char NotFoundTitle[] = "GPS Receiver not found";
inline constexpr char NotFoundText[] =
    "Go to the menu and select Edit/Set GPS Receiver Interface. There you can select a different "
    "serial port, and/or select a different receiver type.";
}  // namespace DetectionTexts

class DecoderHost;
class SetupScript;
struct CommandWaitPlan;
struct ReceiverState;

class ReceiverSession : public QObject {
  Q_OBJECT

public:
  ReceiverSession(ReceiverState &state, DecoderHost &decoderHost, ReceiverSessionHost &host,
                  QObject *parent = nullptr);
  ~ReceiverSession() override;

  GpsSerialPortThread &Port() { return port; }
  CommandTiming &Timing() { return timing; }
  ReceiverState &State() { return state; }

  // The protocol mode in force: selects framer, decoder and command set.
  quint32 Mode() const { return CurrentGpsMode; }
  void SetMode(quint32 mode);

  // --- Messages from the port ---
  ReceiverDecoderSet Decoders() { return {oncore, nmea, ubx}; }
  // A framed message (or the 1PPS marker) through the decoder of the mode
  // in force: the raw-data window's line and whether the log takes it.
  // Nothing while the set-up gate is closed or the session is closing; the
  // marker always passes.
  RoutedMessage Route(const QByteArray &message, bool rawWindowShown);

  // --- Command layer ---
  // Completes and sends a command, shows its echo, then pauses.
  void SendGpsRxCommand(QByteArray command);
  // Sends a command and waits for its reply by its wait plan; whether the
  // reply came (true at once for commands without a reply).
  bool SendGpsCmdAndWait(QByteArray command);
  // One reply-wait step with the set-up gate open.
  bool WaitForResponse();
  // Held while a set-up or a reply wait runs (set-up routines hold one for
  // their whole run): the host hears when the first begins and the last
  // ends.
  class BusyScope {
  public:
    explicit BusyScope(ReceiverSession &session);
    ~BusyScope();
    BusyScope(const BusyScope &) = delete;
    BusyScope &operator=(const BusyScope &) = delete;

  private:
    ReceiverSession &session;
  };
  bool Busy() const { return busyDepth > 0; }
  // The window is closing: every pause and wait ends at once.
  void Cancel();
  // Ends the receiver search that runs (nothing when nothing runs): the
  // pause or wait in progress ends at once, nothing more is sent, and each
  // step returns as if the receiver had not answered, until the outermost
  // busy scope has ended; the session is then ready for a fresh start. A
  // set-up or reply wait outside a search is left to finish (its waits are
  // bounded; cut off, it would leave the receiver half set up), and no
  // search starts after it in the same run.
  void EndSearch();
  // While closing or ending a search: the steps unwind without sending.
  bool Stopping() const;
  // Stopping, or a search end was asked during a set-up: the caller starts
  // no further search in this run.
  bool SearchEnded() const;

  // --- Search and initialisation ---
  // Asks, at the port's present rate, whether a receiver answers in `mode`.
  bool ProbeGpsReceiver(int mode);
  // Tries the Motorola protocols at their rates; writes the mode found (or
  // 11, Search) to *found and leaves the port at the rate that answered.
  bool SearchGpsReceiver(int *found);
  // Sends the receiver back to the data rate before the last change and
  // probes it; true when it answered.
  bool RevertReceiverBaudRate();
  // Search, identify and set up the receiver of the current mode; true when
  // it answered.
  bool InitializeGpsReceiver();
  // "@@Wb" with the rate's bytes, or empty for a rate the receiver lacks.
  static QByteArray MakeBaudRateCommand(int rate);
  // The interface change: sends the rate command of the new mode and rate;
  // true when the receiver has confirmed it moved, so that a probe at the
  // new rate can stand in for the search.
  bool SwitchReceiverRate(int mode, int rate, bool samePort, bool rateChanged);
  // After a confirmed rate change: whether the receiver answers at the new
  // rate (one repeat).
  bool ProbeReceiverAtNewRate(int mode);
  // Stores the rate and reopens the port at it (not while closing).
  void SetGpsPortRate(int rate);
  // (Re)opens the port with the stored settings.
  void StartPort();

  // --- Set-up ---
  void PlaySetupScript(const SetupScript &script);
  void ApplyTimingParameters();
  // A u-blox configuration ends with the save-and-reset frames unless the
  // caller sends them itself (the initialisation, after its own frames).
  void ApplyReceiverParameters(bool withUbxClosingFrames = true);
  void ApplyReceiverParametersInNmeaMode();
  void SendReferencePosition();
  void SendCurrentDateTime();
  // The T-RAIM command for a channel count from the state's T-RAIM record.
  QByteArray MakeTraimCommand(int channels) const;
  // A receiver without Motorola NMEA stays in binary; the user is told.
  void ReportNoNmeaMode();
  // What OK in the receiver mode dialog applies, by the mode in force;
  // true when the receiver is to be initialised afresh instead (the owner
  // does that, as its search would).
  bool ApplyReceiverModeSettings();
  // The end of a u-blox initialisation: configuration, reference position
  // (when asked), timing, then the saving and the reset frames.
  void ApplyUbxSettingsAndSave(bool sendReferencePosition);
  // The status bar's receiver description after an Oncore initialisation
  // (binary or receive-only: the heartbeat shows off) or an NMEA hand-over.
  void ShowBinaryIdentificationText(quint32 mode);
  void ShowNmeaIdentificationText();

  // The data rates after and before the last port change; 0 when none.
  int RateChangeNewBaud = 0;
  int RateChangeOldBaud = 0;

signals:
  // Every command the session sends, as it goes to the port.
  void sendGpsMessage(QByteArray message);

private:
  struct InitializationRun;
  // Finds the receiver for the mode in force (a probe, the search, the
  // u-blox fallback): the part of an initialisation EndSearch cuts off.
  void LocateReceiver(InitializationRun &run);
  bool InitializeMotorolaReceiver(InitializationRun &run);
  bool InitializeUbloxReceiver(InitializationRun &run);
  void HandOverToMotorolaNmea(int rateBefore, int startRate);
  // The end of every initialisation but a failed u-blox port set-up.
  bool FinishInitialization(InitializationRun &run, bool result);

  // Wait steps until the plan's reply comes, its time-out passes or the
  // session is cancelled; whether it came.
  bool AwaitReply(const CommandWaitPlan &plan);
  void ChangeBusy(int delta);
  // Holds the receiver's bytes back during a pause of the command layer;
  // what came meanwhile is framed in the next event loop that is no pause.
  void HoldReceiverLine(bool hold);
  void ReadHeldReceiverBytes();

  ReceiverState &state;
  ReceiverSessionHost &host;
  GpsSerialPortThread port;
  CommandTiming timing;
  OncoreDecoder oncore;
  NmeaDecoder nmea;
  UbxDecoder ubx;

  // Held over the part of a run that looks for the receiver: what
  // EndSearch cuts off at once.
  class SearchScope {
  public:
    explicit SearchScope(ReceiverSession &session);
    ~SearchScope();
    SearchScope(const SearchScope &) = delete;
    SearchScope &operator=(const SearchScope &) = delete;

  private:
    ReceiverSession &session;
  };

  int busyDepth = 0;
  int searchDepth = 0;
  bool searchEndAsked = false;
  int lineHoldDepth = 0;
  bool lineHeld = false;
  // The 1PPS rate and length bytes as last sent; a u-blox configuration
  // sends the time pulse only when they change.
  quint8 lastPpsRateSent = 0;
  quint8 lastPpsDurationSent = 0;
};
