#include "tic/TicSerialPortThread.h"

#include "platform/SerialPortErrors.h"
#include "tic/TicPortSettings.h"
#include "tic/TicTcpIpAddress.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QSettings>
#include <QTcpSocket>
#include <QtDebug>

namespace {

constexpr int ResponseWaitMs = 1000;
constexpr int GreetingLineLimit = 256;
// One read from the socket; the waiting readings are handled for at most
// PassBudgetMs at a time, the rest in the next pass.
constexpr qint64 TcpReadStepBytes = 4096;
constexpr qint64 PassBudgetMs = 4;
// The socket's own share of TcpReadBufferBytes is small: a backlog beyond
// what the program keeps stays in the system, where TCP holds the counter
// back, and not in Qt's buffer. The rest is the waiting readings' share.
constexpr qint64 TcpSocketBufferBytes = 16 * 1024;
constexpr qint64 WaitingReadingsLimitBytes = TicSerialPortThread::TcpReadBufferBytes - TcpSocketBufferBytes;
// A socket left unread while the queue was full is read again once the
// queue is down to this, not after every reading handled.
constexpr qint64 ResumeReadingBytes = WaitingReadingsLimitBytes / 2;
constexpr qint64 MaxUnsentCommandBytes = 4096;
constexpr qint64 DropReportIntervalMs = 1000;

QSerialPort::FlowControl FlowControlOf(int handshake)
{
  switch (handshake) {
  case 1: return QSerialPort::SoftwareControl;
  case 2: return QSerialPort::HardwareControl;
  default: return QSerialPort::NoFlowControl;  // DTR/DSR is not offered by the port
  }
}

QSerialPort::Parity ParityOf(int parity)
{
  switch (parity) {
  case 1: return QSerialPort::OddParity;
  case 2: return QSerialPort::EvenParity;
  case 3: return QSerialPort::MarkParity;
  case 4: return QSerialPort::SpaceParity;
  default: return QSerialPort::NoParity;
  }
}

}  // namespace

QString TicSocketErrorText(QAbstractSocket::SocketError error)
{
  switch (error) {
  case QAbstractSocket::UnknownSocketError: return QStringLiteral("SOCKET ERROR: Unknown Socket");
  case QAbstractSocket::ConnectionRefusedError: return QStringLiteral("SOCKET ERROR: Connection refused");
  case QAbstractSocket::RemoteHostClosedError: return QStringLiteral("SOCKET ERROR: Remote host closed");
  case QAbstractSocket::HostNotFoundError: return QStringLiteral("SOCKET ERROR: Host not found");
  case QAbstractSocket::SocketAccessError: return QStringLiteral("SOCKET ERROR: Socket Access");
  case QAbstractSocket::SocketResourceError: return QStringLiteral("SOCKET ERROR: Socket Resource");
  case QAbstractSocket::SocketTimeoutError: return QStringLiteral("SOCKET ERROR: Socket Timeout");
  case QAbstractSocket::DatagramTooLargeError: return QStringLiteral("SOCKET ERROR: Datagram Too Large");
  case QAbstractSocket::NetworkError: return QStringLiteral("SOCKET ERROR: Network");
  case QAbstractSocket::AddressInUseError: return QStringLiteral("SOCKET ERROR: Address is already in use");
  case QAbstractSocket::SocketAddressNotAvailableError:
    return QStringLiteral("SOCKET ERROR: Socket Address Not Available");
  case QAbstractSocket::UnsupportedSocketOperationError:
    return QStringLiteral("SOCKET ERROR: Unsupported Socket Operation");
  case QAbstractSocket::UnfinishedSocketOperationError:
    return QStringLiteral("SOCKET ERROR: Unfinished Socket Operation");
  case QAbstractSocket::ProxyAuthenticationRequiredError:
    return QStringLiteral("SOCKET ERROR: Proxy Authentication Required");
  case QAbstractSocket::SslHandshakeFailedError: return QStringLiteral("SOCKET ERROR: Ssl Handshake Failed");
  case QAbstractSocket::ProxyConnectionRefusedError: return QStringLiteral("SOCKET ERROR: Proxy Connection Refused");
  case QAbstractSocket::ProxyConnectionClosedError: return QStringLiteral("SOCKET ERROR: Proxy Connection Closed");
  case QAbstractSocket::ProxyConnectionTimeoutError: return QStringLiteral("SOCKET ERROR: Proxy Connection Timeout");
  case QAbstractSocket::ProxyNotFoundError: return QStringLiteral("SOCKET ERROR: Proxy Not Found");
  case QAbstractSocket::ProxyProtocolError: return QStringLiteral("SOCKET ERROR: Proxy Protocol");
  case QAbstractSocket::OperationError: return QStringLiteral("SOCKET ERROR: Operation");
  case QAbstractSocket::SslInternalError: return QStringLiteral("SOCKET ERROR: Ssl Internal");
  case QAbstractSocket::SslInvalidUserDataError: return QStringLiteral("SOCKET ERROR: Ssl Invalid User Data");
  default: return QStringLiteral("SOCKET ERROR: unknown error type");
  }
}

