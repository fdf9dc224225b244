#include "TestMain.h"

#include "CaughtWarnings.h"
#include "FrameBuilders.h"
#include "OncoreMessageBuilder.h"
#include "SessionOnSimulator.h"
#include "WindowOnSimulator.h"
#include "app/GpsRawDataDialog.h"
#include "app/MainWindow.h"
#include "core/GpsMode.h"
#include "core/ProgramState.h"
#include "core/ReceiverIdentity.h"
#include "position/GpsNavDialog.h"
#include "receiver/session/CommandSender.h"
#include "receiver/link/GpsPortSettings.h"
#include "receiver/GpsRxIdDialog.h"
#include "tools/simulator/DemoSettings.h"
#include "tools/simulator/ReceiverSimulator.h"

#include <QAction>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QScopeGuard>
#include <QSettings>
#include <QSignalSpy>
#include <QTimer>

#include <memory>

using namespace riduder::test;
using riduder::sim::MatchKind;
using riduder::sim::ReceiverSimulator;

namespace {

QByteArray Hex(const char *hex)
{
  return QByteArray::fromHex(hex);
}

// Replies of a simulated Oncore receiver, as it sends them.
QByteArray OncoreReply(const char *identifier, int framedLength)
{
  OncoreMessageBuilder message(identifier, framedLength);
  if (framedLength > 14)
    message.DateTime(2024, 3, 1, 12, 0, 0);
  return message.Wire();
}

QByteArray MonVerReply()
{
  QByteArray payload(40, '\0');
  payload.replace(0, 9, "ROM CORE ");
  return BuildUbxFrame(0x0A, 0x04, payload);
}

const char *const HeldActions[] = {"actionSet_GPS_Receiver_Parameters", "actionSet_Timing_Parameters",
                                   "actionInitiate_GPS_Receiver_Self_Test",
                                   "actionInitiate_GPS_Receiver_Self_Survey"};
// Never held: choosing it ends what runs and then opens its dialog.
const char InterfaceAction[] = "actionSet_GPS_Receiver_Interface";

// A main window on a simulated receiver with the command clock shrunk and
// the set-up gate closed, as while a set-up runs.
struct CommandRig {
  std::unique_ptr<WindowOnSimulator> road;
  QList<QByteArray> emitted;  // what the window handed to its port

  bool Open(quint32 mode, double scale = 0.08)
  {
    auto options = WindowOnSimulator::Options::WithoutPps(mode, 9600);
    options.commandTimeScale = scale;
    road = std::make_unique<WindowOnSimulator>(options);
    if (!road->Problem().isEmpty()) {
      qWarning("%s", qPrintable(road->Problem()));
      return false;
    }
    road->SetSetupGateOpen(false);
    QObject::connect(&Window(), &MainWindow::sendGpsMessage,
                     [this](const QByteArray &message) { emitted << message; });
    return true;
  }

  MainWindow &Window() { return road->Window(); }
  ReceiverSimulator &Sim() { return road->Simulator(); }
  QStringList RawLines() const { return road->RawDataLines(); }
  QString IdMessages() { return Window().RxIdDialog()->MessageText(); }
  QAction *Action(const char *name) { return Window().findChild<QAction *>(QLatin1String(name)); }
};

// The receiver session alone on a simulated receiver, no window: the same
// clock and gate as CommandRig; the host records the raw-data and
// identification lines the session shows.
struct SessionRig {
  std::unique_ptr<SessionOnSimulator> road;
  QList<QByteArray> emitted;  // what the session handed to its port

  bool Open(quint32 mode, double scale = 0.08)
  {
    road = std::make_unique<SessionOnSimulator>(mode, 9600, scale);
    if (!road->Problem().isEmpty()) {
      qWarning("%s", qPrintable(road->Problem()));
      return false;
    }
    road->State().setupInProgress = true;
    QObject::connect(&Session(), &ReceiverSession::sendGpsMessage,
                     [this](const QByteArray &message) { emitted << message; });
    return true;
  }

