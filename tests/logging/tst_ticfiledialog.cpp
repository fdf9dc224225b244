#include "TestMain.h"

#include "ModalDialogs.h"
#include "logging/TicFileDialog.h"
#include "logging/TicLogOptions.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSettings>

namespace {

// The dialog's form, found by object name.
struct Form {
  explicit Form(TicFileDialog &dialog)
      : TicTimeTagFormat(dialog.findChild<QComboBox *>("TicTimeTagFormat")),
        TicTimeCfgLogSaveSats(dialog.findChild<QCheckBox *>("TicTimeCfgLogSaveSats")),
        TicTimeLogAutorestart(dialog.findChild<QCheckBox *>("TicTimeLogAutorestart")),
        TicTimeLogEnable(dialog.findChild<QRadioButton *>("TicTimeLogEnable")),
        TicTimeLogDisable(dialog.findChild<QRadioButton *>("TicTimeLogDisable")),
        TicTimeLogEvery(dialog.findChild<QComboBox *>("TicTimeLogEvery")),
        TicAvgLogInt(dialog.findChild<QRadioButton *>("TicAvgLogInt")),
        TicAvgLogTic(dialog.findChild<QRadioButton *>("TicAvgLogTic")),
        TicAvgLogIntPeriod(dialog.findChild<QLineEdit *>("TicAvgLogIntPeriod"))
  {
    Q_ASSERT(TicTimeTagFormat && TicTimeCfgLogSaveSats && TicTimeLogAutorestart && TicTimeLogEnable &&
             TicTimeLogDisable && TicTimeLogEvery && TicAvgLogInt && TicAvgLogTic && TicAvgLogIntPeriod);
  }

  QComboBox *TicTimeTagFormat;
  QCheckBox *TicTimeCfgLogSaveSats;
  QCheckBox *TicTimeLogAutorestart;
  QRadioButton *TicTimeLogEnable;
  QRadioButton *TicTimeLogDisable;
  QComboBox *TicTimeLogEvery;
  QRadioButton *TicAvgLogInt;
  QRadioButton *TicAvgLogTic;
  QLineEdit *TicAvgLogIntPeriod;
};

QStringList Items(QComboBox *box)
{
  QStringList items;
  for (int i = 0; i < box->count(); ++i)
    items << box->itemText(i);
  return items;
}

}  // namespace

class TestTicFileDialog : public QObject {
  Q_OBJECT

private slots:
  void init() { QSettings().clear(); }

  void formAndDefaults()
  {
    TicFileDialog dialog;
    Form ui(dialog);
    QCOMPARE(dialog.objectName(), QStringLiteral("TicFileDialog"));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("TIC File Type"));
    QCOMPARE(dialog.minimumSize(), QSize(505, 150));
    QCOMPARE(dialog.maximumSize(), QSize(505, 150));
    for (const char *name : {"label", "TimeIntervalLogGroupBox", "LogEveryGroupBox", "AveragingLogGroupBox",
                             "AveragingPeriodGroupBox"})
      QVERIFY2(dialog.findChild<QWidget *>(name), name);
    QCOMPARE(dialog.findChild<QButtonGroup *>("TimeIntervalLogButtonGroup")->buttons().size(), 2);
    QCOMPARE(dialog.findChild<QButtonGroup *>("AveragingLogButtonGroup")->buttons().size(), 2);
    QCOMPARE(Items(ui.TicTimeTagFormat), (QStringList{"Calendar (YYDDD.FFFFF)", "Modified Julian Day (MMMMM.FFFFF)",
                                                      "Excel Time (XXXXX.FFFFF)"}));
    QCOMPARE(Items(ui.TicTimeLogEvery),
             (QStringList{"Second", "2 Seconds", "3 Seconds", "4 Seconds", "5 Seconds", "6 Seconds", "10 Seconds",
                          "12 Seconds", "15 Seconds", "20 Seconds", "30 Seconds", "Minute", "Hour"}));
    QCOMPARE(ui.TicTimeLogEvery->maxVisibleItems(), 12);
    QCOMPARE(ui.TicAvgLogIntPeriod->alignment(), Qt::AlignCenter);

