#include "logging/TicFileDialog.h"

TicFileDialog::TicFileDialog(QWidget *parent) : QDialog(parent)
{
  setObjectName(QStringLiteral("TicFileDialog"));
  setWindowTitle(tr("TIC File Type"));
}

TicFileDialog::~TicFileDialog() = default;
