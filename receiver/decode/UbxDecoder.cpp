#include "receiver/decode/UbxDecoder.h"

#include "core/ReceiverReplyFlags.h"
#include "core/ReceiverState.h"
#include "receiver/decode/DecoderHost.h"
#include "receiver/decode/ElevationTrend.h"
#include "receiver/decode/FieldReaders.h"
#include "receiver/decode/ReceiverDateTime.h"
#include "receiver/link/ProtocolBytes.h"

#include <QDate>
#include <QDebug>

#include <cstdio>
#include <cstring>

namespace {

constexpr int HeaderLength = 6;    // B5 62, class, identifier, length
constexpr int ChecksumLength = 2;  // CK_A, CK_B

constexpr quint8 ClassNav = 0x01;
constexpr quint8 ClassRxm = 0x02;
constexpr quint8 ClassInf = 0x04;
constexpr quint8 ClassAck = 0x05;
constexpr quint8 ClassCfg = 0x06;
constexpr quint8 ClassUpd = 0x09;
constexpr quint8 ClassMon = 0x0A;
constexpr quint8 ClassAid = 0x0B;
constexpr quint8 ClassTim = 0x0D;

const char *ClassPrefix(quint8 messageClass)
{
  switch (messageClass) {
  case ClassNav: return "UBX-NAV";
  case ClassRxm: return "UBX-RXM";
  case ClassInf: return "UBX-INF";
  case ClassAck: return "UBX-ACK";
  case ClassCfg: return "UBX-CFG";
  case ClassMon: return "UBX-MON";
  case ClassAid: return "UBX-AID";
  case ClassTim: return "UBX-TIM";
  default: return nullptr;
  }
}

// The firmware-update messages are only named; nothing of them is read.
const char *UpdName(quint8 identifier)
{
  switch (identifier) {
  case 1: return "UBX-UPD-DOWNL";
  case 2: return "UBX-UPD-UPLOAD";
  case 6: return "UBX-UPD-IDEN";
  case 7: return "UBX-UPD-SAFE";
  case 8: return "UBX-UPD-FLDET";
  case 9: return "UBX-UPD-QSIZE";
  case 11: return "UBX-UPD-ERASE";
  case 12: return "UBX-UPD-FLWRI";
  case 13: return "UBX-UPD-CRC";
  case 14: return "UBX-UPD-RBOOT";
  case 15: return "UBX-UPD-SETQ";
  case 20: return "UBX-UPD-SOS";
  default: return nullptr;
  }
}

const char *PortName(unsigned portId)
{
  static const char *const names[] = {"DDC", "UART #1", "UART #2", "USB", "SBI"};
  return portId < 5 ? names[portId] : "unknown";
}

const QString Undecoded = QStringLiteral("...");

}  // namespace

// One frame being decoded: the payload readers (every read stays inside the
// payload; outside it a field reads as 0) and the texts being built.
struct UbxDecoder::Work {
  const QByteArray &frame;
  int length;      // payload bytes
  bool gateOpen;   // field texts are built
  QString lineText;                 // what follows the name in the line
  QString fields = Undecoded;       // the fields text for the PVT log
  bool fieldsFormatted = false;

  bool Holds(int offset, int width) const { return offset >= 0 && offset + width <= length; }
  quint8 U1(int offset) const { return Holds(offset, 1) ? GetU8(frame, HeaderLength + offset) : 0; }
  qint8 I1(int offset) const { return qint8(U1(offset)); }
  quint16 U2(int offset) const
  {
    return Holds(offset, 2) ? quint16(GetLittleEndianU16(frame, HeaderLength + offset)) : 0;
  }
  qint16 I2(int offset) const { return qint16(U2(offset)); }
  quint32 U4(int offset) const
  {
    return Holds(offset, 4) ? GetLittleEndianU32(frame, HeaderLength + offset) : 0;
  }
  qint32 I4(int offset) const { return qint32(U4(offset)); }
  // Text of `width` bytes from `offset`, ending at its first NUL.
  QString Text(int offset, int width) const
  {
    if (!Holds(offset, width))
      return QString();
    const char *start = frame.constData() + HeaderLength + offset;
    const void *nul = std::memchr(start, 0, size_t(width));
    const int size = nul ? int(static_cast<const char *>(nul) - start) : width;
    return QString::fromUtf8(start, size);
  }

