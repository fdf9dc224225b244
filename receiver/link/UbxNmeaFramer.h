#pragma once
// Cuts a u-blox or NMEA stream into UBX frames (B5 62 class id length
// payload CK_A CK_B) and NMEA sentences ("$" ... optional "*hh", then CR, LF
// or both).

#include "receiver/link/FramerSink.h"

#include <QByteArray>
#include <QByteArrayView>

// Frames with a longer payload are dropped at their length field.
constexpr int UbxMaxPayloadLength = 1024;
// Sentences longer than this (counted after "$") are dropped.
constexpr int NmeaMaxSentenceLength = 255;

// True for a whole UBX frame of at least 8 bytes whose last two bytes are the
// Fletcher sum of the bytes from the class byte up to them.
bool UbxChecksumOk(QByteArrayView frame);

// The test of a sentence without its line end: with "*" third from the end
// the last two bytes must be the XOR of the bytes between "$" and "*" in
// upper-case hex; without any "*" only "$GP..." and "$P..." sentences that
// hold a "," pass; a "*" anywhere else fails.
bool NmeaChecksumOk(QByteArrayView sentence);

// Bytes an NMEA sentence may hold: printable Latin-1.
inline bool IsNmeaPrintable(unsigned char c)
{
  return (c >= 0x20 && c <= 0x7E) || (c >= 0xA0 && c != 0xAD);
}

class UbxNmeaFramer
{
public:
  // Forgets a half-collected frame or sentence.
  void Reset();

  // Consumes a chunk of any size. With nmeaOnly the stream is taken for NMEA
  // alone; otherwise frames and sentences are delivered in arrival order.
  // UBX frames go to the sink whole, sentences without their line end.
  void Process(QByteArrayView chunk, bool nmeaOnly, FramerSink &sink);

  bool IsIdle() const { return m_pending.isEmpty(); }

private:
  // Bytes from the first byte (0xB5 or "$") of what is being collected.
  QByteArray m_pending;
};
