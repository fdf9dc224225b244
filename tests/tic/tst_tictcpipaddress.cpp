#include "TestMain.h"

#include "tic/TicTcpIpAddress.h"

// The one reading of a counter's address, shared by the port dialog's check
// and the connection.
class TicTcpIpAddressTest : public QObject {
  Q_OBJECT
private slots:
  void typedAddresses_data()
  {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QString>("host");
    QTest::addColumn<int>("port");

    QTest::newRow("decimal") << QByteArray("192.168.10.123") << true << "192.168.10.123" << 5024;
    QTest::newRow("decimal with port") << QByteArray("192.168.10.123:9761") << true << "192.168.10.123" << 9761;
    QTest::newRow("trailing colon") << QByteArray("10.0.0.7:") << true << "10.0.0.7" << 5024;
    QTest::newRow("hex octets") << QByteArray("0xC0.0xa8.0x0A.0x7B") << true << "192.168.10.123" << 5024;
    QTest::newRow("octal octet") << QByteArray("010.0.0.1") << true << "8.0.0.1" << 5024;
    QTest::newRow("hex port") << QByteArray("127.0.0.1:0x13a1") << true << "127.0.0.1" << 5025;
    QTest::newRow("plus sign") << QByteArray("+1.2.3.4") << true << "1.2.3.4" << 5024;
    QTest::newRow("limits") << QByteArray("0.0.255.255:65535") << true << "0.0.255.255" << 65535;
    QTest::newRow("three numbers") << QByteArray("192.168.10") << false << "" << 0;
    QTest::newRow("octet above 255") << QByteArray("192.168.256.1") << false << "" << 0;
    QTest::newRow("negative octet") << QByteArray("192.-1.0.1") << false << "" << 0;
    QTest::newRow("port above 65535") << QByteArray("192.168.10.123:65536") << false << "" << 0;
    QTest::newRow("negative port") << QByteArray("192.168.10.123:-1") << false << "" << 0;
    QTest::newRow("huge number") << QByteArray("99999999999999999999.1.1.1") << false << "" << 0;
    QTest::newRow("bad octal digit") << QByteArray("09.1.1.1") << false << "" << 0;
    QTest::newRow("host name") << QByteArray("counter.local") << false << "" << 0;
    QTest::newRow("garbage after") << QByteArray("1.2.3.4abc") << false << "" << 0;
    QTest::newRow("garbage after port") << QByteArray("1.2.3.4:80x") << false << "" << 0;
    QTest::newRow("text for port") << QByteArray("1.2.3.4:http") << false << "" << 0;
    QTest::newRow("fifth dot") << QByteArray("1.2.3.4.5") << false << "" << 0;
    QTest::newRow("empty") << QByteArray() << false << "" << 0;
  }

  void typedAddresses()
  {
    QFETCH(QByteArray, text);
    QFETCH(bool, valid);
    QFETCH(QString, host);
    QFETCH(int, port);
    const TicTcpIpAddress address = ParseTcpIpAddress(text);
    QCOMPARE(address.valid, valid);
    if (!valid)
      return;
    QCOMPARE(address.Host(), host);
    QCOMPARE(int(address.TcpPort()), port);
  }

  void fieldCountOfAnAddressWithoutPort()
  {
    QCOMPARE(ParseTcpIpAddress("127.0.0.1").fields, 4);
    QCOMPARE(ParseTcpIpAddress("127.0.0.1:").fields, 4);
    QCOMPARE(ParseTcpIpAddress("127.0.0.1:5025").fields, 5);
    QCOMPARE(ParseTcpIpAddress("127.0").fields, 2);
    QCOMPARE(DefaultTicTcpPort, quint16(5024));
  }
};

RIDUDER_TEST_MAIN(TicTcpIpAddressTest)
#include "tst_tictcpipaddress.moc"
