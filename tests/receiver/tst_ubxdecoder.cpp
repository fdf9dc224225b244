#include "TestMain.h"

#include "RecordingDecoderHost.h"
#include "UbxMessageBuilder.h"

#include "core/ReceiverReplyFlags.h"
#include "core/ReceiverState.h"
#include "receiver/decode/UbxDecoder.h"

#include <memory>
#include <time.h>

using riduder::test::RecordingDecoderHost;
using riduder::test::UbxMessageBuilder;

namespace {

constexpr quint8 Nav = 0x01, Rxm = 0x02, Inf = 0x04, Ack = 0x05, Cfg = 0x06, Upd = 0x09,
                 Mon = 0x0A, Aid = 0x0B, Tim = 0x0D;

// One decoder with its state and a recording host; field texts on.
struct Rig {
  Rig() : state(std::make_unique<ReceiverState>()), host(state.get()), decoder(*state, host)
  {
    state->rawDataWindowOpened = true;
  }
  QString Decode(const QByteArray &frame) { return decoder.Decode(frame); }
  QString Decode(const UbxMessageBuilder &b) { return decoder.Decode(b.Frame()); }
  QDateTime ReceiverTime() const { return state->receiverTime.addSecs(0); }

  std::unique_ptr<ReceiverState> state;
  RecordingDecoderHost host;
  UbxDecoder decoder;
};

QDateTime Utc(int y, int mo, int d, int h, int mi, int s)
{
  return QDateTime(QDate(y, mo, d), QTime(h, mi, s), Qt::UTC);
}

UbxMessageBuilder TimeUtc(int year, int month, int day, int hour, int minute, int second,
                          quint8 valid = 0x37)
{
  UbxMessageBuilder b(Nav, 0x21, 20);
  b.U4(0, 237887000).U4(4, 25).I4(8, -4321).U2(12, quint16(year)).U1(14, quint8(month));
  b.U1(15, quint8(day)).U1(16, quint8(hour)).U1(17, quint8(minute)).U1(18, quint8(second));
  b.U1(19, valid);
  return b;
}

UbxMessageBuilder NavStatus(quint8 gpsFix)
{
  UbxMessageBuilder b(Nav, 0x03, 16);
  b.U4(0, 1000).U1(4, gpsFix).U1(5, 0xDD).U1(6, 0x00).U1(7, 8).U4(8, 15100).U4(12, 123456);
  return b;
}

UbxMessageBuilder TimSvin(bool active)
{
  UbxMessageBuilder b(Tim, 0x04, 28);
  b.U4(0, 86400).U4(20, 43200).U1(24, 1).U1(25, active ? 1 : 0);
  return b;
}

UbxMessageBuilder MonHw(int length, quint8 aStatus)
{
  UbxMessageBuilder b(Mon, 0x09, length);
  b.U4(0, 0x1EFFF).U4(8, 0x10000).U4(12, 0x1EF7F).U2(16, 84).U2(18, 4863).U1(20, aStatus);
  b.U1(21, 1).U1(22, 0x01).U1(23, 0x84).U4(24, 0xFFFFF);
  // The fields of the 60-byte layout; the 68-byte one has them 8 bytes on.
  b.U1(45, 7).U4(48, 0x1234).U4(52, 0x77).U4(56, 0x100);
  if (length == 68)
    b.U1(53, 9).U4(56, 0xABC).U4(60, 0x1E).U4(64, 0x100);
  return b;
}

UbxMessageBuilder CfgTp5(quint8 tpIdx, quint8 flags)
{
  UbxMessageBuilder b(Cfg, 0x31, 32);
  b.U1(0, tpIdx).I2(4, 50).I2(6, -3).U4(8, 1000000).U4(12, 1000000);
  b.U4(16, 0x80000000u).U4(20, 0x40000123u).I4(24, -10).U1(28, flags);
  return b;
}

// A channel block of NAV-SVINFO.
struct Channel {
  quint8 svid, flags, quality, cno;
  qint8 elevation;
  qint16 azimuth;
  qint32 prRes;
};

UbxMessageBuilder Svinfo(const QList<Channel> &channels, int numCh = -1)
{
  UbxMessageBuilder b(Nav, 0x30, 8 + 12 * int(channels.size()));
  b.U4(0, 5000).U1(4, quint8(numCh < 0 ? channels.size() : numCh)).U1(5, 0x04);
  for (int k = 0; k < channels.size(); ++k) {
    const int at = 8 + 12 * k;
    const Channel &c = channels[k];
    b.U1(at, quint8(k)).U1(at + 1, c.svid).U1(at + 2, c.flags).U1(at + 3, c.quality);
    b.U1(at + 4, c.cno).I1(at + 5, c.elevation).I2(at + 6, c.azimuth).I4(at + 8, c.prRes);
  }
  return b;
}

// Software, hardware and extension strings padded to their fields.
UbxMessageBuilder MonVer(const QByteArray &software, const QByteArray &hardware,
                         const QList<QByteArray> &extensions)
{
  UbxMessageBuilder b(Mon, 0x04, 40 + 30 * int(extensions.size()));
  b.Bytes(0, software.left(30)).Bytes(30, hardware.left(10));
  for (int k = 0; k < extensions.size(); ++k)
    b.Bytes(40 + 30 * k, extensions[k].left(30));
  return b;
}

// AID-HUI with its UTC fields; the event day counted from 6 January 1980.
UbxMessageBuilder AidHui(qint16 utcLs, qint16 utcLsf, const QDate &eventDay, quint8 flags)
{
  const qint64 days = QDate(1980, 1, 6).daysTo(eventDay);
  const quint16 week = quint16((days - 1) / 7);
  const quint16 day = quint16(days - 7 * week);  // 1 to 7
  UbxMessageBuilder b(Aid, 0x02, 72);
  b.U4(0, 0xFFFFFFFF).I2(26, utcLs).U2(28, week).U2(30, day).I2(32, utcLsf).U4(68, flags);
  return b;
}

}  // namespace

