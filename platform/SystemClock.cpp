#include "platform/SystemClock.h"

#include "platform/TimeSource.h"

#include <QCoreApplication>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

SystemClock *overrideClock = nullptr;
std::atomic<bool> settingForbidden{false};

QString Tr(const char *text) { return QCoreApplication::translate("SystemClock", text); }

QString ErrnoText(int err) { return QString::fromLocal8Bit(std::strerror(err)); }

// The capability sets of the calling thread (version 3: two 32-bit words).
struct Capabilities {
  __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
  __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3] = {};
};

constexpr unsigned kWord = CAP_TO_INDEX(CAP_SYS_TIME);
constexpr quint32 kMask = CAP_TO_MASK(CAP_SYS_TIME);

bool ReadCapabilities(Capabilities &caps, int *err)
{
  if (::syscall(SYS_capget, &caps.header, caps.data) != 0) {
    *err = errno;
    return false;
  }
  return true;
}

bool Effective(const Capabilities &caps) { return caps.data[kWord].effective & kMask; }
bool Permitted(const Capabilities &caps) { return caps.data[kWord].permitted & kMask; }

QString MissingCapabilityText()
{
  QString program = QCoreApplication::applicationFilePath();
  if (program.isEmpty())
    program = QStringLiteral("riduder");
  return Tr("The program needs the CAP_SYS_TIME capability to set the system time. "
            "Run it as root, or grant the capability with "
            "\"sudo setcap cap_sys_time+ep %1\".")
      .arg(program);
}

// Raises CAP_SYS_TIME into the effective set of the calling thread when it
// is permitted. Capabilities are per thread on Linux.
bool RaiseCapability(QString *error)
{
  Capabilities caps;
  int err = 0;
  if (!ReadCapabilities(caps, &err)) {
    if (error)
      *error = Tr("Can't read the capabilities of the program: %1").arg(ErrnoText(err));
    return false;
  }
  if (Effective(caps))
    return true;
  if (!Permitted(caps)) {
    if (error)
      *error = MissingCapabilityText();
    return false;
  }
  caps.data[kWord].effective |= kMask;
  if (::syscall(SYS_capset, &caps.header, caps.data) != 0) {
    err = errno;
    if (error)
      *error = Tr("Can't enable the CAP_SYS_TIME capability: %1").arg(ErrnoText(err));
    return false;
  }
  return true;
}

}  // namespace

SystemClock &SystemClock::Current()
{
  static LinuxSystemClock machine;
  return overrideClock ? *overrideClock : machine;
}

void SystemClock::SetOverride(SystemClock *clock) { overrideClock = clock; }

QDateTime FieldsAsUtc(const QDateTime &time)
{
  if (!time.isValid())
    return QDateTime();
  return QDateTime(time.date(), time.time(), Qt::UTC);
}

bool LinuxSystemClock::HasSetTimePrivilege() const
{
  Capabilities caps;
  int err = 0;
  return ReadCapabilities(caps, &err) && Effective(caps);
}

bool LinuxSystemClock::EnableSetTimePrivilege(QString *error) { return RaiseCapability(error); }

bool LinuxSystemClock::SetUtcTime(const QDateTime &time, QString *error)
{
  const QDateTime utc = FieldsAsUtc(time);
  if (!utc.isValid()) {
    if (error)
      *error = Tr("Can't set the system time: the time to set is not valid.");
    return false;
  }
  if (settingForbidden.load()) {
    if (error)
      *error = Tr("Setting the system time is switched off in this program.");
    return false;
  }
  const qint64 ms = utc.toMSecsSinceEpoch();
  timespec ts{};
  ts.tv_sec = static_cast<time_t>(ms / 1000);
  long rest = static_cast<long>(ms % 1000);
  if (rest < 0) {
    rest += 1000;
    --ts.tv_sec;
  }
  ts.tv_nsec = rest * 1000000L;

  int result = ::clock_settime(CLOCK_REALTIME, &ts);
  if (result != 0 && errno == EPERM && RaiseCapability(nullptr))
    result = ::clock_settime(CLOCK_REALTIME, &ts);  // enabled on another thread only
  if (result != 0) {
    const int err = errno;
    if (error)
      *error = err == EPERM ? MissingCapabilityText()
                            : Tr("Can't set the system time: %1").arg(ErrnoText(err));
    return false;
  }
  return true;
}

void LinuxSystemClock::ForbidSetting() { settingForbidden.store(true); }

bool LinuxSystemClock::SettingForbidden() { return settingForbidden.load(); }

ScopedSystemClockOverride::ScopedSystemClockOverride(SystemClock *clock)
    : previous_(overrideClock)
{
  SystemClock::SetOverride(clock);
}

ScopedSystemClockOverride::~ScopedSystemClockOverride() { SystemClock::SetOverride(previous_); }
