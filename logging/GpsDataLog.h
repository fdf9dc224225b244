#pragma once
// The GPS data log: one file a day of the receiver's data in one of five
// types (raw text, binary messages, PVT table, NMEA-style records, RINEX
// messages). It names the file, opens it in one of four modes with its
// header, takes text lines and binary records, writes a trailer when it is
// closed, checks every flush for write errors and rolls over to the next
// day's file. Everything it needs of the program comes through
// GpsDataLogHost, so it runs without a window.

#include "core/GpsDateTime.h"
#include "logging/LogFileWriter.h"
#include "logging/LogWriteOut.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>

// Settings of the GPS log.
namespace GpsLogKeys {
inline constexpr char FileDirectory[] = "LogFiles/GpsLogFileDirectory";
inline constexpr char FileNamePrefix[] = "LogFiles/GpsFileNamePrefix";
inline constexpr char FileDialogSettings[] = "LogFiles/GpsFileDialogSettings";
inline constexpr char FileDialogGeometry[] = "LogFiles/GpsFileDialogGeometry";
inline constexpr char LogOpen[] = "LogFiles/GpsLogOpen";
inline constexpr char Autorestart[] = "LogFiles/GpsLogAutorestart";
inline constexpr char DataType[] = "LogFiles/GpsLogDataType";
inline constexpr char LogEvery[] = "LogFiles/GPSLogEvery";
inline constexpr char UseGpsSecondNumber[] = "LogFiles/UseGpsSecondNumber";
inline constexpr char TypeDialogGeometry[] = "GpsLogTypeDialog/geometry";
}  // namespace GpsLogKeys

// Texts shown about the GPS log.
namespace GpsLogTexts {
inline constexpr char ReplaceQuestion[] = "Are you sure you want to replace this GPS Log file?";
inline constexpr char CloseQuestion[] = "Are you sure you want to close this GPS Log file?";
inline constexpr char CannotCreate[] = "Cannot create files.";
inline constexpr char CannotOpen[] = "Cannot open files.\nThe files for the current day do not exest.";
inline constexpr char NewTitle[] = "New GPS Data Log";
inline constexpr char OpenTitle[] = "Open GPS Data Log";
inline constexpr char NewButton[] = "Create New";
inline constexpr char OpenButton[] = "Open Existing";
inline constexpr char NameFilter[] = "Text or Binary (*.txt *.bin *.csv)";
inline constexpr char HeaderDateFormat[] = "ddd MMM dd hh:mm:ss yyyy";
}  // namespace GpsLogTexts

// What the log needs of the program around it.
class GpsDataLogHost {
public:
  virtual ~GpsDataLogHost();

  // The displayed time: it names the day's file and dates header and trailer.
  virtual GpsDateTime DisplayedTime() const = 0;
  // The log options in force, read at each use.
  virtual int LogType() const = 0;
  virtual int LogInterval() const = 0;
  // Whether this receiver second is a logging second (binary records).
  virtual bool RecordGateOpen() const = 0;
  // Header texts.
  virtual QString ProgramVersion() const = 0;
  virtual QString ReceiverStatusText() const = 0;
  virtual QString SoftwareDateText() const = 0;
  // The protocol mode in force and the receiver's channel count (column row).
  virtual quint32 ProtocolMode() const = 0;
  virtual int ChannelCount() const = 0;

  // "Replace?" for the existing file named fileName (no directory); true
  // to replace.
  virtual bool ConfirmReplace(const QString &fileName) = 0;
  // "Close?"; true to close.
  virtual bool ConfirmClose() = 0;
  // A problem the user must hear of (write failure, failed roll-over).
  virtual void ReportProblem(const QString &text) = 0;
  // The log was opened or closed (menu state).
  virtual void OpenStateChanged(bool open) = 0;
};

class GpsDataLog {
public:
  // Open modes.
  enum Mode { CreateNew = 0, CreateAskReplace = 1, CreateReplace = 2, AppendExisting = 3 };

