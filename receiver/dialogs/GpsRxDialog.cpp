#include "receiver/dialogs/GpsRxDialog.h"
#include "ui_GpsRxDialog.h"
GpsRxDialog::GpsRxDialog(QWidget *parent) : QDialog(parent), form(new Ui::GpsRxDialog) { form->setupUi(this); }
GpsRxDialog::~GpsRxDialog() { delete form; }
int GpsRxDialog::exec() { return QDialog::exec(); }
void GpsRxDialog::closeEvent(QCloseEvent *event) { QDialog::closeEvent(event); }
void GpsRxDialog::LoadSettings() {  }
void GpsRxDialog::SaveSettings() {  }
void GpsRxDialog::SaveConstellationSettings() {  }
void GpsRxDialog::SaveGpsMode(int /*mode*/) {  }
void GpsRxDialog::SaveGeometry() {  }
bool GpsRxDialog::IsIonoOffByDefault() { return false; }
bool GpsRxDialog::IsTropoOffByDefault() { return false; }
void GpsRxDialog::CheckConstellations(int /*clickedBit*/) {  }
quint8 GpsRxDialog::ConstellationMask() const { return 0; }
void GpsRxDialog::SetConstellationsFromMask(quint8 /*mask*/) {  }
void GpsRxDialog::reject() { QDialog::reject(); }
void GpsRxDialog::IDC_GPS_MODE_3D_RADIO_clicked() {  }
void GpsRxDialog::IDC_GPS_MODE_2D_RADIO_clicked() {  }
void GpsRxDialog::IDC_GPS_MODE_0D_RADIO_clicked() {  }
void GpsRxDialog::IDC_GPS_MODE_AIV_RADIO_clicked() {  }
void GpsRxDialog::IDC_GPS_MODE_BEST4_RADIO_clicked() {  }
void GpsRxDialog::IDC_GPS_MODE_BEST_RADIO_clicked() {  }
void GpsRxDialog::IDC_GPS_MODE_HIGHEST_RADIO_clicked() {  }
void GpsRxDialog::IDC_GPS_MODE_ION_ON_RADIO_clicked() {  }
void GpsRxDialog::IDC_GPS_MODE_ION_OFF_RADIO_clicked() {  }
void GpsRxDialog::IDC_GPS_MODE_TRO_ON_RADIO_clicked() {  }
void GpsRxDialog::IDC_GPS_MODE_TRO_OFF_RADIO_clicked() {  }
void GpsRxDialog::IDC_GPS_MODE_GDOP_RADIO_clicked() {  }
void GpsRxDialog::IDC_GPS_MODE_PDOP_RADIO_clicked() {  }
void GpsRxDialog::IDC_GPS_MODE_HDOP_RADIO_clicked() {  }
void GpsRxDialog::IDC_GPS_MODE_VDOP_RADIO_clicked() {  }
void GpsRxDialog::IDC_GPS_MODE_TDOP_RADIO_clicked() {  }
void GpsRxDialog::IDC_GPS_MODE_AP_AIR_RADIO_clicked() {  }
void GpsRxDialog::IDC_GPS_MODE_AP_HH_RADIO_clicked() {  }
void GpsRxDialog::IDC_GPS_MODE_AP_LAND_RADIO_clicked() {  }
void GpsRxDialog::IDC_GPS_MODE_AP_MAR_RADIO_clicked() {  }
void GpsRxDialog::IDC_GPS_MODE_AP_STATIC_RADIO_clicked() {  }
void GpsRxDialog::IDC_GPS_MODE_PPS_RATE_clicked() {  }
void GpsRxDialog::IDC_GPS_MODE_100PPS_clicked() {  }
void GpsRxDialog::IDC_GPS_MODE_PPS_LONG_clicked() {  }
void GpsRxDialog::IDC_GPS_MODE_PPS_SHORT_clicked() {  }
void GpsRxDialog::IDC_GPS_MODE_LOCAL_TIME_clicked(bool /*checked*/) {  }
void GpsRxDialog::IDC_GPS_MODE_EMULATE_PVT6_clicked(bool /*checked*/) {  }
void GpsRxDialog::IDC_GPS_MODE_ALIGN_MSGS_clicked(bool /*checked*/) {  }
void GpsRxDialog::IDC_GPS_MODE_DGPS_ON_clicked(bool /*checked*/) {  }
void GpsRxDialog::IDC_GPS_MODE_DGPS_RATE_editingFinished() {  }
void GpsRxDialog::IDC_GPS_MODE_EL_MASK_editingFinished() {  }
void GpsRxDialog::IDC_GPS_MODE_GPS_clicked(bool /*checked*/) {  }
void GpsRxDialog::IDC_GPS_MODE_GLONASS_clicked(bool /*checked*/) {  }
void GpsRxDialog::IDC_GPS_MODE_GALILEO_clicked(bool /*checked*/) {  }
void GpsRxDialog::IDC_GPS_MODE_BEIDOU_clicked(bool /*checked*/) {  }
void GpsRxDialog::IDC_GPS_MODE_QZSS_clicked(bool /*checked*/) {  }
void GpsRxDialog::IDC_GPS_MODE_SBAS_clicked(bool /*checked*/) {  }
void GpsRxDialog::IDC_GPS_MODE_N_DEFAULTS_clicked() {  }
void GpsRxDialog::IDC_GPS_MODE_T_DEFAULTS_clicked() {  }
void GpsRxDialog::IDC_GPS_MODE_D_DEFAULTS_clicked() {  }
void GpsRxDialog::OnOkClicked() {  }
void GpsRxDialog::OnCancelClicked() {  }
void GpsRxDialog::ShowNavMode() {  }
void GpsRxDialog::ShowPositionFixMode() {  }
void GpsRxDialog::ShowSatelliteSelection() {  }
void GpsRxDialog::ShowCorrections() {  }
void GpsRxDialog::ShowGeometryButton() {  }
void GpsRxDialog::ShowApplicationType() {  }
void GpsRxDialog::ShowPpsRate() {  }
void GpsRxDialog::ShowPpsDuration() {  }
void GpsRxDialog::ShowDgpsActivate() {  }
void GpsRxDialog::ShowConstellations() {  }
void GpsRxDialog::SetDefaultCorrections() {  }
void GpsRxDialog::SetRestOfDefaults(int /*selection*/, int /*geometry*/, int /*application*/, bool /*dgps*/) {  }
