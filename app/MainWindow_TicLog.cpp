// The main window's side of the TIC log set: it gives the set what it needs
// (displayed time, the timing dialog's sawtooth choice, the boxes that ask,
// the places that report) and runs the New/Open window with the TIC file
// panel embedded below the file dialog.

#include "app/LogFileWindow.h"
#include "app/MainWindow.h"
#include "app/MessageBoxes.h"
#include "logging/LogFileNames.h"
#include "logging/TicFileDialog.h"
#include "receiver/dialogs/TimingDialog.h"
#include "ui_MainWindow.h"

#include <QFileDialog>
#include <QSettings>

namespace {

class MainWindowTicLogHost : public TicDataLogHost {
public:
  MainWindowTicLogHost(MainWindow &window, TimingDialog *timing, GpsRawDataDialog *rawData, Ui::MainWindow *ui)
      : window_(window), timing_(timing), ui_(ui), problems_(rawData, ui->statusBar, QStringLiteral("TicLogStatus"))
  {
  }

  GpsDateTime DisplayedTime() const override { return window_.State().displayCopy; }
  bool SawtoothCorrectionOff() const override { return timing_ && timing_->sawtoothCorrection == SawtoothOff; }

  bool ConfirmReplace(const QString &fileName) override
  {
    MessageBoxRequest box;
    box.parent = &window_;
    box.icon = QMessageBox::Question;
    box.text = QString::fromLatin1(TicLogTexts::ReplaceQuestion);
    box.informativeText = fileName;
    box.buttons = QMessageBox::Ok | QMessageBox::Cancel;
    box.defaultButton = QMessageBox::Ok;
    return window_.Boxes().Show(box) == QMessageBox::Ok;
  }

  bool ConfirmClose(const QString &setText) override
  {
    MessageBoxRequest box;
    box.parent = &window_;
    box.icon = QMessageBox::Question;
    box.text = QString::fromLatin1(TicLogTexts::CloseQuestion);
    box.informativeText = setText;
    box.buttons = QMessageBox::Close | QMessageBox::Cancel;
    box.defaultButton = QMessageBox::Close;
    return window_.Boxes().Show(box) == QMessageBox::Close;
  }

  void ReportProblem(const QString &text) override { problems_.Report(text, window_.TicLog().StatusText()); }

  void OpenStateChanged(bool open) override
  {
    ui_->actionClose_TIC_Data_Log->setEnabled(open);
    ui_->actionNew_TIC_Data_Log->setEnabled(!open);
    ui_->actionOpen_TIC_Data_Log->setEnabled(!open);
    problems_.ShowStatus(window_.TicLog().StatusText());
  }

private:
  MainWindow &window_;
  TimingDialog *timing_;
  Ui::MainWindow *ui_;
  LogProblemDisplay problems_;
};

}  // namespace

TicDataLog &MainWindow::TicLog()
{
  if (!ticDataLog) {
    ticLogHost = std::make_unique<MainWindowTicLogHost>(*this, timingDialog, gpsRawDataDialog, ui);
    ticDataLog = std::make_unique<TicDataLog>(*ticLogHost);
  }
  return *ticDataLog;
}

void MainWindow::LoadTicLogOptions()
{
  TicLog().LoadOptions();
}

QString MainWindow::LogTimeTag()
{
  return TicLog().TimeTag();
}

void MainWindow::WriteTicLog(const QString &text)
{
  TicLog().WriteTicLog(text);
}

bool MainWindow::OpenTicLogFiles(int mode)
{
  return TicLog().OpenTicLogFiles(mode);
}

bool MainWindow::CloseTicLogFiles(bool withoutAsking)
{
  return TicLog().CloseTicLogFiles(withoutAsking);
}

bool MainWindow::FlushLogFiles()
{
  return TicLog().FlushLogFiles();
}

bool MainWindow::RollOverTicLogFiles()
{
  return TicLog().RollOverToNewDay();
}

void MainWindow::TicDataLogFileDialog(bool newLog)
{
  const StoredLogLocation location = ReadLogLocation(TicLogKeys::FileDirectory, TicLogKeys::FileNamePrefix);
  const QString start = location.directory + QLatin1Char('/') + location.prefix;
  PrepareLogDirectory(start);

  QSettings settings;
  LogFileWindow::Setup setup;
  setup.title = QString::fromLatin1(newLog ? TicLogTexts::NewTitle : TicLogTexts::OpenTitle);
  setup.acceptLabel = QString::fromLatin1(newLog ? TicLogTexts::NewButton : TicLogTexts::OpenButton);
  setup.nameFilters = TicLogNameFilters();
  setup.start = start;
  setup.dialogState = settings.value(TicLogKeys::FileDialogSettings).toByteArray();
  setup.geometry = settings.value(TicLogKeys::FileDialogGeometry).toByteArray();
  if (!ticFileDialog)
    ticFileDialog = new TicFileDialog(this);
  auto *window = new LogFileWindow(this, ticFileDialog, setup);

  if (window->Run(logFileDialogRunner) == QDialog::Accepted) {
    ticFileDialog->SaveSettings();
    settings.setValue(TicLogKeys::FileDialogSettings, window->FileDialog().saveState());
    settings.setValue(TicLogKeys::FileDialogGeometry, window->saveGeometry());
    settings.setValue(TicLogKeys::LogStyle, TicLogStyleOfFilter(window->FileDialog().selectedNameFilter()));
    // The counter rows follow the saved options at once.
    LoadTicLogOptions();

    // The chosen file gives only the folder and the prefix: the set opened
    // is the one named for the displayed day.
    QString directory, prefix;
    if (window->ChosenDirectoryAndPrefix(&directory, &prefix)) {
      settings.setValue(TicLogKeys::FileDirectory, directory);
      settings.setValue(TicLogKeys::FileNamePrefix, prefix);
    }

    if (!OpenTicLogFiles(newLog ? TicDataLog::CreateAskReplace : TicDataLog::AppendExisting)) {
      CloseTicLogFiles(true);
      settings.setValue(TicLogKeys::LogOpen, false);
      Boxes().Warning(this, QString(),
                      QString::fromLatin1(newLog ? TicLogTexts::CannotCreate : TicLogTexts::CannotOpen));
    }
  }
  window->Finish();
}
