#pragma once
// The stored receiver-port settings (keys "GpsPortDialog/..."): what the
// port dialog shows and what the receiver port reads when it opens.

#include "platform/PortChoices.h"

#include <QList>
#include <QString>

namespace GpsPortKeys {
inline constexpr char PortName[] = "GpsPortDialog/GPS Serial Port";
inline constexpr char Mode[] = "GpsPortDialog/GPS Serial Port Mode";
inline constexpr char PpsInterface[] = "GpsPortDialog/GPS Serial Port PPS Interface";
inline constexpr char StopBits[] = "GpsPortDialog/GPS Serial Port StopBits";
inline constexpr char DataBits[] = "GpsPortDialog/GPS Serial Port DataBits";
inline constexpr char Handshake[] = "GpsPortDialog/GPS Serial Port Handshake";
inline constexpr char Parity[] = "GpsPortDialog/GPS Serial Port Parity";
inline constexpr char DataRate[] = "GpsPortDialog/GPS Serial Port DataRate";
inline constexpr char TcpIpAddress[] = "GpsPortDialog/GPS Serial Port TcpIp Address";
inline constexpr char DoNotInitialize[] = "GpsPortDialog/GPS Do Not Initialize";
inline constexpr char AutoRestart[] = "GpsPortDialog/GPS AutoRestart";
inline constexpr char Geometry[] = "GpsPortDialog/geometry";
}  // namespace GpsPortKeys

struct GpsPortSettings {
  QString portName = QLatin1String(OffPortName);  // "OFF", "TCP/IP" or a port name
  QString modeText = QStringLiteral("Motorola Binary");  // a GpsMode name
  int ppsInterface = 1;  // 0 none, 1 DCD, 2 CTS, 3 DSR
  int stopBits = 1;      // 1, 2
  int dataBits = 8;      // 7, 8
  int handshake = 0;     // 0 none, 1 Xon/Xoff, 2 RTS/CTS, 3 DTR/DSR
  int parity = 0;        // 0 none, 1 odd, 2 even, 3 mark, 4 space
  int dataRate = 9600;   // bit/s; the "115k bps" entry is 115000
  QString tcpIpAddress;  // "a.b.c.d", "a.b.c.d:port" or empty
  bool doNotInitialize = false;
  bool autoRestart = true;

  // Every key from the default QSettings, with the defaults above.
  void Load();
  // Every key (but the geometry) to the default QSettings.
  void Save() const;

  // The data rates the port dialog offers, 115000 included.
  static const QList<int> &DataRates();
  static bool IsDataRate(int rate);

  // Stores a data rate at once. A rate not in DataRates() gives the warning
  // "GpsPortDialog::SetBaud bad argument == <rate>", sets 9600 and writes
  // nothing. Returns whether the rate was accepted.
  bool SetBaud(int rate);

  // Stores a mode's name at once. A code without a name gives the warning
  // "GpsPortDialog::Set Mode bad argument == <mode>" and changes nothing.
  bool SetMode(int mode);

  // The GpsMode of the stored text; 11 "Search" for "Motorola LORAN",
  // "Search" and any text that names no mode.
  int Mode() const;
};
