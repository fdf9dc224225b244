#include "TestMain.h"

#include "platform/SerialPortErrors.h"
#include "tools/simulator/ReceiverSimulator.h"

#include <QSerialPort>

#include <cerrno>

using riduder::sim::ReceiverSimulator;

// What a failed read of a serial port means, told from the line itself when
// it happens: QSerialPort words a read that returned nothing with whatever
// errno was left, so neither its code nor its text may decide alone.
class TestSerialReadFailure : public QObject {
  Q_OBJECT

private slots:
  void theLineDecides_data()
  {
    QTest::addColumn<bool>("hungUp");
    QTest::addColumn<int>("error");
    QTest::addColumn<int>("failureErrno");
    QTest::addColumn<bool>("gone");
    QTest::addColumn<QString>("reason");
    const QString hungUp = QString::fromLatin1(SerialDeviceHungUpText);
    QTest::newRow("up, nothing read, stale errno") << false << int(QSerialPort::ReadError) << ENOENT << false << "";
    QTest::newRow("up, nothing read, stale EAGAIN")
        << false << int(QSerialPort::ResourceError) << EAGAIN << false << "";
    QTest::newRow("up, nothing read, stale EIO") << false << int(QSerialPort::ReadError) << EIO << false << "";
    QTest::newRow("up, the read failed with EIO")
        << false << int(QSerialPort::ResourceError) << EIO << true << qt_error_string(EIO);
    QTest::newRow("hung up, nothing read") << true << int(QSerialPort::ReadError) << ENOENT << true << hungUp;
    QTest::newRow("hung up, stale EAGAIN") << true << int(QSerialPort::ResourceError) << EAGAIN << true << hungUp;
  }

  void theLineDecides()
  {
    QFETCH(bool, hungUp);
    QFETCH(int, error);
    QFETCH(int, failureErrno);
    QFETCH(bool, gone);
    QFETCH(QString, reason);
    ReceiverSimulator line;
    QVERIFY(line.open());
    QSerialPort port(line.slavePath());
    QVERIFY(port.open(QIODevice::ReadWrite));
    if (hungUp)
      line.close();
    const SerialReadFailure failure =
        InspectSerialReadFailure(port, QSerialPort::SerialPortError(error), failureErrno);
    QCOMPARE(failure.deviceGone, gone);
    QCOMPARE(failure.reason, reason);
  }

  void aClosedPortIsGone()
  {
    QSerialPort port;
    const SerialReadFailure failure = InspectSerialReadFailure(port, QSerialPort::ReadError, ENOENT);
    QVERIFY(failure.deviceGone);
    QCOMPARE(failure.reason, QString::fromLatin1(SerialDeviceHungUpText));
  }
};

RIDUDER_TEST_MAIN(TestSerialReadFailure)
#include "tst_serialreadfailure.moc"
