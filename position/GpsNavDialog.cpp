#include "position/GpsNavDialog.h"

#include "core/GpsMode.h"
#include "core/ReceiverIdentity.h"
#include "fields/NumericFieldCheck.h"
#include "position/ReferenceLocationDialog.h"
#include "ui_GpsNavDialog.h"

#include <QHeaderView>
#include <QSettings>
#include <QTableWidgetItem>

namespace {

const QString kGeometryKey = QStringLiteral("GpsNavDialog/geometry");

constexpr int kLimitMin = 1;
constexpr int kLimitMax = 999999;
constexpr double kWeightMax = 99.0;

QString CounterText(double counter) { return QString::asprintf("%i", static_cast<int>(counter)); }

}  // namespace

GpsNavDialog::GpsNavDialog(QWidget *parent) : QDialog(parent), ui(new Ui::GpsNavDialog)
{
  ui->setupUi(this);
  setFixedSize(size());

  QTableWidget *table = ui->AveragingTableWidget;
  table->setRowCount(7);
  table->setColumnCount(6);
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->setSelectionMode(QAbstractItemView::NoSelection);
  table->setDragDropMode(QAbstractItemView::NoDragDrop);
  table->setStyleSheet(QStringLiteral("background-color: transparent;"));
  table->horizontalHeader()->hide();
  table->verticalHeader()->hide();
  table->verticalHeader()->setMinimumSectionSize(8);
  table->verticalHeader()->setDefaultSectionSize(16);
  table->setColumnWidth(0, 90);
  for (int row = 0; row < 7; ++row)
    for (int column = 0; column < 6; ++column) {
      auto *item = new QTableWidgetItem;
      item->setTextAlignment(column == 0 ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignCenter);
      table->setItem(row, column, item);
    }
  const char *const columns[] = {"Latitude", "Longitude", "- 2D -", "Alt(GPS)", "Alt(MSL)"};
  for (int column = 1; column < 6; ++column)
    table->item(0, column)->setText(QString::fromLatin1(columns[column - 1]));
  const char *const rows[] = {"Ref-Avg (m)", "RMS:", "Avg-Cur (m)", "RMS:", "Ref-Cur (m)", "RMS:"};
  for (int row = 1; row < 7; ++row)
    table->item(row, 0)->setText(QString::fromLatin1(rows[row - 1]));

  HandReceiverToAverages();
  averages_.Initialize();

  connect(ui->OK, &QPushButton::clicked, this, &GpsNavDialog::OnOkClicked);
  connect(ui->CANCEL, &QPushButton::clicked, this, &GpsNavDialog::OnCancelClicked);
  connect(ui->IDC_POS_FILTER_RESET, &QPushButton::clicked, this, &GpsNavDialog::IDC_POS_FILTER_RESET_clicked);
  connect(ui->IDC_RMS_FILTER_RESET, &QPushButton::clicked, this, &GpsNavDialog::IDC_RMS_FILTER_RESET_clicked);
  connect(ui->IDC_TIMING_FILTER_RESET, &QPushButton::clicked, this, &GpsNavDialog::IDC_TIMING_FILTER_RESET_clicked);
  connect(ui->IDC_AVERAGING_RESET_ALL, &QPushButton::clicked, this, &GpsNavDialog::IDC_AVERAGING_RESET_ALL_clicked);
  connect(ui->IDC_UNLOCK_COUNTER_RESET, &QPushButton::clicked, this,
          &GpsNavDialog::IDC_UNLOCK_COUNTER_RESET_clicked);
  connect(ui->IDC_AVERAGING_DEFAULTS, &QPushButton::clicked, this, &GpsNavDialog::IDC_AVERAGING_DEFAULTS_clicked);
  connect(ui->IDC_POS_FILTER_LIMIT, &QLineEdit::textEdited, this, &GpsNavDialog::IDC_POS_FILTER_LIMIT_textEdited);
  connect(ui->IDC_POS_FILTER_LIMIT, &QLineEdit::editingFinished, this,
          &GpsNavDialog::IDC_POS_FILTER_LIMIT_editingFinished);
  connect(ui->IDC_RMS_FILTER_LIMIT, &QLineEdit::textEdited, this, &GpsNavDialog::IDC_RMS_FILTER_LIMIT_textEdited);
  connect(ui->IDC_RMS_FILTER_LIMIT, &QLineEdit::editingFinished, this,
          &GpsNavDialog::IDC_RMS_FILTER_LIMIT_editingFinished);
  connect(ui->IDC_TIMING_FILTER_LIMIT, &QLineEdit::textEdited, this,
          &GpsNavDialog::IDC_TIMING_FILTER_LIMIT_textEdited);
  connect(ui->IDC_TIMING_FILTER_LIMIT, &QLineEdit::editingFinished, this,
          &GpsNavDialog::IDC_TIMING_FILTER_LIMIT_editingFinished);
  connect(ui->IDC_HDOP_WEIGHTING_VALUE, &QLineEdit::textEdited, this,
          &GpsNavDialog::IDC_HDOP_WEIGHTING_VALUE_textEdited);
  connect(ui->IDC_HDOP_WEIGHTING_VALUE, &QLineEdit::editingFinished, this,
          &GpsNavDialog::IDC_HDOP_WEIGHTING_VALUE_editingFinished);
  connect(ui->IDC_VDOP_WEIGHTING_VALUE, &QLineEdit::textEdited, this,
          &GpsNavDialog::IDC_VDOP_WEIGHTING_VALUE_textEdited);
  connect(ui->IDC_VDOP_WEIGHTING_VALUE, &QLineEdit::editingFinished, this,
          &GpsNavDialog::IDC_VDOP_WEIGHTING_VALUE_editingFinished);
  connect(ui->IDC_TDOP_WEIGHTING_VALUE, &QLineEdit::textEdited, this,
          &GpsNavDialog::IDC_TDOP_WEIGHTING_VALUE_textEdited);
  connect(ui->IDC_TDOP_WEIGHTING_VALUE, &QLineEdit::editingFinished, this,
          &GpsNavDialog::IDC_TDOP_WEIGHTING_VALUE_editingFinished);
}

