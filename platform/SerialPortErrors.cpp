#include "platform/SerialPortErrors.h"

#include <fcntl.h>
#include <poll.h>

QString GpsPortErrorText(QSerialPort::SerialPortError error)
{
  switch (error) {
  case QSerialPort::NoError:
    return QStringLiteral("No error occurred.");
  case QSerialPort::DeviceNotFoundError:
    return QStringLiteral("An error occurred while attempting to open an non-existing device.");
  case QSerialPort::PermissionError:
    return QStringLiteral("An error occurred while attempting to open an already opened device by "
                          "another process or a user not having enough permission and credentials "
                          "to open.");
  case QSerialPort::OpenError:
    return QStringLiteral("An error occurred while attempting to open an already opened device in "
                          "this object.");
  case QSerialPort::WriteError:
    return QStringLiteral("An I/O error occurred while writing the data.");
  case QSerialPort::ReadError:
    return QStringLiteral("An I/O error occurred while reading the data.");
  case QSerialPort::ResourceError:
    return QStringLiteral("An I/O error occurred when a resource becomes unavailable, e.g. when the "
                          "device is unexpectedly removed from the system.");
  case QSerialPort::UnsupportedOperationError:
    return QStringLiteral("The requested device operation is not supported or is prohibited by the "
                          "running operating system.");
  case QSerialPort::TimeoutError:
    return QStringLiteral("A timeout error occurred. This value was introduced in QtSerialPort 5.2.");
  case QSerialPort::NotOpenError:
    return QStringLiteral("This error occurs when an operation is executed that can only be "
                          "successfully performed if the device is open. This value was introduced "
                          "in QtSerialPort 5.2.");
  default:
    return QStringLiteral("Unknown Error");
  }
}

QString SerialPortFailureReason(const QSerialPort &port, QSerialPort::SerialPortError error)
{
  const QString reason = port.errorString();
  if (reason.isEmpty() || reason == QLatin1String("Unknown error"))
    return GpsPortErrorText(error);
  return reason;
}

SerialReadFailure InspectSerialReadFailure(const QSerialPort &port)
{
  SerialReadFailure failure;
  const int descriptor = int(port.handle());
  bool lineDown = descriptor < 0 || ::fcntl(descriptor, F_GETFL) == -1;
  if (!lineDown) {
    // A hung-up terminal (the other side closed, a USB adapter pulled)
    // reads nothing for ever and says so here; a flushed one does not.
    pollfd line{descriptor, POLLIN, 0};
    lineDown = ::poll(&line, 1, 0) == 1 && (line.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
  }
  // Neither the code nor errno may decide: QSerialPort makes a
  // ResourceError of any EAGAIN or EIO that an earlier call left behind a
  // read that returned nothing. A terminal whose device failed or went away
  // reports it on its descriptor as well.
  if (lineDown) {
    failure.deviceGone = true;
    failure.reason = QLatin1String(SerialDeviceHungUpText);
  }
  return failure;
}

void ResumeSerialReading(QSerialPort &port)
{
  // Setting the buffer size, even to what it is, watches the descriptor
  // again; no byte is read or lost. The failure passed over is no longer
  // the port's error.
  port.setReadBufferSize(port.readBufferSize());
  port.clearError();
}

std::optional<QString> SerialDeviceLossReason(QSerialPort &port)
{
  if (!port.isOpen())
    return std::nullopt;
  const SerialReadFailure failure = InspectSerialReadFailure(port);
  if (!failure.deviceGone) {
    // The bytes were flushed or dropped between the notice and the read:
    // the line is still up and the next bytes come as usual.
    ResumeSerialReading(port);
    return std::nullopt;
  }
  return failure.reason;
}
