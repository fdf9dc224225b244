#include "TestMain.h"

#include "position/CoordinateText.h"
#include "position/GpsNavDialog.h"
#include "position/ReferenceLocationDialog.h"

#include <QMessageBox>
#include <QRandomGenerator>
#include <QTimer>
#include <limits>

namespace {

// "title|text" of each message, joined by " // ".
QString Joined(const QList<CoordinateMessage> &messages)
{
  QStringList parts;
  for (const CoordinateMessage &m : messages)
    parts << m.title + QLatin1Char('|') + m.text;
  return parts.join(QStringLiteral(" // "));
}

// Answers every message box that opens while it lives, noting its texts.
class MessageBoxCatcher : public QObject {
public:
  MessageBoxCatcher()
  {
    connect(&timer_, &QTimer::timeout, this, [this] {
      if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
        seen << box->windowTitle() + QLatin1Char('|') + box->text();
        box->done(QMessageBox::Ok);
      }
    });
    timer_.start(0);
  }
  QStringList seen;

private:
  QTimer timer_;
};

const QString kLastFieldOnly = QStringLiteral("Format Error|Only the last field may have a fractional part.");
const QString kUnknownEnd = QStringLiteral("Format Error|Unknown characters at end of field.");
const QString kMinutesRange =
    QStringLiteral("Numeric Error|Minutes field out of range.\nDegrees must be between 0.0 and 60.0");
const QString kSecondsRange =
    QStringLiteral("Numeric Error|Seconds field out of range.\nDegrees must be between  0.0 and 60.0");
const QString kSignAndIndicator =
    QStringLiteral("Numeric Error|Do not use both the \"-\" sign and N, S, E, or W indicators.");
const QString kLatitudeRange =
    QStringLiteral("Numeric Error|Degrees field out of range.\nDegrees must be between -90.0 and +90.0");
const QString kLongitudeRange =
    QStringLiteral("Numeric Error|Degrees field out of range.\nDegrees must be between -180.0 and +180.0");
const QString kAltitudeChars = QStringLiteral(
    "Extraineous characters in Altitude.|Only the following characters are allowed: \"+-1234567890.\"");
const QString kAltitudeRange =
    QStringLiteral("Numeric Error|Field is out of range.\nMust be between -500 and 18000");

}  // namespace

class TestCoordinates : public QObject {
  Q_OBJECT

private slots:
  void positionTexts_data();
  void positionTexts();
  void positionTextSelectorsPerKind();
  void formatLatLon_data();
  void formatLatLon();
  void parseLatLon_data();
  void parseLatLon();
  void emptyTextFailsUntouched();
  void parseAltitude_data();
  void parseAltitude();
  void formatThenParseRoundTrips();
  void dialogShowsParserMessages();
  void failedParseKeepsCallersValue();
  void maidenhead_data();
  void maidenhead();
  void nonFiniteValuesStillFormat();
};

