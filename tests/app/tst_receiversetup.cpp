#include "TestMain.h"

#include "CaughtWarnings.h"
#include "FrameBuilders.h"
#include "OncoreMessageBuilder.h"
#include "RecordingMessageBoxes.h"
#include "SessionOnSimulator.h"
#include "SetupScriptText.h"
#include "FakeTimeSource.h"
#include "app/MainWindow.h"
#include "core/GpsMode.h"
#include "core/ProgramState.h"
#include "core/ReceiverIdentity.h"
#include "platform/TimeSource.h"
#include "position/GpsNavDialog.h"
#include "receiver/GpsPortDialog.h"
#include "receiver/link/GpsPortSettings.h"
#include "receiver/GpsRxIdDialog.h"
#include "receiver/decode/GpsRxModel.h"
#include "receiver/dialogs/GpsRxDialog.h"
#include "tools/simulator/ReceiverSimulator.h"

#include <QApplication>
#include <QLabel>
#include <QSettings>

#include <ctime>
#include <memory>

// The set-up routines of the receiver session, played through its command
// layer: what leaves for the receiver (in order, with checksums), what is
// awaited, and what is kept (texts, offsets, T-RAIM, 1PPS bytes). Most run
// on the session alone; the ones that show the window's part (the
// navigation label, the message box, the port dialog, the heartbeat, the
// re-initialisation) run through the main window.
// The receiver is a simulator on a pseudo-terminal; the command clock runs
// shrunk, and what it counted tells which commands waited and how long.

using namespace riduder::test;
using riduder::sim::MatchKind;
using riduder::sim::ReceiverSimulator;

namespace {

const QDateTime Now(QDate(2026, 1, 5), QTime(23, 59, 59), Qt::UTC);
const QString TraimTail = QStringLiteral("00 00 01 00 00 00 00 00 00 00");

QByteArray OncoreReply(const char *identifier, int framedLength)
{
  return OncoreMessageBuilder(identifier, framedLength).Wire();
}

// Counts the initialisations instead of searching for a receiver.
class CountingWindow : public MainWindow {
public:
  bool InitializeGpsReceiver() override
  {
    ++initializations;
    return false;
  }
  int initializations = 0;
};

// What both rigs share: the simulated line, the fixed clock, and the
// commands handed to the port.
struct LineRig {
  ReceiverSimulator sim;
  FakeTimeSource clock{Now};
  std::unique_ptr<ScopedTimeSourceOverride> clockInForce;
  QList<QByteArray> emitted;

  // The commands sent so far as texts; each must carry its right checksum.
  QStringList Sent() const
  {
    QStringList texts;
    for (const QByteArray &message : emitted) {
      const QByteArray bare = BareCommand(message);
      texts << (bare.isEmpty() ? QStringLiteral("bad checksum: ") + QString::fromLatin1(message.toHex(' '))
                               : CommandText(bare));
    }
    return texts;
  }

  // Every emitted command reached the receiver, in order, with CR LF.
  bool WireMatches(int timeoutMs = 5000)
  {
    QList<QByteArray> expected;
    for (const QByteArray &message : emitted)
      expected << message + "\r\n";
    return QTest::qWaitFor([&] { return sim.receivedMessages() == expected; }, timeoutMs);
  }

  // Motorola NMEA answers set their reply flag as the NMEA decoder does,
  // while the gate is open.
  void StandInForNmeaReplies(GpsSerialPortThread &port, ReceiverState &state)
  {
    QObject::connect(&port, &GpsSerialPortThread::newGpsText, &port, [&state](const QByteArray &m) {
      if (state.setupInProgress || state.closing || !m.startsWith('$'))
        return;
      if (m.startsWith("$PMOTG") ||
          (!ExpectedNmeaReplyTag.isEmpty() && m.mid(3, 4) == ExpectedNmeaReplyTag + ','))
        state.replyFlags.gotMotorolaNmea = true;
    });
  }
};

// The window on the simulated line, its receiver search counted.
struct SetupRig : LineRig {
  RecordingMessageBoxes boxes;
  std::unique_ptr<CountingWindow> window;

