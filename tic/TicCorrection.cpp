#include "tic/TicCorrection.h"

#include "tic/TicReading.h"

#include <cmath>
#include <limits>

namespace {

// The automatic choice locks its sign after this many consecutive windows
// favour it.
constexpr int VotesToLock = 10;

}  // namespace

double TicCorrectionSettings::SmallerDelayTotal() const
{
  return std::fabs(delayTotals[0]) < std::fabs(delayTotals[1]) ? delayTotals[0] : delayTotals[1];
}

TicSawtoothCorrection::TicSawtoothCorrection(ReceiverState &receiverState) : state(receiverState) {}

void TicSawtoothCorrection::ApplyMode(int portIndex, int mode)
{
  TicSawtoothState &port = ports[portIndex];
  switch (mode) {
  case TicSawtoothModes::Automatic:
    port = TicSawtoothState{};
    port.sawtoothNumberSeen = state.sawtoothNumber;
    state.ticSignLocked[portIndex] = false;
    break;
  case TicSawtoothModes::Add:
    port.signAdd = true;
    state.ticSignLocked[portIndex] = true;
    break;
  case TicSawtoothModes::Subtract:
    port.signAdd = false;
    state.ticSignLocked[portIndex] = true;
    break;
  default:
    state.ticSignLocked[portIndex] = false;
    break;
  }
}

bool TicSawtoothCorrection::FavouredSignAdd(const TicSawtoothState &port) const
{
  constexpr int n = TicSawtoothState::HistorySize;
  double sums[n];
  double differences[n];
  double sumTotal = 0.0;
  double differenceTotal = 0.0;
  for (int i = 0; i < n; ++i) {
    sums[i] = port.readings[i] + port.sawtooth[i];
    differences[i] = port.readings[i] - port.sawtooth[i];
    sumTotal += sums[i];
    differenceTotal += differences[i];
  }
  const double sumMean = sumTotal / n;
  const double differenceMean = differenceTotal / n;
  double sumScatter = 0.0;
  double differenceScatter = 0.0;
  for (int i = 0; i < n; ++i) {
    sumScatter += (sums[i] - sumMean) * (sums[i] - sumMean);
    differenceScatter += (differences[i] - differenceMean) * (differences[i] - differenceMean);
  }
  return sumScatter <= differenceScatter;
}

double TicSawtoothCorrection::Correct(int portIndex, double reading,
                                      const TicCorrectionSettings &settings)
{
  TicSawtoothState &port = ports[portIndex];
  state.ticTickCount[portIndex] = 0;
  const int mode = settings.mode >= TicSawtoothModes::Automatic && settings.mode <= TicSawtoothModes::Off
                       ? settings.mode
                       : TicSawtoothModes::Off;

  // A new sawtooth value is counted once, by whichever port reads first; the
  // other ports see the changed number at their own next reading.
  if (state.receiverSawtoothFresh) {
    state.receiverSawtoothFresh = false;
    ++state.sawtoothNumber;
  }
  const bool noNewSawtooth = state.sawtoothNumber == port.sawtoothNumberSeen;
  if (noNewSawtooth || state.ticStale[portIndex]) {
    ApplyMode(portIndex, mode);
    state.ticStale[portIndex] = false;
  }
  port.sawtoothNumberSeen = state.sawtoothNumber;

  const double sawtoothUs = state.receiverSawtoothNs / 1000.0;
  port.readings[port.historyIndex] = reading;
  port.sawtooth[port.historyIndex] = sawtoothUs;
  port.historyIndex = (port.historyIndex + 1) % TicSawtoothState::HistorySize;

  double value = reading;
  bool correct = state.ticSignLocked[portIndex];
  if (!correct && mode == TicSawtoothModes::Automatic) {
    const bool favoured = FavouredSignAdd(port);
    if (favoured == port.signAdd) {
      const int votesBefore = port.votes++;
      if (votesBefore >= VotesToLock - 1) {
        state.ticSignLocked[portIndex] = true;
        correct = true;
      }
    } else {
      port.votes = 0;
      port.signAdd = favoured;
    }
  }
  if (correct)
    value = port.signAdd ? reading + sawtoothUs : reading - sawtoothUs;

  if (settings.ticAutoCorrect)
    value -= settings.SmallerDelayTotal();
  return FoldTicReading(value);
}

std::optional<TicAverage> TicAverages::Add(int portIndex, double value, qint64 shownMs,
                                           int periodSeconds)
{
  TicAverageStats &stats = ports[portIndex];
  if (stats.periodStartMs == 0) {
    stats = TicAverageStats{};
    stats.maximum = -std::numeric_limits<double>::infinity();
    stats.minimum = std::numeric_limits<double>::infinity();
    stats.periodStartMs = shownMs;
  }
  if (value > stats.maximum)
    stats.maximum = value;
  if (value < stats.minimum)
    stats.minimum = value;
  const double meanBefore = stats.count > 0 ? stats.sum / stats.count : value;
  stats.sum += value;
  ++stats.count;
  stats.squaredDeviations += (value - meanBefore) * (value - stats.sum / stats.count);

  if (stats.count < 2 || periodSeconds < 1)
    return std::nullopt;
  const qint64 second = WholeSeconds(shownMs);
  const bool atMultiple = second % periodSeconds == 0 && second > WholeSeconds(stats.periodStartMs);
  const bool periodPassed = shownMs - stats.periodStartMs >= qint64(periodSeconds) * 1000;
  if (!atMultiple && !periodPassed && stats.count <= periodSeconds)
    return std::nullopt;

  TicAverage average;
  average.count = stats.count;
  average.mean = stats.sum / stats.count;
  const double variance = stats.squaredDeviations / stats.count;
  average.sigma = variance >= 0.0 ? std::sqrt(variance) : 0.0;
  average.maximum = stats.maximum;
  average.minimum = stats.minimum;
  stats.periodStartMs = 0;
  return average;
}

void TicAverages::Reset(int portIndex)
{
  ports[portIndex] = TicAverageStats{};
}