  void SetFields(const QString &text)
  {
    fields = text;
    lineText = text;
    fieldsFormatted = true;
  }
};

UbxDecoder::UbxDecoder(ReceiverState &state, DecoderHost &host) : state_(state), host_(host) {}

QByteArray UbxDecoder::StopSurveyInOutputCommand()
{
  // CFG-MSG: class 0x0D, identifier 0x04 (TIM-SVIN), rate 0.
  return UbxFrame(0x06, 0x01, QByteArray("\x0D\x04\x00", 3));
}

bool UbxDecoder::TextGateOpen() const { return state_.rawDataWindowOpened || state_.logRecordGate; }

const std::vector<UbxDecoder::MessageEntry> &UbxDecoder::MessageTable()
{
  using T = FieldType;
  using L = LengthRule;
  // The MON-HW fields; receivers with a 68-byte payload have 8 more bytes
  // before the jamming indicator.
  const auto monHwFields = [](int shift) {
    return std::vector<Field>{{0, T::U4},  {4, T::U4},  {8, T::U4},  {12, T::U4},
                              {16, T::U2}, {18, T::U2}, {20, T::U1}, {21, T::U1},
                              {22, T::U1}, {23, T::U1}, {24, T::U4}, {45 + shift, T::U1},
                              {48 + shift, T::U4}, {52 + shift, T::U4}, {56 + shift, T::U4}};
  };
  static const char *const monHwFormat =
      "pinSel = %4.4X, pinBank = %4.4X, pinDir = %4.4X, pinVal = %4.4X, noisePerMS = %u, "
      "agcCnt = %u, aStatus = %u, aPower = %u, flags = %u, res1 = %u, usedMask = %u, "
      "jamInd = %u, pinIrq = %4.4X, pullH = %4.4X, pullL = %4.4X";

  static const std::vector<MessageEntry> table{
      {ClassNav, 0x01, "POSECEF", L::Exactly, 20,
       "iTOW = %u, ecefX = %i, ecefY = %i, ecefZ = %i, pAcc = %u",
       {{0, T::U4}, {4, T::I4}, {8, T::I4}, {12, T::I4}, {16, T::U4}}, nullptr},
      {ClassNav, 0x02, "POSLLH", L::Exactly, 28,
       "iTOW = %u, lon = %1.8f, lat = %1.8f, height = %1.3f, MSL = %1.3f, hAcc = %u, vAcc = %u",
       {{0, T::U4}, {4, T::I4, 1e7}, {8, T::I4, 1e7}, {12, T::I4, 1e3}, {16, T::I4, 1e3},
        {20, T::U4}, {24, T::U4}},
       &UbxDecoder::DecodeNavPosllh},
      {ClassNav, 0x03, "STATUS", L::Exactly, 16,
       "iTOW = %u, gpsFix = %u, flags = 0x%2.2X, diffStat = 0x%2.2X, res = %u, ttff = %u, "
       "msss = %u",
       {{0, T::U4}, {4, T::U1}, {5, T::U1}, {6, T::U1}, {7, T::U1}, {8, T::U4}, {12, T::U4}},
       &UbxDecoder::DecodeNavStatus},
      {ClassNav, 0x04, "DOP", L::Exactly, 18,
       "iTOW = %u, gDOP = %4.2f, pDOP = %4.2f, tDOP = %4.2f, vDOP = %4.2f, hDOP = %4.2f, "
       "nDOP = %4.2f, eDOP = %4.2f",
       {{0, T::U4}, {4, T::U2, 100}, {6, T::U2, 100}, {8, T::U2, 100}, {10, T::U2, 100},
        {12, T::U2, 100}, {14, T::U2, 100}, {16, T::U2, 100}},
       &UbxDecoder::DecodeNavDop},
      // The heading is the heading of motion, 1e-5 degrees.
      {ClassNav, 0x12, "VELNED", L::Exactly, 36,
       "iTOW = %u, Ground Speed = %u cm/sec, Heading = %4.1f degrees",
       {{0, T::U4}, {20, T::U4}, {24, T::I4, 1e5}}, nullptr},
      {ClassNav, 0x20, "TIMEGPS", L::Exactly, 16,
       "iTOW = %u ... week = %u, leap seconds = %i, valid = %2.2x",
       {{0, T::U4}, {8, T::U2}, {10, T::I1}, {11, T::U1}}, nullptr},
      {ClassNav, 0x21, "TIMEUTC", L::Exactly, 20,
       "iTOW = %u, tAcc = %u, nano = %i, date (YMD) %d, %d, %d, Time = %2.2d:%2.2d:%2.2d, "
       "valid = %2.2x",
       {{0, T::U4}, {4, T::U4}, {8, T::I4}, {12, T::U2}, {14, T::U1}, {15, T::U1},
        {16, T::U1}, {17, T::U1}, {18, T::U1}, {19, T::U1}},
       &UbxDecoder::DecodeNavTimeutc},
      {ClassNav, 0x30, "SVINFO", L::AtLeast, 20, nullptr, {}, &UbxDecoder::DecodeNavSvinfo},

      {ClassMon, 0x04, "VER", L::AtLeast, 40, nullptr, {}, &UbxDecoder::DecodeMonVer},
      {ClassMon, 0x09, "HW", L::Exactly, 60, monHwFormat, monHwFields(0),
       &UbxDecoder::DecodeMonHw},
      {ClassMon, 0x09, "HW", L::Exactly, 68, monHwFormat, monHwFields(8),
       &UbxDecoder::DecodeMonHw},

      // Every field of AID-HUI up to its flags word.
      {ClassAid, 0x02, "HUI", L::AtLeast, 72, nullptr, {}, &UbxDecoder::DecodeAidHui},

      {ClassCfg, 0x00, "PRT", L::Exactly, 20,
       "portID = %s, res0 = %u, res1 = %u, mode = %8.8X, baudRate = %u, inProtoMask = %4.4X, "
       "outProtoMask = %4.4X, flags = %4.4X, pad = %u",
       {{0, T::PortName}, {1, T::U1}, {2, T::U2}, {4, T::U4}, {8, T::U4}, {12, T::U2},
        {14, T::U2}, {16, T::U2}, {18, T::U2}},
       nullptr},
      {ClassCfg, 0x07, "TP", L::Exactly, 20,
       "interval = %u us, length = %u us, status = %i, timeRef = %u, flags = %u, res = %u, "
       "antennaCableDelay = %i ns, rfGroupDelay = %i ns, userDelay = %i ns",
       {{0, T::U4}, {4, T::U4}, {8, T::I1}, {9, T::U1}, {10, T::U1}, {11, T::U1}, {12, T::I2},
        {14, T::I2}, {16, T::I4}},
       nullptr},
      {ClassCfg, 0x31, "TP5", L::Exactly, 32, nullptr, {}, &UbxDecoder::DecodeCfgTp5},
      {ClassCfg, 0x1D, "TMODE", L::Exactly, 28,
       "timeMode = %u, fixedPosX = %i, fixedPosY = %i, fixedPosZ = %i, fixedPosVar = %u, "
       "svinMinDur = %u, svinVarLimit = %u",
       {{0, T::U4}, {4, T::I4}, {8, T::I4}, {12, T::I4}, {16, T::U4}, {20, T::U4}, {24, T::U4}},
       nullptr},
      {ClassCfg, 0x3D, "TMODE2", L::Exactly, 28,
       "timeMode = %u, flags = %u, ecefXOrLat = %i, ecefYOrLon = %i, ecefZOrAlt = %i, "
       "fixedPosAcc = %u, svinMinDur = %u, svinAccLimit = %u",
       {{0, T::U1}, {2, T::U2}, {4, T::I4}, {8, T::I4}, {12, T::I4}, {16, T::U4}, {20, T::U4},
        {24, T::U4}},
       nullptr},
      {ClassCfg, 0x24, "NAV5", L::Exactly, 36,
       "mask = %2.2X, dynModel = %u, fixMode = %u, fixedAlt = %i, fixedAltVar = %i, "
       "minElev = %i, drLimit = %u, pDopMask = %u, tDopMask = %u, pAccMask = %u, "
       "tAccMask = %u, staticHoldThresh = %u, res1 = %u, res2 = %u, res3 = %u, res4 = %u",
       {{0, T::U2}, {2, T::U1}, {3, T::U1}, {4, T::I4}, {8, T::I4}, {12, T::I1}, {13, T::U1},
        {14, T::U2}, {16, T::U2}, {18, T::U2}, {20, T::U2}, {22, T::U1}, {23, T::U1},
        {24, T::U4}, {28, T::U4}, {32, T::U4}},
       nullptr},

      {ClassTim, 0x01, "TP", L::Exactly, 16,
       "towMS = %u, towSubMS = %u, qErr = %i, week = %u, flags = %u, res = %u",
       {{0, T::U4}, {4, T::U4}, {8, T::I4}, {12, T::U2}, {14, T::U1}, {15, T::U1}},
       &UbxDecoder::DecodeTimTp},
      {ClassTim, 0x04, "SVIN", L::Exactly, 28,
       "Passed survey-in observation = %u sec, position observations = %u sec, valid = %s, "
       "active = %s",
       {{0, T::U4}, {20, T::U4}, {24, T::Bool}, {25, T::Bool}}, &UbxDecoder::DecodeTimSvin},
      {ClassTim, 0x11, "DOSC", L::Exactly, 8, "ver = %u, D/A value = %u",
       {{0, T::U1}, {4, T::U4}}, nullptr},
  };
  return table;
}

