#include "TestMain.h"

#include "core/StoredSetting.h"

#include <QSettings>

// What a stored whole number or flag reads as, and what is left in the store.
class TestStoredSetting : public QObject {
  Q_OBJECT

private slots:
  void init() { QSettings().clear(); }

  void wholeNumbers_data()
  {
    QTest::addColumn<QVariant>("stored");  // invalid: no key
    QTest::addColumn<bool>("storeMissing");
    QTest::addColumn<int>("read");
    QTest::addColumn<QVariant>("left");  // invalid: still no key
    QTest::newRow("missing, stored") << QVariant() << true << 5 << QVariant(5);
    QTest::newRow("missing, left out") << QVariant() << false << 5 << QVariant();
    QTest::newRow("in range") << QVariant(90) << true << 90 << QVariant(90);
    QTest::newRow("lowest") << QVariant(0) << true << 0 << QVariant(0);
    QTest::newRow("above") << QVariant(91) << false << 5 << QVariant(5);
    QTest::newRow("below") << QVariant(-1) << true << 5 << QVariant(5);
    QTest::newRow("text of a number") << QVariant(QStringLiteral("12")) << true << 12 << QVariant(12);
    // Text that is no number reads as 0, kept where 0 is allowed.
    QTest::newRow("not a number") << QVariant(QStringLiteral("ten")) << true << 0 << QVariant(QStringLiteral("ten"));
    QTest::newRow("fraction") << QVariant(QStringLiteral("7.5")) << true << 0 << QVariant(QStringLiteral("7.5"));
  }

  void wholeNumbers()
  {
    QFETCH(QVariant, stored);
    QFETCH(bool, storeMissing);
    QFETCH(int, read);
    QFETCH(QVariant, left);
    QSettings settings;
    if (stored.isValid())
      settings.setValue("Group/Key", stored);
    QCOMPARE(ReadStoredInt(settings, "Group/Key", 5, 0, 90, storeMissing ? MissingKey::Store : MissingKey::Leave),
             read);
    QCOMPARE(settings.contains("Group/Key"), left.isValid());
    if (left.isValid())
      QCOMPARE(settings.value("Group/Key").toString(), left.toString());
  }

  void flags()
  {
    QSettings settings;
    QCOMPARE(ReadStoredFlag(settings, "Flags/Fresh", true), true);
    QCOMPARE(settings.value("Flags/Fresh").toBool(), true);
    QCOMPARE(ReadStoredFlag(settings, "Flags/Untouched", false, MissingKey::Leave), false);
    QVERIFY(!settings.contains("Flags/Untouched"));
    settings.setValue("Flags/Set", false);
    QCOMPARE(ReadStoredFlag(settings, "Flags/Set", true), false);
    settings.setValue("Flags/Text", QStringLiteral("true"));
    QCOMPARE(ReadStoredFlag(settings, "Flags/Text", false), true);
  }
};

RIDUDER_TEST_MAIN(TestStoredSetting)
#include "tst_storedsetting.moc"
