#include "clock/PcClockSync.h"

#include "core/GpsDateTime.h"
#include "clock/PcClockRecords.h"
#include "platform/SystemClock.h"
#include "platform/TimeSource.h"

#include <QDebug>

#include <cstdlib>

bool PcClockSync::PeriodicSetDue(int mode, int hour, int minute, int second)
{
  switch (mode) {
  case SyncOnce:
  case SyncEverySecond:
    return true;
  case SyncEveryMinute:
    return second == 0;
  case SyncEveryHour:
    return second == 0 && minute == 0;
  case SyncEveryDay:
    return second == 0 && minute == 0 && hour == 0;
  default:
    return false;
  }
}

bool PcClockSync::LogGateOpens(int second, int gpsUtcOffsetSeconds, bool useGpsSeconds, int intervalSeconds)
{
  if (intervalSeconds < 1)
    return false;
  const int s = second + (useGpsSeconds ? gpsUtcOffsetSeconds : 0);
  const int k = ((s % 60) + 60) % 60;
  return k % intervalSeconds == 0;
}

QDateTime PcClockSync::TimeToSet(const GpsDateTime &receiverTime, int sumMs)
{
  const QDate date(receiverTime.year(), receiverTime.month(), receiverTime.day());
  const QTime time(receiverTime.hour(), receiverTime.minute(), receiverTime.second());
  if (!date.isValid() || !time.isValid())
    return QDateTime();
  return QDateTime(date, time, Qt::UTC).addMSecs(sumMs);
}

int PcClockSync::NextLatencyCorrection(int correction, qint64 offsetMs)
{
  if (offsetMs < -1000 || offsetMs > 1000)
    return 0;
  if (offsetMs < 0)
    return qMin(correction, 998) + 1;
  if (offsetMs > 0)
    return qMax(correction, -998) - 1;
  return correction;
}

PcClockPassResult PcClockSync::Step(const GpsDateTime &receiverTime, const PcClockPassInputs &in)
{
  PcClockPassResult r;

  // 1. How far the PC is ahead of the receiver.
  const qint64 receiverMs = receiverTime.MSecsSinceEpoch();
  offsetMs_ = TimeSource::Current().NowMSecsSinceEpoch() - receiverMs;
  r.offsetMs = offsetMs_;

  // 2. Learn from the set of the previous pass.
  if (setPending_) {
    latencyCorrection_ = NextLatencyCorrection(latencyCorrection_, offsetMs_);
    setPending_ = false;
  }

  // 3. The rule: without a tick the receiver's second may not be trusted.
  if (in.ppsTickSeen || in.overrideTraim) {
    if (PeriodicSetDue(settings_.mode, receiverTime.hour(), receiverTime.minute(), receiverTime.second()))
      setPending_ = true;
    if (settings_.deltaOn && std::llabs(offsetMs_) >= settings_.deltaMs)
      setPending_ = true;
  }

  // 4. The time to set, built on every pass.
  clockSetTime_ = TimeToSet(receiverTime, latencyCorrection_ + in.foldedOffsetMs);
  if (!clockSetTime_.isValid())
    setPending_ = false;

  // 5. Offsets beyond the maximum are never corrected automatically.
  const bool beyondMaximum = settings_.maxSeconds > 0 && std::llabs(offsetMs_ / 1000) > settings_.maxSeconds;
  if (beyondMaximum)
    setPending_ = false;

  // 6. The set. The correction learns only from sets that were carried out.
  if (setPending_) {
    const bool integrityOk = (in.ppsTickSeen && !in.tooFewSatellites) || in.overrideIntegrity;
    if (!integrityOk) {
      setPending_ = false;
    } else {
      r.setAttempted = true;
      QString error;
      if (SystemClock::Current().SetUtcTime(clockSetTime_, &error)) {
        qDebug() << "Time Set OK";
        failureReported_ = false;
        r.setDone = true;
        if (settings_.mode == SyncOnce) {
          settings_.mode = SyncDisable;
          r.oneTimeFinished = true;
        }
        if (in.logOpen && in.logType == GpsLogTypeNmea)
          r.logLines.append(ClockSetRecord(clockSetTime_, offsetMs_));
      } else {
        setPending_ = false;
        if (!failureReported_) {
          failureReported_ = true;
          r.failureToReport = error.isEmpty() ? QStringLiteral("unknown error") : error;
        }
      }
    }
  }

  // 7. The latency field shows each new correction once.
  if (latencyCorrection_ != lastShownLatency_) {
    lastShownLatency_ = latencyCorrection_;
    r.latencyChanged = true;
    r.latencyText = QString::number(latencyCorrection_);
  }

  // 8. Whether this second is a logging second.
  r.logGateOpen = in.logOpen &&
                  LogGateOpens(receiverTime.second(), in.gpsUtcOffsetSeconds, in.logUseGpsSeconds,
                               in.logIntervalSeconds);

  // 9. The time-position line of a logging second.
  if (r.logGateOpen && in.logType == GpsLogTypeNmea && in.position)
    r.logLines.append(TimePositionRecord(QDateTime::fromMSecsSinceEpoch(receiverMs, Qt::UTC),
                                         *in.position));
  return r;
}
