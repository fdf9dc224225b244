#include "update/UpdateCheck.h"

#include <QSettings>

UpdateCheck::UpdateCheck(QObject *parent) : QObject(parent) {}

UpdateCheck::~UpdateCheck() = default;

bool UpdateCheck::autoCheck()
{
  QSettings settings;
  return settings.value(QStringLiteral("Updates/AutoCheck"), true).toBool();
}

bool UpdateCheck::isCheckDue()
{
  return false;
}
