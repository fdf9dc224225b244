#include "TestMain.h"

#include "Gpsdecode.h"
#include "RecordingDecoderHost.h"
#include "FakeTimeSource.h"

#include "core/ProgramState.h"
#include "core/ReceiverIdentity.h"
#include "core/ReceiverState.h"
#include "platform/TimeSource.h"
#include "receiver/decode/GpsRxModel.h"
#include "receiver/decode/OncoreDecoder.h"
#include "receiver/link/OncoreFramer.h"

#include <memory>

using riduder::test::GpsdecodeFix;
using riduder::test::RecordedPosition;
using riduder::test::RecordingDecoderHost;

namespace {

// Identifiers this decoder covers: none of them may stay undecoded.
const QStringList coveredIdentifiers{"@@Ea", "@@Ba", "@@Ha", "@@Hb", "@@Hr", "@@Eq",
                                     "@@Bb", "@@Bk", "@@Ek", "@@Bg", "@@Eg", "@@Cj"};

struct Epoch {
  QDateTime time;  // the receiver time the message set, before its one-second advance
  RecordedPosition position;
};

// A capture framed and decoded the way the program does it, without 1PPS
// ticks: every time message runs the clock step.
struct Replay : FramerSink {
  explicit Replay(qint32 model)
      : state(std::make_unique<ReceiverState>()), host(state.get()), decoder(*state, host),
        clockOverride(&clock)
  {
    ResetProgramWideState();
    receiverIdentity.model = model;
    state->rawDataWindowOpened = true;
  }

  void OnFramedMessage(const QByteArray &message) override
  {
    messages << message;
    lines << decoder.Decode(message);
    // Ticks would count the holds down once a second; a second passes
    // between messages of different epochs in these captures.
    clock.Advance(100);
  }

  bool Run(const QString &capture)
  {
    bool ok = false;
    const QByteArray bytes = riduder::test::ReadCapture(capture, &ok);
    if (!ok)
      return false;
    OncoreFramer framer;
    framer.Process(bytes, *this);
    return true;
  }

  QList<Epoch> Epochs() const
  {
    QList<Epoch> epochs;
    for (int i = 0; i < host.clockStepTimes.size() && i < host.positions.size(); ++i)
      epochs << Epoch{host.clockStepTimes[i], host.positions[i]};
    return epochs;
  }

  QString FirstLine(const char *identifier) const
  {
    for (const QString &line : lines)
      if (line.startsWith(QLatin1String(identifier)))
        return line;
    return QString();
  }

  std::unique_ptr<ReceiverState> state;
  RecordingDecoderHost host;
  OncoreDecoder decoder;
  FakeTimeSource clock;
  ScopedTimeSourceOverride clockOverride;
  QList<QByteArray> messages;
  QStringList lines;
};

}  // namespace

class TestOncoreCaptures : public QObject {
  Q_OBJECT

private slots:
  void capturesDecode_data()
  {
    QTest::addColumn<QString>("capture");
    QTest::addColumn<int>("model");
    QTest::addColumn<int>("timeMessages");
    // The 8-channel unit is a UT+ ("R5122U1115"), the other an M12.
    QTest::newRow("8-channel") << "oncore/oncore-binary.log" << int(GpsRxModel::UTPlus) << 12;
    QTest::newRow("8-channel position hold")
        << "oncore/oncore-binary-pos-hold.log" << int(GpsRxModel::UTPlus) << 11;
    QTest::newRow("M12") << "oncore/oncore-m12.log" << int(GpsRxModel::M12) << 10;
  }
  void capturesDecode()
  {
    RIDUDER_REQUIRE_CAPTURES();
    QFETCH(QString, capture);
    QFETCH(int, model);
    QFETCH(int, timeMessages);
    Replay replay(model);
    QVERIFY(replay.Run(capture));
    QVERIFY(!replay.lines.isEmpty());
    for (int i = 0; i < replay.lines.size(); ++i) {
      const QString id = QString::fromLatin1(replay.messages[i].left(4));
      if (coveredIdentifiers.contains(id))
        QVERIFY2(replay.lines[i] != id + QStringLiteral(" ...\n"), qPrintable(replay.lines[i]));
    }
    QCOMPARE(replay.Epochs().size(), timeMessages);
    QCOMPARE(replay.host.positions.size(), timeMessages);
  }

