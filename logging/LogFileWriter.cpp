#include "logging/LogFileWriter.h"

LogFileWriter::~LogFileWriter() = default;

bool FileLogWriter::Open(const QString &path)
{
  if (file_.isOpen())
    file_.close();
  file_.setFileName(path);
  return file_.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered);
}

qint64 FileLogWriter::Write(const QByteArray &bytes)
{
  return file_.write(bytes);
}

bool FileLogWriter::Flush()
{
  return file_.isOpen() && file_.flush();
}

void FileLogWriter::Close()
{
  file_.close();
}

bool FileLogWriter::IsOpen() const
{
  return file_.isOpen();
}

QString FileLogWriter::ErrorString() const
{
  return file_.errorString();
}
