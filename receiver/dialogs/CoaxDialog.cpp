#include "receiver/dialogs/CoaxDialog.h"
#include "ui_CoaxDialog.h"

#include "core/StoredSetting.h"
#include "fields/NumericFieldCheck.h"

#include <QCloseEvent>
#include <QRegularExpression>
#include <QSettings>

#include <cmath>

namespace {

struct CableFactor {
  double factor;
  const char *name;
};

// Cable names by velocity factor; the first equal name wins.
const CableFactor CoaxVelocityFactors[] = {
    {0.659, "RG-58A/U"}, {0.659, "RG-58C/U"}, {0.659, "RG-213"}, {0.659, "RG-59B/U"},
    {0.66, "POLY"}, {0.66, "RG-58/U"}, {0.66, "RG-214/U"}, {0.66, "RG-223/U"},
    {0.685, "RG-316/U"},
    {0.695, "TEFLON"}, {0.695, "RG-174/U"}, {0.695, "RG-178B/U"}, {0.695, "RG-196A/U"},
    {0.7, "RG-8X/Marine"},
    {0.78, "FOAM"}, {0.78, "RG-8X"}, {0.78, "RG-8FM"}, {0.78, "RG-59/CATV"},
    {0.82, "MICRO-CELL FOAM"}, {0.82, "RG-6/QUAD CATV"},
    {0.84, "AIR DIELECTRIC"}, {0.84, "AIR"}, {0.84, "9086"}, {0.84, "9096"}, {0.84, "9913"},
    {0.84, "LMR-240"}, {0.84, "RG-62A/U"},
    {0.85, "LMR-400"},
    {0.86, "LMR-500"},
    {0.87, "LMR-600"}, {0.87, "LMR-900"}, {0.87, "MICROCELL FOAM"},
    {0.88, "LMR-1200"},
    {0.89, "LMR-1700"},
};

const int MaxLength = 9999;

// Tenths, half up as the delay fields have always rounded them.
double RoundTenths(double value)
{
  return std::trunc(value * 10.0 + 0.5) / 10.0;
}

QString WholeText(double value)
{
  return QString::number(std::trunc(value), 'f', 0);
}

}  // namespace

double CoaxVelocityFactor(const QString &text)
{
  static const QRegularExpression number(QStringLiteral("\\+?[0]*\\.[0-9]+"));
  const QString upper = text.toUpper();
  const QRegularExpressionMatch match = number.match(upper);
  if (match.hasMatch())
    return match.captured(0).toDouble();
  for (const CableFactor &cable : CoaxVelocityFactors)
    if (upper == QString::fromLatin1(cable.name).toUpper())
      return cable.factor;
  return 0.0;
}

double CoaxSectionDelay(double length, const QString &unit, double factor)
{
  if (factor == 0.0)
    return 0.0;
  const double unitFactor = unit.toUpper() == QLatin1String("FEET") ? 0.3048 : 1.0;
  const double rounded = RoundTenths(unitFactor * length / (factor * 0.3));
  return std::isfinite(rounded) ? rounded : 0.0;
}

