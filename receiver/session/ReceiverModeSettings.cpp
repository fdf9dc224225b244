#include "receiver/session/ReceiverModeSettings.h"

#include "core/StoredSetting.h"

#include <QSettings>

namespace {

const char GpsModeKey[] = "GpsRxDialog/Gps Mode";
const char LocalTimeKey[] = "GpsRxDialog/Gps Rx On Local Time";
const char EmulatePvt6Key[] = "GpsRxDialog/Emulate Pvt6";
const char PositionFixKey[] = "GpsRxDialog/Position Fix Mode";
const char SatSelectionKey[] = "GpsRxDialog/Satellite Selection";
const char IonoKey[] = "GpsRxDialog/Ionospheric Delay";
const char TropoKey[] = "GpsRxDialog/Tropospheric Delay";
const char GeometryButtonKey[] = "GpsRxDialog/GeometryButton";
const char DgpsActivateKey[] = "GpsRxDialog/DGPS Activate";
const char AlignKey[] = "GpsRxDialog/Align Messages";
const char DgpsRateKey[] = "GpsRxDialog/DGPS Rate";
const char ElevationMaskKey[] = "GpsRxDialog/Elevation Mask";
const char AppTypeKey[] = "GpsRxDialog/Application Type";
const char PpsRateKey[] = "GpsRxDialog/Pps Rate";
const char PpsDurationKey[] = "GpsRxDialog/Pps Duration";
const char SatGpsKey[] = "GpsRxDialog/Sat Gps";
const char SatGlonassKey[] = "GpsRxDialog/Sat Glonass";
const char SatGalileoKey[] = "GpsRxDialog/Sat Galileo";
const char SatBeidouKey[] = "GpsRxDialog/Sat Beidou";
const char SatQzssKey[] = "GpsRxDialog/Sat Qzss";
const char SatSbasKey[] = "GpsRxDialog/Sat Sbas";

// A radio-button choice, 0..maxValue; anything else is the first button.
int ReadChoice(QSettings &settings, const char *key, int maxValue)
{
  return ReadStoredInt(settings, key, 0, 0, maxValue);
}

}  // namespace

ReceiverModeSettings LoadReceiverModeSettings()
{
  QSettings settings;
  ReceiverModeSettings s;
  s.gpsNavMode = ReadChoice(settings, GpsModeKey, 2);
  s.rxOnLocalTime = ReadStoredFlag(settings, LocalTimeKey, false);
  s.emulatePvt6 = ReadStoredFlag(settings, EmulatePvt6Key, false);
  s.positionFixMode = ReadChoice(settings, PositionFixKey, 1);
  s.satelliteSelection = ReadChoice(settings, SatSelectionKey, 1);
  s.ionosphericDelay = ReadChoice(settings, IonoKey, 1);
  s.troposphericDelay = ReadChoice(settings, TropoKey, 1);
  s.geometryButton = ReadChoice(settings, GeometryButtonKey, 4);
  s.dgpsActivate = ReadStoredFlag(settings, DgpsActivateKey, false);
  s.alignMessages = ReadStoredFlag(settings, AlignKey, false);
  s.dgpsRate = ReadStoredInt(settings, DgpsRateKey, 30, 0, 255);
  if (s.dgpsRate == 0 && s.dgpsActivate) {
    // No DGPS messages at all is DGPS off.
    s.dgpsActivate = false;
    settings.setValue(DgpsActivateKey, false);
  }
  s.elevationMask = ReadStoredInt(settings, ElevationMaskKey, 5, 0, 90, MissingKey::Leave);
  s.applicationType = ReadChoice(settings, AppTypeKey, 4);
  s.ppsRate = ReadChoice(settings, PpsRateKey, 1);
  s.ppsDuration = ReadChoice(settings, PpsDurationKey, 1);
  s.satGps = ReadStoredFlag(settings, SatGpsKey, true);
  s.satGlonass = ReadStoredFlag(settings, SatGlonassKey, false);
  s.satGalileo = ReadStoredFlag(settings, SatGalileoKey, false);
  s.satBeidou = ReadStoredFlag(settings, SatBeidouKey, false);
  s.satQzss = ReadStoredFlag(settings, SatQzssKey, false);
  s.satSbas = ReadStoredFlag(settings, SatSbasKey, false);
  return s;
}

