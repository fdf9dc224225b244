#include "tic/TicSerialPortThread.h"

#include <QSettings>

TicSerialPortThread::TicSerialPortThread(QObject *parent) : QThread(parent) {}

TicSerialPortThread::~TicSerialPortThread()
{
  stopTicSerialPort();
}

void TicSerialPortThread::startTicSerialPort(int port)
{
  if (portNumber < 0)
    portNumber = port;
  if (!isRunning())
    start();
  OpenTicPort();
}

void TicSerialPortThread::stopTicSerialPort()
{
  if (isRunning()) {
    quit();
    wait(2000);
  }
}

void TicSerialPortThread::OpenTicPort()
{
  QSettings settings;
  portName = settings.value(QStringLiteral("TicPortDialog/TIC Serial Port %1").arg(portNumber),
                            QStringLiteral("OFF")).toString();
}
