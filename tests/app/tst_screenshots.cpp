#include "TestMain.h"

#include "OncoreMessageBuilder.h"
#include "FrameBuilders.h"
#include "RecordingMessageBoxes.h"
#include "UbxMessageBuilder.h"
#include "tests/logging/GpsLogTestHost.h"
#include "ScriptedReceivers.h"
#include "WindowOnSimulator.h"
#include "app/MainWindow.h"
#include "app/SatelliteTable.h"
#include "app/ElidingLabel.h"
#include "core/GpsMode.h"
#include "help/AboutBox.h"
#include "logging/GpsDataLog.h"
#include "help/HelpWindow.h"
#include "logging/TicFileDialog.h"
#include "core/GpsDateTime.h"
#include "position/GpsNavDialog.h"
#include "position/SatAzElChartDialog.h"
#include "receiver/dialogs/CoaxDialog.h"
#include "receiver/dialogs/ManualCommandDialog.h"
#include "remote/TelnetLink.h"
#include "tic/TicProcessedDataDialog.h"
#include "tic/TicRawDataDialog.h"
#include "update/UpdateDialog.h"

#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QProgressBar>
#include <QRegularExpression>
#include <QAction>
#include <QSettings>
#include <QStatusBar>
#include <QStyle>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimeZone>

#include <algorithm>

namespace {

// The decoder a receiver message goes to.
enum class Decoder { Oncore, Nmea, Ubx };

}  // namespace

// Renders the main window and every dialog to PNG files, so a person can look
// at the program without a display. scripts/screenshots names the folder
// through RIDUDER_SCREENSHOT_DIR; without it the files go to a temporary
// folder and only the checks run.
class TestScreenshots : public QObject {
  Q_OBJECT

  QTemporaryDir scratch;
  QString folder;

  void Save(QWidget *widget, const QString &name)
  {
    const QPixmap picture = widget->grab();
    QVERIFY2(!picture.isNull(), qPrintable(name));
    QVERIFY2(picture.width() > 20 && picture.height() > 20, qPrintable(name));
    QVERIFY2(picture.save(QDir(folder).filePath(name + QStringLiteral(".png"))), qPrintable(name));
  }

private slots:
  void initTestCase()
  {
    folder = qEnvironmentVariable("RIDUDER_SCREENSHOT_DIR");
    if (folder.isEmpty())
      folder = scratch.path();
    QVERIFY(QDir().mkpath(folder));
  }

  void mainWindowAndDialogs()
  {
    riduder::test::RecordingMessageBoxes boxes;
    MainWindow window;
    window.SetMessageBoxes(&boxes);
    window.show();
    QCoreApplication::processEvents();
    Save(&window, QStringLiteral("MainWindow"));

    // Windows made on demand; help on the help set the build copies.
    HelpWindow::setBaseFolderOverride(QStringLiteral(RIDUDER_BUILD_DIR));
    window.actionHelp_Topics_triggered();
    HelpWindow::setBaseFolderOverride(QString());
    new ManualCommandDialog(&window);
    new CoaxDialog(&window);
    auto *about = new AboutBox(&window);
    about->versionLabel()->setText(QStringLiteral("Version ") + QCoreApplication::applicationVersion());
    new UpdateDialog(UpdateManifest{QStringLiteral("1.2.11"), QStringLiteral("https://updates.riduder.invalid/setup-1.2.11.exe"),
                                    QStringLiteral("Faster receiver search.\nThe help pages cover every dialog.")},
                     &window);

    QStringList saved;
    for (QDialog *dialog : window.findChildren<QDialog *>()) {
      const QString name = QString::fromLatin1(dialog->metaObject()->className());
      if (saved.contains(name))
        continue;
      dialog->show();
      QCoreApplication::processEvents();
      Save(dialog, name);
      dialog->hide();
      saved << name;
    }
    for (const char *expected : {"GpsNavDialog", "TimingDialog", "GpsRxDialog", "SetPcClockDialog",
                                 "SatAzElChartDialog", "ReferenceLocationDialog", "GpsRxIdDialog",
                                 "SatelliteSelect", "TelnetLink", "TicPortDialog", "GpsPortDialog",
                                 "GpsRawDataDialog", "TicRawDataDialog", "TicProcessedDataDialog",
                                 "GpsLogTypeDialog", "TicFileDialog", "HelpWindow", "AboutBox",
                                 "UpdateDialog", "ManualCommandDialog", "CoaxDialog", "GpsRxType"})
      QVERIFY2(saved.contains(QLatin1String(expected)), expected);
    window.close();
  }

