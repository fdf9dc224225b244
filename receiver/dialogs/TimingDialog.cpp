#include "receiver/dialogs/TimingDialog.h"
#include "ui_TimingDialog.h"

#include "receiver/dialogs/CoaxDialog.h"
#include "fields/NumericFieldCheck.h"

#include <QCloseEvent>
#include <QSettings>

#include <cmath>

namespace {

const char *const GeometryKey = "TimingDialog/geometry";
const char *const EpochKey = "TimingDialog/Epoch";
const char *const PpsDelayKey = "TimingDialog/1pps Delay";
const char *const AntennaCableKey = "TimingDialog/Antenna Cable Delay";
const char *const MeasurementCableKey = "TimingDialog/Measurement Cable Delay";
const char *const RxDelayKey = "TimingDialog/Rx Delay";
const char *const ExtraDelayKey = "TimingDialog/Extra Delay";
const char *const TraimKey = "TimingDialog/T-Raim";
const char *const TraimKillKey = "TimingDialog/T-Raim Conditioned 1pps";
const char *const TicAutoCorrectKey = "TimingDialog/TIC Auto Correct";
const char *const SawtoothKey = "TimingDialog/Sawtooth Auto Correct";

// Half away from zero, to 0.001.
double Round3(double x)
{
  return (x < 0 ? std::ceil(x * 1000.0 - 0.5) : std::floor(x * 1000.0 + 0.5)) / 1000.0;
}

// Whole values as plain integers ("1000", "-999000"), others with up to
// three decimals.
QString TotalText(double value)
{
  QString text = QString::number(Round3(value), 'f', 3);
  while (text.endsWith(QLatin1Char('0')))
    text.chop(1);
  if (text.endsWith(QLatin1Char('.')))
    text.chop(1);
  if (text == QLatin1String("-0"))
    text = QStringLiteral("0");
  return text;
}

// A stored whole-number field shows its value truncated toward zero.
QString WholeText(double value)
{
  return QString::number(static_cast<qint64>(std::trunc(value)));
}

// The microsecond fields keep their decimals.
QString DecimalText(double value)
{
  return QString::number(value, 'g', 12);
}

}  // namespace

TimingTotals ComputeTimingTotals(double antennaCableNs, double measurementCableNs, double rxDelayNs,
                                 qint64 epochMs, double ppsDelayUs, double extraDelayUs)
{
  TimingTotals totals;
  totals.totalDelay = Round3(antennaCableNs + measurementCableNs + rxDelayNs);
  const double r = Round3(double(epochMs) * 1000.0 + ppsDelayUs - extraDelayUs);
  double w = r + 1000000.0;
  if (w > 1000000.0)
    w -= 2000000.0;
  w = Round3(w);
  totals.totalPpsOffsetNegative = r > 0 ? w : r;
  totals.totalPpsOffsetPositive = r > 0 ? r : w;
  return totals;
}

