#pragma once
// The position and timing averaging engine: a DOP-weighted running average of
// the fixes, the distances between fix, average and reference location with
// their RMS values, the lock state and the timing accuracy estimate (Tsigma).
// Plain code; GpsNavDialog holds one and shows its texts.

#include "core/GpsMode.h"
#include "position/CoordinateText.h"

#include <QString>
#include <QtGlobal>

class GpsDateTime;
class QSettings;

// The stored form of the averaging options, the averages and the reference
// location.
namespace GpsNavKeys {
inline constexpr char RefLatitude[] = "GpsNavDialog/RefLocation/Latitude";
inline constexpr char RefLongitude[] = "GpsNavDialog/RefLocation/Longitude";
inline constexpr char RefGpsAltitude[] = "GpsNavDialog/RefLocation/GPS Altitude";
inline constexpr char RefMslAltitude[] = "GpsNavDialog/RefLocation/MSL Altitude";
inline constexpr char RefLocOnStart[] = "GpsNavDialog/RefLocation/Ref_Loc_On_Start";
inline constexpr char PositionWeightLimit[] = "GpsNavDialog/Averaging Data/Position Weight Limit";
inline constexpr char RmsWeightLimit[] = "GpsNavDialog/Averaging Data/RMS Weight Limit";
inline constexpr char TimingWeightLimit[] = "GpsNavDialog/Averaging Data/Timing Weight Limit";
inline constexpr char UseDopWeighting[] = "GpsNavDialog/Averaging Data/Use DOP Weighting";
inline constexpr char HdopWeight[] = "GpsNavDialog/Averaging Data/HDOP Weight";
inline constexpr char VdopWeight[] = "GpsNavDialog/Averaging Data/VDOP Weight";
inline constexpr char TdopWeight[] = "GpsNavDialog/Averaging Data/TDOP Weight";
inline constexpr char RestartOnUnlock[] = "GpsNavDialog/Averaging Data/Restart Averages On Unlock";
inline constexpr char RestartOnStartup[] = "GpsNavDialog/Averaging Data/Restart Averages On Startup";
inline constexpr char AveragesPosition[] = "GpsNavDialog/Averaging Data/Averages - Position";
inline constexpr char AveragesWeights[] = "GpsNavDialog/Averaging Data/Averages - Weights";
inline constexpr char RmsLat[] = "GpsNavDialog/Averaging Data/Averages - RMS Lat";
inline constexpr char RmsLng[] = "GpsNavDialog/Averaging Data/Averages - RMS Lng";
inline constexpr char Rms2D[] = "GpsNavDialog/Averaging Data/Averages - RMS 2D";
inline constexpr char RmsMsl[] = "GpsNavDialog/Averaging Data/Averages - RMS Msl";
inline constexpr char RmsAlt[] = "GpsNavDialog/Averaging Data/Averages - RMS Alt";
}  // namespace GpsNavKeys

// Distances between the reference location (ref), the average (avg) and the
// current fix (cur), in metres.
struct ErrorTriple {
  double refAvg = 0.0;
  double avgCur = 0.0;
  double refCur = 0.0;
};

// The five kinds of distance the engine follows.
struct ErrorTerms {
  ErrorTriple latitude;
  ErrorTriple longitude;
  ErrorTriple twoD;
  ErrorTriple gpsAltitude;
  ErrorTriple mslAltitude;
};

class PositionAverages {
public:
  // Defaults of the stored settings.
  static constexpr double DefaultPositionWeightLimit = 28800.0;
  static constexpr double DefaultRmsWeightLimit = 86400.0;
  static constexpr double DefaultTimingWeightLimit = 28800.0;
  static constexpr double DefaultHdopWeight = 1.5;
  static constexpr double DefaultVdopWeight = 2.0;
  static constexpr double DefaultTdopWeight = 1.5;
  // Counters never grow beyond this, whatever the limit.
  static constexpr double CounterCeiling = 999999.0;

  static const char *const NoTimingSolutionText;

  // The site used when no reference location is stored.
  static GeoPosition DefaultReferenceLocation();

  PositionAverages();

  // Start-up: the lock options take their defaults, the settings and the
  // stored averages are loaded, and the averages restart unless continuing.
  void Initialize();

  // Per fix: stores it, runs one averaging pass and returns the fix's
  // Maidenhead locator. A fix with a non-finite value is ignored (empty
  // locator, nothing changes).
  QString UpdateAverages(double latitude, double longitude, double gpsAltitude, double mslAltitude,
                         int gpsModeSetting);
  // One averaging pass with the current fix.
  void Average(int gpsModeSetting);
  QString MaidenheadLocator() const;
  void ResetAverages();
  // The settings again, at the end of each receiver set-up; the averages
  // gathered so far stay.
  void ReloadSettings();
  void SetTimingErrorInputs(double a, double b);
  // The receiver in use: its protocol mode and model (a GpsRxModel index).
  // Taken into account when the averages restart and when the settings load.
  void SetReceiver(quint32 gpsMode, qint32 model);

