#include "app/SatelliteTable.h"

#include "core/GpsMode.h"

#include <algorithm>

const char *const SortButtonSelectedStyle =
    "QPushButton {border: 1px solid silver;background-color: aqua;background-color: "
    "qlineargradient(x1: 0, y1: 0, x2: 1, y2: 1, stop: 0 white, stop: 1 aqua);}";
const char *const SortButtonPlainStyle =
    "QPushButton {border: 1px solid silver;border-color: qlineargradient(x1: 0, y1: 0, x2: 1, "
    "y2: 1, stop: 0 silver, stop: 1 black);border-radius: 3px;background-color: transparent;}";

namespace {

constexpr quint8 StatusUsed = 0x80;
constexpr quint8 StatusMomentumAlert = 0x40;
constexpr quint8 StatusUnhealthy = 0x10;
constexpr quint8 StatusInaccurate = 0x08;
constexpr quint8 StatusBit0 = 0x01;  // parity error (Oncore), used (u-blox)

// Values a cell can show; others are not shown.
constexpr int MaxShownIdentifier = 255;
constexpr int MaxShownElevation = 90;
constexpr int MaxShownAzimuth = 359;
constexpr int MaxShownCno = 63;  // for a used satellite

bool SameRecord(const SatelliteRecord &a, const SatelliteRecord &b)
{
  return a.identifier == b.identifier && a.elevation == b.elevation && a.azimuth == b.azimuth &&
         a.cno == b.cno && a.inChannel == b.inChannel && a.channelMode == b.channelMode &&
         a.status == b.status && a.trend == b.trend;
}

bool AtOrigin(const SatelliteRecord &r) { return r.elevation == 0 && r.azimuth == 0; }

// A piece list "a, b, " without its final ", ".
QString WithoutFinalSeparator(QString text)
{
  if (text.size() >= 3)
    text.chop(2);
  return text;
}

void CompareRow(const SatelliteRecord &r, const SatelliteRecord &cached, quint32 gpsMode,
                SatelliteRowWrites &w)
{
  const bool otherSatellite = r.identifier != cached.identifier;

  if (otherSatellite) {
    w.identifier = true;
    w.identifierText = r.identifier <= MaxShownIdentifier ? QString::number(r.identifier) : QString();
  }

  // A value out of range leaves the cell as it was for the same satellite;
  // for another satellite the cell is emptied rather than left showing the
  // previous satellite's value.
  const bool originChanged = AtOrigin(r) != AtOrigin(cached);
  if (otherSatellite || r.elevation != cached.elevation || r.trend != cached.trend || originChanged) {
    if (r.elevation <= MaxShownElevation) {
      w.elevation = true;
      w.elevationText = AtOrigin(r) ? QString()
                                    : QStringLiteral("%1").arg(r.elevation, 2, 10, QLatin1Char('0')) +
                                          TrendArrowText(r.trend);
    } else if (otherSatellite) {
      w.elevation = true;
    }
  }
  if (otherSatellite || r.azimuth != cached.azimuth || originChanged) {
    if (r.azimuth <= MaxShownAzimuth) {
      w.azimuth = true;
      w.azimuthText = AtOrigin(r) ? QString() : QString::number(r.azimuth);
    } else if (otherSatellite) {
      w.azimuth = true;
    }
  }

  const bool used = gpsMode == GpsModeUbloxUbx || (r.status & StatusUsed);
  if (otherSatellite || r.cno != cached.cno) {
    if (!used || r.cno <= MaxShownCno) {
      w.cno = true;
      w.cnoText = QString::number(r.cno);
      w.barValue = CnoBarValue(r.cno);
      w.barVisible = true;
    } else if (otherSatellite) {
      w.cno = true;  // empty, bar hidden
    }
  }
  if (otherSatellite || r.status != cached.status || r.channelMode != cached.channelMode) {
    w.barText = true;
    w.barTextValue = used ? SystemAndHealthText(r, gpsMode) : TrackingStateText(r.channelMode);
  }
}

void BlankRow(const SatelliteRecord &cached, SatelliteRowWrites &w)
{
  if (cached.identifier != 0)
    w.identifier = true;
  if (cached.elevation != -1 || cached.azimuth != -1) {
    w.elevation = true;
    w.azimuth = true;
  }
  if (cached.cno != -1)
    w.cno = true;  // empty, bar value 0 and hidden
}

}  // namespace

