#pragma once
// A GpsDataLogHost whose answers a test sets and whose questions and
// reports it records, and the writers the logs' tests put in: one that
// fails while told to, one on a file system that fills up.

#include "logging/GpsDataLog.h"

#include <QDateTime>
#include <QFile>
#include <QList>
#include <QStringList>

#include <memory>

namespace riduder::test {

class GpsLogTestHost : public GpsDataLogHost {
public:
  GpsLogTestHost() { SetDisplayed(QDateTime(QDate(2024, 2, 14), QTime(12, 34, 56), Qt::UTC)); }

  void SetDisplayed(const QDateTime &utc) { displayed.SetDateTime(utc); }

  GpsDateTime DisplayedTime() const override { return displayed; }
  int LogType() const override { return logType; }
  int LogInterval() const override { return logInterval; }
  bool RecordGateOpen() const override { return gateOpen; }
  QString ProgramVersion() const override { return version; }
  QString ReceiverStatusText() const override { return statusText; }
  QString SoftwareDateText() const override { return softwareDate; }
  quint32 ProtocolMode() const override { return protocolMode; }
  int ChannelCount() const override { return channels; }

  bool ConfirmReplace(const QString &fileName) override
  {
    replaceQuestions << fileName;
    return replaceAnswer;
  }
  bool ConfirmClose() override
  {
    ++closeQuestions;
    return closeAnswer;
  }
  void ReportProblem(const QString &text) override { problems << text; }
  void OpenStateChanged(bool open) override { openStates << open; }

  GpsDateTime displayed;
  int logType = 0;
  int logInterval = 1;
  bool gateOpen = true;
  QString version = QStringLiteral("1.2.10");
  QString statusText = QStringLiteral("M12+ Timing Receiver");
  QString softwareDate;
  quint32 protocolMode = 2;
  int channels = 12;

  bool replaceAnswer = true;
  bool closeAnswer = true;
  QStringList replaceQuestions;
  int closeQuestions = 0;
  QStringList problems;
  QList<bool> openStates;
};

// A real file writer that refuses every write and flush while `failing`
// (shared, so the test can switch it after the log made its writer).
class SwitchableWriter : public LogFileWriter {
public:
  explicit SwitchableWriter(std::shared_ptr<bool> failing) : failing_(std::move(failing)) {}

  bool Open(const QString &path) override { return file_.Open(path); }
  qint64 Write(const QByteArray &bytes) override
  {
    ++writeCalls;
    return *failing_ ? -1 : file_.Write(bytes);
  }
  bool Flush() override { return !*failing_ && file_.Flush(); }
  void Close() override { file_.Close(); }
  bool IsOpen() const override { return file_.IsOpen(); }
  QString ErrorString() const override
  {
    return *failing_ ? QStringLiteral("No space left on device") : file_.ErrorString();
  }

  int writeCalls = 0;

private:
  std::shared_ptr<bool> failing_;
  FileLogWriter file_;
};

// A real file writer on a file system with `free` bytes left (shared by
// every file of the set; below 0 there is no limit). As a full disk does,
// a write takes what still fits and fails once nothing does.
class FillingDiskWriter : public LogFileWriter {
public:
  struct Disk {
    qint64 free = -1;
  };
  explicit FillingDiskWriter(std::shared_ptr<Disk> disk) : disk_(std::move(disk)) {}

  bool Open(const QString &path) override { return file_.Open(path); }
  qint64 Write(const QByteArray &bytes) override
  {
    if (disk_->free == 0)
      return -1;
    const qint64 fits = disk_->free < 0 ? bytes.size() : qMin<qint64>(bytes.size(), disk_->free);
    const qint64 written = file_.Write(bytes.left(int(fits)));
    if (written > 0 && disk_->free > 0)
      disk_->free -= written;
    return written;
  }
  bool Flush() override { return file_.Flush(); }
  void Close() override { file_.Close(); }
  bool IsOpen() const override { return file_.IsOpen(); }
  QString ErrorString() const override
  {
    return disk_->free == 0 ? QStringLiteral("No space left on device") : file_.ErrorString();
  }

private:
  std::shared_ptr<Disk> disk_;
  FileLogWriter file_;
};

inline QByteArray ReadFileBytes(const QString &path)
{
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline QStringList ReadFileLines(const QString &path)
{
  QString text = QString::fromUtf8(ReadFileBytes(path));
  if (text.endsWith(QLatin1Char('\n')))
    text.chop(1);
  return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
}

}  // namespace riduder::test
