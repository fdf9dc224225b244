#pragma once
// The one main window: it owns the receiver and counter ports, the dialogs,
// the log files and the shared receiver state, wires them together and
// delegates. Protocol work lives in the parts it owns.

#include "app/ElidingLabel.h"
#include "core/GpsDateTime.h"
#include "core/ReceiverState.h"
#include "core/SatelliteRecord.h"
#include "clock/PcClockSync.h"
#include "logging/GpsDataLog.h"
#include "logging/GpsLogSettings.h"
#include "logging/TicDataLog.h"
#include "receiver/session/ReceiverSession.h"
#include "receiver/session/ReceiverSilenceWatch.h"
#include "receiver/session/TimingSettings.h"
#include "platform/TickSounds.h"
#include "tic/TicSerialPortThread.h"

#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QList>
#include <QMainWindow>
#include <QMessageBox>
#include <QPair>
#include <QPixmap>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QVersionNumber>

#include <functional>
#include <memory>

class AboutBox;
class DecoderHost;
class GpsLogTypeDialog;
class GpsNavDialog;
class GpsPortDialog;
class GpsRawDataDialog;
class GpsRxDialog;
class GpsRxIdDialog;
class HelpWindow;
class ManualCommandDialog;
class MessageBoxes;
class QActionGroup;
class QCloseEvent;
class QFileDialog;
class QLabel;
class QPlainTextEdit;
class QProgressBar;
class RemoteCommandHost;
class RemoteCommandInterpreter;
class QPushButton;
class ReferenceLocationDialog;
class SatAzElChartDialog;
class SatelliteSelect;
class SetupScript;
class SetPcClockDialog;
class TelnetLink;
class TelnetTcpServer;
class TicFileDialog;
class TicPortDialog;
class TicLineProcessor;
class TicProcessedDataDialog;
class TicProcessingHost;
class TicRawDataDialog;
class TimingDialog;
class UpdateCheck;

namespace Ui {
class MainWindow;
}

// The settings group of the main window and its keys.
namespace MainWindowKeys {
inline constexpr char Geometry[] = "MainWindow/geometry";
inline constexpr char WindowState[] = "MainWindow/windowState";
inline constexpr char ClockDisplay[] = "MainWindow/ClockDisplay";
inline constexpr char NavigationDataFormat[] = "MainWindow/Navigation Data Format";
inline constexpr char ToolbarVisible[] = "MainWindow/Toolbar Visible";
inline constexpr char SatelliteSortMode[] = "MainWindow/Satellite Sort Mode";
inline constexpr char Sound[] = "MainWindow/Sound";
inline constexpr char SoundOutOfLock[] = "MainWindow/Sound OOL";
}  // namespace MainWindowKeys


// The status-bar texts of "from Current" and "from Average" while they have
// nothing to take; short, so they fit beside the status indicators.
inline constexpr char NoPositionYetText[] = "No position from the receiver yet.";
inline constexpr char NoAveragesYetText[] = "No averaged position yet.";

class MainWindowDecoderHost;
class MainWindowSessionHost;

class MainWindow : public QMainWindow {
  Q_OBJECT

public:
  static constexpr int TicPortCount = 8;

  explicit MainWindow(QWidget *parent = nullptr);
  ~MainWindow() override;

  // Shows the window and, unless it is already closing, searches for the
  // receiver.
  void ShowAndDetectReceiver();
  // Up to three searches, one more at the previous data rate after a rate
  // change, and a warning when the receiver stays silent. A port that is
  // off or failed to open gets the warning at once, without a search. A
  // search that ends without a receiver leaves "GPS Receiver not found" in
  // the status bar.
  void DetectGpsReceiver();
  // Ends the program, in every phase: the window closes (which unwinds a
  // receiver search or wait in progress, also before the event loop has
  // started, and stops the ports), the other windows close, and the event
  // loop ends if it runs. File > Exit, the termination signals and the
  // installer's start come here.
  void EndProgram();

