#include "app/GpsRawDataDialog.h"

#include "ui_GpsRawDataDialog.h"

#include <QCloseEvent>
#include <QPlainTextEdit>
#include <QSettings>

namespace {
const char *const GeometryKey = "GpsRawDataDialog/geometry";
}

GpsRawDataDialog::GpsRawDataDialog(QWidget *parent)
    : QDialog(parent), ui(new Ui::GpsRawDataDialog)
{
  ui->setupUi(this);
  textEdit = findChild<QPlainTextEdit *>(QStringLiteral("PlainTextEdit"));
  textEdit->setLineWrapMode(QPlainTextEdit::NoWrap);
  // Also ends the undo history, which would otherwise keep every line.
  textEdit->setMaximumBlockCount(MaxLines);
  wrapState = Qt::Unchecked;
  connect(ui->wrapCheckBox, &QCheckBox::stateChanged, this, &GpsRawDataDialog::OnWrapStateChanged);
}

GpsRawDataDialog::~GpsRawDataDialog()
{
  SaveSettings();
  delete ui;
}

void GpsRawDataDialog::ShowDialog()
{
  LoadSettings();
  textEdit->clear();
  show();
}

int GpsRawDataDialog::exec()
{
  LoadSettings();
  return QDialog::exec();
}

void GpsRawDataDialog::AppendText(const QString &line)
{
  if (!isVisible())
    return;
  textEdit->appendPlainText(wrapState != Qt::Unchecked ? line : line.trimmed());
}

void GpsRawDataDialog::on_ClearScreen_clicked()
{
  textEdit->clear();
}

void GpsRawDataDialog::OnWrapStateChanged(int state)
{
  wrapState = state;
  textEdit->setLineWrapMode(state == Qt::Unchecked ? QPlainTextEdit::NoWrap
                                                   : QPlainTextEdit::WidgetWidth);
}

void GpsRawDataDialog::closeEvent(QCloseEvent *event)
{
  SaveSettings();
  QDialog::closeEvent(event);
}

void GpsRawDataDialog::LoadSettings()
{
  QSettings settings;
  const QByteArray geometry = settings.value(GeometryKey).toByteArray();
  if (!geometry.isEmpty())
    restoreGeometry(geometry);
}

void GpsRawDataDialog::SaveSettings()
{
  QSettings settings;
  settings.setValue(GeometryKey, saveGeometry());
}
