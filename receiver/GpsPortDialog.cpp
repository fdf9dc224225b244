#include "receiver/GpsPortDialog.h"

#include "core/GpsMode.h"
#include "core/ReceiverIdentity.h"
#include "receiver/GpsRxType.h"
#include "ui_GpsPortDialog.h"

#include <QCloseEvent>
#include <QMessageBox>
#include <QSerialPortInfo>
#include <QSettings>
#include <QSignalBlocker>

#include <algorithm>

namespace {

// Checks the button of `value` in `group`, or `fallback`'s when the group
// has none; returns the value now shown.
int ShowChoice(QButtonGroup *group, int value, int fallback)
{
  QAbstractButton *button = group->button(value);
  if (!button) {
    value = fallback;
    button = group->button(value);
  }
  if (button)
    button->setChecked(true);
  return value;
}

void SetBold(QAbstractButton *button, bool bold)
{
  QFont font = button->font();
  font.setWeight(bold ? QFont::Bold : QFont::Normal);
  button->setFont(font);
}

// A reader over the address text that accepts what "%d" of scanf accepts:
// optional white space, an optional sign, then digits.
struct AddressScanner {
  const QString &text;
  int pos = 0;

  bool AtEnd() const { return pos >= text.size(); }
  bool Number()
  {
    while (!AtEnd() && text.at(pos).isSpace())
      ++pos;
    if (!AtEnd() && (text.at(pos) == QLatin1Char('+') || text.at(pos) == QLatin1Char('-')))
      ++pos;
    const int start = pos;
    while (!AtEnd() && text.at(pos) >= QLatin1Char('0') && text.at(pos) <= QLatin1Char('9'))
      ++pos;
    return pos > start;
  }
  bool Literal(char c)
  {
    if (AtEnd() || text.at(pos) != QLatin1Char(c))
      return false;
    ++pos;
    return true;
  }
};

}  // namespace

GpsPortDialog::GpsPortDialog(QWidget *parent) : QDialog(parent), ui(new Ui::GpsPortDialog)
{
  ui->setupUi(this);
  setFixedSize(size().expandedTo(sizeHint()));
  m_rxType = new GpsRxType(this);
  m_settings.portName = QLatin1String(OffPortName);
  m_nmeaModeAvailable = true;

  const std::pair<QAbstractButton *, int> ids[] = {
      {ui->PPS_NONE, 0}, {ui->PPS_DCD, 1}, {ui->PPS_CTS, 2}, {ui->PPS_DSR, 3},
      {ui->BAUD_300, 300}, {ui->BAUD_1200, 1200}, {ui->BAUD_2400, 2400}, {ui->BAUD_4800, 4800},
      {ui->BAUD_9600, 9600}, {ui->BAUD_14400, 14400}, {ui->BAUD_19200, 19200},
      {ui->BAUD_38400, 38400}, {ui->BAUD_115K, 115000}, {ui->BAUD_57600, 57600},
      {ui->STOP_BITS_2, 2}, {ui->STOP_BITS_1, 1},
      {ui->PARITY_ODD, 1}, {ui->PARITY_EVEN, 2}, {ui->PARITY_SPACE, 4}, {ui->PARITY_MARK, 3},
      {ui->PARITY_NONE, 0},
      {ui->DATA_BITS_7, 7}, {ui->DATA_BITS_8, 8},
      {ui->HANDSHAKE_RTSCTS, 2}, {ui->HANDSHAKE_NONE, 0}, {ui->HANDSHAKE_XON, 1},
      {ui->HANDSHAKE_DTRDSR, 3}};
  for (const auto &[button, id] : ids)
    button->group()->setId(button, id);

  FillModeList();
  LoadSettings();

  connect(ui->OK, &QPushButton::clicked, this, &GpsPortDialog::OnOkClicked);
  connect(ui->CANCEL, &QPushButton::clicked, this, &GpsPortDialog::OnCancelClicked);
  const std::pair<QButtonGroup *, int *> groups[] = {
      {ui->DataBitsButtonGroup, &m_settings.dataBits},
      {ui->DataRateButtonGroup, &m_settings.dataRate},
      {ui->HandshakeButtonGroup, &m_settings.handshake},
      {ui->ParityButtonGroup, &m_settings.parity},
      {ui->StopBitsButtonGroup, &m_settings.stopBits},
      {ui->PpsButtonGroup, &m_settings.ppsInterface}};
  for (const auto &[group, member] : groups)
    connect(group, &QButtonGroup::idClicked, this, [member = member](int id) { *member = id; });
  connect(ui->GpsSerialPortNameList, &QComboBox::currentIndexChanged, this, &GpsPortDialog::OnPortChanged);
  connect(ui->GpsModeList, &QComboBox::currentIndexChanged, this, &GpsPortDialog::OnModeChanged);
}

