#include "receiver/link/GpsSerialPortThread.h"

#include "core/GpsMode.h"
#include "platform/ModemLineReader.h"
#include "platform/SerialPortErrors.h"
#include "receiver/link/GpsPortSettings.h"

#include <QDebug>


#include <sys/ioctl.h>

quint32 PpsLineMask(int choice)
{
  switch (choice) {
  case 1: return QSerialPort::DataCarrierDetectSignal;
  case 2: return QSerialPort::ClearToSendSignal;
  case 3: return QSerialPort::DataSetReadySignal;
  default: return 0;
  }
}

GpsSerialPortThread::GpsSerialPortThread(QObject *parent)
    : QThread(parent), m_ownLineReader(std::make_unique<SerialModemLineReader>(&m_serialPort))
{
  m_lineReader = m_ownLineReader.get();
  connect(&m_serialPort, &QSerialPort::readyRead, this, &GpsSerialPortThread::handleReadyRead);
  connect(&m_serialPort, &QSerialPort::errorOccurred, this, &GpsSerialPortThread::handleError);
  m_pollTimer.setTimerType(Qt::PreciseTimer);
  m_pollTimer.setSingleShot(false);
  connect(&m_pollTimer, &QTimer::timeout, this, &GpsSerialPortThread::handleTimedPolls);
}

GpsSerialPortThread::~GpsSerialPortThread()
{
  stopGpsSerialPort();
}

void GpsSerialPortThread::SetPpsSignal(int choice)
{
  m_ppsChoice = choice;
  m_ppsLineMask = PpsLineMask(choice);
  if (isRunning())
    UpdatePpsPoll();
}

void GpsSerialPortThread::UpdatePpsPoll()
{
  // Without a 1PPS line there is nothing to sample: no wake-ups at all.
  if (m_ppsLineMask == 0) {
    m_pollTimer.stop();
    m_ppsSampleDue = false;
  } else if (!m_pollTimer.isActive()) {
    m_pollTimer.start(PpsSampleIntervalMs);
  }
}

void GpsSerialPortThread::SetModemLineReader(ModemLineReader *reader)
{
  m_lineReader = reader ? reader : m_ownLineReader.get();
  m_lineReadErrorReported = false;
}

void GpsSerialPortThread::startGpsSerialPort(bool /*start*/)
{
  if (!isRunning())
    start(QThread::InheritPriority);
  UpdatePpsPoll();
  OpenGpsPort();
}

void GpsSerialPortThread::stopGpsSerialPort()
{
  m_pollTimer.stop();
  m_ppsSampleDue = false;
  if (m_serialPort.isOpen()) {
    m_serialPort.clear();
    // A line that hung up meanwhile was closed as lost while it was cleared.
    if (m_serialPort.isOpen())
      m_serialPort.close();
  }
  quit();
  wait(2000);
}

void GpsSerialPortThread::OpenGpsPort()
{
  GpsPortSettings settings;
  settings.Load();

  if (m_serialPort.isOpen())
    m_serialPort.close();

  m_portName = settings.portName;
  m_serialPort.setPortName(settings.portName);
  m_serialPort.setBaudRate(settings.dataRate, QSerialPort::AllDirections);
  switch (settings.handshake) {
  case 1: m_serialPort.setFlowControl(QSerialPort::SoftwareControl); break;
  case 2: m_serialPort.setFlowControl(QSerialPort::HardwareControl); break;
  default: m_serialPort.setFlowControl(QSerialPort::NoFlowControl); break;
  }
  m_serialPort.setStopBits(settings.stopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop);
  switch (settings.parity) {
  case 1: m_serialPort.setParity(QSerialPort::OddParity); break;
  case 2: m_serialPort.setParity(QSerialPort::EvenParity); break;
  case 3: m_serialPort.setParity(QSerialPort::MarkParity); break;
  case 4: m_serialPort.setParity(QSerialPort::SpaceParity); break;
  default: m_serialPort.setParity(QSerialPort::NoParity); break;
  }
  m_serialPort.setDataBits(settings.dataBits == 7 ? QSerialPort::Data7 : QSerialPort::Data8);

  // Half a message from before the reopen, or at another data rate, is
  // garbage.
  ResetFramers();
  m_lineReadErrorReported = false;

  // "OFF" and "TCP/IP" fail as a missing device would, without a try that
  // takes the system's lock file for that name.
  if (NamesSerialDevice(settings.portName))
    m_serialPort.open(QIODevice::ReadWrite);
  else
    handleError(QSerialPort::DeviceNotFoundError);
  if (!m_serialPort.isOpen())
    qDebug() << "WARNING: Failed to open GPS serial port.";
  else
    emit portOpened(m_portName);
}

