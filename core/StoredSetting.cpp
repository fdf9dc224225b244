#include "core/StoredSetting.h"

#include <QDebug>

#include <cmath>

namespace {

// Enough of a damaged value to recognise it; a huge text stays out of the log.
constexpr int ShownStoredChars = 40;

}  // namespace

void NoteUnusableStoredSetting(const QString &key, const QVariant &stored)
{
  QString text = stored.toString();
  if (text.isEmpty() && !stored.canConvert<QString>())
    text = QString::fromLatin1(stored.typeName() ? stored.typeName() : "?");
  if (text.size() > ShownStoredChars)
    text = text.left(ShownStoredChars) + QStringLiteral("... (%1 characters)").arg(text.size());
  qDebug().noquote() << QStringLiteral("Stored setting \"%1\" = \"%2\" is out of range and not used")
                            .arg(key, text);
}

int ReadStoredInt(QSettings &settings, const QString &key, int defaultValue, int minValue, int maxValue,
                  MissingKey missing, BadValue bad)
{
  if (!settings.contains(key)) {
    if (missing == MissingKey::Store)
      settings.setValue(key, defaultValue);
    return defaultValue;
  }
  // Text that is no number reads as 0, as it always has; it stays as stored
  // when 0 is allowed.
  const QVariant stored = settings.value(key);
  const int value = stored.toInt();
  if (value >= minValue && value <= maxValue)
    return value;
  NoteUnusableStoredSetting(key, stored);
  if (bad == BadValue::Store)
    settings.setValue(key, defaultValue);
  return defaultValue;
}

std::optional<double> CheckedStoredNumber(QSettings &settings, const QString &key, double defaultValue,
                                          double minValue, double maxValue)
{
  if (!settings.contains(key))
    return defaultValue;
  const QVariant stored = settings.value(key);
  // toDouble() takes "nan" and "inf" too, and reads a number too large for
  // a double as inf; the check refuses all three.
  bool ok = false;
  double value = stored.toDouble(&ok);
  if (!ok && std::isfinite(value))
    value = 0.0;
  if (std::isfinite(value) && value >= minValue && value <= maxValue)
    return value;
  NoteUnusableStoredSetting(key, stored);
  return std::nullopt;
}

double ReadStoredNumber(QSettings &settings, const QString &key, double defaultValue, double minValue,
                        double maxValue)
{
  return CheckedStoredNumber(settings, key, defaultValue, minValue, maxValue).value_or(defaultValue);
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

void StoreSettingIfChanged(QSettings &settings, const QString &key, const QVariant &value)
{
  const QVariant stored = settings.value(key);
  if (stored.isValid() && stored.toString() == value.toString())
    return;
  settings.setValue(key, value);
}