  // scale: real ms per program ms of the command clock; 0 when nothing
  // answers (every wait is then one pass of the event loop).
  bool Open(quint32 mode, double scale)
  {
    QString error;
    if (!sim.open(&error)) {
      qWarning("simulator: %s", qPrintable(error));
      return false;
    }
    {
      QSettings settings;
      settings.setValue(GpsPortKeys::PortName, sim.slavePath());
      settings.setValue(GpsPortKeys::Mode, QStringLiteral("Motorola Binary"));
      settings.setValue(GpsPortKeys::PpsInterface, 0);
      settings.setValue(GpsPortKeys::DataRate, 9600);
    }
    window = std::make_unique<CountingWindow>();
    clockInForce = std::make_unique<ScopedTimeSourceOverride>(&clock);
    window->SetMessageBoxes(&boxes);
    window->Timing().SetScale(scale);
    window->SetGpsMode(mode);
    window->State().setupInProgress = false;
    QObject::connect(window.get(), &MainWindow::sendGpsMessage,
                     [this](const QByteArray &message) { emitted << message; });
    StandInForNmeaReplies(window->ReceiverPort(), window->State());
    return window->ReceiverPort().IsOpen();
  }

  ~SetupRig()
  {
    if (window)
      window->close();
    window.reset();
    sim.close();
  }

  // The mode settings in force, as the window hands them to the session.
  const ReceiverModeSettings &Mode() const { return window->ReceiverMode(); }
  template <class Edit>
  void EditMode(Edit edit)
  {
    ReceiverModeSettings mode = window->ReceiverMode();
    edit(mode);
    window->SetReceiverMode(mode);
  }
  // The window's timing settings, changed on a copy.
  template <typename Edit>
  void EditTiming(Edit edit)
  {
    TimingSettings timing = window->TimingValues();
    edit(timing);
    window->SetTimingValues(timing);
  }
  GpsNavDialog &Nav() const { return *window->findChild<GpsNavDialog *>(); }
  QString Status() const { return window->ReceiverStatusLabel()->text(); }
  QString IdMessages() const { return window->RxIdDialog()->MessageText(); }
};

// The receiver session alone on the simulated line: the settings are the
// host's values, what it shows is recorded.
struct SessionSetupRig : LineRig {
  std::unique_ptr<SessionOnSimulator> road;
  ReceiverSession *session = nullptr;

  bool Open(quint32 mode, double scale)
  {
    clockInForce = std::make_unique<ScopedTimeSourceOverride>(&clock);
    road = std::make_unique<SessionOnSimulator>(GpsModeMotorolaBinary, 9600, scale, false, &sim);
    if (!road->Problem().isEmpty()) {
      qWarning("%s", qPrintable(road->Problem()));
      return false;
    }
    session = &road->Session();
    session->SetMode(mode);
    QObject::connect(session, &ReceiverSession::sendGpsMessage,
                     [this](const QByteArray &message) { emitted << message; });
    StandInForNmeaReplies(session->Port(), road->State());
    return true;
  }

  ReceiverModeSettings &Mode() { return road->Host().modeSettings; }
  template <class Edit>
  void EditMode(Edit edit)
  {
    edit(Mode());
  }
  TimingSettings &Timing() { return road->Host().timingSettings; }
  RecordingSessionHost &Host() { return road->Host(); }
  ReceiverState &State() { return road->State(); }
  QString Status() const { return road->Host().statusText; }
  QString IdMessages() const { return road->Host().IdMessages(); }
  // The line the simulator wrote to is the session's; its settings are
  // stored, so the simulator closes after the session.
  ~SessionSetupRig()
  {
    road.reset();
    sim.close();
  }
};

void SetIdentity(int model, int channels, int nativeChannels = -2)
{
  receiverIdentity = ReceiverIdentity();
  receiverIdentity.model = model;
  receiverIdentity.channels = channels;
  receiverIdentity.nativeChannels = nativeChannels == -2 ? channels : nativeChannels;
  receiverIdentity.firmwareVersionText = QStringLiteral("1.0");
}

void SetTimingTotals(TimingSettings &timing, double offsetUs, double delayNs, double traimLimit, bool killPps = false)
{
  timing.totalPpsOffsetPositive = offsetUs;
  timing.totalDelay = delayNs;
  timing.traimLimit = traimLimit;
  timing.traimConditionedPps = killPps;
}

void CompareLists(const QStringList &actual, const QStringList &expected)
{
  for (int i = 0; i < qMin(actual.size(), expected.size()); ++i)
    QVERIFY2(actual[i] == expected[i],
             qPrintable(QStringLiteral("command %1: got \"%2\", expected \"%3\"").arg(i).arg(actual[i], expected[i])));
  QVERIFY2(actual.size() == expected.size(),
           qPrintable(QStringLiteral("%1 commands, expected %2:\n%3")
                          .arg(actual.size())
                          .arg(expected.size())
                          .arg(actual.join(QLatin1Char('\n')))));
}

bool NoUbxIn(const QStringList &sent)
{
  for (const QString &command : sent)
    if (!command.startsWith(QLatin1String("@@")) && !command.startsWith(QLatin1Char('$')))
      return false;
  return true;
}

void SetTimeZone(const QByteArray &zone)
{
  qputenv("TZ", zone);
  tzset();
}

const QStringList M12ConfigurationHold = {
    "@@AP 00", "@@Gc 01", "@@Ag 05", "@@Gd 01", "@@Aq 03", "@@Bh 00", "@@Am 00 00 00 00 00", "@@Hb 00", "@@Ha 01"};
const QStringList TraimReset = {"@@Bn 00 00 00 0A 01 " + TraimTail, "@@En 00 00 00 0A 01 " + TraimTail, "@@Hn 00"};

}  // namespace

