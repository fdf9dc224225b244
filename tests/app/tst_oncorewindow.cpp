#include "TestMain.h"
#include "Gpsdecode.h"

#include "WindowOnSimulator.h"

#include "app/MainWindow.h"
#include "core/ReceiverIdentity.h"
#include "receiver/decode/GpsRxModel.h"

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

quint32 BigEndian(const QByteArray &m, int at, int bytes)
{
  quint32 value = 0;
  for (int i = 0; i < bytes; ++i)
    value = (value << 8) | quint8(m.at(at + i));
  return value;
}

qint32 BigEndianSigned(const QByteArray &m, int at, int bytes)
{
  const quint32 value = BigEndian(m, at, bytes);
  const int unused = 32 - 8 * bytes;
  return qint32(value << unused) >> unused;
}

// A satellite row of the main window's table: elevation, azimuth, C/No.
using SkyRows = QMap<int, QStringList>;

// What the capture's last "@@Ea" or "@@Ha" says, with the sky positions of
// the "@@Bb" answers before it: read from the bytes by the Oncore layouts,
// not by the program's decoder.
struct LastEpoch {
  bool found = false;
  QDateTime time;  // as the message gives it, before the one-second advance
  double latitude = 0, longitude = 0, height = 0;
  int visible = 0, tracked = 0;
  SkyRows table;  // the channels with signal (or locked), where "@@Bb" placed them
};

LastEpoch ReadLastEpoch(const QList<QByteArray> &messages)
{
  struct Sky {
    int elevation, azimuth, doppler;
  };
  QMap<int, Sky> sky;
  LastEpoch epoch;
  for (const QByteArray &m : messages) {
    const QByteArray id = m.mid(2, 2);
    if (id == "Bb") {
      // Count, then 7 bytes a satellite: PRN, Doppler (i16), elevation, azimuth (u16), health.
      const int entries = qMin(int(quint8(m.at(4))), int(m.size() - 5) / 7);
      for (int k = 0; k < entries; ++k) {
        const int at = 5 + 7 * k;
        if (quint8(m.at(at)) != 0)
          sky[quint8(m.at(at))] = Sky{int(quint8(m.at(at + 3))), int(BigEndian(m, at + 4, 2)),
                                      BigEndianSigned(m, at + 1, 2)};
      }
      continue;
    }
    const bool ha = id == "Ha";
    if (id != "Ea" && !ha)
      continue;
    // Month, day, year (u16), hours, minutes, seconds, nanoseconds (u32);
    // "@@Ha" gives the second rounded by half a second.
    const double seconds = quint8(m.at(10)) + BigEndian(m, 11, 4) / 1e9 + (ha ? 0.5 : 0.0);
    epoch.found = true;
    epoch.time = QDateTime(QDate(int(BigEndian(m, 6, 2)), quint8(m.at(4)), quint8(m.at(5))),
                           QTime(quint8(m.at(8)), quint8(m.at(9))), Qt::UTC)
                     .addSecs(qint64(std::floor(seconds)));
    epoch.latitude = BigEndianSigned(m, 15, 4) / 3600000.0;
    epoch.longitude = BigEndianSigned(m, 19, 4) / 3600000.0;
    epoch.height = BigEndianSigned(m, 23, 4) / 100.0;
    epoch.visible = quint8(m.at(ha ? 55 : 38));
    epoch.tracked = quint8(m.at(ha ? 56 : 39));
    // Channels: PRN, mode, signal (C/No on these models), then status.
    epoch.table.clear();
    const int channels = ha ? 12 : 8;
    for (int k = 0; k < channels; ++k) {
      const int at = (ha ? 57 : 40) + (ha ? 6 : 4) * k;
      const int prn = quint8(m.at(at));
      const int mode = quint8(m.at(at + 1));
      const int signal = quint8(m.at(at + 2));
      if (prn == 0 || !sky.contains(prn) || (signal == 0 && mode != 8))
        continue;
      const Sky &s = sky[prn];
      const QString arrow = s.doppler > 0   ? QStringLiteral(" \u2191")
                            : s.doppler < 0 ? QStringLiteral(" \u2193")
                                            : QStringLiteral("  ");
      epoch.table[prn] = QStringList{QString::asprintf("%02d", s.elevation) + arrow,
                                     QString::number(s.azimuth), QString::number(signal)};
    }
  }
  return epoch;
}

