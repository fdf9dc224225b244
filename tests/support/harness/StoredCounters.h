#pragma once
// Counter ports stored as the port dialog stores them, for tests that run
// the counter connection on a counter simulator.

#include "tic/TicPortSettings.h"

#include <QByteArray>
#include <QSettings>

namespace riduder::test {

// Port `port` (1 to 8) reads a counter over TCP/IP at `address`
// ("a.b.c.d" or "a.b.c.d:port").
inline void StoreTcpCounter(int port, const QByteArray &address)
{
  QSettings s;
  s.setValue(TicPortKey(port, ""), QLatin1String(TcpIpPortName));
  s.setValue(TicPortKey(port, " TcpIp Address"), address);
}

}  // namespace riduder::test