  // The remote-control link dialog after OK with a port it refuses.
  void remoteLinkWithARefusedPort()
  {
    MainWindow window;
    TelnetLink *link = window.RemoteLinkDialog();
    QVERIFY(link);
    link->LoadSettings();
    auto *port = link->findChild<QLineEdit *>(QStringLiteral("IDC_TELNET_LINK_PORT"));
    QVERIFY(port);
    port->setText(QStringLiteral("99999"));
    link->show();
    link->OnOK();
    QVERIFY(link->isVisible());
    QCoreApplication::processEvents();
    Save(link, QStringLiteral("TelnetLinkRefusedPort"));
    link->hide();
  }

  // The window as the user meets it on a working receiver: found at start-up
  // by the detection, then live messages of a real capture.
  void mainWindowAfterAReplayedCapture()
  {
    RIDUDER_REQUIRE_CAPTURES();
    auto options = riduder::test::WindowOnSimulator::Options::WithoutPps(GpsModeMotorolaBinary, 9600);
    riduder::test::WindowOnSimulator rig(options);
    QVERIFY2(rig.Problem().isEmpty(), qPrintable(rig.Problem()));
    rig.Window().Timing().SetScale(0.004);
    riduder::test::ScriptedReceiver receiver(rig.Simulator(), riduder::test::ReceiverFamily::Oncore12, 9600);
    rig.Window().DetectGpsReceiver();
    QVERIFY(rig.Boxes().shown.isEmpty());

    bool ok = false;
    const QByteArray bytes = riduder::test::ReadCapture(QStringLiteral("oncore/oncore-m12.log"), &ok);
    QVERIFY(ok);
    QVERIFY(rig.Replay(bytes.left(20000)));
    QVERIFY(!rig.LabelText(QStringLiteral("IDC_SATS_VISIBLE")).isEmpty());
    Save(&rig.Window(), QStringLiteral("MainWindowAfterCapture"));
  }

  // The sky chart with satellites of every kind, learnt horizon and sky-hole
  // lines, and a pinned balloon.
  void skyChartWithSatellites()
  {
    SatAzElChartDialog chart;
    chart.ShowChart();
    QVERIFY(QTest::qWaitForWindowExposed(&chart));
    std::array<SatelliteRecord, SatelliteArraySize> records{};
    struct Sky {
      int prn, elevation, azimuth, trend;
    };
    const Sky sky[] = {{2, 67, 40, 1},   {5, 35, 110, -1}, {9, 12, 160, 1},   {12, 48, 220, 0},
                       {17, 8, 275, -1}, {21, 22, 330, 1}, {25, 80, 300, -1}, {29, 3, 20, 0},
                       {120, 30, 190, 0}, {136, 28, 145, 0}};
    int i = 0;
    for (const Sky &s : sky) {
      SatelliteRecord &r = records[i++];
      r.identifier = s.prn;
      r.elevation = s.elevation;
      r.azimuth = s.azimuth;
      r.cno = 42;
      r.status = 0x80;
      r.trend = s.trend;
    }
    // A few passes as the satellites move teach the lines more than one bin.
    for (int pass = 0; pass < 20; ++pass) {
      for (int k = 0; k < i; ++k) {
        records[k].azimuth = (records[k].azimuth + 7) % 360;
        records[k].elevation = qBound(1, records[k].elevation + (records[k].trend ? records[k].trend * 2 : 1), 85);
      }
      chart.UpdateSatellites(records.data());
    }
    const SatelliteRecord &pinned = records[3];
    const QPointF point(pinned.azimuth, 90 - pinned.elevation);
    chart.tooltip(point, true);
    chart.toggleCallout(point);
    const SatelliteRecord &hovered = records[0];
    chart.tooltip(QPointF(hovered.azimuth, 90 - hovered.elevation), true);
    QCoreApplication::processEvents();
    Save(&chart, QStringLiteral("SatAzElChartDialogWithSatellites"));
    chart.close();
  }

