#include "receiver/session/CommandSender.h"

#include "receiver/link/Checksums.h"

namespace {

bool IsUbx(QByteArrayView message)
{
  return message.size() >= 2 && static_cast<quint8>(message.at(0)) == 0xB5 &&
         static_cast<quint8>(message.at(1)) == 0x62;
}

bool IsMonVerPoll(QByteArrayView message)
{
  return IsUbx(message) && message.size() >= 4 && message.at(2) == 0x0A && message.at(3) == 0x04;
}

// "@@Tk" carries text: its bytes 4 to 58 are echoed as characters.
constexpr qsizetype TkTextEnd = 59;

}  // namespace

CommandKind CommandKindOf(QByteArrayView message)
{
  if (message.startsWith('$'))
    return CommandKind::Nmea;
  if (IsUbx(message))
    return CommandKind::Ubx;
  if (message.startsWith("@@"))
    return CommandKind::Oncore;
  if (message.startsWith("UU"))
    return CommandKind::Uu;
  return CommandKind::Other;
}

CommandKind CompleteCommand(QByteArray &message)
{
  const CommandKind kind = CommandKindOf(message);
  switch (kind) {
  case CommandKind::Nmea:
    AppendNmeaChecksum(message);
    break;
  case CommandKind::Ubx:
    AppendUbxChecksum(message);
    break;
  case CommandKind::Oncore:
    AppendOncoreChecksum(message);
    break;
  case CommandKind::Uu:
  case CommandKind::Other:
    break;
  }
  return kind;
}

QString HexBytesText(QByteArrayView bytes)
{
  static const char digits[] = "0123456789ABCDEF";
  QString text;
  text.reserve(bytes.size() * 4);
  for (char c : bytes) {
    const auto byte = static_cast<quint8>(c);
    text += QLatin1Char('<');
    text += QLatin1Char(digits[byte >> 4]);
    text += QLatin1Char(digits[byte & 0x0F]);
    text += QLatin1Char('>');
  }
  return text;
}

QString CommandEchoText(QByteArrayView completed, TkEcho tk)
{
  const QString arrow = QStringLiteral("<- ");
  switch (CommandKindOf(completed)) {
  case CommandKind::Nmea:
    return arrow + QString::fromLatin1(completed);
  case CommandKind::Ubx:
  case CommandKind::Uu:
    return arrow + HexBytesText(completed);
  case CommandKind::Oncore: {
    const qsizetype head = qMin<qsizetype>(4, completed.size());
    qsizetype textEnd = head;
    if (tk == TkEcho::AsText && completed.startsWith("@@Tk"))
      textEnd = qMin(TkTextEnd, completed.size());
    return arrow + QString::fromLatin1(completed.first(textEnd)) +
           HexBytesText(completed.sliced(textEnd));
  }
  case CommandKind::Other:
    break;
  }
  return QString();
}

bool CommandWaitPlan::Answered(const ReceiverReplyFlags &replyFlags) const
{
  if (byOncoreName && OncoreReplySeen)
    return true;
  for (bool ReceiverReplyFlags::*flag : flags)
    if (replyFlags.*flag)
      return true;
  return false;
}

void CommandWaitPlan::ClearFlags(ReceiverReplyFlags &replyFlags) const
{
  for (bool ReceiverReplyFlags::*flag : flags)
    replyFlags.*flag = false;
  if (byOncoreName)
    OncoreReplySeen = false;
}