TimingDialog::TimingDialog(QWidget *parent) : QDialog(parent), form(new Ui::TimingDialog)
{
  form->setupUi(this);
  setFixedSize(size());
  coaxDialog = nullptr;
  sawtoothChanged = false;

  connect(form->OK, &QPushButton::clicked, this, &TimingDialog::OnOkClicked);
  connect(form->CANCEL, &QPushButton::clicked, this, &TimingDialog::OnCancelClicked);
  connect(form->AntennaCableHelp, &QPushButton::clicked, this, &TimingDialog::OnAntennaCoaxCalculator);
  connect(form->MesurementCableHelp, &QPushButton::clicked, this, &TimingDialog::OnMeasurementCoaxCalculator);
  connect(form->IDC_TIMING_EPOCH, &QLineEdit::editingFinished, this, &TimingDialog::OnEpochEditingFinished);
  connect(form->IDC_TIMING_EPOCH, &QLineEdit::textEdited, this, &TimingDialog::IDC_TIMING_EPOCH_textEdited);
  connect(form->IDC_TIMING_OFFSET, &QLineEdit::editingFinished, this, &TimingDialog::OnOffsetEditingFinished);
  connect(form->IDC_TIMING_OFFSET, &QLineEdit::textEdited, this, &TimingDialog::IDC_TIMING_OFFSET_textEdited);
  connect(form->IDC_TIMING_RAIM, &QLineEdit::editingFinished, this, &TimingDialog::OnRaimEditingFinished);
  connect(form->IDC_TIMING_RAIM, &QLineEdit::textEdited, this, &TimingDialog::IDC_TIMING_RAIM_textEdited);
  connect(form->IDC_TIMING_ANT_CABLE, &QLineEdit::editingFinished, this, &TimingDialog::OnAntCableEditingFinished);
  connect(form->IDC_TIMING_ANT_CABLE, &QLineEdit::textEdited, this, &TimingDialog::IDC_TIMING_ANT_CABLE_textEdited);
  connect(form->IDC_TIMING_MES_CABLE, &QLineEdit::editingFinished, this, &TimingDialog::OnMesCableEditingFinished);
  connect(form->IDC_TIMING_MES_CABLE, &QLineEdit::textEdited, this, &TimingDialog::IDC_TIMING_MES_CABLE_textEdited);
  connect(form->IDC_TIMING_RCVR_DELAY, &QLineEdit::editingFinished, this, &TimingDialog::OnRcvrDelayEditingFinished);
  connect(form->IDC_TIMING_RCVR_DELAY, &QLineEdit::textEdited, this, &TimingDialog::IDC_TIMING_RCVR_DELAY_textEdited);
  connect(form->IDC_TIMING_EXTRA_DELAY, &QLineEdit::editingFinished, this, &TimingDialog::OnExtraDelayEditingFinished);
  connect(form->IDC_TIMING_EXTRA_DELAY, &QLineEdit::textEdited, this, &TimingDialog::IDC_TIMING_EXTRA_DELAY_textEdited);
  connect(form->IDC_TIMING_EP_RESET, &QPushButton::clicked, this, &TimingDialog::IDC_TIMING_EP_RESET_clicked);
  connect(form->IDC_TIMING_ED_RESET, &QPushButton::clicked, this, &TimingDialog::IDC_TIMING_ED_RESET_clicked);
  connect(form->IDC_TIMING_DEFAULTS, &QPushButton::clicked, this, &TimingDialog::IDC_TIMING_DEFAULTS_clicked);

  // The receiver set-up and the TIC processing read the members from
  // start-up on, long before anyone opens the dialog.
  LoadSettings();
}

TimingDialog::~TimingDialog()
{
  delete form;
}

int TimingDialog::exec()
{
  LoadSettings();
  return QDialog::exec();
}

void TimingDialog::closeEvent(QCloseEvent *event)
{
  SaveGeometry();
  QDialog::closeEvent(event);
}

void TimingDialog::reject()
{
  // Cancel, Escape and the close button put the stored values back, so that
  // Defaults followed by Cancel leaves nothing changed.
  SaveGeometry();
  ReadStoredValues();
  ShowValues();
  QDialog::reject();
}

void TimingDialog::OnOkClicked()
{
  if (!form->OK->isEnabled())
    return;
  SaveSettings();
  done(1);
}

void TimingDialog::OnCancelClicked()
{
  reject();
}

// ---- store ---------------------------------------------------------------

void TimingDialog::ReadStoredValues()
{
  QSettings settings;
  bool ok = false;
  epochOffset = settings.value(EpochKey, "0").toInt(&ok);
  if (!ok)
    epochOffset = 0;
  ppsDelay = settings.value(PpsDelayKey, "0.000").toDouble();
  antennaCableDelay = settings.value(AntennaCableKey, "0.0").toDouble();
  measurementCableDelay = settings.value(MeasurementCableKey, "0.0").toDouble();
  rxDelay = settings.value(RxDelayKey, "55.0").toDouble();
  extraDelay = settings.value(ExtraDelayKey, "0.000").toDouble();
  traimLimit = settings.value(TraimKey, "500.0").toDouble();
  traimConditionedPps = settings.value(TraimKillKey, "0").toBool();
  ticAutoCorrect = settings.value(TicAutoCorrectKey, "true").toBool();
  sawtoothCorrection = settings.value(SawtoothKey, "0").toInt();
  if (sawtoothCorrection < SawtoothAutomatic || sawtoothCorrection > SawtoothOff)
    sawtoothCorrection = SawtoothOff;

  const TimingTotals totals = ComputeTimingTotals(antennaCableDelay, measurementCableDelay, rxDelay,
                                                  epochOffset, ppsDelay, extraDelay);
  totalDelay = totals.totalDelay;
  totalPpsOffsetNegative = totals.totalPpsOffsetNegative;
  totalPpsOffsetPositive = totals.totalPpsOffsetPositive;
}

