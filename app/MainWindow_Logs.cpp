// The main window's side of the GPS data log: it gives the log what it
// needs (displayed time, log-type fields, header texts, the boxes that ask,
// the places that report) and runs the New/Open dialog with the log-type
// panel embedded below the file dialog.

#include "app/GpsRawDataDialog.h"
#include "app/MainWindow.h"
#include "app/MessageBoxes.h"
#include "app/core/GpsMode.h"
#include "app/core/Paths.h"
#include "app/core/ReceiverIdentity.h"
#include "logging/GpsLogTypeDialog.h"
#include "logging/LogFileNames.h"
#include "ui_MainWindow.h"

#include <QCloseEvent>
#include <QDebug>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QSettings>
#include <QStatusBar>
#include <QVBoxLayout>

namespace {

// How long a log problem stays in the status bar.
constexpr int ProblemMessageMs = 10000;

class MainWindowGpsLogHost : public GpsDataLogHost {
public:
  MainWindowGpsLogHost(MainWindow &window, GpsRawDataDialog *rawData, Ui::MainWindow *ui)
      : window_(window), rawData_(rawData), ui_(ui)
  {
  }

  GpsDateTime DisplayedTime() const override { return window_.State().displayCopy; }
  int LogType() const override { return Panel() ? Panel()->GpsLogType : 0; }
  int LogInterval() const override { return Panel() ? Panel()->GpsLogInterval : 1; }
  bool RecordGateOpen() const override { return window_.State().logRecordGate; }
  QString ProgramVersion() const override { return window_.Version().toString(); }
  QString ReceiverStatusText() const override
  {
    return window_.ReceiverStatusLabel() ? window_.ReceiverStatusLabel()->text() : QString();
  }
  QString SoftwareDateText() const override { return window_.State().receiverSoftwareDate; }
  quint32 ProtocolMode() const override { return CurrentGpsMode; }
  int ChannelCount() const override { return receiverIdentity.channels; }

  bool ConfirmReplace(const QString &fileName) override
  {
    MessageBoxRequest box;
    box.parent = &window_;
    box.icon = QMessageBox::Question;
    box.text = QString::fromLatin1(GpsLogTexts::ReplaceQuestion);
    box.informativeText = fileName;
    box.buttons = QMessageBox::Ok | QMessageBox::Cancel;
    box.defaultButton = QMessageBox::Ok;
    return window_.Boxes().Show(box) == QMessageBox::Ok;
  }

  bool ConfirmClose() override
  {
    MessageBoxRequest box;
    box.parent = &window_;
    box.icon = QMessageBox::Question;
    box.text = QString::fromLatin1(GpsLogTexts::CloseQuestion);
    box.buttons = QMessageBox::Close | QMessageBox::Cancel;
    box.defaultButton = QMessageBox::Close;
    return window_.Boxes().Show(box) == QMessageBox::Close;
  }

  void ReportProblem(const QString &text) override
  {
    qWarning().noquote() << text;
    // Straight to the window: through the raw-data echo it would land in
    // the very log that has the problem.
    if (rawData_)
      rawData_->AppendText(text);
    ui_->statusBar->showMessage(text, ProblemMessageMs);
    ShowLogStatus();
  }

  void OpenStateChanged(bool open) override
  {
    ui_->actionClose_GPS_Data_Log->setEnabled(open);
    ui_->actionNew_GPS_Data_Log->setEnabled(!open);
    ui_->actionOpen_GPS_Data_Log->setEnabled(!open);
    ShowLogStatus();
  }

private:
  GpsLogTypeDialog *Panel() const { return window_.LogTypeDialog(); }

  // A label that stays in the status bar while the open log cannot be
  // written; made at the first problem.
  void ShowLogStatus()
  {
    const GpsDataLog &log = window_.GpsLog();
    const QString text = log.IsOpen() ? log.StatusText() : QString();
    if (!status_) {
      if (text.isEmpty())
        return;
      status_ = new QLabel;
      status_->setObjectName(QStringLiteral("GpsLogStatus"));
      status_->setStyleSheet(QStringLiteral("color:red"));
      ui_->statusBar->addPermanentWidget(status_);
    }
    status_->setText(text);
    status_->setToolTip(text);
    status_->setVisible(!text.isEmpty());
  }

  MainWindow &window_;
  GpsRawDataDialog *rawData_;
  Ui::MainWindow *ui_;
  QLabel *status_ = nullptr;  // owned by the status bar
};

// The window that holds the file dialog and the log-type panel. Closing it
// from its title bar is Cancel: the file dialog inside would otherwise keep
// running, unseen.
class GpsLogFileWindow : public QWidget {
public:
  GpsLogFileWindow() : QWidget(nullptr, Qt::Window) {}
  QFileDialog *fileDialog = nullptr;

protected:
  void closeEvent(QCloseEvent *event) override
  {
    if (fileDialog && fileDialog->isVisible())
      fileDialog->reject();
    QWidget::closeEvent(event);
  }
};

}  // namespace

