#include "TestMain.h"

#include "ModalDialogs.h"
#include "RecordingMessageBoxes.h"
#include "ScriptedReceivers.h"
#include "SessionOnSimulator.h"
#include "WindowOnSimulator.h"
#include "app/MainWindow.h"
#include "core/GpsMode.h"
#include "receiver/link/GpsPortSettings.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QTimer>

#include <memory>

using namespace riduder::test;

Q_DECLARE_METATYPE(ReceiverFamily)
Q_DECLARE_METATYPE(ReceiverProtocol)

namespace {

// Real milliseconds per program millisecond: a 2.5 s reply-wait step takes
// 10 ms, so a whole start-up with its searches takes well under a second.
constexpr double Scale = 0.004;

// A main window on a simulated line, with the given stored port settings,
// its command clock shrunk, and (when asked) a scripted receiver.
struct Startup {
  Startup(quint32 storedMode, int storedRate, int lastRate = 0, bool minimal = false)
  {
    QSettings settings;
    settings.setValue(GpsPortKeys::DoNotInitialize, minimal);
    settings.remove(QStringLiteral("MainWindow/Mode"));
    // A site the user stored: the set-up hands it to the receiver.
    for (const char *key : {"Latitude", "Longitude", "GPS Altitude", "MSL Altitude"})
      settings.setValue(QStringLiteral("GpsNavDialog/RefLocation/") + QLatin1String(key), QStringLiteral("10.0"));
    auto options = WindowOnSimulator::Options::WithoutPps(storedMode, storedRate);
    rig = std::make_unique<WindowOnSimulator>(options);
    rig->Window().Timing().SetScale(Scale);
    LastGpsBaud = lastRate;
  }

  ScriptedReceiver &Attach(ReceiverFamily family, int rate)
  {
    receiver = std::make_unique<ScriptedReceiver>(rig->Simulator(), family, rate);
    return *receiver;
  }

  MainWindow &Window() { return rig->Window(); }
  QString Status() { return Window().ReceiverStatusLabel()->text(); }
  static QString StoredMode() { return QSettings().value(GpsPortKeys::Mode).toString(); }
  static int StoredRate() { return QSettings().value(GpsPortKeys::DataRate).toInt(); }
  static QVariant MainWindowMode() { return QSettings().value(QStringLiteral("MainWindow/Mode")); }
  int LineRate() { return rig->Simulator().lineRate(); }
  // The messages the simulated line got, at any rate.
  int LineMessagesStartingWith(const QByteArray &start)
  {
    int count = 0;
    for (const QByteArray &message : rig->Simulator().receivedMessages())
      count += message.startsWith(start) ? 1 : 0;
    return count;
  }

  std::unique_ptr<WindowOnSimulator> rig;
  std::unique_ptr<ScriptedReceiver> receiver;
};

// The receiver session alone on a simulated line, with the same stored
// settings as Startup: no window takes part.
struct SessionStartup {
  SessionStartup(quint32 storedMode, int storedRate, int lastRate = 0, bool minimal = false)
  {
    QSettings().remove(QStringLiteral("MainWindow/Mode"));
    rig = std::make_unique<SessionOnSimulator>(storedMode, storedRate, Scale, minimal);
    // A site the user stored: the set-up hands it to the receiver.
    rig->Host().sendsReferencePosition = true;
    rig->Host().referencePosition = {10.0, 10.0, 10.0};
    LastGpsBaud = lastRate;
  }

  ScriptedReceiver &Attach(ReceiverFamily family, int rate)
  {
    receiver = std::make_unique<ScriptedReceiver>(rig->Simulator(), family, rate);
    return *receiver;
  }

  ReceiverSession &Session() { return rig->Session(); }
  QString Status() { return rig->Host().statusText; }
  int LineRate() { return rig->Simulator().lineRate(); }

  std::unique_ptr<SessionOnSimulator> rig;
  std::unique_ptr<ScriptedReceiver> receiver;
};

QStringList Names(const char *spaced)
{
  return QString::fromLatin1(spaced).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

QString Mismatch(const QStringList &heard, const QStringList &head, const QStringList &tail)
{
  if (heard.mid(0, head.size()) != head)
    return QStringLiteral("starts\n  %1\nnot\n  %2").arg(heard.mid(0, head.size()).join(' '), head.join(' '));
  if (heard.size() < head.size() + tail.size() || heard.mid(heard.size() - tail.size()) != tail)
    return QStringLiteral("ends\n  %1\nnot\n  %2").arg(heard.mid(heard.size() - tail.size()).join(' '),
                                                      tail.join(' '));
  return {};
}

const char NmeaQuiet[] =
    "$PMOTG,RMC,0000 $PMOTG,GGA,0000 $PMOTG,GSA,0000 $PMOTG,GSV,0000 $PMOTG,GLL,0000 $PMOTG,VTG,0000 ";
const char NmeaOutput[] =
    " $PMOTG,GLL,0000 $PMOTG,VTG,0000 $PMOTG,GGA,0001 $PMOTG,GSA,0001 $PMOTG,GSV,0001 $PMOTG,RMC,0001";
// What an identified Oncore receiver is asked, up to its configuration.
const char StatusQueries[] = " @@Hb @@Bb @@Bk @@Ek @@Bl @@Bh @@Bg @@Eg @@Bi ";

QAction *FirmwareAction(MainWindow &window)
{
  return window.findChild<QAction *>(QStringLiteral("actionSend_new_firmware_to_GPS_Rx"));
}

QString Repeat(const char *name, int count)
{
  QStringList names;
  for (int i = 0; i < count; ++i)
    names << QLatin1String(name);
  return names.join(' ');
}

// What each kind of start-up leaves, the same whether the window or the
// session alone ran it: the checks read the row's columns themselves.
// `shown` is the receiver description shown, `inForce` the protocol mode in
// force after, `lineRate` the simulated line's rate.
void CompareFoundBySearch(const QString &shown, ScriptedReceiver &receiver, quint32 inForce, int lineRate)
{
  QFETCH(QString, head);
  QFETCH(QString, tail);
  QFETCH(quint32, mode);
  QFETCH(QString, storedMode);
  QFETCH(int, finalRate);
  QFETCH(ReceiverProtocol, talks);
  QFETCH(QString, status);
  QCOMPARE(shown, status);
  const QString mismatch = Mismatch(receiver.HeardNames(), head.split(' '), tail.split(' '));
  QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch));
  QCOMPARE(inForce, mode);
  QCOMPARE(Startup::StoredMode(), storedMode);
  QCOMPARE(Startup::StoredRate(), finalRate);
  QCOMPARE(lineRate, finalRate);
  QCOMPARE(receiver.Rate(), finalRate);
  QCOMPARE(receiver.Protocol(), talks);
}