void TimingDialog::ShowValues()
{
  form->IDC_TIMING_EPOCH->setText(QString::number(epochOffset));
  form->IDC_TIMING_OFFSET->setText(DecimalText(ppsDelay));
  form->IDC_TIMING_RAIM->setText(WholeText(traimLimit));
  form->IDC_TIMING_ANT_CABLE->setText(WholeText(antennaCableDelay));
  form->IDC_TIMING_MES_CABLE->setText(WholeText(measurementCableDelay));
  form->IDC_TIMING_RCVR_DELAY->setText(WholeText(rxDelay));
  form->IDC_TIMING_EXTRA_DELAY->setText(DecimalText(extraDelay));
  form->IDC_TIMING_RAIM_KILL_1PPS->setChecked(traimConditionedPps);
  form->IDC_TIMING_TIC_AUTO_CORRECT->setChecked(ticAutoCorrect);
  QRadioButton *radios[] = {form->IDC_SAWTOOTH_AUTO, form->IDC_SAWTOOTH_ADD, form->IDC_SAWTOOTH_SUB,
                            form->IDC_SAWTOOTH_OFF};
  if (sawtoothCorrection >= SawtoothAutomatic && sawtoothCorrection <= SawtoothOff)
    radios[sawtoothCorrection]->setChecked(true);
  UpdateTotals();
  UpdateOkButton();
}

void TimingDialog::LoadSettings()
{
  restoreGeometry(QSettings().value(GeometryKey).toByteArray());
  ReadStoredValues();
  ShowValues();
}

void TimingDialog::SaveSettings()
{
  OnEpochEditingFinished();
  OnOffsetEditingFinished();
  OnRaimEditingFinished();
  OnAntCableEditingFinished();
  OnMesCableEditingFinished();
  OnRcvrDelayEditingFinished();
  OnExtraDelayEditingFinished();

  antennaCableDelay = form->IDC_TIMING_ANT_CABLE->text().toDouble();
  extraDelay = form->IDC_TIMING_EXTRA_DELAY->text().toDouble();
  measurementCableDelay = form->IDC_TIMING_MES_CABLE->text().toDouble();
  rxDelay = form->IDC_TIMING_RCVR_DELAY->text().toDouble();
  ppsDelay = form->IDC_TIMING_OFFSET->text().toDouble();
  traimLimit = form->IDC_TIMING_RAIM->text().toDouble();
  bool ok = false;
  epochOffset = form->IDC_TIMING_EPOCH->text().toInt(&ok, 10);
  if (!ok)
    epochOffset = 0;
  const TimingTotals totals = ComputeTimingTotals(antennaCableDelay, measurementCableDelay, rxDelay,
                                                  epochOffset, ppsDelay, extraDelay);
  totalDelay = totals.totalDelay;
  totalPpsOffsetNegative = totals.totalPpsOffsetNegative;
  totalPpsOffsetPositive = totals.totalPpsOffsetPositive;
  traimConditionedPps = form->IDC_TIMING_RAIM_KILL_1PPS->isChecked();
  ticAutoCorrect = form->IDC_TIMING_TIC_AUTO_CORRECT->isChecked();
  if (form->IDC_SAWTOOTH_AUTO->isChecked())
    sawtoothCorrection = SawtoothAutomatic;
  else if (form->IDC_SAWTOOTH_ADD->isChecked())
    sawtoothCorrection = SawtoothAdd;
  else if (form->IDC_SAWTOOTH_SUB->isChecked())
    sawtoothCorrection = SawtoothSubtract;
  else if (form->IDC_SAWTOOTH_OFF->isChecked())
    sawtoothCorrection = SawtoothOff;
  else
    sawtoothCorrection = -1;

  QSettings settings;
  if (settings.value(SawtoothKey, "0").toInt() != sawtoothCorrection)
    sawtoothChanged = true;
  SaveGeometry();
  settings.setValue(EpochKey, epochOffset);
  settings.setValue(PpsDelayKey, ppsDelay);
  settings.setValue(AntennaCableKey, antennaCableDelay);
  settings.setValue(MeasurementCableKey, measurementCableDelay);
  settings.setValue(RxDelayKey, rxDelay);
  settings.setValue(ExtraDelayKey, extraDelay);
  settings.setValue(TraimKey, traimLimit);
  settings.setValue(TraimKillKey, traimConditionedPps);
  settings.setValue(TicAutoCorrectKey, ticAutoCorrect);
  settings.setValue(SawtoothKey, sawtoothCorrection);
}