  ReceiverSession &Session() { return road->Session(); }
  ReceiverState &State() { return road->State(); }
  ReceiverSimulator &Sim() { return road->Simulator(); }
  QStringList RawLines() const { return road->Host().rawLines; }
  QString IdMessages() const { return road->Host().IdMessages(); }
};

}  // namespace

class CommandLayerTest : public QObject {
  Q_OBJECT

  std::unique_ptr<SessionRig> plainRig;

private slots:
  void cleanupTestCase() { plainRig.reset(); }

  void initTestCase()
  {
    CatchWarnings();
  }

  void init()
  {
    QSettings().clear();
    CaughtWarnings().clear();
    ResetProgramWideState();
  }

  // What each plain command looks like on the line and in the raw-data
  // window; the echo follows the sending, and a 100 ms pause follows both.
  void plainCommandsOnTheLine_data()
  {
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QByteArray>("wire");
    QTest::addColumn<QString>("echo");
    QTest::newRow("@@Cj") << QByteArray("@@Cj") << Hex("4040436A290D0A") << "<- @@Cj<29>";
    QTest::newRow("$PMOTG") << QByteArray("$PMOTG,FOR,0") << QByteArray("$PMOTG,FOR,0*2A\r\n")
                            << "<- $PMOTG,FOR,0*2A";
    QTest::newRow("$PMOTG with an old tail")
        << QByteArray("$PMOTG,FOR,0*00") << QByteArray("$PMOTG,FOR,0*2A\r\n")
        << "<- $PMOTG,FOR,0*2A";
    QTest::newRow("MON-VER") << Hex("B5620A040000") << Hex("B5620A0400000E340D0A")
                             << "<- <B5><62><0A><04><00><00><0E><34>";
    QTest::newRow("@@Az 10752 ns") << (QByteArray("@@Az") + Hex("00002A00"))
                                   << Hex("4040417A00002A00110D0A")
                                   << "<- @@Az<00><00><2A><00><11>";
    QTest::newRow("0x10 message") << Hex("1002AB1003") << Hex("1002AB1003") << "";
    QTest::newRow("UU") << Hex("55550102") << Hex("555501020D0A") << "<- <55><55><01><02>";
    QTest::newRow("LORAN") << QByteArray("T0") << QByteArray("T0\r\n") << "";
  }
  void plainCommandsOnTheLine()
  {
    QFETCH(QByteArray, command);
    QFETCH(QByteArray, wire);
    QFETCH(QString, echo);
    // One window serves every row: a plain command leaves no state behind.
    if (!plainRig) {
      plainRig = std::make_unique<SessionRig>();
      QVERIFY(plainRig->Open(GpsModeMotorolaBinary));
    }
    SessionRig &rig = *plainRig;
    rig.Sim().clearReceived();
    int linesAtSending = -1;
    const QMetaObject::Connection watch = connect(
        &rig.Session(), &ReceiverSession::sendGpsMessage, this, [&] { linesAtSending = rig.RawLines().size(); });
    const auto unwatch = qScopeGuard([&] { disconnect(watch); });
    const int linesBefore = rig.RawLines().size();
    const qint64 before = rig.Session().Timing().NowMs();

    rig.Session().SendGpsRxCommand(command);

    QCOMPARE(rig.Session().Timing().NowMs() - before, qint64(100));
    QCOMPARE(linesAtSending, linesBefore);  // nothing echoed before it left
    QTRY_COMPARE_WITH_TIMEOUT(rig.Sim().received().toHex(' '), wire.toHex(' '), 3000);
    const QStringList lines = rig.RawLines();
    if (echo.isEmpty()) {
      QCOMPARE(lines.size(), linesBefore);
    } else {
      QCOMPARE(lines.size(), linesBefore + 1);
      QCOMPARE(lines.last(), echo);
    }
  }