GpsDataLog &MainWindow::GpsLog()
{
  if (!gpsDataLog) {
    gpsLogHost = std::make_unique<MainWindowGpsLogHost>(*this, gpsRawDataDialog, ui);
    gpsDataLog = std::make_unique<GpsDataLog>(*gpsLogHost);
  }
  return *gpsDataLog;
}

void MainWindow::WriteGpsLog(const QString &text)
{
  GpsLog().WriteGpsLog(text);
}

void MainWindow::WriteBinaryGpsLog(const QByteArray &message)
{
  GpsLog().WriteBinaryGpsLog(message);
}

bool MainWindow::CloseGpsLogFile(bool withoutAsking)
{
  return GpsLog().CloseGpsLogFile(withoutAsking);
}

bool MainWindow::OpenGpsLogFile(int mode)
{
  return GpsLog().OpenGpsLogFile(mode);
}

bool MainWindow::FlushGpsLogFile()
{
  return GpsLog().FlushGpsLogFile();
}

bool MainWindow::RollOverGpsLogFile()
{
  return GpsLog().RollOverToNewDay();
}

void MainWindow::GpsDataLogFileDialog(bool newLog)
{
  QSettings settings;
  QString directory = settings.value(GpsLogKeys::FileDirectory).toString();
  if (directory.isEmpty())
    directory = DefaultLogDirectory();
  QString prefix = settings.value(GpsLogKeys::FileNamePrefix, DefaultLogPrefix()).toString();
  const QString start = directory + QLatin1Char('/') + prefix;
  PrepareLogDirectory(start);

  // A plain top-level window holds the file dialog and, below it, the
  // log-type panel.
  auto *container = new GpsLogFileWindow;
  container->setWindowTitle(QString::fromLatin1(newLog ? GpsLogTexts::NewTitle : GpsLogTexts::OpenTitle));
  auto *layout = new QVBoxLayout(container);

  auto *fileDialog = new QFileDialog(this, container->windowTitle(), start);
  fileDialog->setFileMode(QFileDialog::AnyFile);
  fileDialog->setLabelText(QFileDialog::Accept,
                           QString::fromLatin1(newLog ? GpsLogTexts::NewButton : GpsLogTexts::OpenButton));
  fileDialog->setNameFilter(QString::fromLatin1(GpsLogTexts::NameFilter));
  fileDialog->restoreState(settings.value(GpsLogKeys::FileDialogSettings).toByteArray());
  fileDialog->setViewMode(QFileDialog::Detail);
  // Qt's own dialog, so that it can sit inside the container.
  fileDialog->setOption(QFileDialog::DontUseNativeDialog, true);
  fileDialog->setWindowFlags(Qt::Widget);
  layout->addWidget(fileDialog);
  container->fileDialog = fileDialog;

  gpsLogTypeDialog->setParent(container, Qt::Widget);
  layout->addWidget(gpsLogTypeDialog);
  gpsLogTypeDialog->show();
  container->restoreGeometry(settings.value(GpsLogKeys::FileDialogGeometry).toByteArray());
  container->show();

  const int result = gpsLogFileDialogRunner ? gpsLogFileDialogRunner(*fileDialog) : fileDialog->exec();
  if (result == QDialog::Accepted) {
    gpsLogTypeDialog->SaveSettings();
    settings.setValue(GpsLogKeys::FileDialogSettings, fileDialog->saveState());
    settings.setValue(GpsLogKeys::FileDialogGeometry, container->saveGeometry());

    // The chosen file gives only the folder and the prefix: the log opened
    // is the one named for the displayed day.
    const QStringList chosen = fileDialog->selectedFiles();
    if (!chosen.isEmpty()) {
      const QFileInfo file(chosen.first());
      directory = file.absolutePath();
      prefix = CutLogFileNameTail(file.fileName());
      qDebug() << "filenamePrefix -> " << prefix;
      settings.setValue(GpsLogKeys::FileDirectory, directory);
      settings.setValue(GpsLogKeys::FileNamePrefix, prefix);
    }

    if (!OpenGpsLogFile(newLog ? GpsDataLog::CreateAskReplace : GpsDataLog::AppendExisting)) {
      CloseGpsLogFile(true);
      settings.setValue(GpsLogKeys::LogOpen, false);
      Boxes().Warning(this, QString(),
                      QString::fromLatin1(newLog ? GpsLogTexts::CannotCreate : GpsLogTexts::CannotOpen));
    }
  }

  gpsLogTypeDialog->hide();
  gpsLogTypeDialog->setParent(this, Qt::Dialog);
  container->hide();
  container->deleteLater();
}

void MainWindow::actionNew_GPS_Data_Log_triggered()
{
  GpsDataLogFileDialog(true);
}

void MainWindow::actionOpen_GPS_Data_Log_triggered()
{
  GpsDataLogFileDialog(false);
}

void MainWindow::actionClose_GPS_Data_Log_triggered()
{
  CloseGpsLogFile(false);
}
