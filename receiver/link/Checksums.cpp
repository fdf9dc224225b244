#include "receiver/link/Checksums.h"

quint8 NmeaChecksum(QByteArrayView bytes)
{
  quint8 sum = 0;
  for (char c : bytes)
    sum ^= static_cast<quint8>(c);
  return sum;
}

QByteArray NmeaChecksumHex(quint8 sum)
{
  static const char digits[] = "0123456789ABCDEF";
  QByteArray hex(2, '0');
  hex[0] = digits[sum >> 4];
  hex[1] = digits[sum & 0x0F];
  return hex;
}

quint8 OncoreChecksum(QByteArrayView bytes)
{
  quint8 sum = 0;
  for (char c : bytes)
    sum ^= static_cast<quint8>(c);
  return sum;
}

UbxChecksumPair UbxChecksum(QByteArrayView bytes)
{
  UbxChecksumPair ck;
  for (char c : bytes) {
    ck.ckA = static_cast<quint8>(ck.ckA + static_cast<quint8>(c));
    ck.ckB = static_cast<quint8>(ck.ckB + ck.ckA);
  }
  return ck;
}

bool AppendNmeaChecksum(QByteArray &sentence)
{
  if (sentence.size() < 7 || sentence.at(0) != '$')
    return false;
  if (sentence.at(sentence.size() - 3) == '*')
    sentence.chop(3);
  const quint8 sum = NmeaChecksum(QByteArrayView(sentence).sliced(1));
  sentence.append('*');
  sentence.append(NmeaChecksumHex(sum));
  return true;
}

bool AppendUbxChecksum(QByteArray &frame)
{
  if (frame.size() < 4 || static_cast<quint8>(frame.at(0)) != 0xB5 ||
      static_cast<quint8>(frame.at(1)) != 0x62)
    return false;
  const UbxChecksumPair ck = UbxChecksum(QByteArrayView(frame).sliced(2));
  frame.append(static_cast<char>(ck.ckA));
  frame.append(static_cast<char>(ck.ckB));
  return true;
}

bool AppendOncoreChecksum(QByteArray &message)
{
  if (message.size() < 4 || message.at(0) != '@')
    return false;
  // The whole tail after "@@" is summed: a parameter block that happens to
  // end in 0x2A is data like any other.
  message.append(static_cast<char>(OncoreChecksum(QByteArrayView(message).sliced(2))));
  return true;
}

bool NmeaStarChecksumMatches(QByteArrayView sentence)
{
  const qsizetype n = sentence.size();
  if (n < 3 || sentence[n - 3] != '*')
    return false;
  const quint8 sum = n < 5 ? 0 : NmeaChecksum(sentence.sliced(1, n - 4));
  return sentence.sliced(n - 2) == QByteArrayView(NmeaChecksumHex(sum));
}
