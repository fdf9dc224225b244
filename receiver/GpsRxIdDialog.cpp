#include "receiver/GpsRxIdDialog.h"

#include <QPlainTextEdit>
#include <QVBoxLayout>

GpsRxIdDialog::GpsRxIdDialog(QWidget *parent) : QDialog(parent)
{
  setObjectName(QStringLiteral("GpsRxIdDialog"));
  setWindowTitle(tr("Receiver ID  Message"));
  auto *layout = new QVBoxLayout(this);
  idEdit = new QPlainTextEdit(this);
  idEdit->setObjectName(QStringLiteral("GpsRxId"));
  idEdit->setReadOnly(true);
  idEdit->setMaximumHeight(180);
  idEdit->setLineWrapMode(QPlainTextEdit::NoWrap);
  messageEdit = new QPlainTextEdit(this);
  messageEdit->setObjectName(QStringLiteral("GpsRxIdPlainTextEdit"));
  messageEdit->setReadOnly(true);
  messageEdit->setLineWrapMode(QPlainTextEdit::NoWrap);
  layout->addWidget(idEdit);
  layout->addWidget(messageEdit);
  resize(386, 289);
}

GpsRxIdDialog::~GpsRxIdDialog() = default;

void GpsRxIdDialog::AppendText(const QString &text)
{
  const QString trimmed = text.trimmed();
  if (trimmed.isEmpty())
    return;
  for (const QString &line : trimmed.split(QLatin1Char('\n')))
    messageEdit->appendPlainText(line);
}

void GpsRxIdDialog::AppendLines(const QString &text)
{
  AppendText(text);
}

void GpsRxIdDialog::SetIdText(const QString &text)
{
  idText = text.isEmpty() ? QString() : text + QLatin1Char('\n');
  idEdit->setPlainText(idText);
}

void GpsRxIdDialog::ClearText()
{
  messageEdit->clear();
}

void GpsRxIdDialog::ShowDialog()
{
  show();
  raise();
}

QString GpsRxIdDialog::MessageText() const
{
  return messageEdit->toPlainText();
}
