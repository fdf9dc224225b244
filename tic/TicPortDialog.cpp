#include "tic/TicPortDialog.h"

TicPortDialog::TicPortDialog(QWidget *parent) : QDialog(parent)
{
  setObjectName(QStringLiteral("TicPortDialog"));
  setWindowTitle(tr("TIC Serial Port Settings"));
}

TicPortDialog::~TicPortDialog() = default;