GpsNavDialog::~GpsNavDialog() { delete ui; }

// ---------------------------------------------------------------------------
// The window

int GpsNavDialog::exec()
{
  RestoreGeometry();
  // The options only: the averages gathered since the last OK stay.
  HandReceiverToAverages();
  averages_.LoadSettings();
  ShowOptions();
  UpdateErrorTable();
  return QDialog::exec();
}

void GpsNavDialog::ShowOptions()
{
  const bool blocked = averages_.DopWeightingBlocked();
  ui->IDC_USE_DOP_WEIGHTING->setChecked(averages_.UseDopWeighting() && !blocked);
  ui->IDC_USE_DOP_WEIGHTING->setEnabled(!blocked);
  for (QLineEdit *field : {ui->IDC_HDOP_WEIGHTING_VALUE, ui->IDC_VDOP_WEIGHTING_VALUE, ui->IDC_TDOP_WEIGHTING_VALUE})
    field->setEnabled(!blocked);
  ui->IDC_RESTART_AVG_ON_UNLOCK->setChecked(averages_.RestartOnUnlock());
  ui->IDC_CONT_ON_PROG_RESTART->setChecked(averages_.ContinueOnProgramRestart());
  ui->IDC_POS_FILTER_LIMIT->setText(CounterText(averages_.PositionWeightLimit()));
  ui->IDC_RMS_FILTER_LIMIT->setText(CounterText(averages_.RmsWeightLimit()));
  ui->IDC_TIMING_FILTER_LIMIT->setText(CounterText(averages_.TimingWeightLimit()));
  ui->IDC_HDOP_WEIGHTING_VALUE->setText(QString::asprintf("%03.1f", averages_.HdopWeight()));
  ui->IDC_VDOP_WEIGHTING_VALUE->setText(QString::asprintf("%03.1f", averages_.VdopWeight()));
  ui->IDC_TDOP_WEIGHTING_VALUE->setText(QString::asprintf("%03.1f", averages_.TdopWeight()));
  for (QLineEdit *field : {ui->IDC_POS_FILTER_LIMIT, ui->IDC_RMS_FILTER_LIMIT, ui->IDC_TIMING_FILTER_LIMIT,
                           ui->IDC_HDOP_WEIGHTING_VALUE, ui->IDC_VDOP_WEIGHTING_VALUE, ui->IDC_TDOP_WEIGHTING_VALUE})
    MarkFieldValid(field, true);
  ui->OK->setEnabled(true);
}

