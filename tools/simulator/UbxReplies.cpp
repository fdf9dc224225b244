#include "tools/simulator/UbxReplies.h"

namespace riduder::sim {

namespace {

QByteArray Field(const QByteArray &text, int size)
{
  QByteArray field = text.left(size);
  field.append(QByteArray(size - field.size(), '\0'));
  return field;
}

}  // namespace

QByteArray UbxFrame(quint8 messageClass, quint8 messageId, const QByteArray &payload)
{
  QByteArray frame("\xB5\x62", 2);
  frame.append(static_cast<char>(messageClass));
  frame.append(static_cast<char>(messageId));
  frame.append(static_cast<char>(payload.size() & 0xFF));
  frame.append(static_cast<char>((payload.size() >> 8) & 0xFF));
  frame.append(payload);
  quint8 ckA = 0;
  quint8 ckB = 0;
  for (int i = 2; i < frame.size(); ++i) {
    ckA = static_cast<quint8>(ckA + static_cast<quint8>(frame.at(i)));
    ckB = static_cast<quint8>(ckB + ckA);
  }
  frame.append(static_cast<char>(ckA));
  frame.append(static_cast<char>(ckB));
  return frame;
}

QByteArray MonVerFrame(const QByteArray &software, const QByteArray &hardware, const QList<QByteArray> &extensions)
{
  QByteArray payload = Field(software, 30) + Field(hardware, 10);
  for (const QByteArray &extension : extensions)
    payload += Field(extension, 30);
  return UbxFrame(0x0A, 0x04, payload);
}

QByteArray SampleMonVerFrame()
{
  return MonVerFrame("ROM CORE 3.01 (107888)", "00080000", {"PROTVER=18.00"});
}

ScriptRule MonVerPollRule()
{
  ScriptRule rule;
  rule.match = MatchKind::Prefix;
  rule.request = UbxFrame(0x0A, 0x04);
  rule.reply.bytes = SampleMonVerFrame();
  return rule;
}

}  // namespace riduder::sim
