#pragma once
// TCP keep-alive with times of our own on a connected socket, so that the
// system ends a connection whose peer vanished without closing it (power
// cut, cable) instead of keeping it for hours: keep-alive for an idle
// connection, the user timeout for one whose sent data goes unacknowledged
// (keep-alive never probes while data waits for its acknowledgement).

#include <QtGlobal>

struct TcpKeepAliveTimes {
  int idleSeconds = 0;      // silence before the first probe
  int intervalSeconds = 0;  // between probes
  int probes = 0;           // unanswered probes that end the connection
  // Sent data (or window probes) left unacknowledged this long ends the
  // connection; 0 leaves it to the system's retransmission limit.
  int unacknowledgedMs = 0;
};

// Switches keep-alive on for the socket `descriptor` with `times`, and sets
// the user timeout; false when the system refused an option.
bool SetTcpKeepAlive(qintptr descriptor, const TcpKeepAliveTimes &times);
// The times in force on `descriptor`; the keep-alive ones are all 0 when
// keep-alive is off, and what cannot be read is 0.
TcpKeepAliveTimes TcpKeepAliveOf(qintptr descriptor);
