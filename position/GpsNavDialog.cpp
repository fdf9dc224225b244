#include "position/GpsNavDialog.h"

#include "position/ReferenceLocationDialog.h"

GpsNavDialog::GpsNavDialog(QWidget *parent) : QDialog(parent)
{
  setObjectName(QStringLiteral("GpsNavDialog"));
  setWindowTitle(QStringLiteral("Averaging Parameters"));
  averages_.Initialize();
}

GpsNavDialog::~GpsNavDialog() = default;

void GpsNavDialog::SetReferenceLocationDialog(ReferenceLocationDialog *dialog) { referenceDialog_ = dialog; }

QString GpsNavDialog::UpdateAverages(double latitude, double longitude, double gpsAltitude, double mslAltitude,
                                     int gpsModeSetting)
{
  return averages_.UpdateAverages(latitude, longitude, gpsAltitude, mslAltitude, gpsModeSetting);
}

void GpsNavDialog::Average(int gpsModeSetting) { averages_.Average(gpsModeSetting); }
QString GpsNavDialog::MaidenheadLocator() const { return averages_.MaidenheadLocator(); }
void GpsNavDialog::ResetAverages() { averages_.ResetAverages(); }
void GpsNavDialog::ReloadSettings() { averages_.ReloadSettings(); }
void GpsNavDialog::SetTimingErrorInputs(double a, double b) { averages_.SetTimingErrorInputs(a, b); }

int GpsNavDialog::LockStatusText(unsigned gpsModeSetting, const GpsDateTime &receiverTime)
{
  return averages_.LockStatusText(gpsModeSetting, receiverTime);
}

void GpsNavDialog::SetDops(double g, double p, double h, double v, double t) { averages_.SetDops(g, p, h, v, t); }
QString GpsNavDialog::DopsText() const { return averages_.DopsText(); }
void GpsNavDialog::SetNavMode(qint32 mode) { averages_.SetNavMode(mode); }
qint32 GpsNavDialog::GetNavMode() const { return averages_.GetNavMode(); }
void GpsNavDialog::SetSatsTracked(qint32 n) { averages_.SetSatsTracked(n); }
qint32 GpsNavDialog::GetSatsTracked() const { return averages_.GetSatsTracked(); }
void GpsNavDialog::SetSpeed(double speed) { averages_.SetSpeed(speed); }
double GpsNavDialog::GetSpeed() const { return averages_.GetSpeed(); }
void GpsNavDialog::SetHeading(double heading) { averages_.SetHeading(heading); }
double GpsNavDialog::GetHeading() const { return averages_.GetHeading(); }
void GpsNavDialog::SetFixStatus(qint32 status) { averages_.SetFixStatus(status); }
qint32 GpsNavDialog::GetFixStatus() const { return averages_.GetFixStatus(); }

namespace {
void CopyOut(const GeoPosition &p, double *latitude, double *longitude, double *gpsAltitude, double *mslAltitude)
{
  *latitude = p.latitude;
  *longitude = p.longitude;
  *gpsAltitude = p.gpsAltitude;
  *mslAltitude = p.mslAltitude;
}
}  // namespace

void GpsNavDialog::GetCurrentFix(double *latitude, double *longitude, double *gpsAltitude, double *mslAltitude) const
{
  CopyOut(averages_.CurrentFix(), latitude, longitude, gpsAltitude, mslAltitude);
}

void GpsNavDialog::GetAverages(double *latitude, double *longitude, double *gpsAltitude, double *mslAltitude) const
{
  CopyOut(averages_.Averages(), latitude, longitude, gpsAltitude, mslAltitude);
}

void GpsNavDialog::GetReferenceLocation(double *latitude, double *longitude, double *gpsAltitude,
                                        double *mslAltitude) const
{
  CopyOut(averages_.ReferenceLocation(), latitude, longitude, gpsAltitude, mslAltitude);
}

double GpsNavDialog::GetReferenceMslAltitude() const { return averages_.ReferenceLocation().mslAltitude; }

void GpsNavDialog::SetReferenceLocation(double latitude, double longitude, double gpsAltitude, double mslAltitude)
{
  averages_.SetReferenceLocation({latitude, longitude, gpsAltitude, mslAltitude});
}

void GpsNavDialog::SetReferenceFromAverages() { averages_.SetReferenceLocation(averages_.Averages()); }
void GpsNavDialog::SetReferenceFromCurrent() { averages_.SetReferenceLocation(averages_.CurrentFix()); }

bool GpsNavDialog::EnterReferenceLocation()
{
  if (!referenceDialog_)
    return false;
  const GeoPosition ref = averages_.ReferenceLocation();
  referenceDialog_->SetLocation(ref.latitude, ref.longitude, ref.gpsAltitude, ref.mslAltitude,
                                averages_.ReferenceLocationOnStart());
  if (referenceDialog_->exec() == 0)
    return false;
  GeoPosition entered;
  bool onStart = false;
  referenceDialog_->GetLocation(&entered.latitude, &entered.longitude, &entered.gpsAltitude, &entered.mslAltitude,
                                &onStart);
  averages_.SetReferenceLocationOnStart(onStart);
  averages_.SetReferenceLocation(entered);
  return true;
}

QString GpsNavDialog::CurrentPositionText(int format) const
{
  return FormatPositionText(averages_.CurrentFix(), format == 4 ? 2 : format);
}

QString GpsNavDialog::AveragePositionText(int format) const
{
  return FormatPositionText(averages_.Averages(), format == 3 || format == 4 ? 2 : format);
}

QString GpsNavDialog::ReferencePositionText(int format) const
{
  return FormatPositionText(averages_.ReferenceLocation(), format == 3 ? 2 : format);
}

// The parsers write 0.0 (or the out-of-range value) on failure; a refused
// text must not overwrite the caller's good value, so each parses into a
// temporary.
bool GpsNavDialog::ParseLatitude(QString text, double *value)
{
  double parsed = 0.0;
  if (!referenceDialog_ || !referenceDialog_->ParseLatitude(text, &parsed, true))
    return false;
  *value = parsed;
  return true;
}

bool GpsNavDialog::ParseLongitude(QString text, double *value)
{
  double parsed = 0.0;
  if (!referenceDialog_ || !referenceDialog_->ParseLongitude(text, &parsed, true))
    return false;
  *value = parsed;
  return true;
}

bool GpsNavDialog::ParseAltitude(QString text, double *value)
{
  double parsed = 0.0;
  if (!referenceDialog_ || !referenceDialog_->ParseAltitude(text, &parsed, true))
    return false;
  *value = parsed;
  return true;
}

QString GpsNavDialog::LockedSinceText() const { return averages_.LockedSinceText(); }
QString GpsNavDialog::UnlockCounterText() const { return QString::asprintf("%i", averages_.UnlockCounter()); }
QString GpsNavDialog::TimeAccuracyText() const { return averages_.TimeAccuracyText(); }
