// libFuzzer target: the Oncore decoder behind its framer, on arbitrary
// bytes. Each input gets a receiver state as built and a host that does
// nothing (made once, reset per input); the first byte picks the receiver
// model. The framed messages go
// through once with the text, identification and log paths closed and once
// with them open. The decoder also gets the input
// cut at every "@@" into messages of any length, as replayed or damaged
// input may give it. Under AddressSanitizer any read past a message stops
// the run.

#include "core/ReceiverIdentity.h"
#include "core/ReceiverReplyFlags.h"
#include "receiver/decode/OncoreDecoder.h"
#include "receiver/link/OncoreFramer.h"
#include "tests/support/fakes/FakeTimeSource.h"
#include "tools/fuzz_support.h"

namespace {

using Decoding = fuzz::Decoding<OncoreDecoder>;

// A message line is empty (not "@@..." at all) or ends in "\n".
void Decode(OncoreDecoder &decoder, FakeTimeSource &clock, const QByteArray &message)
{
  const QString line = decoder.Decode(message);
  FUZZ_CHECK(line.isEmpty() || line.endsWith(QLatin1Char('\n')));
  FUZZ_CHECK(line.isEmpty() == !(message.size() >= 4 && message.startsWith("@@")));
  // Holds run on the monotonic clock: let some expire between messages.
  clock.Advance(1 + (message.size() * 97) % 2500);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
  const QByteArrayView input = fuzz::Input(data, size);
  FakeTimeSource clock;
  ScopedTimeSourceOverride clockOverride(&clock);
  ResetProgramWideState();
  ExpectedOncoreReplyTag = QByteArrayLiteral("@@Ea");
  receiverIdentity.model = qint32((size > 0 ? data[0] : 0) % 26);

  static Decoding decoding;
  Decode(decoding.Reset(true), clock, input.toByteArray());

  const QList<QByteArray> messages = fuzz::Frame<OncoreFramer>({input});
  for (bool open : {false, true}) {
    OncoreDecoder &decoder = decoding.Reset(open);
    for (const QByteArray &message : messages)
      Decode(decoder, clock, message);
  }

  OncoreDecoder &pieces = decoding.Reset(true);
  qsizetype from = input.indexOf(QByteArrayView("@@"));
  while (from >= 0) {
    const qsizetype next = input.indexOf(QByteArrayView("@@"), from + 2);
    const qsizetype end = next < 0 ? input.size() : next;
    Decode(pieces, clock, input.sliced(from, end - from).toByteArray());
    from = next;
  }
  decoding.Release();
  return 0;
}
