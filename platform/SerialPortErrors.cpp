#include "platform/SerialPortErrors.h"

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
