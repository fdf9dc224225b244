#include "receiver/decode/OncoreDecoder.h"

#include "core/ReceiverIdentity.h"
#include "core/ReceiverReplyFlags.h"
#include "core/ReceiverState.h"
#include "receiver/decode/DecoderHost.h"
#include "receiver/decode/ElevationTrend.h"
#include "receiver/decode/FieldReaders.h"
#include "receiver/decode/GpsRxModel.h"
#include "receiver/decode/OncoreEchoes.h"
#include "receiver/decode/ReceiverDateTime.h"
#include "platform/TimeSource.h"

#include <QRegularExpression>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <iterator>

namespace {

constexpr double MilliarcsecondsPerDegree = 3600000.0;
// Oncore speed unit (cm/s) to knots.
constexpr double SpeedToKnots = 0.019425;

// A set of models as bits by model index.
constexpr quint32 Models(std::initializer_list<qint32> models)
{
  quint32 bits = 0;
  for (qint32 m : models)
    bits |= 1u << m;
  return bits;
}

bool ModelIn(quint32 models)
{
  const qint32 model = receiverIdentity.model;
  return model >= 0 && model < 32 && ((models >> model) & 1u);
}

// Models that report a signal level rather than C/No.
bool ReportsSignalLevel()
{
  return ModelIn(Models({GpsRxModel::PVT6, GpsRxModel::VP, GpsRxModel::XT, GpsRxModel::VP6}));
}

// Seconds of an Oncore time field: i8 whole seconds at 10, i32 ns at 11.
double MessageSeconds(const QByteArray &m) { return GetI8(m, 10) + GetBigEndianI32(m, 11) / 1e9; }

QString RemoveTrailingSeparator(QString text)
{
  if (text.size() >= 2)
    text.chop(2);
  return text;
}

QString TagCharacters(const QByteArray &m, int offset)
{
  QString tag;
  for (int i = 0; i < 6; ++i)
    tag += QChar(ushort(GetU8(m, offset + i)));
  return tag;
}

// Status text and navigation-status candidate of the "@@Ea"/"@@Ba" status
// byte; each set bit, in this order, appends its text.
struct StatusResult {
  QString text;
  int navCandidate = -1;
};

StatusResult EaStatus(quint8 status, DecoderHost &host)
{
  StatusResult r;
  if (status & 0x80) {
    r.text += QStringLiteral("Position Propagate Mode, ");
    r.navCandidate = 0;
  }
  if (status & 0x40) {
    r.text += QStringLiteral("Poor Geometry (DOP>20), ");
    r.navCandidate = 1;
  }
  if (status & 0x20) {
    r.text += QStringLiteral("3-D Fix, ");
    host.SetNavMode(3);
    r.navCandidate = 0;
  }
  if (status & 0x10) {
    r.text += QStringLiteral("Altitude Hold (2-D Fix), ");
    host.SetNavMode(2);
    r.navCandidate = 0;
  }
  if (status & 0x08) {
    r.text += QStringLiteral("Acquiring Satellites or Position Hold, ");
    host.SetNavMode(1);
    r.navCandidate = 1;
  }
  if (status & 0x04)
    r.text += QStringLiteral("DGPS, ");
  if (status & 0x01)
    r.text += QStringLiteral("Bad Almanac, ");
  else if (status & 0x02)
    r.text += QStringLiteral("Insufficient Satellites (<3), ");
  return r;
}

int EaFixStatus(quint8 status)
{
  if (status & 0x80)
    return 4;
  if ((status & 0x20) && (status & 0x04))
    return 3;
  if (status & 0x20)
    return 2;
  if (status & 0x08)
    return 1;
  return 0;
}

// Status of "@@Ha"/"@@Hb": the fix type in the top three bits of the first
// status byte, flags in the second. The navigation status is final.
StatusResult HaStatus(quint8 fixByte, quint8 flags, DecoderHost *navModeHost)
{
  StatusResult r;
  auto navMode = [navModeHost](int mode) {
    if (navModeHost)
      navModeHost->SetNavMode(mode);
  };
  switch (fixByte >> 5) {
  case 2:
    r.text += QStringLiteral("Poor Geometry, ");
    r.navCandidate = 1;
    break;
  case 3:
    r.text += QStringLiteral("Acquiring Satellites, ");
    navMode(1);
    r.navCandidate = 1;
    break;
  case 4:
    r.text += QStringLiteral("Position Hold, ");
    navMode(1);
    r.navCandidate = 1;
    break;
  case 5:
    r.text += QStringLiteral("Position Propagate Mode, ");
    r.navCandidate = 0;
    break;
  case 6:
    r.text += QStringLiteral("Altitude Hold (2-D Fix), ");
    navMode(2);
    r.navCandidate = 0;
    break;
  case 7:
    r.text += QStringLiteral("3-D Fix, ");
    navMode(3);
    r.navCandidate = 0;
    break;
  default:
    break;
  }
  if (flags & 0x80)
    r.text += QStringLiteral("Cold Start or Bad Almanac, ");
  else if (flags & 0x08)
    r.text += QStringLiteral("Insufficient Satellites (<3), ");
  if (flags & 0x40)
    r.text += QStringLiteral("DGPS, ");
  if (flags & 0x20)
    r.navCandidate = 1;
  if (flags & 0x10)
    r.navCandidate = 2;
  return r;
}

int HaFixStatus(quint8 fixByte, quint8 flags)
{
  switch (fixByte >> 5) {
  case 5:
    return 4;
  case 7:
    return (flags & 0x20) ? 3 : 2;
  case 4:
    return 1;
  default:
    return 0;
  }
}

// Looks for `text` at or after byte `from` of the message.
bool OccursFrom(const QByteArray &m, const char *text, int from)
{
  return m.indexOf(text, from) >= 0;
}

}  // namespace

