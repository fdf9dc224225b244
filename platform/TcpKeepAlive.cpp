#include "platform/TcpKeepAlive.h"

#ifdef Q_OS_WIN
#include <winsock2.h>
#include <ws2tcpip.h>
using OptionValue = DWORD;
using NativeSocket = SOCKET;
#else
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
using OptionValue = int;
using NativeSocket = int;
#endif

namespace {

bool SetOption(qintptr descriptor, int level, int name, int value)
{
  const OptionValue native = OptionValue(value);
  return ::setsockopt(NativeSocket(descriptor), level, name, reinterpret_cast<const char *>(&native),
                      sizeof native) == 0;
}

int OptionOf(qintptr descriptor, int level, int name)
{
  OptionValue native = 0;
#ifdef Q_OS_WIN
  int size = sizeof native;
#else
  socklen_t size = sizeof native;
#endif
  if (::getsockopt(NativeSocket(descriptor), level, name, reinterpret_cast<char *>(&native), &size) != 0)
    return 0;
  return int(native);
}

bool SetUnacknowledgedLimit(qintptr descriptor, int milliseconds)
{
#if defined(TCP_USER_TIMEOUT)
  return SetOption(descriptor, IPPROTO_TCP, TCP_USER_TIMEOUT, milliseconds);
#elif defined(TCP_MAXRT)
  // Windows counts whole seconds.
  return SetOption(descriptor, IPPROTO_TCP, TCP_MAXRT, (milliseconds + 999) / 1000);
#else
  Q_UNUSED(descriptor);
  Q_UNUSED(milliseconds);
  return false;
#endif
}

int UnacknowledgedLimitOf(qintptr descriptor)
{
#if defined(TCP_USER_TIMEOUT)
  return OptionOf(descriptor, IPPROTO_TCP, TCP_USER_TIMEOUT);
#elif defined(TCP_MAXRT)
  return OptionOf(descriptor, IPPROTO_TCP, TCP_MAXRT) * 1000;
#else
  Q_UNUSED(descriptor);
  return 0;
#endif
}

}  // namespace

bool SetTcpKeepAlive(qintptr descriptor, const TcpKeepAliveTimes &times)
{
  bool ok = SetOption(descriptor, SOL_SOCKET, SO_KEEPALIVE, 1);
  ok = SetOption(descriptor, IPPROTO_TCP, TCP_KEEPIDLE, times.idleSeconds) && ok;
  ok = SetOption(descriptor, IPPROTO_TCP, TCP_KEEPINTVL, times.intervalSeconds) && ok;
  ok = SetOption(descriptor, IPPROTO_TCP, TCP_KEEPCNT, times.probes) && ok;
  if (times.unacknowledgedMs > 0)
    ok = SetUnacknowledgedLimit(descriptor, times.unacknowledgedMs) && ok;
  return ok;
}

TcpKeepAliveTimes TcpKeepAliveOf(qintptr descriptor)
{
  TcpKeepAliveTimes times;
  if (OptionOf(descriptor, SOL_SOCKET, SO_KEEPALIVE) != 0) {
    times.idleSeconds = OptionOf(descriptor, IPPROTO_TCP, TCP_KEEPIDLE);
    times.intervalSeconds = OptionOf(descriptor, IPPROTO_TCP, TCP_KEEPINTVL);
    times.probes = OptionOf(descriptor, IPPROTO_TCP, TCP_KEEPCNT);
  }
  times.unacknowledgedMs = UnacknowledgedLimitOf(descriptor);
  return times;
}