  // Bytes collected before they are written out between flushes.
  static constexpr int WriteChunkBytes = LogWriteOut::ChunkBytes;
  // While writing fails, data waits up to this size; more is dropped (and
  // counted) so memory stays bounded.
  static constexpr int MaxPendingBytes = 32 * 1024 * 1024;
  // Waiting text is written out at this age at the latest, so a log on
  // disk is never further behind, with or without a 1PPS tick; while
  // writing fails, that write-out is tried again this often.
  static constexpr int MaxPendingAgeMs = LogWriteOut::MaxAgeMs;

  explicit GpsDataLog(GpsDataLogHost &host);
  ~GpsDataLog();
  GpsDataLog(const GpsDataLog &) = delete;
  GpsDataLog &operator=(const GpsDataLog &) = delete;

  // Replaces the file writer; the next open uses it.
  void SetWriterFactory(LogFileWriterFactory factory);

  // Names the log from the settings, the displayed day and the log type;
  // returns the name.
  QString MakeGpsLogFileName();
  // Opens the day's log in mode 0 to 3 (see Mode); an open log is closed
  // first without a trailer. True when the log is open afterwards.
  bool OpenGpsLogFile(int mode);
  // Closes the log with its trailer; unless silent, asks first. True when
  // an open log was closed.
  bool CloseGpsLogFile(bool silent);
  // Writes out what is waiting and checks the file; true when open.
  bool FlushGpsLogFile();
  // At a new day: closes the log silently and, with auto-restart on, opens
  // the new day's file (appending when it exists). True when a log is open
  // for the new day. A failed reopen is reported.
  bool RollOverToNewDay();

  // A text block as whole lines: CRs removed, trailing LFs dropped, one
  // "\n" after each line, UTF-8. Nothing for an empty text or a closed log.
  void WriteGpsLog(const QString &text);
  // One binary record for log types 1 and 4 (see BinaryRecord); type 4
  // keeps "@@Ba"/"@@Ea" and "@@Bk"/"@@Ek" for the next "@@Bg"/"@@Eg".
  void WriteBinaryGpsLog(const QByteArray &message);

  bool IsOpen() const;
  QString FileName() const { return fileName_; }
  // True from a failed write until a write succeeds.
  bool HasWriteError() const { return writeFailed_; }
  // "" while all is well; else what went wrong: a failed write of the open
  // log, or a close that left bytes unwritten (until the next open).
  QString StatusText() const;
  qint64 DroppedBytes() const { return waiting_.Dropped(); }

  // The message, the XOR of its bytes from index 2 on (0 when shorter than
  // three bytes), CR, LF.
  static QByteArray BinaryRecord(const QByteArray &message);
  // The column row of a PVT log for a protocol mode and channel count;
  // empty when the combination has none.
  static QString ColumnRow(quint32 protocolMode, int channels);
  // The header texts of an open in the given mode, one text per line.
  QStringList HeaderLines(int mode) const;
  QString TrailerText() const;

private:
  QString DisplayedDateText() const;
  void Append(const QByteArray &bytes);
  bool WritePending();
  void NoteFailure(const QString &what);
  void NoteSuccess();
  void CloseWriter();

  GpsDataLogHost &host_;
  LogFileWriterFactory writerFactory_;
  std::unique_ptr<LogFileWriter> writer_;
  QString fileName_;
  WaitingBytes waiting_{MaxPendingBytes};
  WriteOutTimer writeOutTimer_;
  bool writeFailed_ = false;
  QString failureText_;
  qint64 unwrittenAtClose_ = 0;
  // Log type 4: the last "@@Ba"/"@@Ea" and the last "@@Bk"/"@@Ek",
  // written in front of the next "@@Bg"/"@@Eg". Kept across close/open.
  QByteArray heldTimeMessage_;
  QByteArray heldSecondMessage_;
};
