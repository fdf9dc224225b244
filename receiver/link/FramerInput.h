#pragma once
// The bytes one Process() call of a framer works on: what earlier calls kept
// of an unfinished message, with the new chunk after it. Without a kept
// prefix the chunk is read in place, uncopied.

#include "receiver/link/FramerSink.h"

#include <QByteArray>
#include <QByteArrayView>

class FramerInput
{
public:
  // Takes over `pending` (left empty); with nothing pending the framer is
  // between messages, which the sink hears.
  FramerInput(QByteArray &pending, QByteArrayView chunk, FramerSink &sink) : m_pending(pending)
  {
    if (m_pending.isEmpty()) {
      sink.OnMessageBoundary();
      m_data = chunk;
    } else {
      m_pending.append(chunk.data(), chunk.size());
      m_work.swap(m_pending);
      m_data = m_work;
    }
  }
  FramerInput(const FramerInput &) = delete;
  FramerInput &operator=(const FramerInput &) = delete;

  QByteArrayView Data() const { return m_data; }

  // Keeps the bytes from `start` on for the next call: a message that has
  // not all arrived.
  void KeepFrom(qsizetype start)
  {
    if (start == 0 && !m_work.isEmpty())
      m_pending.swap(m_work);
    else
      m_pending = m_data.sliced(start).toByteArray();
  }

private:
  QByteArray &m_pending;
  QByteArray m_work;
  QByteArrayView m_data;
};
