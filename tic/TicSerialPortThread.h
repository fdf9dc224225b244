#pragma once
// One time-interval counter connection (ports 1 to 8). The object lives on
// the GUI thread; its thread only runs an idle event loop between
// startTicSerialPort and stopTicSerialPort.

#include <QByteArray>
#include <QString>
#include <QThread>

class TicSerialPortThread : public QThread {
  Q_OBJECT

public:
  explicit TicSerialPortThread(QObject *parent = nullptr);
  ~TicSerialPortThread() override;

  int PortNumber() const { return portNumber; }
  QString PortName() const { return portName; }

signals:
  void newTicText(QByteArray line);
  void showErrorMessageBox(QString text);

public slots:
  // Adopts the port number on the first call, starts the thread and opens
  // the port from its stored settings.
  void startTicSerialPort(int port);
  // Ends the thread, waiting at most two seconds.
  void stopTicSerialPort();

private:
  void OpenTicPort();

  int portNumber = -1;
  QString portName = QStringLiteral("OFF");
};
