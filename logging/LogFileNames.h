#pragma once
// Names of the log files: the base path from a directory and a prefix, the
// day-of-year tag, the GPS log's extension and header name by type, and the
// names of the TIC log set's files by its log style.

#include <QString>

// A log file name with its extension (".csv", ".prn", ".txt" or ".bin")
// and any day tail of an older or the
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

// The extensions of the TIC data files by log style: ".prn" (0, blanks),
// ".csv" (1, commas), ".txt" (2, tabs); empty for any other style.
QString TicDataExtension(int logStyle);
// The TIC configuration log's extension: ".txt" in styles 0 to 2, else empty.
QString TicConfigExtension(int logStyle);
// The stem of a TIC port file: base + "_DDDD" + kind ('A' average, 'T'
// time) + "_PORT_" + the port in two digits; the name adds the extension.
QString TicPortFileStem(const QString &base, int dayOfYear, char kind, int port);
// The stem of the TIC configuration log: base + "_DDDD" + "C".
QString TicConfigFileStem(const QString &base, int dayOfYear);

// Where a log goes, from its two settings: an empty or missing directory is
// the default log folder, a missing prefix the default prefix.
struct StoredLogLocation {
  QString directory;
  QString prefix;
};
StoredLogLocation ReadLogLocation(const char *directoryKey, const char *prefixKey);

// Makes the folder of a log file when it is the program's default log
// folder and missing; a folder the user chose is never created. True when
// the folder exists afterwards.
bool PrepareLogDirectory(const QString &logFilePath);
