#include "logging/TicDataLog.h"

#include "core/StoredSetting.h"
#include "logging/LogFileNames.h"
#include "logging/TicTimeTag.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

namespace {

QString WithoutTrailingLineFeeds(QString text)
{
  text.remove(QLatin1Char('\r'));
  while (text.endsWith(QLatin1Char('\n')))
    text.chop(1);
  return text;
}

QString Native(const QString &path)
{
  return QDir::toNativeSeparators(path);
}

}  // namespace

QStringList TicLogNameFilters()
{
  return {QString::fromLatin1(TicLogTexts::CsvFilter), QString::fromLatin1(TicLogTexts::PrnFilter),
          QString::fromLatin1(TicLogTexts::TxtFilter), QString::fromLatin1(TicLogTexts::AllFilter)};
}

int TicLogStyleOfFilter(const QString &filter)
{
  if (filter == QLatin1String(TicLogTexts::PrnFilter))
    return 0;
  if (filter == QLatin1String(TicLogTexts::TxtFilter))
    return 2;
  return 1;
}

QString TicLogNameFilterOfStyle(int style)
{
  switch (style) {
  case 0: return QString::fromLatin1(TicLogTexts::PrnFilter);
  case 1: return QString::fromLatin1(TicLogTexts::CsvFilter);
  case 2: return QString::fromLatin1(TicLogTexts::TxtFilter);
  default: return QString();
  }
}

TicDataLogHost::~TicDataLogHost() = default;

TicDataLog::TicDataLog(TicDataLogHost &host)
    : host_(host), writerFactory_([] { return std::make_unique<FileLogWriter>(); }),
      writeOutTimer_([this] { return FlushLogFiles() && AnyPending(); })
{
}

TicDataLog::~TicDataLog()
{
  // The owner closes the set with its trailer; this only keeps the data,
  // without a word to a host that may be half gone.
  ForEachFile([](File &file) {
    if (!file.IsOpen())
      return;
    file.waiting.WriteTo(*file.writer);
    file.writer->Close();
  });
}

template <typename Each> void TicDataLog::ForEachFile(Each each)
{
  for (int i = 0; i < PortCount; ++i) {
    each(averageFiles_[i]);
    each(timeFiles_[i]);
  }
  each(configFile_);
}

void TicDataLog::SetWriterFactory(LogFileWriterFactory factory)
{
  writerFactory_ = std::move(factory);
}

void TicDataLog::LoadOptions()
{
  options_ = TicLogOptions::FromSettings();
}

QString TicDataLog::TimeTag() const
{
  return LogTimeTag(options_.timeTagFormat, host_.TagTime());
}

bool TicDataLog::IsOpen() const
{
  return configFile_.IsOpen();
}

bool TicDataLog::AnyFileOpen() const
{
  for (int i = 0; i < PortCount; ++i)
    if (averageFiles_[i].IsOpen() || timeFiles_[i].IsOpen())
      return true;
  return configFile_.IsOpen();
}

qint64 TicDataLog::DroppedBytes() const
{
  qint64 dropped = configFile_.waiting.Dropped();
  for (int i = 0; i < PortCount; ++i)
    dropped += averageFiles_[i].waiting.Dropped() + timeFiles_[i].waiting.Dropped();
  return dropped;
}

void TicDataLog::MakeTicLogFileName()
{
  LoadOptions();
  // The names of an open set stay until it is closed.
  if (AnyFileOpen())
    return;
  const StoredLogLocation location = ReadLogLocation(TicLogKeys::FileDirectory, TicLogKeys::FileNamePrefix);
  const QString base = LogFileBase(location.directory, location.prefix);
  const int day = host_.DisplayedTime().dayOfYear();
  const QString extension = TicDataExtension(options_.logStyle);
  for (int port = 1; port <= PortCount; ++port) {
    averageFiles_[port - 1].name = TicPortFileStem(base, day, 'A', port) + extension;
    timeFiles_[port - 1].name = TicPortFileStem(base, day, 'T', port) + extension;
  }
  configFile_.name = TicConfigFileStem(base, day) + TicConfigExtension(options_.logStyle);
  replacedStems_.clear();
  for (int port = 1; port <= PortCount; ++port)
    replacedStems_ << TicPortFileStem(base, day, 'A', port) << TicPortFileStem(base, day, 'T', port);
  replacedStems_ << TicConfigFileStem(base, day);
}

