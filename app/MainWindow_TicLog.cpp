// The main window's side of the TIC log set: it gives the set what it needs
// (displayed time, the timing settings' sawtooth choice, the boxes that ask,
// the places that report) and runs the New/Open window with the TIC file
// panel embedded below the file dialog.

#include "app/LogFileWindow.h"
#include "app/MainWindow.h"
#include "app/MessageBoxes.h"
#include "logging/TicFileDialog.h"
#include "logging/TicTimeTag.h"
#include "ui_MainWindow.h"

#include <QFileDialog>
#include <QSettings>

namespace {

class MainWindowTicLogHost : public TicDataLogHost {
public:
  MainWindowTicLogHost(MainWindow &window, GpsRawDataDialog *rawData, Ui::MainWindow *ui)
      : window_(window), ui_(ui), problems_(rawData, ui->statusBar, QStringLiteral("TicLogStatus"))
  {
  }

  GpsDateTime DisplayedTime() const override { return window_.State().displayCopy; }
  GpsDateTime TagTime() const override { return TicRowTime(window_.State()); }
  bool SawtoothCorrectionOff() const override { return window_.TimingValues().sawtoothCorrection == SawtoothOff; }

  bool ConfirmReplace(const QString &fileName) override
  {
    return ConfirmLogAction(window_.Boxes(), &window_, QString::fromLatin1(TicLogTexts::ReplaceQuestion), fileName,
                            QMessageBox::Ok);
  }

  bool ConfirmClose(const QString &setText) override
  {
    return ConfirmLogAction(window_.Boxes(), &window_, QString::fromLatin1(TicLogTexts::CloseQuestion), setText,
                            QMessageBox::Close);
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
  Ui::MainWindow *ui_;
  LogProblemDisplay problems_;
};

}  // namespace

TicDataLog &MainWindow::TicLog()
{
  if (!ticDataLog) {
    ticLogHost = std::make_unique<MainWindowTicLogHost>(*this, gpsRawDataDialog, ui);
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
  static const LogFileKeys keys{TicLogKeys::FileDirectory, TicLogKeys::FileNamePrefix,
                                TicLogKeys::FileDialogSettings, TicLogKeys::FileDialogGeometry};
  if (!ticFileDialog)
    ticFileDialog = new TicFileDialog(this);
  auto *window = new LogFileWindow(this, ticFileDialog, keys,
                                   QString::fromLatin1(newLog ? TicLogTexts::NewTitle : TicLogTexts::OpenTitle),
                                   QString::fromLatin1(newLog ? TicLogTexts::NewButton : TicLogTexts::OpenButton),
                                   TicLogNameFilters());
  // The filter picked sets the style: start on the stored one, so that a
  // set opened again keeps its files.
  const QVariant storedStyle = QSettings().value(TicLogKeys::LogStyle);
  if (const QString filter = TicLogNameFilterOfStyle(storedStyle.isValid() ? storedStyle.toInt() : -1);
      !filter.isEmpty())
    window->FileDialog().selectNameFilter(filter);
  if (window->Run(logFileDialogRunner)) {
    ticFileDialog->SaveSettings();
    QSettings settings;
    settings.setValue(TicLogKeys::LogStyle, TicLogStyleOfFilter(window->FileDialog().selectedNameFilter()));
    // The counter rows follow the saved options at once.
    LoadTicLogOptions();
    if (!OpenTicLogFiles(newLog ? TicDataLog::CreateAskReplace : TicDataLog::AppendExisting)) {
      CloseTicLogFiles(true);
      settings.setValue(TicLogKeys::LogOpen, false);
      Boxes().Warning(this, QString(),
                      QString::fromLatin1(newLog ? TicLogTexts::CannotCreate : TicLogTexts::CannotOpen));
    }
  }
  window->Finish();
}