void TestCoordinates::positionTexts_data()
{
  QTest::addColumn<double>("latitude");
  QTest::addColumn<double>("longitude");
  QTest::addColumn<double>("gps");
  QTest::addColumn<double>("msl");
  QTest::addColumn<int>("notation");
  QTest::addColumn<QString>("expected");

  const auto row = [](const char *name, double lat, double lon, double gps, double msl, int n, const char *text) {
    QTest::newRow(name) << lat << lon << gps << msl << n << QString::fromUtf8(text);
  };
  row("decimal", 12.5, -3.25, 100, 50.4, 0, "12.50000000°<br>-3.25000000°<br>     100m<br>      50m");
  row("comma separated", 12.5, -3.25, 100, 50.5, 4, "12.50000000°,-3.25000000°,100.00,50.50");
  row("comma separated pads", 5.25, 0, 0, 0, 4, " 5.25000000°, 0.00000000°,0.00,0.00");
  row("nmea north west", 12.5, -3.25, 0, 0, 3, "1230.0000,N,00315.0000,W");
  row("nmea south east", -33.8568, 151.2153, 0, 0, 3, "3351.4080,S,15112.9180,E");
  row("nmea carries a whole minute", 12.999999999, -0.999999999, 0, 0, 3, "1300.0000,N,00100.0000,W");
  row("minutes between -1 and 0", -0.5, -0.25, 1234.4, -12.6, 1,
      "-00° 30.00000'<br>-  00° 15.00000'<br>    1234m<br>     -13m");
  row("minutes, signed degrees", -33.8568, 151.2153, 0, 0, 1,
      "-33° 51.40800'<br> 151° 12.91800'<br>       0m<br>       0m");
  row("minutes carry into degrees", 12.99999995, -179.999999999, 0, 0, 1,
      "13°  0.00000'<br>-180°  0.00000'<br>       0m<br>       0m");
  row("tiny negative rounds to zero", -1e-12, 0, 0, 0, 1, "00°  0.00000'<br>  00°  0.00000'<br>       0m<br>       0m");
  row("seconds, signed degrees", -33.8568, 151.2153, 0, 0, 2,
      "-33°  51' 24.4800\"<br> 151° 12' 55.0800\"<br>       0m<br>       0m");
  row("seconds between -1 and 0", -0.5, -0.0001, 0, 0, 2,
      "-00°  30'  0.0000\"<br>-  00° 00'  0.3600\"<br>       0m<br>       0m");
  row("seconds carry into minutes and degrees", 12.99999999, 59.999999999, 0, 0, 2,
      "13°   0'  0.0000\"<br>  60° 00'  0.0000\"<br>       0m<br>       0m");
  row("seconds carry into minutes", 10.5 - 1e-9, 0, 0, 0, 2,
      "10°  30'  0.0000\"<br>  00° 00'  0.0000\"<br>       0m<br>       0m");
  row("unknown notation reads as seconds", -0.5, -0.0001, 0, 0, 7,
      "-00°  30'  0.0000\"<br>-  00° 00'  0.3600\"<br>       0m<br>       0m");
}

void TestCoordinates::positionTexts()
{
  QFETCH(double, latitude);
  QFETCH(double, longitude);
  QFETCH(double, gps);
  QFETCH(double, msl);
  QFETCH(int, notation);
  QFETCH(QString, expected);
  QCOMPARE(FormatPositionText({latitude, longitude, gps, msl}, notation), expected);
}

// Each of the three position texts takes its own extra selector and reads
// the other one as notation 2.
void TestCoordinates::positionTextSelectorsPerKind()
{
  GpsNavDialog nav;
  nav.UpdateAverages(12.5, -3.25, 100.0, 50.5, 0);
  nav.ResetAverages();
  nav.SetReferenceLocation(12.5, -3.25, 100.0, 50.5);

  QCOMPARE(nav.CurrentPositionText(3), QStringLiteral("1230.0000,N,00315.0000,W"));
  QCOMPARE(nav.CurrentPositionText(4), nav.CurrentPositionText(2));
  QCOMPARE(nav.ReferencePositionText(4), QString::fromUtf8("12.50000000°,-3.25000000°,100.00,50.50"));
  QCOMPARE(nav.ReferencePositionText(3), nav.ReferencePositionText(2));
  QCOMPARE(nav.AveragePositionText(3), nav.AveragePositionText(2));
  QCOMPARE(nav.AveragePositionText(4), nav.AveragePositionText(2));
  QCOMPARE(nav.AveragePositionText(0), FormatPositionText({12.5, -3.25, 100.0, 50.5}, 0));
  QVERIFY(nav.CurrentPositionText(2) != nav.CurrentPositionText(1));
}

