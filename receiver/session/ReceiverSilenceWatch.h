#pragma once
// Notices a receiver that stops talking while its port stays open (the
// receiver paused or hung, the cable pulled from a USB adapter): no framed
// message for SilenceMs while the receiver is watched, that is while its
// port is open and no search or set-up runs. Plain: the caller passes the
// monotonic time and whether the receiver is watched.

#include <QtGlobal>

class ReceiverSilenceWatch {
public:
  static constexpr qint64 SilenceMs = 5000;

  // A framed message came. True when it ends a silence that Check reported.
  bool MessageArrived(qint64 nowMs);
  // Called regularly. True once per silence, when the receiver has been
  // watched and silent for SilenceMs. While it is not watched nothing is
  // counted: the wait starts again when watching resumes, and a silence
  // then is a new one, reported again.
  bool Check(qint64 nowMs, bool watched);
  // The wait starts again at the next Check, as after a time unwatched:
  // the port was (re)opened, a search or set-up began or ended (too briefly,
  // maybe, for a Check to fall inside it).
  void Restart();
  // A reported silence that no message has ended yet.
  bool Silent() const { return silent; }

private:
  qint64 quietSinceMs = -1;  // -1: the wait starts at the next Check
  bool reported = false;     // the present wait has been reported
  bool silent = false;
};
