#include "receiver/dialogs/GpsRxDialog.h"
#include "ui_GpsRxDialog.h"

#include "app/core/GpsMode.h"
#include "app/core/ReceiverIdentity.h"
#include "receiver/decode/GpsRxModel.h"

#include <QCloseEvent>
#include <QIntValidator>
#include <QSettings>

#include <initializer_list>
#include <utility>

namespace {

const char *const GeometryKey = "GpsRxDialog/Geometry";
const char *const GpsModeKey = "GpsRxDialog/Gps Mode";
const char *const LocalTimeKey = "GpsRxDialog/Gps Rx On Local Time";
const char *const EmulatePvt6Key = "GpsRxDialog/Emulate Pvt6";
const char *const PositionFixKey = "GpsRxDialog/Position Fix Mode";
const char *const SatSelectionKey = "GpsRxDialog/Satellite Selection";
const char *const IonoKey = "GpsRxDialog/Ionospheric Delay";
const char *const TropoKey = "GpsRxDialog/Tropospheric Delay";
const char *const GeometryButtonKey = "GpsRxDialog/GeometryButton";
const char *const DgpsActivateKey = "GpsRxDialog/DGPS Activate";
const char *const AlignKey = "GpsRxDialog/Align Messages";
const char *const DgpsRateKey = "GpsRxDialog/DGPS Rate";
const char *const ElevationMaskKey = "GpsRxDialog/Elevation Mask";
const char *const AppTypeKey = "GpsRxDialog/Application Type";
const char *const PpsRateKey = "GpsRxDialog/Pps Rate";
const char *const PpsDurationKey = "GpsRxDialog/Pps Duration";
const char *const SatGpsKey = "GpsRxDialog/Sat Gps";
const char *const SatGlonassKey = "GpsRxDialog/Sat Glonass";
const char *const SatGalileoKey = "GpsRxDialog/Sat Galileo";
const char *const SatBeidouKey = "GpsRxDialog/Sat Beidou";
const char *const SatQzssKey = "GpsRxDialog/Sat Qzss";
const char *const SatSbasKey = "GpsRxDialog/Sat Sbas";

const char *const GlonassBeidouTip = "This receiver cannot track GLONASS and Beidou at the same time";
const char *const QzssTip = "QZSS is only available together with GPS";
const char *const GalileoTip = "This receiver's GNSS module cannot track Galileo (pre-FW 3.01)";

bool ModelIn(std::initializer_list<qint32> models)
{
  for (qint32 m : models)
    if (receiverIdentity.model == m)
      return true;
  return false;
}

bool IsEarlyOncore()  // GT, GT+, SL
{
  using namespace GpsRxModel;
  return ModelIn({GT, GTPlus, SL});
}

bool IsUtClass()  // UT, UT+, CNXT/NVMN
{
  using namespace GpsRxModel;
  return ModelIn({UT, UTPlus, CnxtNvmn});
}

bool IsM12Class()  // the G-command receivers without the Synergy modules
{
  using namespace GpsRxModel;
  return ModelIn({M12, M12Plus, M12M, Signav, TxOncore});
}

bool IsSsr6()
{
  return ModelIn({GpsRxModel::Ssr6Tf, GpsRxModel::Ssr6Tr});
}

bool IsSsrM8()
{
  return ModelIn({GpsRxModel::SsrM8F, GpsRxModel::SsrM8T});
}

// Reads a radio-button setting: a value outside 0..maxValue (a missing key
// included) becomes 0 and is written back.
int ReadChoice(QSettings &settings, const char *key, int maxValue)
{
  int value = settings.value(key, -1).toInt();
  if (value < 0 || value > maxValue) {
    value = 0;
    settings.setValue(key, value);
  }
  return value;
}

// Reads a plain bool; a missing key is written with the value read.
bool ReadFlag(QSettings &settings, const char *key, bool defaultValue = false)
{
  const bool exists = settings.contains(key);
  const bool value = settings.value(key, defaultValue).toBool();
  if (!exists)
    settings.setValue(key, value);
  return value;
}

// A whole decimal number in minValue..maxValue from a field's text.
bool ParseField(const QString &text, int minValue, int maxValue, qint32 *value)
{
  bool ok = false;
  const int parsed = text.trimmed().toInt(&ok, 10);
  if (!ok || parsed < minValue || parsed > maxValue)
    return false;
  *value = parsed;
  return true;
}

}  // namespace

