#include "TestMain.h"

#include "WindowOnSimulator.h"

#include "app/MainWindow.h"
#include "position/GpsNavDialog.h"

#include <QSet>
#include <QTableWidget>
#include <QSettings>

using riduder::test::WindowOnSimulator;

// Real NMEA captures replayed through a simulated receiver's line into the
// offscreen main window: what the raw-data window and the labels show.
class TestNmeaWindow : public QObject {
  Q_OBJECT

private slots:
  void init() { QSettings().clear(); }

  void captureThroughTheWindow_data()
  {
    QTest::addColumn<QString>("capture");
    QTest::addColumn<int>("decoded");              // lines shown after "-> "
    QTest::addColumn<QStringList>("undecoded");    // names shown after "?  "
    QTest::addColumn<QString>("tracked");
    QTest::addColumn<QString>("fixText");
    QTest::addColumn<QList<double>>("lastFix");    // latitude, longitude, height, MSL height
    QTest::addColumn<QDateTime>("lastTime");       // of the last RMC
    QTest::newRow("Oncore GT+") << "nmea/oncore.log" << 46 << QStringList{} << "3 Used"
                                << "2-D Fix (A)"
                                << QList<double>{52 + 9.7839 / 60, 20 + 48.4829 / 60, 113.1, 76.6}
                                << QDateTime(QDate(2005, 4, 8), QTime(17, 12, 50), Qt::UTC);
    // Garmin's own sentences other than its answers show as undecoded.
    QTest::newRow("Garmin 17N") << "nmea/garmin17n.log" << 12
                                << QStringList{"$PGRMB", "$PGRME", "$PGRMF", "$PGRMM", "$PGRMV"}
                                << "10 Used" << "3-D Fix (A)"
                                << QList<double>{52 + 13.1439 / 60, 21 + 0.6511 / 60, 173.4, 137.2}
                                << QDateTime(QDate(2005, 3, 16), QTime(9, 38, 3), Qt::UTC);
  }
  void captureThroughTheWindow()
  {
    RIDUDER_REQUIRE_CAPTURES();
    QFETCH(QString, capture);
    QFETCH(int, decoded);
    QFETCH(QStringList, undecoded);
    QFETCH(QString, tracked);
    QFETCH(QString, fixText);
    QFETCH(QList<double>, lastFix);
    QFETCH(QDateTime, lastTime);
    bool read = false;
    const QByteArray stream = riduder::test::ReadCapture(capture, &read);
    QVERIFY(read);

    WindowOnSimulator::Options options;
    options.mode = GpsModeGenericNmea;
    WindowOnSimulator road(options);
    QVERIFY2(road.Problem().isEmpty(), qPrintable(road.Problem()));
    QVERIFY(road.Replay(stream));

    int decodedLines = 0;
    QSet<QString> undecodedNames;
    for (const QString &entry : road.RawDataEntries()) {
      if (entry.startsWith(QLatin1String("-> $GP"))) {
        ++decodedLines;
      } else {
        QVERIFY2(entry.startsWith(QLatin1String("?  $")), qPrintable(entry));
        undecodedNames << entry.mid(3).section(QLatin1Char(','), 0, 0);
      }
    }
    QCOMPARE(decodedLines, decoded);
    QStringList names = undecodedNames.values();
    names.sort();
    QCOMPARE(names, undecoded);

    QCOMPARE(road.LabelText(QStringLiteral("IDC_SATS_TRACKED")), tracked);
    QCOMPARE(road.LabelText(QStringLiteral("IDC_SATS_STATUS_MESSAGE")), fixText);
    auto *nav = road.Window().findChild<GpsNavDialog *>();
    QVERIFY(nav);
    double latitude = 0, longitude = 0, height = 0, mslHeight = 0;
    nav->GetCurrentFix(latitude, longitude, height, mslHeight);
    QVERIFY(qAbs(latitude - lastFix[0]) < 1e-9);
    QVERIFY(qAbs(longitude - lastFix[1]) < 1e-9);
    QVERIFY(qAbs(height - lastFix[2]) < 1e-6);
    QVERIFY(qAbs(mslHeight - lastFix[3]) < 1e-6);
    QVERIFY(road.LabelText(QStringLiteral("IDC_GRIDSQUARE")).startsWith(QLatin1String("KO02")));

    // Without a 1PPS pulse the last RMC drove the clock and showed its own
    // second; the next pulse shows the second after it.
    auto clockText = [](const QDateTime &time) {
      return time.toString(QStringLiteral("HH:mm.ss.")) + QStringLiteral("000");
    };
    QCOMPARE(road.LabelText(QStringLiteral("ClockDisplay")), clockText(lastTime));
    const QString datePanel = road.LabelText(QStringLiteral("IDC_GPS_CLOCK_DATA"));
    QVERIFY2(datePanel.startsWith(QString::asprintf("UTC Day #%.3i  ", lastTime.date().dayOfYear()) +
                                  clockText(lastTime)),
             qPrintable(datePanel));
    QVERIFY2(datePanel.contains(lastTime.date().toString(QStringLiteral("dddd, dd-MMM-yyyy"))),
             qPrintable(datePanel));
    QVERIFY(road.PpsPulse());
    QCOMPARE(road.LabelText(QStringLiteral("ClockDisplay")), clockText(lastTime.addSecs(1)));
  }

  // The Oncore GT+ sends complete satellite groups: the window counts and
  // lists them.
  void satellitesReachTheTable()
  {
    RIDUDER_REQUIRE_CAPTURES();
    bool read = false;
    const QByteArray stream = riduder::test::ReadCapture(QStringLiteral("nmea/oncore.log"), &read);
    QVERIFY(read);
    WindowOnSimulator::Options options;
    options.mode = GpsModeMotorolaNmea;
    WindowOnSimulator road(options);
    QVERIFY2(road.Problem().isEmpty(), qPrintable(road.Problem()));
    QVERIFY(road.Replay(stream));
    QCOMPARE(road.LabelText(QStringLiteral("IDC_SATS_VISIBLE")), QStringLiteral("9 Visible"));
    auto *table = road.Window().findChild<QTableWidget *>(QStringLiteral("SatsDataTableWidget"));
    QVERIFY(table);
    // Three with signal and the six without (channel mode 9, no C/No) are
    // not listed: only the three that have signal.
    QStringList listed;
    for (int row = 1; row <= 16; ++row)
      if (table->item(row, 0) && !table->item(row, 0)->text().isEmpty())
        listed << table->item(row, 0)->text();
    listed.sort();
    QCOMPARE(listed, (QStringList{"2", "27", "4"}));
  }
};

RIDUDER_TEST_MAIN(TestNmeaWindow)
#include "tst_nmeawindow.moc"
