#pragma once
// A TicDataLogHost whose answers a test sets and whose questions and
// reports it records, and a writer on a file system that fills up.

#include "logging/TicDataLog.h"

#include <QDateTime>
#include <QList>
#include <QStringList>

#include <memory>

namespace riduder::test {

class TicLogTestHost : public TicDataLogHost {
public:
  TicLogTestHost() { displayed.SetDateTime(QDateTime(QDate(2024, 2, 14), QTime(12, 34, 56), Qt::UTC)); }

  GpsDateTime DisplayedTime() const override { return displayed; }
  bool SawtoothCorrectionOff() const override { return sawtoothOff; }
  bool ConfirmReplace(const QString &fileName) override
  {
    replaceQuestions << fileName;
    return replaceAnswer;
  }
  bool ConfirmClose(const QString &setText) override
  {
    closeQuestions << setText;
    return closeAnswer;
  }
  void ReportProblem(const QString &text) override { problems << text; }
  void OpenStateChanged(bool open) override { openStates << open; }

  GpsDateTime displayed;
  bool sawtoothOff = false;
  bool replaceAnswer = true;
  bool closeAnswer = true;
  QStringList replaceQuestions;
  QStringList closeQuestions;
  QStringList problems;
  QList<bool> openStates;
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

}  // namespace riduder::test