const UbxDecoder::MessageEntry *UbxDecoder::FindMessage(quint8 messageClass, quint8 identifier,
                                                        int length)
{
  for (const MessageEntry &entry : MessageTable()) {
    if (entry.messageClass != messageClass || entry.identifier != identifier)
      continue;
    if (entry.rule == LengthRule::Exactly ? length == entry.length : length >= entry.length)
      return &entry;
  }
  return nullptr;
}

// Fills a printf-style format one conversion at a time, each with the next
// field read as the conversion wants it.
QString UbxDecoder::FormatFields(const char *format, const std::vector<Field> &fields,
                                 const Work &work)
{
  QByteArray out;
  out.reserve(256);
  size_t next = 0;
  const char *p = format;
  while (*p) {
    const char *percent = std::strchr(p, '%');
    if (!percent) {
      out.append(p);
      break;
    }
    out.append(p, int(percent - p));
    if (percent[1] == '%') {
      out.append('%');
      p = percent + 2;
      continue;
    }
    const char *end = percent + 1;
    while (*end && !std::strchr("diuxXfs", *end))
      ++end;
    if (!*end)
      break;
    const QByteArray spec(percent, int(end - percent + 1));
    const char conversion = *end;
    p = end + 1;
    if (next >= fields.size())
      break;
    const Field &field = fields[next++];

    qint64 raw = 0;
    switch (field.type) {
    case FieldType::U1:
    case FieldType::Bool:
    case FieldType::PortName: raw = work.U1(field.offset); break;
    case FieldType::U2: raw = work.U2(field.offset); break;
    case FieldType::U4: raw = work.U4(field.offset); break;
    case FieldType::I1: raw = work.I1(field.offset); break;
    case FieldType::I2: raw = work.I2(field.offset); break;
    case FieldType::I4: raw = work.I4(field.offset); break;
    case FieldType::Ratio: raw = work.U4(field.offset) >> 16; break;
    }
    double real = double(raw);
    if (field.type == FieldType::Ratio)
      real = raw / 65536.0;
    else if (field.divisor != 0.0)
      real = raw / field.divisor;

    char buffer[128];
    switch (conversion) {
    case 'd':
    case 'i':
      std::snprintf(buffer, sizeof buffer, spec.constData(), int(raw));
      break;
    case 'f':
      std::snprintf(buffer, sizeof buffer, spec.constData(), real);
      break;
    case 's': {
      const char *text = field.type == FieldType::PortName ? PortName(unsigned(raw))
                         : raw != 0                        ? "true"
                                                           : "false";
      std::snprintf(buffer, sizeof buffer, spec.constData(), text);
      break;
    }
    default:  // u, x, X
      std::snprintf(buffer, sizeof buffer, spec.constData(), unsigned(raw));
      break;
    }
    out.append(buffer);
  }
  return QString::fromLatin1(out);
}

