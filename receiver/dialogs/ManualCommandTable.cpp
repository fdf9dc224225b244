#include "receiver/dialogs/ManualCommandTable.h"

#include "core/GpsMode.h"

#include <iterator>

namespace {

struct Row {
  const char *name;
  const char *prefix;
  const char *description;
  qint32 length;
  const char *defaults;
};

// One row per command. Oncore rows: prefix = name, length = the whole
// message (identifier, parameters, checksum, CR LF). UBX prefixes are the
// frame start in HEX (sync, class, id, payload length little-endian).
const Row kRows[] = {
    {"@@Aa", "@@Aa", "Time of Day [VP. UT, GT]", 10, "FFFFFF"},  // 0
    {"@@Ab", "@@Ab", "GMT Correction [VP, UT, GT]", 10, "FFFFFF"},  // 1
    {"@@Ac", "@@Ac", "Date [VP, UT, GT]", 11, "FFFFFFFF"},  // 2
    {"@@Ad", "@@Ad", "Latitude [VP, UT, GT]", 11, "99999999"},  // 3
    {"@@Ae", "@@Ae", "Longitude [VP, UT, GT]", 11, "99999999"},  // 4
    {"@@Af", "@@Af", "Height [VP, UT, GT]", 12, "9999999999"},  // 5
    {"@@Ag", "@@Ag", "Satellite Mask Angle [VP, UT>2.0, GT>2.0, M12]", 8, "FF"},  // 6
    {"@@Ah", "@@Ah", "Satellite Select Options [VP]", 8, "FF"},  // 7
    {"@@Ai", "@@Ai", "Satellite Select [VP]", 9, "01FF"},  // 8
    {"@@Aj", "@@Aj", "xDOP Type [VP]", 8, "FF"},  // 9
    {"@@Ak", "@@Ak", "xDOP Hysteresis [VP]", 9, "FFFF"},  // 10
    {"@@Al", "@@Al", "3-D to 2-D Threshold [VP]", 9, "FFFF"},  // 11
    {"@@Am", "@@Am", "Satellite Ignore List [VP]", 12, "FF00000000"},  // 12
    {"@@An", "@@An", "Almanac Update Option [VP]", 8, "FF"},  // 13
    {"@@Ao", "@@Ao", "Datum ID Code (@@Ap response) [VP, UT, GT>1.6, M12]", 8, "FF"},  // 14
    {"@@Ap", "@@Ap", "User Defined Datums [VP, UT, GT>1.6, M12]", 25, "320000000000000000000000000000000000"},  // 15
    {"@@Aq", "@@Aq", "Ionosphere Correction Option [VP, UT>2.0, GT>2.0, M12]", 8, "FF"},  // 16
    {"@@Ar", "@@Ar", "Position Fix Algorithm Type (also undocumented controls) [VP]", 8, "FF"},  // 17
    {"@@As", "@@As", "Hold Position Parameters [VP, UT>2.0, M12]", 20, "7FFFFFFF7FFFFFFF7FFFFFFFFF"},  // 18
    {"@@At", "@@At", "Position-Hold Option [VP, UT>2.0]", 8, "FF"},  // 19
    {"@@Au", "@@Au", "Altitude-Hold Height Parameter [VP, GT>2.0, M12]", 12, "7FFFFFFFFF"},  // 20
    {"@@Av", "@@Av", "Altitude-Hold Option [VP, GT>2.0]", 8, "FF"},  // 21
    {"@@Aw", "@@Aw", "UTC Time Correction Option [VP, UT, GT]", 8, "FF"},  // 22
    {"@@Ax", "@@Ax", "Measurement Epoch Offset Option [VP]", 9, "FFFF"},  // 23
    {"@@Ay", "@@Ay", "1PPS Time Offset Option [VP, UT>2.0, M12]", 11, "FFFFFFFF"},  // 24
    {"@@Az", "@@Az", "1PPS Cable Delay Option [VP, UT, M12]", 11, "FFFFFFFF"},  // 25
    {"@@AA", "@@AA", "Ephemeris Hold Option [VP]", 8, "FF"},  // 26
    {"@@AB", "@@AB", "Application Type [VP]", 8, "FF"},  // 27
    {"@@AC", "@@AC", "2-D to 3-D HDOP Threshold [VP]", 9, "FFFF"},  // 28
    {"@@AD", "@@AD", "Correction Thresholds [VP]", 9, "FFFF"},  // 29
    {"@@AE", "@@AE", "Output Align [VP]", 8, "FF"},  // 30
    {"@@AJ", "@@AJ", "Differential Time-Out Message [VP]", 8, "FF"},  // 31
    {"@@AM", "@@AM", "Position Lock Parameter Message [M12]", 11, "FFFFFFFF"},  // 32
    {"@@AN", "@@AN", "Velocity Filter [GT>2.0, M12]", 8, "FF"},  // 33
    {"@@AO", "@@AO", "RTCM Port Mode [GT>2.0, M12]", 8, "FF"},  // 34
    {"@@AP", "@@AP", "Pulse Mode [UT+, M12]", 8, "FF"},  // 35
    {"@@AQ", "@@AQ", "Position Filter Select [M12]", 8, "FF"},  // 36
    {"@@AS", "@@AS", "Position Lock Select [M12]", 8, "00"},  // 37
    {"@@Ba", "@@Ba", "6-Channel Position/Status/Data Output Message [VP]", 8, "00"},  // 38
    {"@@Bb", "@@Bb", "Visible Satellite Status Message [VP, UT>2.0, GT>1.6, M12]", 8, "00"},  // 39
    {"@@Bc", "@@Bc", "6-Channel xDOP Table Status Message [VP]", 8, "00"},  // 40
    {"@@Bd", "@@Bd", "Almanac Status Message [VP]", 8, "00"},  // 41
    {"@@Be", "@@Be", "Almanac Data Output Message (@@Cb response) [VP, UT, GT, M12]", 8, "00"},  // 42
    {"@@Bf", "@@Bf", "Input Ephemeris Data (@@Cc response) [VP, GT>1.6]", 80, ""},  // 43
    {"@@Bg", "@@Bg", "6-Channel Satellite Range Data Output Message [VP]", 8, "00"},  // 44
    {"@@Bh", "@@Bh", "Output Pseudorange Correction Output Message (@@Ce response) [VP]", 8, "00"},  // 45
    {"@@Bi", "@@Bi", "Ephemeris Data Output Message (@@Bf response) [VP]", 8, "00"},  // 46
    {"@@Bj", "@@Bj", "Leap Second Pending Status Message [VP, UT]", 8, "00"},  // 47
    {"@@Bk", "@@Bk", "6-Channel Position/Status/Data Extension Message [VP]", 8, "00"},  // 48
    {"@@Bl", "@@Bl", "Satellite Broadcast Data Message [VP]", 8, "00"},  // 49
    {"@@Bn", "@@Bn", "6-Channel Time RAIM Setup and Status Message [VP]", 22, "010100050100000000000000000000"},  // 50
    {"@@Bo", "@@Bo", "UTC Offset Status Message [UT>2.0, M12]", 8, "00"},  // 51
    {"@@Bp", "@@Bp", "Request Ionospheric Data (@@Co response) [M12]", 8, "00"},  // 52
    {"@@Ca", "@@Ca", "6-Channel Self-Test [VP]", 9, ""},  // 53
    {"@@Cb", "@@Cb", "Input Almanac Data (@@Ch response) [VP, UT, GT, M12]", 33, ""},  // 54
    {"@@Cd", "@@Cd", "6-Channel Alert-Planning [VP]", 27, ""},  // 55
    {"@@Ce", "@@Ce", "Input Pseudorange Correction (@@Ck response) [VP, GT>1.6, M12]", 52, ""},  // 56
    {"@@Cf", "@@Cf", "Set-to-Defaults [VP, UT, GT, M12]", 7, ""},  // 57
    {"@@Cg", "@@Cg", "Position Fix/Idle Mode Option [VP]", 8, "02"},  // 58
    {"@@Ci", "@@Ci", "Switch I/O Format (no response) [VP, GT>2.0, M12]", 8, "01"},  // 59
    {"@@Cj", "@@Cj", "Request the Receiver ID String", 7, ""},  // 60
    {"@@Ea", "@@Ea", "8-Channel Position/Status/Data Output Message [VP, UT, GT]", 8, "00"},  // 61
    {"@@Ec", "@@Ec", "8-Channel xDOP Table Status Message [VP]", 8, "00"},  // 62
    {"@@Eg", "@@Eg", "8-Channel Satellite Range Data Output Message [VP]", 8, "00"},  // 63
    {"@@Ek", "@@Ek", "8-Channel Position/Status/Data Extension Message [VP]", 8, "00"},  // 64
    {"@@En", "@@En", "8-Channel Time RAIM Setup and Status Message [VP, UT]", 22, "010100050100000000000000000000"},  // 65
    {"@@Eq", "@@Eq", "Request ASCII Position Message [GT>1.6, M12]", 8, "00"},  // 66
    {"@@Fa", "@@Fa", "8-Channel Self-Test [VP, UT, GT]", 7, ""},  // 67
    {"@@Fd", "@@Fd", "8-Channel Alert-Planning [VP]", 27, ""},  // 68
    {"@@Ga", "@@Ga", "Combined Position Message [M12]", 20, "FFFFFFFFFFFFFFFFFFFFFFFFFF"},  // 69
    {"@@Gb", "@@Gb", "Combined Time Message [M12]", 17, "FFFFFFFFFFFFFFFFFFFF"},  // 70
    {"@@Gc", "@@Gc", "PPS Control Message [M12]", 8, "FF"},  // 71
    {"@@Gd", "@@Gd", "Position Control Message [M12]", 8, "FF"},  // 72
    {"@@Ge", "@@Ge", "Time RAIM Select Message [M12]", 8, "FF"},  // 73
    {"@@Gf", "@@Gf", "Time RAIM Alarm Message [M12]", 9, "FFFF"},  // 74
    {"@@Gj", "@@Gj", "Leap Second Pending Message [M12]", 7, ""},  // 75
    {"@@Gk", "@@Gk", "Tag Message [M12]", 13, "2A2A2A2A2A2A"},  // 76
    {"@@Ha", "@@Ha", "12-Channel Position/Status/Data Output Message [M12]", 8, "00"},  // 77
    {"@@Hb", "@@Hb", "12-Channel Short Position Data Message [M12]", 8, "00"},  // 78
    {"@@Hn", "@@Hn", "Request Time RAIM Status [M12]", 8, "00"},  // 79
    {"@@Hq", "@@Hq", "Request Oscillator Learning Table [M12]", 7, ""},  // 80
    {"@@Hr", "@@Hr", "Inverse Differential with Pseudorange Output", 14, "002A2A2A2A2A2A"},  // 81
    {"@@Ia", "@@Ia", "12-Channel Self-Test [M12]", 7, ""},  // 82
    {"@@Sa", "@@Sa", "M8F/T: Query Satellite Tracking Information", 8, "00"},  // 83
    {"@@Sc", "@@Sc", "M8F/T: Set Constellation Mode", 8, "00"},  // 84
    {"@@Sm", "@@Sm", "M8F/T: Save configuration to non-volatile memory", 8, "01"},  // 85
    {"@@So", "@@So", "M8F/T: Configure which Sat Info Reported By @@Ha, @@Hn, @@Bb", 8, "00"},  // 86
    {"@@Sp", "@@Sp", "M8F/T: Report Current Number of Leap Seconds", 7, ""},  // 87
    {"@@SP", "@@SP", "2nd PPS Frequency [SSR-M8T]", 11, "FFFFFFFF"},  // 88
    {"@@St", "@@St", "M8F/T: Set Date/Time/PPS Alignment", 8, "00"},  // 89
    {"@@Sx", "@@Sx", "M8F/T: Query GNSS Receiver Type", 7, ""},  // 90
    {"@@Ti", "@@Ti", "Request Crystal Temperature and RAM Data [M12]", 7, ""},  // 91
    {"@@Tj", "@@Tj", "R/W Oscillator Data From/To FLASH [M12]", 27, "FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF"},  // 92
    {"@@Tk", "@@Tk", "R/W Manufacturing Data From/To FLASH [M12]", 65, ""},  // 93
    {"@@Tm", "@@Tm", "R/W Temp Sensor Cal Data From/To FLASH [M12]", 19, "FFFFFFFFFFFFFFFFFFFFFFFF"},  // 94
    {"@@Tr", "@@Tr", "DSP Data [M12]", 8, "00"},  // 95
    {"@@Ts", "@@Ts", "Zero Bias Temperature [M12]", 17, "FFFFFFFFFFFFFFFFFFFF"},  // 96
    {"@@Wb", "@@Wb", "Switch to uBlox binary mode (Synergy proprietary)", 9, "0134"},  // 97
    {"@@Wc", "@@Wc", "Switch to boot loader (Synergy proprietary)", 7, ""},  // 98
    {"@@Wm", "@@Wm", "Change Model Number (Synergy proprietary)", 22, "202020202020202020202020202020"},  // 99
    {"@@Wp", "@@Wp", "Change HW Part Number (Synergy proprietary)", 22, "202020202020202020202020202020"},  // 100
    {"@@Wq", "@@Wq", "Change SW Part Number (Synergy proprietary)", 22, "202020202020202020202020202020"},  // 101
    {"@@Ws", "@@Ws", "Change Serial Number (Synergy proprietary)", 19, "202020202020202020202020"},  // 102
    {"$GPGGA", "$PMOTG,GGA,", "GPS Fix Data - rate secs, 0000 = poll once [VP, GT>2.0, SSR]", 19, "0000"},  // 103
    {"$GPRMC", "$PMOTG,RMC,", "Recommended Minimum GPS Data - rate secs [VP, GT>2.0, SSR]", 19, "0000"},  // 104
    {"$GPGLL", "$PMOTG,GLL,", "Geographic Position Lat/Lon - rate secs [VP, GT>2.0, SSR]", 19, "0000"},  // 105
    {"$GPGSA", "$PMOTG,GSA,", "GPS DOP and Active Satellites - rate secs [VP, GT>2.0, SSR]", 19, "0000"},  // 106
    {"$GPGSV", "$PMOTG,GSV,", "GPS Satellites in View - rate secs [VP, GT>2.0, SSR]", 19, "0000"},  // 107
    {"$GPVTG", "$PMOTG,VTG,", "Track Made Good and Ground Speed - rate secs [VP, GT>2.0, SSR]", 19, "0000"},  // 108
    {"$GPZDA", "$PMOTG,ZDA,", "Time and Date - rate secs [VP, GT>2.0, SSR]", 19, "0000"},  // 109
    {"FOR", "$PMOTG,FOR,", "Return to Motorola binary mode [VP, GT>2.0, SSR]", 16, "0"},  // 110
    {"@@Wb", "@@Wb", "Change baud rate without leaving NMEA [SSR V4.21+]", 9, "0134"},  // 111
    {"AID-HUI", "B5620B020000", "Poll for GPS Health, UTC and ionosphere parameters", 0, ""},  // 112
    {"CFG-PRTa", "B56206000000", "Poll the configuration of the used I/O Port", 0, ""},  // 113
    {"CFG-PRTb", "B56206001400", "Set Port Configuration for UART", 20, "01000000D0080000802500000100010000000000"},  // 114
    {"CFG-MSG", "B56206010300", "Set Message Rate (CFG-MSG) for some message", 3, "012101"},  // 115
    {"CFG-TP", "B56206070000", "Poll TimePulse Parameters (CFG-TP)", 0, ""},  // 116
    {"CFG-TMODE", "B562061D0000", "Poll Time Mode Settings (CFG-TMODE)", 0, ""},  // 117
    {"CFG-NAV5", "B56206240000", "Poll Navigation Engine Settings (CFG-NAV5)", 0, ""},  // 118
    {"CFG-TP5", "B56206310000", "Poll TimePulse Parameters (CFG-TP5)", 0, ""},  // 119
    {"MON-VER", "B5620A040000", "Poll for Rx information (MON-VER)", 0, ""},  // 120
    {"$GPDTM", "B56206010300F00A", "Datum Reference", 1, "01"},  // 121
    {"$GPGBS", "B56206010300F009", "Satellite Fault Detection", 1, "01"},  // 122
    {"$GPGGA", "B56206010300F000", "GPS Fix Data", 1, "01"},  // 123
    {"$GPGLL", "B56206010300F001", "Lat/Long, time of position fix, status", 1, "01"},  // 124
    {"$EIGPQ", "B56206010300F040", "Poll a message", 1, "01"},  // 125
    {"$GPGRS", "B56206010300F006", "GNSS Range Residuals", 1, "01"},  // 126
    {"$GPGSA", "B56206010300F002", "GNSS DOP and Active Satellites", 1, "01"},  // 127
    {"$GPGST", "B56206010300F007", "GNSS Pseudo Range Error Statistics", 1, "01"},  // 128
    {"$GPGSV", "B56206010300F003", "GNSS Satellites in View", 1, "01"},  // 129
    {"$GPRMC", "B56206010300F004", "Recommended Minimum data", 1, "01"},  // 130
    {"$GPTXT", "B5620602010001", "Text Transmission", 0, ""},  // 131
    {"$GPVTG", "B56206010300F005", "Course over ground and Ground speed", 1, "01"},  // 132
    {"$GPZDA", "B56206010300F008", "Time and Date", 1, "01"},  // 133
    {"$GPALM", "$GPALM,", "Almanac Information", -1, "),,,,,,,,,,,,,,"},  // 134
    {"$PGRMI", "$PGRMI,", "Initialization Information", -1, "),,,,,,"},  // 135
    {"$PGRMC", "$PGRMC,", "Configuration Information", -1, "),,,,,,,,,,,"},  // 136
    {"$PGRMO", "$PGRMO,", "Output Sentence Enable/Disable", -1, "),"},  // 137
    {"$PZQK", "$PZQK,", "Proprietary Functions", -1, "SETUP"},  // 138
};

}  // namespace

