#pragma once

#include "platform/InstallerLauncher.h"

#include <QString>
#include <QStringList>

// A launcher for tests: records the paths it was asked to start, starts
// nothing, and can be told to fail.
class FakeInstallerLauncher : public InstallerLauncher {
public:
  bool Start(const QString &path, QString *error = nullptr) override;

  // A failure says `reason`, "%1" standing for the path it was given.
  void SetFails(bool fails, const QString &reason = QStringLiteral("The fake launcher was told to fail."))
  {
    fails_ = fails;
    reason_ = reason;
  }
  const QStringList &StartedPaths() const { return started_; }

private:
  bool fails_ = false;
  QString reason_;
  QStringList started_;
};