QStringList TicDataLog::ReplacedNames() const
{
  QStringList names;
  for (const QString &stem : replacedStems_)
    for (int style = 0; style <= 2; ++style)
      names << stem + TicDataExtension(style);
  // The set's own names too, whatever its style made of them.
  for (int i = 0; i < PortCount; ++i)
    names << averageFiles_[i].name << timeFiles_[i].name;
  names << configFile_.name;
  names.removeDuplicates();
  return names;
}

bool TicDataLog::RemoveForReplace()
{
  for (const QString &name : ReplacedNames()) {
    if (!QFileInfo::exists(name))
      continue;
    // Appending to a file that was meant to be replaced would mix two
    // days' logs in one file.
    if (!QFile::remove(name)) {
      qDebug() << "Failed to replace TIC Log file  -> " << name;
      return false;
    }
  }
  return true;
}

bool TicDataLog::OpenAll()
{
  PrepareLogDirectory(configFile_.name);
  QStringList created;
  bool ok = true;
  ForEachFile([&](File &file) {
    if (!ok)
      return;
    file.waiting.Clear();
    file.waiting.ResetCount();
    const bool existed = QFileInfo::exists(file.name);
    file.writer = writerFactory_();
    if (!file.writer || !file.writer->Open(file.name)) {
      qDebug() << "Failed to open TIC Log file  -> " << file.name;
      file.writer.reset();
      ok = false;
      return;
    }
    if (!existed)
      created << file.name;
  });
  if (ok)
    return true;
  // All or nothing: close what opened and take away the empty files this
  // attempt made.
  ForEachFile([](File &file) {
    if (file.writer)
      file.writer->Close();
    file.writer.reset();
  });
  for (const QString &name : created)
    if (QFileInfo(name).size() == 0)
      QFile::remove(name);
  return false;
}

bool TicDataLog::OpenTicLogFiles(int mode)
{
  if (AnyFileOpen())
    return false;
  MakeTicLogFileName();

  const bool exists = QFileInfo::exists(configFile_.name);
  switch (mode) {
  case CreateAskReplace:
  case CreateReplace:
    if (mode == CreateAskReplace && exists && !host_.ConfirmReplace(QFileInfo(configFile_.name).fileName()))
      return false;
    if (!RemoveForReplace())
      return false;
    break;
  case CreateNew:
    if (exists)
      return false;
    break;
  case AppendExisting:
    if (!exists)
      return false;
    break;
  default:
    return false;
  }

  if (!OpenAll())
    return false;
  writeFailed_ = false;
  failureText_.clear();
  failureReason_.clear();
  rollOverProblem_.clear();
  unwrittenAtClose_ = 0;
  for (const QString &text : HeaderTexts(mode))
    WriteTicLog(text);
  QSettings settings;
  StoreSettingIfChanged(settings, QLatin1String(TicLogKeys::LogFileOpen), IsOpen());
  host_.OpenStateChanged(IsOpen());
  return IsOpen();
}

bool TicDataLog::CloseTicLogFiles(bool withoutAsking)
{
  if (!withoutAsking && !host_.ConfirmClose(SetDescription(configFile_.name)))
    return false;

  bool closed = false;
  qint64 unwritten = 0;
  for (int port = 1; port <= PortCount; ++port) {
    for (File *file : {&averageFiles_[port - 1], &timeFiles_[port - 1]}) {
      if (!file->IsOpen())
        continue;
      WriteOut(*file);
      // Data that could not be written yet keeps its file.
      const bool empty = file->waiting.IsEmpty() && QFileInfo(file->name).size() == 0;
      unwritten += file->waiting.Size();
      CloseFile(*file);
      closed = true;
      // A port without a counter leaves empty files; port 1's stay.
      if (port >= 2 && empty)
        QFile::remove(file->name);
    }
  }
  if (configFile_.IsOpen()) {
    WriteTicLog(TrailerText());
    WriteOut(configFile_);
    unwritten += configFile_.waiting.Size();
    CloseFile(configFile_);
    closed = true;
  }
  if (closed)
    unwrittenAtClose_ = unwritten;
  if (unwritten > 0)
    host_.ReportProblem(QStringLiteral("The TIC log set %1 was closed with %2 bytes that could not be written.")
                            .arg(SetDescription(configFile_.name))
                            .arg(unwritten));
  writeOutTimer_.Stop();
  writeFailed_ = false;
  failureText_.clear();
  failureReason_.clear();
  host_.OpenStateChanged(false);
  return closed;
}

