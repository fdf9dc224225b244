#include "app/MainWindow.h"

#include "ui_MainWindow.h"

#include "app/ElidingLabel.h"
#include "app/GpsRawDataDialog.h"
#include "app/MainWindowDecoderHost.h"
#include "app/MessageBoxes.h"
#include "app/StatusMessageRoom.h"
#include "core/GpsMode.h"
#include "core/ProgramState.h"
#include "core/ReceiverIdentity.h"
#include "core/StoredSetting.h"
#include "clock/SetPcClockDialog.h"
#include "help/AboutBox.h"
#include "help/HelpWindow.h"
#include "logging/GpsLogTypeDialog.h"
#include "logging/TicFileDialog.h"
#include "platform/TimeSource.h"
#include "position/GpsNavDialog.h"
#include "position/ReferenceLocationDialog.h"
#include "position/SatAzElChartDialog.h"
#include "receiver/link/Checksums.h"
#include "receiver/GpsPortDialog.h"
#include "receiver/GpsRxIdDialog.h"
#include "receiver/dialogs/GpsRxDialog.h"
#include "receiver/dialogs/ManualCommandDialog.h"
#include "receiver/dialogs/SatelliteSelect.h"
#include "receiver/dialogs/TimingDialog.h"
#include "remote/RemoteCommandInterpreter.h"
#include "remote/TelnetLink.h"
#include "remote/TelnetTcpServer.h"
#include "tic/TicLineProcessor.h"
#include "tic/TicPortDialog.h"
#include "tic/TicProcessedDataDialog.h"
#include "tic/TicRawDataDialog.h"
#include "update/UpdateCheck.h"
#include "update/UpdateDialog.h"

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QShowEvent>
#include <QFont>
#include <QCoreApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QShortcut>
#include <QStatusBar>
#include <QTableWidget>
#include <QTimer>
#include <QToolBar>

#include <utility>

// The icons and sounds are linked in from a static library; name them so the
// linker keeps them.
static void InitResources()
{
  Q_INIT_RESOURCE(resources);
}