  // Per epoch, the time, latitude, longitude and height above the
  // ellipsoid agree with gpsd's decoder, where it decodes the messages.
  void agreesWithGpsdecode_data()
  {
    QTest::addColumn<QString>("capture");
    QTest::addColumn<QDateTime>("first");
    // The receiver reports a date 1024 weeks early; it is kept as reported.
    QTest::newRow("8-channel") << "oncore/oncore-binary.log"
                               << QDateTime(QDate(2000, 8, 25), QTime(4, 50, 0), Qt::UTC);
    QTest::newRow("8-channel position hold")
        << "oncore/oncore-binary-pos-hold.log"
        << QDateTime(QDate(2000, 8, 25), QTime(5, 12, 50), Qt::UTC);
  }
  void agreesWithGpsdecode()
  {
    RIDUDER_REQUIRE_CAPTURES();
    RIDUDER_REQUIRE_GPSDECODE();
    QFETCH(QString, capture);
    QFETCH(QDateTime, first);
    Replay replay(GpsRxModel::UTPlus);
    QVERIFY(replay.Run(capture));
    const QList<Epoch> epochs = replay.Epochs();
    QVERIFY(!epochs.isEmpty());
    QCOMPARE(epochs.first().time, first);

    const QList<GpsdecodeFix> reference =
        riduder::test::GpsdecodeFixes(riduder::test::CapturePath(capture));
    QVERIFY(!reference.isEmpty());
    // Every epoch is one of gpsdecode's, and every position it reports is ours.
    for (const Epoch &epoch : epochs) {
      bool seen = false;
      for (const GpsdecodeFix &fix : reference)
        seen = seen || fix.time == epoch.time;
      QVERIFY2(seen, qPrintable(epoch.time.toString(Qt::ISODate)));
    }
    int compared = 0;
    for (const GpsdecodeFix &fix : reference) {
      if (!fix.hasPosition)
        continue;
      const Epoch *match = nullptr;
      for (const Epoch &epoch : epochs)
        if (epoch.time == fix.time)
          match = &epoch;
      QVERIFY2(match, qPrintable(fix.time.toString(Qt::ISODate)));
      QVERIFY2(qAbs(match->position.latitude - fix.latitude) <= 1e-6,
               qPrintable(QString::number(match->position.latitude, 'f', 9)));
      QVERIFY2(qAbs(match->position.longitude - fix.longitude) <= 1e-6,
               qPrintable(QString::number(match->position.longitude, 'f', 9)));
      QVERIFY2(qAbs(match->position.height - fix.heightAboveEllipsoid) <= 0.5,
               qPrintable(QString::number(match->position.height, 'f', 2)));
      ++compared;
    }
    QVERIFY(compared >= epochs.size() - 1);
  }

