#include "TestMain.h"

#include "receiver/dialogs/CoaxDialog.h"
#include "receiver/dialogs/TimingDialog.h"
#include "tests/receiver/dialogs/DialogTestHelpers.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

using namespace dialogtest;

class TimingDialogTest : public QObject {
  Q_OBJECT

  static QLineEdit *Field(TimingDialog &d, const char *name) { return d.findChild<QLineEdit *>(name); }
  static QString Label(TimingDialog &d, const char *name) { return d.findChild<QLabel *>(name)->text(); }
  static QPushButton *Button(QDialog &d, const char *name) { return d.findChild<QPushButton *>(name); }

private slots:
  void init()
  {
    ClearSettings();
    RecordBoxes();
  }

  // An empty store (its defaults: tst_timingsettings) shows the defaults on
  // opening, and writes nothing but the geometry when cancelled.
  void emptyStoreDefaults()
  {
    TimingDialog d;
    QCOMPARE(d.Settings().traimLimit, 500.0);
    QCOMPARE(d.Settings().totalPpsOffsetPositive, 1000000.0);
    QVERIFY(QSettings().allKeys().isEmpty());

    const int result = ExecWith(d, [&] {
      QCOMPARE(Field(d, "IDC_TIMING_EPOCH")->text(), QString("0"));
      QCOMPARE(Field(d, "IDC_TIMING_OFFSET")->text(), QString("0"));
      QCOMPARE(Field(d, "IDC_TIMING_RAIM")->text(), QString("500"));
      QCOMPARE(Field(d, "IDC_TIMING_ANT_CABLE")->text(), QString("0"));
      QCOMPARE(Field(d, "IDC_TIMING_MES_CABLE")->text(), QString("0"));
      QCOMPARE(Field(d, "IDC_TIMING_RCVR_DELAY")->text(), QString("55"));
      QCOMPARE(Field(d, "IDC_TIMING_EXTRA_DELAY")->text(), QString("0"));
      QCOMPARE(Label(d, "IDC_TIMING_TOTAL_UDELAY"), QString("55"));
      QCOMPARE(Label(d, "IDC_TIMING_TOTAL_EDELAY1"), QString("0"));
      QCOMPARE(Label(d, "IDC_TIMING_TOTAL_EDELAY2"), QString("1000000"));
      QVERIFY(!d.findChild<QCheckBox *>("IDC_TIMING_RAIM_KILL_1PPS")->isChecked());
      QVERIFY(d.findChild<QCheckBox *>("IDC_TIMING_TIC_AUTO_CORRECT")->isChecked());
      QVERIFY(d.findChild<QRadioButton *>("IDC_SAWTOOTH_AUTO")->isChecked());
      QVERIFY(Button(d, "OK")->isEnabled());
      Button(d, "CANCEL")->click();
    });
    QCOMPARE(result, 0);
    QCOMPARE(QSettings().allKeys(), QStringList{"TimingDialog/geometry"});
  }

  // Stored values reach the dialog's copy and its form at construction,
  // negative cable delays signed (the load rules: tst_timingsettings).
  void storedValuesLoadedAtConstruction()
  {
    {
      QSettings s;
      s.setValue("TimingDialog/Antenna Cable Delay", -10.0);
      s.setValue("TimingDialog/Measurement Cable Delay", 20.0);
      s.setValue("TimingDialog/Epoch", 1);
      s.setValue("TimingDialog/1pps Delay", 234.5678);
      s.setValue("TimingDialog/T-Raim", 750.0);
      s.setValue("TimingDialog/Sawtooth Auto Correct", 7);
    }
    TimingDialog d;
    // A cable delay the field would refuse shows the default the program
    // works with.
    QCOMPARE(d.Settings().antennaCableDelay, 0.0);
    QCOMPARE(d.Settings().totalDelay, 75.0);
    QVERIFY(d.findChild<QRadioButton *>("IDC_SAWTOOTH_OFF")->isChecked());
    // The fine offset keeps its decimals.
    QCOMPARE(Field(d, "IDC_TIMING_OFFSET")->text(), QString("234.5678"));
    QCOMPARE(Field(d, "IDC_TIMING_ANT_CABLE")->text(), QString("0"));
    QVERIFY(!IsRed(Field(d, "IDC_TIMING_ANT_CABLE")));
    QVERIFY(Button(d, "OK")->isEnabled());
  }

  void totals_data()
  {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("udelay");
    QTest::addColumn<QString>("negative");
    QTest::addColumn<QString>("positive");
    QTest::newRow("epoch 1") << "IDC_TIMING_EPOCH" << "1" << "55" << "-999000" << "1000";
    QTest::newRow("extra 5") << "IDC_TIMING_EXTRA_DELAY" << "5" << "55" << "-5" << "999995";
    QTest::newRow("receiver delay") << "IDC_TIMING_RCVR_DELAY" << "100" << "100" << "0" << "1000000";
    QTest::newRow("fine 0.5") << "IDC_TIMING_OFFSET" << "0.5" << "55" << "-999999.5" << "0.5";
    QTest::newRow("extra rounds to 0.001") << "IDC_TIMING_EXTRA_DELAY" << "0.0005" << "55" << "-0.001" << "999999.999";
  }

