#pragma once
#include "core/GpsMode.h"

#include <QtGlobal>

// One satellite as the decoders report it.
//
// Status bits, as the satellite table reads them: bit 7 used; bit 6 momentum
// alert; bit 4 unhealthy; bit 3 reported inaccurate ("SA"); bit 0 parity
// error in the Oncore modes, "used" in u-blox UBX mode.
struct SatelliteRecord {
  qint32 identifier = 0;  // PRN or the receiver's satellite id; 0 = empty
  qint32 elevation = 0;   // degrees, 0..90
  qint32 azimuth = 0;     // degrees, 0..359
  qint32 cno = 0;         // C/No in dB-Hz; 0 = no signal
  quint8 inChannel = 0;   // 1 when a receiver channel reports it
  quint8 channelMode = 0; // Oncore tracking state 0..8; 9 = no channel
  quint8 status = 0;      // status bits, see above
  qint32 trend = 0;       // >0 rising, <0 setting, 0 unknown
};

constexpr int SatelliteArraySize = 256;
constexpr int SatelliteTableRows = 16;

// Whether the receiver uses the satellite in its solution: status bit 0 in
// the u-blox modes (NAV-SVINFO's "svUsed"; the NMEA decoder sets it beside
// bit 7 there), bit 7 in the others. The satellite table's "Not Used" mark
// and the sky chart's lines read it here.
inline bool IsSatelliteUsed(const SatelliteRecord &record, quint32 gpsMode)
{
  return (record.status & (IsUbloxMode(gpsMode) ? 0x01 : 0x80)) != 0;
}