const OncoreDecoder::HandlerEntry OncoreDecoder::handlerTable[] = {
    {'B', 'a', 65, &OncoreDecoder::DecodeBa},
    {'B', 'b', 5, &OncoreDecoder::DecodeBb},
    {'B', 'd', 12, &OncoreDecoder::DecodeBd},
    {'B', 'f', 5, &OncoreDecoder::DecodeBf},
    {'B', 'g', 119, &OncoreDecoder::DecodeBg},
    {'B', 'j', 5, &OncoreDecoder::DecodeBj},
    {'B', 'k', 24, &OncoreDecoder::DecodeBk},
    {'B', 'n', 56, &OncoreDecoder::DecodeBn},
    {'B', 'o', 5, &OncoreDecoder::DecodeBo},
    {'C', 'a', 6, &OncoreDecoder::DecodeCa},
    {'C', 'b', 30, &OncoreDecoder::DecodeCb},
    {'C', 'c', 5, &OncoreDecoder::DecodeCc},
    {'C', 'e', 49, &OncoreDecoder::DecodeCe},
    {'C', 'j', 4, &OncoreDecoder::DecodeCj},
    {'C', 'k', 4, &OncoreDecoder::DecodeCk},
    {'C', 'o', 26, &OncoreDecoder::DecodeCo},
    {'E', 'a', 73, &OncoreDecoder::DecodeEa},
    {'E', 'g', 155, &OncoreDecoder::DecodeEg},
    {'E', 'k', 68, &OncoreDecoder::DecodeEk},
    {'E', 'n', 66, &OncoreDecoder::DecodeEn},
    {'E', 'q', 4, &OncoreDecoder::DecodeEq},
    {'F', 'a', 6, &OncoreDecoder::DecodeFa},
    {'G', 'j', 18, &OncoreDecoder::DecodeGj},
    {'H', 'a', 151, &OncoreDecoder::DecodeHa},
    {'H', 'b', 51, &OncoreDecoder::DecodeHb},
    {'H', 'n', 75, &OncoreDecoder::DecodeHn},
    {'H', 'r', 167, &OncoreDecoder::DecodeHr},
    {'I', 'a', 7, &OncoreDecoder::DecodeIa},
    {'I', 'r', 4, &OncoreDecoder::DecodeIr},
};
// The setting echoes and the S, T and W groups are rows of the echo table
// (OncoreEchoes.cpp).

OncoreDecoder::OncoreDecoder(ReceiverState &state, DecoderHost &host) : state_(state), host_(host)
{
}

const OncoreDecoder::HandlerEntry *OncoreDecoder::FindHandler(char first, char second)
{
  for (const HandlerEntry &entry : handlerTable)
    if (entry.first == first && entry.second == second)
      return &entry;
  return nullptr;
}

bool OncoreDecoder::TextGateOpen() const { return state_.rawDataWindowOpened || state_.logRecordGate; }

bool OncoreDecoder::AnyTimeHoldActive() const
{
  const qint64 now = TimeSource::Current().MonotonicMs();
  return state_.HaHoldActive(now) || state_.EaHoldActive(now) || state_.BaHoldActive(now);
}

QString OncoreDecoder::Decode(const QByteArray &message)
{
  // The command layer waits for the first reply that starts with its tag,
  // whatever else becomes of the message.
  if (!ExpectedOncoreReplyTag.isEmpty() && message.left(4) == ExpectedOncoreReplyTag)
    OncoreReplySeen = true;

  if (message.size() < 4 || !message.startsWith("@@"))
    return QString();

  host_.WriteBinaryGpsLog(message);

  // Latin-1 keeps the identifier at four characters whatever its bytes.
  Work work{message, QString::fromLatin1(message.constData(), 4) + QLatin1Char(' '), QString(),
            QString()};

  const char first = message.at(2);
  const char second = message.at(3);
  if (const HandlerEntry *entry = FindHandler(first, second)) {
    if (message.size() >= entry->minimumLength)
      (this->*(entry->handler))(work);
  } else if (const OncoreEcho *echo = FindOncoreEcho(first, second)) {
    if (message.size() >= echo->minimumLength)
      DecodeEcho(work, *echo);
  }

  if (first == 'A') {
    if (host_.HasIdWindow())
      host_.AppendIdText(work.line);
    work.configText = work.line;
  }
  if (work.line.size() == 5)
    work.line += QStringLiteral("...");
  work.line += QLatin1Char('\n');
  if (host_.GpsLogType() == 2 && !work.pvtRow.isEmpty())
    host_.WriteGpsLog(work.pvtRow);
  if (host_.ConfigTextToTicLog() && !work.configText.isEmpty())
    host_.WriteTicLog(work.configText);
  return work.line;
}

