#include "app/LogFileWindow.h"

#include "app/GpsRawDataDialog.h"
#include "app/MessageBoxes.h"
#include "app/ElidingLabel.h"
#include "logging/LogFileNames.h"

#include <QCloseEvent>
#include <QDebug>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QSettings>
#include <QStatusBar>
#include <QVBoxLayout>

LogFileWindow::LogFileWindow(QWidget *owner, QWidget *panel, const LogFileKeys &keys, const QString &title,
                             const QString &acceptLabel, const QStringList &nameFilters)
    : QWidget(nullptr, Qt::Window), owner_(owner), panel_(panel), keys_(keys)
{
  const StoredLogLocation location = ReadLogLocation(keys.directory, keys.prefix);
  const QString start = location.directory + QLatin1Char('/') + location.prefix;
  PrepareLogDirectory(start);
  const QSettings settings;

  setWindowTitle(title);
  auto *layout = new QVBoxLayout(this);

  fileDialog_ = new QFileDialog(owner, title, start);
  fileDialog_->setFileMode(QFileDialog::AnyFile);
  fileDialog_->setLabelText(QFileDialog::Accept, acceptLabel);
  fileDialog_->setNameFilters(nameFilters);
  fileDialog_->restoreState(settings.value(keys.dialogState).toByteArray());
  fileDialog_->setViewMode(QFileDialog::Detail);
  // Qt's own dialog, so that it can sit inside the window.
  fileDialog_->setOption(QFileDialog::DontUseNativeDialog, true);
  fileDialog_->setWindowFlags(Qt::Widget);
  layout->addWidget(fileDialog_);

  panel_->setParent(this, Qt::Widget);
  layout->addWidget(panel_);
  restoreGeometry(settings.value(keys.geometry).toByteArray());
}

bool LogFileWindow::Run(const LogFileDialogRunner &runner)
{
  panel_->show();
  show();
  if ((runner ? runner(*fileDialog_) : fileDialog_->exec()) != QDialog::Accepted)
    return false;

  QSettings settings;
  settings.setValue(keys_.dialogState, fileDialog_->saveState());
  settings.setValue(keys_.geometry, saveGeometry());
  // The chosen file gives only the folder and the prefix: the log opened is
  // the one named for the displayed day.
  const QStringList chosen = fileDialog_->selectedFiles();
  if (!chosen.isEmpty()) {
    const QFileInfo file(chosen.first());
    const QString prefix = CutLogFileNameTail(file.fileName());
    qDebug() << "filenamePrefix -> " << prefix;
    settings.setValue(keys_.directory, file.absolutePath());
    settings.setValue(keys_.prefix, prefix);
  }
  return true;
}

void LogFileWindow::Finish()
{
  panel_->hide();
  panel_->setParent(owner_, Qt::Dialog);
  hide();
  deleteLater();
}

void LogFileWindow::closeEvent(QCloseEvent *event)
{
  if (fileDialog_->isVisible())
    fileDialog_->reject();
  QWidget::closeEvent(event);
}

bool ConfirmLogAction(MessageBoxes &boxes, QWidget *parent, const QString &text, const QString &informativeText,
                      QMessageBox::StandardButton yes)
{
  return boxes.Question(parent, QString(), text, yes | QMessageBox::Cancel, yes, informativeText) == yes;
}

LogProblemDisplay::LogProblemDisplay(GpsRawDataDialog *rawData, QStatusBar *statusBar, const QString &labelName)
    : rawData_(rawData), statusBar_(statusBar), labelName_(labelName)
{
}

void LogProblemDisplay::Report(const QString &text, const QString &status)
{
  qWarning().noquote() << text;
  // Straight to the window: through the raw-data echo it would land in the
  // GPS log, which may be the very log that has the problem.
  if (rawData_)
    rawData_->AppendText(text);
  // The full report names files and is far too long for the status bar:
  // there the short status shows, in its label.
  ShowStatus(status);
}

void LogProblemDisplay::ShowStatus(const QString &status)
{
  if (!label_) {
    if (status.isEmpty())
      return;
    label_ = new ElidingLabel;
    label_->setObjectName(labelName_);
    label_->setStyleSheet(QStringLiteral("color:red"));
    statusBar_->addPermanentWidget(label_);
  }
  label_->SetFullText(status);
  label_->setVisible(!status.isEmpty());
}
