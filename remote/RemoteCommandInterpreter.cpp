#include "remote/RemoteCommandInterpreter.h"

#include "logging/LogFileNames.h"
#include "position/GeoidModel.h"
#include "receiver/FieldReaders.h"

#include <QDebug>

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

}  // namespace

RemoteCommandInterpreter::RemoteCommandInterpreter(RemoteCommandHost &host) : host(host) {}

void RemoteCommandInterpreter::OnTelnetCommand(QByteArray line)
{
  qDebug().noquote() << "MainWindow Received TELNET Command -> " << line;
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

void RemoteCommandInterpreter::TicLog(QByteArray &line, QByteArray reply)
{
  Q_UNUSED(line);
  host.SendReply(reply + RemoteReplies::Unknown);
}

void RemoteCommandInterpreter::Exit()
{
  host.SendReply(RemoteReplies::Disconnected);
  host.RestartServer();
}
