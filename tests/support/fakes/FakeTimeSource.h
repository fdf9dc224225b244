#pragma once

#include "platform/TimeSource.h"

// A clock that only moves when told. Advance() moves both readings; Set...
// moves one of them.
class FakeTimeSource : public TimeSource {
public:
  explicit FakeTimeSource(const QDateTime &utc = QDateTime(QDate(2024, 1, 1), QTime(0, 0), Qt::UTC));

  qint64 NowMSecsSinceEpoch() const override { return msecsSinceEpoch_; }
  qint64 MonotonicMs() const override { return monotonicMs_; }

  void SetUtc(const QDateTime &utc) { msecsSinceEpoch_ = utc.toMSecsSinceEpoch(); }
  void SetMSecsSinceEpoch(qint64 ms) { msecsSinceEpoch_ = ms; }
  void SetMonotonicMs(qint64 ms) { monotonicMs_ = ms; }
  void Advance(qint64 ms);

private:
  qint64 msecsSinceEpoch_;
  qint64 monotonicMs_ = 0;
};