  // Send-and-wait against the simulated receiver: a reply ends the wait at
  // the end of the first step; silence and wrong replies run to the
  // time-out with its text; commands without a wait pause and return.
  void sendAndWait_data()
  {
    QTest::addColumn<int>("mode");
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QByteArray>("reply");  // empty: the receiver stays silent
    QTest::addColumn<bool>("result");
    QTest::addColumn<int>("programMs");
    QTest::addColumn<int>("sent");          // messages that reached the line
    QTest::addColumn<QString>("idLine");    // newest line of the identification window
    QTest::addColumn<QString>("warning");

    const int binary = GpsModeMotorolaBinary;
    const QByteArray silent;
    QTest::newRow("@@Ha answered") << binary << QByteArray("@@Ha\x00", 5) << OncoreReply("Ha", 151)
                                   << true << 2500 << 1 << "@@Ha OK - must be a 12-channel Rcvr" << "";
    QTest::newRow("@@Ea answered") << binary << QByteArray("@@Ea\x00", 5) << OncoreReply("Ea", 73)
                                   << true << 2500 << 1 << "@@Ea OK - must be a 8-channel Rcvr" << "";
    QTest::newRow("@@Ba answered") << binary << QByteArray("@@Ba\x00", 5) << OncoreReply("Ba", 65)
                                   << true << 2500 << 1 << "@@Ba OK - must be a 6-channel Rcvr" << "";
    QTest::newRow("@@Bh answered by @@Ce")
        << binary << QByteArray("@@Bh\x01", 5) << OncoreReply("Ce", 49) << true << 2500 << 1
        << "@@Bh OK - must be a DGPS Rcvr" << "";
    QTest::newRow("@@En answered by @@Hn")
        << binary << QByteArray("@@En\x00", 5) << OncoreReply("Hn", 75) << true << 2500 << 1
        << "@@En OK - must have T-RAIM" << "";
    QTest::newRow("@@Wb answered") << binary << QByteArray("@@Wb\x00\x00\x00", 7)
                                   << OncoreReply("Wb", 6) << true << 2500 << 1 << "" << "";
    QTest::newRow("@@Gc answered by name") << binary << QByteArray("@@Gc\x01", 5)
                                           << OncoreReply("Gc", 5) << true << 2500 << 1 << "" << "";
    QTest::newRow("@@Cj answered") << binary << QByteArray("@@Cj") << riduder::test::OncoreIdentificationReply() << true << 2500 << 1
                                   << "" << "";
    QTest::newRow("$PMOTG,FOR answered during its pause")
        << int(GpsModeMotorolaNmea) << QByteArray("$PMOTG,FOR,0")
        << BuildNmeaSentence("PMOTG,FOR,1") << true << 5000 << 1 << "" << "";
    QTest::newRow("$PGRM answered") << int(GpsModeGenericNmea) << QByteArray("$PGRMO,,2")
                                    << BuildNmeaSentence("PGRMT,GPS 25LP VER 2.50,P,P,R,R,P,,23,R")
                                    << true << 2500 << 1 << "" << "";
    QTest::newRow("LORAN answered") << int(GpsModeMotorolaLoran) << QByteArray("T0")
                                    << QByteArray("A12\r\n") << true << 2500 << 1 << "" << "";
    QTest::newRow("MON-VER answered") << int(GpsModeUbloxUbx) << Hex("B5620A040000")
                                      << MonVerReply() << true << 2500 << 1 << "" << "";

    QTest::newRow("@@Ha silent") << binary << QByteArray("@@Ha\x00", 5) << silent << false << 5000
                                 << 1 << "@@Ha Timeout - not a 12-channel Rcvr" << "";
    QTest::newRow("@@Bh silent") << binary << QByteArray("@@Bh\x01", 5) << silent << false << 5000
                                 << 1 << "@@Bh Timeout - must be a non-DGPS Rcvr" << "";
    QTest::newRow("@@Hn silent") << binary << QByteArray("@@Hn\x00", 5) << silent << false << 5000
                                 << 1 << "@@Hn Timeout - must not have T-RAIM" << "";
    QTest::newRow("@@Wb silent") << binary << QByteArray("@@Wb\x00\x00\x00", 7) << silent << false
                                 << 5000 << 1 << "" << "";
    QTest::newRow("@@Gc silent") << binary << QByteArray("@@Gc\x01", 5) << silent << false << 5000
                                 << 1 << "" << "";
    QTest::newRow("@@Cj silent twice") << binary << QByteArray("@@Cj") << silent << false << 10000
                                       << 2 << "@@Cj Timeout - no valid version number!" << "";
    QTest::newRow("$PMOTG,FOR silent")
        << int(GpsModeMotorolaNmea) << QByteArray("$PMOTG,FOR,0") << silent << false << 7500 << 1
        << "" << "Timeout: no response to Motorola Cmd $PMOTG,FOR,0\n";
    QTest::newRow("$PGRM silent") << int(GpsModeGenericNmea) << QByteArray("$PGRMO,,2") << silent
                                  << false << 5000 << 1 << ""
                                  << "Timeout: no response to Garmin Cmd $PGRMO,,2\n";
    QTest::newRow("LORAN silent") << int(GpsModeMotorolaLoran) << QByteArray("T0") << silent << false
                                  << 5000 << 1 << "Timeout: no response to Motorola Loran Cmd T0"
                                  << "";
    QTest::newRow("MON-VER silent") << int(GpsModeUbloxUbx) << Hex("B5620A040000") << silent
                                    << false << 5000 << 1
                                    << "Timeout - no response to MON-VER request" << "";

    QTest::newRow("@@Ha answered by @@Ea") << binary << QByteArray("@@Ha\x00", 5)
                                           << OncoreReply("Ea", 73) << false << 5000 << 1
                                           << "@@Ha Timeout - not a 12-channel Rcvr" << "";
    QTest::newRow("@@Gc answered by @@Gd") << binary << QByteArray("@@Gc\x01", 5)
                                           << OncoreReply("Gd", 5) << false << 5000 << 1 << "" << "";

    QTest::newRow("@@Ci") << binary << QByteArray("@@Ci\x01", 5) << silent << true << 500 << 1
                          << "" << "";
    QTest::newRow("BIN") << int(GpsModeMotorolaLoran) << QByteArray("BIN") << silent << true << 500
                         << 1 << "" << "";
    QTest::newRow("empty") << binary << QByteArray() << silent << false << 0 << 0 << "" << "";
    QTest::newRow("other NMEA") << binary << QByteArray("$GPGGA,1") << silent << false << 0 << 0
                                << "" << "";
    QTest::newRow("other UBX") << int(GpsModeUbloxUbx) << Hex("B56206010300F00500") << silent
                               << true << 100 << 1 << "" << "";
  }
  void sendAndWait()
  {
    QFETCH(int, mode);
    QFETCH(QByteArray, command);
    QFETCH(QByteArray, reply);
    QFETCH(bool, result);
    QFETCH(int, programMs);
    QFETCH(int, sent);
    QFETCH(QString, idLine);
    QFETCH(QString, warning);

    SessionRig rig;
    // Program time is exact at any scale; a reply needs real time to come.
    QVERIFY(rig.Open(quint32(mode), result && !reply.isEmpty() ? 0.05 : 0.01));
    if (!reply.isEmpty() && !command.isEmpty())
      rig.Sim().addRule(MatchKind::Prefix, command.left(4), reply);
    const qint64 before = rig.Session().Timing().NowMs();

    QCOMPARE(rig.Session().SendGpsCmdAndWait(command), result);

    QCOMPARE(rig.Session().Timing().NowMs() - before, qint64(programMs));
    QTRY_COMPARE_WITH_TIMEOUT(rig.Sim().receivedMessages().size(), sent, 3000);
    QCOMPARE(rig.emitted.size(), sent);
    // The probes' own lines (the decoders add their echoes besides).
    QStringList probeLines;
    for (const QString &line : rig.IdMessages().split(QLatin1Char('\n'), Qt::SkipEmptyParts))
      if (line.contains(QLatin1String(" OK - ")) || line.contains(QLatin1String("Timeout")))
        probeLines << line;
    QCOMPARE(probeLines, idLine.isEmpty() ? QStringList() : QStringList{idLine});
    if (warning.isEmpty())
      QVERIFY2(!CaughtWarnings().join(QLatin1Char('|')).contains(QLatin1String("Timeout")),
               qPrintable(CaughtWarnings().join(QLatin1Char('|'))));
    else
      QVERIFY2(CaughtWarnings().contains(warning), qPrintable(CaughtWarnings().join(QLatin1Char('|'))));
    // Nothing is left awaited.
    QVERIFY(!PlanCommandWait(command).Answered(rig.State().replyFlags));
    QVERIFY(ExpectedOncoreReplyTag.isEmpty());
    QVERIFY(ExpectedNmeaReplyTag.isEmpty());
  }

