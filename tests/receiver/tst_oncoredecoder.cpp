#include "TestMain.h"

#include "OncoreMessageBuilder.h"
#include "RecordingDecoderHost.h"
#include "FakeTimeSource.h"

#include "core/ProgramState.h"
#include "core/ReceiverIdentity.h"
#include "core/ReceiverReplyFlags.h"
#include "core/ReceiverState.h"
#include "platform/TimeSource.h"
#include "receiver/decode/GpsRxModel.h"
#include "receiver/decode/OncoreDecoder.h"
#include "receiver/link/OncoreFramer.h"

#include <QRandomGenerator>

#include <memory>

using riduder::test::OncoreMessageBuilder;
using riduder::test::RecordingDecoderHost;

namespace {

// One decoder with its state, a recording host and a fake clock.
struct Rig {
  Rig()
      : state(std::make_unique<ReceiverState>()), host(state.get()), decoder(*state, host),
        clockOverride(&clock)
  {
    clock.SetMonotonicMs(1000000);
    state->rawDataWindowOpened = true;
  }
  QString Decode(const QByteArray &message) { return decoder.Decode(message); }
  QString Decode(const OncoreMessageBuilder &b) { return decoder.Decode(b.Framed()); }
  QDateTime ReceiverTime() const { return state->receiverTime.addSecs(0); }

  std::unique_ptr<ReceiverState> state;
  RecordingDecoderHost host;
  OncoreDecoder decoder;
  FakeTimeSource clock;
  ScopedTimeSourceOverride clockOverride;
};

QDateTime Utc(int y, int mo, int d, int h, int mi, int s)
{
  return QDateTime(QDate(y, mo, d), QTime(h, mi, s), Qt::UTC);
}

// The fields "@@Ea" and "@@Ba" share: 33.5 S, 151.25 E, 45.67 m above the
// ellipsoid, 23.45 m above sea level, and the first channel.
OncoreMessageBuilder PositionStatus(const char *id, int length)
{
  OncoreMessageBuilder b(id, length);
  b.DateTime(2024, 3, 10, 12, 34, 56, 250000000)
      .I32(15, -120600000)
      .I32(19, 544500000)
      .I32(23, 4567)
      .I32(27, 2345)
      .U16(31, 150)
      .U16(33, 1234)
      .U16(35, 25)
      .U8(38, 9)
      .U8(39, 7);
  b.U8(40, 5).U8(41, 8).U8(42, 45).U8(43, 0xA8);
  return b;
}

OncoreMessageBuilder Ea()
{
  OncoreMessageBuilder b = PositionStatus("Ea", 73);
  b.U8(37, 0);
  b.U8(44, 12).U8(45, 8).U8(46, 40).U8(47, 0x88);
  b.U8(72, 0x24);
  return b;
}

OncoreMessageBuilder Ba()
{
  OncoreMessageBuilder b = PositionStatus("Ba", 65);
  b.U8(64, 0x20);
  return b;
}

// 52.5 N, 6.25 W; unfiltered position slightly off the filtered one.
OncoreMessageBuilder Ha()
{
  OncoreMessageBuilder b("Ha", 151);
  b.DateTime(2024, 3, 10, 12, 34, 56, 250000000)
      .I32(15, 189000000)
      .I32(19, -22500000)
      .I32(23, 6000)
      .I32(27, 1500)
      .I32(31, 189000100)
      .I32(35, -22500100)
      .I32(39, 6010)
      .I32(43, 1510)
      .U16(47, 200)
      .U16(49, 150)
      .U16(51, 900)
      .U16(53, 13)
      .U8(55, 11)
      .U8(56, 8);
  b.U8(57, 3).U8(58, 8).U8(59, 47).U8(60, 20).U8(61, 0x01).U8(62, 0xA7);
  b.U8(63, 17).U8(64, 6).U8(65, 38).U8(66, 0).U8(67, 0x00).U8(68, 0x25);
  b.U8(129, 0xE0).U8(130, 0x44);
  b.U16(133, 12345).I32(135, -678).U16(139, 91).U8(141, 0x12).U24(142, 0x123456);
  b.Bytes(145, "ABCDEF");
  return b;
}

OncoreMessageBuilder Hb()
{
  OncoreMessageBuilder b("Hb", 51);
  b.DateTime(2024, 3, 10, 12, 34, 56, 250000000)
      .I32(15, 189000000)
      .I32(19, -22500000)
      .I32(23, 6000)
      .I32(27, 1500)
      .U16(31, 200)
      .U16(33, 150)
      .U16(35, 900)
      .U16(37, 13)
      .U8(39, 11)
      .U8(40, 8)
      .U8(41, 0x80)
      .U8(42, 0x16);
  b.Bytes(45, "HBTAG1");
  return b;
}

OncoreMessageBuilder Bb(const QList<QList<int>> &entries, int count = -1)
{
  OncoreMessageBuilder b("Bb", 5 + 7 * int(entries.size()));
  b.U8(4, quint8(count < 0 ? entries.size() : count));
  for (int k = 0; k < entries.size(); ++k) {
    const QList<int> &e = entries[k];  // satellite, Doppler, elevation, azimuth, health
    const int at = 5 + 7 * k;
    b.U8(at, quint8(e[0])).I16(at + 1, qint16(e[1])).U8(at + 3, quint8(e[2]));
    b.U16(at + 4, quint16(e[3])).U8(at + 6, quint8(e[4]));
  }
  return b;
}

OncoreMessageBuilder Dops(const char *id, int length)
{
  OncoreMessageBuilder b(id, length);
  b.U16(4, 12).U16(6, 9).U16(8, 7).U16(10, 6).U16(12, 5);
  b.Bytes(14, QByteArray::fromHex("ff9c")).Bytes(16, QByteArray::fromHex("ff9c"));
  b.I16(18, 25).I16(20, -3).U16(22, 123);
  return b;
}

OncoreMessageBuilder ChannelTimes(const char *id, int length)
{
  OncoreMessageBuilder b(id, length);
  b.U24(4, 100).I32(7, 500000000);
  b.U8(11, 5).U8(12, 0xA2).U24(13, 7).I32(16, 250000000).U16(20, 3).U16(22, 32768);
  b.U24(24, 0x010203).U16(27, 513);
  return b;
}

}  // namespace

class TestOncoreDecoder : public QObject {
  Q_OBJECT

private slots:
  void init() { ResetProgramWideState(); }

  // ---- frame ---------------------------------------------------------------

