#include "receiver/link/OncoreFramer.h"

#include "receiver/link/Checksums.h"
#include "receiver/link/FramerInput.h"

#include <cstring>

const OncoreMessageLength OncoreMessageLengthTable[] = {
  {"AA", 8}, {"AB", 8}, {"AC", 9}, {"AD", 9}, {"AE", 8}, {"AJ", 8}, {"AM", 11}, {"AN", 8},
  {"AO", 8}, {"AP", 8}, {"AQ", 8}, {"AS", 8}, {"Aa", 10}, {"Ab", 10}, {"Ac", 11}, {"Ad", 11},
  {"Ae", 11}, {"Af", 15}, {"Ag", 8}, {"Ah", 8}, {"Ai", 9}, {"Aj", 8}, {"Ak", 9}, {"Al", 9},
  {"Am", 12}, {"An", 8}, {"Ap", 25}, {"Aq", 8}, {"Ar", 8}, {"As", 20}, {"At", 8}, {"Au", 12},
  {"Av", 8}, {"Aw", 8}, {"Ax", 9}, {"Ay", 11}, {"Az", 11},
  {"Ba", 68}, {"Bb", OncoreBbBaseLength}, {"Bc", 82}, {"Bd", 23}, {"Bf", 80}, {"Bg", 122},
  {"Bj", 8}, {"Bk", 69}, {"Bl", 41}, {"Bn", 59}, {"Bo", 8},
  {"Ca", 9}, {"Cb", 33}, {"Cc", 80}, {"Cd", 171}, {"Ce", 52}, {"Cf", 7}, {"Cg", 8}, {"Ch", 9},
  {"Cj", 294}, {"Ck", 7}, {"Co", 29},
  {"Ea", 76}, {"Ec", 100}, {"Eg", 158}, {"Ek", 71}, {"En", 69}, {"Eq", 96},
  {"Fa", 9}, {"Fd", 189},
  {"Ga", 20}, {"Gb", 17}, {"Gc", 8}, {"Gd", 8}, {"Ge", 8}, {"Gf", 9}, {"Gj", 21}, {"Gk", 13},
  {"Gl", 264},
  {"Ha", 154}, {"Hb", 54}, {"Hn", 78}, {"Hr", 170},
  {"Ia", 10}, {"Ip", 127}, {"Ir", 7},
  {"SP", 11}, {"Sa", 184}, {"Sc", 8}, {"Sm", 8}, {"So", 8}, {"Sp", 8}, {"St", 8}, {"Sx", 8},
  {"Sz", 8},
  {"Tf", 12}, {"Ti", 21}, {"Tj", 27}, {"Tk", 65}, {"Tm", 19}, {"Tn", 11}, {"To", 142},
  {"Tq", 7}, {"Tr", 597}, {"Ts", 17},
  {"Wb", 9}, {"Wm", 22}, {"Wo", 9}, {"Ws", 18},
};
const int OncoreMessageLengthTableSize =
    int(sizeof(OncoreMessageLengthTable) / sizeof(OncoreMessageLengthTable[0]));

namespace {

// Identifier letters -> total length, filled once from the table.
struct LengthLookup {
  short lengths[128][128];
  LengthLookup()
  {
    std::memset(lengths, 0, sizeof(lengths));
    for (int i = 0; i < OncoreMessageLengthTableSize; ++i) {
      const OncoreMessageLength &e = OncoreMessageLengthTable[i];
      lengths[int(e.id[0])][int(e.id[1])] = short(e.length);
    }
  }
};

const LengthLookup &Lookup()
{
  static const LengthLookup lookup;
  return lookup;
}

constexpr char CR = '\r';
constexpr char LF = '\n';

}  // namespace

int OncoreBbLength(int satelliteCount)
{
  const int n = satelliteCount < 0 ? 0 : (satelliteCount > 64 ? 64 : satelliteCount);
  const int length = 7 * n + 8;
  return length > OncoreBbBaseLength ? length : OncoreBbBaseLength;
}

int MotorolaBinaryMessageLength(QByteArrayView message)
{
  if (message.size() < 4)
    return -1;
  const unsigned char a = static_cast<unsigned char>(message[2]);
  const unsigned char b = static_cast<unsigned char>(message[3]);
  if (a >= 128 || b >= 128)
    return -1;
  const int length = Lookup().lengths[a][b];
  return length > 0 ? length : -1;
}

bool MotorolaBinaryChecksumOk(QByteArrayView message)
{
  const qsizetype n = message.size();
  if (n < 3 || message[n - 2] != CR || message[n - 1] != LF)
    return false;
  // "@@Eq" is accepted whatever its checksum byte says.
  if (n >= 4 && message.first(4) == QByteArrayView("@@Eq"))
    return true;
  if (n < 7)
    return false;
  return OncoreChecksum(message.sliced(2, n - 5)) == static_cast<quint8>(message[n - 3]);
}

void OncoreFramer::Reset()
{
  m_pending.clear();
}

namespace {

enum class Candidate { NeedMore, Bad, Good };

// Examines the message that may start at data[0] == '@'. On Good, *length
// is its total length.
Candidate Examine(QByteArrayView data, int *length)
{
  const qsizetype avail = data.size();
  if (avail < 2)
    return Candidate::NeedMore;
  if (data[1] != '@')
    return Candidate::Bad;
  if (avail < 4)
    return Candidate::NeedMore;
  int expected = MotorolaBinaryMessageLength(data);
  if (expected < 0)
    return Candidate::Bad;
  if (data[2] == 'B' && data[3] == 'b') {
    if (avail < 5)
      return Candidate::NeedMore;
    const int full = OncoreBbLength(static_cast<unsigned char>(data[4]));
    if (full > OncoreBbBaseLength) {
      // Some receivers report more satellites than the short form holds
      // and still send the short form: take it when it checks out there.
      if (avail < OncoreBbBaseLength)
        return Candidate::NeedMore;
      if (MotorolaBinaryChecksumOk(data.first(OncoreBbBaseLength))) {
        *length = OncoreBbBaseLength;
        return Candidate::Good;
      }
      expected = full;
    }
  }
  if (avail < expected)
    return Candidate::NeedMore;
  if (!MotorolaBinaryChecksumOk(data.first(expected)))
    return Candidate::Bad;
  *length = expected;
  return Candidate::Good;
}

}  // namespace

void OncoreFramer::Process(QByteArrayView chunk, FramerSink &sink)
{
  FramerInput input(m_pending, chunk, sink);
  const QByteArrayView data = input.Data();

  qsizetype pos = 0;
  const qsizetype size = data.size();
  while (pos < size) {
    const void *hit = std::memchr(data.data() + pos, '@', size_t(size - pos));
    if (!hit)
      break;
    const qsizetype start = static_cast<const char *>(hit) - data.data();
    int length = 0;
    switch (Examine(data.sliced(start), &length)) {
    case Candidate::NeedMore:
      input.KeepFrom(start);
      return;
    case Candidate::Bad:
      // A real message may begin inside a false start.
      pos = start + 1;
      break;
    case Candidate::Good:
      sink.OnFramedMessage(data.sliced(start, length - 3).toByteArray());
      pos = start + length;
      break;
    }
    sink.OnMessageBoundary();
  }
}
