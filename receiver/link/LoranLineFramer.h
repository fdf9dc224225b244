#pragma once
// Cuts the text replies of the LORAN-mode receivers into lines. A line ends
// at CR, LF or CR LF and goes out without its line end. Empty lines, lines
// longer than LoranMaxLineLength and lines holding any byte outside
// 0x20..0x7E are dropped whole, so noise at a wrong data rate is not taken
// for a reply.

#include "receiver/link/FramerSink.h"

#include <QByteArray>
#include <QByteArrayView>

constexpr int LoranMaxLineLength = 255;

class LoranLineFramer
{
public:
  void Reset();
  void Process(QByteArrayView chunk, FramerSink &sink);
  bool IsIdle() const { return m_line.isEmpty() && !m_discarding; }

private:
  QByteArray m_line;
  // The current line already failed; skip to its end.
  bool m_discarding = false;
};
