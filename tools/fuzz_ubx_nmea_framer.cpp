// libFuzzer target: the UBX/NMEA framer on arbitrary bytes, in both of its
// modes and in arbitrary chunks.

#include "receiver/link/UbxNmeaFramer.h"
#include "tools/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
  const QByteArrayView input = fuzz::Input(data, size);
  for (bool nmeaOnly : {false, true}) {
    const QList<QByteArray> whole = fuzz::FrameInAnySplit<UbxNmeaFramer>(input, nmeaOnly);
    for (const QByteArray &m : whole) {
      if (m.startsWith('$')) {
        FUZZ_CHECK(m.size() <= NmeaMaxSentenceLength + 1);
        FUZZ_CHECK(NmeaChecksumOk(m));
        for (char c : m)
          FUZZ_CHECK(IsNmeaPrintable(static_cast<unsigned char>(c)));
      } else {
        FUZZ_CHECK(!nmeaOnly);
        FUZZ_CHECK(m.size() >= 8 && m.size() <= UbxMaxPayloadLength + 8);
        FUZZ_CHECK(quint8(m.at(0)) == 0xB5 && quint8(m.at(1)) == 0x62);
        FUZZ_CHECK(UbxChecksumOk(m));
      }
    }
  }
  return 0;
}