  // Message boxes go through this object (not owned; the interactive one by
  // default), so that another can answer them instead of a person.
  void SetMessageBoxes(MessageBoxes *boxes);
  MessageBoxes &Boxes() const { return *messageBoxes; }
  // The tick sounds are played through this object (not owned; the window's
  // own sound effects by default).
  void SetTickSounds(TickSounds *sounds) { tickSounds = sounds ? sounds : &ownTickSounds; }

  // --- Receiver detection and set-up: the receiver session's, by the
  // window's names (MainWindow_Session.cpp) ---
  ReceiverSession &Session() { return *session; }
  // The protocol mode in force, through the session (the port follows).
  void SetGpsMode(quint32 mode);
  // Search, identify and set up the receiver of the current mode; true when
  // it answered. Virtual, so that a subclass can stand in for the receiver.
  virtual bool InitializeGpsReceiver();
  // Sends the receiver back to the data rate before the last change and
  // probes it; true when it answered.
  virtual bool RevertReceiverBaudRate();
  // Asks, at the port's present rate, whether a receiver answers in `mode`.
  bool ProbeGpsReceiver(int mode);
  // Tries the Motorola protocols at their rates; writes the mode found (or
  // 11, Search) to *found and leaves the port at the rate that answered.
  bool SearchGpsReceiver(int *found);
  // "@@Wb" with the rate's bytes, or empty for a rate the receiver lacks.
  static QByteArray MakeBaudRateCommand(int rate);
  void ApplyTimingParameters();
  // A u-blox configuration ends with the save-and-reset frames unless the
  // caller sends them itself (the initialisation, after its own frames).
  void ApplyReceiverParameters(bool withUbxClosingFrames = true);
  void ApplyReceiverParametersInNmeaMode();
  void ClearReceiverId();
  bool SendGpsCmdAndWait(QByteArray command);
  bool WaitForResponse();
  static bool AppendOncoreChecksum(QByteArray &message);
  static bool AppendNmeaChecksum(QByteArray &sentence);
  static bool AppendUbxChecksum(QByteArray &frame);

  // The receiver mode settings in force: loaded at start, replaced by the
  // mode dialog after it closes, and read by the set-up and the decoders.
  const ReceiverModeSettings &ReceiverMode() const { return receiverMode; }
  void SetReceiverMode(const ReceiverModeSettings &settings) { receiverMode = settings; }
  // The navigation status last shown: -1 none, 0 navigating, 1 position
  // hold, 2 surveying.
  int NavStatus() const { return navStatus; }

  // The clock of every pause and reply wait of the command layer and the
  // set-up routines; its scale shortens them all at once.
  CommandTiming &Timing() { return session->Timing(); }
  // Empties the clock display's cached texts and the stored DOP values.
  void ClearDisplayCache();
  GpsRxIdDialog *RxIdDialog() const { return gpsRxIdDialog; }
  // Held while a set-up or a reply wait runs (set-up routines hold one for
  // their whole run): the actions that could start another one (receiver
  // parameters, timing parameters, self test, self survey) are disabled
  // meanwhile and get their states back when the last ends. The receiver
  // interface stays enabled: it ends a search (a set-up it lets finish),
  // then opens its dialog.
  class ReceiverBusyScope {
  public:
    explicit ReceiverBusyScope(MainWindow &window);

  private:
    ReceiverSession::BusyScope busy;
  };
  bool ReceiverBusy() const { return session->Busy(); }

  // Plays a set-up script through the command layer: plain sends, awaited
  // sends and pauses on the command clock.
  void PlaySetupScript(const SetupScript &script);
  void SendReferencePosition();
  void SendCurrentDateTime();
  // The T-RAIM command for a channel count from the window's T-RAIM record.
  QByteArray MakeTraimCommand(int channels) const;
  // A receiver without Motorola NMEA stays in binary; the user is told.
  void ReportNoNmeaMode();
  // What OK in the receiver mode dialog applies, by the mode in force.
  void ApplyReceiverModeSettings();
  // The end of a u-blox initialisation: configuration, reference position
  // (when asked), timing, then the saving and the reset frames.
  void ApplyUbxSettingsAndSave(bool sendReferencePosition);
  // The status bar's receiver description after an Oncore initialisation
  // (binary or receive-only: the heartbeat shows off) or an NMEA hand-over.
  void ShowBinaryIdentificationText(quint32 mode);
  void ShowNmeaIdentificationText();