void CompareTakenIntoUse(const QString &shown, ScriptedReceiver *receiver, const QByteArray &lineHeard,
                         quint32 inForce, int lineRate)
{
  QFETCH(quint32, storedMode);
  QFETCH(int, rate);
  QFETCH(QString, head);
  QFETCH(QString, status);
  QCOMPARE(shown, status);
  QCOMPARE(inForce, storedMode);
  QCOMPARE(Startup::StoredMode(), GpsModeName(storedMode));
  QCOMPARE(Startup::StoredRate(), rate);
  QCOMPARE(lineRate, rate);
  QCOMPARE(Startup::MainWindowMode().toInt(), int(storedMode));
  if (head.isEmpty()) {
    QVERIFY2(lineHeard.isEmpty(), "nothing is sent to this receiver");
    return;
  }
  const QStringList heard = receiver->HeardNames();
  QCOMPARE(heard.mid(0, head.count(' ') + 1), head.split(' '));
  // The NMEA mode switches on NMEA sentences only (class F0).
  if (storedMode == GpsModeUbloxNmea) {
    const QList<QByteArray> frames = receiver->Heard().mid(27, 5);
    for (const QByteArray &frame : frames)
      QCOMPARE(quint8(frame.at(6)), quint8(0xF0));
  }
}

void CompareHandedOverToNmea(const QString &shown, ScriptedReceiver &receiver, quint32 inForce, int lineRate)
{
  QFETCH(int, finalRate);
  QFETCH(QString, tail);
  QCOMPARE(shown, QStringLiteral("SSR-M8T, NMEA Mode, 12 ch, V4.25, TRAIM"));
  const QStringList heard = receiver.HeardNames();
  const QStringList expectedTail = tail.split(' ');
  QCOMPARE(heard.mid(heard.size() - expectedTail.size()), expectedTail);
  // "@@Wb" carries the user's 9600.
  const int wb = heard.lastIndexOf(QStringLiteral("@@Wb"));
  QCOMPARE(receiver.Heard().at(wb).mid(4, 2), QByteArray::fromHex("0000"));
  QCOMPARE(inForce, quint32(GpsModeMotorolaNmea));
  QCOMPARE(Startup::StoredMode(), QStringLiteral("Motorola NMEA"));
  QCOMPARE(Startup::StoredRate(), finalRate);
  QCOMPARE(lineRate, finalRate);
  QCOMPARE(receiver.Rate(), finalRate);
  QCOMPARE(receiver.Protocol(), ReceiverProtocol::MotorolaNmea);
}

void CompareFailedSearch(const QString &shown, ScriptedReceiver &receiver, quint32 inForce, int lineRate,
                         const ReceiverState &state)
{
  QFETCH(quint32, storedMode);
  QFETCH(int, rate);
  QVERIFY(receiver.Heard().isEmpty());
  QCOMPARE(shown, QStringLiteral("ERROR: Motorola GPS Receiver Not Found"));
  QCOMPARE(inForce, storedMode);
  QCOMPARE(Startup::StoredMode(), GpsModeName(storedMode));
  QCOMPARE(Startup::StoredRate(), rate);
  QCOMPARE(lineRate, rate);
  QVERIFY(!state.setupInProgress);
}

void CompareReverted(const QString &shown, ScriptedReceiver &receiver, quint32 inForce, int lineRate)
{
  QFETCH(bool, returned);
  QFETCH(int, finalRate);
  QFETCH(QString, heard);
  QCOMPARE(receiver.HeardNames(), Names(qPrintable(heard)));
  QCOMPARE(Startup::StoredRate(), finalRate);
  QCOMPARE(lineRate, finalRate);
  QCOMPARE(inForce, quint32(GpsModeMotorolaBinary));
  if (returned)
    QCOMPARE(shown, QStringLiteral("GPS receiver returned to its previous rate"));
}

}  // namespace


class DetectionTest : public QObject {
  Q_OBJECT

private slots:
  void foundBySearchAtAnotherRate_data();
  void foundBySearchAtAnotherRate();
  void foundBySearchThroughTheSessionAlone_data() { foundBySearchAtAnotherRate_data(); }
  void foundBySearchThroughTheSessionAlone();
  void takenIntoUseAtStoredRate_data();
  void takenIntoUseAtStoredRate();
  void takenIntoUseThroughTheSessionAlone_data() { takenIntoUseAtStoredRate_data(); }
  void takenIntoUseThroughTheSessionAlone();
  void liveMessagesAfterStartUp_data();
  void liveMessagesAfterStartUp();
  void synergyHandOverToNmea_data();
  void synergyHandOverToNmea();
  void synergyHandOverThroughTheSessionAlone_data() { synergyHandOverToNmea_data(); }
  void synergyHandOverThroughTheSessionAlone();
  void silentPortWarnsAfterThreeAttempts();
  void receiverAnsweringTheSecondAttempt();
  void closingDuringTheSearchEndsItAtOnce();
  void portNotOpenWarnsAtOnce_data();
  void portNotOpenWarnsAtOnce();
  void interfaceDialogEndsTheSearchFirst_data();
  void interfaceDialogEndsTheSearchFirst();
  void endSearchEndsTheSearchAndLeavesTheSessionReady();
  void interfaceDialogWaitsForTheSetUp();
  void failedSearchLeavesModeAndRate_data();
  void failedSearchLeavesModeAndRate();
  void failedSearchThroughTheSessionAlone_data() { failedSearchLeavesModeAndRate_data(); }
  void failedSearchThroughTheSessionAlone();
  void revertToPreviousRate_data();
  void revertToPreviousRate();
  void revertThroughTheSessionAlone_data() { revertToPreviousRate_data(); }
  void revertThroughTheSessionAlone();
};

