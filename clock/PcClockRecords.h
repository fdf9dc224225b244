#pragma once
// The two clock lines of the NMEA-style GPS data log, without line ends.

#include <QDateTime>
#include <QString>
#include <QtGlobal>

class GpsNavDialog;

// What a time-position line says about the position.
struct TimePositionFields {
  QString positionText;   // "ddmm.mmmm,N,dddmm.mmmm,E"
  double speedKnots = -1.0;
  double headingDegrees = -1.0;
  int satsTracked = -1;
  int fixStatus = -1;     // negative: unknown

  // The current fix and status values of the position store.
  static TimePositionFields From(const GpsNavDialog &navigation);
};

// "$PZQKT,yyyyMMddhhmmss.zzz,<offset ms>": the time the PC clock was set to
// (its fields, as UTC) and the offset measured before the set.
QString ClockSetRecord(const QDateTime &clockSetTime, qint64 pcClockOffsetMs);

// "$PZQKA,yyyyMMdd,hhmmss.zzz,<position>,<speed>,N,<heading>,<sats>,<fix>":
// the second after receiverUtc, in the PC's local time zone. Unknown
// (negative) values leave their field empty.
QString TimePositionRecord(const QDateTime &receiverUtc, const TimePositionFields &fields);
