#pragma once
// Debian's gpsdecode (gpsd-clients) as an independent reference decoder for
// the real receiver captures.

#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QStandardPaths>
#include <QString>

namespace riduder::test {

// A capture's path in the shared captures folder.
QString CapturePath(const QString &capture);

// The JSON reports of one class ("TPV", "SKY") gpsdecode writes for a file,
// in order; empty when it does not finish in time.
QList<QJsonObject> GpsdecodeReports(const QString &path, const QString &reportClass);

// One TPV report that carries a time.
struct GpsdecodeFix {
  QDateTime time;  // UTC, the milliseconds cut off
  bool hasPosition = false;        // latitude, longitude and height above the ellipsoid
  bool hasSeaLevelHeight = false;  // and the height above sea level
  double latitude = 0, longitude = 0, heightAboveEllipsoid = 0, heightAboveSeaLevel = 0;
};

// The TPV reports with a time gpsdecode writes for a file.
QList<GpsdecodeFix> GpsdecodeFixes(const QString &path);

}  // namespace riduder::test

// Skips the current test when gpsdecode is not installed.
#define RIDUDER_REQUIRE_GPSDECODE()                                          \
  do {                                                                       \
    if (QStandardPaths::findExecutable(QStringLiteral("gpsdecode")).isEmpty()) \
      QSKIP("gpsdecode (gpsd-clients) is not installed");                    \
  } while (0)
