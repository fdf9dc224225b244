// libFuzzer target: the Oncore framer on arbitrary bytes, in arbitrary
// chunks. Any split must give the same messages, and every message must be
// one the checks allow.

#include "receiver/link/OncoreFramer.h"
#include "tools/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
  const QList<QByteArray> whole = fuzz::FrameInAnySplit<OncoreFramer>(fuzz::Input(data, size));
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
