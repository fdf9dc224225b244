#pragma once
#include <QtGlobal>

// Geoid heights of the WGS 84 10-degree grid, in whole metres.
// Row r is latitude -90 + 10 r (row 18 is +90); column c is longitude
// -180 + 10 c (column 35 is +170; +180 is column 0 again).
constexpr int GeoidTableRows = 19;
constexpr int GeoidTableColumns = 36;
extern const qint32 GeoidTable[GeoidTableRows][GeoidTableColumns];

// Separation N between the geoid and the WGS 84 ellipsoid:
// MSL altitude = WGS 84 altitude - N. Callers make one on the stack per
// lookup; it holds no state.
class GeoidModel {
public:
  GeoidModel() = default;

  // N in metres at a latitude and longitude in degrees (north and east
  // positive), bilinear between the grid points; 0.0 outside the grid or for
  // a non-finite position.
  double GeoidSeparation(double latitude, double longitude) const;
};
