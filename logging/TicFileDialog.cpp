#include "logging/TicFileDialog.h"

#include "core/StoredSetting.h"
#include "logging/TicLogOptions.h"
#include "ui_TicFileDialog.h"

#include <QCloseEvent>
#include <QSettings>

namespace {

// A stored 0/1 choice; anything else becomes 0, written back.
bool ReadSwitch(QSettings &settings, const char *key)
{
  return ReadStoredInt(settings, key, 0, 0, 1, MissingKey::Leave) == 1;
}

// A period as the panel shows and stores it: unsigned decimal, else 0.
uint UnsignedPeriod(const QString &text)
{
  bool ok = false;
  const uint period = text.toUInt(&ok, 10);
  return ok ? period : 0;
}

}  // namespace

TicFileDialog::TicFileDialog(QWidget *parent) : QDialog(parent), ui(new Ui::TicFileDialog)
{
  ui->setupUi(this);
  setFixedSize(size());
  LoadSettings();
  connect(ui->TicTimeLogEnable, &QRadioButton::clicked, this, [this] { ui->TicTimeLogEvery->setEnabled(true); });
  connect(ui->TicTimeLogDisable, &QRadioButton::clicked, this, [this] { ui->TicTimeLogEvery->setEnabled(false); });
}

TicFileDialog::~TicFileDialog()
{
  delete ui;
}

void TicFileDialog::LoadSettings()
{
  QSettings settings;

  (ReadSwitch(settings, TicLogKeys::AveragingLogButtonGroup) ? ui->TicAvgLogTic : ui->TicAvgLogInt)
      ->setChecked(true);

  const bool disabled = ReadSwitch(settings, TicLogKeys::TimeIntervalLogButtonGroup);
  (disabled ? ui->TicTimeLogDisable : ui->TicTimeLogEnable)->setChecked(true);
  ui->TicTimeLogEvery->setEnabled(!disabled);

  ui->TicTimeCfgLogSaveSats->setChecked(ReadSwitch(settings, TicLogKeys::CfgLogSaveSats));
  // A value other than 0 and 1 becomes 0, so the box and the day roll-over
  // agree.
  ui->TicTimeLogAutorestart->setChecked(ReadSwitch(settings, TicLogKeys::TimeLogAutorestart));

  const QString period =
      settings.value(TicLogKeys::AveragingLogPeriod, QString::fromLatin1(DefaultAveragingLogPeriod)).toString();
  ui->TicAvgLogIntPeriod->setText(QString::number(UnsignedPeriod(period)));

  ui->TicTimeLogEvery->setCurrentIndex(settings.value(TicLogKeys::TimeLogEvery, 0).toInt());
  ui->TicTimeTagFormat->setCurrentIndex(settings.value(TicLogKeys::TimeTagFormat, 0).toInt());
}

void TicFileDialog::SaveSettings()
{
  QSettings settings;
  settings.setValue(TicLogKeys::AveragingLogButtonGroup, ui->TicAvgLogTic->isChecked() ? 1 : 0);
  settings.setValue(TicLogKeys::TimeIntervalLogButtonGroup, ui->TicTimeLogDisable->isChecked() ? 1 : 0);
  settings.setValue(TicLogKeys::CfgLogSaveSats, ui->TicTimeCfgLogSaveSats->isChecked() ? 1 : 0);
  settings.setValue(TicLogKeys::TimeLogAutorestart, ui->TicTimeLogAutorestart->isChecked() ? 1 : 0);
  settings.setValue(TicLogKeys::AveragingLogPeriod, UnsignedPeriod(ui->TicAvgLogIntPeriod->text()));
  settings.setValue(TicLogKeys::TimeLogEvery, ui->TicTimeLogEvery->currentIndex());
  settings.setValue(TicLogKeys::TimeTagFormat, ui->TicTimeTagFormat->currentIndex());
}

int TicFileDialog::GetTimeIntervalLogMode() const
{
  return StoredTimeLogInterval();
}

int TicFileDialog::GetAveragingLogPeriod() const
{
  return StoredAveragingPeriod();
}

int TicFileDialog::exec()
{
  LoadSettings();
  return QDialog::exec();
}

void TicFileDialog::closeEvent(QCloseEvent *event)
{
  LoadSettings();
  QDialog::closeEvent(event);
}
