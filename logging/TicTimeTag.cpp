#include "logging/TicTimeTag.h"

#include "platform/TimeSource.h"

GpsDateTime TicRowTime(const ReceiverState &state)
{
  GpsDateTime rowTime = state.displayCopy;
  if (state.displaySecondShownMs < 0 || state.displayCopy.MSecsSinceEpoch() / 1000 != state.displaySecondShown)
    return rowTime;
  // Whole seconds, as the display would have counted them: a row keeps the
  // second it would have been shown in.
  const qint64 elapsedMs = TimeSource::Current().MonotonicMs() - state.displaySecondShownMs;
  if (elapsedMs >= 1000)
    rowTime.SetDateTime(state.displayCopy.addSecs(elapsedMs / 1000));
  return rowTime;
}

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