GpsRxDialog::GpsRxDialog(QWidget *parent) : QDialog(parent), form(new Ui::GpsRxDialog)
{
  form->setupUi(this);
  setFixedSize(size());
  LoadSettings();
  satelliteUseMask = 0xFFFFFFFFu;
  form->IDC_GPS_MODE_DGPS_RATE->setValidator(new QIntValidator(0, 255, this));
  form->IDC_GPS_MODE_EL_MASK->setValidator(new QIntValidator(0, 90, this));
  navStatus = -1;

  connect(form->OK, &QPushButton::clicked, this, &GpsRxDialog::OnOkClicked);
  connect(form->CANCEL, &QPushButton::clicked, this, &GpsRxDialog::OnCancelClicked);

  auto click = [this](QAbstractButton *button, void (GpsRxDialog::*slot)()) {
    connect(button, &QAbstractButton::clicked, this, slot);
  };
  auto toggle = [this](QAbstractButton *button, void (GpsRxDialog::*slot)(bool)) {
    connect(button, &QAbstractButton::clicked, this, slot);
  };
  click(form->IDC_GPS_MODE_3D_RADIO, &GpsRxDialog::IDC_GPS_MODE_3D_RADIO_clicked);
  click(form->IDC_GPS_MODE_2D_RADIO, &GpsRxDialog::IDC_GPS_MODE_2D_RADIO_clicked);
  click(form->IDC_GPS_MODE_0D_RADIO, &GpsRxDialog::IDC_GPS_MODE_0D_RADIO_clicked);
  click(form->IDC_GPS_MODE_AIV_RADIO, &GpsRxDialog::IDC_GPS_MODE_AIV_RADIO_clicked);
  click(form->IDC_GPS_MODE_BEST4_RADIO, &GpsRxDialog::IDC_GPS_MODE_BEST4_RADIO_clicked);
  click(form->IDC_GPS_MODE_BEST_RADIO, &GpsRxDialog::IDC_GPS_MODE_BEST_RADIO_clicked);
  click(form->IDC_GPS_MODE_HIGHEST_RADIO, &GpsRxDialog::IDC_GPS_MODE_HIGHEST_RADIO_clicked);
  click(form->IDC_GPS_MODE_ION_ON_RADIO, &GpsRxDialog::IDC_GPS_MODE_ION_ON_RADIO_clicked);
  click(form->IDC_GPS_MODE_ION_OFF_RADIO, &GpsRxDialog::IDC_GPS_MODE_ION_OFF_RADIO_clicked);
  click(form->IDC_GPS_MODE_TRO_ON_RADIO, &GpsRxDialog::IDC_GPS_MODE_TRO_ON_RADIO_clicked);
  click(form->IDC_GPS_MODE_TRO_OFF_RADIO, &GpsRxDialog::IDC_GPS_MODE_TRO_OFF_RADIO_clicked);
  click(form->IDC_GPS_MODE_GDOP_RADIO, &GpsRxDialog::IDC_GPS_MODE_GDOP_RADIO_clicked);
  click(form->IDC_GPS_MODE_PDOP_RADIO, &GpsRxDialog::IDC_GPS_MODE_PDOP_RADIO_clicked);
  click(form->IDC_GPS_MODE_HDOP_RADIO, &GpsRxDialog::IDC_GPS_MODE_HDOP_RADIO_clicked);
  click(form->IDC_GPS_MODE_VDOP_RADIO, &GpsRxDialog::IDC_GPS_MODE_VDOP_RADIO_clicked);
  click(form->IDC_GPS_MODE_TDOP_RADIO, &GpsRxDialog::IDC_GPS_MODE_TDOP_RADIO_clicked);
  click(form->IDC_GPS_MODE_AP_AIR_RADIO, &GpsRxDialog::IDC_GPS_MODE_AP_AIR_RADIO_clicked);
  click(form->IDC_GPS_MODE_AP_HH_RADIO, &GpsRxDialog::IDC_GPS_MODE_AP_HH_RADIO_clicked);
  click(form->IDC_GPS_MODE_AP_LAND_RADIO, &GpsRxDialog::IDC_GPS_MODE_AP_LAND_RADIO_clicked);
  click(form->IDC_GPS_MODE_AP_MAR_RADIO, &GpsRxDialog::IDC_GPS_MODE_AP_MAR_RADIO_clicked);
  click(form->IDC_GPS_MODE_AP_STATIC_RADIO, &GpsRxDialog::IDC_GPS_MODE_AP_STATIC_RADIO_clicked);
  click(form->IDC_GPS_MODE_PPS_RATE, &GpsRxDialog::IDC_GPS_MODE_PPS_RATE_clicked);
  click(form->IDC_GPS_MODE_100PPS, &GpsRxDialog::IDC_GPS_MODE_100PPS_clicked);
  click(form->IDC_GPS_MODE_PPS_LONG, &GpsRxDialog::IDC_GPS_MODE_PPS_LONG_clicked);
  click(form->IDC_GPS_MODE_PPS_SHORT, &GpsRxDialog::IDC_GPS_MODE_PPS_SHORT_clicked);
  toggle(form->IDC_GPS_MODE_LOCAL_TIME, &GpsRxDialog::IDC_GPS_MODE_LOCAL_TIME_clicked);
  toggle(form->IDC_GPS_MODE_EMULATE_PVT6, &GpsRxDialog::IDC_GPS_MODE_EMULATE_PVT6_clicked);
  toggle(form->IDC_GPS_MODE_ALIGN_MSGS, &GpsRxDialog::IDC_GPS_MODE_ALIGN_MSGS_clicked);
  toggle(form->IDC_GPS_MODE_DGPS_ON, &GpsRxDialog::IDC_GPS_MODE_DGPS_ON_clicked);
  connect(form->IDC_GPS_MODE_DGPS_RATE, &QLineEdit::editingFinished, this,
          &GpsRxDialog::IDC_GPS_MODE_DGPS_RATE_editingFinished);
  connect(form->IDC_GPS_MODE_EL_MASK, &QLineEdit::editingFinished, this,
          &GpsRxDialog::IDC_GPS_MODE_EL_MASK_editingFinished);
  toggle(form->IDC_GPS_MODE_GPS, &GpsRxDialog::IDC_GPS_MODE_GPS_clicked);
  toggle(form->IDC_GPS_MODE_GLONASS, &GpsRxDialog::IDC_GPS_MODE_GLONASS_clicked);
  toggle(form->IDC_GPS_MODE_GALILEO, &GpsRxDialog::IDC_GPS_MODE_GALILEO_clicked);
  toggle(form->IDC_GPS_MODE_BEIDOU, &GpsRxDialog::IDC_GPS_MODE_BEIDOU_clicked);
  toggle(form->IDC_GPS_MODE_QZSS, &GpsRxDialog::IDC_GPS_MODE_QZSS_clicked);
  toggle(form->IDC_GPS_MODE_SBAS, &GpsRxDialog::IDC_GPS_MODE_SBAS_clicked);
  click(form->IDC_GPS_MODE_N_DEFAULTS, &GpsRxDialog::IDC_GPS_MODE_N_DEFAULTS_clicked);
  click(form->IDC_GPS_MODE_T_DEFAULTS, &GpsRxDialog::IDC_GPS_MODE_T_DEFAULTS_clicked);
  click(form->IDC_GPS_MODE_D_DEFAULTS, &GpsRxDialog::IDC_GPS_MODE_D_DEFAULTS_clicked);
}