TicSerialPortThread::TicSerialPortThread(QObject *parent) : QThread(parent)
{
  nextPass.setSingleShot(true);
  nextPass.setInterval(0);
  connect(&nextPass, &QTimer::timeout, this, &TicSerialPortThread::HandleWaitingReadings);
  resumeReading.setSingleShot(true);
  resumeReading.setInterval(0);
  connect(&resumeReading, &QTimer::timeout, this, &TicSerialPortThread::TcpIpReadyRead);
  dropReport.setSingleShot(true);
  dropReport.setTimerType(Qt::PreciseTimer);  // a coarse one may come early: twice in a second
  connect(&dropReport, &QTimer::timeout, this, &TicSerialPortThread::TellDroppedReadings);
  connect(&serialPort, &QSerialPort::readyRead, this, &TicSerialPortThread::serialPortReadyRead);
  connect(&serialPort, &QSerialPort::errorOccurred, this, &TicSerialPortThread::handleError);
}

TicSerialPortThread::~TicSerialPortThread()
{
  stopTicSerialPort();
  // The window's close event (File > Exit passes it too) only stops the
  // port, which leaves a TCP connection open: it ends here, with the port.
  CloseTicPort();
}

QAbstractSocket::SocketState TicSerialPortThread::TcpIpState() const
{
  return tcpSocket ? tcpSocket->state() : QAbstractSocket::UnconnectedState;
}

qint64 TicSerialPortThread::TcpIpBytesWaiting() const
{
  return (tcpSocket ? tcpSocket->bytesAvailable() : 0) + waitingReadingBytes;
}

void TicSerialPortThread::startTicSerialPort(int port)
{
  if (portNumber < 0) {
    portNumber = port;
    lineAssembler.SetPort(port);
  } else if (port != portNumber) {
    return;
  }
  if (!isRunning())
    start(QThread::InheritPriority);
  emit portStarted(portNumber);
  OpenTicPort();
}

void TicSerialPortThread::stopTicSerialPort()
{
  if (serialPort.isOpen()) {
    serialPort.clear(QSerialPort::AllDirections);
    serialPort.close();
  }
  quit();
  wait(2000);
}

void TicSerialPortThread::CloseTicPort()
{
  if (tcpSocket) {
    QTcpSocket *socket = tcpSocket;
    tcpSocket = nullptr;
    disconnect(socket, nullptr, this, nullptr);
    socket->abort();
    socket->deleteLater();
  }
  if (serialPort.isOpen())
    serialPort.close();
  lineAssembler.Clear();
  // What the closed connection sent and was not yet handled goes with it.
  nextPass.stop();
  resumeReading.stop();
  readingHeldBack = false;
  waitingReadings.clear();
  waitingReadingBytes = 0;
}

void TicSerialPortThread::OpenTicPort()
{
  CloseTicPort();
  const TicPortSettings settings = TicPortSettings::Load(portNumber);
  portName = settings.portName;
  if (portName == QLatin1String(OffPortName))
    return;

  if (portName == QLatin1String(TcpIpPortName)) {
    const TicTcpIpAddress address = ParseTcpIpAddress(settings.tcpIpAddress);
    if (!address.valid) {
      portName = QLatin1String(OffPortName);
      QSettings().setValue(TicPortKey(portNumber, ""), portName);
      return;
    }
    tcpSocket = new QTcpSocket(this);
    // An unknown or silent counter is never read after its greeting: what it
    // sends waits in the system's buffer, not in ours.
    tcpSocket->setReadBufferSize(TcpSocketBufferBytes);
    connect(tcpSocket, &QTcpSocket::connected, this, &TicSerialPortThread::TcpIpConnected);
    connect(tcpSocket, &QTcpSocket::errorOccurred, this, &TicSerialPortThread::TcpIpConnectionError_Handler);
    connect(tcpSocket, &QTcpSocket::stateChanged, this, &TicSerialPortThread::TcpIpStateChanged);
    // The octets as read, not the text: a trailing ":" or hexadecimal
    // numbers reach the address the dialog's check accepted.
    tcpSocket->connectToHost(address.Host(), address.TcpPort(), QIODevice::ReadWrite, QAbstractSocket::AnyIPProtocol);
    return;
  }

  serialPort.setPortName(portName);
  serialPort.setBaudRate(settings.dataRate, QSerialPort::AllDirections);
  serialPort.setFlowControl(FlowControlOf(settings.handshake));
  serialPort.setStopBits(settings.stopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop);
  serialPort.setParity(ParityOf(settings.parity));
  serialPort.setDataBits(settings.dataBits == 7 ? QSerialPort::Data7 : QSerialPort::Data8);
  serialPort.open(QIODevice::ReadWrite);  // a failure arrives through handleError
}