class ReceiverSetupWindowTest : public QObject {
  Q_OBJECT

private slots:
  void initTestCase()
  {
    CatchWarnings();
  }

  void init()
  {
    QSettings().clear();
    CaughtWarnings().clear();
    ResetProgramWideState();
    SetTimeZone("UTC");
  }

  // OK in the receiver mode dialog on a 12-channel M12 that has T-RAIM:
  // date and time, configuration, the T-RAIM probe (the one awaited reply),
  // then the user's timing with T-RAIM back on.
  void oncoreTwelveChannelReceiverGetsTheWholeSetUp()
  {
    SessionSetupRig rig;
    QVERIFY(rig.Open(GpsModeMotorolaBinary, 0.08));
    rig.sim.addRule(MatchKind::Prefix, "@@Hn", OncoreReply("Hn", 75));
    SetIdentity(GpsRxModel::M12, 12);
    rig.EditMode([](ReceiverModeSettings &m) { m.gpsNavMode = 2; });
    SetTimingTotals(rig.Timing(), 1000000.0, 55.0, 250.0);
    rig.Host().statusText = QStringLiteral("Motorola M12, Bin, 12 ch, V1.0");
    const qint64 before = rig.session->Timing().NowMs();

    rig.session->ApplyReceiverModeSettings();

    const QStringList sent = rig.Sent();
    QStringList expected{"@@Aw 01", "@@Gb 01 05 07 EA 17 3B 3B 00 00 00"};
    expected << M12ConfigurationHold << TraimReset << "@@Hn 01"
             << "@@Ay 00 00 00 00" << "@@Az 00 00 00 37" << "@@Hn 01" << "@@Gc 01" << "@@Ge 01" << "@@Gf 00 03";
    CompareLists(sent, expected);
    QVERIFY(rig.WireMatches());
    // 100 ms after every plain command and one 2.5 s step for the probe.
    QCOMPARE(rig.session->Timing().NowMs() - before, qint64(100 * (sent.size() - 1) + 2500));
    QVERIFY(receiverIdentity.hasTraim);
    QVERIFY(rig.IdMessages().contains(QLatin1String("@@Hn OK - must have T-RAIM")));
    const TraimSetup traim = rig.State().traimSetup;
    QCOMPARE(int(traim.outputRate), 1);
    QCOMPARE(int(traim.algorithmOn), 1);
    QCOMPARE(int(traim.alarmLimit), 3);
    QVERIFY(rig.State().echoNextTraimToRxId);
    QCOMPARE(rig.State().receiverTime.GetPpsOffset(), qint64(0));
    QCOMPARE(rig.State().receiverTime.GetCableDelay(), qint64(55));
    QCOMPARE(rig.Status(), QStringLiteral("Motorola M12, Bin, 12 ch, V1.0"));
  }

