#include "TestMain.h"
#include "FakeTimeSource.h"

#include "platform/TimeSource.h"

#include <QFileInfo>
#include <ctime>

class TestTimeSource : public QObject {
  Q_OBJECT

private slots:
  void systemSourceIsInForceByDefault();
  void fakeDrivesEveryReading();
  void overridesNestAndRestore();
  void localTimeFollowsTheZone();
};

void TestTimeSource::systemSourceIsInForceByDefault()
{
  TimeSource &now = TimeSource::Current();
  QVERIFY(dynamic_cast<SystemTimeSource *>(&now) != nullptr);
  const qint64 before = QDateTime::currentMSecsSinceEpoch();
  const qint64 ms = now.NowMSecsSinceEpoch();
  const QDateTime utc = now.NowUtc();
  const qint64 after = QDateTime::currentMSecsSinceEpoch();
  QVERIFY(ms >= before && ms <= after);
  QCOMPARE(utc.timeSpec(), Qt::UTC);
  QVERIFY(utc.toMSecsSinceEpoch() >= before && utc.toMSecsSinceEpoch() <= after);

  const qint64 m1 = now.MonotonicMs();
  QTest::qWait(20);
  const qint64 m2 = now.MonotonicMs();
  QVERIFY(m2 >= m1 + 15);
}

void TestTimeSource::fakeDrivesEveryReading()
{
  FakeTimeSource fake(QDateTime(QDate(2023, 12, 31), QTime(23, 59, 59, 500), Qt::UTC));
  ScopedTimeSourceOverride use(&fake);
  TimeSource &now = TimeSource::Current();
  QCOMPARE(&now, static_cast<TimeSource *>(&fake));
  QCOMPARE(now.NowUtc(), QDateTime(QDate(2023, 12, 31), QTime(23, 59, 59, 500), Qt::UTC));
  QCOMPARE(now.MonotonicMs(), qint64(0));

  fake.Advance(600);  // across the year end
  QCOMPARE(now.NowUtc(), QDateTime(QDate(2024, 1, 1), QTime(0, 0, 0, 100), Qt::UTC));
  QCOMPARE(now.MonotonicMs(), qint64(600));

  // Setting the PC time moves only the wall clock, as a clock set would.
  fake.SetUtc(QDateTime(QDate(2020, 6, 1), QTime(12, 0), Qt::UTC));
  QCOMPARE(now.NowMSecsSinceEpoch(), QDateTime(QDate(2020, 6, 1), QTime(12, 0), Qt::UTC).toMSecsSinceEpoch());
  QCOMPARE(now.MonotonicMs(), qint64(600));
  fake.SetMSecsSinceEpoch(-1500);
  QCOMPARE(now.NowUtc(), QDateTime(QDate(1969, 12, 31), QTime(23, 59, 58, 500), Qt::UTC));
  fake.SetMonotonicMs(42);
  QCOMPARE(now.MonotonicMs(), qint64(42));
}

void TestTimeSource::overridesNestAndRestore()
{
  TimeSource *system = &TimeSource::Current();
  FakeTimeSource outer;
  FakeTimeSource inner;
  {
    ScopedTimeSourceOverride a(&outer);
    QCOMPARE(&TimeSource::Current(), static_cast<TimeSource *>(&outer));
    {
      ScopedTimeSourceOverride b(&inner);
      QCOMPARE(&TimeSource::Current(), static_cast<TimeSource *>(&inner));
    }
    QCOMPARE(&TimeSource::Current(), static_cast<TimeSource *>(&outer));
  }
  QCOMPARE(&TimeSource::Current(), system);

  TimeSource::SetOverride(&inner);
  QCOMPARE(&TimeSource::Current(), static_cast<TimeSource *>(&inner));
  TimeSource::SetOverride(nullptr);
  QCOMPARE(&TimeSource::Current(), system);
}

void TestTimeSource::localTimeFollowsTheZone()
{
  if (!QFileInfo::exists(QStringLiteral("/usr/share/zoneinfo/Europe/Berlin")))
    QSKIP("tzdata not installed");
  const QByteArray oldTz = qgetenv("TZ");
  qputenv("TZ", "Europe/Berlin");
  tzset();
  FakeTimeSource fake(QDateTime(QDate(2024, 7, 1), QTime(10, 0), Qt::UTC));
  const QDateTime summer = fake.NowLocal();
  fake.SetUtc(QDateTime(QDate(2024, 1, 1), QTime(10, 0), Qt::UTC));
  const QDateTime winter = fake.NowLocal();
  qputenv("TZ", oldTz);
  tzset();
  QCOMPARE(summer.time(), QTime(12, 0));
  QCOMPARE(winter.time(), QTime(11, 0));
  QCOMPARE(winter.timeSpec(), Qt::LocalTime);
}

RIDUDER_TEST_MAIN(TestTimeSource)
#include "tst_timesource.moc"
