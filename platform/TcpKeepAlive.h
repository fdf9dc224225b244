#pragma once
// TCP keep-alive with times of our own on a connected socket, so that the
// system ends a connection whose peer vanished without closing it (power
// cut, cable) instead of keeping it for hours.

#include <QtGlobal>

struct TcpKeepAliveTimes {
  int idleSeconds = 0;      // silence before the first probe
  int intervalSeconds = 0;  // between probes
  int probes = 0;           // unanswered probes that end the connection
};

// Switches keep-alive on for the socket `descriptor` with `times`; false
// when the system refused an option.
bool SetTcpKeepAlive(qintptr descriptor, const TcpKeepAliveTimes &times);
// The keep-alive times in force on `descriptor`; all 0 when keep-alive is
// off or cannot be read.
TcpKeepAliveTimes TcpKeepAliveOf(qintptr descriptor);
