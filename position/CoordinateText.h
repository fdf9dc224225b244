#pragma once
// Writing and reading geographic coordinates and altitudes.
//
// Notations (LatLonFormat): 0 decimal degrees, 1 degrees and decimal
// minutes, 2 (and any value not listed) degrees, minutes and decimal
// seconds, 3 NMEA "ddmm.mmmm,N" (current-fix text only), 4 comma-separated
// decimal degrees and altitudes (reference text only).

#include <QList>
#include <QString>

// Latitude, longitude (degrees), GPS (WGS 84) altitude and MSL altitude
// (metres), the order in which positions travel through the program.
struct GeoPosition {
  double latitude = 0.0;
  double longitude = 0.0;
  double gpsAltitude = 0.0;
  double mslAltitude = 0.0;
};

// One warning a parser raises: a title and a text for a message box.
struct CoordinateMessage {
  QString title;
  QString text;
};

// The degree sign the texts use.
QString DegreeSign();

// The position text in a notation 0 to 4 (any other value reads as 2). The
// HTML notations separate the four values with "<br>".
QString FormatPositionText(const GeoPosition &position, int notation);

// One latitude or longitude for an edit field: 0 "%9.7f°", 1 degrees and
// minutes, otherwise degrees, minutes and seconds (two blanks between parts).
QString FormatLatLon(double value, int notation);

// Reads a typed latitude (axis 0) or longitude (any other axis): up to three
// numbers as degrees, minutes and seconds, optionally followed by N, S, E, W
// or a degree, minute or second mark. On a format error the text is emptied
// and the value set to 0.0; out of range leaves the value computed. Warnings
// are appended to `messages` when it is not null.
bool ParseLatLonText(QString &text, double *value, int axis, QList<CoordinateMessage> *messages);

// Reads a typed altitude in metres (-500 to 18000); "???" stands for 0.
// The value is always written (0.0 when no number is found or the number
// does not convert, which is refused as out of range).
bool ParseAltitudeText(QString &text, double *value, QList<CoordinateMessage> *messages);

// The 9-character Maidenhead locator "AA00aa.00" of a position: field,
// square and subsquare, then the tenth of the subsquare in longitude and
// latitude. Empty for a non-finite position.
QString MaidenheadLocator(double latitude, double longitude);
