#pragma once
// The program's time value: one UTC date-time with its Modified Julian Day,
// the observer's longitude (for local sidereal time) and the receiver's three
// timing offsets with their combined millisecond offset. A plain value class.

#include <QDateTime>
#include <QString>
#include <QtGlobal>

class GpsDateTime {
public:
  // Starts at the PC's current UTC time, with its MJD already computed.
  GpsDateTime();

  // Stores the date-time (callers pass UTC) and recomputes the MJD.
  GpsDateTime &SetDateTime(const QDateTime &dateTime);
  // The held date-time moved by secs seconds; the object is not changed.
  QDateTime addSecs(qint64 secs) const;
  QString toString(const QString &format) const;

  int year() const;
  int month() const;
  int day() const;
  int hour() const;
  int minute() const;
  int second() const;
  int dayOfYear() const;

  // The held date-time in milliseconds since 1970-01-01 00:00 UTC.
  qint64 MSecsSinceEpoch() const;
  // The PC clock in milliseconds since 1970-01-01 00:00 UTC.
  static qint64 CurrentMSecsSinceEpoch();

  void SetLocation(double latitude, double longitude);
  double Latitude() const { return latitude_; }
  double Longitude() const { return longitude_; }

  // Each offset setter recomputes the total offset.
  void SetEpochOffset(int ms);
  int GetEpochOffset() const { return epochOffsetMs_; }
  // 1PPS offset and cable delay in ns. Held as signed 64-bit so a negative
  // delay stays negative and the receiver's full unsigned 32-bit echo keeps
  // its value.
  void SetPpsOffset(qint64 ns);
  qint64 GetPpsOffset() const { return ppsOffsetNs_; }
  void SetCableDelay(qint64 ns);
  qint64 GetCableDelay() const { return cableDelayNs_; }
  // The offset in -999..499 ms: totals of 500 and above are shown as the
  // second mark lying before the labelled second.
  int TotalOffsetMs() const;

  quint32 Mjd() const { return mjd_; }
  int GpsWeek() const;
  // MJD plus the fraction of the day (whole seconds only).
  double SecondsOfDay() const;
  QString DayFractionText() const;
  QString YearDayText() const;
  // Days since 1900-01-01 00:00 UTC from the PC clock.
  QString ElapsedText() const;
  // The same text for a given time in ms since 1970 (the PC clock above).
  static QString ElapsedTextAt(qint64 msecsSinceEpoch);
  // kind 1: local mean sidereal time; any other kind: Greenwich.
  QString SiderealTimeText(int kind) const;

private:
  double DayFraction() const;
  void RecomputeTotalOffset();

  QDateTime dateTime_;
  quint32 mjd_ = 0;
  double latitude_ = 0.0;
  double longitude_ = 0.0;
  int epochOffsetMs_ = 0;
  qint64 ppsOffsetNs_ = 0;
  qint64 cableDelayNs_ = 0;
  int totalOffsetMs_ = 0;
};
