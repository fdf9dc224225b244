#include "TestMain.h"

#include "FrameBuilders.h"
#include "WindowOnSimulator.h"
#include "app/GpsRawDataDialog.h"
#include "app/MainWindow.h"
#include "logging/GpsDataLog.h"
#include "logging/GpsLogSettings.h"
#include "position/GpsNavDialog.h"
#include "platform/TimeSource.h"
#include "receiver/decode/DecoderHost.h"
#include "receiver/link/GpsSerialPortThread.h"
#include "receiver/dialogs/GpsRxDialog.h"

#include <optional>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QSettings>
#include <QTemporaryDir>

using riduder::test::BuildNmeaSentence;
using riduder::test::BuildOncoreWireOfLength;
using riduder::test::FramedNmeaSentence;
using riduder::test::RawDataReference;
using riduder::test::WindowOnSimulator;


namespace {

const QString Pps = QString::fromLatin1(PpsMarker);

// The lines of a raw-text GPS log that came from the receiver link.
QStringList TrafficLines(const QString &path)
{
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    return {QStringLiteral("(cannot read %1)").arg(path)};
  QStringList lines;
  for (const QString &line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
    if (line.startsWith(QLatin1String("->")) || line.startsWith(QLatin1String("?  ")) ||
        line.startsWith(QLatin1String("<- ")) || line == QLatin1String(PpsMarker))
      lines << line;
  }
  return lines;
}

// The PC clock as it is, with a monotonic clock that stands still.
class HeldMonotonicTimeSource : public TimeSource {
public:
  qint64 NowMSecsSinceEpoch() const override { return QDateTime::currentMSecsSinceEpoch(); }
  qint64 MonotonicMs() const override { return 1000000; }
};

// A raw-text GPS log in a folder of its own, opened on the window.
class RawTextLog {
public:
  explicit RawTextLog(MainWindow &window, int logType = 0) : window_(window)
  {
    QSettings().setValue(GpsLogKeys::FileDirectory, dir_.path());
    GpsLogSettings log = window.GpsLogValues();
    log.type = logType;
    window.SetGpsLogValues(log);
    opened_ = window.OpenGpsLogFile(GpsDataLog::CreateReplace);
    path_ = window.GpsLog().FileName();
  }
  bool Opened() const { return opened_; }
  QStringList Close()
  {
    window_.CloseGpsLogFile(true);
    const QString path = QFileInfo(path_).isAbsolute() ? path_ : QDir(dir_.path()).filePath(path_);
    return TrafficLines(path);
  }

private:
  MainWindow &window_;
  QTemporaryDir dir_;
  QString path_;
  bool opened_ = false;
};

bool SameImage(const QPixmap &shown, const char *resource)
{
  return shown.toImage() == QPixmap(QString::fromLatin1(resource)).toImage();
}

}  // namespace

class TestDispatch : public QObject {
  Q_OBJECT

private slots:
  void init() { QSettings().clear(); }

  // The main road: a real capture replayed into the pseudo-terminal, cut
  // after every few messages with a 1PPS pulse between; each message shows
  // with its prefix, in order, none missing, the markers between them. The
  // window is read and cleared with its button after each piece.
  void captureShowsEveryMessage_data()
  {
    QTest::addColumn<QString>("capture");
    QTest::addColumn<quint32>("mode");
    QTest::newRow("Oncore M12") << "oncore/oncore-m12.log" << quint32(GpsModeMotorolaBinary);
    QTest::newRow("Oncore receive only") << "oncore/oncore-m12.log" << quint32(GpsModeMotorolaBinaryRxOnly);
    QTest::newRow("NMEA Furuno") << "nmea/furuno_gl_ga.log" << quint32(GpsModeGenericNmea);
    QTest::newRow("u-blox M8T") << "ubx/u-blox-m8t-time.log" << quint32(GpsModeUbloxUbx);
  }

