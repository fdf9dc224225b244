#include "position/SkyLines.h"

#include <QSettings>
#include <QStringList>
#include <algorithm>
#include <cmath>

namespace {

template <std::size_t N>
void ReadLine(QSettings &settings, const char *key, std::array<double, N> &values)
{
  values.fill(-1.0);
  const QStringList parts = settings.value(QLatin1String(key)).toString().split(QLatin1Char(','), Qt::SkipEmptyParts);
  if (parts.size() != static_cast<int>(N))
    return;
  for (std::size_t i = 0; i < N; ++i) {
    bool ok = false;
    const double v = parts[static_cast<int>(i)].toDouble(&ok);
    if (ok && v >= 0.0 && v <= 90.0)
      values[i] = v;
  }
}

}  // namespace

SkyLines::SkyLines() { Reset(); }

void SkyLines::Reset()
{
  horizon_.fill(-1.0);
  skyHole_.fill(-1.0);
  changed_ = true;
}

bool SkyLines::Bin(const SatelliteRecord &record, quint32 gpsMode)
{
  if (record.elevation < 1 || record.cno < 1 || !IsSatelliteUsed(record, gpsMode))
    return false;
  const double zenith = 90.0 - std::min(record.elevation, 90);
  const int azimuth = std::clamp(record.azimuth, 0, 359);
  bool changed = false;
  double &low = horizon_[azimuth / HorizonStep];
  if (low < 0.0 || zenith > low) {
    low = zenith;
    changed = true;
  }
  double &high = skyHole_[azimuth / SkyHoleStep];
  if (high < 0.0 || high > zenith) {
    high = zenith;
    changed = true;
  }
  if (changed)
    changed_ = true;
  return changed;
}

void SkyLines::Load(QSettings &settings)
{
  ReadLine(settings, SkyLineKeys::HorizonLine, horizon_);
  ReadLine(settings, SkyLineKeys::SkyHoleLine, skyHole_);
  changed_ = true;
}

void SkyLines::Save(QSettings &settings) const
{
  settings.setValue(QLatin1String(SkyLineKeys::HorizonLine), LineText(horizon_.data(), HorizonCount));
  settings.setValue(QLatin1String(SkyLineKeys::SkyHoleLine), LineText(skyHole_.data(), SkyHoleCount));
}

QString SkyLines::LineText(const double *values, int count)
{
  QStringList parts;
  parts.reserve(count);
  for (int i = 0; i < count; ++i)
    parts << QString::number(values[i], 'f', 2);
  return parts.join(QLatin1Char(','));
}

QList<QPointF> SkyLines::LinePoints(const double *values, int count, int step)
{
  QList<QPointF> points;
  points.reserve(count + 1);
  for (int i = 0; i < count; ++i)
    points.append(QPointF(i * step, std::max(values[i], 0.0)));
  points.append(QPointF(360.0, points.isEmpty() ? 0.0 : points.first().y()));
  return points;
}

QList<QPointF> SkyLines::HorizonPoints() const { return LinePoints(horizon_.data(), HorizonCount, HorizonStep); }
QList<QPointF> SkyLines::SkyHolePoints() const { return LinePoints(skyHole_.data(), SkyHoleCount, SkyHoleStep); }

SkyMarker SkyMarkerFor(const SatelliteRecord &record)
{
  if (record.identifier >= 120 && record.identifier <= 158)
    return SkyMarker::Sbas;
  if (record.trend > 0)
    return SkyMarker::Rising;
  if (record.trend < 0)
    return SkyMarker::Falling;
  return SkyMarker::NoDoppler;
}

bool IsPlottedOnSky(const SatelliteRecord &record)
{
  return record.identifier > 0 && (record.elevation != 0 || record.azimuth != 0);
}
