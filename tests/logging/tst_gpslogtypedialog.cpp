#include "TestMain.h"

#include "ModalDialogs.h"
#include "logging/GpsDataLog.h"
#include "logging/GpsLogTypeDialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QRadioButton>

#include <QSettings>

namespace {

// The dialog's form, found by object name.
struct Form {
  explicit Form(GpsLogTypeDialog &dialog)
      : DataTypeButtonGroupBox(dialog.findChild<QGroupBox *>("DataTypeButtonGroupBox")),
        LogEveryButtonGroupBox(dialog.findChild<QGroupBox *>("LogEveryButtonGroupBox")),
        GpsLogDataTypeButtonGroup(dialog.findChild<QButtonGroup *>("GpsLogDataTypeButtonGroup")),
        GpsLogRaw(dialog.findChild<QRadioButton *>("GpsLogRaw")),
        GpsLogBinary(dialog.findChild<QRadioButton *>("GpsLogBinary")),
        GpsLogPVT(dialog.findChild<QRadioButton *>("GpsLogPVT")),
        GpsLogNMEA(dialog.findChild<QRadioButton *>("GpsLogNMEA")),
        GpsLogRINEX(dialog.findChild<QRadioButton *>("GpsLogRINEX")),
        GpsLogEvery(dialog.findChild<QComboBox *>("GpsLogEvery")),
        UseGpsSecondNumber(dialog.findChild<QCheckBox *>("UseGpsSecondNumber")),
        GpsLogAutorestart(dialog.findChild<QCheckBox *>("GpsLogAutorestart"))
  {
    Q_ASSERT(DataTypeButtonGroupBox && LogEveryButtonGroupBox && GpsLogDataTypeButtonGroup && GpsLogRaw &&
             GpsLogBinary && GpsLogPVT && GpsLogNMEA && GpsLogRINEX && GpsLogEvery && UseGpsSecondNumber &&
             GpsLogAutorestart);
  }
  Form *operator->() { return this; }

  QGroupBox *DataTypeButtonGroupBox;
  QGroupBox *LogEveryButtonGroupBox;
  QButtonGroup *GpsLogDataTypeButtonGroup;
  QRadioButton *GpsLogRaw;
  QRadioButton *GpsLogBinary;
  QRadioButton *GpsLogPVT;
  QRadioButton *GpsLogNMEA;
  QRadioButton *GpsLogRINEX;
  QComboBox *GpsLogEvery;
  QCheckBox *UseGpsSecondNumber;
  QCheckBox *GpsLogAutorestart;
};

}  // namespace

class TestGpsLogTypeDialog : public QObject {
  Q_OBJECT

private slots:
  void init();
  void formAndDefaults();
  void intervalsByIndex_data();
  void intervalsByIndex();
  void loadsStoredValues_data();
  void loadsStoredValues();
  void savesFormIntoFieldsAndKeys();
  void unknownTypeSavesAsRaw();
  void execAndCloseReloadTheSettings();
};

void TestGpsLogTypeDialog::init()
{
  QSettings().clear();
}