  // A silent 8-channel VP: each awaited command runs to its time-out with
  // its own text, and nothing else waits.
  void oncoreEightChannelTimeOuts()
  {
    SessionSetupRig rig;
    QVERIFY(rig.Open(GpsModeMotorolaBinary, 0.02));
    SetIdentity(GpsRxModel::VP, 8);
    SetTimingTotals(rig.Timing(), 1234.5678, 55.0, 250.0);
    const qint64 before = rig.session->Timing().NowMs();

    rig.session->ApplyReceiverModeSettings();

    const QStringList sent = rig.Sent();
    QStringList expected{"@@Aw 01", "@@Aa 17 3B 3B", "@@Ab 00 00 00", "@@Ac 01 05 07 EA",
                         "@@AP 00", "@@Gc 01", "@@Ag 05", "@@At 00", "@@Av 00", "@@Aq 03", "@@Ar 01",
                         "@@Ah 00", "@@Aj 00", "@@AB 00", "@@AE 00", "@@Bh 00", "@@Am 00 00 00 00 00",
                         "@@Hb 00", "@@Ea 01", "@@Ek 01"};
    expected << TraimReset << "@@En 01 00 00 0A 01 " + TraimTail
             << "@@Ax 00 01" << "@@Ay 00 03 94 48" << "@@Az 00 00 00 37";
    CompareLists(sent, expected);
    QVERIFY(rig.WireMatches());
    // "@@Ea" and "@@Az" give up after 3000 ms, the T-RAIM probe after
    // 5000 ms: two 2.5 s steps each.
    QCOMPARE(rig.session->Timing().NowMs() - before, qint64(100 * (sent.size() - 3) + 3 * 5000));
    const QString id = rig.IdMessages();
    QVERIFY2(id.contains(QLatin1String("@@Ea Timeout - not a 8-channel Rcvr")), qPrintable(id));
    QVERIFY2(id.contains(QLatin1String("@@En Timeout - must not have T-RAIM")), qPrintable(id));
    QVERIFY(!receiverIdentity.hasTraim);
    QCOMPARE(receiverIdentity.channels, 8);
    QCOMPARE(rig.State().receiverTime.GetEpochOffset(), 1);
    QCOMPARE(rig.State().receiverTime.GetPpsOffset(), qint64(234568));
    QCOMPARE(rig.State().receiverTime.GetCableDelay(), qint64(55));
  }

  // Motorola NMEA: to binary, the configuration and timing, back to NMEA
  // (again once when the receiver stays silent) and its sentences on.
  void motorolaNmeaReceiverIsConfiguredInBinary()
  {
    SessionSetupRig rig;
    QVERIFY(rig.Open(GpsModeMotorolaNmea, 0.04));
    rig.sim.addRule(MatchKind::Prefix, "$PMOTG,FOR", "$PMOTG,FOR,0*2A\r\n");
    rig.sim.addRule(MatchKind::Prefix, "@@Hn", OncoreReply("Hn", 75));
    SetIdentity(GpsRxModel::M12Plus, 12);
    SetTimingTotals(rig.Timing(), 1000000.0, 0.0, 0.0);
    rig.Host().statusText = QStringLiteral("Motorola M12+, NMEA Mode");
    QString statusDuring;
    bool gateDuring = false;
    connect(rig.session, &ReceiverSession::sendGpsMessage, this, [&] {
      statusDuring = rig.Status();
      gateDuring = rig.State().setupInProgress || gateDuring;
    });
    const qint64 before = rig.session->Timing().NowMs();

    rig.session->ApplyReceiverModeSettings();

    const QStringList sent = rig.Sent();
    QStringList expected{"$PMOTG,FOR,0", "@@Aw 01", "@@Gb 01 05 07 EA 17 3B 3B 00 00 00",
                         "@@AP 00", "@@Gc 01", "@@Ag 05", "@@Gd 00", "@@Aq 03", "@@Bh 00",
                         "@@Am 00 00 00 00 00", "@@Hb 00", "@@Ha 01"};
    expected << TraimReset << "@@Hn 01"
             << "@@Ay 00 00 00 00" << "@@Az 00 00 00 00" << "@@Hn 01" << "@@Gc 01" << "@@Ge 00" << "@@Gf 00 0A"
             << "@@Ci 01" << "$PMOTG,ZDA,0001" << "@@Ci 01" << "$PMOTG,ZDA,0001"
             << "$PMOTG,GLL,0000" << "$PMOTG,VTG,0000" << "$PMOTG,GGA,0001" << "$PMOTG,GSA,0001"
             << "$PMOTG,GSV,0001" << "$PMOTG,RMC,0001";
    CompareLists(sent, expected);
    QVERIFY(rig.WireMatches());
    // Awaited: the format switch (2.5 s pause, answered in one step), the
    // T-RAIM probe (one step), two silent ZDA requests (2.5 s pause before
    // each, two steps each).
    QCOMPARE(rig.session->Timing().NowMs() - before,
             qint64(100 * (sent.size() - 4) + 2500 + 2500 + 2500 + 2 * (2500 + 5000)));
    QCOMPARE(CaughtWarnings().filter(QLatin1String("Timeout: no response to Motorola Cmd $PMOTG,ZDA,0001")).size(), 2);
    QVERIFY(CaughtWarnings().filter(QLatin1String("$PMOTG,FOR")).isEmpty());
    QCOMPARE(statusDuring, QStringLiteral("Applying receiver settings..."));
    QVERIFY(gateDuring);
    QCOMPARE(rig.Status(), QStringLiteral("Motorola M12+, NMEA Mode"));
    QVERIFY(!rig.State().setupInProgress);
    QCOMPARE(rig.session->Mode(), quint32(GpsModeMotorolaNmea));
    QCOMPARE(rig.Host().waitCursorDepth, 0);
  }

