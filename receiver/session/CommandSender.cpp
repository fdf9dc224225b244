#include "receiver/session/CommandSender.h"

#include "receiver/link/Checksums.h"

namespace {

bool IsUbx(QByteArrayView message)
{
  return message.size() >= 2 && static_cast<quint8>(message.at(0)) == 0xB5 &&
         static_cast<quint8>(message.at(1)) == 0x62;
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

namespace {

// How a command goes to the port.
enum class Sending {
  None,       // not at all
  AsIs,       // LORAN commands: no checksum, no echo
  Completed,  // with its checksum, echoed in the raw-data window
};

using ReplyFlag = bool ReceiverReplyFlags::*;

// One row of the wait plans. The first row whose prefix the command starts
// with (or, for a whole-command row, that it equals) decides. In the texts,
// "%1" stands for the command.
struct WaitRule {
  const char *prefix;
  bool whole;
  CommandWaitRow row;
  Sending sending;
  int pauseMs;
  int timeoutMs;
  ReplyFlag flags[3];  // any of them answers
  int channels;
  const char *answeredIdText = nullptr;
  const char *timeoutIdText = nullptr;
  const char *timeoutWarning = nullptr;
};

using Row = CommandWaitRow;
using F = ReceiverReplyFlags;
constexpr bool Prefix = false;
constexpr bool Whole = true;
constexpr Sending Completed = Sending::Completed;
constexpr Sending AsIs = Sending::AsIs;
constexpr int Settle = CommandDelays::AfterModeSwitch;

// prefix, whole or prefix, row, sending, pause, time-out, awaited flags, channels; then the
// identification-window texts (answered, unanswered) and the diagnostic text (unanswered).
const WaitRule waitRules[] = {
    {"$PMOTG", Prefix, Row::MotorolaNmea, Completed, 0, 3000, {&F::gotMotorolaNmea}, 0,
     nullptr, nullptr, "Timeout: no response to Motorola Cmd %1\n"},
    {"$PGRM", Prefix, Row::Garmin, Completed, 0, 3000, {&F::gotGarmin, &F::gotAlmanac}, 0,
     nullptr, nullptr, "Timeout: no response to Garmin Cmd %1\n"},
    {"$GPALM", Prefix, Row::Garmin, Completed, 0, 3000, {&F::gotGarmin, &F::gotAlmanac}, 0,
     nullptr, nullptr, "Timeout: no response to Garmin Cmd %1\n"},
    {"@@Ci", Prefix, Row::OncoreNoWait, Completed, Settle, 0, {}, 0},
    {"@@Cj", Prefix, Row::OncoreId, Completed, 0, 5000, {&F::gotCj}, 0,
     nullptr, "@@Cj Timeout - no valid version number!"},
    {"@@Ba", Prefix, Row::OncoreChannels, Completed, 0, 3000, {&F::gotBa}, 6,
     "@@Ba OK - must be a 6-channel Rcvr", "@@Ba Timeout - not a 6-channel Rcvr"},
    {"@@Ea", Prefix, Row::OncoreChannels, Completed, 0, 3000, {&F::gotEa}, 8,
     "@@Ea OK - must be a 8-channel Rcvr", "@@Ea Timeout - not a 8-channel Rcvr"},
    {"@@Ha", Prefix, Row::OncoreChannels, Completed, 0, 3000, {&F::gotHa}, 12,
     "@@Ha OK - must be a 12-channel Rcvr", "@@Ha Timeout - not a 12-channel Rcvr"},
    {"@@Bh", Prefix, Row::OncoreDgps, Completed, 0, 5000, {&F::gotCe}, 0,
     "@@Bh OK - must be a DGPS Rcvr", "@@Bh Timeout - must be a non-DGPS Rcvr"},
    {"@@Bn", Prefix, Row::OncoreTraim, Completed, 0, 5000, {&F::gotBn, &F::gotEn, &F::gotHn}, 0,
     "@@Bn OK - must have T-RAIM", "@@Bn Timeout - must not have T-RAIM"},
    {"@@En", Prefix, Row::OncoreTraim, Completed, 0, 5000, {&F::gotBn, &F::gotEn, &F::gotHn}, 0,
     "@@En OK - must have T-RAIM", "@@En Timeout - must not have T-RAIM"},
    {"@@Hn", Prefix, Row::OncoreTraim, Completed, 0, 5000, {&F::gotBn, &F::gotEn, &F::gotHn}, 0,
     "@@Hn OK - must have T-RAIM", "@@Hn Timeout - must not have T-RAIM"},
    {"@@Wb", Prefix, Row::OncoreRate, Completed, 0, 5000, {&F::gotWb}, 0},
    {"@@", Prefix, Row::OncoreByName, Completed, 0, 3000, {}, 0},
    {"Z", Whole, Row::Loran, AsIs, 0, 5000, {&F::gotLoran}, 0,
     nullptr, "Timeout: no response to Motorola Loran Cmd %1\n"},
    {"T", Prefix, Row::Loran, AsIs, 0, 5000, {&F::gotLoran}, 0,
     nullptr, "Timeout: no response to Motorola Loran Cmd %1\n"},
    {"BIN", Whole, Row::LoranNoWait, AsIs, Settle, 0, {&F::gotLoran}, 0},
    {"NMEA", Whole, Row::LoranNoWait, AsIs, Settle, 0, {&F::gotLoran}, 0},
    {"\xB5\x62\x0A\x04", Prefix, Row::MonVer, Completed, 0, 5000, {&F::gotMonVer}, 0,
     nullptr, " Timeout - no response to MON-VER request"},
    {"\xB5\x62", Prefix, Row::OtherUbx, Sending::None, 0, 0, {}, 0},
};

const WaitRule *FindWaitRule(const QByteArray &command)
{
  for (const WaitRule &rule : waitRules)
    if (rule.whole ? command == rule.prefix : command.startsWith(rule.prefix))
      return &rule;
  return nullptr;
}

QString WithCommand(const char *text, const QString &command)
{
  return text ? QString::fromLatin1(text).replace(QStringLiteral("%1"), command) : QString();
}

}  // namespace

CommandWaitPlan PlanCommandWait(const QByteArray &command)
{
  CommandWaitPlan plan;
  if (command.isEmpty()) {
    plan.row = CommandWaitRow::Empty;
    return plan;
  }
  const WaitRule *rule = FindWaitRule(command);
  if (!rule) {
    plan.row = CommandWaitRow::NotSent;
    return plan;
  }

  const QString commandText = QString::fromLatin1(command);
  plan.row = rule->row;
  plan.sends = rule->sending != Sending::None;
  plan.completes = plan.echoes = rule->sending == Sending::Completed;
  plan.pauseMs = rule->pauseMs;
  plan.timeoutMs = rule->timeoutMs;
  for (ReplyFlag flag : rule->flags)
    if (flag)
      plan.flags.append(flag);
  plan.channels = rule->channels;
  plan.answeredIdText = WithCommand(rule->answeredIdText, commandText);
  plan.timeoutIdText = WithCommand(rule->timeoutIdText, commandText);
  plan.timeoutWarning = WithCommand(rule->timeoutWarning, commandText);

  switch (plan.row) {
  case CommandWaitRow::MotorolaNmea:
    plan.setsNmeaTag = true;
    plan.nmeaTag = command.mid(7, 3);
    // The format switch needs the receiver to settle before it answers.
    if (plan.nmeaTag == "FOR")
      plan.pauseMs = CommandDelays::BeforeFormatReply;
    break;
  case CommandWaitRow::OncoreId:
    plan.retryOnce = true;
    plan.retryEcho = QStringLiteral("<- @@Cj (retry)");
    break;
  case CommandWaitRow::OncoreDgps:
    plan.setsDgps = true;
    break;
  case CommandWaitRow::OncoreTraim:
    plan.setsTraim = true;
    break;
  case CommandWaitRow::OncoreByName:
    plan.byOncoreName = true;
    plan.oncoreTag = command.left(4);
    break;
  default:
    break;
  }
  return plan;
}
