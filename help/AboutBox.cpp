#include "help/AboutBox.h"

#include <QCoreApplication>
#include <QLabel>
#include <QVBoxLayout>

AboutBox::AboutBox(QWidget *parent) : QDialog(parent)
{
  setObjectName(QStringLiteral("AboutBox"));
  setWindowTitle(tr("About Riduder"));
  auto *layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(
      tr("Riduder %1").arg(QCoreApplication::applicationVersion()), this));
}

AboutBox::~AboutBox() = default;
