#pragma once
// The modal dialog that offers a newer version: it shows the release notes
// and downloads, verifies and starts the installer, or skips the version.

#include "update/UpdateCheck.h"

#include <QDialog>
#include <QString>

#include <functional>
#include <memory>

class QTemporaryDir;

namespace Ui {
class UpdateDialog;
}

class UpdateDialog : public QDialog {
  Q_OBJECT

public:
  // How the dialog ended (resultCode()).
  enum ResultCode { Later = 0, Skipped = 1, InstallerStarted = 2 };

  UpdateDialog(const UpdateManifest &manifest, QWidget *parent = nullptr);
  ~UpdateDialog() override;

  int resultCode() const { return result; }
  // Shows a failure to the user; a warning box unless replaced (a reporter
  // may record instead; the main window routes it through its own boxes).
  using FailureReporter = std::function<void(const QString &title, const QString &text)>;
  void setFailureReporter(FailureReporter reporter) { reportFailure = std::move(reporter); }
  // Where the installer is being or was written; empty before a download.
  QString localPath() const { return path; }

public slots:
  void reject() override;

private slots:
  void onInstall();
  void onSkip();
  void onAutoToggled(bool checked);
  void onProgress(qint64 received, qint64 total);
  void onDownloadFinished(bool ok, QString error);
  void onVerified(bool ok, QString error);

private:
  void showFailure(const QString &text);
  void endCancelled();

  Ui::UpdateDialog *ui;
  UpdateManifest manifest;
  UpdateCheck check;
  int result = Later;
  bool busy = false;
  bool cancelling = false;
  QString path;
  // The owner-only folder the installer is written to, made per download.
  std::unique_ptr<QTemporaryDir> folder;
  FailureReporter reportFailure;
};
