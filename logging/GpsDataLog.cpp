#include "logging/GpsDataLog.h"

#include "core/GpsMode.h"
#include "logging/LogFileNames.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

GpsDataLogHost::~GpsDataLogHost() = default;

GpsDataLog::GpsDataLog(GpsDataLogHost &host)
    : host_(host), writerFactory_([] { return std::make_unique<FileLogWriter>(); }),
      writeOutTimer_([this] { return FlushGpsLogFile() && !waiting_.IsEmpty(); })
{
}

GpsDataLog::~GpsDataLog()
{
  // The owner closes the log with its trailer; this only keeps the data,
  // without a word to a host that may be half gone.
  if (IsOpen()) {
    waiting_.WriteTo(*writer_);
    CloseWriter();
  }
}

void GpsDataLog::SetWriterFactory(LogFileWriterFactory factory)
{
  writerFactory_ = std::move(factory);
}

bool GpsDataLog::IsOpen() const
{
  return writer_ && writer_->IsOpen();
}

QString GpsDataLog::MakeGpsLogFileName()
{
  const StoredLogLocation location = ReadLogLocation(GpsLogKeys::FileDirectory, GpsLogKeys::FileNamePrefix);
  fileName_ = GpsLogFileName(LogFileBase(location.directory, location.prefix),
                             host_.DisplayedTime().dayOfYear(), host_.LogType());
  return fileName_;
}

bool GpsDataLog::OpenGpsLogFile(int mode)
{
  if (IsOpen()) {
    FlushGpsLogFile();
    CloseWriter();
  }
  MakeGpsLogFileName();

  const bool opened = [&] {
    const bool exists = QFileInfo::exists(fileName_);
    switch (mode) {
    case CreateNew:
      if (exists)
        return false;
      break;
    case CreateAskReplace:
    case CreateReplace:
      if (exists) {
        if (mode == CreateAskReplace && !host_.ConfirmReplace(QFileInfo(fileName_).fileName()))
          return false;
        // Appending to a file that was meant to be replaced would mix two
        // logs in one file.
        if (!QFile::remove(fileName_)) {
          qDebug() << "Failed to replace GPS Log file  -> " << fileName_;
          return false;
        }
      }
      break;
    case AppendExisting:
      if (!exists)
        return false;
      break;
    default:
      return false;
    }

    PrepareLogDirectory(fileName_);
    writer_ = writerFactory_();
    if (!writer_ || !writer_->Open(fileName_)) {
      qDebug() << "Failed to open GPS Log file  -> " << fileName_;
      writer_.reset();
      return false;
    }
    waiting_.Clear();
    waiting_.ResetCount();
    writeFailed_ = false;
    failureText_.clear();
    unwrittenAtClose_ = 0;
    for (const QString &line : HeaderLines(mode))
      WriteGpsLog(line);
    FlushGpsLogFile();
    return true;
  }();

  host_.OpenStateChanged(IsOpen());
  return opened && IsOpen();
}

bool GpsDataLog::CloseGpsLogFile(bool silent)
{
  if (!IsOpen())
    return false;
  if (!silent && !host_.ConfirmClose())
    return false;
  WriteGpsLog(TrailerText());
  FlushGpsLogFile();
  unwrittenAtClose_ = waiting_.Size();
  if (unwrittenAtClose_ > 0)
    host_.ReportProblem(QStringLiteral("The GPS log %1 was closed with %2 bytes that could not be written.")
                            .arg(QDir::toNativeSeparators(fileName_))
                            .arg(unwrittenAtClose_));
  CloseWriter();
  host_.OpenStateChanged(false);
  return true;
}

bool GpsDataLog::FlushGpsLogFile()
{
  if (!IsOpen())
    return false;
  // A log removed or renamed behind the program's back would swallow every
  // later write without an error: start the file again.
  if (!QFileInfo::exists(fileName_)) {
    writer_->Close();
    if (!writer_->Open(fileName_)) {
      NoteFailure(QStringLiteral("the file has gone and cannot be created again (%1)")
                      .arg(writer_->ErrorString()));
      // Keep a writer object so the log still counts as open and the next
      // flush tries again.
      return true;
    }
    host_.ReportProblem(QStringLiteral("The GPS log %1 had gone; it was created again.")
                            .arg(QDir::toNativeSeparators(fileName_)));
  }
  if (WritePending() && writer_->Flush())
    NoteSuccess();
  else if (waiting_.IsEmpty())
    NoteFailure(writer_->ErrorString());
  return true;
}

