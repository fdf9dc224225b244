#include "TestMain.h"

#include "ModalDialogs.h"

#include "receiver/GpsRxType.h"

#include <QButtonGroup>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTimer>

#include <functional>

using riduder::test::ExecWith;

namespace {

const char *const kChoice = "GpsRxType/PPS Interface";

QRadioButton *Button(QDialog &dialog, int number)
{
  return dialog.findChild<QRadioButton *>(QStringLiteral("RadioButton_IDC_ONCORE_VP_%1").arg(number));
}

// The number of the button checked while the dialog is open.
int CheckedAtOpen(GpsRxType &dialog, const std::function<void()> &then = {})
{
  int checked = 0;
  ExecWith(dialog, [&] {
    for (int number = 1; number <= 11; ++number)
      if (Button(dialog, number)->isChecked())
        checked = number;
    if (then)
      then();
    else
      dialog.reject();
  });
  return checked;
}

}  // namespace

class GpsRxTypeTest : public QObject
{
  Q_OBJECT
private slots:
  void init() { QSettings().clear(); }

  void form();
  void firstOpeningChecksTheM12Entry();
  void okStoresTheTextAndShowsTheSameButtonAgain_data();
  void okStoresTheTextAndShowsTheSameButtonAgain();
  void aStoredTextAloneChecksTheLaterColumn();
  void closingKeepsThePreviousChoice();
};

void GpsRxTypeTest::form()
{
  GpsRxType dialog;
  QCOMPARE(dialog.objectName(), QString("GpsRxType"));
  QVERIFY(dialog.windowTitle().isEmpty());
  QCOMPARE(dialog.minimumSize(), dialog.maximumSize());
  const QStringList labels{"VP, XT, PVT6", "UT, UT+", "GT, GT+, SL", "M12, M12+, M12M"};
  const char *const labelNames[] = {"textLabel1", "textLabel1_2", "textLabel1_3", "textLabel1_4"};
  QList<int> labelX;
  for (int i = 0; i < 4; ++i) {
    auto *label = dialog.findChild<QLabel *>(labelNames[i]);
    QVERIFY(label);
    QCOMPARE(label->text(), labels.at(i));
    labelX << label->x();
  }
  QVERIFY(std::is_sorted(labelX.begin(), labelX.end()));
  const QStringList texts{"up to 6.9", "7.0 - 7.9", "8.0 - 8.7", "8.8 and up", "up to 1.5", "1.6 - 1.9",
                          "2.0 and up", "up to 1.5", "1.6 - 1.9", "2.0 and up", "1.0 and up"};
  for (int number = 1; number <= 11; ++number) {
    QRadioButton *button = Button(dialog, number);
    QVERIFY(button);
    QCOMPARE(button->text(), texts.at(number - 1));
    QCOMPARE(button->group()->objectName(), QString("GpsRxTypeButtonGroup"));
  }
  QCOMPARE(dialog.findChild<QPushButton *>("OK")->text(), QString("OK"));
}

void GpsRxTypeTest::firstOpeningChecksTheM12Entry()
{
  GpsRxType dialog;
  QCOMPARE(CheckedAtOpen(dialog), 11);
  QVERIFY(!QSettings().contains(kChoice));
}

void GpsRxTypeTest::okStoresTheTextAndShowsTheSameButtonAgain_data()
{
  QTest::addColumn<int>("number");
  QTest::addColumn<QString>("text");
  QTest::newRow("VP up to 6.9") << 1 << "up to 6.9";
  QTest::newRow("UT up to 1.5") << 5 << "up to 1.5";
  QTest::newRow("UT 2.0 and up") << 7 << "2.0 and up";
  QTest::newRow("GT up to 1.5") << 8 << "up to 1.5";
  QTest::newRow("GT 1.6 - 1.9") << 9 << "1.6 - 1.9";
}

void GpsRxTypeTest::okStoresTheTextAndShowsTheSameButtonAgain()
{
  QFETCH(int, number);
  QFETCH(QString, text);
  {
    GpsRxType dialog;
    const int result = ExecWith(dialog, [&] {
      Button(dialog, number)->click();
      dialog.findChild<QPushButton *>("OK")->click();
    });
    QCOMPARE(result, 1);
  }
  QCOMPARE(QSettings().value(kChoice).toString(), text);
  QVERIFY(QSettings().contains("GpsRxType/geometry"));
  // A new dialog, as at the next start: the same column, not only the same text.
  GpsRxType again;
  QCOMPARE(CheckedAtOpen(again), number);
}

void GpsRxTypeTest::aStoredTextAloneChecksTheLaterColumn()
{
  // Settings written with only the text: its last button in the form wins.
  QSettings().setValue(kChoice, "up to 1.5");
  GpsRxType dialog;
  QCOMPARE(CheckedAtOpen(dialog), 8);
  QSettings().setValue(kChoice, "8.0 - 8.7");
  QCOMPARE(CheckedAtOpen(dialog), 3);
  QSettings().setValue(kChoice, "no such entry");
  QCOMPARE(CheckedAtOpen(dialog), 11);
}

void GpsRxTypeTest::closingKeepsThePreviousChoice()
{
  GpsRxType dialog;
  ExecWith(dialog, [&] {
    Button(dialog, 2)->click();
    dialog.findChild<QPushButton *>("OK")->click();
  });
  const int checked = CheckedAtOpen(dialog, [&] {
    Button(dialog, 10)->click();
    dialog.close();
  });
  QCOMPARE(checked, 2);
  QCOMPARE(QSettings().value(kChoice).toString(), QString("7.0 - 7.9"));
  QVERIFY(QSettings().contains("GpsRxType/geometry"));
  QCOMPARE(CheckedAtOpen(dialog), 2);
}

RIDUDER_TEST_MAIN(GpsRxTypeTest)
#include "tst_gpsrxtype.moc"
