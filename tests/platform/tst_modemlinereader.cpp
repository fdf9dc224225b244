#include "TestMain.h"
#include "FakeModemLineReader.h"

#include "platform/ModemLineReader.h"
#include "tools/simulator/ReceiverSimulator.h"

#include <QSignalSpy>

class TestModemLineReader : public QObject {
  Q_OBJECT

private slots:
  void fakeReportsWhatTheTestSets();
  void fakeFailsWhenTold();
  void realReaderWithoutAnOpenPort();
  void realReaderOnAPseudoTerminal();
};

void TestModemLineReader::fakeReportsWhatTheTestSets()
{
  FakeModemLineReader fake;
  ModemLineReader &reader = fake;
  ModemLineStatus s = reader.ReadLines();
  QVERIFY(s.ok);
  QCOMPARE(s.lines, QSerialPort::PinoutSignals(QSerialPort::NoSignal));

  // A 1PPS pulse on DCD while CTS stays up.
  fake.SetLines(QSerialPort::ClearToSendSignal);
  fake.SetLine(QSerialPort::DataCarrierDetectSignal, true);
  s = reader.ReadLines();
  QVERIFY(s.ok);
  QCOMPARE(s.lines, QSerialPort::DataCarrierDetectSignal | QSerialPort::ClearToSendSignal);
  fake.SetLine(QSerialPort::DataCarrierDetectSignal, false);
  QCOMPARE(reader.ReadLines().lines, QSerialPort::PinoutSignals(QSerialPort::ClearToSendSignal));
  QCOMPARE(fake.Lines(), QSerialPort::PinoutSignals(QSerialPort::ClearToSendSignal));
  QCOMPARE(fake.ReadCount(), 3);
}

void TestModemLineReader::fakeFailsWhenTold()
{
  FakeModemLineReader fake;
  fake.SetLines(QSerialPort::DataSetReadySignal);
  fake.SetFailure(QStringLiteral("line gone"));
  ModemLineStatus s = fake.ReadLines();
  QVERIFY(!s.ok);
  QCOMPARE(s.error, QStringLiteral("line gone"));
  QCOMPARE(s.lines, QSerialPort::PinoutSignals(QSerialPort::NoSignal));

  fake.ClearFailure();
  s = fake.ReadLines();
  QVERIFY(s.ok);
  QVERIFY(s.error.isEmpty());
  QCOMPARE(s.lines, QSerialPort::PinoutSignals(QSerialPort::DataSetReadySignal));
}

void TestModemLineReader::realReaderWithoutAnOpenPort()
{
  SerialModemLineReader none(nullptr);
  ModemLineStatus s = none.ReadLines();
  QVERIFY(!s.ok);
  QVERIFY(!s.error.isEmpty());

  QSerialPort closed;
  closed.setPortName(QStringLiteral("/dev/does-not-exist"));
  SerialModemLineReader reader(&closed);
  s = reader.ReadLines();
  QVERIFY(!s.ok);
  QVERIFY(!s.error.isEmpty());
  QCOMPARE(s.lines, QSerialPort::PinoutSignals(QSerialPort::NoSignal));
}

void TestModemLineReader::realReaderOnAPseudoTerminal()
{
  riduder::sim::ReceiverSimulator line;
  QString error;
  QVERIFY2(line.open(&error), qPrintable(error));
  QSerialPort port;
  port.setPortName(line.slavePath());
  QVERIFY2(port.open(QIODevice::ReadWrite), qPrintable(port.errorString()));
  QSignalSpy errors(&port, &QSerialPort::errorOccurred);

  // A pseudo-terminal has no modem lines: the read fails in words, every
  // time, and leaves the port's own error state (and its users) alone.
  SerialModemLineReader reader(&port);
  for (int i = 0; i < 3; ++i) {
    const ModemLineStatus s = reader.ReadLines();
    QVERIFY(!s.ok);
    QVERIFY2(s.error.contains(port.portName()), qPrintable(s.error));
    QCOMPARE(s.lines, QSerialPort::PinoutSignals(QSerialPort::NoSignal));
  }
  QCOMPARE(port.error(), QSerialPort::NoError);
  QCOMPARE(errors.count(), 0);

  // The port still carries data afterwards.
  line.write("abc");
  QCOMPARE(line.bytesToWrite(), qint64(0));
  QVERIFY(port.waitForReadyRead(2000));
  QCOMPARE(port.readAll(), QByteArray("abc"));

  port.close();
  QVERIFY(!reader.ReadLines().ok);
}

RIDUDER_TEST_MAIN(TestModemLineReader)
#include "tst_modemlinereader.moc"
