#include "FakeTimeSource.h"

FakeTimeSource::FakeTimeSource(const QDateTime &utc) : msecsSinceEpoch_(utc.toMSecsSinceEpoch()) {}

void FakeTimeSource::Advance(qint64 ms)
{
  msecsSinceEpoch_ += ms;
  monotonicMs_ += ms;
}
