#pragma once
// The address of a counter on TCP/IP: "a.b.c.d" or "a.b.c.d:port", each
// number read as C's "%i" reads it (optional sign; octal after a leading 0,
// hexadecimal after 0x). One reading serves the port dialog's check and the
// connection, so the connection reaches the address the check accepted.

#include <QByteArray>
#include <QString>

inline constexpr quint16 DefaultTicTcpPort = 5024;

struct TicTcpIpAddress {
  bool valid = false;  // four or five fields, all in range, nothing else after them
  int fields = 0;      // numbers read before the text stopped fitting
  int octets[4] = {0, 0, 0, 0};
  int port = 0;        // the fifth field, when read

  // The four octets written as dotted decimal.
  QString Host() const;
  // The fifth field, or DefaultTicTcpPort when there is none.
  quint16 TcpPort() const;
};

// Reads the text. Valid: four numbers 0 to 255 separated by ".", then the
// end, a lone ":" or ":" and a number 0 to 65535 at the end.
TicTcpIpAddress ParseTcpIpAddress(const QByteArray &text);