namespace {

const char *const OrganizationName = "ZIV Systems";
const char *const OrganizationDomain = "zivsystems.example";
const char *const ApplicationName = "Riduder";
const char *const ApplicationVersion = "1.2.10";

const char *const StatusLabelStyle = "padding: 2px 5px; color:black";
const char *const IndicatorStyle = "padding: 2px 5px; color:black; background-color:white";

const char *const SortButtonSelectedPressable =
    "QPushButton {border: 1px solid silver;background-color: aqua;background-color: "
    "qlineargradient(x1: 0, y1: 0, x2: 1, y2: 1, stop: 0 white, stop: 1 aqua);}"
    "QPushButton:pressed {border: 1px solid navy;background-color: aqua;background-color: "
    "qlineargradient(x1: 0, y1: 0, x2: 1, y2: 1, stop: 0 white, stop: 1 aqua);}";
const char *const SortButtonPlainPressable =
    "QPushButton {border: 1px solid silver;border-color: qlineargradient(x1: 0, y1: 0, x2: 1, "
    "y2: 1, stop: 0 silver, stop: 1 black);border-radius: 3px;background-color: transparent;}"
    "QPushButton:pressed {border: 1px solid navy;background-color: aqua;background-color: "
    "qlineargradient(x1: 0, y1: 0, x2: 1, y2: 1, stop: 0 white, stop: 1 aqua);}";
const char *const CnoBarStyle =
    "QProgressBar {text-align: center;background-color: transparent; border-color: "
    "transparent;color: darkblue;}QProgressBar::chunk {background-color: lightblue; "
    "border-style: outset;border-width: 1px;border-color: white;}";

}  // namespace

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent), ui(new Ui::MainWindow), messageBoxes(&MessageBoxes::Interactive())
{
  InitResources();
  ui->setupUi(this);
  MakeReceiverSession();

  QCoreApplication::setOrganizationName(OrganizationName);
  QCoreApplication::setOrganizationDomain(OrganizationDomain);
  QCoreApplication::setApplicationName(ApplicationName);
  version = QVersionNumber::fromString(QLatin1String(ApplicationVersion));
  QCoreApplication::setApplicationVersion(version.toString());

  clockDisplayGroup = new QActionGroup(this);
  for (QAction *action : {ui->actionUTC, ui->actionPC, ui->actionGMST, ui->actionLMST,
                          ui->actionMJD, ui->actionPC_U, ui->actionTIC, ui->actionTIC_Raw})
    clockDisplayGroup->addAction(action);
  positionFormatGroup = new QActionGroup(this);
  for (QAction *action : {ui->actiondegrees_dd_ddd, ui->actiondegrees_minutes_dd_mm_mmm,
                          ui->actiondegrees_minutes_seconds_dd_mm_ss_sss})
    positionFormatGroup->addAction(action);
  soundGroup = new QActionGroup(this);
  for (QAction *action : {ui->actionSoundAll, ui->actionSoundClockTicksOnly,
                          ui->actionSoundOutOfLockOnly, ui->actionSoundNone})
    soundGroup->addAction(action);

  MakeTicProcessor();

  gpsNavDialog = new GpsNavDialog(this);
  timingDialog = new TimingDialog(this);
  gpsRxDialog = new GpsRxDialog(this);
  receiverMode = LoadReceiverModeSettings();
  setPcClockDialog = new SetPcClockDialog(this);
  satAzElChartDialog = new SatAzElChartDialog(this);
  referenceLocationDialog = new ReferenceLocationDialog(this);
  gpsRxIdDialog = new GpsRxIdDialog(this);
  satelliteSelect = new SatelliteSelect(this);
  telnetLink = new TelnetLink(this);
  ticPortDialog = new TicPortDialog(this);
  gpsPortDialog = new GpsPortDialog(this);
  gpsRawDataDialog = new GpsRawDataDialog(this);
  ticRawDataDialog = new TicRawDataDialog(this);
  ticProcessedDataDialog = new TicProcessedDataDialog(this);
  gpsLogTypeDialog = new GpsLogTypeDialog(this);
  ticFileDialog = new TicFileDialog(this);
  {
    QSettings settings;
    timingValues = LoadTimingSettings(settings);
    gpsLogValues = LoadGpsLogSettings(settings);
  }

  clockText.clear();
  gpsDateText.clear();
  pcClockText.clear();
  siderealText.clear();
  for (QString &piece : positionPieces)
    piece.clear();
  receiverModeText.clear();
  receiverStatusText.clear();
  gpsNavDialog->SetReferenceLocationDialog(referenceLocationDialog);

  ReadSettings();

  BuildStatusBar();
  ui->actionCheck_for_Updates->setStatusTip(UpdateCheck::checkStatusTip());
  setDefaultStatusTipText(QString());
  connect(ui->statusBar, &QStatusBar::messageChanged, this, &MainWindow::setDefaultStatusTipText);
  auto *helpShortcut = new QShortcut(QKeySequence(QStringLiteral("F1")), this);
  connect(helpShortcut, &QShortcut::activated, this, &MainWindow::actionHelp_Topics_triggered);

  ResetProgramWideState();
  session->SetMode(static_cast<quint32>(gpsPortDialog->GetMode()));

  // The port dialog loaded its settings when it was made.
  ppsSignal = gpsPortDialog->GetPpsInterface();
  session->Port().SetPpsSignal(ppsSignal);

  PrepareTables();

  auto *telnetShortcut = new QShortcut(QKeySequence(QStringLiteral("Ctrl+T")), this);
  connect(telnetShortcut, &QShortcut::activated, this, &MainWindow::TelnetLinkInterface);
  GpsSerialPortThread &gpsPort = session->Port();
  connect(&gpsPort, &GpsSerialPortThread::newGpsText, this, &MainWindow::OnNewGpsText);
  connect(&gpsPort, &GpsSerialPortThread::PpsTick, this, &MainWindow::OnClockTick);
  connect(&gpsPort, &GpsSerialPortThread::portLost, this, &MainWindow::OnReceiverPortLost);
  connect(&gpsPort, &GpsSerialPortThread::portOpened, this, &MainWindow::OnReceiverPortOpened);
  connect(&receiverSilenceTimer, &QTimer::timeout, this, &MainWindow::CheckReceiverSilence);
  receiverSilenceTimer.start(250);
  connect(&gpsPort, &GpsSerialPortThread::backlogWarning, this,
          &MainWindow::appendPlainText_to_RawDataDialog_and_Log);
  connect(this, &MainWindow::startGpsSerialPort, &gpsPort, &GpsSerialPortThread::startGpsSerialPort);
  const std::pair<void (MainWindow::*)(int), int> ticStarts[TicPortCount] = {
      {&MainWindow::startTicSerialPort1, 0}, {&MainWindow::startTicSerialPort2, 1},
      {&MainWindow::startTicSerialPort3, 2}, {&MainWindow::startTicSerialPort4, 3},
      {&MainWindow::startTicSerialPort5, 4}, {&MainWindow::startTicSerialPort6, 5},
      {&MainWindow::startTicSerialPort7, 6}, {&MainWindow::startTicSerialPort8, 7}};
  for (const auto &start : ticStarts)
    connect(this, start.first, &ticPorts[start.second], &TicSerialPortThread::startTicSerialPort);
  for (TicSerialPortThread &port : ticPorts)
    connect(&port, &TicSerialPortThread::newTicText, this, &MainWindow::OnNewTicText);
  for (TicSerialPortThread &port : ticPorts)
    connect(&port, &TicSerialPortThread::showErrorMessageBox, this, &MainWindow::showErrorMessageBox);
  for (TicSerialPortThread &port : ticPorts) {
    connect(&port, &TicSerialPortThread::portLost, this, &MainWindow::OnTicPortLost);
    connect(&port, &TicSerialPortThread::portStarted, this, &MainWindow::OnTicPortStarted);
    connect(&port, &TicSerialPortThread::readingsDropped, this, &MainWindow::OnTicReadingsDropped);
  }
  ConnectActions();

  QTimer::singleShot(20000, Qt::CoarseTimer, this, [this] { AutoCheckForUpdates(); });

  // The display copy holds the start time: counter rows count on from it
  // until the receiver's time is shown.
  state.ShowTime(state.displayCopy, TimeSource::Current().MonotonicMs());
  emit startGpsSerialPort(gpsPortStartArgument);
  StartTicPorts();

  lastPcClockSet = QDateTime();
  PcClockOffsetMs = 0;
  ClockSetDone = false;
  startTime = QDateTime::currentDateTime();

  LoadPcClockSettings();
}

