#include "receiver/session/ReceiverSetup.h"

#include "core/GpsMode.h"
#include "receiver/decode/GpsRxModel.h"
#include "receiver/link/ProtocolBytes.h"

#include <QtMath>

#include <cmath>
#include <limits>

// --- Scripts -------------------------------------------------------------------

SetupScript &SetupScript::Send(const QByteArray &command)
{
  steps.append({SetupStep::Kind::Send, command, 0});
  return *this;
}

SetupScript &SetupScript::SendAndWait(const QByteArray &command)
{
  steps.append({SetupStep::Kind::SendAndWait, command, 0});
  return *this;
}

SetupScript &SetupScript::Pause(int ms)
{
  steps.append({SetupStep::Kind::Pause, QByteArray(), ms});
  return *this;
}

SetupScript &SetupScript::Append(const SetupScript &other)
{
  steps.append(other.steps);
  return *this;
}

QList<QByteArray> SetupScript::Commands() const
{
  QList<QByteArray> commands;
  for (const SetupStep &step : steps)
    if (step.kind != SetupStep::Kind::Pause)
      commands.append(step.command);
  return commands;
}

QList<QByteArray> SetupScript::AwaitedCommands() const
{
  QList<QByteArray> commands;
  for (const SetupStep &step : steps)
    if (step.kind == SetupStep::Kind::SendAndWait)
      commands.append(step.command);
  return commands;
}

// --- Model groups --------------------------------------------------------------------

namespace ReceiverModelGroups {

bool IsGCommand(qint32 model)
{
  using namespace GpsRxModel;
  switch (model) {
  case M12: case M12Plus: case M12M: case Signav: case TxOncore:
  case Ssr6Tf: case Ssr6Tr: case SsrM8F: case SsrM8T:
    return true;
  default:
    return false;
  }
}

bool IsOffsetGroup(qint32 model)
{
  using namespace GpsRxModel;
  return IsGCommand(model) || model == UT || model == UTPlus || model == CnxtNvmn;
}

bool IsSynergy(qint32 model)
{
  using namespace GpsRxModel;
  return model == Ssr6Tf || model == Ssr6Tr || model == SsrM8F || model == SsrM8T;
}

bool IsMultiGnss(qint32 model)
{
  return model == GpsRxModel::SsrM8F || model == GpsRxModel::SsrM8T;
}

}  // namespace ReceiverModelGroups

// --- Suffixes ------------------------------------------------------------------------

QString WithSuffixOnce(const QString &text, const QString &suffix)
{
  if (text.endsWith(suffix))
    return text;
  return WithoutSuffix(text, suffix) + suffix;
}

QString WithoutSuffix(QString text, const QString &suffix)
{
  return text.remove(suffix, Qt::CaseSensitive);
}

// --- Field encodings -------------------------------------------------------------------

namespace {

QByteArray BigEndian32(quint32 value)
{
  QByteArray bytes;
  AppendBigEndian(bytes, value, 4);
  return bytes;
}

QByteArray BigEndian16(quint16 value)
{
  QByteArray bytes;
  AppendBigEndian(bytes, value, 2);
  return bytes;
}

// "@@Gd" / "@@Gb"-style navigation mode byte of the 12-channel receivers.
quint8 OncoreFixModeByte(qint32 gpsNavMode)
{
  switch (gpsNavMode) {
  case 1: return 0x02;  // 2-D
  case 2: return 0x01;  // position hold
  default: return 0x00; // 3-D
  }
}

constexpr quint8 UbxClassCfg = 0x06;
constexpr quint8 UbxClassAid = 0x0B;

}  // namespace

qint32 TruncatedInt32(double value)
{
  if (std::isnan(value))
    return 0;
  if (value >= double(std::numeric_limits<qint32>::max()))
    return std::numeric_limits<qint32>::max();
  if (value <= double(std::numeric_limits<qint32>::min()))
    return std::numeric_limits<qint32>::min();
  return qint32(value);
}

QByteArray OncoreAngle(double degrees)
{
  return BigEndian32(quint32(TruncatedInt32(degrees * 3600000.0)));
}

