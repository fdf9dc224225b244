#include "TestMain.h"

#include "core/StoredSetting.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <sys/stat.h>

#include <cmath>

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

  // A stored number (double): its default when missing, not finite, out of
  // range or no number outside the range; one debug line naming the key for
  // each value refused; the store is left as it is.
  void numbers_data()
  {
    QTest::addColumn<QVariant>("stored");  // invalid: no key
    QTest::addColumn<double>("read");
    QTest::addColumn<bool>("noted");
    QTest::newRow("missing") << QVariant() << 55.0 << false;
    QTest::newRow("in range") << QVariant(12.5) << 12.5 << false;
    QTest::newRow("text of a number") << QVariant(QStringLiteral(" 999.999 ")) << 999.999 << false;
    QTest::newRow("lowest") << QVariant(QStringLiteral("0")) << 0.0 << false;
    QTest::newRow("nan") << QVariant(QStringLiteral("nan")) << 55.0 << true;
    QTest::newRow("nan as a number") << QVariant(qQNaN()) << 55.0 << true;
    QTest::newRow("inf") << QVariant(QStringLiteral("inf")) << 55.0 << true;
    QTest::newRow("-inf as a number") << QVariant(-qInf()) << 55.0 << true;
    QTest::newRow("1e308") << QVariant(QStringLiteral("1e308")) << 55.0 << true;
    QTest::newRow("below") << QVariant(-1) << 55.0 << true;
    QTest::newRow("above") << QVariant(1000.0001) << 55.0 << true;
    // Text that is no number reads as 0, allowed here.
    QTest::newRow("not a number") << QVariant(QString(100000, QLatin1Char('x'))) << 0.0 << false;
    QTest::newRow("huge number text") << QVariant(QString(1000, QLatin1Char('9'))) << 55.0 << true;
  }

  void numbers()
  {
    QFETCH(QVariant, stored);
    QFETCH(double, read);
    QFETCH(bool, noted);
    QSettings settings;
    if (stored.isValid())
      settings.setValue("Group/Number", stored);
    const QVariant before = settings.value("Group/Number");

    static QStringList lines;
    lines.clear();
    const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType type, const QMessageLogContext &, const QString &text) {
          if (type == QtDebugMsg)
            lines << text;
        });
    const double value = ReadStoredNumber(settings, "Group/Number", 55.0, 0.0, 1000.0);
    qInstallMessageHandler(previous);

    QCOMPARE(value, read);
    QCOMPARE(lines.size(), noted ? 1 : 0);
    if (noted) {
      QVERIFY2(lines.first().contains(QLatin1String("\"Group/Number\"")), qPrintable(lines.first()));
      QVERIFY(lines.first().size() < 200);  // a huge text stays out of the log
    }
    QCOMPARE(settings.contains("Group/Number"), stored.isValid());
    if (stored.isValid())
      QVERIFY(settings.value("Group/Number") == before || (std::isnan(before.toDouble()) &&
                                                             std::isnan(settings.value("Group/Number").toDouble())));
  }

  // A whole number whose repair is not to be written stays in the store.
  void wholeNumberLeftAsStored()
  {
    QSettings settings;
    settings.setValue("Group/Whole", 5000);
    QCOMPARE(ReadStoredInt(settings, "Group/Whole", 2, 0, 999, MissingKey::Leave, BadValue::Leave), 2);
    QCOMPARE(settings.value("Group/Whole").toInt(), 5000);
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

  // A value the store holds already, as the text it reads back from its
  // file, leaves the file as it is; a change or a new key rewrites it.
  void storesOnlyAChange_data()
  {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<bool>("rewritten");
    QTest::newRow("same flag") << QByteArray("[Group]\nKey=false\n") << QVariant(false) << false;
    QTest::newRow("same number") << QByteArray("[Group]\nKey=3\n") << QVariant(3) << false;
    QTest::newRow("other flag") << QByteArray("[Group]\nKey=true\n") << QVariant(false) << true;
    QTest::newRow("missing") << QByteArray("[Group]\nOther=1\n") << QVariant(false) << true;
  }

  void storesOnlyAChange()
  {
    QFETCH(QByteArray, file);
    QFETCH(QVariant, value);
    QFETCH(bool, rewritten);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("store.ini"));
    QFile written(path);
    QVERIFY(written.open(QIODevice::WriteOnly));
    written.write(file);
    written.close();
    // The store writes a new file and renames it over the old one.
    const auto inode = [&path] {
      struct stat info {};
      return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_ino : ino_t(0);
    };
    const ino_t before = inode();
    {
      QSettings settings(path, QSettings::IniFormat);
      StoreSettingIfChanged(settings, QStringLiteral("Group/Key"), value);
      settings.sync();
      QCOMPARE(settings.value("Group/Key").toString(), value.toString());
    }
    QCOMPARE(inode() != before, rewritten);
  }
};

RIDUDER_TEST_MAIN(TestStoredSetting)
#include "tst_storedsetting.moc"