  void totals()
  {
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(QString, udelay);
    QFETCH(QString, negative);
    QFETCH(QString, positive);
    TimingDialog d;
    d.show();
    TypeInto(d.findChild<QLineEdit *>(field), text);
    QCOMPARE(Label(d, "IDC_TIMING_TOTAL_UDELAY"), udelay);
    QCOMPARE(Label(d, "IDC_TIMING_TOTAL_EDELAY1"), negative);
    QCOMPARE(Label(d, "IDC_TIMING_TOTAL_EDELAY2"), positive);
  }

  // 100 + 20 + 55 and a fractional fine offset: the dialog's copy holds
  // the values, not the labels' text, after OK, and they survive a restart.
  void okStoresValuesAndTotals()
  {
    {
      TimingDialog d;
      const int result = ExecWith(d, [&] {
        TypeInto(Field(d, "IDC_TIMING_ANT_CABLE"), "100");
        TypeInto(Field(d, "IDC_TIMING_MES_CABLE"), "20");
        TypeInto(Field(d, "IDC_TIMING_EPOCH"), "1");
        TypeInto(Field(d, "IDC_TIMING_OFFSET"), "234.5678");
        TypeInto(Field(d, "IDC_TIMING_RAIM"), "0");
        d.findChild<QCheckBox *>("IDC_TIMING_RAIM_KILL_1PPS")->setChecked(true);
        QCOMPARE(Label(d, "IDC_TIMING_TOTAL_UDELAY"), QString("175"));
        Button(d, "OK")->click();
      });
      QCOMPARE(result, 1);
      QVERIFY(Boxes().isEmpty());
      QCOMPARE(d.Settings().totalDelay, 175.0);
      QCOMPARE(d.Settings().totalPpsOffsetPositive, 1234.568);
      QCOMPARE(d.Settings().traimLimit, 0.0);
    }
    TimingDialog restarted;
    QCOMPARE(restarted.Settings().antennaCableDelay, 100.0);
    QCOMPARE(restarted.Settings().measurementCableDelay, 20.0);
    QCOMPARE(restarted.Settings().epochOffset, 1);
    QCOMPARE(restarted.Settings().ppsDelay, 234.5678);
    QCOMPARE(restarted.Settings().traimLimit, 0.0);
    QCOMPARE(restarted.Settings().traimConditionedPps, true);
    QCOMPARE(restarted.Settings().totalDelay, 175.0);
    QCOMPARE(restarted.Settings().totalPpsOffsetPositive, 1234.568);
  }