  // The echo, the retry line and what the probes record.
  void probesRecordWhatTheyLearn()
  {
    SessionRig rig;
    QVERIFY(rig.Open(GpsModeMotorolaBinary));
    receiverIdentity.hasDgps = true;
    receiverIdentity.hasTraim = true;
    rig.Sim().addRule(MatchKind::Prefix, "@@Ha", OncoreReply("Ha", 151));
    QVERIFY(rig.Session().SendGpsCmdAndWait(QByteArray("@@Ha\x00", 5)));
    rig.Session().Timing().SetScale(0.01);  // only silent probes follow
    QCOMPARE(receiverIdentity.channels, 12);
    QCOMPARE(receiverIdentity.nativeChannels, 12);
    QVERIFY(rig.RawLines().contains(QStringLiteral("<- @@Ha<00><29>")));

    QVERIFY(!rig.Session().SendGpsCmdAndWait(QByteArray("@@Ea\x00", 5)));
    QCOMPARE(receiverIdentity.channels, 12);  // unanswered: left as it was
    QVERIFY(!rig.Session().SendGpsCmdAndWait(QByteArray("@@Bh\x01", 5)));
    QVERIFY(!receiverIdentity.hasDgps);
    QVERIFY(!rig.Session().SendGpsCmdAndWait(QByteArray("@@Bn\x00", 5)));
    QVERIFY(!receiverIdentity.hasTraim);

    rig.Sim().clearReceived();
    QVERIFY(!rig.Session().SendGpsCmdAndWait("@@Cj"));
    const QStringList lines = rig.RawLines();
    QCOMPARE(lines.mid(lines.size() - 2),
             (QStringList{"<- @@Cj<29>", "<- @@Cj (retry)"}));
    QTRY_COMPARE_WITH_TIMEOUT(rig.Sim().receivedMessages(),
                              (QList<QByteArray>{Hex("4040436A290D0A"), Hex("4040436A290D0A")}), 3000);
  }

