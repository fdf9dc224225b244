#include "TestMain.h"

#include "FakePcClocks.h"
#include "FakeTimeSource.h"
#include "app/ClockDisplayText.h"
#include "app/MainWindow.h"
#include "core/MonthNames.h"
#include "clock/PcClockSettings.h"
#include "clock/SetPcClockDialog.h"
#include "platform/TimeSource.h"
#include "position/GpsNavDialog.h"

#include <QLabel>
#include <QSettings>
#include <QTableWidget>

#include <ctime>

namespace {

QDateTime Utc(int y, int mo, int d, int h, int mi, int s)
{
  return QDateTime(QDate(y, mo, d), QTime(h, mi, s), Qt::UTC);
}

GpsDateTime ReceiverTime(const QDateTime &utc, int epochOffsetMs = 0, qint64 ppsNs = 0, qint64 cableNs = 0)
{
  GpsDateTime time;
  time.SetDateTime(utc);
  time.SetEpochOffset(epochOffsetMs);
  time.SetPpsOffset(ppsNs);
  time.SetCableDelay(cableNs);
  return time;
}

// Sets TZ for the life of the object, then goes back to UTC.
class ScopedTimeZone {
public:
  explicit ScopedTimeZone(const char *zone)
  {
    qputenv("TZ", zone);
    tzset();
  }
  ~ScopedTimeZone()
  {
    qputenv("TZ", "UTC");
    tzset();
  }
};

// The widgets of the main window's clock area, by object name.
struct Form {
  explicit Form(QObject &window)
      : ClockDisplay(window.findChild<QLabel *>(QStringLiteral("ClockDisplay"))),
        IDC_GPS_CLOCK_DATA(window.findChild<QLabel *>(QStringLiteral("IDC_GPS_CLOCK_DATA"))),
        IDC_PC_CLOCK_DATA(window.findChild<QLabel *>(QStringLiteral("IDC_PC_CLOCK_DATA"))),
        IDC_SIDEREAL_TIME(window.findChild<QLabel *>(QStringLiteral("IDC_SIDEREAL_TIME"))),
        GpsNavDataTableWidget(window.findChild<QTableWidget *>(QStringLiteral("GpsNavDataTableWidget")))
  {
  }
  const Form *operator->() const { return this; }
  QLabel *ClockDisplay;
  QLabel *IDC_GPS_CLOCK_DATA;
  QLabel *IDC_PC_CLOCK_DATA;
  QLabel *IDC_SIDEREAL_TIME;
  QTableWidget *GpsNavDataTableWidget;
};

}  // namespace

class TestClockDisplay : public QObject {
  Q_OBJECT

private slots:
  void timeTextTakesTheOffsetAsMilliseconds_data()
  {
    QTest::addColumn<QDateTime>("time");
    QTest::addColumn<int>("epochMs");
    QTest::addColumn<qint64>("cableNs");
    QTest::addColumn<QString>("expected");
    const QDateTime t = Utc(2024, 3, 10, 12, 34, 56);
    QTest::newRow("no offset") << t << 0 << qint64(0) << "12:34.56.000";
    QTest::newRow("250 ms") << t << 250 << qint64(0) << "12:34.56.250";
    QTest::newRow("499 ms") << t << 499 << qint64(0) << "12:34.56.499";
    // 700 and 500 are shown as the mark before the labelled second.
    QTest::newRow("-300 ms") << t << 700 << qint64(0) << "12:34.55.700";
    QTest::newRow("-500 ms") << t << 500 << qint64(0) << "12:34.55.500";
    QTest::newRow("-1 ms by cable") << t << 0 << qint64(1500000) << "12:34.55.999";
    QTest::newRow("-300 ms at midnight") << Utc(2024, 3, 10, 0, 0, 0) << 700 << qint64(0) << "23:59.59.700";
  }
  void timeTextTakesTheOffsetAsMilliseconds()
  {
    QFETCH(QDateTime, time);
    QFETCH(int, epochMs);
    QFETCH(qint64, cableNs);
    QFETCH(QString, expected);
    const GpsDateTime shown = ReceiverTime(time, epochMs, 0, cableNs);
    QCOMPARE(ClockTimeText(shown), expected);
    // The time itself is not moved.
    QCOMPARE(shown.toString(QStringLiteral("HH:mm:ss")), time.toString(QStringLiteral("HH:mm:ss")));
  }

