#include "logging/TicLogOptions.h"

#include <QSettings>

namespace {

constexpr int TimeLogEverySeconds[] = {1, 2, 3, 4, 5, 6, 10, 12, 15, 20, 30, 60, 3600};
constexpr int TimeLogEveryCount = int(sizeof TimeLogEverySeconds / sizeof TimeLogEverySeconds[0]);

}  // namespace

int TicTimeLogEverySeconds(int index)
{
  return index >= 0 && index < TimeLogEveryCount ? TimeLogEverySeconds[index] : 1;
}

int StoredTimeLogInterval()
{
  QSettings settings;
  if (settings.value(TicLogKeys::TimeIntervalLogButtonGroup, 0).toInt() != 0)
    return 0;
  return TicTimeLogEverySeconds(settings.value(TicLogKeys::TimeLogEvery, 0).toInt());
}

int AveragingPeriodOfText(const QString &text)
{
  bool ok = false;
  const int period = text.toInt(&ok, 10);
  return ok ? period : 0;
}

int StoredAveragingPeriod()
{
  return AveragingPeriodOfText(
      QSettings().value(TicLogKeys::AveragingLogPeriod, QString::fromLatin1(DefaultAveragingLogPeriod)).toString());
}

TicLogOptions TicLogOptions::FromSettings()
{
  QSettings settings;
  TicLogOptions options;
  options.timeTagFormat = settings.value(TicLogKeys::TimeTagFormat, 0).toInt();
  options.logStyle = settings.value(TicLogKeys::LogStyle, 0).toInt();
  options.timeLogInterval = StoredTimeLogInterval();
  options.averagingPeriod = StoredAveragingPeriod();
  options.configText = settings.value(TicLogKeys::CfgLogSaveSats, 0).toInt() == 1;
  return options;
}
