#include "TestMain.h"

#include "core/GpsDateTime.h"

#include <QRegularExpression>
#include <cmath>
#include <limits>

#ifdef RIDUDER_HAVE_ERFA
#include <erfa.h>
#endif

namespace {

QDateTime Utc(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0)
{
  return QDateTime(QDate(y, mo, d), QTime(h, mi, s, ms), Qt::UTC);
}

// "hh:mm:ss.cc" as seconds of the (sidereal) day.
double SiderealSeconds(const QString &text)
{
  static const QRegularExpression re(QStringLiteral("^(\\d\\d):(\\d\\d):(\\d\\d)\\.(\\d\\d)$"));
  const auto m = re.match(text);
  if (!m.hasMatch())
    return -1.0;
  return m.captured(1).toInt() * 3600 + m.captured(2).toInt() * 60 + m.captured(3).toInt() +
         m.captured(4).toInt() / 100.0;
}

// Difference a - b folded into -43200..43200 seconds.
double CircularDiff(double a, double b)
{
  double d = std::fmod(a - b, 86400.0);
  if (d > 43200.0)
    d -= 86400.0;
  if (d < -43200.0)
    d += 86400.0;
  return d;
}

}  // namespace

class TestGpsDateTime : public QObject {
  Q_OBJECT

private slots:
  void freshObjectHasTodaysMjd();
  void mjdMatchesErfa();
  void knownDates_data();
  void knownDates();
  void gpsWeek_data();
  void gpsWeek();
  void yearDayText_data();
  void yearDayText();
  void elapsedText();
  void siderealTimeMatchesErfa();
  void localSiderealTime();
  void totalOffset_data();
  void totalOffset();
  void offsetsKeepTheirValues();
  void millisecondsDoNotChangeDerivedValues();
  void timeAccessors();
  void invalidDateIsHarmless();
};

void TestGpsDateTime::freshObjectHasTodaysMjd()
{
  const QDate before = QDateTime::currentDateTimeUtc().date();
  GpsDateTime t;
  const QDate after = QDateTime::currentDateTimeUtc().date();
  // 1858-11-17 is MJD 0.
  const quint32 mjdBefore = static_cast<quint32>(QDate(1858, 11, 17).daysTo(before));
  const quint32 mjdAfter = static_cast<quint32>(QDate(1858, 11, 17).daysTo(after));
  QVERIFY(t.Mjd() == mjdBefore || t.Mjd() == mjdAfter);
  QVERIFY(t.GpsWeek() > 2000 && t.GpsWeek() < 10000);
  QCOMPARE(t.GetEpochOffset(), 0);
  QCOMPARE(t.GetPpsOffset(), qint64(0));
  QCOMPARE(t.GetCableDelay(), qint64(0));
  QCOMPARE(t.TotalOffsetMs(), 0);
  QCOMPARE(t.Latitude(), 0.0);
  QCOMPARE(t.Longitude(), 0.0);
}

void TestGpsDateTime::mjdMatchesErfa()
{
#ifndef RIDUDER_HAVE_ERFA
  QSKIP("liberfa not available");
#else
  GpsDateTime t;
  int checked = 0;
  auto check = [&](const QDate &d) {
    double djm0 = 0.0, djm = 0.0;
    QCOMPARE(eraCal2jd(d.year(), d.month(), d.day(), &djm0, &djm), 0);
    t.SetDateTime(QDateTime(d, QTime(23, 59, 59), Qt::UTC));
    if (t.Mjd() != static_cast<quint32>(djm))
      QFAIL(qPrintable(QStringLiteral("%1: MJD %2, reference %3")
                           .arg(d.toString(Qt::ISODate))
                           .arg(t.Mjd())
                           .arg(djm, 0, 'f', 1)));
    ++checked;
  };
  // Every 13th day across the whole range, plus the edges of every year
  // (the last day of February, 1 March and 31 December catch leap slips).
  for (QDate d(1901, 1, 1); d <= QDate(2099, 12, 31); d = d.addDays(13))
    check(d);
  for (int y = 1901; y <= 2099; ++y) {
    check(QDate(y, 1, 1));
    check(QDate(y, 3, 1).addDays(-1));
    check(QDate(y, 3, 1));
    check(QDate(y, 12, 31));
  }
  QVERIFY(checked > 6000);
#endif
}

