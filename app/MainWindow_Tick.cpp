// The once-per-second work, run by each 1PPS tick of the receiver port.

#include "app/ClockTick.h"
#include "app/MainWindow.h"
#include "core/GpsMode.h"
#include "core/ReceiverIdentity.h"
#include "platform/TimeSource.h"

#include <QLabel>
#include <QTimer>

namespace {

// How long the heartbeat shows its on picture.
constexpr int HeartbeatOnMs = 300;

}  // namespace

void MainWindow::ShowHeartbeat()
{
  heartbeatLabel->setPixmap(heartbeatOnIcon);
  QTimer::singleShot(HeartbeatOnMs, this, &MainWindow::ResetHeartbeat);
}

void MainWindow::OnClockTick()
{
  if (state.setupInProgress)
    return;

  CountCounterTicks(state.ticStale, state.ticTickCount, TicPortCount);
  CountDownTimeHolds(state);

  const TimeSource &now = TimeSource::Current();
  const qint64 nowMs = now.NowMSecsSinceEpoch();
  if (WatchdogPollDue(CurrentGpsMode, state.HaHoldActive(now.MonotonicMs()), state.lastBbAnswerMs,
                      state.lastBbPollMs, nowMs)) {
    state.lastBbPollMs = nowMs;
    SendGpsRxCommand(WatchdogPoll());
  }

  // No time message since the last tick: the tick stands in for it.
  if (state.tickPending) {
    state.logRecordGate = gpsLogValues.intervalSeconds == 1;
    ShowHeartbeat();
    if (soundOn)
      tickSounds->PlayMinute();
    gpsDateText.clear();
  }

  state.tickPending = true;
  state.zdaTickPending = true;
  state.rmcTickPending = true;
  state.zdaThisSecond = false;
  state.messageDroveClock = false;

  SyncPcClock();
  // The display copy still holds the time shown a second ago.
  const ShownTimeChanges changes = CompareWithShownTime(state.receiverTime, state.displayCopy);
  UpdateClockDisplay();

  const int second = state.receiverTime.second();
  const QByteArray poll = TimedReceiverPoll(CurrentGpsMode, second, receiverIdentity.model);
  if (!poll.isEmpty())
    SendGpsRxCommand(poll);

  ShowHeartbeat();

  if (const auto sound = SecondTickSound(second, soundOn, soundOutOfLockOn, state.outOfLock))
    tickSounds->Play(*sound);
  if (second == 0) {
    FlushGpsLogFile();
    FlushLogFiles();
  }

  if (changes.day) {
    if (RollOverTicLogFiles()) {
      const QByteArray identification = RollOverIdentificationPoll(CurrentGpsMode);
      if (!identification.isEmpty())
        SendGpsRxCommand(identification);
    }
    RollOverGpsLogFile();
  }
}
