#include "UbxMessageBuilder.h"

#include "FrameBuilders.h"

namespace riduder::test {

UbxMessageBuilder::UbxMessageBuilder(quint8 messageClass, quint8 identifier, int payloadLength)
    : class_(messageClass), identifier_(identifier), payload_(payloadLength, '\0')
{
}

void UbxMessageBuilder::Put(int offset, quint32 value, int width)
{
  if (payload_.size() < offset + width)
    payload_.resize(offset + width, '\0');
  for (int i = 0; i < width; ++i)
    payload_[offset + i] = char((value >> (8 * i)) & 0xFF);
}

UbxMessageBuilder &UbxMessageBuilder::U1(int offset, quint8 value)
{
  Put(offset, value, 1);
  return *this;
}

UbxMessageBuilder &UbxMessageBuilder::U2(int offset, quint16 value)
{
  Put(offset, value, 2);
  return *this;
}

UbxMessageBuilder &UbxMessageBuilder::U4(int offset, quint32 value)
{
  Put(offset, value, 4);
  return *this;
}

UbxMessageBuilder &UbxMessageBuilder::Bytes(int offset, const QByteArray &bytes)
{
  if (payload_.size() < offset + bytes.size())
    payload_.resize(offset + bytes.size(), '\0');
  payload_.replace(offset, bytes.size(), bytes);
  return *this;
}

UbxMessageBuilder &UbxMessageBuilder::Resize(int payloadLength)
{
  payload_.resize(payloadLength, '\0');
  return *this;
}

QByteArray UbxMessageBuilder::Frame() const { return BuildUbxFrame(class_, identifier_, payload_); }

}  // namespace riduder::test
