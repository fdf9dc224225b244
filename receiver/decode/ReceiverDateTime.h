#pragma once
// Builds the receiver time from a message's date and time fields, with the
// checks every time message needs before its value becomes the receiver
// time: hours below 24, minutes below 60, seconds 0 to 60. Second 60 (a leap
// second, or seconds rounded up from 59.5) becomes the next minute's 00.

#include <QDateTime>

// Returns false, leaving `out` alone, for an impossible date-time. With
// `localTime` the fields are the PC time zone's local time and the result
// is converted to UTC.
bool MakeReceiverDateTime(int year, int month, int day, int hour, int minute, int second,
                          bool localTime, QDateTime *out);