// gpsdecode's last position report and the used satellites with signal of
// its last sky report: PRN -> elevation, azimuth, signal.
struct GpsdecodeEpoch {
  bool found = false;
  QDateTime time;
  double latitude = 0, longitude = 0, heightAboveEllipsoid = 0;
  QMap<int, QList<int>> used;
};

GpsdecodeEpoch GpsdecodeLastEpoch(const QString &path)
{
  GpsdecodeEpoch last;
  for (const QJsonObject &report : riduder::test::GpsdecodeReports(path, QStringLiteral("TPV"))) {
    if (!report.contains("lat"))
      continue;
    last.found = true;
    const QDateTime time =
        QDateTime::fromString(report.value("time").toString(), Qt::ISODateWithMs).toUTC();
    last.time = time.addMSecs(-time.time().msec());
    last.latitude = report.value("lat").toDouble();
    last.longitude = report.value("lon").toDouble();
    last.heightAboveEllipsoid = report.value("altHAE").toDouble();
  }
  const QList<QJsonObject> skies = riduder::test::GpsdecodeReports(path, QStringLiteral("SKY"));
  if (!skies.isEmpty()) {
    for (const QJsonValue &value : skies.last().value("satellites").toArray()) {
      const QJsonObject s = value.toObject();
      if (s.value("used").toBool() && s.value("ss").toDouble() > 0)
        last.used[s.value("PRN").toInt()] = {s.value("el").toInt(), s.value("az").toInt(),
                                             s.value("ss").toInt()};
    }
  }
  return last;
}


// The "Cur:" row of the navigation table: latitude, longitude, heights.
QList<double> CurrentRow(MainWindow &window)
{
  QList<double> values;
  auto *table = window.findChild<QTableWidget *>(QStringLiteral("GpsNavDataTableWidget"));
  if (!table || !table->item(1, 0) || table->item(1, 0)->text() != QLatin1String("Cur:"))
    return values;
  for (int column = 1; column <= 4; ++column) {
    QString text = table->item(1, column) ? table->item(1, column)->text() : QString();
    text.remove(QChar(0x00B0)).remove(QLatin1Char('m'));
    bool ok = false;
    values << text.trimmed().toDouble(&ok);
    if (!ok)
      return {};
  }
  return values;
}

}  // namespace

// Real Oncore captures replayed through a simulated receiver's line into
// the offscreen main window: the clock, the current position, the status
// labels and the satellite table show what the capture's bytes say.
class TestOncoreWindow : public QObject {
  Q_OBJECT

private slots:
  void init() { QSettings().clear(); }

  void captureThroughTheWindow_data()
  {
    QTest::addColumn<QString>("capture");
    QTest::addColumn<int>("model");
    QTest::addColumn<QString>("statusText");
    QTest::addColumn<QString>("navLabel");
    QTest::addColumn<QString>("dopsText");
    QTest::addColumn<bool>("gpsdecodeReads");
    // UT+ "@@Ea": status byte 0x20 (3-D fix), DOP 35 of type 0 (PDOP),
    // antenna bits 0.
    QTest::newRow("8-channel @@Ea") << "oncore/oncore-binary.log" << int(GpsRxModel::UTPlus)
                                    << "3-D Fix: PDOP =  3.5" << "Navigating" << "" << true;
    // M12 "@@Ha": fix byte 0x84 (position hold), flags 0x01, DOP 0.
    QTest::newRow("M12 @@Ha") << "oncore/oncore-m12.log" << int(GpsRxModel::M12)
                              << "Position Hold" << "Position Hold" << "" << false;
  }

