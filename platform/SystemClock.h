#pragma once
// Setting the PC clock: the privilege to do it, and the set itself. The
// clock step asks SystemClock::Current(), which is the machine's clock
// unless another clock has been put in its place.

#include <QDateTime>
#include <QString>

class SystemClock {
public:
  virtual ~SystemClock() = default;

  // Whether this process may set the clock now; changes nothing.
  virtual bool HasSetTimePrivilege() const = 0;
  // Makes sure this process may set the clock. On failure returns false
  // and, if error is given, the reason in words for the user.
  virtual bool EnableSetTimePrivilege(QString *error = nullptr) = 0;
  // Sets the clock. The date and time-of-day fields of time are taken as
  // UTC, whatever its Qt::TimeSpec says, milliseconds included.
  virtual bool SetUtcTime(const QDateTime &time, QString *error = nullptr) = 0;

  // The clock in force: the machine's, unless another has been put in.
  static SystemClock &Current();
  // Puts clock in force (not owned); nullptr restores the machine's.
  static void SetOverride(SystemClock *clock);

protected:
  SystemClock() = default;
  SystemClock(const SystemClock &) = default;
  SystemClock &operator=(const SystemClock &) = default;
};

// The machine's clock: CAP_SYS_TIME and clock_settime(CLOCK_REALTIME).
class LinuxSystemClock : public SystemClock {
public:
  bool HasSetTimePrivilege() const override;
  bool EnableSetTimePrivilege(QString *error = nullptr) override;
  bool SetUtcTime(const QDateTime &time, QString *error = nullptr) override;

  // From this call on, no LinuxSystemClock in this process sets the
  // machine's clock: SetUtcTime fails with a text saying so. A program that
  // must never change the machine's clock calls it first thing.
  static void ForbidSetting();
  static bool SettingForbidden();
};

// Puts a clock in force for the life of this object, then restores the
// one that was in force before.
class ScopedSystemClockOverride {
public:
  explicit ScopedSystemClockOverride(SystemClock *clock);
  ~ScopedSystemClockOverride();
  ScopedSystemClockOverride(const ScopedSystemClockOverride &) = delete;
  ScopedSystemClockOverride &operator=(const ScopedSystemClockOverride &) = delete;

private:
  SystemClock *previous_;
};

// The fields of time as a UTC date-time (whatever its time spec), or an
// invalid one when time is invalid.
QDateTime FieldsAsUtc(const QDateTime &time);
