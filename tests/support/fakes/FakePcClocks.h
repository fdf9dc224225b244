#pragma once
// A fake PC clock and a fake system clock that moves it, both in force for
// the life of the object: a test reads and sets the PC's time without
// touching the machine's.

#include "FakeSystemClock.h"
#include "FakeTimeSource.h"

#include <QDateTime>

namespace riduder::test {

struct FakePcClocks {
  explicit FakePcClocks(const QDateTime &utc) : pc(utc), clock(&pc), pcInForce(&pc), clockInForce(&clock) {}
  FakePcClocks(const FakePcClocks &) = delete;
  FakePcClocks &operator=(const FakePcClocks &) = delete;

  FakeTimeSource pc;
  FakeSystemClock clock;
  ScopedTimeSourceOverride pcInForce;
  ScopedSystemClockOverride clockInForce;
};

}  // namespace riduder::test
