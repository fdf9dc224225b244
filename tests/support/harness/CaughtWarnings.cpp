#include "CaughtWarnings.h"

#include <QtGlobal>

namespace riduder::test {

namespace {

QtMessageHandler previousHandler = nullptr;
bool catching = false;

void KeepWarning(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
  if (type == QtWarningMsg)
    CaughtWarnings() << message;
  if (previousHandler)
    previousHandler(type, context, message);
}

}  // namespace

void CatchWarnings()
{
  if (catching)
    return;
  catching = true;
  previousHandler = qInstallMessageHandler(KeepWarning);
}

QStringList &CaughtWarnings()
{
  static QStringList warnings;
  return warnings;
}

}  // namespace riduder::test
