#include "remote/RemoteCommandInterpreter.h"

#include "core/PeerText.h"
#include "core/StoredSetting.h"
#include "logging/LogFileNames.h"
#include "logging/TicDataLog.h"
#include "logging/TicLogOptions.h"
#include "position/GeoidModel.h"
#include "receiver/decode/FieldReaders.h"

#include <QDebug>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>

#include <utility>
#include <vector>

RemoteCommandHost::~RemoteCommandHost() = default;

namespace {

// The GPS log type of a LOG command's word ("RAW" to "RINEX", any case);
// -1 for another word.
int GpsLogTypeOfWord(const QByteArray &word)
{
  const QString upper = QString::fromUtf8(word).toUpper();
  for (int type = GpsLogTypeRaw; type <= GpsLogTypeRinex; ++type)
    if (GpsLogTypeName(type).toUpper() == upper)
      return type;
  return -1;
}

// The word of a GPS log type in LOG STATUS; "RAW" for an unknown type.
QByteArray GpsLogTypeWord(int type)
{
  const QString name = GpsLogTypeName(type);
  return name.isEmpty() ? QByteArrayLiteral("RAW") : name.toUpper().toLatin1();
}

// The words after "TI": the "Log Every" index of each (1 to 30 seconds, a
// minute, an hour).
constexpr const char *TimeLogEveryWords[] = {"1", "2", "3", "4", "5", "6", "10", "12", "15", "20", "30", "M", "H"};

// The averaging period after "ALTIC" or "ALINT": plain decimal digits for
// 2 to 20000; 0 for anything else.
int AveragingPeriodOfOption(const QByteArray &digits)
{
  if (digits.isEmpty() || digits.size() > 5)
    return 0;
  for (char c : digits)
    if (c < '0' || c > '9')
      return 0;
  const int period = digits.toInt();
  return period >= 2 && period <= 20000 ? period : 0;
}

// The settings one TICLOG command changes, in the order they are written.
class TicLogSettingChanges {
public:
  void Set(const char *key, const QVariant &value)
  {
    for (auto &change : changes)
      if (qstrcmp(change.first, key) == 0) {
        change.second = value;
        return;
      }
    changes.emplace_back(key, value);
  }

  // Applies one option; false when it is refused.
  bool Apply(const QByteArray &option, int &openMode)
  {
    static const std::pair<const char *, std::pair<const char *, int>> words[] = {
        {"COMMA", {TicLogKeys::LogStyle, 1}},       {"SPACE", {TicLogKeys::LogStyle, 0}},
        {"TAB", {TicLogKeys::LogStyle, 2}},         {"YDF", {TicLogKeys::TimeTagFormat, 0}},
        {"MJD", {TicLogKeys::TimeTagFormat, 1}},    {"EXCEL", {TicLogKeys::TimeTagFormat, 2}},
        {"ARON", {TicLogKeys::TimeLogAutorestart, 1}}, {"AROFF", {TicLogKeys::TimeLogAutorestart, 0}},
        {"SEON", {TicLogKeys::CfgLogSaveSats, 1}},  {"SEOFF", {TicLogKeys::CfgLogSaveSats, 0}},
    };
    for (const auto &word : words)
      if (option == word.first) {
        Set(word.second.first, word.second.second);
        return true;
      }
    if (option == "REPLACE") {
      openMode = TicDataLog::CreateReplace;
      return true;
    }
    if (option.startsWith("TI")) {
      const QByteArray every = option.mid(2);
      if (every == "0") {
        Set(TicLogKeys::TimeIntervalLogButtonGroup, 1);
        return true;
      }
      // "TI" alone keeps the stored interval.
      Set(TicLogKeys::TimeIntervalLogButtonGroup, 0);
      if (every.isEmpty())
        return true;
      for (int index = 0; index < int(std::size(TimeLogEveryWords)); ++index)
        if (every == TimeLogEveryWords[index]) {
          Set(TicLogKeys::TimeLogEvery, index);
          return true;
        }
      return false;
    }
    for (const auto &group : {std::make_pair("ALTIC", 1), std::make_pair("ALINT", 0)}) {
      if (!option.startsWith(group.first))
        continue;
      const int period = AveragingPeriodOfOption(option.mid(qstrlen(group.first)));
      if (period == 0)
        return false;
      Set(TicLogKeys::AveragingLogButtonGroup, group.second);
      Set(TicLogKeys::AveragingLogPeriod, QString::number(period));
      return true;
    }
    return false;
  }

