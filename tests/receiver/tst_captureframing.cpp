#include "TestMain.h"

#include "FramerRecorder.h"
#include "receiver/link/OncoreFramer.h"
#include "receiver/link/UbxNmeaFramer.h"

#include <QMap>

using namespace riduder::test;

namespace {

using Counts = QMap<QByteArray, int>;

// What a message is counted as: "@@Ea", a UBX "01-07" class and identifier,
// or an NMEA address such as "$GNGGA".
QByteArray Kind(const QByteArray &message)
{
  if (message.startsWith("@@"))
    return message.left(4);
  if (message.startsWith("\xb5\x62"))
    return message.mid(2, 1).toHex().toUpper() + "-" + message.mid(3, 1).toHex().toUpper();
  const int comma = message.indexOf(',');
  return comma < 0 ? message : message.left(comma);
}

Counts CountKinds(const QList<QByteArray> &messages)
{
  Counts counts;
  for (const QByteArray &m : messages)
    ++counts[Kind(m)];
  return counts;
}

// UBX names as the captures' notes give them.
QByteArray Ubx(const char *name)
{
  static const QMap<QByteArray, QByteArray> ids{
      {"NAV-POSECEF", "01-01"}, {"NAV-POSLLH", "01-02"}, {"NAV-STATUS", "01-03"},
      {"NAV-DOP", "01-04"},     {"NAV-SOL", "01-06"},    {"NAV-PVT", "01-07"},
      {"NAV-VELECEF", "01-11"}, {"NAV-HPPOSECEF", "01-13"}, {"NAV-HPPOSLLH", "01-14"},
      {"NAV-TIMEGPS", "01-20"}, {"NAV-TIMEUTC", "01-21"}, {"NAV-CLOCK", "01-22"},
      {"NAV-TIMELS", "01-26"},  {"NAV-SVINFO", "01-30"},  {"NAV-DGPS", "01-31"},
      {"NAV-SBAS", "01-32"},    {"NAV-ORB", "01-34"},     {"NAV-SAT", "01-35"},
      {"NAV-SVIN", "01-3B"},    {"NAV-RELPOSNED", "01-3C"}, {"NAV-SIG", "01-43"},
      {"NAV-EOE", "01-61"},     {"RXM-RAW", "02-10"},     {"RXM-SVSI", "02-20"},
      {"INF-NOTICE", "04-02"},  {"INF-DEBUG", "04-04"},   {"ACK-NAK", "05-00"},
      {"ACK-ACK", "05-01"},     {"CFG-PRT", "06-00"},     {"CFG-MSG", "06-01"},
      {"CFG-INF", "06-02"},     {"CFG-ESRC", "06-60"},    {"CFG-DOSC", "06-61"},
      {"CFG-VALGET", "06-8B"},  {"MON-IO", "0A-02"},      {"MON-VER", "0A-04"},
      {"MON-MSGPP", "0A-06"},   {"MON-RXBUF", "0A-07"},   {"MON-TXBUF", "0A-08"},
      {"MON-HW", "0A-09"},      {"MON-HW2", "0A-0B"},     {"MON-SPAN", "0A-31"},
      {"MON-COMMS", "0A-36"},   {"MON-HW3", "0A-37"},     {"MON-RF", "0A-38"},
      {"TIM-TP", "0D-01"},      {"TIM-SVIN", "0D-04"},
  };
  const QByteArray key(name);
  return ids.value(key, key);
}

Counts UbxCounts(std::initializer_list<std::pair<const char *, int>> list)
{
  Counts counts;
  for (const auto &[name, count] : list)
    counts[Ubx(name)] += count;
  return counts;
}

enum class Protocol { Oncore, Ubx, Nmea };

QList<QByteArray> Frame(Protocol protocol, const QList<QByteArray> &chunks)
{
  FramerRecorder recorder;
  if (protocol == Protocol::Oncore) {
    OncoreFramer framer;
    for (const QByteArray &chunk : chunks)
      framer.Process(chunk, recorder);
  } else {
    UbxNmeaFramer framer;
    for (const QByteArray &chunk : chunks)
      framer.Process(chunk, protocol == Protocol::Nmea, recorder);
  }
  return recorder.messages;
}

}  // namespace

