#pragma once
// The text work on one counter line: decimal marks, the reading with its
// unit turned into microseconds, the fold into half a second either side,
// and the field separators of the TIC log style. Plain functions.

#include <QByteArray>

// printf into bytes: the rows are plain ASCII.
QByteArray TicPrintf(const char *format, ...) Q_ATTRIBUTE_FORMAT_PRINTF(1, 2);

// Readings beyond this many microseconds (a counter's "no value" reading
// included) are no readings but text.
inline constexpr double TicReadingLimitUs = 1e12;

// Decides the decimal mark on the whole text: with two or more "." the "."
// groups digits and "," is the mark; with two or more "," the reverse; a
// lone "." or "," is the mark; with one of each the later one is the mark.
// Grouping characters are removed and the mark becomes ".".
QByteArray NormalizeTicDecimalMarks(QByteArray text);

// Trims `text` and reads its first number with the unit after it ("s",
// "ms", "us", "ns" by their first letter, or an exponent "E-07"). True when
// a reading was found: `text` then holds it in microseconds. False leaves
// the trimmed text; so does a reading that is not finite or lies beyond
// TicReadingLimitUs.
bool ParseTicReading(QByteArray &text);

// Folds a reading in microseconds into [-500000, 500000], the same way on
// either side of zero: 1500000 gives 500000, -1500000 and -2500000 give
// -500000.
double FoldTicReading(double microseconds);

// The line trimmed, each run of blanks made one blank, and each blank then
// made "," (style 1) or a tab (style 2); any other style keeps blanks.
QByteArray TicFieldSeparator(const QByteArray &line, int logStyle);
