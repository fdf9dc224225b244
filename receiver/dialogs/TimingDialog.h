#pragma once
// The modal dialog "Timing Setup": it edits a copy of the timing settings
// (1PPS epoch and fine offsets, cable and receiver delays, T-RAIM limit, the
// TIC sawtooth settings) and stores it on OK. Others keep their own copy,
// taken from Settings() after the dialog ran.

#include "receiver/session/TimingSettings.h"

#include <QDialog>
#include <QtGlobal>

namespace Ui {
class TimingDialog;
}
class CoaxDialog;
class QLineEdit;

class TimingDialog : public QDialog {
  Q_OBJECT

public:
  explicit TimingDialog(QWidget *parent = nullptr);
  ~TimingDialog() override;

  int exec() override;

  void LoadSettings();
  void SaveSettings();
  void SaveGeometry();
  void UpdateTotals();

  bool ValidateIntField(const QString &text, int min, int max, bool showMessages);
  bool ValidateDoubleField(const QString &text, double min, double max, bool showMessages);

  // The dialog's copy: loaded when it is made, opened or cancelled, stored
  // by OK.
  const TimingSettings &Settings() const { return settings_; }

  bool sawtoothChanged = false;  // an OK changed the sawtooth mode; cleared by whoever acts on it
  CoaxDialog *coaxDialog = nullptr;

private:
  Ui::TimingDialog *form;
  TimingSettings settings_;

protected:
  void closeEvent(QCloseEvent *event) override;

public slots:
  void reject() override;

private slots:
  void IDC_TIMING_EPOCH_textEdited(const QString &text);
  void IDC_TIMING_OFFSET_textEdited(const QString &text);
  void IDC_TIMING_RAIM_textEdited(const QString &text);
  void IDC_TIMING_ANT_CABLE_textEdited(const QString &text);
  void IDC_TIMING_MES_CABLE_textEdited(const QString &text);
  void IDC_TIMING_RCVR_DELAY_textEdited(const QString &text);
  void IDC_TIMING_EXTRA_DELAY_textEdited(const QString &text);
  void IDC_TIMING_EP_RESET_clicked();
  void IDC_TIMING_ED_RESET_clicked();
  void IDC_TIMING_DEFAULTS_clicked();

private:
  void OnEpochEditingFinished();
  void OnOffsetEditingFinished();
  void OnRaimEditingFinished();
  void OnAntCableEditingFinished();
  void OnMesCableEditingFinished();
  void OnRcvrDelayEditingFinished();
  void OnExtraDelayEditingFinished();
  void OnAntennaCoaxCalculator();
  void OnMeasurementCoaxCalculator();
  void OnOkClicked();
  void OnCancelClicked();

  void ReadStoredValues();
  void ShowValues();
  void RunCoaxCalculator(const QString &group, QLineEdit *field);
  bool CheckField(QLineEdit *field, bool showMessages);
  void FieldEdited(QLineEdit *field, bool updateTotals);
  void FieldLeft(QLineEdit *field);
  void UpdateOkButton();
};
