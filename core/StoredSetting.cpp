#include "core/StoredSetting.h"

int ReadStoredInt(QSettings &settings, const QString &key, int defaultValue, int minValue, int maxValue,
                  MissingKey missing)
{
  if (!settings.contains(key)) {
    if (missing == MissingKey::Store)
      settings.setValue(key, defaultValue);
    return defaultValue;
  }
  // Text that is no number reads as 0, as it always has; it stays as stored
  // when 0 is allowed.
  const int value = settings.value(key).toInt();
  if (value >= minValue && value <= maxValue)
    return value;
  settings.setValue(key, defaultValue);
  return defaultValue;
}

bool ReadStoredFlag(QSettings &settings, const QString &key, bool defaultValue, MissingKey missing)
{
  if (!settings.contains(key)) {
    if (missing == MissingKey::Store)
      settings.setValue(key, defaultValue);
    return defaultValue;
  }
  return settings.value(key).toBool();
}
