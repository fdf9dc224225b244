#pragma once
// Shared pieces of the framer fuzz targets.

#include "receiver/link/FramerSink.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

// Stops the run, so libFuzzer keeps the input that broke a rule.
#define FUZZ_CHECK(condition)                                              \
  do {                                                                     \
    if (!(condition)) {                                                    \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, \
                   #condition);                                            \
      std::abort();                                                        \
    }                                                                      \
  } while (0)

namespace fuzz {

struct Recorder : FramerSink {
  QList<QByteArray> messages;
  void OnFramedMessage(const QByteArray &message) override { messages.append(message); }
};

// The input cut in chunks of 1 to 64 bytes, the sizes drawn from a
// generator seeded by the input itself, so a failing split reproduces.
inline QList<QByteArrayView> Chunks(QByteArrayView input)
{
  std::uint32_t state = 2166136261u;
  for (char c : input)
    state = (state ^ std::uint8_t(c)) * 16777619u;
  QList<QByteArrayView> chunks;
  qsizetype from = 0;
  while (from < input.size()) {
    state = state * 1664525u + 1013904223u;
    const qsizetype size = qMin<qsizetype>(1 + (state >> 26), input.size() - from);
    chunks.append(input.sliced(from, size));
    from += size;
  }
  return chunks;
}

}  // namespace fuzz
