#include "tic/TicTcpIpAddress.h"

#include <cctype>

namespace {

// A reader of "%i" numbers: leading white space, an optional sign, then
// hexadecimal after 0x/0X, octal after a leading 0, decimal otherwise.
struct NumberScanner {
  const QByteArray &text;
  int pos = 0;

  bool AtEnd() const { return pos >= text.size(); }
  char Peek(int ahead = 0) const { return pos + ahead < text.size() ? text.at(pos + ahead) : '\0'; }

  bool Literal(char c)
  {
    if (Peek() != c || AtEnd())
      return false;
    ++pos;
    return true;
  }

  // The number read, saturated far beyond any range checked here.
  bool Number(qint64 *value)
  {
    while (!AtEnd() && std::isspace(static_cast<unsigned char>(Peek())))
      ++pos;
    bool negative = false;
    if (Peek() == '+' || Peek() == '-') {
      negative = Peek() == '-';
      ++pos;
    }
    int base = 10;
    if (Peek() == '0' && (Peek(1) == 'x' || Peek(1) == 'X') && std::isxdigit(static_cast<unsigned char>(Peek(2)))) {
      base = 16;
      pos += 2;
    } else if (Peek() == '0') {
      base = 8;
    }
    const int start = pos;
    qint64 result = 0;
    for (; !AtEnd(); ++pos) {
      const char c = Peek();
      int digit = -1;
      if (c >= '0' && c <= '9')
        digit = c - '0';
      else if (base == 16 && c >= 'a' && c <= 'f')
        digit = c - 'a' + 10;
      else if (base == 16 && c >= 'A' && c <= 'F')
        digit = c - 'A' + 10;
      if (digit < 0 || digit >= base)
        break;
      result = qMin<qint64>(result * base + digit, qint64(1) << 40);
    }
    if (pos == start)
      return false;
    *value = negative ? -result : result;
    return true;
  }
};

}  // namespace

QString TicTcpIpAddress::Host() const
{
  return QStringLiteral("%1.%2.%3.%4").arg(octets[0]).arg(octets[1]).arg(octets[2]).arg(octets[3]);
}

quint16 TicTcpIpAddress::TcpPort() const
{
  return fields == 5 ? quint16(port) : DefaultTicTcpPort;
}

TicTcpIpAddress ParseTcpIpAddress(const QByteArray &text)
{
  TicTcpIpAddress address;
  NumberScanner scan{text};
  bool inRange = true;
  for (int i = 0; i < 4; ++i) {
    qint64 value = 0;
    if ((i > 0 && !scan.Literal('.')) || !scan.Number(&value))
      return address;
    address.octets[i] = int(qBound(qint64(-1), value, qint64(256)));
    inRange = inRange && value >= 0 && value <= 255;
    address.fields = i + 1;
  }
  if (scan.Literal(':') && !scan.AtEnd()) {
    qint64 value = 0;
    if (!scan.Number(&value))
      return address;
    address.port = int(qBound(qint64(-1), value, qint64(65536)));
    inRange = inRange && value >= 0 && value <= 65535;
    address.fields = 5;
  }
  address.valid = inRange && scan.AtEnd();
  return address;
}
