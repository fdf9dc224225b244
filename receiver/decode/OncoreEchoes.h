#pragma once
// The Oncore messages that share one shape: a fixed label, then a value
// taken from the message and worded by a list or a format. That is every
// setting echo of the "@@A" and "@@G" groups, "@@Cf" and "@@Cg", and the
// multi-GNSS, factory-data and Synergy messages of the "@@S", "@@T" and
// "@@W" groups. One table row per identifier: layout, wording, what the
// message changes and where its line goes besides the raw-data window.

#include <QByteArray>
#include <QString>

// What an echo changes besides its text line.
enum class OncoreEchoEffect {
  None,
  EpochOffset,     // u16 at byte 4, ms, into both receiver time values
  PpsOffset,       // u32 at byte 4, ns
  CableDelay,      // u32 at byte 4, ns
  NavStatus,       // u8 at byte 4, the navigation status indicator
  Constellations,  // u8 mask at byte 4: receiver settings and status label
  WbReply,         // the "@@Wb" reply flag
};

// Where the line goes besides the decoder's result.
enum class OncoreEchoTail {
  Common,              // only the decoder's common tail ("@@A" and S, T, W groups)
  IdWindowAndConfig,   // identification window, then the configuration log
  ConfigOnly,          // the configuration log only
};

struct OncoreEcho {
  const char *identifier;  // the two identifier letters
  int minimumLength;       // framed bytes the row reads; a shorter message is undecoded
  const char *label;       // appended after the identifier and its blank
  // Words for the value of byte 4 (0, 1, 2, ...) separated by "|"; an empty
  // slot, or a value past the list, takes `otherWord`. Null when the value
  // is formatted instead.
  const char *words;
  const char *otherWord;
  const char *suffix;      // after the word
  // The value text of formatted rows; null for word rows and bare labels.
  QString (*format)(const QByteArray &message);
  bool replacesLine;       // the label starts the line (no identifier before it)
  OncoreEchoEffect effect;
  OncoreEchoTail tail;
};

// The row of an identifier, or null.
const OncoreEcho *FindOncoreEcho(char first, char second);

// The text the row appends (or, with replacesLine, the whole line).
QString OncoreEchoText(const OncoreEcho &echo, const QByteArray &message);

// The names of the set bits of a constellation mask, bit 0 first, joined by
// the separator; "NONE (illegal)" for none. With `settingsOnly` the two bits
// without a receiver setting (5 and 6) are left out and none gives "-".
QString ConstellationNames(quint8 mask, const QString &separator, bool settingsOnly);