QByteArray OncoreHeight(double gpsAltitude)
{
  const qint32 centimetres = qBound(-100000, TruncatedInt32(gpsAltitude * 100.0), 1800000);
  return BigEndian32(quint32(centimetres));
}

QByteArray OncoreGmtCorrection(int offsetMinutes)
{
  const int magnitude = qAbs(offsetMinutes);
  QByteArray bytes;
  bytes.append(char(offsetMinutes < 0 ? 0xFF : 0x00));
  bytes.append(char((magnitude / 60) & 0xFF));
  bytes.append(char(magnitude % 60));
  return bytes;
}

// --- T-RAIM and timing --------------------------------------------------------------------

QByteArray MakeTraimCommand(int channels, const TraimSetup &traim)
{
  if (channels > 8)
    return OncoreCommand("Hn", traim.outputRate);
  QByteArray parameters;
  parameters.append(char(traim.outputRate));
  parameters.append(char(traim.algorithmOn));
  parameters.append(BigEndian16(traim.alarmLimit));
  parameters.append(char(traim.ppsControl));
  parameters.append(QByteArray::fromHex("000001"));
  parameters.append(QByteArray(7, '\0'));
  return OncoreCommand(channels == 8 ? "En" : "Bn", parameters);
}

namespace {

qint32 CableNs(const TimingSettings &timing)
{
  return TruncatedInt32(timing.totalDelay);
}

// The total 1PPS offset in microseconds; a value that is no number counts
// as none.
double TotalOffsetUs(const TimingSettings &timing)
{
  const double us = timing.totalPpsOffsetPositive;
  return std::isfinite(us) ? qBound(-1.0e12, us, 1.0e12) : 0.0;
}

qint64 OffsetNs(const TimingSettings &timing)
{
  return qint64(TotalOffsetUs(timing) * 1000.0 + 0.5);
}

}  // namespace

QByteArray UbxTimePulseFrame(const TimingSettings &timing, qint32 ppsRate, qint32 ppsDuration)
{
  const quint32 frequency = ppsRate != 0 ? 100 : 1;
  const quint32 pulseRatio = ppsDuration != 0 ? 0x0001F751u : 0x33333333u;
  // The receiver's own delay setting moves the pulse earlier by the offset
  // and later by the cable, in 32-bit arithmetic.
  const quint32 userDelay =
      quint32(CableNs(timing)) - quint32(OffsetNs(timing) % 1000000000);
  QByteArray payload;
  payload.append(char(1));  // tpIdx
  payload.append(char(1));  // version
  AppendLittleEndian(payload, 0, 2);
  AppendLittleEndian(payload, 0, 2);  // antCableDelay
  AppendLittleEndian(payload, 0, 2);  // rfGroupDelay
  AppendLittleEndian(payload, frequency, 4);
  AppendLittleEndian(payload, frequency, 4);
  AppendLittleEndian(payload, pulseRatio, 4);
  AppendLittleEndian(payload, pulseRatio, 4);
  AppendLittleEndian(payload, userDelay, 4);
  AppendLittleEndian(payload, 0x000008EFu, 4);
  return UbxFrame(UbxClassCfg, 0x31, payload);
}