  void prologue_data()
  {
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<QByteArray>("awaited");
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("replySeen");
    QTest::addColumn<bool>("binaryLogged");
    QTest::newRow("@@ alone") << QByteArray("@@") << QByteArray("@@") << QString() << true
                              << false;
    QTest::newRow("NMEA sentence") << QByteArray("$GPGGA,1,2") << QByteArray("$GPG") << QString()
                                   << true << false;
    QTest::newRow("unknown first letter")
        << QByteArray("@@Zz\x01\x02", 6) << QByteArray("@@Zz") << QStringLiteral("@@Zz ...\n")
        << true << true;
    QTest::newRow("unknown second letter")
        << QByteArray("@@Ez\x01", 5) << QByteArray("@@Ea") << QStringLiteral("@@Ez ...\n")
        << false << true;
    QTest::newRow("case matters") << QByteArray("@@EA\x01", 5) << QByteArray("@@Ea")
                                  << QStringLiteral("@@EA ...\n") << false << true;
    QTest::newRow("nothing awaited") << QByteArray("@@Zz") << QByteArray()
                                     << QStringLiteral("@@Zz ...\n") << false << true;
    QTest::newRow("one @") << QByteArray("@Zzz") << QByteArray() << QString() << false << false;
  }
  void prologue()
  {
    QFETCH(QByteArray, message);
    QFETCH(QByteArray, awaited);
    QFETCH(QString, line);
    QFETCH(bool, replySeen);
    QFETCH(bool, binaryLogged);
    Rig rig;
    ExpectedOncoreReplyTag = awaited;
    QCOMPARE(rig.Decode(message), line);
    QCOMPARE(OncoreReplySeen, replySeen);
    QCOMPARE(rig.host.binaryLog, binaryLogged ? QList<QByteArray>{message} : QList<QByteArray>{});
    if (line.isEmpty())
      QVERIFY(rig.host.calls.isEmpty());
  }

  // Every "@@A" identifier goes to the identification window and, when the
  // option is on, to the configuration log.
  void aGroupReachesIdWindowAndConfigLog_data()
  {
    QTest::addColumn<bool>("idWindow");
    QTest::addColumn<bool>("configText");
    QTest::newRow("window, no config text") << true << false;
    QTest::newRow("window and config text") << true << true;
    QTest::newRow("no window") << false << true;
  }
  void aGroupReachesIdWindowAndConfigLog()
  {
    QFETCH(bool, idWindow);
    QFETCH(bool, configText);
    Rig rig;
    rig.host.idWindow = idWindow;
    rig.host.configTextToTicLog = configText;
    QCOMPARE(rig.Decode(QByteArray("@@Zq\x01", 5)), QStringLiteral("@@Zq ...\n"));
    // "@@AZ" is no setting echo: undecoded, but still an "@@A" message.
    QCOMPARE(rig.Decode(QByteArray("@@AZ\x01", 5)), QStringLiteral("@@AZ ...\n"));
    QCOMPARE(rig.host.idTexts, idWindow ? QStringList{"@@AZ "} : QStringList{});
    QCOMPARE(rig.host.ticLog, configText ? QStringList{"@@AZ "} : QStringList{});
  }

  // A known identifier too short for its fields is shown as undecoded and
  // changes nothing.
  void shortMessagesAreUndecoded_data()
  {
    QTest::addColumn<QByteArray>("identifier");
    QTest::addColumn<int>("length");
    QTest::newRow("Ea") << QByteArray("Ea") << 72;
    QTest::newRow("Ba") << QByteArray("Ba") << 64;
    QTest::newRow("Ha") << QByteArray("Ha") << 150;
    QTest::newRow("Hb") << QByteArray("Hb") << 50;
    QTest::newRow("Hr") << QByteArray("Hr") << 166;
    QTest::newRow("Bb") << QByteArray("Bb") << 4;
    QTest::newRow("Bk") << QByteArray("Bk") << 23;
    QTest::newRow("Ek short") << QByteArray("Ek") << 67;
    QTest::newRow("Ek long") << QByteArray("Ek") << 69;
    QTest::newRow("Bg") << QByteArray("Bg") << 118;
    QTest::newRow("Eg") << QByteArray("Eg") << 154;
  }
  void shortMessagesAreUndecoded()
  {
    QFETCH(QByteArray, identifier);
    QFETCH(int, length);
    Rig rig;
    rig.state->tickPending = true;
    const QDateTime before = rig.ReceiverTime();
    OncoreMessageBuilder b(identifier.constData(), 200);
    b.DateTime(2024, 3, 10, 12, 34, 56).U8(4, 3).Resize(length);
    QCOMPARE(rig.Decode(b), QStringLiteral("@@%1 ...\n").arg(QString::fromLatin1(identifier)));
    QVERIFY2(rig.host.calls.isEmpty(), qPrintable(rig.host.calls.join(',')));
    QCOMPARE(rig.ReceiverTime(), before);
    QVERIFY(rig.state->tickPending);
    QVERIFY(!rig.state->replyFlags.gotEa && !rig.state->replyFlags.gotBa &&
            !rig.state->replyFlags.gotHa);
    QCOMPARE(rig.state->eaIgnoreCountdown + rig.state->baIgnoreCountdown +
                 rig.state->haIgnoreCountdown,
             0);
  }

  // The builders' messages have the framer's lengths: sent on the wire,
  // framed and decoded, they read the same as built.
  void builtMessagesPassTheFramer()
  {
    struct Sink : FramerSink {
      void OnFramedMessage(const QByteArray &message) override { framed << message; }
      QList<QByteArray> framed;
    } sink;
    const QList<OncoreMessageBuilder> built{Ea(), Ba(), Ha(), Hb(), OncoreMessageBuilder("Hr", 167),
                                            Dops("Bk", 66), Dops("Ek", 68),
                                            ChannelTimes("Bg", 119), ChannelTimes("Eg", 155)};
    QByteArray wire;
    for (const OncoreMessageBuilder &b : built)
      wire += b.Wire();
    OncoreFramer framer;
    framer.Process(wire, sink);
    QCOMPARE(sink.framed.size(), built.size());
    Rig rig;
    for (int i = 0; i < built.size(); ++i) {
      QCOMPARE(sink.framed[i], built[i].Framed());
      const QString undecoded = QString::fromLatin1(sink.framed[i].left(4)) + " ...\n";
      QVERIFY(rig.Decode(sink.framed[i]) != undecoded ||
              sink.framed[i].startsWith("@@Ba"));  // held by the "@@Ea" before it
    }
  }

  // Random bytes behind every identifier this decoder knows: no crash, and
  // always a line.
  void randomBytesNeverBreakTheDecoder()
  {
    Rig rig;
    rig.state->logRecordGate = true;
    const char *const ids[] = {"Ea", "Ba", "Ha", "Hb", "Hr", "Eq", "Bb", "Bk", "Ek",
                               "Bg", "Eg", "Cj", "As", "Zz"};
    QRandomGenerator random(8);
    for (int round = 0; round < 400; ++round) {
      for (const char *id : ids) {
        QByteArray m = QByteArray("@@") + id;
        const int extra = int(random.bounded(300));
        for (int i = 0; i < extra; ++i)
          m += char(random.bounded(256));
        const QString line = rig.Decode(m);
        QVERIFY(line.endsWith(QLatin1Char('\n')));
      }
    }
  }