class TestUbxDecoder : public QObject {
  Q_OBJECT

private slots:
  // Bytes that are not a whole UBX frame give an empty line and reach
  // neither the log nor the state.
  void notAFrame_data()
  {
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray posllh = UbxMessageBuilder(Nav, 0x02, 28).Frame();
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("seven bytes") << posllh.left(7);
    QTest::newRow("NMEA sentence") << QByteArray("$GPGGA,123519,4807.038,N,01131.000,E,1,08");
    QTest::newRow("no sync byte") << QByteArray(1, 'x') + posllh.mid(1);
    QTest::newRow("cut short of its length") << posllh.left(posllh.size() - 3);
  }
  void notAFrame()
  {
    QFETCH(QByteArray, bytes);
    Rig rig;
    rig.host.gpsLogType = 2;
    QCOMPARE(rig.Decode(bytes), QString());
    QVERIFY(rig.host.binaryLog.isEmpty());
    QVERIFY(rig.host.calls.isEmpty());
    QVERIFY(rig.host.gpsLog.isEmpty());
  }

  // Messages shown field by field: the line is the name and the fields, the
  // PVT log gets the fields alone.
  void fieldTexts_data()
  {
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("fields");

    QTest::newRow("NAV-POSECEF")
        << UbxMessageBuilder(Nav, 0x01, 20).U4(0, 123456789).I4(4, -1510299).I4(8, 3483497)
               .I4(12, -5108533).U4(16, 552).Frame()
        << "UBX-NAV-POSECEF"
        << "iTOW = 123456789, ecefX = -1510299, ecefY = 3483497, ecefZ = -5108533, pAcc = 552";
    QTest::newRow("NAV-POSLLH")
        << UbxMessageBuilder(Nav, 0x02, 28).U4(0, 237887000).I4(4, -688066651)
               .I4(8, 447654405).I4(12, 13684).I4(16, 43156).U4(20, 20619).U4(24, 14580).Frame()
        << "UBX-NAV-POSLLH"
        << "iTOW = 237887000, lon = -68.80666510, lat = 44.76544050, height = 13.684, "
           "MSL = 43.156, hAcc = 20619, vAcc = 14580";
    QTest::newRow("NAV-STATUS") << NavStatus(3).Frame() << "UBX-NAV-STATUS"
                                << "iTOW = 1000, gpsFix = 3, flags = 0xDD, diffStat = 0x00, "
                                   "res = 8, ttff = 15100, msss = 123456";
    QTest::newRow("NAV-DOP")
        << UbxMessageBuilder(Nav, 0x04, 18).U4(0, 2000).U2(4, 366).U2(6, 321).U2(8, 174)
               .U2(10, 295).U2(12, 128).U2(14, 90).U2(16, 91).Frame()
        << "UBX-NAV-DOP"
        << "iTOW = 2000, gDOP = 3.66, pDOP = 3.21, tDOP = 1.74, vDOP = 2.95, hDOP = 1.28, "
           "nDOP = 0.90, eDOP = 0.91";
    // The heading is the field at 24 (1e-5 degrees), not the north velocity.
    QTest::newRow("NAV-VELNED")
        << UbxMessageBuilder(Nav, 0x12, 36).U4(0, 1000).I4(4, 777777).U4(20, 25)
               .I4(24, 21787650).Frame()
        << "UBX-NAV-VELNED" << "iTOW = 1000, Ground Speed = 25 cm/sec, Heading = 217.9 degrees";
    QTest::newRow("NAV-TIMEGPS")
        << UbxMessageBuilder(Nav, 0x20, 16).U4(0, 237887000).I4(4, -5).U2(8, 2146).I1(10, 18)
               .U1(11, 0x07).Frame()
        << "UBX-NAV-TIMEGPS" << "iTOW = 237887000 ... week = 2146, leap seconds = 18, valid = 07";
    QTest::newRow("NAV-TIMEUTC")
        << TimeUtc(2021, 2, 23, 18, 4, 29).Frame() << "UBX-NAV-TIMEUTC"
        << "iTOW = 237887000, tAcc = 25, nano = -4321, date (YMD) 2021, 2, 23, "
           "Time = 18:04:29, valid = 37";
    QTest::newRow("MON-HW 60 bytes")
        << MonHw(60, 2).Frame() << "UBX-MON-HW"
        << "pinSel = 1EFFF, pinBank = 0000, pinDir = 10000, pinVal = 1EF7F, noisePerMS = 84, "
           "agcCnt = 4863, aStatus = 2, aPower = 1, flags = 1, res1 = 132, usedMask = 1048575, "
           "jamInd = 7, pinIrq = 1234, pullH = 0077, pullL = 0100";
    QTest::newRow("MON-HW 68 bytes")
        << MonHw(68, 2).Frame() << "UBX-MON-HW"
        << "pinSel = 1EFFF, pinBank = 0000, pinDir = 10000, pinVal = 1EF7F, noisePerMS = 84, "
           "agcCnt = 4863, aStatus = 2, aPower = 1, flags = 1, res1 = 132, usedMask = 1048575, "
           "jamInd = 9, pinIrq = 0ABC, pullH = 001E, pullL = 0100";
    const auto prt = [](quint8 port) {
      return UbxMessageBuilder(Cfg, 0x00, 20).U1(0, port).U4(4, 0x8D0).U4(8, 9600).U2(12, 7)
          .U2(14, 1).Frame();
    };
    QTest::newRow("CFG-PRT") << prt(1) << "UBX-CFG-PRT"
                             << "portID = UART #1, res0 = 0, res1 = 0, mode = 000008D0, "
                                "baudRate = 9600, inProtoMask = 0007, outProtoMask = 0001, "
                                "flags = 0000, pad = 0";
    QTest::newRow("CFG-PRT unknown port")
        << prt(7) << "UBX-CFG-PRT"
        << "portID = unknown, res0 = 0, res1 = 0, mode = 000008D0, baudRate = 9600, "
           "inProtoMask = 0007, outProtoMask = 0001, flags = 0000, pad = 0";
    QTest::newRow("CFG-TP")
        << UbxMessageBuilder(Cfg, 0x07, 20).U4(0, 1000000).U4(4, 100000).I1(8, -1).U1(9, 1)
               .U1(10, 5).I2(12, 50).I2(14, -20).I4(16, -123).Frame()
        << "UBX-CFG-TP"
        << "interval = 1000000 us, length = 100000 us, status = -1, timeRef = 1, flags = 5, "
           "res = 0, antennaCableDelay = 50 ns, rfGroupDelay = -20 ns, userDelay = -123 ns";
    const QString tp5 = "TimePulse%1, res0 = 0, res1 = 0, antCableDelay = 50 ns, "
                        "rfGroupDelay = -3 ns, freqPeriod = 1000000 %2, freqPeriodLock = 1000000 "
                        "%2, %3, userDelay = -10 ns, ubx_flags = 0x%4";
    const QString ratios = "pulseLenRatio = 0.500000 ratio, pulseLenRatioLock = 0.250000 ratio";
    const QString lengths = "pulseLenRatio = 2147483648 us, pulseLenRatioLock = 1073742115 us";
    QTest::newRow("CFG-TP5 period, ratio")
        << CfgTp5(0, 0x07).Frame() << "UBX-CFG-TP5" << tp5.arg(0).arg("us", ratios, "7");
    QTest::newRow("CFG-TP5 frequency, ratio")
        << CfgTp5(1, 0x0F).Frame() << "UBX-CFG-TP5" << tp5.arg(1).arg("Hz", ratios, "F");
    QTest::newRow("CFG-TP5 period, length")
        << CfgTp5(0, 0x17).Frame() << "UBX-CFG-TP5" << tp5.arg(0).arg("us", lengths, "17");
    QTest::newRow("CFG-TP5 frequency, length")
        << CfgTp5(0, 0x1F).Frame() << "UBX-CFG-TP5" << tp5.arg(0).arg("Hz", lengths, "1F");
    QTest::newRow("CFG-TMODE")
        << UbxMessageBuilder(Cfg, 0x1D, 28).U4(0, 2).I4(4, -151029952).I4(8, -348349794)
               .I4(12, 510853323).U4(16, 1000).U4(20, 86400).U4(24, 4000000).Frame()
        << "UBX-CFG-TMODE"
        << "timeMode = 2, fixedPosX = -151029952, fixedPosY = -348349794, fixedPosZ = 510853323, "
           "fixedPosVar = 1000, svinMinDur = 86400, svinVarLimit = 4000000";
    QTest::newRow("CFG-TMODE2")
        << UbxMessageBuilder(Cfg, 0x3D, 28).U1(0, 1).U1(1, 0xEE).U2(2, 1).I4(4, -151029952)
               .I4(12, 12).U4(16, 100).U4(20, 300).U4(24, 50000).Frame()
        << "UBX-CFG-TMODE2"
        << "timeMode = 1, flags = 1, ecefXOrLat = -151029952, ecefYOrLon = 0, ecefZOrAlt = 12, "
           "fixedPosAcc = 100, svinMinDur = 300, svinAccLimit = 50000";
    QTest::newRow("CFG-NAV5")
        << UbxMessageBuilder(Cfg, 0x24, 36).U2(0, 5).U1(2, 2).U1(3, 3).I4(4, -500).I4(8, 10000)
               .I1(12, -5).U2(14, 250).U2(16, 250).U2(18, 100).U2(20, 300).U4(32, 7).Frame()
        << "UBX-CFG-NAV5"
        << "mask = 05, dynModel = 2, fixMode = 3, fixedAlt = -500, fixedAltVar = 10000, "
           "minElev = -5, drLimit = 0, pDopMask = 250, tDopMask = 250, pAccMask = 100, "
           "tAccMask = 300, staticHoldThresh = 0, res1 = 0, res2 = 0, res3 = 0, res4 = 7";
    QTest::newRow("TIM-TP")
        << UbxMessageBuilder(Tim, 0x01, 16).U4(0, 237888000).U4(4, 0x80000000u).I4(8, -1500)
               .U2(12, 2146).U1(14, 3).Frame()
        << "UBX-TIM-TP"
        << "towMS = 237888000, towSubMS = 2147483648, qErr = -1500, week = 2146, flags = 3, "
           "res = 0";
    QTest::newRow("TIM-SVIN") << TimSvin(false).Frame() << "UBX-TIM-SVIN"
                              << "Passed survey-in observation = 86400 sec, position "
                                 "observations = 43200 sec, valid = true, active = false";
    QTest::newRow("TIM-DOSC") << UbxMessageBuilder(Tim, 0x11, 8).U4(4, 32768).Frame()
                              << "UBX-TIM-DOSC" << "ver = 0, D/A value = 32768";
  }
  void fieldTexts()
  {
    QFETCH(QByteArray, frame);
    QFETCH(QString, name);
    QFETCH(QString, fields);
    Rig rig;
    rig.host.gpsLogType = 2;
    QCOMPARE(rig.Decode(frame), name + QLatin1Char(' ') + fields + QLatin1Char('\n'));
    QCOMPARE(rig.host.binaryLog, QList<QByteArray>{frame});
    QCOMPARE(rig.host.gpsLog, QStringList{fields});
  }

