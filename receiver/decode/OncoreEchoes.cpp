#include "receiver/decode/OncoreEchoes.h"

#include "core/MonthNames.h"
#include "receiver/decode/FieldReaders.h"

#include <QStringList>

#include <cstring>

namespace {

constexpr double MilliarcsecondsPerDegree = 3600000.0;

using E = OncoreEchoEffect;
using T = OncoreEchoTail;

double Degrees(const QByteArray &m, int offset)
{
  return GetBigEndianI32(m, offset) / MilliarcsecondsPerDegree;
}
double Metres(const QByteArray &m, int offset) { return GetBigEndianI32(m, offset) / 100.0; }
double Tenths(const QByteArray &m, int offset) { return GetBigEndianU16(m, offset) / 10.0; }

// Each byte as the character of the same code (0 to 255), zero bytes kept.
QString ByteCharacters(const QByteArray &m, int from, int count)
{
  QString text;
  for (int i = from; i < from + count && i < m.size(); ++i)
    text += QChar(ushort(quint8(m.at(i))));
  return text;
}

QString Hex(const QByteArray &m, int from, int count)
{
  QString text;
  for (int i = from; i < from + count; ++i)
    text += QString::asprintf("<%.2X>", unsigned(GetU8(m, i)));
  return text;
}

// "@@Sa": date, time, counts and 24 satellite records.
QString SatelliteStatus(const QByteArray &m)
{
  QString text = QString::asprintf(
      "%.2u/%.2u/%.4d, %.2u:%.2u:%.2u, SV=%u, ST=%u, ", unsigned(GetU8(m, 4)),
      unsigned(GetU8(m, 5)), GetBigEndianU16(m, 6), unsigned(GetU8(m, 8)), unsigned(GetU8(m, 9)),
      unsigned(GetU8(m, 10)), unsigned(GetU8(m, 11)), unsigned(GetU8(m, 12)));
  for (int k = 0; k < 24; ++k) {
    const int r = 13 + 7 * k;
    text += QString::asprintf("[SVID %.1u, Type %.1u, C/No=%.1u, AZ=%.1d, EL=%.1u, Used=%.1u]",
                              unsigned(GetU8(m, r)), unsigned(GetU8(m, r + 1)),
                              unsigned(GetU8(m, r + 2)), GetBigEndianU16(m, r + 3),
                              unsigned(GetU8(m, r + 5)), unsigned(GetU8(m, r + 6)));
  }
  return text;
}

// "@@Tr": twelve DSP records of 49 bytes and a closing u16.
QString DspData(const QByteArray &m)
{
  QString text;
  for (int k = 0; k < 12; ++k) {
    const int r = 4 + 49 * k;
    if (k > 0)
      text += QStringLiteral(", ");
    auto u8 = [&m, r](int i) { return unsigned(GetU8(m, r + i)); };
    text += QString::asprintf("%.2u, %u, %.2u, %u, %.2u", u8(0), u8(1), u8(2), u8(3), u8(4));
    text += QString::asprintf(", %11.9f", GetBigEndianU24(m, r + 5) + GetI8(m, r + 8) / 256.0);
    text += QString::asprintf(", %u, %u, %u", u8(9), u8(10), u8(11));
    text += QString::asprintf(", %11.9f", GetBigEndianI32(m, r + 12) * 1023000.0 / 16777216.0);
    text += QString::asprintf(", %06.4f", GetI8(m, r + 16) + GetI8(m, r + 17) / 256.0);
    text += QString::asprintf(", %11.9f",
                              GetBigEndianI32(m, r + 20) + GetBigEndianU16(m, r + 18) / 65536.0);
    text += QString::asprintf(", %11.9f",
                              GetBigEndianI32(m, r + 26) + GetBigEndianU16(m, r + 24) / 65536.0);
    text += QString::asprintf(", %d", GetBigEndianU16(m, r + 30));
    for (int i = 32; i <= 48; ++i)
      text += QString::asprintf(", %u", u8(i));
  }
  text += QString::asprintf(", %d", GetBigEndianU16(m, 592));
  return text;
}

const char *const constellationNames[8] = {"GPS",  "GLONASS",  "Galileo",  "Beidou",
                                           "QZSS", "other #1", "Other #2", "SBAS"};

using Message = const QByteArray &;

// A row whose byte 4 picks a word from `words`.
constexpr OncoreEcho Words(const char *id, int length, const char *label, const char *words,
                           const char *other, const char *suffix = "", E effect = E::None,
                           T tail = T::Common)
{
  return OncoreEcho{id, length, label, words, other, suffix, nullptr, false, effect, tail};
}

// A row whose value is formatted (or, without a format, a bare label).
constexpr OncoreEcho Value(const char *id, int length, const char *label,
                           QString (*format)(Message), E effect = E::None, T tail = T::Common)
{
  return OncoreEcho{id, length, label, nullptr, "", "", format, false, effect, tail};
}

// Formats several rows share.
QString ByteInt(Message m) { return QString::asprintf("%i", int(GetU8(m, 4))); }
QString TenthsValue(Message m) { return QString::asprintf("%f", Tenths(m, 4)); }
QString DegreesValue(Message m) { return QString::asprintf("%010.8f degrees", Degrees(m, 4)); }
QString HeightValue(Message m) { return QString::asprintf("%04.2f meters (WGS84)", Metres(m, 4)); }
QString PartNumber(Message m) { return ByteCharacters(m, 4, 15); }

constexpr const char *Enabled = "DISABLED|ENABLED";
constexpr const char *Illegal = "UNKNOWN (illegal value)";
constexpr T Setup = T::IdWindowAndConfig;

// One row per identifier: identifier, framed bytes read, label, then the
// words or the format, what the message changes and where its line goes.
const OncoreEcho echoTable[] = {
    // "@@A": setting echoes.
    Words("AA", 5, "Current Ephemeris Hold mode  ", Enabled, ""),
    Words("AB", 5, "Application Type set to  ", "AIR|HANDHELD|LAND|MARINE", "STATIC"),
    Value("AC", 6, "Current 2-D to 0-D DOP Threshold is ", &TenthsValue),
    Value("AD", 6, "Correction Timer Thresholds (seconds): ",
          [](Message m) {
            return QString::asprintf("Position Fix = %i, DGPS Output = %i", int(GetU8(m, 4)),
                                     int(GetU8(m, 5)));
          }),
    Words("AE", 5, "Output Align-to-Minute Mode ", Enabled, "ERROR"),
    Value("AJ", 5, "Current Differential Time-out (seconds) = ", &ByteInt),
    Value("AM", 8, "",
          [](Message m) {
            return QString::asprintf("%4.2f,%d", GetI8(m, 4) + GetI8(m, 5) / 100.0,
                                     GetBigEndianU16(m, 6));
          }),
    Value("AN", 5, "Current Velocity Filter = ", &ByteInt),
    Words("AO", 5, "RTCM Port set to ", "9600|4800|2400", "ERROR", " baud"),
    Words("AP", 5, "Pulse Mode set to ", "1PPS|100PPS", "ERROR", " output"),
    Words("AQ", 5, "Position Filter Select ", Enabled, "ERROR", "."),
    Words("AS", 5, "Position Lock Select ", Enabled, "ERROR"),
    Value("Aa", 7, "Time set to ",
          [](Message m) {
            return QString::asprintf("%02i:%02i:%02i UTC", int(GetU8(m, 4)), int(GetU8(m, 5)),
                                     int(GetU8(m, 6)));
          }),
    Value("Ab", 7, "GMT Correction set to ",
          [](Message m) {
            return QString::asprintf("%s%02i:%02i", GetU8(m, 4) == 0 ? "+" : "-",
                                     int(GetU8(m, 5)), int(GetU8(m, 6)));
          }),
    // The date echo's line starts with its label.
    OncoreEcho{"Ac", 8, "Date set to ", nullptr, "", "",
               [](Message m) {
                 return MonthAbbreviation(GetI8(m, 4)) +
                        QString::asprintf(" %02i, %02i UTC", int(GetU8(m, 5)),
                                          GetBigEndianU16(m, 6));
               },
               true, E::None, T::Common},
    Value("Ad", 8, "Current Latitude set to ", &DegreesValue),
    Value("Ae", 8, "Current Longitude set to ", &DegreesValue),
    Value("Af", 8, "Current Height set to ", &HeightValue),
    Value("Ag", 5, "Elevation limit set to ",
          [](Message m) { return QString::asprintf("%i degrees", int(GetU8(m, 4))); }),
    Words("Ah", 5, "Satellite Selection Mode ",
          "AUTOMATIC (Best Geometry)|MANUAL|AUTOMATIC HIGHEST-IN-SKY", "ERROR"),
    Value("Ai", 6, "Current Satellite Assignment on Channel ",
          [](Message m) {
            return QString::asprintf("%i is Prn %i ", int(GetU8(m, 4)), int(GetU8(m, 5)));
          }),
    Words("Aj", 5, "Satellite Selection xDOP: ", "GDOP|PDOP|HDOP|VDOP|TDOP", "ERROR"),
    Value("Ak", 6, "Current xDop Hysteresis is ", &TenthsValue),
    Value("Al", 6, "Current 3-D to 2-D DOP Threshold is ", &TenthsValue),
    Value("Am", 9, "Satellite Ignore List ",
          [](Message m) {
            return GetU8(m, 4) == 0 ? QString::asprintf("Mask = 0x%08X", GetBigEndianU32(m, 5))
                                    : QStringLiteral("ERROR");
          }),
    Words("An", 5, "Current Almanac Update Mode is ", "NO-UPDATE|UPDATE", "ERROR"),
    Value("Ap", 22, "Datum Parameters: ",
          [](Message m) {
            return QString::asprintf(
                "ID %i: semi-major axis %5.3f, inverse flattening %11.9f, delta X %3.1f, "
                "delta Y %3.1f, delta Z %3.1f",
                int(GetI8(m, 4)), GetBigEndianU24(m, 5) + GetBigEndianU16(m, 8) / 1000.0,
                GetBigEndianU16(m, 10) + GetBigEndianI32(m, 12) / 100000000.0, Tenths(m, 16),
                Tenths(m, 18), Tenths(m, 20));
          }),
    Words("Aq", 5, "Corrections: ",
          "Ionospheric  and Tropospheric DISABLED|Ionospheric ENABLED, Tropospheric DISABLED|"
          "Ionospheric DISABLED, Tropospheric ENABLED|Ionospheric and Tropospheric ENABLED",
          "Ionospheric/Tropospheric MODE ERROR"),
    Words("Ar", 5, "Position Fix Mode ", "BEST-4|ALL-IN-VIEW", "ERROR"),
    Value("As", 16, "Position-Hold set to  ",
          [](Message m) {
            return QString::asprintf("%010.8f, %010.8f, %04.2f", Degrees(m, 4), Degrees(m, 8),
                                     Metres(m, 12));
          }),
    Words("At", 5, "Position Hold Mode ", "DISABLED|ENABLED|Automatic Site Survey in Progress",
          "ERROR", "", E::NavStatus),
    Value("Au", 8, "Altitude-Hold Height set to ", &HeightValue),
    Words("Av", 5, "Altitude Hold Mode ", Enabled, "ERROR"),
    Words("Aw", 5, "Time Correction Mode ",
          "GPS|UTC|Serial port = GPS, 1PPS sync = UTC|||Serial port = UTC, 1PPS sync = GPS|"
          "Serial port = GPS, 1PPS sync = EPOCH|Serial port = UTC, 1PPS sync = EPOCH",
          "ERROR"),
    Value("Ax", 6, "Epoch offset set to ",
          [](Message m) { return QString::asprintf("%01i msec", GetBigEndianU16(m, 4)); },
          E::EpochOffset),
    // Shown as received: 4294967295 ns is 4294967.295 microseconds.
    Value("Ay", 8, "1pps offset set to ",
          [](Message m) {
            return QString::asprintf("%05.3f microseconds", GetBigEndianU32(m, 4) / 1000.0);
          },
          E::PpsOffset),
    Value("Az", 8, "1pps cable delay set to ",
          [](Message m) { return QString::asprintf("%01u nanoseconds", GetBigEndianU32(m, 4)); },
          E::CableDelay),

    // "@@G" set-up echoes and two configuration echoes.
    Value("Ga", 17, "Position Estimate set to ",
          [](Message m) {
            return QString::asprintf(
                "%010.8f degrees lat, %010.8f degrees lng, %4.2f meters %s altitude.",
                Degrees(m, 4), Degrees(m, 8), Metres(m, 12), GetU8(m, 16) == 0 ? "GPS" : "MSL");
          },
          E::None, Setup),
    Value("Gb", 14, "Time Estimate set to ",
          [](Message m) {
            return QString::asprintf(
                "%u, %u, %d, %u, %u, %u, %i, %i, %u.", unsigned(GetU8(m, 4)),
                unsigned(GetU8(m, 5)), GetBigEndianU16(m, 6), unsigned(GetU8(m, 8)),
                unsigned(GetU8(m, 9)), unsigned(GetU8(m, 10)), int(GetU8(m, 11)),
                int(GetU8(m, 12)), unsigned(GetU8(m, 13)));
          },
          E::None, Setup),
    Words("Gc", 5, "1PPS signal output set to ",
          "OFF|ALWAYS ON|ON IF AT LEAST ONE SATELLITE TRACKED|ON IF TRAIM PASSES", "ERROR", "",
          E::None, Setup),
    Words("Gd", 5, "Position Control set to ",
          "NORMAL|POSITION HOLD (0-D NAV)|ALTITUDE HOLD (2-D NAV)|AUTO-SURVEY", "ERROR", "",
          E::None, Setup),
    Words("Ge", 5, "TRAIM set to ", Enabled, "ERROR", "", E::None, Setup),
    Value("Gf", 6, "TRAIM Alarm Limit set to ",
          [](Message m) { return QString::asprintf("%01d", GetBigEndianU16(m, 4) * 100); },
          E::None, Setup),
    Value("Gk", 10, "Tag = ", [](Message m) { return ByteCharacters(m, 4, 6); }, E::None, Setup),
    Value("Cf", 4, "Receiver Set to Default Values", nullptr, E::None, T::ConfigOnly),
    Words("Cg", 5, "Receiver Mode ", "IDLE|POSITION FIX (i.e., not IDLE)", "ERROR", "", E::None,
          Setup),

    // "@@S": multi-GNSS messages.
    Value("SP", 8, "2nd PPS frequency is set to ",
          [](Message m) { return QString::asprintf("%2u Hz", GetBigEndianU32(m, 4)); }),
    Value("Sa", 181, "", &SatelliteStatus),
    Value("Sc", 5, "GNSS Constellation Mode is ",
          [](Message m) { return ConstellationNames(GetU8(m, 4), QStringLiteral(" & "), false); },
          E::Constellations),
    Words("Sm", 5, "GNSS Receiver save all settings to non-volitile memory = ",
          "no change|settings saved", "UNKNOWN, no change (illegal value)"),
    Words("So", 5, "GNSS Receiver @@Ha/Hn/Bb Message Configuration is ",
          "Output GNSS satellite information with highest SNR value|"
          "Output GNSS satellite information with highest elevation angle|"
          "Output only GPS constellation information|"
          "Output only GLONASS constellation information|"
          "Output only GALILEO constellation information|"
          "Output only BEIDOU constellation information|"
          "Output only SBAS + QZSS constellation information",
          Illegal),
    Value("Sp", 5, "GNSS Receiver current number of leap seconds = ",
          [](Message m) { return QString::asprintf("%i", int(GetI8(m, 4))); }),
    Words("St", 5, "GNSS Receiver Date/Time/PPS Alignment is ",
          "|GPS = UTC (USNO) with no leap seconds|UTC = UTC (USNO) with leap seconds|"
          "GLONASS = UTC (SU) with leap seconds|BEIDOU = UTC (China) with leap seconds|"
          "Galileo = UTC (EU) with leap seconds",
          Illegal),
    Value("Sx", 5, "GNSS Receiver Type is ",
          [](Message m) { return ConstellationNames(GetU8(m, 4), QStringLiteral(" + "), false); }),
    Value("Sz", 4, "System Power-On FAILURE.", nullptr),

    // "@@T": factory data. Oscillator and temperature-sensor data are not
    // decoded; they show as undecoded.
    Value("Tj", 4, "...", nullptr),
    Value("Tk", 62, "",
          [](Message m) { return QString::fromUtf8(m.mid(4, 55)) + Hex(m, 59, 3); }),
    Value("Tm", 4, "...", nullptr),
    Value("Tr", 594, "", &DspData),

    // "@@W": Synergy replies.
    Value("Wb", 6, "",
          [](Message m) {
            return QString::asprintf("%2.2X%2.2X", unsigned(GetU8(m, 4)), unsigned(GetU8(m, 5)));
          },
          E::WbReply),
    Value("Wm", 19, "", &PartNumber),
    Value("Wo", 6, "",
          [](Message m) {
            const int value = GetBigEndianU16(m, 4);
            return QString::asprintf("D/A value = %d (0x%02X)", value, unsigned(value));
          }),
    // Part numbers: the receiver's length table has no entry, so the
    // framer never delivers them; decoded like the model number all the same.
    Value("Wp", 19, "", &PartNumber),
    Value("Wq", 19, "", &PartNumber),
    Value("Ws", 4, "", [](Message m) { return ByteCharacters(m, 4, int(m.size()) - 4); }),
};

}  // namespace

