#include "receiver/GpsSerialPortThread.h"

#include "app/core/GpsMode.h"
#include "platform/ModemLineReader.h"
#include "platform/SerialPortErrors.h"
#include "receiver/GpsPortSettings.h"

#include <QDebug>

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
}

void GpsSerialPortThread::SetModemLineReader(ModemLineReader *reader)
{
  m_lineReader = reader ? reader : m_ownLineReader.get();
  m_lineReadErrorReported = false;
}

void GpsSerialPortThread::startGpsSerialPort(bool /*start*/)
{
  if (!isRunning()) {
    start(QThread::InheritPriority);
    m_polling = true;
    m_pollTimer.setSingleShot(false);
    m_pollTimer.start(10);
  }
  OpenGpsPort();
}

void GpsSerialPortThread::stopGpsSerialPort()
{
  m_polling = false;
  m_pollTimer.stop();
  if (m_serialPort.isOpen()) {
    m_serialPort.clear();
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
    m_receivedChunk = m_serialPort.readAll();
    if (CurrentGpsMode != m_lastSeenMode) {
      m_lastSeenMode = CurrentGpsMode;
      ResetFramersNow();
    }
    if (m_receivedChunk.isEmpty())
      break;
    switch (CurrentGpsMode) {
    case GpsModeMotorolaBinary:
    case GpsModeMotorolaBinaryRxOnly:
      ProcessMotorolaBinary();
      break;
    case GpsModeMotorolaNmea:
    case GpsModeGenericNmea:
      ProcessUbxNmea(true);
      break;
    case GpsModeUbloxUbx:
    case GpsModeUbloxNmea:
      ProcessUbxNmea(false);
      break;
    case GpsModeMotorolaLoran:
      ProcessLoranLines();
      break;
    default:
      // Search and the unnamed codes frame nothing.
      m_receivedChunk.clear();
      break;
    }
  } while (m_serialPort.isOpen() && m_serialPort.bytesAvailable() > 0);
  m_framing = false;
  if (m_resetAfterFraming) {
    m_resetAfterFraming = false;
    ResetFramersNow();
  }
}

void GpsSerialPortThread::ProcessMotorolaBinary()
{
  m_pollTimer.stop();
  m_oncoreFramer.Process(m_receivedChunk, *this);
  m_receivedChunk.clear();
  if (m_polling)
    m_pollTimer.start(10);
}

void GpsSerialPortThread::ProcessUbxNmea(bool nmeaOnly)
{
  m_pollTimer.stop();
  m_ubxNmeaFramer.Process(m_receivedChunk, nmeaOnly, *this);
  m_receivedChunk.clear();
  if (m_polling)
    m_pollTimer.start(10);
}

void GpsSerialPortThread::ProcessLoranLines()
{
  m_pollTimer.stop();
  m_loranFramer.Process(m_receivedChunk, *this);
  m_receivedChunk.clear();
  if (m_polling)
    m_pollTimer.start(10);
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
  const QString text =
      tr("Can't open GPS Port %1\r\n\r\n\"%2\"").arg(m_portName, GpsPortErrorText(error));
  qDebug().noquote() << "WARNING: GPS serial port:" << GpsPortErrorText(error) << m_portName;
  emit showErrorMessageBox(text);
  // A vanished or hung-up device keeps failing every read (a pseudo-terminal
  // whose other side closed reads EIO for ever): close it so that nothing
  // spins on it; the next start reopens it.
  if ((error == QSerialPort::ResourceError || error == QSerialPort::ReadError) &&
      m_serialPort.isOpen())
    m_serialPort.close();
}

void GpsSerialPortThread::handleTimedPolls()
{
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
