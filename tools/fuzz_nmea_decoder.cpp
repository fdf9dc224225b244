// libFuzzer target: the NMEA decoder behind the UBX/NMEA framer in its
// NMEA mode, on arbitrary bytes. Each input gets a receiver state as built
// and a host that does nothing (made once, reset per input); the sentences
// go through once with the text and log paths closed and once with them
// open. The decoder also gets every
// line of the input as it is (no checksum, any characters), as replayed
// input may give it. The burst and ZDA windows run on a fake monotonic
// clock that moves by varying steps between sentences.

#include "core/ReceiverReplyFlags.h"
#include "receiver/decode/NmeaDecoder.h"
#include "receiver/link/UbxNmeaFramer.h"
#include "tests/support/fakes/FakeTimeSource.h"
#include "tools/fuzz_support.h"

namespace {

using Decoding = fuzz::Decoding<NmeaDecoder>;

void Decode(NmeaDecoder &decoder, FakeTimeSource &clock, const QByteArray &sentence)
{
  decoder.Decode(sentence);
  // Most steps stay inside a 1.5 s window, some leave it.
  clock.Advance((sentence.size() * 131) % 1700);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
  const QByteArrayView input = fuzz::Input(data, size);
  FakeTimeSource clock;
  ScopedTimeSourceOverride clockOverride(&clock);
  ResetProgramWideState();
  ExpectedNmeaReplyTag = QByteArrayLiteral("GGA");
  const QList<QByteArray> sentences = fuzz::Frame<UbxNmeaFramer>({input}, true);
  static Decoding decoding;
  for (bool open : {false, true}) {
    NmeaDecoder &decoder = decoding.Reset(open);
    for (const QByteArray &sentence : sentences)
      Decode(decoder, clock, sentence);
  }

  NmeaDecoder &lines = decoding.Reset(true);
  for (const QByteArray &line : input.toByteArray().split('\n'))
    Decode(lines, clock, line);
  decoding.Release();
  return 0;
}
