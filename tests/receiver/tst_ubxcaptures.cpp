#include "TestMain.h"

#include "FrameBuilders.h"
#include "Gpsdecode.h"
#include "RecordingDecoderHost.h"

#include "core/ReceiverState.h"
#include "receiver/decode/FieldReaders.h"
#include "receiver/decode/UbxDecoder.h"
#include "receiver/link/UbxNmeaFramer.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QMap>
#include <QTemporaryDir>

#include <memory>

using riduder::test::CapturePath;
using riduder::test::GpsdecodeReports;
using riduder::test::RecordedPosition;
using riduder::test::RecordingDecoderHost;

namespace {

// One time message with the position reported before it in its epoch.
struct Epoch {
  QDateTime time;
  bool hasPosition = false;
  RecordedPosition position;
};

// What one NAV-SVINFO left behind.
struct SkyView {
  int visible = 0;
  int tracked = 0;
  QList<SatelliteRecord> records;  // the filled ones
};

struct Decoding {
  Decoding() : state(std::make_unique<ReceiverState>()), host(state.get()), decoder(*state, host)
  {
    state->rawDataWindowOpened = true;
  }
  std::unique_ptr<ReceiverState> state;
  RecordingDecoderHost host;
  UbxDecoder decoder;
};

QString MessageKey(const QByteArray &frame)
{
  return QString::asprintf("%02x-%02x", unsigned(quint8(frame.at(2))),
                           unsigned(quint8(frame.at(3))));
}

// A capture framed and decoded as the program does in "u-blox UBX" mode,
// without 1PPS ticks: every valid time message runs the clock step. A
// second decoder gets each frame with other checksum bytes and more bytes
// after it, and must give the same lines: nothing past a payload is read.
struct Replay : FramerSink {
  void OnFramedMessage(const QByteArray &message) override
  {
    if (message.startsWith('$')) {
      sentenceLines << exact.decoder.Decode(message);
      return;
    }
    const int positions = exact.host.positions.size();
    const int clockSteps = exact.host.clockStepTimes.size();
    const int tables = exact.host.satelliteTableUpdates;

    frames << message;
    lines << exact.decoder.Decode(message);
    QByteArray padded = message;
    padded[padded.size() - 1] = char(~padded.at(padded.size() - 1));
    padded[padded.size() - 2] = char(padded.at(padded.size() - 2) ^ 0x5A);
    padded += QByteArray(64, char(0xA5));
    paddedLines << moved.decoder.Decode(padded);

    if (exact.host.positions.size() > positions) {
      pending.hasPosition = true;
      pending.position = exact.host.positions.last();
    }
    if (exact.host.clockStepTimes.size() > clockSteps) {
      pending.time = exact.host.clockStepTimes.last();
      epochs << pending;
      pending = Epoch();
    }
    if (exact.host.satelliteTableUpdates > tables) {
      SkyView sky;
      sky.visible = exact.host.satsVisibleText.section(QLatin1Char(' '), 0, 0).toInt();
      sky.tracked = exact.host.satsTrackedText.section(QLatin1Char(' '), 0, 0).toInt();
      for (const SatelliteRecord &record : exact.state->satellites)
        if (record.identifier != 0)
          sky.records << record;
      skyViews << sky;
    }
  }

  bool Run(const QString &capture)
  {
    bool ok = false;
    const QByteArray bytes = riduder::test::ReadCapture(capture, &ok);
    if (!ok)
      return false;
    UbxNmeaFramer framer;
    framer.Process(bytes, false, *this);
    return true;
  }

  Decoding exact;
  Decoding moved;
  QList<QByteArray> frames;
  QStringList lines, paddedLines, sentenceLines;
  QList<Epoch> epochs;
  Epoch pending;
  QList<SkyView> skyViews;
};

// A report's time to the nearest second.
QDateTime ReportSecond(const QJsonObject &report)
{
  QDateTime time = QDateTime::fromString(report.value("time").toString(), Qt::ISODateWithMs);
  time = time.toUTC().addMSecs(500);
  return time.addMSecs(-time.time().msec());
}

}  // namespace

