#pragma once
// Shared pieces of the fuzz targets: the input as bytes, a check that stops
// the run, framing in any split of the input, and for the decoder targets a
// host that does nothing but lets the decoder take its window and log
// paths, a decoder on its receiver state made once per process and reset
// for each input, and the program-wide values set for each input.

#include "core/ProgramState.h"
#include "core/ReceiverState.h"
#include "receiver/decode/DecoderHost.h"
#include "receiver/link/FramerSink.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QtGlobal>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>

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

inline QByteArrayView Input(const uint8_t *data, size_t size)
{
  return QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size));
}

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

// The messages a new framer cuts from the chunks; `options` go to its
// Process between the chunk and the sink (the UBX/NMEA framer's mode).
template <typename Framer, typename... Options>
QList<QByteArray> Frame(const QList<QByteArrayView> &chunks, Options... options)
{
  Framer framer;
  Recorder recorder;
  for (QByteArrayView chunk : chunks)
    framer.Process(chunk, options..., recorder);
  return recorder.messages;
}

// The messages of the whole input, which any split of it must give too.
template <typename Framer, typename... Options>
QList<QByteArray> FrameInAnySplit(QByteArrayView input, Options... options)
{
  const QList<QByteArray> whole = Frame<Framer>({input}, options...);
  FUZZ_CHECK(Frame<Framer>(Chunks(input), options...) == whole);
  return whole;
}

// ---- decoder targets

struct OpenHost : DecoderHost {
  explicit OpenHost(bool open) : open(open) {}
  int GpsLogType() const override { return open ? 2 : 0; }
  bool ConfigTextToTicLog() const override { return open; }
  bool HasIdWindow() const override { return open; }
  bool open;
};

// One decoder on its own receiver state and host, made once per process:
// Reset gives the next input a receiver state as built and a decoder new
// on it, without allocating (a state per input made the runs slow and their
// memory grow).
template <typename Decoder>
struct Decoding {
  Decoding() : state(std::make_unique<ReceiverState>()), host(false) { Reset(false); }
  Decoding(const Decoding &) = delete;
  Decoding &operator=(const Decoding &) = delete;

  // `open` also opens the text gate.
  Decoder &Reset(bool open)
  {
    *state = Blank();
    host.open = open;
    state->rawDataWindowOpened = open;
    decoder.emplace(*state, host);
    return *decoder;
  }

  // Frees what the input left in the decoder and its state, so that every
  // input ends with the memory it began with (libFuzzer takes an input
  // that keeps memory for a leak and checks it).
  void Release()
  {
    decoder.reset();
    *state = Blank();
  }

  static const ReceiverState &Blank()
  {
    static const ReceiverState blank;
    return blank;
  }

  std::unique_ptr<ReceiverState> state;
  OpenHost host;
  std::optional<Decoder> decoder;
};

// The decoders' debug lines would only slow the run down.
inline void DropDebugOutput(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
  if (type != QtDebugMsg)
    qt_message_output(type, context, text);
}

}  // namespace fuzz

// AddressSanitizer's freed-memory quarantine (256 MB by default) and its
// filling of each new block made every string the decoders build touch
// fresh pages: the runs were slow and their memory grew to hundreds of MB.
// A smaller quarantine still catches a use after free of recent blocks.
// Recording the call stack of every allocation was the next cost; a report
// still shows where the bad access happened, and a finding replayed with
// ASAN_OPTIONS=malloc_context_size=30 shows where its block came from.
extern "C" const char *__asan_default_options()
{
  return "quarantine_size_mb=16:max_malloc_fill_size=0:malloc_context_size=0";
}

// Every target runs without the decoders' debug lines.
extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
  qInstallMessageHandler(fuzz::DropDebugOutput);
  return 0;
}
