#include "update/UpdateDialog.h"

#include "platform/InstallerLauncher.h"
#include "ui_UpdateDialog.h"

#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>

UpdateDialog::UpdateDialog(const UpdateManifest &manifest, QWidget *parent)
    : QDialog(parent), ui(new Ui::UpdateDialog), manifest(manifest)
{
  ui->setupUi(this);
  const QString product = UpdateCheck::productName();
  setWindowTitle(tr("%1 Update").arg(product));
  ui->labelHeadline->setText(tr("A newer version of %1 is available.").arg(product));
  ui->labelInstalled->setText(UpdateCheck::currentVersion());
  ui->labelNew->setText(manifest.latestVersion);
  ui->textNotes->setPlainText(manifest.releaseNotes.isEmpty()
                                  ? tr("(No release notes were published for this version.)")
                                  : manifest.releaseNotes);
  ui->checkAuto->setChecked(UpdateCheck::autoCheck());
  ui->progressBar->setRange(0, 100);
  ui->progressBar->setValue(0);
  ui->progressBar->hide();
  ui->labelStatus->clear();

  reportFailure = [this](const QString &title, const QString &text) {
    QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::Ok, this);
    box.setTextFormat(Qt::PlainText);
    box.exec();
  };

  connect(ui->btnInstall, &QPushButton::clicked, this, &UpdateDialog::onInstall);
  connect(ui->btnSkip, &QPushButton::clicked, this, &UpdateDialog::onSkip);
  connect(ui->btnLater, &QPushButton::clicked, this, &UpdateDialog::reject);
  connect(ui->checkAuto, &QCheckBox::toggled, this, &UpdateDialog::onAutoToggled);
  connect(&check, &UpdateCheck::downloadProgress, this, &UpdateDialog::onProgress);
  connect(&check, &UpdateCheck::downloadFinished, this, &UpdateDialog::onDownloadFinished);
  connect(&check, &UpdateCheck::verificationFinished, this, &UpdateDialog::onVerified);
}

UpdateDialog::~UpdateDialog()
{
  // The check's destructor ends a running download without reporting it.
  disconnect(&check, nullptr, this, nullptr);
  delete ui;
}

void UpdateDialog::onInstall()
{
  if (busy)
    return;
  folder = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/riduder-update-XXXXXX"));
  if (!folder->isValid()) {
    showFailure(tr(UpdateTexts::CannotWrite).arg(QDir::toNativeSeparators(QDir::tempPath())));
    return;
  }
  path = UpdateCheck::localDownloadPath(manifest.downloadUrl, folder->path());
  busy = true;
  cancelling = false;
  ui->btnInstall->setEnabled(false);
  ui->btnSkip->setEnabled(false);
  ui->checkAuto->setEnabled(false);
  ui->btnLater->setText(tr("Cancel"));
  ui->progressBar->setValue(0);
  ui->progressBar->show();
  ui->labelStatus->setText(tr("Connecting to the update server..."));
  check.startDownload(manifest.downloadUrl, path);
}

void UpdateDialog::onSkip()
{
  if (busy)
    return;
  UpdateCheck::setDismissedVersion(manifest.latestVersion);
  result = Skipped;
  QDialog::reject();
}

void UpdateDialog::onAutoToggled(bool checked) { UpdateCheck::setAutoCheck(checked); }

void UpdateDialog::onProgress(qint64 received, qint64 total)
{
  if (total < 1) {
    ui->labelStatus->setText(tr("Downloading... %1 KB").arg(received / 1024));
    return;
  }
  ui->progressBar->setValue(int(qBound(qint64(0), received * 100 / total, qint64(100))));
  ui->labelStatus->setText(tr("Downloading... %1 of %2 KB").arg(received / 1024).arg(total / 1024));
}

void UpdateDialog::onDownloadFinished(bool ok, QString error)
{
  if (cancelling) {
    endCancelled();
    return;
  }
  if (!ok) {
    showFailure(error);
    return;
  }
  ui->progressBar->setValue(100);
  ui->labelStatus->setText(tr("Verifying the download..."));
  // Waits for the published checksum with the dialog still answering, so
  // that Cancel works here as it does during the download.
  check.startVerification(path, manifest.downloadUrl);
}

void UpdateDialog::onVerified(bool verified, QString verifyError)
{
  if (cancelling) {
    endCancelled();
    return;
  }
  if (!verified) {
    QFile::remove(path);
    showFailure(verifyError);
    return;
  }
  ui->labelStatus->setText(tr("Starting the installer..."));
  QString startError;
  if (!InstallerLauncher::Current().Start(path, &startError)) {
    // The box names the file: it stays, for the user to run by hand.
    folder->setAutoRemove(false);
    const QString file = QDir::toNativeSeparators(path);
    QString text = tr("The installer could not be started.");
    if (!startError.isEmpty())
      text += QStringLiteral("\n\n") + startError;
    if (!startError.contains(file))
      text += QStringLiteral("\n\n") + file;
    showFailure(text);
    return;
  }
  // The installer runs from the folder: it must outlive this dialog.
  folder->setAutoRemove(false);
  busy = false;
  result = InstallerStarted;
  QDialog::accept();
}

void UpdateDialog::endCancelled()
{
  busy = false;
  QFile::remove(path);
  result = Later;
  QDialog::reject();
}

void UpdateDialog::showFailure(const QString &text)
{
  busy = false;
  ui->progressBar->hide();
  ui->labelStatus->setText(tr("The update was not installed."));
  ui->btnInstall->setEnabled(true);
  ui->btnSkip->setEnabled(true);
  ui->checkAuto->setEnabled(true);
  ui->btnLater->setText(tr("&Later"));
  ui->btnLater->setEnabled(true);
  reportFailure(UpdateCheck::productName(), text);
}

void UpdateDialog::reject()
{
  if (!busy) {
    result = Later;
    QDialog::reject();
    return;
  }
  cancelling = true;
  ui->btnLater->setEnabled(false);
  ui->labelStatus->setText(tr("Cancelling the download..."));
  check.cancel();
}