class TestUbxCaptures : public QObject {
  Q_OBJECT

private slots:
  // Every frame of every capture decodes without a read past it; what the
  // decoder covers decodes, the rest (NAV-PVT, NAV-SAT, NAV-SOL, ...) shows
  // in the unknown-message form, counted by class and identifier.
  void capturesDecode_data()
  {
    QTest::addColumn<QString>("capture");
    QTest::addColumn<int>("decoded");
    QTest::addColumn<QString>("undecoded");
    QTest::newRow("u-blox 7") << "ubx/navisys-gr701w.log" << 262 << "01-06:81 01-22:80";
    QTest::newRow("ZED-F9P monitor messages")
        << "ubx/pygpsdata-MON.log" << 2
        << "0a-02:1 0a-06:1 0a-07:1 0a-08:1 0a-0b:1 0a-31:1 0a-36:1 0a-37:1 0a-38:2";
    QTest::newRow("M8T time mode") << "ubx/u-blox-m8t-time.log" << 1209 << "01-26:151 01-35:151";
    QTest::newRow("u-blox 8 time mode") << "ubx/ublox-8-time.log" << 186 << "01-06:89 01-32:9";
    QTest::newRow("LEA-4T")
        << "ubx/ublox-lea-4t.log" << 12
        << "01-06:2 01-22:2 01-31:2 01-32:1 02-10:2 02-20:2 04-02:7 04-04:1";
    QTest::newRow("LEA-M8F")
        << "ubx/ublox-lea-m8f.log" << 117 << "01-07:28 01-11:23 01-35:23 06-60:1 06-61:1";
    QTest::newRow("ZED-F9P")
        << "ubx/ublox-zed-f9p-hp.log" << 116
        << "01-07:29 01-11:29 01-13:29 01-14:29 01-26:29 01-35:3 01-61:29";
    QTest::newRow("ZED-F9T, UBX and NMEA")
        << "ubx/ublox-zed-f9t-ubx_nmea_l5.log" << 27
        << "01-07:9 01-11:9 01-22:9 01-35:9 01-61:9 0a-38:2";
    // Polls (MON-VER and MON-HW without payload), configuration traffic
    // and class 0x0C (unknown class) as well.
    QTest::newRow("ZED-F9P configuration")
        << "ubx/ucenter-ZEDF9P-configdebug.log" << 63
        << "01-07:2 01-22:2 01-34:2 01-35:2 01-3b:2 01-3c:2 06-01:33 06-02:1 06-8b:48 0a-02:2 "
           "0a-04:4 0a-05:1 0a-06:2 0a-09:1 0a-11:3 0a-36:1 0c-34:3 0c-35:1 0c-43:3 0c-4b:4";
  }
  void capturesDecode()
  {
    RIDUDER_REQUIRE_CAPTURES();
    QFETCH(QString, capture);
    QFETCH(int, decoded);
    QFETCH(QString, undecoded);
    Replay replay;
    QVERIFY(replay.Run(capture));
    QVERIFY(!replay.frames.isEmpty());
    QCOMPARE(replay.paddedLines, replay.lines);

    int decodedCount = 0;
    QMap<QString, int> undecodedCounts;
    for (int i = 0; i < replay.frames.size(); ++i) {
      const QString &line = replay.lines[i];
      QVERIFY2(line.endsWith(QLatin1Char('\n')), qPrintable(line));
      if (line.endsWith(QStringLiteral("  ...\n")))
        ++undecodedCounts[MessageKey(replay.frames[i])];
      else
        ++decodedCount;
    }
    QStringList counts;
    for (auto it = undecodedCounts.cbegin(); it != undecodedCounts.cend(); ++it)
      counts << QStringLiteral("%1:%2").arg(it.key()).arg(it.value());
    QCOMPARE(counts.join(QLatin1Char(' ')), undecoded);
    QCOMPARE(decodedCount, decoded);
    // NMEA sentences are not UBX frames.
    for (const QString &line : replay.sentenceLines)
      QCOMPARE(line, QString());
  }

  // What the captures' known messages say, read by hand from their bytes.
  void captureContents()
  {
    RIDUDER_REQUIRE_CAPTURES();
    Replay m8f;
    QVERIFY(m8f.Run(QStringLiteral("ubx/ublox-lea-m8f.log")));
    QVERIFY(m8f.exact.state->replyFlags.gotMonVer);
    QCOMPARE(m8f.exact.host.idLines.size(), 4);
    QVERIFY2(m8f.exact.host.idLines[0].startsWith(
                 "u-blox Receiver/Software Version\nSoftware Version: 2.20 (81289)\n"
                 "Hardware Version: 00080000\nROM and extensions:\n2.01 (75331)\n"
                 "PROTVER 16.00\n"),
             qPrintable(m8f.exact.host.idLines[0]));
    QVERIFY(m8f.lines.contains(QStringLiteral("UBX-ACK ACK\n")));
    QVERIFY(m8f.lines.contains(QStringLiteral("UBX-ACK NAK\n")));

    Replay m8t;
    QVERIFY(m8t.Run(QStringLiteral("ubx/u-blox-m8t-time.log")));
    // Surveyed-in time mode: time-only fix, one command to stop TIM-SVIN
    // and one more after each TIM-SVIN that still comes.
    QCOMPARE(m8t.exact.host.statusMessage, QStringLiteral("Time only fix (0-D Nav)"));
    QCOMPARE(m8t.exact.host.navMode, 1);
    QCOMPARE(m8t.exact.host.dopsMessage.left(10), QStringLiteral("DOPs: T = "));
    QVERIFY(!m8t.exact.host.dopsMessage.contains(QLatin1Char(',')));
    QCOMPARE(m8t.exact.host.commands.size(), 151);
    QVERIFY(m8t.exact.state->receiverSawtoothFresh);
    QVERIFY(qAbs(m8t.exact.state->receiverSawtoothNs) < 50.0);

    Replay ucenter;
    QVERIFY(ucenter.Run(QStringLiteral("ubx/ucenter-ZEDF9P-configdebug.log")));
    QCOMPARE(ucenter.exact.host.antennaStatus, -1);  // aStatus 1: not known
    const QStringList hw = ucenter.lines.filter(QStringLiteral("UBX-MON-HW "));
    QCOMPARE(hw.size(), 1);
    QVERIFY2(hw[0].startsWith(QStringLiteral("UBX-MON-HW pinSel = 81C1, pinBank = 10000, "
                                             "pinDir = 8000, pinVal = 67DF, noisePerMS = 74, "
                                             "agcCnt = 5616, aStatus = 1, ")),
             qPrintable(hw[0]));
    QVERIFY(ucenter.exact.host.idLines.first().contains(QStringLiteral("MOD=ZED-F9P\n")));
  }