  // One table of typed texts: colour while typing, the box on leaving, and
  // the value OK stores (empty when OK must stay disabled).
  void fieldChecks_data()
  {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("red");
    QTest::addColumn<QString>("boxTitle");
    QTest::addColumn<QString>("boxText");
    QTest::addColumn<QString>("stored");
    const QString range999 = "Field is out of range.\nMust be between 0 and 999";
    const QString rangeUs = "Field is out of range.\nMust be between 0.000 and 999.999";
    const QString rangeRaim = "Field is out of range.\nMust be between 250 and 1000";
    const QString extra = "Extraineous characters in the field.";
    // integer field: epoch, 0..999
    QTest::newRow("int plain") << "IDC_TIMING_EPOCH" << "42" << false << "" << "" << "42";
    QTest::newRow("int blanks") << "IDC_TIMING_EPOCH" << " 42 " << false << "" << "" << "42";
    QTest::newRow("int plus") << "IDC_TIMING_EPOCH" << "+42" << false << "" << "" << "42";
    QTest::newRow("int too big") << "IDC_TIMING_EPOCH" << "1000" << true << "Numeric Error" << range999 << "";
    QTest::newRow("int decimal") << "IDC_TIMING_EPOCH" << "12.5" << true << "Error" << extra << "";
    QTest::newRow("int minus") << "IDC_TIMING_EPOCH" << "-5" << true << "Error" << extra << "";
    QTest::newRow("int letter first") << "IDC_TIMING_EPOCH" << "x12" << true << "Error" << extra << "";
    QTest::newRow("int letter after") << "IDC_TIMING_EPOCH" << "12x" << true << "Error" << extra << "";
    QTest::newRow("range before rest") << "IDC_TIMING_EPOCH" << "12000x" << true << "Numeric Error" << range999 << "";
    QTest::newRow("int empty") << "IDC_TIMING_EPOCH" << "" << true << "" << "" << "";
    QTest::newRow("int blank") << "IDC_TIMING_EPOCH" << "   " << true << "" << "" << "";
    // decimal field: fine offset, 0.000..999.999
    QTest::newRow("dec fraction") << "IDC_TIMING_OFFSET" << "12.5" << false << "" << "" << "12.5";
    QTest::newRow("dec plus") << "IDC_TIMING_OFFSET" << "+0.25" << false << "" << "" << "0.25";
    QTest::newRow("dec whole") << "IDC_TIMING_OFFSET" << "999" << false << "" << "" << "999";
    QTest::newRow("dec too big") << "IDC_TIMING_OFFSET" << "1000" << true << "Numeric Error" << rangeUs << "";
    QTest::newRow("dec comma") << "IDC_TIMING_OFFSET" << "12,5" << true << "Error" << extra << "";
    QTest::newRow("dec trailing point") << "IDC_TIMING_OFFSET" << "12." << true << "Error" << extra << "";
    QTest::newRow("dec minus") << "IDC_TIMING_OFFSET" << "-0.5" << true << "Error" << extra << "";
    // T-RAIM limit: 250..1000, or 0 for off
    QTest::newRow("raim off") << "IDC_TIMING_RAIM" << "0" << false << "" << "" << "0";
    QTest::newRow("raim low") << "IDC_TIMING_RAIM" << "100" << true << "Numeric Error" << rangeRaim << "";
    QTest::newRow("raim letters") << "IDC_TIMING_RAIM" << "abc" << true << "Numeric Error" << rangeRaim << "";
    // cable field: 0..20000
    QTest::newRow("cable max") << "IDC_TIMING_ANT_CABLE" << "20000" << false << "" << "" << "20000";
    QTest::newRow("cable over") << "IDC_TIMING_ANT_CABLE" << "20001" << true << "Numeric Error"
                                << "Field is out of range.\nMust be between 0 and 20000" << "";
  }

  void fieldChecks()
  {
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(bool, red);
    QFETCH(QString, boxTitle);
    QFETCH(QString, boxText);
    QFETCH(QString, stored);
    const QMap<QString, QString> keys{{"IDC_TIMING_EPOCH", "TimingDialog/Epoch"},
                                      {"IDC_TIMING_OFFSET", "TimingDialog/1pps Delay"},
                                      {"IDC_TIMING_RAIM", "TimingDialog/T-Raim"},
                                      {"IDC_TIMING_ANT_CABLE", "TimingDialog/Antenna Cable Delay"}};
    TimingDialog d;
    const int result = ExecWith(d, [&] {
      QLineEdit *edit = d.findChild<QLineEdit *>(field);
      TypeInto(edit, "7");  // a change, so that an empty text is an edit too
      TypeInto(edit, text);
      QCOMPARE(IsRed(edit), red);
      QCOMPARE(Button(d, "OK")->isEnabled(), !red);
      Leave(edit);
      if (boxTitle.isEmpty()) {
        QVERIFY(Boxes().isEmpty());
      } else {
        QCOMPARE(Boxes().size(), 1);
        QCOMPARE(Boxes().first().title, boxTitle);
        QCOMPARE(Boxes().first().text, boxText);
      }
      Button(d, "OK")->click();  // a disabled button ignores the click
      if (d.isVisible())
        Button(d, "CANCEL")->click();
    });
    QCOMPARE(result, stored.isEmpty() ? 0 : 1);
    if (!stored.isEmpty())
      QCOMPARE(QSettings().value(keys.value(field)).toDouble(), stored.toDouble());
    else
      QVERIFY(!QSettings().contains(keys.value(field)));
  }

  // A valid edit of one field does not enable OK while another is red, and
  // Reset clears the red state it repairs.
  void okFollowsEveryField()
  {
    TimingDialog d;
    d.show();
    TypeInto(Field(d, "IDC_TIMING_EPOCH"), "5000");
    TypeInto(Field(d, "IDC_TIMING_ANT_CABLE"), "30");
    QVERIFY(!Button(d, "OK")->isEnabled());
    QVERIFY(IsRed(Field(d, "IDC_TIMING_EPOCH")));
    Button(d, "IDC_TIMING_EP_RESET")->click();
    QCOMPARE(Field(d, "IDC_TIMING_EPOCH")->text(), QString("0"));
    QVERIFY(!IsRed(Field(d, "IDC_TIMING_EPOCH")));
    QVERIFY(Button(d, "OK")->isEnabled());
  }