void TimingDialog::SaveGeometry()
{
  QSettings().setValue(GeometryKey, saveGeometry());
}

void TimingDialog::UpdateTotals()
{
  bool ok = false;
  qint64 epoch = form->IDC_TIMING_EPOCH->text().toLongLong(&ok, 10);
  if (!ok || epoch < INT32_MIN || epoch > INT32_MAX)
    epoch = 0;
  const TimingTotals totals = ComputeTimingTotals(
      form->IDC_TIMING_ANT_CABLE->text().toDouble(), form->IDC_TIMING_MES_CABLE->text().toDouble(),
      form->IDC_TIMING_RCVR_DELAY->text().toDouble(), epoch, form->IDC_TIMING_OFFSET->text().toDouble(),
      form->IDC_TIMING_EXTRA_DELAY->text().toDouble());
  form->IDC_TIMING_TOTAL_UDELAY->setText(TotalText(totals.totalDelay));
  form->IDC_TIMING_TOTAL_EDELAY1->setText(TotalText(totals.totalPpsOffsetNegative));
  form->IDC_TIMING_TOTAL_EDELAY2->setText(TotalText(totals.totalPpsOffsetPositive));
}

// ---- field checks --------------------------------------------------------

bool TimingDialog::ValidateIntField(const QString &text, int min, int max, bool showMessages)
{
  return ReportFieldCheck(this, CheckIntegerField(text, min, max), showMessages);
}

bool TimingDialog::ValidateDoubleField(const QString &text, double min, double max, bool showMessages)
{
  return ReportFieldCheck(this, CheckDecimalField(text, min, max), showMessages);
}

bool TimingDialog::CheckField(QLineEdit *field, bool showMessages)
{
  const QString text = field->text();
  if (field == form->IDC_TIMING_EPOCH)
    return ValidateIntField(text, 0, 999, showMessages);
  if (field == form->IDC_TIMING_OFFSET || field == form->IDC_TIMING_EXTRA_DELAY)
    return ValidateDoubleField(text, 0.0, 999.999, showMessages);
  if (field == form->IDC_TIMING_RAIM) {
    // 0 switches T-RAIM off; otherwise the limit lies in 250..1000.
    if (CheckIntegerField(text, 0, 0).ok())
      return true;
    return ValidateIntField(text, 250, 1000, showMessages);
  }
  if (field == form->IDC_TIMING_RCVR_DELAY)
    return ValidateIntField(text, 0, 1000, showMessages);
  return ValidateIntField(text, 0, 20000, showMessages);  // the two cables
}

void TimingDialog::UpdateOkButton()
{
  bool all = true;
  for (QLineEdit *field : {form->IDC_TIMING_EPOCH, form->IDC_TIMING_OFFSET, form->IDC_TIMING_RAIM,
                           form->IDC_TIMING_ANT_CABLE, form->IDC_TIMING_MES_CABLE, form->IDC_TIMING_RCVR_DELAY,
                           form->IDC_TIMING_EXTRA_DELAY}) {
    const bool valid = CheckField(field, false);
    MarkFieldValid(field, valid);
    all = all && valid;
  }
  form->OK->setEnabled(all);
}

void TimingDialog::FieldEdited(QLineEdit *field, bool updateTotals)
{
  const bool valid = CheckField(field, false);
  MarkFieldValid(field, valid);
  if (valid && updateTotals)
    UpdateTotals();
  UpdateOkButton();
}

void TimingDialog::FieldLeft(QLineEdit *field)
{
  if (!CheckField(field, true))
    field->setFocus(Qt::OtherFocusReason);
}