  // The u-blox initialisation's end on a receiver that acknowledges every
  // frame: all frames in order, the save and reset last, no wait for any
  // acknowledgement.
  void ubloxReceiverGetsTheWholeSetUpWithoutWaiting()
  {
    SetupRig rig;
    QVERIFY(rig.Open(GpsModeUbloxUbx, 0.04));
    rig.sim.addRule(MatchKind::Prefix, QByteArray::fromHex("B56206"),
                    BuildUbxFrame(0x05, 0x01, QByteArray::fromHex("0624")));
    SetIdentity(GpsRxModel::Ublox, 16);
    rig.EditMode([](ReceiverModeSettings &m) {
      m.gpsNavMode = 2;
      m.ppsRate = 1;
      m.satGps = true;
    });
    rig.Nav().SetReferenceLocation(0.0, 0.0, 0.0, 0.0);
    rig.EditTiming([](TimingSettings &timing) { SetTimingTotals(timing, 1000000.0, 55.0, 0.0); });
    rig.window->SetNavStatus(0);
    const qint64 before = rig.window->Timing().NowMs();

    rig.window->ApplyUbxSettingsAndSave(true);

    const QString zeros32 = QStringList(32, QStringLiteral("00")).join(' ');
    const QString timePulse =
        "B5 62 06 31 20 00 01 01 00 00 00 00 00 00 64 00 00 00 64 00 00 00 33 33 33 33 33 33 33 33 "
        "37 00 00 00 EF 08 00 00";
    const QString fixedAtOrigin = "02 00 00 00 C4 43 04 26 00 00 00 00 00 00 00 00 02 00 00 00 00 00 00 00 00 00 00 00";
    const QStringList expected{
        "B5 62 06 24 24 00 07 00 08 03 00 00 00 00 00 00 00 00 05 " + QStringList(23, "00").join(' '),
        "B5 62 0B 01 30 00 " + QStringList(18, "00").join(' ') +
            " 60 09 68 FA 4C 0A 00 00 00 00 E8 03 00 00 00 00 00 00 00 00 00 00 00 00 00 00 02 00 00 00",
        timePulse,  // the 1PPS rate differs from the one last sent
        "B5 62 06 1D 1C 00 " + fixedAtOrigin,
        "B5 62 06 3D 1C 00 " + fixedAtOrigin,
        "B5 62 06 3E 3C 00 00 00 20 07 00 08 10 00 01 00 01 01 01 01 03 00 00 00 01 01 02 00 10 00 00 00 01 01 "
        "03 08 10 00 00 00 01 01 04 00 10 00 00 00 01 01 05 00 03 00 00 00 01 01 06 08 0E 00 00 00 01 01",
        "B5 62 0B 01 30 00 00 00 00 00 00 00 00 00 00 00 00 00 " + zeros32 + " 21 00 00 00",
        timePulse,
        "B5 62 06 09 0C 00 00 00 00 00 0B 04 00 00 00 00 00 00",
        "B5 62 06 09 0D 00 00 00 00 00 FF FF 00 00 00 00 00 00 03",
        "B5 62 06 04 04 00 00 00 00 00"};
    CompareLists(rig.Sent(), expected);
    QVERIFY(rig.WireMatches());
    // 100 ms after each frame, 10 ms before and after each time pulse.
    QCOMPARE(rig.window->Timing().NowMs() - before, qint64(100 * expected.size() + 2 * 20));
    // Not surveying: the receiver's own status stays.
    QCOMPARE(rig.window->NavStatusLabel()->text(), QStringLiteral("Navigating"));
    QCOMPARE(rig.window->NavStatus(), 0);
  }

