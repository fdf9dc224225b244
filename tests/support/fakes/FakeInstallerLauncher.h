#pragma once

#include "platform/InstallerLauncher.h"

#include <QString>
#include <QStringList>

// A launcher for tests: records the paths it was asked to start, starts
// nothing, and can be told to fail.
class FakeInstallerLauncher : public InstallerLauncher {
public:
  bool Start(const QString &path, QString *error = nullptr) override;

  void SetFails(bool fails) { fails_ = fails; }
  const QStringList &StartedPaths() const { return started_; }

private:
  bool fails_ = false;
  QStringList started_;
};