CommandWaitPlan PlanCommandWait(const QByteArray &command)
{
  CommandWaitPlan plan;
  const QString commandText = QString::fromLatin1(command);

  if (command.isEmpty()) {
    plan.row = CommandWaitRow::Empty;
    return plan;
  }

  if (command.startsWith("$PMOTG")) {
    plan.row = CommandWaitRow::MotorolaNmea;
    plan.sends = plan.completes = plan.echoes = true;
    plan.flags = {&ReceiverReplyFlags::gotMotorolaNmea};
    plan.timeoutMs = 3000;
    plan.setsNmeaTag = true;
    plan.nmeaTag = command.mid(7, 3);
    // The format switch needs the receiver to settle before it answers.
    if (plan.nmeaTag == "FOR")
      plan.pauseMs = CommandDelays::BeforeFormatReply;
    plan.timeoutWarning = QStringLiteral("Timeout: no response to Motorola Cmd ") + commandText +
                          QLatin1Char('\n');
    return plan;
  }

  if (command.startsWith("$PGRM") || command.startsWith("$GPALM")) {
    plan.row = CommandWaitRow::Garmin;
    plan.sends = plan.completes = plan.echoes = true;
    plan.flags = {&ReceiverReplyFlags::gotGarmin, &ReceiverReplyFlags::gotAlmanac};
    plan.timeoutMs = 3000;
    plan.timeoutWarning = QStringLiteral("Timeout: no response to Garmin Cmd ") + commandText +
                          QLatin1Char('\n');
    return plan;
  }

  if (command.startsWith("@@")) {
    plan.sends = plan.completes = plan.echoes = true;
    const QByteArray name = command.left(4);
    const QString nameText = QString::fromLatin1(name);

    struct ChannelProbe {
      const char *name;
      bool ReceiverReplyFlags::*flag;
      int channels;
    };
    static const ChannelProbe channelProbes[] = {
        {"@@Ba", &ReceiverReplyFlags::gotBa, 6},
        {"@@Ea", &ReceiverReplyFlags::gotEa, 8},
        {"@@Ha", &ReceiverReplyFlags::gotHa, 12},
    };

    if (name == "@@Ci") {
      plan.row = CommandWaitRow::OncoreNoWait;
      plan.pauseMs = CommandDelays::AfterModeSwitch;
      return plan;
    }
    if (name == "@@Cj") {
      plan.row = CommandWaitRow::OncoreId;
      plan.flags = {&ReceiverReplyFlags::gotCj};
      plan.timeoutMs = 5000;
      plan.retryOnce = true;
      plan.retryEcho = QStringLiteral("<- @@Cj (retry)");
      plan.timeoutIdText = QStringLiteral("@@Cj Timeout - no valid version number!");
      return plan;
    }
    for (const ChannelProbe &probe : channelProbes) {
      if (name != probe.name)
        continue;
      plan.row = CommandWaitRow::OncoreChannels;
      plan.flags = {probe.flag};
      plan.timeoutMs = 3000;
      plan.channels = probe.channels;
      plan.answeredIdText =
          QStringLiteral("%1 OK - must be a %2-channel Rcvr").arg(nameText).arg(probe.channels);
      plan.timeoutIdText =
          QStringLiteral("%1 Timeout - not a %2-channel Rcvr").arg(nameText).arg(probe.channels);
      return plan;
    }
    if (name == "@@Bh") {
      plan.row = CommandWaitRow::OncoreDgps;
      plan.flags = {&ReceiverReplyFlags::gotCe};
      plan.timeoutMs = 5000;
      plan.setsDgps = true;
      plan.answeredIdText = QStringLiteral("@@Bh OK - must be a DGPS Rcvr");
      plan.timeoutIdText = QStringLiteral("@@Bh Timeout - must be a non-DGPS Rcvr");
      return plan;
    }
    if (name == "@@Bn" || name == "@@En" || name == "@@Hn") {
      plan.row = CommandWaitRow::OncoreTraim;
      plan.flags = {&ReceiverReplyFlags::gotBn, &ReceiverReplyFlags::gotEn,
                    &ReceiverReplyFlags::gotHn};
      plan.timeoutMs = 5000;
      plan.setsTraim = true;
      plan.answeredIdText = nameText + QStringLiteral(" OK - must have T-RAIM");
      plan.timeoutIdText = nameText + QStringLiteral(" Timeout - must not have T-RAIM");
      return plan;
    }
    if (name == "@@Wb") {
      plan.row = CommandWaitRow::OncoreRate;
      plan.flags = {&ReceiverReplyFlags::gotWb};
      plan.timeoutMs = 5000;
      return plan;
    }
    plan.row = CommandWaitRow::OncoreByName;
    plan.byOncoreName = true;
    plan.oncoreTag = name;
    plan.timeoutMs = 3000;
    return plan;
  }

  if (command == "Z" || command.startsWith('T') || command == "BIN" || command == "NMEA") {
    plan.sends = true;
    plan.flags = {&ReceiverReplyFlags::gotLoran};
    if (command == "BIN" || command == "NMEA") {
      plan.row = CommandWaitRow::LoranNoWait;
      plan.pauseMs = CommandDelays::AfterModeSwitch;
      return plan;
    }
    plan.row = CommandWaitRow::Loran;
    plan.timeoutMs = 5000;
    plan.timeoutIdText = QStringLiteral("Timeout: no response to Motorola Loran Cmd ") +
                         commandText + QLatin1Char('\n');
    return plan;
  }

  if (IsMonVerPoll(command)) {
    plan.row = CommandWaitRow::MonVer;
    plan.sends = plan.completes = plan.echoes = true;
    plan.flags = {&ReceiverReplyFlags::gotMonVer};
    plan.timeoutMs = 5000;
    plan.timeoutIdText = QStringLiteral(" Timeout - no response to MON-VER request");
    return plan;
  }

  if (IsUbx(command)) {
    plan.row = CommandWaitRow::OtherUbx;
    return plan;
  }

  plan.row = CommandWaitRow::NotSent;
  return plan;
}
