#pragma once
// The receiver protocol mode. The names are also the stored form of the mode
// ("GpsPortDialog/GPS Serial Port Mode"); codes 4, 5, 7 and 8 have no name.

#include <QString>
#include <QtGlobal>

enum GpsMode : quint32 {
  GpsModeMotorolaLoran = 0,
  GpsModeMotorolaNmea = 1,
  GpsModeMotorolaBinary = 2,
  GpsModeMotorolaBinaryRxOnly = 3,
  // Codes without a name: nothing stored gives them, but the rules keep a
  // place for each.
  GpsModeUnnamed4 = 4,
  GpsModeUnnamed5 = 5,
  GpsModeGenericNmea = 6,
  GpsModeUnnamed7 = 7,
  GpsModeUnnamed8 = 8,
  GpsModeUbloxUbx = 9,
  GpsModeUbloxNmea = 10,
  GpsModeSearch = 11,
};

// The u-blox protocols (UBX and NMEA): the receivers that take UBX frames.
inline bool IsUbloxMode(quint32 mode)
{
  return mode == GpsModeUbloxUbx || mode == GpsModeUbloxNmea;
}

// The Oncore binary protocol, answered or only listened to.
inline bool IsOncoreBinaryMode(quint32 mode)
{
  return mode == GpsModeMotorolaBinary || mode == GpsModeMotorolaBinaryRxOnly;
}

// The stored name of a mode; empty for a code without a name.
QString GpsModeName(quint32 mode);

// The mode a stored name gives. "Motorola LORAN" and any text that names no
// mode read back as 11 "Search".
quint32 GpsModeFromName(const QString &name);

// True for the codes that have a name (0, 1, 2, 3, 6, 9, 10, 11).
bool IsValidGpsMode(quint32 mode);

// The program-wide mode in force: selects framer, decoder and command set.
extern quint32 CurrentGpsMode;

// The port's data rate before the last port change (the NMEA search's
// fallback rate).
extern int LastGpsBaud;
