#include "TestMain.h"

#include "core/GpsMode.h"
#include "core/ReceiverIdentity.h"
#include "ModalDialogs.h"
#include "receiver/GpsPortDialog.h"
#include "receiver/GpsRxType.h"

#include <QButtonGroup>
#include <QCheckBox>
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

const char *const kPort = "GpsPortDialog/GPS Serial Port";
const char *const kMode = "GpsPortDialog/GPS Serial Port Mode";
const char *const kRate = "GpsPortDialog/GPS Serial Port DataRate";
const char *const kPps = "GpsPortDialog/GPS Serial Port PPS Interface";

const QStringList kAllKeys{"GpsPortDialog/GPS Serial Port",
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


QRadioButton *Radio(QObject &dialog, const char *name) { return Child<QRadioButton>(dialog, name); }

// Every rate button: object name -> rate.
const QList<QPair<const char *, int>> kRateButtons{
    {"BAUD_300", 300},     {"BAUD_1200", 1200},   {"BAUD_2400", 2400}, {"BAUD_4800", 4800},
    {"BAUD_9600", 9600},   {"BAUD_14400", 14400}, {"BAUD_19200", 19200}, {"BAUD_38400", 38400},
    {"BAUD_57600", 57600}, {"BAUD_115K", 115000}};

QList<int> EnabledRates(QObject &dialog)
{
  QList<int> rates;
  for (const auto &[name, rate] : kRateButtons)
    if (Radio(dialog, name)->isEnabled())
      rates << rate;
  return rates;
}

int CheckedRate(QObject &dialog)
{
  for (const auto &[name, rate] : kRateButtons)
    if (Radio(dialog, name)->isChecked())
      return rate;
  return 0;
}

QList<int> BoldRates(QObject &dialog)
{
  QList<int> rates;
  for (const auto &[name, rate] : kRateButtons)
    if (Radio(dialog, name)->font().weight() == QFont::Bold)
      rates << rate;
  return rates;
}

QVariantMap StoredValues()
{
  QVariantMap values;
  QSettings s;
  for (const QString &key : kAllKeys)
    if (key != QLatin1String("GpsPortDialog/geometry"))
      values.insert(key, s.value(key));
  return values;
}

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

  void modeChangeChecksItsDefaultRate_data();
  void modeChangeChecksItsDefaultRate();
  void openingShowsTheStoredRateCheckedAndBold();
  void okAfterChangingOnlyThePpsLineKeepsTheRate();
  void okStoresTheChoicesUnderExactlyTheKeys();
  void cancelAndCloseChangeNothing_data();
  void cancelAndCloseChangeNothing();
  void addressCheck_data();
  void addressCheck();
  void invalidAddressKeepsTheDialogOpen();
  void portListAndPortRule();
  void unlistedStoredPortStaysSelected();
  void modesTheListCannotShowBecomeMotorolaBinary_data();
  void modesTheListCannotShowBecomeMotorolaBinary();
  void receiveOnlyModeAsksForTheReceiverType();
  void storedValuesWithoutAButtonShowTheFallback();
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
  QStringList warnings;
  dialog.SetWarningHandler([&warnings](const QString &title, const QString &) { warnings << title; });
  auto *noInit = dialog.findChild<QCheckBox *>("NoGpsInitCheckBox");
  auto *address = dialog.findChild<QLineEdit *>("TcpIpAddress");
  QVERIFY(noInit && address);

  noInit->setChecked(true);
  address->setText("192.168.10.123:9761");
  dialog.findChild<QPushButton *>("OK")->click();
  QCOMPARE(dialog.result(), 1);

  QSettings s;
  for (const QString &key : kAllKeys)
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
  QCOMPARE(warnings, QStringList{"Illegal IP Address"});  // "changed" is no address
}