QString UbxDecoder::Decode(const QByteArray &frame)
{
  if (frame.size() < HeaderLength + ChecksumLength || quint8(frame.at(0)) != 0xB5)
    return QString();
  const int length = GetLittleEndianU16(frame, 4);
  // A frame cut short of its own length field is not a whole frame.
  if (frame.size() < HeaderLength + length + ChecksumLength)
    return QString();

  host_.WriteBinaryGpsLog(frame);

  const quint8 messageClass = quint8(frame.at(2));
  const quint8 identifier = quint8(frame.at(3));
  Work work{frame, length, TextGateOpen(), QString()};
  QString line;

  if (messageClass == ClassUpd) {
    if (const char *name = UpdName(identifier))
      line = QLatin1String(name);
  } else if (messageClass == ClassAck) {
    line = QStringLiteral("UBX-ACK") + (identifier == 1   ? QStringLiteral(" ACK")
                                        : identifier == 0 ? QStringLiteral(" NAK")
                                                          : QStringLiteral(" Unknown ID ???"));
  } else if (const char *prefix = ClassPrefix(messageClass)) {
    line = QLatin1String(prefix);
    if (const MessageEntry *entry = FindMessage(messageClass, identifier, length)) {
      if (entry->format && work.gateOpen)
        work.SetFields(FormatFields(entry->format, entry->fields, work));
      if (entry->handler)
        (this->*(entry->handler))(work);
      line += QLatin1Char('-') + QLatin1String(entry->name) + QLatin1Char(' ') + work.lineText;
    } else {
      line += QStringLiteral("  ") + Undecoded;
    }
  } else {
    // Split so that "?" "?-" is not read as a trigraph.
    line = QString::asprintf("UBX-%X ??" "?-Unknown Message Class-???", unsigned(messageClass)) +
           QStringLiteral("  ") + Undecoded;
  }

  if (!line.isEmpty())
    line += QLatin1Char('\n');
  // Only a formatted fields text is a PVT row.
  if (work.fieldsFormatted && host_.GpsLogType() == 2)
    host_.WriteGpsLog(work.fields);
  return line;
}