bool OncoreDecoder::StoreReceiverTime(const QByteArray &m, bool roundSeconds, bool advanceOneSecond)
{
  const double seconds = MessageSeconds(m) + (roundSeconds ? 0.5 : 0.0);
  QDateTime dateTime;
  if (!MakeReceiverDateTime(GetBigEndianU16(m, 6), GetU8(m, 4), GetU8(m, 5), GetU8(m, 8),
                            GetU8(m, 9), int(std::trunc(seconds)), host_.RxOnLocalTime(),
                            &dateTime))
    return false;
  state_.receiverTime.SetDateTime(dateTime);
  if (!state_.tickPending) {
    host_.SyncPcClock();
    state_.messageDroveClock = true;
    host_.UpdateClockDisplay();
  }
  state_.tickPending = false;
  if (advanceOneSecond)
    state_.receiverTime.SetDateTime(state_.receiverTime.addSecs(1));
  return true;
}

int OncoreDecoder::ChannelCNo(int signalLevel)
{
  if (!ReportsSignalLevel())
    return signalLevel;
  if (signalLevel <= 0)
    return 0;
  return int(20.0 * std::log10(double(signalLevel)) + 4.6 + 0.5);
}

// Where the fields of the three position messages lie (byte offsets from the
// first "@") and what else tells them apart. The date-time (4 to 14),
// latitude, longitude and both heights (15 to 30) lie alike in all three.
struct OncorePositionLayout {
  enum Family { Ea, Ba, Ha } family;
  bool roundSeconds;      // the time's seconds are rounded, not cut
  bool advanceOneSecond;  // one second is added to the time it carries
  int speed;
  int heading;
  int dop;
  int dopType;            // -1: none
  bool antennaInDopType;  // antenna status in the DOP type's top two bits
  int visible;
  int tracked;
  int channels;
  int channelStart;
  int channelSize;
  int status;             // "@@Ha": the fix type, then the flags
  quint32 geoidModels;    // models that leave the height above sea level at 0
  int ReceiverState::*holdCountdown;
  qint64 ReceiverState::*holdSetMs;
  bool ReceiverReplyFlags::*replyFlag;
};