void TestGpsDateTime::knownDates_data()
{
  QTest::addColumn<QDateTime>("when");
  QTest::addColumn<uint>("mjd");
  QTest::addColumn<double>("secondsOfDay");
  QTest::addColumn<QString>("dayFractionText");

  QTest::newRow("1901-01-01") << Utc(1901, 1, 1) << 15385u << 15385.0 << "15385.00000";
  QTest::newRow("gps epoch") << Utc(1980, 1, 6) << 44244u << 44244.0 << "44244.00000";
  QTest::newRow("j2000 noon") << Utc(2000, 1, 1, 12) << 51544u << 51544.5 << "51544.50000";
  QTest::newRow("mjd 60000 noon") << Utc(2023, 2, 25, 12) << 60000u << 60000.5 << "60000.50000";
  QTest::newRow("last second") << Utc(2024, 2, 29, 23, 59, 59) << 60369u
                               << 60369.0 + 86399.0 / 86400.0 << "60369.99999";
  QTest::newRow("one second") << Utc(2024, 3, 1, 0, 0, 1) << 60370u << 60370.0 + 1.0 / 86400.0
                              << "60370.00001";
}

void TestGpsDateTime::knownDates()
{
  QFETCH(QDateTime, when);
  QFETCH(uint, mjd);
  QFETCH(double, secondsOfDay);
  QFETCH(QString, dayFractionText);
  GpsDateTime t;
  GpsDateTime &same = t.SetDateTime(when);
  QCOMPARE(&same, &t);
  QCOMPARE(t.Mjd(), mjd);
  QCOMPARE(t.SecondsOfDay(), secondsOfDay);
  QCOMPARE(t.DayFractionText(), dayFractionText);
}

void TestGpsDateTime::gpsWeek_data()
{
  QTest::addColumn<QDateTime>("when");
  QTest::addColumn<int>("week");
  QTest::newRow("gps epoch") << Utc(1980, 1, 6) << 0;
  QTest::newRow("end of week 0") << Utc(1980, 1, 12, 23, 59, 59) << 0;
  QTest::newRow("week 1") << Utc(1980, 1, 13) << 1;
  QTest::newRow("first roll-over") << Utc(1999, 8, 22) << 1024;
  QTest::newRow("day before it") << Utc(1999, 8, 21, 23, 59, 59) << 1023;
  QTest::newRow("second roll-over") << Utc(2019, 4, 7) << 2048;
  QTest::newRow("2024-01-01 is week 2295") << Utc(2024, 1, 1) << 2295;
  QTest::newRow("2099-12-31") << Utc(2099, 12, 31) << 6260;
}

void TestGpsDateTime::gpsWeek()
{
  QFETCH(QDateTime, when);
  QFETCH(int, week);
  GpsDateTime t;
  t.SetDateTime(when);
  QCOMPARE(t.GpsWeek(), week);
}

void TestGpsDateTime::yearDayText_data()
{
  QTest::addColumn<QDateTime>("when");
  QTest::addColumn<QString>("text");
  QTest::newRow("noon 5 January") << Utc(2024, 1, 5, 12) << "202405.500000";
  QTest::newRow("06:00 of day 123") << Utc(2024, 5, 2, 6) << "2024123.250000";
  // The half-microday term and printf's own rounding can both round up.
  QTest::newRow("day 1 midnight") << Utc(2023, 1, 1) << "202301.000001";
  QTest::newRow("day 366") << Utc(2024, 12, 31, 18) << "2024366.750000";
  QTest::newRow("last second") << Utc(2023, 12, 31, 23, 59, 59) << "2023365.999989";
}

void TestGpsDateTime::yearDayText()
{
  QFETCH(QDateTime, when);
  QFETCH(QString, text);
  GpsDateTime t;
  t.SetDateTime(when);
  QCOMPARE(t.YearDayText(), text);
}