  void Store() const
  {
    static const char *const order[] = {
        TicLogKeys::AveragingLogButtonGroup, TicLogKeys::TimeIntervalLogButtonGroup, TicLogKeys::CfgLogSaveSats,
        TicLogKeys::TimeLogAutorestart,      TicLogKeys::AveragingLogPeriod,         TicLogKeys::TimeLogEvery,
        TicLogKeys::TimeTagFormat,           TicLogKeys::LogStyle,                   TicLogKeys::FileDirectory,
        TicLogKeys::FileNamePrefix};
    QSettings settings;
    for (const char *key : order)
      for (const auto &change : changes)
        if (qstrcmp(change.first, key) == 0)
          settings.setValue(QLatin1String(key), change.second);
  }

private:
  std::vector<std::pair<const char *, QVariant>> changes;
};

// The base of a TIC log file's full name: its folder and prefix.
QString TicLogBaseName(const QString &fileName)
{
  const QFileInfo file(fileName);
  return LogFileBase(file.path(), file.fileName());
}

}  // namespace

RemoteCommandInterpreter::RemoteCommandInterpreter(RemoteCommandHost &host) : host(host) {}

void RemoteCommandInterpreter::OnTelnetCommand(QByteArray line)
{
  qDebug().noquote() << "MainWindow Received TELNET Command -> " << PeerTextForDebug(line);
  const QByteArray field1 = NextField(line, QByteArray());
  QByteArray reply = field1 + ',';
  const QByteArray first = field1.toUpper();
  if (first == "EXIT") {
    Exit();
    return;
  }
  if (first != "$DAREZ") {
    host.SendReply(reply + RemoteReplies::Unknown);
    return;
  }

  const QByteArray field2 = NextField(line, QByteArray());
  reply += field2 + ',';
  const QByteArray command = field2.toUpper();
  if (command == "VERSION")
    Version(line, reply);
  else if (command == "REFLOC")
    RefLoc(line, reply);
  else if (command == "LOG")
    Log(line, reply);
  else if (command == "TICLOG")
    TicLog(line, reply);
  else if (command == "TICDATA")
    TicData(line, reply);
  else if (command == "EXIT")
    Exit();
  else
    host.SendReply(reply + RemoteReplies::Unknown);
}

void RemoteCommandInterpreter::Version(QByteArray &line, QByteArray reply)
{
  const QByteArray option = NextField(line, QByteArray());
  if (option.isEmpty())
    host.SendReply(reply + host.VersionText().toUtf8());
  else
    host.SendReply(reply + option + ',' + RemoteReplies::BadOption);
}

void RemoteCommandInterpreter::RefLoc(QByteArray &line, QByteArray reply)
{
  static const QByteArray missing = QByteArrayLiteral("Err");
  const QByteArray latitudeText = NextField(line, missing);
  if (latitudeText == missing) {
    host.SendReply(reply + host.ReferencePositionText().toUtf8());
    return;
  }
  const QByteArray longitudeText = NextField(line, missing);
  const QByteArray altitudeText = NextField(line, missing);
  const QByteArray extra = NextField(line, missing);
  if (longitudeText == missing || altitudeText == missing || extra != missing) {
    host.SendReply(reply + RemoteReplies::Error);
    return;
  }

  // Parsed without messages: nothing remote opens a window on the station.
  GeoPosition position;
  QString latitude = QString::fromUtf8(latitudeText);
  QString longitude = QString::fromUtf8(longitudeText);
  QString altitude = QString::fromUtf8(altitudeText);
  const bool latitudeOk = ParseLatLonText(latitude, &position.latitude, 0, nullptr);
  const bool longitudeOk = ParseLatLonText(longitude, &position.longitude, 1, nullptr);
  const bool altitudeOk = ParseAltitudeText(altitude, &position.mslAltitude, nullptr);
  if (!latitudeOk || !longitudeOk || !altitudeOk) {
    host.SendReply(reply + RemoteReplies::Error);
    return;
  }
  // The altitude given is above mean sea level.
  position.gpsAltitude =
      position.mslAltitude + GeoidModel().GeoidSeparation(position.latitude, position.longitude);
  host.SetReferenceLocation(position);
  host.SendReply(reply + host.ReferencePositionText().toUtf8());
}