  // ---- position / status: @@Ea ----------------------------------------------

  void eaDecodesEverything()
  {
    Rig rig;
    rig.host.gpsLogType = 2;
    rig.state->satellites[5].elevation = 30;
    rig.state->satellites[5].azimuth = 200;
    rig.state->satellites[40].identifier = 40;  // listed before, not now
    const QString row = QStringLiteral(
        "03/10/2024, 12:34:56.250000000, -1.20600000e+08, 5.44500000e+08, 45.67, 23.45, 1.50, "
        "123.4, PDOP, 2.5, 9, 7, 0x24, 5, 8, 45, 0xa8, 12, 8, 40, 0x88, 0, 0, 0, 0x00, 0, 0, 0, "
        "0x00, 0, 0, 0, 0x00, 0, 0, 0, 0x00, 0, 0, 0, 0x00, 0, 0, 0, 0x00");

    QCOMPARE(rig.Decode(Ea()), QStringLiteral("@@Ea, ") + row + QLatin1Char('\n'));
    QCOMPARE(rig.host.gpsLog, QStringList{row});

    // Time: stored, clock step on it (no tick came), then one second on.
    QCOMPARE(rig.host.clockStepTimes, QList<QDateTime>{Utc(2024, 3, 10, 12, 34, 56)});
    QCOMPARE(rig.host.updateClockDisplayCount, 1);
    QVERIFY(rig.state->messageDroveClock);
    QVERIFY(!rig.state->tickPending);
    QCOMPARE(rig.ReceiverTime(), Utc(2024, 3, 10, 12, 34, 57));

    // Position, speed, heading.
    QCOMPARE(rig.host.positions.size(), 1);
    QCOMPARE(rig.host.positions[0].latitude, -33.5);
    QCOMPARE(rig.host.positions[0].longitude, 151.25);
    QCOMPARE(rig.host.positions[0].height, 45.67);
    QCOMPARE(rig.host.positions[0].mslHeight, 23.45);
    QCOMPARE(rig.host.speed, 150 * 0.019425);
    QCOMPARE(rig.host.heading, 123.4);

    // Status.
    QCOMPARE(rig.host.antennaStatus, 0);
    QCOMPARE(rig.state->antennaStatus, 0);
    QCOMPARE(rig.host.navStatus, 0);
    QCOMPARE(rig.host.fixStatus, 3);
    QCOMPARE(rig.host.navMode, 3);
    QCOMPARE(rig.host.satsTracked, 7);
    QCOMPARE(rig.host.satsVisibleText, QStringLiteral("9 Visible"));
    QCOMPARE(rig.host.satsTrackedText, QStringLiteral("7 Tracked"));
    QCOMPARE(rig.host.statusMessage, QStringLiteral("3-D Fix, DGPS: PDOP =  2.5"));
    QCOMPARE(rig.host.dopsMessage, QString());

    // Satellites: listed anew, sky position kept.
    const SatelliteRecord &s5 = rig.state->satellites[5];
    QCOMPARE(s5.identifier, 5);
    QCOMPARE(int(s5.channelMode), 8);
    QCOMPARE(int(s5.status), 0xA8);
    QCOMPARE(s5.cno, 45);
    QCOMPARE(int(s5.inChannel), 1);
    QCOMPARE(s5.elevation, 30);
    QCOMPARE(s5.azimuth, 200);
    QCOMPARE(rig.state->satellites[12].cno, 40);
    QCOMPARE(rig.state->satellites[40].identifier, 0);
    QCOMPARE(int(rig.state->satellites[40].channelMode), 9);
    QCOMPARE(int(rig.state->satellites[40].inChannel), 0);
    // Empty channels report satellite 0: record 0 takes them.
    QCOMPARE(int(rig.state->satellites[0].inChannel), 1);
    QCOMPARE(int(rig.state->satellites[0].channelMode), 0);

    // Table, hold, reply flag; the table is redrawn last.
    QCOMPARE(rig.host.calls.last(), QStringLiteral("UpdateSatelliteTable"));
    QCOMPARE(rig.state->eaIgnoreCountdown, 5);
    QVERIFY(rig.state->replyFlags.gotEa);
    QVERIFY(!rig.state->replyFlags.gotBa);
  }

