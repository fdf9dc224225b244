#include "position/CoordinateText.h"

#include <QRegularExpression>
#include <cmath>
#include <limits>

namespace {

// UTF-8 of U+00B0, for the asprintf formats below.
constexpr const char *kDeg = "\xC2\xB0";

// Values beyond this many degrees are not split into minutes and seconds
// (they cannot be coordinates, and the integer arithmetic must not overflow).
constexpr double kSplittableDegrees = 1.0e7;

qint64 PowerOfTen(int decimals)
{
  qint64 p = 1;
  while (decimals-- > 0)
    p *= 10;
  return p;
}

// A coordinate rounded to the printed precision, then split, so that the
// minutes and seconds never print as 60.
struct Sexagesimal {
  bool ok = false;        // false for a value that cannot be split
  bool negative = false;
  bool nonZero = false;   // anything left after rounding
  int degrees = 0;        // absolute
  int minutes = 0;        // absolute, whole minutes (seconds split only)
  double fraction = 0.0;  // decimal minutes, or decimal seconds
};

// Degrees and decimal minutes with `decimals` places.
Sexagesimal SplitMinutes(double value, int decimals)
{
  Sexagesimal s;
  if (!std::isfinite(value) || std::fabs(value) >= kSplittableDegrees)
    return s;
  const qint64 unit = PowerOfTen(decimals);
  const qint64 total = std::llround(std::fabs(value) * 60.0 * unit);
  s.ok = true;
  s.negative = value < 0.0;
  s.nonZero = total != 0;
  s.degrees = static_cast<int>(total / (60 * unit));
  s.fraction = static_cast<double>(total % (60 * unit)) / unit;
  return s;
}

// Degrees, whole minutes and decimal seconds with `decimals` places.
Sexagesimal SplitSeconds(double value, int decimals)
{
  Sexagesimal s;
  if (!std::isfinite(value) || std::fabs(value) >= kSplittableDegrees)
    return s;
  const qint64 unit = PowerOfTen(decimals);
  const qint64 total = std::llround(std::fabs(value) * 3600.0 * unit);
  s.ok = true;
  s.negative = value < 0.0;
  s.nonZero = total != 0;
  s.degrees = static_cast<int>(total / (3600 * unit));
  const qint64 rest = total % (3600 * unit);
  s.minutes = static_cast<int>(rest / (60 * unit));
  s.fraction = static_cast<double>(rest % (60 * unit)) / unit;
  return s;
}

// Signed degrees for the integer field, and whether the piece needs a
// leading "-" because those degrees are 0.
int SignedDegrees(const Sexagesimal &s) { return s.negative ? -s.degrees : s.degrees; }
bool NeedsLeadingMinus(const Sexagesimal &s) { return s.negative && s.degrees == 0 && s.nonZero; }

// Fallback for a value that cannot be split: decimal degrees.
QString UnsplitPiece(double value, const char *tail)
{
  return QString::asprintf("%11.8f%s%s", value, kDeg, tail);
}

QString DegreesMinutesPiece(double value, const char *format, const char *tail)
{
  const Sexagesimal s = SplitMinutes(value, 5);
  if (!s.ok)
    return UnsplitPiece(value, tail);
  QString piece = QString::asprintf(format, SignedDegrees(s), kDeg, s.fraction);
  return (NeedsLeadingMinus(s) ? QStringLiteral("-") : QString()) + piece + QString::fromLatin1(tail);
}

QString DegreesMinutesSecondsPiece(double value, const char *format, const char *tail)
{
  const Sexagesimal s = SplitSeconds(value, 4);
  if (!s.ok)
    return UnsplitPiece(value, tail);
  QString piece = QString::asprintf(format, SignedDegrees(s), kDeg, s.minutes, s.fraction);
  return (NeedsLeadingMinus(s) ? QStringLiteral("-") : QString()) + piece + QString::fromLatin1(tail);
}

QString NmeaPiece(double value, const char *format, const char *positive, const char *negative)
{
  const Sexagesimal s = SplitMinutes(value, 4);
  const char *hemisphere = value < 0.0 ? negative : positive;
  if (!s.ok)
    return QString::asprintf("%f,%s", value, hemisphere);
  return QString::asprintf(format, s.degrees, s.fraction, hemisphere);
}

const QRegularExpression &LatLonNumber()
{
  static const QRegularExpression re(QStringLiteral("[-+]?[0-9]*\\.?[0-9]+"));
  return re;
}

const QRegularExpression &AltitudeNumber()
{
  static const QRegularExpression re(
      QStringLiteral("(^|[ \\t])(\\?\\?\\?|[-+]?([0-9]+\\.[0-9]*|\\.[0-9]+|[0-9]+))"));
  return re;
}

void Report(QList<CoordinateMessage> *messages, const QString &title, const QString &text)
{
  if (messages)
    messages->append({title, text});
}

}  // namespace