GpsRxDialog::~GpsRxDialog()
{
  delete form;
}

// ---- store ---------------------------------------------------------------

void GpsRxDialog::LoadSettings()
{
  QSettings settings;
  restoreGeometry(settings.value(GeometryKey).toByteArray());

  gpsNavMode = ReadChoice(settings, GpsModeKey, 2);
  ShowNavMode();

  rxOnLocalTime = ReadFlag(settings, LocalTimeKey);
  form->IDC_GPS_MODE_LOCAL_TIME->setChecked(rxOnLocalTime);
  emulatePvt6 = ReadFlag(settings, EmulatePvt6Key);
  form->IDC_GPS_MODE_EMULATE_PVT6->setChecked(emulatePvt6);

  positionFixMode = ReadChoice(settings, PositionFixKey, 1);
  ShowPositionFixMode();
  satelliteSelection = ReadChoice(settings, SatSelectionKey, 1);
  ShowSatelliteSelection();
  ionosphericDelay = ReadChoice(settings, IonoKey, 1);
  troposphericDelay = ReadChoice(settings, TropoKey, 1);
  ShowCorrections();
  // Range-checked before narrowing, so a stored 260 is not taken as 4.
  geometryButton = static_cast<qint8>(ReadChoice(settings, GeometryButtonKey, 4));
  ShowGeometryButton();

  if (settings.contains(DgpsActivateKey)) {
    dgpsActivate = settings.value(DgpsActivateKey, false).toBool();
  } else {
    dgpsActivate = false;
    settings.setValue(DgpsActivateKey, false);
  }
  ShowDgpsActivate();
  if (settings.contains(AlignKey)) {
    alignMessages = settings.value(AlignKey, false).toBool();
  } else {
    alignMessages = false;
    settings.setValue(AlignKey, false);
  }
  form->IDC_GPS_MODE_ALIGN_MSGS->setChecked(alignMessages);

  const bool rateExists = settings.contains(DgpsRateKey);
  dgpsRate = settings.value(DgpsRateKey, 30).toInt();
  if (rateExists && dgpsRate >= 0 && dgpsRate <= 255) {
    if (dgpsRate == 0) {
      dgpsActivate = false;
      ShowDgpsActivate();
      settings.setValue(DgpsActivateKey, false);
    }
  } else {
    dgpsRate = 30;
    settings.setValue(DgpsRateKey, dgpsRate);
  }
  form->IDC_GPS_MODE_DGPS_RATE->setText(QString::number(dgpsRate));

  elevationMask = settings.value(ElevationMaskKey, 5).toInt();
  if (elevationMask < 0 || elevationMask > 90) {
    elevationMask = 5;
    settings.setValue(ElevationMaskKey, elevationMask);
  }
  form->IDC_GPS_MODE_EL_MASK->setText(QString::number(elevationMask));

  applicationType = static_cast<qint8>(ReadChoice(settings, AppTypeKey, 4));
  ShowApplicationType();
  ppsRate = ReadChoice(settings, PpsRateKey, 1);
  ShowPpsRate();
  ppsDuration = ReadChoice(settings, PpsDurationKey, 1);
  ShowPpsDuration();

  // A fresh install tracks GPS: no satellite system at all is no choice.
  satGps = ReadFlag(settings, SatGpsKey, true);
  satGlonass = ReadFlag(settings, SatGlonassKey);
  satGalileo = ReadFlag(settings, SatGalileoKey);
  satBeidou = ReadFlag(settings, SatBeidouKey);
  satQzss = ReadFlag(settings, SatQzssKey);
  satSbas = ReadFlag(settings, SatSbasKey);
  ShowConstellations();
}