  void largeClockInEveryMode_data()
  {
    QTest::addColumn<int>("mode");
    QTest::addColumn<qint64>("pcOffsetMs");
    QTest::addColumn<QString>("expected");
    QTest::newRow("0 UTC") << 0 << qint64(0) << "12:34.56.250";
    QTest::newRow("1 PC") << 1 << qint64(0) << "13:45:01.234";
    QTest::newRow("4 MJD") << 4 << qint64(0) << "60379.52426";
    QTest::newRow("5 PC-U") << 5 << qint64(1234) << "1.234";
    QTest::newRow("5 PC-U negative") << 5 << qint64(-250) << "-0.250";
    QTest::newRow("5 PC-U large") << 5 << qint64(98765) << "98.765";
    QTest::newRow("9 unknown is UTC") << 9 << qint64(0) << "12:34.56.250";
    QTest::newRow("-1 unknown is UTC") << -1 << qint64(0) << "12:34.56.250";
  }
  void largeClockInEveryMode()
  {
    QFETCH(int, mode);
    QFETCH(qint64, pcOffsetMs);
    QFETCH(QString, expected);
    const GpsDateTime shown = ReceiverTime(Utc(2024, 3, 10, 12, 34, 56), 250);
    const QDateTime pcLocal(QDate(2024, 3, 10), QTime(13, 45, 1, 234));
    QCOMPARE(LargeClockText(mode, shown, pcLocal, pcOffsetMs), expected);
  }

  void siderealModesAgreeWithTheTimeClass()
  {
    GpsDateTime shown = ReceiverTime(Utc(2024, 3, 10, 12, 34, 56));
    shown.SetLocation(45.0, 90.0);
    const QString lmst = LargeClockText(ClockModes::Lmst, shown, QDateTime(), 0);
    const QString gmst = LargeClockText(ClockModes::Gmst, shown, QDateTime(), 0);
    QCOMPARE(lmst, shown.SiderealTimeText(1));
    QCOMPARE(gmst, shown.SiderealTimeText(0));
    // 90 degrees east is six sidereal hours ahead.
    const QTime g = QTime::fromString(gmst.left(8), QStringLiteral("HH:mm:ss"));
    const QTime l = QTime::fromString(lmst.left(8), QStringLiteral("HH:mm:ss"));
    QVERIFY(g.isValid() && l.isValid());
    QCOMPARE(g.addSecs(6 * 3600).toString(QStringLiteral("HH:mm:ss")), l.toString(QStringLiteral("HH:mm:ss")));

    QCOMPARE(SiderealPanelText(shown), shown.SiderealTimeText(1) + "<br>" + shown.SiderealTimeText(0) +
                                           "<br>60379.52426");
    // The panel's MJD has no rounding term: 11:59:59.9 would round up in
    // the MJD clock but not here.
    const GpsDateTime noon = ReceiverTime(Utc(2000, 1, 1, 12, 0, 0));
    QVERIFY(SiderealPanelText(noon).endsWith(QLatin1String("<br>51544.50000")));
  }

  void counterModesLeaveTheLargeClock()
  {
    const GpsDateTime shown = ReceiverTime(Utc(2024, 3, 10, 12, 34, 56));
    QVERIFY(LargeClockText(ClockModes::Tic, shown, QDateTime(), 0).isNull());
    QVERIFY(LargeClockText(ClockModes::TicRaw, shown, QDateTime(), 0).isNull());
  }

  void gpsDateText_data()
  {
    QTest::addColumn<QDateTime>("time");
    QTest::addColumn<int>("epochMs");
    QTest::addColumn<int>("utcOffset");
    QTest::addColumn<int>("leap");
    QTest::addColumn<QString>("expected");
    const QDateTime t = Utc(2024, 3, 10, 12, 34, 56);
    const QString head = QStringLiteral("UTC Day #070  12:34.56.250<br>Sunday, 10-Mar-2024<br>GPS Week = 2305");
    QTest::newRow("nothing known") << t << 250 << 0 << -1 << head;
    QTest::newRow("no leap second") << t << 250 << 0 << 0 << head;
    QTest::newRow("negative offset is not shown") << t << 250 << -3 << -1 << head;
    QTest::newRow("utc offset") << t << 250 << 18 << -1 << head + "<br>UTC = GPS - 18 seconds";
    QTest::newRow("leap +1") << t << 250 << 18 << 1
                             << head + "<br>UTC = GPS - 18 seconds<br>+1 leap second is pending";
    QTest::newRow("leap -1") << t << 250 << 0 << 2 << head + "<br>-1 leap second is pending";
    QTest::newRow("day padded, week 0") << Utc(1980, 1, 6, 0, 0, 5) << 0 << 0 << -1
                                        << "UTC Day #006  00:00.05.000<br>Sunday, 06-Jan-1980<br>GPS Week = 0";
    // Once, not twice, a second back: the time agrees with the large clock.
    QTest::newRow("-300 ms") << t << 700 << 0 << -1
                             << "UTC Day #070  12:34.55.700<br>Sunday, 10-Mar-2024<br>GPS Week = 2305";
  }
  void gpsDateText()
  {
    QFETCH(QDateTime, time);
    QFETCH(int, epochMs);
    QFETCH(int, utcOffset);
    QFETCH(int, leap);
    QFETCH(QString, expected);
    QCOMPARE(GpsDateText(ReceiverTime(time, epochMs), utcOffset, leap), expected);
  }