QString DegreeSign() { return QString(QChar(0x00B0)); }

QString FormatPositionText(const GeoPosition &p, int notation)
{
  switch (notation) {
  case 0:
    return QString::asprintf("%11.8f%s<br>%11.8f%s<br>%8.0fm<br>%8.0fm", p.latitude, kDeg, p.longitude,
                             kDeg, p.gpsAltitude, p.mslAltitude);
  case 4:
    return QString::asprintf("%11.8f%s,%11.8f%s,%0.2f,%0.2f", p.latitude, kDeg, p.longitude, kDeg,
                             p.gpsAltitude, p.mslAltitude);
  case 3:
    return NmeaPiece(p.latitude, "%2.2d%07.4f,%s", "N", "S") + QLatin1Char(',') +
           NmeaPiece(p.longitude, "%3.3d%07.4f,%s", "E", "W");
  case 1:
    return DegreesMinutesPiece(p.latitude, "%2.2d%s %8.5f'", "<br>") +
           DegreesMinutesPiece(p.longitude, "%4.2d%s %8.5f'", "<br>") +
           QString::asprintf("%8.0fm<br>%8.0fm", p.gpsAltitude, p.mslAltitude);
  default:
    return DegreesMinutesSecondsPiece(p.latitude, "%2.2d%s %3d' %7.4f\"", "<br>") +
           DegreesMinutesSecondsPiece(p.longitude, "%4.2d%s %2.2d' %7.4f\"", "<br>") +
           QString::asprintf("%8.0fm<br>%8.0fm", p.gpsAltitude, p.mslAltitude);
  }
}

QString FormatLatLon(double value, int notation)
{
  if (notation == 0)
    return QString::asprintf("%9.7f%s", value, kDeg);
  if (notation == 1)
    return DegreesMinutesPiece(value, "%2.2d%s  %8.5f'", "");
  return DegreesMinutesSecondsPiece(value, "%2.2d%s  %3d'  %7.4f\"", "");
}

bool ParseLatLonText(QString &text, double *value, int axis, QList<CoordinateMessage> *messages)
{
  if (text.isEmpty())
    return false;
  text = text.trimmed().toUpper();
  const QChar first = text.isEmpty() ? QChar() : text.at(0);

  // Degrees, minutes and seconds: the first three numbers, in order.
  QString fields[3];
  double numbers[3] = {0.0, 0.0, 0.0};
  int present = 0;
  qsizetype numericEnd = 0;
  QRegularExpressionMatchIterator it = LatLonNumber().globalMatch(text);
  while (present < 3 && it.hasNext()) {
    const QRegularExpressionMatch m = it.next();
    fields[present] = m.captured(0);
    numbers[present] = fields[present].toDouble();
    numericEnd = m.capturedEnd(0);
    ++present;
  }
  const double degrees = numbers[0];
  const double minutes = numbers[1];
  const double seconds = numbers[2];
  // "-0" counts as a negative degrees field as well.
  const bool negativeDegrees = present > 0 && std::signbit(degrees);

  bool failed = false;
  if (present >= 2 && !(minutes >= 0.0 && minutes < 60.0)) {
    Report(messages, QStringLiteral("Numeric Error"),
           QStringLiteral("Minutes field out of range.\nDegrees must be between 0.0 and 60.0"));
    failed = true;
  }
  if (present >= 3 && !(seconds >= 0.0 && seconds < 60.0)) {
    Report(messages, QStringLiteral("Numeric Error"),
           QStringLiteral("Seconds field out of range.\nDegrees must be between  0.0 and 60.0"));
    failed = true;
  }

  bool negate = false;
  const QString rest = text.mid(numericEnd).trimmed();
  if (!rest.isEmpty()) {
    const QChar c = rest.at(0);
    if (c == QLatin1Char('N') || c == QLatin1Char('E') || c == QLatin1Char('S') || c == QLatin1Char('W')) {
      negate = c == QLatin1Char('S') || c == QLatin1Char('W');
      if (negativeDegrees) {
        Report(messages, QStringLiteral("Numeric Error"),
               QStringLiteral("Do not use both the \"-\" sign and N, S, E, or W indicators."));
        failed = true;
      }
    } else if (c != QLatin1Char('"') && c != QLatin1Char('\'') && c != QChar(0x00B0)) {
      Report(messages, QStringLiteral("Format Error"), QStringLiteral("Unknown characters at end of field."));
      failed = true;
    }
  }

  // Only the last field present may carry a fraction.
  const bool fractionTooEarly = (present >= 3 && (fields[0].contains(QLatin1Char('.')) ||
                                                  fields[1].contains(QLatin1Char('.')))) ||
                                (present == 2 && fields[0].contains(QLatin1Char('.')));
  if (fractionTooEarly) {
    Report(messages, QStringLiteral("Format Error"),
           QStringLiteral("Only the last field may have a fractional part."));
    failed = true;
  }

  if (failed) {
    *value = 0.0;
    text.clear();
    return false;
  }

  double v = negativeDegrees ? degrees - minutes / 60.0 - seconds / 3600.0
                             : degrees + minutes / 60.0 + seconds / 3600.0;
  if (negate)
    v = -v;
  if (first == QLatin1Char('-') && v > 0.0)
    v = -v;
  *value = v;

  if (axis == 0) {
    if (!(v >= -90.0 && v <= 90.0)) {
      Report(messages, QStringLiteral("Numeric Error"),
             QStringLiteral("Degrees field out of range.\nDegrees must be between -90.0 and +90.0"));
      return false;
    }
  } else if (!(v >= -180.0 && v <= 180.0)) {
    Report(messages, QStringLiteral("Numeric Error"),
           QStringLiteral("Degrees field out of range.\nDegrees must be between -180.0 and +180.0"));
    return false;
  }
  return true;
}

