#pragma once
// What the time-position line of the GPS data log says about the position:
// a plain value the navigation window fills and the clock records read.

#include <QString>

struct TimePositionFields {
  QString positionText;   // "ddmm.mmmm,N,dddmm.mmmm,E"
  double speedKnots = -1.0;
  double headingDegrees = -1.0;
  int satsTracked = -1;
  int fixStatus = -1;     // negative: unknown
};
