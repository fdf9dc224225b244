#pragma once
// The receiver set-up as data: from the user's settings, what is known of
// the receiver and the protocol mode, the ordered commands to send and which
// of them await a reply. Nothing here touches a port; the main window plays
// a script through its command layer (plain sends through SendGpsRxCommand,
// awaited ones through SendGpsCmdAndWait, pauses on its command clock), so a
// script holds the very bytes the receiver would get.
//
// Commands are bare: "@@", identifier and parameters (big-endian fields) for
// Oncore, B5 62 class id length payload (little-endian) for UBX, "$..." for
// NMEA. The command layer appends the checksums.

#include "core/TraimSetup.h"
#include "receiver/session/ReceiverModeSettings.h"
#include "receiver/session/TimingSettings.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QtGlobal>

// --- Scripts -------------------------------------------------------------

struct SetupStep {
  enum class Kind {
    Send,         // sent, then the sender's own short pause
    SendAndWait,  // sent, then the reply the command layer knows it by is awaited
    Pause,        // a pause of pauseMs on the command clock
  };
  Kind kind = Kind::Send;
  QByteArray command;
  int pauseMs = 0;

  bool operator==(const SetupStep &other) const
  {
    return kind == other.kind && command == other.command && pauseMs == other.pauseMs;
  }
};

class SetupScript {
public:
  SetupScript &Send(const QByteArray &command);
  SetupScript &SendAndWait(const QByteArray &command);
  SetupScript &Pause(int ms);
  SetupScript &Append(const SetupScript &other);

  const QList<SetupStep> &Steps() const { return steps; }
  bool IsEmpty() const { return steps.isEmpty(); }
  // The commands alone, in order (pauses left out).
  QList<QByteArray> Commands() const;
  // The commands that await a reply, in order.
  QList<QByteArray> AwaitedCommands() const;

private:
  QList<SetupStep> steps;
};

// --- Inputs ----------------------------------------------------------------

// A site: degrees north and east, GPS (WGS84) altitude in metres.
struct ReferencePosition {
  double latitude = 0.0;
  double longitude = 0.0;
  double gpsAltitude = 0.0;
};

// --- Model groups ------------------------------------------------------------

namespace ReceiverModelGroups {
// M12, M12+, M12M, SIGNAV, TX Oncore and the four Synergy models: the
// receivers with the "@@G" command family.
bool IsGCommand(qint32 model);
// The G-command group with UT, UT+ and CNXT/NVMN: their 1PPS offset takes
// the whole offset in "@@Ay".
bool IsOffsetGroup(qint32 model);
// SSR-6Tf, SSR-6Tr, SSR-M8F, SSR-M8T.
bool IsSynergy(qint32 model);
// SSR-M8F and SSR-M8T: multi-GNSS, with "@@Sc" and the 8-channel style
// position commands despite their 12 channels.
bool IsMultiGnss(qint32 model);
}  // namespace ReceiverModelGroups

// --- Status-bar suffixes -------------------------------------------------------

inline constexpr char Pvt6ModeSuffix[] = ", PVT6 Mode";
inline constexpr char LocalTimeModeSuffix[] = ", Local Time Mode";

// The text with the suffix at its end, never twice.
QString WithSuffixOnce(const QString &text, const QString &suffix);
// The text with every occurrence of the suffix removed (case-sensitive).
QString WithoutSuffix(QString text, const QString &suffix);

// --- Field encodings -------------------------------------------------------------

// A double truncated toward zero into 32 signed bits; out of range values
// saturate, NaN gives 0.
qint32 TruncatedInt32(double value);

// Oncore: degrees as milliarcseconds (int32, big-endian).
QByteArray OncoreAngle(double degrees);
// Oncore: GPS altitude as centimetres, clamped to -1000 m .. 18000 m.
QByteArray OncoreHeight(double gpsAltitude);
// Oncore GMT correction: sign (0x00 zero or east, 0xFF west), hours, minutes
// of the offset local - UTC.
QByteArray OncoreGmtCorrection(int offsetMinutes);

// --- T-RAIM and timing -------------------------------------------------------------

// The T-RAIM set-up command for a channel count: "@@Hn" with the output
// rate above 8 channels, "@@En" (8) or "@@Bn" (fewer, -1 too) with 15 bytes.
QByteArray MakeTraimCommand(int channels, const TraimSetup &traim);

