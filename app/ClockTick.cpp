#include "app/ClockTick.h"

#include "core/GpsMode.h"
#include "receiver/link/ProtocolBytes.h"

void CountCounterTicks(bool *stale, int *tickCount, int ports)
{
  for (int i = 0; i < ports; ++i) {
    if (stale[i])
      continue;
    if (tickCount[i]++ >= 2)
      stale[i] = true;
  }
}

void CountDownTimeHolds(ReceiverState &state)
{
  for (int *countdown : {&state.haIgnoreCountdown, &state.eaIgnoreCountdown, &state.baIgnoreCountdown})
    if (*countdown > 0)
      --*countdown;
}

QByteArray WatchdogPoll()
{
  return QByteArrayLiteral("@@Bb\x01");
}

bool WatchdogPollDue(quint32 gpsMode, bool haHoldActive, qint64 lastBbAnswerMs, qint64 lastPollMs,
                     qint64 nowMs)
{
  return gpsMode == GpsModeMotorolaBinary && haHoldActive && lastBbAnswerMs > 0 &&
         nowMs - lastBbAnswerMs >= WatchdogSilenceMs && nowMs - lastPollMs >= WatchdogSilenceMs;
}

QByteArray TimedReceiverPoll(quint32 gpsMode, int second, int receiverModel)
{
  if (gpsMode == GpsModeMotorolaBinary) {
    if (second == 20) {
      switch (receiverModel) {
      case 3: case 4: case 5: case 19: case 21: case 22: case 23: case 24: case 25:
        return QByteArrayLiteral("@@Gj");
      default:
        return QByteArrayLiteral("@@Bj");
      }
    }
    if (second == 21)
      return QByteArrayLiteral("@@Bo\x01");
  } else if (gpsMode == GpsModeUbloxUbx && second == 11) {
    return UbxFrame(0x0B, 0x02);  // AID-HUI poll
  }
  return QByteArray();
}

QByteArray RollOverIdentificationPoll(quint32 gpsMode)
{
  return gpsMode == GpsModeMotorolaBinary ? QByteArrayLiteral("@@Cj") : QByteArray();
}

std::optional<TickSounds::Tick> SecondTickSound(int second, bool soundOn, bool outOfLockSoundOn,
                                                bool outOfLock)
{
  if (second == 0)
    return soundOn ? std::optional<TickSounds::Tick>(TickSounds::Tick::Minute) : std::nullopt;
  if (outOfLock)
    return outOfLockSoundOn ? std::optional<TickSounds::Tick>(TickSounds::Tick::Warning) : std::nullopt;
  return soundOn ? std::optional<TickSounds::Tick>(TickSounds::Tick::Second) : std::nullopt;
}

ShownTimeChanges CompareWithShownTime(const GpsDateTime &receiverTime, const GpsDateTime &shown)
{
  ShownTimeChanges changes;
  changes.day = receiverTime.day() != shown.day();
  changes.hour = receiverTime.hour() != shown.hour();
  changes.minute = receiverTime.minute() != shown.minute();
  return changes;
}
