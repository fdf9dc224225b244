#pragma once
// The checksums of the three receiver protocols, shared by the framers, the
// command layer and the manual command window.

#include <QByteArray>
#include <QByteArrayView>
#include <QtGlobal>

// XOR of the given bytes: the NMEA sum of the text between "$" and "*".
quint8 NmeaChecksum(QByteArrayView bytes);

// The NMEA sum as its two upper-case hexadecimal digits ("%2.2X").
QByteArray NmeaChecksumHex(quint8 sum);

// A sentence ending "*hh": whether hh is the NMEA sum of the bytes after
// the first one up to the "*". False for any other sentence.
bool NmeaStarChecksumMatches(QByteArrayView sentence);

// XOR of the given bytes: the Oncore sum of the identifier and parameters.
quint8 OncoreChecksum(QByteArrayView bytes);

// The 8-bit Fletcher sum of UBX over the given bytes (class, identifier,
// length and payload).
struct UbxChecksumPair {
  quint8 ckA = 0;
  quint8 ckB = 0;
};
UbxChecksumPair UbxChecksum(QByteArrayView bytes);

// Completes "$..." with "*hh". Needs at least 7 bytes beginning "$"; an old
// "*hh" tail is cut first, so the sentence never carries two. Returns false,
// leaving the sentence unchanged, when it does not apply.
bool AppendNmeaChecksum(QByteArray &sentence);

// Appends CK_A and CK_B to a frame from its 0xB5 0x62 sync bytes up to its
// payload. Needs at least 4 bytes beginning 0xB5 0x62; false and unchanged
// otherwise.
bool AppendUbxChecksum(QByteArray &frame);

// Appends the checksum byte to "@@", the identifier and the parameters: the
// XOR of every byte after "@@". Needs at least 4 bytes beginning "@"; false
// and unchanged otherwise.
bool AppendOncoreChecksum(QByteArray &message);
