#include "TestMain.h"
#include "FakeSystemClock.h"
#include "FakeTimeSource.h"

#include "platform/SystemClock.h"
#include "platform/TimeSource.h"

#include <QFile>
#include <QRegularExpression>

#include <linux/capability.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QDateTime Utc(int y, int mo, int d, int h, int mi, int s, int ms = 0)
{
  return QDateTime(QDate(y, mo, d), QTime(h, mi, s, ms), Qt::UTC);
}

// CAP_SYS_TIME in the effective set, as the kernel reports it in
// /proc/self/status (a reading independent of the code under test).
bool ProcSaysEffective()
{
  QFile status(QStringLiteral("/proc/thread-self/status"));
  if (!status.open(QIODevice::ReadOnly))
    return false;
  const QString text = QString::fromLatin1(status.readAll());
  const auto m = QRegularExpression(QStringLiteral("CapEff:\\s*([0-9a-f]+)")).match(text);
  return m.hasMatch() && (m.captured(1).toULongLong(nullptr, 16) >> CAP_SYS_TIME) & 1;
}

// Changes CAP_SYS_TIME in the calling thread's own capability sets.
bool AdjustOwnCapability(bool effective, bool permitted)
{
  __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
  __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3] = {};
  if (::syscall(SYS_capget, &header, data) != 0)
    return false;
  const unsigned word = CAP_TO_INDEX(CAP_SYS_TIME);
  const quint32 mask = CAP_TO_MASK(CAP_SYS_TIME);
  data[word].effective = effective ? (data[word].effective | mask) : (data[word].effective & ~mask);
  data[word].permitted = permitted ? (data[word].permitted | mask) : (data[word].permitted & ~mask);
  return ::syscall(SYS_capset, &header, data) == 0;
}

}  // namespace

class TestSystemClock : public QObject {
  Q_OBJECT

private slots:
  void initTestCase();
  void fakeRecordsEverySet();
  void fakeFailsWhenTold();
  void fakeMovesThePcClock_data();
  void fakeMovesThePcClock();
  void fakePrivilege();
  void overridesNestAndRestore();
  void fieldsAreTakenAsUtc();
  void realPrivilegeQueryIsReadOnly();
  void enablingRaisesAPermittedCapability();
};

void TestSystemClock::initTestCase()
{
  // Nothing in this program may change the machine's clock.
  LinuxSystemClock::ForbidSetting();
  QVERIFY(LinuxSystemClock::SettingForbidden());
}

void TestSystemClock::fakeRecordsEverySet()
{
  FakeSystemClock fake;
  ScopedSystemClockOverride use(&fake);
  SystemClock &clock = SystemClock::Current();
  QCOMPARE(&clock, static_cast<SystemClock *>(&fake));

  QString error = QStringLiteral("untouched");
  QVERIFY(clock.SetUtcTime(Utc(2024, 3, 12, 14, 30, 15, 123), &error));
  QCOMPARE(error, QStringLiteral("untouched"));
  QVERIFY(clock.SetUtcTime(Utc(2024, 12, 31, 23, 59, 59, 999)));
  QCOMPARE(fake.RequestedTimes(),
           (QList<QDateTime>{Utc(2024, 3, 12, 14, 30, 15, 123), Utc(2024, 12, 31, 23, 59, 59, 999)}));
  QCOMPARE(fake.AppliedTimes(), fake.RequestedTimes());

  // An invalid time is refused and recorded as asked.
  QVERIFY(!clock.SetUtcTime(QDateTime(), &error));
  QVERIFY(!error.isEmpty());
  QCOMPARE(fake.RequestedTimes().size(), 3);
  QCOMPARE(fake.AppliedTimes().size(), 2);

  fake.ClearRecords();
  QVERIFY(fake.RequestedTimes().isEmpty());
  QVERIFY(fake.AppliedTimes().isEmpty());
}

void TestSystemClock::fakeFailsWhenTold()
{
  FakeTimeSource pc(Utc(2024, 1, 1, 0, 0, 0));
  FakeSystemClock fake(&pc);
  fake.SetSetFailure(QStringLiteral("refused"));
  QString error;
  QVERIFY(!fake.SetUtcTime(Utc(2024, 1, 1, 0, 0, 5), &error));
  QCOMPARE(error, QStringLiteral("refused"));
  QVERIFY(!fake.SetUtcTime(Utc(2024, 1, 1, 0, 0, 6)));  // no error text wanted
  QCOMPARE(fake.RequestedTimes().size(), 2);
  QVERIFY(fake.AppliedTimes().isEmpty());
  QCOMPARE(pc.NowUtc(), Utc(2024, 1, 1, 0, 0, 0));  // a failed set moves nothing

  fake.ClearSetFailure();
  QVERIFY(fake.SetUtcTime(Utc(2024, 1, 1, 0, 0, 7), &error));
  QCOMPARE(pc.NowUtc(), Utc(2024, 1, 1, 0, 0, 7));
}

void TestSystemClock::fakeMovesThePcClock_data()
{
  QTest::addColumn<qint64>("latenessMs");
  QTest::addColumn<QDateTime>("pcAfterSet");
  QTest::newRow("on time") << qint64(0) << Utc(2024, 5, 5, 12, 0, 0, 250);
  QTest::newRow("3 ms late") << qint64(3) << Utc(2024, 5, 5, 12, 0, 0, 247);
  QTest::newRow("400 ms late") << qint64(400) << Utc(2024, 5, 5, 11, 59, 59, 850);
  QTest::newRow("2 ms early") << qint64(-2) << Utc(2024, 5, 5, 12, 0, 0, 252);
}