MainWindow::~MainWindow()
{
  state.closing = true;
  session->Cancel();

  FlushLogFiles();
  CloseTicLogFiles(true);
  CloseGpsLogFile(true);

  WriteSettings();
  // The averages gathered in this run, for the next start to continue from.
  if (gpsNavDialog)
    gpsNavDialog->Averages().SaveAverages();

  // Ends the port threads also for a window deleted by its owner without a
  // close event; after a close this finds them stopped.
  StopPorts();

  if (telnetServer) {
    delete telnetServer;
    telnetServer = nullptr;
  }

  delete gpsNavDialog;
  gpsNavDialog = nullptr;
  delete timingDialog;
  timingDialog = nullptr;
  delete gpsRxDialog;
  gpsRxDialog = nullptr;
  delete setPcClockDialog;
  setPcClockDialog = nullptr;
  delete satAzElChartDialog;
  satAzElChartDialog = nullptr;
  delete referenceLocationDialog;
  referenceLocationDialog = nullptr;
  delete manualCommandDialog;
  manualCommandDialog = nullptr;
  delete gpsRxIdDialog;
  gpsRxIdDialog = nullptr;
  delete satelliteSelect;
  satelliteSelect = nullptr;
  delete telnetLink;
  telnetLink = nullptr;
  delete ticPortDialog;
  ticPortDialog = nullptr;
  delete gpsPortDialog;
  gpsPortDialog = nullptr;
  delete gpsRawDataDialog;
  gpsRawDataDialog = nullptr;
  delete ticRawDataDialog;
  ticRawDataDialog = nullptr;
  delete ticProcessedDataDialog;
  ticProcessedDataDialog = nullptr;

  delete ui;
  ui = nullptr;
}

void MainWindow::SetMessageBoxes(MessageBoxes *boxes)
{
  messageBoxes = boxes ? boxes : &MessageBoxes::Interactive();
}

// ---------------------------------------------------------------------------
// Construction helpers

QLabel *MainWindow::MakeStatusLabel(const QString &text, const QString &style)
{
  auto *label = new QLabel(text);
  label->setStyleSheet(style);
  ui->statusBar->addPermanentWidget(label);
  return label;
}