  void eaStatusTexts_data()
  {
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("dopType");  // byte 37
    QTest::addColumn<int>("dop");      // tenths
    QTest::addColumn<int>("model");
    QTest::addColumn<QString>("statusText");
    QTest::addColumn<QString>("dopText");
    QTest::addColumn<int>("navStatus");
    QTest::addColumn<int>("fixStatus");
    QTest::addColumn<int>("antenna");
    QTest::addColumn<QString>("rowDopWord");
    const int m12 = GpsRxModel::M12;
    const QString dopsText =
        QStringLiteral("DOPs:  G=-1.0  P=-1.0  H=-1.0  V=-1.0  T=-1.0 ");
    QTest::newRow("3-D fix and bad almanac")
        << 0x21 << 0 << 0 << m12 << "3-D Fix, Bad Almanac" << "" << 0 << 2 << 0 << "PDOP";
    QTest::newRow("bad almanac hides too few satellites")
        << 0x03 << 0 << 0 << m12 << "Bad Almanac" << "" << -1 << 0 << 0 << "PDOP";
    QTest::newRow("too few satellites")
        << 0x02 << 0 << 0 << m12 << "Insufficient Satellites (<3)" << "" << -1 << 0 << 0
        << "PDOP";
    QTest::newRow("propagate, poor geometry, acquiring")
        << 0xC8 << 0 << 0 << m12
        << "Position Propagate Mode, Poor Geometry (DOP>20), Acquiring Satellites or Position "
           "Hold"
        << "" << 1 << 4 << 0 << "PDOP";
    QTest::newRow("2-D fix") << 0x10 << 0 << 0 << m12 << "Altitude Hold (2-D Fix)" << "" << 0
                             << 0 << 0 << "PDOP";
    QTest::newRow("position hold") << 0x08 << 0 << 0 << m12
                                   << "Acquiring Satellites or Position Hold" << "" << 1 << 1
                                   << 0 << "PDOP";
    QTest::newRow("surveying") << 0x08 << 0x20 << 0 << m12
                               << "Acquiring Satellites or Position Hold" << "" << 2 << 1 << 0
                               << "HDOP";
    QTest::newRow("nothing") << 0x00 << 0 << 0 << m12 << "" << "" << -1 << 0 << 0 << "PDOP";
    QTest::newRow("HDOP appended") << 0x20 << 1 << 30 << m12 << "3-D Fix: HDOP =  3.0" << ""
                                   << 0 << 2 << 0 << "HDOP";
    QTest::newRow("DOP alone") << 0x00 << 0 << 30 << m12 << "PDOP =  3.0" << "" << -1 << 0 << 0
                               << "PDOP";
    QTest::newRow("antenna bits hide the DOP")
        << 0x20 << 0x40 << 25 << m12 << "3-D Fix" << "" << 0 << 2 << 1 << "HDOP";
    QTest::newRow("antenna no power") << 0x20 << 0xC0 << 25 << m12 << "3-D Fix" << "" << 0 << 2
                                      << 3 << "HDOP";
    QTest::newRow("VP shows the five DOPs")
        << 0x20 << 0 << 25 << int(GpsRxModel::VP) << "3-D Fix" << dopsText << 0 << 2 << 0
        << "PDOP";
    QTest::newRow("VP in 2-D shows no DOPs")
        << 0x30 << 0 << 25 << int(GpsRxModel::VP) << "3-D Fix, Altitude Hold (2-D Fix)" << ""
        << 0 << 2 << 0 << "PDOP";
  }
  void eaStatusTexts()
  {
    QFETCH(int, status);
    QFETCH(int, dopType);
    QFETCH(int, dop);
    QFETCH(int, model);
    QFETCH(QString, statusText);
    QFETCH(QString, dopText);
    QFETCH(int, navStatus);
    QFETCH(int, fixStatus);
    QFETCH(int, antenna);
    QFETCH(QString, rowDopWord);
    Rig rig;
    receiverIdentity.model = model;
    const QString line = rig.Decode(Ea().U8(72, quint8(status)).U8(37, quint8(dopType)).U16(35, quint16(dop)));
    QCOMPARE(rig.host.statusMessage, statusText);
    QCOMPARE(rig.host.dopsMessage, dopText);
    QCOMPARE(rig.host.navStatus, navStatus);
    QCOMPARE(rig.host.fixStatus, fixStatus);
    QCOMPARE(rig.host.antennaStatus, antenna);
    QVERIFY2(line.contains(QStringLiteral(", %1, ").arg(rowDopWord)), qPrintable(line));
  }

  // The time rules of the three time messages: which rounding, which
  // advance, and impossible date-times.
  void timeMessages_data()
  {
    QTest::addColumn<QByteArray>("identifier");
    QTest::addColumn<QList<int>>("fields");  // y mo d h mi s ns
    QTest::addColumn<QDateTime>("clockStep");  // invalid: no time taken
    QTest::addColumn<QDateTime>("stored");
    const QList<int> base{2024, 3, 10, 12, 34};
    auto at = [&](int s, int ns) { return base + QList<int>{s, ns}; };
    const QDateTime none;
    QTest::newRow("Ea truncates") << QByteArray("Ea") << at(56, 750000000)
                                  << Utc(2024, 3, 10, 12, 34, 56) << Utc(2024, 3, 10, 12, 34, 57);
    QTest::newRow("Ba rounds, no advance")
        << QByteArray("Ba") << at(56, 500000000) << Utc(2024, 3, 10, 12, 34, 57)
        << Utc(2024, 3, 10, 12, 34, 57);
    QTest::newRow("Ba rounds below half")
        << QByteArray("Ba") << at(56, 499999999) << Utc(2024, 3, 10, 12, 34, 56)
        << Utc(2024, 3, 10, 12, 34, 56);
    QTest::newRow("Ha 59.5 is the next minute")
        << QByteArray("Ha") << at(59, 500000000) << Utc(2024, 3, 10, 12, 35, 0)
        << Utc(2024, 3, 10, 12, 35, 1);
    QTest::newRow("Ba 59.6 at the year end")
        << QByteArray("Ba") << QList<int>{2024, 12, 31, 23, 59, 59, 600000000}
        << Utc(2025, 1, 1, 0, 0, 0) << Utc(2025, 1, 1, 0, 0, 0);
    QTest::newRow("Ea leap second") << QByteArray("Ea") << QList<int>{2016, 12, 31, 23, 59, 60, 0}
                                    << Utc(2017, 1, 1, 0, 0, 0) << Utc(2017, 1, 1, 0, 0, 1);
    QTest::newRow("Ea second 61") << QByteArray("Ea") << at(61, 0) << none << none;
    QTest::newRow("Ha 60.5 rounds to 61") << QByteArray("Ha") << at(60, 500000000) << none << none;
    QTest::newRow("Ea negative second") << QByteArray("Ea") << at(-1, 0) << none << none;
    QTest::newRow("Ba -2 rounds to -1") << QByteArray("Ba") << at(-2, 0) << none << none;
    QTest::newRow("Ea minute 60") << QByteArray("Ea") << QList<int>{2024, 3, 10, 12, 60, 0, 0}
                                  << none << none;
    QTest::newRow("Ha hour 24") << QByteArray("Ha") << QList<int>{2024, 3, 10, 24, 0, 0, 0}
                                << none << none;
    QTest::newRow("Ba month 0") << QByteArray("Ba") << QList<int>{2024, 0, 10, 12, 0, 0, 0}
                                << none << none;
  }
  void timeMessages()
  {
    QFETCH(QByteArray, identifier);
    QFETCH(QList<int>, fields);
    QFETCH(QDateTime, clockStep);
    QFETCH(QDateTime, stored);
    Rig rig;
    const QDateTime before = Utc(2001, 1, 1, 0, 0, 0);
    rig.state->receiverTime.SetDateTime(before);
    OncoreMessageBuilder b = identifier == "Ea" ? Ea() : identifier == "Ba" ? Ba() : Ha();
    b.DateTime(fields[0], fields[1], fields[2], fields[3], fields[4], fields[5], fields[6]);
    rig.Decode(b);
    if (clockStep.isValid()) {
      QCOMPARE(rig.host.clockStepTimes, QList<QDateTime>{clockStep});
      QCOMPARE(rig.ReceiverTime(), stored);
      QVERIFY(rig.state->messageDroveClock);
    } else {
      QVERIFY(rig.host.clockStepTimes.isEmpty());
      QCOMPARE(rig.host.updateClockDisplayCount, 0);
      QCOMPARE(rig.ReceiverTime(), before);
      QVERIFY(!rig.state->messageDroveClock);
    }
    // The rest of the message is decoded either way.
    QCOMPARE(rig.host.positions.size(), 1);
    QVERIFY(rig.state->replyFlags.gotEa || rig.state->replyFlags.gotBa ||
            rig.state->replyFlags.gotHa);
  }

