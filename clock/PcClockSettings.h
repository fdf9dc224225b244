#pragma once
// How the PC clock follows the receiver: the stored choices of the
// "Set PC Clock" dialog and the copy the clock step works with.

#include <QString>
#include <QtGlobal>

#include <functional>

class QSettings;

namespace PcClockKeys {
inline constexpr char Mode[] = "SetPcClockDialog/Time Sync Mode";
inline constexpr char DeltaOn[] = "SetPcClockDialog/Time Sync Delta";
inline constexpr char DeltaMs[] = "SetPcClockDialog/Time Sync Delta Msec";
inline constexpr char MaxOn[] = "SetPcClockDialog/Time Sync Max On";
inline constexpr char MaxQuantity[] = "SetPcClockDialog/Time Sync Max Qty";
// No blank between "Sync" and "Max": stored settings already use this key.
inline constexpr char MaxUnits[] = "SetPcClockDialog/Time SyncMax Units";
inline constexpr char OverrideTraim[] = "SetPcClockDialog/Time Sync Override TRAIM";
inline constexpr char OverrideIntegrity[] = "SetPcClockDialog/Time Sync Override Integrity";
inline constexpr char Geometry[] = "SetPcClockDialog/geometry";
}  // namespace PcClockKeys

// TimeSyncMode values.
enum PcClockSyncMode {
  SyncDisable = 0,
  SyncOnce = 1,
  SyncEverySecond = 2,
  SyncEveryMinute = 3,
  SyncEveryHour = 4,
  SyncEveryDay = 5,
};

// Units of the maximum correction, as the dialog's combo box lists them.
enum PcClockMaxUnits { MaxUnitHours = 0, MaxUnitMinutes = 1, MaxUnitSeconds = 2 };

// The threshold field accepts 1 to 999 ms.
inline constexpr int PcClockDeltaMsMin = 1;
inline constexpr int PcClockDeltaMsMax = 999;
// The maximum correction's spin box: 0 to 999, 2 at first.
inline constexpr int PcClockMaxQuantityMax = 999;
inline constexpr int PcClockMaxQuantityDefault = 2;

struct PcClockSettings {
  int mode = SyncDisable;      // TimeSyncMode
  bool deltaOn = false;        // TimeSyncDeltaOn
  int deltaMs = 1;             // TimeSyncDeltaMs
  qint64 maxSeconds = 0;       // TimeSyncMaxSeconds; 0 = no limit

  // The largest correction in seconds for the dialog's three fields; 0
  // (no limit) when off or for an unknown unit.
  static qint64 MaxCorrectionSeconds(bool on, int quantity, int units);

  // The stored threshold rule, read alike by the dialog and the clock step:
  // a threshold outside 1..999 (or no number) is 1 with the rule off. The
  // store is left as it is.
  static void ReadThreshold(QSettings &settings, bool *on, int *ms);
  // The stored maximum-correction quantity; outside 0..999 it is 2.
  static int ReadMaxQuantity(QSettings &settings);

  // The stored settings as the clock step uses them. A mode outside 1..5 is
  // Disable; the threshold and quantity as above. Nothing is written.
  static PcClockSettings Read(QSettings &settings);

  // Read(), then, for any mode but Disable, makes sure the PC clock may be
  // set (SystemClock::Current()). When it may not, warn() is called with
  // the rich text for the user and, after it returns, synchronisation is
  // switched off here and in the store.
  static PcClockSettings Load(QSettings &settings, const std::function<void(const QString &)> &warn);

  // The warning shown when the clock may not be set; error is the
  // system's reason in words.
  static QString PrivilegeWarningText(const QString &error);
};
