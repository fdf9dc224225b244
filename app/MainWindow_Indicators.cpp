// The status bar's antenna, navigation and heartbeat indicators, and the
// hand-off of each position fix to the averaging.

#include "app/MainWindow.h"

#include "ui_MainWindow.h"

#include "platform/TimeSource.h"
#include "position/GpsNavDialog.h"

#include <QLabel>

namespace {

struct IndicatorLook {
  const char *text;
  const char *styleSheet;
};

const char *const GreenStyle = "padding: 2px 5px; color:white; background-color:green";
const char *const RedStyle = "padding: 2px 5px; color:white; background-color:red";
const char *const YellowStyle = "padding: 2px 5px; color:black; background-color:yellow";
const char *const WhiteStyle = "padding: 2px 5px; color:black; background-color:white";

const IndicatorLook AntennaLooks[] = {
    {"Ant OK", GreenStyle},
    {"Ant OC Short", RedStyle},
    {"Ant Open", YellowStyle},
    {"Ant No Pwr", YellowStyle},
};
const IndicatorLook AntennaUnknown = {"Ant Unknown", WhiteStyle};

const IndicatorLook NavLooks[] = {
    {"Navigating", GreenStyle},
    {"Position Hold", GreenStyle},
    {"Surveying", YellowStyle},
};
const IndicatorLook NavUnknown = {"Nav Unknown", WhiteStyle};
// Nothing comes from the receiver: its last status is no longer true.
const IndicatorLook NavNoReceiver = {"No Receiver", RedStyle};
// The port is open but the receiver has gone quiet.
const IndicatorLook NavNoData = {"No Data", RedStyle};

template <size_t N>
const IndicatorLook &LookOf(const IndicatorLook (&looks)[N], const IndicatorLook &unknown, int status)
{
  return status >= 0 && size_t(status) < N ? looks[status] : unknown;
}

void Show(QLabel *label, const IndicatorLook &look)
{
  label->setText(QString::fromLatin1(look.text));
  label->setStyleSheet(QString::fromLatin1(look.styleSheet));
}

}  // namespace

void MainWindow::SetAntennaStatus(int status)
{
  state.antennaStatus = status;
  Show(antennaStatusLabel, LookOf(AntennaLooks, AntennaUnknown, status));
}

void MainWindow::SetNavStatus(int status)
{
  // The set-up reads the last status back.
  navStatus = status;
  Show(navStatusLabel, LookOf(NavLooks, NavUnknown, status));
}

void MainWindow::OnReceiverPortLost(const QString &portName, const QString &reason)
{
  const QString text = tr("GPS receiver port %1 closed: %2 - reopen it with Edit > Set GPS Receiver Interface")
                           .arg(portName, reason);
  receiverPortLostLabel->SetFullText(text);
  receiverPortLostLabel->show();
  Show(navStatusLabel, NavNoReceiver);
  appendPlainText_to_RawDataDialog_and_Log(text);
}

void MainWindow::OnReceiverPortOpened()
{
  receiverSilence.Restart();
  if (receiverPortLostLabel->isHidden())
    return;
  receiverPortLostLabel->hide();
  receiverPortLostLabel->SetFullText(QString());
  // Until the receiver speaks again.
  Show(navStatusLabel, NavUnknown);
}

void MainWindow::CheckReceiverSilence()
{
  // The search and the set-up wait for answers of their own.
  const bool watched = session->Port().IsOpen() && !state.setupInProgress && !session->Busy() && !state.closing;
  if (!receiverSilence.Check(TimeSource::Current().MonotonicMs(), watched))
    return;
  Show(navStatusLabel, NavNoData);
  appendPlainText_to_RawDataDialog_and_Log(tr("No data from the GPS receiver for 5 seconds."));
}

void MainWindow::OnReceiverMessage()
{
  if (receiverSilence.MessageArrived(TimeSource::Current().MonotonicMs()))
    Show(navStatusLabel, LookOf(NavLooks, NavUnknown, navStatus));
}

void MainWindow::ResetHeartbeat()
{
  heartbeatLabel->setPixmap(heartbeatOffIcon);
}

void MainWindow::ShowPosition(double latitude, double longitude, double height, double mslHeight)
{
  const int fixDimension = receiverMode.gpsNavMode;
  const QString locator =
      gpsNavDialog->UpdateAverages(latitude, longitude, height, mslHeight, fixDimension);
  ui->IDC_GRIDSQUARE->setText(locator);
}
