#pragma once
// Builds UBX frames for tests: a zeroed payload of the given length and
// little-endian fields written at payload offsets. Frame() wraps the payload
// with sync bytes, class, identifier, length and the Fletcher checksum, as
// the receiver sends it and the framer hands it on.

#include <QByteArray>
#include <QtGlobal>

namespace riduder::test {

class UbxMessageBuilder {
public:
  UbxMessageBuilder(quint8 messageClass, quint8 identifier, int payloadLength);

  UbxMessageBuilder &U1(int offset, quint8 value);
  UbxMessageBuilder &I1(int offset, qint8 value) { return U1(offset, quint8(value)); }
  UbxMessageBuilder &U2(int offset, quint16 value);
  UbxMessageBuilder &I2(int offset, qint16 value) { return U2(offset, quint16(value)); }
  UbxMessageBuilder &U4(int offset, quint32 value);
  UbxMessageBuilder &I4(int offset, qint32 value) { return U4(offset, quint32(value)); }
  // Raw bytes at an offset (the payload grows when they run past its end).
  UbxMessageBuilder &Bytes(int offset, const QByteArray &bytes);
  // Cuts or pads (with zeros) the payload to a length.
  UbxMessageBuilder &Resize(int payloadLength);

  QByteArray Payload() const { return payload_; }
  QByteArray Frame() const;

private:
  void Put(int offset, quint32 value, int width);
  quint8 class_;
  quint8 identifier_;
  QByteArray payload_;
};

}  // namespace riduder::test