  // After a 1PPS tick the tick has already run the clock step.
  void tickPendingSkipsTheClockStep()
  {
    Rig rig;
    rig.state->tickPending = true;
    rig.Decode(Ea());
    QVERIFY(rig.host.clockStepTimes.isEmpty());
    QCOMPARE(rig.host.updateClockDisplayCount, 0);
    QVERIFY(!rig.state->messageDroveClock);
    QVERIFY(!rig.state->tickPending);
    QCOMPARE(rig.ReceiverTime(), Utc(2024, 3, 10, 12, 34, 57));

    // An impossible time leaves the pending tick for the next message.
    rig.state->tickPending = true;
    rig.Decode(Ea().U8(8, 25));
    QVERIFY(rig.state->tickPending);
  }

  void receiverOnLocalTime()
  {
    const QByteArray oldTz = qgetenv("TZ");
    qputenv("TZ", "Europe/Berlin");
    tzset();
    Rig rig;
    rig.host.rxOnLocalTime = true;
    rig.Decode(Ea());
    QCOMPARE(rig.host.clockStepTimes, QList<QDateTime>{Utc(2024, 3, 10, 11, 34, 56)});
    qputenv("TZ", oldTz);
    tzset();
  }

  // ---- holds -----------------------------------------------------------------

  void holdsRankTheTimeMessages()
  {
    Rig rig;
    rig.Decode(Ea());
    rig.host.calls.clear();
    QCOMPARE(rig.Decode(Ba()), QStringLiteral("@@Ba ...\n"));
    QVERIFY(rig.host.calls.isEmpty());
    QVERIFY(!rig.state->replyFlags.gotBa);

    rig.Decode(Ha());
    QCOMPARE(rig.Decode(Ea()), QStringLiteral("@@Ea ...\n"));
    rig.state->eaIgnoreCountdown = 0;
    QCOMPARE(rig.Decode(Ba()), QStringLiteral("@@Ba ...\n"));  // "@@Ha" still holds
    QVERIFY(rig.Decode(Ha()).startsWith(QStringLiteral("@@Ha, ")));  // never held

    // The ticks count the holds down.
    rig.state->haIgnoreCountdown = 0;
    QVERIFY(rig.Decode(Ea()).startsWith(QStringLiteral("@@Ea, ")));
    rig.state->eaIgnoreCountdown = 0;
    QVERIFY(rig.Decode(Ba()).startsWith(QStringLiteral("@@Ba, ")));
    QVERIFY(rig.state->replyFlags.gotBa);
  }

  // Without 1PPS ticks nothing counts down: a hold lapses 5 s after the
  // message that set it.
  void holdsLapseWithoutTicks_data()
  {
    QTest::addColumn<int>("elapsedMs");
    QTest::addColumn<bool>("held");
    QTest::newRow("4999 ms") << 4999 << true;
    QTest::newRow("5000 ms") << 5000 << false;
    QTest::newRow("an hour") << 3600000 << false;
  }
  void holdsLapseWithoutTicks()
  {
    QFETCH(int, elapsedMs);
    QFETCH(bool, held);
    Rig rig;
    rig.Decode(Ha());
    rig.clock.Advance(elapsedMs);
    QCOMPARE(rig.state->haIgnoreCountdown, 5);
    QCOMPARE(rig.Decode(Ea()) == QStringLiteral("@@Ea ...\n"), held);
    QCOMPARE(rig.state->HaHoldActive(rig.clock.MonotonicMs()), held);

    // "@@Bb" redraws the table itself only when no hold is in force.
    rig.host.satelliteTableUpdates = 0;
    Rig other;
    other.Decode(Ba());
    other.clock.Advance(elapsedMs);
    other.host.satelliteTableUpdates = 0;
    other.Decode(Bb({{5, 0, 20, 100, 0}}));
    QCOMPARE(other.host.satelliteTableUpdates, held ? 0 : 1);
  }

  // ---- @@Ba, @@Ha ------------------------------------------------------------

  void baDecodes()
  {
    Rig rig;
    rig.host.SetDops(1.2, 0.9, 0.7, 0.6, 0.5);
    const QString row = QStringLiteral(
        "03/10/2024, 12:34:56.250000000, -1.20600000e+08, 5.44500000e+08, 4567.00, 2345.00, "
        "1.50, 123.4, PDOP, 2.5, 9, 7, 0x20, 5, 8, 45, 0xa8, 0, 0, 0, 0x00, 0, 0, 0, 0x00, 0, 0, "
        "0, 0x00, 0, 0, 0, 0x00, 0, 0, 0, 0x00");
    QCOMPARE(rig.Decode(Ba()), QStringLiteral("@@Ba, ") + row + QLatin1Char('\n'));
    QCOMPARE(rig.host.positions[0].height, 45.67);
    QCOMPARE(rig.host.statusMessage, QStringLiteral("3-D Fix"));
    QCOMPARE(rig.host.dopsMessage,
             QStringLiteral("DOPs:  G=1.2  P=0.9  H=0.7  V=0.6  T=0.5 "));
    QCOMPARE(rig.host.antennaStatus, -100);  // "@@Ba" has no antenna bits
    QCOMPARE(rig.host.fixStatus, 2);
    QCOMPARE(rig.state->baIgnoreCountdown, 5);
    QVERIFY(rig.state->replyFlags.gotBa);

    rig.state->baIgnoreCountdown = 0;
    rig.Decode(Ba().U8(64, 0x30));
    QCOMPARE(rig.host.dopsMessage, QString());
  }

