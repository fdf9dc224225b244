#include "app/GpsRawDataDialog.h"

#include "ui_GpsRawDataDialog.h"

GpsRawDataDialog::GpsRawDataDialog(QWidget *parent)
    : DataTextDialog(QStringLiteral("GpsRawDataDialog/geometry"), parent), ui(new Ui::GpsRawDataDialog)
{
  ui->setupUi(this);
  AttachTextArea(QStringLiteral("PlainTextEdit"));
}

GpsRawDataDialog::~GpsRawDataDialog()
{
  delete ui;
}
