#include "position/ReferenceLocationDialog.h"

#include "fields/NumericFieldCheck.h"
#include "position/CoordinateText.h"
#include "position/GeoidModel.h"
#include "position/RefLocationDB.h"
#include "ui_ReferenceLocationDialog.h"

#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QSettings>
#include <QSignalBlocker>
#include <algorithm>
#include <cmath>

namespace {

const QString kGeometryKey = QStringLiteral("ReferenceLocationDialog/geometry");

// To 0.01 m, halves away from zero.
double RoundToCentimetre(double a)
{
  return a >= 0 ? std::trunc(a * 100 + 0.5) / 100 : std::trunc(a * 100 - 0.5) / 100;
}

QString AltitudeText(double metres) { return QString::asprintf("%04.2f", metres); }

}  // namespace

ReferenceLocationDialog::ReferenceLocationDialog(QWidget *parent)
    : QDialog(parent), ui(new Ui::ReferenceLocationDialog)
{
  ui->setupUi(this);
  setFixedSize(size());
  KeepTypedNames();
  LoadNameList();
  ui->IDC_REFDLG_LATITUDE->setText(FormatLatLon(latitude_));
  ui->IDC_REFDLG_LONGITUDE->setText(FormatLatLon(longitude_));

  connect(ui->IDC_REFDLG_LATITUDE, &QLineEdit::editingFinished, this,
          &ReferenceLocationDialog::IDC_REFDLG_LATITUDE_editingFinished);
  connect(ui->IDC_REFDLG_LATITUDE, &QLineEdit::textEdited, this,
          &ReferenceLocationDialog::IDC_REFDLG_LATITUDE_textEdited);
  connect(ui->IDC_REFDLG_LONGITUDE, &QLineEdit::editingFinished, this,
          &ReferenceLocationDialog::IDC_REFDLG_LONGITUDE_editingFinished);
  connect(ui->IDC_REFDLG_LONGITUDE, &QLineEdit::textEdited, this,
          &ReferenceLocationDialog::IDC_REFDLG_LONGITUDE_textEdited);
  connect(ui->IDC_REFDLG_ALT_WGS84, &QLineEdit::editingFinished, this,
          &ReferenceLocationDialog::IDC_REFDLG_ALT_WGS84_editingFinished);
  connect(ui->IDC_REFDLG_ALT_WGS84, &QLineEdit::textEdited, this,
          &ReferenceLocationDialog::IDC_REFDLG_ALT_WGS84_textEdited);
  connect(ui->IDC_REFDLG_ALT_MSL, &QLineEdit::editingFinished, this,
          &ReferenceLocationDialog::IDC_REFDLG_ALT_MSL_editingFinished);
  connect(ui->IDC_REFDLG_ALT_MSL, &QLineEdit::textEdited, this,
          &ReferenceLocationDialog::IDC_REFDLG_ALT_MSL_textEdited);
  connect(ui->IDC_REFDLG_LOC_ON_START, &QCheckBox::clicked, this,
          &ReferenceLocationDialog::IDC_REFDLG_LOC_ON_START_clicked);
  connect(ui->IDC_REFDLG_REMOVE_NAME, &QPushButton::clicked, this,
          &ReferenceLocationDialog::IDC_REFDLG_REMOVE_NAME_clicked);
  connect(ui->IDC_REFDLG_NAME, &QComboBox::currentIndexChanged, this,
          &ReferenceLocationDialog::IDC_REFDLG_NAME_currentIndexChanged);
  connect(ui->IDC_REFDLG_SAVE_NAME, &QPushButton::clicked, this,
          &ReferenceLocationDialog::IDC_REFDLG_SAVE_NAME_clicked);
  connect(ui->OK, &QPushButton::clicked, this, &ReferenceLocationDialog::OnOk);
  connect(ui->CANCEL, &QPushButton::clicked, this, &ReferenceLocationDialog::OnCancel);
}

ReferenceLocationDialog::~ReferenceLocationDialog() { delete ui; }

