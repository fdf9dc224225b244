#include "receiver/dialogs/GpsRxDialog.h"
#include "ui_GpsRxDialog.h"

#include "core/GpsMode.h"
#include "core/ReceiverIdentity.h"
#include "receiver/decode/GpsRxModel.h"

#include <QCloseEvent>
#include <QIntValidator>
#include <QSettings>

#include <initializer_list>
#include <utility>

namespace {

const char *const GeometryKey = "GpsRxDialog/Geometry";

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
  form->IDC_GPS_MODE_DGPS_RATE->setValidator(new QIntValidator(0, 255, this));
  form->IDC_GPS_MODE_EL_MASK->setValidator(new QIntValidator(0, 90, this));

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
  restoreGeometry(QSettings().value(GeometryKey).toByteArray());
  values = LoadReceiverModeSettings();
  ShowNavMode();
  form->IDC_GPS_MODE_LOCAL_TIME->setChecked(values.rxOnLocalTime);
  form->IDC_GPS_MODE_EMULATE_PVT6->setChecked(values.emulatePvt6);
  ShowPositionFixMode();
  ShowSatelliteSelection();
  ShowCorrections();
  ShowGeometryButton();
  ShowDgpsActivate();
  form->IDC_GPS_MODE_ALIGN_MSGS->setChecked(values.alignMessages);
  form->IDC_GPS_MODE_DGPS_RATE->setText(QString::number(values.dgpsRate));
  form->IDC_GPS_MODE_EL_MASK->setText(QString::number(values.elevationMask));
  ShowApplicationType();
  ShowPpsRate();
  ShowPpsDuration();
  ShowConstellations();
}

void GpsRxDialog::SaveSettings()
{
  // The mask field may still hold the focus, so take its text first.
  IDC_GPS_MODE_EL_MASK_editingFinished();
  SaveReceiverModeSettings(values);
  SaveGeometry();
}