    // Nothing stored.
    QCOMPARE(ui.TicTimeTagFormat->currentText(), QStringLiteral("Calendar (YYDDD.FFFFF)"));
    QVERIFY(ui.TicTimeLogEnable->isChecked());
    QVERIFY(ui.TicTimeLogEvery->isEnabled());
    QCOMPARE(ui.TicTimeLogEvery->currentText(), QStringLiteral("Second"));
    QVERIFY(!ui.TicTimeLogAutorestart->isChecked());
    QVERIFY(!ui.TicTimeCfgLogSaveSats->isChecked());
    QVERIFY(ui.TicAvgLogInt->isChecked());
    QCOMPARE(ui.TicAvgLogIntPeriod->text(), QStringLiteral("300"));
    QCOMPARE(dialog.GetTimeIntervalLogMode(), 1);
    QCOMPARE(dialog.GetAveragingLogPeriod(), 300);
  }

  void timeLogInterval_data()
  {
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("every");
    QTest::addColumn<int>("seconds");
    QTest::newRow("Second") << 0 << 0 << 1;
    QTest::newRow("2 Seconds") << 0 << 1 << 2;
    QTest::newRow("10 Seconds") << 0 << 6 << 10;
    QTest::newRow("30 Seconds") << 0 << 10 << 30;
    QTest::newRow("Minute") << 0 << 11 << 60;
    QTest::newRow("Hour") << 0 << 12 << 3600;
    QTest::newRow("index 13") << 0 << 13 << 1;
    QTest::newRow("index -1") << 0 << -1 << 1;
    QTest::newRow("Disable, Hour") << 1 << 12 << 0;
    QTest::newRow("Disable, Second") << 1 << 0 << 0;
  }
  void timeLogInterval()
  {
    QFETCH(int, button);
    QFETCH(int, every);
    QFETCH(int, seconds);
    QSettings settings;
    settings.setValue(TicLogKeys::TimeIntervalLogButtonGroup, button);
    settings.setValue(TicLogKeys::TimeLogEvery, every);
    TicFileDialog dialog;
    QCOMPARE(dialog.GetTimeIntervalLogMode(), seconds);
    QCOMPARE(StoredTimeLogInterval(), seconds);
    Form ui(dialog);
    QCOMPARE(ui.TicTimeLogEvery->isEnabled(), button == 0);
    QCOMPARE(ui.TicTimeLogDisable->isChecked(), button == 1);
  }

  // Stored values out of range are repaired and written back.
  void repairs_data()
  {
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("stored");
    QTest::newRow("averaging source 5") << QString(TicLogKeys::AveragingLogButtonGroup) << 5;
    QTest::newRow("interval switch -1") << QString(TicLogKeys::TimeIntervalLogButtonGroup) << -1;
    QTest::newRow("satellite events 2") << QString(TicLogKeys::CfgLogSaveSats) << 2;
    QTest::newRow("auto restart 2") << QString(TicLogKeys::TimeLogAutorestart) << 2;
  }
  void repairs()
  {
    QFETCH(QString, key);
    QFETCH(int, stored);
    QSettings().setValue(key, stored);
    TicFileDialog dialog;
    Form ui(dialog);
    QCOMPARE(QSettings().value(key).toInt(), 0);
    QVERIFY(ui.TicAvgLogInt->isChecked());
    QVERIFY(ui.TicTimeLogEnable->isChecked());
    QVERIFY(ui.TicTimeLogEvery->isEnabled());
    QVERIFY(!ui.TicTimeCfgLogSaveSats->isChecked());
    QVERIFY(!ui.TicTimeLogAutorestart->isChecked());
    // The box and what the day roll-over reads agree after a save.
    dialog.SaveSettings();
    QCOMPARE(QSettings().value(key).toInt(), 0);
  }

  void loadsAndSaves()
  {
    QSettings settings;
    settings.setValue(TicLogKeys::TimeTagFormat, 2);
    settings.setValue(TicLogKeys::TimeIntervalLogButtonGroup, 1);
    settings.setValue(TicLogKeys::TimeLogEvery, 11);
    settings.setValue(TicLogKeys::TimeLogAutorestart, 1);
    settings.setValue(TicLogKeys::CfgLogSaveSats, 1);
    settings.setValue(TicLogKeys::AveragingLogButtonGroup, 1);
    settings.setValue(TicLogKeys::AveragingLogPeriod, 600);
    TicFileDialog dialog;
    Form ui(dialog);
    QCOMPARE(ui.TicTimeTagFormat->currentIndex(), 2);
    QVERIFY(ui.TicTimeLogDisable->isChecked());
    QVERIFY(!ui.TicTimeLogEvery->isEnabled());
    QCOMPARE(ui.TicTimeLogEvery->currentText(), QStringLiteral("Minute"));
    QVERIFY(ui.TicTimeLogAutorestart->isChecked());
    QVERIFY(ui.TicTimeCfgLogSaveSats->isChecked());
    QVERIFY(ui.TicAvgLogTic->isChecked());
    QCOMPARE(ui.TicAvgLogIntPeriod->text(), QStringLiteral("600"));
    QCOMPARE(dialog.GetTimeIntervalLogMode(), 0);
    // The source of the averages plays no part in the period.
    QCOMPARE(dialog.GetAveragingLogPeriod(), 600);

    // Enable switches the interval box on again.
    ui.TicTimeLogEnable->click();
    QVERIFY(ui.TicTimeLogEvery->isEnabled());
    ui.TicTimeLogEvery->setCurrentIndex(10);
    ui.TicTimeTagFormat->setCurrentIndex(1);
    ui.TicTimeLogAutorestart->setChecked(false);
    ui.TicTimeCfgLogSaveSats->setChecked(false);
    ui.TicAvgLogInt->setChecked(true);
    ui.TicAvgLogIntPeriod->setText("120");
    // Shown only: the getters read what is stored.
    QCOMPARE(dialog.GetTimeIntervalLogMode(), 0);
    dialog.SaveSettings();
    QCOMPARE(settings.value(TicLogKeys::TimeTagFormat).toInt(), 1);
    QCOMPARE(settings.value(TicLogKeys::TimeIntervalLogButtonGroup).toInt(), 0);
    QCOMPARE(settings.value(TicLogKeys::TimeLogEvery).toInt(), 10);
    QCOMPARE(settings.value(TicLogKeys::TimeLogAutorestart).toInt(), 0);
    QCOMPARE(settings.value(TicLogKeys::CfgLogSaveSats).toInt(), 0);
    QCOMPARE(settings.value(TicLogKeys::AveragingLogButtonGroup).toInt(), 0);
    QCOMPARE(settings.value(TicLogKeys::AveragingLogPeriod).toInt(), 120);
    QCOMPARE(dialog.GetTimeIntervalLogMode(), 30);
    QCOMPARE(dialog.GetAveragingLogPeriod(), 120);
  }

  void averagingPeriod_data()
  {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("stored");
    QTest::newRow("letters") << "abc" << 0;
    QTest::newRow("zero") << "0" << 0;
    QTest::newRow("negative") << "-5" << 0;
    QTest::newRow("beyond 32 bits") << "4294967296" << 0;
    QTest::newRow("one hour") << "3600" << 3600;
  }
  void averagingPeriod()
  {
    QFETCH(QString, typed);
    QFETCH(int, stored);
    TicFileDialog dialog;
    Form ui(dialog);
    ui.TicAvgLogIntPeriod->setText(typed);
    dialog.SaveSettings();
    QCOMPARE(QSettings().value(TicLogKeys::AveragingLogPeriod).toInt(), stored);
    QCOMPARE(dialog.GetAveragingLogPeriod(), stored);
    dialog.LoadSettings();
    QCOMPARE(ui.TicAvgLogIntPeriod->text(), QString::number(stored));

    // Stored as text by someone else: read the same way.
    QSettings().setValue(TicLogKeys::AveragingLogPeriod, typed);
    QCOMPARE(dialog.GetAveragingLogPeriod(), AveragingPeriodOfText(typed));
    dialog.LoadSettings();
    QCOMPARE(ui.TicAvgLogIntPeriod->text(), QString::number(stored));
  }

  // Shown values fall back to the stored ones when the dialog is run or
  // closed.
  void execAndCloseReloadTheSettings()
  {
    TicFileDialog dialog;
    Form ui(dialog);
    ui.TicTimeCfgLogSaveSats->setChecked(true);
    ui.TicAvgLogIntPeriod->setText("7");
    dialog.show();
    dialog.close();
    QVERIFY(!ui.TicTimeCfgLogSaveSats->isChecked());
    QCOMPARE(ui.TicAvgLogIntPeriod->text(), QStringLiteral("300"));

    QSettings().setValue(TicLogKeys::TimeLogEvery, 12);
    bool shownHour = false;
    riduder::test::AnswerNextModalDialog([&](QDialog *running) {
      shownHour = ui.TicTimeLogEvery->currentText() == QLatin1String("Hour");
      running->reject();
    });
    dialog.exec();
    QVERIFY(shownHour);
  }
};

RIDUDER_TEST_MAIN(TestTicFileDialog)
#include "tst_ticfiledialog.moc"