  void timeZoneNameBySeason_data()
  {
    QTest::addColumn<QByteArray>("zone");
    QTest::addColumn<QDateTime>("utc");
    QTest::addColumn<QString>("expected");
    QTest::newRow("Berlin summer") << QByteArray("Europe/Berlin") << Utc(2024, 7, 1, 12, 0, 0)
                                   << "14:00:00.000<br>Central European Summer Time";
    QTest::newRow("Berlin winter") << QByteArray("Europe/Berlin") << Utc(2024, 1, 15, 12, 0, 0)
                                   << "13:00:00.000<br>Central European Standard Time";
    QTest::newRow("New York summer") << QByteArray("America/New_York") << Utc(2024, 7, 1, 12, 0, 0)
                                     << "08:00:00.000<br>Eastern Daylight Time";
    QTest::newRow("New York winter") << QByteArray("America/New_York") << Utc(2024, 1, 15, 12, 0, 0)
                                     << "07:00:00.000<br>Eastern Standard Time";
  }
  void timeZoneNameBySeason()
  {
    QFETCH(QByteArray, zone);
    QFETCH(QDateTime, utc);
    QFETCH(QString, expected);
    ScopedTimeZone tz(zone.constData());
    QCOMPARE(PcClockText(utc.toLocalTime()), expected);
  }

  void positionTextSplitsIntoFourPieces_data()
  {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("pieces");
    QTest::newRow("four") << "51.5N<br>0.1W<br>  45m<br>  0m" << QStringList{"51.5N", "0.1W", "  45m", "  0m"};
    QTest::newRow("more breaks stay in the last") << "a<br>b<br>c<br>d<br>e"
                                                  << QStringList{"a", "b", "c", "d<br>e"};
    QTest::newRow("fewer") << "a<br>b" << QStringList{"a", "b", "", ""};
    QTest::newRow("empty") << "" << QStringList{"", "", "", ""};
  }
  void positionTextSplitsIntoFourPieces()
  {
    QFETCH(QString, text);
    QFETCH(QStringList, pieces);
    QCOMPARE(SplitPositionText(text), pieces);
  }

  void monthAbbreviation_data()
  {
    QTest::addColumn<int>("month");
    QTest::addColumn<QString>("name");
    QTest::newRow("0") << 0 << "Illegal month";
    QTest::newRow("1") << 1 << "Jan";
    QTest::newRow("5") << 5 << "May";
    QTest::newRow("12") << 12 << "Dec";
    QTest::newRow("13") << 13 << "Illegal month";
    QTest::newRow("-1") << -1 << "Illegal month";
  }
  void monthAbbreviation()
  {
    QFETCH(int, month);
    QFETCH(QString, name);
    QCOMPARE(MonthAbbreviation(month), name);
    QCOMPARE(MainWindow::MonthAbbreviation(month), name);
  }

