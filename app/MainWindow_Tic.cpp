// The counter lines: MainWindow hands each one to the TIC line processor
// and answers its questions from its own state through this host; the rows
// go into the TIC log set, whose options they follow.

#include "app/MainWindow.h"
#include "core/ClockModes.h"
#include "logging/TicDataLog.h"
#include "remote/TelnetTcpServer.h"
#include "tic/TicLineProcessor.h"
#include "tic/TicProcessedDataDialog.h"
#include "tic/TicRawDataDialog.h"
#include "ui_MainWindow.h"

#include <QLabel>

class MainWindowTicHost : public TicProcessingHost {
public:
  explicit MainWindowTicHost(MainWindow &window) : window(window) {}

  TicLogOptions TicOptions() const override { return window.TicLog().Options(); }

  TicCorrectionSettings CorrectionSettings() const override
  {
    TicCorrectionSettings settings;
    const TimingSettings &timing = window.TimingValues();
    settings.mode = timing.sawtoothCorrection;
    settings.ticAutoCorrect = timing.ticAutoCorrect;
    settings.delayTotals[0] = timing.totalPpsOffsetNegative;
    settings.delayTotals[1] = timing.totalPpsOffsetPositive;
    return settings;
  }

  qint64 PcClockOffsetMs() const override { return window.PcClockOffsetMs; }
  int ClockDisplayMode() const override { return window.ClockDisplayMode; }

  void WriteTicTimeRow(int port, const QByteArray &row) override { window.TicLog().WriteTimeRow(port, row); }
  void WriteTicAverageRow(int port, const QByteArray &row) override { window.TicLog().WriteAverageRow(port, row); }

  void SendRemoteSentence(const QByteArray &sentence) override
  {
    if (window.telnetServer)
      window.telnetServer->SendMessage(sentence);
  }

  void ShowTicRawLine(const QString &line) override
  {
    if (window.ticRawDataDialog)
      window.ticRawDataDialog->AppendText(line);
  }

  void ShowTicProcessedLine(const QString &line) override
  {
    if (window.ticProcessedDataDialog)
      window.ticProcessedDataDialog->AppendText(line);
  }

  void ShowTicReading(const QString &reading) override { window.ui->TIC_Data->setText(reading); }
  void ShowTicClock(const QString &text) override { window.ui->ClockDisplay->setText(text); }

private:
  MainWindow &window;
};

void MainWindow::MakeTicProcessor()
{
  ticHost = std::make_unique<MainWindowTicHost>(*this);
  ticProcessor = std::make_unique<TicLineProcessor>(state, *ticHost);
}

void MainWindow::ProcessTicLine(QByteArray line)
{
  ticProcessor->ProcessTicLine(line);
}

void MainWindow::OnTicPortLost(int port, const QString &reason)
{
  if (port < 1 || port > TicPortCount)
    return;
  ticPortLostReasons[port - 1] = reason.isEmpty() ? QStringLiteral("closed") : reason;
  // Port 1's last reading is no longer live: not beside the clock, nor in
  // the clock of the TIC modes, which each tick redraws from the processor.
  if (port == 1) {
    ui->TIC_Data->clear();
    ticProcessor->ForgetPort1Reading();
    if (ClockDisplayMode == ClockModes::Tic || ClockDisplayMode == ClockModes::TicRaw)
      ui->ClockDisplay->setText(ticProcessor->ClockTicText());
  }
  ShowTicPortsDown();
}

void MainWindow::OnTicPortStarted(int port)
{
  if (port < 1 || port > TicPortCount || ticPortLostReasons[port - 1].isEmpty())
    return;
  ticPortLostReasons[port - 1].clear();
  ShowTicPortsDown();
}

void MainWindow::OnTicReadingsDropped(const QString &text)
{
  if (ticRawDataDialog)
    ticRawDataDialog->AppendText(text);
}

void MainWindow::ShowTicPortsDown()
{
  QStringList down;
  for (int port = 1; port <= TicPortCount; ++port) {
    if (!ticPortLostReasons[port - 1].isEmpty())
      down << tr("TIC port %1 closed: %2 - reconnect with Edit > Set TIC Interface")
                  .arg(port)
                  .arg(ticPortLostReasons[port - 1]);
  }
  if (!ticPortLostLabel)
    return;  // not yet made
  ticPortLostLabel->SetFullText(down.join(QStringLiteral("; ")));
  ticPortLostLabel->setVisible(!down.isEmpty());
}
