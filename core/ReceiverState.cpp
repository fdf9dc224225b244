#include "ReceiverState.h"

ReceiverState::ReceiverState()
{
  for (int i = 0; i < SatelliteArraySize; ++i) {
    previousElevation[i] = -1;
    elevationTrend[i] = 0;
  }
}

void ReceiverState::ShowTime(const GpsDateTime &time, qint64 monotonicNowMs)
{
  const qint64 second = time.MSecsSinceEpoch() / 1000;
  if (displaySecondShownMs < 0 || second != displaySecondShown) {
    displaySecondShownMs = monotonicNowMs;
    displaySecondShown = second;
  }
  displayCopy = time;
}

bool ReceiverState::TimeHoldActive(int countdown, qint64 setMs, qint64 monotonicNowMs)
{
  return countdown > 0 && monotonicNowMs - setMs < TimeHoldLifetimeMs;
}

bool ReceiverState::HaHoldActive(qint64 monotonicNowMs) const
{
  return TimeHoldActive(haIgnoreCountdown, haIgnoreSetMs, monotonicNowMs);
}

bool ReceiverState::EaHoldActive(qint64 monotonicNowMs) const
{
  return TimeHoldActive(eaIgnoreCountdown, eaIgnoreSetMs, monotonicNowMs);
}

bool ReceiverState::BaHoldActive(qint64 monotonicNowMs) const
{
  return TimeHoldActive(baIgnoreCountdown, baIgnoreSetMs, monotonicNowMs);
}