namespace {

using namespace GpsRxModel;

// In rank order: while its time hold lasts, a message outranks those below.
// family, rounded, advanced, speed, heading, DOP, DOP type, antenna in it, visible, tracked,
// channels, first channel, channel size, status; geoid models; hold and reply flag.
const OncorePositionLayout positionLayouts[] = {
    {OncorePositionLayout::Ha, true, true, 47, 51, 53, -1, false, 55, 56, 12, 57, 6, 129,
     Models({M12, M12Plus, M12M, Signav}),
     &ReceiverState::haIgnoreCountdown, &ReceiverState::haIgnoreSetMs, &ReceiverReplyFlags::gotHa},
    {OncorePositionLayout::Ea, false, true, 31, 33, 35, 37, true, 38, 39, 8, 40, 4, 72,
     Models({GT, GTPlus, SL, UT, UTPlus, CnxtNvmn}),
     &ReceiverState::eaIgnoreCountdown, &ReceiverState::eaIgnoreSetMs, &ReceiverReplyFlags::gotEa},
    {OncorePositionLayout::Ba, true, false, 31, 33, 35, 37, false, 38, 39, 6, 40, 4, 64,
     Models({GT, GTPlus, M12, M12Plus, M12M, SL, UT, UTPlus, CnxtNvmn, Signav}),
     &ReceiverState::baIgnoreCountdown, &ReceiverState::baIgnoreSetMs, &ReceiverReplyFlags::gotBa},
};

const OncorePositionLayout &PositionLayoutOf(OncorePositionLayout::Family family)
{
  for (const OncorePositionLayout &layout : positionLayouts)
    if (layout.family == family)
      return layout;
  Q_UNREACHABLE();
}

bool HoldActive(const ReceiverState &state, const OncorePositionLayout &layout, qint64 now)
{
  return ReceiverState::TimeHoldActive(state.*layout.holdCountdown, state.*layout.holdSetMs, now);
}

// The channel's status byte; "@@Ha" spreads it over two bytes.
quint8 ChannelStatus(const QByteArray &m, const OncorePositionLayout &layout, int at)
{
  if (layout.family != OncorePositionLayout::Ha)
    return GetU8(m, at + 3);
  const quint8 high = GetU8(m, at + 4);
  const quint8 low = GetU8(m, at + 5);
  return quint8((low & 0xF0) | (high & 0x01) | ((low & 0x0F) >= 7 ? 0x08 : 0));
}

// The PVT log row of "@@Ha".
QString HaRow(const QByteArray &m)
{
  const double dop = GetBigEndianU16(m, 53) / 10.0;
  QString row = QString::asprintf(
      "%.2u/%.2u/%.4d, %.2u:%.2u:%012.9f, %#10.8e, %#10.8e, %04.2f, %04.2f, %4.2f, %4.2f, "
      "%3.1f, %s,%4.1f, %u, %u, 0x%04X, ",
      unsigned(GetU8(m, 4)), unsigned(GetU8(m, 5)), GetBigEndianU16(m, 6), unsigned(GetU8(m, 8)),
      unsigned(GetU8(m, 9)), MessageSeconds(m), GetBigEndianI32AsDouble(m, 31),
      GetBigEndianI32AsDouble(m, 35), GetBigEndianI32(m, 39) / 100.0,
      GetBigEndianI32(m, 43) / 100.0, GetBigEndianU16(m, 47) / 100.0,
      GetBigEndianU16(m, 49) / 100.0, GetBigEndianU16(m, 51) / 10.0,
      GetU8(m, 129) >= 0xE0 ? "PDOP" : "HDOP", dop, unsigned(GetU8(m, 55)),
      unsigned(GetU8(m, 56)), unsigned(GetBigEndianU16(m, 129)));
  row += QLatin1Char('"') + TagCharacters(m, 145) + QStringLiteral("\", ");
  QStringList groups;
  for (int k = 0; k < 12; ++k) {
    const int at = 57 + 6 * k;
    groups << QString::asprintf("%u, %u, %u, %u, 0x%04x", unsigned(GetU8(m, at)),
                                unsigned(GetU8(m, at + 1)), unsigned(GetU8(m, at + 2)),
                                unsigned(GetU8(m, at + 3)), unsigned(GetBigEndianU16(m, at + 4)));
  }
  row += groups.join(QStringLiteral(", "));
  row += QString::asprintf(", %u, %u, %i, %d, %3.1f, 0x%02x, 0x%06x", unsigned(GetU8(m, 131)),
                           unsigned(GetU8(m, 132)), GetBigEndianU16(m, 133),
                           GetBigEndianI32(m, 135), GetBigEndianU16(m, 139) * 0.5,
                           unsigned(GetU8(m, 141)), unsigned(GetBigEndianU24(m, 142)));
  return row;
}

// The PVT log row of "@@Ea" or "@@Ba".
QString EaBaRow(const QByteArray &m, const OncorePositionLayout &layout)
{
  const bool ea = layout.family == OncorePositionLayout::Ea;
  // "@@Ba" prints its heights in centimetres as received.
  const double heightScale = ea ? 100.0 : 1.0;
  const quint8 dopType = GetU8(m, layout.dopType);
  QString row = QString::asprintf(
      ea ? "%.2u/%.2u/%.4u, %.2u:%.2u:%012.9f, %#10.8e, %#10.8e, %4.2f, %4.2f, %4.2f, %3.1f, "
           "%s, %3.1f, %u, %u, 0x%02x, "
         : "%.2u/%.2u/%.4d, %.2u:%.2u:%012.9f, %#10.8e, %#10.8e, %4.2f, %4.2f, %4.2f, %3.1f, "
           "%s, %3.1f, %u, %u, 0x%02x, ",
      unsigned(GetU8(m, 4)), unsigned(GetU8(m, 5)), GetBigEndianU16(m, 6), unsigned(GetU8(m, 8)),
      unsigned(GetU8(m, 9)), MessageSeconds(m), GetBigEndianI32AsDouble(m, 15),
      GetBigEndianI32AsDouble(m, 19), GetBigEndianI32(m, 23) / heightScale,
      GetBigEndianI32(m, 27) / heightScale, GetBigEndianU16(m, layout.speed) / 100.0,
      GetBigEndianU16(m, layout.heading) / 10.0, dopType == 0 ? "PDOP" : "HDOP",
      GetBigEndianU16(m, layout.dop) / 10.0, unsigned(GetU8(m, layout.visible)),
      unsigned(GetU8(m, layout.tracked)), unsigned(GetU8(m, layout.status)));
  QStringList groups;
  for (int k = 0; k < layout.channels; ++k) {
    const int at = layout.channelStart + layout.channelSize * k;
    groups << QString::asprintf("%u, %u, %u, 0x%02x", unsigned(GetU8(m, at)),
                                unsigned(GetU8(m, at + 1)), unsigned(GetU8(m, at + 2)),
                                unsigned(GetU8(m, at + 3)));
  }
  row += groups.join(QStringLiteral(", "));
  return row;
}

}  // namespace

void OncoreDecoder::DecodeEa(Work &work)
{
  DecodePositionStatus(work, PositionLayoutOf(OncorePositionLayout::Ea));
}

void OncoreDecoder::DecodeBa(Work &work)
{
  DecodePositionStatus(work, PositionLayoutOf(OncorePositionLayout::Ba));
}

void OncoreDecoder::DecodeHa(Work &work)
{
  DecodePositionStatus(work, PositionLayoutOf(OncorePositionLayout::Ha));
}

void OncoreDecoder::DecodePositionStatus(Work &work, const OncorePositionLayout &layout)
{
  const QByteArray &m = work.message;
  const qint64 now = TimeSource::Current().MonotonicMs();
  // "@@Ha" outranks "@@Ea", which outranks "@@Ba", while their holds last.
  for (const OncorePositionLayout *higher = positionLayouts; higher != &layout; ++higher)
    if (HoldActive(state_, *higher, now))
      return;

  StoreReceiverTime(m, layout.roundSeconds, layout.advanceOneSecond);
  host_.SetSpeed(GetBigEndianU16(m, layout.speed) * SpeedToKnots);
  host_.SetHeading(GetBigEndianU16(m, layout.heading) * 0.1);

  const double latitude = GetBigEndianI32(m, 15) / MilliarcsecondsPerDegree;
  const double longitude = GetBigEndianI32(m, 19) / MilliarcsecondsPerDegree;
  const double height = GetBigEndianI32(m, 23) / 100.0;
  double mslHeight = GetBigEndianI32(m, 27) / 100.0;
  if (ModelIn(layout.geoidModels) && mslHeight == 0.0)
    mslHeight = height - host_.GeoidSeparation(latitude, longitude);
  if (layout.antennaInDopType) {
    state_.antennaStatus = GetU8(m, layout.dopType) >> 6;
    host_.SetAntennaStatus(state_.antennaStatus);
  }
  host_.ShowPosition(latitude, longitude, height, mslHeight);

  const int visible = GetU8(m, layout.visible);
  const int tracked = GetU8(m, layout.tracked);
  host_.SetSatsTracked(tracked);
  host_.ShowSatsVisible(QString::asprintf("%1.1d Visible", visible));
  host_.ShowSatsTracked(QString::asprintf("%1.1d Tracked", tracked));

  StorePositionChannels(m, layout);
  if (layout.family == OncorePositionLayout::Ha)
    ShowHaStatus(m, layout);
  else
    ShowEaBaStatus(m, layout);

  if (TextGateOpen()) {
    const QString row =
        layout.family == OncorePositionLayout::Ha ? HaRow(m) : EaBaRow(m, layout);
    work.pvtRow = row;
    work.line = QString::fromLatin1(m.constData(), 4) + QStringLiteral(", ") + row;
  }

  host_.UpdateSatelliteTable();
  state_.*layout.holdCountdown = 5;
  state_.*layout.holdSetMs = now;
  state_.replyFlags.*layout.replyFlag = true;
}

