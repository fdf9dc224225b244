#pragma once
// The texts of the clock area: the large clock in each display mode, the
// GPS date panel, the PC clock with its time zone, the sidereal panel and
// the pieces of a position text. Plain functions of their inputs, so the
// main window only puts them on its labels.

#include "core/ClockModes.h"
#include "core/GpsDateTime.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QtGlobal>

// "HH:mm.ss.mmm" of a receiver time with its total offset as the
// millisecond field. A negative offset means the second mark came before the
// labelled second: the text then names the second before, with the offset
// + 1000 as milliseconds. Sign and field both come from `shown`, so the field
// is never negative.
QString ClockTimeText(const GpsDateTime &shown);

// The large clock in a display mode; a null QString in the counter modes
// (6, 7), whose clock the counter code writes. Modes outside 1..7 show UTC.
QString LargeClockText(int mode, const GpsDateTime &shown, const QDateTime &pcLocalNow,
                       qint64 pcClockOffsetMs);

// The GPS date panel: day of year and time, the date, the GPS week, and
// the UTC offset and leap-second lines when known.
QString GpsDateText(const GpsDateTime &shown, int utcOffsetSeconds, int leapSecondPending);

// The name of the PC's time zone at `localNow`: the daylight-time name while
// daylight saving is in force, else the standard-time name.
QString LocalTimeZoneName(const QDateTime &localNow);
// The PC clock panel: local time and the zone's name.
QString PcClockText(const QDateTime &localNow);

// The sidereal panel: LMST, GMST and the MJD with its day fraction.
QString SiderealPanelText(const GpsDateTime &shown);

// Cuts a position text at its first three "<br>" into latitude, longitude,
// ellipsoid height and MSL height; always four pieces (missing ones empty).
QStringList SplitPositionText(const QString &text);
