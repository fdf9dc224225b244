#pragma once
// The once-per-receiver-second clock step: measures how far the PC clock is
// from the receiver, keeps the latency correction, decides by the user's
// rule whether to set the PC clock now, sets it through the platform clock
// and decides whether this second is a logging second of the GPS data log.
// It reads the PC clock through TimeSource::Current() and sets it through
// SystemClock::Current(), so it runs on whichever clocks are in force.

#include "clock/PcClockSettings.h"
#include "position/TimePositionFields.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <optional>

class GpsDateTime;

// What one pass needs besides the receiver time.
struct PcClockPassInputs {
  // The folded total offset (-999..499 ms) of the time last shown.
  int foldedOffsetMs = 0;
  bool ppsTickSeen = false;         // a 1PPS tick came since the last time message
  bool tooFewSatellites = true;
  // The dialog's two switches, read on every pass.
  bool overrideTraim = false;
  bool overrideIntegrity = false;
  int gpsUtcOffsetSeconds = 0;      // GPS - UTC, 0 until reported

  // The GPS data log.
  bool logOpen = false;
  int logType = 0;                  // GpsLogType; 3 carries the clock lines
  int logIntervalSeconds = 1;
  bool logUseGpsSeconds = false;

  // The position of the time-position line; no line without it.
  std::optional<TimePositionFields> position;
};

// What one pass did, for the main window to show and log.
struct PcClockPassResult {
  qint64 offsetMs = 0;              // PC minus receiver
  bool setAttempted = false;
  bool setDone = false;             // the PC clock was set
  bool oneTimeFinished = false;     // "One Time" became "Disable"
  // The platform's reason, on the first failed set after start or after a
  // success; empty otherwise.
  QString failureToReport;
  bool latencyChanged = false;
  QString latencyText;              // the correction, when it changed
  bool logGateOpen = false;
  QStringList logLines;             // GPS data log lines, in order
};

class PcClockSync {
public:
  static constexpr int GpsLogTypeNmea = 3;

  void SetSettings(const PcClockSettings &settings) { settings_ = settings; }
  const PcClockSettings &Settings() const { return settings_; }
  int Mode() const { return settings_.mode; }

  PcClockPassResult Step(const GpsDateTime &receiverTime, const PcClockPassInputs &in);

  int LatencyCorrection() const { return latencyCorrection_; }
  bool SetPending() const { return setPending_; }
  // The time built for a set on the last pass (fields in UTC).
  QDateTime ClockSetTime() const { return clockSetTime_; }
  qint64 OffsetMs() const { return offsetMs_; }

  // True for a second whose rule says "set" in the given mode.
  static bool PeriodicSetDue(int mode, int hour, int minute, int second);
  // True when the log interval selects this receiver second.
  static bool LogGateOpens(int second, int gpsUtcOffsetSeconds, bool useGpsSeconds, int intervalSeconds);
  // The receiver's date and whole second moved by sumMs, as UTC.
  static QDateTime TimeToSet(const GpsDateTime &receiverTime, int sumMs);
  // The correction after a set from the offset seen one pass later.
  static int NextLatencyCorrection(int correction, qint64 offsetMs);

private:
  PcClockSettings settings_;
  qint64 offsetMs_ = 0;
  bool setPending_ = false;
  QDateTime clockSetTime_;
  int latencyCorrection_ = 0;
  int lastShownLatency_ = -1;
  bool failureReported_ = false;
};
