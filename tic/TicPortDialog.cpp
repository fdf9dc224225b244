#include "tic/TicPortDialog.h"

#include "tic/TicTcpIpAddress.h"
#include "ui_TicPortDialog.h"

#include <QCloseEvent>
#include <QMessageBox>
#include <QSerialPortInfo>
#include <QSettings>

#include <algorithm>

namespace {

void CheckButton(QButtonGroup *group, int id, int fallback)
{
  QAbstractButton *button = group->button(id);
  if (!button)
    button = group->button(fallback);
  if (button)
    button->setChecked(true);
}

}  // namespace

TicPortDialog::TicPortDialog(QWidget *parent) : QDialog(parent), ui(new Ui::TicPortDialog)
{
  ui->setupUi(this);
  setFixedSize(320, 320);

  const std::pair<QAbstractButton *, int> ids[] = {
      {ui->BAUD_300, 300}, {ui->BAUD_1200, 1200}, {ui->BAUD_2400, 2400}, {ui->BAUD_4800, 4800},
      {ui->BAUD_9600, 9600}, {ui->BAUD_14400, 14400}, {ui->BAUD_19200, 19200}, {ui->BAUD_38400, 38400},
      {ui->BAUD_57600, 57600}, {ui->BAUD_115K, 115000},
      {ui->STOP_BITS_1, 1}, {ui->STOP_BITS_2, 2},
      {ui->DATA_BITS_7, 7}, {ui->DATA_BITS_8, 8},
      {ui->HANDSHAKE_NONE, 0}, {ui->HANDSHAKE_XON, 1}, {ui->HANDSHAKE_RTSCTS, 2}, {ui->HANDSHAKE_DTRDSR, 3},
      {ui->PARITY_NONE, 0}, {ui->PARITY_ODD, 1}, {ui->PARITY_EVEN, 2}, {ui->PARITY_MARK, 3},
      {ui->PARITY_SPACE, 4}};
  for (const auto &[button, id] : ids)
    button->group()->setId(button, id);

  RefreshPortNames();  // exec() refreshes again; this fills a dialog shown without it
  LoadSettings();

  connect(ui->OK, &QPushButton::clicked, this, &TicPortDialog::OnOkClicked);
  connect(ui->CANCEL, &QPushButton::clicked, this, &TicPortDialog::OnCancelClicked);
  connect(ui->TicSerialPortIdList, &QComboBox::currentIndexChanged, this,
          [this] { ShowPort(ui->TicSerialPortIdList->currentText()); });
  connect(ui->TicSerialPortNameList, &QComboBox::currentIndexChanged, this, &TicPortDialog::OnPortNameChanged);
  const std::pair<QButtonGroup *, int TicPortSettings::*> groups[] = {
      {ui->DataRateButtonGroup, &TicPortSettings::dataRate},
      {ui->StopBitsButtonGroup, &TicPortSettings::stopBits},
      {ui->DataBitsButtonGroup, &TicPortSettings::dataBits},
      {ui->HandshakeButtonGroup, &TicPortSettings::handshake},
      {ui->ParityButtonGroup, &TicPortSettings::parity}};
  for (const auto &[group, member] : groups) {
    connect(group, &QButtonGroup::idClicked, this, [this, group = group, member = member] {
      if (TicPortSettings *port = ShownSettings())
        port->*member = group->checkedId();
    });
  }
  connect(ui->TcpIpAddress, &QLineEdit::editingFinished, this, &TicPortDialog::OnAddressEditingFinished);
}

TicPortDialog::~TicPortDialog()
{
  delete ui;
}

int TicPortDialog::exec()
{
  RefreshPortNames();
  LoadSettings();
  return QDialog::exec();
}

void TicPortDialog::closeEvent(QCloseEvent *event)
{
  SaveGeometry();
  LoadSettings();
  QDialog::closeEvent(event);
}

int TicPortDialog::PortNumberOf(const QString &text)
{
  for (int i = 0; i < text.size(); ++i) {
    if (text.at(i).isDigit()) {
      bool ok = false;
      const int number = text.mid(i).toInt(&ok);
      return ok ? number : 0;
    }
  }
  return 0;
}

int TicPortDialog::ShownPort() const
{
  return PortNumberOf(ui->TicSerialPortIdList->currentText());
}

TicPortSettings *TicPortDialog::ShownSettings()
{
  const int port = ShownPort();
  return port >= 1 && port <= TicPortCount ? &ports[port - 1] : nullptr;
}

void TicPortDialog::RefreshPortNames()
{
  // Filling the list runs the name handler; the load that follows puts the
  // stored names back.
  ui->TicSerialPortNameList->clear();
  QStringList names;
  for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts())
    names.append(info.portName());
  std::sort(names.begin(), names.end());  // as text: "COM10" before "COM2"
  names.prepend(QLatin1String(TcpIpPortName));
  names.prepend(QLatin1String(OffPortName));
  ui->TicSerialPortNameList->addItems(names);
}