CoaxDialog::CoaxDialog(QWidget *parent) : QDialog(parent), form(new Ui::CoaxDialog)
{
  form->setupUi(this);
  setFixedSize(size());

  connect(form->OK, &QPushButton::clicked, this, &CoaxDialog::OnOkClicked);
  connect(form->CANCEL, &QPushButton::clicked, this, &CoaxDialog::OnCancelClicked);
  connect(form->IDC_DC_LENGTH1, &QLineEdit::textEdited, this, &CoaxDialog::IDC_DC_LENGTH1_textEdited);
  connect(form->IDC_DC_LENGTH1, &QLineEdit::editingFinished, this, &CoaxDialog::IDC_DC_LENGTH1_editingFinished);
  connect(form->IDC_DC_LENGTH2, &QLineEdit::textEdited, this, &CoaxDialog::IDC_DC_LENGTH2_textEdited);
  connect(form->IDC_DC_LENGTH2, &QLineEdit::editingFinished, this, &CoaxDialog::IDC_DC_LENGTH2_editingFinished);
  connect(form->IDC_DC_LEN_DIM1, &QComboBox::currentIndexChanged, this,
          &CoaxDialog::IDC_DC_LEN_DIM1_currentIndexChanged);
  connect(form->IDC_DC_LEN_DIM2, &QComboBox::currentIndexChanged, this,
          &CoaxDialog::IDC_DC_LEN_DIM2_currentIndexChanged);
  connect(form->IDC_DC_VF1, &QComboBox::currentIndexChanged, this, &CoaxDialog::IDC_DC_VF1_currentIndexChanged);
  connect(form->IDC_DC_VF2, &QComboBox::currentIndexChanged, this, &CoaxDialog::IDC_DC_VF2_currentIndexChanged);
  connect(form->IDC_DC_VF1, &QComboBox::editTextChanged, this, &CoaxDialog::IDC_DC_VF1_editTextChanged);
  connect(form->IDC_DC_VF2, &QComboBox::editTextChanged, this, &CoaxDialog::IDC_DC_VF2_editTextChanged);
}

CoaxDialog::~CoaxDialog()
{
  delete form;
}

int CoaxDialog::exec()
{
  LoadSettings();
  return QDialog::exec();
}

void CoaxDialog::closeEvent(QCloseEvent *event)
{
  SaveGeometry();
  QDialog::closeEvent(event);
}

double CoaxDialog::VelocityFactorFromText(const QString &text)
{
  return CoaxVelocityFactor(text);
}

void CoaxDialog::LoadSettings()
{
  QSettings settings;
  restoreGeometry(settings.value(SettingsGroup + "/geometry").toByteArray());
  // A length the field would refuse (nan and inf among them) shows as 0.
  const auto length = [&](const char *key) {
    return WholeText(ReadStoredNumber(settings, SettingsGroup + QLatin1String(key), 0.0, 0.0, MaxLength));
  };
  form->IDC_DC_LENGTH1->setText(length("/dLength_1"));
  form->IDC_DC_LENGTH2->setText(length("/dLength_2"));
  dimension1 = settings.value(SettingsGroup + "/Dimension_1", "Feet").toString();
  dimension2 = settings.value(SettingsGroup + "/Dimension_2", "Feet").toString();
  velocityFactor1 = settings.value(SettingsGroup + "/VelocityFactor_1", "LMR-240").toString();
  velocityFactor2 = settings.value(SettingsGroup + "/VelocityFactor_2", "LMR-240").toString();
  form->IDC_DC_LEN_DIM1->setCurrentText(dimension1);
  form->IDC_DC_LEN_DIM2->setCurrentText(dimension2);
  form->IDC_DC_VF1->setCurrentText(velocityFactor1);
  form->IDC_DC_VF2->setCurrentText(velocityFactor2);
  CalculateDelay();
  UpdateOkButton();
}

void CoaxDialog::SaveSettings()
{
  SaveGeometry();
  IDC_DC_LENGTH1_editingFinished();
  const double length1 = form->IDC_DC_LENGTH1->text().toDouble();
  IDC_DC_LENGTH2_editingFinished();
  const double length2 = form->IDC_DC_LENGTH2->text().toDouble();

  QSettings settings;
  settings.setValue(SettingsGroup + "/dLength_1", length1);
  settings.setValue(SettingsGroup + "/dLength_2", length2);
  dimension1 = form->IDC_DC_LEN_DIM1->currentText();
  dimension2 = form->IDC_DC_LEN_DIM2->currentText();
  velocityFactor1 = form->IDC_DC_VF1->currentText();
  velocityFactor2 = form->IDC_DC_VF2->currentText();
  settings.setValue(SettingsGroup + "/Dimension_1", dimension1);
  settings.setValue(SettingsGroup + "/Dimension_2", dimension2);
  settings.setValue(SettingsGroup + "/VelocityFactor_1", velocityFactor1);
  settings.setValue(SettingsGroup + "/VelocityFactor_2", velocityFactor2);
  dTotalDelay = form->IDC_DC_TOTAL_DELAY->text().toDouble();
}