void ReferenceLocationDialog::KeepTypedNames()
{
  // The box would complete a typed name to a stored one and, when editing
  // ends, jump to an entry matching it in any case, loading that record
  // over the typed fields: a name is stored exactly as typed, and only a
  // pick from the list loads a record. The box's own handling of the end of
  // editing runs between the two handlers below, which undo what it did.
  QComboBox *names = ui->IDC_REFDLG_NAME;
  auto *edit = new QLineEdit(names);
  const auto before = [this, names, edit] {
    ++nameEditingDepth_;
    typedName_ = edit->text();
    nameIndexBefore_ = names->currentIndex();
  };
  const auto after = [this, names, edit] {
    if (--nameEditingDepth_ > 0)
      return;
    if (names->currentIndex() != nameIndexBefore_ || edit->text() != typedName_) {
      const QSignalBlocker blocker(names);
      names->setCurrentIndex(nameIndexBefore_);
      names->setEditText(typedName_);
    }
  };
  connect(edit, &QLineEdit::editingFinished, this, before);
  connect(edit, &QLineEdit::returnPressed, this, before);
  names->setLineEdit(edit);
  connect(edit, &QLineEdit::editingFinished, this, after);
  connect(edit, &QLineEdit::returnPressed, this, after);
  names->setCompleter(nullptr);
  // A name being typed is no entry of the list, so that picking the entry
  // shown before loads it again.
  connect(edit, &QLineEdit::textEdited, this, [names, edit](const QString &text) {
    if (names->currentIndex() == 0)
      return;
    const int cursor = edit->cursorPosition();
    const QSignalBlocker blocker(names);
    names->setCurrentIndex(0);
    names->setEditText(text);
    edit->setCursorPosition(cursor);
  });
}

void ReferenceLocationDialog::Warn(const QString &title, const QString &text)
{
  if (m_warn)
    m_warn(title, text);
  else
    QMessageBox::warning(this, title, text, QMessageBox::Ok);
}

void ReferenceLocationDialog::SetLatLonFormat(int format) { latLonFormat_ = format; }

QString ReferenceLocationDialog::FormatLatLon(double value) const { return ::FormatLatLon(value, latLonFormat_); }

bool ReferenceLocationDialog::ParseLatLon(QString &text, double *value, bool showMessages, int axis)
{
  QList<CoordinateMessage> messages;
  const bool ok = ParseLatLonText(text, value, axis, &messages);
  if (showMessages)
    for (const CoordinateMessage &m : messages)
      Warn(m.title, m.text);
  return ok;
}

bool ReferenceLocationDialog::ParseLatitude(QString text, double *value, bool showMessages)
{
  return ParseLatLon(text, value, showMessages, 0);
}

bool ReferenceLocationDialog::ParseLongitude(QString text, double *value, bool showMessages)
{
  return ParseLatLon(text, value, showMessages, 1);
}

bool ReferenceLocationDialog::ParseAltitude(QString &text, double *value, bool showMessages)
{
  QList<CoordinateMessage> messages;
  const bool ok = ParseAltitudeText(text, value, &messages);
  if (showMessages)
    for (const CoordinateMessage &m : messages)
      Warn(m.title, m.text);
  return ok;
}

void ReferenceLocationDialog::SetLocation(double latitude, double longitude, double gpsAltitude,
                                          double mslAltitude, bool locationOnStart)
{
  latitude_ = latitude;
  longitude_ = longitude;
  gpsAltitude_ = gpsAltitude;
  mslAltitude_ = mslAltitude;
  locationOnStart_ = locationOnStart;
}

void ReferenceLocationDialog::GetLocation(double *latitude, double *longitude, double *gpsAltitude,
                                          double *mslAltitude, bool *locationOnStart) const
{
  *latitude = latitude_;
  *longitude = longitude_;
  *gpsAltitude = gpsAltitude_;
  *mslAltitude = mslAltitude_;
  *locationOnStart = locationOnStart_;
}

int ReferenceLocationDialog::exec()
{
  QSettings settings;
  if (settings.contains(kGeometryKey))
    restoreGeometry(settings.value(kGeometryKey).toByteArray());
  storedDifference_ = RoundToCentimetre(gpsAltitude_ - mslAltitude_);
  LoadFields();
  {
    // Each opening starts without a name: one left from an earlier opening
    // would have OK store over its record.
    const QSignalBlocker blocker(ui->IDC_REFDLG_NAME);
    ui->IDC_REFDLG_NAME->setCurrentIndex(0);
    ui->IDC_REFDLG_NAME->setEditText(QString());
  }
  EnableAccept(true);
  return QDialog::exec();
}