  void haDecodes()
  {
    Rig rig;
    receiverIdentity.model = GpsRxModel::M12;
    const QString row = QStringLiteral(
        "03/10/2024, 12:34:56.250000000, 1.89000100e+08, -2.25001000e+07, 60.10, 15.10, 2.00, "
        "1.50, 90.0, PDOP, 1.3, 11, 8, 0xE044, \"ABCDEF\", 3, 8, 47, 20, 0x01a7, 17, 6, 38, 0, "
        "0x0025, 0, 0, 0, 0, 0x0000, 0, 0, 0, 0, 0x0000, 0, 0, 0, 0, 0x0000, 0, 0, 0, 0, 0x0000, "
        "0, 0, 0, 0, 0x0000, 0, 0, 0, 0, 0x0000, 0, 0, 0, 0, 0x0000, 0, 0, 0, 0, 0x0000, 0, 0, 0, "
        "0, 0x0000, 0, 0, 0, 0, 0x0000, 0, 0, 12345, -678, 45.5, 0x12, 0x123456");
    QCOMPARE(rig.Decode(Ha()), QStringLiteral("@@Ha, ") + row + QLatin1Char('\n'));
    QCOMPARE(rig.host.clockStepTimes, QList<QDateTime>{Utc(2024, 3, 10, 12, 34, 56)});
    QCOMPARE(rig.ReceiverTime(), Utc(2024, 3, 10, 12, 34, 57));
    // The filtered position is the fix.
    QCOMPARE(rig.host.positions[0].latitude, 52.5);
    QCOMPARE(rig.host.positions[0].longitude, -6.25);
    QCOMPARE(rig.host.positions[0].height, 60.0);
    QCOMPARE(rig.host.positions[0].mslHeight, 15.0);
    QCOMPARE(rig.host.speed, 200 * 0.019425);
    QCOMPARE(rig.host.heading, 90.0);
    // Channel status from the two status bytes.
    QCOMPARE(int(rig.state->satellites[3].status), 0xA9);
    QCOMPARE(int(rig.state->satellites[17].status), 0x20);
    QCOMPARE(rig.state->satellites[3].cno, 47);
    QCOMPARE(int(rig.state->satellites[17].channelMode), 6);
    // Status, antenna after the channels.
    QCOMPARE(rig.host.statusMessage, QStringLiteral("3-D Fix, DGPS"));
    QCOMPARE(rig.host.dopsMessage, QStringLiteral("PDOP =  1.3"));
    QCOMPARE(rig.host.navStatus, 0);
    QCOMPARE(rig.host.fixStatus, 2);
    QCOMPARE(rig.host.antennaStatus, 2);
    QCOMPARE(rig.host.satsVisibleText, QStringLiteral("11 Visible"));
    QVERIFY(rig.host.calls.indexOf(QStringLiteral("SetAntennaStatus(2)")) >
            rig.host.calls.indexOf(QStringLiteral("ShowPosition")));
    QCOMPARE(rig.state->haIgnoreCountdown, 5);
    QVERIFY(rig.state->replyFlags.gotHa);
  }

  void haStatusTexts_data()
  {
    QTest::addColumn<int>("fixByte");
    QTest::addColumn<int>("flags");
    QTest::addColumn<QString>("statusText");
    QTest::addColumn<QString>("dopText");
    QTest::addColumn<int>("navStatus");
    QTest::addColumn<int>("fixStatus");
    QTest::addColumn<int>("antenna");
    QTest::newRow("no fix") << 0x20 << 0x00 << "" << "" << -1 << 0 << 0;
    QTest::newRow("poor geometry") << 0x40 << 0x00 << "Poor Geometry" << "" << 1 << 0 << 0;
    QTest::newRow("acquiring") << 0x60 << 0x00 << "Acquiring Satellites" << "" << 1 << 0 << 0;
    QTest::newRow("position hold") << 0x80 << 0x00 << "Position Hold" << "" << 1 << 1 << 0;
    QTest::newRow("propagate") << 0xA0 << 0x00 << "Position Propagate Mode" << "" << 0 << 4
                               << 0;
    QTest::newRow("2-D") << 0xC0 << 0x00 << "Altitude Hold (2-D Fix)" << "HDOP =  1.3" << 0
                         << 0 << 0;
    QTest::newRow("3-D and hold flag") << 0xE0 << 0x20 << "3-D Fix" << "PDOP =  1.3" << 1 << 3
                                       << 0;
    QTest::newRow("cold start hides too few")
        << 0xE0 << 0x88 << "3-D Fix, Cold Start or Bad Almanac" << "PDOP =  1.3" << 0 << 2 << 0;
    QTest::newRow("too few satellites, DGPS")
        << 0x00 << 0x48 << "Insufficient Satellites (<3), DGPS" << "" << -1 << 0 << 0;
    QTest::newRow("survey beats hold") << 0x80 << 0x30 << "Position Hold" << "" << 2 << 1 << 0;
    QTest::newRow("antenna short") << 0xE0 << 0x02 << "3-D Fix" << "PDOP =  1.3" << 0 << 2 << 1;
    QTest::newRow("antenna no power") << 0xE0 << 0x06 << "3-D Fix" << "PDOP =  1.3" << 0 << 2
                                      << 3;
  }
  void haStatusTexts()
  {
    QFETCH(int, fixByte);
    QFETCH(int, flags);
    QFETCH(QString, statusText);
    QFETCH(QString, dopText);
    QFETCH(int, navStatus);
    QFETCH(int, fixStatus);
    QFETCH(int, antenna);
    Rig rig;
    rig.Decode(Ha().U8(129, quint8(fixByte)).U8(130, quint8(flags)));
    QCOMPARE(rig.host.statusMessage, statusText);
    QCOMPARE(rig.host.dopsMessage, dopText);
    QCOMPARE(rig.host.navStatus, navStatus);
    QCOMPARE(rig.host.fixStatus, fixStatus);
    QCOMPARE(rig.host.antennaStatus, antenna);
  }

  // Models that leave the sea-level height at 0 get it from the geoid.
  void geoidHeight_data()
  {
    QTest::addColumn<QByteArray>("identifier");
    QTest::addColumn<int>("model");
    QTest::addColumn<int>("mslCm");
    QTest::addColumn<double>("msl");
    QTest::newRow("Ea UT+") << QByteArray("Ea") << int(GpsRxModel::UTPlus) << 0 << 45.67 - 40.5;
    QTest::newRow("Ea CNXT") << QByteArray("Ea") << int(GpsRxModel::CnxtNvmn) << 0
                             << 45.67 - 40.5;
    QTest::newRow("Ea M12") << QByteArray("Ea") << int(GpsRxModel::M12) << 0 << 0.0;
    QTest::newRow("Ea UT+ with height") << QByteArray("Ea") << int(GpsRxModel::UTPlus) << 100
                                        << 1.0;
    QTest::newRow("Ba M12M") << QByteArray("Ba") << int(GpsRxModel::M12M) << 0 << 45.67 - 40.5;
    QTest::newRow("Ba PVT6") << QByteArray("Ba") << int(GpsRxModel::PVT6) << 0 << 0.0;
    QTest::newRow("Ha M12") << QByteArray("Ha") << int(GpsRxModel::M12) << 0 << 60.0 - 40.5;
    QTest::newRow("Ha SIGNAV") << QByteArray("Ha") << int(GpsRxModel::Signav) << 0
                               << 60.0 - 40.5;
    QTest::newRow("Ha UT+") << QByteArray("Ha") << int(GpsRxModel::UTPlus) << 0 << 0.0;
  }
  void geoidHeight()
  {
    QFETCH(QByteArray, identifier);
    QFETCH(int, model);
    QFETCH(int, mslCm);
    QFETCH(double, msl);
    Rig rig;
    rig.host.geoidSeparation = 40.5;
    receiverIdentity.model = model;
    OncoreMessageBuilder b = identifier == "Ea" ? Ea() : identifier == "Ba" ? Ba() : Ha();
    rig.Decode(b.I32(27, mslCm));
    QCOMPARE(rig.host.positions.size(), 1);
    QVERIFY(qAbs(rig.host.positions[0].mslHeight - msl) < 1e-9);
  }