void UbxDecoder::DecodeNavPosllh(Work &work)
{
  const double longitude = work.I4(4) / 1e7;
  const double latitude = work.I4(8) / 1e7;
  const double height = work.I4(12) / 1e3;
  const double mslHeight = work.I4(16) / 1e3;
  host_.ShowPosition(latitude, longitude, height, mslHeight);
}

void UbxDecoder::DecodeNavStatus(Work &work)
{
  struct FixRow {
    const char *text;
    int navMode;
    int navStatus;
  };
  static const FixRow fixRows[] = {
      {"No Fix, ", 0, 0},
      {"Dead reckoning only, ", 2, 0},
      {"2D-fix, ", 2, 0},
      {"3-D Fix, ", 3, 0},
      {"GPS + dead reckoning combined, ", 3, 0},
      {"Time only fix (0-D Nav), ", 1, 1},
  };
  constexpr int TimeOnlyFix = 5;

  const int gpsFix = work.U1(4);
  QString fixText;
  int navStatus = -1;
  if (gpsFix <= TimeOnlyFix) {
    const FixRow &row = fixRows[gpsFix];
    fixText = QLatin1String(row.text);
    host_.SetNavMode(row.navMode);
    navStatus = row.navStatus;
  }
  if (gpsFix == TimeOnlyFix && (lastGpsFix_ != TimeOnlyFix || surveyInSeenInTimeOnlyFix_)) {
    host_.SendGpsRxCommand(StopSurveyInOutputCommand());
    surveyInSeenInTimeOnlyFix_ = false;
  }
  lastGpsFix_ = gpsFix;
  host_.SetNavStatus(navStatus);
  if (fixText.size() >= 2)
    fixText.chop(2);
  host_.ShowSatsStatusMessage(fixText);
}