const OncoreEcho *FindOncoreEcho(char first, char second)
{
  for (const OncoreEcho &echo : echoTable)
    if (echo.identifier[0] == first && echo.identifier[1] == second)
      return &echo;
  return nullptr;
}

QString OncoreEchoText(const OncoreEcho &echo, const QByteArray &message)
{
  QString text = QString::fromLatin1(echo.label);
  if (echo.format) {
    text += echo.format(message);
  } else if (echo.words) {
    const QStringList words = QString::fromLatin1(echo.words).split(QLatin1Char('|'));
    const int value = GetU8(message, 4);
    const QString word = value < words.size() ? words.at(value) : QString();
    text += word.isEmpty() ? QString::fromLatin1(echo.otherWord) : word;
    text += QString::fromLatin1(echo.suffix);
  }
  return text;
}

QString ConstellationNames(quint8 mask, const QString &separator, bool settingsOnly)
{
  QStringList names;
  for (int bit = 0; bit < 8; ++bit) {
    if (!(mask & (1u << bit)))
      continue;
    if (settingsOnly && (bit == 5 || bit == 6))
      continue;
    names << QString::fromLatin1(constellationNames[bit]);
  }
  if (names.isEmpty())
    return settingsOnly ? QStringLiteral("-") : QStringLiteral("NONE (illegal)");
  return names.join(separator);
}
