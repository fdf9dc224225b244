#include "TestMain.h"

#include "FrameBuilders.h"
#include "FakeTimeSource.h"
#include "app/MainWindow.h"
#include "app/SatelliteTable.h"
#include "core/GpsMode.h"
#include "platform/TimeSource.h"
#include "position/SatAzElChartDialog.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QTableWidget>

#include <vector>

using riduder::test::FramedNmeaSentence;

namespace {

constexpr quint8 Used = 0x80;

SatelliteRecord Sat(int id, int el, int az, int cno, quint8 status = Used, int trend = 0, quint8 channelMode = 8)
{
  SatelliteRecord r;
  r.identifier = id;
  r.elevation = el;
  r.azimuth = az;
  r.cno = cno;
  r.inChannel = 1;
  r.channelMode = channelMode;
  r.status = status;
  r.trend = trend;
  return r;
}

// What one row shows: identifier, elevation, azimuth, C/No, bar level and
// bar text ("" and -1 for a blank row with its bar hidden).
struct RowView {
  QString id, el, az, cno;
  int bar = -1;
  QString barText;
  bool operator==(const RowView &o) const
  {
    return id == o.id && el == o.el && az == o.az && cno == o.cno && bar == o.bar && barText == o.barText;
  }
};

char *toString(const RowView &r)
{
  return QTest::toString(QStringLiteral("[%1|%2|%3|%4|%5|%6]")
                             .arg(r.id, r.el, r.az, r.cno, QString::number(r.bar), r.barText));
}

const QString Up = QStringLiteral(" \u2191");
const QString Down = QStringLiteral(" \u2193");
const QString Flat = QStringLiteral("  ");

// The Oncore fixture, indexed by identifier as the Oncore decoder does.
// 22 has no C/No and is not fully available, so it is never listed; the
// rest are listed.
void FillOncoreFixture(SatelliteRecord *sats)
{
  for (int i = 0; i < SatelliteArraySize; ++i)
    sats[i] = SatelliteRecord();
  for (const SatelliteRecord &r :
       {Sat(3, 45, 120, 40, Used, +1), Sat(5, 60, 250, 44, 0xD9), Sat(7, 10, 300, 30, Used, -2),
        Sat(12, 0, 0, 35, Used), Sat(15, 70, 10, 50, Used | 0x10), Sat(20, 25, 200, 0, 0x00, 0, 8),
        Sat(22, 30, 90, 0, 0x00, 0, 7), Sat(131, 35, 180, 38, Used)})
    sats[r.identifier] = r;
}

// The expected look of each fixture satellite, wherever its row is.
RowView ExpectedRow(int id)
{
  switch (id) {
  case 3: return {"3", "45" + Up, "120", "40", 40, "GPS"};
  case 5: return {"5", "60" + Flat, "250", "44", 44, "GPS, Momentum Alert, Unhealthy, SA, Parity Error"};
  case 7: return {"7", "10" + Down, "300", "30", 30, "GPS"};
  case 12: return {"12", "", "", "35", 35, "GPS"};
  case 15: return {"15", "70" + Flat, "10", "50", 50, "GPS, Unhealthy"};
  case 20: return {"20", "25" + Flat, "200", "0", 16, "Available"};
  case 131: return {"131", "35" + Flat, "180", "38", 38, "SBAS"};
  default: return {};
  }
}

QList<RowView> TableRows(QObject &window)
{
  auto *table = window.findChild<QTableWidget *>(QStringLiteral("SatsDataTableWidget"));
  QList<RowView> rows;
  for (int row = 1; row <= SatelliteTableRows; ++row) {
    auto *bar = qobject_cast<QProgressBar *>(table->cellWidget(row, 4));
    RowView view{table->item(row, 0)->text(), table->item(row, 1)->text(), table->item(row, 2)->text(),
                 table->item(row, 3)->text(), -1, QString()};
    if (bar && !bar->isHidden()) {
      view.bar = bar->value();
      // A text too wide for its bar is shown cut short, whole in the tool tip.
      view.barText = bar->toolTip().isEmpty() ? bar->format() : bar->toolTip();
    }
    rows << view;
  }
  return rows;
}

QList<RowView> ExpectedRows(const QList<int> &ids)
{
  QList<RowView> rows;
  for (int id : ids)
    rows << ExpectedRow(id);
  while (rows.size() < SatelliteTableRows)
    rows << RowView{};
  return rows;
}

}  // namespace

