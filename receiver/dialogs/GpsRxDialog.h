#pragma once
// The modal dialog "GPS Receiver Mode Selections": it edits a copy of the
// receiver mode settings, shows the stored values each time it opens and
// stores them on OK. The main window keeps the settings in force.

#include <QDialog>
#include <QtGlobal>

#include "receiver/session/ReceiverModeSettings.h"

namespace Ui {
class GpsRxDialog;
}

class GpsRxDialog : public QDialog {
  Q_OBJECT

public:
  explicit GpsRxDialog(QWidget *parent = nullptr);
  ~GpsRxDialog() override;

  int exec() override;

  void LoadSettings();
  void SaveSettings();
  void SaveGeometry();

  // The settings as shown and, after OK, as stored.
  const ReceiverModeSettings &Settings() const { return values; }

  // Whether the defaults buttons switch the corrections off for the receiver
  // in use (protocol mode, model and firmware).
  static bool IsIonoOffByDefault();
  static bool IsTropoOffByDefault();

  // Applies the constellation rules; clickedBit is the ConstellationBit of
  // the box just checked, or 0.
  void CheckConstellations(int clickedBit);

private:
  Ui::GpsRxDialog *form;
  ReceiverModeSettings values;

  // Whether each constellation box was enabled when exec last opened.
  bool satGpsSelectable = true;
  bool satGlonassSelectable = true;
  bool satGalileoSelectable = true;
  bool satBeidouSelectable = true;
  bool satQzssSelectable = true;
  bool satSbasSelectable = true;

protected:
  void closeEvent(QCloseEvent *event) override;

public slots:
  // Escape and Cancel alike put the stored values back.
  void reject() override;

private slots:
  void IDC_GPS_MODE_3D_RADIO_clicked();
  void IDC_GPS_MODE_2D_RADIO_clicked();
  void IDC_GPS_MODE_0D_RADIO_clicked();
  void IDC_GPS_MODE_AIV_RADIO_clicked();
  void IDC_GPS_MODE_BEST4_RADIO_clicked();
  void IDC_GPS_MODE_BEST_RADIO_clicked();
  void IDC_GPS_MODE_HIGHEST_RADIO_clicked();
  void IDC_GPS_MODE_ION_ON_RADIO_clicked();
  void IDC_GPS_MODE_ION_OFF_RADIO_clicked();
  void IDC_GPS_MODE_TRO_ON_RADIO_clicked();
  void IDC_GPS_MODE_TRO_OFF_RADIO_clicked();
  void IDC_GPS_MODE_GDOP_RADIO_clicked();
  void IDC_GPS_MODE_PDOP_RADIO_clicked();
  void IDC_GPS_MODE_HDOP_RADIO_clicked();
  void IDC_GPS_MODE_VDOP_RADIO_clicked();
  void IDC_GPS_MODE_TDOP_RADIO_clicked();
  void IDC_GPS_MODE_AP_AIR_RADIO_clicked();
  void IDC_GPS_MODE_AP_HH_RADIO_clicked();
  void IDC_GPS_MODE_AP_LAND_RADIO_clicked();
  void IDC_GPS_MODE_AP_MAR_RADIO_clicked();
  void IDC_GPS_MODE_AP_STATIC_RADIO_clicked();
  void IDC_GPS_MODE_PPS_RATE_clicked();
  void IDC_GPS_MODE_100PPS_clicked();
  void IDC_GPS_MODE_PPS_LONG_clicked();
  void IDC_GPS_MODE_PPS_SHORT_clicked();
  void IDC_GPS_MODE_LOCAL_TIME_clicked(bool checked);
  void IDC_GPS_MODE_EMULATE_PVT6_clicked(bool checked);
  void IDC_GPS_MODE_ALIGN_MSGS_clicked(bool checked);
  void IDC_GPS_MODE_DGPS_ON_clicked(bool checked);
  void IDC_GPS_MODE_DGPS_RATE_editingFinished();
  void IDC_GPS_MODE_EL_MASK_editingFinished();
  void IDC_GPS_MODE_GPS_clicked(bool checked);
  void IDC_GPS_MODE_GLONASS_clicked(bool checked);
  void IDC_GPS_MODE_GALILEO_clicked(bool checked);
  void IDC_GPS_MODE_BEIDOU_clicked(bool checked);
  void IDC_GPS_MODE_QZSS_clicked(bool checked);
  void IDC_GPS_MODE_SBAS_clicked(bool checked);
  void IDC_GPS_MODE_N_DEFAULTS_clicked();
  void IDC_GPS_MODE_T_DEFAULTS_clicked();
  void IDC_GPS_MODE_D_DEFAULTS_clicked();

  void OnOkClicked();
  void OnCancelClicked();

private:
  void ShowNavMode();
  void ShowPositionFixMode();
  void ShowSatelliteSelection();
  void ShowCorrections();
  void ShowGeometryButton();
  void ShowApplicationType();
  void ShowPpsRate();
  void ShowPpsDuration();
  void ShowDgpsActivate();
  void ShowConstellations();
  void ConstellationClicked(bool &flag, bool checked, int bit);
  void SetDefaultCorrections();
  void SetRestOfDefaults(int selection, int geometry, int application, bool dgps);
};
