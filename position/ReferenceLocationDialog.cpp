#include "position/ReferenceLocationDialog.h"

#include "position/CoordinateText.h"

#include <QMessageBox>

namespace {
// The parsers' warnings, one box each, in the order they were found.
void ShowMessages(QWidget *parent, const QList<CoordinateMessage> &messages)
{
  for (const CoordinateMessage &m : messages)
    QMessageBox::warning(parent, m.title, m.text, QMessageBox::Ok);
}
}  // namespace

ReferenceLocationDialog::ReferenceLocationDialog(QWidget *parent) : QDialog(parent)
{
  setObjectName(QStringLiteral("ReferenceLocationDialog"));
  setWindowTitle(QStringLiteral("Set Reference Location"));
}

ReferenceLocationDialog::~ReferenceLocationDialog() = default;

void ReferenceLocationDialog::SetLatLonFormat(int format) { latLonFormat_ = format; }

QString ReferenceLocationDialog::FormatLatLon(double value) const { return ::FormatLatLon(value, latLonFormat_); }

bool ReferenceLocationDialog::ParseLatLon(QString &text, double *value, bool showMessages, int axis)
{
  QList<CoordinateMessage> messages;
  const bool ok = ParseLatLonText(text, value, axis, &messages);
  if (showMessages)
    ShowMessages(this, messages);
  return ok;
}

bool ReferenceLocationDialog::ParseLatitude(QString text, double *value, bool showMessages)
{
  return ParseLatLon(text, value, showMessages, 0);
}

bool ReferenceLocationDialog::ParseLongitude(QString text, double *value, bool showMessages)
{
  return ParseLatLon(text, value, showMessages, 1);
}

bool ReferenceLocationDialog::ParseAltitude(QString &text, double *value, bool showMessages)
{
  QList<CoordinateMessage> messages;
  const bool ok = ParseAltitudeText(text, value, &messages);
  if (showMessages)
    ShowMessages(this, messages);
  return ok;
}

void ReferenceLocationDialog::SetLocation(double latitude, double longitude, double gpsAltitude,
                                          double mslAltitude, bool locationOnStart)
{
  latitude_ = latitude;
  longitude_ = longitude;
  gpsAltitude_ = gpsAltitude;
  mslAltitude_ = mslAltitude;
  locationOnStart_ = locationOnStart;
}

void ReferenceLocationDialog::GetLocation(double *latitude, double *longitude, double *gpsAltitude,
                                          double *mslAltitude, bool *locationOnStart) const
{
  *latitude = latitude_;
  *longitude = longitude_;
  *gpsAltitude = gpsAltitude_;
  *mslAltitude = mslAltitude_;
  *locationOnStart = locationOnStart_;
}