GpsPortDialog::~GpsPortDialog()
{
  delete ui;
}

int GpsPortDialog::DefaultDataRate(int mode)
{
  switch (mode) {
  case GpsModeMotorolaNmea:
  case GpsModeGenericNmea:
    return 4800;
  case GpsModeUbloxUbx:
  case GpsModeUbloxNmea:
    return 57600;
  default:
    return 9600;
  }
}

bool GpsPortDialog::IsDataRateOffered(int mode, int rate)
{
  switch (rate) {
  case 300:
  case 1200:
  case 2400:
    return mode == GpsModeMotorolaBinaryRxOnly;
  case 14400:
    return mode == GpsModeMotorolaNmea || mode == GpsModeMotorolaBinary ||
           mode == GpsModeMotorolaBinaryRxOnly || mode == GpsModeGenericNmea;
  case 4800:
  case 9600:
  case 19200:
  case 38400:
  case 57600:
    return true;
  default:  // 115000 only by SetBaud
    return false;
  }
}

bool GpsPortDialog::IsValidAddressText(const QString &text)
{
  if (text.isEmpty())
    return true;
  AddressScanner scan{text};
  for (int part = 0; part < 4; ++part) {
    if (part > 0 && !scan.Literal('.'))
      return false;
    if (!scan.Number())
      return false;
  }
  if (scan.AtEnd())
    return true;  // "a.b.c.d"
  return scan.Literal(':') && scan.Number() && scan.AtEnd();  // "a.b.c.d:port"
}

int GpsPortDialog::GetMode() const
{
  return m_settings.Mode();
}

void GpsPortDialog::SetMode(int mode)
{
  if (!m_settings.SetMode(mode))
    return;
  const int index = ui->GpsModeList->findText(m_settings.modeText);
  if (index >= 0) {
    // Not a user's choice: the data rate stays.
    const QSignalBlocker blocker(ui->GpsModeList);
    ui->GpsModeList->setCurrentIndex(index);
  }
  EnableDataRates();
}

int GpsPortDialog::GetBaud() const
{
  return m_settings.dataRate;
}

void GpsPortDialog::SetBaud(int rate)
{
  m_settings.SetBaud(rate);
  ShowChoice(ui->DataRateButtonGroup, m_settings.dataRate, 9600);
}

QString GpsPortDialog::GetPortName() const
{
  return m_settings.portName;
}

int GpsPortDialog::GetPpsInterface() const
{
  return m_settings.ppsInterface;
}

bool GpsPortDialog::IsDoNotInitialize() const
{
  return ui->NoGpsInitCheckBox->isChecked();
}

void GpsPortDialog::SetNmeaModeAvailable(bool available)
{
  m_nmeaModeAvailable = available;
}

bool GpsPortDialog::GetReceiverIdentity(ReceiverIdentity &out) const
{
  out.model = qint32(m_identity.model);
  out.firmwareVersion = m_identity.firmwareVersion;
  out.firmwareVersionText = m_identity.firmwareVersionText;
  out.channels = m_identity.channels;
  out.nativeChannels = m_identity.nativeChannels;
  out.hasDgps = m_identity.hasDgps;
  out.hasTraim = m_identity.hasTraim;
  return m_identity.firmwareVersion > 0;
}