struct TimingSetupInput {
  quint32 mode = 2;        // GpsMode in force
  qint32 model = 0;        // GpsRxModel
  qint32 channels = -1;
  bool hasTraim = false;
  TimingSettings timing;
  qint32 ppsRate = 0;
  qint32 ppsDuration = 0;
  TraimSetup traim;        // the T-RAIM record before the set-up
};

struct TimingSetupPlan {
  SetupScript script;
  // The offsets the receiver time takes (Oncore only).
  bool setsOffsets = false;
  int epochOffsetMs = 0;
  qint64 ppsOffsetNs = 0;
  qint64 cableDelayNs = 0;
  // The T-RAIM record after the set-up, and whether a T-RAIM command left
  // (its status reply is then shown in the identification window).
  TraimSetup traim;
  bool traimSent = false;
  // u-blox: the 1PPS rate byte the time-pulse frame carries.
  bool storesPpsRate = false;
  quint8 ppsRateSent = 0;
};

// The 1PPS offset, cable delay and T-RAIM commands for the mode and model.
// Modes other than Oncore binary and the two u-blox modes give nothing.
TimingSetupPlan BuildTimingSetup(const TimingSetupInput &input);

// UBX CFG-TP5 for the 1PPS settings.
QByteArray UbxTimePulseFrame(const TimingSettings &timing, qint32 ppsRate, qint32 ppsDuration);

// --- Position and time -------------------------------------------------------------

// The reference position in the mode's commands (Oncore binary: position,
// position-hold and altitude-hold commands around "@@Gd"; u-blox: AID-INI
// with latitude, longitude and altitude).
SetupScript BuildReferencePosition(quint32 mode, const ReferencePosition &position, qint32 gpsNavMode,
                                   qint32 model, qint32 channels);

struct DateTimeSetupInput {
  quint32 mode = 2;
  QDateTime nowUtc;
  qint32 model = 0;
  // Oncore: the GMT correction is the PC's offset from UTC at nowUtc when
  // the receiver keeps local time, else zero.
  bool rxOnLocalTime = false;
  int localOffsetMinutes = 0;
  // u-blox: GPS - UTC in seconds; 0 or below when unknown.
  int leapSeconds = 0;
};

// GPS - UTC used when the receiver has not told it yet.
inline constexpr int DefaultLeapSeconds = 18;

SetupScript BuildCurrentDateTime(const DateTimeSetupInput &input);

// UBX AID-INI with the time aid (GPS week and time of week).
QByteArray UbxTimeAidFrame(const QDateTime &nowUtc, int leapSeconds);

// --- Receiver configuration ------------------------------------------------------------

// Oncore binary: the positioning commands (1PPS rate and length, masks,
// navigation mode, corrections, DGPS, satellites, position message), for
// the channel count that selects the command variants. The 8-channel
// position message "@@Ea" awaits its reply.
SetupScript BuildOncoreConfiguration(const ReceiverModeSettings &settings, qint32 model, qint32 channels);

// Oncore binary: T-RAIM reset in all three message generations, then the
// probe for the receiver's own generation with the output rate on (awaited:
// its reply tells whether the receiver has T-RAIM). `traim` becomes the
// record sent.
SetupScript BuildTraimProbe(int channels, TraimSetup *traim);

// The "@@Sc" constellation byte: the chosen systems; GPS alone or nothing
// is 0x01.
quint8 OncoreConstellationByte(const ReceiverModeSettings &settings);

// u-blox: CFG-NAV5 (dynamic model, elevation mask, fix mode).
QByteArray UbxNavigationFrame(const ReceiverModeSettings &settings);
// u-blox dynamic model for an application type.
quint8 UbxDynamicModel(qint32 applicationType);

struct EcefCentimetres {
  qint32 x = 0;
  qint32 y = 0;
  qint32 z = 0;
};
EcefCentimetres ToEcefCentimetres(const ReferencePosition &position);

// u-blox: CFG-TMODE and CFG-TMODE2 for a navigation mode: fixed at the
// reference position for 0-D, disabled for 3-D and 2-D, none otherwise.
QList<QByteArray> UbxTimeModeFrames(qint32 gpsNavMode, const ReferencePosition &position);
// u-blox: CFG-GNSS with the chosen systems.
QByteArray UbxGnssFrame(const ReceiverModeSettings &settings);

// u-blox: CFG-CFG saving the port, message, navigation and antenna
// configuration, as the initialisation ends.
QByteArray UbxSaveSetupFrame();
// u-blox: CFG-CFG saving everything to battery-backed RAM and flash, then
// CFG-RST (hot start): the closing frames of a configuration.
QList<QByteArray> UbxClosingFrames();
