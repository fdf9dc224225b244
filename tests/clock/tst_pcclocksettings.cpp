#include "TestMain.h"
#include "FakeSystemClock.h"

#include "clock/PcClockSettings.h"
#include "platform/SystemClock.h"

#include <QCoreApplication>
#include <QSettings>
#include <QtTest>

class PcClockSettingsTest : public QObject {
  Q_OBJECT

private:
  QStringList warnings;
  std::function<void(const QString &)> Recorder()
  {
    return [this](const QString &text) { warnings << text; };
  }

private slots:
  void init()
  {
    QSettings().clear();
    warnings.clear();
  }

  void defaults()
  {
    QSettings settings;
    const PcClockSettings s = PcClockSettings::Read(settings);
    QCOMPARE(s.mode, 0);
    QCOMPARE(s.deltaOn, false);
    QCOMPARE(s.deltaMs, 1);
    QCOMPARE(s.maxSeconds, qint64(0));
    QVERIFY(!settings.contains(PcClockKeys::DeltaMs));  // a good default is not written
  }

  void maximumCorrection_data()
  {
    QTest::addColumn<bool>("on");
    QTest::addColumn<int>("quantity");
    QTest::addColumn<int>("units");
    QTest::addColumn<qint64>("seconds");
    QTest::newRow("2 hours") << true << 2 << 0 << qint64(7200);
    QTest::newRow("2 minutes") << true << 2 << 1 << qint64(120);
    QTest::newRow("5 seconds") << true << 5 << 2 << qint64(5);
    QTest::newRow("0 seconds: no limit") << true << 0 << 2 << qint64(0);
    QTest::newRow("off: no limit") << false << 9 << 0 << qint64(0);
    QTest::newRow("unknown unit: no limit") << true << 2 << 7 << qint64(0);
    QTest::newRow("999 hours") << true << 999 << 0 << qint64(3596400);
    // Beyond what the spin box takes: the default quantity, 2.
    QTest::newRow("huge quantity") << true << 1000000 << 0 << qint64(7200);
    QTest::newRow("negative quantity") << true << -5 << 1 << qint64(120);
  }

  void maximumCorrection()
  {
    QFETCH(bool, on);
    QFETCH(int, quantity);
    QFETCH(int, units);
    QFETCH(qint64, seconds);
    QSettings settings;
    settings.setValue(PcClockKeys::MaxOn, on);
    settings.setValue(PcClockKeys::MaxQuantity, quantity);
    settings.setValue(PcClockKeys::MaxUnits, units);
    QCOMPARE(PcClockSettings::Read(settings).maxSeconds, seconds);
  }

  void storedModeAndThreshold_data()
  {
    QTest::addColumn<QVariant>("storedMode");
    QTest::addColumn<QVariant>("storedDeltaMs");
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("deltaOn");
    QTest::addColumn<int>("deltaMs");
    QTest::newRow("good") << QVariant(3) << QVariant(250) << 3 << true << 250;
    QTest::newRow("threshold 1") << QVariant(5) << QVariant(1) << 5 << true << 1;
    QTest::newRow("threshold 999") << QVariant(1) << QVariant(999) << 1 << true << 999;
    QTest::newRow("threshold 0") << QVariant(2) << QVariant(0) << 2 << false << 1;
    QTest::newRow("threshold 1000") << QVariant(2) << QVariant(1000) << 2 << false << 1;
    QTest::newRow("threshold -4") << QVariant(2) << QVariant(-4) << 2 << false << 1;
    QTest::newRow("threshold text") << QVariant(2) << QVariant("fast") << 2 << false << 1;
    QTest::newRow("threshold nan") << QVariant(2) << QVariant("nan") << 2 << false << 1;
    QTest::newRow("mode 7") << QVariant(7) << QVariant(20) << 0 << true << 20;
    QTest::newRow("mode -1") << QVariant(-1) << QVariant(20) << 0 << true << 20;
  }

  void storedModeAndThreshold()
  {
    QFETCH(QVariant, storedMode);
    QFETCH(QVariant, storedDeltaMs);
    QFETCH(int, mode);
    QFETCH(bool, deltaOn);
    QFETCH(int, deltaMs);
    QSettings settings;
    settings.setValue(PcClockKeys::Mode, storedMode);
    settings.setValue(PcClockKeys::DeltaOn, true);
    settings.setValue(PcClockKeys::DeltaMs, storedDeltaMs);

    const PcClockSettings s = PcClockSettings::Read(settings);
    QCOMPARE(s.mode, mode);
    QCOMPARE(s.deltaOn, deltaOn);
    QCOMPARE(s.deltaMs, deltaMs);
    // The loader writes nothing back; the dialog reads the same rule.
    QCOMPARE(settings.value(PcClockKeys::DeltaMs), storedDeltaMs);
    QCOMPARE(settings.value(PcClockKeys::DeltaOn).toBool(), true);
    QCOMPARE(settings.value(PcClockKeys::Mode), storedMode);
    bool dialogOn = true;
    int dialogMs = 0;
    PcClockSettings::ReadThreshold(settings, &dialogOn, &dialogMs);
    QCOMPARE(dialogOn, deltaOn);
    QCOMPARE(dialogMs, deltaMs);
  }