void GpsRxDialog::SaveSettings()
{
  {
    QSettings settings;
    settings.setValue(GpsModeKey, gpsNavMode);
    settings.setValue(LocalTimeKey, rxOnLocalTime);
    settings.setValue(EmulatePvt6Key, emulatePvt6);
    settings.setValue(PositionFixKey, positionFixMode);
    settings.setValue(SatSelectionKey, satelliteSelection);
    settings.setValue(IonoKey, ionosphericDelay);
    settings.setValue(TropoKey, troposphericDelay);
    settings.setValue(GeometryButtonKey, int(geometryButton));
    settings.setValue(DgpsActivateKey, dgpsActivate);
    settings.setValue(AlignKey, alignMessages);
    settings.setValue(DgpsRateKey, dgpsRate);
    // The mask field may still hold the focus, so take its text first.
    IDC_GPS_MODE_EL_MASK_editingFinished();
    settings.setValue(ElevationMaskKey, elevationMask);
    settings.setValue(AppTypeKey, int(applicationType));
    settings.setValue(PpsRateKey, ppsRate);
    settings.setValue(PpsDurationKey, ppsDuration);
  }
  SaveConstellationSettings();
  SaveGeometry();
}

void GpsRxDialog::SaveConstellationSettings()
{
  QSettings settings;
  settings.setValue(SatGpsKey, satGps);
  settings.setValue(SatGlonassKey, satGlonass);
  settings.setValue(SatGalileoKey, satGalileo);
  settings.setValue(SatBeidouKey, satBeidou);
  settings.setValue(SatQzssKey, satQzss);
  settings.setValue(SatSbasKey, satSbas);
}

void GpsRxDialog::SaveGpsMode(int mode)
{
  gpsNavMode = mode;
  QSettings().setValue(GpsModeKey, mode);
}

void GpsRxDialog::SaveGeometry()
{
  QSettings().setValue(GeometryKey, saveGeometry());
}

quint8 GpsRxDialog::ConstellationMask() const
{
  quint8 mask = 0;
  if (satGps) mask |= ConstellationGps;
  if (satGlonass) mask |= ConstellationGlonass;
  if (satGalileo) mask |= ConstellationGalileo;
  if (satBeidou) mask |= ConstellationBeidou;
  if (satQzss) mask |= ConstellationQzss;
  if (satSbas) mask |= ConstellationSbas;
  return mask;
}

void GpsRxDialog::SetConstellationsFromMask(quint8 mask)
{
  satGps = mask & ConstellationGps;
  satGlonass = mask & ConstellationGlonass;
  satGalileo = mask & ConstellationGalileo;
  satBeidou = mask & ConstellationBeidou;
  satQzss = mask & ConstellationQzss;
  satSbas = mask & ConstellationSbas;
}

bool GpsRxDialog::IsIonoOffByDefault()
{
  if (CurrentGpsMode == GpsModeGenericNmea)
    return false;
  const double firmware = receiverIdentity.firmwareVersion;
  if (IsEarlyOncore())
    return firmware < 1.6;
  if (IsUtClass())
    return firmware < 2.0;
  return false;
}

bool GpsRxDialog::IsTropoOffByDefault()
{
  if (CurrentGpsMode == GpsModeGenericNmea)
    return true;
  const double firmware = receiverIdentity.firmwareVersion;
  if (IsEarlyOncore() || IsUtClass())
    return firmware < 2.0;
  if (IsM12Class() || IsSsr6() || IsSsrM8())
    return false;
  return firmware < 8.9;
}