void MainWindow::BuildStatusBar()
{
  heartbeatOffIcon.load(QStringLiteral(":/icons/res/icon_off.png"));
  heartbeatOnIcon.load(QStringLiteral(":/icons/res/icon_on.png"));
  ntpOffIcon.load(QStringLiteral(":/icons/res/IconNtpOff.png"));
  ntpOnIcon.load(QStringLiteral(":/icons/res/IconNtpOn.png"));

  constellationLabel = MakeStatusLabel(QString(), StatusLabelStyle);
  navStatusLabel = MakeStatusLabel(QStringLiteral("Nav Unknown"), IndicatorStyle);
  antennaStatusLabel = MakeStatusLabel(QStringLiteral("Ant Unkown"), IndicatorStyle);
  heartbeatLabel = new QLabel;
  heartbeatLabel->setPixmap(heartbeatOffIcon);
  ui->statusBar->addPermanentWidget(heartbeatLabel);
  ntpStatusLabel = new QLabel;
  ntpStatusLabel->setPixmap(ntpOffIcon);
  ui->statusBar->addPermanentWidget(ntpStatusLabel);
  receiverStatusLabel = new QLabel(tr("Initializing"));
  ui->statusBar->addPermanentWidget(receiverStatusLabel);
  // The notices of lost ports can be long: they take the room the rest
  // leaves, elided.
  receiverPortLostLabel = new ElidingLabel;
  receiverPortLostLabel->setObjectName(QStringLiteral("receiverPortLostLabel"));
  receiverPortLostLabel->setStyleSheet(QStringLiteral("padding: 2px 5px; color:white; background-color:red"));
  receiverPortLostLabel->hide();
  ui->statusBar->insertPermanentWidget(0, receiverPortLostLabel);
  ticPortLostLabel = new ElidingLabel;
  ticPortLostLabel->setObjectName(QStringLiteral("ticPortLostLabel"));
  ticPortLostLabel->setStyleSheet(receiverPortLostLabel->styleSheet());
  ticPortLostLabel->hide();
  ui->statusBar->insertPermanentWidget(1, ticPortLostLabel);
  new StatusMessageRoom(ui->statusBar);
}

void MainWindow::PrepareTables()
{
  for (QTableWidget *table : {ui->GpsNavDataTableWidget, ui->SatsDataTableWidget}) {
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionMode(QAbstractItemView::NoSelection);
    table->setDragDropMode(QAbstractItemView::NoDragDrop);
    table->setFocusPolicy(Qt::NoFocus);
  }

  QTableWidget *nav = ui->GpsNavDataTableWidget;
  // Latitude and longitude need room for their longest notation (degrees,
  // minutes and seconds, three-digit and negative), the heights for five
  // digits and a sign, with a margin for wider fonts.
  const int navColumnWidths[] = {40, 166, 166, 76, 76};
  for (int column = 0; column < 5; ++column)
    nav->setColumnWidth(column, navColumnWidths[column]);
  nav->setRowHeight(0, 18);
  for (int row = 1; row < 4; ++row)
    nav->setRowHeight(row, 20);
  const char *const headers[] = {"Latitude", "Longitude", "Alt(GPS)", "Alt(MSL)"};
  for (int column = 1; column < 5; ++column) {
    auto *item = new QTableWidgetItem(QString::fromLatin1(headers[column - 1]));
    item->setTextAlignment(Qt::AlignCenter);
    nav->setItem(0, column, item);
  }
  const char *const rowHeads[] = {"Cur:", "Avg:", "Ref:"};
  for (int row = 1; row < 4; ++row)
    nav->setItem(row, 0, new QTableWidgetItem(QString::fromLatin1(rowHeads[row - 1])));
  for (int row = 1; row < 4; ++row)
    for (int column = 1; column < 5; ++column) {
      auto *item = new QTableWidgetItem;
      item->setTextAlignment(Qt::AlignCenter);
      item->setFont(QFont(QStringLiteral("Verdana"), 8));
      nav->setItem(row, column, item);
    }

  QTableWidget *sats = ui->SatsDataTableWidget;
  for (int column = 0; column < 4; ++column)
    sats->setColumnWidth(column, 50);
  sats->setColumnWidth(4, 140);
  for (int row = 0; row <= SatelliteTableRows; ++row)
    sats->setRowHeight(row, 17);

  const char *const sortTexts[] = {"PRN", "El", "Azm", "C/No"};
  for (int column = 0; column < 4; ++column) {
    auto *button = new QPushButton(QString::fromLatin1(sortTexts[column]));
    button->setStyleSheet(column == SatelliteSortMode ? SortButtonSelectedPressable
                                                      : SortButtonPlainPressable);
    satSortButtons[column] = button;
    sats->setCellWidget(0, column, button);
  }
  auto *scale = new QTableWidgetItem(QStringLiteral("  20  |  30  |  40  |  50"));
  sats->setItem(0, 4, scale);

  const QFont cellFont(QStringLiteral("Veranda"), 8);
  for (int row = 1; row <= SatelliteTableRows; ++row) {
    for (int column = 0; column < 4; ++column) {
      auto *item = new QTableWidgetItem;
      item->setFont(cellFont);
      item->setTextAlignment(Qt::AlignCenter);
      sats->setItem(row, column, item);
    }
    auto *bar = new QProgressBar;
    bar->setFont(cellFont);
    bar->setRange(15, 55);
    bar->setFormat(QString());
    bar->setTextVisible(true);
    bar->setFixedWidth(130);
    bar->setStyleSheet(CnoBarStyle);
    satCnoBars[row - 1] = bar;
    sats->setCellWidget(row, 4, bar);
    bar->hide();
  }
  for (SatelliteRecord &cached : rowCache) {
    cached = SatelliteRecord();
    cached.elevation = -1;
    cached.azimuth = -1;
    cached.cno = -1;
  }

  connect(satSortButtons[0], &QPushButton::clicked, this, &MainWindow::SatSortBtn_PRN_pressed);
  connect(satSortButtons[1], &QPushButton::clicked, this, &MainWindow::SatSortBtn_El_pressed);
  connect(satSortButtons[2], &QPushButton::clicked, this, &MainWindow::SatSortBtn_Azm_pressed);
  connect(satSortButtons[3], &QPushButton::clicked, this, &MainWindow::SatSortBtn_CNo_pressed);
}

