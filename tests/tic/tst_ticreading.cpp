#include "TestMain.h"
#include "FakeTimeSource.h"

#include "core/GpsDateTime.h"
#include "platform/TimeSource.h"
#include "tic/TicReading.h"
#include "logging/TicTimeTag.h"

namespace {
QDateTime Utc(int y, int mo, int d, int h = 0, int mi = 0, int s = 0)
{
  return QDateTime(QDate(y, mo, d), QTime(h, mi, s), Qt::UTC);
}
}  // namespace

class TestTicReading : public QObject {
  Q_OBJECT

private slots:
  // The text after a counter line's port field, through the decimal marks
  // and the reading parser: microseconds, or rejected (empty expected).
  void counterTextToMicroseconds_data()
  {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("microseconds");
    QTest::newRow("exponent, no unit") << QByteArray("+1.23456789012E-07") << QByteArray("0.123457");
    QTest::newRow("exponent, negative") << QByteArray("-1.5E-3") << QByteArray("-1500.000000");
    QTest::newRow("exponent, lower case") << QByteArray("2.5e-6") << QByteArray("2.500000");
    QTest::newRow("ns") << QByteArray("250 ns") << QByteArray("00.250000");
    QTest::newRow("ms") << QByteArray("1.5 ms") << QByteArray("1500.000000");
    QTest::newRow("us kept as sent") << QByteArray("12.5 us") << QByteArray("12.5");
    QTest::newRow("s") << QByteArray("  -0.000000251 s  ") << QByteArray("-0.251000");
    QTest::newRow("decimal comma") << QByteArray("0,5 us") << QByteArray("0.5");
    QTest::newRow("dots group") << QByteArray("1.234.567 us") << QByteArray("1234567");
    QTest::newRow("commas group") << QByteArray("1,234,567.8 us") << QByteArray("1234567.8");
    QTest::newRow("comma then dot") << QByteArray("1,234.5 us") << QByteArray("1234.5");
    QTest::newRow("dot then comma") << QByteArray("1.234,5 us") << QByteArray("1234.5");
    QTest::newRow("comma first, one each") << QByteArray("1,5.2 us") << QByteArray("15.2");
    QTest::newRow("tiny exponent") << QByteArray("1E-999") << QByteArray("0.000000");
    QTest::newRow("SCPI no value") << QByteArray("9.91E37") << QByteArray();
    QTest::newRow("huge exponent") << QByteArray("1E999") << QByteArray();
    QTest::newRow("beyond the range") << QByteArray("2000000 s") << QByteArray();
    QTest::newRow("no unit") << QByteArray("12") << QByteArray();
    QTest::newRow("unknown unit") << QByteArray("12 xyz") << QByteArray();
    QTest::newRow("E without exponent") << QByteArray("3 Error") << QByteArray();
    QTest::newRow("no number") << QByteArray("garbage") << QByteArray();
    QTest::newRow("binary junk") << QByteArray("\x01\xff\x7f") << QByteArray();
    QTest::newRow("empty") << QByteArray("   ") << QByteArray();
  }

  void counterTextToMicroseconds()
  {
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, microseconds);
    QByteArray converted = NormalizeTicDecimalMarks(text);
    const bool reading = ParseTicReading(converted);
    QCOMPARE(reading, !microseconds.isEmpty());
    if (reading)
      QCOMPARE(converted, microseconds);
    else
      QCOMPARE(converted, NormalizeTicDecimalMarks(text).trimmed());
  }

  void foldIntoHalfASecond_data()
  {
    QTest::addColumn<double>("reading");
    QTest::addColumn<double>("folded");
    QTest::newRow("inside") << 123.25 << 123.25;
    QTest::newRow("just below a second") << 999999.5 << -0.5;
    QTest::newRow("half past, kept") << 1500000.0 << 500000.0;
    QTest::newRow("half before, kept") << -1500000.0 << -500000.0;
    QTest::newRow("two and a half before") << -2500000.0 << -500000.0;
    QTest::newRow("above half") << 500000.5 << -499999.5;
    QTest::newRow("below minus half") << -700000.0 << 300000.0;
    QTest::newRow("whole second") << 1000000.0 << 0.0;
    QTest::newRow("far out, at once") << 1e12 + 250.0 << 250.0;
  }

  void foldIntoHalfASecond()
  {
    QFETCH(double, reading);
    QFETCH(double, folded);
    QCOMPARE(FoldTicReading(reading), folded);
  }

  void fieldSeparators_data()
  {
    QTest::addColumn<int>("style");
    QTest::addColumn<QByteArray>("row");
    QTest::newRow("blank") << 0 << QByteArray("a b\tc d");
    QTest::newRow("comma") << 1 << QByteArray("a,b\tc,d");
    QTest::newRow("tab") << 2 << QByteArray("a\tb\tc\td");
    QTest::newRow("unknown style") << 7 << QByteArray("a b\tc d");
  }

  void fieldSeparators()
  {
    QFETCH(int, style);
    QFETCH(QByteArray, row);
    QCOMPARE(TicFieldSeparator("  a    b\tc d  \n", style), row);
  }

  void timeTagsForFixedTimes()
  {
    GpsDateTime shown;
    shown.SetDateTime(Utc(2024, 3, 10, 12, 0, 0));
    FakeTimeSource pc(Utc(2024, 1, 1));
    ScopedTimeSourceOverride useFake(&pc);
    QCOMPARE(LogTimeTag(TicTimeTagFormats::Calendar, shown), QStringLiteral("202470.500000 "));
    QCOMPARE(LogTimeTag(TicTimeTagFormats::Mjd, shown), QStringLiteral("60379.50000 "));
    // The spreadsheet day comes from the PC clock, not the receiver.
    QCOMPARE(LogTimeTag(TicTimeTagFormats::Excel, shown), QStringLiteral("45290.000000 "));
    pc.SetUtc(Utc(2024, 1, 1, 18, 0, 0));
    QCOMPARE(LogTimeTag(TicTimeTagFormats::Excel, shown), QStringLiteral("45290.750000 "));
    QCOMPARE(LogTimeTag(3, shown), QString());
    QCOMPARE(LogTimeTag(-1, shown), QString());
  }
};

RIDUDER_TEST_MAIN(TestTicReading)
#include "tst_ticreading.moc"
