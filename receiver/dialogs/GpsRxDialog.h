#pragma once
// The receiver mode settings: at once the modal dialog "GPS Receiver Mode
// Selections" and the program's one store of those settings. The set-up
// routines and the decoders read (and in a few cases write) the public
// members directly through the main window's one object.

#include <QDialog>
#include <QtGlobal>

namespace Ui {
class GpsRxDialog;
}

// Bits of the receiver's constellation mask.
enum ConstellationBit {
  ConstellationGps = 1,
  ConstellationGlonass = 2,
  ConstellationGalileo = 4,
  ConstellationBeidou = 8,
  ConstellationQzss = 16,
  ConstellationSbas = 128,
};

class GpsRxDialog : public QDialog {
  Q_OBJECT

public:
  explicit GpsRxDialog(QWidget *parent = nullptr);
  ~GpsRxDialog() override;

  int exec() override;

  void LoadSettings();
  void SaveSettings();
  void SaveConstellationSettings();
  void SaveGpsMode(int mode);
  void SaveGeometry();

  // Whether the defaults buttons switch the corrections off for the receiver
  // in use (protocol mode, model and firmware).
  static bool IsIonoOffByDefault();
  static bool IsTropoOffByDefault();

  // Applies the constellation rules; clickedBit is the ConstellationBit of
  // the box just checked, or 0.
  void CheckConstellations(int clickedBit);
  // The rules on a constellation mask: GLONASS and Beidou not both (the one
  // just checked stays), GPS when none of GPS, GLONASS, Galileo and Beidou,
  // QZSS only where GPS was chosen already.
  static quint8 ConstellationsByRule(quint8 mask, int clickedBit);
  // The rules on the members, as opening and confirming the dialog would
  // apply them; a changed set is stored. True when it changed.
  bool ApplyConstellationRule();

  // The six constellations as one mask of ConstellationBit values, and the
  // reverse (a clear bit clears its member). Neither stores anything.
  quint8 ConstellationMask() const;
  void SetConstellationsFromMask(quint8 mask);

private:
  Ui::GpsRxDialog *form;

  // Whether each constellation box was enabled when exec last opened.
  bool satGpsSelectable = true;
  bool satGlonassSelectable = true;
  bool satGalileoSelectable = true;
  bool satBeidouSelectable = true;
  bool satQzssSelectable = true;
  bool satSbasSelectable = true;

public:
  qint32 gpsNavMode = 0;          // 0 3-D, 1 2-D, 2 0-D (position hold)
  bool rxOnLocalTime = false;     // the receiver reports local time
  bool emulatePvt6 = false;       // 6-channel mode
  qint32 positionFixMode = 0;     // 0 all in view, 1 best 4
  qint32 satelliteSelection = 0;  // 0 best geometry, 1 highest in the sky
  qint32 ionosphericDelay = 0;    // 0 corrections on, 1 off
  qint32 troposphericDelay = 0;   // 0 corrections on, 1 off
  qint8 geometryButton = 0;       // 0 GDOP, 1 PDOP, 2 HDOP, 3 VDOP, 4 TDOP
  bool dgpsActivate = false;
  bool alignMessages = false;
  qint32 dgpsRate = 30;           // seconds per DGPS message, 0..255
  qint32 elevationMask = 5;       // degrees, 0..90
  qint8 applicationType = 0;      // 0 Air, 1 Handheld, 2 Land, 3 Marine, 4 Static
  qint32 ppsRate = 0;             // 0 1 PPS, 1 100 PPS
  qint32 ppsDuration = 0;         // 0 200 ms, 1 30 us
  bool satGps = false;
  bool satGlonass = false;
  bool satGalileo = false;
  bool satBeidou = false;
  bool satQzss = false;
  bool satSbas = false;
  quint32 satelliteUseMask = 0xFFFFFFFFu;  // one bit per usable satellite
  qint32 navStatus = -1;  // last shown: -1 none, 0 navigating, 1 hold, 2 surveying

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
