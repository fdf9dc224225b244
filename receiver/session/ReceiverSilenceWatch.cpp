#include "receiver/session/ReceiverSilenceWatch.h"

bool ReceiverSilenceWatch::MessageArrived(qint64 nowMs)
{
  quietSinceMs = nowMs;
  const bool ended = silent;
  silent = false;
  return ended;
}

bool ReceiverSilenceWatch::Check(qint64 nowMs, bool watched)
{
  if (!watched) {
    quietSinceMs = -1;
    return false;
  }
  if (quietSinceMs < 0)
    quietSinceMs = nowMs;
  if (silent || nowMs - quietSinceMs < SilenceMs)
    return false;
  silent = true;
  return true;
}
