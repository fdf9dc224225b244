#pragma once
// SIGTERM, SIGINT and SIGHUP (a log-out, a service stop, `kill`, Ctrl+C)
// turned into a Qt signal on the GUI thread, so the program can close as
// File > Exit does. The handler only writes the signal's number into a
// socket pair; a socket notifier reads it in the event loop.

#include <QObject>

class QSocketNotifier;

class TerminationSignals : public QObject {
  Q_OBJECT
public:
  // Installs the handlers (one set per process; a second object takes
  // them over). The previous handlers come back when it is destroyed.
  explicit TerminationSignals(QObject *parent = nullptr);
  ~TerminationSignals() override;

  // False when the socket pair or a handler could not be set up.
  bool IsInstalled() const { return installed_; }
  // Whether a signal has come since this object was made, even one whose
  // `received` no event loop has delivered yet.
  bool Received() const;

signals:
  // One per signal received (SIGTERM, SIGINT or SIGHUP).
  void received(int signalNumber);

private:
  void OnReadable();

  int sockets_[2] = {-1, -1};
  QSocketNotifier *notifier_ = nullptr;
  bool installed_ = false;
};