Q_DECLARE_METATYPE(Protocol)

class CaptureFramingTest : public QObject
{
  Q_OBJECT
private slots:
  void captures_data();
  void captures();
};

void CaptureFramingTest::captures_data()
{
  QTest::addColumn<QString>("file");
  QTest::addColumn<Protocol>("protocol");
  QTest::addColumn<Counts>("expected");
  // Frames the link drops on purpose: payloads longer than the UBX bound.
  QTest::addColumn<Counts>("dropped");

  QTest::newRow("oncore-binary") << "oncore/oncore-binary.log" << Protocol::Oncore
      << Counts{{"@@Ea", 12}, {"@@En", 12}, {"@@Bb", 2}, {"@@Bo", 12}, {"@@As", 11},
                {"@@At", 11}, {"@@Aw", 11}, {"@@Ay", 11}} << Counts{};
  QTest::newRow("oncore-binary-pos-hold") << "oncore/oncore-binary-pos-hold.log" << Protocol::Oncore
      << Counts{{"@@Ea", 11}, {"@@En", 11}, {"@@Bb", 2}, {"@@Bo", 12}, {"@@As", 11},
                {"@@At", 11}, {"@@Aw", 11}, {"@@Ay", 11}} << Counts{};
  QTest::newRow("oncore-m12") << "oncore/oncore-m12.log" << Protocol::Oncore
      << Counts{{"@@Ha", 10}, {"@@Bb", 9}, {"@@Gd", 10}, {"@@Bo", 9}, {"@@As", 10},
                {"@@Aw", 10}, {"@@Ay", 10}} << Counts{};

  QTest::newRow("ublox-lea-4t") << "ubx/ublox-lea-4t.log" << Protocol::Ubx
      << UbxCounts({{"NAV-SOL", 2}, {"NAV-TIMEUTC", 2}, {"TIM-TP", 2}, {"NAV-TIMEGPS", 2},
                    {"NAV-STATUS", 2}, {"NAV-SVINFO", 2}, {"NAV-DOP", 2}, {"NAV-CLOCK", 2},
                    {"NAV-DGPS", 2}, {"NAV-SBAS", 1}, {"RXM-RAW", 2}, {"RXM-SVSI", 2},
                    {"INF-NOTICE", 7}, {"INF-DEBUG", 1}}) << Counts{};
  QTest::newRow("navisys-gr701w") << "ubx/navisys-gr701w.log" << Protocol::Ubx
      << UbxCounts({{"NAV-SOL", 81}, {"NAV-SVINFO", 81}, {"NAV-TIMEGPS", 80}, {"NAV-DOP", 80},
                    {"NAV-CLOCK", 80}, {"MON-HW", 21}}) << Counts{};
  QTest::newRow("ublox-8-time") << "ubx/ublox-8-time.log" << Protocol::Ubx
      << UbxCounts({{"NAV-SOL", 89}, {"NAV-DOP", 89}, {"NAV-TIMEGPS", 88}, {"NAV-SVINFO", 9},
                    {"NAV-SBAS", 9}}) << Counts{};
  QTest::newRow("u-blox-m8t-time") << "ubx/u-blox-m8t-time.log" << Protocol::Ubx
      << UbxCounts({{"TIM-TP", 152}, {"TIM-SVIN", 151}, {"NAV-TIMEUTC", 151}, {"NAV-TIMELS", 151},
                    {"NAV-TIMEGPS", 151}, {"NAV-STATUS", 151}, {"NAV-SAT", 151},
                    {"NAV-POSLLH", 151}, {"NAV-POSECEF", 151}, {"NAV-DOP", 151}}) << Counts{};
  Counts m8f = UbxCounts({{"NAV-PVT", 28}, {"NAV-SAT", 23}, {"NAV-TIMEGPS", 23}, {"NAV-DOP", 23},
                          {"NAV-POSECEF", 23}, {"NAV-VELECEF", 23}, {"MON-VER", 4}, {"ACK-ACK", 39},
                          {"ACK-NAK", 4}, {"CFG-PRT", 1}, {"CFG-DOSC", 1}, {"CFG-ESRC", 1}});
  m8f["$GNTXT"] = 1;
  QTest::newRow("ublox-lea-m8f") << "ubx/ublox-lea-m8f.log" << Protocol::Ubx << m8f << Counts{};
  QTest::newRow("ublox-zed-f9p-hp") << "ubx/ublox-zed-f9p-hp.log" << Protocol::Ubx
      << UbxCounts({{"NAV-PVT", 29}, {"NAV-TIMEUTC", 29}, {"NAV-TIMELS", 29}, {"NAV-TIMEGPS", 29},
                    {"NAV-HPPOSECEF", 29}, {"NAV-HPPOSLLH", 29}, {"NAV-POSECEF", 29},
                    {"NAV-VELECEF", 29}, {"NAV-DOP", 29}, {"NAV-EOE", 29}, {"NAV-SAT", 3}})
      << Counts{};
  Counts f9t = UbxCounts({{"NAV-PVT", 9}, {"NAV-SAT", 9}, {"NAV-SIG", 9}, {"NAV-CLOCK", 9},
                          {"NAV-TIMEGPS", 9}, {"NAV-DOP", 9}, {"NAV-EOE", 9}, {"NAV-POSECEF", 9},
                          {"NAV-VELECEF", 9}, {"MON-RF", 2}});
  f9t.insert(Counts{{"$GNGGA", 9}, {"$GNRMC", 9}, {"$GNZDA", 9}, {"$GNVTG", 9}, {"$GNGST", 9},
                    {"$GNGBS", 9}, {"$GNGSA", 45}, {"$GPGSV", 45}, {"$GAGSV", 54}, {"$GBGSV", 54}});
  QTest::newRow("ublox-zed-f9t-ubx_nmea_l5") << "ubx/ublox-zed-f9t-ubx_nmea_l5.log" << Protocol::Ubx
      << f9t << UbxCounts({{"NAV-SIG", 9}});
  QTest::newRow("pygpsdata-MON") << "ubx/pygpsdata-MON.log" << Protocol::Ubx
      << UbxCounts({{"MON-VER", 1}, {"MON-HW", 1}, {"MON-HW2", 1}, {"MON-HW3", 1}, {"MON-RF", 2},
                    {"MON-COMMS", 1}, {"MON-IO", 1}, {"MON-MSGPP", 1}, {"MON-RXBUF", 1},
                    {"MON-TXBUF", 1}, {"MON-SPAN", 1}}) << Counts{};
  QTest::newRow("ucenter-ZEDF9P-configdebug") << "ubx/ucenter-ZEDF9P-configdebug.log" << Protocol::Ubx
      << UbxCounts({{"MON-VER", 8}, {"MON-HW", 2}, {"MON-IO", 2}, {"MON-MSGPP", 2}, {"MON-COMMS", 1},
                    {"NAV-PVT", 2}, {"NAV-SAT", 2}, {"NAV-CLOCK", 2}, {"NAV-ORB", 2},
                    {"NAV-RELPOSNED", 2}, {"NAV-SVIN", 2}, {"CFG-VALGET", 48}, {"CFG-MSG", 33},
                    {"CFG-INF", 1}, {"ACK-ACK", 44}, {"ACK-NAK", 14}, {"0C-31", 3}, {"0C-34", 3},
                    {"0C-35", 1}, {"0C-43", 3}, {"0C-4B", 4}, {"0A-05", 1}, {"0A-11", 3},
                    {"27-00", 3}})
      << UbxCounts({{"0C-31", 3}, {"27-00", 3}});

  QTest::newRow("garmin17n") << "nmea/garmin17n.log" << Protocol::Nmea
      << Counts{{"$PGRMB", 2}, {"$PGRME", 2}, {"$PGRMF", 2}, {"$PGRMM", 2}, {"$PGRMV", 2},
                {"$GPRMC", 2}, {"$GPGGA", 2}, {"$GPGSA", 2}, {"$GPGSV", 2}, {"$GPGLL", 2},
                {"$GPVTG", 2}} << Counts{};
  QTest::newRow("ublox-neo-m9n-nmea") << "nmea/ublox-neo-m9n-nmea.log" << Protocol::Nmea
      << Counts{{"$GNZDA", 61}, {"$GNRMC", 61}, {"$GNGGA", 61}, {"$GNGLL", 61}, {"$GNVTG", 61},
                {"$GNGST", 61}, {"$GNGBS", 61}, {"$GNGSA", 244}, {"$GPGSV", 244}, {"$GLGSV", 183},
                {"$GAGSV", 183}, {"$GBGSV", 122}} << Counts{};
  QTest::newRow("furuno_gl_ga") << "nmea/furuno_gl_ga.log" << Protocol::Nmea
      << Counts{{"$GNGGA", 16}, {"$GNRMC", 16}, {"$GNGNS", 16}, {"$GPZDA", 16}, {"$GNGSA", 32},
                {"$GPGSV", 16}, {"$GLGSV", 48}, {"$GAGSV", 32}, {"$PERDAPI", 15}, {"$PERDCRJ", 31},
                {"$PERDCRQ", 8}, {"$PERDCRW", 15}, {"$PERDCRX", 15}, {"$PERDCRY", 15},
                {"$PERDCRZ", 15}} << Counts{};
  QTest::newRow("hp58534a") << "nmea/hp58534a.log" << Protocol::Nmea
      << Counts{{"$GPGGA", 2}, {"$GPGSV", 6}, {"$GPVTG", 2}, {"$GPZDA", 1}, {"$PFEC", 2}}
      << Counts{};
  QTest::newRow("oncore nmea") << "nmea/oncore.log" << Protocol::Nmea
      << Counts{{"$GPRMC", 7}, {"$GPGGA", 6}, {"$GPGLL", 6}, {"$GPGSA", 6}, {"$GPGSV", 21}}
      << Counts{};
  QTest::newRow("ericsson-gru04-02-70sec") << "nmea/ericsson-gru04-02-70sec.log" << Protocol::Nmea
      << Counts{{"$GNZDA", 71}, {"$GNGNS", 71}, {"$GNGLL", 71}, {"$GNVTG", 71}, {"$GPGGA", 2},
                {"$GPGSA", 2}, {"$GNGSA", 2}, {"$GPGSV", 5}, {"$GLGSV", 4}, {"$PERC", 464},
                {"$PTNLRBA", 71}, {"$PTNLRTP", 71}, {"$PTNLRXO", 71}} << Counts{};
}