void GpsPortDialogTest::modeChangeChecksItsDefaultRate_data()
{
  QTest::addColumn<QString>("mode");
  QTest::addColumn<int>("defaultRate");
  QTest::addColumn<QList<int>>("enabled");
  const QList<int> common{4800, 9600, 14400, 19200, 38400, 57600};
  QTest::newRow("Motorola Binary") << "Motorola Binary" << 9600 << common;
  QTest::newRow("Motorola Binary Rx Only")
      << "Motorola Binary Rx Only" << 9600
      << QList<int>{300, 1200, 2400, 4800, 9600, 14400, 19200, 38400, 57600};
  QTest::newRow("Motorola NMEA") << "Motorola NMEA" << 4800 << common;
  QTest::newRow("u-blox UBX") << "u-blox UBX" << 57600 << QList<int>{4800, 9600, 19200, 38400, 57600};
  QTest::newRow("u-blox NMEA") << "u-blox NMEA" << 57600 << QList<int>{4800, 9600, 19200, 38400, 57600};
  QTest::newRow("Generic NMEA") << "Generic NMEA" << 4800 << common;
}

void GpsPortDialogTest::modeChangeChecksItsDefaultRate()
{
  QFETCH(QString, mode);
  QFETCH(int, defaultRate);
  QFETCH(QList<int>, enabled);
  QSettings s;
  s.setValue(kPort, "/dev/ttyS0");
  // Start from a mode other than the one chosen, at a rate no mode defaults to.
  s.setValue(kMode, mode == QLatin1String("Generic NMEA") ? "Motorola Binary" : "Generic NMEA");
  s.setValue(kRate, 38400);
  GpsPortDialog dialog;
  QList<int> rates;
  int checked = 0;
  const int result = ExecWith(dialog, [&] {
    auto *list = Child<QComboBox>(dialog, "GpsModeList");
    list->setCurrentIndex(list->findText(mode));
    rates = EnabledRates(dialog);
    checked = CheckedRate(dialog);
    if (mode == QLatin1String("Motorola Binary Rx Only"))
      riduder::test::AnswerNextModalDialog([](QDialog *type) { type->accept(); });
    Child<QPushButton>(dialog, "OK")->click();
  });
  QCOMPARE(checked, defaultRate);
  QCOMPARE(rates, enabled);
  QCOMPARE(BoldRates(dialog), QList<int>{38400});  // the rate in use
  QCOMPARE(result, 1);
  QCOMPARE(dialog.GetBaud(), defaultRate);
  QCOMPARE(s.value(kRate).toInt(), defaultRate);
  QCOMPARE(s.value(kMode).toString(), mode);
}

void GpsPortDialogTest::openingShowsTheStoredRateCheckedAndBold()
{
  QSettings s;
  s.setValue(kPort, "/dev/ttyS0");
  s.setValue(kMode, "Motorola NMEA");
  s.setValue(kRate, 19200);
  GpsPortDialog dialog;
  int checkedAtOpen = 0;
  QList<int> boldAtOpen;
  QList<int> enabledAtOpen;
  int checkedAfterModeChange = 0;
  ExecWith(dialog, [&] {
    checkedAtOpen = CheckedRate(dialog);
    boldAtOpen = BoldRates(dialog);
    enabledAtOpen = EnabledRates(dialog);
    auto *list = Child<QComboBox>(dialog, "GpsModeList");
    list->setCurrentIndex(list->findText("u-blox UBX"));
    checkedAfterModeChange = CheckedRate(dialog);
    Radio(dialog, "BAUD_19200")->click();
    Child<QPushButton>(dialog, "OK")->click();
  });
  QCOMPARE(checkedAtOpen, 19200);
  QCOMPARE(boldAtOpen, QList<int>{19200});
  QCOMPARE(enabledAtOpen, (QList<int>{4800, 9600, 14400, 19200, 38400, 57600}));
  QCOMPARE(checkedAfterModeChange, 57600);
  QCOMPARE(s.value(kRate).toInt(), 19200);
  QCOMPARE(s.value(kMode).toString(), QString("u-blox UBX"));

  // 115k cannot be picked, but a rate set by the search shows checked.
  dialog.SetBaud(115000);
  ExecWith(dialog, [&] {
    checkedAtOpen = CheckedRate(dialog);
    boldAtOpen = BoldRates(dialog);
    QVERIFY(!Radio(dialog, "BAUD_115K")->isEnabled());
    dialog.reject();
  });
  QCOMPARE(checkedAtOpen, 115000);
  QCOMPARE(boldAtOpen, QList<int>{115000});
}

