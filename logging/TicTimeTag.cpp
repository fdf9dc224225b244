#include "logging/TicTimeTag.h"

#include "platform/TimeSource.h"

QString LogTimeTag(int format, const GpsDateTime &shown)
{
  switch (format) {
  case TicTimeTagFormats::Calendar:
    return shown.YearDayText() + QLatin1Char(' ');
  case TicTimeTagFormats::Mjd:
    return shown.DayFractionText() + QLatin1Char(' ');
  case TicTimeTagFormats::Excel:
    return GpsDateTime::ElapsedTextAt(TimeSource::Current().NowMSecsSinceEpoch()) + QLatin1Char(' ');
  default:
    return QString();
  }
}
