#include "receiver/session/TimingSettings.h"

#include "core/StoredSetting.h"

#include <QSettings>

#include <cmath>

double RoundToThousandths(double value)
{
  return (value < 0 ? std::ceil(value * 1000.0 - 0.5) : std::floor(value * 1000.0 + 0.5)) / 1000.0;
}

TimingTotals ComputeTimingTotals(double antennaCableNs, double measurementCableNs, double rxDelayNs,
                                 qint64 epochMs, double ppsDelayUs, double extraDelayUs)
{
  TimingTotals totals;
  totals.totalDelay = RoundToThousandths(antennaCableNs + measurementCableNs + rxDelayNs);
  const double r = RoundToThousandths(double(epochMs) * 1000.0 + ppsDelayUs - extraDelayUs);
  double w = r + 1000000.0;
  if (w > 1000000.0)
    w -= 2000000.0;
  w = RoundToThousandths(w);
  totals.totalPpsOffsetNegative = r > 0 ? w : r;
  totals.totalPpsOffsetPositive = r > 0 ? r : w;
  return totals;
}

void UpdateTimingTotals(TimingSettings &timing)
{
  const TimingTotals totals =
      ComputeTimingTotals(timing.antennaCableDelay, timing.measurementCableDelay, timing.rxDelay,
                          timing.epochOffset, timing.ppsDelay, timing.extraDelay);
  timing.totalDelay = totals.totalDelay;
  timing.totalPpsOffsetNegative = totals.totalPpsOffsetNegative;
  timing.totalPpsOffsetPositive = totals.totalPpsOffsetPositive;
}

TimingSettings LoadTimingSettings(QSettings &settings)
{
  // The ranges the timing dialog accepts; a value outside one, nan or inf
  // would reach every corrected counter reading and the receiver's commands.
  const auto number = [&settings](const char *key, double defaultValue, double minValue, double maxValue) {
    return ReadStoredNumber(settings, QString::fromLatin1(key), defaultValue, minValue, maxValue);
  };
  TimingSettings timing;
  timing.epochOffset = ReadStoredInt(settings, QString::fromLatin1(TimingKeys::Epoch), 0, 0, TimingEpochMaxMs,
                                     MissingKey::Leave, BadValue::Leave);
  timing.ppsDelay = number(TimingKeys::PpsDelay, 0.0, 0.0, TimingFineOffsetMaxUs);
  timing.antennaCableDelay = number(TimingKeys::AntennaCable, 0.0, 0.0, TimingCableDelayMaxNs);
  timing.measurementCableDelay = number(TimingKeys::MeasurementCable, 0.0, 0.0, TimingCableDelayMaxNs);
  timing.rxDelay = number(TimingKeys::RxDelay, 55.0, 0.0, TimingRxDelayMaxNs);
  timing.extraDelay = number(TimingKeys::ExtraDelay, 0.0, 0.0, TimingFineOffsetMaxUs);
  // 0 switches T-RAIM off; any other limit lies in 250..1000.
  const QString traimKey = QString::fromLatin1(TimingKeys::Traim);
  timing.traimLimit = ReadStoredNumber(settings, traimKey, TimingTraimDefaultNs, 0.0, TimingTraimMaxNs);
  if (timing.traimLimit > 0.0 && timing.traimLimit < TimingTraimMinNs) {
    NoteUnusableStoredSetting(traimKey, settings.value(traimKey));
    timing.traimLimit = TimingTraimDefaultNs;
  }
  timing.traimConditionedPps =
      ReadStoredFlag(settings, QString::fromLatin1(TimingKeys::TraimKill), false, MissingKey::Leave);
  timing.ticAutoCorrect =
      ReadStoredFlag(settings, QString::fromLatin1(TimingKeys::TicAutoCorrect), true, MissingKey::Leave);
  // Not ReadStoredInt: a bad sawtooth reads as Off, not as the default, and
  // stays in the store as it is.
  timing.sawtoothCorrection = settings.value(TimingKeys::Sawtooth, "0").toInt();
  if (timing.sawtoothCorrection < SawtoothAutomatic || timing.sawtoothCorrection > SawtoothOff)
    timing.sawtoothCorrection = SawtoothOff;
  UpdateTimingTotals(timing);
  return timing;
}

void SaveTimingSettings(QSettings &settings, const TimingSettings &timing)
{
  settings.setValue(TimingKeys::Epoch, timing.epochOffset);
  settings.setValue(TimingKeys::PpsDelay, timing.ppsDelay);
  settings.setValue(TimingKeys::AntennaCable, timing.antennaCableDelay);
  settings.setValue(TimingKeys::MeasurementCable, timing.measurementCableDelay);
  settings.setValue(TimingKeys::RxDelay, timing.rxDelay);
  settings.setValue(TimingKeys::ExtraDelay, timing.extraDelay);
  settings.setValue(TimingKeys::Traim, timing.traimLimit);
  settings.setValue(TimingKeys::TraimKill, timing.traimConditionedPps);
  settings.setValue(TimingKeys::TicAutoCorrect, timing.ticAutoCorrect);
  settings.setValue(TimingKeys::Sawtooth, timing.sawtoothCorrection);
}
