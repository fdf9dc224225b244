#pragma once
// How late a 10 ms timer fires while other work runs in the same thread:
// the measure of whether that work keeps the rest of the thread waiting.

#include <QElapsedTimer>
#include <QTimer>

#include <functional>

namespace riduder::test {

// Built with AddressSanitizer, the program is several times slower and keeps
// freed memory in quarantine: timer lateness and resident memory then measure
// the sanitizer, so tests check them only in an ordinary build.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool TimeAndMemoryFiguresHold = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool TimeAndMemoryFiguresHold = false;
#else
inline constexpr bool TimeAndMemoryFiguresHold = true;
#endif
#else
inline constexpr bool TimeAndMemoryFiguresHold = true;
#endif

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
