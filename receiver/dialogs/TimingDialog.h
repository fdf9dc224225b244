#pragma once
// The timing settings: the modal dialog "Timing Setup" and the store of the
// 1PPS epoch and fine offsets, cable and receiver delays, T-RAIM limit and
// the TIC sawtooth settings. Other parts read the public members directly.

#include <QDialog>
#include <QtGlobal>

namespace Ui {
class TimingDialog;
}
class CoaxDialog;
class QLineEdit;

// The TIC sawtooth correction chosen here; -1 stands for no radio checked.
enum SawtoothCorrectionMode {
  SawtoothAutomatic = 0,
  SawtoothAdd = 1,
  SawtoothSubtract = 2,
  SawtoothOff = 3,
};

// The derived totals of a set of timing values.
struct TimingTotals {
  double totalDelay = 0.0;              // ns: antenna + measurement + receiver
  double totalPpsOffsetNegative = 0.0;  // us, in (-1000000, 0]
  double totalPpsOffsetPositive = 0.0;  // us, in (0, 1000000]
};

// epochMs * 1000 + ppsDelayUs - extraDelayUs, rounded half away from zero to
// 0.001 us, in both forms.
TimingTotals ComputeTimingTotals(double antennaCableNs, double measurementCableNs,
                                 double rxDelayNs, qint64 epochMs, double ppsDelayUs,
                                 double extraDelayUs);

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

private:
  Ui::TimingDialog *form;

public:
  double antennaCableDelay = 0.0;       // ns
  qint32 epochOffset = 0;               // ms, sets the 1PPS late
  double extraDelay = 0.0;              // us, sets the 1PPS early
  double measurementCableDelay = 0.0;   // ns
  double rxDelay = 55.0;                // ns
  double totalPpsOffsetNegative = 0.0;  // us, not stored
  double totalPpsOffsetPositive = 0.0;  // us, not stored
  double ppsDelay = 0.0;                // us, sets the 1PPS late
  double traimLimit = 0.0;              // ns; 0 means T-RAIM off
  bool traimConditionedPps = false;     // kill the 1PPS when T-RAIM fails
  double totalDelay = 0.0;              // ns, not stored
  bool ticAutoCorrect = true;
  qint32 sawtoothCorrection = -1;       // SawtoothCorrectionMode
  bool sawtoothChanged = false;         // the last OK changed the sawtooth mode
  CoaxDialog *coaxDialog = nullptr;

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
