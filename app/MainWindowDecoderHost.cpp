#include "app/MainWindowDecoderHost.h"

#include "ui_MainWindow.h"

#include "app/MainWindow.h"
#include "platform/TimeSource.h"
#include "position/GeoidModel.h"
#include "position/GpsNavDialog.h"
#include "receiver/GpsRxIdDialog.h"

#include <QLabel>

int MainWindowDecoderHost::GpsLogType() const
{
  return window_.GpsLogValues().type;
}

bool MainWindowDecoderHost::RxOnLocalTime() const
{
  return window_.receiverMode.rxOnLocalTime;
}

bool MainWindowDecoderHost::ConfigTextToTicLog() const
{
  return window_.TicLog().ConfigTextWanted();
}

void MainWindowDecoderHost::SyncPcClock()
{
  window_.SyncPcClock();
}

void MainWindowDecoderHost::UpdateClockDisplay()
{
  window_.UpdateClockDisplay();
}

void MainWindowDecoderHost::ShowPosition(double latitude, double longitude, double height,
                                         double mslHeight)
{
  window_.ShowPosition(latitude, longitude, height, mslHeight);
}

void MainWindowDecoderHost::SetSpeed(double knots)
{
  if (window_.gpsNavDialog)
    window_.gpsNavDialog->SetSpeed(knots);
}

void MainWindowDecoderHost::SetHeading(double degrees)
{
  if (window_.gpsNavDialog)
    window_.gpsNavDialog->SetHeading(degrees);
}

void MainWindowDecoderHost::SetSatsTracked(int count)
{
  if (window_.gpsNavDialog)
    window_.gpsNavDialog->SetSatsTracked(count);
}

void MainWindowDecoderHost::SetNavMode(int mode)
{
  if (window_.gpsNavDialog)
    window_.gpsNavDialog->SetNavMode(mode);
}

int MainWindowDecoderHost::GetNavMode() const
{
  return window_.gpsNavDialog ? window_.gpsNavDialog->GetNavMode() : 0;
}

void MainWindowDecoderHost::SetFixStatus(int status)
{
  if (window_.gpsNavDialog)
    window_.gpsNavDialog->SetFixStatus(status);
}

void MainWindowDecoderHost::SetDops(double g, double p, double h, double v, double t)
{
  if (window_.gpsNavDialog)
    window_.gpsNavDialog->SetDops(g, p, h, v, t);
}

QString MainWindowDecoderHost::DopsText() const
{
  return window_.gpsNavDialog ? window_.gpsNavDialog->DopsText() : QString();
}

double MainWindowDecoderHost::GeoidSeparation(double latitude, double longitude) const
{
  return GeoidModel().GeoidSeparation(latitude, longitude);
}

void MainWindowDecoderHost::SetAntennaStatus(int status)
{
  window_.SetAntennaStatus(status);
}

void MainWindowDecoderHost::SetNavStatus(int status)
{
  window_.SetNavStatus(status);
}

void MainWindowDecoderHost::UpdateSatelliteTable()
{
  window_.UpdateSatelliteTable();
}

void MainWindowDecoderHost::ShowSatsVisible(const QString &text)
{
  window_.ui->IDC_SATS_VISIBLE->SetFullText(text);
}

void MainWindowDecoderHost::ShowSatsTracked(const QString &text)
{
  window_.ui->IDC_SATS_TRACKED->SetFullText(text);
}

void MainWindowDecoderHost::ShowSatsStatusMessage(const QString &text)
{
  window_.ui->IDC_SATS_STATUS_MESSAGE->SetFullText(text);
}

void MainWindowDecoderHost::ShowSatsDopsMessage(const QString &text)
{
  window_.ui->IDC_SATS_DOPS_MESSAGE->SetFullText(text);
}

void MainWindowDecoderHost::ShowDgpsMessage(const QString &text)
{
  window_.ui->IDC_SATS_DGPS_MESSAGE->SetFullText(text);
}

void MainWindowDecoderHost::WriteBinaryGpsLog(const QByteArray &message)
{
  window_.WriteBinaryGpsLog(message);
}

void MainWindowDecoderHost::WriteGpsLog(const QString &text)
{
  window_.WriteGpsLog(text);
}

void MainWindowDecoderHost::WriteTicLog(const QString &text)
{
  window_.WriteTicLog(text);
}

bool MainWindowDecoderHost::HasIdWindow() const
{
  return window_.gpsRxIdDialog != nullptr;
}

void MainWindowDecoderHost::AppendIdText(const QString &text)
{
  if (window_.gpsRxIdDialog)
    window_.gpsRxIdDialog->AppendText(text);
}

void MainWindowDecoderHost::AppendIdLines(const QString &text)
{
  if (window_.gpsRxIdDialog)
    window_.gpsRxIdDialog->AppendLines(text);
}

void MainWindowDecoderHost::SetConstellations(bool gps, bool glonass, bool galileo, bool beidou,
                                              bool qzss, bool sbas)
{
  ReceiverModeSettings &mode = window_.receiverMode;
  mode.satGps = gps;
  mode.satGlonass = glonass;
  mode.satGalileo = galileo;
  mode.satBeidou = beidou;
  mode.satQzss = qzss;
  mode.satSbas = sbas;
}

void MainWindowDecoderHost::SaveConstellationSettings()
{
  ::SaveConstellationSettings(window_.receiverMode);
}

void MainWindowDecoderHost::ShowConstellationLabel(const QString &text)
{
  if (window_.constellationLabel)
    window_.constellationLabel->setText(text);
}

void MainWindowDecoderHost::SendGpsRxCommand(const QByteArray &command)
{
  // A receiver that ignores the command reports the same again at once.
  if (!commandThrottle_.Allow(command, TimeSource::Current().MonotonicMs()))
    return;
  window_.SendGpsRxCommand(command);
}

void MainWindowDecoderHost::DisableFirmwareUpload()
{
  window_.ui->actionSend_new_firmware_to_GPS_Rx->setEnabled(false);
}
