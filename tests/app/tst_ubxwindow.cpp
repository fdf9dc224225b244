#include "TestMain.h"
#include "Gpsdecode.h"

#include "WindowOnSimulator.h"

#include "app/MainWindow.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QMap>
#include <QSettings>
#include <QStandardPaths>
#include <QTableWidget>

#include <cmath>

using riduder::test::WindowOnSimulator;

namespace {

quint32 LittleEndian(const QByteArray &payload, int at, int bytes)
{
  quint32 value = 0;
  for (int i = bytes - 1; i >= 0; --i)
    value = (value << 8) | quint8(payload.at(at + i));
  return value;
}

qint32 LittleEndianSigned(const QByteArray &payload, int at, int bytes)
{
  const int unused = 32 - 8 * bytes;
  return qint32(LittleEndian(payload, at, bytes) << unused) >> unused;
}

// Elevation, azimuth and C/No of a satellite row.
using SkyRows = QMap<int, QList<int>>;

// What a u-blox capture's last messages of each kind say, read from the
// bytes by the UBX layouts, not by the program's decoder.
struct LastValues {
  bool hasTime = false;
  QDateTime time;  // last NAV-TIMEUTC with time of week, week and UTC valid
  bool hasPosition = false;
  double latitude = 0, longitude = 0, height = 0, mslHeight = 0;  // NAV-POSLLH
  bool hasSky = false;
  int used = 0;
  SkyRows usedWithSignal;  // NAV-SVINFO channels in use with C/No and above the horizon
};

LastValues ReadLastValues(const QList<QByteArray> &frames)
{
  LastValues last;
  for (const QByteArray &frame : frames) {
    if (frame.startsWith('$') || frame.size() < 8)
      continue;
    const int messageClass = quint8(frame.at(2));
    const int identifier = quint8(frame.at(3));
    const QByteArray p = frame.mid(6, LittleEndian(frame, 4, 2));
    if (messageClass != 0x01)
      continue;
    if (identifier == 0x21 && p.size() == 20 && (quint8(p.at(19)) & 0x07) == 0x07) {
      // year 12, month 14, day 15, hour 16, min 17, sec 18
      last.hasTime = true;
      last.time = QDateTime(QDate(int(LittleEndian(p, 12, 2)), quint8(p.at(14)), quint8(p.at(15))),
                            QTime(quint8(p.at(16)), quint8(p.at(17)), quint8(p.at(18))), Qt::UTC);
    } else if (identifier == 0x02 && p.size() == 28) {
      // lon 4, lat 8 (1e-7 degrees), height 12, hMSL 16 (mm)
      last.hasPosition = true;
      last.longitude = LittleEndianSigned(p, 4, 4) / 1e7;
      last.latitude = LittleEndianSigned(p, 8, 4) / 1e7;
      last.height = LittleEndianSigned(p, 12, 4) / 1e3;
      last.mslHeight = LittleEndianSigned(p, 16, 4) / 1e3;
    } else if (identifier == 0x30 && p.size() >= 8) {
      // numCh 4, then 12 bytes a channel: chn, svid, flags, quality, cno,
      // elev (i1), azim (i2), prRes.
      last.hasSky = true;
      last.used = 0;
      last.usedWithSignal.clear();
      const int channels = qMin(int(quint8(p.at(4))), int(p.size() - 8) / 12);
      for (int k = 0; k < channels; ++k) {
        const int at = 8 + 12 * k;
        const bool used = quint8(p.at(at + 2)) & 0x01;
        const int cno = quint8(p.at(at + 4));
        const int elevation = qint8(p.at(at + 5));
        last.used += used;
        if (used && cno > 0 && elevation > 0)
          last.usedWithSignal[quint8(p.at(at + 1))] = {elevation,
                                                       LittleEndianSigned(p, at + 6, 2), cno};
      }
    }
  }
  return last;
}

// gpsdecode's last sky report: satellites in view and in use, and the used
// satellites with signal.
struct GpsdecodeSky {
  bool found = false;
  int visible = 0, used = 0;
  SkyRows usedWithSignal;
};

GpsdecodeSky GpsdecodeLastSky(const QString &path)
{
  GpsdecodeSky last;
  for (const QJsonObject &report : riduder::test::GpsdecodeReports(path, QStringLiteral("SKY"))) {
    if (!report.contains("nSat"))
      continue;
    last.found = true;
    last.visible = report.value("nSat").toInt();
    last.used = report.value("uSat").toInt();
    last.usedWithSignal.clear();
    for (const QJsonValue &value : report.value("satellites").toArray()) {
      const QJsonObject s = value.toObject();
      if (s.value("used").toBool() && s.value("ss").toDouble() > 0 && s.value("el").toDouble() > 0)
        last.usedWithSignal[s.value("PRN").toInt()] = {s.value("el").toInt(), s.value("az").toInt(),
                                                       s.value("ss").toInt()};
    }
  }
  return last;
}

// The window's satellite rows that show a satellite, as numbers; the
// elevation without its trend arrow.
SkyRows WindowSkyRows(MainWindow &window)
{
  SkyRows rows;
  const QMap<int, QStringList> texts = riduder::test::SatelliteTableRows(window);
  for (auto it = texts.begin(); it != texts.end(); ++it)
    rows[it.key()] = {it.value().at(0).left(2).toInt(), it.value().at(1).toInt(), it.value().at(2).toInt()};
  return rows;
}

// The "Cur:" row of the navigation table as the texts show it.
QStringList CurrentRow(MainWindow &window)
{
  QStringList texts;
  auto *table = window.findChild<QTableWidget *>(QStringLiteral("GpsNavDataTableWidget"));
  if (!table || !table->item(1, 0) || table->item(1, 0)->text() != QLatin1String("Cur:"))
    return texts;
  for (int column = 1; column <= 4; ++column)
    texts << (table->item(1, column) ? table->item(1, column)->text() : QString());
  return texts;
}

// The entry the raw-data window shows for a frame of the ZED-F9T capture:
// GP sentences of the kinds the NMEA decoder reads show as decoded, other
// talkers as undecoded; UBX frames by name, or as the class's unknown form.
QString ExpectedEntryStart(const QByteArray &message)
{
  if (message.startsWith('$')) {
    const QString sentence = QString::fromLatin1(message).trimmed();
    static const QStringList read{"GSV", "GSA", "GGA", "RMC", "GLL", "VTG", "ZDA"};
    const bool decoded = message.mid(1, 2) == "GP" && read.contains(QString::fromLatin1(message.mid(3, 3)));
    return (decoded ? QStringLiteral("->  ") : QStringLiteral("?  ")) + sentence;
  }
  static const QMap<int, QString> classes{{0x01, "NAV"}, {0x0A, "MON"}};
  static const QMap<int, QString> named{{0x0101, "POSECEF"}, {0x0104, "DOP"}, {0x0120, "TIMEGPS"}};
  const int messageClass = quint8(message.at(2));
  const int key = messageClass << 8 | quint8(message.at(3));
  const QString prefix = QStringLiteral("->  UBX-") + classes.value(messageClass, QStringLiteral("?"));
  if (named.contains(key))
    return prefix + QLatin1Char('-') + named[key] + QLatin1Char(' ');
  return prefix + QStringLiteral("  ...");
}

}  // namespace