void GpsNavDialog::UpdateErrorTable()
{
  QTableWidget *table = ui->AveragingTableWidget;
  const ErrorTerms &e = averages_.Errors();
  const ErrorTerms &r = averages_.Rms();
  const ErrorTriple *terms[5] = {&e.latitude, &e.longitude, &e.twoD, &e.gpsAltitude, &e.mslAltitude};
  const ErrorTriple *rms[5] = {&r.latitude, &r.longitude, &r.twoD, &r.gpsAltitude, &r.mslAltitude};
  for (int column = 1; column < 6; ++column) {
    const char *format = column == 3 ? "%8.2f" : "%7.2f";
    const ErrorTriple &t = *terms[column - 1];
    const ErrorTriple &m = *rms[column - 1];
    const double values[6] = {t.refAvg, m.refAvg, t.avgCur, m.avgCur, t.refCur, m.refCur};
    // Terms without a sample would read as distances of 0.00 m.
    const bool altitude = column >= 4;
    const bool held[2] = {averages_.ErrorTermsHeld(altitude), averages_.RmsHeld(altitude)};
    for (int row = 1; row < 7; ++row)
      table->item(row, column)->setText(held[(row - 1) % 2] ? QString::asprintf(format, values[row - 1])
                                                             : QString());
  }
  ui->IDC_LOCKED_SINCE->setText(averages_.LockedSinceText());
  ui->IDC_UNLOCK_COUNTER->setText(QString::asprintf("%i", averages_.UnlockCounter()));
  ui->IDC_POS_FILTER_COUNTER->setText(CounterText(averages_.PositionCounter()));
  ui->IDC_RMS_FILTER_COUNTER->setText(CounterText(averages_.RmsCounter()));
  ui->IDC_TIMING_FILTER_COUNTER->setText(CounterText(averages_.TimingCounter()));
  ui->IDC_TIME_ACCURACY_ESTIMATE->setText(averages_.TimeAccuracyText());
}

bool GpsNavDialog::CheckIntegerField(QLineEdit *field, double *value, bool showMessages)
{
  const NumericFieldResult result = ::CheckIntegerField(field->text(), kLimitMin, kLimitMax);
  if (result.ok())
    *value = result.value;
  return ReportFieldCheck(this, result, showMessages);
}

bool GpsNavDialog::CheckFloatField(QLineEdit *field, double *value, bool showMessages)
{
  // A weight of 0 would freeze the averages.
  const NumericFieldResult result =
      CheckDecimalFieldAbove(field->text(), 0.0, kWeightMax, tr("Field is out of range.\nMust be between 0 and 99.0"));
  if (result.ok())
    *value = result.value;
  return ReportFieldCheck(this, result, showMessages);
}

bool GpsNavDialog::CheckField(QLineEdit *field, double *value, bool showMessages)
{
  const bool limit =
      field == ui->IDC_POS_FILTER_LIMIT || field == ui->IDC_RMS_FILTER_LIMIT || field == ui->IDC_TIMING_FILTER_LIMIT;
  return limit ? CheckIntegerField(field, value, showMessages) : CheckFloatField(field, value, showMessages);
}

bool GpsNavDialog::AllFieldsValid()
{
  double ignored = 0.0;
  for (QLineEdit *field : {ui->IDC_POS_FILTER_LIMIT, ui->IDC_RMS_FILTER_LIMIT, ui->IDC_TIMING_FILTER_LIMIT,
                           ui->IDC_HDOP_WEIGHTING_VALUE, ui->IDC_VDOP_WEIGHTING_VALUE, ui->IDC_TDOP_WEIGHTING_VALUE})
    if (!CheckField(field, &ignored, false))
      return false;
  return true;
}

void GpsNavDialog::FieldEdited(QLineEdit *field)
{
  double ignored = 0.0;
  MarkFieldValid(field, CheckField(field, &ignored, false));
  ui->OK->setEnabled(AllFieldsValid());
}

void GpsNavDialog::FieldFinished(QLineEdit *field)
{
  double ignored = 0.0;
  if (!CheckField(field, &ignored, true))
    field->setFocus(Qt::OtherFocusReason);
}

