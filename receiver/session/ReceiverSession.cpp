// The session's own parts: the mode, the routing of framed messages and the
// command layer (the plain sender, the send-and-wait with its reply flags
// and time-outs, the busy gate and the line hold of the pauses). The rules
// themselves live in CommandSender.

#include "receiver/session/ReceiverSession.h"

#include "core/ReceiverIdentity.h"
#include "core/ReceiverState.h"
#include "receiver/session/CommandSender.h"

#include <QCoreApplication>
#include <QDebug>
#include <QSerialPort>
#include <QTimer>

ReceiverSession::ReceiverSession(ReceiverState &receiverState, DecoderHost &decoderHost,
                                 ReceiverSessionHost &sessionHost, QObject *parent)
    : QObject(parent),
      state(receiverState),
      host(sessionHost),
      oncore(receiverState, decoderHost),
      nmea(receiverState, decoderHost),
      ubx(receiverState, decoderHost)
{
  port.SetMode(CurrentGpsMode);
  connect(this, &ReceiverSession::sendGpsMessage, &port, &GpsSerialPortThread::OnSendGpsMessage);
  timing.SetLineHold([this](bool hold) { HoldReceiverLine(hold); });
}

ReceiverSession::~ReceiverSession() = default;

void ReceiverSession::SetMode(quint32 mode)
{
  CurrentGpsMode = mode;
  port.SetMode(mode);
}

RoutedMessage ReceiverSession::Route(const QByteArray &message, bool rawWindowShown)
{
  // The 1PPS marker passes every gate: it shows the seconds also while the
  // receiver is being set up.
  if (message == QByteArray(PpsMarker)) {
    RoutedMessage marker;
    marker.line = QString::fromUtf8(message);
    marker.toLog = true;
    return marker;
  }
  if (state.closing || state.setupInProgress)
    return {};
  return RouteReceiverMessage(CurrentGpsMode, message, {oncore, nmea, ubx}, state, rawWindowShown);
}

void ReceiverSession::Cancel()
{
  timing.Cancel();
}

void ReceiverSession::EndSearch()
{
  if (busyDepth == 0)
    return;
  searchEndAsked = true;
  if (searchDepth > 0)
    timing.Interrupt();
}

bool ReceiverSession::Stopping() const
{
  return state.closing || timing.IsInterrupted();
}

bool ReceiverSession::SearchEnded() const
{
  return Stopping() || searchEndAsked;
}

ReceiverSession::SearchScope::SearchScope(ReceiverSession &owner) : session(owner)
{
  ++session.searchDepth;
}

ReceiverSession::SearchScope::~SearchScope()
{
  --session.searchDepth;
}

void ReceiverSession::StartPort()
{
  port.startGpsSerialPort(false);
}

// ---------------------------------------------------------------------------
// Command layer

void ReceiverSession::SendGpsRxCommand(QByteArray command)
{
  if (Stopping())
    return;
  const CommandKind kind = CompleteCommand(command);
  emit sendGpsMessage(command);
  if (kind == CommandKind::Uu)
    QCoreApplication::processEvents();
  const QString echo = CommandEchoText(command);
  if (!echo.isEmpty())
    host.AppendRawDataLine(echo);
  timing.Pause(CommandDelays::AfterSend);
}

bool ReceiverSession::WaitForResponse()
{
  if (Stopping())
    return false;
  const bool setupWas = state.setupInProgress;
  // Replies are decoded only while the set-up gate is open.
  state.setupInProgress = false;
  timing.Wait(CommandDelays::WaitStep);
  state.setupInProgress = setupWas;
  return true;
}

bool ReceiverSession::AwaitReply(const CommandWaitPlan &plan)
{
  const qint64 deadline = timing.NowMs() + plan.timeoutMs;
  while (timing.NowMs() < deadline) {
    WaitForResponse();
    if (Stopping() || plan.Answered(state.replyFlags))
      break;
  }
  return plan.Answered(state.replyFlags);
}

bool ReceiverSession::SendGpsCmdAndWait(QByteArray command)
{
  if (Stopping())
    return false;
  const CommandWaitPlan plan = PlanCommandWait(command);
  if (plan.row == CommandWaitRow::OtherUbx) {
    SendGpsRxCommand(command);
    return true;
  }
  if (!plan.sends)
    return false;

  BusyScope busy(*this);
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
    host.AppendRawDataLine(CommandEchoText(completed, TkEcho::AsHex));
  if (plan.pauseMs > 0)
    timing.Pause(plan.pauseMs);
  if (plan.timeoutMs <= 0)
    return true;

  bool answered = AwaitReply(plan);
  if (!answered && plan.retryOnce && !Stopping()) {
    plan.ClearFlags(flags);
    emit sendGpsMessage(completed);
    host.AppendRawDataLine(plan.retryEcho);
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
  if (!idLine.isEmpty())
    host.AppendReceiverIdText(idLine);
  if (!answered && !plan.timeoutWarning.isEmpty())
    qWarning().noquote() << plan.timeoutWarning;

  plan.ClearFlags(flags);
  if (plan.byOncoreName)
    ExpectedOncoreReplyTag.clear();
  if (plan.setsNmeaTag)
    ExpectedNmeaReplyTag.clear();
  return answered;
}

ReceiverSession::BusyScope::BusyScope(ReceiverSession &owner) : session(owner)
{
  session.ChangeBusy(+1);
}

ReceiverSession::BusyScope::~BusyScope()
{
  session.ChangeBusy(-1);
}

void ReceiverSession::ChangeBusy(int delta)
{
  const bool wasBusy = busyDepth > 0;
  busyDepth = qMax(0, busyDepth + delta);
  const bool busy = busyDepth > 0;
  if (!busy) {
    // The run has unwound: what comes next starts afresh.
    timing.Resume();
    searchEndAsked = false;
  }
  if (busy != wasBusy)
    host.ReceiverBusyChanged(busy);
}

void ReceiverSession::HoldReceiverLine(bool hold)
{
  QSerialPort &line = port.SerialPort();
  if (hold) {
    if (lineHoldDepth++ == 0)
      lineHeld = disconnect(&line, &QSerialPort::readyRead, &port, &GpsSerialPortThread::handleReadyRead);
    return;
  }
  if (lineHoldDepth == 0 || --lineHoldDepth > 0)
    return;
  if (!lineHeld)
    return;
  lineHeld = false;
  connect(&line, &QSerialPort::readyRead, &port, &GpsSerialPortThread::handleReadyRead, Qt::UniqueConnection);
  // The port announces bytes only once; those that came during the pause
  // are read from the event loop, which may not be a pause's own.
  QTimer::singleShot(0, this, &ReceiverSession::ReadHeldReceiverBytes);
}

void ReceiverSession::ReadHeldReceiverBytes()
{
  // Within a later pause: its release asks again.
  if (lineHoldDepth > 0)
    return;
  QSerialPort &line = port.SerialPort();
  if (line.isOpen() && line.bytesAvailable() > 0)
    port.handleReadyRead();
}