void TicPortDialog::LoadSettings()
{
  QSettings s;
  restoreGeometry(s.value(TicPortGeometryKey).toByteArray());
  ui->TicSerialPortIdList->setCurrentIndex(0);
  for (int port = 1; port <= TicPortCount; ++port) {
    TicPortSettings loaded = TicPortSettings::Load(port);
    loaded.Repair();  // reaches the store only with the next OK
    ports[port - 1] = loaded;
  }
  // Selecting port 1 above showed the old copy: show the new one.
  ShowPort(ui->TicSerialPortIdList->currentText());
}

void TicPortDialog::SelectPortName(const QString &name)
{
  const int index = ui->TicSerialPortNameList->findText(name);
  if (index >= 0)
    ui->TicSerialPortNameList->setCurrentIndex(index);
}

void TicPortDialog::ShowChoices(const TicPortSettings &port)
{
  CheckButton(ui->StopBitsButtonGroup, port.stopBits, 1);
  CheckButton(ui->DataBitsButtonGroup, port.dataBits, 8);
  CheckButton(ui->HandshakeButtonGroup, port.handshake, 0);
  CheckButton(ui->ParityButtonGroup, port.parity, 0);
  CheckButton(ui->DataRateButtonGroup, port.dataRate, 9600);
  ui->TcpIpAddress->setText(QString::fromUtf8(port.tcpIpAddress));
}

void TicPortDialog::ShowPort(const QString &idText)
{
  const int port = PortNumberOf(idText);
  if (port < 1 || port > TicPortCount)
    return;
  const TicPortSettings shown = ports[port - 1];
  SelectPortName(shown.portName);
  ShowChoices(shown);
  SetEnabledByName(shown.portName);
}

void TicPortDialog::SetEnabledByName(const QString &name)
{
  const bool off = name == QLatin1String(OffPortName);
  const bool tcp = name == QLatin1String(TcpIpPortName);
  ui->TcpIpAddress->setEnabled(tcp);
  for (QWidget *box : {static_cast<QWidget *>(ui->DataRateGroupBox), static_cast<QWidget *>(ui->StopBitsGroupBox),
                       static_cast<QWidget *>(ui->DataBitsGroupBox), static_cast<QWidget *>(ui->HandshakeGroupBox),
                       static_cast<QWidget *>(ui->ParityGroupBox)})
    box->setEnabled(!off && !tcp);
}

void TicPortDialog::OnPortNameChanged()
{
  TicPortSettings *port = ShownSettings();
  if (!port)
    return;
  port->portName = ui->TicSerialPortNameList->currentText();
  SetEnabledByName(port->portName);
}

bool TicPortDialog::ValidateIpAddress()
{
  const QString text = ui->TcpIpAddress->displayText();
  if (text.isEmpty() || ParseTcpIpAddress(text.toUtf8()).valid)
    return true;
  if (warn) {
    warn(IllegalIpAddressTitle(), IllegalIpAddressText(text));
  } else {
    QMessageBox::warning(this, IllegalIpAddressTitle(), IllegalIpAddressText(text), QMessageBox::Ok);
  }
  return false;
}

void TicPortDialog::OnAddressEditingFinished()
{
  TicPortSettings *port = ShownSettings();
  if (!port)
    return;
  if (ValidateIpAddress())
    port->tcpIpAddress = ui->TcpIpAddress->text().toUtf8();
  else
    ui->TcpIpAddress->setFocus();
}

void TicPortDialog::SaveGeometry()
{
  QSettings().setValue(TicPortGeometryKey, saveGeometry());
}

void TicPortDialog::SaveSettings()
{
  // An address typed but not yet confirmed is checked and taken first; a
  // refused one keeps the port's previous address and stops nothing else.
  OnAddressEditingFinished();
  SaveGeometry();
  QSettings s;
  for (int port = 1; port <= TicPortCount; ++port)
    s.setValue(TicPortKey(port, ""), ports[port - 1].portName);
  const std::pair<const char *, int TicPortSettings::*> numbers[] = {
      {" StopBits", &TicPortSettings::stopBits}, {" DataBits", &TicPortSettings::dataBits},
      {" Handshake", &TicPortSettings::handshake}, {" Parity", &TicPortSettings::parity},
      {" DataRate", &TicPortSettings::dataRate}};
  for (const auto &[suffix, member] : numbers)
    for (int port = 1; port <= TicPortCount; ++port)
      s.setValue(TicPortKey(port, suffix), ports[port - 1].*member);
  for (int port = 1; port <= TicPortCount; ++port)
    s.setValue(TicPortKey(port, " TcpIp Address"), QString::fromUtf8(ports[port - 1].tcpIpAddress));
}

void TicPortDialog::OnOkClicked()
{
  SaveSettings();
  done(1);
}

void TicPortDialog::OnCancelClicked()
{
  SaveGeometry();
  LoadSettings();
  done(0);
}
