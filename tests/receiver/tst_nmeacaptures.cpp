#include "TestMain.h"

#include "Gpsdecode.h"
#include "FramerRecorder.h"
#include "NmeaDecoderFixture.h"

#include "receiver/link/FramerSink.h"
#include "receiver/link/UbxNmeaFramer.h"

#include <QMap>
#include <QSet>

using riduder::test::GpsdecodeFix;
using riduder::test::NmeaDecoderFixture;
using riduder::test::RecordedPosition;

namespace {

// The sentence types the decoder reads when the talker is "GP".
const QList<QByteArray> standardTypes{"ZDA", "GGA", "GSA", "GSV", "GLL", "RMC", "VTG"};

// Why a sentence came back false.
QString RejectionReason(const QByteArray &name)
{
  if (name.startsWith("$P"))
    return QStringLiteral("proprietary");
  if (name.size() == 6 && !name.startsWith("$GP"))
    return QStringLiteral("%1 talker").arg(QString::fromLatin1(name.mid(1, 2)));
  if (name.size() == 6 && standardTypes.contains(name.mid(3)))
    return QStringLiteral("fields");
  return QStringLiteral("type");
}

struct PositionEpoch {
  QTime timeOfDay;  // the GGA's own UTC field
  RecordedPosition position;
};

// A capture framed and decoded the way the program does it, without 1PPS
// ticks: every time sentence runs the clock step.
struct Replay : FramerSink {
  explicit Replay(quint32 mode) : f(mode) {}

  void OnFramedMessage(const QByteArray &message) override
  {
    if (!message.startsWith('$'))
      return;  // a UBX frame: the UBX decoder's
    f.clock.Advance(40);
    const int positions = f.host.positions.size();
    const bool recognised = f.decoder.Decode(message);

    int end = message.indexOf(',');
    if (end < 0)
      end = message.indexOf('*');
    const QByteArray name = end < 0 ? message : message.left(end);
    const QString key = recognised ? QString::fromLatin1(name + " yes")
                                   : QString::fromLatin1(name) + QStringLiteral(" no, ") +
                                         RejectionReason(name);
    ++counts[key];

    if (f.host.positions.size() > positions) {
      const QByteArray utc = message.mid(7, 6);
      positionEpochs << PositionEpoch{QTime::fromString(QString::fromLatin1(utc), "HHmmss"),
                                      f.host.positions.last()};
    }
  }

  bool Run(const QString &capture, bool nmeaOnly)
  {
    bool ok = false;
    const QByteArray bytes = riduder::test::ReadCapture(capture, &ok);
    if (!ok)
      return false;
    UbxNmeaFramer framer;
    framer.Process(bytes, nmeaOnly, *this);
    return true;
  }

  // "name yes count" and "name no, reason count", sorted.
  QStringList Summary() const
  {
    QStringList lines;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
      lines << QStringLiteral("%1 %2").arg(it.key()).arg(it.value());
    return lines;
  }

  NmeaDecoderFixture f;
  QMap<QString, int> counts;
  QList<PositionEpoch> positionEpochs;
};

// gpsd 3.22 moves the dates of some old captures 1024 GPS weeks on.
constexpr qint64 GpsWeekRolloverDays = 1024 * 7;

}  // namespace