void SaveReceiverModeSettings(const ReceiverModeSettings &s)
{
  {
    QSettings settings;
    settings.setValue(GpsModeKey, s.gpsNavMode);
    settings.setValue(LocalTimeKey, s.rxOnLocalTime);
    settings.setValue(EmulatePvt6Key, s.emulatePvt6);
    settings.setValue(PositionFixKey, s.positionFixMode);
    settings.setValue(SatSelectionKey, s.satelliteSelection);
    settings.setValue(IonoKey, s.ionosphericDelay);
    settings.setValue(TropoKey, s.troposphericDelay);
    settings.setValue(GeometryButtonKey, s.geometryButton);
    settings.setValue(DgpsActivateKey, s.dgpsActivate);
    settings.setValue(AlignKey, s.alignMessages);
    settings.setValue(DgpsRateKey, s.dgpsRate);
    settings.setValue(ElevationMaskKey, s.elevationMask);
    settings.setValue(AppTypeKey, s.applicationType);
    settings.setValue(PpsRateKey, s.ppsRate);
    settings.setValue(PpsDurationKey, s.ppsDuration);
  }
  SaveConstellationSettings(s);
}

void SaveConstellationSettings(const ReceiverModeSettings &s)
{
  QSettings settings;
  settings.setValue(SatGpsKey, s.satGps);
  settings.setValue(SatGlonassKey, s.satGlonass);
  settings.setValue(SatGalileoKey, s.satGalileo);
  settings.setValue(SatBeidouKey, s.satBeidou);
  settings.setValue(SatQzssKey, s.satQzss);
  settings.setValue(SatSbasKey, s.satSbas);
}

void SaveGpsNavMode(int mode)
{
  QSettings().setValue(GpsModeKey, mode);
}

quint8 ConstellationMaskOf(const ReceiverModeSettings &s)
{
  quint8 mask = 0;
  if (s.satGps) mask |= ConstellationGps;
  if (s.satGlonass) mask |= ConstellationGlonass;
  if (s.satGalileo) mask |= ConstellationGalileo;
  if (s.satBeidou) mask |= ConstellationBeidou;
  if (s.satQzss) mask |= ConstellationQzss;
  if (s.satSbas) mask |= ConstellationSbas;
  return mask;
}

void SetConstellationsFromMask(ReceiverModeSettings &s, quint8 mask)
{
  s.satGps = mask & ConstellationGps;
  s.satGlonass = mask & ConstellationGlonass;
  s.satGalileo = mask & ConstellationGalileo;
  s.satBeidou = mask & ConstellationBeidou;
  s.satQzss = mask & ConstellationQzss;
  s.satSbas = mask & ConstellationSbas;
}

quint8 ConstellationsByRule(quint8 mask, int clickedBit)
{
  const bool gpsBefore = mask & ConstellationGps;
  if ((mask & ConstellationGlonass) && (mask & ConstellationBeidou))
    mask &= clickedBit == ConstellationBeidou ? ~ConstellationGlonass : ~ConstellationBeidou;
  if (!(mask & (ConstellationGps | ConstellationGlonass | ConstellationGalileo | ConstellationBeidou)))
    mask |= ConstellationGps;
  if (!gpsBefore)
    mask &= ~ConstellationQzss;
  return mask;
}

bool ApplyConstellationRule(ReceiverModeSettings &s)
{
  const quint8 mask = ConstellationMaskOf(s);
  const quint8 ruled = ConstellationsByRule(mask, 0);
  if (ruled == mask)
    return false;
  SetConstellationsFromMask(s, ruled);
  return true;
}
