#include "logging/GpsLogSettings.h"

#include "logging/GpsDataLog.h"

#include <QSettings>

namespace {

constexpr int LogEverySeconds[] = {1, 2, 3, 4, 5, 6, 10, 12, 15, 20, 30, 60};
constexpr int LogEveryCount = int(sizeof LogEverySeconds / sizeof LogEverySeconds[0]);

}  // namespace

int GpsLogIntervalOfIndex(int index)
{
  return index >= 0 && index < LogEveryCount ? LogEverySeconds[index] : 1;
}

GpsLogSettings LoadGpsLogSettings(QSettings &settings)
{
  GpsLogSettings log;
  int every = settings.value(GpsLogKeys::LogEvery, 0).toInt();
  if (every < 0 || every >= LogEveryCount)
    every = 0;
  log.logEveryIndex = every;
  log.intervalSeconds = GpsLogIntervalOfIndex(every);

  log.useGpsSecondNumber = settings.value(GpsLogKeys::UseGpsSecondNumber, 0).toInt() == 1;
  log.type = settings.value(GpsLogKeys::DataType, 0).toInt();

  // Not ReadStoredInt: text that is no number reads as 0 (off) here and
  // stays in the store.
  int autorestart = settings.value(GpsLogKeys::Autorestart, 1).toInt();
  if (autorestart != 0 && autorestart != 1) {
    autorestart = 1;
    settings.setValue(GpsLogKeys::Autorestart, autorestart);
  }
  log.autorestart = autorestart == 1;
  return log;
}

void SaveGpsLogSettings(QSettings &settings, const GpsLogSettings &log)
{
  settings.setValue(GpsLogKeys::LogEvery, log.logEveryIndex);
  settings.setValue(GpsLogKeys::DataType, log.type);
  settings.setValue(GpsLogKeys::Autorestart, log.autorestart ? 1 : 0);
  settings.setValue(GpsLogKeys::UseGpsSecondNumber, log.useGpsSecondNumber ? 1 : 0);
}