// ---- window --------------------------------------------------------------

int GpsRxDialog::exec()
{
  LoadSettings();

  const bool dgpsOffered = CurrentGpsMode == GpsModeMotorolaBinary && receiverIdentity.hasDgps;
  form->DGPSOutputGroupBox->setEnabled(dgpsOffered);
  form->IDC_GPS_MODE_D_DEFAULTS->setEnabled(dgpsOffered);

  bool galileo = true;
  if (IsSsr6())
    galileo = false;
  else if (IsSsrM8())
    galileo = receiverIdentity.galileoCapable;
  form->IDC_GPS_MODE_GALILEO->setEnabled(galileo);
  form->IDC_GPS_MODE_GALILEO->setToolTip(galileo ? QString() : tr(GalileoTip));

  if (IsSsr6()) {
    SetConstellationsFromMask(ConstellationGps);
    ShowConstellations();
  }
  const bool others = !IsSsr6();
  for (QCheckBox *box : {form->IDC_GPS_MODE_GPS, form->IDC_GPS_MODE_GLONASS, form->IDC_GPS_MODE_BEIDOU,
                         form->IDC_GPS_MODE_QZSS, form->IDC_GPS_MODE_SBAS})
    box->setEnabled(others);

  satGpsSelectable = form->IDC_GPS_MODE_GPS->isEnabled();
  satGlonassSelectable = form->IDC_GPS_MODE_GLONASS->isEnabled();
  satGalileoSelectable = form->IDC_GPS_MODE_GALILEO->isEnabled();
  satBeidouSelectable = form->IDC_GPS_MODE_BEIDOU->isEnabled();
  satQzssSelectable = form->IDC_GPS_MODE_QZSS->isEnabled();
  satSbasSelectable = form->IDC_GPS_MODE_SBAS->isEnabled();

  CheckConstellations(0);
  return QDialog::exec();
}

void GpsRxDialog::closeEvent(QCloseEvent *event)
{
  LoadSettings();
  SaveGeometry();
  QDialog::closeEvent(event);
}

void GpsRxDialog::reject()
{
  LoadSettings();
  SaveGeometry();
  QDialog::reject();
}

void GpsRxDialog::OnOkClicked()
{
  SaveSettings();
  done(1);
}

void GpsRxDialog::OnCancelClicked()
{
  reject();
}

quint8 GpsRxDialog::ConstellationsByRule(quint8 mask, int clickedBit)
{
  const bool gpsBefore = mask & ConstellationGps;
  if ((mask & ConstellationGlonass) && (mask & ConstellationBeidou))
    mask &= clickedBit == ConstellationBeidou ? ~ConstellationGlonass : ~ConstellationBeidou;
  if (!(mask & (ConstellationGps | ConstellationGlonass | ConstellationGalileo | ConstellationBeidou)))
    mask |= ConstellationGps;
  if (!gpsBefore)
    mask &= ~ConstellationQzss;
  return mask;
}

bool GpsRxDialog::ApplyConstellationRule()
{
  const quint8 mask = ConstellationMask();
  const quint8 ruled = ConstellationsByRule(mask, 0);
  if (ruled == mask)
    return false;
  SetConstellationsFromMask(ruled);
  ShowConstellations();
  SaveConstellationSettings();
  return true;
}

void GpsRxDialog::CheckConstellations(int clickedBit)
{
  quint8 boxes = 0;
  const std::pair<QCheckBox *, int> boxBits[] = {
      {form->IDC_GPS_MODE_GPS, ConstellationGps},         {form->IDC_GPS_MODE_GLONASS, ConstellationGlonass},
      {form->IDC_GPS_MODE_GALILEO, ConstellationGalileo}, {form->IDC_GPS_MODE_BEIDOU, ConstellationBeidou},
      {form->IDC_GPS_MODE_QZSS, ConstellationQzss},       {form->IDC_GPS_MODE_SBAS, ConstellationSbas}};
  for (const auto &[box, bit] : boxBits)
    boxes |= box->isChecked() ? bit : 0;
  SetConstellationsFromMask(ConstellationsByRule(boxes, clickedBit));
  ShowConstellations();

  if (satGlonassSelectable) {
    form->IDC_GPS_MODE_GLONASS->setEnabled(!satBeidou);
    form->IDC_GPS_MODE_GLONASS->setToolTip(satBeidou ? tr(GlonassBeidouTip) : QString());
  }
  if (satBeidouSelectable) {
    form->IDC_GPS_MODE_BEIDOU->setEnabled(!satGlonass);
    form->IDC_GPS_MODE_BEIDOU->setToolTip(satGlonass ? tr(GlonassBeidouTip) : QString());
  }
  if (satQzssSelectable) {
    form->IDC_GPS_MODE_QZSS->setEnabled(satGps);
    form->IDC_GPS_MODE_QZSS->setToolTip(satGps ? QString() : tr(QzssTip));
  }
}

