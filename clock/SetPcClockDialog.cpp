#include "clock/SetPcClockDialog.h"

#include "core/StoredSetting.h"
#include "clock/PcClockSettings.h"
#include "ui_SetPcClockDialog.h"

#include <QCloseEvent>
#include <QSettings>
#include <QSignalBlocker>

#include <limits>

SetPcClockDialog::SetPcClockDialog(QWidget *parent) : QDialog(parent), ui(new Ui::SetPcClockDialog)
{
  ui->setupUi(this);
  setFixedSize(size());
  LoadSettings();

  connect(ui->IDC_CLOCK_SYNC_DISABLE, &QRadioButton::clicked, this, &SetPcClockDialog::IDC_CLOCK_SYNC_DISABLE_clicked);
  connect(ui->IDC_CLOCK_SYNC_ONCE, &QRadioButton::clicked, this, &SetPcClockDialog::IDC_CLOCK_SYNC_ONCE_clicked);
  connect(ui->IDC_CLOCK_SYNC_SEC, &QRadioButton::clicked, this, &SetPcClockDialog::IDC_CLOCK_SYNC_SEC_clicked);
  connect(ui->IDC_CLOCK_SYNC_MIN, &QRadioButton::clicked, this, &SetPcClockDialog::IDC_CLOCK_SYNC_MIN_clicked);
  connect(ui->IDC_CLOCK_SYNC_HOUR, &QRadioButton::clicked, this, &SetPcClockDialog::IDC_CLOCK_SYNC_HOUR_clicked);
  connect(ui->IDC_CLOCK_SYNC_DAY, &QRadioButton::clicked, this, &SetPcClockDialog::IDC_CLOCK_SYNC_DAY_clicked);
  connect(ui->IDC_CLOCK_SYNC_DELTA, &QCheckBox::clicked, this, &SetPcClockDialog::IDC_CLOCK_SYNC_DELTA_clicked);
  connect(ui->IDC_CLOCK_SYNC_DELTA_MS, &QLineEdit::editingFinished, this,
          &SetPcClockDialog::IDC_CLOCK_SYNC_DELTA_MS_editingFinished);
  connect(ui->IDC_AMC_ON, &QCheckBox::clicked, this, &SetPcClockDialog::IDC_AMC_ON_clicked);
  connect(ui->IDC_AMC_QTY, &QSpinBox::valueChanged, this, &SetPcClockDialog::IDC_AMC_QTY_valueChanged);
  connect(ui->IDC_AMC_UNITS, &QComboBox::currentIndexChanged, this,
          &SetPcClockDialog::IDC_AMC_UNITS_currentIndexChanged);
  connect(ui->IDC_CLOCK_SYNC_OVERRIDE_TRAIM, &QCheckBox::clicked, this,
          &SetPcClockDialog::IDC_CLOCK_SYNC_OVERRIDE_TRAIM_clicked);
  connect(ui->IDC_CLOCK_SYNC_OVERRIDE_INTEGRITY, &QCheckBox::clicked, this,
          &SetPcClockDialog::IDC_CLOCK_SYNC_OVERRIDE_INTEGRITY_clicked);
  connect(ui->OK, &QPushButton::clicked, this, &SetPcClockDialog::OK_clicked);
  connect(ui->CANCEL, &QPushButton::clicked, this, &SetPcClockDialog::reject);
}

SetPcClockDialog::~SetPcClockDialog() { delete ui; }

int SetPcClockDialog::exec()
{
  LoadSettings();
  return QDialog::exec();
}

void SetPcClockDialog::LoadSettings()
{
  QSettings settings;

  mode = ReadStoredInt(settings, PcClockKeys::Mode, SyncDisable, SyncDisable, SyncEveryDay, MissingKey::Leave);
  CheckModeButton();

  // The threshold and quantity as the clock step reads them, so the dialog
  // shows what is in force.
  PcClockSettings::ReadThreshold(settings, &deltaOn, &deltaMs);
  ui->IDC_CLOCK_SYNC_DELTA->setChecked(deltaOn);
  ui->IDC_CLOCK_SYNC_DELTA_MS->setEnabled(deltaOn);
  ui->IDC_CLOCK_SYNC_DELTA_MS->setText(QString::number(deltaMs));

  // The units keep the stored value even where the combo box can't show it.
  maxOn = settings.value(PcClockKeys::MaxOn, false).toBool();
  ui->IDC_AMC_ON->setChecked(maxOn);
  maxQuantity = PcClockSettings::ReadMaxQuantity(settings);
  maxUnits = settings.value(PcClockKeys::MaxUnits, 0).toInt();
  {
    const QSignalBlocker quantityBlocker(ui->IDC_AMC_QTY);
    const QSignalBlocker unitsBlocker(ui->IDC_AMC_UNITS);
    ui->IDC_AMC_QTY->setValue(maxQuantity);
    ui->IDC_AMC_UNITS->setCurrentIndex(maxUnits);
  }

  overrideTraim = settings.value(PcClockKeys::OverrideTraim, false).toBool();
  ui->IDC_CLOCK_SYNC_OVERRIDE_TRAIM->setChecked(overrideTraim);
  overrideIntegrity = settings.value(PcClockKeys::OverrideIntegrity, false).toBool();
  ui->IDC_CLOCK_SYNC_OVERRIDE_INTEGRITY->setChecked(overrideIntegrity);

  restoreGeometry(settings.value(PcClockKeys::Geometry).toByteArray());
}

