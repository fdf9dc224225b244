#include "FakeInstallerLauncher.h"

bool FakeInstallerLauncher::Start(const QString &path, QString *error)
{
  started_.append(path);
  if (fails_ && error)
    *error = QStringLiteral("The fake launcher was told to fail.");
  return !fails_;
}
