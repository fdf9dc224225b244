#include "ScriptedReceivers.h"

#include "FrameBuilders.h"
#include "OncoreMessageBuilder.h"
#include "receiver/link/OncoreFramer.h"

namespace riduder::test {

namespace {

QByteArray Hex(const char *hex)
{
  return QByteArray::fromHex(hex);
}

// A "@@Cj" answer in the Motorola layout (lines of 28 bytes; the version
// values at 84 and 112, "MODEL # " at 153 so the model field starts at 161).
QByteArray CjOf(const QByteArray &maker, const QByteArray &version, const QByteArray &revision,
                const QByteArray &model)
{
  struct Piece {
    int offset;
    QByteArray text;
  };
  const Piece pieces[] = {
      {4, "COPYRIGHT 1991-2000 " + maker + "\r\n"},
      {69, "SOFTWARE VER # " + version},
      {95, "\r\n"},
      {97, "SOFTWARE REV # " + revision},
      {123, "\r\n"},
      {125, "SOFTWARE DATE  NOV 22 2000\r\n"},
      {153, "MODEL # " + model},
      {179, "\r\n"},
      {209, "SERIAL #   SSG0226726\r\n"},
  };
  QByteArray m(291, ' ');
  m.replace(0, 4, "@@Cj");
  for (const Piece &p : pieces)
    m.replace(p.offset, p.text.size(), p.text);
  return OncoreMessageBuilder("Cj", 291).Bytes(0, m.left(291)).Wire();
}

// An Oncore message of the framer's length for its identifier, with the
// command's parameters echoed where they fit and a time in the fields of
// the position and T-RAIM messages.
QByteArray OncoreEcho(const QByteArray &command, bool withTime)
{
  const int wireLength = MotorolaBinaryMessageLength(command);
  if (wireLength < 7)
    return {};
  OncoreMessageBuilder message(command.mid(2, 2).constData(), wireLength - 3);
  if (withTime)
    message.DateTime(2024, 3, 1, 12, 0, 0);
  else
    message.Bytes(4, command.mid(4, wireLength - 7));
  return message.Resize(wireLength - 3).Wire();
}

// Where "@@Wb" sends the receiver: the Motorola codes keep Oncore binary
// (9600 is 00 00); the u-blox codes, the rate's digits without the flag bits
// (57600 is 01 34), hand a Synergy receiver over to its u-blox core.
struct RateTarget {
  int rate = 0;  // 0: no code the receiver knows
  ReceiverProtocol protocol = ReceiverProtocol::OncoreBinary;
};

RateTarget TargetOfOncoreWb(const QByteArray &message)
{
  if (message.size() < 6)
    return {};
  const QByteArray code = message.mid(4, 2);
  struct Code {
    const char *hex;
    int rate;
    ReceiverProtocol protocol;
  };
  constexpr ReceiverProtocol binary = ReceiverProtocol::OncoreBinary;
  constexpr ReceiverProtocol ubx = ReceiverProtocol::Ubx;
  static const Code codes[] = {
      {"4048", 4800, binary},  {"0000", 9600, binary},  {"4144", 14400, binary}, {"4192", 19200, binary},
      {"4384", 38400, binary}, {"4576", 57600, binary}, {"0003", 300, ubx},      {"0012", 1200, ubx},
      {"0024", 2400, ubx},     {"0048", 4800, ubx},     {"0096", 9600, ubx},     {"0144", 14400, ubx},
      {"0192", 19200, ubx},    {"0384", 38400, ubx},    {"0134", 57600, ubx},    {"1150", 115000, ubx},
  };
  for (const Code &c : codes)
    if (code == Hex(c.hex))
      return {c.rate, c.protocol};
  return {};
}

quint32 LittleEndian(const QByteArray &bytes, int offset, int width)
{
  quint32 value = 0;
  for (int i = width - 1; i >= 0; --i)
    value = (value << 8) | quint8(bytes.at(offset + i));
  return value;
}

bool StartsMessage(const QByteArray &bytes)
{
  if (bytes.isEmpty())
    return true;
  const char c = bytes.at(0);
  return bytes.startsWith("@@") || c == '$' || quint8(c) == 0xB5 || (c >= 'A' && c <= 'Z');
}

}  // namespace

ScriptedReceiver::ScriptedReceiver(sim::ReceiverSimulator &line, ReceiverFamily family, int rate)
    : line_(line), family_(family), rate_(rate)
{
  switch (family) {
  case ReceiverFamily::MotorolaNmea: protocol_ = ReceiverProtocol::MotorolaNmea; break;
  case ReceiverFamily::Loran: protocol_ = ReceiverProtocol::Loran; break;
  case ReceiverFamily::GenericNmea: protocol_ = ReceiverProtocol::GenericNmea; break;
  case ReceiverFamily::Ublox: protocol_ = ReceiverProtocol::Ubx; break;
  default: protocol_ = ReceiverProtocol::OncoreBinary; break;
  }
  line_.setReceiverRate(rate_);
  connect(&line_, &sim::ReceiverSimulator::bytesReceived, this, &ScriptedReceiver::OnBytes);
}

void ScriptedReceiver::ClearHeard()
{
  heard_.clear();
  unheard_ = 0;
}

QStringList ScriptedReceiver::HeardNames() const
{
  QStringList names;
  for (const QByteArray &message : heard_)
    names << NameOf(message);
  return names;
}

QString ScriptedReceiver::NameOf(const QByteArray &message)
{
  if (message.startsWith(Hex("B562")) && message.size() >= 4)
    return QString::asprintf("UBX-%02X-%02X", quint8(message.at(2)), quint8(message.at(3)));
  if (message.startsWith("@@"))
    return QString::fromLatin1(message.left(4));
  const int star = message.indexOf('*');
  return QString::fromLatin1(star >= 0 ? message.left(star) : message);
}

void ScriptedReceiver::OnBytes(const QByteArray &bytes)
{
  pending_.append(bytes);
  for (;;) {
    QByteArray message;
    if (pending_.startsWith(Hex("B562"))) {
      // A UBX frame by its length, then the CR LF the port adds.
      if (pending_.size() < 6)
        return;
      const int frameLength = 8 + int(LittleEndian(pending_, 4, 2));
      if (pending_.size() < frameLength + 2)
        return;
      message = pending_.left(frameLength);
      pending_.remove(0, frameLength + 2);
    } else {
      // A line end inside an Oncore parameter is taken for one only when
      // nothing that starts a message follows it.
      int end = pending_.indexOf("\r\n");
      while (end >= 0 && !StartsMessage(pending_.mid(end + 2)))
        end = pending_.indexOf("\r\n", end + 2);
      if (end < 0)
        return;
      message = pending_.left(end);
      pending_.remove(0, end + 2);
    }
    if (!powered_ || line_.lineRate() != rate_) {
      ++unheard_;
      continue;
    }
    heard_.append(message);
    Handle(message);
    if (onHeard)
      onHeard(message);
  }
}

void ScriptedReceiver::Answer(const QByteArray &bytes)
{
  if (!bytes.isEmpty())
    line_.write(bytes);
}

void ScriptedReceiver::MoveToRate(int rate)
{
  rate_ = rate;
  line_.setReceiverRate(rate);
}

void ScriptedReceiver::Handle(const QByteArray &message)
{
  if (rate_ == rateCommandsOnlyAt_ && !message.startsWith("@@Wb"))
    return;
  switch (protocol_) {
  case ReceiverProtocol::OncoreBinary: HandleOncore(message); break;
  case ReceiverProtocol::MotorolaNmea: HandleNmea(message); break;
  case ReceiverProtocol::Loran: HandleLoran(message); break;
  case ReceiverProtocol::Ubx: HandleUbx(message); break;
  case ReceiverProtocol::GenericNmea: break;
  }
}

int ScriptedReceiver::Channels() const
{
  switch (family_) {
  case ReceiverFamily::Oncore6: return 6;
  case ReceiverFamily::Oncore8:
  case ReceiverFamily::Loran: return 8;
  default: return 12;
  }
}

bool ScriptedReceiver::HasTraim() const
{
  return family_ != ReceiverFamily::Oncore6;
}

bool ScriptedReceiver::HasDgps() const
{
  return family_ == ReceiverFamily::Oncore12 || family_ == ReceiverFamily::MotorolaNmea;
}

void ScriptedReceiver::HandleOncore(const QByteArray &message)
{
  if (!message.startsWith("@@") || message.size() < 4)
    return;
  const QByteArray id = message.mid(2, 2);
  const char parameter = message.size() > 4 ? message.at(4) : 0;

  if (id == "Cj") {
    Answer(CjReply(family_));
  } else if (id == "Ha" || id == "Ea" || id == "Ba") {
    const char generation = Channels() == 12 ? 'H' : Channels() == 8 ? 'E' : 'B';
    if (id.at(0) == generation)
      Answer(OncoreEcho(message, true));
  } else if (id == "Hn" || id == "En" || id == "Bn") {
    if (HasTraim()) {
      const QByteArray own = Channels() == 12 ? "@@Hn" : Channels() == 8 ? "@@En" : "@@Bn";
      Answer(OncoreEcho(own + message.mid(4), true));
    }
  } else if (id == "Bh") {
    if (HasDgps())
      Answer(OncoreEcho(QByteArray("@@Ce"), false));
  } else if (id == "Wb") {
    // The answer leaves at the old rate and in the old protocol.
    Answer(OncoreEcho(message, false));
    const RateTarget target = TargetOfOncoreWb(message);
    // Only a Synergy receiver has a u-blox core to hand over to.
    const bool known = target.rate > 0 &&
                       (target.protocol == ReceiverProtocol::OncoreBinary || family_ == ReceiverFamily::Synergy);
    if (acceptsRateChange_ && known) {
      MoveToRate(target.rate);
      protocol_ = target.protocol;
    }
  } else if (id == "Ci") {
    const bool hasNmea = family_ == ReceiverFamily::Synergy || family_ == ReceiverFamily::MotorolaNmea ||
                         family_ == ReceiverFamily::Oncore12;
    if (parameter == 0x01 && hasNmea)
      protocol_ = ReceiverProtocol::MotorolaNmea;
    else if (parameter == 0x02 && family_ == ReceiverFamily::Loran)
      protocol_ = ReceiverProtocol::Loran;
  } else {
    Answer(OncoreEcho(message, false));
  }
}

void ScriptedReceiver::HandleNmea(const QByteArray &message)
{
  if (message.startsWith("$PMOTG,FOR,0"))
    protocol_ = ReceiverProtocol::OncoreBinary;
  else if (message.startsWith("$PMOTG,ZDA,"))
    Answer(ZdaSentence());
}

void ScriptedReceiver::HandleLoran(const QByteArray &message)
{
  if (message == "BIN")
    protocol_ = ReceiverProtocol::OncoreBinary;
  else if (message == "T0")
    Answer(LoranReplyLine());
}

void ScriptedReceiver::HandleUbx(const QByteArray &message)
{
  if (message.size() < 8)
    return;
  const quint8 messageClass = quint8(message.at(2));
  const quint8 messageId = quint8(message.at(3));
  if (messageClass == 0x0A && messageId == 0x04) {
    Answer(MonVerReply());
    return;
  }
  if (messageClass != 0x06)
    return;
  QByteArray acknowledged;
  acknowledged.append(char(messageClass));
  acknowledged.append(char(messageId));
  // The acknowledgement leaves at the old rate; then the port moves.
  Answer(BuildUbxFrame(0x05, 0x01, acknowledged));
  if (messageId == 0x00 && message.size() >= 6 + 20)
    MoveToRate(int(LittleEndian(message, 6 + 8, 4)));
}

QByteArray ScriptedReceiver::CjReply(ReceiverFamily family)
{
  switch (family) {
  case ReceiverFamily::Oncore6: return CjOf("MOTOROLA INC.", "3", "1", "B1121P1131");
  case ReceiverFamily::Oncore8:
  case ReceiverFamily::Loran: return CjOf("MOTOROLA INC.", "1", "1", "R5122U1115");
  case ReceiverFamily::Synergy: return CjOf("SYNERGY SYSTEMS", "4", "25", "SSR-M8T");
  default: return CjOf("MOTOROLA INC.", "2", "0", "P283T12T11");
  }
}

QByteArray ScriptedReceiver::MonVerReply()
{
  QByteArray payload(40, '\0');
  payload.replace(0, 9, "ROM CORE ");
  payload.replace(30, 8, "00080000");
  return BuildUbxFrame(0x0A, 0x04, payload);
}

QByteArray ScriptedReceiver::ZdaSentence()
{
  return BuildNmeaSentence("GPZDA,120000.00,01,03,2024,00,00");
}

QByteArray ScriptedReceiver::LoranReplyLine()
{
  return QByteArrayLiteral("T0A1B2C3D4\r\n");
}

}  // namespace riduder::test
