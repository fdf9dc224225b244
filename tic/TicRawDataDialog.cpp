#include "tic/TicRawDataDialog.h"

#include "ui_TicRawDataDialog.h"

TicRawDataDialog::TicRawDataDialog(QWidget *parent)
    : DataTextDialog(QStringLiteral("TicRawDataDialog/geometry"), parent), ui(new Ui::TicRawDataDialog)
{
  ui->setupUi(this);
  AttachTextArea(QStringLiteral("RawPlainTextEdit"));
}

TicRawDataDialog::~TicRawDataDialog()
{
  delete ui;
}
