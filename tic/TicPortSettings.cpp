#include "tic/TicPortSettings.h"

#include <QSettings>

QString TicPortKey(int port, const char *suffix)
{
  return QStringLiteral("TicPortDialog/TIC Serial Port %1%2").arg(port).arg(QLatin1String(suffix));
}

TicPortSettings TicPortSettings::Load(int port)
{
  const TicPortSettings defaults;
  QSettings s;
  TicPortSettings loaded;
  loaded.portName = s.value(TicPortKey(port, ""), defaults.portName).toString();
  loaded.dataRate = s.value(TicPortKey(port, " DataRate"), defaults.dataRate).toInt();
  loaded.stopBits = s.value(TicPortKey(port, " StopBits"), defaults.stopBits).toInt();
  loaded.dataBits = s.value(TicPortKey(port, " DataBits"), defaults.dataBits).toInt();
  loaded.handshake = s.value(TicPortKey(port, " Handshake"), defaults.handshake).toInt();
  loaded.parity = s.value(TicPortKey(port, " Parity"), defaults.parity).toInt();
  loaded.tcpIpAddress = s.value(TicPortKey(port, " TcpIp Address"), defaults.tcpIpAddress).toByteArray();
  return loaded;
}

void TicPortSettings::Repair()
{
  const TicPortSettings defaults;
  if (stopBits != 1 && stopBits != 2)
    stopBits = defaults.stopBits;
  if (dataBits != 7 && dataBits != 8)
    dataBits = defaults.dataBits;
  if (handshake < 0 || handshake > 3)
    handshake = defaults.handshake;
  if (parity < 0 || parity > 4)
    parity = defaults.parity;
  if (!SerialDataRates().contains(dataRate))
    dataRate = defaults.dataRate;
}
