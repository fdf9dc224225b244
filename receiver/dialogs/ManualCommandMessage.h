#pragma once
// The arithmetic of the manual command window, kept apart from its widgets:
// how a prefix and a parameter text become a checksum display and the bare
// message that the command sender completes.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtGlobal>

enum class ManualCommandKind { OncoreBinary, Ubx, Text };

// Oncore binary in mode 2, and in mode 1 for a prefix beginning "@@"; UBX in
// modes 9 and 10; text in every other mode.
ManualCommandKind ClassifyManualCommand(quint32 mode, const QString &prefix);

// Whether the ASCII entry may open: modes 2 and 3, and mode 1 for "@@".
bool IsOncoreBinaryCommand(quint32 mode, const QString &prefix);

// HEX digits to bytes: white space ignored, either case, an odd count gets a
// leading "0". False, leaving `bytes` untouched, on any other character.
bool ParseHexParams(const QString &text, QByteArray &bytes);

// True when the defaults are at least two HEX pairs, each a printable
// character (32..126): such a parameter is edited as text.
bool DefaultsAreText(const QString &defaults);

// HEX pairs to characters for the ASCII entry (blanks and tabs ignored, a
// last odd digit ignored, unprintable codes as "."). Sets *ok false, with an
// empty result, on a pair that is not HEX.
QString HexToAsciiText(const QString &hex, bool *ok);

// Every character as two HEX digits ("00" above 255), blanks included.
QString AsciiToHexText(const QString &ascii);

// The three bytes that close an "@@Tk" text: 0xFF, bits 8..15 of sum + 256
// and the low byte of sum, where sum adds the text's bytes as signed values.
QByteArray TkTrailer(const QByteArray &text);

struct ManualWarning {
  QString title;
  QString text;
  bool operator==(const ManualWarning &other) const { return title == other.title && text == other.text; }
};
ManualWarning HexNumberWarning();
ManualWarning MessageErrorWarning();
ManualWarning ReceiveOnlyWarning();

// The checksum display for the fields as they stand. An empty text means the
// message is not well formed; hexError tells that a HEX text was refused.
struct ManualChecksum {
  bool ok = false;
  QString text;
  bool hexError = false;
};
ManualChecksum ComputeManualChecksum(quint32 mode, const QString &prefix, const QString &params);

// The message one press of Send emits: no line end; no checksum for Oncore
// and UBX; a "$" sentence carries the shown tail. On refusal `warnings`
// holds the boxes to show in order.
struct ManualCommandBuild {
  bool ok = false;
  QByteArray message;
  QList<ManualWarning> warnings;
  bool clearChecksum = false;  // the checksum display is to be emptied
};
ManualCommandBuild BuildManualCommand(quint32 mode, const QString &prefix, const QString &params,
                                      const QString &checksumShown);
