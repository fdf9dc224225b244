#include "FakeSystemClock.h"

#include "FakeTimeSource.h"

bool FakeSystemClock::EnableSetTimePrivilege(QString *error)
{
  ++privilegeRequests_;
  if (!privilegeHeld_ && error)
    *error = privilegeError_;
  return privilegeHeld_;
}

bool FakeSystemClock::SetUtcTime(const QDateTime &time, QString *error)
{
  const QDateTime utc = FieldsAsUtc(time);
  requested_.append(utc);
  if (!utc.isValid() || setFails_) {
    if (error)
      *error = utc.isValid() ? setError_ : QStringLiteral("invalid time");
    return false;
  }
  applied_.append(utc);
  if (pcClock_)
    pcClock_->SetMSecsSinceEpoch(utc.toMSecsSinceEpoch() - latenessMs_);
  return true;
}

void FakeSystemClock::ClearRecords()
{
  requested_.clear();
  applied_.clear();
  privilegeRequests_ = 0;
}

void FakeSystemClock::SetPrivilege(bool held, const QString &errorWhenMissing)
{
  privilegeHeld_ = held;
  privilegeError_ = errorWhenMissing.isEmpty()
                        ? QStringLiteral("The privilege to set the system time is missing.")
                        : errorWhenMissing;
}

void FakeSystemClock::SetSetFailure(const QString &error)
{
  setFails_ = true;
  setError_ = error;
}
