// libFuzzer target: the UBX decoder on arbitrary bytes, whole and as the
// UBX/NMEA framer cuts them. Under AddressSanitizer any read past a frame
// stops the run. A second decoder gets every frame with other checksum
// bytes and more bytes after it and must give the same lines.

#include "receiver/decode/UbxDecoder.h"
#include "receiver/link/UbxNmeaFramer.h"
#include "tools/fuzz_support.h"

namespace {

using Decoding = fuzz::Decoding<UbxDecoder>;

// A decoder new on a receiver state as built, its text gate open and its
// log and identification paths closed.
UbxDecoder &Fresh(Decoding &decoding)
{
  UbxDecoder &decoder = decoding.Reset(false);
  decoding.state->rawDataWindowOpened = true;
  return decoder;
}

// The line ends in "\n" unless it is empty.
void CheckLine(const QString &line)
{
  FUZZ_CHECK(line.isEmpty() || line.endsWith(QLatin1Char('\n')));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
  const QByteArrayView input = fuzz::Input(data, size);

  // The bytes as one message, exactly as long as the input.
  static Decoding exactDecoding;
  static Decoding movedDecoding;
  CheckLine(Fresh(exactDecoding).Decode(input.toByteArray()));

  UbxDecoder &exact = Fresh(exactDecoding);
  UbxDecoder &moved = Fresh(movedDecoding);
  for (const QByteArray &frame : fuzz::Frame<UbxNmeaFramer>({input}, false)) {
    const QString line = exact.Decode(frame);
    CheckLine(line);
    if (frame.startsWith('$')) {
      FUZZ_CHECK(line.isEmpty());
      continue;
    }
    // Only an unknown UPD identifier gives no line.
    FUZZ_CHECK(!line.isEmpty() || quint8(frame.at(2)) == 0x09);
    QByteArray padded = frame;
    padded[padded.size() - 1] = char(~padded.at(padded.size() - 1));
    padded[padded.size() - 2] = char(padded.at(padded.size() - 2) ^ 0x5A);
    padded += QByteArray(64, char(0xA5));
    FUZZ_CHECK(moved.Decode(padded) == line);
  }
  exactDecoding.Release();
  movedDecoding.Release();
  return 0;
}
