#include "TestMain.h"

#include "platform/SerialPortErrors.h"
#include "tools/simulator/ReceiverSimulator.h"

#include <QSerialPort>


using riduder::sim::ReceiverSimulator;

// What a failed read of a serial port means, told from the line itself when
// it happens: QSerialPort words a read that returned nothing with whatever
// errno was left, so neither its code nor its text may decide alone.
class TestSerialReadFailure : public QObject {
  Q_OBJECT

private slots:
  // Whatever code and errno QSerialPort gave, only the descriptor tells.
  void theLineDecides_data()
  {
    QTest::addColumn<bool>("hungUp");
    QTest::addColumn<bool>("gone");
    QTest::addColumn<QString>("reason");
    QTest::newRow("line up") << false << false << "";
    QTest::newRow("hung up") << true << true << QString::fromLatin1(SerialDeviceHungUpText);
  }

  void theLineDecides()
  {
    QFETCH(bool, hungUp);
    QFETCH(bool, gone);
    QFETCH(QString, reason);
    ReceiverSimulator line;
    QVERIFY(line.open());
    QSerialPort port(line.slavePath());
    QVERIFY(port.open(QIODevice::ReadWrite));
    if (hungUp)
      line.close();
    const SerialReadFailure failure = InspectSerialReadFailure(port);
    QCOMPARE(failure.deviceGone, gone);
    QCOMPARE(failure.reason, reason);
  }

  void aClosedPortIsGone()
  {
    QSerialPort port;
    const SerialReadFailure failure = InspectSerialReadFailure(port);
    QVERIFY(failure.deviceGone);
    QCOMPARE(failure.reason, QString::fromLatin1(SerialDeviceHungUpText));
  }
};

RIDUDER_TEST_MAIN(TestSerialReadFailure)
#include "tst_serialreadfailure.moc"
