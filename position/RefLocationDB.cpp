#include "position/RefLocationDB.h"

#include <QRegularExpression>
#include <QSettings>

namespace RefLocationDB {

QString RecordText(const GeoPosition &p)
{
  return QString::asprintf("%018.16f %018.16f %018.16f %018.16f", p.latitude, p.longitude, p.gpsAltitude,
                           p.mslAltitude);
}

QStringList RecordFields(const QString &value)
{
  static const QRegularExpression number(QStringLiteral("[-+]?[0-9]*\\.?[0-9]+"));
  QStringList fields;
  QRegularExpressionMatchIterator it = number.globalMatch(value.trimmed());
  while (it.hasNext() && fields.size() < 4)
    fields << it.next().captured(0);
  return fields;
}

bool IsAllowedName(const QString &name)
{
  return !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\'));
}

QString Key(const QString &name) { return QLatin1String(Group) + QLatin1Char('/') + name; }

QStringList Names()
{
  QSettings settings;
  settings.beginGroup(QLatin1String(Group));
  return settings.childKeys();
}

bool Contains(const QString &name) { return QSettings().contains(Key(name)); }

QString Record(const QString &name) { return QSettings().value(Key(name)).toString().trimmed(); }

void Store(const QString &name, const GeoPosition &position)
{
  QSettings().setValue(Key(name), RecordText(position));
}

void Remove(const QString &name) { QSettings().remove(Key(name)); }

}  // namespace RefLocationDB
