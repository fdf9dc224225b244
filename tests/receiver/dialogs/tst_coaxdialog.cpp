#include "TestMain.h"

#include "receiver/dialogs/CoaxDialog.h"
#include "tests/receiver/dialogs/DialogTestHelpers.h"

#include <QComboBox>
#include <QPushButton>

using namespace dialogtest;

class CoaxDialogTest : public QObject {
  Q_OBJECT

  static QLineEdit *Edit(QDialog &d, const char *name) { return d.findChild<QLineEdit *>(name); }
  static QComboBox *Combo(QDialog &d, const char *name) { return d.findChild<QComboBox *>(name); }
  static QPushButton *Button(QDialog &d, const char *name) { return d.findChild<QPushButton *>(name); }

private slots:
  void init()
  {
    ClearSettings();
    RecordBoxes();
  }

  void velocityFactor_data()
  {
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("factor");
    QTest::newRow("item number") << "0.840 air dielectric" << 0.84;
    QTest::newRow("name, lower case") << "rg-58a/u" << 0.659;
    QTest::newRow("rg-58/u") << "rg-58/u" << 0.66;
    QTest::newRow("marine upper") << "RG-8X/MARINE" << 0.7;
    QTest::newRow("marine lower") << "rg-8x/marine" << 0.7;
    QTest::newRow("micro-cell") << "MICRO-CELL FOAM" << 0.82;
    QTest::newRow("microcell") << "MICROCELL FOAM" << 0.87;
    QTest::newRow("RG-8X is foam") << "RG-8X" << 0.78;
    QTest::newRow("bare 1") << "1" << 0.0;
    QTest::newRow("1.5 reads .5") << "1.5" << 0.5;
    QTest::newRow("number and words") << "0.66 my cable" << 0.66;
    QTest::newRow("unknown") << "garden hose" << 0.0;
    QTest::newRow("empty item") << "" << 0.0;
  }

  void velocityFactor()
  {
    QFETCH(QString, text);
    QFETCH(double, factor);
    QCOMPARE(CoaxDialog::VelocityFactorFromText(text), factor);
  }

  // Every named item of the cable list resolves to a factor.
  void everyCableItemHasAFactor()
  {
    CoaxDialog d;
    QComboBox *combo = Combo(d, "IDC_DC_VF1");
    QCOMPARE(combo->count(), 36);
    for (int i = 1; i < combo->count(); ++i)
      QVERIFY2(CoaxVelocityFactor(combo->itemText(i)) > 0.5, qPrintable(combo->itemText(i)));
  }

  void emptyStore()
  {
    CoaxDialog d;
    d.SettingsGroup = "Antenna Coax Calculator";
    const int result = ExecWith(d, [&] {
      QCOMPARE(Edit(d, "IDC_DC_LENGTH1")->text(), QString("0"));
      QCOMPARE(Edit(d, "IDC_DC_LENGTH2")->text(), QString("0"));
      QCOMPARE(Combo(d, "IDC_DC_LEN_DIM1")->currentText(), QString("Feet"));
      QCOMPARE(Combo(d, "IDC_DC_LEN_DIM2")->currentText(), QString("Feet"));
      QCOMPARE(Combo(d, "IDC_DC_VF1")->currentText(), QString("LMR-240"));
      QCOMPARE(Combo(d, "IDC_DC_VF2")->currentText(), QString("LMR-240"));
      QCOMPARE(Edit(d, "IDC_DC_DELAY1")->text(), QString("0"));
      QCOMPARE(Edit(d, "IDC_DC_DELAY2")->text(), QString("0"));
      QCOMPARE(Edit(d, "IDC_DC_TOTAL_DELAY")->text(), QString("0"));
      QVERIFY(QSettings().allKeys().isEmpty());
      Button(d, "CANCEL")->click();
    });
    QCOMPARE(result, 0);
    QCOMPARE(QSettings().allKeys(), QStringList{"Antenna Coax Calculator/geometry"});
  }