Q_DECLARE_METATYPE(SatelliteRecord)

class TestSatelliteTable : public QObject {
  Q_OBJECT

private slots:
  void init() { QSettings().clear(); }

  // One window goes through every sort mode: each redraw must leave every
  // row right, although only changed cells are written.
  void everySortModeShowsItsRows()
  {
    MainWindow window;
    window.SetGpsMode(GpsModeMotorolaBinary);
    ReceiverState &state = window.State();
    FillOncoreFixture(state.satellites);
    auto *chart = window.findChild<SatAzElChartDialog *>();
    QVERIFY(chart && !chart->isVisible());

    const struct {
      int column;  // sort button pressed, -1 none
      int mode;
      QList<int> ids;
    } steps[] = {
        {-1, SatelliteSortModes::Unsorted, {3, 5, 7, 12, 15, 20, 131}},
        {0, SatelliteSortModes::Prn, {3, 5, 7, 12, 15, 20, 131}},
        {1, SatelliteSortModes::Elevation, {15, 5, 3, 131, 20, 7, 12}},
        {2, SatelliteSortModes::Azimuth, {12, 15, 3, 131, 20, 5, 7}},
        {3, SatelliteSortModes::Cno, {15, 5, 3, 131, 12, 7, 20}},
        {3, SatelliteSortModes::Unsorted, {3, 5, 7, 12, 15, 20, 131}},
    };
    for (const auto &step : steps) {
      if (step.column >= 0)
        window.UpdateSatSortButtons(step.column);
      QCOMPARE(window.SatelliteSortModeSetting(), step.mode);
      window.UpdateSatelliteTable();
      QCOMPARE(TableRows(window), ExpectedRows(step.ids));
      // The chart has the sorted copy, though its window is hidden.
      for (int i = 0; i < SatelliteArraySize; ++i)
        QCOMPARE(chart->Satellites()[i].identifier, state.displaySatellites[i].identifier);
    }
    // Pressing C/No twice went back to unsorted and stored it.
    QCOMPARE(QSettings().value("MainWindow/Satellite Sort Mode").toInt(), 4);
  }

  void moreThanSixteenFillEveryRowThenRowsEmpty()
  {
    MainWindow window;
    window.SetGpsMode(GpsModeMotorolaBinary);
    ReceiverState &state = window.State();
    for (int id = 1; id <= 20; ++id)
      state.satellites[id] = Sat(id, id, 10 * id, 20 + id, Used, id % 2 ? 1 : -1);
    window.UpdateSatSortButtons(SatelliteSortModes::Elevation);
    window.UpdateSatelliteTable();
    QList<RowView> rows = TableRows(window);
    for (int row = 0; row < SatelliteTableRows; ++row) {
      const int id = 20 - row;  // highest first; 4..1 drop off
      QCOMPARE(rows.at(row), (RowView{QString::number(id),
                                      QStringLiteral("%1").arg(id, 2, 10, QLatin1Char('0')) + (id % 2 ? Up : Down),
                                      QString::number(10 * id), QString::number(20 + id), qMin(20 + id, 55),
                                      QStringLiteral("GPS")}));
    }

    // Three left: rows 4 to 16 are emptied and their bars hidden, and the
    // chart follows.
    for (int id = 4; id <= 20; ++id)
      state.satellites[id] = SatelliteRecord();
    window.UpdateSatelliteTable();
    rows = TableRows(window);
    const QList<RowView> remaining = QList<RowView>{{"3", "03" + Up, "30", "23", 23, "GPS"},
                                                    {"2", "02" + Down, "20", "22", 22, "GPS"},
                                                    {"1", "01" + Up, "10", "21", 21, "GPS"}} +
                                     ExpectedRows({}).mid(3);
    QCOMPARE(rows, remaining);
    auto *chart = window.findChild<SatAzElChartDialog *>();
    QCOMPARE(chart->Satellites()[0].identifier, 3);
    QCOMPARE(chart->Satellites()[3].identifier, 0);
  }