// Real u-blox captures replayed through a simulated receiver's line into
// the offscreen main window, in the u-blox modes.
class TestUbxWindow : public QObject {
  Q_OBJECT

private slots:
  void init() { QSettings().clear(); }

  // A receiver that sends UBX frames and NMEA sentences on one line: each
  // shows once, in order, with the dispatch's prefix: "->  " for what the
  // NMEA or the UBX decoder reads (UBX messages it does not know in their
  // class's unknown form), "?  " for sentences neither reads.
  void mixedCaptureShowsEachMessage_data()
  {
    QTest::addColumn<quint32>("mode");
    QTest::newRow("u-blox UBX") << quint32(GpsModeUbloxUbx);
    QTest::newRow("u-blox NMEA") << quint32(GpsModeUbloxNmea);
  }

  void mixedCaptureShowsEachMessage()
  {
    RIDUDER_REQUIRE_CAPTURES();
    QFETCH(quint32, mode);
    bool read = false;
    const QByteArray stream = riduder::test::ReadCapture(QStringLiteral("ubx/ublox-zed-f9t-ubx_nmea_l5.log"), &read);
    QVERIFY(read);
    const QList<QByteArray> messages = riduder::test::FrameStream(mode, stream);

    WindowOnSimulator::Options options;
    options.mode = mode;
    WindowOnSimulator road(options);
    QVERIFY2(road.Problem().isEmpty(), qPrintable(road.Problem()));
    QVERIFY(road.Replay(stream));
    const QStringList entries = road.RawDataEntries();
    QCOMPARE(entries.size(), messages.size());

    QMap<QString, int> counts;
    for (int i = 0; i < messages.size(); ++i) {
      const QString expected = ExpectedEntryStart(messages.at(i));
      QVERIFY2(expected.endsWith(QLatin1Char(' ')) ? entries.at(i).startsWith(expected)
                                                   : entries.at(i) == expected,
               qPrintable(QStringLiteral("%1: %2 | %3").arg(i).arg(entries.at(i), expected)));
      const QString kind = messages.at(i).startsWith('$')
                               ? expected.section(QLatin1Char('$'), 0, 0) +
                                     QString::fromLatin1(messages.at(i).mid(1, 5))
                               : expected.trimmed();
      ++counts[kind];
    }
    // Nine epochs: the GP satellites decoded, the GN, GA and GB sentences
    // not; three UBX messages by name, NAV-PVT, NAV-SAT and the other newer
    // ones unknown.
    QCOMPARE(counts.value(QStringLiteral("->  GPGSV")), 45);
    QCOMPARE(counts.value(QStringLiteral("?  GNGSA")), 45);
    QCOMPARE(counts.value(QStringLiteral("?  GNRMC")), 9);
    QCOMPARE(counts.value(QStringLiteral("?  GAGSV")), 54);
    QCOMPARE(counts.value(QStringLiteral("->  UBX-NAV-POSECEF")), 9);
    QCOMPARE(counts.value(QStringLiteral("->  UBX-NAV  ...")), 45);
    QCOMPARE(counts.value(QStringLiteral("->  UBX-MON  ...")), 2);
  }