class TestNmeaCaptures : public QObject {
  Q_OBJECT

private slots:
  // What each real capture yields and what it rejects, by sentence name.
  // Only the "GP" talker is decoded (and "GN" for text), so the sentences
  // of modern multi-constellation receivers are rejected by design.
  void yields_data()
  {
    QTest::addColumn<QString>("capture");
    QTest::addColumn<bool>("nmeaOnly");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QStringList>("summary");
    QTest::addColumn<int>("times");      // clock steps (ZDA or RMC)
    QTest::addColumn<int>("positions");  // GGA fixes shown
    QTest::addColumn<QString>("visible");

    // The Garmin sentences other than its four answers fall to the end of
    // the chain.
    QTest::newRow("Garmin 17N")
        << "nmea/garmin17n.log" << true << int(GpsModeGenericNmea)
        << QStringList{"$GPGGA yes 2", "$GPGLL yes 2", "$GPGSA yes 2", "$GPGSV yes 2",
                       "$GPRMC yes 2", "$GPVTG yes 2", "$PGRMB no, proprietary 2",
                       "$PGRME no, proprietary 2", "$PGRMF no, proprietary 2",
                       "$PGRMM no, proprietary 2", "$PGRMV no, proprietary 2"}
        << 2 << 2 << QString();
    QTest::newRow("Oncore GT+") << "nmea/oncore.log" << true << int(GpsModeMotorolaNmea)
                                << QStringList{"$GPGGA yes 6", "$GPGLL yes 6", "$GPGSA yes 6",
                                               "$GPGSV yes 21", "$GPRMC yes 7"}
                                << 7 << 6 << "9 Visible";
    // No checksums at all: the framer lets "$GP" and "$P" sentences through.
    QTest::newRow("HP 58534A") << "nmea/hp58534a.log" << true << int(GpsModeGenericNmea)
                               << QStringList{"$GPGGA yes 2", "$GPGSV yes 6", "$GPVTG yes 2",
                                              "$GPZDA yes 1", "$PFEC no, proprietary 2"}
                               << 1 << 2 << "9 Visible";
    QTest::newRow("Furuno GT-88")
        << "nmea/furuno_gl_ga.log" << true << int(GpsModeGenericNmea)
        << QStringList{"$GAGSV no, GA talker 32", "$GLGSV no, GL talker 48",
                       "$GNGGA no, GN talker 16", "$GNGNS no, GN talker 16",
                       "$GNGSA no, GN talker 32", "$GNRMC no, GN talker 16", "$GPGSV yes 16",
                       "$GPZDA yes 16", "$PERDAPI no, proprietary 15",
                       "$PERDCRJ no, proprietary 31", "$PERDCRQ no, proprietary 8",
                       "$PERDCRW no, proprietary 15", "$PERDCRX no, proprietary 15",
                       "$PERDCRY no, proprietary 15", "$PERDCRZ no, proprietary 15"}
        << 16 << 0 << "1 Visible";
    QTest::newRow("Ericsson GRU 04")
        << "nmea/ericsson-gru04-02-70sec.log" << true << int(GpsModeGenericNmea)
        << QStringList{"$GLGSV no, GL talker 4",   "$GNGLL no, GN talker 71",
                       "$GNGNS no, GN talker 71",  "$GNGSA no, GN talker 2",
                       "$GNVTG no, GN talker 71",  "$GNZDA no, GN talker 71",
                       "$GPGGA yes 2",             "$GPGSA yes 2",
                       "$GPGSV yes 5",             "$PERC no, proprietary 464",
                       "$PTNLRBA no, proprietary 71", "$PTNLRTP no, proprietary 71",
                       "$PTNLRXO no, proprietary 71"}
        << 0 << 2 << "9 Visible";
    // Only the GPS satellites in view are read; with no accepted time or
    // position sentence, a burst is published when the next one begins
    // with a signal group it already holds.
    QTest::newRow("u-blox NEO-M9N")
        << "nmea/ublox-neo-m9n-nmea.log" << true << int(GpsModeUbloxNmea)
        << QStringList{"$GAGSV no, GA talker 183", "$GBGSV no, GB talker 122",
                       "$GLGSV no, GL talker 183", "$GNGBS no, GN talker 61",
                       "$GNGGA no, GN talker 61",  "$GNGLL no, GN talker 61",
                       "$GNGSA no, GN talker 244", "$GNGST no, GN talker 61",
                       "$GNRMC no, GN talker 61",  "$GNVTG no, GN talker 61",
                       "$GNZDA no, GN talker 61",  "$GPGSV yes 244"}
        << 0 << 0 << "16 Visible";
    // The NMEA sentences inside u-blox UBX streams.
    QTest::newRow("u-blox ZED-F9T")
        << "ubx/ublox-zed-f9t-ubx_nmea_l5.log" << false << int(GpsModeUbloxUbx)
        << QStringList{"$GAGSV no, GA talker 54", "$GBGSV no, GB talker 54",
                       "$GNGBS no, GN talker 9",  "$GNGGA no, GN talker 9",
                       "$GNGSA no, GN talker 45", "$GNGST no, GN talker 9",
                       "$GNRMC no, GN talker 9",  "$GNVTG no, GN talker 9",
                       "$GNZDA no, GN talker 9",  "$GPGSV yes 45"}
        << 0 << 0 << "12 Visible";
    QTest::newRow("u-blox LEA-M8F") << "ubx/ublox-lea-m8f.log" << false << int(GpsModeUbloxUbx)
                                    << QStringList{"$GNTXT yes 1"} << 0 << 0 << QString();
  }
  void yields()
  {
    RIDUDER_REQUIRE_CAPTURES();
    QFETCH(QString, capture);
    QFETCH(bool, nmeaOnly);
    QFETCH(int, mode);
    QFETCH(QStringList, summary);
    QFETCH(int, times);
    QFETCH(int, positions);
    QFETCH(QString, visible);
    Replay replay{quint32(mode)};
    QVERIFY(replay.Run(capture, nmeaOnly));
    qInfo().noquote() << capture + QStringLiteral(":\n    ") + replay.Summary().join("\n    ");
    QCOMPARE(replay.Summary(), summary);
    QCOMPARE(replay.f.host.clockStepTimes.size(), times);
    QCOMPARE(replay.f.host.positions.size(), positions);
    QCOMPARE(replay.f.host.satsVisibleText, visible);
  }