void GpsSerialPortThread::ResetFramers()
{
  if (m_framing) {
    m_resetAfterFraming = true;
    return;
  }
  ResetFramersNow();
}

void GpsSerialPortThread::ResetFramersNow()
{
  m_oncoreFramer.Reset();
  m_ubxNmeaFramer.Reset();
  m_loranFramer.Reset();
}

void GpsSerialPortThread::OnSendGpsMessage(QByteArray message)
{
  m_outgoingMessage = message;
  if (m_outgoingMessage.isEmpty() || static_cast<unsigned char>(m_outgoingMessage.at(0)) != 0x10)
    m_outgoingMessage.append("\r\n");
  if (!m_serialPort.isOpen())
    return;
  m_serialPort.write(m_outgoingMessage);
  m_serialPort.waitForBytesWritten(250);
}

void GpsSerialPortThread::handleReadyRead()
{
  // A handler of a message may pump events (a command's write waits for the
  // line); bytes that arrive meanwhile are framed after the current run.
  if (m_framing)
    return;
  m_framing = true;
  do {
    // A handler reopened the port: what is half collected came before it.
    if (m_resetAfterFraming) {
      m_resetAfterFraming = false;
      ResetFramersNow();
    }
    WatchBacklog();
    m_receivedChunk = m_serialPort.readAll();
    if (m_mode != m_lastSeenMode) {
      m_lastSeenMode = m_mode;
      ResetFramersNow();
    }
    if (m_receivedChunk.isEmpty())
      break;
    FrameChunk();
    // The 1PPS line keeps its 10 ms rhythm however closely chunks follow
    // each other: a sample that came due while this one was framed runs
    // now, between messages.
    if (PpsSampleDue())
      SamplePpsLine();
  } while (m_serialPort.isOpen() && m_serialPort.bytesAvailable() > 0);
  WatchBacklog();
  m_framing = false;
  if (m_resetAfterFraming) {
    m_resetAfterFraming = false;
    ResetFramersNow();
  }
}

qint64 GpsSerialPortThread::UnreadBytes()
{
  if (!m_serialPort.isOpen())
    return 0;
  int waiting = 0;
  if (::ioctl(int(m_serialPort.handle()), FIONREAD, &waiting) != 0)
    waiting = 0;
  return m_serialPort.bytesAvailable() + waiting;
}

void GpsSerialPortThread::WatchBacklog()
{
  // Ten bits a byte on the line.
  const qint64 bytesPerSecond = qMax(1, m_serialPort.baudRate()) / 10;
  const qint64 unread = UnreadBytes();
  if (unread <= BacklogLimitSeconds * bytesPerSecond) {
    // Drained to under a second's worth: a new pile-up is news again.
    if (unread < bytesPerSecond)
      m_backlogReported = false;
    return;
  }
  if (m_backlogReported)
    return;
  m_backlogReported = true;
  const QString text =
      tr("WARNING: %1 bytes from the GPS receiver on %2 wait unread, more than %3 s of data at %4 bit/s: "
         "the program is falling behind the receiver.")
          .arg(unread)
          .arg(m_portName)
          .arg(BacklogLimitSeconds)
          .arg(m_serialPort.baudRate());
  qDebug().noquote() << text;
  emit backlogWarning(text);
}

