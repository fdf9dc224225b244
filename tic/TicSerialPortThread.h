#pragma once
// One time-interval counter connection (ports 1 to 8), opened from its
// stored settings: "OFF", a serial line that is read as the counter sends,
// or "TCP/IP", where the counter is identified, set up and polled with SCPI
// commands. Each finished counter line leaves as newTicText, prefixed with
// the port number.
//
// The object lives on the GUI thread; its thread only runs an idle event
// loop between startTicSerialPort and stopTicSerialPort. The wait for a TCP
// counter's greeting blocks for up to a second; nothing else waits.

#include "tic/TicLineAssembler.h"
#include "tic/TicScpi.h"

#include <QAbstractSocket>
#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QPointer>
#include <QSerialPort>
#include <QString>
#include <QThread>
#include <QTimer>

class QTcpSocket;

// The debug text of a socket error ("SOCKET ERROR: ...").
QString TicSocketErrorText(QAbstractSocket::SocketError error);

class TicSerialPortThread : public QThread {
  Q_OBJECT

public:
  // Bytes a TCP counter may have waiting in the program: in the socket, and
  // as readings not yet handled. While they are full the socket is not read:
  // the rest waits in the system's buffers and TCP holds the counter back.
  static constexpr qint64 TcpReadBufferBytes = 64 * 1024;

  explicit TicSerialPortThread(QObject *parent = nullptr);
  // Stops the thread and closes the serial port or socket.
  ~TicSerialPortThread() override;

  int PortNumber() const { return portNumber; }
  QString PortName() const { return portName; }
  bool IsSerialOpen() const { return serialPort.isOpen(); }
  // The socket's state; UnconnectedState when there is none.
  QAbstractSocket::SocketState TcpIpState() const;
  // Received bytes not yet handled: in the socket and as waiting readings;
  // at most TcpReadBufferBytes.
  qint64 TcpIpBytesWaiting() const;

signals:
  void newTicText(QByteArray line);
  void showErrorMessageBox(QString text);
  // The port is down: its serial line or connection failed, closed or was
  // refused; `reason` is the port's or socket's own error text. It stays
  // down until the next start, which portStarted announces.
  void portLost(int port, QString reason);
  void portStarted(int port);
  // Readings of a TCP counter were dropped because more waited than the
  // program keeps; at most once a second, in words. The socket is not read
  // while the readings fill their share, so this is the last resort.
  void readingsDropped(QString text);

public slots:
  // Adopts the port number on the first call (a later call with another
  // number does nothing), starts the thread and reopens the port from its
  // stored settings.
  void startTicSerialPort(int port);
  // Closes the serial port and ends the thread, waiting at most two seconds.
  void stopTicSerialPort();

private slots:
  void OnSendTicMessage(QByteArray message);
  void serialPortReadyRead();
  void handleError(QSerialPort::SerialPortError error);
  void TcpIpConnected();
  void TcpIpReadyRead();
  void TcpIpConnectionError_Handler(QAbstractSocket::SocketError error);
  void TcpIpStateChanged(QAbstractSocket::SocketState state);
  // Hands the waiting readings on, for at most one pass's time.
  void HandleWaitingReadings();
  void TellDroppedReadings();

private:
  void OpenTicPort();
  void CloseTicPort();
  void ProcessTicText(QByteArray &block);
  bool InitializeTcpIpTIC();
  // Queues a reading of a TCP counter; gives the number of the oldest
  // dropped to keep the queue within its share of TcpReadBufferBytes.
  qint64 QueueReading(const QByteArray &reading);
  // Whether one more read from the socket fits in the queue whole.
  bool QueueHasRoomForARead() const;
  // Tells the drops once a second, the count of that second.
  void ReportDroppedReadings(qint64 count);

  int portNumber = -1;
  QString portName = QStringLiteral("OFF");
  QSerialPort serialPort;
  QPointer<QTcpSocket> tcpSocket;
  QByteArray receiveBuffer;
  QByteArray sendBuffer;
  TicLineAssembler lineAssembler;
  TicScpiPoll scpiPoll;
  QList<QByteArray> waitingReadings;
  qint64 waitingReadingBytes = 0;
  QTimer nextPass;
  bool handlingReadings = false;
  // Set while the queue is too full to read the socket; the drained queue
  // reads on through resumeReading.
  bool readingHeldBack = false;
  QTimer resumeReading;
  qint64 droppedReadings = 0;
  QElapsedTimer dropReportClock;
  QTimer dropReport;
  // Set while an error closes the port, so the close makes no second box.
  bool closingAfterError = false;
};
