#include "OncoreMessageBuilder.h"

#include "FrameBuilders.h"

namespace riduder::test {

OncoreMessageBuilder::OncoreMessageBuilder(const char *identifier, int framedLength)
{
  message_ = QByteArray("@@") + QByteArray(identifier).left(2);
  Resize(framedLength);
}

void OncoreMessageBuilder::Put(int offset, quint32 value, int width)
{
  if (message_.size() < offset + width)
    message_.resize(offset + width, '\0');
  for (int i = 0; i < width; ++i)
    message_[offset + i] = char((value >> (8 * (width - 1 - i))) & 0xFF);
}

OncoreMessageBuilder &OncoreMessageBuilder::U8(int offset, quint8 value)
{
  Put(offset, value, 1);
  return *this;
}

OncoreMessageBuilder &OncoreMessageBuilder::U16(int offset, quint16 value)
{
  Put(offset, value, 2);
  return *this;
}

OncoreMessageBuilder &OncoreMessageBuilder::U24(int offset, quint32 value)
{
  Put(offset, value, 3);
  return *this;
}

OncoreMessageBuilder &OncoreMessageBuilder::U32(int offset, quint32 value)
{
  Put(offset, value, 4);
  return *this;
}

OncoreMessageBuilder &OncoreMessageBuilder::Bytes(int offset, const QByteArray &bytes)
{
  if (message_.size() < offset + bytes.size())
    message_.resize(offset + bytes.size(), '\0');
  message_.replace(offset, bytes.size(), bytes);
  return *this;
}

OncoreMessageBuilder &OncoreMessageBuilder::Resize(int framedLength)
{
  message_.resize(qMax(framedLength, 0), '\0');
  return *this;
}

OncoreMessageBuilder &OncoreMessageBuilder::DateTime(int year, int month, int day, int hour,
                                                     int minute, int second, qint32 nanoseconds)
{
  U8(4, quint8(month));
  U8(5, quint8(day));
  U16(6, quint16(year));
  U8(8, quint8(hour));
  U8(9, quint8(minute));
  I8(10, qint8(second));
  I32(11, nanoseconds);
  return *this;
}

QByteArray OncoreMessageBuilder::Wire() const
{
  return BuildOncoreWire(message_.mid(2, 2), message_.mid(4));
}

QByteArray OncoreIdentificationReply()
{
  QByteArray m(291, ' ');
  m.replace(0, 4, "@@Cj");
  m.replace(4, 35, "COPYRIGHT 1991-2000 MOTOROLA INC.\r\n");
  m.replace(39, 23, "SFTW P/N # 61-G10268A\r\n");
  m.replace(209, 23, "SERIAL #   SSG0226726\r\n");
  return OncoreMessageBuilder("Cj", 291).Bytes(0, m).Wire();
}

}  // namespace riduder::test
