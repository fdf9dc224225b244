#pragma once
// "Set Reference Location": typed entry of the reference location, and the
// one parser of typed coordinates and altitudes with its message boxes.

#include <QDialog>
#include <QString>

class ReferenceLocationDialog : public QDialog {
  Q_OBJECT

public:
  explicit ReferenceLocationDialog(QWidget *parent = nullptr);
  ~ReferenceLocationDialog() override;

  // The notation (LatLonFormat 0, 1, 2) of the coordinate fields; 0 at first.
  void SetLatLonFormat(int format);
  int LatLonFormat() const { return latLonFormat_; }
  QString FormatLatLon(double value) const;

  // Parsers; with showMessages a failure is explained in a warning box.
  // ParseLatLon empties the text on a format error: pass a copy to keep it.
  bool ParseLatLon(QString &text, double *value, bool showMessages, int axis);
  bool ParseLatitude(QString text, double *value, bool showMessages);
  bool ParseLongitude(QString text, double *value, bool showMessages);
  // Always writes the value (0.0 when no number is found).
  bool ParseAltitude(QString &text, double *value, bool showMessages);

  void SetLocation(double latitude, double longitude, double gpsAltitude, double mslAltitude,
                   bool locationOnStart);
  void GetLocation(double *latitude, double *longitude, double *gpsAltitude, double *mslAltitude,
                   bool *locationOnStart) const;

private:
  int latLonFormat_ = 0;
  double latitude_ = 0.0;
  double longitude_ = 0.0;
  double gpsAltitude_ = 0.0;
  double mslAltitude_ = 0.0;
  bool locationOnStart_ = false;
};
