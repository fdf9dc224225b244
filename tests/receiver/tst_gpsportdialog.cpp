#include "TestMain.h"

#include "app/core/GpsMode.h"
#include "app/core/ReceiverIdentity.h"
#include "receiver/GpsPortDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>

namespace {

const char *const kPort = "GpsPortDialog/GPS Serial Port";
const char *const kMode = "GpsPortDialog/GPS Serial Port Mode";
const char *const kRate = "GpsPortDialog/GPS Serial Port DataRate";

}  // namespace

class GpsPortDialogTest : public QObject
{
  Q_OBJECT
private slots:
  void cleanup() { QSettings().clear(); }

  void defaults();
  void storedValuesAreRead();
  void setBaud_data();
  void setBaud();
  void setMode_data();
  void setMode();
  void setModeSelectsTheModeList();
  void receiverIdentityIsTheEmptyRecord();
  void okStoresEveryKeyAndCancelRestores();
};

void GpsPortDialogTest::defaults()
{
  GpsPortDialog dialog;
  QCOMPARE(dialog.GetPortName(), QString("OFF"));
  QCOMPARE(dialog.GetMode(), 2);
  QCOMPARE(dialog.GetBaud(), 9600);
  QCOMPARE(dialog.GetPpsInterface(), 1);
  QCOMPARE(dialog.IsDoNotInitialize(), false);
  QCOMPARE(dialog.Settings().autoRestart, true);
  QCOMPARE(dialog.windowTitle(), QString("GPS Receiver Serial Port Settings"));
  QCOMPARE(dialog.objectName(), QString("GpsPortDialog"));
}

void GpsPortDialogTest::storedValuesAreRead()
{
  QSettings s;
  s.setValue(kPort, "/dev/ttyUSB3");
  s.setValue(kMode, "u-blox NMEA");
  s.setValue(kRate, 115000);
  s.setValue("GpsPortDialog/GPS Serial Port PPS Interface", 3);
  s.setValue("GpsPortDialog/GPS Do Not Initialize", true);
  GpsPortDialog dialog;
  QCOMPARE(dialog.GetPortName(), QString("/dev/ttyUSB3"));
  QCOMPARE(dialog.GetMode(), 10);
  QCOMPARE(dialog.GetBaud(), 115000);
  QCOMPARE(dialog.GetPpsInterface(), 3);
  QCOMPARE(dialog.IsDoNotInitialize(), true);
}

void GpsPortDialogTest::setBaud_data()
{
  QTest::addColumn<int>("rate");
  QTest::addColumn<bool>("valid");
  for (int rate : {300, 1200, 2400, 4800, 9600, 14400, 19200, 38400, 57600, 115000})
    QTest::addRow("%d", rate) << rate << true;
  for (int rate : {115200, 0, -1, 600, 230400})
    QTest::addRow("bad %d", rate) << rate << false;
}

void GpsPortDialogTest::setBaud()
{
  QFETCH(int, rate);
  QFETCH(bool, valid);
  QSettings().setValue(kRate, 4800);
  GpsPortDialog dialog;
  if (!valid)
    QTest::ignoreMessage(QtWarningMsg, qPrintable(QString("GpsPortDialog::SetBaud bad argument == %1").arg(rate)));
  dialog.SetBaud(rate);
  QCOMPARE(dialog.GetBaud(), valid ? rate : 9600);
  QCOMPARE(QSettings().value(kRate).toInt(), valid ? rate : 4800);
}

void GpsPortDialogTest::setMode_data()
{
  QTest::addColumn<int>("mode");
  QTest::addColumn<QString>("stored");
  QTest::addColumn<int>("readBack");
  QTest::newRow("0 LORAN reads back as Search") << 0 << "Motorola LORAN" << 11;
  QTest::newRow("1") << 1 << "Motorola NMEA" << 1;
  QTest::newRow("2") << 2 << "Motorola Binary" << 2;
  QTest::newRow("3") << 3 << "Motorola Binary Rx Only" << 3;
  QTest::newRow("6") << 6 << "Generic NMEA" << 6;
  QTest::newRow("9") << 9 << "u-blox UBX" << 9;
  QTest::newRow("10") << 10 << "u-blox NMEA" << 10;
  QTest::newRow("11") << 11 << "Search" << 11;
  for (int bad : {4, 5, 7, 8, 12, -1})
    QTest::addRow("bad %d", bad) << bad << "u-blox UBX" << 9;
}