void ReferenceLocationDialog::LoadFields()
{
  gpsAltitude_ = RoundToCentimetre(gpsAltitude_);
  mslAltitude_ = RoundToCentimetre(mslAltitude_);
  ui->IDC_REFDLG_LATITUDE->setText(FormatLatLon(latitude_));
  ui->IDC_REFDLG_LONGITUDE->setText(FormatLatLon(longitude_));
  ui->IDC_REFDLG_ALT_WGS84->setText(AltitudeText(gpsAltitude_));
  ui->IDC_REFDLG_ALT_MSL->setText(AltitudeText(mslAltitude_));
  UpdateSeparation();
  ui->IDC_REFDLG_GEDIFF_CURRENT->setText(AltitudeText(storedDifference_));
  for (QLineEdit *field : {ui->IDC_REFDLG_LATITUDE, ui->IDC_REFDLG_LONGITUDE, ui->IDC_REFDLG_ALT_WGS84,
                           ui->IDC_REFDLG_ALT_MSL})
    MarkFieldValid(field, true);
  ui->IDC_REFDLG_LOC_ON_START->setChecked(locationOnStart_);
}

void ReferenceLocationDialog::UpdateSeparation()
{
  separation_ = GeoidModel().GeoidSeparation(latitude_, longitude_);
  ui->IDC_REFDLG_GEDIFF_MODEL->setText(AltitudeText(separation_));
}

void ReferenceLocationDialog::EnableAccept(bool enable)
{
  ui->OK->setEnabled(enable);
  ui->IDC_REFDLG_SAVE_NAME->setEnabled(enable);
}

void ReferenceLocationDialog::EnableAcceptByFields()
{
  double value = 0.0;
  bool valid = true;
  for (int axis : {0, 1}) {
    QString text = (axis == 0 ? ui->IDC_REFDLG_LATITUDE : ui->IDC_REFDLG_LONGITUDE)->text();
    valid = valid && ParseLatLon(text, &value, false, axis);
  }
  for (QLineEdit *field : {ui->IDC_REFDLG_ALT_WGS84, ui->IDC_REFDLG_ALT_MSL}) {
    QString text = field->text();
    valid = valid && ParseAltitude(text, &value, false);
  }
  EnableAccept(valid);
}

// --- latitude and longitude -------------------------------------------------

void ReferenceLocationDialog::LatLonTextEdited(int axis, const QString &text)
{
  QLineEdit *field = axis == 0 ? ui->IDC_REFDLG_LATITUDE : ui->IDC_REFDLG_LONGITUDE;
  QString copy = text;
  double value = 0.0;
  const bool valid = ParseLatLon(copy, &value, false, axis);
  if (valid) {
    (axis == 0 ? latitude_ : longitude_) = value;
    UpdateSeparation();
  }
  MarkFieldValid(field, valid);
  EnableAcceptByFields();
}

bool ReferenceLocationDialog::OnLatLonEditingFinished(int axis, bool showMessages)
{
  QLineEdit *field = axis == 0 ? ui->IDC_REFDLG_LATITUDE : ui->IDC_REFDLG_LONGITUDE;
  QString copy = field->text();
  double value = 0.0;
  if (!ParseLatLon(copy, &value, showMessages, axis)) {
    field->setFocus(Qt::OtherFocusReason);
    MarkFieldValid(field, false);
    return false;
  }
  double &member = axis == 0 ? latitude_ : longitude_;
  member = value;
  field->setText(FormatLatLon(member));
  UpdateSeparation();
  MarkFieldValid(field, true);
  return true;
}

bool ReferenceLocationDialog::OnLatitudeEditingFinished(bool showMessages)
{
  return OnLatLonEditingFinished(0, showMessages);
}

bool ReferenceLocationDialog::OnLongitudeEditingFinished(bool showMessages)
{
  return OnLatLonEditingFinished(1, showMessages);
}

void ReferenceLocationDialog::IDC_REFDLG_LATITUDE_editingFinished() { OnLatitudeEditingFinished(true); }
void ReferenceLocationDialog::IDC_REFDLG_LATITUDE_textEdited(const QString &text) { LatLonTextEdited(0, text); }
void ReferenceLocationDialog::IDC_REFDLG_LONGITUDE_editingFinished() { OnLongitudeEditingFinished(true); }
void ReferenceLocationDialog::IDC_REFDLG_LONGITUDE_textEdited(const QString &text) { LatLonTextEdited(1, text); }

// --- altitudes ----------------------------------------------------------------

