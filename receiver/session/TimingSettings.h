#pragma once
// The timing settings as one value: the 1PPS epoch and fine offsets, the
// cable and receiver delays, the T-RAIM limit and the TIC sawtooth choices,
// with the totals derived from them. Loaded and repaired here, edited by
// the timing dialog, and handed by value to the receiver set-up and the
// counter processing.

#include <QtGlobal>

class QSettings;

// The stored keys.
namespace TimingKeys {
inline constexpr char Epoch[] = "TimingDialog/Epoch";
inline constexpr char PpsDelay[] = "TimingDialog/1pps Delay";
inline constexpr char AntennaCable[] = "TimingDialog/Antenna Cable Delay";
inline constexpr char MeasurementCable[] = "TimingDialog/Measurement Cable Delay";
inline constexpr char RxDelay[] = "TimingDialog/Rx Delay";
inline constexpr char ExtraDelay[] = "TimingDialog/Extra Delay";
inline constexpr char Traim[] = "TimingDialog/T-Raim";
inline constexpr char TraimKill[] = "TimingDialog/T-Raim Conditioned 1pps";
inline constexpr char TicAutoCorrect[] = "TimingDialog/TIC Auto Correct";
inline constexpr char Sawtooth[] = "TimingDialog/Sawtooth Auto Correct";
}  // namespace TimingKeys

// What the timing dialog's fields accept, and so what a stored value may be.
inline constexpr int TimingEpochMaxMs = 999;
inline constexpr double TimingFineOffsetMaxUs = 999.999;  // the 1PPS and extra offsets
inline constexpr double TimingCableDelayMaxNs = 20000.0;
inline constexpr double TimingRxDelayMaxNs = 1000.0;
inline constexpr double TimingTraimMinNs = 250.0;  // or 0: T-RAIM off
inline constexpr double TimingTraimMaxNs = 1000.0;
inline constexpr double TimingTraimDefaultNs = 500.0;

// The TIC sawtooth correction; -1 stands for no choice made.
enum SawtoothCorrectionMode {
  SawtoothAutomatic = 0,
  SawtoothAdd = 1,
  SawtoothSubtract = 2,
  SawtoothOff = 3,
};

struct TimingSettings {
  // Stored.
  double antennaCableDelay = 0.0;      // ns
  double measurementCableDelay = 0.0;  // ns
  double rxDelay = 55.0;               // ns
  qint32 epochOffset = 0;              // ms, sets the 1PPS late
  double ppsDelay = 0.0;               // us, sets the 1PPS late
  double extraDelay = 0.0;             // us, sets the 1PPS early
  double traimLimit = 0.0;             // ns; 0 or below: T-RAIM off
  bool traimConditionedPps = false;    // kill the 1PPS when T-RAIM fails
  bool ticAutoCorrect = true;
  qint32 sawtoothCorrection = -1;      // SawtoothCorrectionMode
  // Derived from the stored values (UpdateTimingTotals), never stored.
  double totalDelay = 0.0;              // ns, cables and receiver
  double totalPpsOffsetNegative = 0.0;  // us, in (-1000000, 0]
  double totalPpsOffsetPositive = 0.0;  // us, in (0, 1000000]
};

// The derived totals of a set of timing values.
struct TimingTotals {
  double totalDelay = 0.0;              // ns: antenna + measurement + receiver
  double totalPpsOffsetNegative = 0.0;  // us, in (-1000000, 0]
  double totalPpsOffsetPositive = 0.0;  // us, in (0, 1000000]
};

// Half away from zero, to 0.001 (ns or us alike).
double RoundToThousandths(double value);

// epochMs * 1000 + ppsDelayUs - extraDelayUs, rounded half away from zero to
// 0.001 us, in both forms.
TimingTotals ComputeTimingTotals(double antennaCableNs, double measurementCableNs,
                                 double rxDelayNs, qint64 epochMs, double ppsDelayUs,
                                 double extraDelayUs);

// The three totals of `timing` from its stored values.
void UpdateTimingTotals(TimingSettings &timing);

// The stored values with their totals. A missing value takes its default
// (sawtooth: Automatic); an epoch that is no whole number reads as 0 and a
// sawtooth outside 0..3 as Off. A number outside what the dialog accepts,
// nan or inf, takes its default. Nothing is written back.
TimingSettings LoadTimingSettings(QSettings &settings);

// Every stored value of `timing` (the totals are not stored).
void SaveTimingSettings(QSettings &settings, const TimingSettings &timing);