void MainWindow::ConnectActions()
{
  const std::pair<QAction *, void (MainWindow::*)()> actions[] = {
      {ui->actionNew_GPS_Data_Log, &MainWindow::actionNew_GPS_Data_Log_triggered},
      {ui->actionOpen_GPS_Data_Log, &MainWindow::actionOpen_GPS_Data_Log_triggered},
      {ui->actionClose_GPS_Data_Log, &MainWindow::actionClose_GPS_Data_Log_triggered},
      {ui->actionNew_TIC_Data_Log, &MainWindow::actionNew_TIC_Data_Log_triggered},
      {ui->actionOpen_TIC_Data_Log, &MainWindow::actionOpen_TIC_Data_Log_triggered},
      {ui->actionClose_TIC_Data_Log, &MainWindow::actionClose_TIC_Data_Log_triggered},
      {ui->actionExit, &MainWindow::actionExit_triggered},
      {ui->actionCopy, &MainWindow::actionCopy_triggered},
      {ui->actionSet_GPS_Receiver_Interface, &MainWindow::actionSet_GPS_Receiver_Interface_triggered},
      {ui->actionSet_TIC_Interface, &MainWindow::actionSet_TIC_Interface_triggered},
      {ui->actionToolbar, &MainWindow::actionToolbar_triggered},
      {ui->actionView_Satellite_Az_El_Chart, &MainWindow::actionView_Satellite_Az_El_Chart_triggered},
      {ui->actionGps_Raw_Data, &MainWindow::actionGps_Raw_Data_triggered},
      {ui->actionReceiver_ID_Message, &MainWindow::actionReceiver_ID_Message_triggered},
      {ui->actionGps_Data_Both, &MainWindow::actionGps_Data_Both_triggered},
      {ui->actionTic_Raw_Data, &MainWindow::actionTic_Raw_Data_triggered},
      {ui->actionTic_Processed_Data, &MainWindow::actionTic_Processed_Data_triggered},
      {ui->actiondegrees_dd_ddd, &MainWindow::actiondegrees_dd_ddd_triggered},
      {ui->actiondegrees_minutes_dd_mm_mmm, &MainWindow::actiondegrees_minutes_dd_mm_mmm_triggered},
      {ui->actiondegrees_minutes_seconds_dd_mm_ss_sss, &MainWindow::actiondegrees_minutes_seconds_dd_mm_ss_sss_triggered},
      {ui->actionSoundAll, &MainWindow::actionSoundAll_triggered},
      {ui->actionSoundOutOfLockOnly, &MainWindow::actionSoundOutOfLockOnly_triggered},
      {ui->actionSoundClockTicksOnly, &MainWindow::actionSoundClockTicksOnly_triggered},
      {ui->actionSoundNone, &MainWindow::actionSoundNone_triggered},
      {ui->actionSet_PC_Clock, &MainWindow::actionSet_PC_Clock_triggered},
      {ui->actionfrom_Average, &MainWindow::actionfrom_Average_triggered},
      {ui->actionfrom_Current, &MainWindow::actionfrom_Current_triggered},
      {ui->actionManual_Entry, &MainWindow::actionManual_Entry_triggered},
      {ui->actionSet_Timing_Parameters, &MainWindow::actionSet_Timing_Parameters_triggered},
      {ui->actionAveraging_Parameters, &MainWindow::actionAveraging_Parameters_triggered},
      {ui->actionSet_GPS_Receiver_Parameters, &MainWindow::actionSet_GPS_Receiver_Parameters_triggered},
      {ui->actionManual_GPS_Receiver_Commands, &MainWindow::actionManual_GPS_Receiver_Commands_triggered},
      {ui->actionInitiate_GPS_Receiver_Self_Test, &MainWindow::actionInitiate_GPS_Receiver_Self_Test_triggered},
      {ui->actionInitiate_GPS_Receiver_Self_Survey, &MainWindow::actionInitiate_GPS_Receiver_Self_Survey_triggered},
      {ui->actionManual_Satellite_Select, &MainWindow::actionManual_Satellite_Select_triggered},
      {ui->actionSend_new_firmware_to_GPS_Rx, &MainWindow::actionSend_new_firmware_to_GPS_Rx_triggered},
      {ui->actionDisable, &MainWindow::actionDisable_triggered},
      {ui->actionSNTP_Server_RFC_2030, &MainWindow::actionSNTP_Server_RFC_2030_triggered},
      {ui->actionUDP_IP_Server_RFC_868, &MainWindow::actionUDP_IP_Server_RFC_868_triggered},
      {ui->actionUTC, &MainWindow::actionUTC_triggered},
      {ui->actionPC, &MainWindow::actionPC_triggered},
      {ui->actionGMST, &MainWindow::actionGMST_triggered},
      {ui->actionLMST, &MainWindow::actionLMST_triggered},
      {ui->actionMJD, &MainWindow::actionMJD_triggered},
      {ui->actionPC_U, &MainWindow::actionPC_U_triggered},
      {ui->actionTIC, &MainWindow::actionTIC_triggered},
      {ui->actionTIC_Raw, &MainWindow::actionTIC_Raw_triggered},
      {ui->actionHelp_Topics, &MainWindow::actionHelp_Topics_triggered},
      {ui->actionAbout, &MainWindow::actionAbout_triggered},
      {ui->actionCheck_for_Updates, &MainWindow::actionCheck_for_Updates_triggered},
  };
  for (const auto &entry : actions)
    connect(entry.first, &QAction::triggered, this, entry.second);
}