  // Decides lock from the GPS mode setting (0 3-D, 1 2-D, 2 timing) and the
  // satellites tracked; on a change updates the locked-since text or the
  // unlock counter. Returns 1 while locked, 0 otherwise.
  int LockStatusText(unsigned gpsModeSetting, const GpsDateTime &receiverTime);

  void SetDops(double g, double p, double h, double v, double t);
  QString DopsText() const;
  void SetNavMode(qint32 mode) { navMode_ = mode; }
  qint32 GetNavMode() const { return navMode_; }
  void SetSatsTracked(qint32 n);
  qint32 GetSatsTracked() const { return satsTracked_; }
  void SetSpeed(double speed);
  double GetSpeed() const { return speed_; }
  void SetHeading(double heading);
  double GetHeading() const { return heading_; }
  void SetFixStatus(qint32 status);
  qint32 GetFixStatus() const { return fixStatus_; }

  // Positions.
  GeoPosition CurrentFix() const { return current_; }
  GeoPosition Averages() const { return average_; }
  GeoPosition ReferenceLocation() const { return reference_; }
  // Stores the reference location with its metres per degree and writes it
  // to the settings together with the two restart options.
  void SetReferenceLocation(const GeoPosition &reference);
  bool ReferenceLocationOnStart() const { return refLocOnStart_; }
  // Whether the settings hold a reference location (the user stored one);
  // until then the default site is shown but never sent to a receiver.
  static bool ReferenceLocationStored();
  void SetReferenceLocationOnStart(bool on) { refLocOnStart_ = on; }
  double MetresPerDegreeLatitude() const { return metresPerDegLat_; }
  double MetresPerDegreeLongitude() const { return metresPerDegLon_; }

  // Settings: the averaging options and the reference location (the
  // averaging parameters window edits these).
  void LoadSettings();
  void SaveSettings();
  // The averages with their counters and mean squares: read at start-up,
  // written at shut-down and when the user confirms the settings.
  void LoadAverages();
  void SaveAverages();
  // The lock options take their defaults: no restart on unlock, continue on
  // program restart.
  void SetLockOptionDefaults();

  bool UseDopWeighting() const { return useDopWeighting_; }
  void SetUseDopWeighting(bool on) { useDopWeighting_ = on && !dopWeightingBlocked_; }
  // True once the Motorola binary protocol with a model other than VP has
  // switched DOP weighting off for the rest of the run.
  bool DopWeightingBlocked() const { return dopWeightingBlocked_; }
  double HdopWeight() const { return hdopWeight_; }
  double VdopWeight() const { return vdopWeight_; }
  double TdopWeight() const { return tdopWeight_; }
  void SetDopWeights(double hdop, double vdop, double tdop);
  double PositionWeightLimit() const { return positionLimit_; }
  double RmsWeightLimit() const { return rmsLimit_; }
  double TimingWeightLimit() const { return timingLimit_; }
  void SetWeightLimits(double position, double rms, double timing);
  bool RestartOnUnlock() const { return restartOnUnlock_; }
  void SetRestartOnUnlock(bool on) { restartOnUnlock_ = on; }
  bool ContinueOnProgramRestart() const { return continueOnRestart_; }
  void SetContinueOnProgramRestart(bool on) { continueOnRestart_ = on; }

  // Counters (the weight windows N).
  double PositionCounter() const { return positionCounter_; }
  double AltitudeCounter() const { return altitudeCounter_; }
  double RmsCounter() const { return rmsCounter_; }
  double TimingCounter() const { return timingCounter_; }

  // Resets of the averaging window's buttons.
  void ResetPositionFilter();
  void ResetRmsFilter();
  void ResetTimingFilter();
  void ResetAllFilters();
  void ResetUnlockCounter() { unlockCounter_ = 0; }