  void closingWindowLeavesTheTable()
  {
    MainWindow window;
    FillOncoreFixture(window.State().satellites);
    window.State().closing = true;
    window.UpdateSatelliteTable();
    QCOMPARE(TableRows(window), ExpectedRows({}));
    window.State().closing = false;
  }

  // The plain refresh: which cells a second pass writes.
  void onlyChangedCellsAreWritten()
  {
    std::vector<SatelliteRecord> sats(SatelliteArraySize), display(SatelliteArraySize);
    std::vector<SatelliteRecord> cache(SatelliteTableRows, BlankTableRow());
    sats[0] = Sat(9, 40, 100, 40, Used, 1);
    sats[1] = Sat(11, 20, 200, 30, 0x00, 0, 8);  // not used: tracking state

    SatelliteTablePass pass = RefreshSatelliteTable(sats.data(), display.data(), cache.data(), 4, GpsModeMotorolaBinary);
    QVERIFY(pass.touched);
    QCOMPARE(pass.shownCount, 2);
    QVERIFY(pass.rows[0].identifier && pass.rows[0].elevation && pass.rows[0].azimuth && pass.rows[0].cno);
    QVERIFY(!pass.rows[2].Any());  // was blank already

    // Nothing changed: nothing written, the chart is left alone.
    pass = RefreshSatelliteTable(sats.data(), display.data(), cache.data(), 4, GpsModeMotorolaBinary);
    QVERIFY(!pass.touched);
    QVERIFY(!pass.displayChanged);
    // A change beyond the shown rows still reaches the chart.
    sats[40] = Sat(40, 10, 10, 0, 0x00, 0, 2);
    pass = RefreshSatelliteTable(sats.data(), display.data(), cache.data(), 4, GpsModeMotorolaBinary);
    QVERIFY(!pass.touched);
    QVERIFY(pass.displayChanged);

    // C/No 70: a used satellite (path B) keeps its shown C/No; one shown by
    // its tracking state (path A) shows 70 with a full bar.
    sats[0].cno = 70;
    sats[1].cno = 70;
    pass = RefreshSatelliteTable(sats.data(), display.data(), cache.data(), 4, GpsModeMotorolaBinary);
    QVERIFY(!pass.rows[0].cno);
    QVERIFY(pass.rows[1].cno);
    QCOMPARE(pass.rows[1].cnoText, QStringLiteral("70"));
    QCOMPARE(pass.rows[1].barValue, 55);
    QVERIFY(!pass.rows[1].barText);
    QVERIFY(!pass.rows[0].elevation && !pass.rows[0].identifier);

    // Only the trend changed: only the elevation cell.
    sats[0].trend = -1;
    pass = RefreshSatelliteTable(sats.data(), display.data(), cache.data(), 4, GpsModeMotorolaBinary);
    QVERIFY(pass.rows[0].elevation && !pass.rows[0].azimuth && !pass.rows[0].cno && !pass.rows[0].barText);
    QCOMPARE(pass.rows[0].elevationText, "40" + Down);

    // Status change: new bar text only.
    sats[1].channelMode = 4;
    pass = RefreshSatelliteTable(sats.data(), display.data(), cache.data(), 4, GpsModeMotorolaBinary);
    QVERIFY(pass.rows[1].barText && !pass.rows[1].cno);
    QCOMPARE(pass.rows[1].barTextValue, QStringLiteral("Bit Sync Detect"));

    // Azimuth becomes non-zero for a satellite at the origin: both cells
    // leave their empty state.
    sats[0] = Sat(9, 0, 0, 40, Used);
    RefreshSatelliteTable(sats.data(), display.data(), cache.data(), 4, GpsModeMotorolaBinary);
    sats[0].azimuth = 15;
    pass = RefreshSatelliteTable(sats.data(), display.data(), cache.data(), 4, GpsModeMotorolaBinary);
    QCOMPARE(pass.rows[0].elevationText, "00" + Flat);
    QCOMPARE(pass.rows[0].azimuthText, QStringLiteral("15"));
  }

