#include "update/UpdateDialog.h"

UpdateDialog::UpdateDialog(QWidget *parent) : QDialog(parent)
{
  setObjectName(QStringLiteral("UpdateDialog"));
  setWindowTitle(tr("Software Update"));
}

UpdateDialog::~UpdateDialog() = default;