// ---- showing members -----------------------------------------------------

void GpsRxDialog::ShowNavMode()
{
  QRadioButton *buttons[] = {form->IDC_GPS_MODE_3D_RADIO, form->IDC_GPS_MODE_2D_RADIO, form->IDC_GPS_MODE_0D_RADIO};
  if (gpsNavMode >= 0 && gpsNavMode <= 2)
    buttons[gpsNavMode]->setChecked(true);
}

void GpsRxDialog::ShowPositionFixMode()
{
  (positionFixMode == 1 ? form->IDC_GPS_MODE_BEST4_RADIO : form->IDC_GPS_MODE_AIV_RADIO)->setChecked(true);
}

void GpsRxDialog::ShowSatelliteSelection()
{
  (satelliteSelection == 1 ? form->IDC_GPS_MODE_HIGHEST_RADIO : form->IDC_GPS_MODE_BEST_RADIO)->setChecked(true);
}

void GpsRxDialog::ShowCorrections()
{
  (ionosphericDelay == 1 ? form->IDC_GPS_MODE_ION_OFF_RADIO : form->IDC_GPS_MODE_ION_ON_RADIO)->setChecked(true);
  (troposphericDelay == 1 ? form->IDC_GPS_MODE_TRO_OFF_RADIO : form->IDC_GPS_MODE_TRO_ON_RADIO)->setChecked(true);
}

void GpsRxDialog::ShowGeometryButton()
{
  QRadioButton *buttons[] = {form->IDC_GPS_MODE_GDOP_RADIO, form->IDC_GPS_MODE_PDOP_RADIO, form->IDC_GPS_MODE_HDOP_RADIO,
                             form->IDC_GPS_MODE_VDOP_RADIO, form->IDC_GPS_MODE_TDOP_RADIO};
  if (geometryButton >= 0 && geometryButton <= 4)
    buttons[int(geometryButton)]->setChecked(true);
}

void GpsRxDialog::ShowApplicationType()
{
  QRadioButton *buttons[] = {form->IDC_GPS_MODE_AP_AIR_RADIO, form->IDC_GPS_MODE_AP_HH_RADIO,
                             form->IDC_GPS_MODE_AP_LAND_RADIO, form->IDC_GPS_MODE_AP_MAR_RADIO,
                             form->IDC_GPS_MODE_AP_STATIC_RADIO};
  if (applicationType >= 0 && applicationType <= 4)
    buttons[int(applicationType)]->setChecked(true);
}

void GpsRxDialog::ShowPpsRate()
{
  (ppsRate == 1 ? form->IDC_GPS_MODE_100PPS : form->IDC_GPS_MODE_PPS_RATE)->setChecked(true);
}

void GpsRxDialog::ShowPpsDuration()
{
  (ppsDuration == 1 ? form->IDC_GPS_MODE_PPS_SHORT : form->IDC_GPS_MODE_PPS_LONG)->setChecked(true);
}

void GpsRxDialog::ShowDgpsActivate()
{
  form->IDC_GPS_MODE_DGPS_ON->setChecked(dgpsActivate);
  form->IDC_GPS_MODE_DGPS_RATE->setEnabled(dgpsActivate);
}

void GpsRxDialog::ShowConstellations()
{
  form->IDC_GPS_MODE_GPS->setChecked(satGps);
  form->IDC_GPS_MODE_GLONASS->setChecked(satGlonass);
  form->IDC_GPS_MODE_GALILEO->setChecked(satGalileo);
  form->IDC_GPS_MODE_BEIDOU->setChecked(satBeidou);
  form->IDC_GPS_MODE_QZSS->setChecked(satQzss);
  form->IDC_GPS_MODE_SBAS->setChecked(satSbas);
}

// ---- slots ---------------------------------------------------------------

