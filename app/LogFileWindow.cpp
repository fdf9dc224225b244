#include "app/LogFileWindow.h"

#include "app/GpsRawDataDialog.h"
#include "logging/LogFileNames.h"

#include <QCloseEvent>
#include <QDebug>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QStatusBar>
#include <QVBoxLayout>

namespace {

// How long a log problem stays in the status bar's message area.
constexpr int ProblemMessageMs = 10000;

}  // namespace

LogFileWindow::LogFileWindow(QWidget *owner, QWidget *panel, const Setup &setup)
    : QWidget(nullptr, Qt::Window), owner_(owner), panel_(panel)
{
  setWindowTitle(setup.title);
  auto *layout = new QVBoxLayout(this);

  fileDialog_ = new QFileDialog(owner, setup.title, setup.start);
  fileDialog_->setFileMode(QFileDialog::AnyFile);
  fileDialog_->setLabelText(QFileDialog::Accept, setup.acceptLabel);
  fileDialog_->setNameFilters(setup.nameFilters);
  fileDialog_->restoreState(setup.dialogState);
  fileDialog_->setViewMode(QFileDialog::Detail);
  // Qt's own dialog, so that it can sit inside the window.
  fileDialog_->setOption(QFileDialog::DontUseNativeDialog, true);
  fileDialog_->setWindowFlags(Qt::Widget);
  layout->addWidget(fileDialog_);

  panel_->setParent(this, Qt::Widget);
  layout->addWidget(panel_);
  restoreGeometry(setup.geometry);
}

int LogFileWindow::Run(const LogFileDialogRunner &runner)
{
  panel_->show();
  show();
  return runner ? runner(*fileDialog_) : fileDialog_->exec();
}

bool LogFileWindow::ChosenDirectoryAndPrefix(QString *directory, QString *prefix) const
{
  const QStringList chosen = fileDialog_->selectedFiles();
  if (chosen.isEmpty())
    return false;
  const QFileInfo file(chosen.first());
  *directory = file.absolutePath();
  *prefix = CutLogFileNameTail(file.fileName());
  qDebug() << "filenamePrefix -> " << *prefix;
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
  statusBar_->showMessage(text, ProblemMessageMs);
  ShowStatus(status);
}

void LogProblemDisplay::ShowStatus(const QString &status)
{
  if (!label_) {
    if (status.isEmpty())
      return;
    label_ = new QLabel;
    label_->setObjectName(labelName_);
    label_->setStyleSheet(QStringLiteral("color:red"));
    statusBar_->addPermanentWidget(label_);
  }
  label_->setText(status);
  label_->setToolTip(status);
  label_->setVisible(!status.isEmpty());
}