  // The clock, the current position, the status labels and the satellite
  // table show the capture's last values where the decoder reads them.
  void captureValuesThroughTheWindow_data()
  {
    QTest::addColumn<QString>("capture");
    QTest::addColumn<QString>("statusText");
    QTest::addColumn<QString>("navLabel");
    QTest::addColumn<QString>("dopsText");
    // NAV-STATUS gpsFix 5 and NAV-DOP tDOP 30: surveyed-in time mode.
    QTest::newRow("M8T: time, position, status")
        << "ubx/u-blox-m8t-time.log" << "Time only fix (0-D Nav)" << "Position Hold" << "DOPs: T = 0.3";
    // gpsFix 3, NAV-DOP 280 242 140 213 115 (g p t v h).
    QTest::newRow("LEA-4T: time, status, satellites")
        << "ubx/ublox-lea-4t.log" << "3-D Fix" << "Navigating" << "DOPs: T = 1.4, P = 2.4, H = 1.1, V = 2.1";
    // No NAV-STATUS: the label keeps its first text and the fix dimension
    // stays unknown, so NAV-DOP (489 456 178 342 301) gives all four;
    // NAV-SVINFO every second.
    QTest::newRow("u-blox 7: satellites")
        << "ubx/navisys-gr701w.log" << "Fix message" << "Nav Unknown" << "DOPs: T = 1.8, P = 4.6, H = 3.0, V = 3.4";
  }

