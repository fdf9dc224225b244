#include "TestMain.h"

#include "FrameBuilders.h"
#include "receiver/link/Checksums.h"
#include "receiver/link/ProtocolBytes.h"

using namespace riduder::test;

class ProtocolBytesTest : public QObject
{
  Q_OBJECT
private slots:
  void integers_data();
  void integers();
  void ubxFrames_data();
  void ubxFrames();
  void oncoreCommands_data();
  void oncoreCommands();
};

void ProtocolBytesTest::integers_data()
{
  QTest::addColumn<quint32>("value");
  QTest::addColumn<int>("width");
  QTest::addColumn<QByteArray>("little");
  QTest::addColumn<QByteArray>("big");
  QTest::newRow("four bytes") << 0x12345678u << 4 << QByteArray::fromHex("78563412")
                              << QByteArray::fromHex("12345678");
  QTest::newRow("two low bytes of four") << 0x12345678u << 2 << QByteArray::fromHex("7856")
                                         << QByteArray::fromHex("5678");
  QTest::newRow("three bytes") << 0x00ABCDEFu << 3 << QByteArray::fromHex("efcdab")
                               << QByteArray::fromHex("abcdef");
  QTest::newRow("one byte") << 0x1FFu << 1 << QByteArray::fromHex("ff")
                            << QByteArray::fromHex("ff");
  QTest::newRow("negative, two's complement") << quint32(-2) << 4 << QByteArray::fromHex("feffffff")
                                              << QByteArray::fromHex("fffffffe");
  QTest::newRow("no bytes") << 0x12u << 0 << QByteArray() << QByteArray();
}

void ProtocolBytesTest::integers()
{
  QFETCH(quint32, value);
  QFETCH(int, width);
  QFETCH(QByteArray, little);
  QFETCH(QByteArray, big);
  // Appended after what is there already.
  QByteArray bytes("x");
  AppendLittleEndian(bytes, value, width);
  QCOMPARE(bytes.toHex(' '), ("x" + little).toHex(' '));
  bytes = "x";
  AppendBigEndian(bytes, value, width);
  QCOMPARE(bytes.toHex(' '), ("x" + big).toHex(' '));
}

void ProtocolBytesTest::ubxFrames_data()
{
  QTest::addColumn<quint8>("messageClass");
  QTest::addColumn<quint8>("messageId");
  QTest::addColumn<QByteArray>("payload");
  QTest::addColumn<QByteArray>("header");
  QTest::newRow("MON-VER poll") << quint8(0x0A) << quint8(0x04) << QByteArray()
                                << QByteArray::fromHex("b5620a040000");
  QTest::newRow("CFG-MSG") << quint8(0x06) << quint8(0x01) << QByteArray::fromHex("0d0401")
                           << QByteArray::fromHex("b56206010300");
  QTest::newRow("length above 255, low byte first")
      << quint8(0x06) << quint8(0x3E) << QByteArray(300, '\xb5')
      << QByteArray::fromHex("b562063e2c01");
}

void ProtocolBytesTest::ubxFrames()
{
  QFETCH(quint8, messageClass);
  QFETCH(quint8, messageId);
  QFETCH(QByteArray, payload);
  QFETCH(QByteArray, header);
  QByteArray frame = UbxFrame(messageClass, messageId, payload);
  QCOMPARE(frame.toHex(' '), (header + payload).toHex(' '));
  // Completed with its checksum, it is the frame a receiver would send.
  QVERIFY(AppendUbxChecksum(frame));
  QCOMPARE(frame.toHex(' '), BuildUbxFrame(messageClass, messageId, payload).toHex(' '));
}

void ProtocolBytesTest::oncoreCommands_data()
{
  QTest::addColumn<QByteArray>("command");
  QTest::addColumn<QByteArray>("expected");
  QTest::newRow("no parameters") << OncoreCommand("Cj") << QByteArray("@@Cj");
  QTest::newRow("one byte") << OncoreCommand("Ea", 0x01) << QByteArray("@@Ea\x01", 5);
  QTest::newRow("zero byte") << OncoreCommand("Ha", 0x00) << QByteArray("@@Ha\x00", 5);
  QTest::newRow("parameter bytes") << OncoreCommand("Ay", QByteArray::fromHex("000186a0"))
                                   << QByteArray("@@Ay\x00\x01\x86\xa0", 8);
}

void ProtocolBytesTest::oncoreCommands()
{
  QFETCH(QByteArray, command);
  QFETCH(QByteArray, expected);
  QCOMPARE(command.toHex(' '), expected.toHex(' '));
  // Completed with its checksum and the line end, it is the message on the wire.
  QVERIFY(AppendOncoreChecksum(command));
  QCOMPARE((command + "\r\n").toHex(' '),
           BuildOncoreWire(expected.mid(2, 2), expected.mid(4)).toHex(' '));
}

RIDUDER_TEST_MAIN(ProtocolBytesTest)
#include "tst_protocolbytes.moc"