void TimingDialog::IDC_TIMING_EPOCH_textEdited(const QString &) { FieldEdited(form->IDC_TIMING_EPOCH, true); }
void TimingDialog::IDC_TIMING_OFFSET_textEdited(const QString &) { FieldEdited(form->IDC_TIMING_OFFSET, true); }
void TimingDialog::IDC_TIMING_RAIM_textEdited(const QString &) { FieldEdited(form->IDC_TIMING_RAIM, false); }
void TimingDialog::IDC_TIMING_ANT_CABLE_textEdited(const QString &) { FieldEdited(form->IDC_TIMING_ANT_CABLE, true); }
void TimingDialog::IDC_TIMING_MES_CABLE_textEdited(const QString &) { FieldEdited(form->IDC_TIMING_MES_CABLE, true); }
void TimingDialog::IDC_TIMING_RCVR_DELAY_textEdited(const QString &) { FieldEdited(form->IDC_TIMING_RCVR_DELAY, true); }
void TimingDialog::IDC_TIMING_EXTRA_DELAY_textEdited(const QString &) { FieldEdited(form->IDC_TIMING_EXTRA_DELAY, true); }

void TimingDialog::OnEpochEditingFinished() { FieldLeft(form->IDC_TIMING_EPOCH); }
void TimingDialog::OnOffsetEditingFinished() { FieldLeft(form->IDC_TIMING_OFFSET); }
void TimingDialog::OnRaimEditingFinished() { FieldLeft(form->IDC_TIMING_RAIM); }
void TimingDialog::OnAntCableEditingFinished() { FieldLeft(form->IDC_TIMING_ANT_CABLE); }
void TimingDialog::OnMesCableEditingFinished() { FieldLeft(form->IDC_TIMING_MES_CABLE); }
void TimingDialog::OnRcvrDelayEditingFinished() { FieldLeft(form->IDC_TIMING_RCVR_DELAY); }
void TimingDialog::OnExtraDelayEditingFinished() { FieldLeft(form->IDC_TIMING_EXTRA_DELAY); }

// ---- buttons -------------------------------------------------------------

void TimingDialog::IDC_TIMING_EP_RESET_clicked()
{
  form->IDC_TIMING_EPOCH->setText(QStringLiteral("0"));
  form->IDC_TIMING_OFFSET->setText(QStringLiteral("0"));
  UpdateTotals();
  UpdateOkButton();
}

void TimingDialog::IDC_TIMING_ED_RESET_clicked()
{
  form->IDC_TIMING_ANT_CABLE->setText(QStringLiteral("0"));
  form->IDC_TIMING_MES_CABLE->setText(QStringLiteral("0"));
  form->IDC_TIMING_RCVR_DELAY->setText(QStringLiteral("55"));
  form->IDC_TIMING_EXTRA_DELAY->setText(QStringLiteral("0"));
  UpdateTotals();
  UpdateOkButton();
}

void TimingDialog::IDC_TIMING_DEFAULTS_clicked()
{
  IDC_TIMING_EP_RESET_clicked();
  IDC_TIMING_ED_RESET_clicked();
  traimLimit = 500.0;
  form->IDC_TIMING_RAIM->setText(QStringLiteral("500"));
  traimConditionedPps = false;
  form->IDC_TIMING_RAIM_KILL_1PPS->setChecked(false);
  sawtoothCorrection = SawtoothAutomatic;
  form->IDC_SAWTOOTH_AUTO->setChecked(true);
  UpdateOkButton();
}

void TimingDialog::OnAntennaCoaxCalculator()
{
  RunCoaxCalculator(QStringLiteral("Antenna Coax Calculator"), form->IDC_TIMING_ANT_CABLE);
}

void TimingDialog::OnMeasurementCoaxCalculator()
{
  RunCoaxCalculator(QStringLiteral("Measurement Coax Calculator"), form->IDC_TIMING_MES_CABLE);
}

void TimingDialog::RunCoaxCalculator(const QString &group, QLineEdit *field)
{
  if (!coaxDialog)
    coaxDialog = new CoaxDialog(this);
  coaxDialog->SettingsGroup = group;
  if (coaxDialog->exec() == 0)
    return;
  field->setText(WholeText(coaxDialog->dTotalDelay));
  UpdateTotals();
  UpdateOkButton();
}
