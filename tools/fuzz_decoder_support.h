#pragma once
// Shared pieces of the decoder fuzz targets: a host that does nothing but
// lets the decoder take its window and log paths, a decoder on a fresh
// receiver state, and a message handler that drops the decoders' debug lines.

#include "app/core/ReceiverState.h"
#include "receiver/DecoderHost.h"

#include <QtGlobal>

#include <memory>

namespace fuzz {

struct OpenHost : DecoderHost {
  explicit OpenHost(bool open) : open(open) {}
  int GpsLogType() const override { return open ? 2 : 0; }
  bool ConfigTextToTicLog() const override { return open; }
  bool HasIdWindow() const override { return open; }
  bool open;
};

// One decoder on its own receiver state; `open` also opens the text gate.
template <typename Decoder>
struct Decoding {
  explicit Decoding(bool open)
      : state(std::make_unique<ReceiverState>()), host(open), decoder(*state, host)
  {
    state->rawDataWindowOpened = open;
  }
  std::unique_ptr<ReceiverState> state;
  OpenHost host;
  Decoder decoder;
};

// The decoders' debug lines would only slow the run down.
inline void DropDebugOutput(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
  if (type != QtDebugMsg)
    qt_message_output(type, context, text);
}

}  // namespace fuzz
