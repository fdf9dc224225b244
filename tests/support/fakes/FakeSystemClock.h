#pragma once

#include "platform/SystemClock.h"

#include <QDateTime>
#include <QList>
#include <QString>

class FakeTimeSource;

// A clock for tests: records every set, can be told to refuse the
// privilege or the set, and can move a FakeTimeSource as a real set would
// move the PC clock.
class FakeSystemClock : public SystemClock {
public:
  explicit FakeSystemClock(FakeTimeSource *pcClock = nullptr) : pcClock_(pcClock) {}

  bool HasSetTimePrivilege() const override { return privilegeHeld_; }
  bool EnableSetTimePrivilege(QString *error = nullptr) override;
  bool SetUtcTime(const QDateTime &time, QString *error = nullptr) override;

  // Every time asked for, failed ones included, in order, as UTC.
  const QList<QDateTime> &RequestedTimes() const { return requested_; }
  // Only the sets that succeeded.
  const QList<QDateTime> &AppliedTimes() const { return applied_; }
  int PrivilegeRequests() const { return privilegeRequests_; }
  void ClearRecords();

  void SetPrivilege(bool held, const QString &errorWhenMissing = QString());
  // Makes every set fail with this text until ClearSetFailure().
  void SetSetFailure(const QString &error);
  void ClearSetFailure() { setFails_ = false; }
  // A set lands this many ms late: the PC clock ends up that far behind
  // the time asked for (negative: ahead).
  void SetLatenessMs(qint64 ms) { latenessMs_ = ms; }

private:
  FakeTimeSource *pcClock_;
  QList<QDateTime> requested_;
  QList<QDateTime> applied_;
  int privilegeRequests_ = 0;
  bool privilegeHeld_ = true;
  QString privilegeError_;
  bool setFails_ = false;
  QString setError_;
  qint64 latenessMs_ = 0;
};
