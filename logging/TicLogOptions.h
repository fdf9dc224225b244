#pragma once
// The settings of the TIC log set and the options that the set, the counter
// rows and the remote commands read from them. The TIC file dialog edits
// them; the remote TICLOG command writes them directly; everyone else reads
// the stored values through the functions here.

#include <QString>

// Settings of the TIC log set.
namespace TicLogKeys {
inline constexpr char FileDirectory[] = "LogFiles/TicLogFileDirectory";
inline constexpr char FileNamePrefix[] = "LogFiles/TicFileNamePrefix";
inline constexpr char LogStyle[] = "LogFiles/TicLogStyle";
inline constexpr char FileDialogSettings[] = "LogFiles/TicFileDialogSettings";
inline constexpr char FileDialogGeometry[] = "LogFiles/TicFileDialogGeometry";
// Written true at every successful open, for the record.
inline constexpr char LogFileOpen[] = "LogFiles/TicLogFileOpen";
// Written false after a failed New or Open, for the record.
inline constexpr char LogOpen[] = "LogFiles/TicLogOpen";
inline constexpr char TimeTagFormat[] = "LogFiles/TicTimeTagFormat";
inline constexpr char TimeIntervalLogButtonGroup[] = "LogFiles/TimeIntervalLogButtonGroup";
inline constexpr char TimeLogEvery[] = "LogFiles/TicTimeLogEvery";
inline constexpr char TimeLogAutorestart[] = "LogFiles/TicTimeLogAutorestart";
inline constexpr char CfgLogSaveSats[] = "LogFiles/TicTimeCfgLogSaveSats";
inline constexpr char AveragingLogButtonGroup[] = "LogFiles/AveragingLogButtonGroup";
inline constexpr char AveragingLogPeriod[] = "LogFiles/AveragingLogPeriod";
}  // namespace TicLogKeys

// The averaging period stored when none is.
inline constexpr char DefaultAveragingLogPeriod[] = "300";

// The seconds of a "Log Every" index of the TIC file dialog (0 "Second" to
// 12 "Hour"); 1 for any other index.
int TicTimeLogEverySeconds(int index);

// The stored time-log interval in seconds: 0 while time logging is
// disabled, else the seconds of the stored "Log Every" index.
int StoredTimeLogInterval();
// The stored averaging period read as a signed decimal number; 0 when it
// is no number or does not fit an int. Above 0 the program averages over
// that many seconds; 0 or less the counter's own averages are used.
int StoredAveragingPeriod();
// A period typed or stored as text: a signed decimal number, else 0.
int AveragingPeriodOfText(const QString &text);

// The TIC options in force, loaded from the settings.
struct TicLogOptions {
  int timeTagFormat = 0;      // 0 calendar, 1 Modified Julian Day, 2 spreadsheet day
  int logStyle = 0;           // 0 blanks (.prn), 1 commas (.csv), 2 tabs (.txt)
  int timeLogInterval = 1;    // seconds between time rows; 0 disabled
  int averagingPeriod = 300;  // seconds; 0 or less: the counter averages
  // "Save Satellite Events in Config Log": receiver configuration and
  // satellite texts go to the configuration log.
  bool configText = false;

  static TicLogOptions FromSettings();
};
