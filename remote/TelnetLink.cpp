#include "remote/TelnetLink.h"

TelnetLink::TelnetLink(QWidget *parent) : QDialog(parent)
{
  setObjectName(QStringLiteral("TelnetLink"));
  setWindowTitle(tr("Remote Control Link"));
}

TelnetLink::~TelnetLink() = default;