  // The counter windows and the large clock on the counter, after a
  // replayed stream from two counters.
  void ticWindowsWithACounterStream()
  {
    riduder::test::RecordingMessageBoxes boxes;
    MainWindow window;
    window.SetMessageBoxes(&boxes);
    window.show();
    window.actionTic_Raw_Data_triggered();
    window.actionTic_Processed_Data_triggered();
    window.actionTIC_triggered();
    for (int i = 0; i < 40; ++i) {
      window.State().receiverSawtoothNs = (i * 7) % 13 - 6.0;
      window.State().receiverSawtoothFresh = true;
      window.OnNewTicText(QStringLiteral("1 +%1E-08").arg(2.5 + 0.01 * (i % 9), 0, 'f', 11).toLatin1());
      window.OnNewTicText(QStringLiteral("2 %1 ns").arg(-120.0 + (i * 3) % 11, 0, 'f', 3).toLatin1());
      if (i % 10 == 9)
        window.OnNewTicText("; counter 2: averaging restarted");
    }
    QCoreApplication::processEvents();
    Save(window.TicRawWindow(), QStringLiteral("TicRawDataDialogStream"));
    Save(window.TicProcessedWindow(), QStringLiteral("TicProcessedDataDialogStream"));
    Save(&window, QStringLiteral("MainWindowTicClock"));
    window.close();
  }

  // The main window's form is laid out by hand: every widget of the central
  // area must lie inside its parent and overlap none of its siblings.
  void mainWindowWidgetsNeitherClipNorOverlap()
  {
    MainWindow window;
    window.show();
    QCoreApplication::processEvents();
    QWidget *central = window.centralWidget();
    QVERIFY(central->geometry().bottom() < window.height());
    CheckNeitherClipNorOverlap(central);
    // The central area fits between the toolbar and the status bar.
    QVERIFY(central->rect().contains(central->childrenRect()));
    window.close();
  }

  // Every text of the main window shows whole: the position table in each
  // notation with the widest values, the PC clock with the longest time-zone
  // name, the status bar with its longest message beside a receiver's
  // indicators.
  void mainWindowTextsFit_data()
  {
    QTest::addColumn<int>("notation");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("diskFull");
    QTest::addColumn<bool>("counterPortsLost");
    QTest::addColumn<bool>("receiverPortLost");
    QTest::newRow("decimal degrees") << 0 << QString() << false << false << false;
    QTest::newRow("degrees and minutes") << 1 << QString() << false << false << false;
    QTest::newRow("degrees, minutes and seconds") << 2 << QString() << false << false << false;
    QStringList messages{QString::fromLatin1(NoPositionYetText), QString::fromLatin1(NoAveragesYetText)};
    std::sort(messages.begin(), messages.end(),
              [](const QString &a, const QString &b) { return a.size() > b.size(); });
    QTest::newRow("longest status text") << 2 << messages.first() << false << false << false;
    // The GPS log's disk is full: its lasting problem beside the rest.
    QTest::newRow("disk full") << 2 << QString() << true << false << false;
    // Lost ports' notices beside the long receiver identity.
    QTest::newRow("two counter ports lost") << 2 << QString() << false << true << false;
    QTest::newRow("receiver port lost") << 2 << QString() << false << false << true;
    QTest::newRow("every port lost, status text") << 2 << messages.first() << false << true << true;
    QTest::newRow("every port lost, disk full") << 2 << QString() << true << true << true;
  }