  // A payload of another length than the message's layout needs is shown
  // undecoded and changes nothing; nothing past the payload is read.
  void wrongLength_data()
  {
    QTest::addColumn<quint8>("messageClass");
    QTest::addColumn<quint8>("identifier");
    QTest::addColumn<int>("length");
    QTest::addColumn<QString>("line");
    struct Layout {
      const char *name;
      quint8 messageClass, identifier;
      QList<int> wrongLengths;
    };
    const QList<Layout> layouts{
        {"NAV-POSECEF", Nav, 0x01, {19, 21}}, {"NAV-POSLLH", Nav, 0x02, {27, 29}},
        {"NAV-STATUS", Nav, 0x03, {15, 17}},  {"NAV-DOP", Nav, 0x04, {17, 19}},
        {"NAV-VELNED", Nav, 0x12, {35, 37}},  {"NAV-TIMEGPS", Nav, 0x20, {15, 17}},
        {"NAV-TIMEUTC", Nav, 0x21, {19, 21}}, {"NAV-SVINFO", Nav, 0x30, {0, 19}},
        {"MON-VER", Mon, 0x04, {0, 39}},      {"MON-HW", Mon, 0x09, {59, 61, 66, 67, 69}},
        {"AID-HUI", Aid, 0x02, {0, 71}},      {"CFG-PRT", Cfg, 0x00, {19, 21}},
        {"CFG-TP", Cfg, 0x07, {19, 21}},      {"CFG-TP5", Cfg, 0x31, {31, 33}},
        {"CFG-TMODE", Cfg, 0x1D, {27, 29}},   {"CFG-TMODE2", Cfg, 0x3D, {27, 29}},
        {"CFG-NAV5", Cfg, 0x24, {35, 37}},    {"TIM-TP", Tim, 0x01, {15, 17}},
        {"TIM-SVIN", Tim, 0x04, {27, 29}},    {"TIM-DOSC", Tim, 0x11, {7, 9}},
    };
    for (const Layout &layout : layouts) {
      const QString prefix = QStringLiteral("UBX-") + QString::fromLatin1(layout.name).left(3);
      for (int length : layout.wrongLengths)
        QTest::addRow("%s %d bytes", layout.name, length)
            << layout.messageClass << layout.identifier << length << prefix + "  ...\n";
    }
  }
  void wrongLength()
  {
    QFETCH(quint8, messageClass);
    QFETCH(quint8, identifier);
    QFETCH(int, length);
    QFETCH(QString, line);
    Rig rig;
    rig.host.gpsLogType = 2;
    rig.state->satellites[0].identifier = 99;
    rig.state->utcOffsetSeconds = 18;
    // Every byte set, so that a field read by mistake would show.
    const QByteArray frame =
        UbxMessageBuilder(messageClass, identifier, 0).Bytes(0, QByteArray(length, 0x35)).Frame();
    QCOMPARE(rig.Decode(frame), line);
    QCOMPARE(rig.host.binaryLog.size(), 1);
    QVERIFY2(rig.host.calls.isEmpty(), qPrintable(rig.host.calls.join(", ")));
    QVERIFY(rig.host.gpsLog.isEmpty());
    QVERIFY(rig.host.idLines.isEmpty());
    QCOMPARE(rig.state->satellites[0].identifier, 99);
    QCOMPARE(rig.state->utcOffsetSeconds, 18);
    QCOMPARE(rig.state->leapSecondPending, -1);
    QVERIFY(!rig.state->receiverSawtoothFresh);
    QVERIFY(!rig.state->replyFlags.gotMonVer);
  }