void GpsPortDialogTest::okAfterChangingOnlyThePpsLineKeepsTheRate()
{
  QSettings s;
  s.setValue(kPort, "/dev/ttyS0");
  s.setValue(kMode, "u-blox UBX");
  s.setValue(kRate, 9600);
  s.setValue(kPps, 1);
  GpsPortDialog dialog;
  QStringList boldPps;
  ExecWith(dialog, [&] {
    for (const char *name : {"PPS_NONE", "PPS_DCD", "PPS_CTS", "PPS_DSR"})
      if (Radio(dialog, name)->font().weight() == QFont::Bold)
        boldPps << name;
    Radio(dialog, "PPS_CTS")->click();
    Child<QPushButton>(dialog, "OK")->click();
  });
  QCOMPARE(boldPps, QStringList{"PPS_DCD"});
  QCOMPARE(dialog.GetPpsInterface(), 2);
  QCOMPARE(dialog.GetBaud(), 9600);
  QCOMPARE(s.value(kRate).toInt(), 9600);
  QCOMPARE(s.value(kPps).toInt(), 2);
}

void GpsPortDialogTest::okStoresTheChoicesUnderExactlyTheKeys()
{
  QSettings s;
  s.setValue(kPort, "/dev/ttyS0");
  GpsPortDialog dialog;
  const int result = ExecWith(dialog, [&] {
    auto *list = Child<QComboBox>(dialog, "GpsModeList");
    list->setCurrentIndex(list->findText("Generic NMEA"));
    Radio(dialog, "BAUD_14400")->click();
    Radio(dialog, "DATA_BITS_7")->click();
    Radio(dialog, "PARITY_MARK")->click();
    Radio(dialog, "STOP_BITS_2")->click();
    Radio(dialog, "HANDSHAKE_DTRDSR")->click();
    Radio(dialog, "PPS_DSR")->click();
    Child<QCheckBox>(dialog, "NoGpsInitCheckBox")->setChecked(true);
    Child<QCheckBox>(dialog, "GpsAutoRestartCheckBox")->setChecked(false);
    Child<QLineEdit>(dialog, "TcpIpAddress")->setText("10.0.0.7");
    Child<QPushButton>(dialog, "OK")->click();
  });
  QCOMPARE(result, 1);
  s.beginGroup("GpsPortDialog");
  QStringList stored = s.childKeys();
  s.endGroup();
  QStringList expected;
  for (const QString &key : kAllKeys)
    expected << key.mid(QStringLiteral("GpsPortDialog/").size());
  stored.sort();
  expected.sort();
  QCOMPARE(stored, expected);
  QCOMPARE(s.value(kPort).toString(), QString("/dev/ttyS0"));
  QCOMPARE(s.value(kMode).toString(), QString("Generic NMEA"));
  QCOMPARE(s.value(kRate).toInt(), 14400);
  QCOMPARE(s.value("GpsPortDialog/GPS Serial Port DataBits").toInt(), 7);
  QCOMPARE(s.value("GpsPortDialog/GPS Serial Port Parity").toInt(), 3);
  QCOMPARE(s.value("GpsPortDialog/GPS Serial Port StopBits").toInt(), 2);
  QCOMPARE(s.value("GpsPortDialog/GPS Serial Port Handshake").toInt(), 3);
  QCOMPARE(s.value(kPps).toInt(), 3);
  QCOMPARE(s.value("GpsPortDialog/GPS Do Not Initialize").toBool(), true);
  QCOMPARE(s.value("GpsPortDialog/GPS AutoRestart").toBool(), false);
  QCOMPARE(s.value("GpsPortDialog/GPS Serial Port TcpIp Address").toString(), QString("10.0.0.7"));
  QCOMPARE(dialog.GetMode(), 6);
  QCOMPARE(dialog.GetBaud(), 14400);
}

void GpsPortDialogTest::cancelAndCloseChangeNothing_data()
{
  QTest::addColumn<int>("how");
  QTest::newRow("Cancel button") << 0;
  QTest::newRow("close button") << 1;
  QTest::newRow("Escape") << 2;
}

