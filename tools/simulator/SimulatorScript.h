#pragma once
// A small text format for reply tables, read by riduder-sim --script.
//
// One rule a line; blank lines and lines starting with "#" are ignored:
//
//   prefix "@@Cj" -> "@@Cj" 29 0D 0A delay 100
//   whole  "$PMOTG,FOR,0*2A" -> "$PMOTG,FOR,0,OK" 0D 0A
//   prefix B5 62 0A 04 00 00 0E 34 -> B562 0A04 ...
//   prefix "@@Ab" -> "@@Ab" 0D 0A switch-rate 19200
//
// "prefix" fires when a message the program sent begins with the request,
// "whole" when it is the request (CR LF may be left out of the request).
// Bytes are written as quoted text (escapes \r \n \t \\ \" \xHH) and/or
// hexadecimal pairs, mixed freely. After the reply: "delay MS" waits before
// answering, "switch-rate BPS" makes the receiver talk at that rate from
// then on. The reply may be empty.

#include "tools/simulator/ReceiverSimulator.h"

#include <QList>
#include <QString>

namespace riduder::sim {

// Parses a whole script. On failure returns false and sets *error to
// "line N: reason"; *rules is then left unchanged.
bool ParseScript(const QString &text, QList<ScriptRule> *rules, QString *error);

}  // namespace riduder::sim