void TestGpsLogTypeDialog::formAndDefaults()
{
  GpsLogTypeDialog dialog;
  Form ui(dialog);
  QCOMPARE(dialog.objectName(), QStringLiteral("GpsLogTypeDialog"));
  QCOMPARE(dialog.windowTitle(), QStringLiteral("Gps Log Type"));
  QCOMPARE(dialog.font().family(), QStringLiteral("Verdana"));
  QCOMPARE(dialog.minimumSize(), dialog.maximumSize());

  QCOMPARE(ui->DataTypeButtonGroupBox->title(), QStringLiteral("Log Type"));
  QCOMPARE(ui->LogEveryButtonGroupBox->title(), QStringLiteral("Log Every"));
  const QStringList radios{"Raw Data (.txt)", "Binary Data (.bin)", "Time, Position, Velocity, Etc.(.csv)",
                           "NMEA Common Format PVT (.txt)", "Rinex Data (.bin)"};
  const QList<QAbstractButton *> buttons{ui->GpsLogRaw, ui->GpsLogBinary, ui->GpsLogPVT, ui->GpsLogNMEA,
                                         ui->GpsLogRINEX};
  for (int i = 0; i < buttons.size(); ++i) {
    QCOMPARE(buttons[i]->text(), radios[i]);
    QCOMPARE(buttons[i]->group(), ui->GpsLogDataTypeButtonGroup);
  }
  QCOMPARE(ui->GpsLogDataTypeButtonGroup->objectName(), QStringLiteral("GpsLogDataTypeButtonGroup"));
  QCOMPARE(ui->GpsLogEvery->count(), 12);
  QCOMPARE(ui->GpsLogEvery->itemText(0), QStringLiteral("1 Second"));
  QCOMPARE(ui->GpsLogEvery->itemText(11), QStringLiteral("60 Seconds"));
  QCOMPARE(ui->UseGpsSecondNumber->text(), QStringLiteral("Use GPS time instead of UTC"));

  // Nothing stored: raw, every second, UTC seconds, restart on.
  QVERIFY(ui->GpsLogRaw->isChecked());
  QCOMPARE(dialog.Settings().type, 0);
  QCOMPARE(dialog.Settings().intervalSeconds, 1);
  QVERIFY(!dialog.Settings().useGpsSecondNumber);
  QVERIFY(ui->GpsLogAutorestart->isChecked());
  QVERIFY(!QSettings().contains(GpsLogKeys::Autorestart));
}

void TestGpsLogTypeDialog::intervalsByIndex_data()
{
  QTest::addColumn<int>("index");
  QTest::addColumn<QString>("text");
  QTest::addColumn<int>("seconds");
  const QStringList texts{"1 Second",   "2 Seconds",  "3 Seconds",  "4 Seconds",
                          "5 Seconds",  "6 Seconds",  "10 Seconds", "12 Seconds",
                          "15 Seconds", "20 Seconds", "30 Seconds", "60 Seconds"};
  const int seconds[] = {1, 2, 3, 4, 5, 6, 10, 12, 15, 20, 30, 60};
  for (int i = 0; i < 12; ++i)
    QTest::addRow("%d", i) << i << texts[i] << seconds[i];
}

void TestGpsLogTypeDialog::intervalsByIndex()
{
  QFETCH(int, index);
  QFETCH(QString, text);
  QFETCH(int, seconds);
  GpsLogTypeDialog dialog;
  Form(dialog)->GpsLogEvery->setCurrentIndex(index);
  QCOMPARE(Form(dialog)->GpsLogEvery->currentText(), text);
  QCOMPARE(dialog.GetLogInterval(), seconds);
  QCOMPARE(GpsLogIntervalOfIndex(index), seconds);
  QCOMPARE(GpsLogIntervalOfIndex(12), 1);
  QCOMPARE(GpsLogIntervalOfIndex(-1), 1);
}

// What the form shows of a stored value; the loaded values and what stays
// in the store: tst_gpslogsettings.
void TestGpsLogTypeDialog::loadsStoredValues_data()
{
  QTest::addColumn<QString>("key");
  QTest::addColumn<int>("stored");
  QTest::addColumn<int>("shownIndex");  // combo index, checked type button, or check box 0/1

  const QString every = GpsLogKeys::LogEvery;
  const QString type = GpsLogKeys::DataType;
  const QString gps = GpsLogKeys::UseGpsSecondNumber;
  const QString restart = GpsLogKeys::Autorestart;
  QTest::newRow("every 11") << every << 11 << 11;
  QTest::newRow("every 6") << every << 6 << 6;
  QTest::newRow("every 12") << every << 12 << 0;
  QTest::newRow("every -1") << every << -1 << 0;
  QTest::newRow("type 3") << type << 3 << 3;
  QTest::newRow("type 4") << type << 4 << 4;
  QTest::newRow("type 9") << type << 9 << -1;
  QTest::newRow("gps seconds 1") << gps << 1 << 1;
  QTest::newRow("gps seconds 2") << gps << 2 << 0;
  QTest::newRow("restart 0") << restart << 0 << 0;
  QTest::newRow("restart 1") << restart << 1 << 1;
  QTest::newRow("restart 5") << restart << 5 << 1;
  QTest::newRow("restart -1") << restart << -1 << 1;
}

