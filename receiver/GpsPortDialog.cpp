#include "receiver/GpsPortDialog.h"

#include "app/core/GpsMode.h"
#include "app/core/ReceiverIdentity.h"
#include "ui_GpsPortDialog.h"

#include <QCloseEvent>
#include <QSerialPortInfo>
#include <QSettings>

#include <algorithm>

GpsPortDialog::GpsPortDialog(QWidget *parent) : QDialog(parent), ui(new Ui::GpsPortDialog)
{
  ui->setupUi(this);
  setFixedSize(size());
  m_settings.portName = QStringLiteral("OFF");
  m_nmeaModeAvailable = true;
  FillModeList();
  LoadSettings();
  connect(ui->OK, &QPushButton::clicked, this, &GpsPortDialog::OnOkClicked);
  connect(ui->CANCEL, &QPushButton::clicked, this, &GpsPortDialog::OnCancelClicked);
}

GpsPortDialog::~GpsPortDialog()
{
  delete ui;
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
  if (index >= 0)
    ui->GpsModeList->setCurrentIndex(index);
}

int GpsPortDialog::GetBaud() const
{
  return m_settings.dataRate;
}

void GpsPortDialog::SetBaud(int rate)
{
  m_settings.SetBaud(rate);
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
  return QDialog::exec();
}

void GpsPortDialog::closeEvent(QCloseEvent *event)
{
  SaveGeometry();
  LoadSettings();
  QDialog::closeEvent(event);
}

void GpsPortDialog::FillModeList()
{
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
  std::sort(ports.begin(), ports.end());  // as text: "COM10" before "COM2"
  ports.prepend(QStringLiteral("TCP/IP"));
  ports.prepend(QStringLiteral("OFF"));
  ui->GpsSerialPortNameList->clear();
  ui->GpsSerialPortNameList->addItems(ports);

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
  int index = ui->GpsSerialPortNameList->findText(m_settings.portName);
  if (index >= 0)
    ui->GpsSerialPortNameList->setCurrentIndex(index);
  index = ui->GpsModeList->findText(m_settings.modeText);
  if (index >= 0)
    ui->GpsModeList->setCurrentIndex(index);
  ui->TcpIpAddress->setText(m_settings.tcpIpAddress);
  ui->NoGpsInitCheckBox->setChecked(m_settings.doNotInitialize);
  ui->GpsAutoRestartCheckBox->setChecked(m_settings.autoRestart);
  // OFF and TCP/IP have no serial framing; only TCP/IP uses the address.
  ui->TcpIpAddressGroupBox->setEnabled(m_settings.portName == QLatin1String("TCP/IP"));
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
  SaveSettings();
  done(1);
}

void GpsPortDialog::OnCancelClicked()
{
  SaveGeometry();
  LoadSettings();
  done(0);
}