void UbxDecoder::DecodeNavDop(Work &work)
{
  const double gDop = work.U2(4) / 100.0;
  const double pDop = work.U2(6) / 100.0;
  const double tDop = work.U2(8) / 100.0;
  const double vDop = work.U2(10) / 100.0;
  const double hDop = work.U2(12) / 100.0;
  host_.SetDops(gDop, pDop, hDop, vDop, tDop);
  if (host_.GetNavMode() == 1)
    host_.ShowSatsDopsMessage(QString::asprintf("DOPs: T = %3.1f", tDop));
  else
    host_.ShowSatsDopsMessage(QString::asprintf("DOPs: T = %3.1f, P = %3.1f, H = %3.1f, V = %3.1f",
                                                tDop, pDop, hDop, vDop));
}

void UbxDecoder::DecodeNavTimeutc(Work &work)
{
  constexpr quint8 ValidTow = 0x01, ValidWeek = 0x02, ValidUtc = 0x04;
  const quint8 valid = work.U1(19);
  if ((valid & (ValidTow | ValidWeek | ValidUtc)) != (ValidTow | ValidWeek | ValidUtc))
    return;  // the time is not known yet: shown, not used

  // The nanoseconds are left out: the time pulse marks the whole second.
  const int year = work.U2(12);
  QDateTime dateTime;
  if (year < 1900 || !MakeReceiverDateTime(year, work.U1(14), work.U1(15), work.U1(16),
                                           work.U1(17), work.U1(18), host_.RxOnLocalTime(),
                                           &dateTime)) {
    // An impossible time must not reach the PC clock.
    qDebug().noquote() << "WARNING: Illegal date or time decoding NAV-TIMEUTC.";
    return;
  }
  state_.receiverTime.SetDateTime(dateTime);
  if (!state_.tickPending) {
    host_.SyncPcClock();
    state_.messageDroveClock = true;
    host_.UpdateClockDisplay();
  }
  state_.tickPending = false;
}