  void captureValuesThroughTheWindow()
  {
    RIDUDER_REQUIRE_CAPTURES();
    QFETCH(QString, capture);
    QFETCH(QString, statusText);
    QFETCH(QString, navLabel);
    QFETCH(QString, dopsText);
    bool read = false;
    const QByteArray stream = riduder::test::ReadCapture(capture, &read);
    QVERIFY(read);
    const LastValues last = ReadLastValues(riduder::test::FrameStream(GpsModeUbloxUbx, stream));

    WindowOnSimulator::Options options;
    options.mode = GpsModeUbloxUbx;
    WindowOnSimulator road(options);
    QVERIFY2(road.Problem().isEmpty(), qPrintable(road.Problem()));
    QVERIFY(road.Replay(stream));
    MainWindow &window = road.Window();

    if (last.hasTime) {
      // Without a 1PPS pulse the last NAV-TIMEUTC drove the clock.
      const QString clock = last.time.toString(QStringLiteral("HH:mm.ss.")) + QStringLiteral("000");
      QCOMPARE(road.LabelText(QStringLiteral("ClockDisplay")), clock);
      const QString datePanel = road.LabelText(QStringLiteral("IDC_GPS_CLOCK_DATA"));
      QVERIFY2(datePanel.startsWith(QString::asprintf("UTC Day #%.3i  ", last.time.date().dayOfYear()) + clock),
               qPrintable(datePanel));
      QVERIFY2(datePanel.contains(last.time.date().toString(QStringLiteral("dddd, dd-MMM-yyyy"))),
               qPrintable(datePanel));
    }
    QCOMPARE(road.LabelText(QStringLiteral("IDC_SATS_STATUS_MESSAGE")), statusText);
    QCOMPARE(road.LabelText(QStringLiteral("IDC_SATS_DOPS_MESSAGE")), dopsText);
    QCOMPARE(road.NavLabel()->text(), navLabel);

    if (last.hasSky) {
      QCOMPARE(road.LabelText(QStringLiteral("IDC_SATS_TRACKED")), QStringLiteral("%1 Tracked").arg(last.used));
      QVERIFY(!last.usedWithSignal.isEmpty());
      QCOMPARE(WindowSkyRows(window), last.usedWithSignal);
      const GpsdecodeSky reference =
          GpsdecodeLastSky(riduder::test::CaptureDir() + QLatin1Char('/') + capture);
      if (reference.found) {
        QCOMPARE(road.LabelText(QStringLiteral("IDC_SATS_VISIBLE")),
                 QStringLiteral("%1 Visible").arg(reference.visible));
        QCOMPARE(reference.used, last.used);
        QCOMPARE(reference.usedWithSignal, last.usedWithSignal);
      }
    } else {
      QCOMPARE(WindowSkyRows(window), SkyRows());
    }

    // The next pulse redraws the position rows with the last NAV-POSLLH.
    QVERIFY(road.PpsPulse());
    const QStringList current = CurrentRow(window);
    QCOMPARE(current.size(), 4);
    if (last.hasPosition) {
      const QString degree(QChar(0x00B0));
      QCOMPARE(current[0], QString::asprintf("%11.8f", last.latitude) + degree);
      QCOMPARE(current[1], QString::asprintf("%11.8f", last.longitude) + degree);
      QCOMPARE(current[2].trimmed(), QStringLiteral("%1m").arg(std::round(last.height)));
      QCOMPARE(current[3].trimmed(), QStringLiteral("%1m").arg(std::round(last.mslHeight)));
    }
  }
};

RIDUDER_TEST_MAIN(TestUbxWindow)
#include "tst_ubxwindow.moc"
