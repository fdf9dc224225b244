#include "TestMain.h"

#include "ModalDialogs.h"

#include "tic/TicPortDialog.h"
#include "tic/TicPortSettings.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTimer>

#include <functional>

using riduder::test::Child;
using riduder::test::ExecWith;

namespace {


const char *const kSuffixes[] = {"", " DataRate", " StopBits", " DataBits", " Handshake", " Parity", " TcpIp Address"};

struct Shown {
  QString name;
  int rate, stopBits, dataBits, handshake, parity;
  QString address;
};

Shown ShownOn(TicPortDialog &dialog)
{
  return {Child<QComboBox>(dialog, "TicSerialPortNameList")->currentText(),
          Child<QButtonGroup>(dialog, "DataRateButtonGroup")->checkedId(),
          Child<QButtonGroup>(dialog, "StopBitsButtonGroup")->checkedId(),
          Child<QButtonGroup>(dialog, "DataBitsButtonGroup")->checkedId(),
          Child<QButtonGroup>(dialog, "HandshakeButtonGroup")->checkedId(),
          Child<QButtonGroup>(dialog, "ParityButtonGroup")->checkedId(),
          Child<QLineEdit>(dialog, "TcpIpAddress")->text()};
}

void SelectPort(TicPortDialog &dialog, int port)
{
  Child<QComboBox>(dialog, "TicSerialPortIdList")->setCurrentIndex(port - 1);
}

void SelectName(TicPortDialog &dialog, const QString &name)
{
  auto *names = Child<QComboBox>(dialog, "TicSerialPortNameList");
  names->setCurrentIndex(names->findText(name));
}

void TypeAddress(TicPortDialog &dialog, const QString &text)
{
  auto *field = Child<QLineEdit>(dialog, "TcpIpAddress");
  field->setText(text);
  emit field->editingFinished();
}

}  // namespace

class TicPortDialogTest : public QObject {
  Q_OBJECT
private slots:
  void init() { QSettings().clear(); }