  // gpsdecode 3.22 does not decode the M12's "@@Ha": the values here are
  // worked out from the capture's first "@@Ha" and "@@Bb" bytes.
  void m12ByHand()
  {
    RIDUDER_REQUIRE_CAPTURES();
    Replay replay(GpsRxModel::M12);
    replay.host.geoidSeparation = 40.0;
    QVERIFY(replay.Run(QStringLiteral("oncore/oncore-m12.log")));
    const QList<Epoch> epochs = replay.Epochs();
    QCOMPARE(epochs.size(), 10);

    // 01 15 07ea 07 21 1d 000521ad: 2026-01-21 07:33:29 + 336301 ns; the
    // rounding by half a second keeps second 29.
    QCOMPARE(epochs[0].time, QDateTime(QDate(2026, 1, 21), QTime(7, 33, 29), Qt::UTC));
    QCOMPARE(epochs[9].time, QDateTime(QDate(2026, 1, 21), QTime(7, 33, 38), Qt::UTC));
    // Latitude 0b5a7349 = 190477129 mas, longitude 01793310 = 24720144 mas,
    // height 000015d7 = 5591 cm; the sea-level height is 0, which an M12
    // means as "not given": height minus the geoid separation.
    QCOMPARE(epochs[0].position.latitude, 190477129 / 3600000.0);
    QVERIFY(qAbs(epochs[0].position.latitude - 52.910313611) < 1e-9);
    QVERIFY(qAbs(epochs[0].position.longitude - 6.866706667) < 1e-9);
    QCOMPARE(epochs[0].position.height, 55.91);
    QCOMPARE(epochs[0].position.mslHeight, 55.91 - 40.0);

    const QString ha = QStringLiteral(
        "@@Ha, 01/21/2026, 07:33:29.000336301, 1.90477129e+08, 2.47201440e+07, 55.91, 0.00, "
        "0.00, 0.00, 0.0, HDOP, 0.0, 7, 7, 0x8401, \"JX0189\", 14, 8, 49, 42, 0x08a0, 23, 8, 46, "
        "77, 0x08a0, 24, 8, 47, 0, 0x08a0, 17, 8, 45, 39, 0x08a0, 0, 0, 0, 0, 0x0000, 13, 8, 50, "
        "37, 0x08a0, 15, 8, 49, 46, 0x08a0, 22, 8, 49, 61, 0x08a0, 0, 0, 0, 0, 0x0000, 0, 0, 0, 0, "
        "0x0000, 0, 0, 0, 0, 0x0000, 0, 0, 0, 0, 0x0000, 0, 0, 65528, 99859, 0.0, 0xd2, "
        "0x000000\n");
    QCOMPARE(replay.FirstLine("@@Ha"), ha);

    // 07 0d f6c3 37 008a 00 ...: seven satellites, Doppler signed.
    QCOMPARE(replay.FirstLine("@@Bb"),
             QStringLiteral("@@Bb 7 Prn, Doppler, El, Az, Hlth; 13 -2365 55 138 0; "
                            "14 -2222 41 60 0; 15 -976 69 213 0; 17 1864 26 101 0; "
                            "22 -1461 55 73 0; 23 302 34 292 0; 24 2556 46 272 0; \n"));

    // Status 0x84 0x01: fix type 4 "Position Hold", antenna bits 0.
    QCOMPARE(replay.host.statusMessage, QStringLiteral("Position Hold"));
    QCOMPARE(replay.host.navStatus, 1);
    QCOMPARE(replay.host.fixStatus, 1);
    QCOMPARE(replay.host.antennaStatus, 0);
    QCOMPARE(replay.host.dopsMessage, QString());  // DOP field 0
    QCOMPARE(replay.host.satsVisibleText, QStringLiteral("7 Visible"));

    // The satellites of the last "@@Ha", with the sky positions of "@@Bb".
    const SatelliteRecord &s14 = replay.state->satellites[14];
    QCOMPARE(s14.identifier, 14);
    QCOMPARE(int(s14.channelMode), 8);
    QCOMPARE(int(s14.inChannel), 1);
    QCOMPARE(int(s14.status), 0xA0);  // 08 a0: high bit 0 clear, low nibble 0
    QVERIFY(s14.cno >= 40 && s14.cno <= 55);
    QCOMPARE(s14.elevation > 0, true);
    int inChannel = 0;
    for (const SatelliteRecord &record : replay.state->satellites)
      inChannel += record.inChannel && record.identifier != 0;
    QCOMPARE(inChannel, 7);
    QVERIFY(replay.state->replyFlags.gotHa);
  }
};

RIDUDER_TEST_MAIN(TestOncoreCaptures)
#include "tst_oncorecaptures.moc"
