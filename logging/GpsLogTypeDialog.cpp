#include "logging/GpsLogTypeDialog.h"

GpsLogTypeDialog::GpsLogTypeDialog(QWidget *parent) : QDialog(parent)
{
  setObjectName(QStringLiteral("GpsLogTypeDialog"));
  setWindowTitle(tr("GPS Log File Type"));
}

GpsLogTypeDialog::~GpsLogTypeDialog() = default;