void OncoreDecoder::StorePositionChannels(const QByteArray &m, const OncorePositionLayout &layout)
{
  // The satellite array is listed anew; elevation, azimuth and trend come
  // from "@@Bb" and stay.
  for (SatelliteRecord &record : state_.satellites) {
    record.identifier = 0;
    record.cno = 0;
    record.status = 0;
    record.inChannel = 0;
    record.channelMode = 9;
  }
  for (int k = 0; k < layout.channels; ++k) {
    const int at = layout.channelStart + k * layout.channelSize;
    const quint8 satellite = GetU8(m, at);
    const quint8 status = ChannelStatus(m, layout, at);
    SatelliteRecord &record = state_.satellites[satellite];
    record.identifier = satellite;
    record.channelMode = GetU8(m, at + 1);
    record.status = status;
    record.cno = ChannelCNo(GetU8(m, at + 2));
    record.inChannel = 1;
  }
}

void OncoreDecoder::ShowHaStatus(const QByteArray &m, const OncorePositionLayout &layout)
{
  const double dop = GetBigEndianU16(m, layout.dop) / 10.0;
  const quint8 fixByte = GetU8(m, layout.status);
  const quint8 flags = GetU8(m, layout.status + 1);
  state_.antennaStatus = (flags >> 1) & 3;
  host_.SetAntennaStatus(state_.antennaStatus);
  const StatusResult status = HaStatus(fixByte, flags, &host_);
  host_.SetNavStatus(status.navCandidate);
  host_.SetFixStatus(HaFixStatus(fixByte, flags));
  QString dopText;
  if (dop > 0.0) {
    const int navMode = host_.GetNavMode();
    if (navMode == 3)
      dopText = QString::asprintf("PDOP = %4.1f", dop);
    else if (navMode == 2)
      dopText = QString::asprintf("HDOP = %4.1f", dop);
  }
  host_.ShowSatsStatusMessage(RemoveTrailingSeparator(status.text));
  host_.ShowSatsDopsMessage(dopText);
}

void OncoreDecoder::ShowEaBaStatus(const QByteArray &m, const OncorePositionLayout &layout)
{
  const double dop = GetBigEndianU16(m, layout.dop) / 10.0;
  const quint8 dopType = GetU8(m, layout.dopType);
  const quint8 statusByte = GetU8(m, layout.status);
  const StatusResult status = EaStatus(statusByte, host_);
  host_.SetNavStatus((dopType & 0x20) ? 2 : status.navCandidate);
  QString statusText = RemoveTrailingSeparator(status.text);
  host_.SetFixStatus(EaFixStatus(statusByte));
  QString dopText;
  if (layout.family == OncorePositionLayout::Ba || ReportsSignalLevel()) {
    if (!(statusByte & 0x10))
      dopText = host_.DopsText();
  } else if (dop > 0.0 && (dopType == 0 || dopType == 1)) {
    const QString text = QString::asprintf(dopType == 0 ? "PDOP = %4.1f" : "HDOP = %4.1f", dop);
    statusText = statusText.isEmpty() ? text : statusText + QStringLiteral(": ") + text;
  }
  host_.ShowSatsStatusMessage(statusText);
  host_.ShowSatsDopsMessage(dopText);
}

void OncoreDecoder::DecodeHb(Work &work)
{
  const QByteArray &m = work.message;
  const quint8 fixByte = GetU8(m, 41);
  const quint8 flags = GetU8(m, 42);
  state_.antennaStatus = (flags >> 1) & 3;
  host_.SetNavStatus(HaStatus(fixByte, flags, nullptr).navCandidate);

  if (TextGateOpen()) {
    QString row = QString::asprintf(
        "%.2u/%.2u/%.4d, %.2u:%.2u:%012.9f, %#10.8e, %#10.8e, %4.2f, %4.2f, %4.2f, %4.2f, %3.1f, "
        "%s, %3.1f, %u, %u,0x%04x, \"",
        unsigned(GetU8(m, 4)), unsigned(GetU8(m, 5)), GetBigEndianU16(m, 6),
        unsigned(GetU8(m, 8)), unsigned(GetU8(m, 9)), MessageSeconds(m),
        GetBigEndianI32AsDouble(m, 15), GetBigEndianI32AsDouble(m, 19),
        GetBigEndianI32(m, 23) / 100.0, GetBigEndianI32(m, 27) / 100.0,
        GetBigEndianU16(m, 31) / 100.0, GetBigEndianU16(m, 33) / 100.0,
        GetBigEndianU16(m, 35) / 10.0, fixByte >= 0xE0 ? "PDOP" : "HDOP",
        GetBigEndianU16(m, 37) / 10.0, unsigned(GetU8(m, 39)), unsigned(GetU8(m, 40)),
        unsigned(GetBigEndianU16(m, 41)));
    row += TagCharacters(m, 45) + QLatin1Char('"');
    work.pvtRow = row;
    work.line = QStringLiteral("@@Hb, ") + row;
  }
  host_.UpdateSatelliteTable();
}