void TestGpsLogTypeDialog::loadsStoredValues()
{
  QFETCH(QString, key);
  QFETCH(int, stored);
  QFETCH(int, shownIndex);

  QSettings().setValue(key, stored);
  GpsLogTypeDialog dialog;
  Form ui(dialog);
  if (key == GpsLogKeys::LogEvery) {
    QCOMPARE(ui->GpsLogEvery->currentIndex(), shownIndex);
  } else if (key == GpsLogKeys::DataType) {
    const QList<QAbstractButton *> buttons{ui->GpsLogRaw, ui->GpsLogBinary, ui->GpsLogPVT, ui->GpsLogNMEA,
                                           ui->GpsLogRINEX};
    for (int i = 0; i < buttons.size(); ++i)
      QCOMPARE(buttons[i]->isChecked(), i == shownIndex);
  } else if (key == GpsLogKeys::UseGpsSecondNumber) {
    QCOMPARE(ui->UseGpsSecondNumber->isChecked(), shownIndex == 1);
  } else {
    QCOMPARE(ui->GpsLogAutorestart->isChecked(), shownIndex == 1);
  }
}

void TestGpsLogTypeDialog::savesFormIntoFieldsAndKeys()
{
  GpsLogTypeDialog dialog;
  Form ui(dialog);
  ui->GpsLogPVT->setChecked(true);
  ui->GpsLogEvery->setCurrentIndex(6);
  ui->UseGpsSecondNumber->setChecked(true);
  ui->GpsLogAutorestart->setChecked(false);
  // The fields follow the form only when saved.
  QCOMPARE(dialog.Settings().type, 0);

  dialog.SaveSettings();
  QCOMPARE(dialog.Settings().type, 2);
  QCOMPARE(dialog.Settings().intervalSeconds, 10);
  QVERIFY(dialog.Settings().useGpsSecondNumber);
  QCOMPARE(dialog.Settings().logEveryIndex, 6);
  QVERIFY(!dialog.Settings().autorestart);
  QSettings settings;
  QCOMPARE(settings.value(GpsLogKeys::DataType), QVariant(2));
  QCOMPARE(settings.value(GpsLogKeys::LogEvery), QVariant(6));
  QCOMPARE(settings.value(GpsLogKeys::UseGpsSecondNumber), QVariant(1));
  QCOMPARE(settings.value(GpsLogKeys::Autorestart), QVariant(0));
  QVERIFY(!settings.value(GpsLogKeys::TypeDialogGeometry).toByteArray().isEmpty());

  // A new dialog shows what was saved.
  GpsLogTypeDialog again;
  QVERIFY(Form(again)->GpsLogPVT->isChecked());
  QCOMPARE(Form(again)->GpsLogEvery->currentIndex(), 6);
  QVERIFY(Form(again)->UseGpsSecondNumber->isChecked());
  QVERIFY(!Form(again)->GpsLogAutorestart->isChecked());
}

void TestGpsLogTypeDialog::unknownTypeSavesAsRaw()
{
  QSettings().setValue(GpsLogKeys::DataType, 9);
  GpsLogTypeDialog dialog;
  QCOMPARE(dialog.Settings().type, 9);
  dialog.SaveSettings();
  QCOMPARE(dialog.Settings().type, 0);
  QCOMPARE(QSettings().value(GpsLogKeys::DataType), QVariant(0));
}

void TestGpsLogTypeDialog::execAndCloseReloadTheSettings()
{
  GpsLogTypeDialog dialog;
  QSettings().setValue(GpsLogKeys::DataType, 1);
  QSettings().setValue(GpsLogKeys::LogEvery, 11);
  bool seenBinary = false;
  riduder::test::AnswerNextModalDialog([&](QDialog *shown) {
    seenBinary = Form(dialog)->GpsLogBinary->isChecked() && dialog.Settings().intervalSeconds == 60;
    shown->reject();
  });
  dialog.exec();
  QVERIFY(seenBinary);

  // Closing the window drops edits that were not saved.
  dialog.show();
  Form(dialog)->GpsLogRINEX->setChecked(true);
  dialog.close();
  QVERIFY(Form(dialog)->GpsLogBinary->isChecked());
  QCOMPARE(dialog.Settings().type, 1);
}

RIDUDER_TEST_MAIN(TestGpsLogTypeDialog)
#include "tst_gpslogtypedialog.moc"
