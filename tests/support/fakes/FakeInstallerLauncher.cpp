#include "FakeInstallerLauncher.h"

bool FakeInstallerLauncher::Start(const QString &path, QString *error)
{
  started_.append(path);
  if (fails_ && error)
    *error = QString(reason_).replace(QLatin1String("%1"), path);
  return !fails_;
}