TimingSetupPlan BuildTimingSetup(const TimingSetupInput &input)
{
  TimingSetupPlan plan;
  plan.traim = input.traim;
  const bool oncore = input.mode == GpsModeMotorolaBinary;
  if (!oncore && !IsUbloxMode(input.mode))
    return plan;

  const TimingSettings &timing = input.timing;
  const qint32 cable = CableNs(timing);
  const qint64 offsetNs = OffsetNs(timing);

  if (ReceiverModelGroups::IsOffsetGroup(input.model)) {
    const quint32 ppsOffset = quint32(offsetNs) % 1000000000u;
    plan.script.Send(OncoreCommand("Ay", BigEndian32(ppsOffset)));
    plan.script.Send(OncoreCommand("Az", BigEndian32(quint32(cable))));
    plan.setsOffsets = true;
    plan.epochOffsetMs = 0;
    plan.ppsOffsetNs = ppsOffset;
    plan.cableDelayNs = cable;
  } else if (oncore) {
    const double totalUs = TotalOffsetUs(timing);
    const qint64 ms = qint64(totalUs / 1000.0);
    const int epochMs = int(ms % 1000);
    const qint64 ns = qint64((totalUs - double(ms) * 1000.0) * 1000.0 + 0.5);
    plan.script.Send(OncoreCommand("Ax", BigEndian16(quint16(epochMs))));
    plan.script.Send(OncoreCommand("Ay", BigEndian32(quint32(ns))));
    plan.script.SendAndWait(OncoreCommand("Az", BigEndian32(quint32(cable))));
    plan.setsOffsets = true;
    plan.epochOffsetMs = epochMs;
    plan.ppsOffsetNs = ns;
    plan.cableDelayNs = cable;
  } else {
    plan.storesPpsRate = true;
    plan.ppsRateSent = quint8(input.ppsRate & 0xFF);
    plan.script.Pause(10);
    plan.script.Send(UbxTimePulseFrame(timing, input.ppsRate, input.ppsDuration));
    plan.script.Pause(10);
  }

  const bool shortPulse = input.ppsDuration != 0;
  const bool gCommand = ReceiverModelGroups::IsGCommand(input.model);
  if (input.hasTraim) {
    TraimSetup &traim = plan.traim;
    if (timing.traimLimit > 0) {
      traim.algorithmOn = 1;
      traim.alarmLimit = quint16(qBound(0.0, std::trunc(timing.traimLimit / 100.0), 65535.0));
      traim.ppsControl = quint8(1 + (timing.traimConditionedPps ? 2 : 0) + (shortPulse ? 4 : 0));
    } else {
      traim.algorithmOn = 0;
      traim.alarmLimit = 10;
      traim.ppsControl = 1;
    }
    plan.script.Send(MakeTraimCommand(input.channels, traim));
    plan.traimSent = true;
    if (gCommand) {
      plan.script.Send(OncoreCommand("Gc", traim.ppsControl));
      plan.script.Send(OncoreCommand("Ge", traim.algorithmOn));
      traim.alarmLimit = qBound<quint16>(3, traim.alarmLimit, 10000);
      plan.script.Send(OncoreCommand("Gf", BigEndian16(traim.alarmLimit)));
    }
  } else if (gCommand) {
    plan.script.Send(
        OncoreCommand("Gc", (shortPulse ? 4 : 0) + (timing.traimConditionedPps ? 2 : 1)));
  }
  return plan;
}

// --- Position and time ---------------------------------------------------------------------

SetupScript BuildReferencePosition(quint32 mode, const ReferencePosition &position, qint32 gpsNavMode,
                                   qint32 model, qint32 channels)
{
  SetupScript script;
  if (IsUbloxMode(mode)) {
    QByteArray payload;
    AppendLittleEndian(payload, quint32(TruncatedInt32(position.latitude * 1e7)), 4);
    AppendLittleEndian(payload, quint32(TruncatedInt32(position.longitude * 1e7)), 4);
    AppendLittleEndian(payload, quint32(TruncatedInt32(position.gpsAltitude * 100.0)), 4);
    payload.append(QByteArray(32, '\0'));
    // Position valid, given as latitude, longitude and altitude.
    AppendLittleEndian(payload, 0x00000021u, 4);
    script.Send(UbxFrame(UbxClassAid, 0x01, payload));
    return script;
  }
  if (mode != GpsModeMotorolaBinary)
    return script;

  const QByteArray latitude = OncoreAngle(position.latitude);
  const QByteArray longitude = OncoreAngle(position.longitude);
  const QByteArray height = OncoreHeight(position.gpsAltitude) + QByteArray(1, '\0');
  // A 12-channel receiver takes the new position in normal 3-D navigation.
  const bool holdsFixMode = gpsNavMode > 0 && channels >= 12;
  if (holdsFixMode)
    script.Send(OncoreCommand("Gd", 0));
  if (ReceiverModelGroups::IsGCommand(model)) {
    script.Send(OncoreCommand("Ga", latitude + longitude + height));
  } else {
    script.Send(OncoreCommand("Ad", latitude));
    script.Send(OncoreCommand("Ae", longitude));
    script.Send(OncoreCommand("Af", height));
  }
  script.Send(OncoreCommand("As", latitude + longitude + height));
  script.Send(OncoreCommand("Au", height));
  if (holdsFixMode)
    script.Send(OncoreCommand("Gd", OncoreFixModeByte(gpsNavMode)));
  return script;
}