  void captureShowsEveryMessage()
  {
    RIDUDER_REQUIRE_CAPTURES();
    QFETCH(QString, capture);
    QFETCH(quint32, mode);
    bool read = false;
    const QByteArray stream = riduder::test::ReadCapture(capture, &read);
    QVERIFY(read);
    const QList<QByteArray> messages = riduder::test::FrameStream(mode, stream);
    QVERIFY2(messages.size() >= 20, qPrintable(QString::number(messages.size())));
    // Some thirty pulses a capture: each costs a few polls of the line.
    const int perChunk = qMax(5, int(messages.size()) / 30);
    const QList<QByteArray> chunks = riduder::test::CutAfterMessages(stream, messages, perChunk);
    QCOMPARE(chunks.size(), (messages.size() + perChunk - 1) / perChunk);

    // A u-blox receiver that ignores the stop-survey command gets it again
    // only after a pause; with the monotonic clock held, the window and the
    // reference both send it once, however long a loaded machine takes.
    HeldMonotonicTimeSource held;
    std::optional<ScopedTimeSourceOverride> holdClock;
    if (mode == GpsModeUbloxUbx || mode == GpsModeUbloxNmea)
      holdClock.emplace(&held);

    WindowOnSimulator::Options options;
    options.mode = mode;
    WindowOnSimulator road(options);
    QVERIFY2(road.Problem().isEmpty(), qPrintable(road.Problem()));
    RawDataReference reference;
    RawTextLog log(road.Window());
    QVERIFY(log.Opened());
    QStringList windowLines;

    int next = 0;
    for (int c = 0; c < chunks.size(); ++c) {
      QList<RawDataReference::Entry> expected;
      if (c > 0) {
        QVERIFY(road.PpsPulse());
        expected << reference.Expect(mode, PpsMarker);
      }
      QVERIFY(road.Replay(chunks.at(c)));
      for (const int end = qMin(next + perChunk, int(messages.size())); next < end; ++next)
        expected << reference.Expect(mode, messages.at(next));
      const QString mismatch = RawDataReference::Mismatch(road.RawDataLines(), expected);
      QVERIFY2(mismatch.isEmpty(), qPrintable(QStringLiteral("chunk %1: ").arg(c) + mismatch));
      windowLines << road.RawDataLines();
      road.TakeRawDataEntries();
    }
    QCOMPARE(next, messages.size());

    // The raw-text log has the window's lines in the Oncore and NMEA modes;
    // in the u-blox modes only the markers and the echoes of commands.
    const bool ublox = mode == GpsModeUbloxUbx || mode == GpsModeUbloxNmea;
    auto reachesLog = [ublox](const QString &line) {
      if (ublox)
        return line == QLatin1String(PpsMarker) || line.startsWith(QLatin1String("<- "));
      return line.startsWith(QLatin1String("->")) || line.startsWith(QLatin1String("?  ")) ||
             line.startsWith(QLatin1String("<- ")) || line == QLatin1String(PpsMarker);
    };
    QStringList expectedLog;
    for (const QString &line : std::as_const(windowLines))
      if (reachesLog(line))
        expectedLog << line.trimmed();
    QStringList logged;
    for (const QString &line : log.Close())
      logged << line.trimmed();
    QVERIFY(expectedLog.count(Pps) == chunks.size() - 1);
    QCOMPARE(logged, expectedLog);

    // The whole capture at once: the window keeps its newest lines, which
    // end with the last message.
    QVERIFY(road.Replay(stream));
    QVERIFY(road.RawDataText()->blockCount() <= GpsRawDataDialog::MaxLines);
    // The newest lines hold the last messages whole, in order.
    const QStringList lines = road.RawDataLines();
    QList<RawDataReference::Entry> all;
    for (const QByteArray &message : messages)
      all << reference.Expect(mode, message);
    const QList<RawDataReference::Entry> tail = all.mid(all.size() - 40);
    bool found = false;
    for (int start = 0; start < lines.size() && !found; ++start)
      found = RawDataReference::Mismatch(lines.mid(start), tail).isEmpty();
    QVERIFY2(found, qPrintable(RawDataReference::Mismatch(lines.mid(lines.size() - tail.size()), tail)));
  }