  // --- PC clock (MainWindow_PcClock.cpp) ---
  void SyncPcClock();
  void LoadPcClockSettings();
  PcClockSync &PcClock() { return pcClockSync; }
  SetPcClockDialog *PcClockDialog() const { return setPcClockDialog; }
  qint64 PcClockOffset() const { return PcClockOffsetMs; }

  // --- Logs ---
  void WriteGpsLog(const QString &text);
  void WriteBinaryGpsLog(const QByteArray &message);
  void WriteTicLog(const QString &text);
  bool CloseGpsLogFile(bool withoutAsking);
  bool CloseTicLogFiles(bool withoutAsking);
  bool OpenGpsLogFile(int mode);
  bool OpenTicLogFiles(int mode);
  bool FlushLogFiles();
  void GpsDataLogFileDialog(bool newLog);
  void TicDataLogFileDialog(bool newLog);

  // --- GPS data log (MainWindow_Logs.cpp) ---
  bool FlushGpsLogFile();
  // The day roll-over of the per-second tick: closes the log with its
  // trailer and, with auto-restart on, opens the new day's file (appending
  // when it exists; a failure is reported). True when a log is open after.
  bool RollOverGpsLogFile();
  GpsDataLog &GpsLog();
  GpsLogTypeDialog *LogTypeDialog() const { return gpsLogTypeDialog; }
  // Runs the file dialog of the New/Open windows of both logs and returns
  // its result; another runner can answer without a person. Empty: the
  // dialog's exec().
  std::function<int(QFileDialog &)> logFileDialogRunner;

  // --- TIC log set (MainWindow_TicLog.cpp) ---
  // The set: the counter rows go in through its WriteTimeRow and
  // WriteAverageRow, and its options (time-tag format, log style, time-log
  // interval, averaging period) are read from it.
  TicDataLog &TicLog();
  // The day roll-over of the per-second tick: closes the set and, with
  // auto-restart on, opens the new day's set (appending when it exists; a
  // failure is reported). True when the close closed something.
  bool RollOverTicLogFiles();
  // Loads the TIC options again after they were stored (the New/Open panel,
  // a remote command).
  void LoadTicLogOptions();
  // The time tag of a TIC row: the text of the chosen format and a blank.
  QString LogTimeTag();
  TicFileDialog *TicFileOptions() const { return ticFileDialog; }

  // --- Counters (MainWindow_Tic.cpp) ---
  void ProcessTicLine(QByteArray line);
  // The red status-bar notice naming every counter port that is down
  // (elided to its room, whole in its tool tip); hidden while none is.
  QLabel *TicPortLostLabel() const { return ticPortLostLabel; }
  void OnTicPortLost(int port, const QString &reason);
  void OnTicPortStarted(int port);
  // A counter port's notice of dropped readings, in the raw-data window.
  void OnTicReadingsDropped(const QString &text);
  void ShowTicPortsDown();
  TicLineProcessor &TicProcessor() { return *ticProcessor; }
  TicRawDataDialog *TicRawWindow() const { return ticRawDataDialog; }
  TicProcessedDataDialog *TicProcessedWindow() const { return ticProcessedDataDialog; }

  // --- Display (MainWindow_Display.cpp) ---
  void UpdateClockDisplay();
  void UpdateSatelliteTable();
  // Publishes the NMEA decoder's completed group of satellites in view:
  // "%1.1d Visible" when the count changed, then the table; nothing while
  // no group is complete (MainWindow_Dispatch.cpp).
  void UpdateVisibleCount();
  void UpdateSatSortButtons(int column);
  static QString MonthAbbreviation(int month);