  // Classes without decoded messages, unknown classes and identifiers,
  // acknowledgements and the firmware-update names.
  void classes_data()
  {
    QTest::addColumn<quint8>("messageClass");
    QTest::addColumn<quint8>("identifier");
    QTest::addColumn<int>("length");
    QTest::addColumn<QString>("line");
    QTest::newRow("NAV-PVT") << Nav << quint8(0x07) << 92 << "UBX-NAV  ...\n";
    QTest::newRow("NAV-SAT") << Nav << quint8(0x35) << 188 << "UBX-NAV  ...\n";
    QTest::newRow("NAV-SOL") << Nav << quint8(0x06) << 52 << "UBX-NAV  ...\n";
    QTest::newRow("MON-RXBUF") << Mon << quint8(0x07) << 24 << "UBX-MON  ...\n";
    QTest::newRow("CFG-MSG") << Cfg << quint8(0x01) << 3 << "UBX-CFG  ...\n";
    QTest::newRow("AID-ALM") << Aid << quint8(0x30) << 8 << "UBX-AID  ...\n";
    QTest::newRow("TIM-TM2") << Tim << quint8(0x03) << 28 << "UBX-TIM  ...\n";
    QTest::newRow("RXM-RAW") << Rxm << quint8(0x10) << 8 << "UBX-RXM  ...\n";
    QTest::newRow("INF-NOTICE") << Inf << quint8(0x02) << 12 << "UBX-INF  ...\n";
    QTest::newRow("ACK-ACK") << Ack << quint8(1) << 2 << "UBX-ACK ACK\n";
    QTest::newRow("ACK-NAK") << Ack << quint8(0) << 2 << "UBX-ACK NAK\n";
    QTest::newRow("ACK other") << Ack << quint8(5) << 0 << "UBX-ACK Unknown ID ???\n";
    QTest::newRow("class 0x27") << quint8(0x27) << quint8(0) << 4
                                << "UBX-27 ??" "?-Unknown Message Class-???  ...\n";
    QTest::newRow("class 0x0C") << quint8(0x0C) << quint8(0x31) << 0
                                << "UBX-C ??" "?-Unknown Message Class-???  ...\n";
    QTest::newRow("UPD-DOWNL") << Upd << quint8(1) << 4 << "UBX-UPD-DOWNL\n";
    QTest::newRow("UPD-SOS") << Upd << quint8(20) << 4 << "UBX-UPD-SOS\n";
    QTest::newRow("UPD-RBOOT") << Upd << quint8(14) << 0 << "UBX-UPD-RBOOT\n";
    QTest::newRow("UPD 3") << Upd << quint8(3) << 4 << QString();
  }
  void classes()
  {
    QFETCH(quint8, messageClass);
    QFETCH(quint8, identifier);
    QFETCH(int, length);
    QFETCH(QString, line);
    Rig rig;
    rig.host.gpsLogType = 2;
    const QByteArray frame =
        UbxMessageBuilder(messageClass, identifier, 0).Bytes(0, QByteArray(length, 0x11)).Frame();
    QCOMPARE(rig.Decode(frame), line);
    QCOMPARE(rig.host.binaryLog, QList<QByteArray>{frame});
    QVERIFY(rig.host.calls.isEmpty());
    QVERIFY(rig.host.gpsLog.isEmpty());
  }