  // The worked examples, and what OK hands back.
  void workedExamples_data()
  {
    QTest::addColumn<QString>("length1");
    QTest::addColumn<QString>("unit1");
    QTest::addColumn<QString>("cable1");
    QTest::addColumn<QString>("length2");
    QTest::addColumn<QString>("unit2");
    QTest::addColumn<QString>("cable2");
    QTest::addColumn<QString>("delay1");
    QTest::addColumn<QString>("delay2");
    QTest::addColumn<QString>("total");
    QTest::newRow("100 ft LMR-240") << "100" << "Feet" << "LMR-240" << "0" << "Feet" << "LMR-240"
                                    << "121" << "0" << "121";
    QTest::newRow("1 m LMR-240 rounds up") << "1" << "Meters" << "LMR-240" << "0" << "Feet" << "LMR-240"
                                           << "4" << "0" << "4";
    QTest::newRow("two 9.5 sections") << "2" << "Meters" << "0.700 RG-8X/Marine" << "2" << "Meters"
                                      << "0.700 RG-8X/Marine" << "9" << "9" << "19";
    QTest::newRow("unknown cable adds 0") << "50" << "Meters" << "1" << "10" << "Meters" << "rg-58/u"
                                          << "0" << "50" << "50";
  }

  void workedExamples()
  {
    QFETCH(QString, length1);
    QFETCH(QString, unit1);
    QFETCH(QString, cable1);
    QFETCH(QString, length2);
    QFETCH(QString, unit2);
    QFETCH(QString, cable2);
    QFETCH(QString, delay1);
    QFETCH(QString, delay2);
    QFETCH(QString, total);
    CoaxDialog d;
    d.SettingsGroup = "Measurement Coax Calculator";
    const int result = ExecWith(d, [&] {
      Combo(d, "IDC_DC_LEN_DIM1")->setCurrentText(unit1);
      Combo(d, "IDC_DC_LEN_DIM2")->setCurrentText(unit2);
      Combo(d, "IDC_DC_VF1")->setEditText(cable1);
      Combo(d, "IDC_DC_VF2")->setEditText(cable2);
      TypeInto(Edit(d, "IDC_DC_LENGTH1"), length1);
      TypeInto(Edit(d, "IDC_DC_LENGTH2"), length2);
      QCOMPARE(Edit(d, "IDC_DC_DELAY1")->text(), delay1);
      QCOMPARE(Edit(d, "IDC_DC_DELAY2")->text(), delay2);
      QCOMPARE(Edit(d, "IDC_DC_TOTAL_DELAY")->text(), total);
      Button(d, "OK")->click();
    });
    QCOMPARE(result, 1);
    QCOMPARE(d.dTotalDelay, total.toDouble());
    QVERIFY(Boxes().isEmpty());
  }

  // Refused lengths: red and OK off while typed, the box on leaving, and
  // the delays keep their last values.
  void refusedLengths_data()
  {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("message");
    const QString extra = "Extraineous characters in the field.";
    const QString range = "Field is out of range.\nMust be between 0 and 9999";
    QTest::newRow("minus") << "-5" << "Error" << extra;
    QTest::newRow("letter first") << "x12" << "Error" << extra;
    QTest::newRow("letters after") << "12ab" << "Error" << extra;
    QTest::newRow("too long") << "12000" << "Numeric Error" << range;
    QTest::newRow("too long with letters") << "12000ab" << "Numeric Error" << range;
    QTest::newRow("decimal") << "1.5" << "Error" << extra;
  }

