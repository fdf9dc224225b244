#include "logging/GpsLogTypeDialog.h"

#include "logging/GpsDataLog.h"
#include "ui_GpsLogTypeDialog.h"

#include <QCloseEvent>
#include <QSettings>

namespace {

QAbstractButton *TypeButton(Ui::GpsLogTypeDialog *ui, int type)
{
  QAbstractButton *const buttons[] = {ui->GpsLogRaw, ui->GpsLogBinary, ui->GpsLogPVT, ui->GpsLogNMEA,
                                      ui->GpsLogRINEX};
  return type >= 0 && type < 5 ? buttons[type] : nullptr;
}

}  // namespace

GpsLogTypeDialog::GpsLogTypeDialog(QWidget *parent) : QDialog(parent), ui(new Ui::GpsLogTypeDialog)
{
  ui->setupUi(this);
  setFixedSize(size());
  LoadSettings();
}

GpsLogTypeDialog::~GpsLogTypeDialog()
{
  delete ui;
}

int GpsLogTypeDialog::GetLogInterval() const
{
  return GpsLogIntervalOfIndex(ui->GpsLogEvery->currentIndex());
}

void GpsLogTypeDialog::SaveGeometry()
{
  QSettings().setValue(GpsLogKeys::TypeDialogGeometry, saveGeometry());
}

void GpsLogTypeDialog::LoadSettings()
{
  QSettings settings;
  restoreGeometry(settings.value(GpsLogKeys::TypeDialogGeometry).toByteArray());
  settings_ = LoadGpsLogSettings(settings);

  ui->GpsLogEvery->setCurrentIndex(settings_.logEveryIndex);
  ui->UseGpsSecondNumber->setChecked(settings_.useGpsSecondNumber);
  // A stored type outside 0 to 4 checks no button.
  if (QAbstractButton *button = TypeButton(ui, settings_.type)) {
    button->setChecked(true);
  } else {
    ui->GpsLogDataTypeButtonGroup->setExclusive(false);
    for (QAbstractButton *each : ui->GpsLogDataTypeButtonGroup->buttons())
      each->setChecked(false);
    ui->GpsLogDataTypeButtonGroup->setExclusive(true);
  }
  ui->GpsLogAutorestart->setChecked(settings_.autorestart);
}

void GpsLogTypeDialog::SaveSettings()
{
  SaveGeometry();

  settings_.logEveryIndex = ui->GpsLogEvery->currentIndex();
  settings_.intervalSeconds = GetLogInterval();
  settings_.type = 0;
  for (int type = 0; type < 5; ++type) {
    if (TypeButton(ui, type)->isChecked()) {
      settings_.type = type;
      break;
    }
  }
  settings_.autorestart = ui->GpsLogAutorestart->isChecked();
  settings_.useGpsSecondNumber = ui->UseGpsSecondNumber->isChecked();

  QSettings settings;
  SaveGpsLogSettings(settings, settings_);
}

int GpsLogTypeDialog::exec()
{
  LoadSettings();
  return QDialog::exec();
}

void GpsLogTypeDialog::closeEvent(QCloseEvent *event)
{
  LoadSettings();
  QDialog::closeEvent(event);
}
