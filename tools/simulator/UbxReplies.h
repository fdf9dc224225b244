#pragma once
// UBX frames a simulated u-blox receiver sends back.

#include "tools/simulator/ReceiverSimulator.h"

#include <QByteArray>
#include <QList>

namespace riduder::sim {

// A whole frame: B5 62, class, identifier, little-endian length, payload
// and the two Fletcher checksum bytes.
QByteArray UbxFrame(quint8 messageClass, quint8 messageId, const QByteArray &payload = {});

// MON-VER: the software version in 30 bytes, the hardware version in 10,
// then one 30-byte block per extension (each zero-padded, cut to fit).
QByteArray MonVerFrame(const QByteArray &software, const QByteArray &hardware,
                       const QList<QByteArray> &extensions = {});

// A u-blox 8 style identification: "ROM CORE 3.01 (107888)", "00080000",
// "PROTVER=18.00".
QByteArray SampleMonVerFrame();

// Answers the MON-VER poll (the program sends it followed by CR LF) with
// SampleMonVerFrame().
ScriptRule MonVerPollRule();

}  // namespace riduder::sim