  // Models that report a signal level get a C/No from its logarithm.
  void channelCNo_data()
  {
    QTest::addColumn<int>("model");
    QTest::addColumn<int>("level");
    QTest::addColumn<int>("cno");
    QTest::newRow("M12 as received") << int(GpsRxModel::M12) << 45 << 45;
    QTest::newRow("VP 100") << int(GpsRxModel::VP) << 100 << 45;
    QTest::newRow("XT 1") << int(GpsRxModel::XT) << 1 << 5;
    QTest::newRow("PVT6 255") << int(GpsRxModel::PVT6) << 255 << 53;
    QTest::newRow("VP6 level 0") << int(GpsRxModel::VP6) << 0 << 0;
  }
  void channelCNo()
  {
    QFETCH(int, model);
    QFETCH(int, level);
    QFETCH(int, cno);
    Rig rig;
    receiverIdentity.model = model;
    rig.Decode(Ea().U8(42, quint8(level)));
    QCOMPARE(rig.state->satellites[5].cno, cno);
  }

  // With neither the raw-data window nor the log gate open, the state
  // still changes but no row is built.
  void closedTextGate()
  {
    Rig rig;
    rig.state->rawDataWindowOpened = false;
    rig.host.gpsLogType = 2;
    QCOMPARE(rig.Decode(Ea()), QStringLiteral("@@Ea ...\n"));
    QCOMPARE(rig.host.positions.size(), 1);
    QVERIFY(rig.state->replyFlags.gotEa);
    QVERIFY(rig.host.gpsLog.isEmpty());
    QCOMPARE(rig.Decode(Hb()), QStringLiteral("@@Hb ...\n"));
    QCOMPARE(rig.Decode(OncoreMessageBuilder("Hr", 167)), QStringLiteral("@@Hr ...\n"));
    QCOMPARE(rig.Decode(ChannelTimes("Eg", 155)), QStringLiteral("@@Eg ...\n"));
    QCOMPARE(rig.Decode(ChannelTimes("Bg", 119)), QStringLiteral("@@Bg ...\n"));
    QCOMPARE(rig.Decode(Bb({{5, -1200, 45, 180, 0}})), QStringLiteral("@@Bb ...\n"));
    QCOMPARE(rig.state->satellites[5].elevation, 45);
    QCOMPARE(rig.state->satellites[5].trend, -1);
    QCOMPARE(rig.Decode(Dops("Ek", 68)), QStringLiteral("@@Ek ...\n"));
    QCOMPARE(rig.host.dops[1], 9 * 0.1);

    rig.state->logRecordGate = true;
    rig.state->eaIgnoreCountdown = 0;
    QVERIFY(rig.Decode(Ea()).startsWith(QStringLiteral("@@Ea, ")));
    QCOMPARE(rig.host.gpsLog.size(), 1);
  }

  // ---- @@Hb, @@Hr, @@Eq ------------------------------------------------------

  void hbDecodes()
  {
    Rig rig;
    rig.host.gpsLogType = 2;
    const QString row = QStringLiteral(
        "03/10/2024, 12:34:56.250000000, 1.89000000e+08, -2.25000000e+07, 60.00, 15.00, 2.00, "
        "1.50, 90.0, HDOP, 1.3, 11, 8,0x8016, \"HBTAG1\"");
    QCOMPARE(rig.Decode(Hb()), QStringLiteral("@@Hb, ") + row + QLatin1Char('\n'));
    QCOMPARE(rig.host.gpsLog, QStringList{row});
    QCOMPARE(rig.host.navStatus, 2);
    QCOMPARE(rig.state->antennaStatus, 3);
    // Stored only: no label, no time, no position, no hold, no reply flag.
    QCOMPARE(rig.host.calls,
             (QStringList{"SetNavStatus(2)", "UpdateSatelliteTable"}));
    QCOMPARE(rig.state->haIgnoreCountdown, 0);
    QVERIFY(!rig.state->replyFlags.gotHa);
  }

  void hrDecodes()
  {
    Rig rig;
    OncoreMessageBuilder b("Hr", 167);
    b.I8(4, 3).U8(5, 10).U16(6, 2024).U8(8, 12).U8(9, 34).U8(10, 56).U16(11, 2301);
    b.I32(13, 123456).I32(17, 189000000).I32(21, -22500000).I32(25, 6000).U16(29, 250);
    b.U16(31, 455).U16(33, 0x0102).U16(35, 17).U8(37, 1).U8(38, 9).U16(39, 0xBEEF);
    b.Bytes(161, "HRTAG1");
    QCOMPARE(rig.Decode(b),
             QStringLiteral("@@Hr, 03/10/2024, 12:34:56, 2301, 123456, 1.89000000e+08, "
                            "-2.25000000e+07, 60.00, 2.50, 45.5, HDOP, 1.7, 9, 0xbeef, 0x0102, "
                            "\"HRTAG1\"\n"));
    QVERIFY(rig.host.calls.isEmpty());
  }

  void eqShowsItsOwnText()
  {
    Rig rig;
    QCOMPARE(rig.Decode(QByteArray("@@EqHELLO,12")), QStringLiteral("@@EqHELLO,12\n"));
    QVERIFY(rig.host.calls.isEmpty());
  }

  // ---- @@Bb ------------------------------------------------------------------

  void bbFillsSkyPositions()
  {
    Rig rig;
    rig.state->satellites[12].cno = 33;  // a channel field: "@@Bb" leaves it
    const QString line = rig.Decode(Bb({{5, -1200, 45, 180, 0}, {0, 99, 9, 9, 9}, {12, 300, 10, 270, 16}}));
    QCOMPARE(line, QStringLiteral("@@Bb 3 Prn, Doppler, El, Az, Hlth; 5 -1200 45 180 0; "
                                  "12 300 10 270 16; \n"));
    QCOMPARE(rig.state->lastBbAnswerMs, rig.clock.NowMSecsSinceEpoch());
    const SatelliteRecord &s5 = rig.state->satellites[5];
    QCOMPARE(s5.identifier, 5);
    QCOMPARE(s5.elevation, 45);
    QCOMPARE(s5.azimuth, 180);
    QCOMPARE(s5.trend, -1);
    QCOMPARE(rig.state->satellites[12].trend, 1);
    QCOMPARE(rig.state->satellites[12].cno, 33);
    QCOMPARE(rig.state->satellites[0].identifier, 0);  // the empty entry
    QCOMPARE(rig.state->satellites[9].identifier, 0);
    QCOMPARE(rig.host.satelliteTableUpdates, 1);
  }

