#pragma once
// The words for the serial port errors, shared by the receiver port and the
// counter ports.

#include <QSerialPort>
#include <QString>

// The words for a serial port error code ("Unknown Error" for codes without
// their own text).
QString GpsPortErrorText(QSerialPort::SerialPortError error);

// Why the port failed, in the device's own words (errno) where it gave
// them, else the code's text.
QString SerialPortFailureReason(const QSerialPort &port, QSerialPort::SerialPortError error);
