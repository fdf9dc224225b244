#pragma once
// The coax cable delay calculator: the delay of up to two cable sections
// from length, unit and velocity factor. The caller names the settings group
// before each opening, so each use remembers its own inputs.

#include <QDialog>
#include <QString>

namespace Ui {
class CoaxDialog;
}

// The velocity factor a cable text gives: its first decimal number
// ("0.840 air dielectric" -> 0.84, "1.5" -> 0.5), else a known cable name in
// any case ("rg-58a/u" -> 0.659), else 0.0.
double CoaxVelocityFactor(const QString &text);

// One section's delay in ns rounded to tenths: unit * length / (factor * 0.3),
// with unit 0.3048 for "Feet" (any case) and 1.0 otherwise; 0 when the factor
// is 0.
double CoaxSectionDelay(double length, const QString &unit, double factor);

class CoaxDialog : public QDialog {
  Q_OBJECT

public:
  explicit CoaxDialog(QWidget *parent = nullptr);
  ~CoaxDialog() override;

  int exec() override;

  double dTotalDelay = 0.0;  // ns, valid after exec returned 1
  QString SettingsGroup;     // begins every key; set before each exec

  void LoadSettings();
  void SaveSettings();
  void SaveGeometry();
  void CalculateDelay();
  bool ValidateIntField(const QString &text, int min, int max, bool showMessages);
  static double VelocityFactorFromText(const QString &text);

protected:
  void closeEvent(QCloseEvent *event) override;

private slots:
  void IDC_DC_LENGTH1_textEdited(const QString &text);
  void IDC_DC_LENGTH1_editingFinished();
  void IDC_DC_LENGTH2_textEdited(const QString &text);
  void IDC_DC_LENGTH2_editingFinished();
  void IDC_DC_LEN_DIM1_currentIndexChanged(int index);
  void IDC_DC_LEN_DIM2_currentIndexChanged(int index);
  void IDC_DC_VF1_currentIndexChanged(int index);
  void IDC_DC_VF2_currentIndexChanged(int index);
  void IDC_DC_VF1_editTextChanged(const QString &text);
  void IDC_DC_VF2_editTextChanged(const QString &text);

private:
  void OnOkClicked();
  void OnCancelClicked();
  void LengthEdited(int section, const QString &text);
  bool LengthLeft(int section);
  void UpdateOkButton();

  Ui::CoaxDialog *form;
  QString dimension1, dimension2, velocityFactor1, velocityFactor2;
};