void UbxDecoder::DecodeNavSvinfo(Work &work)
{
  // Channel blocks that lie wholly inside the payload, however many the
  // header claims.
  const int channels = qMin(int(work.U1(4)), (work.length - 8) / 12);

  for (int i = 0; i < SatelliteArraySize; ++i) {
    state_.satellites[i] = state_.blankRecord;
    state_.displaySatellites[i] = state_.blankRecord;
  }

  int visible = 0;
  int tracked = 0;
  QString firstChannels;   // channels 0 to 7
  QString laterChannels;   // channels 8 and up
  for (int k = 0; k < channels; ++k) {
    const int at = 8 + 12 * k;
    const quint8 svid = work.U1(at + 1);
    const quint8 flags = work.U1(at + 2);
    const quint8 quality = work.U1(at + 3);
    const quint8 cno = work.U1(at + 4);
    const int elevation = work.I1(at + 5);
    const int azimuth = work.I2(at + 6);
    if (elevation != 0)
      ++visible;
    if (flags & 0x01)
      ++tracked;

    if (work.gateOpen) {
      QString text = QString::asprintf(
          "chn=%u, svid=%u, flags=%2.2x, quality=%2.2x, cno=%u, elev=%i, azim=%i, prRes=%i, ",
          unsigned(work.U1(at)), unsigned(svid), unsigned(flags), unsigned(quality),
          unsigned(cno), elevation, azimuth, work.I4(at + 8));
      if (k >= 1)
        text += QStringLiteral(", ");
      (k < 8 ? firstChannels : laterChannels) += text;
    }

    // The record of channel k, not of the satellite's number.
    SatelliteRecord &record = state_.satellites[k];
    if (svid != 255 && cno != 0 && elevation != 0) {
      record.identifier = svid;
      record.elevation = qMin(elevation, 90);
      record.azimuth = qMin(azimuth, 359);
      record.cno = qMin(int(cno), 63);
      record.inChannel = flags & 0x01;
      record.channelMode = quality;
      record.status = flags;
      record.trend = ElevationTrend(state_, svid, elevation);
    } else {
      record = state_.blankRecord;
    }
  }

  host_.SetSatsTracked(tracked);
  host_.ShowSatsVisible(QString::asprintf("%1.1u Visible", unsigned(visible)));
  host_.ShowSatsTracked(QString::asprintf("%1.1u Tracked", unsigned(tracked)));

  if (work.gateOpen) {
    work.fields = QString::asprintf("iTOW = %u, numCh = %u, globalFlags = %2.2x, res = %u, ",
                                    unsigned(work.U4(0)), unsigned(work.U1(4)),
                                    unsigned(work.U1(5)), unsigned(work.U2(6))) +
                  firstChannels + laterChannels;
    work.fieldsFormatted = true;
    work.lineText = firstChannels + QLatin1Char('\n') + QString(SvinfoIndent, QLatin1Char(' ')) +
                    laterChannels;
  }

  host_.UpdateSatelliteTable();
}

void UbxDecoder::DecodeMonVer(Work &work)
{
  constexpr int MaxExtensions = 29;
  const QString software = work.Text(0, 30);
  const QString hardware = work.Text(30, 10);

  // The identification answer is shown whether or not field texts are on.
  QString line = QStringLiteral(" Software Version ") + software +
                 QStringLiteral(", Hardware Version ") + hardware;
  QString idText = QStringLiteral("u-blox Receiver/Software Version\n") +
                   QStringLiteral("Software Version: ") + software + QLatin1Char('\n') +
                   QStringLiteral("Hardware Version: ") + hardware + QLatin1Char('\n') +
                   QStringLiteral("ROM and extensions:\n");
  for (int k = 0; k < MaxExtensions && work.Holds(40 + 30 * k, 30); ++k) {
    const QString extension = work.Text(40 + 30 * k, 30);
    line += QStringLiteral(", ") + extension;
    idText += extension + QLatin1Char('\n');
  }
  work.lineText = line;

  if (host_.HasIdWindow())
    host_.AppendIdLines(idText);
  state_.replyFlags.gotMonVer = true;
}

void UbxDecoder::DecodeMonHw(Work &work)
{
  int antenna = -1;
  switch (work.U1(20)) {
  case 2: antenna = 0; break;  // OK
  case 3: antenna = 1; break;  // short
  case 4: antenna = 2; break;  // open
  default: break;
  }
  state_.antennaStatus = antenna;
  host_.SetAntennaStatus(antenna);
}

