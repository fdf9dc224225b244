#pragma once
// CommandTiming: the one clock of every pause and reply wait of the receiver command layer and the set-up routines (it can be scaled down).
//
// The main window owns one (MainWindow::Timing()). Both kinds of wait run a
// local event loop, so timers and window events go on and closing the window
// (Cancel) ends them at once:
//   Pause(ms)  the fixed pauses after a command (100 ms after each send, the
//              longer ones after "@@Ci", "BIN", "NMEA" and "FOR"): through
//              the line hold the receiver's bytes wait until the pause is
//              over, as if the program had slept, so no reply is lost to the
//              set-up gate;
//   Wait(ms)   a reply-wait step: everything runs, received messages are
//              decoded.
// NowMs() counts the program time these waits have let pass; the reply
// time-outs are measured on it. A scale (real ms per program ms) can be set
// so that a 2.5 s step takes a few real milliseconds while NowMs() still
// advances by 2500.

#include <QList>
#include <QtGlobal>

#include <functional>

class QEventLoop;

class CommandTiming {
public:
  CommandTiming() = default;
  CommandTiming(const CommandTiming &) = delete;
  CommandTiming &operator=(const CommandTiming &) = delete;

  // Real milliseconds per program millisecond; 1 in the program. Values at
  // or below 0 become 0 (every wait then lasts one pass of the event loop).
  void SetScale(double realPerProgramMs);
  double Scale() const { return scale; }

  // Program time (ms) that the pauses and waits have let pass so far.
  qint64 NowMs() const { return nowMs; }

  // A fixed pause of `ms` program milliseconds. Received bytes wait on the
  // line. False when it was cancelled (at once, or part-way).
  bool Pause(int ms);
  // One reply-wait step of `ms` program milliseconds; every event runs.
  // False when it was cancelled.
  bool Wait(int ms);

  // Called with true before each pause and with false after it (not around
  // wait steps): the owner holds the receiver's bytes back meanwhile.
  void SetLineHold(std::function<void(bool hold)> hold) { lineHold = std::move(hold); }

  // Ends every running pause and wait at once, and makes every later one
  // return at once: the window is closing.
  void Cancel();
  bool IsCancelled() const { return cancelled; }
  // The same until Resume(): a search or set-up is being ended and the
  // program goes on after it.
  void Interrupt();
  void Resume() { interrupted = false; }
  bool IsInterrupted() const { return interrupted; }

private:
  bool Run(int ms);

  double scale = 1.0;
  qint64 nowMs = 0;
  bool cancelled = false;
  bool interrupted = false;
  QList<QEventLoop *> running;
  std::function<void(bool)> lineHold;
};
