#pragma once
// Starting a downloaded installer. The update dialog asks
// InstallerLauncher::Current(), which starts real processes unless another
// launcher has been put in its place.

#include <QString>

class InstallerLauncher {
public:
  virtual ~InstallerLauncher() = default;

  // Starts the program at path, detached from this one; false when it
  // could not be started (error, if given, says why).
  virtual bool Start(const QString &path, QString *error = nullptr) = 0;

  // The launcher in force: the machine's, unless another has been put in.
  static InstallerLauncher &Current();
  // Puts launcher in force (not owned); nullptr restores the machine's.
  static void SetOverride(InstallerLauncher *launcher);

protected:
  InstallerLauncher() = default;
  InstallerLauncher(const InstallerLauncher &) = default;
  InstallerLauncher &operator=(const InstallerLauncher &) = default;
};

// Makes the file executable by its owner alone and starts it directly
// (QProcess::startDetached, no shell, no arguments).
class LinuxInstallerLauncher : public InstallerLauncher {
public:
  bool Start(const QString &path, QString *error = nullptr) override;
};

// Puts a launcher in force for the life of this object, then restores the
// one that was in force before.
class ScopedInstallerLauncherOverride {
public:
  explicit ScopedInstallerLauncherOverride(InstallerLauncher *launcher);
  ~ScopedInstallerLauncherOverride();
  ScopedInstallerLauncherOverride(const ScopedInstallerLauncherOverride &) = delete;
  ScopedInstallerLauncherOverride &operator=(const ScopedInstallerLauncherOverride &) = delete;

private:
  InstallerLauncher *previous_;
};
