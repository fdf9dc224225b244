#include "receiver/decode/FieldReaders.h"

namespace {

quint32 ReadUnsigned(const QByteArray &data, int offset, int width, bool bigEndian)
{
  if (!FieldInside(data, offset, width))
    return 0;
  quint32 value = 0;
  for (int i = 0; i < width; ++i) {
    const int index = bigEndian ? offset + i : offset + width - 1 - i;
    value = (value << 8) | quint8(data.at(index));
  }
  return value;
}

}  // namespace

bool FieldInside(const QByteArray &data, int offset, int width)
{
  return offset >= 0 && width >= 0 && qint64(offset) + width <= data.size();
}

quint8 GetU8(const QByteArray &data, int offset) { return quint8(ReadUnsigned(data, offset, 1, true)); }
qint8 GetI8(const QByteArray &data, int offset) { return qint8(GetU8(data, offset)); }

quint32 GetBigEndianU32(const QByteArray &data, int offset) { return ReadUnsigned(data, offset, 4, true); }
int GetBigEndianU24(const QByteArray &data, int offset) { return int(ReadUnsigned(data, offset, 3, true)); }
int GetBigEndianU16(const QByteArray &data, int offset) { return int(ReadUnsigned(data, offset, 2, true)); }
qint32 GetBigEndianI32(const QByteArray &data, int offset) { return qint32(GetBigEndianU32(data, offset)); }
qint16 GetBigEndianI16(const QByteArray &data, int offset) { return qint16(GetBigEndianU16(data, offset)); }
double GetBigEndianI32AsDouble(const QByteArray &data, int offset) { return GetBigEndianI32(data, offset); }
double GetBigEndianU24AsDouble(const QByteArray &data, int offset) { return GetBigEndianU24(data, offset); }
double GetBigEndianU16AsDouble(const QByteArray &data, int offset) { return GetBigEndianU16(data, offset); }
double GetBigEndianI16AsDouble(const QByteArray &data, int offset) { return GetBigEndianI16(data, offset); }

double GetBigEndianSecondsAsDouble(const QByteArray &data, int offset)
{
  if (!FieldInside(data, offset, 5))
    return 0.0;
  return GetI8(data, offset) + GetBigEndianI32(data, offset + 1) / 1e9;
}

quint32 GetLittleEndianU32(const QByteArray &data, int offset) { return ReadUnsigned(data, offset, 4, false); }
int GetLittleEndianU24(const QByteArray &data, int offset) { return int(ReadUnsigned(data, offset, 3, false)); }
int GetLittleEndianU16(const QByteArray &data, int offset) { return int(ReadUnsigned(data, offset, 2, false)); }
double GetLittleEndianU32AsDouble(const QByteArray &data, int offset) { return GetLittleEndianU32(data, offset); }
double GetLittleEndianU24AsDouble(const QByteArray &data, int offset) { return GetLittleEndianU24(data, offset); }
double GetLittleEndianU16AsDouble(const QByteArray &data, int offset) { return GetLittleEndianU16(data, offset); }

QByteArray NextField(QByteArray &line, const QByteArray &fallback)
{
  if (line.isEmpty())
    return fallback.trimmed();
  const int comma = line.indexOf(',');
  if (comma < 0) {
    const QByteArray field = line;
    line.clear();
    return field.trimmed();
  }
  QByteArray field = line.left(comma);
  line.remove(0, comma + 1);
  if (field.isEmpty())
    field = fallback;
  return field.trimmed();
}