  // --- Updates ---
  void AutoCheckForUpdates();
  // Starts a manifest check unless one runs or an update dialog is open.
  // The dialog and the boxes of a check wait for the user without holding
  // up anything else.
  void StartUpdateCheck(bool interactive);

  // --- Settings ---
  void ReadSettings();
  void WriteSettings();

  // Read access for the parts that share the window's state.
  ReceiverState &State() { return state; }
  Ui::MainWindow *Form() const { return ui; }
  GpsSerialPortThread &ReceiverPort() { return session->Port(); }
  TicSerialPortThread &TicPort(int port) { return ticPorts[port - 1]; }
  QLabel *ReceiverStatusLabel() const { return receiverStatusLabel; }
  TelnetTcpServer *RemoteServer() const { return telnetServer; }
  HelpWindow *Help() const { return helpWindow; }
  GpsRawDataDialog *RawDataDialog() const { return gpsRawDataDialog; }
  GpsPortDialog *PortDialog() const { return gpsPortDialog; }
  TelnetLink *RemoteLinkDialog() const { return telnetLink; }
  int ClockDisplayModeSetting() const { return ClockDisplayMode; }
  int NavDataFormat() const { return navDataFormat; }
  int SatelliteSortModeSetting() const { return SatelliteSortMode; }
  bool SoundOn() const { return soundOn; }
  bool SoundOutOfLockOn() const { return soundOutOfLockOn; }
  int PpsSignalChoice() const { return ppsSignal; }
  const QVersionNumber &Version() const { return version; }

signals:
  void window_loaded();
  void sendGpsMessage(QByteArray message);
  void startGpsSerialPort(bool start);
  void startTicSerialPort1(int port);
  void startTicSerialPort2(int port);
  void startTicSerialPort3(int port);
  void startTicSerialPort4(int port);
  void startTicSerialPort5(int port);
  void startTicSerialPort6(int port);
  void startTicSerialPort7(int port);
  void startTicSerialPort8(int port);

public slots:
  void setDefaultStatusTipText(const QString &message);
  void TelnetLinkInterface();
  void OnNewGpsText(QByteArray message);
  void OnClockTick();
  void OnNewTicText(QByteArray line);
  void showErrorMessageBox(QString text);
  void appendPlainText_to_RawDataDialog_and_Log(QString text);
  void SendGpsRxCommand(QByteArray command);
  void OnTelnetCommand(QByteArray command);
  // Judges the running manifest check's answer: reports it (interactive
  // checks), or opens the update dialog for a newer version.
  void OnUpdateManifestReady(bool ok, QString error);
  void ResetHeartbeat();

  void SatSortBtn_PRN_pressed();
  void SatSortBtn_El_pressed();
  void SatSortBtn_Azm_pressed();
  void SatSortBtn_CNo_pressed();

