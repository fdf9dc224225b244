#include "tic/TicProcessedDataDialog.h"

#include "ui_TicProcessedDataDialog.h"

TicProcessedDataDialog::TicProcessedDataDialog(QWidget *parent)
    : DataTextDialog(QStringLiteral("TicProcessedDataDialog/geometry"), parent), ui(new Ui::TicProcessedDataDialog)
{
  ui->setupUi(this);
  AttachTextArea(QStringLiteral("ProcessedPlainTextEdit"));
}

TicProcessedDataDialog::~TicProcessedDataDialog()
{
  delete ui;
}