// ---------------------------------------------------------------------------
// Start-up detection

void MainWindow::ShowAndDetectReceiver()
{
  QApplication::setOverrideCursor(Qt::ArrowCursor);
  show();
  if (!state.closing)
    DetectGpsReceiver();
}

void MainWindow::ReleaseHeldCounterBoxes()
{
  counterBoxesReleased = true;
  const QStringList texts = std::exchange(heldCounterBoxes, {});
  for (const QString &text : texts) {
    MessageBoxRequest request;
    request.parent = this;
    request.icon = QMessageBox::Warning;
    request.text = text;
    messageBoxes->Post(request);
  }
}

void MainWindow::DetectGpsReceiver()
{
  ReceiverBusyScope busy(*this);
  ui->actionSend_new_firmware_to_GPS_Rx->setEnabled(false);

  // Nobody can answer on a port that is off or failed to open: no attempts.
  // The receiver interface dialog ends the search: no attempt after that.
  const bool portOpen = session->Port().IsOpen();
  bool found = false;
  for (int attempt = 1; portOpen && attempt <= 3 && !found && !session->SearchEnded(); ++attempt) {
    if (attempt > 1)
      receiverStatusLabel->setText(tr(DetectionTexts::Retrying).arg(attempt));
    found = InitializeGpsReceiver();
  }
  if (portOpen && !found && session->RateChangeNewBaud != 0 && !session->SearchEnded()) {
    if (RevertReceiverBaudRate())
      found = InitializeGpsReceiver();
  }
  session->RateChangeNewBaud = 0;
  session->RateChangeOldBaud = 0;
  if (found)
    return;

  // Nothing searches any more: the status says so, not what the last
  // attempt was doing.
  receiverStatusLabel->setText(tr(DetectionTexts::NotFoundTitle));
  // Closing, or ended for the receiver interface dialog: no box.
  if (session->SearchEnded())
    return;
  ui->actionSend_new_firmware_to_GPS_Rx->setEnabled(true);
  messageBoxes->Warning(this, tr(DetectionTexts::NotFoundTitle), tr(DetectionTexts::NotFoundText));
}

