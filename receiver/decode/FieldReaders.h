#pragma once
// Field readers shared by the receiver decoders: big-endian for Oncore
// messages, little-endian for UBX frames. Each takes the message and a byte
// offset from its first byte. A field that does not lie wholly inside the
// data reads as 0, so a decoder that forgot a length check reads nothing
// past the end; the decoders still check lengths first and treat a short
// message as undecoded.
//
// Also the comma-separated field cutter of the NMEA decoder and the remote
// commands.

#include <QByteArray>
#include <QtGlobal>

// True when `width` bytes from `offset` lie inside `data`.
bool FieldInside(const QByteArray &data, int offset, int width);

quint8 GetU8(const QByteArray &data, int offset);
qint8 GetI8(const QByteArray &data, int offset);

quint32 GetBigEndianU32(const QByteArray &data, int offset);
int GetBigEndianU24(const QByteArray &data, int offset);
int GetBigEndianU16(const QByteArray &data, int offset);
qint32 GetBigEndianI32(const QByteArray &data, int offset);
qint16 GetBigEndianI16(const QByteArray &data, int offset);
double GetBigEndianI32AsDouble(const QByteArray &data, int offset);
double GetBigEndianU24AsDouble(const QByteArray &data, int offset);
double GetBigEndianU16AsDouble(const QByteArray &data, int offset);
double GetBigEndianI16AsDouble(const QByteArray &data, int offset);
// Signed 8-bit whole seconds at offset plus signed 32-bit nanoseconds at
// offset + 1.
double GetBigEndianSecondsAsDouble(const QByteArray &data, int offset);

quint32 GetLittleEndianU32(const QByteArray &data, int offset);
int GetLittleEndianU24(const QByteArray &data, int offset);
int GetLittleEndianU16(const QByteArray &data, int offset);
double GetLittleEndianU32AsDouble(const QByteArray &data, int offset);
double GetLittleEndianU24AsDouble(const QByteArray &data, int offset);
double GetLittleEndianU16AsDouble(const QByteArray &data, int offset);

// Cuts the first comma-separated field off `line` and returns it trimmed.
// An empty line, or an empty first field, gives `fallback` (trimmed). A
// field of blanks only trims to an empty result, not to the fallback.
QByteArray NextField(QByteArray &line, const QByteArray &fallback);
