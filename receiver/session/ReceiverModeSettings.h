#pragma once
// The receiver mode settings ("GpsRxDialog/..." in the settings store): a
// plain value the mode dialog edits, the main window keeps and the set-up
// and the decoders read. Loading repairs what the store holds; saving
// writes the keys the program has always used.

#include <QtGlobal>

// Bits of the receiver's constellation mask.
enum ConstellationBit {
  ConstellationGps = 1,
  ConstellationGlonass = 2,
  ConstellationGalileo = 4,
  ConstellationBeidou = 8,
  ConstellationQzss = 16,
  ConstellationSbas = 128,
};

struct ReceiverModeSettings {
  qint32 gpsNavMode = 0;          // 0 3-D, 1 2-D, 2 0-D (position hold)
  bool rxOnLocalTime = false;     // the receiver reports local time
  bool emulatePvt6 = false;       // 6-channel mode
  qint32 positionFixMode = 0;     // 0 all in view, 1 best 4
  qint32 satelliteSelection = 0;  // 0 best geometry, 1 highest in the sky
  qint32 ionosphericDelay = 0;    // 0 correction on, 1 off
  qint32 troposphericDelay = 0;   // 0 correction on, 1 off
  qint32 geometryButton = 0;      // 0 GDOP, 1 PDOP, 2 HDOP, 3 VDOP, 4 TDOP
  bool dgpsActivate = false;
  qint32 dgpsRate = 30;           // seconds per DGPS message, 0..255
  bool alignMessages = false;
  qint32 elevationMask = 5;       // degrees, 0..90
  qint32 applicationType = 0;     // 0 Air, 1 Handheld, 2 Land, 3 Marine, 4 Static
  qint32 ppsRate = 0;             // 0 1 PPS, 1 100 PPS
  qint32 ppsDuration = 0;         // 0 200 ms, 1 30 us
  bool satGps = false;
  bool satGlonass = false;
  bool satGalileo = false;
  bool satBeidou = false;
  bool satQzss = false;
  bool satSbas = false;
  quint32 satelliteUseMask = 0xFFFFFFFFu;  // one bit per usable satellite; not stored
};

// The stored settings, each out-of-range or missing value repaired and the
// repair written back (a missing elevation mask is read as 5 and left out).
// A fresh store tracks GPS: no satellite system at all is no choice.
ReceiverModeSettings LoadReceiverModeSettings();
// Every stored value, constellations included.
void SaveReceiverModeSettings(const ReceiverModeSettings &settings);
void SaveConstellationSettings(const ReceiverModeSettings &settings);
// The fix dimension alone, as the set-up stores it after a survey.
void SaveGpsNavMode(int mode);

// The six constellations as one mask of ConstellationBit values, and back
// (a clear bit clears its member).
quint8 ConstellationMaskOf(const ReceiverModeSettings &settings);
void SetConstellationsFromMask(ReceiverModeSettings &settings, quint8 mask);
// The rules on a constellation mask: GLONASS and Beidou not both (the one
// just checked stays), GPS when none of GPS, GLONASS, Galileo and Beidou,
// QZSS only where GPS was chosen already. clickedBit is the ConstellationBit
// of the box just checked, or 0.
quint8 ConstellationsByRule(quint8 mask, int clickedBit);
// The rules applied to the settings; true when they changed them.
bool ApplyConstellationRule(ReceiverModeSettings &settings);
