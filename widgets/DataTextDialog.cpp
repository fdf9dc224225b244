#include "widgets/DataTextDialog.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QPlainTextEdit>
#include <QSettings>

DataTextDialog::DataTextDialog(const QString &key, QWidget *parent)
    : QDialog(parent), geometryKey(key)
{
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
  textEdit->appendPlainText(wrapState != Qt::Unchecked ? line : line.trimmed());
}

void DataTextDialog::on_ClearScreen_clicked()
{
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
