#include "receiver/session/ReceiverSilenceWatch.h"

bool ReceiverSilenceWatch::MessageArrived(qint64 nowMs)
{
  quietSinceMs = nowMs;
  reported = false;
  const bool ended = silent;
  silent = false;
  return ended;
}

bool ReceiverSilenceWatch::Check(qint64 nowMs, bool watched)
{
  if (!watched) {
    Restart();
    return false;
  }
  if (quietSinceMs < 0)
    quietSinceMs = nowMs;
  if (reported || nowMs - quietSinceMs < SilenceMs)
    return false;
  reported = true;
  silent = true;
  return true;
}

void ReceiverSilenceWatch::Restart()
{
  quietSinceMs = -1;
  // A silence reported before stays until a message ends it.
  reported = false;
}
