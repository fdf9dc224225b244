#include "receiver/GpsRxIdDialog.h"

#include "ui_GpsRxIdDialog.h"

#include <QCloseEvent>
#include <QPlainTextEdit>
#include <QSettings>

namespace {

QString WithoutCarriageReturns(QString text)
{
  text.remove(QLatin1Char('\r'));
  return text;
}

}  // namespace

GpsRxIdDialog::GpsRxIdDialog(QWidget *parent) : QDialog(parent), ui(new Ui::GpsRxIdDialog)
{
  ui->setupUi(this);
  messageEdit = findChild<QPlainTextEdit *>(QStringLiteral("GpsRxIdPlainTextEdit"));
  idEdit = findChild<QPlainTextEdit *>(QStringLiteral("GpsRxId"));
  messageEdit->setLineWrapMode(QPlainTextEdit::NoWrap);
  idEdit->setLineWrapMode(QPlainTextEdit::NoWrap);
  // A bounded box keeps no undo history either.
  messageEdit->setUndoRedoEnabled(false);
  messageEdit->setMaximumBlockCount(MaxLines);
  connect(ui->wrapCheckBox, &QCheckBox::stateChanged, this, &GpsRxIdDialog::OnWrapStateChanged);
}

GpsRxIdDialog::~GpsRxIdDialog()
{
  delete ui;
}

void GpsRxIdDialog::RestoreGeometry()
{
  QSettings settings;
  if (settings.contains(GpsRxIdKeys::Geometry))
    restoreGeometry(settings.value(GpsRxIdKeys::Geometry).toByteArray());
}

void GpsRxIdDialog::ShowDialog()
{
  RestoreGeometry();
  show();
}

int GpsRxIdDialog::exec()
{
  RestoreGeometry();
  return QDialog::exec();
}

void GpsRxIdDialog::closeEvent(QCloseEvent *event)
{
  QSettings().setValue(GpsRxIdKeys::Geometry, saveGeometry());
  QDialog::closeEvent(event);
}

void GpsRxIdDialog::AppendMessageLine(const QString &line)
{
  historyLines.append(line);
  if (historyLines.size() > MaxLines)
    historyLines.removeFirst();
  messageEdit->appendPlainText(line);
}

void GpsRxIdDialog::AppendText(const QString &text)
{
  const QString trimmed = WithoutCarriageReturns(text).trimmed();
  if (trimmed.isEmpty())
    return;
  const QStringList lines = trimmed.split(QLatin1Char('\n'));
  if (lines.size() > 1)
    AppendMessageLine(separatorText.trimmed());
  for (const QString &line : lines)
    AppendMessageLine(line);
}

void GpsRxIdDialog::AppendLines(const QString &text)
{
  const QString trimmed = WithoutCarriageReturns(text).trimmed();
  idText = trimmed.isEmpty() ? QString() : trimmed + QLatin1Char('\n');
  idEdit->setPlainText(idText);
}

void GpsRxIdDialog::SetIdText(const QString &text)
{
  idText = text.isEmpty() ? QString() : text + QLatin1Char('\n');
  idEdit->setPlainText(idText);
}

void GpsRxIdDialog::ClearText()
{
  historyLines.clear();
  messageEdit->clear();
}

void GpsRxIdDialog::on_ClearScreen_clicked()
{
  ClearText();
}

void GpsRxIdDialog::OnWrapStateChanged(int state)
{
  messageEdit->setLineWrapMode(state == Qt::Unchecked ? QPlainTextEdit::NoWrap
                                                      : QPlainTextEdit::WidgetWidth);
}

QString GpsRxIdDialog::HistoryText() const
{
  return historyLines.isEmpty() ? QString() : historyLines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

QString GpsRxIdDialog::MessageText() const
{
  return messageEdit->toPlainText();
}