void TicSerialPortThread::OnSendTicMessage(QByteArray message)
{
  sendBuffer = message;
  if (sendBuffer.isEmpty() || sendBuffer.at(0) != '\x10')
    sendBuffer.append("\r\r\n");
  serialPort.write(sendBuffer);
}

void TicSerialPortThread::serialPortReadyRead()
{
  while (!serialPort.atEnd()) {
    receiveBuffer = serialPort.readAll();
    if (receiveBuffer.isEmpty())
      break;
    QByteArray block = receiveBuffer;
    ProcessTicText(block);
  }
}

void TicSerialPortThread::ProcessTicText(QByteArray &block)
{
  const QList<QByteArray> lines = lineAssembler.Feed(block);
  block.clear();
  for (const QByteArray &line : lines)
    emit newTicText(line);
}

void TicSerialPortThread::handleError(QSerialPort::SerialPortError error)
{
  if (error == QSerialPort::NoError || closingAfterError)
    return;
  QString reason;
  if (error == QSerialPort::ReadError || error == QSerialPort::ResourceError) {
    const std::optional<QString> lossReason = SerialDeviceLossReason(serialPort);
    if (!lossReason)
      return;
    reason = *lossReason;
  } else {
    reason = SerialPortFailureReason(serialPort, error);
  }
  // A counter has no other way back than a restart: close at once, so that
  // a failing line gives one box, not one per failed read.
  if (serialPort.isOpen()) {
    closingAfterError = true;
    serialPort.close();
    closingAfterError = false;
  }
  emit showErrorMessageBox(tr("Can't open TIC Port %1\r\n\r\n\"%2\"").arg(portName, GpsPortErrorText(error)));
  emit portLost(portNumber, reason);
}

void TicSerialPortThread::TcpIpConnected()
{
  qDebug("connected...");
  InitializeTcpIpTIC();
}

bool TicSerialPortThread::InitializeTcpIpTIC()
{
  const QPointer<QTcpSocket> socket = tcpSocket;
  if (!socket)
    return false;
  qDebug("Port %i, TicSerialPortThread::InitializeTcpIpTIC() Find the counter type.\r\n", portNumber);
  // A greeting already received is taken without waiting; one that comes in
  // pieces is waited for until its line is whole or the second is over.
  const QDeadlineTimer deadline(ResponseWaitMs);
  while (socket && !socket->canReadLine() && !deadline.hasExpired()) {
    if (!socket->waitForReadyRead(int(deadline.remainingTime())))
      break;
  }
  if (!socket || socket != tcpSocket)
    return false;
  if (socket->bytesAvailable() <= 0) {
    qDebug("Port %i, TicSerialPortThread::InitializeTcpIpTIC() No response.\r\n", portNumber);
    return false;
  }
  const QByteArray greeting = socket->readLine(GreetingLineLimit);
  const TicCounterModel model = IdentifyTicCounter(greeting);
  if (model == TicCounterModel::Counter5322xA)
    qDebug("Port %i, TicSerialPortThread::InitializeTcpIpTIC() Found 53220A or 53230A TIC.\r\n", portNumber);
  else if (model == TicCounterModel::Bnc1105)
    qDebug("Port %i, TicSerialPortThread::InitializeTcpIpTIC() Found BNC1105 TIC.\r\n", portNumber);
  else
    return false;  // an unknown counter is never polled
  scpiPoll.Start(model);
  connect(socket, &QTcpSocket::readyRead, this, &TicSerialPortThread::TcpIpReadyRead);
  socket->write("\r\n");  // the counter answers with its prompt
  return true;
}

