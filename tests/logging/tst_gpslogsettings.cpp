#include "TestMain.h"

#include "logging/GpsDataLog.h"
#include "logging/GpsLogSettings.h"

#include <QSettings>

class TestGpsLogSettings : public QObject {
  Q_OBJECT

private slots:
  void init() { QSettings().clear(); }

  // Stored values -> loaded values -> what is left in the store. Only an
  // auto-restart other than 0 or 1 is written back.
  void load_data()
  {
    QTest::addColumn<QVariantMap>("stored");
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("logEveryIndex");
    QTest::addColumn<int>("intervalSeconds");
    QTest::addColumn<bool>("useGpsSecondNumber");
    QTest::addColumn<bool>("autorestart");
    QTest::addColumn<QVariantMap>("storedAfter");

    const QString every = GpsLogKeys::LogEvery;
    const QString type = GpsLogKeys::DataType;
    const QString gps = GpsLogKeys::UseGpsSecondNumber;
    const QString restart = GpsLogKeys::Autorestart;
    auto row = [](const char *name, const QVariantMap &stored, int type, int index, int seconds, bool gps,
                  bool restart, const QVariantMap &after) {
      QTest::newRow(name) << stored << type << index << seconds << gps << restart << after;
    };
    auto same = [&](const char *name, const QVariantMap &stored, int type, int index, int seconds, bool gps,
                    bool restart) { row(name, stored, type, index, seconds, gps, restart, stored); };

    same("empty store", {}, 0, 0, 1, false, true);
    same("every 11", {{every, 11}}, 0, 11, 60, false, true);
    same("every 6", {{every, 6}}, 0, 6, 10, false, true);
    same("every 12", {{every, 12}}, 0, 0, 1, false, true);
    same("every -1", {{every, -1}}, 0, 0, 1, false, true);
    same("type 3", {{type, 3}}, 3, 0, 1, false, true);
    same("type 4", {{type, 4}}, 4, 0, 1, false, true);
    same("type 9 kept", {{type, 9}}, 9, 0, 1, false, true);
    same("gps seconds 1", {{gps, 1}}, 0, 0, 1, true, true);
    same("gps seconds 2", {{gps, 2}}, 0, 0, 1, false, true);
    same("gps seconds true", {{gps, "true"}}, 0, 0, 1, false, true);
    same("restart 0", {{restart, 0}}, 0, 0, 1, false, false);
    same("restart 1", {{restart, 1}}, 0, 0, 1, false, true);
    row("restart 5", {{restart, 5}}, 0, 0, 1, false, true, {{restart, 1}});
    row("restart -1", {{restart, -1}}, 0, 0, 1, false, true, {{restart, 1}});
    // Text reads as 0, which is a valid choice.
    same("restart text", {{restart, "abc"}}, 0, 0, 1, false, false);
    same("all at once", {{every, 10}, {type, 2}, {gps, 1}, {restart, 0}}, 2, 10, 30, true, false);
  }

  void load()
  {
    QFETCH(QVariantMap, stored);
    QFETCH(int, type);
    QFETCH(int, logEveryIndex);
    QFETCH(int, intervalSeconds);
    QFETCH(bool, useGpsSecondNumber);
    QFETCH(bool, autorestart);
    QFETCH(QVariantMap, storedAfter);
    {
      QSettings settings;
      for (auto it = stored.cbegin(); it != stored.cend(); ++it)
        settings.setValue(it.key(), it.value());
    }
    QSettings settings;
    const GpsLogSettings log = LoadGpsLogSettings(settings);
    QCOMPARE(log.type, type);
    QCOMPARE(log.logEveryIndex, logEveryIndex);
    QCOMPARE(log.intervalSeconds, intervalSeconds);
    QCOMPARE(log.useGpsSecondNumber, useGpsSecondNumber);
    QCOMPARE(log.autorestart, autorestart);
    settings.sync();
    QCOMPARE(riduder::test::StoredSettings(), storedAfter);
  }

  // The four keys as whole numbers, loaded back as they were.
  void saveAndLoadBack()
  {
    GpsLogSettings log;
    log.type = 4;
    log.logEveryIndex = 8;
    log.intervalSeconds = GpsLogIntervalOfIndex(8);
    log.useGpsSecondNumber = true;
    log.autorestart = false;
    QSettings settings;
    SaveGpsLogSettings(settings, log);
    const QVariantMap expected{{GpsLogKeys::LogEvery, 8},
                               {GpsLogKeys::DataType, 4},
                               {GpsLogKeys::Autorestart, 0},
                               {GpsLogKeys::UseGpsSecondNumber, 1}};
    const QVariantMap contents = riduder::test::StoredSettings();
    QCOMPARE(contents, expected);
    for (auto it = expected.cbegin(); it != expected.cend(); ++it)
      QCOMPARE(contents.value(it.key()).typeId(), it.value().typeId());

    const GpsLogSettings back = LoadGpsLogSettings(settings);
    QCOMPARE(back.type, 4);
    QCOMPARE(back.logEveryIndex, 8);
    QCOMPARE(back.intervalSeconds, 15);
    QVERIFY(back.useGpsSecondNumber);
    QVERIFY(!back.autorestart);
  }
};

RIDUDER_TEST_MAIN(TestGpsLogSettings)
#include "tst_gpslogsettings.moc"
