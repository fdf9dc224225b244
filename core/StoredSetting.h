#pragma once
// Reading a stored setting with its default and its allowed range. A value
// that is missing or unusable is taken as the default; each unusable value
// gives one debug line naming its key. A whole number writes its repair back
// unless told not to, so the store and the program agree; other numbers
// leave the store as it is.

#include <QSettings>
#include <QString>

#include <optional>

// Whether a key that is not there at all gets its default written.
enum class MissingKey { Store, Leave };

// Whether a stored value out of range is replaced in the store by the
// default it reads as.
enum class BadValue { Store, Leave };

// A whole number in minValue..maxValue.
int ReadStoredInt(QSettings &settings, const QString &key, int defaultValue, int minValue, int maxValue,
                  MissingKey missing = MissingKey::Store, BadValue bad = BadValue::Store);

// A number in minValue..maxValue; one that is not finite (nan, inf) or lies
// outside reads as the default. Text that is no number reads as 0, as a
// settings file written by hand would expect. Nothing is written.
double ReadStoredNumber(QSettings &settings, const QString &key, double defaultValue, double minValue,
                        double maxValue);

// The stored number when the key holds a finite one in minValue..maxValue,
// defaultValue when the key is missing, else nothing (with the debug line):
// for a reader that repairs with a value of its own.
std::optional<double> CheckedStoredNumber(QSettings &settings, const QString &key, double defaultValue,
                                          double minValue, double maxValue);

// The one debug line for a stored value the program does not use.
void NoteUnusableStoredSetting(const QString &key, const QVariant &stored);

// A flag; a value that is not a flag reads as false, as a settings file
// written by hand would expect.
bool ReadStoredFlag(QSettings &settings, const QString &key, bool defaultValue,
                    MissingKey missing = MissingKey::Store);

// Stores `value` under `key` unless the store holds it already (compared as
// text, as the store keeps it): each change rewrites the whole settings
// file and waits for the disk, which a flag kept only for the record should
// not cost at every log close.
void StoreSettingIfChanged(QSettings &settings, const QString &key, const QVariant &value);