  // Menu actions.
  void actionNew_GPS_Data_Log_triggered();
  void actionOpen_GPS_Data_Log_triggered();
  void actionClose_GPS_Data_Log_triggered();
  void actionNew_TIC_Data_Log_triggered();
  void actionOpen_TIC_Data_Log_triggered();
  void actionClose_TIC_Data_Log_triggered();
  void actionExit_triggered();
  void actionCopy_triggered();
  void actionSet_GPS_Receiver_Interface_triggered();
  void actionSet_TIC_Interface_triggered();
  void actionToolbar_triggered();
  void actionView_Satellite_Az_El_Chart_triggered();
  void actionGps_Raw_Data_triggered();
  void actionReceiver_ID_Message_triggered();
  void actionGps_Data_Both_triggered();
  void actionTic_Raw_Data_triggered();
  void actionTic_Processed_Data_triggered();
  void actiondegrees_dd_ddd_triggered();
  void actiondegrees_minutes_dd_mm_mmm_triggered();
  void actiondegrees_minutes_seconds_dd_mm_ss_sss_triggered();
  void actionSoundAll_triggered();
  void actionSoundOutOfLockOnly_triggered();
  void actionSoundClockTicksOnly_triggered();
  void actionSoundNone_triggered();
  void actionSet_PC_Clock_triggered();
  void actionfrom_Average_triggered();
  void actionfrom_Current_triggered();
  void actionManual_Entry_triggered();
  void actionSet_Timing_Parameters_triggered();
  void actionAveraging_Parameters_triggered();
  void actionSet_GPS_Receiver_Parameters_triggered();
  void actionManual_GPS_Receiver_Commands_triggered();
  void actionInitiate_GPS_Receiver_Self_Test_triggered();
  void actionInitiate_GPS_Receiver_Self_Survey_triggered();
  void actionManual_Satellite_Select_triggered();
  void actionSend_new_firmware_to_GPS_Rx_triggered();
  void actionDisable_triggered();
  void actionSNTP_Server_RFC_2030_triggered();
  void actionUDP_IP_Server_RFC_868_triggered();
  void actionUTC_triggered();
  void actionPC_triggered();
  void actionGMST_triggered();
  void actionLMST_triggered();
  void actionMJD_triggered();
  void actionPC_U_triggered();
  void actionTIC_triggered();
  void actionTIC_Raw_triggered();
  void actionHelp_Topics_triggered();
  void actionAbout_triggered();
  void actionCheck_for_Updates_triggered();

protected:
  void closeEvent(QCloseEvent *event) override;
  void showEvent(QShowEvent *event) override;

private:
  void BuildStatusBar();
  void PrepareTables();
  void ConnectActions();
  // (Re)opens the eight counter ports with their stored settings.
  void StartTicPorts();
  void StopPorts();
  QLabel *MakeStatusLabel(const QString &text, const QString &style);
  void SetClockDisplayMode(int mode);
  void SetNavDataFormat(int format);
  void SetSounds(bool ticks, bool outOfLock);
  // Heartbeat on, and off again shortly (MainWindow_Tick.cpp).
  void ShowHeartbeat();

  Ui::MainWindow *ui;
  HelpWindow *helpWindow = nullptr;

  // The texts last written to the clock area, the position pieces and the
  // receiver texts of the decoders.
  QString clockText;
  QString gpsDateText;
  QString pcClockText;
  QString siderealText;
  QString positionPieces[4];
  QString receiverModeText;
  QString receiverStatusText;

  QPushButton *satSortButtons[4] = {};
  QProgressBar *satCnoBars[SatelliteTableRows] = {};

  QLabel *antennaStatusLabel = nullptr;
  QLabel *constellationLabel = nullptr;
  QLabel *navStatusLabel = nullptr;
  QLabel *ntpStatusLabel = nullptr;
  QLabel *heartbeatLabel = nullptr;
  QLabel *receiverStatusLabel = nullptr;
  ElidingLabel *receiverPortLostLabel = nullptr;
  ElidingLabel *ticPortLostLabel = nullptr;
  ReceiverSilenceWatch receiverSilence;
  QTimer receiverSilenceTimer;
  QString ticPortLostReasons[TicPortCount];  // empty while the port is not down

  QPixmap heartbeatOffIcon;
  QPixmap heartbeatOnIcon;
  QPixmap ntpOffIcon;
  QPixmap ntpOnIcon;

  // The state the decoders, the command layer and the tick share.
  ReceiverState state;

  int ppsSignal = 0;  // 0 none, 1 DCD, 2 CTS, 3 DSR
  int navDataFormat = 0;

  // The receiver conversation and what it asks of the window
  // (MainWindow_Session.cpp); the decoders report through decoderHost.
  friend class MainWindowSessionHost;
  void MakeReceiverSession();
  void OnReceiverBusyChanged(bool busy);
  std::unique_ptr<MainWindowDecoderHost> decoderHost;
  std::unique_ptr<ReceiverSessionHost> sessionHost;
  std::unique_ptr<ReceiverSession> session;

  TicSerialPortThread ticPorts[TicPortCount];
  bool gpsPortStartArgument = false;

  QPlainTextEdit *textEdit = nullptr;

