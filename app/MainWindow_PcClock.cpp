// The main window's side of the PC clock synchronisation: it hands the
// receiver time and its own state to the clock step and puts what the step
// did on the widgets and into the GPS data log.

#include "app/MainWindow.h"
#include "app/MessageBoxes.h"
#include "clock/PcClockSettings.h"
#include "clock/SetPcClockDialog.h"
#include "position/GpsNavDialog.h"
#include "ui_MainWindow.h"

#include <QLabel>
#include <QSettings>
#include <QStatusBar>

namespace {

// How long a failed clock set stays in the status bar.
constexpr int ClockSetFailureMessageMs = 15000;

}  // namespace

void MainWindow::SyncPcClock()
{
  PcClockPassInputs in;
  in.foldedOffsetMs = state.receiverTime.TotalOffsetMs();
  in.ppsTickSeen = state.tickPending;
  in.tooFewSatellites = state.outOfLock;
  if (setPcClockDialog) {
    in.overrideTraim = setPcClockDialog->OverrideTraim();
    in.overrideIntegrity = setPcClockDialog->OverrideIntegrity();
  }
  in.gpsUtcOffsetSeconds = state.utcOffsetSeconds;
  in.logOpen = GpsLog().IsOpen();
  in.logType = gpsLogValues.type;
  in.logIntervalSeconds = gpsLogValues.intervalSeconds;
  in.logUseGpsSeconds = gpsLogValues.useGpsSecondNumber;
  // Only the NMEA-style log carries the time-position line.
  if (gpsNavDialog && in.logOpen && in.logType == PcClockSync::GpsLogTypeNmea)
    in.position = gpsNavDialog->CurrentFixFields();

  const PcClockPassResult r = pcClockSync.Step(state.receiverTime, in);
  PcClockOffsetMs = r.offsetMs;
  lastPcClockSet = pcClockSync.ClockSetTime();
  if (r.setDone)
    ClockSetDone = true;
  if (r.oneTimeFinished && setPcClockDialog)
    setPcClockDialog->SetMode(SyncDisable);
  if (!r.failureToReport.isEmpty()) {
    const QString text = tr("The PC clock could not be set: %1").arg(r.failureToReport);
    ui->statusBar->showMessage(text, ClockSetFailureMessageMs);
    appendPlainText_to_RawDataDialog_and_Log(text);
  }
  if (r.latencyChanged)
    ui->IDC_LATENCY->setText(r.latencyText);
  state.logRecordGate = r.logGateOpen;
  for (const QString &line : r.logLines)
    WriteGpsLog(line);
}

void MainWindow::LoadPcClockSettings()
{
  QSettings settings;
  const PcClockSettings loaded = PcClockSettings::Load(settings, [this](const QString &text) {
    MessageBoxRequest box;
    box.icon = QMessageBox::Warning;
    box.text = text;
    Boxes().Show(box);
  });
  pcClockSync.SetSettings(loaded);
}

void MainWindow::actionSet_PC_Clock_triggered()
{
  if (setPcClockDialog && setPcClockDialog->exec() == QDialog::Accepted)
    LoadPcClockSettings();
}