void TestCoordinates::formatLatLon_data()
{
  QTest::addColumn<double>("value");
  QTest::addColumn<int>("notation");
  QTest::addColumn<QString>("expected");

  const auto row = [](const char *name, double v, int n, const char *text) {
    QTest::newRow(name) << v << n << QString::fromUtf8(text);
  };
  row("decimal between -1 and 0", -0.5, 0, "-0.5000000°");
  row("decimal", 47.2085, 0, "47.2085000°");
  row("minutes between -1 and 0", -0.5, 1, "-00°  30.00000'");
  row("minutes", 47.2083333333, 1, "47°  12.50000'");
  row("minutes carry", 12.99999995, 1, "13°   0.00000'");
  row("minutes negative", -12.5, 1, "-12°  30.00000'");
  row("seconds between -1 and 0", -0.5, 2, "-00°   30'   0.0000\"");
  row("seconds negative", -12.5, 2, "-12°   30'   0.0000\"");
  row("seconds", 47.2084722222, 2, "47°   12'  30.5000\"");
  row("seconds carry", 12.99999999, 2, "13°    0'   0.0000\"");
  row("other notation reads as seconds", 3.0, 5, "03°    0'   0.0000\"");
}

void TestCoordinates::formatLatLon()
{
  QFETCH(double, value);
  QFETCH(int, notation);
  QFETCH(QString, expected);
  QCOMPARE(FormatLatLon(value, notation), expected);

  ReferenceLocationDialog dialog;
  dialog.SetLatLonFormat(notation);
  QCOMPARE(dialog.FormatLatLon(value), expected);
}

void TestCoordinates::parseLatLon_data()
{
  QTest::addColumn<QString>("text");
  QTest::addColumn<int>("axis");
  QTest::addColumn<bool>("ok");
  QTest::addColumn<double>("value");
  QTest::addColumn<QString>("textAfter");
  QTest::addColumn<QString>("messages");

  const auto row = [](const char *name, const char *text, int axis, bool ok, double value, const char *after,
                      const QString &messages) {
    QTest::newRow(name) << QString::fromUtf8(text) << axis << ok << value << QString::fromUtf8(after) << messages;
  };
  const QString none;
  row("degrees minutes seconds N", "47 12 30.5 N", 0, true, 47 + 12 / 60.0 + 30.5 / 3600.0, "47 12 30.5 N", none);
  row("degrees and decimal minutes", "47 12.5083", 0, true, 47 + 12.5083 / 60.0, "47 12.5083", none);
  row("decimal degrees", "47.2085", 0, true, 47.2085, "47.2085", none);
  row("degree sign", "47°", 0, true, 47.0, "47°", none);
  row("minute and second marks", " 12 30 15\" ", 1, true, 12 + 30 / 60.0 + 15 / 3600.0, "12 30 15\"", none);
  row("apostrophe", "12 30'", 0, true, 12.5, "12 30'", none);
  row("south between -1 and 0", "0 30 S", 0, true, -0.5, "0 30 S", none);
  row("minus zero degrees", "-0 30", 0, true, -0.5, "-0 30", none);
  row("negative degrees", "-12 30 36", 1, true, -(12 + 30 / 60.0 + 36 / 3600.0), "-12 30 36", none);
  row("plus sign", "+12 30", 0, true, 12.5, "+12 30", none);
  row("lower-case indicator", "45 s", 0, true, -45.0, "45 S", none);
  row("west", "12 30 w", 1, true, -12.5, "12 30 W", none);
  row("east", "12 30 E", 1, true, 12.5, "12 30 E", none);
  row("only the first character after the numbers counts", "12 30 north", 0, true, 12.5, "12 30 NORTH", none);
  row("letters before the number are skipped", "S45", 0, true, 45.0, "S45", none);
  row("blanks only", "   ", 0, true, 0.0, "", none);
  row("fraction before the last field", "47.5 30", 0, false, 0.0, "", kLastFieldOnly);
  row("fraction in minutes before seconds", "12 30.5 15", 0, false, 0.0, "", kLastFieldOnly);
  row("fraction in degrees before seconds", "12.5 30 15", 0, false, 0.0, "", kLastFieldOnly);
  row("minus sign and indicator", "-45 N", 0, false, 0.0, "", kSignAndIndicator);
  row("minus zero and indicator", "-0 30 S", 0, false, 0.0, "", kSignAndIndicator);
  row("minutes of 60", "12 60", 0, false, 0.0, "", kMinutesRange);
  row("negative minutes", "12 -30", 0, false, 0.0, "", kMinutesRange);
  row("seconds of 60", "12 30 60", 0, false, 0.0, "", kSecondsRange);
  row("a fourth number", "1 2 3 4", 0, false, 0.0, "", kUnknownEnd);
  row("unknown letter", "12 30 X", 1, false, 0.0, "", kUnknownEnd);
  row("every check reports", "12.5 61 X", 0, false, 0.0, "",
      kMinutesRange + QStringLiteral(" // ") + kUnknownEnd + QStringLiteral(" // ") + kLastFieldOnly);
  row("latitude above 90", "91", 0, false, 91.0, "91", kLatitudeRange);
  row("latitude above 90 in minutes", "90 0 1 n", 0, false, 90 + 1 / 3600.0, "90 0 1 N", kLatitudeRange);
  row("latitude of -90", "90 S", 0, true, -90.0, "90 S", none);
  row("91 is a longitude", "91", 1, true, 91.0, "91", none);
  row("longitude of 180", "180", 1, true, 180.0, "180", none);
  row("longitude beyond 180", "180.5", 1, false, 180.5, "180.5", kLongitudeRange);
  row("longitude beyond -180", "180 0 1 W", 1, false, -(180 + 1 / 3600.0), "180 0 1 W", kLongitudeRange);
}

