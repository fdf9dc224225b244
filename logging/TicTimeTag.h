#pragma once
// The time tag that starts every TIC log row.

#include "core/GpsDateTime.h"
#include "core/ReceiverState.h"

#include <QString>

// The values of "LogFiles/TicTimeTagFormat".
namespace TicTimeTagFormats {
inline constexpr int Calendar = 0;  // "Calendar (YYDDD.FFFFF)"
inline constexpr int Mjd = 1;       // "Modified Julian Day (MMMMM.FFFFF)"
inline constexpr int Excel = 2;     // "Excel Time (XXXXX.FFFFF)"
}  // namespace TicTimeTagFormats

// The time a counter row is tagged with now: the displayed second while the
// clock display runs; while it stands still (the receiver silent or gone),
// that second plus the whole seconds elapsed since it was first shown, on
// the monotonic clock (TimeSource). Without a time of showing for the
// displayed second, that second.
GpsDateTime TicRowTime(const ReceiverState &state);

// The tag followed by one blank: the year and day of year, or the Modified
// Julian Day, of the receiver second last shown; or the days since 1900 of
// the PC clock (TimeSource). Any other format gives an empty text.
QString LogTimeTag(int format, const GpsDateTime &shown);
