#include "FakeModemLineReader.h"

ModemLineStatus FakeModemLineReader::ReadLines()
{
  ++readCount_;
  ModemLineStatus status;
  if (failing_) {
    status.error = failure_;
    return status;
  }
  status.ok = true;
  status.lines = lines_;
  return status;
}

void FakeModemLineReader::SetLine(QSerialPort::PinoutSignal line, bool asserted)
{
  lines_.setFlag(line, asserted);
}