  void captureThroughTheWindow()
  {
    RIDUDER_REQUIRE_CAPTURES();
    QFETCH(QString, capture);
    QFETCH(int, model);
    QFETCH(QString, statusText);
    QFETCH(QString, navLabel);
    QFETCH(QString, dopsText);
    QFETCH(bool, gpsdecodeReads);
    bool read = false;
    const QByteArray stream = riduder::test::ReadCapture(capture, &read);
    QVERIFY(read);
    const LastEpoch last =
        ReadLastEpoch(riduder::test::FrameStream(GpsModeMotorolaBinary, stream));
    QVERIFY(last.found);
    QVERIFY(!last.table.isEmpty());

    WindowOnSimulator road;
    QVERIFY2(road.Problem().isEmpty(), qPrintable(road.Problem()));
    // The model the receiver's identification would have given.
    receiverIdentity.model = model;
    QVERIFY(road.Replay(stream));
    MainWindow &window = road.Window();

    // Without a 1PPS pulse each time message drove the clock: the last
    // shows its own second.
    auto clockText = [](const QDateTime &time) {
      return time.toString(QStringLiteral("HH:mm.ss.")) + QStringLiteral("000");
    };
    QCOMPARE(road.LabelText(QStringLiteral("ClockDisplay")), clockText(last.time));
    const QString datePanel = road.LabelText(QStringLiteral("IDC_GPS_CLOCK_DATA"));
    const QDate date = last.time.date();
    QVERIFY2(datePanel.startsWith(QString::asprintf("UTC Day #%.3i  ", date.dayOfYear()) +
                                  clockText(last.time) + QStringLiteral("<br>")),
             qPrintable(datePanel));
    QVERIFY2(datePanel.contains(date.toString(QStringLiteral("dddd, dd-MMM-yyyy"))),
             qPrintable(datePanel));
    QVERIFY2(datePanel.contains(QStringLiteral("GPS Week = %1").arg(QDate(1980, 1, 6).daysTo(date) / 7)),
             qPrintable(datePanel));
    // "@@Bo" 0x12: UTC is GPS - 18 s.
    QVERIFY2(datePanel.contains(QLatin1String("UTC = GPS - 18 seconds")), qPrintable(datePanel));

    QCOMPARE(road.LabelText(QStringLiteral("IDC_SATS_VISIBLE")),
             QStringLiteral("%1 Visible").arg(last.visible));
    QCOMPARE(road.LabelText(QStringLiteral("IDC_SATS_TRACKED")),
             QStringLiteral("%1 Tracked").arg(last.tracked));
    QCOMPARE(road.LabelText(QStringLiteral("IDC_SATS_STATUS_MESSAGE")), statusText);
    QCOMPARE(road.LabelText(QStringLiteral("IDC_SATS_DOPS_MESSAGE")), dopsText);
    QCOMPARE(road.AntennaLabel()->text(), QStringLiteral("Ant OK"));
    QCOMPARE(road.NavLabel()->text(), navLabel);
    QCOMPARE(riduder::test::SatelliteTableRows(window), last.table);

    // The next pulse shows the second after the message's, and the
    // position the message brought.
    QVERIFY(road.PpsPulse());
    QCOMPARE(road.LabelText(QStringLiteral("ClockDisplay")), clockText(last.time.addSecs(1)));
    const QList<double> current = CurrentRow(window);
    QCOMPARE(current.size(), 4);
    QVERIFY2(qAbs(current[0] - last.latitude) < 1e-8, qPrintable(QString::number(current[0], 'f', 9)));
    QVERIFY2(qAbs(current[1] - last.longitude) < 1e-8, qPrintable(QString::number(current[1], 'f', 9)));
    QCOMPARE(current[2], std::round(last.height));
    // Both models leave the sea-level height at 0: the window derives it
    // from the geoid, some tens of metres below the ellipsoid here.
    QVERIFY2(current[3] < current[2] - 20 && current[3] > current[2] - 60,
             qPrintable(QString::number(current[3])));
    QVERIFY(window.State().replyFlags.gotEa || window.State().replyFlags.gotHa);

    // The window's field helpers work on the state the decoders filled:
    // from the elevation "@@Bb" last stored, 2 degrees up reads rising and
    // back down again reads setting.
    int carriedOn = 0;
    int unseen = 0;
    for (int prn = 1; prn < 256; ++prn) {
      const int stored = window.State().previousElevation[prn];
      if (stored < 0 && unseen == 0)
        unseen = prn;
      if (stored < 1 || stored > 88)
        continue;
      QCOMPARE(window.ElevationTrend(prn, stored + 2), 1);
      QCOMPARE(window.ElevationTrend(prn, stored), -1);
      ++carriedOn;
    }
    QVERIFY(carriedOn > 0);
    // A satellite the capture never showed, through a culmination: moves
    // below 2 degrees add up against the last elevation that counted.
    QVERIFY(unseen > 0);
    const QList<QPair<int, int>> culmination = {
        {10, 0},   // first elevation: no trend yet
        {11, 0},   // 1 degree: not yet
        {12, 1},   // 10 -> 12 reaches 2 degrees
        {13, 1},   // 1 degree from 12: ignored
        {14, 1},   // 12 -> 14
        {13, 1},   // 1 degree down: ignored
        {12, -1},  // 14 -> 12: setting
        {0, -1},   // below 1 degree: the stored trend, nothing changes
        {91, -1},  // above 90: the same
        {11, -1},  // 1 degree from 12: ignored
        {40, 1},   // 12 -> 40
    };
    for (const auto &[elevation, trend] : culmination) {
      QCOMPARE(window.ElevationTrend(unseen, elevation), trend);
      QCOMPARE(window.State().elevationTrend[unseen], trend);
    }
    QCOMPARE(window.State().previousElevation[unseen], 40);
    QCOMPARE(window.ElevationTrend(0, 30), 0);    // no satellite 0
    QCOMPARE(window.ElevationTrend(256, 30), 0);  // nor past 255
    QByteArray fields(" 12 ,,x");
    QCOMPARE(MainWindow::NextField(fields, "-"), QByteArray("12"));
    QCOMPARE(MainWindow::NextField(fields, "-"), QByteArray("-"));
    QCOMPARE(fields, QByteArray("x"));

    // Where gpsd's decoder reads the messages too (it does not read the
    // M12's "@@Ha"), it agrees on time, position and the used satellites.
    const GpsdecodeEpoch reference =
        GpsdecodeLastEpoch(riduder::test::CaptureDir() + QLatin1Char('/') + capture);
    if (QStandardPaths::findExecutable(QStringLiteral("gpsdecode")).isEmpty() || !gpsdecodeReads) {
      QVERIFY(!reference.found || gpsdecodeReads);
      return;
    }
    QVERIFY(reference.found);
    QCOMPARE(reference.time, last.time);
    QVERIFY(qAbs(reference.latitude - last.latitude) <= 1e-6);
    QVERIFY(qAbs(reference.longitude - last.longitude) <= 1e-6);
    QVERIFY(qAbs(reference.heightAboveEllipsoid - last.height) <= 0.5);
    QCOMPARE(reference.used.keys(), last.table.keys());
    for (auto it = reference.used.cbegin(); it != reference.used.cend(); ++it) {
      const QStringList row = last.table.value(it.key());
      QCOMPARE(row.at(0).left(2).toInt(), it.value().at(0));
      QCOMPARE(row.at(1).toInt(), it.value().at(1));
      QCOMPARE(row.at(2).toInt(), it.value().at(2));
    }
  }
};

RIDUDER_TEST_MAIN(TestOncoreWindow)
#include "tst_oncorewindow.moc"
