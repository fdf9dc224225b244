#include "platform/TimeSource.h"

namespace {

TimeSource *overrideSource = nullptr;

}  // namespace

QDateTime TimeSource::NowUtc() const
{
  return QDateTime::fromMSecsSinceEpoch(NowMSecsSinceEpoch(), Qt::UTC);
}

QDateTime TimeSource::NowLocal() const
{
  return QDateTime::fromMSecsSinceEpoch(NowMSecsSinceEpoch(), Qt::LocalTime);
}

TimeSource &TimeSource::Current()
{
  static SystemTimeSource system;
  return overrideSource ? *overrideSource : system;
}

void TimeSource::SetOverride(TimeSource *source) { overrideSource = source; }

SystemTimeSource::SystemTimeSource() { monotonic_.start(); }

qint64 SystemTimeSource::NowMSecsSinceEpoch() const { return QDateTime::currentMSecsSinceEpoch(); }

qint64 SystemTimeSource::MonotonicMs() const { return monotonic_.elapsed(); }

ScopedTimeSourceOverride::ScopedTimeSourceOverride(TimeSource *source)
    : previous_(overrideSource)
{
  TimeSource::SetOverride(source);
}

ScopedTimeSourceOverride::~ScopedTimeSourceOverride() { TimeSource::SetOverride(previous_); }