bool SatelliteRecordLessPrn(const SatelliteRecord &a, const SatelliteRecord &b)
{
  return a.identifier < b.identifier;
}

bool SatelliteRecordGreaterEl(const SatelliteRecord &a, const SatelliteRecord &b)
{
  return b.elevation < a.elevation;
}

bool SatelliteRecordLessAzm(const SatelliteRecord &a, const SatelliteRecord &b)
{
  return a.azimuth < b.azimuth;
}

bool SatelliteRecordGreaterCNo(const SatelliteRecord &a, const SatelliteRecord &b)
{
  return b.cno < a.cno;
}

void SortSatelliteRecords(SatelliteRecord *records, int count, int sortMode)
{
  using Less = bool (*)(const SatelliteRecord &, const SatelliteRecord &);
  static const Less comparators[] = {SatelliteRecordLessPrn, SatelliteRecordGreaterEl,
                                     SatelliteRecordLessAzm, SatelliteRecordGreaterCNo};
  if (sortMode < SatelliteSortModes::Prn || sortMode > SatelliteSortModes::Cno || count <= 1)
    return;
  std::stable_sort(records, records + count, comparators[sortMode]);
}

bool IsSatelliteShown(const SatelliteRecord &r, quint32 gpsMode)
{
  if (r.identifier == 0 || r.elevation < 0 || r.azimuth < 0)
    return false;
  if (gpsMode == GpsModeUbloxUbx)
    return r.cno != 0;
  return r.identifier <= SatelliteArraySize && (r.cno != 0 || r.channelMode == 8);
}

QString TrendArrowText(int trend)
{
  if (trend > 0)
    return QStringLiteral(" \u2191");
  if (trend < 0)
    return QStringLiteral(" \u2193");
  return QStringLiteral("  ");
}

int CnoBarValue(int cno)
{
  if (cno < 17)
    return 16;
  return std::min(cno, 55);
}

QString TrackingStateText(int channelMode)
{
  static const char *const states[] = {"Code Search",     "Code Acquire",        "AGC Set",
                                       "Freq Acquire",    "Bit Sync Detect",     "Message Sync Detect",
                                       "Time Available",  "Ephemeris Acquire",   "Available"};
  if (channelMode < 0 || channelMode > 8)
    return QStringLiteral("Not Locked");
  return QString::fromLatin1(states[channelMode]);
}

QString SatelliteSystemText(int id)
{
  if (id <= 32)
    return QStringLiteral("GPS, ");
  if (id >= 120 && id <= 158)
    return QStringLiteral("SBAS, ");
  if (id >= 211 && id <= 246)
    return QStringLiteral("Galileo, ");
  if ((id >= 159 && id <= 163) || (id >= 33 && id <= 64))
    return QStringLiteral("BeiDou, ");
  if (id >= 173 && id <= 182)
    return QStringLiteral("IMES, ");
  if (id >= 183 && id <= 197)
    return QStringLiteral("QZSS, ");
  if ((id >= 65 && id <= 96) || id == 255)
    return QStringLiteral("GLONASS, ");
  return QString();
}

QString SbasSatelliteName(int identifier)
{
  switch (identifier) {
  case 120: return QStringLiteral("EGNOS AOR-E 15\u00B0W, ");
  case 121: return QStringLiteral("EMEA 25\u00B0E, ");
  case 122: return QStringLiteral("PAC-C, ");
  case 124: return QStringLiteral("EGNOS 21.5\u00B0E, ");
  case 126: return QStringLiteral("EGNOS IND-W 25\u00B0E, ");
  case 127: return QStringLiteral("GAGAN 82\u00B0E, ");
  case 128: return QStringLiteral("GAGAN 55\u00B0E, ");
  case 129: return QStringLiteral("MSAS 140\u00B0E, ");
  case 130: return QStringLiteral("IOR 142.5\u00B0E, ");
  case 131: return QStringLiteral("EGNOS IOR 64\u00B0E, ");
  case 133: return QStringLiteral("WAAS AMER 98\u00B0W, ");
  case 134: return QStringLiteral("WAAS POR 178\u00B0E, ");
  case 135: return QStringLiteral("WAAS 133\u00B0W, ");
  case 136: return QStringLiteral("INMARSAT 8\u00B0E, ");
  case 137: return QStringLiteral("MSAS 145\u00B0E, ");
  case 138: return QStringLiteral("WAAS 107\u00B0W, ");
  default: return QString();
  }
}