void GpsPortDialogTest::setMode()
{
  QFETCH(int, mode);
  QFETCH(QString, stored);
  QFETCH(int, readBack);
  QSettings().setValue(kMode, "u-blox UBX");
  GpsPortDialog dialog;
  if (!IsValidGpsMode(quint32(mode)) || mode < 0)
    QTest::ignoreMessage(QtWarningMsg, qPrintable(QString("GpsPortDialog::Set Mode bad argument == %1").arg(mode)));
  dialog.SetMode(mode);
  QCOMPARE(QSettings().value(kMode).toString(), stored);
  QCOMPARE(dialog.GetMode(), readBack);
}

void GpsPortDialogTest::setModeSelectsTheModeList()
{
  GpsPortDialog dialog;
  auto *list = dialog.findChild<QComboBox *>("GpsModeList");
  QVERIFY(list);
  dialog.SetMode(9);
  QCOMPARE(list->currentText(), QString("u-blox UBX"));
  dialog.SetMode(11);  // not offered: the list stays as it is
  QCOMPARE(list->currentText(), QString("u-blox UBX"));
  QCOMPARE(dialog.GetMode(), 11);
}

void GpsPortDialogTest::receiverIdentityIsTheEmptyRecord()
{
  GpsPortDialog dialog;
  ReceiverIdentity id;
  id.model = 20;
  id.firmwareVersion = 4.21;
  id.firmwareVersionText = "4.21";
  id.channels = 12;
  id.nativeChannels = 12;
  id.hasDgps = true;
  id.hasTraim = true;
  id.plusFirmware = true;
  QCOMPARE(dialog.GetReceiverIdentity(id), false);
  QCOMPARE(id.model, 0);
  QCOMPARE(id.firmwareVersion, 0.0);
  QVERIFY(id.firmwareVersionText.isEmpty());
  QCOMPARE(id.channels, 0);
  QCOMPARE(id.nativeChannels, 0);
  QCOMPARE(id.hasDgps, false);
  QCOMPARE(id.hasTraim, false);
  QCOMPARE(id.plusFirmware, true);  // not part of what the dialog keeps
}

void GpsPortDialogTest::okStoresEveryKeyAndCancelRestores()
{
  QSettings().setValue(kMode, "Generic NMEA");
  GpsPortDialog dialog;
  auto *noInit = dialog.findChild<QCheckBox *>("NoGpsInitCheckBox");
  auto *address = dialog.findChild<QLineEdit *>("TcpIpAddress");
  QVERIFY(noInit && address);

  noInit->setChecked(true);
  address->setText("192.168.10.123:9761");
  dialog.findChild<QPushButton *>("OK")->click();
  QCOMPARE(dialog.result(), 1);

  QSettings s;
  const QStringList keys{"GpsPortDialog/GPS Serial Port",
                         "GpsPortDialog/GPS Serial Port Mode",
                         "GpsPortDialog/GPS Serial Port PPS Interface",
                         "GpsPortDialog/GPS Serial Port StopBits",
                         "GpsPortDialog/GPS Serial Port DataBits",
                         "GpsPortDialog/GPS Serial Port Handshake",
                         "GpsPortDialog/GPS Serial Port Parity",
                         "GpsPortDialog/GPS Serial Port DataRate",
                         "GpsPortDialog/GPS Serial Port TcpIp Address",
                         "GpsPortDialog/GPS Do Not Initialize",
                         "GpsPortDialog/GPS AutoRestart",
                         "GpsPortDialog/geometry"};
  for (const QString &key : keys)
    QVERIFY2(s.contains(key), qPrintable(key));
  QCOMPARE(s.value(kMode).toString(), QString("Generic NMEA"));
  QCOMPARE(s.value("GpsPortDialog/GPS Do Not Initialize").toBool(), true);
  QCOMPARE(s.value("GpsPortDialog/GPS Serial Port TcpIp Address").toString(),
           QString("192.168.10.123:9761"));
  QCOMPARE(dialog.IsDoNotInitialize(), true);

  noInit->setChecked(false);
  address->setText("changed");
  dialog.findChild<QPushButton *>("CANCEL")->click();
  QCOMPARE(dialog.result(), 0);
  QCOMPARE(dialog.IsDoNotInitialize(), true);
  QCOMPARE(address->text(), QString("192.168.10.123:9761"));
}

RIDUDER_TEST_MAIN(GpsPortDialogTest)
#include "tst_gpsportdialog.moc"
