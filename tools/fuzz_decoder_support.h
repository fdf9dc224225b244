#pragma once
// Shared pieces of the decoder fuzz targets: a host that does nothing but
// lets the decoder take its window and log paths, a decoder on its receiver
// state made once per process and reset for each input, and a message
// handler that drops the decoders' debug lines.

#include "app/core/ReceiverState.h"
#include "receiver/decode/DecoderHost.h"

#include <QtGlobal>

#include <memory>
#include <optional>

namespace fuzz {

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
