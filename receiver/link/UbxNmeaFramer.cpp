#include "receiver/link/UbxNmeaFramer.h"

#include "receiver/link/Checksums.h"
#include "receiver/link/FramerInput.h"

#include <cstring>

namespace {

constexpr unsigned char UbxSync1 = 0xB5;
constexpr unsigned char UbxSync2 = 0x62;
constexpr int UbxOverhead = 8;  // sync, class, id, length, CK_A, CK_B

enum class Candidate { NeedMore, Bad, Good };

// A UBX frame starting at data[0] == 0xB5. On Good, *length is its size.
Candidate ExamineUbx(QByteArrayView data, qsizetype *length)
{
  const qsizetype avail = data.size();
  if (avail < 2)
    return Candidate::NeedMore;
  if (static_cast<unsigned char>(data[1]) != UbxSync2)
    return Candidate::Bad;
  if (avail < 6)
    return Candidate::NeedMore;
  const int payload = static_cast<unsigned char>(data[4]) | (static_cast<unsigned char>(data[5]) << 8);
  if (payload > UbxMaxPayloadLength)
    return Candidate::Bad;
  const qsizetype total = payload + UbxOverhead;
  if (avail < total)
    return Candidate::NeedMore;
  if (!UbxChecksumOk(data.first(total)))
    return Candidate::Bad;
  *length = total;
  return Candidate::Good;
}

// An NMEA sentence starting at data[0] == '$'. Good and Bad both give in
// *length the bytes to deliver or drop; the byte that ended the sentence
// (line end, control byte, or the byte past the length limit) is left to
// the search.
Candidate ExamineNmea(QByteArrayView data, qsizetype *length)
{
  const qsizetype avail = data.size();
  const qsizetype limit = qMin<qsizetype>(avail, NmeaMaxSentenceLength + 2);
  for (qsizetype i = 1; i < limit; ++i) {
    const unsigned char c = static_cast<unsigned char>(data[i]);
    if (c == '\r' || c == '\n') {
      *length = i;
      return NmeaChecksumOk(data.first(i)) ? Candidate::Good : Candidate::Bad;
    }
    if (!IsNmeaPrintable(c) || i > NmeaMaxSentenceLength) {
      *length = i;
      return Candidate::Bad;
    }
  }
  return Candidate::NeedMore;
}

// The first byte from `pos` that may start a frame or a sentence, or -1.
qsizetype FindStart(QByteArrayView data, qsizetype pos, bool nmeaOnly)
{
  const char *begin = data.data();
  const qsizetype size = data.size();
  if (nmeaOnly) {
    const void *hit = std::memchr(begin + pos, '$', size_t(size - pos));
    return hit ? static_cast<const char *>(hit) - begin : -1;
  }
  for (qsizetype i = pos; i < size; ++i) {
    const unsigned char c = static_cast<unsigned char>(begin[i]);
    if (c == UbxSync1 || c == '$')
      return i;
  }
  return -1;
}

}  // namespace

bool UbxChecksumOk(QByteArrayView frame)
{
  const qsizetype n = frame.size();
  if (n < UbxOverhead)
    return false;
  const UbxChecksumPair ck = UbxChecksum(frame.sliced(2, n - 4));
  return ck.ckA == static_cast<quint8>(frame[n - 2]) && ck.ckB == static_cast<quint8>(frame[n - 1]);
}

bool NmeaChecksumOk(QByteArrayView sentence)
{
  const qsizetype n = sentence.size();
  if (n < 3)
    return false;
  if (sentence[n - 3] == '*')
    return NmeaStarChecksumMatches(sentence);
  if (sentence.contains('*'))
    return false;
  return (sentence.startsWith("$GP") || sentence.startsWith("$P")) && sentence.contains(',');
}

void UbxNmeaFramer::Reset()
{
  m_pending.clear();
}

void UbxNmeaFramer::Process(QByteArrayView chunk, bool nmeaOnly, FramerSink &sink)
{
  FramerInput input(m_pending, chunk, sink);
  const QByteArrayView data = input.Data();

  qsizetype pos = 0;
  const qsizetype size = data.size();
  while (pos < size) {
    const qsizetype start = FindStart(data, pos, nmeaOnly);
    if (start < 0)
      break;
    const bool ubx = static_cast<unsigned char>(data[start]) == UbxSync1;
    qsizetype length = 0;
    const Candidate result =
        ubx ? ExamineUbx(data.sliced(start), &length) : ExamineNmea(data.sliced(start), &length);
    switch (result) {
    case Candidate::NeedMore:
      input.KeepFrom(start);
      return;
    case Candidate::Bad:
      // A frame may begin inside a false UBX start, or inside text that a
      // frame's binary bytes broke off; a failed sentence is otherwise
      // dropped up to the byte that ended it.
      if (ubx) {
        pos = start + 1;
      } else {
        pos = start + length;
        if (!nmeaOnly) {
          const void *sync = std::memchr(data.data() + start + 1, UbxSync1, size_t(length - 1));
          if (sync)
            pos = static_cast<const char *>(sync) - data.data();
        }
      }
      break;
    case Candidate::Good:
      sink.OnFramedMessage(data.sliced(start, length).toByteArray());
      pos = start + length;
      break;
    }
    sink.OnMessageBoundary();
  }
}