  void refusedLengths()
  {
    QFETCH(QString, text);
    QFETCH(QString, title);
    QFETCH(QString, message);
    CoaxDialog d;
    d.SettingsGroup = "Antenna Coax Calculator";
    const int result = ExecWith(d, [&] {
      QLineEdit *length = Edit(d, "IDC_DC_LENGTH1");
      TypeInto(length, "100");
      QCOMPARE(Edit(d, "IDC_DC_DELAY1")->text(), QString("121"));
      // The keystroke that makes the text invalid leaves the delays alone.
      TypeInto(length, text.chopped(1));
      const QString delay = Edit(d, "IDC_DC_DELAY1")->text();
      QTest::keyClicks(length, text.right(1));
      QVERIFY(IsRed(length));
      QVERIFY(!Button(d, "OK")->isEnabled());
      QCOMPARE(Edit(d, "IDC_DC_DELAY1")->text(), delay);
      // A valid edit of the other length does not enable OK.
      TypeInto(Edit(d, "IDC_DC_LENGTH2"), "3");
      QVERIFY(!Button(d, "OK")->isEnabled());
      Leave(length);
      QCOMPARE(Boxes().size(), 1);
      QCOMPARE(Boxes().first().title, title);
      QCOMPARE(Boxes().first().text, message);
      Button(d, "OK")->click();
      if (d.isVisible())
        Button(d, "CANCEL")->click();
    });
    QCOMPARE(result, 0);
    QVERIFY(!QSettings().contains("Antenna Coax Calculator/dLength_1"));
  }

  // The antenna and measurement groups keep their own inputs, across a
  // restart too.
  void groupsKeptApart()
  {
    {
      CoaxDialog d;
      d.SettingsGroup = "Antenna Coax Calculator";
      ExecWith(d, [&] {
        TypeInto(Edit(d, "IDC_DC_LENGTH1"), "30");
        Combo(d, "IDC_DC_LEN_DIM1")->setCurrentText("Meters");
        Combo(d, "IDC_DC_VF2")->setEditText("RG-213");
        Button(d, "OK")->click();
      });
      d.SettingsGroup = "Measurement Coax Calculator";
      ExecWith(d, [&] {
        QCOMPARE(Edit(d, "IDC_DC_LENGTH1")->text(), QString("0"));
        QCOMPARE(Combo(d, "IDC_DC_LEN_DIM1")->currentText(), QString("Feet"));
        TypeInto(Edit(d, "IDC_DC_LENGTH2"), "7");
        Button(d, "OK")->click();
      });
    }
    CoaxDialog restarted;
    restarted.SettingsGroup = "Antenna Coax Calculator";
    ExecWith(restarted, [&] {
      QCOMPARE(Edit(restarted, "IDC_DC_LENGTH1")->text(), QString("30"));
      QCOMPARE(Combo(restarted, "IDC_DC_LEN_DIM1")->currentText(), QString("Meters"));
      QCOMPARE(Combo(restarted, "IDC_DC_VF2")->currentText(), QString("RG-213"));
      QCOMPARE(Edit(restarted, "IDC_DC_LENGTH2")->text(), QString("0"));
      QCOMPARE(Edit(restarted, "IDC_DC_DELAY1")->text(), QString("119"));
      Button(restarted, "CANCEL")->click();
    });
    QSettings s;
    QCOMPARE(s.value("Measurement Coax Calculator/dLength_2").toDouble(), 7.0);
    QCOMPARE(s.value("Measurement Coax Calculator/dLength_1").toDouble(), 0.0);
  }

  // A stored length the field would refuse shows as 0, with a delay of 0,
  // and stays in the store.
  void damagedStoredLength_data()
  {
    QTest::addColumn<QString>("stored");
    QTest::newRow("nan") << "nan";
    QTest::newRow("inf") << "inf";
    QTest::newRow("1e308") << "1e308";
    QTest::newRow("negative") << "-1";
    QTest::newRow("above 9999") << "10000";
  }

  void damagedStoredLength()
  {
    QFETCH(QString, stored);
    QSettings().setValue("Antenna Coax Calculator/dLength_1", stored);
    CoaxDialog d;
    d.SettingsGroup = "Antenna Coax Calculator";
    ExecWith(d, [&] {
      QCOMPARE(Edit(d, "IDC_DC_LENGTH1")->text(), QString("0"));
      QCOMPARE(Edit(d, "IDC_DC_DELAY1")->text(), QString("0"));
      Button(d, "CANCEL")->click();
    });
    QCOMPARE(QSettings().value("Antenna Coax Calculator/dLength_1").toString(), stored);
  }
};

RIDUDER_TEST_MAIN(CoaxDialogTest)
#include "tst_coaxdialog.moc"