QByteArray UbxTimeAidFrame(const QDateTime &nowUtc, int leapSeconds)
{
  static const QDateTime gpsEpoch(QDate(1980, 1, 6), QTime(0, 0), Qt::UTC);
  const int leap = leapSeconds > 0 ? leapSeconds : DefaultLeapSeconds;
  // A PC clock before the GPS epoch gives the epoch itself, not a negative week.
  const qint64 seconds = qMax<qint64>(0, gpsEpoch.secsTo(nowUtc) + leap);
  const quint32 week = quint32(seconds / 604800);
  const quint32 towMs = quint32((seconds * 1000) % 604800000);

  QByteArray payload(18, '\0');  // position, its accuracy, time configuration
  AppendLittleEndian(payload, week, 2);
  AppendLittleEndian(payload, towMs, 4);
  AppendLittleEndian(payload, 0, 4);     // towNs
  AppendLittleEndian(payload, 1000, 4);  // tAccMs
  AppendLittleEndian(payload, 0, 4);     // tAccNs
  AppendLittleEndian(payload, 0, 4);     // clock drift
  AppendLittleEndian(payload, 0, 4);     // its accuracy
  AppendLittleEndian(payload, 0x00000002u, 4);  // time valid
  return UbxFrame(UbxClassAid, 0x01, payload);
}

SetupScript BuildCurrentDateTime(const DateTimeSetupInput &input)
{
  SetupScript script;
  if (IsUbloxMode(input.mode)) {
    script.Send(UbxTimeAidFrame(input.nowUtc, input.leapSeconds));
    return script;
  }
  if (input.mode != GpsModeMotorolaBinary)
    return script;

  const QDateTime now = input.nowUtc.toUTC();
  const QDate date = now.date();
  const QTime time = now.time();
  QByteArray timeBytes;
  timeBytes.append(char(time.hour()));
  timeBytes.append(char(time.minute()));
  timeBytes.append(char(time.second()));
  QByteArray dateBytes;
  dateBytes.append(char(date.month()));
  dateBytes.append(char(date.day()));
  dateBytes.append(BigEndian16(quint16(date.year())));
  const QByteArray gmt = OncoreGmtCorrection(input.rxOnLocalTime ? input.localOffsetMinutes : 0);

  script.Send(OncoreCommand("Aw", 1));
  if (ReceiverModelGroups::IsGCommand(input.model)) {
    script.Send(OncoreCommand("Gb", dateBytes + timeBytes + gmt));
  } else {
    script.Send(OncoreCommand("Aa", timeBytes));
    script.Send(OncoreCommand("Ab", gmt));
    script.Send(OncoreCommand("Ac", dateBytes));
  }
  return script;
}

// --- Receiver configuration --------------------------------------------------------------------

quint8 OncoreConstellationByte(const ReceiverModeSettings &s)
{
  // The receiver's bits are the mask's own; GPS alone, or nothing, is GPS.
  const quint8 mask = ConstellationMaskOf(s);
  return mask < 2 ? 0x01 : mask;
}

