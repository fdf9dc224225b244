#include "receiver/GpsRxType.h"

#include "ui_GpsRxType.h"

#include <QCloseEvent>
#include <QRadioButton>
#include <QSettings>

GpsRxType::GpsRxType(QWidget *parent) : QDialog(parent), ui(new Ui::GpsRxType)
{
  ui->setupUi(this);
  setFixedSize(size().expandedTo(sizeHint()));
  connect(ui->OK, &QPushButton::clicked, this, &GpsRxType::OnOkClicked);
}

GpsRxType::~GpsRxType()
{
  delete ui;
}

int GpsRxType::exec()
{
  LoadSettings();
  return QDialog::exec();
}

QRadioButton *GpsRxType::CheckedButton() const
{
  return qobject_cast<QRadioButton *>(ui->GpsRxTypeButtonGroup->checkedButton());
}

void GpsRxType::closeEvent(QCloseEvent *event)
{
  SaveGeometry();
  QDialog::closeEvent(event);
}

void GpsRxType::LoadSettings()
{
  QSettings settings;
  restoreGeometry(settings.value(GpsRxTypeKeys::Geometry).toByteArray());
  const QString text = settings.value(GpsRxTypeKeys::Choice).toString();
  const QString buttonName = settings.value(GpsRxTypeKeys::ChoiceButton).toString();

  // The button stored by name wins while its text still matches; otherwise
  // the last button showing the stored text, in the form's order.
  QRadioButton *chosen = nullptr;
  const auto buttons = ui->RxTypeButtonGroup->findChildren<QRadioButton *>();
  for (QRadioButton *button : buttons) {
    if (button->text() != text || text.isEmpty())
      continue;
    if (!chosen || chosen->objectName() != buttonName)
      chosen = button;
  }
  if (!chosen)
    chosen = ui->RadioButton_IDC_ONCORE_VP_11;
  chosen->setChecked(true);
}

void GpsRxType::SaveGeometry()
{
  QSettings().setValue(GpsRxTypeKeys::Geometry, saveGeometry());
}

void GpsRxType::SaveSettings()
{
  SaveGeometry();
  QSettings settings;
  if (QRadioButton *button = CheckedButton()) {
    settings.setValue(GpsRxTypeKeys::Choice, button->text());
    settings.setValue(GpsRxTypeKeys::ChoiceButton, button->objectName());
  }
}

void GpsRxType::OnOkClicked()
{
  SaveSettings();
  done(1);
}