void RemoteCommandInterpreter::TicData(QByteArray &line, QByteArray reply)
{
  const QByteArray kindField = NextField(line, QByteArray());
  reply += kindField + ',';
  const QByteArray kindWord = kindField.toUpper();
  if (kindWord != "TIME" && kindWord != "AVERAGE") {
    host.SendReply(reply + RemoteReplies::Unknown);
    return;
  }
  const TicDataKind kind = kindWord == "TIME" ? TicDataKind::Time : TicDataKind::Average;
  const QByteArray modeField = NextField(line, QByteArray());
  reply += modeField + ',';
  const QByteArray mode = modeField.toUpper();
  const QByteArray sentence = "$DAREZ,TICDATA," + kindWord + ',' + host.LastTicDataLine(kind);
  if (mode == "ONCE") {
    host.SendReply(sentence);
    host.SetTicDataCount(kind, 0);
  } else if (mode == "ALWAYS") {
    host.SetTicDataCount(kind, -1);
    host.SendReply(sentence);
  } else if (mode == "OFF") {
    host.SetTicDataCount(kind, 0);
  } else {
    host.SendReply(reply + RemoteReplies::Unknown);
  }
}

void RemoteCommandInterpreter::Log(QByteArray &line, QByteArray reply)
{
  const QByteArray actionField = NextField(line, QByteArray());
  reply += actionField + ',';
  const QByteArray action = actionField.toUpper();

  if (action == "NEW" || action == "OPEN") {
    const QByteArray typeField = NextField(line, QByteArray());
    reply += typeField + ',';
    // The type of an open log never changes under it.
    const int type = GpsLogTypeOfWord(typeField);
    if (type >= 0 && !host.GpsLogOpen())
      host.SetGpsLogType(type);
    // The name is only checked to be there: the log's path comes from its
    // settings alone.
    const QByteArray name = NextField(line, QByteArray());
    reply += name + ',';
    if (name.isEmpty()) {
      host.SendReply(reply + RemoteReplies::NoFileName);
      return;
    }
    const QByteArray option = NextField(line, QByteArray());
    int mode = 3;
    if (action == "NEW") {
      if (option.isEmpty()) {
        mode = 0;
      } else if (option.toUpper() == "REPLACE") {
        mode = 2;
      } else {
        host.SendReply(reply + RemoteReplies::BadOption);
        return;
      }
    } else if (!option.isEmpty()) {
      host.SendReply(reply + RemoteReplies::BadOption);
      return;
    }
    // Opening over an open log would end it without its trailer.
    const bool opened = !host.GpsLogOpen() && host.OpenGpsLogFile(mode);
    host.SendReply(reply + (opened ? (mode == 3 ? RemoteReplies::Opened : RemoteReplies::Created)
                                   : RemoteReplies::Failed));
    return;
  }

  if (action == "CLOSE") {
    if (host.CloseGpsLogFile()) {
      host.CloseTicLogFiles();
      // A rename (CLOSE and NEW sent together) loses no row between them.
      host.CarryOutNextLineAtOnce();
      host.SendReply(reply + RemoteReplies::Closed);
    } else {
      host.SendReply(reply + RemoteReplies::Failed);
    }
    return;
  }

  if (action == "STATUS") {
    if (host.GpsLogOpen())
      host.SendReply(reply + RemoteReplies::Opened + ',' + GpsLogTypeWord(host.GpsLogType()) + ',' +
                     host.GpsLogFileName().toUtf8());
    else
      host.SendReply(reply + RemoteReplies::Closed);
    return;
  }

  host.SendReply(reply + RemoteReplies::Unknown);
}