  // The identification answer reaches the upper box through the decoder;
  // the probe lines collect in the lower box.
  void identificationWindowShowsTheAnswer()
  {
    CommandRig rig;
    QVERIFY(rig.Open(GpsModeMotorolaBinary));
    rig.Sim().addRule(MatchKind::Prefix, "@@Cj", riduder::test::OncoreIdentificationReply());
    rig.Sim().addRule(MatchKind::Prefix, "@@Ha", OncoreReply("Ha", 151));
    QVERIFY(rig.Window().SendGpsCmdAndWait("@@Cj"));
    rig.Window().Timing().SetScale(0.01);
    QVERIFY(!rig.Window().SendGpsCmdAndWait(QByteArray("@@Ea\x00", 5)));
    rig.Window().Timing().SetScale(0.08);
    QVERIFY(rig.Window().SendGpsCmdAndWait(QByteArray("@@Ha\x00", 5)));

    GpsRxIdDialog *id = rig.Window().RxIdDialog();
    const QString upper = id->IdText();
    const QStringList upperLines = upper.split(QLatin1Char('\n'));
    QVERIFY2(upperLines.size() > 3, qPrintable(upper));
    QCOMPARE(upperLines.at(0), QStringLiteral("@@CjCOPYRIGHT 1991-2000 MOTOROLA INC."));
    QCOMPARE(upperLines.at(1), QStringLiteral("SFTW P/N # 61-G10268A"));
    QCOMPARE(upper, id->findChild<QPlainTextEdit *>(QStringLiteral("GpsRxId"))->toPlainText());
    QVERIFY(!upper.contains(QLatin1Char('\r')));
    QVERIFY(id->MessageText().endsWith(QLatin1String("@@Ea Timeout - not a 8-channel Rcvr\n"
                                                     "@@Ha OK - must be a 12-channel Rcvr")));
    QCOMPARE(id->MessageText().count(QLatin1String("@@Ea Timeout")), 1);
  }