void MainWindow::ClearReceiverId()
{
  receiverIdentity.firmwareVersionText.clear();
}

// ---------------------------------------------------------------------------
// PC clock, logs, display, updates (filled in by their own parts)

void MainWindow::AutoCheckForUpdates()
{
  if (UpdateCheck::autoCheck() && UpdateCheck::isCheckDue())
    StartUpdateCheck(false);
}

void MainWindow::StartUpdateCheck(bool interactive)
{
  if (updateDialogOpen)
    return;
  if (updateCheck) {
    if (interactive)
      ShowUpdateBox(QMessageBox::Information, tr("A check for updates is already running."));
    return;
  }
  updateCheckInteractive = interactive;
  updateCheck = new UpdateCheck(this);
  connect(updateCheck, &UpdateCheck::manifestReady, this, &MainWindow::OnUpdateManifestReady);
  updateCheck->fetchManifest(UpdateCheck::manifestUrl());
}

void MainWindow::ShowUpdateBox(QMessageBox::Icon icon, const QString &text, QWidget *parent)
{
  // Texts from the server or the settings are shown as they are. Nothing
  // waits for the answer: a receiver search may be running underneath.
  MessageBoxRequest request;
  request.parent = parent ? parent : this;
  request.icon = icon;
  request.title = UpdateCheck::productName();
  request.text = text;
  request.textFormat = Qt::PlainText;
  messageBoxes->Post(request);
}

void MainWindow::OnUpdateManifestReady(bool ok, QString error)
{
  UpdateCheck *check = updateCheck;
  updateCheck = nullptr;
  if (!check)
    return;
  const UpdateManifest manifest = check->manifest();
  check->deleteLater();
  const QString address = UpdateCheck::manifestUrl();
  const QString product = UpdateCheck::productName();

  if (!ok) {
    if (updateCheckInteractive)
      ShowUpdateBox(QMessageBox::Warning, tr("Could not check for updates at\n%1\n\n%2").arg(address, error));
    return;
  }
  UpdateCheck::setLastCheckNow();
  if (UpdateCheck::compareVersions(UpdateCheck::currentVersion(), manifest.latestVersion) >= 0) {
    if (updateCheckInteractive)
      ShowUpdateBox(QMessageBox::Information, tr("%1 %2 is the latest version.\n\n(checked %3)")
                                                  .arg(product, UpdateCheck::currentVersion(), address));
    return;
  }
  if (!updateCheckInteractive &&
      UpdateCheck::compareVersions(manifest.latestVersion, UpdateCheck::dismissedVersion()) == 0)
    return;

  // Modal to the window but without a modal loop of its own: a receiver
  // search that runs (the start-up one, say) goes on while the dialog
  // waits for the user.
  auto *dialog = new UpdateDialog(manifest, this);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->setFailureReporter([this, dialog](const QString &, const QString &text) {
    ShowUpdateBox(QMessageBox::Warning, text, dialog);
  });
  connect(dialog, &QDialog::finished, this, [this, dialog] {
    updateDialogOpen = false;
    // The installer replaces the program: it ends, whatever phase it is in.
    if (dialog->resultCode() == UpdateDialog::InstallerStarted)
      QTimer::singleShot(0, this, &MainWindow::EndProgram);
  });
  updateDialogOpen = true;
  dialog->open();
}

// ---------------------------------------------------------------------------
// Service slots

void MainWindow::setDefaultStatusTipText(const QString &message)
{
  if (message.isEmpty())
    ui->statusBar->showMessage(tr("For Help, press F1"));
}

void MainWindow::actionHelp_Topics_triggered()
{
  if (!helpWindow)
    helpWindow = new HelpWindow(this);
  helpWindow->showPage(QString());
}

// ---------------------------------------------------------------------------
// Settings and shut-down

