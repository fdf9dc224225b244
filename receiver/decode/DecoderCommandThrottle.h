#pragma once
// Commands the decoders send on their own (the stop-survey command after a
// time-only fix, the return to position fixes after a self-test) answer
// what the receiver reports. A receiver that ignores one reports the same
// again and again; each send costs a pause with the line held, so a command
// is sent again at most once every ResendIntervalMs.

#include <QByteArray>
#include <QList>
#include <QtGlobal>

class DecoderCommandThrottle {
public:
  static constexpr qint64 ResendIntervalMs = 10000;
  // Distinct commands remembered; the decoders send only a handful.
  static constexpr int MaxRemembered = 16;

  // Whether `command` may be sent now (monotonic milliseconds); when it
  // may, the send is noted.
  bool Allow(const QByteArray &command, qint64 nowMs);

private:
  struct Sent {
    QByteArray command;
    qint64 atMs = 0;
  };
  QList<Sent> sent_;
};
