#include "platform/InstallerLauncher.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

namespace {

InstallerLauncher *overrideLauncher = nullptr;

QString Tr(const char *text) { return QCoreApplication::translate("InstallerLauncher", text); }

}  // namespace

InstallerLauncher &InstallerLauncher::Current()
{
  static LinuxInstallerLauncher machine;
  return overrideLauncher ? *overrideLauncher : machine;
}

void InstallerLauncher::SetOverride(InstallerLauncher *launcher) { overrideLauncher = launcher; }

bool LinuxInstallerLauncher::Start(const QString &path, QString *error)
{
  const QString program = QFileInfo(path).absoluteFilePath();
  if (!QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner)) {
    if (error)
      *error = Tr("Could not make %1 executable.").arg(program);
    return false;
  }
  if (!QProcess::startDetached(program, QStringList(), QFileInfo(program).absolutePath())) {
    if (error)
      *error = Tr("Could not start %1.").arg(program);
    return false;
  }
  return true;
}

ScopedInstallerLauncherOverride::ScopedInstallerLauncherOverride(InstallerLauncher *launcher)
    : previous_(overrideLauncher)
{
  InstallerLauncher::SetOverride(launcher);
}

ScopedInstallerLauncherOverride::~ScopedInstallerLauncherOverride()
{
  InstallerLauncher::SetOverride(previous_);
}
