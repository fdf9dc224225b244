#pragma once
// Building blocks of the messages the program sends: integers in either byte
// order, Oncore commands and UBX frames. The messages are left bare: the
// command layer (CompleteCommand) appends each protocol's checksum as it
// sends them.

#include <QByteArray>
#include <QtGlobal>

// Appends the low `width` bytes of `value`, least significant first.
void AppendLittleEndian(QByteArray &bytes, quint32 value, int width);

// Appends the low `width` bytes of `value`, most significant first.
void AppendBigEndian(QByteArray &bytes, quint32 value, int width);

// "@@", the two identifier letters (e.g. "Ea") and the parameters.
QByteArray OncoreCommand(const char *identifier, const QByteArray &parameters = QByteArray());

// "@@", the two identifier letters and one parameter byte.
QByteArray OncoreCommand(const char *identifier, quint8 parameter);

// B5 62, class, identifier, the payload's little-endian length and the
// payload.
QByteArray UbxFrame(quint8 messageClass, quint8 messageId,
                    const QByteArray &payload = QByteArray());