void GpsNavDialog::IDC_POS_FILTER_LIMIT_textEdited(const QString &) { FieldEdited(ui->IDC_POS_FILTER_LIMIT); }
void GpsNavDialog::IDC_POS_FILTER_LIMIT_editingFinished() { FieldFinished(ui->IDC_POS_FILTER_LIMIT); }
void GpsNavDialog::IDC_RMS_FILTER_LIMIT_textEdited(const QString &) { FieldEdited(ui->IDC_RMS_FILTER_LIMIT); }
void GpsNavDialog::IDC_RMS_FILTER_LIMIT_editingFinished() { FieldFinished(ui->IDC_RMS_FILTER_LIMIT); }
void GpsNavDialog::IDC_TIMING_FILTER_LIMIT_textEdited(const QString &) { FieldEdited(ui->IDC_TIMING_FILTER_LIMIT); }
void GpsNavDialog::IDC_TIMING_FILTER_LIMIT_editingFinished() { FieldFinished(ui->IDC_TIMING_FILTER_LIMIT); }
void GpsNavDialog::IDC_HDOP_WEIGHTING_VALUE_textEdited(const QString &) { FieldEdited(ui->IDC_HDOP_WEIGHTING_VALUE); }
void GpsNavDialog::IDC_HDOP_WEIGHTING_VALUE_editingFinished() { FieldFinished(ui->IDC_HDOP_WEIGHTING_VALUE); }
void GpsNavDialog::IDC_VDOP_WEIGHTING_VALUE_textEdited(const QString &) { FieldEdited(ui->IDC_VDOP_WEIGHTING_VALUE); }
void GpsNavDialog::IDC_VDOP_WEIGHTING_VALUE_editingFinished() { FieldFinished(ui->IDC_VDOP_WEIGHTING_VALUE); }
void GpsNavDialog::IDC_TDOP_WEIGHTING_VALUE_textEdited(const QString &) { FieldEdited(ui->IDC_TDOP_WEIGHTING_VALUE); }
void GpsNavDialog::IDC_TDOP_WEIGHTING_VALUE_editingFinished() { FieldFinished(ui->IDC_TDOP_WEIGHTING_VALUE); }

bool GpsNavDialog::TakeFields()
{
  double limits[3] = {0, 0, 0};
  double weights[3] = {0, 0, 0};  // HDOP, VDOP, TDOP
  QLineEdit *const limitFields[3] = {ui->IDC_POS_FILTER_LIMIT, ui->IDC_RMS_FILTER_LIMIT, ui->IDC_TIMING_FILTER_LIMIT};
  QLineEdit *const weightFields[3] = {ui->IDC_HDOP_WEIGHTING_VALUE, ui->IDC_VDOP_WEIGHTING_VALUE,
                                      ui->IDC_TDOP_WEIGHTING_VALUE};
  for (int i = 0; i < 3; ++i)
    if (!CheckIntegerField(limitFields[i], &limits[i], true)) {
      limitFields[i]->setFocus(Qt::OtherFocusReason);
      return false;
    }
  for (int i = 0; i < 3; ++i)
    if (!CheckFloatField(weightFields[i], &weights[i], true)) {
      weightFields[i]->setFocus(Qt::OtherFocusReason);
      return false;
    }
  averages_.SetWeightLimits(limits[0], limits[1], limits[2]);
  averages_.SetDopWeights(weights[0], weights[1], weights[2]);
  averages_.SetUseDopWeighting(ui->IDC_USE_DOP_WEIGHTING->isChecked());
  averages_.SetRestartOnUnlock(ui->IDC_RESTART_AVG_ON_UNLOCK->isChecked());
  averages_.SetContinueOnProgramRestart(ui->IDC_CONT_ON_PROG_RESTART->isChecked());
  return true;
}

void GpsNavDialog::OnOkClicked()
{
  if (!TakeFields())
    return;
  SaveGeometry();
  averages_.SaveSettings();
  averages_.SaveAverages();
  done(1);
}

void GpsNavDialog::OnCancelClicked()
{
  SaveGeometry();
  done(0);
}

void GpsNavDialog::closeEvent(QCloseEvent *event)
{
  SaveGeometry();
  QDialog::closeEvent(event);
}

void GpsNavDialog::RestoreGeometry()
{
  QSettings settings;
  if (settings.contains(kGeometryKey))
    restoreGeometry(settings.value(kGeometryKey).toByteArray());
}

void GpsNavDialog::SaveGeometry()
{
  QSettings settings;
  settings.setValue(kGeometryKey, saveGeometry());
}

void GpsNavDialog::IDC_POS_FILTER_RESET_clicked()
{
  averages_.ResetPositionFilter();
  ui->IDC_POS_FILTER_COUNTER->setText(QStringLiteral("1"));
}

void GpsNavDialog::IDC_RMS_FILTER_RESET_clicked()
{
  averages_.ResetRmsFilter();
  ui->IDC_RMS_FILTER_COUNTER->setText(QStringLiteral("1"));
}

void GpsNavDialog::IDC_TIMING_FILTER_RESET_clicked()
{
  averages_.ResetTimingFilter();
  ui->IDC_TIMING_FILTER_COUNTER->setText(QStringLiteral("1"));
}

void GpsNavDialog::IDC_AVERAGING_RESET_ALL_clicked()
{
  IDC_POS_FILTER_RESET_clicked();
  IDC_RMS_FILTER_RESET_clicked();
  IDC_TIMING_FILTER_RESET_clicked();
}

