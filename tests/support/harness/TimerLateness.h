#pragma once
// How late a 10 ms timer fires while other work runs in the same thread:
// the measure of whether that work keeps the rest of the thread waiting.

#include <QElapsedTimer>
#include <QTimer>

#include <functional>

namespace riduder::test {

class TimerLateness {
public:
  static constexpr int IntervalMs = 10;

  TimerLateness();
  TimerLateness(const TimerLateness &) = delete;
  TimerLateness &operator=(const TimerLateness &) = delete;

  // Starts a fresh measure: the timer runs, each tick's lateness counts
  // from the one before (the first from here).
  void Start();
  void Stop();
  // The latest a tick came since Start, in ms beyond the interval.
  qint64 WorstLateMs() const { return worstLateMs_; }

  // Starts a fresh measure and runs the event loop until done(), asked at
  // each tick, or until timeoutMs have passed; then stops the timer. False
  // on the timeout.
  bool RunUntil(const std::function<bool()> &done, int timeoutMs);

private:
  QTimer timer_;
  QElapsedTimer sinceTick_;
  qint64 worstLateMs_ = 0;
  std::function<void()> onTick_;
};

}  // namespace riduder::test
