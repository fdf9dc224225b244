#include "widgets/DataTextDialog.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QHideEvent>
#include <QPlainTextEdit>
#include <QSettings>

DataTextDialog::DataTextDialog(const QString &key, QWidget *parent)
    : QDialog(parent), geometryKey(key)
{
  appendTimer.setSingleShot(true);
  appendTimer.setInterval(AppendIntervalMs);
  connect(&appendTimer, &QTimer::timeout, this, &DataTextDialog::AppendPendingLines);
}

DataTextDialog::~DataTextDialog()
{
  SaveSettings();
}

void DataTextDialog::AttachTextArea(const QString &objectName)
{
  textEdit = findChild<QPlainTextEdit *>(objectName);
  Q_ASSERT(textEdit);
  textEdit->setLineWrapMode(QPlainTextEdit::NoWrap);
  // Also ends the undo history, which would otherwise keep every line.
  textEdit->setMaximumBlockCount(MaxLines);
  wrapState = Qt::Unchecked;
  if (auto *wrap = findChild<QCheckBox *>(QStringLiteral("wrapCheckBox")))
    connect(wrap, &QCheckBox::stateChanged, this, &DataTextDialog::OnWrapStateChanged);
}

void DataTextDialog::ShowDialog()
{
  LoadSettings();
  pendingLines.clear();
  textEdit->clear();
  show();
}

int DataTextDialog::exec()
{
  LoadSettings();
  return QDialog::exec();
}

void DataTextDialog::AppendText(const QString &line)
{
  if (!isVisible())
    return;
  pendingLines.append(wrapState != Qt::Unchecked ? line : line.trimmed());
  if (pendingLines.size() > MaxLines)
    pendingLines.removeFirst();
  if (!appendTimer.isActive())
    appendTimer.start();
}

void DataTextDialog::AppendPendingLines()
{
  appendTimer.stop();
  if (pendingLines.isEmpty())
    return;
  // One paragraph per line, as if each had been appended on its own.
  textEdit->appendPlainText(pendingLines.join(QLatin1Char('\n')));
  pendingLines.clear();
}

void DataTextDialog::on_ClearScreen_clicked()
{
  pendingLines.clear();
  textEdit->clear();
}

void DataTextDialog::OnWrapStateChanged(int state)
{
  wrapState = state;
  textEdit->setLineWrapMode(state == Qt::Unchecked ? QPlainTextEdit::NoWrap
                                                   : QPlainTextEdit::WidgetWidth);
}

void DataTextDialog::closeEvent(QCloseEvent *event)
{
  SaveSettings();
  QDialog::closeEvent(event);
}

// What was taken while the window was visible stays in it.
void DataTextDialog::hideEvent(QHideEvent *event)
{
  AppendPendingLines();
  QDialog::hideEvent(event);
}

void DataTextDialog::LoadSettings()
{
  QSettings settings;
  const QByteArray geometry = settings.value(geometryKey).toByteArray();
  if (!geometry.isEmpty())
    restoreGeometry(geometry);
}

void DataTextDialog::SaveSettings()
{
  QSettings settings;
  settings.setValue(geometryKey, saveGeometry());
}