void OncoreDecoder::DecodeHr(Work &work)
{
  if (!TextGateOpen())
    return;
  const QByteArray &m = work.message;
  // Value 13 is the heading: u16 at 31 in tenths of a degree, between the
  // speed at 29 and the field at 33, as in the other position messages.
  QString row = QString::asprintf(
      "%.2d/%.2d/%.4d, %.2d:%.2d:%.2d, %d, %d, %#10.8e, %#10.8e, %4.2f, %4.2f, %3.1f, %s, %3.1f, "
      "%u, 0x%04x, 0x%04x, \"",
      int(GetI8(m, 4)), int(GetU8(m, 5)), GetBigEndianU16(m, 6), int(GetU8(m, 8)),
      int(GetU8(m, 9)), int(GetU8(m, 10)), GetBigEndianU16(m, 11), GetBigEndianI32(m, 13),
      GetBigEndianI32AsDouble(m, 17), GetBigEndianI32AsDouble(m, 21),
      GetBigEndianI32(m, 25) / 100.0, GetBigEndianU16(m, 29) / 100.0,
      GetBigEndianU16(m, 31) / 10.0, (GetU8(m, 37) & 0x01) ? "HDOP" : "PDOP",
      GetBigEndianU16(m, 35) / 10.0, unsigned(GetU8(m, 38)), unsigned(GetBigEndianU16(m, 39)),
      unsigned(GetBigEndianU16(m, 33)));
  row += TagCharacters(m, 161) + QLatin1Char('"');
  work.pvtRow = row;
  work.line = QStringLiteral("@@Hr, ") + row;
}

void OncoreDecoder::DecodeEq(Work &work) { work.line = QString::fromUtf8(work.message); }

void OncoreDecoder::DecodeBb(Work &work)
{
  const QByteArray &m = work.message;
  const int count = GetU8(m, 4);
  // A dozen formatted entries: only for a reader.
  const bool text = TextGateOpen();
  if (text)
    work.line = QString::asprintf("@@Bb %u Prn, Doppler, El, Az, Hlth; ", unsigned(count));
  state_.lastBbAnswerMs = TimeSource::Current().NowMSecsSinceEpoch();

  const int entries = qMin(qMin(count, (int(m.size()) - 5) / 7), 64);
  for (int k = 0; k < entries; ++k) {
    const int at = 5 + 7 * k;
    const quint8 satellite = GetU8(m, at);
    if (satellite == 0)
      continue;
    const int doppler = GetBigEndianI16(m, at + 1);
    const int elevation = GetU8(m, at + 3);
    const int azimuth = GetBigEndianU16(m, at + 4);
    if (text)
      work.line += QString::asprintf("%u %d %u %d %u; ", unsigned(satellite), doppler,
                                     unsigned(elevation), azimuth, unsigned(GetU8(m, at + 6)));
    SatelliteRecord &record = state_.satellites[satellite];
    record.identifier = satellite;
    record.elevation = elevation;
    record.azimuth = azimuth;
    const int trend = ElevationTrend(state_, satellite, elevation);
    record.trend = doppler > 0 ? 1 : doppler < 0 ? -1 : trend;
  }
  // While a position message holds, it redraws the table itself.
  if (!AnyTimeHoldActive())
    host_.UpdateSatelliteTable();
}

void OncoreDecoder::DecodeBk(Work &work) { DecodeDops(work, false); }

void OncoreDecoder::DecodeEk(Work &work)
{
  if (work.message.size() == 68)
    DecodeDops(work, true);
}

void OncoreDecoder::DecodeDops(Work &work, bool ek)
{
  const QByteArray &m = work.message;
  const double gdop = GetBigEndianU16(m, 4) * 0.1;
  const double pdop = GetBigEndianU16(m, 6) * 0.1;
  const double hdop = GetBigEndianU16(m, 8) * 0.1;
  const double vdop = GetBigEndianU16(m, 10) * 0.1;
  const double tdop = GetBigEndianU16(m, 12) * 0.1;
  const double magneticVariation = GetBigEndianU16(m, 14) * 0.1;
  const double velocityNorth = GetBigEndianI16(m, 16) * 0.1;
  const double velocityEast = GetBigEndianI16(m, 18) * 0.1;
  const double velocityUp = GetBigEndianI16(m, 20) * 0.1;
  const double correctionAge = GetBigEndianU16(m, 22) * 0.1;
  host_.SetDops(gdop, pdop, hdop, vdop, tdop);
  if (TextGateOpen())
    work.line = QString::asprintf(
        ek ? "@@Ek GDOP = %.1f, PDOP =  %.1f, HDOP =  %.1f, VDOP =  %.1f, TDOP = %.1f, Mag Var = "
             "%.1f, Vel_N = %.1f m/s, Vel_E = %.1f m/s, Vel_Up = %.1f m/s, Diff Corr Age = %.1f..."
           : "@@Bk GDOP = %.1f, PDOP =  %.1f, HDOP =  %.1f, VDOP =  %.1f, TDOP = %.1f, Mag Var = "
             "%.1f, Vel_N = %.1f m/s, Vel_E = %.1f m/s, Vel_Up = %.1f m/s, Diff Corr Age = %.1f ...",
        gdop, pdop, hdop, vdop, tdop, magneticVariation, velocityNorth, velocityEast, velocityUp,
        correctionAge);
  if (state_.dgpsInputState == 1) {
    const QString text = QString::asprintf("Receiving DGPS, Age %3.1f sec", correctionAge);
    if (correctionAge <= 0.0)
      state_.dgpsInputState = 0;
    host_.ShowDgpsMessage(text);
  }
}