bool TicDataLog::FlushLogFiles()
{
  if (!IsOpen())
    return false;
  const File *failed = nullptr;
  ForEachFile([&](File &file) {
    if (!WriteOut(file) && !failed)
      failed = &file;
  });
  NoteFlushResult(!failed, failed);
  return true;
}

bool TicDataLog::AnyPending() const
{
  for (int i = 0; i < PortCount; ++i)
    if (!averageFiles_[i].waiting.IsEmpty() || !timeFiles_[i].waiting.IsEmpty())
      return true;
  return !configFile_.waiting.IsEmpty();
}

bool TicDataLog::RollOverToNewDay()
{
  if (!CloseTicLogFiles(true))
    return false;
  if (QSettings().value(TicLogKeys::TimeLogAutorestart, 0).toInt() != 1)
    return true;
  MakeTicLogFileName();
  // A set of the new day may exist already (a restart after midnight, a
  // clock stepped back): log on into it.
  const int mode = QFileInfo::exists(configFile_.name) ? AppendExisting : CreateNew;
  if (!OpenTicLogFiles(mode)) {
    rollOverProblem_ = QStringLiteral("The TIC log set for the new day could not be opened: %1")
                           .arg(Native(configFile_.name));
    host_.ReportProblem(rollOverProblem_);
  }
  return true;
}

void TicDataLog::WriteTicLog(const QString &text)
{
  const QString lines = WithoutTrailingLineFeeds(text);
  if (!IsOpen()) {
    if (lines.isEmpty())
      return;
    if (configBuffer_.size() > ConfigBufferLimit) {
      const QString marker = QString::fromLatin1(TicLogTexts::OverflowMarker);
      if (!configBuffer_.endsWith(marker))
        configBuffer_ += TimeTag() + marker;
      return;
    }
    configBuffer_ += lines + QLatin1Char('\n');
    return;
  }

  const QString tag = TimeTag();
  if (!lines.isEmpty())
    WriteLines(tag, lines);
  // Text that came while the log was closed follows, with today's tag.
  if (!configBuffer_.isEmpty()) {
    WriteLines(tag, WithoutTrailingLineFeeds(configBuffer_));
    configBuffer_.clear();
  }
  if (!WriteOut(configFile_))
    NoteFlushResult(false, &configFile_);
}

void TicDataLog::WriteLines(const QString &tag, const QString &text)
{
  QString tagged;
  for (const QString &line : text.split(QLatin1Char('\n')))
    tagged += tag + line + QLatin1Char('\n');
  Append(configFile_, tagged.toUtf8());
}

bool TicDataLog::WriteTimeRow(int port, const QByteArray &row)
{
  return port >= 1 && port <= PortCount && IsOpen() && WriteRow(timeFiles_[port - 1], row);
}

bool TicDataLog::WriteAverageRow(int port, const QByteArray &row)
{
  return port >= 1 && port <= PortCount && IsOpen() && WriteRow(averageFiles_[port - 1], row);
}

bool TicDataLog::WriteRow(File &file, const QByteArray &row)
{
  if (row.isEmpty() || !file.IsOpen())
    return false;
  Append(file, row + '\n');
  return true;
}

void TicDataLog::Append(File &file, const QByteArray &bytes)
{
  if (!file.waiting.Add(bytes))
    return;
  // While writing fails, the data waits for the next write-out.
  if (!writeFailed_ && file.waiting.Size() >= LogWriteOut::ChunkBytes && !WriteOut(file))
    NoteFlushResult(false, &file);
  if (!file.waiting.IsEmpty())
    writeOutTimer_.Start();
}

