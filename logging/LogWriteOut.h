#pragma once
// What the logs share between a row arriving and its bytes on disk: the
// bytes that wait for a file (bounded), and the timer that writes them out
// within a second of the first one and, while writing fails, every second
// after that until nothing waits, whether or not more rows come.

#include "logging/LogFileWriter.h"

#include <QByteArray>
#include <QTimer>

#include <functional>

namespace LogWriteOut {
// Bytes collected before they are written out between flushes.
inline constexpr int ChunkBytes = 16 * 1024;
// Waiting bytes are written out at this age at the latest; a failed
// write-out is tried again this often.
inline constexpr int MaxAgeMs = 1000;
}  // namespace LogWriteOut

// The bytes waiting for one log file. Beyond `limit` bytes more are dropped
// (and counted) so memory stays bounded while writing fails.
class WaitingBytes {
public:
  explicit WaitingBytes(int limit) : limit_(limit) {}

  // Adds bytes to the end; false when they were dropped.
  bool Add(const QByteArray &bytes);
  // Writes out what waits, in order; what the writer took leaves the queue,
  // so a write that fails halfway neither loses nor repeats a byte. False
  // when a write failed.
  bool WriteTo(LogFileWriter &writer);

  bool IsEmpty() const { return bytes_.isEmpty(); }
  int Size() const { return int(bytes_.size()); }
  qint64 Dropped() const { return dropped_; }
  // Forgets what waits (a closed file); ResetCount also the dropped count.
  void Clear() { bytes_.clear(); }
  void ResetCount() { dropped_ = 0; }

private:
  int limit_;
  QByteArray bytes_;
  qint64 dropped_ = 0;
};

// The one-second write-out of a log. Start() when bytes begin to wait; the
// log's writeOut runs MaxAgeMs later and returns whether bytes still wait
// (a failed write), in which case it runs again MaxAgeMs after.
class WriteOutTimer {
public:
  explicit WriteOutTimer(std::function<bool()> writeOut);
  WriteOutTimer(const WriteOutTimer &) = delete;
  WriteOutTimer &operator=(const WriteOutTimer &) = delete;

  // Starts the count unless it runs already (the first waiting byte sets
  // the age).
  void Start();
  void Stop();
  bool IsActive() const { return timer_.isActive(); }

private:
  std::function<bool()> writeOut_;
  QTimer timer_;
};