  // Receivers of NMEA 4.10 and later at one epoch a second (a time sentence
  // of another talker starts each): every burst is published, each
  // satellite once in the table, and the count is the distinct satellites
  // of the burst's GPS sentences.
  void signalGroupsAtOneHertz_data()
  {
    QTest::addColumn<QString>("capture");
    QTest::addColumn<bool>("nmeaOnly");
    QTest::addColumn<int>("mode");
    QTest::newRow("u-blox ZED-F9T, L1 and L5")
        << "ubx/ublox-zed-f9t-ubx_nmea_l5.log" << false << int(GpsModeUbloxUbx);
    QTest::newRow("u-blox NEO-M9N") << "nmea/ublox-neo-m9n-nmea.log" << true << int(GpsModeUbloxNmea);
  }
  void signalGroupsAtOneHertz()
  {
    RIDUDER_REQUIRE_CAPTURES();
    QFETCH(QString, capture);
    QFETCH(bool, nmeaOnly);
    QFETCH(int, mode);
    bool ok = false;
    const QByteArray bytes = riduder::test::ReadCapture(capture, &ok);
    QVERIFY(ok);
    UbxNmeaFramer framer;
    riduder::test::FramerRecorder recorder;
    framer.Process(bytes, nmeaOnly, recorder);

    NmeaDecoderFixture f{quint32(mode)};
    QList<QSet<QByteArray>> epochSatellites;  // the GPS satellites each epoch lists
    for (const QByteArray &message : recorder.messages) {
      if (!message.startsWith('$'))
        continue;
      if (message.startsWith("$GNRMC")) {
        f.clock.Advance(1000);
        epochSatellites << QSet<QByteArray>();
      }
      f.clock.Advance(5);
      f.decoder.Decode(message);
      if (message.startsWith("$GPGSV") && !epochSatellites.isEmpty()) {
        const QList<QByteArray> fields = message.left(message.indexOf('*')).split(',');
        for (int i = 4; i + 3 < fields.size(); i += 4) {
          if (!fields.at(i).isEmpty())
            epochSatellites.last() << fields.at(i);
        }
      }
    }
    // The last burst: published by the gap after it.
    f.clock.Advance(1600);
    f.decoder.UpdateVisibleCount();

    QCOMPARE(f.host.satelliteTables.size(), epochSatellites.size());
    for (int epoch = 0; epoch < epochSatellites.size(); ++epoch) {
      const QString &table = f.host.satelliteTables.at(epoch);
      const qsizetype colon = table.indexOf(QLatin1String(": "));
      const QStringList rows = table.mid(colon + 2).split(QLatin1Char(' '), Qt::SkipEmptyParts);
      QSet<QString> identifiers;
      for (const QString &row : rows)
        identifiers << row.section(QLatin1Char('/'), 0, 0);
      const int distinct = int(epochSatellites.at(epoch).size());
      QVERIFY2(distinct > 0, qPrintable(table));
      QCOMPARE(table.left(colon), QStringLiteral("%1 Visible").arg(distinct));
      QCOMPARE(identifiers.size(), rows.size());
      QCOMPARE(int(rows.size()), qMin(distinct, int(NmeaDecoder::SatelliteSlots)));
    }
  }