void GpsPortDialogTest::cancelAndCloseChangeNothing()
{
  QFETCH(int, how);
  QSettings s;
  s.setValue(kPort, "/dev/ttyS0");
  s.setValue(kMode, "Motorola Binary");
  s.setValue(kRate, 19200);
  s.setValue(kPps, 1);
  GpsPortDialog dialog;
  QStringList warnings;
  dialog.SetWarningHandler([&warnings](const QString &title, const QString &) { warnings << title; });
  const QVariantMap before = StoredValues();
  const int result = ExecWith(dialog, [&] {
    auto *list = Child<QComboBox>(dialog, "GpsModeList");
    list->setCurrentIndex(list->findText("u-blox NMEA"));
    Radio(dialog, "BAUD_38400")->click();
    Radio(dialog, "PPS_NONE")->click();
    Child<QCheckBox>(dialog, "NoGpsInitCheckBox")->setChecked(true);
    Child<QLineEdit>(dialog, "TcpIpAddress")->setText("1.2.3.4");
    if (how == 0)
      Child<QPushButton>(dialog, "CANCEL")->click();
    else if (how == 1)
      dialog.close();
    else
      QTest::keyClick(&dialog, Qt::Key_Escape);
  });
  QCOMPARE(result, 0);
  QCOMPARE(StoredValues(), before);
  QVERIFY(s.contains("GpsPortDialog/geometry"));
  QVERIFY(warnings.isEmpty());
  // The dialog's answers are the stored ones again.
  QCOMPARE(dialog.GetMode(), 2);
  QCOMPARE(dialog.GetBaud(), 19200);
  QCOMPARE(dialog.GetPpsInterface(), 1);
  QCOMPARE(dialog.IsDoNotInitialize(), false);
  QCOMPARE(CheckedRate(dialog), 19200);
  QCOMPARE(Child<QComboBox>(dialog, "GpsModeList")->currentText(), QString("Motorola Binary"));
}

void GpsPortDialogTest::addressCheck_data()
{
  QTest::addColumn<QString>("text");
  QTest::addColumn<bool>("valid");
  QTest::newRow("empty") << "" << true;
  QTest::newRow("address") << "192.168.10.123" << true;
  QTest::newRow("address and port") << "192.168.10.123:9761" << true;
  QTest::newRow("ranges unchecked") << "999.1.2.3:70000" << true;
  QTest::newRow("blank before a number") << " 192.168. 10.123" << true;
  QTest::newRow("three numbers") << "192.168.10" << false;
  QTest::newRow("trailing dot") << "192.168.10.123." << false;
  QTest::newRow("colon without port") << "192.168.10.123:" << false;
  QTest::newRow("port then text") << "192.168.10.123:80x" << false;
  QTest::newRow("trailing blank") << "192.168.10.123 " << false;
  QTest::newRow("slash") << "192.168.10.123/24" << false;
  QTest::newRow("host name") << "gps.local" << false;
  QTest::newRow("huge numbers") << "99999999999999999999.1.2.3" << true;
}

void GpsPortDialogTest::addressCheck()
{
  QFETCH(QString, text);
  QFETCH(bool, valid);
  QCOMPARE(GpsPortDialog::IsValidAddressText(text), valid);
}

void GpsPortDialogTest::invalidAddressKeepsTheDialogOpen()
{
  GpsPortDialog dialog;
  QList<QPair<QString, QString>> warnings;
  dialog.SetWarningHandler([&](const QString &title, const QString &text) { warnings.append({title, text}); });
  bool openAfterFirstOk = false;
  const int result = ExecWith(dialog, [&] {
    auto *ports = Child<QComboBox>(dialog, "GpsSerialPortNameList");
    ports->setCurrentIndex(ports->findText("TCP/IP"));
    Child<QLineEdit>(dialog, "TcpIpAddress")->setText("192.168.10");
    Child<QPushButton>(dialog, "OK")->click();
    openAfterFirstOk = dialog.isVisible();
    Child<QLineEdit>(dialog, "TcpIpAddress")->setText("192.168.10.123:9761");
    Child<QPushButton>(dialog, "OK")->click();
  });
  QVERIFY(openAfterFirstOk);
  QCOMPARE(result, 1);
  QCOMPARE(warnings.size(), 1);
  QCOMPARE(warnings.first().first, QString("Illegal IP Address"));
  QCOMPARE(warnings.first().second,
           QString("IP Address error:\n  192.168.10\n\nThe format must be like this\n  192.168.10.123\n\n"
                   "or, if you want to also define the port:\n  192.168.10.123:9761"));
  QCOMPARE(QSettings().value(kPort).toString(), QString("TCP/IP"));
  QCOMPARE(QSettings().value("GpsPortDialog/GPS Serial Port TcpIp Address").toString(),
           QString("192.168.10.123:9761"));
}

