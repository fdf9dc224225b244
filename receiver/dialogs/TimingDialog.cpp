#include "receiver/dialogs/TimingDialog.h"
#include "ui_TimingDialog.h"
TimingDialog::TimingDialog(QWidget *parent) : QDialog(parent), form(new Ui::TimingDialog) { form->setupUi(this); }
TimingDialog::~TimingDialog() { delete form; }
int TimingDialog::exec() { return QDialog::exec(); }
void TimingDialog::closeEvent(QCloseEvent *event) { QDialog::closeEvent(event); }
void TimingDialog::LoadSettings() {  }
void TimingDialog::SaveSettings() {  }
void TimingDialog::SaveGeometry() {  }
void TimingDialog::UpdateTotals() {  }
bool TimingDialog::ValidateIntField(const QString &/*text*/, int /*min*/, int /*max*/, bool /*showMessages*/) { return false; }
bool TimingDialog::ValidateDoubleField(const QString &/*text*/, double /*min*/, double /*max*/, bool /*showMessages*/) { return false; }
void TimingDialog::reject() { QDialog::reject(); }
void TimingDialog::IDC_TIMING_EPOCH_textEdited(const QString &/*text*/) {  }
void TimingDialog::IDC_TIMING_OFFSET_textEdited(const QString &/*text*/) {  }
void TimingDialog::IDC_TIMING_RAIM_textEdited(const QString &/*text*/) {  }
void TimingDialog::IDC_TIMING_ANT_CABLE_textEdited(const QString &/*text*/) {  }
void TimingDialog::IDC_TIMING_MES_CABLE_textEdited(const QString &/*text*/) {  }
void TimingDialog::IDC_TIMING_RCVR_DELAY_textEdited(const QString &/*text*/) {  }
void TimingDialog::IDC_TIMING_EXTRA_DELAY_textEdited(const QString &/*text*/) {  }
void TimingDialog::IDC_TIMING_EP_RESET_clicked() {  }
void TimingDialog::IDC_TIMING_ED_RESET_clicked() {  }
void TimingDialog::IDC_TIMING_DEFAULTS_clicked() {  }
void TimingDialog::OnEpochEditingFinished() {  }
void TimingDialog::OnOffsetEditingFinished() {  }
void TimingDialog::OnRaimEditingFinished() {  }
void TimingDialog::OnAntCableEditingFinished() {  }
void TimingDialog::OnMesCableEditingFinished() {  }
void TimingDialog::OnRcvrDelayEditingFinished() {  }
void TimingDialog::OnExtraDelayEditingFinished() {  }
void TimingDialog::OnAntennaCoaxCalculator() {  }
void TimingDialog::OnMeasurementCoaxCalculator() {  }
void TimingDialog::OnOkClicked() {  }
void TimingDialog::OnCancelClicked() {  }
void TimingDialog::ReadStoredValues() {  }
void TimingDialog::ShowValues() {  }
void TimingDialog::RunCoaxCalculator(const QString &/*group*/, QLineEdit */*field*/) {  }
bool TimingDialog::CheckField(QLineEdit */*field*/, bool /*showMessages*/) { return false; }
void TimingDialog::FieldEdited(QLineEdit */*field*/, bool /*updateTotals*/) {  }
void TimingDialog::FieldLeft(QLineEdit */*field*/) {  }
void TimingDialog::UpdateOkButton() {  }
TimingTotals ComputeTimingTotals(double, double, double, qint64, double, double) { return {}; }