bool GpsDataLog::RollOverToNewDay()
{
  if (!CloseGpsLogFile(true))
    return false;
  QSettings settings;
  if (settings.value(GpsLogKeys::Autorestart, 1).toInt() != 1)
    return false;
  MakeGpsLogFileName();
  // A file of the new day may exist already (a restart after midnight, a
  // clock stepped back): log on into it.
  const int mode = QFileInfo::exists(fileName_) ? AppendExisting : CreateNew;
  if (OpenGpsLogFile(mode))
    return true;
  host_.ReportProblem(QStringLiteral("The GPS log for the new day could not be opened: %1")
                          .arg(QDir::toNativeSeparators(fileName_)));
  return false;
}

void GpsDataLog::WriteGpsLog(const QString &text)
{
  if (text.isEmpty())
    return;
  QString lines = text;
  lines.remove(QLatin1Char('\r'));
  while (lines.endsWith(QLatin1Char('\n')))
    lines.chop(1);
  if (!IsOpen())
    return;
  lines += QLatin1Char('\n');
  Append(lines.toUtf8());
}

void GpsDataLog::WriteBinaryGpsLog(const QByteArray &message)
{
  if (!IsOpen() || message.isEmpty() || !host_.RecordGateOpen())
    return;
  const int type = host_.LogType();
  if (type == GpsLogTypeBinary) {
    Append(BinaryRecord(message));
    return;
  }
  if (type != GpsLogTypeRinex)
    return;

  const QByteArray head = message.left(4);
  if (head == "@@Ba" || head == "@@Ea") {
    heldTimeMessage_ = message;
  } else if (head == "@@Bk" || head == "@@Ek") {
    heldSecondMessage_ = message;
  } else if (head == "@@Bg" || head == "@@Eg") {
    if (!heldTimeMessage_.isEmpty())
      Append(BinaryRecord(heldTimeMessage_));
    if (!heldSecondMessage_.isEmpty())
      Append(BinaryRecord(heldSecondMessage_));
    heldTimeMessage_.clear();
    heldSecondMessage_.clear();
    Append(BinaryRecord(message));
  } else if (head == "@@Bf" || head == "@@Cc" || head == "@@Ha") {
    Append(BinaryRecord(message));
  }
}

QString GpsDataLog::StatusText() const
{
  if (!IsOpen())
    return unwrittenAtClose_ > 0 ? QStringLiteral("GPS log closed, %1 bytes not written").arg(unwrittenAtClose_)
                                 : QString();
  if (!writeFailed_ && DroppedBytes() == 0)
    return QString();
  QString text;
  if (writeFailed_)
    // Short, for the status bar; the full report names the file.
    text = QStringLiteral("GPS log: %1").arg(failureText_);
  if (DroppedBytes() > 0) {
    if (!text.isEmpty())
      text += QStringLiteral("; ");
    text += QStringLiteral("%1 bytes lost").arg(DroppedBytes());
  }
  return text;
}

QByteArray GpsDataLog::BinaryRecord(const QByteArray &message)
{
  char checksum = 0;
  for (int i = 2; i < message.size(); ++i)
    checksum ^= message.at(i);
  QByteArray record = message;
  record.append(checksum);
  record.append("\r\n", 2);
  return record;
}