  // A row taken over by another satellite with a value that cannot be shown
  // does not keep the previous satellite's value.
  void anotherSatelliteNeverShowsTheLastOnesValues()
  {
    std::vector<SatelliteRecord> sats(SatelliteArraySize), display(SatelliteArraySize);
    std::vector<SatelliteRecord> cache(SatelliteTableRows, BlankTableRow());
    sats[0] = Sat(9, 40, 100, 40, Used);
    RefreshSatelliteTable(sats.data(), display.data(), cache.data(), 4, GpsModeMotorolaBinary);
    sats[0] = Sat(10, 95, 400, 70, Used);
    const SatelliteTablePass pass =
        RefreshSatelliteTable(sats.data(), display.data(), cache.data(), 4, GpsModeMotorolaBinary);
    const SatelliteRowWrites &w = pass.rows[0];
    QVERIFY(w.identifier && w.elevation && w.azimuth && w.cno);
    QCOMPARE(w.identifierText, QStringLiteral("10"));
    QVERIFY(w.elevationText.isEmpty() && w.azimuthText.isEmpty() && w.cnoText.isEmpty());
    QVERIFY(!w.barVisible);
  }

  void ubxModeDropsUnusedSatellites()
  {
    std::vector<SatelliteRecord> sats(SatelliteArraySize), display(SatelliteArraySize);
    std::vector<SatelliteRecord> cache(SatelliteTableRows, BlankTableRow());
    sats[0] = Sat(120, 30, 200, 40, 0x00);  // not used: C/No cleared, not listed
    sats[1] = Sat(7, 20, 100, 35, 0x01);     // used; bit 7 does not matter
    sats[2] = Sat(65, 10, 50, 30, 0x11);     // used, unhealthy
    const SatelliteTablePass pass =
        RefreshSatelliteTable(sats.data(), display.data(), cache.data(), 4, GpsModeUbloxUbx);
    QCOMPARE(sats[0].cno, 0);
    QCOMPARE(sats[1].cno, 35);
    QCOMPARE(pass.shownCount, 2);
    QCOMPARE(pass.rows[0].identifierText, QStringLiteral("7"));
    QCOMPARE(pass.rows[0].barTextValue, QStringLiteral("GPS"));
    QCOMPARE(pass.rows[1].barTextValue, QStringLiteral("GLONASS, Unhealthy"));
    QCOMPARE(pass.rows[1].cnoText, QStringLiteral("30"));
  }

  void listedSatellites_data()
  {
    QTest::addColumn<SatelliteRecord>("record");
    QTest::addColumn<quint32>("mode");
    QTest::addColumn<bool>("shown");
    const quint32 oncore = GpsModeMotorolaBinary, ubx = GpsModeUbloxUbx;
    QTest::newRow("empty") << Sat(0, 10, 10, 40) << oncore << false;
    QTest::newRow("signal") << Sat(4, 10, 10, 40) << oncore << true;
    QTest::newRow("no signal, available") << Sat(4, 10, 10, 0, 0, 0, 8) << oncore << true;
    QTest::newRow("no signal, acquiring") << Sat(4, 10, 10, 0, 0, 0, 7) << oncore << false;
    QTest::newRow("negative elevation") << Sat(4, -1, 10, 40) << oncore << false;
    QTest::newRow("negative azimuth") << Sat(4, 10, -1, 40) << oncore << false;
    QTest::newRow("identifier 256") << Sat(256, 10, 10, 40) << oncore << true;
    QTest::newRow("identifier 257") << Sat(257, 10, 10, 40) << oncore << false;
    QTest::newRow("ubx no signal, available") << Sat(4, 10, 10, 0, 0x01, 0, 8) << ubx << false;
    QTest::newRow("ubx identifier 300") << Sat(300, 10, 10, 40, 0x01) << ubx << true;
  }
  void listedSatellites()
  {
    QFETCH(SatelliteRecord, record);
    QFETCH(quint32, mode);
    QFETCH(bool, shown);
    QCOMPARE(IsSatelliteShown(record, mode), shown);
  }