bool TicDataLog::WriteOut(File &file)
{
  if (!file.IsOpen())
    return true;
  return file.waiting.WriteTo(*file.writer) && file.writer->Flush();
}

void TicDataLog::CloseFile(File &file)
{
  if (file.writer)
    file.writer->Close();
  file.writer.reset();
  file.waiting.Clear();
}

void TicDataLog::NoteFlushResult(bool ok, const File *failed)
{
  if (ok) {
    if (!writeFailed_)
      return;
    writeFailed_ = false;
    failureText_.clear();
    failureReason_.clear();
    host_.ReportProblem(QStringLiteral("Writing the TIC log set %1 works again.")
                            .arg(SetDescription(configFile_.name)));
    return;
  }
  failureReason_ = failed->writer ? failed->writer->ErrorString() : QString();
  failureText_ = QStringLiteral("%1: %2").arg(Native(failed->name), failureReason_);
  if (writeFailed_)
    return;
  writeFailed_ = true;
  host_.ReportProblem(QStringLiteral("Writing the TIC log set failed: %1. The files stay open and "
                                     "writing is tried again at the next flush.")
                          .arg(failureText_));
}

QString TicDataLog::StatusText() const
{
  // Short, for the status bar; the full reports name the files.
  if (!rollOverProblem_.isEmpty())
    return QStringLiteral("TIC log: %1 not opened").arg(QFileInfo(configFile_.name).fileName());
  if (!IsOpen())
    return unwrittenAtClose_ > 0 ? QStringLiteral("TIC log closed, %1 bytes not written").arg(unwrittenAtClose_)
                                 : QString();
  QString text;
  if (writeFailed_)
    text = QStringLiteral("TIC log: %1").arg(failureReason_);
  if (const qint64 dropped = DroppedBytes(); dropped > 0) {
    if (!text.isEmpty())
      text += QStringLiteral("; ");
    text += QStringLiteral("%1 bytes lost").arg(dropped);
  }
  return text;
}

QString TicDataLog::DisplayedDateText() const
{
  return host_.DisplayedTime().toString(QString::fromLatin1(GpsLogTexts::HeaderDateFormat));
}

QStringList TicDataLog::HeaderTexts(int mode) const
{
  const QString date = DisplayedDateText();
  QStringList texts;
  if (mode == AppendExisting)
    texts << QStringLiteral(";\n; Opened exesting TIC Data Logs to append data ") + date + QStringLiteral(" UTC\n;\n");
  else
    texts << QStringLiteral("; Created TIC Data Logs ") + date + QStringLiteral(" UTC\n");
  const int interval = options_.timeLogInterval;
  texts << (interval > 0 ? QStringLiteral("; Recording time data every %1 seconds\n").arg(interval)
                         : QStringLiteral("; Recording time data DISABLED\n"));
  const int period = options_.averagingPeriod;
  if (period <= 0)
    texts << QStringLiteral("; Average data file based on external TIC data. Averaging Period is set by TIC.\n; ");
  else if (host_.SawtoothCorrectionOff())
    texts << QStringLiteral("; Average data file based on internal raw data. Software sawtooth correction "
                            "is OFF. Averaging Period is %1 seconds.\n; ")
                 .arg(period);
  else
    texts << QStringLiteral("; Average data file based on internal sawtooth corrected data. Averaging "
                            "Period is %1 seconds.\n; ")
                 .arg(period);
  return texts;
}

QString TicDataLog::TrailerText() const
{
  return QStringLiteral("; Closed TIC Data Logs ") + DisplayedDateText() + QStringLiteral(" UTC\n; \n");
}

QString TicDataLog::SetDescription(const QString &configFileName)
{
  QString name = QFileInfo(configFileName).fileName();
  const int tail = name.lastIndexOf(QLatin1String("C.txt"));
  if (tail >= 0)
    name.truncate(tail);
  return name + QStringLiteral(" [A..., C, T...]");
}