  // LORAN replies come as text lines through the port; a letters-and-digits
  // line is a reply, nothing of them reaches the log.
  void loranLinesThroughThePort()
  {
    WindowOnSimulator::Options options;
    options.mode = GpsModeMotorolaLoran;
    WindowOnSimulator road(options);
    QVERIFY2(road.Problem().isEmpty(), qPrintable(road.Problem()));
    RawTextLog log(road.Window());
    QVERIFY(log.Opened());
    QVERIFY(road.Feed("V 1.2\r\n"));
    QVERIFY(!road.Window().State().replyFlags.gotLoran);
    QVERIFY(road.PpsPulse());
    QVERIFY(road.Feed("OK42\r\n"));
    QCOMPARE(road.TakeRawDataEntries(), (QStringList{"?  V 1.2", Pps, "->  OK42"}));
    QVERIFY(road.Window().State().replyFlags.gotLoran);
    QCOMPARE(log.Close(), QStringList{Pps});
  }

  // Markers that come while no message follows are not lost: the second
  // pulse hands on the first one's marker.
  void pulsesWithoutMessagesKeepTheirMarkers()
  {
    WindowOnSimulator road;
    QVERIFY2(road.Problem().isEmpty(), qPrintable(road.Problem()));
    QVERIFY(road.PpsPulse());
    QVERIFY(road.PpsPulse());
    QVERIFY(road.Feed(BuildOncoreWireOfLength("Cj", 294, 'A')));
    const QStringList shown = road.TakeRawDataEntries();
    QCOMPARE(shown.size(), 3);
    QCOMPARE(shown.mid(0, 2), (QStringList{Pps, Pps}));
    QVERIFY(shown.at(2).startsWith(QLatin1String("-> @@CjAAAA")));
  }

  // While a receiver set-up runs only the 1PPS markers pass; while the
  // window closes nothing is decoded, and the markers still show.
  void gates_data()
  {
    QTest::addColumn<bool>("closing");
    QTest::newRow("set-up running") << false;
    QTest::newRow("window closing") << true;
  }

  void gates()
  {
    QFETCH(bool, closing);
    WindowOnSimulator road;
    QVERIFY2(road.Problem().isEmpty(), qPrintable(road.Problem()));
    RawTextLog log(road.Window());
    QVERIFY(log.Opened());
    const QByteArray cj = BuildOncoreWireOfLength("Cj", 294, 'A');
    if (closing)
      road.Window().State().closing = true;
    else
      road.SetSetupGateOpen(false);

    QVERIFY(road.Feed(cj));
    QVERIFY(road.PpsPulse());
    QVERIFY(road.Feed(cj));
    QCOMPARE(road.TakeRawDataEntries(), QStringList{Pps});
    QVERIFY(!road.Window().State().replyFlags.gotCj);

    road.Window().State().closing = false;
    road.SetSetupGateOpen(true);
    QVERIFY(road.Feed(cj));
    const QStringList shown = road.TakeRawDataEntries();
    QCOMPARE(shown.size(), 1);
    QVERIFY(shown.first().startsWith(QLatin1String("-> @@CjAAAA")));
    QVERIFY(road.Window().State().replyFlags.gotCj);
    // The marker of the closed gate reached the raw-text log too.
    const QStringList logged = log.Close();
    QCOMPARE(logged.size(), 2);
    QCOMPARE(logged.first(), Pps);
  }

