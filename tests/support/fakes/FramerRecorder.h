#pragma once
// A framer sink that records what a framer delivers, and helpers that feed a
// byte stream to a framer in chosen or random chunks.

#include "receiver/link/FramerSink.h"

#include <QByteArray>
#include <QList>
#include <QRandomGenerator>

namespace riduder::test {

struct FramerRecorder : FramerSink {
  // The delivered messages, in order.
  QList<QByteArray> messages;
  // Messages and the boundaries between them ("|"), repeats folded.
  QList<QByteArray> events;

  void OnFramedMessage(const QByteArray &message) override
  {
    messages.append(message);
    events.append(message);
  }
  void OnMessageBoundary() override
  {
    if (events.isEmpty() || events.last() != "|")
      events.append("|");
  }
};

// The stream cut before each of the given offsets (ascending).
inline QList<QByteArray> CutAt(const QByteArray &stream, const QList<int> &offsets)
{
  QList<QByteArray> chunks;
  int from = 0;
  for (int at : offsets) {
    chunks.append(stream.mid(from, at - from));
    from = at;
  }
  chunks.append(stream.mid(from));
  return chunks;
}

inline QList<QByteArray> CutEvery(const QByteArray &stream, int size)
{
  QList<QByteArray> chunks;
  for (int from = 0; from < stream.size(); from += size)
    chunks.append(stream.mid(from, size));
  return chunks;
}

// Random chunks of 1 to maxSize bytes, reproducible by seed.
inline QList<QByteArray> CutRandomly(const QByteArray &stream, quint32 seed, int maxSize)
{
  QRandomGenerator random(seed);
  QList<QByteArray> chunks;
  int from = 0;
  while (from < stream.size()) {
    const int size = 1 + int(random.bounded(quint32(maxSize)));
    chunks.append(stream.mid(from, size));
    from += size;
  }
  return chunks;
}

}  // namespace riduder::test