  // The Garmin 17N sends GSV pages 2 and 3 only. Looped, each pass is a
  // burst of its own, published by the next pass's RMC: the receiver's
  // count, each satellite once.
  void gsvWithoutFirstPageLooped()
  {
    RIDUDER_REQUIRE_CAPTURES();
    bool ok = false;
    const QByteArray bytes = riduder::test::ReadCapture("nmea/garmin17n.log", &ok);
    QVERIFY(ok);
    Replay replay{GpsModeGenericNmea};
    UbxNmeaFramer framer;
    for (int pass = 0; pass < 10; ++pass)
      framer.Process(bytes, true, replay);
    const QString table = QStringLiteral("12 Visible: 18/50 19/46 21/51 22/49 26/48 27/38 29/44 131/41");
    QCOMPARE(replay.f.host.satelliteTables, QStringList(9, table));
  }

  // Where both decode an epoch, the time stored before the one-second
  // advance (seconds as rounded) and the GGA position agree with Debian's
  // gpsdecode: to the second, 1e-6 degrees and 0.5 m.
  void agreesWithGpsdecode_data()
  {
    QTest::addColumn<QString>("capture");
    QTest::addColumn<bool>("rollover");  // gpsdecode's dates are 1024 weeks late
    QTest::addColumn<int>("times");      // epochs compared
    QTest::addColumn<int>("positions");
    QTest::newRow("Garmin 17N") << "nmea/garmin17n.log" << false << 1 << 1;
    QTest::newRow("Oncore GT+") << "nmea/oncore.log" << true << 6 << 6;
    QTest::newRow("HP 58534A") << "nmea/hp58534a.log" << true << 0 << 1;
    QTest::newRow("Furuno GT-88") << "nmea/furuno_gl_ga.log" << false << 15 << 0;
    QTest::newRow("Ericsson GRU 04") << "nmea/ericsson-gru04-02-70sec.log" << false << 0 << 2;
    QTest::newRow("u-blox NEO-M9N") << "nmea/ublox-neo-m9n-nmea.log" << false << 0 << 0;
  }
  void agreesWithGpsdecode()
  {
    RIDUDER_REQUIRE_CAPTURES();
    RIDUDER_REQUIRE_GPSDECODE();
    QFETCH(QString, capture);
    QFETCH(bool, rollover);
    QFETCH(int, times);
    QFETCH(int, positions);
    Replay replay{GpsModeGenericNmea};
    QVERIFY(replay.Run(capture, true));
    const QList<GpsdecodeFix> reference =
        riduder::test::GpsdecodeFixes(riduder::test::CapturePath(capture));
    QVERIFY(!reference.isEmpty());

    int comparedTimes = 0;
    for (const QDateTime &time : replay.f.host.clockStepTimes) {
      for (const GpsdecodeFix &fix : reference) {
        if (fix.time.time() != time.time())
          continue;
        const qint64 days = time.date().daysTo(fix.time.date());
        QVERIFY2(days == 0 || (rollover && days == GpsWeekRolloverDays),
                 qPrintable(time.toString(Qt::ISODate) + " / " + fix.time.toString(Qt::ISODate)));
        ++comparedTimes;
      }
    }
    QCOMPARE(comparedTimes, times);

    int comparedPositions = 0;
    for (const PositionEpoch &epoch : replay.positionEpochs) {
      for (const GpsdecodeFix &fix : reference) {
        if (!fix.hasPosition || !fix.hasSeaLevelHeight || fix.time.time() != epoch.timeOfDay)
          continue;
        const RecordedPosition &p = epoch.position;
        const QString at = epoch.timeOfDay.toString();
        QVERIFY2(qAbs(p.latitude - fix.latitude) <= 1e-6, qPrintable(at));
        QVERIFY2(qAbs(p.longitude - fix.longitude) <= 1e-6, qPrintable(at));
        QVERIFY2(qAbs(p.height - fix.heightAboveEllipsoid) <= 0.5, qPrintable(at));
        QVERIFY2(qAbs(p.mslHeight - fix.heightAboveSeaLevel) <= 0.5, qPrintable(at));
        ++comparedPositions;
      }
    }
    QCOMPARE(comparedPositions, positions);
  }
};

RIDUDER_TEST_MAIN(TestNmeaCaptures)
#include "tst_nmeacaptures.moc"
