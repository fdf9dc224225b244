#include "receiver/dialogs/ManualCommandDialog.h"

#include <QMessageBox>

ManualCommandDialog::ManualCommandDialog(QWidget *parent) : QDialog(parent)
{
  warningHandler = [this](const QString &title, const QString &text) {
    QMessageBox::warning(this, title, text, QMessageBox::Ok);
  };
}

ManualCommandDialog::~ManualCommandDialog() = default;

void ManualCommandDialog::ShowDialog()
{
  show();
}

int ManualCommandDialog::exec()
{
  return QDialog::exec();
}

void ManualCommandDialog::SetWarningHandler(WarningHandler handler)
{
  warningHandler = std::move(handler);
}