  // OK in the receiver mode dialog with a u-blox receiver: the time pulse
  // only when the 1PPS settings changed, the save and reset frames last; a
  // finished survey turns into position hold.
  void ubloxModeDialogTwice()
  {
    SetupRig rig;
    QVERIFY(rig.Open(GpsModeUbloxNmea, 0));
    SetIdentity(GpsRxModel::Ublox, 16);
    rig.EditMode([](ReceiverModeSettings &m) { m.ppsDuration = 1; });
    rig.window->SetNavStatus(2);  // surveying
    rig.Nav().SetReferenceLocation(-33.5, 151.25, 40.0, 20.0);

    rig.window->ApplyReceiverModeSettings();
    QStringList first;
    for (const QString &frame : rig.Sent())
      first << frame.left(11);  // sync, class and id
    CompareLists(first, {"B5 62 06 24", "B5 62 0B 01", "B5 62 06 31", "B5 62 06 1D", "B5 62 06 3D", "B5 62 06 3E",
                         "B5 62 06 09", "B5 62 06 04"});
    QCOMPARE(rig.Mode().gpsNavMode, 2);
    QCOMPARE(QSettings().value(QStringLiteral("GpsRxDialog/Gps Mode")).toInt(), 2);
    QCOMPARE(rig.window->NavStatus(), 1);
    QCOMPARE(rig.window->NavStatusLabel()->text(), QStringLiteral("Position Hold"));
    // Held at the reference: X of 33.5 S 151.25 E 40 m is -466778349 cm.
    QVERIFY2(rig.Sent().at(3).startsWith(QLatin1String("B5 62 06 1D 1C 00 02 00 00 00 13 87 2D E4")),
             qPrintable(rig.Sent().at(3)));

    rig.emitted.clear();
    rig.window->ApplyReceiverModeSettings();
    QStringList second;
    for (const QString &frame : rig.Sent())
      second << frame.left(11);
    CompareLists(second, {"B5 62 06 24", "B5 62 0B 01", "B5 62 06 1D", "B5 62 06 3D", "B5 62 06 3E",
                          "B5 62 06 09", "B5 62 06 04"});
  }

  // The 6-channel emulation: an 8-channel receiver gets the 6-channel
  // commands; the label carries the mode once; off again, the receiver's
  // own count comes back.
  void pvt6Emulation()
  {
    SessionSetupRig rig;
    QVERIFY(rig.Open(GpsModeMotorolaBinary, 0));
    SetIdentity(GpsRxModel::UT, 8);
    rig.EditMode([](ReceiverModeSettings &m) { m.emulatePvt6 = true; });
    rig.Host().statusText = QStringLiteral("Motorola UT, Bin, 8 ch, V1.0");

    rig.session->ApplyReceiverParameters();
    rig.session->ApplyReceiverParameters();
    QStringList sent = rig.Sent();
    QVERIFY(sent.contains(QLatin1String("@@Ba 01")));
    QVERIFY(sent.contains(QLatin1String("@@Bk 01")));
    QVERIFY(!sent.contains(QLatin1String("@@Ea 01")));
    QCOMPARE(sent.filter(QLatin1String("@@Bn 01")).size(), 2);  // the 6-channel T-RAIM probe
    QCOMPARE(receiverIdentity.channels, 6);
    QCOMPARE(receiverIdentity.nativeChannels, 8);
    QCOMPARE(rig.Status(), QStringLiteral("Motorola UT, Bin, 8 ch, V1.0, PVT6 Mode"));

    rig.emitted.clear();
    rig.EditMode([](ReceiverModeSettings &m) { m.emulatePvt6 = false; });
    rig.session->ApplyReceiverParameters();
    sent = rig.Sent();
    QVERIFY(sent.contains(QLatin1String("@@Ea 01")));
    QVERIFY(!sent.contains(QLatin1String("@@Ba 01")));
    QCOMPARE(receiverIdentity.channels, 8);
    QCOMPARE(rig.Status(), QStringLiteral("Motorola UT, Bin, 8 ch, V1.0"));
    QVERIFY(NoUbxIn(sent));
  }

