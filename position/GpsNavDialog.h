#pragma once
// "Averaging Parameters": holds the one position and timing averaging engine
// of the run, the reference location and the latest receiver status values.
// The decoders, the clock display and the receiver set-up call it directly;
// as a window it edits the averaging options and shows the error terms.

#include "position/PositionAverages.h"
#include "position/TimePositionFields.h"

#include <QDialog>
#include <QString>

class GpsDateTime;
class QLineEdit;
class ReferenceLocationDialog;

namespace Ui {
class GpsNavDialog;
}

class GpsNavDialog : public QDialog {
  Q_OBJECT

public:
  explicit GpsNavDialog(QWidget *parent = nullptr);
  ~GpsNavDialog() override;

  void SetReferenceLocationDialog(ReferenceLocationDialog *dialog);

  // Averaging, per fix; returns the fix's Maidenhead locator.
  QString UpdateAverages(double latitude, double longitude, double gpsAltitude, double mslAltitude,
                         int gpsModeSetting);
  void Average(int gpsModeSetting);
  QString MaidenheadLocator() const;
  void ResetAverages();
  void ReloadSettings();
  void SetTimingErrorInputs(double a, double b);
  // 1 while locked, 0 otherwise; updates "Locked since" and the unlock counter.
  int LockStatusText(unsigned gpsModeSetting, const GpsDateTime &receiverTime);

  // Receiver status from the decoders; negative values (below -1 for the fix
  // status) leave the stored value.
  void SetDops(double g, double p, double h, double v, double t);
  QString DopsText() const;
  void SetNavMode(qint32 mode);
  qint32 GetNavMode() const;
  void SetSatsTracked(qint32 n);
  qint32 GetSatsTracked() const;
  void SetSpeed(double speed);
  double GetSpeed() const;
  void SetHeading(double heading);
  double GetHeading() const;
  void SetFixStatus(qint32 status);
  qint32 GetFixStatus() const;

  // Positions: latitude, longitude, GPS altitude, MSL altitude.
  void GetCurrentFix(double *latitude, double *longitude, double *gpsAltitude, double *mslAltitude) const;
  void GetAverages(double *latitude, double *longitude, double *gpsAltitude, double *mslAltitude) const;
  void GetReferenceLocation(double *latitude, double *longitude, double *gpsAltitude, double *mslAltitude) const;
  void GetCurrentFix(double &latitude, double &longitude, double &gpsAltitude, double &mslAltitude) const
  {
    GetCurrentFix(&latitude, &longitude, &gpsAltitude, &mslAltitude);
  }
  void GetAverages(double &latitude, double &longitude, double &gpsAltitude, double &mslAltitude) const
  {
    GetAverages(&latitude, &longitude, &gpsAltitude, &mslAltitude);
  }
  void GetReferenceLocation(double &latitude, double &longitude, double &gpsAltitude, double &mslAltitude) const
  {
    GetReferenceLocation(&latitude, &longitude, &gpsAltitude, &mslAltitude);
  }
  double GetReferenceMslAltitude() const;
  // Stores the reference location and writes it to the settings.
  void SetReferenceLocation(double latitude, double longitude, double gpsAltitude, double mslAltitude);
  void SetReferenceFromAverages();
  void SetReferenceFromCurrent();
  // Lets the user type the reference location; true when it was accepted.
  bool EnterReferenceLocation();

  // Position texts in a LatLonFormat: current fix (0 to 3), average (0 to 2)
  // and reference location (0 to 2, and 4 for the remote client).
  QString CurrentPositionText(int format) const;
  QString AveragePositionText(int format) const;
  QString ReferencePositionText(int format) const;
  // The current fix and status values, as the time-position line shows them.
  TimePositionFields CurrentFixFields() const;

  // Typed coordinates, through the reference-location dialog's parsers with
  // their messages. The value changes only when the text is accepted.
  bool ParseLatitude(QString text, double *value);
  bool ParseLongitude(QString text, double *value);
  bool ParseAltitude(QString text, double *value);

  // Texts of the window's lock and timing labels.
  QString LockedSinceText() const;
  QString UnlockCounterText() const;
  QString TimeAccuracyText() const;

  PositionAverages &Averages() { return averages_; }
  const PositionAverages &Averages() const { return averages_; }

  // Shows the stored options and the live error terms, then runs the window.
  int exec() override;
  // Writes the engine's error terms, RMS values, lock state and counters
  // into the window.
  void UpdateErrorTable();

public slots:
  void IDC_POS_FILTER_RESET_clicked();
  void IDC_RMS_FILTER_RESET_clicked();
  void IDC_TIMING_FILTER_RESET_clicked();
  void IDC_AVERAGING_RESET_ALL_clicked();
  void IDC_UNLOCK_COUNTER_RESET_clicked();
  void IDC_AVERAGING_DEFAULTS_clicked();
  void IDC_POS_FILTER_LIMIT_textEdited(const QString &text);
  void IDC_POS_FILTER_LIMIT_editingFinished();
  void IDC_RMS_FILTER_LIMIT_textEdited(const QString &text);
  void IDC_RMS_FILTER_LIMIT_editingFinished();
  void IDC_TIMING_FILTER_LIMIT_textEdited(const QString &text);
  void IDC_TIMING_FILTER_LIMIT_editingFinished();
  void IDC_HDOP_WEIGHTING_VALUE_textEdited(const QString &text);
  void IDC_HDOP_WEIGHTING_VALUE_editingFinished();
  void IDC_VDOP_WEIGHTING_VALUE_textEdited(const QString &text);
  void IDC_VDOP_WEIGHTING_VALUE_editingFinished();
  void IDC_TDOP_WEIGHTING_VALUE_textEdited(const QString &text);
  void IDC_TDOP_WEIGHTING_VALUE_editingFinished();
  void OnOkClicked();
  void OnCancelClicked();

protected:
  void closeEvent(QCloseEvent *event) override;

private:
  // Hands the averages the receiver in use before they act on it.
  void HandReceiverToAverages();
  // The field checks of the six numeric fields: limits 1 to 999999, DOP
  // weights above 0 up to 99.0. The value is written only when accepted.
  bool CheckIntegerField(QLineEdit *field, double *value, bool showMessages);
  bool CheckFloatField(QLineEdit *field, double *value, bool showMessages);
  bool CheckField(QLineEdit *field, double *value, bool showMessages);
  void FieldEdited(QLineEdit *field);
  void FieldFinished(QLineEdit *field);
  bool AllFieldsValid();
  // Takes the checked fields and boxes into the engine; false when a field
  // is refused (its message shown, the focus on it).
  bool TakeFields();
  void ShowOptions();
  void RestoreGeometry();
  void SaveGeometry();

  Ui::GpsNavDialog *ui;
  PositionAverages averages_;
  ReferenceLocationDialog *referenceDialog_ = nullptr;
};