  // Per epoch, the time of NAV-TIMEUTC agrees with gpsd's decoder (to the
  // second: the decoder leaves out the nanoseconds).
  void timeAgreesWithGpsdecode_data()
  {
    QTest::addColumn<QString>("capture");
    QTest::addColumn<int>("epochs");
    QTest::addColumn<QDateTime>("first");
    QTest::newRow("M8T") << "ubx/u-blox-m8t-time.log" << 151
                         << QDateTime(QDate(2021, 2, 23), QTime(18, 4, 29), Qt::UTC);
    QTest::newRow("LEA-4T") << "ubx/ublox-lea-4t.log" << 2
                            << QDateTime(QDate(2009, 1, 28), QTime(20, 35, 43), Qt::UTC);
    QTest::newRow("ZED-F9P") << "ubx/ublox-zed-f9p-hp.log" << 29
                             << QDateTime(QDate(2019, 4, 22), QTime(21, 19, 20), Qt::UTC);
  }
  void timeAgreesWithGpsdecode()
  {
    RIDUDER_REQUIRE_CAPTURES();
    RIDUDER_REQUIRE_GPSDECODE();
    QFETCH(QString, capture);
    QFETCH(int, epochs);
    QFETCH(QDateTime, first);
    Replay replay;
    QVERIFY(replay.Run(capture));
    QCOMPARE(replay.epochs.size(), epochs);
    QCOMPARE(replay.epochs.first().time, first);

    QSet<QDateTime> ours;
    for (const Epoch &epoch : replay.epochs)
      ours.insert(epoch.time);
    QCOMPARE(ours.size(), epochs);
    // gpsd's times where it knows GPS - UTC: its position reports that
    // carry the leap seconds, and its sky reports.
    QSet<QDateTime> reference;
    for (const QJsonObject &tpv : GpsdecodeReports(CapturePath(capture), QStringLiteral("TPV")))
      if (tpv.contains("time") && tpv.contains("leapseconds"))
        reference.insert(ReportSecond(tpv));
    for (const QJsonObject &sky : GpsdecodeReports(CapturePath(capture), QStringLiteral("SKY")))
      if (sky.contains("time"))
        reference.insert(ReportSecond(sky));
    QVERIFY(!reference.isEmpty());
    for (const QDateTime &time : reference)
      QVERIFY2(ours.contains(time), qPrintable(time.toString(Qt::ISODate)));
    // gpsd may not know GPS - UTC yet in the first epoch (whose time is
    // checked above), and reports an epoch when the next one begins, so the
    // last may be missing on its side.
    for (int i = 1; i < replay.epochs.size() - 1; ++i)
      QVERIFY2(reference.contains(replay.epochs[i].time),
               qPrintable(replay.epochs[i].time.toString(Qt::ISODate)));
  }