ManualCommandTable::ManualCommandTable()
{
  rows.reserve(std::size(kRows));
  for (const Row &row : kRows) {
    rows.push_back({QString::fromLatin1(row.name), QString::fromLatin1(row.prefix),
                    QString::fromLatin1(row.description), row.length, QString::fromLatin1(row.defaults)});
  }
}

const ManualCommandRecord *ManualCommandTable::Find(ManualCommandGroup group, const QString &name) const
{
  const int first = qMax(0, group.first);
  const int end = qMin(size(), group.first + qMax(0, group.count));
  for (int row = first; row < end; ++row) {
    if (rows[static_cast<size_t>(row)].name == name)
      return &rows[static_cast<size_t>(row)];
  }
  return nullptr;
}

ManualCommandListChoice ChooseManualCommandGroup(quint32 model, quint32 mode)
{
  ManualCommandListChoice choice;
  const bool synergy = model >= 22 && model <= 25;
  const bool motorola = (model >= 1 && model <= 12) || model == 18 || model == 19 || model == 21;
  if (synergy || motorola) {
    if (mode == GpsModeMotorolaNmea) {
      choice.chosen = true;
      choice.group = ManualCommandGroups::MotorolaNmea;
    } else if (mode == GpsModeMotorolaBinary) {
      choice.chosen = true;
      choice.group = ManualCommandGroups::Oncore;
      // Older Motorola receivers know only the constellation command of the
      // Synergy "@@S" family.
      choice.hideSynergyQueries = motorola;
    }
  } else if (model == 20) {
    if (mode == GpsModeUbloxUbx) {
      choice.chosen = true;
      choice.group = ManualCommandGroups::Ubx;
    } else if (mode == GpsModeUbloxNmea) {
      choice.chosen = true;
      choice.group = ManualCommandGroups::UbxNmeaRate;
    }
  } else {
    choice.chosen = true;
    choice.group = ManualCommandGroups::NmeaText;
  }
  return choice;
}

QStringList ManualCommandNames(const ManualCommandTable &table, const ManualCommandListChoice &choice)
{
  QStringList names;
  if (!choice.chosen)
    return names;
  const int end = qMin(table.size(), choice.group.first + choice.group.count);
  for (int row = qMax(0, choice.group.first); row < end; ++row) {
    const QString &name = table.at(row).name;
    if (choice.hideSynergyQueries && !name.contains(QLatin1String("@@Sc")) && name.contains(QLatin1String("@@S")))
      continue;
    names << name;
  }
  return names;
}
