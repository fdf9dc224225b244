#pragma once
// The named reference locations, kept in the settings group "RefLocationDB":
// one key per name, exactly as typed, whose value is latitude, longitude,
// WGS84 altitude and MSL altitude, "%018.16f" each, separated by one blank.

#include "position/CoordinateText.h"

#include <QString>
#include <QStringList>

namespace RefLocationDB {

inline constexpr char Group[] = "RefLocationDB";

// The stored text of a location.
QString RecordText(const GeoPosition &position);
// The number texts of a stored value, at most the first four, in order.
QStringList RecordFields(const QString &value);

// A name with "/" or "\" would become a settings sub-group and vanish from
// the list; an empty name stores nothing.
bool IsAllowedName(const QString &name);

QStringList Names();
bool Contains(const QString &name);
// The stored value, trimmed; empty when there is none.
QString Record(const QString &name);
void Store(const QString &name, const GeoPosition &position);
void Remove(const QString &name);
// The full settings key of a name, as the remove warning shows it.
QString Key(const QString &name);

}  // namespace RefLocationDB
