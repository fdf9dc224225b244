#pragma once
// Reading a stored setting with its default and its allowed range. A value
// that is missing or out of range is taken as the default and the repaired
// value is written back, so the store and the program agree.

#include <QSettings>
#include <QString>

// Whether a key that is not there at all gets its default written.
enum class MissingKey { Store, Leave };

// A whole number in minValue..maxValue.
int ReadStoredInt(QSettings &settings, const QString &key, int defaultValue, int minValue, int maxValue,
                  MissingKey missing = MissingKey::Store);

// A flag; a value that is not a flag reads as false, as a settings file
// written by hand would expect.
bool ReadStoredFlag(QSettings &settings, const QString &key, bool defaultValue,
                    MissingKey missing = MissingKey::Store);
