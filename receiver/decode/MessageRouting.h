#pragma once
// How one framed receiver message is routed in each protocol mode: which
// decoder reads it and which line it gives the raw-data window and a
// raw-text GPS log. The main window's dispatch and the decoding benchmark
// both go through it, so the benchmark measures what the program does.

#include <QByteArray>
#include <QString>
#include <QtGlobal>

class NmeaDecoder;
class OncoreDecoder;
class UbxDecoder;
struct ReceiverState;

struct ReceiverDecoderSet {
  OncoreDecoder &oncore;
  NmeaDecoder &nmea;
  UbxDecoder &ubx;
};

struct RoutedMessage {
  // The raw-data window's line; empty when there is none to show.
  QString line;
  // The line also goes to a raw-text GPS log, and the window takes it
  // whether or not it is shown (it drops it when hidden); otherwise only a
  // shown window gets it.
  bool toLog = false;
};

// Decodes `message` with the decoder of `mode` and builds its line. In the
// LORAN mode the line is only built while the window is shown; a LORAN
// reply sets its reply flag in `state`.
RoutedMessage RouteReceiverMessage(quint32 mode, const QByteArray &message,
                                   const ReceiverDecoderSet &decoders, ReceiverState &state,
                                   bool rawWindowShown);
