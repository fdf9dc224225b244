#include "logging/LogWriteOut.h"

bool WaitingBytes::Add(const QByteArray &bytes)
{
  if (bytes_.size() + bytes.size() > limit_) {
    dropped_ += bytes.size();
    return false;
  }
  bytes_ += bytes;
  return true;
}

bool WaitingBytes::WriteTo(LogFileWriter &writer)
{
  while (!bytes_.isEmpty()) {
    const qint64 written = writer.Write(bytes_);
    if (written <= 0)
      return false;
    bytes_.remove(0, int(written));
  }
  return true;
}

WriteOutTimer::WriteOutTimer(std::function<bool()> writeOut) : writeOut_(std::move(writeOut))
{
  timer_.setSingleShot(true);
  timer_.setInterval(LogWriteOut::MaxAgeMs);
  QObject::connect(&timer_, &QTimer::timeout, [this] {
    // Bytes a failed write-out left are tried again even when no further
    // row comes, so they reach the disk once it takes them.
    if (writeOut_())
      timer_.start();
  });
}

void WriteOutTimer::Start()
{
  if (!timer_.isActive())
    timer_.start();
}

void WriteOutTimer::Stop()
{
  timer_.stop();
}