  // One message at a time through the dispatch: the line each mode shows,
  // whether it reaches a raw-text log, and the LORAN reply flag.
  void modeTable_data()
  {
    QTest::addColumn<quint32>("mode");
    QTest::addColumn<bool>("windowShown");
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QStringList>("logged");
    QTest::addColumn<bool>("loranReply");

    const QByteArray unknownSentence = FramedNmeaSentence("GPXYZ,1,2");
    const QString unknownShown = QStringLiteral("?  ") + QString::fromLatin1(unknownSentence);
    const QStringList none;

    QTest::newRow("LORAN reply") << quint32(0) << true << QByteArray("ABC123") << QStringList{"->  ABC123"} << none << true;
    QTest::newRow("LORAN not a reply") << quint32(0) << true << QByteArray("AB C1") << QStringList{"?  AB C1"} << none << false;
    QTest::newRow("LORAN empty line is no reply") << quint32(0) << true << QByteArray() << QStringList{"?"} << none << false;
    QTest::newRow("LORAN reply, window hidden") << quint32(0) << false << QByteArray("OK") << none << none << true;

    for (quint32 mode : {1u, 4u, 6u}) {
      const QByteArray name = "NMEA mode " + QByteArray::number(mode);
      QTest::newRow(name + ", unknown sentence") << mode << true << unknownSentence << QStringList{unknownShown} << QStringList{unknownShown} << false;
    }
    const QByteArray gll = FramedNmeaSentence("GPGLL,5207.000,N,00506.000,E,123456.00,A");
    const QString gllShown = QStringLiteral("-> ") + QString::fromLatin1(gll);
    QTest::newRow("NMEA recognised") << quint32(6) << true << gll << QStringList{gllShown} << QStringList{gllShown} << false;
    QTest::newRow("Motorola NMEA recognised") << quint32(1) << true << gll << QStringList{gllShown} << QStringList{gllShown} << false;
    QTest::newRow("NMEA without $") << quint32(6) << true << QByteArray("GPZDA,1") << QStringList{"?  GPZDA,1"} << QStringList{"?  GPZDA,1"} << false;
    QTest::newRow("NMEA empty") << quint32(6) << true << QByteArray() << QStringList{"?"} << QStringList{"?  "} << false;
    QTest::newRow("NMEA, window hidden, still logged") << quint32(6) << false << unknownSentence << none << QStringList{unknownShown} << false;

    QTest::newRow("Oncore unknown identifier") << quint32(2) << true << QByteArray("@@Zz\x01\x02") << QStringList{"-> @@Zz ..."} << QStringList{"-> @@Zz ..."} << false;
    QTest::newRow("Oncore empty decoder text") << quint32(3) << true << QByteArray("xyz") << QStringList{"->"} << QStringList{"-> "} << false;
    QTest::newRow("Oncore, window hidden, still logged") << quint32(2) << false << QByteArray("@@Zz\x01\x02") << none << QStringList{"-> @@Zz ..."} << false;

    QTest::newRow("u-blox recognised sentence") << quint32(9) << true << gll << QStringList{"->  " + QString::fromLatin1(gll)} << none << false;
    QTest::newRow("u-blox sentence rejected twice") << quint32(9) << true << unknownSentence << QStringList{unknownShown} << none << false;
    QTest::newRow("u-blox NMEA mode") << quint32(10) << true << unknownSentence << QStringList{unknownShown} << none << false;
    QTest::newRow("u-blox, window hidden") << quint32(9) << false << unknownSentence << none << none << false;

    QTest::newRow("search ignores") << quint32(11) << true << unknownSentence << none << none << false;
    QTest::newRow("unnamed mode 5 ignores") << quint32(5) << true << unknownSentence << none << none << false;
    QTest::newRow("unnamed mode 8 ignores") << quint32(8) << true << QByteArray("ABC") << none << none << false;
  }

  void modeTable()
  {
    QFETCH(quint32, mode);
    QFETCH(bool, windowShown);
    QFETCH(QByteArray, message);
    QFETCH(QStringList, shown);
    QFETCH(QStringList, logged);
    QFETCH(bool, loranReply);

    WindowOnSimulator::Options options;
    options.mode = mode;
    options.showRawData = windowShown;
    WindowOnSimulator road(options);
    MainWindow &window = road.Window();
    RawTextLog log(window);
    QVERIFY(log.Opened());

    window.OnNewGpsText(message);
    // Shown, after a marker that every mode passes to window and log.
    window.OnNewGpsText(QByteArray(PpsMarker));
    QCOMPARE(road.RawDataEntries(), windowShown ? shown + QStringList{Pps} : QStringList());
    QCOMPARE(log.Close(), logged + QStringList{Pps});
    QCOMPARE(window.State().replyFlags.gotLoran, loranReply);
  }

  // In the u-blox modes a frame shows as its decoder names it, or undecoded.
  void ubloxFrames_data()
  {
    QTest::addColumn<quint32>("mode");
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QString>("shownStart");
    const QByteArray ack = riduder::test::BuildUbxFrame(0x05, 0x01, QByteArray("\x06\x01", 2));
    const QByteArray unknownUpd = riduder::test::BuildUbxFrame(0x09, 0x03, QByteArray());
    const QByteArray shortFrame("\xB5\x62\x05", 3);
    QTest::newRow("ACK") << quint32(9) << ack << "->  UBX-ACK ACK";
    QTest::newRow("ACK, u-blox NMEA mode") << quint32(10) << ack << "->  UBX-ACK ACK";
    QTest::newRow("unknown UPD message") << quint32(9) << unknownUpd << "?  ";
    QTest::newRow("no whole frame") << quint32(9) << shortFrame << "?  ";
  }