  void mainWindowTextsFit()
  {
    QFETCH(int, notation);
    QFETCH(QString, message);
    QFETCH(bool, diskFull);
    QFETCH(bool, counterPortsLost);
    QFETCH(bool, receiverPortLost);
    // A fresh store: no receiver port left from the tests before.
    QSettings().clear();
    riduder::test::RecordingMessageBoxes boxes;
    QTemporaryDir logs;
    QSettings().setValue(QStringLiteral("LogFiles/GpsLogFileDirectory"), logs.path());
    MainWindow window;
    window.SetMessageBoxes(&boxes);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const char *const actions[] = {"actiondegrees_dd_ddd", "actiondegrees_minutes_dd_mm_mmm",
                                   "actiondegrees_minutes_seconds_dd_mm_ss_sss"};
    window.findChild<QAction *>(QLatin1String(actions[notation]))->trigger();

    // The widest values of each notation: three-digit degrees, negative,
    // a degree between -1 and 0, altitudes of five digits and a sign.
    auto *nav = window.findChild<GpsNavDialog *>();
    GpsDateTime now;
    now.SetDateTime(QDateTime(QDate(2026, 1, 5), QTime(6, 7, 8), Qt::UTC));
    nav->SetSatsTracked(8);
    nav->SetNavMode(3);
    nav->LockStatusText(0, now);
    nav->UpdateAverages(-52.9103136147, -106.8667066711, 17999.0, -999.0, 0);
    nav->UpdateAverages(-52.9103136147, -106.8667066711, 17999.0, -999.0, 0);
    nav->SetReferenceLocation(-0.5555555555, -179.9999999999, -999.0, 17999.0);
    window.State().receiverTime.SetDateTime(QDateTime(QDate(2026, 9, 30), QTime(23, 59, 59), Qt::UTC));
    window.UpdateClockDisplay();

    // The longest time-zone name of any zone this machine knows.
    QString zoneName;
    const QDateTime instant = QDateTime::currentDateTimeUtc();
    for (const QByteArray &id : QTimeZone::availableTimeZoneIds()) {
      const QTimeZone zone(id);
      for (QTimeZone::TimeType type : {QTimeZone::StandardTime, QTimeZone::DaylightTime}) {
        const QString name = zone.displayName(type, QTimeZone::DefaultName, QLocale());
        if (window.fontMetrics().horizontalAdvance(name) > window.fontMetrics().horizontalAdvance(zoneName))
          zoneName = name;
      }
    }
    QVERIFY(!zoneName.isEmpty());
    auto *pcClock = window.findChild<QLabel *>(QStringLiteral("IDC_PC_CLOCK_DATA"));
    pcClock->setText(QStringLiteral("23:59:59.999<br>") + zoneName);

    // A receiver's indicators, as the M12 demo shows them.
    window.ReceiverStatusLabel()->setText(QStringLiteral("Motorola M12+, Bin, 12 ch, V2.0, has DGPS, TRAIM"));
    window.NavStatusLabel()->setText(QStringLiteral("Position Hold"));
    window.AntennaStatusLabel()->setText(QStringLiteral("Ant OK"));
    if (!message.isEmpty())
      window.statusBar()->showMessage(message);
    if (diskFull) {
      auto failing = std::make_shared<bool>(false);
      window.GpsLog().SetWriterFactory(
          [failing] { return std::make_unique<riduder::test::SwitchableWriter>(failing); });
      QVERIFY(window.OpenGpsLogFile(0));
      *failing = true;
      window.WriteGpsLog(QStringLiteral("lost"));
      QVERIFY(window.FlushGpsLogFile());
      QVERIFY(window.GpsLog().HasWriteError());
    }
    if (counterPortsLost) {
      window.OnTicPortLost(1, QStringLiteral("The remote host closed the connection"));
      window.OnTicPortLost(3, QStringLiteral("Connection refused"));
    }
    if (receiverPortLost)
      window.OnReceiverPortLost(QStringLiteral("/dev/ttyUSB0"), QStringLiteral("Input/output error"));
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    const QString name = QStringLiteral("MainWindowTexts%1%2%3%4%5")
                             .arg(notation)
                             .arg(message.isEmpty() ? "" : "Status")
                             .arg(diskFull ? "DiskFull" : "")
                             .arg(counterPortsLost ? "CountersLost" : "")
                             .arg(receiverPortLost ? "ReceiverLost" : "");
    Save(&window, name);

    CheckTextsFit(window);
    window.close();
  }