void TestGpsDateTime::elapsedText()
{
  // Days since 1900-01-01 00:00 UTC, 12 wide, zero-filled.
  QCOMPARE(GpsDateTime::ElapsedTextAt(0), QStringLiteral("25567.000001"));
  QCOMPARE(GpsDateTime::ElapsedTextAt(Utc(2024, 1, 1).toMSecsSinceEpoch()),
           QStringLiteral("45290.000000"));
  // Milliseconds are dropped before the division.
  QCOMPARE(GpsDateTime::ElapsedTextAt(Utc(2024, 1, 1, 12, 0, 0, 999).toMSecsSinceEpoch()),
           QStringLiteral("45290.500000"));
  QCOMPARE(GpsDateTime::ElapsedTextAt(-86400000LL * 25000), QStringLiteral("00567.000001"));

  // It reads the PC clock, not the held time.
  GpsDateTime t;
  t.SetDateTime(Utc(1990, 6, 1));
  const qint64 before = QDateTime::currentMSecsSinceEpoch();
  const QString text = t.ElapsedText();
  const qint64 after = QDateTime::currentMSecsSinceEpoch();
  QCOMPARE(text.size(), 12);
  QVERIFY(text >= GpsDateTime::ElapsedTextAt(before));
  QVERIFY(text <= GpsDateTime::ElapsedTextAt(after));

  const qint64 pcBefore = QDateTime::currentMSecsSinceEpoch();
  const qint64 pc = GpsDateTime::CurrentMSecsSinceEpoch();
  QVERIFY(pc >= pcBefore && pc <= QDateTime::currentMSecsSinceEpoch());
}

void TestGpsDateTime::siderealTimeMatchesErfa()
{
#ifndef RIDUDER_HAVE_ERFA
  QSKIP("liberfa not available");
#else
  // The formula leaves out a small T^2 term and cuts to centiseconds, so
  // it stays within 0.12 s of the reference over 1980-2099.
  GpsDateTime t;
  double worst = 0.0;
  quint32 seed = 12345;
  for (QDate d(1980, 1, 1); d <= QDate(2099, 12, 31); d = d.addDays(11)) {
    seed = seed * 1103515245u + 12345u;
    const int secs = static_cast<int>((seed >> 8) % 86400);
    const QDateTime when(d, QTime(0, 0).addSecs(secs), Qt::UTC);
    t.SetDateTime(when);
    double djm0 = 0.0, djm = 0.0;
    eraCal2jd(d.year(), d.month(), d.day(), &djm0, &djm);
    const double gmst = eraGmst82(djm0, djm + secs / 86400.0);
    const double reference = gmst / (2.0 * M_PI) * 86400.0;
    const double ours = SiderealSeconds(t.SiderealTimeText(0));
    QVERIFY2(ours >= 0.0, qPrintable(t.SiderealTimeText(0)));
    const double diff = std::fabs(CircularDiff(ours, reference));
    worst = std::max(worst, diff);
    QVERIFY2(diff <= 0.12, qPrintable(QStringLiteral("%1: %2, reference %3 s")
                                          .arg(when.toString(Qt::ISODate), t.SiderealTimeText(0))
                                          .arg(reference, 0, 'f', 3)));
  }
  qDebug("largest difference from the reference: %.3f s", worst);
#endif
}