void GpsPortDialogTest::portListAndPortRule()
{
  GpsPortDialog dialog;
  QStringList firstEntries;
  QList<QList<bool>> states;  // per port: address box, then the five serial boxes
  const char *const serialBoxes[] = {"DataRateGroupBox", "DataBitsGroupBox", "StopBitsGroupBox",
                                     "ParityGroupBox", "HandshakeGroupBox"};
  ExecWith(dialog, [&] {
    auto *ports = Child<QComboBox>(dialog, "GpsSerialPortNameList");
    firstEntries << ports->itemText(0) << ports->itemText(1);
    QStringList listed;
    for (int i = 2; i < ports->count(); ++i)
      listed << ports->itemText(i);
    QStringList sorted = listed;
    std::sort(sorted.begin(), sorted.end());
    QCOMPARE(listed, sorted);
    for (const QString &port : {QString("OFF"), QString("TCP/IP"), QString("/dev/ttyX")}) {
      if (ports->findText(port) < 0)
        ports->addItem(port);
      ports->setCurrentIndex(ports->findText(port));
      QList<bool> state{Child<QGroupBox>(dialog, "TcpIpAddressGroupBox")->isEnabled()};
      for (const char *box : serialBoxes)
        state << Child<QGroupBox>(dialog, box)->isEnabled();
      state << Child<QGroupBox>(dialog, "PpsGroupBox")->isEnabled()
            << Child<QComboBox>(dialog, "GpsModeList")->isEnabled();
      states << state;
    }
    dialog.reject();
  });
  QCOMPARE(firstEntries, (QStringList{"OFF", "TCP/IP"}));
  QCOMPARE(states.value(0), (QList<bool>{false, false, false, false, false, false, true, true}));
  QCOMPARE(states.value(1), (QList<bool>{true, false, false, false, false, false, true, true}));
  QCOMPARE(states.value(2), (QList<bool>{false, true, true, true, true, true, true, true}));
}

void GpsPortDialogTest::unlistedStoredPortStaysSelected()
{
  QSettings().setValue(kPort, "/dev/pts/99");
  GpsPortDialog dialog;
  QString shown;
  bool rateBoxEnabled = false;
  ExecWith(dialog, [&] {
    shown = Child<QComboBox>(dialog, "GpsSerialPortNameList")->currentText();
    rateBoxEnabled = Child<QGroupBox>(dialog, "DataRateGroupBox")->isEnabled();
    Child<QPushButton>(dialog, "OK")->click();
  });
  QCOMPARE(shown, QString("/dev/pts/99"));
  QVERIFY(rateBoxEnabled);
  QCOMPARE(QSettings().value(kPort).toString(), QString("/dev/pts/99"));
  QCOMPARE(dialog.GetPortName(), QString("/dev/pts/99"));
}

void GpsPortDialogTest::modesTheListCannotShowBecomeMotorolaBinary_data()
{
  QTest::addColumn<QString>("stored");
  QTest::addColumn<bool>("nmeaAvailable");
  QTest::addColumn<QString>("shown");
  QTest::newRow("Search") << "Search" << true << "Motorola Binary";
  QTest::newRow("LORAN") << "Motorola LORAN" << true << "Motorola Binary";
  QTest::newRow("NMEA mode not available") << "Motorola NMEA" << false << "Motorola Binary";
  QTest::newRow("NMEA mode available") << "Motorola NMEA" << true << "Motorola NMEA";
}