void OncoreDecoder::DecodeBg(Work &work) { DecodeChannelTimes(work, false); }
void OncoreDecoder::DecodeEg(Work &work) { DecodeChannelTimes(work, true); }

void OncoreDecoder::DecodeChannelTimes(Work &work, bool eg)
{
  if (!TextGateOpen())
    return;
  const QByteArray &m = work.message;
  QString row = QString::asprintf("%11.9f", GetBigEndianU24(m, 4) + GetBigEndianI32(m, 7) / 1e9);
  const int channels = eg ? 8 : 6;
  for (int k = 0; k < channels; ++k) {
    const int r = 11 + 18 * k;
    const unsigned id = GetU8(m, r);
    const unsigned mode = GetU8(m, r + 1);
    const double time = GetBigEndianU24(m, r + 2) + GetBigEndianI32(m, r + 5) / 1e9;
    const double fraction = GetBigEndianU16(m, r + 9) + GetBigEndianU16(m, r + 11) / 65536.0;
    const int u24 = GetBigEndianU24(m, r + 13);
    const int u16 = GetBigEndianU16(m, r + 16);
    if (eg)
      row += QString::asprintf(",%u,0x%02X,%11.9f,%6.4f,%d,%i", id, mode, time, fraction, u24, u16);
    else
      row += QString::asprintf("%s%u, 0x%02X, %11.9f, %6.4f, %d,%i", k == 0 ? "," : ", ", id, mode,
                               time, fraction, u24, u16);
  }
  work.line = QString::fromLatin1(m.constData(), 4) + QStringLiteral(", ") + row;
}

