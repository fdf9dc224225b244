#pragma once
// The decisions of the once-per-second tick as plain functions: the counter
// watch, the time holds, the "@@Bb" watchdog, the timed receiver polls, the
// tick sound of a second and the day/hour/minute changes. The main window's
// OnClockTick runs them in order and does what they say.

#include "core/GpsDateTime.h"
#include "core/ReceiverState.h"
#include "platform/TickSounds.h"

#include <QByteArray>
#include <QtGlobal>

#include <optional>

// A counter port is stale at the third tick without a reading: counts one
// tick for each port that is not stale yet.
void CountCounterTicks(bool *stale, int *tickCount, int ports);

// Lowers each of the "@@Ha", "@@Ea", "@@Ba" time holds that is still running.
void CountDownTimeHolds(ReceiverState &state);

// How long the receiver may leave the "@@Bb" satellite list unanswered, and
// how long between two watchdog polls.
inline constexpr qint64 WatchdogSilenceMs = 120000;
// The poll that switches the "@@Bb" satellite list on again.
QByteArray WatchdogPoll();
// True when the Motorola binary receiver still sends its "@@Ha" time but has
// not answered "@@Bb" for WatchdogSilenceMs, and the last poll is as old.
bool WatchdogPollDue(quint32 gpsMode, bool haHoldActive, qint64 lastBbAnswerMs, qint64 lastPollMs,
                     qint64 nowMs);

// The receiver poll of a receiver second, bare (no checksum); empty for none.
// Motorola binary: the UTC/leap-second poll at second 20 ("@@Gj" for the
// models that have it, else "@@Bj") and "@@Bo" at 21; u-blox UBX: AID-HUI at
// second 11.
QByteArray TimedReceiverPoll(quint32 gpsMode, int second, int receiverModel);

// The identification request sent after the TIC logs roll over (Motorola
// binary only).
QByteArray RollOverIdentificationPoll(quint32 gpsMode);

// The sound of the tick at a receiver second, if any: the minute tick at
// second 0; otherwise the warning tick while out of lock, the second tick
// while locked, each by its own switch.
std::optional<TickSounds::Tick> SecondTickSound(int second, bool soundOn, bool outOfLockSoundOn,
                                                bool outOfLock);

// Which fields of the receiver time differ from the time shown last.
struct ShownTimeChanges {
  bool day = false;
  bool hour = false;
  bool minute = false;
};
ShownTimeChanges CompareWithShownTime(const GpsDateTime &receiverTime, const GpsDateTime &shown);