  // A zero Doppler takes the sign of the elevation trend.
  void bbZeroDopplerFollowsTheTrend()
  {
    Rig rig;
    rig.Decode(Bb({{9, 0, 20, 100, 0}}));
    QCOMPARE(rig.state->satellites[9].trend, 0);  // no trend known yet
    rig.Decode(Bb({{9, 0, 21, 100, 0}}));
    QCOMPARE(rig.state->satellites[9].trend, 0);
    rig.Decode(Bb({{9, 0, 22, 100, 0}}));
    QCOMPARE(rig.state->satellites[9].trend, 1);
    // Elevation 0 and 91: stored, trend untouched.
    rig.Decode(Bb({{9, 0, 0, 300, 0}}));
    QCOMPARE(rig.state->satellites[9].elevation, 0);
    QCOMPARE(rig.state->satellites[9].azimuth, 300);
    QCOMPARE(rig.state->satellites[9].trend, 1);
    rig.Decode(Bb({{9, 0, 91, 300, 0}}));
    QCOMPARE(rig.state->satellites[9].elevation, 91);
    QCOMPARE(rig.state->previousElevation[9], 22);
  }

  void bbCountBeyondTheMessage_data()
  {
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("entries");
    QTest::addColumn<int>("read");
    QTest::newRow("count 0") << 0 << 2 << 0;
    QTest::newRow("count above entries") << 10 << 2 << 2;
    QTest::newRow("count 255, 70 entries") << 255 << 70 << 64;
    QTest::newRow("count below entries") << 1 << 3 << 1;
  }
  void bbCountBeyondTheMessage()
  {
    QFETCH(int, count);
    QFETCH(int, entries);
    QFETCH(int, read);
    Rig rig;
    QList<QList<int>> list;
    for (int k = 0; k < entries; ++k)
      list << QList<int>{k + 1, 0, 10, 20, 0};
    const QString line = rig.Decode(Bb(list, count));
    QVERIFY(line.startsWith(QStringLiteral("@@Bb %1 Prn, Doppler, El, Az, Hlth; ").arg(count)));
    QCOMPARE(line.count(QLatin1Char(';')), read + 1);
    for (int k = 0; k < entries; ++k)
      QCOMPARE(rig.state->satellites[k + 1].identifier, k < read ? k + 1 : 0);
    QCOMPARE(rig.host.satelliteTableUpdates, 1);
  }

  // ---- @@Bk, @@Ek ------------------------------------------------------------

  void dopMessages_data()
  {
    QTest::addColumn<QByteArray>("identifier");
    QTest::addColumn<int>("length");
    QTest::addColumn<QString>("line");
    const QString fields = QStringLiteral(
        " GDOP = 1.2, PDOP =  0.9, HDOP =  0.7, VDOP =  0.6, TDOP = 0.5, Mag Var = 6543.6, "
        "Vel_N = -10.0 m/s, Vel_E = 2.5 m/s, Vel_Up = -0.3 m/s, Diff Corr Age = 12.3");
    QTest::newRow("Bk") << QByteArray("Bk") << 66 << "@@Bk" + fields + " ...\n";
    QTest::newRow("Ek") << QByteArray("Ek") << 68 << "@@Ek" + fields + "...\n";
  }
  void dopMessages()
  {
    QFETCH(QByteArray, identifier);
    QFETCH(int, length);
    QFETCH(QString, line);
    Rig rig;
    QCOMPARE(rig.Decode(Dops(identifier.constData(), length)), line);
    QCOMPARE(rig.host.dops[0], 12 * 0.1);
    QCOMPARE(rig.host.dops[1], 9 * 0.1);
    QCOMPARE(rig.host.dops[2], 7 * 0.1);
    QCOMPARE(rig.host.dops[3], 6 * 0.1);
    QCOMPARE(rig.host.dops[4], 5 * 0.1);
    QVERIFY(!rig.host.calls.contains(QStringLiteral("ShowDgpsMessage")));
    QCOMPARE(rig.state->dgpsInputState, 0);
  }

  void dopMessagesShowTheCorrectionAge()
  {
    Rig rig;
    rig.state->dgpsInputState = 1;
    rig.Decode(Dops("Bk", 66));
    QCOMPARE(rig.host.dgpsMessage, QStringLiteral("Receiving DGPS, Age 12.3 sec"));
    QCOMPARE(rig.state->dgpsInputState, 1);
    // Age 0: shown once more, then corrections count as stopped.
    rig.Decode(Dops("Ek", 68).U16(22, 0));
    QCOMPARE(rig.host.dgpsMessage, QStringLiteral("Receiving DGPS, Age 0.0 sec"));
    QCOMPARE(rig.state->dgpsInputState, 0);
    rig.host.dgpsMessage.clear();
    rig.Decode(Dops("Bk", 66));
    QCOMPARE(rig.host.dgpsMessage, QString());
    // DGPS from NMEA (state 2) is not the Oncore decoder's to show.
    rig.state->dgpsInputState = 2;
    rig.Decode(Dops("Bk", 66));
    QCOMPARE(rig.host.dgpsMessage, QString());
  }

  // ---- @@Bg, @@Eg ------------------------------------------------------------

  void channelTimeRows_data()
  {
    QTest::addColumn<QByteArray>("identifier");
    QTest::addColumn<int>("length");
    QTest::addColumn<QString>("line");
    QTest::newRow("Eg") << QByteArray("Eg") << 155
                        << "@@Eg, 100.500000000,5,0xA2,7.250000000,3.5000,66051,513" +
                               QStringLiteral(",0,0x00,0.000000000,0.0000,0,0").repeated(7) + "\n";
    QTest::newRow("Bg") << QByteArray("Bg") << 119
                        << "@@Bg, 100.500000000,5, 0xA2, 7.250000000, 3.5000, 66051,513" +
                               QStringLiteral(", 0, 0x00, 0.000000000, 0.0000, 0,0").repeated(5) +
                               "\n";
  }
  void channelTimeRows()
  {
    QFETCH(QByteArray, identifier);
    QFETCH(int, length);
    QFETCH(QString, line);
    Rig rig;
    rig.host.gpsLogType = 2;
    QCOMPARE(rig.Decode(ChannelTimes(identifier.constData(), length)), line);
    QVERIFY(rig.host.gpsLog.isEmpty());  // never a PVT row
    QVERIFY(rig.host.calls.isEmpty());
  }
};

RIDUDER_TEST_MAIN(TestOncoreDecoder)
#include "tst_oncoredecoder.moc"
