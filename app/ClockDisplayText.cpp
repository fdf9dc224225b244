#include "app/ClockDisplayText.h"

#include <QLocale>
#include <QTimeZone>

namespace {

const QString LineBreak = QStringLiteral("<br>");

}  // namespace

QString ClockTimeText(const GpsDateTime &shown)
{
  const int offsetMs = shown.TotalOffsetMs();
  if (offsetMs >= 0)
    return shown.toString(QStringLiteral("HH:mm.ss.")) + QString::asprintf("%03d", offsetMs);
  GpsDateTime secondBefore = shown;
  secondBefore.SetDateTime(shown.addSecs(-1));
  return secondBefore.toString(QStringLiteral("HH:mm.ss.")) +
         QString::asprintf("%03d", offsetMs + 1000);
}

QString LargeClockText(int mode, const GpsDateTime &shown, const QDateTime &pcLocalNow,
                       qint64 pcClockOffsetMs)
{
  switch (mode) {
  case ClockModes::Pc:
    return pcLocalNow.toString(QStringLiteral("hh:mm:ss.zzz"));
  case ClockModes::Lmst:
    return shown.SiderealTimeText(1);
  case ClockModes::Gmst:
    return shown.SiderealTimeText(0);
  case ClockModes::Mjd:
    return shown.DayFractionText();
  case ClockModes::PcU:
    return QString::asprintf("%05.3f", static_cast<double>(pcClockOffsetMs) / 1000.0);
  case ClockModes::Tic:
  case ClockModes::TicRaw:
    return QString();
  default:
    return ClockTimeText(shown);
  }
}

QString GpsDateText(const GpsDateTime &shown, int utcOffsetSeconds, int leapSecondPending)
{
  QString text = QString::asprintf("UTC Day #%.3i  ", shown.dayOfYear());
  text += ClockTimeText(shown);
  text += LineBreak;
  text += shown.toString(QStringLiteral("dddd, dd-MMM-yyyy")) + LineBreak;
  text += QString::asprintf("GPS Week = %u", static_cast<unsigned>(shown.GpsWeek()));
  if (utcOffsetSeconds > 0)
    text += LineBreak + QString::asprintf("UTC = GPS - %i seconds", utcOffsetSeconds);
  if (leapSecondPending == 1)
    text += LineBreak + QStringLiteral("+1 leap second is pending");
  else if (leapSecondPending == 2)
    text += LineBreak + QStringLiteral("-1 leap second is pending");
  return text;
}

QString LocalTimeZoneName(const QDateTime &localNow)
{
  const QTimeZone zone = QTimeZone::systemTimeZone();
  const QTimeZone::TimeType type =
      zone.isDaylightTime(localNow) ? QTimeZone::DaylightTime : QTimeZone::StandardTime;
  return zone.displayName(type, QTimeZone::DefaultName, QLocale());
}

QString PcClockText(const QDateTime &localNow)
{
  return localNow.toString(QStringLiteral("hh:mm:ss.zzz")) + LineBreak + LocalTimeZoneName(localNow);
}

QString SiderealPanelText(const GpsDateTime &shown)
{
  return shown.SiderealTimeText(1) + LineBreak + shown.SiderealTimeText(0) + LineBreak +
         QString::asprintf("%08.5f", shown.SecondsOfDay());
}

QStringList SplitPositionText(const QString &text)
{
  QStringList pieces;
  int from = 0;
  for (int i = 0; i < 3; ++i) {
    const int at = text.indexOf(LineBreak, from);
    if (at < 0) {
      pieces << text.mid(from);
      from = text.size();
      continue;
    }
    pieces << text.mid(from, at - from);
    from = at + LineBreak.size();
  }
  pieces << text.mid(from);
  return pieces;
}
