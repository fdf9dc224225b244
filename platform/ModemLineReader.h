#pragma once
// Reading the modem status lines (DCD, CTS, DSR, ...) of the receiver port,
// where the 1PPS pulse arrives. The port object reads them through this
// interface so that 1PPS edges can come from elsewhere than the hardware:
// a pseudo-terminal has no modem lines.

#include <QSerialPort>
#include <QString>

// The outcome of one read of the lines. When ok is false, lines is
// NoSignal and error says why in words.
struct ModemLineStatus {
  bool ok = false;
  QSerialPort::PinoutSignals lines = QSerialPort::NoSignal;
  QString error;
};

class ModemLineReader {
public:
  virtual ~ModemLineReader() = default;
  virtual ModemLineStatus ReadLines() = 0;

protected:
  ModemLineReader() = default;
  ModemLineReader(const ModemLineReader &) = default;
  ModemLineReader &operator=(const ModemLineReader &) = default;
};

// Reads the lines of an open QSerialPort (not owned; it must outlive the
// reader). A port that is closed, or a device without modem lines, gives
// ok = false with the reason, and leaves the port's own error state alone.
class SerialModemLineReader : public ModemLineReader {
public:
  explicit SerialModemLineReader(QSerialPort *port) : port_(port) {}
  ModemLineStatus ReadLines() override;

private:
  QSerialPort *port_;
};