QString RemoteCommandInterpreter::TicLogPrefixOfName(const QByteArray &name)
{
  if (name.isEmpty() || name.size() > MaxTicNameBytes || name == "." || name == "..")
    return QString();
  // No folder parts, and no control characters (a line feed in a file name).
  for (char c : name)
    if (c == '/' || c == '\\' || c == ':' || uchar(c) < 0x20 || c == 0x7f)
      return QString();
  // The whole prefix: "$" would also let a final line feed through.
  static const QRegularExpression allowed(
      QRegularExpression::anchoredPattern(QStringLiteral("[A-Za-z0-9_-]{1,%1}").arg(MaxTicPrefixLength)));
  const QString prefix = CutLogFileNameTail(QString::fromUtf8(name));
  return allowed.match(prefix).hasMatch() ? prefix : QString();
}

void RemoteCommandInterpreter::TicLog(QByteArray &line, QByteArray reply)
{
  const QByteArray actionField = NextField(line, QByteArray());
  reply += actionField + ',';
  const QByteArray action = actionField.toUpper();

  if (action == "NEW" || action == "OPEN") {
    TicLogNewOrOpen(line, reply, action == "NEW");
    return;
  }
  if (action == "CLOSE") {
    const QString firstFile = host.TicLogFirstFileName();
    if (host.CloseTicLogFiles()) {
      // A rename (CLOSE and NEW sent together) loses no reading between
      // them.
      host.CarryOutNextLineAtOnce();
      // The protocol names the closed set in Latin-1.
      reply += TicLogBaseName(firstFile).toLatin1() + ',' + RemoteReplies::Closed;
    } else {
      reply += RemoteReplies::Failed;
    }
    QSettings settings;
    StoreSettingIfChanged(settings, QLatin1String(TicLogKeys::LogOpen), false);
    host.SendReply(reply);
    return;
  }
  if (action == "STATUS") {
    if (host.TicLogOpen())
      host.SendReply(reply + TicLogBaseName(host.TicLogFirstFileName()).toUtf8() + ',' + RemoteReplies::Opened);
    else
      host.SendReply(reply + RemoteReplies::Closed);
    return;
  }
  host.SendReply(reply + RemoteReplies::Unknown);
}

void RemoteCommandInterpreter::TicLogNewOrOpen(QByteArray &line, QByteArray reply, bool newLog)
{
  // A remote client names only the prefix: the files go in the configured
  // folder, never where the client says.
  const QByteArray name = NextField(line, QByteArray());
  const StoredLogLocation stored = ReadLogLocation(TicLogKeys::FileDirectory, TicLogKeys::FileNamePrefix);
  TicLogSettingChanges changes;
  if (!name.isEmpty()) {
    const QString prefix = TicLogPrefixOfName(name);
    if (prefix.isEmpty()) {
      host.SendReply(reply + name + ',' + RemoteReplies::BadOption);
      return;
    }
    reply += (stored.directory + QLatin1Char('/') + QString::fromUtf8(name)).toUtf8();
    changes.Set(TicLogKeys::FileDirectory, stored.directory);
    changes.Set(TicLogKeys::FileNamePrefix, prefix);
  }
  reply += ',';

  int openMode = newLog ? TicDataLog::CreateNew : TicDataLog::AppendExisting;
  for (QByteArray option = NextField(line, QByteArray()); !option.isEmpty(); option = NextField(line, QByteArray())) {
    reply += option + ',';
    if (!changes.Apply(option, openMode)) {
      host.SendReply(reply + RemoteReplies::BadOption);
      return;
    }
  }
  reply.chop(1);

  const QByteArray failure = newLog ? TicLogTexts::CannotCreate : TicLogTexts::CannotOpen;
  // An open set stays as it is, options and all.
  if (host.TicLogOpen()) {
    host.SendReply(reply);
    host.SendReply(failure);
    return;
  }
  changes.Store();
  host.TicLogOptionsStored();
  host.SendReply(reply);
  if (!host.OpenTicLogFiles(openMode)) {
    host.CloseTicLogFiles();
    QSettings settings;
    StoreSettingIfChanged(settings, QLatin1String(TicLogKeys::LogOpen), false);
    host.SendReply(failure);
  }
}

void RemoteCommandInterpreter::Exit()
{
  host.SendReply(RemoteReplies::Disconnected);
  host.RestartServer();
}