void TestCoordinates::parseLatLon()
{
  QFETCH(QString, text);
  QFETCH(int, axis);
  QFETCH(bool, ok);
  QFETCH(double, value);
  QFETCH(QString, textAfter);
  QFETCH(QString, messages);

  double parsed = 1234.0;
  QList<CoordinateMessage> seen;
  QCOMPARE(ParseLatLonText(text, &parsed, axis, &seen), ok);
  QVERIFY2(qAbs(parsed - value) < 1e-12, qPrintable(QString::number(parsed, 'g', 17)));
  QCOMPARE(text, textAfter);
  QCOMPARE(Joined(seen), messages);
}

void TestCoordinates::emptyTextFailsUntouched()
{
  QString text;
  double value = 7.0;
  QList<CoordinateMessage> seen;
  QVERIFY(!ParseLatLonText(text, &value, 0, &seen));
  QCOMPARE(value, 7.0);
  QVERIFY(seen.isEmpty());

  ReferenceLocationDialog dialog;
  QVERIFY(!dialog.ParseLatitude(QString(), &value, true));  // no box either
  QCOMPARE(value, 7.0);
}

void TestCoordinates::parseAltitude_data()
{
  QTest::addColumn<QString>("text");
  QTest::addColumn<bool>("ok");
  QTest::addColumn<double>("value");
  QTest::addColumn<QString>("messages");

  const QString none;
  QTest::newRow("unknown marker") << "???" << true << 0.0 << none;
  QTest::newRow("empty") << "" << false << 0.0 << none;
  QTest::newRow("blanks") << "   " << false << 0.0 << none;
  QTest::newRow("trailing letter") << "12a" << false << 12.0 << kAltitudeChars;
  QTest::newRow("leading letter") << "a12" << false << 0.0 << kAltitudeChars;
  QTest::newRow("two numbers") << "1 2" << false << 1.0 << kAltitudeChars;
  QTest::newRow("lowest") << "-500" << true << -500.0 << none;
  QTest::newRow("highest") << "18000" << true << 18000.0 << none;
  QTest::newRow("too high") << "18000.1" << false << 18000.1 << kAltitudeRange;
  QTest::newRow("too low") << "-500.5" << false << -500.5 << kAltitudeRange;
  QTest::newRow("word before the number") << "height 120" << true << 120.0 << none;
  QTest::newRow("blank padded decimal") << "  42.5  " << true << 42.5 << none;
  QTest::newRow("leading point") << ".5" << true << 0.5 << none;
  QTest::newRow("trailing point") << "+5." << true << 5.0 << none;
  // Digits beyond what a double holds are refused, not read as 0 m.
  QTest::newRow("overlong") << QString(400, QLatin1Char('9')) << false << 0.0 << kAltitudeRange;
  QTest::newRow("overlong negative") << "-" + QString(400, QLatin1Char('9')) << false << 0.0 << kAltitudeRange;
  QTest::newRow("overlong after a word") << "height " + QString(400, QLatin1Char('9')) << false << 0.0
                                         << kAltitudeRange;
}

