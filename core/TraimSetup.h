#pragma once
#include <QtGlobal>

// The T-RAIM parameters that the configuration and timing set-up send.
struct TraimSetup {
  quint8 outputRate = 0;    // T-RAIM status output rate (0 or 1)
  quint8 algorithmOn = 0;   // 0 off, 1 on
  quint16 alarmLimit = 10;  // units of 100 ns
  quint8 ppsControl = 1;    // 1PPS control mode: 1, 3, 5 or 7
};