void CaptureFramingTest::captures()
{
  RIDUDER_REQUIRE_CAPTURES();
  QFETCH(QString, file);
  QFETCH(Protocol, protocol);
  QFETCH(Counts, expected);
  QFETCH(Counts, dropped);

  bool ok = false;
  const QByteArray stream = ReadCapture(file, &ok);
  QVERIFY2(ok, qPrintable(file));

  Counts framedExpected = expected;
  for (auto it = dropped.cbegin(); it != dropped.cend(); ++it) {
    framedExpected[it.key()] -= it.value();
    if (framedExpected[it.key()] == 0)
      framedExpected.remove(it.key());
  }

  const QList<QByteArray> whole = Frame(protocol, {stream});
  QCOMPARE(CountKinds(whole), framedExpected);

  // Whatever the read size, nothing valid is lost at a chunk boundary.
  for (int size : {1, 2, 3, 5, 8, 13, 64, 91, 92, 93, 155, 256, 1000, 1031})
    QCOMPARE(Frame(protocol, CutEvery(stream, size)), whole);
  for (quint32 seed = 1; seed <= 10; ++seed)
    QCOMPARE(Frame(protocol, CutRandomly(stream, seed, 600)), whole);
}

RIDUDER_TEST_MAIN(CaptureFramingTest)
#include "tst_captureframing.moc"