void TestSystemClock::fakeMovesThePcClock()
{
  QFETCH(qint64, latenessMs);
  QFETCH(QDateTime, pcAfterSet);
  FakeTimeSource pc(Utc(2024, 5, 5, 11, 0, 0));
  pc.SetMonotonicMs(1000);
  FakeSystemClock fake(&pc);
  fake.SetLatenessMs(latenessMs);
  QVERIFY(fake.SetUtcTime(Utc(2024, 5, 5, 12, 0, 0, 250)));
  QCOMPARE(pc.NowUtc(), pcAfterSet);
  QCOMPARE(fake.AppliedTimes(), QList<QDateTime>{Utc(2024, 5, 5, 12, 0, 0, 250)});
  QCOMPARE(pc.MonotonicMs(), qint64(1000));  // a set never moves the monotonic counter
}

void TestSystemClock::fakePrivilege()
{
  FakeSystemClock fake;
  QVERIFY(fake.HasSetTimePrivilege());
  QString error;
  QVERIFY(fake.EnableSetTimePrivilege(&error));
  QVERIFY(error.isEmpty());

  fake.SetPrivilege(false, QStringLiteral("no privilege here"));
  QVERIFY(!fake.HasSetTimePrivilege());
  QVERIFY(!fake.EnableSetTimePrivilege(&error));
  QCOMPARE(error, QStringLiteral("no privilege here"));
  QVERIFY(!fake.EnableSetTimePrivilege());
  fake.SetPrivilege(false);
  QVERIFY(!fake.EnableSetTimePrivilege(&error));
  QVERIFY(!error.isEmpty());
  QCOMPARE(fake.PrivilegeRequests(), 4);
}

void TestSystemClock::overridesNestAndRestore()
{
  SystemClock *machine = &SystemClock::Current();
  QVERIFY(dynamic_cast<LinuxSystemClock *>(machine) != nullptr);
  FakeSystemClock a, b;
  {
    ScopedSystemClockOverride useA(&a);
    {
      ScopedSystemClockOverride useB(&b);
      QCOMPARE(&SystemClock::Current(), static_cast<SystemClock *>(&b));
    }
    QCOMPARE(&SystemClock::Current(), static_cast<SystemClock *>(&a));
  }
  QCOMPARE(&SystemClock::Current(), machine);
  SystemClock::SetOverride(&a);
  QCOMPARE(&SystemClock::Current(), static_cast<SystemClock *>(&a));
  SystemClock::SetOverride(nullptr);
  QCOMPARE(&SystemClock::Current(), machine);
}

void TestSystemClock::fieldsAreTakenAsUtc()
{
  // The clock step builds its time from the receiver's UTC fields; the
  // fields are what gets set, whatever spec the date-time carries.
  const QDateTime local(QDate(2024, 3, 12), QTime(14, 30, 15, 123), Qt::LocalTime);
  const QDateTime offset(QDate(2024, 3, 12), QTime(14, 30, 15, 123), Qt::OffsetFromUTC, 3600);
  QCOMPARE(FieldsAsUtc(local), Utc(2024, 3, 12, 14, 30, 15, 123));
  QCOMPARE(FieldsAsUtc(offset), Utc(2024, 3, 12, 14, 30, 15, 123));
  QVERIFY(!FieldsAsUtc(QDateTime()).isValid());

  FakeSystemClock fake;
  QVERIFY(fake.SetUtcTime(offset));
  QCOMPARE(fake.AppliedTimes().first(), Utc(2024, 3, 12, 14, 30, 15, 123));
  QCOMPARE(fake.AppliedTimes().first().timeSpec(), Qt::UTC);
}

void TestSystemClock::realPrivilegeQueryIsReadOnly()
{
  LinuxSystemClock machine;
  const bool before = ProcSaysEffective();
  QCOMPARE(machine.HasSetTimePrivilege(), before);
  QCOMPARE(machine.HasSetTimePrivilege(), before);
  QCOMPARE(ProcSaysEffective(), before);
}

void TestSystemClock::enablingRaisesAPermittedCapability()
{
  // Run in a child process, which changes only its own capabilities and
  // never sets the clock. Exit codes: 0 as expected, others say where not.
  const pid_t child = ::fork();
  QVERIFY(child >= 0);
  if (child == 0) {
    LinuxSystemClock machine;
    QString error;
    if (machine.HasSetTimePrivilege() || ProcSaysEffective()) {
      // Permitted: drop it from the effective set; enabling raises it again.
      if (!AdjustOwnCapability(false, true))
        ::_exit(10);
      if (machine.HasSetTimePrivilege())
        ::_exit(11);
      if (!machine.EnableSetTimePrivilege(&error) || !machine.HasSetTimePrivilege() ||
          !ProcSaysEffective())
        ::_exit(12);
    }
    // Not permitted at all: enabling fails with words for the user.
    if (!AdjustOwnCapability(false, false))
      ::_exit(20);
    error.clear();
    if (machine.EnableSetTimePrivilege(&error) || machine.HasSetTimePrivilege())
      ::_exit(21);
    if (!error.contains(QLatin1String("CAP_SYS_TIME")) || !error.contains(QLatin1String("setcap")) ||
        !error.contains(QLatin1String("root")))
      ::_exit(22);
    ::_exit(0);
  }
  int status = 0;
  QCOMPARE(::waitpid(child, &status, 0), child);
  QVERIFY(WIFEXITED(status));
  QCOMPARE(WEXITSTATUS(status), 0);
}

RIDUDER_TEST_MAIN(TestSystemClock)
#include "tst_systemclock.moc"