  // Per epoch, the position of NAV-POSLLH agrees with gpsd's decoder. gpsd
  // 3.22 leaves the position out of its reports while the receiver is in
  // a time-only fix; a built NAV-SOL that says "3-D fix" ahead of each
  // NAV-POSLLH, in a copy of the capture given to gpsdecode alone, makes it
  // report the position it decodes from the capture's own position frames.
  void positionAgreesWithGpsdecode()
  {
    RIDUDER_REQUIRE_CAPTURES();
    RIDUDER_REQUIRE_GPSDECODE();
    const QString capture = QStringLiteral("ubx/u-blox-m8t-time.log");
    Replay replay;
    QVERIFY(replay.Run(capture));
    QCOMPARE(replay.exact.host.positions.size(), 151);

    QFile file(CapturePath(capture));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray original = file.readAll();
    const QByteArray posllhHeader("\xB5\x62\x01\x02\x1C\x00", 6);
    const int timeGps = original.indexOf(QByteArray("\xB5\x62\x01\x20\x10\x00", 6));
    QVERIFY(timeGps > 0);
    const quint16 week = quint16(GetLittleEndianU16(original, timeGps + 6 + 8));
    QByteArray lifted;
    int from = 0;
    for (int at = original.indexOf(posllhHeader); at >= 0;
         at = original.indexOf(posllhHeader, at + 1)) {
      lifted += original.mid(from, at - from);
      QByteArray solution(52, '\0');
      solution.replace(0, 4, original.mid(at + 6, 4));  // the epoch's iTOW
      solution[8] = char(week & 0xFF);
      solution[9] = char(week >> 8);
      solution[10] = 3;     // 3-D fix
      solution[11] = 0x0D;  // fix valid, week and time of week valid
      solution[47] = 10;    // satellites used
      lifted += riduder::test::BuildUbxFrame(0x01, 0x06, solution);
      from = at;
    }
    lifted += original.mid(from);
    QTemporaryDir dir;
    QFile copy(dir.filePath(QStringLiteral("lifted.log")));
    QVERIFY(copy.open(QIODevice::WriteOnly));
    copy.write(lifted);
    copy.close();

    int compared = 0;
    for (const QJsonObject &tpv : GpsdecodeReports(copy.fileName(), QStringLiteral("TPV"))) {
      if (!tpv.contains("lat"))
        continue;
      const QDateTime time = ReportSecond(tpv);
      const Epoch *match = nullptr;
      for (const Epoch &epoch : replay.epochs)
        if (epoch.time == time && epoch.hasPosition)
          match = &epoch;
      QVERIFY2(match, qPrintable(time.toString(Qt::ISODate)));
      const RecordedPosition &p = match->position;
      QVERIFY2(qAbs(p.latitude - tpv.value("lat").toDouble()) <= 1e-6,
               qPrintable(QString::number(p.latitude, 'f', 9)));
      QVERIFY2(qAbs(p.longitude - tpv.value("lon").toDouble()) <= 1e-6,
               qPrintable(QString::number(p.longitude, 'f', 9)));
      QVERIFY2(qAbs(p.height - tpv.value("altHAE").toDouble()) <= 0.5,
               qPrintable(QString::number(p.height, 'f', 3)));
      ++compared;
    }
    QVERIFY2(compared >= 150, qPrintable(QString::number(compared)));
  }

  // Per NAV-SVINFO, the satellites in view and in use agree with gpsd's
  // sky reports, and so do elevation, azimuth, C/No and use of each GPS
  // satellite.
  void satellitesAgreeWithGpsdecode_data()
  {
    QTest::addColumn<QString>("capture");
    QTest::addColumn<int>("views");
    QTest::newRow("u-blox 7") << "ubx/navisys-gr701w.log" << 81;
    QTest::newRow("u-blox 8 time mode") << "ubx/ublox-8-time.log" << 9;
    QTest::newRow("LEA-4T") << "ubx/ublox-lea-4t.log" << 2;
  }
  void satellitesAgreeWithGpsdecode()
  {
    RIDUDER_REQUIRE_CAPTURES();
    RIDUDER_REQUIRE_GPSDECODE();
    QFETCH(QString, capture);
    QFETCH(int, views);
    Replay replay;
    QVERIFY(replay.Run(capture));
    QCOMPARE(replay.skyViews.size(), views);
    const QList<QJsonObject> reference = GpsdecodeReports(CapturePath(capture), QStringLiteral("SKY"));
    QCOMPARE(reference.size(), views);

    int satellitesCompared = 0;
    for (int i = 0; i < views; ++i) {
      const SkyView &ours = replay.skyViews[i];
      const QJsonObject &sky = reference[i];
      QCOMPARE(ours.visible, sky.value("nSat").toInt());
      QCOMPARE(ours.tracked, sky.value("uSat").toInt());
      for (const SatelliteRecord &record : ours.records) {
        if (record.identifier > 32)
          continue;
        for (const QJsonValue &value : sky.value("satellites").toArray()) {
          const QJsonObject satellite = value.toObject();
          if (satellite.value("PRN").toInt() != record.identifier)
            continue;
          QCOMPARE(record.elevation, satellite.value("el").toInt());
          QCOMPARE(record.azimuth, satellite.value("az").toInt());
          QCOMPARE(record.cno, satellite.value("ss").toInt());
          QCOMPARE(bool(record.status & 0x01), satellite.value("used").toBool());
          ++satellitesCompared;
        }
      }
    }
    QVERIFY(satellitesCompared >= views);
  }
};

RIDUDER_TEST_MAIN(TestUbxCaptures)
#include "tst_ubxcaptures.moc"
