#include "receiver/dialogs/CoaxDialog.h"
#include "ui_CoaxDialog.h"
CoaxDialog::CoaxDialog(QWidget *parent) : QDialog(parent), form(new Ui::CoaxDialog) { form->setupUi(this); }
CoaxDialog::~CoaxDialog() { delete form; }
int CoaxDialog::exec() { return QDialog::exec(); }
void CoaxDialog::closeEvent(QCloseEvent *event) { QDialog::closeEvent(event); }
void CoaxDialog::LoadSettings() {  }
void CoaxDialog::SaveSettings() {  }
void CoaxDialog::SaveGeometry() {  }
void CoaxDialog::CalculateDelay() {  }
bool CoaxDialog::ValidateIntField(const QString &/*text*/, int /*min*/, int /*max*/, bool /*showMessages*/) { return false; }
double CoaxDialog::VelocityFactorFromText(const QString &/*text*/) { return 0.0; }
void CoaxDialog::IDC_DC_LENGTH1_textEdited(const QString &/*text*/) {  }
void CoaxDialog::IDC_DC_LENGTH1_editingFinished() {  }
void CoaxDialog::IDC_DC_LENGTH2_textEdited(const QString &/*text*/) {  }
void CoaxDialog::IDC_DC_LENGTH2_editingFinished() {  }
void CoaxDialog::IDC_DC_LEN_DIM1_currentIndexChanged(int /*index*/) {  }
void CoaxDialog::IDC_DC_LEN_DIM2_currentIndexChanged(int /*index*/) {  }
void CoaxDialog::IDC_DC_VF1_currentIndexChanged(int /*index*/) {  }
void CoaxDialog::IDC_DC_VF2_currentIndexChanged(int /*index*/) {  }
void CoaxDialog::IDC_DC_VF1_editTextChanged(const QString &/*text*/) {  }
void CoaxDialog::IDC_DC_VF2_editTextChanged(const QString &/*text*/) {  }
void CoaxDialog::OnOkClicked() {  }
void CoaxDialog::OnCancelClicked() {  }
void CoaxDialog::LengthEdited(int /*section*/, const QString &/*text*/) {  }
bool CoaxDialog::LengthLeft(int /*section*/) { return false; }
void CoaxDialog::UpdateOkButton() {  }
double CoaxVelocityFactor(const QString &) { return 0.0; }
double CoaxSectionDelay(double, const QString &, double) { return 0.0; }
