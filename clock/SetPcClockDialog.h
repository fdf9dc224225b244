#pragma once
// "Set PC Clock": how the PC clock follows the receiver. The mode, threshold
// and maximum take effect through the main window's loader after OK; the
// two override switches are read by the clock step on every pass, so a
// click acts at once and Cancel undoes it. The dialog also counts the
// clock sets it is told about.

#include <QDialog>
#include <QString>
#include <QtGlobal>

class QCloseEvent;

namespace Ui {
class SetPcClockDialog;
}

class SetPcClockDialog : public QDialog {
  Q_OBJECT

public:
  explicit SetPcClockDialog(QWidget *parent = nullptr);
  ~SetPcClockDialog() override;

  // Loads the stored settings, then runs modally.
  int exec() override;

  void LoadSettings();
  void SaveSettings();
  void SaveGeometry();

  // One successful clock set, at the date text the clock display showed.
  void ReportClockSet(const QString &lastSync);

  // The fields, as the main window and the clock step read them.
  int Mode() const { return mode; }
  // After a "One Time" set the mode reads Disable until the next load.
  void SetMode(int newMode);
  bool DeltaOn() const { return deltaOn; }
  int DeltaMs() const { return deltaMs; }
  bool MaxOn() const { return maxOn; }
  int MaxQuantity() const { return maxQuantity; }
  int MaxUnits() const { return maxUnits; }
  bool OverrideTraim() const { return overrideTraim; }
  bool OverrideIntegrity() const { return overrideIntegrity; }

  quint32 ClockResetCount() const { return clockResetCount; }
  // Starts the count at a given value (a count carried over, or one near
  // the top of the range).
  void SetClockResetCount(quint32 count) { clockResetCount = count; }
  QString ClockResetText() const { return clockResetText; }
  QString LastSyncText() const { return lastSyncText; }

  // The count as the "Clock Resets" label shows it: "> 4294967295" once it
  // can go no higher.
  static QString CountText(quint32 count, bool saturated);

public slots:
  void reject() override;

private slots:
  void IDC_CLOCK_SYNC_DISABLE_clicked();
  void IDC_CLOCK_SYNC_ONCE_clicked();
  void IDC_CLOCK_SYNC_SEC_clicked();
  void IDC_CLOCK_SYNC_MIN_clicked();
  void IDC_CLOCK_SYNC_HOUR_clicked();
  void IDC_CLOCK_SYNC_DAY_clicked();
  void IDC_CLOCK_SYNC_DELTA_clicked(bool checked);
  void IDC_CLOCK_SYNC_DELTA_MS_editingFinished();
  void IDC_AMC_ON_clicked(bool checked);
  void IDC_AMC_QTY_valueChanged(int value);
  void IDC_AMC_UNITS_currentIndexChanged(int index);
  void IDC_CLOCK_SYNC_OVERRIDE_TRAIM_clicked(bool checked);
  void IDC_CLOCK_SYNC_OVERRIDE_INTEGRITY_clicked(bool checked);
  void OK_clicked();

protected:
  void closeEvent(QCloseEvent *event) override;

private:
  void CheckModeButton();

  Ui::SetPcClockDialog *ui;

  int mode = 0;
  bool deltaOn = false;
  int deltaMs = 1;
  bool maxOn = false;
  int maxQuantity = 2;
  int maxUnits = 0;
  bool overrideTraim = false;
  bool overrideIntegrity = false;

  QString lastSyncText;
  quint32 clockResetCount = 0;
  QString clockResetText;
};
