#include "receiver/link/LoranLineFramer.h"

void LoranLineFramer::Reset()
{
  m_line.clear();
  m_discarding = false;
}

void LoranLineFramer::Process(QByteArrayView chunk, FramerSink &sink)
{
  if (IsIdle())
    sink.OnMessageBoundary();
  for (char ch : chunk) {
    const unsigned char c = static_cast<unsigned char>(ch);
    if (c == '\r' || c == '\n') {
      // CR LF gives an empty second line, which is dropped like any other.
      if (!m_discarding && !m_line.isEmpty())
        sink.OnFramedMessage(m_line);
      Reset();
      sink.OnMessageBoundary();
    } else if (m_discarding) {
      continue;
    } else if (c < 0x20 || c > 0x7E || m_line.size() >= LoranMaxLineLength) {
      m_line.clear();
      m_discarding = true;
    } else {
      m_line.append(ch);
    }
  }
}
