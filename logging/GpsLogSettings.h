#pragma once
// The options of the GPS data log as one value: its type, how often it
// records, whether the recording seconds count in GPS time, and whether the
// log restarts at a new day. Loaded and repaired here, edited by the log
// type panel of the New/Open window, and read by value everywhere else.

class QSettings;

struct GpsLogSettings {
  int type = 0;                     // 0 raw text, 1 binary, 2 PVT (.csv), 3 NMEA, 4 RINEX
  int logEveryIndex = 0;            // the "Log Every" choice, 0..11
  int intervalSeconds = 1;          // seconds between data records, of logEveryIndex
  bool useGpsSecondNumber = false;  // count the recording seconds in GPS time
  bool autorestart = true;          // a new file at a new day
};

// Seconds of a "Log Every" index; 1 outside 0 to 11.
int GpsLogIntervalOfIndex(int index);

// The stored options. A "Log Every" index outside 0..11 reads as 0 and the
// GPS-second flag is on only for 1, both left in the store as they are; a
// type outside 0..4 is kept as it is. An auto-restart other than 0 or 1
// becomes 1 and is written back; a missing one reads as 1 and stays missing.
GpsLogSettings LoadGpsLogSettings(QSettings &settings);

// The index, type, auto-restart and GPS-second flag (the interval follows
// from the index).
void SaveGpsLogSettings(QSettings &settings, const GpsLogSettings &log);