void DetectionTest::foundBySearchAtAnotherRate_data()
{
  QTest::addColumn<ReceiverFamily>("family");
  QTest::addColumn<int>("receiverRate");
  QTest::addColumn<int>("storedRate");
  QTest::addColumn<int>("lastRate");
  QTest::addColumn<QString>("head");
  QTest::addColumn<QString>("tail");
  QTest::addColumn<quint32>("mode");
  QTest::addColumn<QString>("storedMode");
  QTest::addColumn<int>("finalRate");
  QTest::addColumn<ReceiverProtocol>("talks");
  QTest::addColumn<QString>("status");

  // Binary receivers: the search's "@@Cj" at their rate, the initialisation's
  // own, the channel probes down to the one they answer, the status queries.
  QTest::newRow("6 channels, 9600")
      << ReceiverFamily::Oncore6 << 9600 << 4800 << 0
      << QString("@@Cj @@Cj @@Cg @@Ba @@Ea @@Ha @@Ea @@Ba") + StatusQueries + "@@Bj @@Bo @@Ad @@Ae @@Af"
      << "@@Bb" << quint32(GpsModeMotorolaBinary) << "Motorola Binary" << 9600
      << ReceiverProtocol::OncoreBinary << "Motorola VP6, Bin, 6 ch, V3.1";
  QTest::newRow("8 channels, 4800, after the NMEA probe")
      << ReceiverFamily::Oncore8 << 4800 << 9600 << 0
      << QString(NmeaQuiet) + "$PMOTG,ZDA,0001 @@Cj @@Cj @@Cg @@Ba @@Ea @@Ha @@Ea" + StatusQueries +
             "@@Bj @@Bo @@Ad @@Ae @@Af"
      << "@@Bb" << quint32(GpsModeMotorolaBinary) << "Motorola Binary" << 4800
      << ReceiverProtocol::OncoreBinary << "Motorola UT+, Bin, 8 ch, V1.1, TRAIM";
  QTest::newRow("12 channels, the rate before the last change")
      << ReceiverFamily::Oncore12 << 19200 << 4800 << 19200
      << QString(NmeaQuiet) + "$PMOTG,ZDA,0001 @@Cj @@Cj @@Cg @@Ba @@Ea @@Ha" + StatusQueries +
             "@@Gj @@Bo @@AQ @@Ga @@As @@Au"
      << "@@Bb @@Gk" << quint32(GpsModeMotorolaBinary) << "Motorola Binary" << 19200
      << ReceiverProtocol::OncoreBinary << "Motorola M12+, Bin, 12 ch, V2.0, has DGPS, TRAIM";
  QTest::newRow("Synergy, no channel probe")
      << ReceiverFamily::Synergy << 9600 << 4800 << 0
      << QString("@@Cj @@Cj @@Cg @@Ba @@Ea @@Ha") + StatusQueries + "@@Gj @@Bo @@AQ @@Ga @@As @@Au"
      << "@@Bb @@Gk" << quint32(GpsModeMotorolaBinary) << "Motorola Binary" << 9600
      << ReceiverProtocol::OncoreBinary << "SSR-M8T++, Bin, 12 ch, V4.25, TRAIM";
  QTest::newRow("Motorola NMEA, handed back to NMEA")
      << ReceiverFamily::MotorolaNmea << 4800 << 9600 << 0
      << QString(NmeaQuiet) + "$PMOTG,ZDA,0001 $PMOTG,FOR,0 @@Cj @@Cg @@Ba @@Ea @@Ha" + StatusQueries +
             "@@Gj @@Bo @@AQ @@Ga @@As @@Au"
      << QString("@@Ci $PMOTG,ZDA,0001") + NmeaOutput << quint32(GpsModeMotorolaNmea) << "Motorola NMEA"
      << 4800 << ReceiverProtocol::MotorolaNmea << "Motorola M12+, NMEA Mode, 12 ch, V2.0, has DGPS, TRAIM";
  QTest::newRow("LORAN at 1200")
      << ReceiverFamily::Loran << 1200 << 9600 << 0
      << QString("T0 BIN @@Cj @@Cg @@Ba @@Ea @@Ha @@Ea") + StatusQueries + "@@Bj @@Bo @@Ad @@Ae @@Af"
      << "@@Ci T1" << quint32(GpsModeMotorolaLoran) << "Motorola LORAN" << 1200 << ReceiverProtocol::Loran
      << "Ready - Loran Mode";
  // Deaf to every Motorola probe but the two "@@Cj" at 9600; found by the
  // MON-VER poll there, told the user's rate, and set up at it.
  QTest::newRow("u-blox at 9600")
      << ReceiverFamily::Ublox << 9600 << 4800 << 0
      << "@@Cj @@Cj UBX-0A-04 UBX-06-00 UBX-06-00 UBX-0A-04 " + Repeat("UBX-06-01", 24) + " UBX-06-13 " +
             Repeat("UBX-06-01", 9)
      << "UBX-06-09 UBX-06-09 UBX-06-04" << quint32(GpsModeUbloxUbx) << "u-blox UBX" << 4800
      << ReceiverProtocol::Ubx << "u-blox with DGPS, WAAS, EGNOS, MSAS";
}

void DetectionTest::foundBySearchAtAnotherRate()
{
  QFETCH(ReceiverFamily, family);
  QFETCH(int, receiverRate);
  QFETCH(int, storedRate);
  QFETCH(int, lastRate);

  Startup startup(GpsModeSearch, storedRate, lastRate);
  QVERIFY2(startup.rig->Problem().isEmpty(), qPrintable(startup.rig->Problem()));
  ScriptedReceiver &receiver = startup.Attach(family, receiverRate);

  startup.Window().DetectGpsReceiver();

  CompareFoundBySearch(startup.Status(), receiver, CurrentGpsMode, startup.LineRate());
  if (QTest::currentTestFailed())
    return;
  QVERIFY(startup.rig->Boxes().shown.isEmpty());
  QVERIFY(!startup.Window().State().setupInProgress);
  QCOMPARE(QApplication::overrideCursor(), nullptr);
  // Found at the first attempt: the firmware action stays off.
  QVERIFY(!FirmwareAction(startup.Window())->isEnabled());
}

