#include "TestMain.h"

#include "receiver/dialogs/SatelliteSelect.h"
#include "tests/receiver/dialogs/DialogTestHelpers.h"

#include <QCheckBox>
#include <QPushButton>

using namespace dialogtest;

class SatelliteSelectTest : public QObject {
  Q_OBJECT

  static QLineEdit *Channel(QDialog &d, int n)
  {
    return d.findChild<QLineEdit *>(QString("IDC_SS_%1_SAT_ID").arg(n));
  }
  static QPushButton *Button(QDialog &d, const char *name) { return d.findChild<QPushButton *>(name); }

private slots:
  void init()
  {
    ClearSettings();
    RecordBoxes();
  }

  // Typing accepts 1..255 silently; leaving accepts 0..255 with messages.
  void channelChecks_data()
  {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("red");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("message");
    const QString extra = "Extraineous characters in the field.";
    QTest::newRow("valid") << "12" << false << "" << "";
    QTest::newRow("plus") << "+7" << false << "" << "";
    QTest::newRow("zero") << "0" << true << "" << "";
    QTest::newRow("max") << "255" << false << "" << "";
    QTest::newRow("above") << "300" << true << "Numeric Error"
                           << "Field is out of range.\nMust be between 0 and 255";
    QTest::newRow("letter after") << "12a" << true << "Error" << extra;
    QTest::newRow("letter before") << "a12" << true << "Error" << extra;
    QTest::newRow("minus") << "-5" << true << "Error" << extra;
    QTest::newRow("letters only") << "abc" << true << "Error" << extra;
    QTest::newRow("blank") << "  " << true << "" << "";
  }

  void channelChecks()
  {
    QFETCH(QString, text);
    QFETCH(bool, red);
    QFETCH(QString, title);
    QFETCH(QString, message);
    SatelliteSelect d;
    d.show();
    TypeInto(Channel(d, 3), text);
    QCOMPARE(IsRed(Channel(d, 3)), red);
    QCOMPARE(Button(d, "OK")->isEnabled(), !red);
    Leave(Channel(d, 3));
    if (title.isEmpty()) {
      QVERIFY(Boxes().isEmpty());
    } else {
      QCOMPARE(Boxes().size(), 1);
      QCOMPARE(Boxes().first().title, title);
      QCOMPARE(Boxes().first().text, message);
    }
  }

  // OK runs every channel's check in order and closes anyway, keeping only
  // the geometry.
  void okChecksInOrderAndCloses()
  {
    SatelliteSelect d;
    const int result = ExecWith(d, [&] {
      TypeInto(Channel(d, 2), "300");
      TypeInto(Channel(d, 5), "12a");
      Boxes().clear();
      // The last edit decides OK's state.
      TypeInto(Channel(d, 6), "9");
      QVERIFY(Button(d, "OK")->isEnabled());
      Button(d, "OK")->click();
    });
    QCOMPARE(result, 1);
    QCOMPARE(Boxes().size(), 2);
    QCOMPARE(Boxes().at(0).title, QString("Numeric Error"));
    QCOMPARE(Boxes().at(1).title, QString("Error"));
    QCOMPARE(QSettings().allKeys(), QStringList{"SatelliteSelect/geometry"});
  }

  void freshOkIsSilentAndClearAllDoesNothing()
  {
    SatelliteSelect d;
    const int result = ExecWith(d, [&] {
      QCheckBox *disable = d.findChild<QCheckBox *>("IDC_SS_4_DISABLE");
      disable->click();
      TypeInto(Channel(d, 1), "17");
      Button(d, "IDC_SS_CLEAR_ALL")->click();
      QVERIFY(disable->isChecked());
      QCOMPARE(Channel(d, 1)->text(), QString("17"));
      Channel(d, 1)->clear();
      Button(d, "OK")->click();
    });
    QCOMPARE(result, 1);
    QVERIFY(Boxes().isEmpty());
  }
};

RIDUDER_TEST_MAIN(SatelliteSelectTest)
#include "tst_satelliteselect.moc"