  void ubloxFrames()
  {
    QFETCH(quint32, mode);
    QFETCH(QByteArray, frame);
    QFETCH(QString, shownStart);
    WindowOnSimulator::Options options;
    options.mode = mode;
    WindowOnSimulator road(options);
    RawTextLog log(road.Window());
    QVERIFY(log.Opened());
    road.Window().OnNewGpsText(frame);
    const QStringList shown = road.RawDataLines();
    QVERIFY2(!shown.isEmpty() && shown.first().startsWith(shownStart), qPrintable(shown.join('|')));
    if (shownStart == QLatin1String("?  ")) {
      RawDataReference reference;
      QCOMPARE(shown.join(QLatin1Char('\n')), reference.AsShown(QStringLiteral("?  ") + QString::fromUtf8(frame)));
    }
    QCOMPARE(log.Close(), QStringList());
  }

  // Echoes of what the program sends reach a raw-text log in every mode;
  // with another log type the dispatch writes nothing to the log.
  void echoesAndLogTypes_data()
  {
    QTest::addColumn<quint32>("mode");
    QTest::addColumn<int>("logType");
    QTest::addColumn<bool>("logged");
    QTest::newRow("u-blox raw text") << quint32(9) << 0 << true;
    QTest::newRow("NMEA raw text") << quint32(6) << 0 << true;
    QTest::newRow("NMEA as NMEA records") << quint32(6) << 3 << false;
    QTest::newRow("NMEA as PVT") << quint32(6) << 2 << false;
  }

  void echoesAndLogTypes()
  {
    QFETCH(quint32, mode);
    QFETCH(int, logType);
    QFETCH(bool, logged);
    WindowOnSimulator::Options options;
    options.mode = mode;
    WindowOnSimulator road(options);
    RawTextLog log(road.Window(), logType);
    QVERIFY(log.Opened());
    road.Window().SendGpsRxCommand("$PUBX,40,GLL,0");
    road.Window().OnNewGpsText(QByteArray(PpsMarker));
    road.Window().OnNewGpsText(FramedNmeaSentence("GPXYZ,1"));
    const QStringList shown = road.RawDataEntries();
    QVERIFY2(shown.size() == 3 && shown.first().startsWith(QLatin1String("<- $PUBX,40,GLL,0*")),
             qPrintable(shown.join(QLatin1Char('|'))));
    const QStringList inLog = log.Close();
    if (!logged) {
      QCOMPARE(inLog, QStringList());
      return;
    }
    QStringList expected{shown.at(0), Pps};
    if (mode != GpsModeUbloxUbx)
      expected << shown.at(2);
    QCOMPARE(inLog, expected);
  }

  // Each status value gives its text and colours, however it arrives.
  void indicators_data()
  {
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("antennaText");
    QTest::addColumn<QString>("antennaStyle");
    QTest::addColumn<QString>("navText");
    QTest::addColumn<QString>("navStyle");
    const QString green = QStringLiteral("padding: 2px 5px; color:white; background-color:green");
    const QString red = QStringLiteral("padding: 2px 5px; color:white; background-color:red");
    const QString yellow = QStringLiteral("padding: 2px 5px; color:black; background-color:yellow");
    const QString white = QStringLiteral("padding: 2px 5px; color:black; background-color:white");
    QTest::newRow("-1") << -1 << "Ant Unknown" << white << "Nav Unknown" << white;
    QTest::newRow("0") << 0 << "Ant OK" << green << "Navigating" << green;
    QTest::newRow("1") << 1 << "Ant OC Short" << red << "Position Hold" << green;
    QTest::newRow("2") << 2 << "Ant Open" << yellow << "Surveying" << yellow;
    QTest::newRow("3") << 3 << "Ant No Pwr" << yellow << "Nav Unknown" << white;
    QTest::newRow("7") << 7 << "Ant Unknown" << white << "Nav Unknown" << white;
    QTest::newRow("minimum int") << std::numeric_limits<int>::min() << "Ant Unknown" << white << "Nav Unknown" << white;
  }