void TestCoordinates::parseAltitude()
{
  QFETCH(QString, text);
  QFETCH(bool, ok);
  QFETCH(double, value);
  QFETCH(QString, messages);

  double parsed = 99.0;
  QList<CoordinateMessage> seen;
  QCOMPARE(ParseAltitudeText(text, &parsed, &seen), ok);
  QCOMPARE(parsed, value);
  QCOMPARE(Joined(seen), messages);
}

// Every text the field formatter writes reads back to its value within the
// printed precision, for random values in every notation and both axes.
void TestCoordinates::formatThenParseRoundTrips()
{
  QRandomGenerator random(20240517);
  const double precision[3] = {0.5e-7, 0.5e-5 / 60.0, 0.5e-4 / 3600.0};
  QList<double> values = {0.0, -0.5, 0.5, -1e-9, 12.99999995, -12.99999995, 12.99999999, 59.99999999,
                          -0.999999999, 90.0, -90.0, 180.0, -180.0, 89.99999999, -179.99999999};
  for (int i = 0; i < 3000; ++i)
    values << random.bounded(360.0) - 180.0;
  for (int i = 0; i < 300; ++i)
    values << random.bounded(2.0) - 1.0;

  for (int notation = 0; notation < 3; ++notation) {
    for (double v : values) {
      const int axis = qAbs(v) <= 90.0 ? 0 : 1;
      QString text = FormatLatLon(v, notation);
      const QString shown = text;
      double back = 0.0;
      QList<CoordinateMessage> seen;
      QVERIFY2(ParseLatLonText(text, &back, axis, &seen),
               qPrintable(QStringLiteral("%1 -> %2: %3").arg(v, 0, 'g', 17).arg(shown, Joined(seen))));
      QVERIFY2(qAbs(back - v) <= precision[notation] + 1e-12,
               qPrintable(QStringLiteral("%1 -> %2 -> %3").arg(v, 0, 'g', 17).arg(shown).arg(back, 0, 'g', 17)));
    }
  }
}

void TestCoordinates::dialogShowsParserMessages()
{
  ReferenceLocationDialog dialog;
  double value = 0.0;
  {
    MessageBoxCatcher catcher;
    QString text = QStringLiteral("12.5 61");
    QVERIFY(!dialog.ParseLatLon(text, &value, true, 0));
    QCOMPARE(catcher.seen, QStringList({kMinutesRange, kLastFieldOnly}));
  }
  {
    MessageBoxCatcher catcher;
    QString text = QStringLiteral("12.5 61");
    QVERIFY(!dialog.ParseLatLon(text, &value, false, 0));
    QVERIFY(catcher.seen.isEmpty());
  }
  {
    // The by-value parsers leave the caller's text alone.
    const QString typed = QStringLiteral("47.5 30");
    QVERIFY(!dialog.ParseLongitude(typed, &value, false));
    QCOMPARE(typed, QStringLiteral("47.5 30"));
    QVERIFY(dialog.ParseLongitude(QStringLiteral("12 30 w"), &value, false));
    QCOMPARE(value, -12.5);
  }
}