  // The receiver's longest texts in the main window, as its decoders set
  // them: the date panel with a UTC offset and a pending leap second, the
  // DGPS age and the longest status and DOP texts of each protocol. Each
  // label shows its text whole, or elided with the whole in its tool tip.
  void receiverTextsFit_data()
  {
    using riduder::test::OncoreMessageBuilder;
    using riduder::test::UbxMessageBuilder;
    QTest::addColumn<int>("decoder");
    QTest::addColumn<QList<QByteArray>>("messages");
    QTest::addColumn<int>("dgpsInputState");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("shown");  // the label's text holds this

    const int oncore = int(Decoder::Oncore), nmea = int(Decoder::Nmea), ubx = int(Decoder::Ubx);
    // A Wednesday in September: the longest day name.
    // Twelve satellites visible and tracked, as a 12-channel receiver sees.
    auto ea = [](quint8 status, quint8 dopType, quint16 dop, quint8 satellites = 12) {
      return OncoreMessageBuilder("Ea", 73).DateTime(2026, 9, 30, 23, 59, 58).U16(35, dop).U8(37, dopType)
          .U8(38, satellites).U8(39, satellites).U8(72, status).Framed();
    };
    auto bk = [](quint16 dops, quint16 correctionAge) {
      OncoreMessageBuilder m("Bk", 66);
      for (int at = 4; at <= 12; at += 2)
        m.U16(at, dops);
      return m.U16(22, correctionAge).Framed();
    };
    const QByteArray utcOffset = OncoreMessageBuilder("Bo", 6).U8(4, 18).Framed();
    QTest::newRow("date panel, UTC offset, leap second to add")
        << oncore << QList<QByteArray>{utcOffset, OncoreMessageBuilder("Bj", 6).U8(4, 1).Framed(), ea(0x20, 0, 12)}
        << 0 << "IDC_GPS_CLOCK_DATA" << "UTC = GPS - 18 seconds<br>+1 leap second is pending";
    QTest::newRow("date panel, UTC offset, leap second to remove")
        << oncore << QList<QByteArray>{utcOffset, OncoreMessageBuilder("Bj", 6).U8(4, 2).Framed(), ea(0x20, 0, 12)}
        << 0 << "IDC_GPS_CLOCK_DATA" << "UTC = GPS - 18 seconds<br>-1 leap second is pending";
    QTest::newRow("Oncore DGPS age") << oncore << QList<QByteArray>{bk(12, 123)} << 1 << "IDC_SATS_DGPS_MESSAGE"
                                     << "Receiving DGPS, Age 12.3 sec";
    QTest::newRow("Oncore DGPS, longest age") << oncore << QList<QByteArray>{bk(12, 65535)} << 1
                                              << "IDC_SATS_DGPS_MESSAGE" << "Receiving DGPS, Age 6553.5 sec";
    // Every status bit but "Bad Almanac", which would replace the longer
    // "Insufficient Satellites", and the widest DOP.
    QTest::newRow("Oncore @@Ea, every status")
        << oncore << QList<QByteArray>{ea(0xFE, 0, 65535)} << 0 << "IDC_SATS_STATUS_MESSAGE"
        << "Position Propagate Mode, Poor Geometry (DOP>20), 3-D Fix, Altitude Hold (2-D Fix), Acquiring "
           "Satellites or Position Hold, DGPS, Insufficient Satellites (<3): PDOP = 6553.5";
    QTest::newRow("Oncore satellite counts") << oncore << QList<QByteArray>{ea(0x20, 0, 12)} << 0
                                             << "IDC_SATS_TRACKED" << "12 Tracked";
    // Counts no receiver reaches, as wide as the fields allow.
    QTest::newRow("Oncore satellite counts of 255") << oncore << QList<QByteArray>{ea(0x20, 0, 12, 255)} << 0
                                                    << "IDC_SATS_TRACKED" << "255 Tracked";
    QTest::newRow("Oncore @@Ea, acquiring") << oncore << QList<QByteArray>{ea(0x0A, 0, 0)} << 0
                                            << "IDC_SATS_STATUS_MESSAGE"
                                            << "Acquiring Satellites or Position Hold, Insufficient Satellites (<3)";
    const QByteArray ba = OncoreMessageBuilder("Ba", 65).DateTime(2026, 9, 30, 23, 59, 58).U8(64, 0x20).Framed();
    QTest::newRow("Oncore five DOPs") << oncore << QList<QByteArray>{bk(65535, 0), ba} << 0
                                      << "IDC_SATS_DOPS_MESSAGE"
                                      << "DOPs: G=6553.5 P=6553.5 H=6553.5 V=6553.5 T=6553.5";
    const QByteArray ha = OncoreMessageBuilder("Ha", 151).DateTime(2026, 9, 30, 23, 59, 58).U16(53, 65535)
                              .U8(129, 0xC0).U8(130, 0x48).Framed();
    QTest::newRow("Oncore @@Ha status") << oncore << QList<QByteArray>{ha} << 0 << "IDC_SATS_STATUS_MESSAGE"
                                        << "Altitude Hold (2-D Fix), Insufficient Satellites (<3), DGPS";
    QTest::newRow("Oncore @@Ha DOP") << oncore << QList<QByteArray>{ha} << 0 << "IDC_SATS_DOPS_MESSAGE"
                                     << "HDOP = 6553.5";

    auto gsa = [](const char *dops) {
      return riduder::test::FramedNmeaSentence(QByteArray("GPGSA,M,3,01,02,03,04,05,06,07,08,09,10,11,12,") + dops);
    };
    QTest::newRow("NMEA fix") << nmea << QList<QByteArray>{gsa("98.9,99.9,99.9")} << 0 << "IDC_SATS_STATUS_MESSAGE"
                              << "3-D Fix (M)";
    QTest::newRow("NMEA DOPs") << nmea << QList<QByteArray>{gsa("98.9,99.9,99.9")} << 0 << "IDC_SATS_DOPS_MESSAGE"
                               << "PDOP = 98.9, HDOP = 99.9, VDOP = 99.9";
    QTest::newRow("NMEA position hold") << nmea << QList<QByteArray>{gsa("99.0,1.0,1.0")} << 0
                                        << "IDC_SATS_DOPS_MESSAGE" << "DOP not available (position hold)";
    // A DOP field no receiver sends, as long as a number can be.
    QTest::newRow("NMEA DOP of 300 digits") << nmea << QList<QByteArray>{gsa("1.0,1e300,1.0")} << 0
                                            << "IDC_SATS_DOPS_MESSAGE" << "PDOP = 1.0, HDOP = 1000000000";

    const QByteArray deadReckoning = UbxMessageBuilder(0x01, 0x03, 16).U1(4, 4).Frame();
    QTest::newRow("UBX fix") << ubx << QList<QByteArray>{deadReckoning} << 0 << "IDC_SATS_STATUS_MESSAGE"
                             << "GPS + dead reckoning combined";
    UbxMessageBuilder dop(0x01, 0x04, 18);
    for (int at = 4; at <= 16; at += 2)
      dop.U2(at, 65535);
    QTest::newRow("UBX DOPs") << ubx << QList<QByteArray>{deadReckoning, dop.Frame()} << 0
                              << "IDC_SATS_DOPS_MESSAGE" << "DOPs: T = 655.4, P = 655.4, H = 655.4, V = 655.4";
  }