void GpsSerialPortThread::FrameChunk()
{
  switch (m_mode) {
  case GpsModeMotorolaBinary:
  case GpsModeMotorolaBinaryRxOnly:
    m_oncoreFramer.Process(m_receivedChunk, *this);
    break;
  case GpsModeMotorolaNmea:
  case GpsModeGenericNmea:
    m_ubxNmeaFramer.Process(m_receivedChunk, true, *this);
    break;
  case GpsModeUbloxUbx:
  case GpsModeUbloxNmea:
    m_ubxNmeaFramer.Process(m_receivedChunk, false, *this);
    break;
  case GpsModeMotorolaLoran:
    m_loranFramer.Process(m_receivedChunk, *this);
    break;
  default:
    // Search and the unnamed codes frame nothing.
    break;
  }
  m_receivedChunk.clear();
}

void GpsSerialPortThread::OnFramedMessage(const QByteArray &message)
{
  emit newGpsText(message);
}

void GpsSerialPortThread::OnMessageBoundary()
{
  if (m_ppsMarkPending) {
    m_ppsMarkPending = false;
    emit newGpsText(QByteArray(PpsMarker));
  }
}

void GpsSerialPortThread::handleError(QSerialPort::SerialPortError error)
{
  if (error == QSerialPort::NoError)
    return;
  const QString boxText = tr("Can't open GPS Port %1\r\n\r\n\"%2\"").arg(m_portName, GpsPortErrorText(error));
  if (error == QSerialPort::ReadError || error == QSerialPort::ResourceError) {
    const std::optional<QString> lossReason = SerialDeviceLossReason(m_serialPort);
    if (!lossReason)
      return;
    // Closed, so that nothing spins on a device that reads nothing for
    // ever; the next start reopens it.
    qDebug().noquote() << "WARNING: GPS serial port" << m_portName << "closed:" << *lossReason;
    emit showErrorMessageBox(boxText);
    m_serialPort.close();
    emit portLost(m_portName, *lossReason);
    return;
  }
  qDebug().noquote() << "WARNING: GPS serial port:" << GpsPortErrorText(error) << m_portName;
  emit showErrorMessageBox(boxText);
}

bool GpsSerialPortThread::PpsSampleDue() const
{
  return m_pollTimer.isActive() &&
         (m_ppsSampleDue || !m_lastPpsSample.isValid() || m_lastPpsSample.elapsed() >= PpsSampleIntervalMs);
}

void GpsSerialPortThread::handleTimedPolls()
{
  // A message handler that waits (a command's pause) lets the timer fire in
  // the middle of a framer run: the sample waits for the end of the chunk,
  // so that its marker falls between messages.
  if (m_framing) {
    m_ppsSampleDue = true;
    return;
  }
  SamplePpsLine();
}

void GpsSerialPortThread::SamplePpsLine()
{
  m_ppsSampleDue = false;
  m_lastPpsSample.start();
  if (!m_serialPort.isOpen() || m_ppsLineMask == 0)
    return;
  const ModemLineStatus status = m_lineReader->ReadLines();
  if (!status.ok) {
    // A pseudo-terminal has no modem lines: say so once, not every 10 ms.
    if (!m_lineReadErrorReported) {
      m_lineReadErrorReported = true;
      qDebug().noquote() << "WARNING: 1PPS line not readable:" << status.error;
    }
    return;
  }
  m_currentPpsLevel = (quint32(status.lines) & m_ppsLineMask) != 0;
  if (m_currentPpsLevel == m_previousPpsLevel)
    return;
  if (m_currentPpsLevel) {
    if (m_ppsMarkPending)
      emit newGpsText(QByteArray(PpsMarker));
    m_ppsMarkPending = true;
    m_previousPpsLevel = true;
    emit PpsTick();
  } else {
    m_previousPpsLevel = false;
  }
}