  void barLevels()
  {
    const int cases[][2] = {{-5, 16}, {0, 16}, {16, 16}, {17, 17}, {40, 40}, {54, 54}, {55, 55}, {70, 55}};
    for (const auto &c : cases)
      QCOMPARE(CnoBarValue(c[0]), c[1]);
    QCOMPARE(TrendArrowText(3), Up);
    QCOMPARE(TrendArrowText(-1), Down);
    QCOMPARE(TrendArrowText(0), Flat);
  }

  void trackingStates()
  {
    const QStringList names = {"Code Search", "Code Acquire", "AGC Set", "Freq Acquire", "Bit Sync Detect",
                               "Message Sync Detect", "Time Available", "Ephemeris Acquire", "Available"};
    for (int mode = 0; mode <= 8; ++mode)
      QCOMPARE(TrackingStateText(mode), names.at(mode));
    QCOMPARE(TrackingStateText(9), QStringLiteral("Not Locked"));
    QCOMPARE(TrackingStateText(-1), QStringLiteral("Not Locked"));
  }

  void systemAndHealth_data()
  {
    QTest::addColumn<SatelliteRecord>("record");
    QTest::addColumn<quint32>("mode");
    QTest::addColumn<QString>("text");
    const quint32 oncore = GpsModeMotorolaBinary, ubx = GpsModeUbloxUbx, ubxNmea = GpsModeUbloxNmea;
    QTest::newRow("oncore every flag") << Sat(5, 1, 1, 1, 0xD9) << oncore
                                       << "GPS, Momentum Alert, Unhealthy, SA, Parity Error";
    QTest::newRow("oncore healthy") << Sat(32, 1, 1, 1, Used) << oncore << "GPS";
    QTest::newRow("sbas name only in u-blox") << Sat(120, 1, 1, 1, Used | 0x01) << oncore << "SBAS, Parity Error";
    QTest::newRow("u-blox sbas not used, unhealthy")
        << Sat(120, 1, 1, 1, Used | 0x10) << ubxNmea << QString::fromUtf8("EGNOS AOR-E 15°W, SBAS, Not Used, Unhealthy");
    QTest::newRow("u-blox waas") << Sat(138, 1, 1, 1, 0x01) << ubx << QString::fromUtf8("WAAS 107°W, SBAS");
    QTest::newRow("u-blox sbas without a name") << Sat(123, 1, 1, 1, 0x01) << ubx << "SBAS";
    QTest::newRow("u-blox 139 has no name") << Sat(139, 1, 1, 1, 0x01) << ubx << "SBAS";
    QTest::newRow("u-blox ignores oncore bits") << Sat(7, 1, 1, 1, 0x49) << ubx << "GPS";
    QTest::newRow("galileo") << Sat(211, 1, 1, 1, Used) << oncore << "Galileo";
    QTest::newRow("galileo end") << Sat(246, 1, 1, 1, Used) << oncore << "Galileo";
    QTest::newRow("beidou high") << Sat(159, 1, 1, 1, Used) << oncore << "BeiDou";
    QTest::newRow("beidou low") << Sat(33, 1, 1, 1, Used) << oncore << "BeiDou";
    QTest::newRow("beidou low end") << Sat(64, 1, 1, 1, Used) << oncore << "BeiDou";
    QTest::newRow("imes") << Sat(173, 1, 1, 1, Used) << oncore << "IMES";
    QTest::newRow("qzss") << Sat(197, 1, 1, 1, Used) << oncore << "QZSS";
    QTest::newRow("glonass") << Sat(65, 1, 1, 1, Used) << oncore << "GLONASS";
    QTest::newRow("glonass 96") << Sat(96, 1, 1, 1, Used) << oncore << "GLONASS";
    QTest::newRow("glonass 255") << Sat(255, 1, 1, 1, Used) << oncore << "GLONASS";
    QTest::newRow("no system") << Sat(100, 1, 1, 1, Used) << oncore << "";
    QTest::newRow("no system, short text kept") << Sat(170, 1, 1, 1, Used | 0x08) << oncore << "SA";
  }
  void systemAndHealth()
  {
    QFETCH(SatelliteRecord, record);
    QFETCH(quint32, mode);
    QFETCH(QString, text);
    QCOMPARE(SystemAndHealthText(record, mode), text);
  }