  void receiverTextsFit()
  {
    QFETCH(int, decoder);
    QFETCH(QList<QByteArray>, messages);
    QFETCH(int, dgpsInputState);
    QFETCH(QString, label);
    QFETCH(QString, shown);
    riduder::test::RecordingMessageBoxes boxes;
    MainWindow window;
    window.SetMessageBoxes(&boxes);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.State().dgpsInputState = dgpsInputState;
    for (const QByteArray &message : messages) {
      if (decoder == int(Decoder::Oncore))
        window.DecodeMotorolaBinaryMessage(message);
      else if (decoder == int(Decoder::Nmea))
        QVERIFY(window.DecodeNmeaSentence(message));
      else
        window.DecodeUbxMessage(message);
    }
    window.UpdateClockDisplay();
    QCoreApplication::processEvents();
    const QString text = window.findChild<QLabel *>(label)->text();
    QVERIFY2(text.contains(shown), qPrintable(text));

    const QString row = QString::fromLatin1(QTest::currentDataTag()).remove(QRegularExpression(QStringLiteral("\\W")));
    Save(&window, QStringLiteral("MainWindowReceiver%1At%2Dpi").arg(row).arg(window.logicalDpiY()));
    CheckTextsFit(window);
    window.close();
  }

  // The New TIC Data Log window: the file dialog with the TIC file panel
  // below it, whose hand-made form neither clips nor overlaps.
  void ticDataLogWindow()
  {
    riduder::test::RecordingMessageBoxes boxes;
    MainWindow window;
    window.SetMessageBoxes(&boxes);
    bool shown = false;
    window.logFileDialogRunner = [&](QFileDialog &dialog) {
      QWidget *container = dialog.window();
      container->resize(800, 560);
      QCoreApplication::processEvents();
      Save(container, QStringLiteral("NewTicDataLogWindow"));
      shown = true;
      return int(QDialog::Rejected);
    };
    window.TicDataLogFileDialog(true);
    QVERIFY(shown);

    TicFileDialog *panel = window.TicFileOptions();
    panel->show();
    QCoreApplication::processEvents();
    CheckNeitherClipNorOverlap(panel);
    panel->hide();
  }