  // The set-up gate is open only during the wait steps: a message outside
  // them is not decoded; the reply inside one is, and the gate closes again.
  // Meanwhile the set-up actions are held, a plain Send still goes out.
  void gateAndActionsDuringAWait()
  {
    CommandRig rig;
    QVERIFY(rig.Open(GpsModeMotorolaBinary));
    MainWindow &window = rig.Window();
    QVERIFY(window.State().setupInProgress);
    rig.Action("actionInitiate_GPS_Receiver_Self_Survey")->setEnabled(false);

    rig.Sim().write(OncoreReply("Ha", 151));
    QTest::qWait(200);
    QVERIFY(!window.State().replyFlags.gotHa);

    QList<bool> gateAtMessages;
    connect(&window.ReceiverPort(), &GpsSerialPortThread::newGpsText, this,
            [&] { gateAtMessages << window.State().setupInProgress; });
    QStringList enabledDuringWait;
    bool interfaceEnabledDuringWait = false;
    bool plainSendWorked = false;
    connect(&rig.Sim(), &ReceiverSimulator::messageReceived, this, [&](const QByteArray &m) {
      if (!m.startsWith("@@Ha"))
        return;
      for (const char *name : HeldActions)
        if (rig.Action(name)->isEnabled())
          enabledDuringWait << QLatin1String(name);
      interfaceEnabledDuringWait = rig.Action(InterfaceAction)->isEnabled();
      window.SendGpsRxCommand(QByteArray("@@Gd\x00", 5));
      plainSendWorked = true;
    });
    // The reply comes a little later, inside the first step.
    rig.Sim().addRule(MatchKind::Prefix, "@@Gd", OncoreReply("Ha", 151), 20);

    QVERIFY(window.SendGpsCmdAndWait(QByteArray("@@Ha\x00", 5)));
    QVERIFY(plainSendWorked);
    QCOMPARE(enabledDuringWait, QStringList());
    QVERIFY(interfaceEnabledDuringWait);
    QVERIFY(!gateAtMessages.isEmpty());
    QVERIFY(!gateAtMessages.contains(true));
    QVERIFY(window.State().setupInProgress);
    QVERIFY(!window.ReceiverBusy());
    for (const char *name : HeldActions)
      QCOMPARE(rig.Action(name)->isEnabled(),
               QByteArray(name) != "actionInitiate_GPS_Receiver_Self_Survey");
  }

  // A reply that arrives during a command's pause is not lost to the
  // closed set-up gate: it is decoded in the next wait step.
  void replyDuringAPauseWaitsForTheStep()
  {
    SessionRig rig;
    QVERIFY(rig.Open(GpsModeMotorolaBinary, 1.0));
    ReceiverSession &session = rig.Session();
    rig.Sim().addRule(MatchKind::Prefix, "@@Ha", OncoreReply("Ha", 151));
    QSignalSpy answered(&rig.Sim(), &ReceiverSimulator::answered);
    session.SendGpsRxCommand(QByteArray("@@Ha\x00", 5));  // a real 100 ms pause
    QCOMPARE(answered.size(), 1);  // the reply left during the pause
    QVERIFY(!rig.State().replyFlags.gotHa);
    session.Timing().SetScale(0.08);
    QVERIFY(session.WaitForResponse());
    QVERIFY(rig.State().replyFlags.gotHa);
    QVERIFY(rig.State().setupInProgress);
  }