void GpsRxDialog::IDC_GPS_MODE_3D_RADIO_clicked() { gpsNavMode = 0; }
void GpsRxDialog::IDC_GPS_MODE_2D_RADIO_clicked() { gpsNavMode = 1; }
void GpsRxDialog::IDC_GPS_MODE_0D_RADIO_clicked() { gpsNavMode = 2; }
void GpsRxDialog::IDC_GPS_MODE_AIV_RADIO_clicked() { positionFixMode = 0; }
void GpsRxDialog::IDC_GPS_MODE_BEST4_RADIO_clicked() { positionFixMode = 1; }
void GpsRxDialog::IDC_GPS_MODE_BEST_RADIO_clicked() { satelliteSelection = 0; }
void GpsRxDialog::IDC_GPS_MODE_HIGHEST_RADIO_clicked() { satelliteSelection = 1; }
void GpsRxDialog::IDC_GPS_MODE_ION_ON_RADIO_clicked() { ionosphericDelay = 0; }
void GpsRxDialog::IDC_GPS_MODE_ION_OFF_RADIO_clicked() { ionosphericDelay = 1; }
void GpsRxDialog::IDC_GPS_MODE_TRO_ON_RADIO_clicked() { troposphericDelay = 0; }
void GpsRxDialog::IDC_GPS_MODE_TRO_OFF_RADIO_clicked() { troposphericDelay = 1; }
void GpsRxDialog::IDC_GPS_MODE_GDOP_RADIO_clicked() { geometryButton = 0; }
void GpsRxDialog::IDC_GPS_MODE_PDOP_RADIO_clicked() { geometryButton = 1; }
void GpsRxDialog::IDC_GPS_MODE_HDOP_RADIO_clicked() { geometryButton = 2; }
void GpsRxDialog::IDC_GPS_MODE_VDOP_RADIO_clicked() { geometryButton = 3; }
void GpsRxDialog::IDC_GPS_MODE_TDOP_RADIO_clicked() { geometryButton = 4; }
void GpsRxDialog::IDC_GPS_MODE_AP_AIR_RADIO_clicked() { applicationType = 0; }
void GpsRxDialog::IDC_GPS_MODE_AP_HH_RADIO_clicked() { applicationType = 1; }
void GpsRxDialog::IDC_GPS_MODE_AP_LAND_RADIO_clicked() { applicationType = 2; }
void GpsRxDialog::IDC_GPS_MODE_AP_MAR_RADIO_clicked() { applicationType = 3; }
void GpsRxDialog::IDC_GPS_MODE_AP_STATIC_RADIO_clicked() { applicationType = 4; }
void GpsRxDialog::IDC_GPS_MODE_PPS_RATE_clicked() { ppsRate = 0; }
void GpsRxDialog::IDC_GPS_MODE_100PPS_clicked() { ppsRate = 1; }
void GpsRxDialog::IDC_GPS_MODE_PPS_LONG_clicked() { ppsDuration = 0; }
void GpsRxDialog::IDC_GPS_MODE_PPS_SHORT_clicked() { ppsDuration = 1; }
void GpsRxDialog::IDC_GPS_MODE_LOCAL_TIME_clicked(bool checked) { rxOnLocalTime = checked; }
void GpsRxDialog::IDC_GPS_MODE_EMULATE_PVT6_clicked(bool checked) { emulatePvt6 = checked; }
void GpsRxDialog::IDC_GPS_MODE_ALIGN_MSGS_clicked(bool checked) { alignMessages = checked; }

void GpsRxDialog::IDC_GPS_MODE_DGPS_ON_clicked(bool checked)
{
  dgpsActivate = checked;
  form->IDC_GPS_MODE_DGPS_RATE->setEnabled(checked);
}

void GpsRxDialog::IDC_GPS_MODE_DGPS_RATE_editingFinished()
{
  if (!ParseField(form->IDC_GPS_MODE_DGPS_RATE->text(), 0, 255, &dgpsRate))
    form->IDC_GPS_MODE_DGPS_RATE->setText(QString::number(dgpsRate));
  if (dgpsRate < 1) {
    dgpsActivate = false;
    form->IDC_GPS_MODE_DGPS_ON->setChecked(false);
  }
}

void GpsRxDialog::IDC_GPS_MODE_EL_MASK_editingFinished()
{
  // The validator lets a partial entry such as "95" stand in the field;
  // only a value in range becomes the mask.
  if (!ParseField(form->IDC_GPS_MODE_EL_MASK->text(), 0, 90, &elevationMask))
    form->IDC_GPS_MODE_EL_MASK->setText(QString::number(elevationMask));
}

// One constellation box clicked: its flag, then the rules.
void GpsRxDialog::ConstellationClicked(bool &flag, bool checked, int bit)
{
  flag = checked;
  CheckConstellations(checked ? bit : 0);
}

void GpsRxDialog::IDC_GPS_MODE_GPS_clicked(bool checked) { ConstellationClicked(satGps, checked, ConstellationGps); }
void GpsRxDialog::IDC_GPS_MODE_GLONASS_clicked(bool checked) { ConstellationClicked(satGlonass, checked, ConstellationGlonass); }
void GpsRxDialog::IDC_GPS_MODE_GALILEO_clicked(bool checked) { ConstellationClicked(satGalileo, checked, ConstellationGalileo); }
void GpsRxDialog::IDC_GPS_MODE_BEIDOU_clicked(bool checked) { ConstellationClicked(satBeidou, checked, ConstellationBeidou); }
void GpsRxDialog::IDC_GPS_MODE_QZSS_clicked(bool checked) { ConstellationClicked(satQzss, checked, ConstellationQzss); }
void GpsRxDialog::IDC_GPS_MODE_SBAS_clicked(bool checked) { ConstellationClicked(satSbas, checked, ConstellationSbas); }

