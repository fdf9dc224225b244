#pragma once
// Builds Oncore binary messages for tests: "@@", the identifier, a zeroed
// parameter area of the given length and big-endian fields written at byte
// offsets counted from the first "@". Framed() is the message as the framer
// hands it on (no checksum, no CR LF); Wire() adds the XOR checksum and
// CR LF, as the receiver sends it (see FrameBuilders.h for whole frames of
// bytes).

#include <QByteArray>
#include <QtGlobal>

namespace riduder::test {

class OncoreMessageBuilder {
public:
  // `framedLength` counts "@@" and the identifier; the parameters are zero.
  OncoreMessageBuilder(const char *identifier, int framedLength);

  OncoreMessageBuilder &U8(int offset, quint8 value);
  OncoreMessageBuilder &I8(int offset, qint8 value) { return U8(offset, quint8(value)); }
  OncoreMessageBuilder &U16(int offset, quint16 value);
  OncoreMessageBuilder &I16(int offset, qint16 value) { return U16(offset, quint16(value)); }
  OncoreMessageBuilder &U24(int offset, quint32 value);
  OncoreMessageBuilder &U32(int offset, quint32 value);
  OncoreMessageBuilder &I32(int offset, qint32 value) { return U32(offset, quint32(value)); }
  // Raw bytes at an offset (the message grows when they run past its end).
  OncoreMessageBuilder &Bytes(int offset, const QByteArray &bytes);
  // Cuts or pads (with zeros) the message to a framed length.
  OncoreMessageBuilder &Resize(int framedLength);

  // The Oncore date-time fields at bytes 4 to 14 of the position messages.
  OncoreMessageBuilder &DateTime(int year, int month, int day, int hour, int minute,
                                 int second, qint32 nanoseconds = 0);

  QByteArray Framed() const { return message_; }
  QByteArray Wire() const;

private:
  void Put(int offset, quint32 value, int width);
  QByteArray message_;
};

// An "@@Cj" identification answer on the wire, whose text holds three
// lines (copyright, software part number, serial number).
QByteArray OncoreIdentificationReply();

}  // namespace riduder::test
