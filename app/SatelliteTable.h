#pragma once
// The satellite table of the main window as plain code: sorting the
// decoders' records, picking the sixteen worth showing, and working out
// which cells of rows 1..16 change against what each row shows now (the row
// cache). The main window only applies the writes to its widgets.

#include "core/SatelliteRecord.h"

#include <QString>
#include <QtGlobal>

#include <array>

// The values of SatelliteSortMode ("MainWindow/Satellite Sort Mode").
namespace SatelliteSortModes {
inline constexpr int Prn = 0;        // identifier ascending
inline constexpr int Elevation = 1;  // elevation descending
inline constexpr int Azimuth = 2;    // azimuth ascending
inline constexpr int Cno = 3;        // C/No descending
inline constexpr int Unsorted = 4;   // the array's own order
}  // namespace SatelliteSortModes

// Comparators of the sort modes 0..3.
bool SatelliteRecordLessPrn(const SatelliteRecord &a, const SatelliteRecord &b);
bool SatelliteRecordGreaterEl(const SatelliteRecord &a, const SatelliteRecord &b);
bool SatelliteRecordLessAzm(const SatelliteRecord &a, const SatelliteRecord &b);
bool SatelliteRecordGreaterCNo(const SatelliteRecord &a, const SatelliteRecord &b);

// Sorts `count` records by a sort mode; modes outside 0..3 leave the order.
// Equal keys keep their array order, so rows do not swap between redraws.
void SortSatelliteRecords(SatelliteRecord *records, int count, int sortMode);

// Whether a record is shown in the table in the given protocol mode.
bool IsSatelliteShown(const SatelliteRecord &record, quint32 gpsMode);

// " " and an up arrow (rising), a down arrow (setting) or a second blank.
QString TrendArrowText(int trend);
// The level of the C/No bar: C/No held to 16..55.
int CnoBarValue(int cno);
// The channel's tracking state by Oncore channel mode.
QString TrackingStateText(int channelMode);
// The constellation piece ("GPS, " ...) of an identifier; empty when none.
QString SatelliteSystemText(int identifier);
// The SBAS satellite's name piece for 120..138 in the u-blox modes.
QString SbasSatelliteName(int identifier);
// System and health on the bar of a used satellite, without the final ", ".
QString SystemAndHealthText(const SatelliteRecord &record, quint32 gpsMode);

// The sort buttons: pressing `column` in `currentMode`.
struct SortButtonPress {
  int newMode = SatelliteSortModes::Unsorted;
  int plainButton = -1;     // button to show plain, -1 none
  int selectedButton = -1;  // button to show selected, -1 none
};
SortButtonPress PressSortButton(int currentMode, int column);

// Style sheets of a selected and a plain sort button.
extern const char *const SortButtonSelectedStyle;
extern const char *const SortButtonPlainStyle;

// What one table row needs written. Each flag says whether its cell is
// written; cells not flagged keep their text.
struct SatelliteRowWrites {
  bool identifier = false;
  QString identifierText;
  bool elevation = false;
  QString elevationText;
  bool azimuth = false;
  QString azimuthText;
  // Column 3 with the bar's level and visibility.
  bool cno = false;
  QString cnoText;
  int barValue = 0;
  bool barVisible = false;
  bool barText = false;
  QString barTextValue;

  bool Any() const { return identifier || elevation || azimuth || cno || barText; }
};

struct SatelliteTablePass {
  std::array<SatelliteRowWrites, SatelliteTableRows> rows;
  int shownCount = 0;       // rows that show a satellite
  bool touched = false;     // at least one cell was written
  // The sorted copy differs from the one before (order or contents), so
  // the sky chart has news even when no row did.
  bool displayChanged = false;
};

// The record a blank row caches.
SatelliteRecord BlankTableRow();

// One refresh of the table. In u-blox UBX mode satellites the receiver does
// not use lose their C/No (in `satellites` itself); then `satellites` is
// copied into `display` (SatelliteArraySize records each) and sorted, the
// rows picked and compared with `rowCache` (SatelliteTableRows records),
// which then holds what each row shows.
SatelliteTablePass RefreshSatelliteTable(SatelliteRecord *satellites, SatelliteRecord *display,
                                         SatelliteRecord *rowCache, int sortMode, quint32 gpsMode);