void DetectionTest::takenIntoUseAtStoredRate_data()
{
  QTest::addColumn<quint32>("storedMode");
  QTest::addColumn<int>("rate");
  QTest::addColumn<bool>("minimal");
  QTest::addColumn<bool>("withReceiver");
  QTest::addColumn<QString>("head");
  QTest::addColumn<QString>("status");

  QTest::newRow("generic NMEA") << quint32(GpsModeGenericNmea) << 4800 << false << true << ""
                                << "Generic NMEA GPS Receiver";
  QTest::newRow("receive-only") << quint32(GpsModeMotorolaBinaryRxOnly) << 9600 << false << false << ""
                                << "Motorola UNKNOWN, Rx Only, Bin, 0 ch, V";
  QTest::newRow("u-blox UBX") << quint32(GpsModeUbloxUbx) << 38400 << false << true
                              << "UBX-06-00 UBX-0A-04 " + Repeat("UBX-06-01", 24) + " UBX-06-13"
                              << "u-blox with DGPS, WAAS, EGNOS, MSAS";
  QTest::newRow("u-blox NMEA") << quint32(GpsModeUbloxNmea) << 9600 << false << true
                               << "UBX-06-00 UBX-0A-04 " + Repeat("UBX-06-01", 24) + " UBX-06-13 " +
                                      Repeat("UBX-06-01", 5) + " UBX-06-24"
                               << "u-blox NMEA Mode";
  QTest::newRow("u-blox, minimal initialisation")
      << quint32(GpsModeUbloxUbx) << 19200 << true << true << ""
      << "Initialization: Set up u-blox GPS Receiver...";
}

void DetectionTest::takenIntoUseAtStoredRate()
{
  QFETCH(quint32, storedMode);
  QFETCH(int, rate);
  QFETCH(bool, minimal);
  QFETCH(bool, withReceiver);

  Startup startup(storedMode, rate, 0, minimal);
  QVERIFY2(startup.rig->Problem().isEmpty(), qPrintable(startup.rig->Problem()));
  const ReceiverFamily family =
      storedMode == GpsModeGenericNmea ? ReceiverFamily::GenericNmea : ReceiverFamily::Ublox;
  if (withReceiver)
    startup.Attach(family, rate);

  startup.Window().DetectGpsReceiver();

  // Counted as found at once: no retry, no warning.
  QVERIFY(startup.rig->Boxes().shown.isEmpty());
  QCOMPARE(QApplication::overrideCursor(), nullptr);
  CompareTakenIntoUse(startup.Status(), startup.receiver.get(), startup.rig->Simulator().received(),
                      CurrentGpsMode, startup.LineRate());
}

void DetectionTest::liveMessagesAfterStartUp_data()
{
  QTest::addColumn<quint32>("storedMode");
  QTest::addColumn<int>("rate");
  QTest::addColumn<ReceiverFamily>("family");
  QTest::addColumn<QString>("capture");

  QTest::newRow("Oncore binary") << quint32(GpsModeMotorolaBinary) << 9600 << ReceiverFamily::Oncore12
                                 << "oncore/oncore-m12.log";
  QTest::newRow("generic NMEA") << quint32(GpsModeGenericNmea) << 4800 << ReceiverFamily::GenericNmea
                                << "nmea/garmin17n.log";
  QTest::newRow("u-blox UBX") << quint32(GpsModeUbloxUbx) << 9600 << ReceiverFamily::Ublox
                              << "ubx/u-blox-m8t-time.log";
}

void DetectionTest::liveMessagesAfterStartUp()
{
  RIDUDER_REQUIRE_CAPTURES();
  QFETCH(quint32, storedMode);
  QFETCH(int, rate);
  QFETCH(ReceiverFamily, family);
  QFETCH(QString, capture);

  Startup startup(storedMode, rate);
  QVERIFY2(startup.rig->Problem().isEmpty(), qPrintable(startup.rig->Problem()));
  startup.Attach(family, rate);
  startup.Window().DetectGpsReceiver();
  QVERIFY(startup.rig->Boxes().shown.isEmpty());
  QCOMPARE(CurrentGpsMode, storedMode);
  startup.rig->TakeRawDataEntries();

  bool ok = false;
  const QByteArray bytes = ReadCapture(capture, &ok);
  QVERIFY(ok);
  QVERIFY(startup.rig->Replay(bytes.left(20000)));

  int decoded = 0;
  for (const QString &entry : startup.rig->RawDataEntries())
    decoded += entry.startsWith(QLatin1String("->")) ? 1 : 0;
  QVERIFY2(decoded >= 10, qPrintable(QString::number(decoded)));
  QVERIFY(!startup.rig->LabelText(QStringLiteral("IDC_SATS_VISIBLE")).isEmpty());
}

void DetectionTest::synergyHandOverToNmea_data()
{
  QTest::addColumn<bool>("accepts");
  QTest::addColumn<int>("finalRate");
  QTest::addColumn<QString>("tail");
  QTest::addColumn<QString>("statusAtSwitch");

  QTest::newRow("rate change accepted")
      << true << 9600 << QString("@@Wb @@Cj @@Ci $PMOTG,ZDA,0001") + NmeaOutput
      << "Initialization: Set up GPS Receiver...";
  // The two "@@Cj" at the new rate go unheard; the one back at the old rate
  // is answered.
  QTest::newRow("rate change refused")
      << false << 4800 << QString("@@Wb @@Cj @@Ci $PMOTG,ZDA,0001") + NmeaOutput
      << "Receiver did not accept the rate change - staying at the current rate";
}