  // Closing the window ends a wait at once, sends no retry, and later
  // commands are not sent at all.
  void closingEndsAWaitAtOnce()
  {
    CommandRig rig;
    QVERIFY(rig.Open(GpsModeMotorolaBinary, 1.0));  // real 2.5 s steps
    MainWindow &window = rig.Window();
    window.show();
    QTimer::singleShot(100, &window, [&] { window.close(); });
    QElapsedTimer real;
    real.start();
    QVERIFY(!window.SendGpsCmdAndWait("@@Cj"));
    // Well before the 2.5 s step would have ended by itself.
    QVERIFY2(real.elapsed() < 2500, qPrintable(QString::number(real.elapsed())));
    QVERIFY(window.State().closing);
    QCOMPARE(rig.emitted.size(), 1);  // no retry
    QVERIFY(!window.ReceiverBusy());

    real.restart();
    QVERIFY(!window.SendGpsCmdAndWait(QByteArray("@@Ha\x00", 5)));
    QVERIFY(!window.WaitForResponse());
    window.SendGpsRxCommand("@@Gd");  // nothing more goes to the receiver
    QVERIFY2(real.elapsed() < 2500, qPrintable(QString::number(real.elapsed())));  // none waited a step
    QCOMPARE(rig.emitted.size(), 1);
  }

  // The start-up search is a set-up too: its actions are held throughout,
  // even while a search attempt opens the gate for its own waits; the
  // receiver interface stays the way out.
  void detectionHoldsTheSetupActions()
  {
    class RecordingSearchWindow : public MainWindow {
    public:
      QList<bool> anyHeldActionEnabled;
      QList<bool> interfaceEnabled;
      bool InitializeGpsReceiver() override
      {
        bool enabled = false;
        for (const char *name : HeldActions)
          enabled = enabled || findChild<QAction *>(QLatin1String(name))->isEnabled();
        anyHeldActionEnabled << enabled;
        interfaceEnabled << findChild<QAction *>(QLatin1String(InterfaceAction))->isEnabled();
        return anyHeldActionEnabled.size() == 2;
      }
    };
    // A port that opens: on one that is off there is no attempt at all.
    ReceiverSimulator line;
    QVERIFY(line.open());
    {
      QSettings settings;
      riduder::sim::WriteReceiverPortSettings(settings, line.slavePath(), QStringLiteral("Search"), 9600);
    }
    RecordingSearchWindow window;
    window.DetectGpsReceiver();
    QCOMPARE(window.anyHeldActionEnabled, (QList<bool>{false, false}));
    QCOMPARE(window.interfaceEnabled, (QList<bool>{true, true}));
    for (const char *name : HeldActions)
      QVERIFY(window.findChild<QAction *>(QLatin1String(name))->isEnabled());
    QVERIFY(!window.ReceiverBusy());
  }

  void clearDisplayCacheZeroesTheDops()
  {
    CommandRig rig;
    QVERIFY(rig.Open(GpsModeMotorolaBinary));
    auto *nav = rig.Window().findChild<GpsNavDialog *>();
    QVERIFY(nav);
    const QString none = nav->DopsText();
    nav->SetDops(1.5, 1.2, 0.9, 0.8, 0.7);
    QVERIFY(nav->DopsText() != none);
    rig.Window().ClearDisplayCache();
    QCOMPARE(nav->DopsText(), none);
  }
};

RIDUDER_TEST_MAIN(CommandLayerTest)
#include "tst_commandlayer.moc"
