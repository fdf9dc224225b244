#include "receiver/decode/DecoderCommandThrottle.h"

bool DecoderCommandThrottle::Allow(const QByteArray &command, qint64 nowMs)
{
  for (Sent &sent : sent_) {
    if (sent.command != command)
      continue;
    if (nowMs - sent.atMs < ResendIntervalMs)
      return false;
    sent.atMs = nowMs;
    return true;
  }
  if (sent_.size() >= MaxRemembered)
    sent_.removeFirst();
  sent_.append({command, nowMs});
  return true;
}