  void indicators()
  {
    QFETCH(int, status);
    QFETCH(QString, antennaText);
    QFETCH(QString, antennaStyle);
    QFETCH(QString, navText);
    QFETCH(QString, navStyle);
    MainWindow window;
    QLabel *antenna = window.AntennaStatusLabel();
    QLabel *nav = window.NavStatusLabel();
    QCOMPARE(window.NavStatus(), -1);
    // Before any report: the construction texts.
    QCOMPARE(antenna->text(), QStringLiteral("Ant Unkown"));
    QCOMPARE(nav->text(), QStringLiteral("Nav Unknown"));

    // From the window, then through the decoders' host after another value
    // (each call writes the label, changed or not).
    for (int round = 0; round < 2; ++round) {
      if (round == 0) {
        window.SetAntennaStatus(status);
        window.SetNavStatus(status);
      } else {
        window.ReceiverDecoderHost().SetAntennaStatus(status == 0 ? 1 : 0);
        window.ReceiverDecoderHost().SetNavStatus(status == 0 ? 2 : 0);
        window.ReceiverDecoderHost().SetAntennaStatus(status);
        window.ReceiverDecoderHost().SetNavStatus(status);
      }
      QCOMPARE(antenna->text(), antennaText);
      QCOMPARE(antenna->styleSheet(), antennaStyle);
      QCOMPARE(nav->text(), navText);
      QCOMPARE(nav->styleSheet(), navStyle);
      // The set-up reads the last navigation status.
      QCOMPARE(window.NavStatus(), status);
      QCOMPARE(window.State().antennaStatus, status);
    }
  }

  void heartbeatFlashesWithEachTick()
  {
    WindowOnSimulator road;
    QVERIFY2(road.Problem().isEmpty(), qPrintable(road.Problem()));
    QLabel *heartbeat = road.HeartbeatLabel();
    QVERIFY(SameImage(heartbeat->pixmap(), ":/icons/res/icon_off.png"));
    // Look at the heartbeat right after the window has handled the tick: on
    // a loaded machine the pulse helper may return only after the 300 ms.
    bool onAtTick = false;
    const QMetaObject::Connection look =
        connect(&road.Window().ReceiverPort(), &GpsSerialPortThread::PpsTick, this,
                [&] { onAtTick = SameImage(heartbeat->pixmap(), ":/icons/res/icon_on.png"); });
    QElapsedTimer sincePulse;
    sincePulse.start();
    QVERIFY(road.PpsPulse());
    disconnect(look);
    QVERIFY(onAtTick);
    QTRY_VERIFY_WITH_TIMEOUT(SameImage(heartbeat->pixmap(), ":/icons/res/icon_off.png"), 2000);
    // Off some 300 ms after the tick (a coarse timer may fire a little early).
    QVERIFY2(sincePulse.elapsed() >= 250, qPrintable(QString::number(sincePulse.elapsed())));

    // While a set-up runs the tick does nothing, the heartbeat included.
    road.SetSetupGateOpen(false);
    QVERIFY(road.PpsPulse());
    QVERIFY(SameImage(heartbeat->pixmap(), ":/icons/res/icon_off.png"));
  }

  // A fix goes to the averaging, and its locator to the grid-square label.
  void positionReachesTheAveraging()
  {
    MainWindow window;
    auto *nav = window.findChild<GpsNavDialog *>();
    QVERIFY(nav);
    window.ReceiverDecoderHost().ShowPosition(52.2, 5.1, 95.0, 52.0);
    double latitude = 0, longitude = 0, height = 0, mslHeight = 0;
    nav->GetCurrentFix(latitude, longitude, height, mslHeight);
    QCOMPARE(latitude, 52.2);
    QCOMPARE(longitude, 5.1);
    QCOMPARE(height, 95.0);
    QCOMPARE(mslHeight, 52.0);
    const QString locator = window.findChild<QLabel *>(QStringLiteral("IDC_GRIDSQUARE"))->text();
    QVERIFY2(locator.startsWith(QLatin1String("JO22")), qPrintable(locator));
    QCOMPARE(locator, nav->MaidenheadLocator());
  }
};

RIDUDER_TEST_MAIN(TestDispatch)
#include "tst_dispatch.moc"
