#pragma once
// The one connection to the GPS receiver: opens the serial port from the
// stored "GpsPortDialog/..." settings, cuts the received bytes into messages
// with the framer of the protocol mode it is handed, watches a modem status line for the
// 1PPS pulse and writes the commands the command layer sends.
//
// It derives from QThread for historical reasons only: the thread runs an
// idle event loop while the object, its port and its timer stay on the GUI
// thread, so every signal is delivered directly.

#include "receiver/link/FramerSink.h"
#include "receiver/link/LoranLineFramer.h"
#include "receiver/link/OncoreFramer.h"
#include "receiver/link/UbxNmeaFramer.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QSerialPort>
#include <QString>
#include <QThread>
#include <QTimer>

#include <memory>

class ModemLineReader;

// Stands for a 1PPS edge in the stream of messages.
inline constexpr char PpsMarker[] = "-- PPS --";

// PpsLineMaskTable: the QSerialPort::PinoutSignals bit of a 1PPS line choice
// (0 none, 1 DCD, 2 CTS, 3 DSR); 0 for any other choice.
quint32 PpsLineMask(int choice);

class GpsSerialPortThread : public QThread, private FramerSink
{
  Q_OBJECT
public:
  // A chosen 1PPS line is read this often, whatever the traffic; with no
  // line chosen it is not read at all.
  static constexpr int PpsSampleIntervalMs = 10;
  // Unread data worth more seconds than this is reported.
  static constexpr int BacklogLimitSeconds = 10;

  explicit GpsSerialPortThread(QObject *parent = nullptr);
  ~GpsSerialPortThread() override;

  // Chooses the modem line that carries the 1PPS pulse (0 none, 1 DCD,
  // 2 CTS, 3 DSR). While the port runs, the 1PPS poll starts or stops
  // with the choice.
  void SetPpsSignal(int choice);
  int PpsSignal() const { return m_ppsChoice; }
  // Whether the 1PPS line is being polled (started, with a line chosen).
  bool PpsPollRunning() const { return m_pollTimer.isActive(); }

  // The protocol mode whose framer cuts the bytes (the receiver session
  // hands it over); a change restarts the framers at the next read.
  void SetMode(quint32 mode) { m_mode = mode; }
  quint32 Mode() const { return m_mode; }

  // (Re)opens the port with the stored settings.
  void OpenGpsPort();

  // Replaces the reader of the modem status lines (a pseudo-terminal has none).
  // Not owned; nullptr returns to reading the serial port's own lines.
  void SetModemLineReader(ModemLineReader *reader);

  bool IsOpen() const { return m_serialPort.isOpen(); }
  // Bytes received and not yet framed: the port's buffer and the system's.
  qint64 UnreadBytes();
  QString PortName() const { return m_portName; }
  QSerialPort &SerialPort() { return m_serialPort; }

signals:
  // One complete, checked message, or the PpsMarker.
  void newGpsText(QByteArray message);
  // A port error in words.
  void showErrorMessageBox(QString text);
  // One rising edge of the 1PPS line.
  void PpsTick();
  // The port was closed because the device failed (vanished, hung up);
  // reason is the system's words. It stays closed until it is started again.
  void portLost(QString portName, QString reason);
  // The port is open (again).
  void portOpened(QString portName);
  // The unread bytes passed BacklogLimitSeconds of the line's data: the
  // program falls behind the receiver (nothing is dropped). Once until the
  // backlog has drained again.
  void backlogWarning(QString text);

public slots:
  void startGpsSerialPort(bool start);
  void stopGpsSerialPort();
  void OnSendGpsMessage(QByteArray message);
  void handleReadyRead();
  void handleError(QSerialPort::SerialPortError error);
  void handleTimedPolls();

private:
  void FrameChunk();
  // Runs the 1PPS poll exactly while a line is chosen.
  void UpdatePpsPoll();
  void WatchBacklog();
  // Reads the 1PPS line once; a rising edge gives PpsTick().
  void SamplePpsLine();
  // A sample whose 10 ms have passed (or whose timer fired during framing).
  bool PpsSampleDue() const;
  // Deferred to the end of a framer run that is in progress.
  void ResetFramers();
  void ResetFramersNow();

  // FramerSink
  void OnFramedMessage(const QByteArray &message) override;
  void OnMessageBoundary() override;

  QByteArray m_receivedChunk;
  QByteArray m_outgoingMessage;
  bool m_previousPpsLevel = false;
  bool m_currentPpsLevel = false;
  int m_ppsChoice = 0;
  quint32 m_ppsLineMask = 0;
  bool m_ppsMarkPending = false;
  quint32 m_mode = 11;  // Search: nothing framed
  quint32 m_lastSeenMode = 11;
  QString m_portName;
  QSerialPort m_serialPort;
  QTimer m_pollTimer;

  OncoreFramer m_oncoreFramer;
  UbxNmeaFramer m_ubxNmeaFramer;
  LoranLineFramer m_loranFramer;

  std::unique_ptr<ModemLineReader> m_ownLineReader;
  ModemLineReader *m_lineReader = nullptr;
  bool m_lineReadErrorReported = false;
  // When the 1PPS line was last read; the poll timer keeps its own rhythm
  // and a chunk's framing never restarts it.
  QElapsedTimer m_lastPpsSample;
  bool m_ppsSampleDue = false;
  bool m_backlogReported = false;
  // A framer run is in progress: a nested read waits for it to finish.
  bool m_framing = false;
  bool m_resetAfterFraming = false;
};
