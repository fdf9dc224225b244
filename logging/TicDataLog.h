#pragma once
// The TIC log set of one day: for each counter port 1 to 8 an average file
// and a time file, and one configuration log that takes the header, the
// trailer and configuration text (kept in a bounded buffer while the log is
// closed). It names the seventeen files, opens them together in one of four
// modes, takes the counters' rows, checks every flush for write errors,
// closes the set (deleting the empty files of ports 2 to 8) and rolls over
// to the next day's set. Rows are written out within a second of arriving,
// whatever drives the clock, and a failed write-out is tried again every
// second until it succeeds. Everything it needs of the program comes through
// TicDataLogHost, so it runs without a window.

#include "core/GpsDateTime.h"
#include "logging/GpsDataLog.h"
#include "logging/LogFileWriter.h"
#include "logging/LogWriteOut.h"
#include "logging/TicLogOptions.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>
#include <memory>

// Texts shown or written about the TIC log set.
namespace TicLogTexts {
inline constexpr char ReplaceQuestion[] = "Are you sure you want to replace this TIC Log file?";
inline constexpr char CloseQuestion[] = "Are you sure you want to close this TIC Log file set?";
inline constexpr char NewTitle[] = "New TIC Data Log";
inline constexpr char OpenTitle[] = "Open TIC Data Log";
// The New/Open window's button and warnings say what the GPS log's say.
inline constexpr const char *NewButton = GpsLogTexts::NewButton;
inline constexpr const char *OpenButton = GpsLogTexts::OpenButton;
inline constexpr const char *CannotCreate = GpsLogTexts::CannotCreate;
inline constexpr const char *CannotOpen = GpsLogTexts::CannotOpen;
// The file dialog's filters, in the order of their log styles below.
inline constexpr char CsvFilter[] = "CSV (comma delimited) (*.csv)";
inline constexpr char PrnFilter[] = "Formatted Text (Space-delimited) (*.prn)";
inline constexpr char TxtFilter[] = "Text (Tab-delimited) (*.txt)";
inline constexpr char AllFilter[] = "All Files (*.*)";
inline constexpr char OverflowMarker[] = "*** Configuration buffer overflow before log opened ***\n";
}  // namespace TicLogTexts

// The file dialog's filters in their order, and the log style each picks
// (an unknown filter: 1, commas).
QStringList TicLogNameFilters();
int TicLogStyleOfFilter(const QString &filter);
// The filter of a log style; empty for a style outside 0 to 2.
QString TicLogNameFilterOfStyle(int style);

// What the set needs of the program around it.
class TicDataLogHost {
public:
  virtual ~TicDataLogHost();

  // The displayed time: it names the day's files and dates header and
  // trailer.
  virtual GpsDateTime DisplayedTime() const = 0;
  // The time of the tags of formats 0 and 1 (TicRowTime); the displayed
  // time unless the host knows better.
  virtual GpsDateTime TagTime() const { return DisplayedTime(); }
  // Whether the timing dialog's software sawtooth correction is off (the
  // averaging line of the header).
  virtual bool SawtoothCorrectionOff() const = 0;

  // "Replace?" for the existing configuration log named fileName (no
  // directory); true to replace.
  virtual bool ConfirmReplace(const QString &fileName) = 0;
  // "Close?" for the set described by setText; true to close.
  virtual bool ConfirmClose(const QString &setText) = 0;
  // A problem the user must hear of (write failure, failed roll-over).
  virtual void ReportProblem(const QString &text) = 0;
  // The set was opened or closed (menu state, status label).
  virtual void OpenStateChanged(bool open) = 0;
};

class TicDataLog {
public:
  static constexpr int PortCount = 8;
  // Open modes.
  enum Mode { CreateNew = 0, CreateAskReplace = 1, CreateReplace = 2, AppendExisting = 3 };
  // Configuration text is buffered while the log is closed only as long as
  // the buffer holds at most this many characters.
  static constexpr int ConfigBufferLimit = 19999;
  // While writing fails, each file keeps up to this much; more is dropped
  // (and counted) so memory stays bounded.
  static constexpr int MaxPendingBytes = 4 * 1024 * 1024;
  // Waiting rows are written out at this age at the latest, with or
  // without a 1PPS tick; while writing fails, that write-out is tried again
  // this often.
  static constexpr int MaxPendingAgeMs = LogWriteOut::MaxAgeMs;

  explicit TicDataLog(TicDataLogHost &host);
  ~TicDataLog();
  TicDataLog(const TicDataLog &) = delete;
  TicDataLog &operator=(const TicDataLog &) = delete;

  // Replaces the file writer; the next open uses it.
  void SetWriterFactory(LogFileWriterFactory factory);

