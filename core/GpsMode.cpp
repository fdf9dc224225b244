#include "GpsMode.h"

quint32 CurrentGpsMode = GpsModeSearch;
int LastGpsBaud = 0;

QString GpsModeName(quint32 mode)
{
  switch (mode) {
  case GpsModeMotorolaLoran: return QStringLiteral("Motorola LORAN");
  case GpsModeMotorolaNmea: return QStringLiteral("Motorola NMEA");
  case GpsModeMotorolaBinary: return QStringLiteral("Motorola Binary");
  case GpsModeMotorolaBinaryRxOnly: return QStringLiteral("Motorola Binary Rx Only");
  case GpsModeGenericNmea: return QStringLiteral("Generic NMEA");
  case GpsModeUbloxUbx: return QStringLiteral("u-blox UBX");
  case GpsModeUbloxNmea: return QStringLiteral("u-blox NMEA");
  case GpsModeSearch: return QStringLiteral("Search");
  default: return QString();
  }
}

quint32 GpsModeFromName(const QString &name)
{
  for (quint32 mode : {1u, 2u, 3u, 6u, 9u, 10u}) {
    if (name == GpsModeName(mode))
      return mode;
  }
  return GpsModeSearch;
}

bool IsValidGpsMode(quint32 mode)
{
  return !GpsModeName(mode).isEmpty();
}