  void disabledModeAsksForNoPrivilege_data()
  {
    QTest::addColumn<int>("storedMode");
    QTest::newRow("disable") << 0;
    QTest::newRow("mode 7") << 7;
  }

  void disabledModeAsksForNoPrivilege()
  {
    QFETCH(int, storedMode);
    FakeSystemClock clock;
    clock.SetPrivilege(false);
    const ScopedSystemClockOverride use(&clock);
    QSettings settings;
    settings.setValue(PcClockKeys::Mode, storedMode);
    QCOMPARE(PcClockSettings::Load(settings, Recorder()).mode, 0);
    QCOMPARE(clock.PrivilegeRequests(), 0);
    QVERIFY(warnings.isEmpty());
  }

  void heldPrivilegeKeepsTheMode()
  {
    FakeSystemClock clock;
    const ScopedSystemClockOverride use(&clock);
    QSettings settings;
    settings.setValue(PcClockKeys::Mode, 3);
    QCOMPARE(PcClockSettings::Load(settings, Recorder()).mode, 3);
    QCOMPARE(PcClockSettings::Load(settings, Recorder()).mode, 3);
    QCOMPARE(clock.PrivilegeRequests(), 2);  // checked again at every load
    QVERIFY(warnings.isEmpty());
    QCOMPARE(settings.value(PcClockKeys::Mode).toInt(), 3);
  }

  void missingPrivilegeWarnsAndSwitchesOff()
  {
    FakeSystemClock clock;
    const QString reason = QStringLiteral("The program needs the CAP_SYS_TIME capability.");
    clock.SetPrivilege(false, QStringLiteral("  ") + reason + QStringLiteral("\n"));
    const ScopedSystemClockOverride use(&clock);
    QSettings settings;
    settings.setValue(PcClockKeys::Mode, 2);
    settings.setValue(PcClockKeys::DeltaOn, true);
    settings.setValue(PcClockKeys::DeltaMs, 40);

    // The store is switched off only after the box was closed.
    int storedWhileShown = -1;
    const PcClockSettings s = PcClockSettings::Load(settings, [&](const QString &text) {
      warnings << text;
      storedWhileShown = QSettings().value(PcClockKeys::Mode).toInt();
    });
    QCOMPARE(s.mode, 0);
    QCOMPARE(s.deltaMs, 40);
    QCOMPARE(storedWhileShown, 2);
    QCOMPARE(settings.value(PcClockKeys::Mode).toInt(), 0);
    QCOMPARE(warnings.size(), 1);

    const QString text = warnings.first();
    QCOMPARE(text, PcClockSettings::PrivilegeWarningText(reason));
    QVERIFY(text.startsWith(QStringLiteral("<b>Riduder cannot set the system time</b><br/>because it cannot get "
                                           "the Set System Time Privilege.<br/>System Error: <br/>\"") +
                            reason + QStringLiteral("\"<p><b>Disabling system clock synchronization.</b><br/>"
                                                    "Use Set PC Clock on the main menu to re-enable.</p><p>")));
    QVERIFY(text.contains(QStringLiteral("CAP_SYS_TIME")));
    QVERIFY(text.contains(QStringLiteral("setcap cap_sys_time+ep")));
    QVERIFY(!text.contains(QStringLiteral("Local Security Policy")));

    // Choosing a mode again while the privilege is still missing warns again.
    settings.setValue(PcClockKeys::Mode, 4);
    QCOMPARE(PcClockSettings::Load(settings, Recorder()).mode, 0);
    QCOMPARE(warnings.size(), 2);
    QCOMPARE(clock.PrivilegeRequests(), 2);
  }

  void warningEscapesTheSystemText()
  {
    const QString text = PcClockSettings::PrivilegeWarningText(QStringLiteral("<denied> & gone"));
    QVERIFY(text.contains(QStringLiteral("\"&lt;denied&gt; &amp; gone\"")));
  }
};

RIDUDER_TEST_MAIN(PcClockSettingsTest)
#include "tst_pcclocksettings.moc"