namespace {

// How the "+" and "++" firmware of a model is told.
enum class FirmwareVariants {
  None,
  BySuffix,        // "+" or "++" after the model's name in the answer
  AlwaysPlusPlus,
};

// A model as the "@@Cj" answer of a known maker names it: the model number
// begins with `text` (and has `sixth` as its sixth character, where given),
// or, for the Synergy names, `text` stands anywhere from byte 161 on.
struct ModelClue {
  bool byName;
  const char *text;
  char sixth;
  qint32 model;
  FirmwareVariants variants;
};

constexpr bool ByNumber = false;
constexpr bool ByName = true;

// The first clue that fits decides; none: M12M.
const ModelClue modelClues[] = {
    {ByNumber, "A1", 0, XT, FirmwareVariants::None},
    {ByNumber, "B1", 0, VP6, FirmwareVariants::None},
    {ByNumber, "B2", 0, VP6, FirmwareVariants::None},
    {ByNumber, "B3", 0, VP, FirmwareVariants::None},
    {ByNumber, "B4", 0, VP, FirmwareVariants::None},
    {ByNumber, "B8", 0, VP, FirmwareVariants::None},
    {ByNumber, "NS", 0, VP, FirmwareVariants::None},
    {ByNumber, "PVT", 0, PVT6, FirmwareVariants::None},
    {ByNumber, "P", 'T', M12, FirmwareVariants::None},
    {ByNumber, "P1", 0, M12, FirmwareVariants::None},
    {ByNumber, "P2", 0, M12Plus, FirmwareVariants::None},
    {ByNumber, "P3", 0, M12M, FirmwareVariants::None},
    {ByNumber, "R1", 'N', GT, FirmwareVariants::None},
    {ByNumber, "R1", 0, UT, FirmwareVariants::None},
    {ByNumber, "R3", 0, GTPlus, FirmwareVariants::None},
    {ByNumber, "R4", 0, GTPlus, FirmwareVariants::None},
    {ByNumber, "R5", 0, UTPlus, FirmwareVariants::None},
    {ByNumber, "R6", 0, SL, FirmwareVariants::None},
    {ByNumber, "T8", 0, VP, FirmwareVariants::None},
    {ByNumber, "IL", 0, M12M, FirmwareVariants::None},
    {ByName, "SSR-6Tf", 0, Ssr6Tf, FirmwareVariants::BySuffix},
    {ByName, "SSR-6Tr", 0, Ssr6Tr, FirmwareVariants::BySuffix},
    {ByName, "SSR-M8F", 0, SsrM8F, FirmwareVariants::AlwaysPlusPlus},
    {ByName, "SSR-M8T", 0, SsrM8T, FirmwareVariants::AlwaysPlusPlus},
};

// Where the Synergy names are looked for.
constexpr int ModelNameFrom = 161;

bool ClueFits(const ModelClue &clue, const QByteArray &m, const QByteArray &modelNumber)
{
  if (clue.byName)
    return OccursFrom(m, clue.text, ModelNameFrom);
  if (!modelNumber.startsWith(clue.text))
    return false;
  return clue.sixth == 0 || (modelNumber.size() > 5 && modelNumber.at(5) == clue.sixth);
}

// Model, firmware variant, version and NMEA mode from an answer of a known
// maker whose model number starts at `modelNumberAt`.
void IdentifyByModelNumber(const QByteArray &m, int modelNumberAt)
{
  const QByteArray modelNumber = m.mid(modelNumberAt, 18).trimmed();
  const ModelClue *clue =
      std::find_if(std::begin(modelClues), std::end(modelClues),
                   [&](const ModelClue &c) { return ClueFits(c, m, modelNumber); });
  const bool found = clue != std::end(modelClues);
  receiverIdentity.model = found ? clue->model : M12M;
  if (found && clue->variants == FirmwareVariants::BySuffix) {
    const QByteArray name(clue->text);
    if (OccursFrom(m, name + "++", ModelNameFrom))
      receiverIdentity.plusPlusFirmware = true;
    else if (OccursFrom(m, name + "+", ModelNameFrom))
      receiverIdentity.plusFirmware = true;
  } else if (found && clue->variants == FirmwareVariants::AlwaysPlusPlus) {
    receiverIdentity.plusPlusFirmware = true;
  }

  const QString versionText = QString::fromUtf8(m.mid(84, 11).trimmed()) + QLatin1Char('.') +
                              QString::fromUtf8(m.mid(112, 11).trimmed());
  receiverIdentity.firmwareVersionText = versionText;
  receiverIdentity.firmwareVersion = 0.0;
  // The last number in the text counts.
  static const QRegularExpression number(QStringLiteral("[-+]?[0-9]+\\.?[0-9]*"));
  auto matches = number.globalMatch(versionText);
  while (matches.hasNext()) {
    bool ok = false;
    const float value = matches.next().captured(0).toFloat(&ok);
    receiverIdentity.firmwareVersion = ok ? value : 0.0;
  }
  const qint32 model = receiverIdentity.model;
  const bool synergy = model >= Ssr6Tf && model <= SsrM8T;
  receiverIdentity.hasNmeaMode = !synergy || receiverIdentity.firmwareVersion >= 4.21;
}

// Answers of other makers: a name at a fixed place gives the model.
void IdentifyByFixedLayout(const QByteArray &m)
{
  struct FixedLayout {
    int offset;
    const char *text;
    qint32 model;
    int versionAt;
  };
  static const FixedLayout layouts[] = {
      {15, "SiRF", M12M, 84},
      {26, "i-LOTUS", TxOncore, 83},
      {26, "CONEXANT", CnxtNvmn, 84},
      {26, "SIGNAV  ", Signav, 84},
  };
  for (const FixedLayout &layout : layouts) {
    const QByteArray text(layout.text);
    if (m.mid(layout.offset, text.size()) != text)
      continue;
    receiverIdentity.model = layout.model;
    const QString versionText = QString::fromUtf8(m.mid(layout.versionAt, 11).trimmed()) +
                                QLatin1Char('.') + QString::fromUtf8(m.mid(112, 11).trimmed());
    receiverIdentity.firmwareVersionText = versionText;
    bool ok = false;
    const float value = versionText.toFloat(&ok);
    receiverIdentity.firmwareVersion = ok ? value : 0.0;
    return;
  }
}

// The text after "SOFTWARE DATE" up to the line end; empty without one.
QString SoftwareDate(const QByteArray &m)
{
  const int datePos = m.indexOf("SOFTWARE DATE");
  if (datePos < 0)
    return QString();
  const int start = datePos + 13;
  int end = m.indexOf('\r', start);
  if (end < 0)
    end = m.indexOf('\n', start);
  if (end < 0)
    end = m.size();
  return QString::fromUtf8(m.mid(start, end - start)).trimmed();
}

// Older GNSS modules (firmware "FW 1..." or "FW 2..." without "CORE ")
// cannot track Galileo.
bool GalileoCapable(const QByteArray &m)
{
  const int fw = m.indexOf("FW ");
  return m.contains("CORE ") || fw < 0 || fw + 3 >= m.size() ||
         (m.at(fw + 3) != '1' && m.at(fw + 3) != '2');
}

}  // namespace

void OncoreDecoder::DecodeCj(Work &work)
{
  const QByteArray &m = work.message;
  if (m.size() >= 123) {
    const QString text = QString::fromUtf8(m);
    if (host_.HasIdWindow())
      host_.AppendIdLines(text);
    work.line = text;
    work.configText = text;
    state_.receiverSoftwareDate = SoftwareDate(m);

    receiverIdentity.plusFirmware = false;
    receiverIdentity.plusPlusFirmware = false;
    host_.DisableFirmwareUpload();

    const int modelNumberAt = m.indexOf("MODEL # ") + 8;
    const bool knownMaker =
        m.contains("MOTOROLA") || m.contains("Synergy") || m.contains("SYNERGY");
    if (modelNumberAt <= 180 && knownMaker)
      IdentifyByModelNumber(m, modelNumberAt);
    else
      IdentifyByFixedLayout(m);
    receiverIdentity.galileoCapable = GalileoCapable(m);
  }
  state_.replyFlags.gotCj = true;
}