  GpsRawDataDialog *gpsRawDataDialog = nullptr;
  TicRawDataDialog *ticRawDataDialog = nullptr;
  TicProcessedDataDialog *ticProcessedDataDialog = nullptr;
  GpsPortDialog *gpsPortDialog = nullptr;
  GpsNavDialog *gpsNavDialog = nullptr;
  GpsRxDialog *gpsRxDialog = nullptr;
  ReceiverModeSettings receiverMode;
  int navStatus = -1;
  TimingDialog *timingDialog = nullptr;
  SetPcClockDialog *setPcClockDialog = nullptr;
  SatAzElChartDialog *satAzElChartDialog = nullptr;
  ReferenceLocationDialog *referenceLocationDialog = nullptr;
  ManualCommandDialog *manualCommandDialog = nullptr;
  GpsLogTypeDialog *gpsLogTypeDialog = nullptr;
  GpsRxIdDialog *gpsRxIdDialog = nullptr;
  SatelliteSelect *satelliteSelect = nullptr;
  TelnetLink *telnetLink = nullptr;
  TicPortDialog *ticPortDialog = nullptr;
  TicFileDialog *ticFileDialog = nullptr;

public:
  // The timing and GPS log settings in force: loaded at start-up, taken
  // from their dialogs after an edit. Everyone reads these, never a dialog.
  const TimingSettings &TimingValues() const { return timingValues; }
  void SetTimingValues(const TimingSettings &values) { timingValues = values; }
  const GpsLogSettings &GpsLogValues() const { return gpsLogValues; }
  void SetGpsLogValues(const GpsLogSettings &values) { gpsLogValues = values; }

private:
  TimingSettings timingValues;
  GpsLogSettings gpsLogValues;

  QDateTime startTime;
  // PC-clock bookkeeping, owned by the clock step.
  QDateTime lastPcClockSet;
  qint64 PcClockOffsetMs = 0;
  bool ClockSetDone = false;
  PcClockSync pcClockSync;

  bool soundOn = true;
  bool soundOutOfLockOn = true;
  SoundEffectTickSounds ownTickSounds;
  TickSounds *tickSounds = &ownTickSounds;

  // What each satellite-table row 1..16 shows now.
  SatelliteRecord rowCache[SatelliteTableRows];

  int ClockDisplayMode = 0;  // 0 UTC, 1 PC, 2 LMST, 3 GMST, 4 MJD, 5 PC-U, 6 TIC, 7 TIC Raw
  QActionGroup *clockDisplayGroup = nullptr;
  QActionGroup *positionFormatGroup = nullptr;
  QActionGroup *soundGroup = nullptr;

  // The GPS data log and what it asks of the window (MainWindow_Logs.cpp).
  std::unique_ptr<GpsDataLogHost> gpsLogHost;
  std::unique_ptr<GpsDataLog> gpsDataLog;
  // The TIC log set and what it asks of the window (MainWindow_TicLog.cpp).
  std::unique_ptr<TicDataLogHost> ticLogHost;
  std::unique_ptr<TicDataLog> ticDataLog;

  bool ticRawWindowOpened = false;
  bool ticProcessedWindowOpened = false;
  // The counter lines' processing and what it asks of the window.
  friend class MainWindowTicHost;
  void MakeTicProcessor();
  std::unique_ptr<TicProcessingHost> ticHost;
  std::unique_ptr<TicLineProcessor> ticProcessor;

  int SatelliteSortMode = 4;  // 0 PRN, 1 elevation, 2 azimuth, 3 C/No, 4 unsorted

  TelnetTcpServer *telnetServer = nullptr;
  // The remote client's commands and what they ask of the window
  // (MainWindow_Remote.cpp).
  friend class MainWindowRemoteHost;
  std::unique_ptr<RemoteCommandHost> remoteHost;
  std::unique_ptr<RemoteCommandInterpreter> remoteInterpreter;

  UpdateCheck *updateCheck = nullptr;
  bool updateCheckInteractive = false;
  bool updateDialogOpen = false;
  // A box of the update check, titled with the product name, over `parent`
  // (the window by default); shown without waiting for its answer.
  void ShowUpdateBox(QMessageBox::Icon icon, const QString &text, QWidget *parent = nullptr);

