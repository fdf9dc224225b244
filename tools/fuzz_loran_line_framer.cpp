// libFuzzer target: the LORAN line framer on arbitrary bytes and chunks.

#include "receiver/link/LoranLineFramer.h"
#include "tools/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
  const QList<QByteArray> whole = fuzz::FrameInAnySplit<LoranLineFramer>(fuzz::Input(data, size));
  for (const QByteArray &line : whole) {
    FUZZ_CHECK(!line.isEmpty() && line.size() <= LoranMaxLineLength);
    for (char c : line)
      FUZZ_CHECK(c >= 0x20 && c <= 0x7E);
  }
  return 0;
}
