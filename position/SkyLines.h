#pragma once
// The outline of the sky the antenna really sees, learnt from the satellites
// it tracks: the horizon line (per 2 degrees of azimuth the lowest elevation
// seen) and the sky-hole line (per 10 degrees the highest). Values are zenith
// angles (90 - elevation) in degrees, -1 where nothing has been seen yet.
// Plain code; the sky chart window draws it and keeps it in the settings.

#include "core/SatelliteRecord.h"

#include <QList>
#include <QPointF>
#include <QString>
#include <array>

class QSettings;

namespace SkyLineKeys {
inline constexpr char HorizonLine[] = "SatAzElChartDialog/HorizonLine";
inline constexpr char SkyHoleLine[] = "SatAzElChartDialog/SkyHoleLine";
}  // namespace SkyLineKeys

class SkyLines {
public:
  static constexpr int HorizonCount = 180;
  static constexpr int HorizonStep = 2;
  static constexpr int SkyHoleCount = 36;
  static constexpr int SkyHoleStep = 10;

  SkyLines();

  // Takes one satellite into the bins when it counts: elevation 1 or more,
  // C/No 1 or more and used by the receiver, as the protocol mode `gpsMode`
  // marks it (IsSatelliteUsed). True when a bin changed.
  bool Bin(const SatelliteRecord &record, quint32 gpsMode);
  // Nothing seen anywhere.
  void Reset();

  const std::array<double, HorizonCount> &Horizon() const { return horizon_; }
  const std::array<double, SkyHoleCount> &SkyHole() const { return skyHole_; }

  // Set by every change of a bin and by Load and Reset; the window redraws
  // only while it is set.
  bool Changed() const { return changed_; }
  void SetChanged(bool changed) { changed_ = changed; }

  // The stored lines: only a list of exactly the right count is used; a part
  // that is no number from 0 to 90 leaves its element unseen.
  void Load(QSettings &settings);
  void Save(QSettings &settings) const;

  // The points of a drawn line: one per element (unseen drawn at 0), then
  // one closing point at 360 with the first value.
  static QList<QPointF> LinePoints(const double *values, int count, int step);
  QList<QPointF> HorizonPoints() const;
  QList<QPointF> SkyHolePoints() const;

  // "%.2f" of each value, joined by ",".
  static QString LineText(const double *values, int count);

private:
  std::array<double, HorizonCount> horizon_;
  std::array<double, SkyHoleCount> skyHole_;
  bool changed_ = true;
};

// Which series of the chart draws a satellite.
enum class SkyMarker { Rising, Falling, NoDoppler, Sbas };
SkyMarker SkyMarkerFor(const SatelliteRecord &record);
// Whether a record is drawn at all: a satellite number, and elevation and
// azimuth not both 0.
bool IsPlottedOnSky(const SatelliteRecord &record);