  // With the raw-data window never opened and no log second due, lines are
  // the names alone, nothing reaches the PVT log, and the state still moves.
  void textGateClosed()
  {
    Rig rig;
    rig.state->rawDataWindowOpened = false;
    rig.host.gpsLogType = 2;
    QCOMPARE(rig.Decode(UbxMessageBuilder(Nav, 0x02, 28).I4(8, 447654405)),
             QStringLiteral("UBX-NAV-POSLLH \n"));
    QCOMPARE(rig.host.positions.size(), 1);
    QCOMPARE(rig.host.positions[0].latitude, 44.7654405);
    QCOMPARE(rig.Decode(Svinfo({{5, 0x01, 7, 40, 30, 120, 0}})),
             QStringLiteral("UBX-NAV-SVINFO \n"));
    QCOMPARE(rig.host.satsTrackedText, QStringLiteral("1 Tracked"));
    QCOMPARE(rig.Decode(CfgTp5(0, 0x07)), QStringLiteral("UBX-CFG-TP5 \n"));
    QCOMPARE(rig.Decode(AidHui(17, 18, QDate(2017, 1, 1), 0x07)),
             QStringLiteral("UBX-AID-HUI \n"));
    QCOMPARE(rig.state->utcOffsetSeconds, 18);
    // The identification answer is shown all the same.
    QCOMPARE(rig.Decode(MonVer("ROM CORE 3.01", "00080000", {})),
             QStringLiteral("UBX-MON-VER  Software Version ROM CORE 3.01, Hardware Version "
                            "00080000\n"));
    QVERIFY(rig.host.gpsLog.isEmpty());

    // The log record gate alone opens the texts too.
    rig.state->logRecordGate = true;
    QVERIFY(rig.Decode(UbxMessageBuilder(Nav, 0x02, 28)).startsWith("UBX-NAV-POSLLH iTOW = 0"));
    QCOMPARE(rig.host.gpsLog.size(), 1);
  }

  void navPosllh()
  {
    Rig rig;
    rig.Decode(UbxMessageBuilder(Nav, 0x02, 28).I4(4, 1705001248).I4(8, -458775286)
                   .I4(12, 29234).I4(16, -1443));
    QCOMPARE(rig.host.positions.size(), 1);
    const auto &fix = rig.host.positions[0];
    QCOMPARE(fix.latitude, -45.8775286);
    QCOMPARE(fix.longitude, 170.5001248);
    QCOMPARE(fix.height, 29.234);
    QCOMPARE(fix.mslHeight, -1.443);
  }

  void navStatus_data()
  {
    QTest::addColumn<int>("gpsFix");
    QTest::addColumn<QString>("label");
    QTest::addColumn<int>("navMode");  // -1: not set
    QTest::addColumn<int>("navStatus");
    QTest::newRow("no fix") << 0 << "No Fix" << 0 << 0;
    QTest::newRow("dead reckoning") << 1 << "Dead reckoning only" << 2 << 0;
    QTest::newRow("2-D") << 2 << "2D-fix" << 2 << 0;
    QTest::newRow("3-D") << 3 << "3-D Fix" << 3 << 0;
    QTest::newRow("GPS and dead reckoning") << 4 << "GPS + dead reckoning combined" << 3 << 0;
    QTest::newRow("time only") << 5 << "Time only fix (0-D Nav)" << 1 << 1;
    QTest::newRow("unknown") << 6 << "" << -1 << -1;
  }
  void navStatus()
  {
    QFETCH(int, gpsFix);
    QFETCH(QString, label);
    QFETCH(int, navMode);
    QFETCH(int, navStatus);
    Rig rig;
    rig.host.statusMessage = QStringLiteral("old");
    rig.Decode(NavStatus(quint8(gpsFix)));
    QCOMPARE(rig.host.statusMessage, label);
    QCOMPARE(rig.host.navStatus, navStatus);
    QCOMPARE(rig.host.calls.contains(QStringLiteral("SetNavMode(%1)").arg(navMode)), navMode >= 0);
    QCOMPARE(rig.host.calls.filter("SetNavMode").size(), navMode >= 0 ? 1 : 0);
    QCOMPARE(rig.host.commands.size(), gpsFix == 5 ? 1 : 0);
  }

  // The command that stops TIM-SVIN goes out on entering the time-only fix,
  // and again only while TIM-SVIN keeps coming in that fix.
  void timeOnlyFixCommand()
  {
    Rig rig;
    const QString command = QStringLiteral("b56206010300") + QStringLiteral("0d0400");
    rig.Decode(NavStatus(5));
    QCOMPARE(rig.host.commands, QStringList{command});
    rig.Decode(NavStatus(5));
    rig.Decode(NavStatus(5));
    QCOMPARE(rig.host.commands.size(), 1);

    rig.Decode(TimSvin(false));
    QCOMPARE(rig.host.commands.size(), 1);
    rig.Decode(NavStatus(5));
    QCOMPARE(rig.host.commands.size(), 2);
    rig.Decode(NavStatus(5));
    QCOMPARE(rig.host.commands.size(), 2);

    // A TIM-SVIN in another fix does not count; a new entry sends again.
    rig.Decode(NavStatus(3));
    rig.Decode(TimSvin(false));
    QCOMPARE(rig.host.commands.size(), 2);
    rig.Decode(NavStatus(5));
    QCOMPARE(rig.host.commands.size(), 3);
    QCOMPARE(rig.host.commands.last(), command);
  }