  // The C/No bars of a u-blox receiver that hears every named SBAS
  // satellite, some unused and unhealthy: each bar shows its text whole, or
  // its beginning up to "…" with the whole text as the bar's tool tip.
  void satelliteBarTextsFit()
  {
    riduder::test::RecordingMessageBoxes boxes;
    MainWindow window;
    window.SetMessageBoxes(&boxes);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const quint32 modeBefore = CurrentGpsMode;
    CurrentGpsMode = GpsModeUbloxNmea;
    const int named[] = {120, 121, 122, 124, 126, 127, 128, 129, 130, 131, 133, 134, 135, 136, 137, 138};
    QMap<int, QString> texts;
    int row = 0;
    for (int id : named) {
      SatelliteRecord &r = window.State().satellites[id];
      r.identifier = id;
      r.elevation = 10 + row;
      r.azimuth = 20 * row;
      r.cno = 30 + row;
      r.inChannel = 1;
      r.channelMode = 8;
      r.status = row % 3 == 0 ? 0x90 : 0x81;  // not used and unhealthy, or used
      texts[id] = SystemAndHealthText(r, CurrentGpsMode);
      ++row;
    }
    window.UpdateSatelliteTable();
    QCoreApplication::processEvents();
    Save(&window, QStringLiteral("MainWindowSbasBars"));

    auto *table = window.findChild<QTableWidget *>(QStringLiteral("SatsDataTableWidget"));
    QStringList cut;
    for (int i = 0; i < SatelliteTableRows; ++i) {
      auto *bar = qobject_cast<QProgressBar *>(table->cellWidget(i + 1, 4));
      QVERIFY(bar && bar->isVisible());
      const QString whole = texts.value(table->item(i + 1, 0)->text().toInt());
      QVERIFY2(!whole.isEmpty(), qPrintable(table->item(i + 1, 0)->text()));
      const QString shown = bar->format();
      if (bar->fontMetrics().horizontalAdvance(shown) > bar->contentsRect().width() - 4)
        cut << QStringLiteral("%1 does not fit %2 pixels").arg(shown).arg(bar->contentsRect().width());
      const bool elided = shown.endsWith(QChar(0x2026)) && whole.startsWith(shown.chopped(1));
      if (shown != whole && !(elided && bar->toolTip() == whole))
        cut << QStringLiteral("%1 shown for %2 (tool tip %3)").arg(shown, whole, bar->toolTip());
    }
    CurrentGpsMode = modeBefore;
    QVERIFY2(cut.isEmpty(), qPrintable(cut.join(QLatin1Char('\n'))));
  }

private:
  // Each label of the central area, each cell of the position table and the
  // status bar's message and indicators show their whole text.
  void CheckTextsFit(MainWindow &window)
  {
    QStringList cut;
    for (QLabel *label : window.centralWidget()->findChildren<QLabel *>()) {
      if (!label->isVisible() || label->text().isEmpty())
        continue;
      const QSize needed = label->sizeHint();
      const bool fits = label->wordWrap() ? label->heightForWidth(label->width()) <= label->height()
                        : qobject_cast<ElidingLabel *>(label)
                            ? needed.height() <= label->height() && ShowsWholeOrElided(label)
                            : needed.width() <= label->width() && needed.height() <= label->height();
      if (!fits)
        cut << QStringLiteral("%1 needs %2x%3, has %4x%5: %6")
                   .arg(label->objectName())
                   .arg(needed.width())
                   .arg(needed.height())
                   .arg(label->width())
                   .arg(label->height())
                   .arg(label->text());
    }

    auto *table = window.findChild<QTableWidget *>(QStringLiteral("GpsNavDataTableWidget"));
    int total = 0;
    for (int column = 0; column < table->columnCount(); ++column) {
      total += table->columnWidth(column);
      for (int row = 0; row < table->rowCount(); ++row) {
        const QTableWidgetItem *item = table->item(row, column);
        if (!item || item->text().isEmpty())
          continue;
        // The delegate's own margins around the text.
        const int needed = QFontMetrics(item->font()).horizontalAdvance(item->text()) +
                           2 * (table->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, table) + 1);
        if (needed > table->columnWidth(column))
          cut << QStringLiteral("row %1 column %2 needs %3, has %4: %5")
                     .arg(row)
                     .arg(column)
                     .arg(needed)
                     .arg(table->columnWidth(column))
                     .arg(item->text());
      }
    }
    if (total > table->viewport()->width())
      cut << QStringLiteral("columns %1, table %2").arg(total).arg(table->viewport()->width());