int GpsPortDialog::exec()
{
  FillLists();
  LoadSettings();
  // A stored mode the list cannot offer ("Search", "Motorola LORAN", or
  // "Motorola NMEA" on a receiver without it) falls back to the first one.
  if (ui->GpsModeList->findText(m_settings.modeText) < 0) {
    m_settings.modeText = GpsModeName(GpsModeMotorolaBinary);
    ShowSettings();
  }
  // The stored rate stays checked: the mode's default comes only with a
  // change of mode, so an OK for another setting keeps the receiver's rate.
  EnableDataRates();
  MarkStoredDataRate(m_settings.dataRate);
  for (QButtonGroup *group : {ui->PpsButtonGroup, ui->HandshakeButtonGroup, ui->StopBitsButtonGroup,
                              ui->ParityButtonGroup, ui->DataBitsButtonGroup})
    MarkCheckedButton(group);
  return QDialog::exec();
}

void GpsPortDialog::closeEvent(QCloseEvent *event)
{
  // QDialog's close handling rejects, which restores the stored settings.
  QDialog::closeEvent(event);
}

void GpsPortDialog::reject()
{
  CheckIpAddress();
  SaveGeometry();
  LoadSettings();
  QDialog::reject();
}

void GpsPortDialog::FillModeList()
{
  const QSignalBlocker blocker(ui->GpsModeList);
  ui->GpsModeList->clear();
  for (quint32 mode : {GpsModeMotorolaBinary, GpsModeMotorolaBinaryRxOnly, GpsModeMotorolaNmea,
                       GpsModeUbloxUbx, GpsModeUbloxNmea, GpsModeGenericNmea}) {
    if (mode == GpsModeMotorolaNmea && !m_nmeaModeAvailable)
      continue;
    ui->GpsModeList->addItem(GpsModeName(mode));
  }
}

void GpsPortDialog::FillLists()
{
  QStringList ports;
  for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts())
    ports.append(info.portName());
  // A stored port the system does not list (a pseudo-terminal, an unplugged
  // adapter) stays on offer, so the choice is not silently replaced.
  const QString stored = QSettings().value(GpsPortKeys::PortName, m_settings.portName).toString();
  if (!stored.isEmpty() && NamesSerialDevice(stored) && !ports.contains(stored))
    ports.append(stored);
  std::sort(ports.begin(), ports.end());  // as text: "COM10" before "COM2"
  ports.prepend(QLatin1String(TcpIpPortName));
  ports.prepend(QLatin1String(OffPortName));
  {
    const QSignalBlocker blocker(ui->GpsSerialPortNameList);
    ui->GpsSerialPortNameList->clear();
    ui->GpsSerialPortNameList->addItems(ports);
  }

  FillModeList();
  if (ui->GpsModeList->findText(m_settings.modeText) < 0)
    m_settings.modeText = GpsModeName(GpsModeMotorolaBinary);
}

void GpsPortDialog::LoadSettings()
{
  QSettings s;
  restoreGeometry(s.value(GpsPortKeys::Geometry).toByteArray());
  m_settings.Load();
  ShowSettings();
}

void GpsPortDialog::ShowSettings()
{
  {
    const QSignalBlocker portBlocker(ui->GpsSerialPortNameList);
    int index = ui->GpsSerialPortNameList->findText(m_settings.portName);
    if (index < 0 && !m_settings.portName.isEmpty()) {
      ui->GpsSerialPortNameList->addItem(m_settings.portName);
      index = ui->GpsSerialPortNameList->count() - 1;
    }
    if (index >= 0)
      ui->GpsSerialPortNameList->setCurrentIndex(index);
  }
  {
    const QSignalBlocker modeBlocker(ui->GpsModeList);
    const int index = ui->GpsModeList->findText(m_settings.modeText);
    if (index >= 0)
      ui->GpsModeList->setCurrentIndex(index);
  }
  // The members hold what the widgets show.
  m_settings.ppsInterface = ShowChoice(ui->PpsButtonGroup, m_settings.ppsInterface, 0);
  m_settings.dataRate = ShowChoice(ui->DataRateButtonGroup, m_settings.dataRate, 9600);
  m_settings.stopBits = ShowChoice(ui->StopBitsButtonGroup, m_settings.stopBits, 1);
  m_settings.dataBits = ShowChoice(ui->DataBitsButtonGroup, m_settings.dataBits, 8);
  m_settings.parity = ShowChoice(ui->ParityButtonGroup, m_settings.parity, 0);
  m_settings.handshake = ShowChoice(ui->HandshakeButtonGroup, m_settings.handshake, 0);
  ui->TcpIpAddress->setText(m_settings.tcpIpAddress);
  ui->NoGpsInitCheckBox->setChecked(m_settings.doNotInitialize);
  ui->GpsAutoRestartCheckBox->setChecked(m_settings.autoRestart);
  ApplyPortRule();
}

