#include "tic/TicProcessedDataDialog.h"

#include <QPlainTextEdit>
#include <QVBoxLayout>

TicProcessedDataDialog::TicProcessedDataDialog(QWidget *parent) : QDialog(parent)
{
  setObjectName(QStringLiteral("TicProcessedDataDialog"));
  setWindowTitle(tr("TIC Processed Data"));
  auto *layout = new QVBoxLayout(this);
  textEdit = new QPlainTextEdit(this);
  textEdit->setObjectName(QStringLiteral("TicProcessedPlainTextEdit"));
  textEdit->setReadOnly(true);
  layout->addWidget(textEdit);
  resize(600, 300);
}

TicProcessedDataDialog::~TicProcessedDataDialog() = default;

void TicProcessedDataDialog::ShowDialog()
{
  textEdit->clear();
  show();
}

void TicProcessedDataDialog::AppendText(const QString &line)
{
  if (isVisible())
    textEdit->appendPlainText(line);
}
