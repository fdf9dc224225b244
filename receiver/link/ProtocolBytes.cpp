#include "receiver/link/ProtocolBytes.h"

void AppendLittleEndian(QByteArray &bytes, quint32 value, int width)
{
  for (int i = 0; i < width; ++i)
    bytes.append(char((value >> (8 * i)) & 0xFF));
}

void AppendBigEndian(QByteArray &bytes, quint32 value, int width)
{
  for (int shift = (width - 1) * 8; shift >= 0; shift -= 8)
    bytes.append(char((value >> shift) & 0xFF));
}

QByteArray OncoreCommand(const char *identifier, const QByteArray &parameters)
{
  return QByteArray("@@") + identifier + parameters;
}

QByteArray OncoreCommand(const char *identifier, quint8 parameter)
{
  return OncoreCommand(identifier, QByteArray(1, char(parameter)));
}

QByteArray UbxFrame(quint8 messageClass, quint8 messageId, const QByteArray &payload)
{
  QByteArray frame("\xB5\x62", 2);
  frame.append(char(messageClass));
  frame.append(char(messageId));
  AppendLittleEndian(frame, quint32(payload.size()), 2);
  frame.append(payload);
  return frame;
}
