#include "clock/SetPcClockDialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

SetPcClockDialog::SetPcClockDialog(QWidget *parent) : QDialog(parent)
{
  setObjectName(QStringLiteral("SetPcClockDialog"));
  setWindowTitle(tr("Set PC Clock"));
  auto *layout = new QVBoxLayout(this);
  countLabel = new QLabel(this);
  lastSetLabel = new QLabel(this);
  layout->addWidget(countLabel);
  layout->addWidget(lastSetLabel);
  auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
  ShowCounters();
}

SetPcClockDialog::~SetPcClockDialog() = default;

void SetPcClockDialog::ReportClockSet(const QString &when)
{
  lastClockSet = when;
  ++clockResetCount;
  if (isVisible())
    ShowCounters();
}

void SetPcClockDialog::ShowCounters()
{
  countLabel->setText(tr("Clock resets: %1").arg(clockResetCount));
  lastSetLabel->setText(tr("Last set: %1").arg(lastClockSet));
}
