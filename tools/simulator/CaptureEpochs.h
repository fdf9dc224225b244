#pragma once
// The epochs of a receiver capture, for replaying it at the receiver's own
// pace: one epoch a second.

#include <QByteArray>
#include <QList>

namespace riduder::sim {

// The byte offsets where the epochs of `stream` begin, the first always 0.
// An epoch is the run of messages between two changes of the capture's own
// time: the time of the Oncore position messages ("@@Ha", "@@Ea", "@@Ba"),
// else the iTOW of the UBX NAV messages, else the time field of the NMEA
// sentences, whichever the capture has first in that order (a UBX capture
// mixed with NMEA is timed by its UBX messages alone). Messages are taken
// only whole and with a correct checksum.
QList<qint64> EpochStarts(const QByteArray &stream);

// The most bytes one epoch of `stream` has.
qint64 LongestEpochBytes(const QByteArray &stream);

// The data rate a demo replays `stream` at: the lowest of 9600, 19200,
// 38400, 57600 and 115200 bit/s that carries its longest epoch within a
// second (ten bits a byte), so that its time runs at its own speed; 115200
// when none does.
int DemoRateFor(const QByteArray &stream);

}  // namespace riduder::sim
