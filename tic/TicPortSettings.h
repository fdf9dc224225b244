#pragma once
// The stored settings of one counter port (keys "TicPortDialog/TIC Serial
// Port <n> ..."): what the port dialog edits and what the counter
// connection reads each time its port (re)starts.

#include "platform/PortChoices.h"

#include <QByteArray>
#include <QString>

inline constexpr int TicPortCount = 8;
inline constexpr char TicPortGeometryKey[] = "TicPortDialog/geometry";

// The key of one setting of port 1 to 8; `suffix` is "" for the port name,
// else " DataRate", " StopBits", " DataBits", " Handshake", " Parity" or
// " TcpIp Address".
QString TicPortKey(int port, const char *suffix);

struct TicPortSettings {
  QString portName = QLatin1String(OffPortName);  // "OFF", "TCP/IP" or a serial port name
  int dataRate = 9600;  // bit/s
  int stopBits = 1;     // 1, 2
  int dataBits = 8;     // 7, 8
  int handshake = 0;    // 0 none, 1 Xon/Xoff, 2 RTS/CTS, 3 DTR/DSR
  int parity = 0;       // 0 none, 1 odd, 2 even, 3 mark, 4 space
  QByteArray tcpIpAddress;  // "a.b.c.d", "a.b.c.d:port" or empty

  // The values as stored (defaults for missing keys), unchecked.
  static TicPortSettings Load(int port);
  // Replaces each value outside its allowed set by its default.
  void Repair();
};