  // --- Options ---
  // Loads the options from the settings: at start-up, after the New/Open
  // panel or a remote command stored them, and at every open.
  void LoadOptions();
  const TicLogOptions &Options() const { return options_; }
  int TimeTagFormat() const { return options_.timeTagFormat; }
  int LogStyle() const { return options_.logStyle; }
  int TimeLogInterval() const { return options_.timeLogInterval; }
  int AveragingPeriod() const { return options_.averagingPeriod; }
  // Whether configuration and satellite texts go to the configuration log.
  bool ConfigTextWanted() const { return options_.configText; }
  // The time tag of a row or configuration line, followed by one blank:
  // format 0 year and day of year with its fraction, 1 Modified Julian Day,
  // 2 spreadsheet day from the PC clock; empty for any other format.
  QString TimeTag() const;

  // --- The set ---
  // Names the seventeen files from the settings and the displayed day, and
  // loads the options.
  void MakeTicLogFileName();
  // Opens the day's set in mode 0 to 3 (see Mode): all seventeen files or
  // none. False when a file of the set is open already. True when the
  // configuration log is open afterwards.
  bool OpenTicLogFiles(int mode);
  // Closes the set with its trailer, deleting the empty files of ports 2 to
  // 8; unless withoutAsking, asks first (also when nothing is open). True
  // when a file was open and has been closed.
  bool CloseTicLogFiles(bool withoutAsking);
  // Writes out what every open file holds and checks for write errors;
  // true while the set is open.
  bool FlushLogFiles();
  // At a new day: closes the set and, with "Auto Restart TIC logs" on,
  // opens the new day's set (appending when it exists). A failed reopen is
  // reported. True when the close closed something.
  bool RollOverToNewDay();

  // --- Writers ---
  // Configuration text: each line after the time tag while the log is
  // open (buffered text follows); buffered while it is closed.
  void WriteTicLog(const QString &text);
  // One row and "\n" into port n's (1..8) time file; nothing for an empty
  // row or a closed file. True when written.
  bool WriteTimeRow(int port, const QByteArray &row);
  // One row and "\n" into port n's average file while the set is open.
  bool WriteAverageRow(int port, const QByteArray &row);

  // --- State ---
  // The set counts as open while its configuration log is.
  bool IsOpen() const;
  // Whether any of the seventeen files is open.
  bool AnyFileOpen() const;
  QString AverageFileName(int port) const { return averageFiles_[port - 1].name; }
  QString TimeFileName(int port) const { return timeFiles_[port - 1].name; }
  QString ConfigFileName() const { return configFile_.name; }
  QString ConfigBuffer() const { return configBuffer_; }
  // True from a failed write until a flush succeeds.
  bool HasWriteError() const { return writeFailed_; }
  // "" while all is well; else what went wrong (a failed write of the open
  // set, a roll-over that could not open the new day's set, or a close that
  // left bytes unwritten, until the next open).
  QString StatusText() const;
  qint64 DroppedBytes() const;

  // The header texts of an open in the given mode, one text per call of
  // WriteTicLog.
  QStringList HeaderTexts(int mode) const;
  QString TrailerText() const;
  // The set as the close question names it: the configuration log's name
  // without directory, cut before "C.txt", then " [A..., C, T...]".
  static QString SetDescription(const QString &configFileName);

private:
  struct File {
    QString name;
    std::unique_ptr<LogFileWriter> writer;
    WaitingBytes waiting{MaxPendingBytes};
    bool IsOpen() const { return writer && writer->IsOpen(); }
  };

  QString DisplayedDateText() const;
  template <typename Each> void ForEachFile(Each each);
  // The names a replace deletes: every style's extension of each stem.
  QStringList ReplacedNames() const;
  bool RemoveForReplace();
  bool OpenAll();
  bool WriteRow(File &file, const QByteArray &row);
  void Append(File &file, const QByteArray &bytes);
  // Writes out what the file holds and flushes it; false on an error.
  bool WriteOut(File &file);
  void CloseFile(File &file);
  void WriteLines(const QString &tag, const QString &text);
  void NoteFlushResult(bool ok, const File *failed);
  bool AnyPending() const;

  TicDataLogHost &host_;
  LogFileWriterFactory writerFactory_;
  TicLogOptions options_;
  std::array<File, PortCount> averageFiles_;
  std::array<File, PortCount> timeFiles_;
  File configFile_;
  // What the day's names are made of, for a replace: every port file and
  // the configuration log without extension.
  QStringList replacedStems_;
  QString configBuffer_;
  WriteOutTimer writeOutTimer_;
  bool writeFailed_ = false;
  QString failureText_;
  QString failureReason_;  // the writer's error alone
  QString rollOverProblem_;
  qint64 unwrittenAtClose_ = 0;
};