void GpsRxDialog::SaveGeometry()
{
  QSettings().setValue(GeometryKey, saveGeometry());
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
    SetConstellationsFromMask(values, ConstellationGps);
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

void GpsRxDialog::CheckConstellations(int clickedBit)
{
  quint8 boxes = 0;
  const std::pair<QCheckBox *, int> boxBits[] = {
      {form->IDC_GPS_MODE_GPS, ConstellationGps},         {form->IDC_GPS_MODE_GLONASS, ConstellationGlonass},
      {form->IDC_GPS_MODE_GALILEO, ConstellationGalileo}, {form->IDC_GPS_MODE_BEIDOU, ConstellationBeidou},
      {form->IDC_GPS_MODE_QZSS, ConstellationQzss},       {form->IDC_GPS_MODE_SBAS, ConstellationSbas}};
  for (const auto &[box, bit] : boxBits)
    boxes |= box->isChecked() ? bit : 0;
  SetConstellationsFromMask(values, ConstellationsByRule(boxes, clickedBit));
  ShowConstellations();

  if (satGlonassSelectable) {
    form->IDC_GPS_MODE_GLONASS->setEnabled(!values.satBeidou);
    form->IDC_GPS_MODE_GLONASS->setToolTip(values.satBeidou ? tr(GlonassBeidouTip) : QString());
  }
  if (satBeidouSelectable) {
    form->IDC_GPS_MODE_BEIDOU->setEnabled(!values.satGlonass);
    form->IDC_GPS_MODE_BEIDOU->setToolTip(values.satGlonass ? tr(GlonassBeidouTip) : QString());
  }
  if (satQzssSelectable) {
    form->IDC_GPS_MODE_QZSS->setEnabled(values.satGps);
    form->IDC_GPS_MODE_QZSS->setToolTip(values.satGps ? QString() : tr(QzssTip));
  }
}

// ---- showing members -----------------------------------------------------

void GpsRxDialog::ShowNavMode()
{
  QRadioButton *buttons[] = {form->IDC_GPS_MODE_3D_RADIO, form->IDC_GPS_MODE_2D_RADIO, form->IDC_GPS_MODE_0D_RADIO};
  if (values.gpsNavMode >= 0 && values.gpsNavMode <= 2)
    buttons[values.gpsNavMode]->setChecked(true);
}

void GpsRxDialog::ShowPositionFixMode()
{
  (values.positionFixMode == 1 ? form->IDC_GPS_MODE_BEST4_RADIO : form->IDC_GPS_MODE_AIV_RADIO)->setChecked(true);
}

void GpsRxDialog::ShowSatelliteSelection()
{
  (values.satelliteSelection == 1 ? form->IDC_GPS_MODE_HIGHEST_RADIO : form->IDC_GPS_MODE_BEST_RADIO)->setChecked(true);
}

void GpsRxDialog::ShowCorrections()
{
  (values.ionosphericDelay == 1 ? form->IDC_GPS_MODE_ION_OFF_RADIO : form->IDC_GPS_MODE_ION_ON_RADIO)->setChecked(true);
  (values.troposphericDelay == 1 ? form->IDC_GPS_MODE_TRO_OFF_RADIO : form->IDC_GPS_MODE_TRO_ON_RADIO)->setChecked(true);
}

void GpsRxDialog::ShowGeometryButton()
{
  QRadioButton *buttons[] = {form->IDC_GPS_MODE_GDOP_RADIO, form->IDC_GPS_MODE_PDOP_RADIO, form->IDC_GPS_MODE_HDOP_RADIO,
                             form->IDC_GPS_MODE_VDOP_RADIO, form->IDC_GPS_MODE_TDOP_RADIO};
  if (values.geometryButton >= 0 && values.geometryButton <= 4)
    buttons[int(values.geometryButton)]->setChecked(true);
}

void GpsRxDialog::ShowApplicationType()
{
  QRadioButton *buttons[] = {form->IDC_GPS_MODE_AP_AIR_RADIO, form->IDC_GPS_MODE_AP_HH_RADIO,
                             form->IDC_GPS_MODE_AP_LAND_RADIO, form->IDC_GPS_MODE_AP_MAR_RADIO,
                             form->IDC_GPS_MODE_AP_STATIC_RADIO};
  if (values.applicationType >= 0 && values.applicationType <= 4)
    buttons[int(values.applicationType)]->setChecked(true);
}

void GpsRxDialog::ShowPpsRate()
{
  (values.ppsRate == 1 ? form->IDC_GPS_MODE_100PPS : form->IDC_GPS_MODE_PPS_RATE)->setChecked(true);
}

void GpsRxDialog::ShowPpsDuration()
{
  (values.ppsDuration == 1 ? form->IDC_GPS_MODE_PPS_SHORT : form->IDC_GPS_MODE_PPS_LONG)->setChecked(true);
}

void GpsRxDialog::ShowDgpsActivate()
{
  form->IDC_GPS_MODE_DGPS_ON->setChecked(values.dgpsActivate);
  form->IDC_GPS_MODE_DGPS_RATE->setEnabled(values.dgpsActivate);
}

void GpsRxDialog::ShowConstellations()
{
  form->IDC_GPS_MODE_GPS->setChecked(values.satGps);
  form->IDC_GPS_MODE_GLONASS->setChecked(values.satGlonass);
  form->IDC_GPS_MODE_GALILEO->setChecked(values.satGalileo);
  form->IDC_GPS_MODE_BEIDOU->setChecked(values.satBeidou);
  form->IDC_GPS_MODE_QZSS->setChecked(values.satQzss);
  form->IDC_GPS_MODE_SBAS->setChecked(values.satSbas);
}

// ---- slots ---------------------------------------------------------------

void GpsRxDialog::IDC_GPS_MODE_3D_RADIO_clicked() { values.gpsNavMode = 0; }
void GpsRxDialog::IDC_GPS_MODE_2D_RADIO_clicked() { values.gpsNavMode = 1; }
void GpsRxDialog::IDC_GPS_MODE_0D_RADIO_clicked() { values.gpsNavMode = 2; }
void GpsRxDialog::IDC_GPS_MODE_AIV_RADIO_clicked() { values.positionFixMode = 0; }
void GpsRxDialog::IDC_GPS_MODE_BEST4_RADIO_clicked() { values.positionFixMode = 1; }
void GpsRxDialog::IDC_GPS_MODE_BEST_RADIO_clicked() { values.satelliteSelection = 0; }
void GpsRxDialog::IDC_GPS_MODE_HIGHEST_RADIO_clicked() { values.satelliteSelection = 1; }
void GpsRxDialog::IDC_GPS_MODE_ION_ON_RADIO_clicked() { values.ionosphericDelay = 0; }
void GpsRxDialog::IDC_GPS_MODE_ION_OFF_RADIO_clicked() { values.ionosphericDelay = 1; }
void GpsRxDialog::IDC_GPS_MODE_TRO_ON_RADIO_clicked() { values.troposphericDelay = 0; }
void GpsRxDialog::IDC_GPS_MODE_TRO_OFF_RADIO_clicked() { values.troposphericDelay = 1; }
void GpsRxDialog::IDC_GPS_MODE_GDOP_RADIO_clicked() { values.geometryButton = 0; }
void GpsRxDialog::IDC_GPS_MODE_PDOP_RADIO_clicked() { values.geometryButton = 1; }
void GpsRxDialog::IDC_GPS_MODE_HDOP_RADIO_clicked() { values.geometryButton = 2; }
void GpsRxDialog::IDC_GPS_MODE_VDOP_RADIO_clicked() { values.geometryButton = 3; }
void GpsRxDialog::IDC_GPS_MODE_TDOP_RADIO_clicked() { values.geometryButton = 4; }
void GpsRxDialog::IDC_GPS_MODE_AP_AIR_RADIO_clicked() { values.applicationType = 0; }
void GpsRxDialog::IDC_GPS_MODE_AP_HH_RADIO_clicked() { values.applicationType = 1; }
void GpsRxDialog::IDC_GPS_MODE_AP_LAND_RADIO_clicked() { values.applicationType = 2; }
void GpsRxDialog::IDC_GPS_MODE_AP_MAR_RADIO_clicked() { values.applicationType = 3; }
void GpsRxDialog::IDC_GPS_MODE_AP_STATIC_RADIO_clicked() { values.applicationType = 4; }
void GpsRxDialog::IDC_GPS_MODE_PPS_RATE_clicked() { values.ppsRate = 0; }
void GpsRxDialog::IDC_GPS_MODE_100PPS_clicked() { values.ppsRate = 1; }
void GpsRxDialog::IDC_GPS_MODE_PPS_LONG_clicked() { values.ppsDuration = 0; }
void GpsRxDialog::IDC_GPS_MODE_PPS_SHORT_clicked() { values.ppsDuration = 1; }
void GpsRxDialog::IDC_GPS_MODE_LOCAL_TIME_clicked(bool checked) { values.rxOnLocalTime = checked; }
void GpsRxDialog::IDC_GPS_MODE_EMULATE_PVT6_clicked(bool checked) { values.emulatePvt6 = checked; }
void GpsRxDialog::IDC_GPS_MODE_ALIGN_MSGS_clicked(bool checked) { values.alignMessages = checked; }

void GpsRxDialog::IDC_GPS_MODE_DGPS_ON_clicked(bool checked)
{
  values.dgpsActivate = checked;
  form->IDC_GPS_MODE_DGPS_RATE->setEnabled(checked);
}

void GpsRxDialog::IDC_GPS_MODE_DGPS_RATE_editingFinished()
{
  if (!ParseField(form->IDC_GPS_MODE_DGPS_RATE->text(), 0, 255, &values.dgpsRate))
    form->IDC_GPS_MODE_DGPS_RATE->setText(QString::number(values.dgpsRate));
  if (values.dgpsRate < 1) {
    values.dgpsActivate = false;
    form->IDC_GPS_MODE_DGPS_ON->setChecked(false);
  }
}

void GpsRxDialog::IDC_GPS_MODE_EL_MASK_editingFinished()
{
  // The validator lets a partial entry such as "95" stand in the field;
  // only a value in range becomes the mask.
  if (!ParseField(form->IDC_GPS_MODE_EL_MASK->text(), 0, 90, &values.elevationMask))
    form->IDC_GPS_MODE_EL_MASK->setText(QString::number(values.elevationMask));
}

// One constellation box clicked: its flag, then the rules.
void GpsRxDialog::ConstellationClicked(bool &flag, bool checked, int bit)
{
  flag = checked;
  CheckConstellations(checked ? bit : 0);
}

void GpsRxDialog::IDC_GPS_MODE_GPS_clicked(bool checked) { ConstellationClicked(values.satGps, checked, ConstellationGps); }
void GpsRxDialog::IDC_GPS_MODE_GLONASS_clicked(bool checked) { ConstellationClicked(values.satGlonass, checked, ConstellationGlonass); }
void GpsRxDialog::IDC_GPS_MODE_GALILEO_clicked(bool checked) { ConstellationClicked(values.satGalileo, checked, ConstellationGalileo); }
void GpsRxDialog::IDC_GPS_MODE_BEIDOU_clicked(bool checked) { ConstellationClicked(values.satBeidou, checked, ConstellationBeidou); }
void GpsRxDialog::IDC_GPS_MODE_QZSS_clicked(bool checked) { ConstellationClicked(values.satQzss, checked, ConstellationQzss); }
void GpsRxDialog::IDC_GPS_MODE_SBAS_clicked(bool checked) { ConstellationClicked(values.satSbas, checked, ConstellationSbas); }

// ---- defaults ------------------------------------------------------------

void GpsRxDialog::SetDefaultCorrections()
{
  values.ionosphericDelay = IsIonoOffByDefault() ? 1 : 0;
  values.troposphericDelay = IsTropoOffByDefault() ? 1 : 0;
  ShowCorrections();
}

void GpsRxDialog::SetRestOfDefaults(int selection, int geometry, int application, bool dgps)
{
  values.positionFixMode = 0;
  ShowPositionFixMode();
  values.satelliteSelection = selection;
  ShowSatelliteSelection();
  values.geometryButton = static_cast<qint8>(geometry);
  ShowGeometryButton();
  values.applicationType = static_cast<qint8>(application);
  ShowApplicationType();
  values.dgpsActivate = dgps;
  ShowDgpsActivate();
}

void GpsRxDialog::IDC_GPS_MODE_N_DEFAULTS_clicked()
{
  const double firmware = receiverIdentity.firmwareVersion;
  auto setMask = [this](qint32 mask) {
    values.elevationMask = mask;
    form->IDC_GPS_MODE_EL_MASK->setText(QString::number(mask));
  };
  SetDefaultCorrections();
  values.gpsNavMode = 0;
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
    SetConstellationsFromMask(values, ConstellationGps | ConstellationSbas);
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
    values.elevationMask = mask;
    form->IDC_GPS_MODE_EL_MASK->setText(QString::number(mask));
  };
  SetDefaultCorrections();
  if (CurrentGpsMode == GpsModeGenericNmea) {
    values.gpsNavMode = 1;
  } else if (IsM12Class()) {
    values.gpsNavMode = 2;
    setMask(5);
    SetRestOfDefaults(1, 4, 2, false);
  } else if (IsEarlyOncore()) {
    values.gpsNavMode = firmware >= 2.0 ? 1 : 0;
    setMask(10);
  } else if (IsUtClass()) {
    values.gpsNavMode = 2;
    setMask(10);
  } else if (IsSsr6()) {
    values.gpsNavMode = 2;
    setMask(5);
    SetRestOfDefaults(1, 4, 4, false);
  } else if (IsUbloxMode(CurrentGpsMode) || IsSsrM8()) {
    values.gpsNavMode = 2;
    setMask(5);
    SetRestOfDefaults(1, 4, 4, false);
    SetConstellationsFromMask(values, ConstellationGps);
    ShowConstellations();
    CheckConstellations(0);
  } else {
    values.gpsNavMode = 2;
    setMask(10);
    SetRestOfDefaults(1, 4, 2, false);
  }
  ShowNavMode();
}

void GpsRxDialog::IDC_GPS_MODE_D_DEFAULTS_clicked()
{
  const double firmware = receiverIdentity.firmwareVersion;
  auto setMask = [this](qint32 mask) {
    values.elevationMask = mask;
    form->IDC_GPS_MODE_EL_MASK->setText(QString::number(mask));
  };
  values.ionosphericDelay = 1;
  values.troposphericDelay = 1;
  ShowCorrections();
  if (CurrentGpsMode == GpsModeGenericNmea) {
    values.gpsNavMode = 1;
  } else if (IsM12Class() || IsSsr6() || IsSsrM8()) {
    values.gpsNavMode = 2;
    setMask(5);
    SetRestOfDefaults(0, 0, 2, true);
  } else if (IsEarlyOncore()) {
    values.gpsNavMode = firmware >= 2.0 ? 1 : 0;
    setMask(firmware < 2.0 ? 10 : 5);
  } else if (IsUtClass()) {
    values.gpsNavMode = 2;
    setMask(firmware < 2.0 ? 10 : 5);
  } else {
    values.gpsNavMode = 2;
    setMask(10);
    SetRestOfDefaults(0, 0, 2, true);
  }
  ShowNavMode();
}
