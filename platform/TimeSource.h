#pragma once
// Where the program reads "now": the PC's UTC and local time and a monotonic
// millisecond counter. Code that depends on the PC time asks
// TimeSource::Current(), so another clock can be put in its place and give
// the same result on every run.

#include <QDateTime>
#include <QElapsedTimer>
#include <QtGlobal>

class TimeSource {
public:
  virtual ~TimeSource() = default;

  // The PC clock in milliseconds since 1970-01-01 00:00 UTC.
  virtual qint64 NowMSecsSinceEpoch() const = 0;
  // Milliseconds from an arbitrary start; never goes back, not even when
  // the PC clock is set.
  virtual qint64 MonotonicMs() const = 0;

  QDateTime NowUtc() const;
  QDateTime NowLocal() const;

  // The source in force: the system's, unless another has been put in.
  static TimeSource &Current();
  // Puts source in force (not owned); nullptr restores the system's.
  static void SetOverride(TimeSource *source);

protected:
  TimeSource() = default;
  TimeSource(const TimeSource &) = default;
  TimeSource &operator=(const TimeSource &) = default;
};

class SystemTimeSource : public TimeSource {
public:
  SystemTimeSource();
  qint64 NowMSecsSinceEpoch() const override;
  qint64 MonotonicMs() const override;

private:
  QElapsedTimer monotonic_;
};

// Puts a source in force for the life of this object, then restores the
// one that was in force before.
class ScopedTimeSourceOverride {
public:
  explicit ScopedTimeSourceOverride(TimeSource *source);
  ~ScopedTimeSourceOverride();
  ScopedTimeSourceOverride(const ScopedTimeSourceOverride &) = delete;
  ScopedTimeSourceOverride &operator=(const ScopedTimeSourceOverride &) = delete;

private:
  TimeSource *previous_;
};