  // State for display.
  // Whether the receiver has reported a position in this run, whatever its
  // fix type (position hold and time-only fixes included).
  bool PositionReported() const { return positionReported_; }
  // Whether the averages hold a sample: a 2-D or 3-D fix averaged in this
  // run, averages restored from the last run, or the fix the position filter
  // was reset to. A restart of the averages empties them until the next 2-D
  // or 3-D fix.
  bool AveragesHeld() const { return averagesHeld_; }
  // Whether the error terms hold a sample of this run: the horizontal ones
  // (latitude, longitude, 2-D) after a position was averaged, the altitude
  // ones after a 3-D fix. Their RMS values hold one as well when the mean
  // squares were restored with the averages. A restart of the averages
  // empties them all.
  bool ErrorTermsHeld(bool altitude) const { return altitude ? altitudeTermsHeld_ : horizontalTermsHeld_; }
  bool RmsHeld(bool altitude) const { return ErrorTermsHeld(altitude) || meanSquaresRestored_; }
  bool Locked() const { return locked_; }
  bool ResetPending() const { return resetPending_; }
  qint32 UnlockCounter() const { return unlockCounter_; }
  QString LockedSinceText() const { return lockedSinceText_; }
  QString TimeAccuracyText() const { return timeAccuracyText_; }
  double ErrorInputA() const { return errorA_; }
  double ErrorInputB() const { return errorB_; }
  double Tsigma() const { return tsigma_; }
  double TsigmaMax() const { return tsigmaMax_; }
  double TsigmaMin() const { return tsigmaMin_; }
  double TsigmaAverage() const { return tsigmaAverage_; }
  const ErrorTerms &Errors() const { return errors_; }
  const ErrorTerms &MeanSquares() const { return meanSquares_; }
  const ErrorTerms &Rms() const { return rms_; }
  double Gdop() const { return gdop_; }
  double Pdop() const { return pdop_; }
  double Hdop() const { return hdop_; }
  double Vdop() const { return vdop_; }
  double Tdop() const { return tdop_; }

  // The arithmetic, public for its own sake.
  // Adds one to a counter below its limit, else sets it to the limit; the
  // result stays within [1, CounterCeiling].
  static double StepCounter(double counter, double limit);
  // (max(0, N - w) v + min(w, N) x) / N.
  static double WeightedUpdate(double value, double sample, double weight, double counter);
  // (reference DOP / DOP)^2 when weighting is on and the DOP is above 0,
  // else 1.0.
  double SampleWeight(double referenceDop, double dop) const;

private:
  void ApplyProtocolRestrictions();
  void UpdateTsigma(int gpsModeSetting, double timingWeight);
  void SetMetresPerDegree();

  quint32 receiverMode_ = GpsModeSearch;
  qint32 receiverModel_ = -1;  // not known
  bool useDopWeighting_ = false;
  bool dopWeightingBlocked_ = false;
  double vdopWeight_ = DefaultVdopWeight;
  double tdopWeight_ = DefaultTdopWeight;
  double hdopWeight_ = DefaultHdopWeight;
  double positionLimit_ = DefaultPositionWeightLimit;
  double rmsLimit_ = DefaultRmsWeightLimit;
  double timingLimit_ = DefaultTimingWeightLimit;
  qint32 unlockCounter_ = 0;
  QString timeAccuracyText_;
  QString lockedSinceText_;
  double positionCounter_ = 1.0;
  double altitudeCounter_ = 1.0;
  double rmsCounter_ = 1.0;
  double timingCounter_ = 1.0;
  bool restartOnUnlock_ = false;
  bool continueOnRestart_ = true;
  bool locked_ = false;
  qint32 navMode_ = 0;
  GeoPosition current_;
  GeoPosition average_;
  double tsigmaAverage_ = 0.0;
  double errorA_ = 500.0;
  double errorB_ = 500.0;
  double errorS_ = 500000.0;
  double tsigma_ = 0.0;
  double tsigmaMax_ = 0.0;
  double tsigmaMin_ = 0.0;
  qint32 satsTracked_ = -1;
  double speed_ = -1.0;
  double heading_ = -1.0;
  qint32 fixStatus_ = -1;
  ErrorTerms errors_;
  ErrorTerms meanSquares_;
  ErrorTerms rms_;
  GeoPosition reference_;
  bool refLocOnStart_ = true;
  double gdop_ = 0.0;
  double pdop_ = 0.0;
  double hdop_ = 0.0;
  double vdop_ = 0.0;
  double tdop_ = 0.0;
  bool resetPending_ = false;
  double metresPerDegLon_ = 111111.1;
  double metresPerDegLat_ = 111111.1;
  // A fix that leaves 2-D/3-D is averaged once more before averaging stops.
  bool wasAveraging_ = true;
  bool positionReported_ = false;
  bool averagesHeld_ = false;
  bool horizontalTermsHeld_ = false;
  bool altitudeTermsHeld_ = false;
  bool meanSquaresRestored_ = false;
  // The no-timing text is shown once per loss of lock.
  bool noTimingTextShown_ = false;
};