void ReferenceLocationDialog::AltitudeTextEdited(bool wgs84, const QString &text)
{
  QLineEdit *edited = wgs84 ? ui->IDC_REFDLG_ALT_WGS84 : ui->IDC_REFDLG_ALT_MSL;
  QLineEdit *other = wgs84 ? ui->IDC_REFDLG_ALT_MSL : ui->IDC_REFDLG_ALT_WGS84;
  QString copy = text;
  double value = 0.0;
  if (!ParseAltitude(copy, &value, false)) {
    MarkFieldValid(edited, false);
    other->setText(QStringLiteral("???"));
    MarkFieldValid(other, false);
    EnableAcceptByFields();
    return;
  }
  if (wgs84) {
    gpsAltitude_ = value;
    mslAltitude_ = gpsAltitude_ - separation_;
    other->setText(AltitudeText(mslAltitude_));
  } else {
    mslAltitude_ = value;
    gpsAltitude_ = mslAltitude_ + separation_;
    other->setText(AltitudeText(gpsAltitude_));
  }
  MarkFieldValid(edited, true);
  MarkFieldValid(other, true);
  EnableAcceptByFields();
}

bool ReferenceLocationDialog::AltitudeEditingFinished(bool wgs84)
{
  QLineEdit *field = wgs84 ? ui->IDC_REFDLG_ALT_WGS84 : ui->IDC_REFDLG_ALT_MSL;
  QString copy = field->text();
  double value = 0.0;
  if (ParseAltitude(copy, &value, true))
    return true;
  field->setFocus(Qt::OtherFocusReason);
  return false;
}

void ReferenceLocationDialog::IDC_REFDLG_ALT_WGS84_editingFinished() { AltitudeEditingFinished(true); }
void ReferenceLocationDialog::IDC_REFDLG_ALT_WGS84_textEdited(const QString &text) { AltitudeTextEdited(true, text); }
void ReferenceLocationDialog::IDC_REFDLG_ALT_MSL_editingFinished() { AltitudeEditingFinished(false); }
void ReferenceLocationDialog::IDC_REFDLG_ALT_MSL_textEdited(const QString &text) { AltitudeTextEdited(false, text); }

void ReferenceLocationDialog::IDC_REFDLG_LOC_ON_START_clicked()
{
  locationOnStart_ = ui->IDC_REFDLG_LOC_ON_START->isChecked();
}

// --- named locations ------------------------------------------------------------

void ReferenceLocationDialog::LoadNameList()
{
  const QSignalBlocker blocker(ui->IDC_REFDLG_NAME);
  ui->IDC_REFDLG_NAME->clear();
  ui->IDC_REFDLG_NAME->addItem(QString());
  ui->IDC_REFDLG_NAME->addItems(RefLocationDB::Names());
  SortNameList();
}

void ReferenceLocationDialog::SortNameList()
{
  QComboBox *names = ui->IDC_REFDLG_NAME;
  if (names->count() < 2)
    return;
  // Re-filling the list must not load a record into the fields.
  const QSignalBlocker blocker(names);
  const QString current = names->currentText();
  QStringList texts;
  while (names->count() > 0) {
    texts << names->itemText(names->count() - 1);
    names->removeItem(names->count() - 1);
  }
  std::sort(texts.begin(), texts.end());
  names->addItems(texts);
  const int index = names->findText(current, Qt::MatchExactly | Qt::MatchCaseSensitive);
  if (index >= 0)
    names->setCurrentIndex(index);
  else
    names->setEditText(current);
}