// ---- defaults ------------------------------------------------------------

void GpsRxDialog::SetDefaultCorrections()
{
  ionosphericDelay = IsIonoOffByDefault() ? 1 : 0;
  troposphericDelay = IsTropoOffByDefault() ? 1 : 0;
  ShowCorrections();
}

void GpsRxDialog::SetRestOfDefaults(int selection, int geometry, int application, bool dgps)
{
  positionFixMode = 0;
  ShowPositionFixMode();
  satelliteSelection = selection;
  ShowSatelliteSelection();
  geometryButton = static_cast<qint8>(geometry);
  ShowGeometryButton();
  applicationType = static_cast<qint8>(application);
  ShowApplicationType();
  dgpsActivate = dgps;
  ShowDgpsActivate();
}

void GpsRxDialog::IDC_GPS_MODE_N_DEFAULTS_clicked()
{
  const double firmware = receiverIdentity.firmwareVersion;
  auto setMask = [this](qint32 mask) {
    elevationMask = mask;
    form->IDC_GPS_MODE_EL_MASK->setText(QString::number(mask));
  };
  SetDefaultCorrections();
  gpsNavMode = 0;
  if (CurrentGpsMode == GpsModeGenericNmea) {
    // fix dimension only
  } else if (IsEarlyOncore() || IsUtClass()) {
    setMask(firmware < 2.0 ? 10 : 5);
  } else if (IsM12Class() || IsSsr6()) {
    setMask(5);
    SetRestOfDefaults(0, 0, 2, false);
  } else if (IsUbloxMode(CurrentGpsMode) || IsSsrM8()) {
    setMask(5);
    SetRestOfDefaults(0, 0, 2, false);
    SetConstellationsFromMask(ConstellationGps | ConstellationSbas);
    ShowConstellations();
    CheckConstellations(0);
  } else {
    setMask(5);
    SetRestOfDefaults(0, 0, 2, false);
  }
  ShowNavMode();
}

void GpsRxDialog::IDC_GPS_MODE_T_DEFAULTS_clicked()
{
  const double firmware = receiverIdentity.firmwareVersion;
  auto setMask = [this](qint32 mask) {
    elevationMask = mask;
    form->IDC_GPS_MODE_EL_MASK->setText(QString::number(mask));
  };
  SetDefaultCorrections();
  if (CurrentGpsMode == GpsModeGenericNmea) {
    gpsNavMode = 1;
  } else if (IsM12Class()) {
    gpsNavMode = 2;
    setMask(5);
    SetRestOfDefaults(1, 4, 2, false);
  } else if (IsEarlyOncore()) {
    gpsNavMode = firmware >= 2.0 ? 1 : 0;
    setMask(10);
  } else if (IsUtClass()) {
    gpsNavMode = 2;
    setMask(10);
  } else if (IsSsr6()) {
    gpsNavMode = 2;
    setMask(5);
    SetRestOfDefaults(1, 4, 4, false);
  } else if (IsUbloxMode(CurrentGpsMode) || IsSsrM8()) {
    gpsNavMode = 2;
    setMask(5);
    SetRestOfDefaults(1, 4, 4, false);
    SetConstellationsFromMask(ConstellationGps);
    ShowConstellations();
    CheckConstellations(0);
  } else {
    gpsNavMode = 2;
    setMask(10);
    SetRestOfDefaults(1, 4, 2, false);
  }
  ShowNavMode();
}

void GpsRxDialog::IDC_GPS_MODE_D_DEFAULTS_clicked()
{
  const double firmware = receiverIdentity.firmwareVersion;
  auto setMask = [this](qint32 mask) {
    elevationMask = mask;
    form->IDC_GPS_MODE_EL_MASK->setText(QString::number(mask));
  };
  ionosphericDelay = 1;
  troposphericDelay = 1;
  ShowCorrections();
  if (CurrentGpsMode == GpsModeGenericNmea) {
    gpsNavMode = 1;
  } else if (IsM12Class() || IsSsr6() || IsSsrM8()) {
    gpsNavMode = 2;
    setMask(5);
    SetRestOfDefaults(0, 0, 2, true);
  } else if (IsEarlyOncore()) {
    gpsNavMode = firmware >= 2.0 ? 1 : 0;
    setMask(firmware < 2.0 ? 10 : 5);
  } else if (IsUtClass()) {
    gpsNavMode = 2;
    setMask(firmware < 2.0 ? 10 : 5);
  } else {
    gpsNavMode = 2;
    setMask(10);
    SetRestOfDefaults(0, 0, 2, true);
  }
  ShowNavMode();
}