void DetectionTest::synergyHandOverToNmea()
{
  QFETCH(bool, accepts);
  QFETCH(QString, statusAtSwitch);

  // The user wants Motorola NMEA at 9600; the receiver talks binary at 4800.
  Startup startup(GpsModeMotorolaNmea, 9600);
  QVERIFY2(startup.rig->Problem().isEmpty(), qPrintable(startup.rig->Problem()));
  ScriptedReceiver &receiver = startup.Attach(ReceiverFamily::Synergy, 4800);
  receiver.SetAcceptsRateChange(accepts);
  QString statusWhenSwitched;
  bool soundsDuringSetUp = true;
  Qt::CursorShape cursorDuringSetUp = Qt::ArrowCursor;
  receiver.onHeard = [&](const QByteArray &message) {
    if (!message.startsWith("@@Ci"))
      return;
    statusWhenSwitched = startup.Status();
    soundsDuringSetUp = startup.Window().SoundOn() || startup.Window().SoundOutOfLockOn();
    if (QApplication::overrideCursor())
      cursorDuringSetUp = QApplication::overrideCursor()->shape();
  };
  const bool soundBefore = startup.Window().SoundOn();
  const bool soundOutOfLockBefore = startup.Window().SoundOutOfLockOn();

  startup.Window().DetectGpsReceiver();

  QVERIFY(startup.rig->Boxes().shown.isEmpty());
  QCOMPARE(statusWhenSwitched, statusAtSwitch);
  // Silent, with the wait cursor, while it runs; as before afterwards.
  QVERIFY(!soundsDuringSetUp);
  QCOMPARE(cursorDuringSetUp, Qt::WaitCursor);
  QCOMPARE(startup.Window().SoundOn(), soundBefore);
  QCOMPARE(startup.Window().SoundOutOfLockOn(), soundOutOfLockBefore);
  QCOMPARE(QApplication::overrideCursor(), nullptr);
  CompareHandedOverToNmea(startup.Status(), receiver, CurrentGpsMode, startup.LineRate());
}

void DetectionTest::silentPortWarnsAfterThreeAttempts()
{
  Startup startup(GpsModeSearch, 9600);
  QVERIFY2(startup.rig->Problem().isEmpty(), qPrintable(startup.rig->Problem()));
  QElapsedTimer clock;
  clock.start();

  startup.Window().DetectGpsReceiver();

  QVERIFY2(clock.elapsed() < 15000, qPrintable(QString::number(clock.elapsed())));
  // Each attempt ends its search with LORAN at 1200.
  QCOMPARE(startup.LineMessagesStartingWith("T0"), 3);
  QCOMPARE(startup.rig->Boxes().shown.size(), 1);
  QCOMPARE(startup.rig->Boxes().shown.first().title, QStringLiteral("GPS Receiver not found"));
  QVERIFY(FirmwareAction(startup.Window())->isEnabled());
  QCOMPARE(startup.Status(), QStringLiteral("GPS Receiver not found"));
  QCOMPARE(CurrentGpsMode, quint32(GpsModeSearch));
  QCOMPARE(Startup::StoredMode(), QStringLiteral("Search"));
  QCOMPARE(Startup::StoredRate(), 9600);
  QCOMPARE(QApplication::overrideCursor(), nullptr);
}

void DetectionTest::receiverAnsweringTheSecondAttempt()
{
  Startup startup(GpsModeMotorolaBinary, 9600);
  QVERIFY2(startup.rig->Problem().isEmpty(), qPrintable(startup.rig->Problem()));
  ScriptedReceiver &receiver = startup.Attach(ReceiverFamily::Oncore12, 9600);
  receiver.SetPowered(false);
  // Switched on as the second attempt begins.
  QObject::connect(&startup.rig->Simulator(), &riduder::sim::ReceiverSimulator::bytesReceived, &receiver,
                   [&] {
                     if (startup.Status().contains(QLatin1String("attempt 2 of 3")))
                       receiver.SetPowered(true);
                   });

  startup.Window().DetectGpsReceiver();

  QVERIFY(startup.rig->Boxes().shown.isEmpty());
  QCOMPARE(startup.Status(), QStringLiteral("Motorola M12+, Bin, 12 ch, V2.0, has DGPS, TRAIM"));
  // The probe of the second attempt was the first thing it heard.
  QCOMPARE(receiver.HeardNames().mid(0, 2), Names("@@Cj @@Cj"));
  QVERIFY(receiver.UnheardCount() > 0);
  QCOMPARE(CurrentGpsMode, quint32(GpsModeMotorolaBinary));
  QCOMPARE(Startup::StoredRate(), 9600);
}

void DetectionTest::closingDuringTheSearchEndsItAtOnce()
{
  Startup startup(GpsModeSearch, 9600);
  QVERIFY2(startup.rig->Problem().isEmpty(), qPrintable(startup.rig->Problem()));
  MainWindow &window = startup.Window();
  // The user closes the window while the binary probe waits.
  QObject::connect(&startup.rig->Simulator(), &riduder::sim::ReceiverSimulator::messageReceived, &window,
                   [&](const QByteArray &message) {
                     if (message.startsWith("@@Cj"))
                       QTimer::singleShot(0, &window, [&] { window.close(); });
                   });
  QElapsedTimer clock;
  clock.start();
  const qint64 programTimeBefore = window.Timing().NowMs();

  window.DetectGpsReceiver();

  QVERIFY(window.State().closing);
  QVERIFY(startup.rig->Boxes().shown.isEmpty());
  // Nothing after the probe that was waiting: no LORAN, no u-blox, no
  // second attempt, and at most the wait step that was running.
  QCOMPARE(startup.LineMessagesStartingWith("T0"), 0);
  QCOMPARE(startup.LineMessagesStartingWith("@@Cj"), 1);
  QCOMPARE(startup.LineMessagesStartingWith("\xB5\x62"), 0);
  QVERIFY(window.Timing().NowMs() - programTimeBefore < 20000);
  QVERIFY(!window.ReceiverPort().IsOpen());
  QCOMPARE(Startup::StoredMode(), QStringLiteral("Search"));
  QCOMPARE(Startup::StoredRate(), 9600);
  QVERIFY(!Startup::MainWindowMode().isValid());
  QCOMPARE(QApplication::overrideCursor(), nullptr);
}