bool ParseAltitudeText(QString &text, double *value, QList<CoordinateMessage> *messages)
{
  text = text.trimmed();
  QString number;
  bool found = false;
  const QRegularExpressionMatch m = AltitudeNumber().match(text);
  if (m.hasMatch()) {
    found = true;
    number = m.captured(0).trimmed();
    text = text.mid(m.capturedEnd(0));
  }

  const bool unknown = number == QLatin1String("???");
  bool ok = unknown;
  const double v = unknown ? 0.0 : number.toDouble(&ok);
  *value = ok && std::isfinite(v) ? v : 0.0;

  if (!text.trimmed().isEmpty()) {
    Report(messages, QStringLiteral("Extraineous characters in Altitude."),
           QStringLiteral("Only the following characters are allowed: \"+-1234567890.\""));
    return false;
  }
  // Digits that overflow a double are no altitude, not 0 m.
  if ((found && !ok) || !(*value >= -500.0 && *value <= 18000.0)) {
    Report(messages, QStringLiteral("Numeric Error"),
           QStringLiteral("Field is out of range.\nMust be between -500 and 18000"));
    return false;
  }
  return found;
}

QString MaidenheadLocator(double latitude, double longitude)
{
  constexpr double lo = std::numeric_limits<qint32>::min();
  constexpr double hi = std::numeric_limits<qint32>::max();
  const double lonScaled = (longitude + 540.0) * 1000000.0;
  const double latScaled = (latitude + 90.0) * 1000000.0;
  // Only positions whose scaled values fit the 32-bit arithmetic have a
  // locator; this also rules out non-finite values.
  if (!(lonScaled > lo - 1.0 && lonScaled < hi + 1.0 && latScaled > lo - 1.0 && latScaled < hi + 1.0))
    return QString();

  const qint64 L = static_cast<qint32>(lonScaled) % 360000000;
  const qint64 A = static_cast<qint32>(latScaled);
  char loc[9];
  loc[0] = static_cast<char>('A' + L / 20000000);
  loc[2] = static_cast<char>('0' + (L % 20000000) / 2000000);
  loc[4] = static_cast<char>('a' + ((L % 2000000) * 6) / 500000);
  loc[7] = static_cast<char>('0' + (((L % 2000000) * 6) / 1000 % 500) / 50);
  loc[1] = static_cast<char>('A' + A / 10000000);
  loc[3] = static_cast<char>('0' + (A % 10000000) / 1000000);
  loc[5] = static_cast<char>('a' + ((A % 1000000) * 6) / 250000);
  loc[8] = static_cast<char>('0' + (((A % 1000000) * 6) / 1000 % 250) / 25);
  loc[6] = '.';
  return QString::fromLatin1(loc, 9);
}