void TicSerialPortThread::TcpIpReadyRead()
{
  // Everything buffered is read each time, as far as the queue has room:
  // bytes that came while the slot ran raise no second readyRead. The
  // readings wait for their pass; the prompts read are answered at once.
  // A full queue leaves the rest unread until it drains: the counter is
  // then held back by TCP, its readings kept.
  const QPointer<QTcpSocket> socket = tcpSocket;
  const auto current = [&] { return socket && socket == tcpSocket; };
  qint64 dropped = 0;
  while (current() && socket->bytesAvailable() > 0) {
    if (!QueueHasRoomForARead()) {
      readingHeldBack = true;
      break;
    }
    const QList<QByteArray> readings = scpiPoll.Take(socket->read(TcpReadStepBytes));
    for (const QByteArray &reading : readings)
      dropped += QueueReading(reading);
  }
  if (dropped > 0)
    ReportDroppedReadings(dropped);
  // A counter that reads none of our commands is not sent more.
  if (current() && scpiPoll.PromptDue() && socket->bytesToWrite() <= MaxUnsentCommandBytes) {
    socket->write(scpiPoll.NextCommand());
    socket->flush();  // leaves now, without waiting for it
  }
  HandleWaitingReadings();
}

qint64 TicSerialPortThread::QueueReading(const QByteArray &reading)
{
  waitingReadings.append(reading);
  waitingReadingBytes += reading.size() + 1;  // with the carriage return it gets back
  qint64 dropped = 0;
  while (waitingReadingBytes > WaitingReadingsLimitBytes) {
    waitingReadingBytes -= waitingReadings.takeFirst().size() + 1;
    ++dropped;
  }
  return dropped;
}

bool TicSerialPortThread::QueueHasRoomForARead() const
{
  // A read may also complete a reading begun in the one before.
  return waitingReadingBytes + TcpReadStepBytes + TicScpiPoll::MaxPendingBytes <= WaitingReadingsLimitBytes;
}

void TicSerialPortThread::HandleWaitingReadings()
{
  // A handler that runs a local event loop reads on meanwhile; the readings
  // it queues are taken by this pass, in their order.
  if (handlingReadings)
    return;
  handlingReadings = true;
  QElapsedTimer pass;
  pass.start();
  int handled = 0;
  // A handler that restarts the port empties the queue: the pass ends.
  while (!waitingReadings.isEmpty()) {
    if (handled > 0 && pass.elapsed() >= PassBudgetMs) {
      // The rest waits for the next pass, after the events that came.
      nextPass.start();
      break;
    }
    QByteArray line = waitingReadings.takeFirst();
    waitingReadingBytes -= line.size() + 1;
    line += '\r';
    ++handled;
    ProcessTicText(line);
  }
  handlingReadings = false;
  // Read on in a later turn of the event loop: called from the read slot,
  // reading here would hold the loop for as long as the counter sends.
  if (readingHeldBack && waitingReadingBytes <= ResumeReadingBytes) {
    readingHeldBack = false;
    resumeReading.start();
  }
}

void TicSerialPortThread::ReportDroppedReadings(qint64 count)
{
  droppedReadings += count;
  if (dropReportClock.isValid() && dropReportClock.elapsed() < DropReportIntervalMs) {
    if (!dropReport.isActive())
      dropReport.start(int(DropReportIntervalMs - dropReportClock.elapsed()));
    return;
  }
  TellDroppedReadings();
}

void TicSerialPortThread::TellDroppedReadings()
{
  if (droppedReadings == 0)
    return;
  const QString text = tr("TIC port %1: %2 readings dropped: the counter sends faster than they are handled.")
                           .arg(portNumber)
                           .arg(droppedReadings);
  qDebug().noquote() << text;
  droppedReadings = 0;
  dropReportClock.start();
  emit readingsDropped(text);
}

void TicSerialPortThread::TcpIpConnectionError_Handler(QAbstractSocket::SocketError error)
{
  qDebug("%s", qPrintable(TicSocketErrorText(error)));
}

void TicSerialPortThread::TcpIpStateChanged(QAbstractSocket::SocketState state)
{
  // A closed or refused connection; the port's own closing is not heard.
  if (state == QAbstractSocket::UnconnectedState && tcpSocket && sender() == tcpSocket)
    emit portLost(portNumber, tcpSocket->errorString());
}