// A port that is off (a fresh settings store) or that failed to open has
// nobody to answer: the box comes at once, naming the real menu item, and
// nothing is sent.
void DetectionTest::portNotOpenWarnsAtOnce_data()
{
  QTest::addColumn<QString>("portName");  // empty: nothing stored
  QTest::newRow("fresh settings store") << QString();
  QTest::newRow("missing device") << QStringLiteral("/dev/ttyRIDUDER-MISSING");
}

void DetectionTest::portNotOpenWarnsAtOnce()
{
  QFETCH(QString, portName);
  QSettings().clear();
  if (!portName.isEmpty())
    QSettings().setValue(GpsPortKeys::PortName, portName);
  RecordingMessageBoxes boxes;
  MainWindow window;
  window.SetMessageBoxes(&boxes);
  QVERIFY(!window.ReceiverPort().IsOpen());
  int sent = 0;
  connect(&window, &MainWindow::sendGpsMessage, &window, [&sent] { ++sent; });
  qint64 boxAfterMs = -1;
  QElapsedTimer clock;
  boxes.onShow = [&](const MessageBoxRequest &) { boxAfterMs = clock.elapsed(); };
  // A search at the program's own pace would take minutes: it is ended
  // after 3 s, before any box.
  QTimer::singleShot(3000, &window, [&window] { window.close(); });

  clock.start();
  window.ShowAndDetectReceiver();
  QApplication::restoreOverrideCursor();

  QCOMPARE(boxes.shown.size(), 1);
  QVERIFY2(boxAfterMs >= 0 && boxAfterMs < 2000, qPrintable(QString::number(boxAfterMs)));
  QCOMPARE(boxes.shown.first().title, QStringLiteral("GPS Receiver not found"));
  QCOMPARE(boxes.shown.first().text,
           QStringLiteral("Go to the menu and select Edit/Set GPS Receiver Interface. There you can select a "
                          "different serial port, and/or select a different receiver type."));
  QCOMPARE(sent, 0);
  QVERIFY(FirmwareAction(window)->isEnabled());
}

// Edit > Set GPS Receiver Interface during a search that finds nothing: the
// search ends first (nothing more is sent), then the dialog opens, and its
// OK searches afresh and finds the receiver now on the line.
void DetectionTest::interfaceDialogEndsTheSearchFirst_data()
{
  QTest::addColumn<QByteArray>("chosenAt");  // the command just sent
  QTest::newRow("first binary probe") << QByteArray("@@Cj");
  // Nothing answered anywhere: a switch to binary and "@@Cj" are the last try.
  QTest::newRow("last try") << QByteArray("$PMOTG,FOR,0");
}

void DetectionTest::interfaceDialogEndsTheSearchFirst()
{
  QFETCH(QByteArray, chosenAt);
  Startup startup(GpsModeSearch, 9600);
  QVERIFY2(startup.rig->Problem().isEmpty(), qPrintable(startup.rig->Problem()));
  MainWindow &window = startup.Window();
  auto *interfaceAction = window.findChild<QAction *>(QStringLiteral("actionSet_GPS_Receiver_Interface"));
  QVERIFY(interfaceAction);
  int sent = 0;
  connect(&window, &MainWindow::sendGpsMessage, &window, [&sent] { ++sent; });

  // Chosen while the first binary probe waits for its answer.
  bool chosen = false;
  bool enabledWhenChosen = false;
  int sentWhenChosen = -1;
  connect(&window, &MainWindow::sendGpsMessage, &window, [&](const QByteArray &message) {
    if (chosen || !message.startsWith(chosenAt))
      return;
    chosen = true;
    QTimer::singleShot(0, &window, [&] {
      enabledWhenChosen = interfaceAction->isEnabled();
      sentWhenChosen = sent;
      interfaceAction->trigger();
    });
  });
  bool detectionEnded = false;
  bool endedWhenDialogOpened = false;
  int sentWhenDialogOpened = -1;
  QString statusWhenDialogOpened;
  QStringList dialogs;
  AnswerNextModalDialog(
      [&](QDialog *dialog) {
        dialogs << dialog->objectName();
        endedWhenDialogOpened = detectionEnded;
        sentWhenDialogOpened = sent;
        statusWhenDialogOpened = startup.Status();
        startup.Attach(ReceiverFamily::Oncore12, 9600);
        dialog->findChild<QPushButton *>(QStringLiteral("OK"))->click();
      },
      20000);

  window.DetectGpsReceiver();
  detectionEnded = true;

  QVERIFY(chosen);
  QTRY_COMPARE_WITH_TIMEOUT(dialogs, QStringList{QStringLiteral("GpsPortDialog")}, 10000);
  QVERIFY(enabledWhenChosen);
  QVERIFY(endedWhenDialogOpened);
  QCOMPARE(sentWhenDialogOpened, sentWhenChosen);
  QCOMPARE(statusWhenDialogOpened, QStringLiteral("GPS Receiver not found"));
  QTRY_COMPARE_WITH_TIMEOUT(startup.Status(), QStringLiteral("Motorola M12+, Bin, 12 ch, V2.0, has DGPS, TRAIM"),
                            10000);
  QVERIFY(startup.rig->Boxes().shown.isEmpty());
  QVERIFY(!window.ReceiverBusy());
  QVERIFY(interfaceAction->isEnabled());
}