void MainWindow::ReadSettings()
{
  QSettings settings;
  if (settings.contains(MainWindowKeys::Geometry))
    restoreGeometry(settings.value(MainWindowKeys::Geometry).toByteArray());
  if (settings.contains(MainWindowKeys::WindowState))
    restoreState(settings.value(MainWindowKeys::WindowState).toByteArray(), 0);

  ClockDisplayMode = ReadStoredInt(settings, MainWindowKeys::ClockDisplay, 0, 0, 7);
  QAction *const clockActions[] = {ui->actionUTC, ui->actionPC, ui->actionLMST, ui->actionGMST,
                                   ui->actionMJD, ui->actionPC_U, ui->actionTIC, ui->actionTIC_Raw};
  clockActions[ClockDisplayMode]->setChecked(true);

  navDataFormat = ReadStoredInt(settings, MainWindowKeys::NavigationDataFormat, 0, 0, 2);
  QAction *const formatActions[] = {ui->actiondegrees_dd_ddd, ui->actiondegrees_minutes_dd_mm_mmm,
                                    ui->actiondegrees_minutes_seconds_dd_mm_ss_sss};
  formatActions[navDataFormat]->setChecked(true);
  if (referenceLocationDialog)
    referenceLocationDialog->SetLatLonFormat(navDataFormat);

  double latitude = 0.0, longitude = 0.0, gpsAltitude = 0.0, mslAltitude = 0.0;
  if (gpsNavDialog)
    gpsNavDialog->GetReferenceLocation(latitude, longitude, gpsAltitude, mslAltitude);
  state.displayCopy.SetLocation(latitude, longitude);
  state.receiverTime.SetLocation(latitude, longitude);

  // The counter rows use the TIC options before any log is opened.
  LoadTicLogOptions();

  const bool toolbarVisible = ReadStoredFlag(settings, MainWindowKeys::ToolbarVisible, true);
  ui->actionToolbar->setChecked(toolbarVisible);
  ui->toolBar->setVisible(toolbarVisible);

  SatelliteSortMode = ReadStoredInt(settings, MainWindowKeys::SatelliteSortMode, 4, 0, 4);

  soundOn = ReadStoredFlag(settings, MainWindowKeys::Sound, true);
  soundOutOfLockOn = ReadStoredFlag(settings, MainWindowKeys::SoundOutOfLock, true);
  if (soundOn && soundOutOfLockOn)
    ui->actionSoundAll->setChecked(true);
  else if (soundOn)
    ui->actionSoundClockTicksOnly->setChecked(true);
  else if (soundOutOfLockOn)
    ui->actionSoundOutOfLockOnly->setChecked(true);
  else
    ui->actionSoundNone->setChecked(true);
}

void MainWindow::WriteSettings()
{
  QSettings settings;
  settings.setValue(MainWindowKeys::Geometry, saveGeometry());
  settings.setValue(MainWindowKeys::WindowState, saveState(0));
}

void MainWindow::StartTicPorts()
{
  emit startTicSerialPort1(1);
  emit startTicSerialPort2(2);
  emit startTicSerialPort3(3);
  emit startTicSerialPort4(4);
  emit startTicSerialPort5(5);
  emit startTicSerialPort6(6);
  emit startTicSerialPort7(7);
  emit startTicSerialPort8(8);
}

void MainWindow::StopPorts()
{
  session->Port().stopGpsSerialPort();
  for (TicSerialPortThread &port : ticPorts)
    port.stopTicSerialPort();
}

void MainWindow::EndProgram()
{
  // quit alone is not enough: before exec() has started Qt ignores it, and
  // the start-up search runs its nested loops before then. The close sets
  // the closing flag that unwinds them, and a closed window keeps the
  // program from entering the event loop.
  close();
  QApplication::closeAllWindows();
  QCoreApplication::quit();
}

void MainWindow::showEvent(QShowEvent *event)
{
  QMainWindow::showEvent(event);
  // Boxes of counters that failed while the window was being built come
  // once it is up, and from then on a counter's box is shown as it comes.
  if (!counterBoxesReleased)
    ReleaseHeldCounterBoxes();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
  state.closing = true;
  // Ends a pause or reply wait in progress at once.
  session->Cancel();
  WriteSettings();
  StopPorts();
  for (QObject *child : children()) {
    // Only the open ones: closing a hidden dialog would run its close handling
    // (saving, checks) for nothing.
    auto *widget = qobject_cast<QWidget *>(child);
    if (widget && widget->isWindow() && widget->isVisible())
      widget->close();
  }
  QMainWindow::closeEvent(event);
}

// ---------------------------------------------------------------------------
// Menu actions (the rest are in MainWindow_Menus.cpp)

void MainWindow::actionAbout_triggered()
{
  AboutBox box(this);
  if (auto *label = box.findChild<QLabel *>(QStringLiteral("IDC_ABOUTBOX_VERSION")))
    label->setText(tr("Version %1").arg(QCoreApplication::applicationVersion()));
  box.exec();
}
