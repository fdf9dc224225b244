#pragma once
// The sawtooth correction of counter readings and the per-port averages.
//
// The receiver reports with each 1PPS pulse how far the pulse was off its
// ideal place (the sawtooth, in ns). A counter measuring against that pulse
// sees the same error, added or subtracted depending on how it is wired;
// in the automatic mode the sign is chosen by which of the two gives the
// steadier readings.

#include "core/ReceiverState.h"

#include <QtGlobal>

#include <optional>

// The values of "TimingDialog/Sawtooth Auto Correct".
namespace TicSawtoothModes {
inline constexpr int Automatic = 0;
inline constexpr int Add = 1;
inline constexpr int Subtract = 2;
inline constexpr int Off = 3;
}  // namespace TicSawtoothModes

// What the timing settings say about the correction.
// The whole second a time in milliseconds since the epoch falls in,
// counted down for times before it.
inline qint64 WholeSeconds(qint64 ms)
{
  return ms >= 0 ? ms / 1000 : -((-ms + 999) / 1000);
}

struct TicCorrectionSettings {
  int mode = TicSawtoothModes::Off;  // any value outside 0..3 counts as Off
  bool ticAutoCorrect = false;       // subtract the smaller delay total
  // The timing settings' two 1PPS offset totals (us), in their order: the
  // negative one, then the positive one.
  double delayTotals[2] = {0.0, 0.0};
  // The total of smaller magnitude; the second when both are as large.
  double SmallerDelayTotal() const;
};

// One port's history for the automatic choice of sign.
struct TicSawtoothState {
  static constexpr int HistorySize = 5;
  double readings[HistorySize] = {};  // us
  double sawtooth[HistorySize] = {};  // us
  int historyIndex = 0;
  bool signAdd = true;
  int votes = 0;                      // consecutive windows for the sign in force
  quint64 sawtoothNumberSeen = 0;     // ReceiverState::sawtoothNumber at the last reading
};

class TicSawtoothCorrection {
public:
  explicit TicSawtoothCorrection(ReceiverState &state);

  // One reading (us) of port index 0..7: resets the port's tick count,
  // takes up a new sawtooth value, corrects and folds. The result in us.
  double Correct(int portIndex, double reading, const TicCorrectionSettings &settings);

  const TicSawtoothState &Port(int portIndex) const { return ports[portIndex]; }

private:
  void ApplyMode(int portIndex, int mode);
  // The sign the five stored pairs favour: true for adding.
  bool FavouredSignAdd(const TicSawtoothState &port) const;

  ReceiverState &state;
  TicSawtoothState ports[ReceiverState::TicPorts];
};

// The figures of one ended averaging period.
struct TicAverage {
  int count = 0;
  double sigma = 0.0;
  double mean = 0.0;
  double maximum = 0.0;
  double minimum = 0.0;
};

struct TicAverageStats {
  double sum = 0.0;
  // The sum of the squared deviations from the period's mean, kept as the
  // readings come (Welford): a sum of squares less the squared mean loses
  // nanoseconds of scatter on readings of hundreds of milliseconds.
  double squaredDeviations = 0.0;
  double maximum = 0.0;
  double minimum = 0.0;
  int count = 0;
  qint64 periodStartMs = 0;  // receiver time shown; 0 while no period runs
};

class TicAverages {
public:
  // Adds a corrected reading of port index 0..7, taken while the receiver
  // second `shownMs` (ms since 1970) was shown. Returns the period's figures
  // when the reading ends it: at a multiple of the period in a later second
  // than the one it began in, when the period has passed since it began,
  // or when it holds more readings than the period has seconds. Its first
  // reading never ends it.
  std::optional<TicAverage> Add(int portIndex, double value, qint64 shownMs, int periodSeconds);
  void Reset(int portIndex);

  const TicAverageStats &Port(int portIndex) const { return ports[portIndex]; }

private:
  TicAverageStats ports[ReceiverState::TicPorts];
};