void UbxDecoder::DecodeAidHui(Work &work)
{
  const int utcLs = work.I2(26);
  const int utcWnf = work.U2(28);
  const int utcDn = work.U2(30);
  const int utcLsf = work.I2(32);
  const quint8 flags = work.U1(68);

  // The first day after the one that ends with the leap second.
  const QDate event = QDate(1980, 1, 6).addDays(qint64(utcWnf) * 7 + utcDn);
  const int eventYear = event.year();
  const int eventMonth = event.month();
  const int currentYear = state_.displayCopy.year();
  const int currentMonth = state_.displayCopy.month();

  int a = 0;
  int b = 0;
  if ((flags & 0x07) != 0x07) {
    state_.utcOffsetSeconds = 0;
    state_.leapSecondPending = -1;
  } else if (eventYear < currentYear || (eventYear == currentYear && eventMonth <= currentMonth)) {
    state_.utcOffsetSeconds = utcLsf;
    state_.leapSecondPending = -1;
    a = b = utcLsf;
  } else {
    state_.utcOffsetSeconds = utcLs;
    a = utcLsf;
    b = utcLs;
    if (utcLsf > utcLs)
      state_.leapSecondPending = 1;
    else if (utcLsf < utcLs)
      state_.leapSecondPending = 2;
  }

  int leapIndicator = 0;
  const int nextMonthYear = currentMonth == 12 ? currentYear + 1 : currentYear;
  const int nextMonth = currentMonth == 12 ? 1 : currentMonth + 1;
  if (eventYear == nextMonthYear && eventMonth == nextMonth)
    leapIndicator = a > b ? 1 : a < b ? 2 : 3;

  if (work.gateOpen)
    work.SetFields(QString::asprintf(
        " ... utcLS = %u, utcWNF = %u, utcDN = %u, utcLSF = %u ... valid = 0x%2.2x -->> LS "
        "Pending = %d, NTP Leap Indicator = %d",
        unsigned(utcLs), unsigned(utcWnf), unsigned(utcDn), unsigned(utcLsf), unsigned(flags),
        state_.leapSecondPending, leapIndicator));
}

void UbxDecoder::DecodeCfgTp5(Work &work)
{
  if (!work.gateOpen)
    return;
  const quint8 flags = work.U1(28);
  const bool frequencies = flags & 0x08;
  const bool pulseLengths = flags & 0x10;
  QString format = QStringLiteral(
      "TimePulse%u, res0 = %u, res1 = %i, antCableDelay = %i ns, rfGroupDelay = %i ns, ");
  format += frequencies ? QStringLiteral("freqPeriod = %u Hz, freqPeriodLock = %u Hz, ")
                        : QStringLiteral("freqPeriod = %u us, freqPeriodLock = %u us, ");
  format += pulseLengths
                ? QStringLiteral("pulseLenRatio = %u us, pulseLenRatioLock = %u us, ")
                : QStringLiteral("pulseLenRatio = %f ratio, pulseLenRatioLock = %f ratio, ");
  format += QStringLiteral("userDelay = %i ns, ubx_flags = 0x%X");
  const FieldType pulse = pulseLengths ? FieldType::U4 : FieldType::Ratio;
  const std::vector<Field> fields{{0, FieldType::U1},  {1, FieldType::U1}, {2, FieldType::U2},
                                  {4, FieldType::I2},  {6, FieldType::I2}, {8, FieldType::U4},
                                  {12, FieldType::U4}, {16, pulse},        {20, pulse},
                                  {24, FieldType::I4}, {28, FieldType::U1}};
  work.SetFields(FormatFields(format.toLatin1().constData(), fields, work));
}

void UbxDecoder::DecodeTimTp(Work &work)
{
  state_.receiverSawtoothNs = work.I4(8) / 1000.0;  // ps to ns
  state_.receiverSawtoothFresh = true;
}

void UbxDecoder::DecodeTimSvin(Work &work)
{
  if (work.U1(25) != 0)
    host_.SetNavStatus(2);  // surveying
  // The receiver still sends survey-in status in a time-only fix: the
  // command that stops it has not taken.
  if (lastGpsFix_ == 5)
    surveyInSeenInTimeOnlyFix_ = true;
}