SetupScript BuildOncoreConfiguration(const ReceiverModeSettings &s, qint32 model, qint32 channels)
{
  SetupScript script;
  const bool twelveChannel = channels >= 12;
  const bool multiGnss = ReceiverModelGroups::IsMultiGnss(model);

  script.Send(OncoreCommand("AP", s.ppsRate == 1 ? 1 : 0));
  script.Send(OncoreCommand("Gc", s.ppsDuration != 0 ? 5 : 1));
  script.Send(OncoreCommand("Ag", s.elevationMask));
  if (twelveChannel) {
    script.Send(OncoreCommand("Gd", OncoreFixModeByte(s.gpsNavMode)));
  } else {
    script.Send(OncoreCommand("At", s.gpsNavMode == 2 ? 1 : 0));
    script.Send(OncoreCommand("Av", s.gpsNavMode == 1 ? 1 : 0));
  }
  script.Send(
      OncoreCommand("Aq", (s.ionosphericDelay == 0 ? 1 : 0) + (s.troposphericDelay == 0 ? 2 : 0)));
  if (!twelveChannel || multiGnss) {
    script.Send(OncoreCommand("Ar", s.positionFixMode == 0 ? 1 : 0));
    script.Send(OncoreCommand("Ah", s.satelliteSelection != 0 ? 2 : 0));
    script.Send(OncoreCommand("Aj", s.geometryButton));
    script.Send(OncoreCommand("AB", s.applicationType));
    script.Send(OncoreCommand("AE", s.alignMessages ? 1 : 0));
  }
  script.Send(OncoreCommand("Bh", s.dgpsActivate ? s.dgpsRate : 0));
  script.Send(OncoreCommand("Am", QByteArray(1, '\0') + BigEndian32(~s.satelliteUseMask)));
  script.Send(OncoreCommand("Hb", 0));
  if (channels <= 7) {
    script.Send(OncoreCommand("Ba", 1));
    script.Send(OncoreCommand("Bk", 1));
  } else if (channels == 8) {
    script.SendAndWait(OncoreCommand("Ea", 1));
    script.Send(OncoreCommand("Ek", 1));
  } else if (twelveChannel) {
    script.Send(OncoreCommand("Ha", 1));
  }
  if (multiGnss)
    script.Send(OncoreCommand("Sc", OncoreConstellationByte(s)));
  return script;
}

SetupScript BuildTraimProbe(int channels, TraimSetup *traim)
{
  *traim = TraimSetup();  // output rate 0, algorithm off, limit 10, 1PPS control 1
  SetupScript script;
  script.Send(MakeTraimCommand(6, *traim));
  script.Send(MakeTraimCommand(8, *traim));
  script.Send(MakeTraimCommand(12, *traim));
  traim->outputRate = 1;
  script.SendAndWait(MakeTraimCommand(channels, *traim));
  return script;
}

quint8 UbxDynamicModel(qint32 applicationType)
{
  switch (applicationType) {
  case 0: return 8;  // airborne < 4 g
  case 1: return 3;  // pedestrian
  case 3: return 5;  // sea
  case 4: return 2;  // stationary
  default: return 0; // portable
  }
}

QByteArray UbxNavigationFrame(const ReceiverModeSettings &s)
{
  QByteArray payload;
  AppendLittleEndian(payload, 0x0007, 2);  // dynamic model, minimum elevation, fix mode
  payload.append(char(UbxDynamicModel(s.applicationType)));
  payload.append(char(3));              // auto 2-D/3-D
  AppendLittleEndian(payload, 0, 4);       // fixedAlt
  AppendLittleEndian(payload, 0, 4);       // fixedAltVar
  payload.append(char(s.elevationMask > 0 ? s.elevationMask : 0));
  payload.append(QByteArray(23, '\0'));
  return UbxFrame(UbxClassCfg, 0x24, payload);
}

EcefCentimetres ToEcefCentimetres(const ReferencePosition &position)
{
  // Pi to ten places, as these frames have always been computed; it differs
  // from M_PI by less than a millimetre at the earth's surface.
  constexpr double pi = 3.1415926535;
  constexpr double e2 = 0.0066943799901413165;
  const double phi = position.latitude * pi / 180.0;
  const double lambda = position.longitude * pi / 180.0;
  const double sinPhi = std::sin(phi);
  const double n = 6378137.0 / std::sqrt(1.0 - e2 * sinPhi * sinPhi);
  const double h = position.gpsAltitude;
  EcefCentimetres ecef;
  ecef.x = TruncatedInt32((n + h) * std::cos(phi) * std::cos(lambda) * 100.0);
  ecef.y = TruncatedInt32((n + h) * std::cos(phi) * std::sin(lambda) * 100.0);
  ecef.z = TruncatedInt32((n * 0.9933056200098587 + h) * sinPhi * 100.0);
  return ecef;
}

