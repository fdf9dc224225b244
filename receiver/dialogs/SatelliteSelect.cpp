#include "receiver/dialogs/SatelliteSelect.h"
#include "ui_SatelliteSelect.h"

#include "fields/NumericFieldCheck.h"

#include <QCloseEvent>
#include <QSettings>

namespace {
const char *const GeometryKey = "SatelliteSelect/geometry";
}

SatelliteSelect::SatelliteSelect(QWidget *parent) : QDialog(parent), form(new Ui::SatelliteSelect)
{
  form->setupUi(this);
  setFixedSize(size());

  connect(form->OK, &QPushButton::clicked, this, &SatelliteSelect::OnOkClicked);
  connect(form->CANCEL, &QPushButton::clicked, this, &SatelliteSelect::OnCancelClicked);
  using Edited = void (SatelliteSelect::*)(const QString &);
  using Left = void (SatelliteSelect::*)();
  const Edited edited[] = {
      &SatelliteSelect::IDC_SS_1_SAT_ID_textEdited, &SatelliteSelect::IDC_SS_2_SAT_ID_textEdited,
      &SatelliteSelect::IDC_SS_3_SAT_ID_textEdited, &SatelliteSelect::IDC_SS_4_SAT_ID_textEdited,
      &SatelliteSelect::IDC_SS_5_SAT_ID_textEdited, &SatelliteSelect::IDC_SS_6_SAT_ID_textEdited,
      &SatelliteSelect::IDC_SS_7_SAT_ID_textEdited, &SatelliteSelect::IDC_SS_8_SAT_ID_textEdited};
  const Left left[] = {
      &SatelliteSelect::IDC_SS_1_SAT_ID_editingFinished, &SatelliteSelect::IDC_SS_2_SAT_ID_editingFinished,
      &SatelliteSelect::IDC_SS_3_SAT_ID_editingFinished, &SatelliteSelect::IDC_SS_4_SAT_ID_editingFinished,
      &SatelliteSelect::IDC_SS_5_SAT_ID_editingFinished, &SatelliteSelect::IDC_SS_6_SAT_ID_editingFinished,
      &SatelliteSelect::IDC_SS_7_SAT_ID_editingFinished, &SatelliteSelect::IDC_SS_8_SAT_ID_editingFinished};
  for (int channel = 1; channel <= 8; ++channel) {
    connect(ChannelField(channel), &QLineEdit::textEdited, this, edited[channel - 1]);
    connect(ChannelField(channel), &QLineEdit::editingFinished, this, left[channel - 1]);
  }
}

SatelliteSelect::~SatelliteSelect()
{
  delete form;
}

int SatelliteSelect::exec()
{
  RestoreGeometry();
  return QDialog::exec();
}

void SatelliteSelect::closeEvent(QCloseEvent *event)
{
  SaveGeometry();
  QDialog::closeEvent(event);
}

void SatelliteSelect::RestoreGeometry()
{
  restoreGeometry(QSettings().value(GeometryKey).toByteArray());
}

void SatelliteSelect::SaveGeometry()
{
  QSettings().setValue(GeometryKey, saveGeometry());
}

void SatelliteSelect::ValidateAll()
{
  for (int channel = 1; channel <= 8; ++channel)
    ChannelLeft(channel);
  SaveGeometry();
}

bool SatelliteSelect::ValidateIntField(const QString &text, int min, int max, bool showMessages)
{
  return ReportFieldCheck(this, CheckIntegerField(text, min, max), showMessages);
}

void SatelliteSelect::OnOkClicked()
{
  // Nothing here is stored or sent, so OK closes whatever the checks found.
  ValidateAll();
  done(1);
}

void SatelliteSelect::OnCancelClicked()
{
  SaveGeometry();
  done(0);
}

QLineEdit *SatelliteSelect::ChannelField(int channel) const
{
  QLineEdit *fields[] = {form->IDC_SS_1_SAT_ID, form->IDC_SS_2_SAT_ID, form->IDC_SS_3_SAT_ID,
                         form->IDC_SS_4_SAT_ID, form->IDC_SS_5_SAT_ID, form->IDC_SS_6_SAT_ID,
                         form->IDC_SS_7_SAT_ID, form->IDC_SS_8_SAT_ID};
  return fields[channel - 1];
}

void SatelliteSelect::ChannelEdited(int channel, const QString &text)
{
  const bool ok = ValidateIntField(text, 1, 255, false);
  MarkFieldValid(ChannelField(channel), ok);
  form->OK->setEnabled(ok);
}

bool SatelliteSelect::ChannelLeft(int channel)
{
  QLineEdit *field = ChannelField(channel);
  if (ValidateIntField(field->text(), 0, 255, true))
    return true;
  field->setFocus(Qt::OtherFocusReason);
  return false;
}

void SatelliteSelect::IDC_SS_1_SAT_ID_textEdited(const QString &text) { ChannelEdited(1, text); }
void SatelliteSelect::IDC_SS_1_SAT_ID_editingFinished() { ChannelLeft(1); }
void SatelliteSelect::IDC_SS_2_SAT_ID_textEdited(const QString &text) { ChannelEdited(2, text); }
void SatelliteSelect::IDC_SS_2_SAT_ID_editingFinished() { ChannelLeft(2); }
void SatelliteSelect::IDC_SS_3_SAT_ID_textEdited(const QString &text) { ChannelEdited(3, text); }
void SatelliteSelect::IDC_SS_3_SAT_ID_editingFinished() { ChannelLeft(3); }
void SatelliteSelect::IDC_SS_4_SAT_ID_textEdited(const QString &text) { ChannelEdited(4, text); }
void SatelliteSelect::IDC_SS_4_SAT_ID_editingFinished() { ChannelLeft(4); }
void SatelliteSelect::IDC_SS_5_SAT_ID_textEdited(const QString &text) { ChannelEdited(5, text); }
void SatelliteSelect::IDC_SS_5_SAT_ID_editingFinished() { ChannelLeft(5); }
void SatelliteSelect::IDC_SS_6_SAT_ID_textEdited(const QString &text) { ChannelEdited(6, text); }
void SatelliteSelect::IDC_SS_6_SAT_ID_editingFinished() { ChannelLeft(6); }
void SatelliteSelect::IDC_SS_7_SAT_ID_textEdited(const QString &text) { ChannelEdited(7, text); }
void SatelliteSelect::IDC_SS_7_SAT_ID_editingFinished() { ChannelLeft(7); }
void SatelliteSelect::IDC_SS_8_SAT_ID_textEdited(const QString &text) { ChannelEdited(8, text); }
void SatelliteSelect::IDC_SS_8_SAT_ID_editingFinished() { ChannelLeft(8); }