  // Local time: the PC's own offset at the moment of sending, in the
  // receiver's sign convention; the label says so once.
  void localTimeOffset_data()
  {
    QTest::addColumn<QByteArray>("zone");
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<QString>("correction");
    const QDateTime winter(QDate(2026, 1, 5), QTime(23, 59, 59), Qt::UTC);
    const QDateTime summer(QDate(2026, 7, 5), QTime(23, 59, 59), Qt::UTC);
    QTest::newRow("UTC+01:00") << QByteArray("Europe/Berlin") << winter << "00 01 00";
    QTest::newRow("UTC+02:00 in summer") << QByteArray("Europe/Berlin") << summer << "00 02 00";
    QTest::newRow("UTC-05:00") << QByteArray("America/New_York") << winter << "FF 05 00";
    QTest::newRow("UTC+05:30") << QByteArray("Asia/Kolkata") << winter << "00 05 1E";
    QTest::newRow("UTC") << QByteArray("UTC") << winter << "00 00 00";
  }
  void localTimeOffset()
  {
    QFETCH(QByteArray, zone);
    QFETCH(QDateTime, now);
    QFETCH(QString, correction);
    SetTimeZone(zone);
    SessionSetupRig rig;
    QVERIFY(rig.Open(GpsModeMotorolaBinary, 0));
    rig.clock.SetUtc(now);
    SetIdentity(GpsRxModel::M12M, 12);
    rig.EditMode([](ReceiverModeSettings &m) { m.rxOnLocalTime = true; });
    rig.Host().statusText = QStringLiteral("i-Lotus M12M");

    rig.session->SendCurrentDateTime();
    rig.session->SendCurrentDateTime();
    const QString date = now.date().month() == 1 ? "01 05 07 EA" : "07 05 07 EA";
    const QString gb = "@@Gb " + date + " 17 3B 3B " + correction;
    CompareLists(rig.Sent(), {"@@Aw 01", gb, "@@Aw 01", gb});
    QCOMPARE(rig.Status(), QStringLiteral("i-Lotus M12M, Local Time Mode"));

    rig.emitted.clear();
    rig.EditMode([](ReceiverModeSettings &m) { m.rxOnLocalTime = false; });
    rig.session->SendCurrentDateTime();
    CompareLists(rig.Sent(), {"@@Aw 01", "@@Gb " + date + " 17 3B 3B 00 00 00"});
    QCOMPARE(rig.Status(), QStringLiteral("i-Lotus M12M"));
  }

  // The reference position follows the window's averaging object and the
  // receiver mode setting.
  void referencePosition()
  {
    SessionSetupRig rig;
    QVERIFY(rig.Open(GpsModeMotorolaBinary, 0));
    SetIdentity(GpsRxModel::M12, 12);
    rig.EditMode([](ReceiverModeSettings &m) { m.gpsNavMode = 1; });
    rig.Host().referencePosition = {-33.5, 151.25, 20000.0};
    rig.session->SendReferencePosition();
    const QString position = "F8 CF CA 40 20 74 69 20 00 1B 77 40 00";
    CompareLists(rig.Sent(), {"@@Gd 00", "@@Ga " + position, "@@As " + position, "@@Au 00 1B 77 40 00", "@@Gd 02"});

    rig.emitted.clear();
    rig.session->SetMode(GpsModeGenericNmea);
    rig.session->SendReferencePosition();
    rig.session->SendCurrentDateTime();
    rig.session->ApplyTimingParameters();
    rig.session->ApplyReceiverParameters();
    QVERIFY(rig.Sent().isEmpty());
  }

