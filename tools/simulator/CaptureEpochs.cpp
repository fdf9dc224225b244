#include "tools/simulator/CaptureEpochs.h"

#include <QList>

namespace riduder::sim {

namespace {

enum TimeKind { OncoreTime, UbxTime, NmeaTime, NoTime };

struct TimedMessage {
  qint64 offset;
  TimeKind kind;
  QByteArray time;  // compared only
};

quint8 At(const QByteArray &bytes, qint64 i) { return static_cast<quint8>(bytes.at(i)); }

// An Oncore position message at i: its length, or 0.
qint64 OncorePositionLength(const QByteArray &s, qint64 i)
{
  if (s.mid(i, 2) != "@@")
    return 0;
  const QByteArray id = s.mid(i + 2, 2);
  const qint64 length = id == "Ha" ? 154 : id == "Ea" ? 76 : id == "Ba" ? 68 : 0;
  if (length == 0 || i + length > s.size() || s.mid(i + length - 2, 2) != "\r\n")
    return 0;
  quint8 sum = 0;
  for (qint64 k = i + 2; k < i + length - 3; ++k)
    sum ^= At(s, k);
  return sum == At(s, i + length - 3) ? length : 0;
}

// A UBX frame at i: its length, or 0.
qint64 UbxFrameLength(const QByteArray &s, qint64 i)
{
  if (i + 8 > s.size() || At(s, i) != 0xB5 || At(s, i + 1) != 0x62)
    return 0;
  const qint64 payload = At(s, i + 4) | (qint64(At(s, i + 5)) << 8);
  if (i + 8 + payload > s.size())
    return 0;
  quint8 a = 0, b = 0;
  for (qint64 k = i + 2; k < i + 6 + payload; ++k) {
    a = quint8(a + At(s, k));
    b = quint8(b + a);
  }
  return a == At(s, i + 6 + payload) && b == At(s, i + 7 + payload) ? 8 + payload : 0;
}

// Where a NAV message keeps its iTOW: at the payload's start, but after a
// version byte and three reserved ones in these.
qint64 NavTimeOffset(quint8 id)
{
  switch (id) {
  case 0x09:  // ODO
  case 0x13:  // HPPOSECEF
  case 0x14:  // HPPOSLLH
  case 0x3B:  // SVIN
  case 0x3C:  // RELPOSNED
    return 4;
  default:
    return 0;
  }
}

// The time field of an NMEA sentence ("$GPGGA,hhmmss.ss,..." without its
// line end); empty for a sentence without one.
QByteArray NmeaTimeField(const QByteArray &sentence)
{
  const QList<QByteArray> fields = sentence.split(',');
  const QByteArray type = fields.value(0).mid(3);
  int field = 0;
  if (type == "GGA" || type == "RMC" || type == "ZDA" || type == "GNS" || type == "GST" || type == "GBS")
    field = 1;
  else if (type == "GLL")
    field = 5;
  return field > 0 ? fields.value(field).split('*').value(0) : QByteArray();
}

}  // namespace

QList<qint64> EpochStarts(const QByteArray &stream)
{
  QList<TimedMessage> timed;
  qint64 i = 0;
  while (i < stream.size()) {
    if (const qint64 length = OncorePositionLength(stream, i)) {
      // Month, day, year, hours, minutes, seconds.
      timed.append({i, OncoreTime, stream.mid(i + 4, 7)});
      i += length;
    } else if (const qint64 length = UbxFrameLength(stream, i)) {
      const qint64 timeAt = 6 + NavTimeOffset(At(stream, i + 3));
      if (At(stream, i + 2) == 0x01 && length >= timeAt + 6)  // NAV, with its iTOW
        timed.append({i, UbxTime, stream.mid(i + timeAt, 4)});
      i += length;
    } else if (stream.at(i) == '$' && (i == 0 || stream.at(i - 1) == '\n')) {
      const qint64 end = stream.indexOf('\n', i);
      const qint64 stop = end < 0 ? stream.size() : end;
      const QByteArray time = NmeaTimeField(stream.mid(i, stop - i).trimmed());
      if (!time.isEmpty())
        timed.append({i, NmeaTime, time});
      i = stop + 1;
    } else {
      ++i;
    }
  }

  TimeKind lead = NoTime;
  for (const TimedMessage &message : timed)
    lead = qMin(lead, message.kind);
  QList<qint64> starts{0};
  QByteArray current;
  for (const TimedMessage &message : timed) {
    if (message.kind != lead)
      continue;
    if (!current.isNull() && message.time != current && message.offset > starts.last())
      starts.append(message.offset);
    current = message.time;
  }
  return starts;
}

qint64 LongestEpochBytes(const QByteArray &stream)
{
  QList<qint64> starts = EpochStarts(stream);
  starts << stream.size();
  qint64 longest = 0;
  for (int i = 1; i < starts.size(); ++i)
    longest = qMax(longest, starts[i] - starts[i - 1]);
  return longest;
}

int DemoRateFor(const QByteArray &stream)
{
  const qint64 bitsPerEpoch = LongestEpochBytes(stream) * 10;
  for (const int rate : {9600, 19200, 38400, 57600})
    if (bitsPerEpoch <= rate)
      return rate;
  return 115200;
}

}  // namespace riduder::sim
