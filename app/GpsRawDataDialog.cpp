#include "app/GpsRawDataDialog.h"

#include "ui_GpsRawDataDialog.h"

#include <QCloseEvent>
#include <QHideEvent>
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
  appendTimer.setSingleShot(true);
  appendTimer.setInterval(AppendIntervalMs);
  connect(&appendTimer, &QTimer::timeout, this, &GpsRawDataDialog::AppendPendingLines);
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
  pendingLines.clear();
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
  pendingLines.append(wrapState != Qt::Unchecked ? line : line.trimmed());
  if (pendingLines.size() > MaxLines)
    pendingLines.removeFirst();
  if (!appendTimer.isActive())
    appendTimer.start();
}

void GpsRawDataDialog::AppendPendingLines()
{
  appendTimer.stop();
  if (pendingLines.isEmpty())
    return;
  // One paragraph per line, as if each had been appended on its own.
  textEdit->appendPlainText(pendingLines.join(QLatin1Char('\n')));
  pendingLines.clear();
}

void GpsRawDataDialog::on_ClearScreen_clicked()
{
  pendingLines.clear();
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

// What was taken while the window was visible stays in it.
void GpsRawDataDialog::hideEvent(QHideEvent *event)
{
  AppendPendingLines();
  QDialog::hideEvent(event);
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
