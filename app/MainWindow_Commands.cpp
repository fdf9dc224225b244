// The receiver command layer of the main window: the plain sender, the
// send-and-wait with its reply flags and time-outs, the busy gate over the
// actions that start a set-up, and the display cache reset after a port
// change. The rules themselves live in receiver/CommandSender.

#include "app/MainWindow.h"

#include "ui_MainWindow.h"

#include "app/core/ReceiverIdentity.h"
#include "position/GpsNavDialog.h"
#include "receiver/link/Checksums.h"
#include "receiver/session/CommandSender.h"
#include "receiver/GpsRxIdDialog.h"

#include <QCoreApplication>
#include <QDebug>
#include <QSerialPort>
#include <QTimer>

bool MainWindow::AppendOncoreChecksum(QByteArray &message)
{
  return ::AppendOncoreChecksum(message);
}

bool MainWindow::AppendNmeaChecksum(QByteArray &sentence)
{
  return ::AppendNmeaChecksum(sentence);
}

bool MainWindow::AppendUbxChecksum(QByteArray &frame)
{
  return ::AppendUbxChecksum(frame);
}

void MainWindow::SendGpsRxCommand(QByteArray command)
{
  const CommandKind kind = CompleteCommand(command);
  emit sendGpsMessage(command);
  if (kind == CommandKind::Uu)
    QCoreApplication::processEvents();
  const QString echo = CommandEchoText(command);
  if (!echo.isEmpty())
    appendPlainText_to_RawDataDialog_and_Log(echo);
  commandTiming.Pause(CommandDelays::AfterSend);
}

bool MainWindow::WaitForResponse()
{
  if (state.closing)
    return false;
  const bool setupWas = state.setupInProgress;
  // Replies are decoded only while the set-up gate is open.
  state.setupInProgress = false;
  commandTiming.Wait(CommandDelays::WaitStep);
  state.setupInProgress = setupWas;
  return true;
}

bool MainWindow::AwaitReply(const CommandWaitPlan &plan)
{
  const qint64 deadline = commandTiming.NowMs() + plan.timeoutMs;
  while (commandTiming.NowMs() < deadline) {
    WaitForResponse();
    if (state.closing || plan.Answered(state.replyFlags))
      break;
  }
  return plan.Answered(state.replyFlags);
}

bool MainWindow::SendGpsCmdAndWait(QByteArray command)
{
  if (state.closing)
    return false;
  const CommandWaitPlan plan = PlanCommandWait(command);
  if (plan.row == CommandWaitRow::OtherUbx) {
    SendGpsRxCommand(command);
    return true;
  }
  if (!plan.sends)
    return false;

  ReceiverBusyScope busy(*this);
  ReceiverReplyFlags &flags = state.replyFlags;
  // Flags and names are set up before the command leaves, so that not even
  // a quick reply can be missed.
  plan.ClearFlags(flags);
  if (plan.byOncoreName)
    ExpectedOncoreReplyTag = plan.oncoreTag;
  if (plan.setsNmeaTag)
    ExpectedNmeaReplyTag = plan.nmeaTag;

  QByteArray completed = command;
  if (plan.completes)
    CompleteCommand(completed);
  emit sendGpsMessage(completed);
  if (plan.echoes)
    appendPlainText_to_RawDataDialog_and_Log(CommandEchoText(completed, TkEcho::AsHex));
  if (plan.pauseMs > 0)
    commandTiming.Pause(plan.pauseMs);
  if (plan.timeoutMs <= 0)
    return true;

  bool answered = AwaitReply(plan);
  if (!answered && plan.retryOnce && !state.closing) {
    plan.ClearFlags(flags);
    emit sendGpsMessage(completed);
    appendPlainText_to_RawDataDialog_and_Log(plan.retryEcho);
    answered = AwaitReply(plan);
  }

  if (answered && plan.channels > 0) {
    receiverIdentity.channels = plan.channels;
    receiverIdentity.nativeChannels = plan.channels;
  }
  if (plan.setsDgps)
    receiverIdentity.hasDgps = answered;
  if (plan.setsTraim)
    receiverIdentity.hasTraim = answered;
  const QString idLine = answered ? plan.answeredIdText : plan.timeoutIdText;
  if (!idLine.isEmpty() && gpsRxIdDialog)
    gpsRxIdDialog->AppendText(idLine);
  if (!answered && !plan.timeoutWarning.isEmpty())
    qWarning().noquote() << plan.timeoutWarning;

  plan.ClearFlags(flags);
  if (plan.byOncoreName)
    ExpectedOncoreReplyTag.clear();
  if (plan.setsNmeaTag)
    ExpectedNmeaReplyTag.clear();
  return answered;
}

void MainWindow::ClearDisplayCache()
{
  // The large clock's text stays: the next redraw writes it anyway.
  gpsDateText.clear();
  pcClockText.clear();
  siderealText.clear();
  for (QString &piece : positionPieces)
    piece.clear();
  if (gpsNavDialog)
    gpsNavDialog->SetDops(0.0, 0.0, 0.0, 0.0, 0.0);
}

MainWindow::ReceiverBusyScope::ReceiverBusyScope(MainWindow &owner) : window(owner)
{
  window.ChangeReceiverBusy(+1);
}

MainWindow::ReceiverBusyScope::~ReceiverBusyScope()
{
  window.ChangeReceiverBusy(-1);
}

void MainWindow::ChangeReceiverBusy(int delta)
{
  const bool wasBusy = receiverBusyDepth > 0;
  receiverBusyDepth = qMax(0, receiverBusyDepth + delta);
  const bool busy = receiverBusyDepth > 0;
  if (busy == wasBusy || !ui)
    return;
  if (busy) {
    actionsHeldWhileBusy.clear();
    for (QAction *action : {ui->actionSet_GPS_Receiver_Interface, ui->actionSet_GPS_Receiver_Parameters,
                            ui->actionSet_Timing_Parameters, ui->actionInitiate_GPS_Receiver_Self_Test,
                            ui->actionInitiate_GPS_Receiver_Self_Survey}) {
      actionsHeldWhileBusy.append({action, action->isEnabled()});
      action->setEnabled(false);
    }
  } else {
    for (const auto &held : actionsHeldWhileBusy)
      held.first->setEnabled(held.second);
    actionsHeldWhileBusy.clear();
  }
}

void MainWindow::HoldReceiverLine(bool hold)
{
  QSerialPort &line = gpsPort.SerialPort();
  if (hold) {
    if (lineHoldDepth++ == 0)
      lineHeld = disconnect(&line, &QSerialPort::readyRead, &gpsPort, &GpsSerialPortThread::handleReadyRead);
    return;
  }
  if (lineHoldDepth == 0 || --lineHoldDepth > 0)
    return;
  if (!lineHeld)
    return;
  lineHeld = false;
  connect(&line, &QSerialPort::readyRead, &gpsPort, &GpsSerialPortThread::handleReadyRead,
          Qt::UniqueConnection);
  // The port announces bytes only once; those that came during the pause
  // are read from the event loop, which may not be a pause's own.
  QTimer::singleShot(0, this, &MainWindow::ReadHeldReceiverBytes);
}

void MainWindow::ReadHeldReceiverBytes()
{
  // Within a later pause: its release asks again.
  if (lineHoldDepth > 0)
    return;
  QSerialPort &line = gpsPort.SerialPort();
  if (line.isOpen() && line.bytesAvailable() > 0)
    gpsPort.handleReadyRead();
}
