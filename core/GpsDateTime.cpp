#include "core/GpsDateTime.h"

#include <cmath>

namespace {

// MJD from the day of the year and the year, counting every fourth year as a
// leap year (right from 1901 to 2099). An invalid date gives 0 and dates so
// early that the count would go negative give 0 rather than wrapping.
quint32 MjdOf(const QDate &date)
{
  if (!date.isValid())
    return 0;
  const qint64 mjd = date.dayOfYear() +
                     static_cast<qint64>(std::trunc((date.year() - 1901) * 365.25)) + 15384;
  return mjd < 0 ? 0u : static_cast<quint32>(mjd);
}

}  // namespace

GpsDateTime::GpsDateTime()
{
  SetDateTime(QDateTime::currentDateTimeUtc());
}

GpsDateTime &GpsDateTime::SetDateTime(const QDateTime &dateTime)
{
  dateTime_ = dateTime;
  mjd_ = MjdOf(dateTime_.date());
  return *this;
}

QDateTime GpsDateTime::addSecs(qint64 secs) const { return dateTime_.addSecs(secs); }

QString GpsDateTime::toString(const QString &format) const { return dateTime_.toString(format); }

int GpsDateTime::year() const { return dateTime_.date().year(); }
int GpsDateTime::month() const { return dateTime_.date().month(); }
int GpsDateTime::day() const { return dateTime_.date().day(); }
int GpsDateTime::hour() const { return dateTime_.time().hour(); }
int GpsDateTime::minute() const { return dateTime_.time().minute(); }
int GpsDateTime::second() const { return dateTime_.time().second(); }
int GpsDateTime::dayOfYear() const { return dateTime_.date().dayOfYear(); }

qint64 GpsDateTime::MSecsSinceEpoch() const { return dateTime_.toMSecsSinceEpoch(); }

qint64 GpsDateTime::CurrentMSecsSinceEpoch() { return QDateTime::currentMSecsSinceEpoch(); }

void GpsDateTime::SetLocation(double latitude, double longitude)
{
  latitude_ = latitude;
  longitude_ = longitude;
}

void GpsDateTime::SetEpochOffset(int ms)
{
  epochOffsetMs_ = ms;
  RecomputeTotalOffset();
}

void GpsDateTime::SetPpsOffset(qint64 ns)
{
  ppsOffsetNs_ = ns;
  RecomputeTotalOffset();
}

void GpsDateTime::SetCableDelay(qint64 ns)
{
  cableDelayNs_ = ns;
  RecomputeTotalOffset();
}

void GpsDateTime::RecomputeTotalOffset()
{
  const double x = epochOffsetMs_ + ppsOffsetNs_ / 1e6 - cableDelayNs_ / 1e6 + 0.5;
  // Truncate toward zero and keep the remainder's sign; done in double so
  // no offset, however large, overflows on the way.
  totalOffsetMs_ = static_cast<int>(std::fmod(std::trunc(x), 1000.0));
}

int GpsDateTime::TotalOffsetMs() const
{
  return totalOffsetMs_ >= 500 ? totalOffsetMs_ - 1000 : totalOffsetMs_;
}

int GpsDateTime::GpsWeek() const
{
  // Unsigned on purpose: weeks count on past 1024 without a roll-over.
  return static_cast<int>((mjd_ - 4u) / 7u) - 6320;
}

double GpsDateTime::DayFraction() const
{
  const QTime t = dateTime_.time();
  return t.hour() / 24.0 + t.minute() / 1440.0 + t.second() / 86400.0;
}

double GpsDateTime::SecondsOfDay() const { return mjd_ + DayFraction(); }

QString GpsDateTime::DayFractionText() const
{
  return QString::asprintf("%08.5f", mjd_ + DayFraction() + 0.0000005);
}

QString GpsDateTime::YearDayText() const
{
  return QString::asprintf("%i%09.6f", year(), dayOfYear() + DayFraction() + 0.0000005);
}

QString GpsDateTime::ElapsedText() const { return ElapsedTextAt(CurrentMSecsSinceEpoch()); }

QString GpsDateTime::ElapsedTextAt(qint64 msecsSinceEpoch)
{
  const qint64 s = msecsSinceEpoch / 1000 + 2208988800LL;
  return QStringLiteral("%1").arg(s / 86400.0 + 0.0000005, 12, 'f', 6, QLatin1Char('0'));
}

QString GpsDateTime::SiderealTimeText(int kind) const
{
  const double t = (mjd_ - 51544.5) / 36525.0;
  double whole = 0.0;
  const double g = std::modf(100.0021389946972 * t + 100.2790572732639, &whole);
  const double r = 1.002737909350795 + 5.9006e-11 * t;
  const double s = DayFraction() * r + g + 10.0 + (kind == 1 ? longitude_ / 360.0 : -0.0);
  const double f = std::modf(s, &whole);
  const double secs = f * 86400.0;
  double w = 0.0;
  const double cs = std::trunc(std::modf(secs, &w) * 100.0);
  const int wi = static_cast<int>(std::trunc(w));
  return QString::asprintf("%02d:%02d:%02d.%02d", wi / 3600, (wi / 60) % 60, wi % 60,
                           static_cast<int>(cs));
}