QString GpsDataLog::ColumnRow(quint32 protocolMode, int channels)
{
  static const char satelliteColumns12[] = "svid_%1,ch_mode_%1,sig_str_%1,iode_%1,ch_stat_%1,";
  static const char satelliteColumns8[] = "svid_%1,ch_mode_%1,sig_str_%1,ch_stat_%1";

  if (IsOncoreBinaryMode(protocolMode)) {
    if (channels == 12) {
      QString row = QStringLiteral(
          "Date,Time,lat(mas),long(mas),height,height_msl,velocity_3D,velocity_2D,heading,dop_type,"
          "dop,vis_sats,tracked_sats,rcvr_status,ID_tag,");
      for (int k = 1; k <= 12; ++k)
        row += QString::fromLatin1(satelliteColumns12).arg(k);
      row += QStringLiteral(
          "reserved,reserved,clock_bias,oscillator_offset,temperature,UTC_Data,GMT_Data\n");
      return row;
    }
    if (channels == 8 || channels == 6) {
      QStringList groups;
      for (int k = 1; k <= channels; ++k)
        groups << QString::fromLatin1(satelliteColumns8).arg(k);
      return QStringLiteral("Date,Time,lat(mas),long(mas),height,height_msl,velocity,heading,"
                            "dop_type,dop,vis_sats,tracked_sats,rcvr_status,") +
             groups.join(QLatin1Char(',')) + QLatin1Char('\n');
    }
    return QString();
  }
  switch (protocolMode) {
  case GpsModeMotorolaNmea:
  case 4:
  case 5:
  case GpsModeGenericNmea:
    return QStringLiteral("time,lat_deg,lat_min,lat_dir,long_deg,long_min,long_dir,quality,"
                          "no_tracked,HDOP,height_msl,height_units,geoid_sep,geoid_sep_units,"
                          "DGPS_age,DGPS_Ref_Stn_id\n");
  default:
    return QString();
  }
}

QString GpsDataLog::DisplayedDateText() const
{
  return host_.DisplayedTime().toString(QString::fromLatin1(GpsLogTexts::HeaderDateFormat));
}

QStringList GpsDataLog::HeaderLines(int mode) const
{
  const bool append = mode == AppendExisting;
  const int interval = host_.LogInterval();
  QString receiver = QStringLiteral("; Receiver: ") + host_.ReceiverStatusText();
  const QString softwareDate = host_.SoftwareDateText();
  if (!softwareDate.isEmpty())
    receiver += QStringLiteral(", software date ") + softwareDate;

  QStringList lines;
  lines << QStringLiteral("; Riduder Version ") + host_.ProgramVersion() +
               (append ? QStringLiteral(". Opened GPS ") : QStringLiteral(". Created GPS ")) +
               GpsLogTypeName(host_.LogType()) + QStringLiteral(" Data Log ") +
               (append ? QStringLiteral("to append data ") : QString()) + QStringLiteral("at ") +
               DisplayedDateText() + QStringLiteral(" UTC\n");
  lines << (interval > 0 ? QStringLiteral("; Recording GPS data every %1 seconds\n").arg(interval)
                         : QStringLiteral("; Recording GPS data DISABLED\n"));
  lines << receiver + QLatin1Char('\n');
  lines << QStringLiteral(";\n");
  if (host_.LogType() == GpsLogTypePvt) {
    const QString columns = ColumnRow(host_.ProtocolMode(), host_.ChannelCount());
    if (!columns.isEmpty())
      lines << columns;
  }
  return lines;
}

QString GpsDataLog::TrailerText() const
{
  return QStringLiteral("; Closed GPS Data Log ") + DisplayedDateText() + QStringLiteral(" UTC\n; \n");
}

void GpsDataLog::Append(const QByteArray &bytes)
{
  if (!waiting_.Add(bytes))
    return;
  // While writing fails, the data waits for the next write-out.
  if (!writeFailed_ && waiting_.Size() >= WriteChunkBytes)
    WritePending();
  if (!waiting_.IsEmpty())
    writeOutTimer_.Start();
}

bool GpsDataLog::WritePending()
{
  if (waiting_.WriteTo(*writer_))
    return true;
  NoteFailure(writer_->ErrorString());
  return false;
}

void GpsDataLog::NoteFailure(const QString &what)
{
  failureText_ = what;
  if (writeFailed_)
    return;
  writeFailed_ = true;
  host_.ReportProblem(QStringLiteral("Writing the GPS log %1 failed: %2. The log stays open and "
                                     "writing is tried again at the next flush.")
                          .arg(QDir::toNativeSeparators(fileName_), what));
}

void GpsDataLog::NoteSuccess()
{
  if (!writeFailed_)
    return;
  writeFailed_ = false;
  failureText_.clear();
  host_.ReportProblem(QStringLiteral("Writing the GPS log %1 works again.")
                          .arg(QDir::toNativeSeparators(fileName_)));
}

void GpsDataLog::CloseWriter()
{
  writeOutTimer_.Stop();
  if (writer_)
    writer_->Close();
  writer_.reset();
  waiting_.Clear();
}
