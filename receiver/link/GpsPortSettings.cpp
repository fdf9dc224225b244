#include "receiver/link/GpsPortSettings.h"

#include "core/GpsMode.h"

#include <QSettings>
#include <QtDebug>

void GpsPortSettings::Load()
{
  const GpsPortSettings defaults;
  QSettings s;
  portName = s.value(GpsPortKeys::PortName, defaults.portName).toString();
  modeText = s.value(GpsPortKeys::Mode, defaults.modeText).toString();
  ppsInterface = s.value(GpsPortKeys::PpsInterface, defaults.ppsInterface).toInt();
  stopBits = s.value(GpsPortKeys::StopBits, defaults.stopBits).toInt();
  dataBits = s.value(GpsPortKeys::DataBits, defaults.dataBits).toInt();
  handshake = s.value(GpsPortKeys::Handshake, defaults.handshake).toInt();
  parity = s.value(GpsPortKeys::Parity, defaults.parity).toInt();
  dataRate = s.value(GpsPortKeys::DataRate, defaults.dataRate).toInt();
  tcpIpAddress = s.value(GpsPortKeys::TcpIpAddress, defaults.tcpIpAddress).toString();
  doNotInitialize = s.value(GpsPortKeys::DoNotInitialize, defaults.doNotInitialize).toBool();
  autoRestart = s.value(GpsPortKeys::AutoRestart, defaults.autoRestart).toBool();
}

void GpsPortSettings::Save() const
{
  QSettings s;
  s.setValue(GpsPortKeys::PortName, portName);
  s.setValue(GpsPortKeys::Mode, modeText);
  s.setValue(GpsPortKeys::PpsInterface, ppsInterface);
  s.setValue(GpsPortKeys::StopBits, stopBits);
  s.setValue(GpsPortKeys::DataBits, dataBits);
  s.setValue(GpsPortKeys::Handshake, handshake);
  s.setValue(GpsPortKeys::Parity, parity);
  s.setValue(GpsPortKeys::DataRate, dataRate);
  s.setValue(GpsPortKeys::TcpIpAddress, tcpIpAddress);
  s.setValue(GpsPortKeys::DoNotInitialize, doNotInitialize);
  s.setValue(GpsPortKeys::AutoRestart, autoRestart);
}

const QList<int> &GpsPortSettings::DataRates()
{
  return SerialDataRates();
}

bool GpsPortSettings::IsDataRate(int rate)
{
  return DataRates().contains(rate);
}

bool GpsPortSettings::SetBaud(int rate)
{
  if (!IsDataRate(rate)) {
    qWarning("GpsPortDialog::SetBaud bad argument == %i", rate);
    dataRate = 9600;
    return false;
  }
  dataRate = rate;
  QSettings().setValue(GpsPortKeys::DataRate, dataRate);
  return true;
}

bool GpsPortSettings::SetMode(int mode)
{
  if (mode < 0 || !IsValidGpsMode(quint32(mode))) {
    qWarning("GpsPortDialog::Set Mode bad argument == %i", mode);
    return false;
  }
  modeText = GpsModeName(quint32(mode));
  QSettings().setValue(GpsPortKeys::Mode, modeText);
  return true;
}

int GpsPortSettings::Mode() const
{
  return int(GpsModeFromName(modeText));
}
