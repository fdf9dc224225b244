#pragma once
// Names of the log files: the base path from a directory and a prefix, the
// day-of-year tag, and the GPS log's extension and header name by type.
// The TIC log set names its files with the same base rule.

#include <QString>

// A log file name with its extension and any day tail of an older or the
// current naming removed, so a name picked from an existing log gives back
// the prefix that made it ("RARA_0045G.txt" -> "RARA",
// "RARA_0045A_PORT_01.csv" -> "RARA", "RARA_2024_045C" -> "RARA").
// fileName is a bare name: a directory is never cut.
QString CutLogFileNameTail(const QString &fileName);

// The base path of a log from its directory and prefix: "directory/prefix"
// with the prefix's last path element cut by CutLogFileNameTail. The
// directory, dots included, is kept as it is.
QString LogFileBase(const QString &directory, const QString &prefix);

// "_" and the day of the year in four digits ("_0007", "_0366").
QString DayOfYearTag(int dayOfYear);

// The GPS log types.
enum GpsLogTypeCode {
  GpsLogTypeRaw = 0,
  GpsLogTypeBinary = 1,
  GpsLogTypePvt = 2,
  GpsLogTypeNmea = 3,
  GpsLogTypeRinex = 4,
};

// ".txt", ".bin", ".csv", ".txt", ".bin" for types 0 to 4; empty otherwise.
QString GpsLogExtension(int logType);
// "Raw", "Binary", "PVT", "NMEA", "RINEX" for types 0 to 4; empty otherwise.
QString GpsLogTypeName(int logType);

// base + "_DDDD" + "G" + the type's extension.
QString GpsLogFileName(const QString &base, int dayOfYear, int logType);

// Makes the folder of a log file when it is the program's default log
// folder and missing; a folder the user chose is never created. True when
// the folder exists afterwards.
bool PrepareLogDirectory(const QString &logFilePath);
