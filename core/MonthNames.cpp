#include "core/MonthNames.h"

#include <QStringList>

QString MonthAbbreviation(int month)
{
  // Entry 0 is the answer for a month out of range.
  static const QStringList names = {
      QStringLiteral("Illegal month"), QStringLiteral("Jan"), QStringLiteral("Feb"),
      QStringLiteral("Mar"), QStringLiteral("Apr"), QStringLiteral("May"),
      QStringLiteral("Jun"), QStringLiteral("Jul"), QStringLiteral("Aug"),
      QStringLiteral("Sep"), QStringLiteral("Oct"), QStringLiteral("Nov"),
      QStringLiteral("Dec")};
  return month >= 1 && month <= 12 ? names.at(month) : names.at(0);
}