// Edit > Set GPS Receiver Interface while the receiver found is being set
// up: the set-up runs to its end, every command of an undisturbed start-up
// going out, and only then does the dialog open.
void DetectionTest::interfaceDialogWaitsForTheSetUp()
{
  const auto startUp = [](bool chooseInterface, QStringList *sent, QStringList *sentWhenDialogOpened) {
    Startup startup(GpsModeMotorolaBinary, 9600);
    QVERIFY2(startup.rig->Problem().isEmpty(), qPrintable(startup.rig->Problem()));
    startup.Attach(ReceiverFamily::Oncore12, 9600);
    MainWindow &window = startup.Window();
    auto *interfaceAction = window.findChild<QAction *>(QStringLiteral("actionSet_GPS_Receiver_Interface"));
    QVERIFY(interfaceAction);
    bool chosen = false;
    connect(&window, &MainWindow::sendGpsMessage, &window, [&](const QByteArray &message) {
      *sent << ScriptedReceiver::NameOf(message);
      // The set-up's first command: the receiver has been identified.
      if (!chooseInterface || chosen || !message.startsWith("@@Cg"))
        return;
      chosen = true;
      QTimer::singleShot(0, &window, [interfaceAction] { interfaceAction->trigger(); });
    });
    QStringList dialogs;
    if (chooseInterface)
      AnswerNextModalDialog(
          [&](QDialog *dialog) {
            dialogs << dialog->objectName();
            *sentWhenDialogOpened = *sent;
            dialog->reject();
          },
          20000);

    window.DetectGpsReceiver();

    if (chooseInterface) {
      QVERIFY(chosen);
      QTRY_COMPARE_WITH_TIMEOUT(dialogs, QStringList{QStringLiteral("GpsPortDialog")}, 10000);
    }
    QCOMPARE(startup.Status(), QStringLiteral("Motorola M12+, Bin, 12 ch, V2.0, has DGPS, TRAIM"));
    QVERIFY(startup.rig->Boxes().shown.isEmpty());
    QVERIFY(!window.ReceiverBusy());
  };
  QStringList undisturbed;
  startUp(false, &undisturbed, nullptr);
  QStringList sent;
  QStringList sentWhenDialogOpened;
  if (!QTest::currentTestFailed())
    startUp(true, &sent, &sentWhenDialogOpened);
  if (QTest::currentTestFailed())
    return;

  QVERIFY(undisturbed.contains(QStringLiteral("@@Cg")));
  QCOMPARE(sentWhenDialogOpened, undisturbed);
  QCOMPARE(sent, undisturbed);
}

// The session alone: EndSearch ends the search at once, sends nothing more,
// says the receiver was not found, and leaves the session ready for the
// next initialisation.
void DetectionTest::endSearchEndsTheSearchAndLeavesTheSessionReady()
{
  SessionStartup startup(GpsModeSearch, 9600);
  QVERIFY2(startup.rig->Problem().isEmpty(), qPrintable(startup.rig->Problem()));
  ReceiverSession &session = startup.Session();
  int sent = 0;
  int sentWhenStopped = -1;
  connect(&session, &ReceiverSession::sendGpsMessage, &session, [&](const QByteArray &message) {
    ++sent;
    if (sentWhenStopped < 0 && message.startsWith("@@Cj"))
      QTimer::singleShot(0, &session, [&] {
        sentWhenStopped = sent;
        session.EndSearch();
      });
  });
  const qint64 programTimeBefore = session.Timing().NowMs();

  QVERIFY(!session.InitializeGpsReceiver());

  QVERIFY(sentWhenStopped > 0);
  QCOMPARE(sent, sentWhenStopped);
  // The NMEA stage and part of one binary wait step, no more.
  QVERIFY(session.Timing().NowMs() - programTimeBefore < 20000);
  QVERIFY(!session.Busy());
  QVERIFY(!session.Stopping());
  QCOMPARE(startup.rig->Host().busyChanges, (QList<bool>{true, false}));
  QVERIFY(!Startup::MainWindowMode().isValid());
  QCOMPARE(startup.LineRate(), 9600);
  QCOMPARE(startup.Status(), QStringLiteral("GPS Receiver not found"));

  session.EndSearch();  // nothing runs: nothing to end
  QVERIFY(!session.SearchEnded());
  startup.Attach(ReceiverFamily::Oncore12, 9600);
  // A new search, here in a named mode: the text of the one that ended goes.
  session.SetMode(GpsModeMotorolaBinary);
  const int textsBefore = startup.rig->Host().statusTexts.size();
  QVERIFY(session.InitializeGpsReceiver());
  QCOMPARE(startup.rig->Host().statusTexts.value(textsBefore),
           QStringLiteral("Initialization: Searching for GPS Receiver..."));
  QCOMPARE(session.Mode(), quint32(GpsModeMotorolaBinary));
}

void DetectionTest::failedSearchLeavesModeAndRate_data()
{
  QTest::addColumn<quint32>("storedMode");
  QTest::addColumn<int>("rate");

  QTest::newRow("Search") << quint32(GpsModeSearch) << 4800;
  QTest::newRow("Motorola Binary") << quint32(GpsModeMotorolaBinary) << 19200;
  QTest::newRow("Motorola NMEA") << quint32(GpsModeMotorolaNmea) << 9600;
}

void DetectionTest::failedSearchLeavesModeAndRate()
{
  QFETCH(quint32, storedMode);
  QFETCH(int, rate);

  Startup startup(storedMode, rate, 38400);
  QVERIFY2(startup.rig->Problem().isEmpty(), qPrintable(startup.rig->Problem()));
  // A receiver at a rate the search never tries.
  ScriptedReceiver &receiver = startup.Attach(ReceiverFamily::Oncore12, 57600);

  QVERIFY(!startup.Window().InitializeGpsReceiver());

  CompareFailedSearch(startup.Status(), receiver, CurrentGpsMode, startup.LineRate(), startup.Window().State());
  QCOMPARE(QApplication::overrideCursor(), nullptr);
}

void DetectionTest::revertToPreviousRate_data()
{
  QTest::addColumn<int>("oldRate");
  QTest::addColumn<bool>("receiverThere");
  QTest::addColumn<bool>("returned");
  QTest::addColumn<int>("finalRate");
  QTest::addColumn<QString>("heard");

  QTest::newRow("back to 9600") << 9600 << true << true << 9600 << "@@Wb @@Cj";
  QTest::newRow("no answer at the new rate") << 9600 << false << false << 19200 << "";
  QTest::newRow("115k has no rate code") << 115000 << true << false << 38400 << "";
}

