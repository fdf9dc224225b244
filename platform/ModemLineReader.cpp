#include "platform/ModemLineReader.h"

#include <QCoreApplication>

#include <cerrno>
#include <cstring>
#include <sys/ioctl.h>
#include <termios.h>

namespace {

// The TIOCM bits of the kernel as QSerialPort names them.
QSerialPort::PinoutSignals FromTiocm(int bits)
{
  QSerialPort::PinoutSignals lines = QSerialPort::NoSignal;
  if (bits & TIOCM_DTR)
    lines |= QSerialPort::DataTerminalReadySignal;
  if (bits & TIOCM_RTS)
    lines |= QSerialPort::RequestToSendSignal;
  if (bits & TIOCM_ST)
    lines |= QSerialPort::SecondaryTransmittedDataSignal;
  if (bits & TIOCM_SR)
    lines |= QSerialPort::SecondaryReceivedDataSignal;
  if (bits & TIOCM_CTS)
    lines |= QSerialPort::ClearToSendSignal;
  if (bits & TIOCM_CAR)
    lines |= QSerialPort::DataCarrierDetectSignal;
  if (bits & TIOCM_RNG)
    lines |= QSerialPort::RingIndicatorSignal;
  if (bits & (TIOCM_DSR | TIOCM_LE))
    lines |= QSerialPort::DataSetReadySignal;
  return lines;
}

}  // namespace

ModemLineStatus SerialModemLineReader::ReadLines()
{
  ModemLineStatus status;
  if (!port_ || !port_->isOpen()) {
    status.error = QCoreApplication::translate("ModemLineReader",
                                               "The receiver port is not open.");
    return status;
  }
  // Asked of the descriptor directly: QSerialPort::pinoutSignals() would
  // raise the port's errorOccurred on every poll of a device without lines.
  int bits = 0;
  if (::ioctl(static_cast<int>(port_->handle()), TIOCMGET, &bits) != 0) {
    const int err = errno;
    status.error = QCoreApplication::translate("ModemLineReader",
                                               "Can't read the modem lines of %1: %2")
                       .arg(port_->portName(), QString::fromLocal8Bit(std::strerror(err)));
    return status;
  }
  status.ok = true;
  status.lines = FromTiocm(bits);
  return status;
}
