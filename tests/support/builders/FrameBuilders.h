#pragma once
// Receiver messages as they travel on the wire, with correct checksums,
// computed here independently of the program's own checksum code.

#include <QByteArray>
#include <QtGlobal>

namespace riduder::test {

// "@@", the two identifier letters, the parameters, the XOR of identifier
// and parameters, CR LF.
QByteArray BuildOncoreWire(const QByteArray &identifier, const QByteArray &parameters);

// An Oncore message of the given total length (checksum and CR LF
// included), its parameters filled with `fill`.
QByteArray BuildOncoreWireOfLength(const QByteArray &identifier, int totalLength, char fill = 0);

// B5 62, class, identifier, little-endian length, payload, CK_A, CK_B.
QByteArray BuildUbxFrame(quint8 messageClass, quint8 identifier, const QByteArray &payload);

// "$", the body, "*hh" with upper-case hex, then the line end. The body is
// everything between "$" and "*", e.g. "GPGGA,1,2".
QByteArray BuildNmeaSentence(const QByteArray &body, const QByteArray &lineEnd = "\r\n");

// A sentence as the NMEA framer hands it to the decoder: "$", the body and
// "*hh", without the line end.
QByteArray FramedNmeaSentence(const QByteArray &body);

}  // namespace riduder::test