  // The window: labels, position rows, lock flag, and the receiver time
  // left as it was.
  void windowDrawsTheClockArea()
  {
    QSettings().clear();
    FakeTimeSource clock(Utc(2024, 3, 10, 13, 0, 0));
    ScopedTimeSourceOverride useClock(&clock);
    MainWindow window;
    const Form ui(window);
    ReceiverState &state = window.State();
    auto *nav = window.findChild<GpsNavDialog *>();
    QVERIFY(nav);

    state.receiverTime = ReceiverTime(Utc(2024, 3, 10, 12, 34, 56), 700);
    state.utcOffsetSeconds = 18;
    nav->SetSatsTracked(5);
    window.UpdateClockDisplay();
    QCOMPARE(ui->ClockDisplay->text(), QStringLiteral("12:34.55.700"));
    QCOMPARE(ui->IDC_GPS_CLOCK_DATA->text(),
             QStringLiteral("UTC Day #070  12:34.55.700<br>Sunday, 10-Mar-2024<br>GPS Week = 2305"
                            "<br>UTC = GPS - 18 seconds"));
    QCOMPARE(ui->IDC_PC_CLOCK_DATA->text(), QStringLiteral("13:00:00.000<br>UTC"));
    QCOMPARE(ui->IDC_SIDEREAL_TIME->text(), SiderealPanelText(state.receiverTime));
    QCOMPARE(state.receiverTime.second(), 56);
    QCOMPARE(state.displayCopy.MSecsSinceEpoch(), state.receiverTime.MSecsSinceEpoch());
    QCOMPARE(state.displayCopy.TotalOffsetMs(), -300);
    QVERIFY(!state.outOfLock);

    // Position rows: the three texts cut into columns 1 to 4; nothing
    // averaged yet, so the "Avg" row is empty.
    QVERIFY(!nav->Averages().AveragesHeld());
    const QString texts[3] = {nav->CurrentPositionText(0), QString(), nav->ReferencePositionText(0)};
    for (int row = 1; row <= 3; ++row) {
      const QStringList pieces = SplitPositionText(texts[row - 1]);
      for (int column = 1; column <= 4; ++column)
        QCOMPARE(ui->GpsNavDataTableWidget->item(row, column)->text(), pieces.at(column - 1));
    }
    QCOMPARE(ui->GpsNavDataTableWidget->item(1, 0)->text(), QStringLiteral("Cur:"));

    // The offset changes between redraws: each redraw uses its own.
    state.receiverTime.SetDateTime(Utc(2024, 3, 10, 12, 34, 57));
    state.receiverTime.SetEpochOffset(250);
    window.UpdateClockDisplay();
    QCOMPARE(ui->ClockDisplay->text(), QStringLiteral("12:34.57.250"));
    state.receiverTime.SetDateTime(Utc(2024, 3, 10, 12, 34, 58));
    state.receiverTime.SetEpochOffset(700);
    window.UpdateClockDisplay();
    QCOMPARE(ui->ClockDisplay->text(), QStringLiteral("12:34.57.700"));
    QVERIFY(ui->IDC_GPS_CLOCK_DATA->text().contains(QLatin1String("  12:34.57.700<br>")));

    // Lost lock.
    nav->SetSatsTracked(0);
    window.UpdateClockDisplay();
    QVERIFY(state.outOfLock);

    // Counter modes: the large clock keeps port 1's last reading, the rest
    // is drawn.
    window.findChild<QAction *>(QStringLiteral("actionTIC_Raw"))->trigger();
    window.ProcessTicLine("1 1.234 us");
    QCOMPARE(ui->ClockDisplay->text(), QStringLiteral("1.234"));
    state.receiverTime.SetDateTime(Utc(2024, 3, 10, 12, 35, 0));
    state.receiverTime.SetEpochOffset(0);
    window.UpdateClockDisplay();
    QCOMPARE(ui->ClockDisplay->text(), QStringLiteral("1.234"));
    QVERIFY(ui->IDC_GPS_CLOCK_DATA->text().contains(QLatin1String("  12:35.00.000<br>")));

    window.findChild<QAction *>(QStringLiteral("actionMJD"))->trigger();
    window.UpdateClockDisplay();
    QCOMPARE(ui->ClockDisplay->text(), state.receiverTime.DayFractionText());
    window.findChild<QAction *>(QStringLiteral("actionPC"))->trigger();
    clock.SetUtc(QDateTime(QDate(2024, 3, 10), QTime(13, 0, 1, 5), Qt::UTC));
    window.UpdateClockDisplay();
    QCOMPARE(ui->ClockDisplay->text(), QStringLiteral("13:00:01.005"));

    // Closing: nothing more is drawn.
    state.closing = true;
    state.receiverTime.SetDateTime(Utc(2024, 3, 10, 12, 40, 0));
    window.UpdateClockDisplay();
    QVERIFY(ui->IDC_GPS_CLOCK_DATA->text().contains(QLatin1String("  12:35.00.000<br>")));
    state.closing = false;
  }

  // A redraw after the clock step has set the PC clock hands the date text
  // to the PC-clock window once; the next redraw does not report again.
  void clockSetIsReportedOnceWithTheDateText()
  {
    QSettings().clear();
    riduder::test::FakePcClocks clocks(Utc(2024, 3, 12, 14, 30, 15));
    QSettings().setValue(PcClockKeys::Mode, int(SyncEverySecond));
    MainWindow window;
    const Form ui(window);
    ReceiverState &state = window.State();
    SetPcClockDialog *dialog = window.PcClockDialog();
    QVERIFY(dialog);

    // Locked, with the PC a quarter second behind.
    state.receiverTime.SetDateTime(Utc(2024, 3, 12, 14, 30, 15));
    state.tickPending = true;
    state.outOfLock = false;
    clocks.pc.SetMSecsSinceEpoch(state.receiverTime.MSecsSinceEpoch() - 250);
    window.SyncPcClock();
    QCOMPARE(clocks.clock.AppliedTimes().size(), 1);
    window.UpdateClockDisplay();
    QCOMPARE(dialog->ClockResetCount(), 1u);
    QCOMPARE(dialog->LastSyncText(), ui->IDC_GPS_CLOCK_DATA->text());
    QVERIFY(dialog->LastSyncText().startsWith(QLatin1String("UTC Day #072  14:30.15.000<br>")));

    window.UpdateClockDisplay();
    QCOMPARE(dialog->ClockResetCount(), 1u);
  }
};

RIDUDER_TEST_MAIN(TestClockDisplay)
#include "tst_clockdisplay.moc"
