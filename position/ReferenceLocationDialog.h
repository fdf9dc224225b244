#pragma once
// "Set Reference Location": typed entry of the reference location with both
// altitudes coupled through the geoid, the named locations of RefLocationDB,
// and the one parser of typed coordinates and altitudes with its messages.

#include <QDialog>
#include <QString>

#include <functional>

namespace Ui {
class ReferenceLocationDialog;
}

class ReferenceLocationDialog : public QDialog {
  Q_OBJECT

public:
  explicit ReferenceLocationDialog(QWidget *parent = nullptr);
  ~ReferenceLocationDialog() override;

  // Every warning of the dialog and its parsers goes through this, so they
  // can be answered instead of blocking on a modal box. Empty: a modal
  // warning box.
  using WarningHandler = std::function<void(const QString &title, const QString &text)>;
  void SetWarningHandler(WarningHandler handler) { m_warn = std::move(handler); }

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

  // Fills the fields from the location and runs the dialog.
  int exec() override;

  // Accepts the typed latitude (longitude): rewrites it in the dialog's
  // notation, or returns the focus to the field. OK calls them too.
  bool OnLatitudeEditingFinished(bool showMessages);
  bool OnLongitudeEditingFinished(bool showMessages);

public slots:
  void IDC_REFDLG_LATITUDE_editingFinished();
  void IDC_REFDLG_LATITUDE_textEdited(const QString &text);
  void IDC_REFDLG_LONGITUDE_editingFinished();
  void IDC_REFDLG_LONGITUDE_textEdited(const QString &text);
  void IDC_REFDLG_ALT_WGS84_editingFinished();
  void IDC_REFDLG_ALT_WGS84_textEdited(const QString &text);
  void IDC_REFDLG_ALT_MSL_editingFinished();
  void IDC_REFDLG_ALT_MSL_textEdited(const QString &text);
  void IDC_REFDLG_LOC_ON_START_clicked();
  void IDC_REFDLG_REMOVE_NAME_clicked();
  void IDC_REFDLG_NAME_currentIndexChanged(int index);
  void IDC_REFDLG_SAVE_NAME_clicked();
  void OnOk();
  void OnCancel();

protected:
  void closeEvent(QCloseEvent *event) override;

private:
  void Warn(const QString &title, const QString &text);
  void KeepTypedNames();
  void LoadFields();
  void LoadNameList();
  void SortNameList();
  // False when the name was refused (with a warning).
  bool SaveLocationRecord();
  void SaveGeometry();
  bool OnLatLonEditingFinished(int axis, bool showMessages);
  void LatLonTextEdited(int axis, const QString &text);
  void AltitudeTextEdited(bool wgs84, const QString &text);
  // False (with a message) when the altitude field's text is refused.
  bool AltitudeEditingFinished(bool wgs84);
  void UpdateSeparation();
  void EnableAccept(bool enable);
  // OK and Save only while all four fields read.
  void EnableAcceptByFields();

  Ui::ReferenceLocationDialog *ui;
  WarningHandler m_warn;
  int latLonFormat_ = 0;
  double latitude_ = 0.0;
  double longitude_ = 0.0;
  double gpsAltitude_ = 0.0;
  double mslAltitude_ = 0.0;
  bool locationOnStart_ = false;
  double separation_ = 0.0;        // geoid N at the typed latitude and longitude
  double storedDifference_ = 0.0;  // WGS84 minus MSL as the dialog opened
  QString typedName_;              // the name box's text as its editing ended
  int nameIndexBefore_ = 0;
  int nameEditingDepth_ = 0;
};