QString SystemAndHealthText(const SatelliteRecord &r, quint32 gpsMode)
{
  QString text;
  if (IsUbloxMode(gpsMode)) {
    if (r.identifier >= 120 && r.identifier <= 138)
      text += SbasSatelliteName(r.identifier);
    text += SatelliteSystemText(r.identifier);
    if (!IsSatelliteUsed(r, gpsMode))
      text += QStringLiteral("Not Used, ");
    if (r.status & StatusUnhealthy)
      text += QStringLiteral("Unhealthy, ");
  } else {
    text += SatelliteSystemText(r.identifier);
    if (r.status & StatusMomentumAlert)
      text += QStringLiteral("Momentum Alert, ");
    if (r.status & StatusUnhealthy)
      text += QStringLiteral("Unhealthy, ");
    if (r.status & StatusInaccurate)
      text += QStringLiteral("SA, ");
    if (r.status & StatusBit0)
      text += QStringLiteral("Parity Error, ");
  }
  return WithoutFinalSeparator(text);
}

SortButtonPress PressSortButton(int currentMode, int column)
{
  SortButtonPress press;
  press.newMode = currentMode;
  if (column < 0 || column > 3)
    return press;
  const bool sorted = currentMode >= SatelliteSortModes::Prn && currentMode <= SatelliteSortModes::Cno;
  if (!sorted) {
    press.selectedButton = column;
    press.newMode = column;
  } else if (currentMode == column) {
    press.plainButton = column;
    press.newMode = SatelliteSortModes::Unsorted;
  } else {
    press.plainButton = currentMode;
    press.selectedButton = column;
    press.newMode = column;
  }
  return press;
}

SatelliteRecord BlankTableRow()
{
  SatelliteRecord blank;
  blank.elevation = -1;
  blank.azimuth = -1;
  blank.cno = -1;
  return blank;
}

SatelliteTablePass RefreshSatelliteTable(SatelliteRecord *satellites, SatelliteRecord *display,
                                         SatelliteRecord *rowCache, int sortMode, quint32 gpsMode)
{
  SatelliteTablePass pass;
  if (gpsMode == GpsModeUbloxUbx) {
    for (int i = 0; i < SatelliteArraySize; ++i)
      if (!(satellites[i].status & StatusBit0))
        satellites[i].cno = 0;
  }
  std::array<SatelliteRecord, SatelliteArraySize> sorted;
  std::copy(satellites, satellites + SatelliteArraySize, sorted.begin());
  SortSatelliteRecords(sorted.data(), SatelliteArraySize, sortMode);
  pass.displayChanged = !std::equal(sorted.begin(), sorted.end(), display, SameRecord);
  std::copy(sorted.begin(), sorted.end(), display);

  int row = 0;
  for (int i = 0; i < SatelliteArraySize && row < SatelliteTableRows; ++i) {
    const SatelliteRecord &record = display[i];
    if (!IsSatelliteShown(record, gpsMode))
      continue;
    CompareRow(record, rowCache[row], gpsMode, pass.rows[row]);
    rowCache[row] = record;
    ++row;
  }
  pass.shownCount = row;

  for (; row < SatelliteTableRows; ++row) {
    BlankRow(rowCache[row], pass.rows[row]);
    rowCache[row] = BlankTableRow();
  }

  for (const SatelliteRowWrites &w : pass.rows)
    pass.touched = pass.touched || w.Any();
  return pass;
}
