#pragma once
// Settings that connect the program to a simulator, for demonstrations.

#include <QString>

class QSettings;

namespace riduder::sim {

// Writes the program's receiver-port settings (the keys of its port dialog)
// so that it opens `portName` at `dataRate` in the protocol mode named
// `modeName`, with 8 data bits, 1 stop bit, no parity, no handshake and no
// 1PPS line (a pseudo-terminal has no modem lines).
void WriteReceiverPortSettings(QSettings &settings, const QString &portName, const QString &modeName,
                               int dataRate);

}  // namespace riduder::sim