void CoaxDialog::SaveGeometry()
{
  QSettings().setValue(SettingsGroup + "/geometry", saveGeometry());
}

void CoaxDialog::CalculateDelay()
{
  const double r1 = CoaxSectionDelay(form->IDC_DC_LENGTH1->text().toDouble(), form->IDC_DC_LEN_DIM1->currentText(),
                                     CoaxVelocityFactor(form->IDC_DC_VF1->currentText()));
  const double r2 = CoaxSectionDelay(form->IDC_DC_LENGTH2->text().toDouble(), form->IDC_DC_LEN_DIM2->currentText(),
                                     CoaxVelocityFactor(form->IDC_DC_VF2->currentText()));
  form->IDC_DC_DELAY1->setText(WholeText(r1));
  form->IDC_DC_DELAY2->setText(WholeText(r2));
  // The total is formed from the tenths, not from the whole numbers shown.
  form->IDC_DC_TOTAL_DELAY->setText(WholeText(RoundTenths(r1 + r2)));
}

bool CoaxDialog::ValidateIntField(const QString &text, int min, int max, bool showMessages)
{
  return ReportFieldCheck(this, CheckIntegerField(text, min, max), showMessages);
}

void CoaxDialog::UpdateOkButton()
{
  bool all = true;
  for (QLineEdit *field : {form->IDC_DC_LENGTH1, form->IDC_DC_LENGTH2}) {
    const bool valid = ValidateIntField(field->text(), 0, MaxLength, false);
    MarkFieldValid(field, valid);
    all = all && valid;
  }
  form->OK->setEnabled(all);
}

void CoaxDialog::LengthEdited(int section, const QString &text)
{
  QLineEdit *field = section == 1 ? form->IDC_DC_LENGTH1 : form->IDC_DC_LENGTH2;
  const bool valid = ValidateIntField(text, 0, MaxLength, false);
  MarkFieldValid(field, valid);
  if (valid)
    CalculateDelay();
  UpdateOkButton();
}

bool CoaxDialog::LengthLeft(int section)
{
  QLineEdit *field = section == 1 ? form->IDC_DC_LENGTH1 : form->IDC_DC_LENGTH2;
  if (ValidateIntField(field->text(), 0, MaxLength, true)) {
    CalculateDelay();
    return true;
  }
  field->setFocus(Qt::OtherFocusReason);
  return false;
}

void CoaxDialog::OnOkClicked()
{
  if (!form->OK->isEnabled())
    return;
  SaveSettings();
  done(1);
}

void CoaxDialog::OnCancelClicked()
{
  SaveGeometry();
  done(0);
}

void CoaxDialog::IDC_DC_LENGTH1_textEdited(const QString &text) { LengthEdited(1, text); }
void CoaxDialog::IDC_DC_LENGTH1_editingFinished() { LengthLeft(1); }
void CoaxDialog::IDC_DC_LENGTH2_textEdited(const QString &text) { LengthEdited(2, text); }
void CoaxDialog::IDC_DC_LENGTH2_editingFinished() { LengthLeft(2); }
void CoaxDialog::IDC_DC_LEN_DIM1_currentIndexChanged(int) { CalculateDelay(); }
void CoaxDialog::IDC_DC_LEN_DIM2_currentIndexChanged(int) { CalculateDelay(); }
void CoaxDialog::IDC_DC_VF1_currentIndexChanged(int) { CalculateDelay(); }
void CoaxDialog::IDC_DC_VF2_currentIndexChanged(int) { CalculateDelay(); }
void CoaxDialog::IDC_DC_VF1_editTextChanged(const QString &) { CalculateDelay(); }
void CoaxDialog::IDC_DC_VF2_editTextChanged(const QString &) { CalculateDelay(); }
