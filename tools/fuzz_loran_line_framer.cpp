// libFuzzer target: the LORAN line framer on arbitrary bytes and chunks.

#include "receiver/link/LoranLineFramer.h"
#include "tools/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
  const QByteArrayView input(reinterpret_cast<const char *>(data), qsizetype(size));

  auto frame = [&](const QList<QByteArrayView> &chunks) {
    LoranLineFramer framer;
    fuzz::Recorder recorder;
    for (QByteArrayView chunk : chunks)
      framer.Process(chunk, recorder);
    return recorder.messages;
  };

  const QList<QByteArray> whole = frame({input});
  FUZZ_CHECK(frame(fuzz::Chunks(input)) == whole);
  for (const QByteArray &line : whole) {
    FUZZ_CHECK(!line.isEmpty() && line.size() <= LoranMaxLineLength);
    for (char c : line)
      FUZZ_CHECK(c >= 0x20 && c <= 0x7E);
  }
  return 0;
}