void ReferenceLocationDialog::IDC_REFDLG_NAME_currentIndexChanged(int index)
{
  // The box matching a typed name is no pick (see KeepTypedNames).
  if (index < 0 || nameEditingDepth_ > 0)
    return;
  const QString value = RefLocationDB::Record(ui->IDC_REFDLG_NAME->itemText(index));
  const QStringList fields = RefLocationDB::RecordFields(value);
  QString texts[4];

  if (fields.size() > 0) {
    QString text = fields[0];
    double v = 0.0;
    if (ParseLatLon(text, &v, true, 0)) {
      latitude_ = v;
      texts[0] = FormatLatLon(latitude_);
      UpdateSeparation();
    }
  }
  if (fields.size() > 1) {
    QString text = fields[1];
    double v = 0.0;
    if (ParseLatLon(text, &v, true, 1)) {
      longitude_ = v;
      texts[1] = FormatLatLon(longitude_);
      UpdateSeparation();
    }
  }
  bool gpsRead = false, mslRead = false;
  double gps = 0.0, msl = 0.0;
  if (fields.size() > 2) {
    QString text = fields[2];
    gpsRead = ParseAltitude(text, &gps, true);
  }
  if (fields.size() > 3) {
    QString text = fields[3];
    mslRead = ParseAltitude(text, &msl, true);
  }
  // A record keeps both altitudes as they were saved; the geoid fills in
  // only the one that is missing or unreadable.
  if (gpsRead && mslRead) {
    gpsAltitude_ = gps;
    mslAltitude_ = msl;
  } else if (gpsRead) {
    gpsAltitude_ = gps;
    mslAltitude_ = gps - separation_;
  } else if (mslRead) {
    mslAltitude_ = msl;
    gpsAltitude_ = msl + separation_;
  }
  if (gpsRead || mslRead) {
    texts[2] = AltitudeText(gpsAltitude_);
    texts[3] = AltitudeText(mslAltitude_);
  }

  ui->IDC_REFDLG_LATITUDE->setText(texts[0]);
  ui->IDC_REFDLG_LONGITUDE->setText(texts[1]);
  for (int axis = 0; axis < 2; ++axis) {
    QString copy = texts[axis];
    double v = 0.0;
    MarkFieldValid(axis == 0 ? ui->IDC_REFDLG_LATITUDE : ui->IDC_REFDLG_LONGITUDE, ParseLatLon(copy, &v, false, axis));
  }
  ui->IDC_REFDLG_ALT_WGS84->setText(texts[2]);
  ui->IDC_REFDLG_ALT_MSL->setText(texts[3]);
  MarkFieldValid(ui->IDC_REFDLG_ALT_WGS84, true);
  MarkFieldValid(ui->IDC_REFDLG_ALT_MSL, true);
  UpdateSeparation();
  EnableAcceptByFields();
}

bool ReferenceLocationDialog::SaveLocationRecord()
{
  const QString name = ui->IDC_REFDLG_NAME->currentText();
  if (name.isEmpty())
    return true;
  if (!RefLocationDB::IsAllowedName(name)) {
    Warn(tr("Name not allowed."), tr("A location name cannot contain / or \\."));
    return false;
  }
  RefLocationDB::Store(name, {latitude_, longitude_, gpsAltitude_, mslAltitude_});
  if (ui->IDC_REFDLG_NAME->findText(name, Qt::MatchExactly | Qt::MatchCaseSensitive) < 0) {
    const QSignalBlocker blocker(ui->IDC_REFDLG_NAME);
    ui->IDC_REFDLG_NAME->addItem(name);
    ui->IDC_REFDLG_NAME->setCurrentIndex(ui->IDC_REFDLG_NAME->count() - 1);
  }
  return true;
}

void ReferenceLocationDialog::IDC_REFDLG_SAVE_NAME_clicked()
{
  SaveLocationRecord();
  SortNameList();
}

void ReferenceLocationDialog::IDC_REFDLG_REMOVE_NAME_clicked()
{
  const QString name = ui->IDC_REFDLG_NAME->currentText();
  if (name.isEmpty())
    return;
  if (RefLocationDB::IsAllowedName(name) && RefLocationDB::Contains(name))
    RefLocationDB::Remove(name);
  else
    Warn(tr("No such item in the database."), RefLocationDB::Key(name));
}

// --- OK and Cancel --------------------------------------------------------------

void ReferenceLocationDialog::OnOk()
{
  if (!OnLatitudeEditingFinished(true))
    return;
  if (!OnLongitudeEditingFinished(true))
    return;
  // A refused altitude is no place to store: the values behind it are only
  // the last text that read.
  if (!AltitudeEditingFinished(true) || !AltitudeEditingFinished(false))
    return;
  // A refused name keeps the dialog open, so the user sees it was not stored.
  if (!SaveLocationRecord())
    return;
  SaveGeometry();
  done(1);
}

void ReferenceLocationDialog::OnCancel()
{
  LoadFields();
  SaveGeometry();
  done(0);
}

void ReferenceLocationDialog::SaveGeometry()
{
  QSettings settings;
  settings.setValue(kGeometryKey, saveGeometry());
}

void ReferenceLocationDialog::closeEvent(QCloseEvent *event)
{
  SaveGeometry();
  QDialog::closeEvent(event);
}