void TestGpsDateTime::localSiderealTime()
{
  GpsDateTime t;
  t.SetDateTime(Utc(2021, 7, 14, 3, 25, 47));
  const QString greenwich = t.SiderealTimeText(0);
  QCOMPARE(t.SiderealTimeText(1), greenwich);  // longitude 0
  QCOMPARE(t.SiderealTimeText(2), greenwich);
  QCOMPARE(t.SiderealTimeText(-1), greenwich);

  t.SetLocation(51.5, 90.0);
  QCOMPARE(t.Latitude(), 51.5);
  QCOMPARE(t.Longitude(), 90.0);
  QCOMPARE(t.SiderealTimeText(0), greenwich);
  const double g = SiderealSeconds(greenwich);
  // Six sidereal hours later, to within the centisecond cut.
  QVERIFY(std::fabs(CircularDiff(SiderealSeconds(t.SiderealTimeText(1)), g) - 21600.0) <= 0.011);
  t.SetLocation(0.0, -135.0);
  QVERIFY(std::fabs(CircularDiff(SiderealSeconds(t.SiderealTimeText(1)), g) + 32400.0) <= 0.011);
  // Latitude plays no part.
  t.SetLocation(-80.0, -135.0);
  QVERIFY(std::fabs(CircularDiff(SiderealSeconds(t.SiderealTimeText(1)), g) + 32400.0) <= 0.011);

  // The texts always read hh:mm:ss.cc with hours below 24.
  for (int lon = -180; lon <= 180; lon += 15) {
    t.SetLocation(0.0, lon);
    const QString text = t.SiderealTimeText(1);
    const double s = SiderealSeconds(text);
    QVERIFY2(s >= 0.0 && s < 86400.0, qPrintable(text));
  }
}

void TestGpsDateTime::totalOffset_data()
{
  QTest::addColumn<int>("epochMs");
  QTest::addColumn<qint64>("ppsNs");
  QTest::addColumn<qint64>("cableNs");
  QTest::addColumn<int>("totalOffsetMs");

  QTest::newRow("all zero") << 0 << qint64(0) << qint64(0) << 0;
  QTest::newRow("epoch 700") << 700 << qint64(0) << qint64(0) << -300;
  QTest::newRow("epoch 1250") << 1250 << qint64(0) << qint64(0) << 250;
  QTest::newRow("cable 1.5 ms") << 0 << qint64(0) << qint64(1500000) << -1;
  QTest::newRow("epoch -1700") << -1700 << qint64(0) << qint64(0) << -699;
  QTest::newRow("epoch -500") << -500 << qint64(0) << qint64(0) << -499;
  QTest::newRow("epoch 499") << 499 << qint64(0) << qint64(0) << 499;
  QTest::newRow("epoch 500") << 500 << qint64(0) << qint64(0) << -500;
  QTest::newRow("epoch 999") << 999 << qint64(0) << qint64(0) << -1;
  QTest::newRow("epoch 1000") << 1000 << qint64(0) << qint64(0) << 0;
  QTest::newRow("pps just under half") << 0 << qint64(499999) << qint64(0) << 0;
  QTest::newRow("pps half rounds up") << 0 << qint64(500000) << qint64(0) << 1;
  QTest::newRow("pps 2 ms minus cable 0.7 ms") << 10 << qint64(2000000) << qint64(700000) << 11;
  QTest::newRow("negative cable delay adds") << 0 << qint64(0) << qint64(-2000000) << 2;
  QTest::newRow("negative pps offset") << 0 << qint64(-3000000) << qint64(0) << -2;
  QTest::newRow("pps 4294967295 ns") << 0 << qint64(4294967295LL) << qint64(0) << 295;
  QTest::newRow("cable 4294967295 ns") << 0 << qint64(0) << qint64(4294967295LL) << -294;
  QTest::newRow("largest epoch and pps")
      << std::numeric_limits<int>::max() << qint64(4294967295LL) << qint64(0) << -58;
  QTest::newRow("smallest epoch and cable")
      << std::numeric_limits<int>::min() << qint64(0) << qint64(4294967295LL) << -942;
}

void TestGpsDateTime::totalOffset()
{
  QFETCH(int, epochMs);
  QFETCH(qint64, ppsNs);
  QFETCH(qint64, cableNs);
  QFETCH(int, totalOffsetMs);

  // The total follows whichever setter ran last, in any order.
  GpsDateTime a;
  a.SetEpochOffset(epochMs);
  a.SetPpsOffset(ppsNs);
  a.SetCableDelay(cableNs);
  QCOMPARE(a.TotalOffsetMs(), totalOffsetMs);

  GpsDateTime b;
  b.SetCableDelay(cableNs);
  b.SetPpsOffset(ppsNs);
  b.SetEpochOffset(epochMs);
  QCOMPARE(b.TotalOffsetMs(), totalOffsetMs);

  // A copy carries the offsets and the total.
  GpsDateTime c;
  c = b;
  QCOMPARE(c.TotalOffsetMs(), totalOffsetMs);
  QCOMPARE(c.GetEpochOffset(), epochMs);
}

