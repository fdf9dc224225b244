#pragma once
// The words for the serial port errors, shared by the receiver port and the
// counter ports, and what a failed read means for the device behind a port.

#include <QSerialPort>
#include <QString>

#include <optional>

// The words for a serial port error code ("Unknown Error" for codes without
// their own text).
QString GpsPortErrorText(QSerialPort::SerialPortError error);

// Why the port failed, in the device's own words (errno) where it gave
// them, else the code's text. Only for a failure of the call just made (an
// open): a failed read is worded by InspectSerialReadFailure.
QString SerialPortFailureReason(const QSerialPort &port, QSerialPort::SerialPortError error);

// The cause of a lost port whose device hung up or went away.
inline constexpr char SerialDeviceHungUpText[] = "the device hung up or was removed";

struct SerialReadFailure {
  // The device is really gone: close the port and say so.
  bool deviceGone = false;
  // Why, for the user: SerialDeviceHungUpText.
  QString reason;
};

// What a ReadError or ResourceError of an open port means, decided from the
// port's descriptor when it happens. QSerialPort reports a read that
// returned nothing (the bytes it was told of were flushed or dropped before
// the read) as such an error, worded and coded after whatever errno an
// earlier call left, EIO included. The device is gone only when its
// descriptor says so: hung up, in error, or no longer valid.
SerialReadFailure InspectSerialReadFailure(const QSerialPort &port);

// Makes a port whose read failed without losing its device read on:
// QSerialPort stops watching its descriptor after a ResourceError.
void ResumeSerialReading(QSerialPort &port);

// The error handler's step for a ReadError or ResourceError: nothing when
// the port is closed already or its line is still up (reading then resumes
// and the error is passed over); else why the device is gone.
std::optional<QString> SerialDeviceLossReason(QSerialPort &port);