void SetPcClockDialog::SaveSettings()
{
  IDC_CLOCK_SYNC_DELTA_MS_editingFinished();

  QSettings settings;
  settings.setValue(PcClockKeys::Mode, mode);
  settings.setValue(PcClockKeys::DeltaOn, deltaOn);
  settings.setValue(PcClockKeys::DeltaMs, deltaMs);
  settings.setValue(PcClockKeys::OverrideTraim, overrideTraim);
  settings.setValue(PcClockKeys::OverrideIntegrity, overrideIntegrity);
  settings.setValue(PcClockKeys::MaxOn, maxOn);
  settings.setValue(PcClockKeys::MaxQuantity, maxQuantity);
  settings.setValue(PcClockKeys::MaxUnits, maxUnits);
  SaveGeometry();
}

void SetPcClockDialog::SaveGeometry()
{
  QSettings settings;
  settings.setValue(PcClockKeys::Geometry, saveGeometry());
}

QString SetPcClockDialog::CountText(quint32 count, bool saturated)
{
  return saturated ? QStringLiteral("> %1").arg(count) : QString::number(count);
}

void SetPcClockDialog::ReportClockSet(const QString &lastSync)
{
  lastSyncText = lastSync;
  const bool saturated = clockResetCount == std::numeric_limits<quint32>::max();
  if (!saturated)
    ++clockResetCount;
  clockResetText = CountText(clockResetCount, saturated);

  if (ui->IDC_CLOCK_SYNC_LAST->isVisible()) {
    ui->IDC_CLOCK_SYNC_LAST->setText(lastSyncText);
    ui->IDC_CLOCK_SYNC_COUNT->setText(clockResetText);
  }
}

void SetPcClockDialog::SetMode(int newMode)
{
  mode = newMode;
  CheckModeButton();
}

void SetPcClockDialog::CheckModeButton()
{
  QRadioButton *buttons[] = {ui->IDC_CLOCK_SYNC_DISABLE, ui->IDC_CLOCK_SYNC_ONCE, ui->IDC_CLOCK_SYNC_SEC,
                             ui->IDC_CLOCK_SYNC_MIN,     ui->IDC_CLOCK_SYNC_HOUR, ui->IDC_CLOCK_SYNC_DAY};
  const int index = mode >= SyncDisable && mode <= SyncEveryDay ? mode : SyncDisable;
  buttons[index]->setChecked(true);
}

void SetPcClockDialog::reject()
{
  // Saving first keeps the window where the user left it.
  SaveGeometry();
  LoadSettings();
  QDialog::reject();
}

void SetPcClockDialog::OK_clicked()
{
  SaveSettings();
  done(QDialog::Accepted);
}

void SetPcClockDialog::closeEvent(QCloseEvent *event)
{
  SaveGeometry();
  QDialog::closeEvent(event);
}

void SetPcClockDialog::IDC_CLOCK_SYNC_DISABLE_clicked() { mode = SyncDisable; }
void SetPcClockDialog::IDC_CLOCK_SYNC_ONCE_clicked() { mode = SyncOnce; }
void SetPcClockDialog::IDC_CLOCK_SYNC_SEC_clicked() { mode = SyncEverySecond; }
void SetPcClockDialog::IDC_CLOCK_SYNC_MIN_clicked() { mode = SyncEveryMinute; }
void SetPcClockDialog::IDC_CLOCK_SYNC_HOUR_clicked() { mode = SyncEveryHour; }
void SetPcClockDialog::IDC_CLOCK_SYNC_DAY_clicked() { mode = SyncEveryDay; }

void SetPcClockDialog::IDC_CLOCK_SYNC_DELTA_clicked(bool checked)
{
  deltaOn = checked;
  ui->IDC_CLOCK_SYNC_DELTA_MS->setEnabled(checked);
}

void SetPcClockDialog::IDC_CLOCK_SYNC_DELTA_MS_editingFinished()
{
  bool ok = false;
  const int typed = ui->IDC_CLOCK_SYNC_DELTA_MS->text().trimmed().toInt(&ok, 10);
  if (ok)
    deltaMs = typed;
  if (deltaMs < PcClockDeltaMsMin || deltaMs > PcClockDeltaMsMax) {
    // A threshold of 0 would set the clock on every pass: switch the rule off.
    deltaMs = PcClockDeltaMsMin;
    deltaOn = false;
    ui->IDC_CLOCK_SYNC_DELTA->setChecked(false);
    ui->IDC_CLOCK_SYNC_DELTA_MS->setEnabled(false);
  }
}

void SetPcClockDialog::IDC_AMC_ON_clicked(bool checked) { maxOn = checked; }
void SetPcClockDialog::IDC_AMC_QTY_valueChanged(int value) { maxQuantity = value; }
void SetPcClockDialog::IDC_AMC_UNITS_currentIndexChanged(int index) { maxUnits = index; }
void SetPcClockDialog::IDC_CLOCK_SYNC_OVERRIDE_TRAIM_clicked(bool checked) { overrideTraim = checked; }
void SetPcClockDialog::IDC_CLOCK_SYNC_OVERRIDE_INTEGRITY_clicked(bool checked) { overrideIntegrity = checked; }