// A refused altitude or coordinate must not replace the caller's good value.
void TestCoordinates::failedParseKeepsCallersValue()
{
  GpsNavDialog nav;
  ReferenceLocationDialog dialog;
  nav.SetReferenceLocationDialog(&dialog);

  double altitude = 123.0;
  MessageBoxCatcher catcher;
  QVERIFY(!nav.ParseAltitude(QStringLiteral("12a"), &altitude));
  QCOMPARE(altitude, 123.0);
  QVERIFY(!nav.ParseAltitude(QStringLiteral("20000"), &altitude));
  QCOMPARE(altitude, 123.0);
  QVERIFY(!nav.ParseAltitude(QString(), &altitude));
  QCOMPARE(altitude, 123.0);
  QCOMPARE(catcher.seen, QStringList({kAltitudeChars, kAltitudeRange}));

  QVERIFY(nav.ParseAltitude(QStringLiteral("-42.25"), &altitude));
  QCOMPARE(altitude, -42.25);

  // The same for coordinates: neither a format error (which reads as 0.0)
  // nor an out-of-range value replaces the caller's value.
  catcher.seen.clear();
  double latitude = 12.0;
  QVERIFY(!nav.ParseLatitude(QStringLiteral("12 60"), &latitude));
  QCOMPARE(latitude, 12.0);
  QVERIFY(!nav.ParseLatitude(QStringLiteral("91"), &latitude));
  QCOMPARE(latitude, 12.0);
  double longitude = -3.0;
  QVERIFY(!nav.ParseLongitude(QStringLiteral("180.5"), &longitude));
  QCOMPARE(longitude, -3.0);
  QCOMPARE(catcher.seen, QStringList({kMinutesRange, kLatitudeRange, kLongitudeRange}));
  QVERIFY(nav.ParseLatitude(QStringLiteral("45 30 S"), &latitude));
  QCOMPARE(latitude, -45.5);
  QVERIFY(nav.ParseLongitude(QStringLiteral("12 30 w"), &longitude));
  QCOMPARE(longitude, -12.5);
}

void TestCoordinates::maidenhead_data()
{
  QTest::addColumn<double>("latitude");
  QTest::addColumn<double>("longitude");
  QTest::addColumn<QString>("locator");

  const double nan = std::numeric_limits<double>::quiet_NaN();
  QTest::newRow("origin") << 0.0 << 0.0 << "JJ00aa.00";
  QTest::newRow("W1AW") << 41.714775 << -72.727260 << "FN31pr.21";
  QTest::newRow("London") << 51.5074 << -0.1278 << "IO91wm.41";
  QTest::newRow("Sydney") << -33.8568 << 151.2153 << "QF56od.54";
  QTest::newRow("north pole gives S") << 90.0 << 0.0 << "JS00aa.00";
  QTest::newRow("longitude -180") << -90.0 << -180.0 << "AA00aa.00";
  QTest::newRow("longitude +180 wraps to A") << -90.0 << 180.0 << "AA00aa.00";
  QTest::newRow("NaN latitude") << nan << 0.0 << "";
  QTest::newRow("infinite longitude") << 0.0 << std::numeric_limits<double>::infinity() << "";
  QTest::newRow("longitude beyond 32 bits") << 0.0 << 1e12 << "";
}

void TestCoordinates::maidenhead()
{
  QFETCH(double, latitude);
  QFETCH(double, longitude);
  QFETCH(QString, locator);
  QCOMPARE(MaidenheadLocator(latitude, longitude), locator);
}

// A broken value shows as such instead of as a made-up angle.
void TestCoordinates::nonFiniteValuesStillFormat()
{
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  for (int notation = 0; notation <= 4; ++notation) {
    const QString text = FormatPositionText({nan, -inf, 0.0, 0.0}, notation).toLower();
    QVERIFY2(text.contains(QStringLiteral("nan")) && text.contains(QStringLiteral("inf")), qPrintable(text));
  }
  for (int notation = 0; notation <= 2; ++notation) {
    QVERIFY(FormatLatLon(nan, notation).toLower().contains(QStringLiteral("nan")));
    QVERIFY(FormatLatLon(1e300, notation).startsWith(QStringLiteral("1000000")));
  }
}

RIDUDER_TEST_MAIN(TestCoordinates)
#include "tst_coordinates.moc"
