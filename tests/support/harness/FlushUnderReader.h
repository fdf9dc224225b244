#pragma once
// Takes the bytes a pseudo-terminal holds for its reader away between the
// event loop's notice that they are there and the reader's read(), which
// then returns nothing: what a driver that drops bytes, or a flush of the
// line, does to a serial port.

#include <QObject>
#include <QString>

class QSocketNotifier;

namespace riduder::test {

class FlushUnderReader : public QObject {
public:
  // Opens the line's device itself. Make it before the reader opens the
  // line: in the event loop's turn its notice of new bytes comes first.
  // While unarmed it only watches, so the reader must go on reading.
  explicit FlushUnderReader(const QString &devicePath);
  ~FlushUnderReader() override;

  bool IsOpen() const { return descriptor >= 0; }
  // The next bytes that reach the line are flushed, and errno is left at
  // `staleErrno`, as an unrelated earlier call would leave it.
  void FlushNextArrival(int staleErrno);
  int Flushes() const { return flushes; }

private:
  void OnArrival();

  int descriptor = -1;
  QSocketNotifier *notifier = nullptr;
  bool armed = false;
  int errnoLeft = 0;
  int flushes = 0;
};

}  // namespace riduder::test
