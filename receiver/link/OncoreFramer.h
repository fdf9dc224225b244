#pragma once
// Cuts the Motorola Oncore binary stream into messages:
// "@@", two identifier letters, parameters, XOR checksum, CR LF.

#include "receiver/link/FramerSink.h"

#include <QByteArray>
#include <QByteArrayView>

struct OncoreMessageLength {
  char id[3];  // the two identifier letters
  int length;  // total bytes, "@@" through CR LF
};

// The total length of every known identifier (case-sensitive).
extern const OncoreMessageLength OncoreMessageLengthTable[];
extern const int OncoreMessageLengthTableSize;

// "@@Bb" grows with its satellite count: 7 bytes a satellite (at most 64)
// plus 8, and never below its table length of 92.
constexpr int OncoreBbBaseLength = 92;
int OncoreBbLength(int satelliteCount);

// The table length for the identifier in bytes 2 and 3, or -1 when unknown
// or when fewer than four bytes are given.
int MotorolaBinaryMessageLength(QByteArrayView message);

// True when a whole message (checksum and CR LF included) ends in CR LF and
// its checksum byte is the XOR of the bytes from offset 2 up to it. "@@Eq"
// needs only the CR LF.
bool MotorolaBinaryChecksumOk(QByteArrayView message);

class OncoreFramer
{
public:
  // Forgets a half-collected message.
  void Reset();

  // Consumes a chunk of any size; each good message goes to the sink without
  // its checksum byte and CR LF, as soon as its last byte arrives.
  void Process(QByteArrayView chunk, FramerSink &sink);

  // True when nothing is half collected.
  bool IsIdle() const { return m_pending.isEmpty(); }

private:
  // Bytes from the first "@" of the message being collected.
  QByteArray m_pending;
};