  void formHasTheNamedWidgets()
  {
    TicPortDialog dialog;
    QCOMPARE(dialog.objectName(), QStringLiteral("TicPortDialog"));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("TIC Serial Port Settings"));
    QCOMPARE(dialog.size(), QSize(320, 320));
    auto *ids = Child<QComboBox>(dialog, "TicSerialPortIdList");
    QCOMPARE(ids->count(), 8);
    QCOMPARE(ids->itemText(7), QStringLiteral("PORT 8"));
    QCOMPARE(Child<QComboBox>(dialog, "TicSerialPortNameList")->maxVisibleItems(), 15);
    QCOMPARE(Child<QRadioButton>(dialog, "BAUD_115K")->text(), QStringLiteral("115k bps"));
    auto *rates = Child<QButtonGroup>(dialog, "DataRateButtonGroup");
    QList<int> rateIds;
    for (QAbstractButton *button : rates->buttons())
      rateIds << rates->id(button);
    std::sort(rateIds.begin(), rateIds.end());
    QCOMPARE(rateIds, SerialDataRates());
    auto *parity = Child<QButtonGroup>(dialog, "ParityButtonGroup");
    QCOMPARE(parity->id(Child<QRadioButton>(dialog, "PARITY_MARK")), 3);
    QCOMPARE(parity->id(Child<QRadioButton>(dialog, "PARITY_SPACE")), 4);
    QCOMPARE(Child<QLineEdit>(dialog, "TcpIpAddress")->alignment(), Qt::AlignCenter);
    QVERIFY(Child<QPushButton>(dialog, "OK")->isDefault());
  }

  void emptyStoreShowsEveryPortOffWithDefaults()
  {
    TicPortDialog dialog;
    const int result = ExecWith(dialog, [&] {
      for (int port = 1; port <= 8; ++port) {
        SelectPort(dialog, port);
        const Shown shown = ShownOn(dialog);
        QCOMPARE(shown.name, QStringLiteral("OFF"));
        QCOMPARE(shown.rate, 9600);
        QCOMPARE(shown.stopBits, 1);
        QCOMPARE(shown.dataBits, 8);
        QCOMPARE(shown.handshake, 0);
        QCOMPARE(shown.parity, 0);
        QVERIFY(shown.address.isEmpty());
        QVERIFY(!Child<QLineEdit>(dialog, "TcpIpAddress")->isEnabled());
        for (const char *box : {"DataRateGroupBox", "StopBitsGroupBox", "DataBitsGroupBox", "HandshakeGroupBox",
                                "ParityGroupBox"})
          QVERIFY2(!Child<QGroupBox>(dialog, box)->isEnabled(), box);
      }
      auto *names = Child<QComboBox>(dialog, "TicSerialPortNameList");
      QCOMPARE(names->itemText(0), QStringLiteral("OFF"));
      QCOMPARE(names->itemText(1), QStringLiteral("TCP/IP"));
      Child<QPushButton>(dialog, "OK")->click();
    });
    QCOMPARE(result, 1);
    // OK writes all 56 keys with their defaults.
    QSettings s;
    for (int port = 1; port <= 8; ++port)
      for (const char *suffix : kSuffixes)
        QVERIFY2(s.contains(TicPortKey(port, suffix)), qPrintable(TicPortKey(port, suffix)));
    QCOMPARE(s.value(TicPortKey(8, "")).toString(), QStringLiteral("OFF"));
    QCOMPARE(s.value(TicPortKey(8, " DataRate")).toInt(), 9600);
    QCOMPARE(s.value(TicPortKey(8, " Parity")).toInt(), 0);
    QVERIFY(s.contains(TicPortGeometryKey));
  }

  void selectingANameEnablesItsControls()
  {
    TicPortDialog dialog;
    ExecWith(dialog, [&] {
      auto *address = Child<QLineEdit>(dialog, "TcpIpAddress");
      auto *rates = Child<QGroupBox>(dialog, "DataRateGroupBox");
      SelectName(dialog, QStringLiteral("TCP/IP"));
      QVERIFY(address->isEnabled());
      QVERIFY(!rates->isEnabled());
      QVERIFY(Child<QGroupBox>(dialog, "TcpIpAddressGroupBox")->isEnabled());
      SelectName(dialog, QStringLiteral("OFF"));
      QVERIFY(!address->isEnabled());
      QVERIFY(!rates->isEnabled());
      dialog.done(0);
    });
    // A serial port name, as stored, enables only the five groups.
    QSettings().setValue(TicPortKey(1, ""), QStringLiteral("ttyCOUNTER"));
    ExecWith(dialog, [&] {
      QVERIFY(!Child<QLineEdit>(dialog, "TcpIpAddress")->isEnabled());
      for (const char *box : {"DataRateGroupBox", "StopBitsGroupBox", "DataBitsGroupBox", "HandshakeGroupBox",
                              "ParityGroupBox"})
        QVERIFY2(Child<QGroupBox>(dialog, box)->isEnabled(), box);
      dialog.done(0);
    });
  }

  void choicesAreStoredForTheShownPort()
  {
    QSettings().setValue(TicPortKey(3, ""), QStringLiteral("ttyCOUNTER"));
    TicPortDialog dialog;
    const int result = ExecWith(dialog, [&] {
      SelectPort(dialog, 3);
      Child<QRadioButton>(dialog, "BAUD_19200")->click();
      Child<QRadioButton>(dialog, "PARITY_SPACE")->click();
      Child<QRadioButton>(dialog, "HANDSHAKE_RTSCTS")->click();
      SelectPort(dialog, 4);
      SelectName(dialog, QStringLiteral("TCP/IP"));
      TypeAddress(dialog, QStringLiteral("0x0A.0.0.1:"));
      SelectPort(dialog, 3);
      QCOMPARE(ShownOn(dialog).rate, 19200);
      Child<QPushButton>(dialog, "OK")->click();
    });
    QCOMPARE(result, 1);
    QSettings s;
    QCOMPARE(s.value(TicPortKey(3, "")).toString(), QStringLiteral("ttyCOUNTER"));  // not listed, kept
    QCOMPARE(s.value(TicPortKey(3, " DataRate")).toInt(), 19200);
    QCOMPARE(s.value(TicPortKey(3, " Parity")).toInt(), 4);
    QCOMPARE(s.value(TicPortKey(3, " Handshake")).toInt(), 2);
    QCOMPARE(s.value(TicPortKey(4, "")).toString(), QStringLiteral("TCP/IP"));
    QCOMPARE(s.value(TicPortKey(4, " TcpIp Address")).toString(), QStringLiteral("0x0A.0.0.1:"));  // as typed
    QCOMPARE(s.value(TicPortKey(4, " DataRate")).toInt(), 9600);
  }

  void storedValuesOutsideTheirSetsComeBackAsDefaults_data()
  {
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<int>("stored");
    QTest::addColumn<int>("shown");
    QTest::newRow("handshake 7") << " Handshake" << 7 << 0;
    QTest::newRow("handshake -1") << " Handshake" << -1 << 0;
    QTest::newRow("parity 5") << " Parity" << 5 << 0;
    QTest::newRow("stop bits 3") << " StopBits" << 3 << 1;
    QTest::newRow("data bits 6") << " DataBits" << 6 << 8;
    QTest::newRow("rate 115200") << " DataRate" << 115200 << 9600;
    QTest::newRow("rate 115000 stays") << " DataRate" << 115000 << 115000;
    QTest::newRow("mark parity stays") << " Parity" << 3 << 3;
  }

  void storedValuesOutsideTheirSetsComeBackAsDefaults()
  {
    QFETCH(QString, suffix);
    QFETCH(int, stored);
    QFETCH(int, shown);
    const QByteArray key = suffix.toLatin1();
    QSettings s;
    for (int port = 1; port <= 8; ++port) {
      s.setValue(TicPortKey(port, ""), QStringLiteral("ttyCOUNTER"));
      s.setValue(TicPortKey(port, key.constData()), stored);
    }
    TicPortDialog dialog;
    const int result = ExecWith(dialog, [&] {
      for (int port = 1; port <= 8; port += 7) {
        SelectPort(dialog, port);
        const Shown now = ShownOn(dialog);
        const int value = suffix == " Handshake" ? now.handshake
                          : suffix == " Parity"  ? now.parity
                          : suffix == " StopBits" ? now.stopBits
                          : suffix == " DataBits" ? now.dataBits
                                                  : now.rate;
        QCOMPARE(value, shown);
      }
      QCOMPARE(QSettings().value(TicPortKey(1, key.constData())).toInt(), stored);  // not before OK
      Child<QPushButton>(dialog, "OK")->click();
    });
    QCOMPARE(result, 1);
    for (int port = 1; port <= 8; ++port)
      QCOMPARE(s.value(TicPortKey(port, key.constData())).toInt(), shown);
  }

  void addressCheck_data()
  {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("passes");
    QTest::newRow("plain") << "192.168.10.123" << true;
    QTest::newRow("with port") << "192.168.10.123:9761" << true;
    QTest::newRow("empty") << "" << true;
    QTest::newRow("trailing colon") << "192.168.10.123:" << true;
    QTest::newRow("hex octet") << "0xC0.168.10.123" << true;
    QTest::newRow("three numbers") << "192.168.10" << false;
    QTest::newRow("octet above 255") << "192.168.10.256" << false;
    QTest::newRow("port above 65535") << "192.168.10.123:70000" << false;
    QTest::newRow("garbage") << "counter" << false;
    QTest::newRow("garbage after") << "192.168.10.123x" << false;
  }

  void addressCheck()
  {
    QFETCH(QString, typed);
    QFETCH(bool, passes);
    QSettings().setValue(TicPortKey(1, ""), QLatin1String(TcpIpPortName));
    QSettings().setValue(TicPortKey(1, " TcpIp Address"), QStringLiteral("10.0.0.1"));
    TicPortDialog dialog;
    QList<QPair<QString, QString>> warnings;
    dialog.SetWarningHandler([&](const QString &title, const QString &text) { warnings.append({title, text}); });
    const int result = ExecWith(dialog, [&] {
      TypeAddress(dialog, typed);
      QCOMPARE(dialog.Port(1).tcpIpAddress, passes ? typed.toUtf8() : QByteArray("10.0.0.1"));
      // OK still saves and closes when the check fails.
      Child<QPushButton>(dialog, "OK")->click();
    });
    QCOMPARE(result, 1);
    QCOMPARE(QSettings().value(TicPortKey(1, " TcpIp Address")).toString(),
             passes ? typed : QStringLiteral("10.0.0.1"));
    if (passes) {
      QVERIFY(warnings.isEmpty());
      return;
    }
    QVERIFY(!warnings.isEmpty());
    QCOMPARE(warnings.first().first, QStringLiteral("Illegal IP Address"));
    QCOMPARE(warnings.first().second,
             "IP Address error:\n  " + typed +
                 "\n\nThe format must be like this\n  192.168.10.123\n\nor, if you want to also define the "
                 "port:\n  192.168.10.123:9761");
  }

  void cancelKeepsTheStoreAndTheNextOpeningShowsIt()
  {
    TicPortDialog dialog;
    const int result = ExecWith(dialog, [&] {
      SelectName(dialog, QStringLiteral("TCP/IP"));
      TypeAddress(dialog, QStringLiteral("10.1.1.1"));
      SelectPort(dialog, 5);
      SelectName(dialog, QStringLiteral("TCP/IP"));
      Child<QPushButton>(dialog, "CANCEL")->click();
    });
    QCOMPARE(result, 0);
    QVERIFY(!QSettings().contains(TicPortKey(1, "")));
    QVERIFY(QSettings().contains(TicPortGeometryKey));
    ExecWith(dialog, [&] {
      QCOMPARE(ShownOn(dialog).name, QStringLiteral("OFF"));
      QVERIFY(ShownOn(dialog).address.isEmpty());
      SelectPort(dialog, 5);
      QCOMPARE(ShownOn(dialog).name, QStringLiteral("OFF"));
      dialog.close();
    });
    QVERIFY(!QSettings().contains(TicPortKey(5, "")));
  }

  void portNumberOfTheIdText_data()
  {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("port");
    QTest::newRow("PORT 3") << "PORT 3" << 3;
    QTest::newRow("PORT 8") << "PORT 8" << 8;
    QTest::newRow("no digit") << "PORT" << 0;
    QTest::newRow("digit then text") << "PORT 3a" << 0;
  }

  void portNumberOfTheIdText()
  {
    QFETCH(QString, text);
    QFETCH(int, port);
    QCOMPARE(TicPortDialog::PortNumberOf(text), port);
  }
};

RIDUDER_TEST_MAIN(TicPortDialogTest)
#include "tst_ticportdialog.moc"
