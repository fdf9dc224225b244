#pragma once
// What the receiver port dialog and the counter port dialog share: the two
// port-list entries that name no serial device, the data rates on offer,
// the wording of a refused TCP/IP address and the seam its box goes through.

#include <QList>
#include <QString>

#include <functional>

// The two entries of a port list that name no serial device.
inline constexpr char OffPortName[] = "OFF";
inline constexpr char TcpIpPortName[] = "TCP/IP";

inline bool NamesSerialDevice(const QString &portName)
{
  return portName != QLatin1String(OffPortName) && portName != QLatin1String(TcpIpPortName);
}

// The data rates the port dialogs offer, in bit/s; the "115k bps" entry is
// 115000, not 115200.
const QList<int> &SerialDataRates();

// The box for an address text the check refused: its title, and its text
// with the typed address.
QString IllegalIpAddressTitle();
QString IllegalIpAddressText(const QString &typed);

// Warning boxes of the port dialogs go through this seam so that they can be
// recorded instead of blocking on a modal box. Empty: a modal box.
using PortWarningHandler = std::function<void(const QString &title, const QString &text)>;