void GpsNavDialog::IDC_UNLOCK_COUNTER_RESET_clicked()
{
  averages_.ResetUnlockCounter();
  ui->IDC_UNLOCK_COUNTER->setText(QStringLiteral("0"));
}

void GpsNavDialog::IDC_AVERAGING_DEFAULTS_clicked()
{
  // The window's fields only: the engine takes them at OK, so Defaults then
  // Cancel changes nothing.
  ui->IDC_RESTART_AVG_ON_UNLOCK->setChecked(false);
  ui->IDC_CONT_ON_PROG_RESTART->setChecked(true);
  ui->IDC_POS_FILTER_LIMIT->setText(CounterText(PositionAverages::DefaultPositionWeightLimit));
  ui->IDC_RMS_FILTER_LIMIT->setText(CounterText(PositionAverages::DefaultRmsWeightLimit));
  ui->IDC_TIMING_FILTER_LIMIT->setText(CounterText(PositionAverages::DefaultTimingWeightLimit));
  if (!averages_.DopWeightingBlocked())
    ui->IDC_USE_DOP_WEIGHTING->setChecked(true);
  ui->IDC_HDOP_WEIGHTING_VALUE->setText(QString::asprintf("%03.1f", PositionAverages::DefaultHdopWeight));
  ui->IDC_VDOP_WEIGHTING_VALUE->setText(QString::asprintf("%03.1f", PositionAverages::DefaultVdopWeight));
  ui->IDC_TDOP_WEIGHTING_VALUE->setText(QString::asprintf("%03.1f", PositionAverages::DefaultTdopWeight));
  for (QLineEdit *field : {ui->IDC_POS_FILTER_LIMIT, ui->IDC_RMS_FILTER_LIMIT, ui->IDC_TIMING_FILTER_LIMIT,
                           ui->IDC_HDOP_WEIGHTING_VALUE, ui->IDC_VDOP_WEIGHTING_VALUE, ui->IDC_TDOP_WEIGHTING_VALUE})
    MarkFieldValid(field, true);
  ui->OK->setEnabled(true);
}

void GpsNavDialog::SetReferenceLocationDialog(ReferenceLocationDialog *dialog) { referenceDialog_ = dialog; }

QString GpsNavDialog::UpdateAverages(double latitude, double longitude, double gpsAltitude, double mslAltitude,
                                     int gpsModeSetting)
{
  HandReceiverToAverages();
  const QString locator = averages_.UpdateAverages(latitude, longitude, gpsAltitude, mslAltitude, gpsModeSetting);
  if (isVisible())
    UpdateErrorTable();
  return locator;
}

void GpsNavDialog::Average(int gpsModeSetting)
{
  HandReceiverToAverages();
  averages_.Average(gpsModeSetting);
}

QString GpsNavDialog::MaidenheadLocator() const { return averages_.MaidenheadLocator(); }

void GpsNavDialog::ResetAverages()
{
  HandReceiverToAverages();
  averages_.ResetAverages();
}

void GpsNavDialog::ReloadSettings()
{
  HandReceiverToAverages();
  averages_.ReloadSettings();
}

void GpsNavDialog::HandReceiverToAverages()
{
  // The mode and the receiver's identity are program-wide; the averages
  // take them as values at the moments they weigh them.
  averages_.SetReceiver(CurrentGpsMode, receiverIdentity.model);
}
void GpsNavDialog::SetTimingErrorInputs(double a, double b) { averages_.SetTimingErrorInputs(a, b); }

int GpsNavDialog::LockStatusText(unsigned gpsModeSetting, const GpsDateTime &receiverTime)
{
  const int locked = averages_.LockStatusText(gpsModeSetting, receiverTime);
  if (isVisible()) {
    ui->IDC_LOCKED_SINCE->setText(averages_.LockedSinceText());
    ui->IDC_UNLOCK_COUNTER->setText(QString::asprintf("%i", averages_.UnlockCounter()));
  }
  return locked;
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
  // Stored now: every later load of the settings (this window, each
  // receiver set-up) reads the choice back from there.
  QSettings().setValue(QLatin1String(GpsNavKeys::RefLocOnStart), onStart);
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

TimePositionFields GpsNavDialog::CurrentFixFields() const
{
  // The NMEA-style notation of the position texts.
  constexpr int NmeaPositionFormat = 3;
  TimePositionFields f;
  f.positionText = CurrentPositionText(NmeaPositionFormat);
  f.speedKnots = GetSpeed();
  f.headingDegrees = GetHeading();
  f.satsTracked = GetSatsTracked();
  f.fixStatus = GetFixStatus();
  return f;
}