  void sortButtons()
  {
    MainWindow window;
    QList<QPushButton *> buttons;
    auto *table = window.findChild<QTableWidget *>(QStringLiteral("SatsDataTableWidget"));
    for (int column = 0; column < 4; ++column)
      buttons << qobject_cast<QPushButton *>(table->cellWidget(0, column));
    QCOMPARE(window.SatelliteSortModeSetting(), 4);

    buttons[1]->click();
    QCOMPARE(window.SatelliteSortModeSetting(), 1);
    QCOMPARE(buttons[1]->styleSheet(), QLatin1String(SortButtonSelectedStyle));
    buttons[3]->click();
    QCOMPARE(window.SatelliteSortModeSetting(), 3);
    QCOMPARE(buttons[1]->styleSheet(), QLatin1String(SortButtonPlainStyle));
    QCOMPARE(buttons[3]->styleSheet(), QLatin1String(SortButtonSelectedStyle));
    QCOMPARE(QSettings().value("MainWindow/Satellite Sort Mode").toInt(), 3);
    buttons[3]->click();
    QCOMPARE(window.SatelliteSortModeSetting(), 4);
    QCOMPARE(buttons[3]->styleSheet(), QLatin1String(SortButtonPlainStyle));
    QCOMPARE(QSettings().value("MainWindow/Satellite Sort Mode").toInt(), 4);
    window.UpdateSatSortButtons(4);  // no such button
    QCOMPARE(window.SatelliteSortModeSetting(), 4);
  }

  void comparatorsOrderBySortMode()
  {
    SatelliteRecord records[4] = {Sat(8, 20, 300, 30), Sat(2, 60, 100, 45), Sat(5, 40, 200, 45),
                                  Sat(1, 10, 50, 20)};
    SortSatelliteRecords(records, 4, SatelliteSortModes::Cno);
    // Equal C/No keeps the array order.
    QCOMPARE((QList<int>{records[0].identifier, records[1].identifier, records[2].identifier,
                         records[3].identifier}),
             (QList<int>{2, 5, 8, 1}));
    SortSatelliteRecords(records, 4, SatelliteSortModes::Prn);
    QCOMPARE(records[0].identifier, 1);
    QCOMPARE(records[3].identifier, 8);
    SortSatelliteRecords(records, 4, 7);  // unknown: left as it is
    QCOMPARE(records[0].identifier, 1);
    QVERIFY(SatelliteRecordGreaterEl(Sat(1, 50, 0, 0), Sat(2, 40, 0, 0)));
    QVERIFY(SatelliteRecordLessAzm(Sat(1, 0, 10, 0), Sat(2, 0, 20, 0)));
  }

  // A completed group of satellites in view reaches the count label and the
  // table through the window; the same count again still redraws the table.
  void visibleCount()
  {
    FakeTimeSource clock(QDateTime(QDate(2024, 3, 10), QTime(12, 0), Qt::UTC));
    ScopedTimeSourceOverride useClock(&clock);
    MainWindow window;
    window.SetGpsMode(GpsModeGenericNmea);
    auto *visible = window.findChild<QLabel *>(QStringLiteral("IDC_SATS_VISIBLE"));
    window.UpdateVisibleCount();  // no group yet
    QCOMPARE(visible->text(), QStringLiteral("Visible"));

    QVERIFY(window.DecodeNmeaSentence(FramedNmeaSentence("GPGSV,1,1,02,04,40,100,45,06,30,200,40")));
    window.UpdateVisibleCount();
    QCOMPARE(visible->text(), QStringLiteral("2 Visible"));
    QCOMPARE(TableRows(window).first().id, QStringLiteral("4"));

    clock.Advance(2000);  // the next burst
    QVERIFY(window.DecodeNmeaSentence(FramedNmeaSentence("GPGSV,1,1,02,09,40,100,45,06,30,200,40")));
    visible->setText(QStringLiteral("unchanged"));
    window.UpdateVisibleCount();
    QCOMPARE(visible->text(), QStringLiteral("unchanged"));  // same count: label left alone
    QCOMPARE(TableRows(window).first().id, QStringLiteral("9"));
  }
};

RIDUDER_TEST_MAIN(TestSatelliteTable)
#include "tst_satellitetable.moc"