  void timSvinSurveying()
  {
    Rig rig;
    rig.Decode(TimSvin(false));
    QVERIFY(rig.host.calls.isEmpty());
    rig.Decode(TimSvin(true));
    QCOMPARE(rig.host.calls, QStringList{"SetNavStatus(2)"});
  }

  void navDop_data()
  {
    QTest::addColumn<int>("navMode");
    QTest::addColumn<QString>("label");
    QTest::newRow("time only") << 1 << "DOPs: T = 1.7";
    QTest::newRow("3-D") << 3 << "DOPs: T = 1.7, P = 3.2, H = 1.3, V = 3.0";
    QTest::newRow("no fix") << 0 << "DOPs: T = 1.7, P = 3.2, H = 1.3, V = 3.0";
  }
  void navDop()
  {
    QFETCH(int, navMode);
    QFETCH(QString, label);
    Rig rig;
    rig.host.navMode = navMode;
    rig.Decode(UbxMessageBuilder(Nav, 0x04, 18).U2(4, 366).U2(6, 321).U2(8, 174).U2(10, 295)
                   .U2(12, 128));
    QCOMPARE(rig.host.dopsMessage, label);
    // G, P, H, V, T.
    QCOMPARE(rig.host.dops[0], 3.66);
    QCOMPARE(rig.host.dops[1], 3.21);
    QCOMPARE(rig.host.dops[2], 1.28);
    QCOMPARE(rig.host.dops[3], 2.95);
    QCOMPARE(rig.host.dops[4], 1.74);
  }

  void navTimeutc_data()
  {
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<bool>("tickPending");
    QTest::addColumn<QDateTime>("time");  // invalid: the time stays
    QTest::addColumn<bool>("clockStep");
    QTest::addColumn<bool>("illegal");
    const QByteArray valid = TimeUtc(2021, 2, 23, 18, 4, 29).Frame();
    const QByteArray notValid = TimeUtc(2021, 2, 23, 18, 4, 29, 0x03).Frame();
    const QByteArray leap = TimeUtc(2016, 12, 31, 23, 59, 60).Frame();
    const QByteArray badMonth = TimeUtc(2021, 13, 1, 0, 0, 0).Frame();
    const QByteArray badDay = TimeUtc(2021, 2, 30, 0, 0, 0).Frame();
    const QByteArray oldYear = TimeUtc(1899, 12, 31, 0, 0, 0).Frame();
    const QByteArray badHour = TimeUtc(2021, 2, 23, 24, 0, 0).Frame();
    const QByteArray badMinute = TimeUtc(2021, 2, 23, 23, 60, 0).Frame();
    const QByteArray badSecond = TimeUtc(2021, 2, 23, 23, 59, 61).Frame();
    const QDateTime none;
    QTest::newRow("valid") << valid << false << Utc(2021, 2, 23, 18, 4, 29) << true << false;
    QTest::newRow("valid after a tick")
        << valid << true << Utc(2021, 2, 23, 18, 4, 29) << false << false;
    QTest::newRow("validity bits incomplete") << notValid << false << none << false << false;
    QTest::newRow("leap second") << leap << false << Utc(2017, 1, 1, 0, 0, 0) << true << false;
    QTest::newRow("month 13") << badMonth << false << none << false << true;
    QTest::newRow("30 February") << badDay << false << none << false << true;
    QTest::newRow("year 1899") << oldYear << false << none << false << true;
    QTest::newRow("hour 24") << badHour << true << none << false << true;
    QTest::newRow("minute 60") << badMinute << false << none << false << true;
    QTest::newRow("second 61") << badSecond << false << none << false << true;
  }
  void navTimeutc()
  {
    QFETCH(QByteArray, frame);
    QFETCH(bool, tickPending);
    QFETCH(QDateTime, time);
    QFETCH(bool, clockStep);
    QFETCH(bool, illegal);
    Rig rig;
    const QDateTime before = Utc(2000, 1, 1, 0, 0, 0);
    rig.state->receiverTime.SetDateTime(before);
    rig.state->tickPending = tickPending;
    if (illegal)
      QTest::ignoreMessage(QtDebugMsg, "WARNING: Illegal date or time decoding NAV-TIMEUTC.");
    rig.Decode(frame);
    QCOMPARE(rig.ReceiverTime(), time.isValid() ? time : before);
    QCOMPARE(rig.host.clockStepTimes.size(), clockStep ? 1 : 0);
    QCOMPARE(rig.host.updateClockDisplayCount, clockStep ? 1 : 0);
    QCOMPARE(rig.state->messageDroveClock, clockStep);
    if (clockStep)
      QCOMPARE(rig.host.clockStepTimes[0], time);
    // Only a used time consumes the tick.
    QCOMPARE(rig.state->tickPending, time.isValid() ? false : tickPending);
  }

  // A receiver that sends local time: the fields become UTC.
  void navTimeutcLocalTime()
  {
    qputenv("TZ", "Europe/Berlin");
    tzset();
    Rig rig;
    rig.host.rxOnLocalTime = true;
    rig.Decode(TimeUtc(2021, 7, 1, 14, 30, 0));
    qputenv("TZ", "UTC");
    tzset();
    QCOMPARE(rig.ReceiverTime(), Utc(2021, 7, 1, 12, 30, 0));
  }

