#pragma once
// Reading receiver capture files for replay.

#include <QByteArray>
#include <QString>

namespace riduder::sim {

// The receiver's bytes in a capture file: everything after its leading block
// of lines that start with "#" (only that block: "#" inside binary frames
// stays).
QByteArray ReceiverBytes(const QByteArray &fileContents);

// The protocol mode name that shows the capture without any reply from the
// receiver: "Motorola Binary Rx Only" for Oncore binary, "u-blox UBX" for
// UBX (mixed with NMEA or not), "Generic NMEA" otherwise. A capture kept in
// an "oncore", "ubx" or "nmea" folder is taken by its folder.
QString DemoModeFor(const QString &path, const QByteArray &receiverBytes);

}  // namespace riduder::sim
