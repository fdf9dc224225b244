#include "receiver/dialogs/SatelliteSelect.h"
#include "ui_SatelliteSelect.h"
SatelliteSelect::SatelliteSelect(QWidget *parent) : QDialog(parent), form(new Ui::SatelliteSelect) { form->setupUi(this); }
SatelliteSelect::~SatelliteSelect() { delete form; }
int SatelliteSelect::exec() { return QDialog::exec(); }
void SatelliteSelect::closeEvent(QCloseEvent *event) { QDialog::closeEvent(event); }
void SatelliteSelect::RestoreGeometry() {  }
void SatelliteSelect::SaveGeometry() {  }
void SatelliteSelect::ValidateAll() {  }
bool SatelliteSelect::ValidateIntField(const QString &/*text*/, int /*min*/, int /*max*/, bool /*showMessages*/) { return false; }
void SatelliteSelect::IDC_SS_1_SAT_ID_textEdited(const QString &/*text*/) {  }
void SatelliteSelect::IDC_SS_1_SAT_ID_editingFinished() {  }
void SatelliteSelect::IDC_SS_2_SAT_ID_textEdited(const QString &/*text*/) {  }
void SatelliteSelect::IDC_SS_2_SAT_ID_editingFinished() {  }
void SatelliteSelect::IDC_SS_3_SAT_ID_textEdited(const QString &/*text*/) {  }
void SatelliteSelect::IDC_SS_3_SAT_ID_editingFinished() {  }
void SatelliteSelect::IDC_SS_4_SAT_ID_textEdited(const QString &/*text*/) {  }
void SatelliteSelect::IDC_SS_4_SAT_ID_editingFinished() {  }
void SatelliteSelect::IDC_SS_5_SAT_ID_textEdited(const QString &/*text*/) {  }
void SatelliteSelect::IDC_SS_5_SAT_ID_editingFinished() {  }
void SatelliteSelect::IDC_SS_6_SAT_ID_textEdited(const QString &/*text*/) {  }
void SatelliteSelect::IDC_SS_6_SAT_ID_editingFinished() {  }
void SatelliteSelect::IDC_SS_7_SAT_ID_textEdited(const QString &/*text*/) {  }
void SatelliteSelect::IDC_SS_7_SAT_ID_editingFinished() {  }
void SatelliteSelect::IDC_SS_8_SAT_ID_textEdited(const QString &/*text*/) {  }
void SatelliteSelect::IDC_SS_8_SAT_ID_editingFinished() {  }
void SatelliteSelect::OnOkClicked() {  }
void SatelliteSelect::OnCancelClicked() {  }
QLineEdit * SatelliteSelect::ChannelField(int /*channel*/) const { return nullptr; }
void SatelliteSelect::ChannelEdited(int /*channel*/, const QString &/*text*/) {  }
bool SatelliteSelect::ChannelLeft(int /*channel*/) { return false; }
