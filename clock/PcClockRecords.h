#pragma once
// The two clock lines of the NMEA-style GPS data log, without line ends.

#include "position/TimePositionFields.h"

#include <QDateTime>
#include <QString>
#include <QtGlobal>

// "$PZQKT,yyyyMMddhhmmss.zzz,<offset ms>": the time the PC clock was set to
// (its fields, as UTC) and the offset measured before the set.
QString ClockSetRecord(const QDateTime &clockSetTime, qint64 pcClockOffsetMs);

// "$PZQKA,yyyyMMdd,hhmmss.zzz,<position>,<speed>,N,<heading>,<sats>,<fix>":
// the second after receiverUtc, in the PC's local time zone. Unknown
// (negative) values leave their field empty.
QString TimePositionRecord(const QDateTime &receiverUtc, const TimePositionFields &fields);