void GpsPortDialog::ApplyPortRule()
{
  // OFF has neither framing nor address; TCP/IP only the address.
  const bool off = m_settings.portName == QLatin1String(OffPortName);
  const bool tcp = m_settings.portName == QLatin1String(TcpIpPortName);
  ui->TcpIpAddressGroupBox->setEnabled(tcp);
  for (QWidget *box : {static_cast<QWidget *>(ui->DataRateGroupBox), static_cast<QWidget *>(ui->DataBitsGroupBox),
                       static_cast<QWidget *>(ui->StopBitsGroupBox), static_cast<QWidget *>(ui->ParityGroupBox),
                       static_cast<QWidget *>(ui->HandshakeGroupBox)})
    box->setEnabled(!off && !tcp);
}

void GpsPortDialog::EnableDataRates()
{
  const int mode = GetMode();
  for (QAbstractButton *button : ui->DataRateButtonGroup->buttons())
    button->setEnabled(IsDataRateOffered(mode, ui->DataRateButtonGroup->id(button)));
}

void GpsPortDialog::OnPortChanged()
{
  m_settings.portName = ui->GpsSerialPortNameList->currentText();
  ApplyPortRule();
}

void GpsPortDialog::OnModeChanged()
{
  m_settings.modeText = ui->GpsModeList->currentText();
  m_settings.dataRate = DefaultDataRate(GetMode());
  EnableDataRates();
  ShowSettings();
}

void GpsPortDialog::MarkStoredDataRate(int storedRate)
{
  for (QAbstractButton *button : ui->DataRateButtonGroup->buttons())
    SetBold(button, ui->DataRateButtonGroup->id(button) == storedRate);
}

void GpsPortDialog::MarkCheckedButton(QButtonGroup *group)
{
  for (QAbstractButton *button : group->buttons())
    SetBold(button, button->isChecked());
}

void GpsPortDialog::Warn(const QString &title, const QString &text)
{
  if (m_warn)
    m_warn(title, text);
  else
    QMessageBox::warning(this, title, text, QMessageBox::Ok);
}

bool GpsPortDialog::CheckIpAddress()
{
  const QString text = ui->TcpIpAddress->displayText();
  if (IsValidAddressText(text))
    return true;
  Warn(IllegalIpAddressTitle(), IllegalIpAddressText(text));
  return false;
}

void GpsPortDialog::SaveGeometry()
{
  QSettings().setValue(GpsPortKeys::Geometry, saveGeometry());
}

void GpsPortDialog::SaveSettings()
{
  SaveGeometry();
  if (ui->GpsSerialPortNameList->currentIndex() >= 0)
    m_settings.portName = ui->GpsSerialPortNameList->currentText();
  if (ui->GpsModeList->currentIndex() >= 0)
    m_settings.modeText = ui->GpsModeList->currentText();
  m_settings.tcpIpAddress = ui->TcpIpAddress->text();
  m_settings.doNotInitialize = ui->NoGpsInitCheckBox->isChecked();
  m_settings.autoRestart = ui->GpsAutoRestartCheckBox->isChecked();
  m_settings.Save();
}

void GpsPortDialog::OnOkClicked()
{
  if (!CheckIpAddress())
    return;
  if (ui->GpsModeList->currentText() == GpsModeName(GpsModeMotorolaBinaryRxOnly))
    m_rxType->exec();
  SaveSettings();
  done(1);
}

void GpsPortDialog::OnCancelClicked()
{
  reject();
}
