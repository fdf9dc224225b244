#include "tic/TicReading.h"

#include <QRegularExpression>

#include <QString>

#include <cmath>
#include <cstdarg>

namespace {

// The largest exponent taken from a counter line; beyond it the reading is
// out of range anyway, and pow() stays finite.
constexpr int MaxTicExponent = 300;

bool ReadingInRange(double microseconds)
{
  return std::isfinite(microseconds) && std::fabs(microseconds) <= TicReadingLimitUs;
}

// The signed integer at the start of `text`, limited to +-MaxTicExponent;
// false when the text does not start with one.
bool LeadingExponent(const QByteArray &text, int *exponent)
{
  int i = 0;
  bool negative = false;
  if (i < text.size() && (text.at(i) == '+' || text.at(i) == '-'))
    negative = text.at(i++) == '-';
  const int digitsFrom = i;
  long value = 0;
  for (; i < text.size() && text.at(i) >= '0' && text.at(i) <= '9'; ++i)
    value = std::min<long>(value * 10 + (text.at(i) - '0'), MaxTicExponent);
  if (i == digitsFrom)
    return false;
  *exponent = static_cast<int>(negative ? -value : value);
  return true;
}

}  // namespace

QByteArray TicPrintf(const char *format, ...)
{
  va_list arguments;
  va_start(arguments, format);
  const QString text = QString::vasprintf(format, arguments);
  va_end(arguments);
  return text.toLatin1();
}

QByteArray NormalizeTicDecimalMarks(QByteArray text)
{
  const qsizetype dots = text.count('.');
  const qsizetype commas = text.count(',');
  char grouping = 0;
  char mark = '.';
  if (dots >= 2) {
    grouping = '.';
    mark = ',';
  } else if (commas >= 2) {
    grouping = ',';
  } else if (dots == 1 && commas == 1) {
    // "1,234.5" and "1.234,5": the later one ends the whole part.
    const bool commaLater = text.indexOf(',') > text.indexOf('.');
    mark = commaLater ? ',' : '.';
    grouping = commaLater ? '.' : ',';
  } else if (commas == 1) {
    mark = ',';
  }
  if (grouping)
    text.replace(grouping, QByteArray());
  if (mark != '.')
    text.replace(mark, '.');
  return text;
}

bool ParseTicReading(QByteArray &text)
{
  text = text.trimmed();
  static const QRegularExpression number(QStringLiteral("[-+]?[0-9]+\\.?[0-9]*"));
  const QString whole = QString::fromLatin1(text);
  const QRegularExpressionMatch match = number.match(whole);
  if (!match.hasMatch())
    return false;
  const QByteArray digits = match.captured(0).toLatin1();
  const QByteArray unit = whole.mid(match.capturedEnd(0)).trimmed().toLatin1();
  if (unit.isEmpty())
    return false;
  const double value = digits.toDouble();

  double microseconds = 0.0;
  QByteArray converted;
  switch (unit.at(0)) {
  case 's':
    microseconds = value * 1000000.0;
    converted = TicPrintf("%09.6f", microseconds);
    break;
  case 'm':
    microseconds = value * 1000.0;
    converted = TicPrintf("%09.6f", microseconds);
    break;
  case 'u':
    microseconds = value;
    converted = digits;
    break;
  case 'n':
    microseconds = value / 1000.0;
    converted = TicPrintf("%09.6f", microseconds);
    break;
  case 'e':
  case 'E': {
    int exponent = 0;
    if (!LeadingExponent(unit.mid(1), &exponent))
      return false;
    microseconds = value * std::pow(10.0, exponent + 6);
    if (!ReadingInRange(microseconds))
      return false;
    converted = TicPrintf("%.6f", microseconds);
    break;
  }
  default:
    return false;
  }
  if (!ReadingInRange(microseconds))
    return false;
  text = converted;
  return true;
}

double FoldTicReading(double microseconds)
{
  double folded = std::fmod(std::fabs(microseconds), 1000000.0);
  if (folded > 500000.0)
    folded -= 1000000.0;
  return microseconds < 0 ? -folded : folded;
}

QByteArray TicFieldSeparator(const QByteArray &line, int logStyle)
{
  const char separator = logStyle == 1 ? ',' : logStyle == 2 ? '\t' : ' ';
  const QByteArray trimmed = line.trimmed();
  QByteArray fields;
  fields.reserve(trimmed.size());
  for (qsizetype i = 0; i < trimmed.size(); ++i) {
    if (trimmed.at(i) != ' ') {
      fields += trimmed.at(i);
    } else if (trimmed.at(i - 1) != ' ') {
      // The first blank of a run; trimming leaves none at either end.
      fields += separator;
    }
  }
  return fields;
}
