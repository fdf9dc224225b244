// The main window's side of the GPS data log: it gives the log what it
// needs (displayed time, the log options, header texts, the boxes that ask,
// the places that report) and runs the New/Open dialog with the log-type
// panel embedded below the file dialog.

#include "app/GpsRawDataDialog.h"
#include "app/LogFileWindow.h"
#include "app/MainWindow.h"
#include "app/MessageBoxes.h"
#include "core/GpsMode.h"
#include "core/ReceiverIdentity.h"
#include "logging/GpsLogTypeDialog.h"
#include "ui_MainWindow.h"

#include <QLabel>
#include <QSettings>

namespace {

class MainWindowGpsLogHost : public GpsDataLogHost {
public:
  MainWindowGpsLogHost(MainWindow &window, GpsRawDataDialog *rawData, Ui::MainWindow *ui)
      : window_(window), ui_(ui), problems_(rawData, ui->statusBar, QStringLiteral("GpsLogStatus"))
  {
  }

  GpsDateTime DisplayedTime() const override { return window_.State().displayCopy; }
  int LogType() const override { return window_.GpsLogValues().type; }
  int LogInterval() const override { return window_.GpsLogValues().intervalSeconds; }
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
    return ConfirmLogAction(window_.Boxes(), &window_, QString::fromLatin1(GpsLogTexts::ReplaceQuestion), fileName,
                            QMessageBox::Ok);
  }

  bool ConfirmClose() override
  {
    return ConfirmLogAction(window_.Boxes(), &window_, QString::fromLatin1(GpsLogTexts::CloseQuestion), QString(),
                            QMessageBox::Close);
  }

  void ReportProblem(const QString &text) override { problems_.Report(text, window_.GpsLog().StatusText()); }

  void OpenStateChanged(bool open) override
  {
    ui_->actionClose_GPS_Data_Log->setEnabled(open);
    ui_->actionNew_GPS_Data_Log->setEnabled(!open);
    ui_->actionOpen_GPS_Data_Log->setEnabled(!open);
    problems_.ShowStatus(window_.GpsLog().StatusText());
  }

private:
  MainWindow &window_;
  Ui::MainWindow *ui_;
  LogProblemDisplay problems_;
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
  static const LogFileKeys keys{GpsLogKeys::FileDirectory, GpsLogKeys::FileNamePrefix,
                                GpsLogKeys::FileDialogSettings, GpsLogKeys::FileDialogGeometry};
  auto *window = new LogFileWindow(this, gpsLogTypeDialog, keys,
                                   QString::fromLatin1(newLog ? GpsLogTexts::NewTitle : GpsLogTexts::OpenTitle),
                                   QString::fromLatin1(newLog ? GpsLogTexts::NewButton : GpsLogTexts::OpenButton),
                                   QStringList{QString::fromLatin1(GpsLogTexts::NameFilter)});
  if (window->Run(logFileDialogRunner)) {
    gpsLogTypeDialog->SaveSettings();
    gpsLogValues = gpsLogTypeDialog->Settings();
    if (!OpenGpsLogFile(newLog ? GpsDataLog::CreateAskReplace : GpsDataLog::AppendExisting)) {
      CloseGpsLogFile(true);
      QSettings().setValue(GpsLogKeys::LogOpen, false);
      Boxes().Warning(this, QString(),
                      QString::fromLatin1(newLog ? GpsLogTexts::CannotCreate : GpsLogTexts::CannotOpen));
    }
  }
  window->Finish();
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