void TestGpsDateTime::offsetsKeepTheirValues()
{
  GpsDateTime t;
  t.SetPpsOffset(4294967295LL);
  t.SetCableDelay(-125);
  t.SetEpochOffset(-20);
  QCOMPARE(t.GetPpsOffset(), qint64(4294967295LL));
  QCOMPARE(t.GetCableDelay(), qint64(-125));
  QCOMPARE(t.GetEpochOffset(), -20);
  // The time itself does not touch the offsets, nor the offsets the time.
  const QDateTime when = Utc(2010, 10, 10, 10, 10, 10);
  t.SetDateTime(when);
  QCOMPARE(t.GetPpsOffset(), qint64(4294967295LL));
  QCOMPARE(t.MSecsSinceEpoch(), when.toMSecsSinceEpoch());
}

void TestGpsDateTime::millisecondsDoNotChangeDerivedValues()
{
  GpsDateTime whole;
  GpsDateTime withMs;
  whole.SetDateTime(Utc(2015, 6, 30, 23, 59, 59, 0));
  withMs.SetDateTime(Utc(2015, 6, 30, 23, 59, 59, 999));
  whole.SetLocation(10, 20);
  withMs.SetLocation(10, 20);
  QCOMPARE(withMs.Mjd(), whole.Mjd());
  QCOMPARE(withMs.GpsWeek(), whole.GpsWeek());
  QCOMPARE(withMs.SecondsOfDay(), whole.SecondsOfDay());
  QCOMPARE(withMs.DayFractionText(), whole.DayFractionText());
  QCOMPARE(withMs.YearDayText(), whole.YearDayText());
  QCOMPARE(withMs.SiderealTimeText(0), whole.SiderealTimeText(0));
  QCOMPARE(withMs.SiderealTimeText(1), whole.SiderealTimeText(1));
  // The held time in ms since 1970 does keep them.
  QCOMPARE(withMs.MSecsSinceEpoch() - whole.MSecsSinceEpoch(), qint64(999));
}

void TestGpsDateTime::timeAccessors()
{
  GpsDateTime t;
  const QDateTime when = Utc(2024, 2, 29, 7, 8, 9, 250);
  t.SetDateTime(when);
  QCOMPARE(t.year(), 2024);
  QCOMPARE(t.month(), 2);
  QCOMPARE(t.day(), 29);
  QCOMPARE(t.hour(), 7);
  QCOMPARE(t.minute(), 8);
  QCOMPARE(t.second(), 9);
  QCOMPARE(t.dayOfYear(), 60);
  QCOMPARE(t.MSecsSinceEpoch(), qint64(1709190489250LL));
  QCOMPARE(t.toString(QStringLiteral("ddd MMM dd hh:mm:ss yyyy")),
           QStringLiteral("Thu Feb 29 07:08:09 2024"));

  // addSecs leaves the object alone; storing it back moves the MJD.
  const QDateTime next = t.addSecs(86400 - 7 * 3600);
  QCOMPARE(t.day(), 29);
  QCOMPARE(next, Utc(2024, 3, 1, 0, 8, 9, 250));
  const quint32 mjd = t.Mjd();
  t.SetDateTime(next);
  QCOMPARE(t.Mjd(), mjd + 1);
  QCOMPARE(t.dayOfYear(), 61);
}

void TestGpsDateTime::invalidDateIsHarmless()
{
  GpsDateTime t;
  t.SetDateTime(QDateTime());
  QCOMPARE(t.Mjd(), 0u);
  // Texts are still produced; nothing crashes.
  QVERIFY(!t.DayFractionText().isEmpty());
  QVERIFY(!t.SiderealTimeText(1).isEmpty());
  t.SetDateTime(Utc(1800, 1, 1));
  QCOMPARE(t.Mjd(), 0u);
}

RIDUDER_TEST_MAIN(TestGpsDateTime)
#include "tst_gpsdatetime.moc"