  // Editing the limit recomputes no total; typed totals are not in the
  // dialog's copy until OK.
  void raimEditLeavesTotals()
  {
    TimingDialog d;
    d.show();
    TypeInto(Field(d, "IDC_TIMING_RCVR_DELAY"), "60");
    QCOMPARE(Label(d, "IDC_TIMING_TOTAL_UDELAY"), QString("60"));
    Field(d, "IDC_TIMING_RCVR_DELAY")->setText("70");  // programmatic: no edit signal
    TypeInto(Field(d, "IDC_TIMING_RAIM"), "300");
    QCOMPARE(Label(d, "IDC_TIMING_TOTAL_UDELAY"), QString("60"));
    QCOMPARE(d.Settings().totalDelay, 55.0);
  }

  // Defaults then Cancel (or Escape) changes nothing, in the store or in
  // the dialog's copy.
  void defaultsThenCancelOrEscapeRevert_data()
  {
    QTest::addColumn<bool>("escape");
    QTest::newRow("cancel") << false;
    QTest::newRow("escape") << true;
  }

  void defaultsThenCancelOrEscapeRevert()
  {
    QFETCH(bool, escape);
    {
      QSettings s;
      s.setValue("TimingDialog/T-Raim", 750.0);
      s.setValue("TimingDialog/T-Raim Conditioned 1pps", true);
      s.setValue("TimingDialog/Sawtooth Auto Correct", 2);
      s.setValue("TimingDialog/Rx Delay", 40.0);
    }
    TimingDialog d;
    const int result = ExecWith(d, [&] {
      Button(d, "IDC_TIMING_DEFAULTS")->click();
      QCOMPARE(d.Settings().traimLimit, 500.0);
      QCOMPARE(d.Settings().sawtoothCorrection, 0);
      QCOMPARE(Field(d, "IDC_TIMING_RCVR_DELAY")->text(), QString("55"));
      if (escape)
        QTest::keyClick(&d, Qt::Key_Escape);
      else
        Button(d, "CANCEL")->click();
    });
    QCOMPARE(result, 0);
    QCOMPARE(d.Settings().traimLimit, 750.0);
    QCOMPARE(d.Settings().traimConditionedPps, true);
    QCOMPARE(d.Settings().sawtoothCorrection, 2);
    QCOMPARE(d.Settings().rxDelay, 40.0);
    QCOMPARE(Field(d, "IDC_TIMING_RCVR_DELAY")->text(), QString("40"));
    QSettings s;
    QCOMPARE(s.value("TimingDialog/T-Raim").toDouble(), 750.0);
    QCOMPARE(s.value("TimingDialog/Sawtooth Auto Correct").toInt(), 2);
    QCOMPARE(s.value("TimingDialog/Rx Delay").toDouble(), 40.0);
  }

  // A changed sawtooth radio sets the flag; a later unchanged save keeps it.
  void sawtoothChanged()
  {
    TimingDialog d;
    ExecWith(d, [&] {
      d.findChild<QRadioButton *>("IDC_SAWTOOTH_SUB")->click();
      Button(d, "OK")->click();
    });
    QVERIFY(d.sawtoothChanged);
    QCOMPARE(d.Settings().sawtoothCorrection, int(SawtoothSubtract));
    ExecWith(d, [&] { Button(d, "OK")->click(); });
    QVERIFY(d.sawtoothChanged);
    d.sawtoothChanged = false;
    ExecWith(d, [&] { Button(d, "OK")->click(); });
    QVERIFY(!d.sawtoothChanged);
  }

  // The antenna calculator's result lands in its field and the totals; a
  // result out of range blocks OK.
  void coaxResultFillsCableField()
  {
    TimingDialog d;
    d.show();
    auto runCalculator = [&](const QString &length, const QString &unit) {
      QTimer::singleShot(0, &d, [&d, length, unit] {
        CoaxDialog *coax = d.coaxDialog;
        QVERIFY(coax);
        QCOMPARE(coax->SettingsGroup, QString("Antenna Coax Calculator"));
        coax->findChild<QComboBox *>("IDC_DC_LEN_DIM1")->setCurrentText(unit);
        TypeInto(coax->findChild<QLineEdit *>("IDC_DC_LENGTH1"), length);
        coax->findChild<QPushButton *>("OK")->click();
      });
      Button(d, "AntennaCableHelp")->click();
    };
    runCalculator("100", "Feet");  // 100 feet of LMR-240
    QCOMPARE(Field(d, "IDC_TIMING_ANT_CABLE")->text(), QString("121"));
    QCOMPARE(Label(d, "IDC_TIMING_TOTAL_UDELAY"), QString("176"));
    QVERIFY(Button(d, "OK")->isEnabled());
    runCalculator("9999", "Meters");
    QVERIFY(Field(d, "IDC_TIMING_ANT_CABLE")->text().toInt() > 20000);
    QVERIFY(IsRed(Field(d, "IDC_TIMING_ANT_CABLE")));
    QVERIFY(!Button(d, "OK")->isEnabled());
  }
};

RIDUDER_TEST_MAIN(TimingDialogTest)
#include "tst_timingdialog.moc"