  // Records by channel index with their limits, counts, line layout and
  // the fields text of the PVT log.
  void navSvinfo()
  {
    Rig rig;
    rig.host.gpsLogType = 2;
    for (SatelliteRecord &r : rig.state->displaySatellites)
      r.identifier = 77;
    rig.state->satellites[20].identifier = 55;

    QList<Channel> channels{
        {12, 0x0D, 7, 45, 30, 120, -150},   // used
        {255, 0x01, 4, 40, 20, 90, 0},      // svid 255: no record, tracked
        {7, 0x00, 1, 0, 10, 65, 0},         // no signal: no record, visible
        {8, 0x01, 4, 30, 0, 28, 0},         // elevation 0: no record, not visible
        {130, 0x04, 7, 70, 95, 400, 12345}, // limits: 90, 359, 63
        {5, 0x01, 7, 37, -5, -1, 0},        // below the horizon
    };
    for (int k = 6; k < 12; ++k)
      channels << Channel{quint8(k + 14), 0x00, 1, quint8(20 + k), qint8(k), qint16(10 * k), k};
    const QString line = rig.Decode(Svinfo(channels));

    const SatelliteRecord &first = rig.state->satellites[0];
    QCOMPARE(first.identifier, 12);
    QCOMPARE(first.elevation, 30);
    QCOMPARE(first.azimuth, 120);
    QCOMPARE(first.cno, 45);
    QCOMPARE(int(first.inChannel), 1);
    QCOMPARE(int(first.channelMode), 7);
    QCOMPARE(int(first.status), 0x0D);
    for (int k : {1, 2, 3})
      QCOMPARE(rig.state->satellites[k].identifier, 0);
    const SatelliteRecord &limited = rig.state->satellites[4];
    QCOMPARE(limited.identifier, 130);
    QCOMPARE(limited.elevation, 90);
    QCOMPARE(limited.azimuth, 359);
    QCOMPARE(limited.cno, 63);
    QCOMPARE(int(limited.inChannel), 0);
    QCOMPARE(rig.state->satellites[5].elevation, -5);
    QCOMPARE(rig.state->satellites[5].azimuth, -1);
    QCOMPARE(rig.state->satellites[11].identifier, 25);
    // Both arrays were reset first.
    QCOMPARE(rig.state->satellites[20].identifier, 0);
    QCOMPARE(rig.state->displaySatellites[0].identifier, 0);
    QCOMPARE(rig.state->displaySatellites[255].identifier, 0);

    // Visible: elevation not 0 (11 of 12); tracked: flags bit 0 (4 of 12).
    QCOMPARE(rig.host.satsVisibleText, QStringLiteral("11 Visible"));
    QCOMPARE(rig.host.satsTrackedText, QStringLiteral("4 Tracked"));
    QCOMPARE(rig.host.satsTracked, 4);
    QCOMPARE(rig.host.satelliteTableUpdates, 1);

    const QString channel0 = QStringLiteral(
        "chn=0, svid=12, flags=0d, quality=07, cno=45, elev=30, azim=120, prRes=-150, ");
    const QString channel4 = QStringLiteral(
        "chn=4, svid=130, flags=04, quality=07, cno=70, elev=95, azim=400, prRes=12345, , ");
    const QString channel8 =
        QStringLiteral("chn=8, svid=22, flags=00, quality=01, cno=28, elev=8, azim=80, prRes=8, , ");
    const QStringList lines = line.split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 3);
    QVERIFY(lines[0].startsWith(QStringLiteral("UBX-NAV-SVINFO ") + channel0 + "chn=1, "));
    QVERIFY(lines[0].contains(channel4));
    QVERIFY(lines[0].endsWith(QStringLiteral("prRes=7, , ")));
    QVERIFY(lines[1].startsWith(QString(30, QLatin1Char(' ')) + channel8));
    QVERIFY(lines[1].endsWith(QStringLiteral("prRes=11, , ")));
    QCOMPARE(lines[2], QString());
    QCOMPARE(rig.host.gpsLog.size(), 1);
    QCOMPARE(rig.host.gpsLog[0],
             QStringLiteral("iTOW = 5000, numCh = 12, globalFlags = 04, res = 0, ") +
                 lines[0].mid(15) + lines[1].mid(30));
  }

  void navSvinfoEdges()
  {
    Rig rig;
    // No channels: both counts 0, an empty table.
    rig.state->satellites[3].identifier = 9;
    QCOMPARE(rig.Decode(Svinfo({}).Resize(20)), QStringLiteral("UBX-NAV-SVINFO \n") +
                                         QString(30, QLatin1Char(' ')) + QLatin1Char('\n'));
    QCOMPARE(rig.host.satsVisibleText, QStringLiteral("0 Visible"));
    QCOMPARE(rig.host.satsTrackedText, QStringLiteral("0 Tracked"));
    QCOMPARE(rig.state->satellites[3].identifier, 0);
    QCOMPARE(rig.host.satelliteTableUpdates, 1);

    // A channel count beyond the payload: only whole blocks are read.
    const Channel c{3, 0x01, 7, 40, 30, 100, 0};
    const QString line = rig.Decode(Svinfo({c, c}, 200));
    QCOMPARE(rig.host.satsVisibleText, QStringLiteral("2 Visible"));
    QCOMPARE(line.count(QStringLiteral("chn=")), 2);
    // A block cut short counts neither.
    rig.Decode(Svinfo({c, c}).Resize(8 + 12 + 11));
    QCOMPARE(rig.host.satsVisibleText, QStringLiteral("1 Visible"));

    // The elevation trend of each satellite follows its own history.
    rig.Decode(Svinfo({{3, 0x01, 7, 40, 10, 100, 0}}));
    rig.Decode(Svinfo({{3, 0x01, 7, 40, 12, 100, 0}}));
    QCOMPARE(rig.state->satellites[0].trend, 1);
    rig.Decode(Svinfo({{4, 0x01, 7, 40, 50, 100, 0}, {3, 0x01, 7, 40, 9, 100, 0}}));
    QCOMPARE(rig.state->satellites[1].trend, -1);
  }

  void monVer_data()
  {
    QTest::addColumn<bool>("idWindow");
    QTest::newRow("with identification window") << true;
    QTest::newRow("without") << false;
  }
  void monVer()
  {
    QFETCH(bool, idWindow);
    Rig rig;
    rig.state->rawDataWindowOpened = false;
    rig.host.idWindow = idWindow;
    const QByteArray frame = MonVer(QByteArray("2.01 (75331)\0junk", 17), "00080000",
                                    {"PROTVER 16.00", QByteArray("GPS;SBAS\0GLO", 12)})
                                 .Frame();
    QCOMPARE(rig.Decode(frame), QStringLiteral("UBX-MON-VER  Software Version 2.01 (75331), "
                                               "Hardware Version 00080000, PROTVER 16.00, "
                                               "GPS;SBAS\n"));
    QVERIFY(rig.state->replyFlags.gotMonVer);
    if (idWindow)
      QCOMPARE(rig.host.idLines,
               QStringList{"u-blox Receiver/Software Version\nSoftware Version: 2.01 (75331)\n"
                           "Hardware Version: 00080000\nROM and extensions:\nPROTVER 16.00\n"
                           "GPS;SBAS\n"});
    else
      QVERIFY(rig.host.idLines.isEmpty());
  }

  void monVerWithoutExtensions()
  {
    Rig rig;
    // 40 bytes: no extension; 69 bytes: the cut extension is left out.
    for (int length : {40, 69}) {
      const QByteArray frame =
          MonVer("7.03 (45969)", "00040007", {"ROM BASE"}).Resize(length).Frame();
      QCOMPARE(rig.Decode(frame), QStringLiteral("UBX-MON-VER  Software Version 7.03 (45969), "
                                                 "Hardware Version 00040007\n"));
      QCOMPARE(rig.host.idLines.last(),
               QStringLiteral("u-blox Receiver/Software Version\nSoftware Version: 7.03 (45969)\n"
                              "Hardware Version: 00040007\nROM and extensions:\n"));
    }
  }

  void monHwAntenna_data()
  {
    QTest::addColumn<int>("aStatus");
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("antenna");
    QTest::newRow("init") << 0 << 60 << -1;
    QTest::newRow("don't know") << 1 << 60 << -1;
    QTest::newRow("OK") << 2 << 60 << 0;
    QTest::newRow("short") << 3 << 60 << 1;
    QTest::newRow("open") << 4 << 60 << 2;
    QTest::newRow("other") << 5 << 60 << -1;
    QTest::newRow("short, 68 bytes") << 3 << 68 << 1;
  }
  void monHwAntenna()
  {
    QFETCH(int, aStatus);
    QFETCH(int, length);
    QFETCH(int, antenna);
    Rig rig;
    rig.Decode(MonHw(length, quint8(aStatus)));
    QCOMPARE(rig.host.antennaStatus, antenna);
    QCOMPARE(rig.state->antennaStatus, antenna);
  }

  // Leap-second count and announcement from the UTC parameters, against
  // the month the clock shows.
  void aidHui_data()
  {
    QTest::addColumn<QDate>("shown");
    QTest::addColumn<int>("utcLs");
    QTest::addColumn<int>("utcLsf");
    QTest::addColumn<QDate>("event");
    QTest::addColumn<int>("flags");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("pending");
    QTest::addColumn<int>("indicator");
    const QDate december(2016, 12, 10);
    const QDate newYear(2017, 1, 1);
    QTest::newRow("insertion next month") << december << 17 << 18 << newYear << 7 << 17 << 1 << 1;
    QTest::newRow("insertion a year back")
        << december.addYears(1) << 17 << 18 << newYear << 7 << 18 << -1 << 0;
    QTest::newRow("insertion this month")
        << QDate(2017, 1, 20) << 17 << 18 << newYear << 7 << 18 << -1 << 0;
    QTest::newRow("deletion next month") << december << 18 << 17 << newYear << 7 << 18 << 2 << 2;
    QTest::newRow("insertion in two months")
        << QDate(2016, 11, 10) << 17 << 18 << newYear << 7 << 17 << 1 << 0;
    QTest::newRow("no change announced, next month")
        << december << 18 << 18 << newYear << 7 << 18 << 0 << 3;
    QTest::newRow("parameters not valid") << december << 17 << 18 << newYear << 3 << 0 << -1 << 3;
  }
  void aidHui()
  {
    QFETCH(QDate, shown);
    QFETCH(int, utcLs);
    QFETCH(int, utcLsf);
    QFETCH(QDate, event);
    QFETCH(int, flags);
    QFETCH(int, count);
    QFETCH(int, pending);
    QFETCH(int, indicator);
    Rig rig;
    rig.state->displayCopy.SetDateTime(QDateTime(shown, QTime(12, 0), Qt::UTC));
    rig.state->leapSecondPending = 0;  // "unchanged" shows as 0
    const QString line =
        rig.Decode(AidHui(qint16(utcLs), qint16(utcLsf), event, quint8(flags)));
    QCOMPARE(rig.state->utcOffsetSeconds, count);
    QCOMPARE(rig.state->leapSecondPending, pending);
    const qint64 days = QDate(1980, 1, 6).daysTo(event);
    QCOMPARE(line, QString::asprintf("UBX-AID-HUI  ... utcLS = %d, utcWNF = %d, utcDN = %d, "
                                     "utcLSF = %d ... valid = 0x%2.2x -->> LS Pending = %d, "
                                     "NTP Leap Indicator = %d\n",
                                     utcLs, int((days - 1) / 7), int(days - 7 * ((days - 1) / 7)),
                                     utcLsf, flags, pending, indicator));
  }

  void timTp()
  {
    Rig rig;
    rig.Decode(UbxMessageBuilder(Tim, 0x01, 16).I4(8, -1500));
    QCOMPARE(rig.state->receiverSawtoothNs, -1.5);
    QVERIFY(rig.state->receiverSawtoothFresh);
  }
};

RIDUDER_TEST_MAIN(TestUbxDecoder)
#include "tst_ubxdecoder.moc"
