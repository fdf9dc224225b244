#include "receiver/dialogs/TimingDialog.h"
#include "ui_TimingDialog.h"

#include "receiver/dialogs/CoaxDialog.h"
#include "fields/NumericFieldCheck.h"

#include <QCloseEvent>
#include <QSettings>

#include <cmath>

namespace {

const char *const GeometryKey = "TimingDialog/geometry";

// Whole values as plain integers ("1000", "-999000"), others with up to
// three decimals.
QString TotalText(double value)
{
  QString text = QString::number(RoundToThousandths(value), 'f', 3);
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
  settings_ = LoadTimingSettings(settings);
}

void TimingDialog::ShowValues()
{
  form->IDC_TIMING_EPOCH->setText(QString::number(settings_.epochOffset));
  form->IDC_TIMING_OFFSET->setText(DecimalText(settings_.ppsDelay));
  form->IDC_TIMING_RAIM->setText(WholeText(settings_.traimLimit));
  form->IDC_TIMING_ANT_CABLE->setText(WholeText(settings_.antennaCableDelay));
  form->IDC_TIMING_MES_CABLE->setText(WholeText(settings_.measurementCableDelay));
  form->IDC_TIMING_RCVR_DELAY->setText(WholeText(settings_.rxDelay));
  form->IDC_TIMING_EXTRA_DELAY->setText(DecimalText(settings_.extraDelay));
  form->IDC_TIMING_RAIM_KILL_1PPS->setChecked(settings_.traimConditionedPps);
  form->IDC_TIMING_TIC_AUTO_CORRECT->setChecked(settings_.ticAutoCorrect);
  QRadioButton *radios[] = {form->IDC_SAWTOOTH_AUTO, form->IDC_SAWTOOTH_ADD, form->IDC_SAWTOOTH_SUB,
                            form->IDC_SAWTOOTH_OFF};
  if (settings_.sawtoothCorrection >= SawtoothAutomatic && settings_.sawtoothCorrection <= SawtoothOff)
    radios[settings_.sawtoothCorrection]->setChecked(true);
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

  TimingSettings &t = settings_;
  t.antennaCableDelay = form->IDC_TIMING_ANT_CABLE->text().toDouble();
  t.extraDelay = form->IDC_TIMING_EXTRA_DELAY->text().toDouble();
  t.measurementCableDelay = form->IDC_TIMING_MES_CABLE->text().toDouble();
  t.rxDelay = form->IDC_TIMING_RCVR_DELAY->text().toDouble();
  t.ppsDelay = form->IDC_TIMING_OFFSET->text().toDouble();
  t.traimLimit = form->IDC_TIMING_RAIM->text().toDouble();
  bool ok = false;
  t.epochOffset = form->IDC_TIMING_EPOCH->text().toInt(&ok, 10);
  if (!ok)
    t.epochOffset = 0;
  UpdateTimingTotals(t);
  t.traimConditionedPps = form->IDC_TIMING_RAIM_KILL_1PPS->isChecked();
  t.ticAutoCorrect = form->IDC_TIMING_TIC_AUTO_CORRECT->isChecked();
  if (form->IDC_SAWTOOTH_AUTO->isChecked())
    t.sawtoothCorrection = SawtoothAutomatic;
  else if (form->IDC_SAWTOOTH_ADD->isChecked())
    t.sawtoothCorrection = SawtoothAdd;
  else if (form->IDC_SAWTOOTH_SUB->isChecked())
    t.sawtoothCorrection = SawtoothSubtract;
  else if (form->IDC_SAWTOOTH_OFF->isChecked())
    t.sawtoothCorrection = SawtoothOff;
  else
    t.sawtoothCorrection = -1;

  // Against the stored value as it is, unrepaired.
  QSettings settings;
  if (settings.value(TimingKeys::Sawtooth, "0").toInt() != t.sawtoothCorrection)
    sawtoothChanged = true;
  SaveGeometry();
  SaveTimingSettings(settings, t);
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
    return ValidateIntField(text, 0, TimingEpochMaxMs, showMessages);
  if (field == form->IDC_TIMING_OFFSET || field == form->IDC_TIMING_EXTRA_DELAY)
    return ValidateDoubleField(text, 0.0, TimingFineOffsetMaxUs, showMessages);
  if (field == form->IDC_TIMING_RAIM) {
    // 0 switches T-RAIM off; otherwise the limit lies in 250..1000.
    if (CheckIntegerField(text, 0, 0).ok())
      return true;
    return ValidateIntField(text, int(TimingTraimMinNs), int(TimingTraimMaxNs), showMessages);
  }
  if (field == form->IDC_TIMING_RCVR_DELAY)
    return ValidateIntField(text, 0, int(TimingRxDelayMaxNs), showMessages);
  return ValidateIntField(text, 0, int(TimingCableDelayMaxNs), showMessages);  // the two cables
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
  settings_.traimLimit = 500.0;
  form->IDC_TIMING_RAIM->setText(QStringLiteral("500"));
  settings_.traimConditionedPps = false;
  form->IDC_TIMING_RAIM_KILL_1PPS->setChecked(false);
  settings_.sawtoothCorrection = SawtoothAutomatic;
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
