#pragma once
// The identified receiver model: an index from 0 to 25. The Oncore "@@Cj"
// answer sets most of them; set-up sets 5 before the Oncore probe, 15 for a
// generic NMEA receiver and 20 for a u-blox receiver.

#include <QString>
#include <QtGlobal>

namespace GpsRxModel {

constexpr qint32 Unknown = 0;
constexpr qint32 GT = 1;
constexpr qint32 GTPlus = 2;
constexpr qint32 M12 = 3;
constexpr qint32 M12Plus = 4;
constexpr qint32 M12M = 5;
constexpr qint32 PVT6 = 6;
constexpr qint32 SL = 7;
constexpr qint32 UT = 8;
constexpr qint32 UTPlus = 9;
constexpr qint32 VP = 10;
constexpr qint32 XT = 11;
constexpr qint32 VP6 = 12;
constexpr qint32 GenericNmea = 15;
constexpr qint32 CnxtNvmn = 18;
constexpr qint32 Signav = 19;
constexpr qint32 Ublox = 20;
constexpr qint32 TxOncore = 21;
constexpr qint32 Ssr6Tf = 22;
constexpr qint32 Ssr6Tr = 23;
constexpr qint32 SsrM8F = 24;
constexpr qint32 SsrM8T = 25;

// Number of indexes (0..Count-1).
constexpr qint32 Count = 26;

// "M12", "UT+", "SSR-M8T", ...; "UNKNOWN" for indexes without a model of
// their own and for values outside 0..25.
QString DisplayName(qint32 model);

}  // namespace GpsRxModel