void GpsPortDialogTest::modesTheListCannotShowBecomeMotorolaBinary()
{
  QFETCH(QString, stored);
  QFETCH(bool, nmeaAvailable);
  QFETCH(QString, shown);
  QSettings().setValue(kMode, stored);
  QSettings().setValue(kRate, 19200);
  GpsPortDialog dialog;
  dialog.SetNmeaModeAvailable(nmeaAvailable);
  QStringList modes;
  QString current;
  ExecWith(dialog, [&] {
    auto *list = Child<QComboBox>(dialog, "GpsModeList");
    for (int i = 0; i < list->count(); ++i)
      modes << list->itemText(i);
    current = list->currentText();
    Child<QPushButton>(dialog, "OK")->click();
  });
  QStringList offered{"Motorola Binary", "Motorola Binary Rx Only", "Motorola NMEA",
                      "u-blox UBX", "u-blox NMEA", "Generic NMEA"};
  if (!nmeaAvailable)
    offered.removeAll("Motorola NMEA");
  QCOMPARE(modes, offered);
  QCOMPARE(current, shown);
  QCOMPARE(QSettings().value(kMode).toString(), shown);
  QCOMPARE(QSettings().value(kRate).toInt(), 19200);
}

void GpsPortDialogTest::receiveOnlyModeAsksForTheReceiverType()
{
  GpsPortDialog dialog;
  bool typeDialogRan = false;
  const int result = ExecWith(dialog, [&] {
    auto *list = Child<QComboBox>(dialog, "GpsModeList");
    list->setCurrentIndex(list->findText("Motorola Binary Rx Only"));
    riduder::test::AnswerNextModalDialog([&](QDialog *modal) {
      typeDialogRan = modal == dialog.RxTypeDialog();
      Radio(*modal, "RadioButton_IDC_ONCORE_VP_6")->click();
      Child<QPushButton>(*modal, "OK")->click();
    });
    Child<QPushButton>(dialog, "OK")->click();
  });
  QCOMPARE(result, 1);
  QVERIFY(typeDialogRan);
  QCOMPARE(QSettings().value(kMode).toString(), QString("Motorola Binary Rx Only"));
  QCOMPARE(QSettings().value("GpsRxType/PPS Interface").toString(), QString("1.6 - 1.9"));

  // Other modes do not ask.
  QSettings().remove("GpsRxType/PPS Interface");
  ExecWith(dialog, [&] {
    auto *list = Child<QComboBox>(dialog, "GpsModeList");
    list->setCurrentIndex(list->findText("Motorola Binary"));
    Child<QPushButton>(dialog, "OK")->click();
  });
  QVERIFY(!QSettings().contains("GpsRxType/PPS Interface"));
}

void GpsPortDialogTest::storedValuesWithoutAButtonShowTheFallback()
{
  QSettings s;
  s.setValue(kPort, "/dev/ttyS0");
  s.setValue(kRate, 12345);
  s.setValue(kPps, 7);
  s.setValue("GpsPortDialog/GPS Serial Port StopBits", 3);
  s.setValue("GpsPortDialog/GPS Serial Port DataBits", 5);
  s.setValue("GpsPortDialog/GPS Serial Port Parity", 9);
  s.setValue("GpsPortDialog/GPS Serial Port Handshake", -1);
  GpsPortDialog dialog;
  QStringList checked;
  ExecWith(dialog, [&] {
    for (QButtonGroup *group : dialog.findChildren<QButtonGroup *>())
      if (group->checkedButton())
        checked << group->checkedButton()->objectName();
    Child<QPushButton>(dialog, "OK")->click();
  });
  checked.sort();
  QCOMPARE(checked, (QStringList{"BAUD_9600", "DATA_BITS_8", "HANDSHAKE_NONE", "PARITY_NONE",
                                 "PPS_NONE", "STOP_BITS_1"}));
  QCOMPARE(dialog.GetBaud(), 9600);
  QCOMPARE(dialog.GetPpsInterface(), 0);
  QCOMPARE(s.value(kRate).toInt(), 9600);
  QCOMPARE(s.value("GpsPortDialog/GPS Serial Port Parity").toInt(), 0);
}

RIDUDER_TEST_MAIN(GpsPortDialogTest)
#include "tst_gpsportdialog.moc"