  void reportNoNmeaMode_data()
  {
    QTest::addColumn<QString>("idText");
    QTest::addColumn<QString>("shownVersion");
    QTest::newRow("known") << "4.20" << "4.20";
    QTest::newRow("unknown") << "" << "(unknown)";
  }
  void reportNoNmeaMode()
  {
    QFETCH(QString, idText);
    QFETCH(QString, shownVersion);
    SetupRig rig;
    QVERIFY(rig.Open(GpsModeMotorolaNmea, 0));
    SetIdentity(GpsRxModel::Ssr6Tf, 12);
    receiverIdentity.firmwareVersionText = idText;
    rig.clock.Advance(12345);
    const qint64 before = rig.window->Timing().NowMs();

    rig.window->ReportNoNmeaMode();

    QCOMPARE(CurrentGpsMode, quint32(GpsModeMotorolaBinary));
    QCOMPARE(rig.window->PortDialog()->GetMode(), int(GpsModeMotorolaBinary));
    QCOMPARE(rig.Status(), QStringLiteral("Receiver has no NMEA mode - Motorola Bin"));
    QVERIFY(rig.IdMessages().contains(QLatin1String("Receiver does not support NMEA mode - staying in Motorola Bin")));
    QCOMPARE(rig.boxes.shown.size(), 1);
    QCOMPARE(rig.boxes.shown[0].title, QStringLiteral("GPS Receiver"));
    QCOMPARE(rig.boxes.shown[0].icon, QMessageBox::Information);
    QCOMPARE(rig.boxes.shown[0].text,
             QStringLiteral("This receiver has no NMEA mode - staying in Motorola Binary.\n\nMotorola NMEA needs "
                            "Synergy SSR firmware V4.21 or later; this receiver reports V%1.")
                 .arg(shownVersion));
    CompareLists(rig.Sent(), {"$PMOTG,FOR,0", "@@Bb 01"});
    QCOMPARE(rig.window->Timing().NowMs() - before, qint64(100 + 500 + 100));
    QCOMPARE(rig.window->State().lastBbAnswerMs, rig.clock.NowMSecsSinceEpoch());
    QCOMPARE(rig.window->State().lastBbPollMs, rig.clock.NowMSecsSinceEpoch());
  }

  // Modes without a configuration of their own run the initialisation.
  void modeDialogInOtherModesInitializes_data()
  {
    QTest::addColumn<uint>("mode");
    QTest::newRow("LORAN") << uint(GpsModeMotorolaLoran);
    QTest::newRow("receive only") << uint(GpsModeMotorolaBinaryRxOnly);
    QTest::newRow("generic NMEA") << uint(GpsModeGenericNmea);
    QTest::newRow("search") << uint(GpsModeSearch);
  }
  void modeDialogInOtherModesInitializes()
  {
    QFETCH(uint, mode);
    SetupRig rig;
    QVERIFY(rig.Open(mode, 0));
    SetIdentity(GpsRxModel::M12, 12);
    rig.window->ApplyReceiverModeSettings();
    QCOMPARE(rig.window->initializations, 1);
    QVERIFY(rig.Sent().isEmpty());
  }

  void identificationTextsInTheStatusBar()
  {
    SetupRig rig;
    QVERIFY(rig.Open(GpsModeMotorolaBinary, 0));
    SetIdentity(GpsRxModel::UTPlus, 8);
    receiverIdentity.firmwareVersionText = QStringLiteral("1.1");
    receiverIdentity.hasTraim = true;
    rig.EditMode([](ReceiverModeSettings &m) { m.rxOnLocalTime = true; });
    QLabel *heartbeat = rig.window->HeartbeatLabel();
    heartbeat->clear();

    rig.window->ShowBinaryIdentificationText(GpsModeMotorolaBinary);
    QCOMPARE(rig.Status(), QStringLiteral("Motorola UT+, Bin, 8 ch, V1.1, TRAIM, Local Time Mode"));
    const QImage off = QPixmap(QStringLiteral(":/icons/res/icon_off.png")).toImage();
    QCOMPARE(heartbeat->pixmap().toImage(), off);

    rig.window->ShowNmeaIdentificationText();
    QCOMPARE(rig.Status(), QStringLiteral("Motorola UT+, NMEA Mode, 8 ch, V1.1, TRAIM"));
  }
};

RIDUDER_TEST_MAIN(ReceiverSetupWindowTest)
#include "tst_receiversetup.moc"
