#include "FrameBuilders.h"

namespace riduder::test {

QByteArray BuildOncoreWire(const QByteArray &identifier, const QByteArray &parameters)
{
  QByteArray message = "@@" + identifier + parameters;
  quint8 sum = 0;
  for (int i = 2; i < message.size(); ++i)
    sum ^= quint8(message.at(i));
  message.append(char(sum));
  message.append("\r\n");
  return message;
}

QByteArray BuildOncoreWireOfLength(const QByteArray &identifier, int totalLength, char fill)
{
  const int parameterCount = totalLength - 7;
  return BuildOncoreWire(identifier, QByteArray(qMax(0, parameterCount), fill));
}

QByteArray BuildUbxFrame(quint8 messageClass, quint8 identifier, const QByteArray &payload)
{
  QByteArray frame;
  frame.append(char(0xB5));
  frame.append(char(0x62));
  frame.append(char(messageClass));
  frame.append(char(identifier));
  frame.append(char(payload.size() & 0xFF));
  frame.append(char((payload.size() >> 8) & 0xFF));
  frame.append(payload);
  quint8 a = 0;
  quint8 b = 0;
  for (int i = 2; i < frame.size(); ++i) {
    a = quint8(a + quint8(frame.at(i)));
    b = quint8(b + a);
  }
  frame.append(char(a));
  frame.append(char(b));
  return frame;
}

QByteArray BuildNmeaSentence(const QByteArray &body, const QByteArray &lineEnd)
{
  quint8 sum = 0;
  for (char c : body)
    sum ^= quint8(c);
  return "$" + body + "*" + QByteArray::number(sum, 16).toUpper().rightJustified(2, '0') + lineEnd;
}

QByteArray FramedNmeaSentence(const QByteArray &body) { return BuildNmeaSentence(body, QByteArray()); }

}  // namespace riduder::test
