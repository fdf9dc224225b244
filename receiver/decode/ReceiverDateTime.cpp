#include "receiver/decode/ReceiverDateTime.h"

bool MakeReceiverDateTime(int year, int month, int day, int hour, int minute, int second,
                          bool localTime, QDateTime *out)
{
  const QDate date(year, month, day);
  if (!date.isValid() || hour < 0 || hour >= 24 || minute < 0 || minute >= 60 || second < 0 ||
      second > 60)
    return false;
  QDateTime dt(date, QTime(hour, minute, second == 60 ? 0 : second),
               localTime ? Qt::LocalTime : Qt::UTC);
  if (second == 60)
    dt = dt.addSecs(60);
  if (localTime)
    dt = dt.toUTC();
  if (!dt.isValid())
    return false;
  *out = dt;
  return true;
}