void DetectionTest::revertToPreviousRate()
{
  QFETCH(int, oldRate);
  QFETCH(bool, receiverThere);
  QFETCH(bool, returned);

  // The user moved the port to 19200 and the receiver went along.
  Startup startup(GpsModeMotorolaBinary, 38400);
  QVERIFY2(startup.rig->Problem().isEmpty(), qPrintable(startup.rig->Problem()));
  ScriptedReceiver &receiver = startup.Attach(ReceiverFamily::Oncore12, 19200);
  receiver.SetPowered(receiverThere);
  startup.Window().Session().RateChangeNewBaud = 19200;
  startup.Window().Session().RateChangeOldBaud = oldRate;

  QCOMPARE(startup.Window().RevertReceiverBaudRate(), returned);

  CompareReverted(startup.Status(), receiver, CurrentGpsMode, startup.LineRate());
}

// ---------------------------------------------------------------------------
// The same receivers found and set up by the receiver session alone: one
// initialisation, no window.

void DetectionTest::foundBySearchThroughTheSessionAlone()
{
  QFETCH(ReceiverFamily, family);
  QFETCH(int, receiverRate);
  QFETCH(int, storedRate);
  QFETCH(int, lastRate);
  QFETCH(quint32, mode);

  SessionStartup startup(GpsModeSearch, storedRate, lastRate);
  QVERIFY2(startup.rig->Problem().isEmpty(), qPrintable(startup.rig->Problem()));
  ScriptedReceiver &receiver = startup.Attach(family, receiverRate);

  QVERIFY(startup.Session().InitializeGpsReceiver());

  CompareFoundBySearch(startup.Status(), receiver, startup.Session().Mode(), startup.LineRate());
  if (QTest::currentTestFailed())
    return;
  QVERIFY(startup.rig->Host().informationTexts.isEmpty());
  QCOMPARE(Startup::MainWindowMode().toInt(), int(mode));
  QVERIFY(!startup.rig->State().setupInProgress);
  // Silent, with the wait cursor, while it ran; both given back.
  QCOMPARE(startup.rig->Host().waitCursorDepth, 0);
  QVERIFY(!startup.rig->Host().muted);
  QCOMPARE(startup.rig->Host().initializationsFinished, 1);
  QCOMPARE(startup.rig->Host().busyChanges, (QList<bool>{true, false}));
  QVERIFY(!startup.Session().Busy());
}

void DetectionTest::takenIntoUseThroughTheSessionAlone()
{
  QFETCH(quint32, storedMode);
  QFETCH(int, rate);
  QFETCH(bool, minimal);
  QFETCH(bool, withReceiver);

  SessionStartup startup(storedMode, rate, 0, minimal);
  QVERIFY2(startup.rig->Problem().isEmpty(), qPrintable(startup.rig->Problem()));
  const ReceiverFamily family =
      storedMode == GpsModeGenericNmea ? ReceiverFamily::GenericNmea : ReceiverFamily::Ublox;
  if (withReceiver)
    startup.Attach(family, rate);

  QVERIFY(startup.Session().InitializeGpsReceiver());

  QCOMPARE(startup.rig->Host().waitCursorDepth, 0);
  CompareTakenIntoUse(startup.Status(), startup.receiver.get(), startup.rig->Simulator().received(),
                      startup.Session().Mode(), startup.LineRate());
}

void DetectionTest::synergyHandOverThroughTheSessionAlone()
{
  QFETCH(bool, accepts);
  QFETCH(QString, statusAtSwitch);

  SessionStartup startup(GpsModeMotorolaNmea, 9600);
  QVERIFY2(startup.rig->Problem().isEmpty(), qPrintable(startup.rig->Problem()));
  ScriptedReceiver &receiver = startup.Attach(ReceiverFamily::Synergy, 4800);
  receiver.SetAcceptsRateChange(accepts);
  QString statusWhenSwitched;
  bool mutedAtSwitch = false;
  int cursorAtSwitch = 0;
  receiver.onHeard = [&](const QByteArray &message) {
    if (!message.startsWith("@@Ci"))
      return;
    statusWhenSwitched = startup.Status();
    mutedAtSwitch = startup.rig->Host().muted;
    cursorAtSwitch = startup.rig->Host().waitCursorDepth;
  };

  QVERIFY(startup.Session().InitializeGpsReceiver());

  QCOMPARE(statusWhenSwitched, statusAtSwitch);
  QVERIFY(mutedAtSwitch);
  QCOMPARE(cursorAtSwitch, 1);
  QVERIFY(!startup.rig->Host().muted);
  QCOMPARE(startup.rig->Host().waitCursorDepth, 0);
  QCOMPARE(startup.Session().RateChangeNewBaud, accepts ? 9600 : 0);
  CompareHandedOverToNmea(startup.Status(), receiver, startup.Session().Mode(), startup.LineRate());
}

void DetectionTest::failedSearchThroughTheSessionAlone()
{
  QFETCH(quint32, storedMode);
  QFETCH(int, rate);

  SessionStartup startup(storedMode, rate, 38400);
  QVERIFY2(startup.rig->Problem().isEmpty(), qPrintable(startup.rig->Problem()));
  ScriptedReceiver &receiver = startup.Attach(ReceiverFamily::Oncore12, 57600);

  QVERIFY(!startup.Session().InitializeGpsReceiver());

  CompareFailedSearch(startup.Status(), receiver, startup.Session().Mode(), startup.LineRate(),
                      startup.rig->State());
  QCOMPARE(startup.rig->Host().waitCursorDepth, 0);
}

void DetectionTest::revertThroughTheSessionAlone()
{
  QFETCH(int, oldRate);
  QFETCH(bool, receiverThere);
  QFETCH(bool, returned);

  SessionStartup startup(GpsModeMotorolaBinary, 38400);
  QVERIFY2(startup.rig->Problem().isEmpty(), qPrintable(startup.rig->Problem()));
  ScriptedReceiver &receiver = startup.Attach(ReceiverFamily::Oncore12, 19200);
  receiver.SetPowered(receiverThere);
  startup.Session().RateChangeNewBaud = 19200;
  startup.Session().RateChangeOldBaud = oldRate;

  QCOMPARE(startup.Session().RevertReceiverBaudRate(), returned);

  CompareReverted(startup.Status(), receiver, startup.Session().Mode(), startup.LineRate());
}

RIDUDER_TEST_MAIN(DetectionTest)
#include "tst_detection.moc"
