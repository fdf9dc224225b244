#pragma once

#include "platform/ModemLineReader.h"

#include <QSerialPort>
#include <QString>

// Lines set by a test; each read returns them (or the failure set).
class FakeModemLineReader : public ModemLineReader {
public:
  ModemLineStatus ReadLines() override;

  void SetLines(QSerialPort::PinoutSignals lines) { lines_ = lines; }
  // Raises or drops one line, leaving the others as they are.
  void SetLine(QSerialPort::PinoutSignal line, bool asserted);
  QSerialPort::PinoutSignals Lines() const { return lines_; }

  // Makes every read fail with this text until ClearFailure().
  void SetFailure(const QString &error)
  {
    failing_ = true;
    failure_ = error;
  }
  void ClearFailure() { failing_ = false; }

  int ReadCount() const { return readCount_; }

private:
  QSerialPort::PinoutSignals lines_ = QSerialPort::NoSignal;
  bool failing_ = false;
  QString failure_;
  int readCount_ = 0;
};
