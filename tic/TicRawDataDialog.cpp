#include "tic/TicRawDataDialog.h"

#include <QPlainTextEdit>
#include <QVBoxLayout>

TicRawDataDialog::TicRawDataDialog(QWidget *parent) : QDialog(parent)
{
  setObjectName(QStringLiteral("TicRawDataDialog"));
  setWindowTitle(tr("TIC Raw Data"));
  auto *layout = new QVBoxLayout(this);
  textEdit = new QPlainTextEdit(this);
  textEdit->setObjectName(QStringLiteral("TicRawPlainTextEdit"));
  textEdit->setReadOnly(true);
  layout->addWidget(textEdit);
  resize(600, 300);
}

TicRawDataDialog::~TicRawDataDialog() = default;

void TicRawDataDialog::ShowDialog()
{
  textEdit->clear();
  show();
}

void TicRawDataDialog::AppendText(const QString &line)
{
  if (isVisible())
    textEdit->appendPlainText(line);
}