  QVersionNumber version;
  MessageBoxes *messageBoxes;

  // The actions disabled while the receiver is busy, with their states
  // before.
  QList<QPair<QAction *, bool>> actionsHeldWhileBusy;
  // The receiver interface was chosen while a search or set-up ran: its
  // dialog opens once that has unwound.
  bool interfaceDialogPending = false;
  // Counter boxes from before the window is up (the counters open in the
  // constructor): shown, without waiting for an answer, once it is.
  QStringList heldCounterBoxes;
  bool counterBoxesReleased = false;
  void ReleaseHeldCounterBoxes();

  // --- Receiver message dispatch and status indicators
  //     (MainWindow_Dispatch.cpp, MainWindow_Indicators.cpp) ---
public:
  // The decoders of the three protocols. Each reports to the window through
  // ReceiverDecoderHost() and returns what the raw-data window shows.
  QString DecodeMotorolaBinaryMessage(QByteArray message);
  bool DecodeNmeaSentence(const QByteArray &sentence);
  QString DecodeUbxMessage(const QByteArray &frame);
  DecoderHost &ReceiverDecoderHost();
  // Status bar indicators; any other value shows the unknown state.
  void SetAntennaStatus(int status);  // 0 OK, 1 short, 2 open, 3 no power
  void SetNavStatus(int status);      // 0 navigating, 1 position hold, 2 surveying
  // One fix to the averaging; shows the fix's grid-square locator.
  void ShowPosition(double latitude, double longitude, double height, double mslHeight);
  QLabel *AntennaStatusLabel() const { return antennaStatusLabel; }
  QLabel *NavStatusLabel() const { return navStatusLabel; }
  QLabel *HeartbeatLabel() const { return heartbeatLabel; }
  // The red status-bar notice of a receiver port closed by a failure
  // (elided to its room, whole in its tool tip); hidden while the port is
  // fine.
  QLabel *ReceiverPortLostLabel() const { return receiverPortLostLabel; }
  // The receiver port closed after a device failure: said in the status
  // bar, the navigation status and the raw-data window until it reopens.
  void OnReceiverPortLost(const QString &portName, const QString &reason);
  void OnReceiverPortOpened();
  // A receiver that stops talking on an open port: "No Data" in the
  // navigation status until its next message.
  void CheckReceiverSilence();
  void OnReceiverMessage();

  // --- Field helpers of the decoders (MainWindow_Fields.cpp) ---
  // The first comma-separated field of `line`, cut off it (receiver/FieldReaders.h).
  static QByteArray NextField(QByteArray &line, const QByteArray &fallback);
  // Rising (+1) or setting (-1) satellite by its elevation history (receiver/ElevationTrend.h).
  int ElevationTrend(int satellite, int elevation);
  // --- end field helpers ---

private:
  friend class MainWindowDecoderHost;
  // --- end dispatch and indicators ---

  // --- Menu actions (MainWindow_Menus.cpp) ---
public:
  ManualCommandDialog *ManualCommands() const { return manualCommandDialog; }
  // Whether counter `port` (1..8) is waiting for fresh readings.
  bool TicStale(int port) const { return state.ticStale[port - 1]; }

private:
  void ShowGpsRawDataWindow();
  void ShowReceiverIdWindow();
  void MakeManualCommandDialog();
  GpsNavDialog &NavDialog();
  // Whether there is a position to take as the reference; if not, says so
  // with `refusal` in the status bar.
  bool HasReferenceSource(bool available, const char *refusal);
  // Both times' observer location, for the sidereal times.
  void SetTimesLocation(double latitude, double longitude);
  // Sends the "@@Wb" of the new mode and rate; true when the receiver has
  // confirmed it moved, so that a probe at the new rate can stand in for
  // the search.
  bool SwitchReceiverRate(int mode, int rate, bool samePort, bool rateChanged);
  // After a confirmed rate change: whether the receiver answers at the new
  // rate (one repeat).
  bool ProbeReceiverAtNewRate(int mode);
  // --- end menu actions ---
};
