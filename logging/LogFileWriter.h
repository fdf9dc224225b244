#pragma once
// Where a log's bytes go. The logs write through this interface so that
// another writer (one that fails on demand, say) can stand in; the real one
// is a file.

#include <QByteArray>
#include <QFile>
#include <QString>

#include <functional>
#include <memory>

class LogFileWriter {
public:
  virtual ~LogFileWriter();

  // Opens path write-only for appending, creating a missing file.
  virtual bool Open(const QString &path) = 0;
  // Writes what it can; returns the bytes written, -1 on error.
  virtual qint64 Write(const QByteArray &bytes) = 0;
  virtual bool Flush() = 0;
  virtual void Close() = 0;
  virtual bool IsOpen() const = 0;
  virtual QString ErrorString() const = 0;
};

// The real writer: an unbuffered file, so that every error shows at the
// write that met it. Bytes are written as they are (no line-end changes).
class FileLogWriter : public LogFileWriter {
public:
  bool Open(const QString &path) override;
  qint64 Write(const QByteArray &bytes) override;
  bool Flush() override;
  void Close() override;
  bool IsOpen() const override;
  QString ErrorString() const override;

private:
  QFile file_;
};

using LogFileWriterFactory = std::function<std::unique_ptr<LogFileWriter>()>;
