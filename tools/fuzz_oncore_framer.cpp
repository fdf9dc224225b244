// libFuzzer target: the Oncore framer on arbitrary bytes, in arbitrary
// chunks. Any split must give the same messages, and every message must be
// one the checks allow.

#include "receiver/link/OncoreFramer.h"
#include "tools/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
  const QByteArrayView input(reinterpret_cast<const char *>(data), qsizetype(size));

  auto frame = [&](const QList<QByteArrayView> &chunks) {
    OncoreFramer framer;
    fuzz::Recorder recorder;
    for (QByteArrayView chunk : chunks)
      framer.Process(chunk, recorder);
    return recorder.messages;
  };

  const QList<QByteArray> whole = frame({input});
  FUZZ_CHECK(frame(fuzz::Chunks(input)) == whole);
  for (const QByteArray &m : whole) {
    FUZZ_CHECK(m.size() >= 4 && m.startsWith("@@"));
    const int length = MotorolaBinaryMessageLength(m);
    FUZZ_CHECK(length > 0);
    if (m.mid(2, 2) == "Bb")
      FUZZ_CHECK(m.size() + 3 == OncoreBbBaseLength || m.size() + 3 == OncoreBbLength(quint8(m.at(4))));
    else
      FUZZ_CHECK(m.size() + 3 == length);
  }
  return 0;
}