QList<QByteArray> UbxTimeModeFrames(qint32 gpsNavMode, const ReferencePosition &position)
{
  if (gpsNavMode == 0 || gpsNavMode == 1) {
    // Time mode disabled in both message generations.
    return {UbxFrame(UbxClassCfg, 0x1D, QByteArray(28, '\0')),
            UbxFrame(UbxClassCfg, 0x3D, QByteArray(28, '\0'))};
  }
  if (gpsNavMode != 2)
    return {};
  const EcefCentimetres ecef = ToEcefCentimetres(position);
  // Both generations end alike: the position, its variance (accuracy in
  // the newer one) and the survey-in fields, unused here.
  auto appendFixedPosition = [&ecef](QByteArray &payload) {
    AppendLittleEndian(payload, quint32(ecef.x), 4);
    AppendLittleEndian(payload, quint32(ecef.y), 4);
    AppendLittleEndian(payload, quint32(ecef.z), 4);
    AppendLittleEndian(payload, 2, 4);
    AppendLittleEndian(payload, 0, 4);
    AppendLittleEndian(payload, 0, 4);
  };
  QByteArray tmode;
  AppendLittleEndian(tmode, 2, 4);  // fixed
  appendFixedPosition(tmode);
  QByteArray tmode2;
  tmode2.append(char(2));            // fixed
  tmode2.append(char(0));
  AppendLittleEndian(tmode2, 0, 2);  // ECEF
  appendFixedPosition(tmode2);
  return {UbxFrame(UbxClassCfg, 0x1D, tmode), UbxFrame(UbxClassCfg, 0x3D, tmode2)};
}

QByteArray UbxGnssFrame(const ReceiverModeSettings &s)
{
  struct Block {
    quint8 gnssId, reserved, maximum;
    bool enable;
  };
  const Block blocks[] = {
      {0, 8, 16, s.satGps},     {1, 1, 3, s.satSbas},    {2, 0, 16, s.satGalileo},
      {3, 8, 16, s.satBeidou},  {4, 0, 16, false},       {5, 0, 3, s.satQzss},
      {6, 8, 14, s.satGlonass},
  };
  QByteArray payload;
  payload.append(char(0));   // msgVer
  payload.append(char(0));   // numTrkChHw
  payload.append(char(32));  // numTrkChUse
  payload.append(char(7));   // numConfigBlocks
  for (const Block &block : blocks) {
    payload.append(char(block.gnssId));
    payload.append(char(block.reserved));
    payload.append(char(block.maximum));
    payload.append(char(0));
    payload.append(char(block.enable ? 1 : 0));
    payload.append(char(0));
    payload.append(char(1));
    payload.append(char(1));
  }
  return UbxFrame(UbxClassCfg, 0x3E, payload);
}

QByteArray UbxSaveSetupFrame()
{
  QByteArray payload;
  AppendLittleEndian(payload, 0, 4);
  AppendLittleEndian(payload, 0x0000040Bu, 4);
  AppendLittleEndian(payload, 0, 4);
  return UbxFrame(UbxClassCfg, 0x09, payload);
}

QList<QByteArray> UbxClosingFrames()
{
  QByteArray save;
  AppendLittleEndian(save, 0, 4);
  AppendLittleEndian(save, 0x0000FFFFu, 4);
  AppendLittleEndian(save, 0, 4);
  save.append(char(0x03));  // battery-backed RAM and flash
  return {UbxFrame(UbxClassCfg, 0x09, save), UbxFrame(UbxClassCfg, 0x04, QByteArray(4, '\0'))};
}
