#include "logging/GpsLogTypeDialog.h"

#include "logging/GpsDataLog.h"
#include "ui_GpsLogTypeDialog.h"

#include <QCloseEvent>
#include <QSettings>

namespace {

constexpr int LogEverySeconds[] = {1, 2, 3, 4, 5, 6, 10, 12, 15, 20, 30, 60};
constexpr int LogEveryCount = int(sizeof LogEverySeconds / sizeof LogEverySeconds[0]);

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

int GpsLogTypeDialog::LogIntervalOfIndex(int index)
{
  return index >= 0 && index < LogEveryCount ? LogEverySeconds[index] : 1;
}

int GpsLogTypeDialog::GetLogInterval() const
{
  return LogIntervalOfIndex(ui->GpsLogEvery->currentIndex());
}

void GpsLogTypeDialog::SaveGeometry()
{
  QSettings().setValue(GpsLogKeys::TypeDialogGeometry, saveGeometry());
}

void GpsLogTypeDialog::LoadSettings()
{
  QSettings settings;
  restoreGeometry(settings.value(GpsLogKeys::TypeDialogGeometry).toByteArray());

  int every = settings.value(GpsLogKeys::LogEvery, 0).toInt();
  if (every < 0 || every >= LogEveryCount)
    every = 0;
  ui->GpsLogEvery->setCurrentIndex(every);
  GpsLogInterval = LogIntervalOfIndex(every);

  UseGpsSecondNumber = settings.value(GpsLogKeys::UseGpsSecondNumber, 0).toInt() == 1;
  ui->UseGpsSecondNumber->setChecked(UseGpsSecondNumber);

  // A stored type outside 0 to 4 checks no button and stays as it is.
  GpsLogType = settings.value(GpsLogKeys::DataType, 0).toInt();
  if (QAbstractButton *button = TypeButton(ui, GpsLogType)) {
    button->setChecked(true);
  } else {
    ui->GpsLogDataTypeButtonGroup->setExclusive(false);
    for (QAbstractButton *each : ui->GpsLogDataTypeButtonGroup->buttons())
      each->setChecked(false);
    ui->GpsLogDataTypeButtonGroup->setExclusive(true);
  }

  // Anything but 0 or 1 becomes the default, restart on, and shows so.
  int autorestart = settings.value(GpsLogKeys::Autorestart, 1).toInt();
  if (autorestart != 0 && autorestart != 1) {
    autorestart = 1;
    settings.setValue(GpsLogKeys::Autorestart, autorestart);
  }
  ui->GpsLogAutorestart->setChecked(autorestart == 1);
}

void GpsLogTypeDialog::SaveSettings()
{
  SaveGeometry();
  QSettings settings;

  GpsLogInterval = GetLogInterval();
  settings.setValue(GpsLogKeys::LogEvery, ui->GpsLogEvery->currentIndex());

  GpsLogType = 0;
  for (int type = 0; type < 5; ++type) {
    if (TypeButton(ui, type)->isChecked()) {
      GpsLogType = type;
      break;
    }
  }
  settings.setValue(GpsLogKeys::DataType, GpsLogType);

  settings.setValue(GpsLogKeys::Autorestart, ui->GpsLogAutorestart->isChecked() ? 1 : 0);

  UseGpsSecondNumber = ui->UseGpsSecondNumber->isChecked();
  settings.setValue(GpsLogKeys::UseGpsSecondNumber, UseGpsSecondNumber ? 1 : 0);
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
