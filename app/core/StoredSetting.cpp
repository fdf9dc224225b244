#include "app/core/StoredSetting.h"

int ReadStoredInt(QSettings &settings, const QString &key, int defaultValue, int minValue, int maxValue,
                  MissingKey missing)
{
  if (!settings.contains(key)) {
    if (missing == MissingKey::Store)
      settings.setValue(key, defaultValue);
    return defaultValue;
  }
  bool ok = false;
  const QVariant stored = settings.value(key);
  const int value = stored.toInt(&ok);
  if (ok && value >= minValue && value <= maxValue)
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
