#include "SetupScriptText.h"

#include "receiver/session/CommandSender.h"

namespace riduder::test {

QString CommandText(const QByteArray &bare)
{
  if (bare.startsWith("@@")) {
    QString text = QString::fromLatin1(bare.left(4));
    if (bare.size() > 4)
      text += QLatin1Char(' ') + QString::fromLatin1(bare.mid(4).toHex(' ').toUpper());
    return text;
  }
  if (bare.startsWith('$'))
    return QString::fromLatin1(bare);
  return QString::fromLatin1(bare.toHex(' ').toUpper());
}

QByteArray BareCommand(const QByteArray &completed)
{
  int checksumBytes = 0;
  switch (CommandKindOf(completed)) {
  case CommandKind::Nmea: checksumBytes = 3; break;
  case CommandKind::Ubx: checksumBytes = 2; break;
  case CommandKind::Oncore: checksumBytes = 1; break;
  default: return completed;
  }
  QByteArray bare = completed.left(completed.size() - checksumBytes);
  QByteArray again = bare;
  CompleteCommand(again);
  return again == completed ? bare : QByteArray();
}

QStringList ScriptTexts(const SetupScript &script)
{
  QStringList texts;
  for (const SetupStep &step : script.Steps()) {
    switch (step.kind) {
    case SetupStep::Kind::Pause:
      texts << QStringLiteral("pause %1").arg(step.pauseMs);
      break;
    case SetupStep::Kind::SendAndWait:
      texts << QLatin1String("wait ") + CommandText(step.command);
      break;
    case SetupStep::Kind::Send:
      texts << CommandText(step.command);
      break;
    }
  }
  return texts;
}

}  // namespace riduder::test