    QStatusBar *bar = window.statusBar();
    if (bar->width() > window.width())
      cut << QStringLiteral("status bar %1 wide in a window of %2").arg(bar->width()).arg(window.width());
    int messageRight = bar->width() - 12;
    for (QLabel *label : bar->findChildren<QLabel *>()) {
      if (!label->isVisible())
        continue;
      messageRight = std::min(messageRight, label->x() - 1);
      // A label that gives way shows what fits of its text, elided, and the
      // whole text in its tool tip.
      const bool fits = qobject_cast<ElidingLabel *>(label)
                            ? label->width() >= label->minimumSizeHint().width() && ShowsWholeOrElided(label)
                            : label->width() >= label->sizeHint().width();
      if (!bar->rect().contains(label->geometry()) || !fits)
        cut << QStringLiteral("status label %1 cut: %2").arg(label->objectName(), label->text());
    }
    const int messageWidth = bar->fontMetrics().horizontalAdvance(bar->currentMessage());
    if (messageWidth > messageRight - 6)
      cut << QStringLiteral("status message needs %1, has %2: %3")
                 .arg(messageWidth)
                 .arg(messageRight - 6)
                 .arg(bar->currentMessage());
    QVERIFY2(cut.isEmpty(), qPrintable(cut.join(QLatin1Char('\n'))));
  }

  // An eliding label shows its whole text, or what fits of it ending in "…"
  // with the whole text as its tool tip.
  static bool ShowsWholeOrElided(QLabel *label)
  {
    const auto *eliding = qobject_cast<ElidingLabel *>(label);
    if (!eliding)
      return false;
    const QString shown = eliding->ShownText();
    if (label->fontMetrics().horizontalAdvance(shown) > label->contentsRect().width())
      return false;
    return shown == label->text() || (shown.endsWith(QChar(0x2026)) && label->text().startsWith(shown.chopped(1)) &&
                                      label->toolTip() == label->text());
  }

  // Every widget directly inside `top` or one of its group boxes lies inside
  // its parent and overlaps none of its siblings.
  void CheckNeitherClipNorOverlap(QWidget *top)
  {
    QList<QWidget *> parents{top};
    for (QGroupBox *box : top->findChildren<QGroupBox *>(QString(), Qt::FindDirectChildrenOnly))
      parents << box;
    for (QWidget *parent : parents) {
      QList<QWidget *> kids;
      for (QObject *child : parent->children())
        if (auto *widget = qobject_cast<QWidget *>(child); widget && !widget->objectName().startsWith(QLatin1String("qt_")))
          kids << widget;
      for (QWidget *kid : kids) {
        QVERIFY2(parent->rect().contains(kid->geometry()),
                 qPrintable(QStringLiteral("%1 (bottom %2) leaves %3 (height %4)")
                                .arg(kid->objectName())
                                .arg(kid->geometry().bottom())
                                .arg(parent->objectName())
                                .arg(parent->height())));
        for (QWidget *other : kids)
          if (other != kid)
            QVERIFY2(!kid->geometry().intersects(other->geometry()),
                     qPrintable(kid->objectName() + " overlaps " + other->objectName()));
      }
    }
  }
};

RIDUDER_TEST_MAIN(TestScreenshots)
#include "tst_screenshots.moc"
