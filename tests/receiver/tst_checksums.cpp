#include "TestMain.h"

#include "FrameBuilders.h"
#include "receiver/link/Checksums.h"
#include "receiver/link/OncoreFramer.h"
#include "receiver/link/UbxNmeaFramer.h"

using namespace riduder::test;

class ChecksumsTest : public QObject
{
  Q_OBJECT
private slots:
  void nmeaAppender_data();
  void nmeaAppender();
  void ubxAppender_data();
  void ubxAppender();
  void oncoreAppender_data();
  void oncoreAppender();
  void completedMessagesPassTheFramersTests();
};

void ChecksumsTest::nmeaAppender_data()
{
  QTest::addColumn<QByteArray>("input");
  QTest::addColumn<bool>("applied");
  QTest::addColumn<QByteArray>("expected");
  QTest::newRow("bare sentence") << QByteArray("$PMOTG,FOR,0") << true << QByteArray("$PMOTG,FOR,0*2A");
  QTest::newRow("wrong old tail replaced") << QByteArray("$PMOTG,FOR,0*77") << true
                                           << QByteArray("$PMOTG,FOR,0*2A");
  QTest::newRow("right old tail kept once") << QByteArray("$PMOTG,FOR,0*2A") << true
                                            << QByteArray("$PMOTG,FOR,0*2A");
  QTest::newRow("single-digit sum padded") << QByteArray("$GPAAA,") << true
                                           << BuildNmeaSentence("GPAAA,", "");
  QTest::newRow("six bytes refused") << QByteArray("$GPGGA") << false << QByteArray("$GPGGA");
  QTest::newRow("no dollar refused") << QByteArray("GPGGA,1,2") << false << QByteArray("GPGGA,1,2");
  QTest::newRow("empty refused") << QByteArray() << false << QByteArray();
}

void ChecksumsTest::nmeaAppender()
{
  QFETCH(QByteArray, input);
  QFETCH(bool, applied);
  QFETCH(QByteArray, expected);
  QCOMPARE(AppendNmeaChecksum(input), applied);
  QCOMPARE(input, expected);
}

void ChecksumsTest::ubxAppender_data()
{
  QTest::addColumn<QByteArray>("input");
  QTest::addColumn<bool>("applied");
  QTest::addColumn<QByteArray>("expected");
  QTest::newRow("MON-VER poll") << QByteArray::fromHex("b5620a040000") << true
                                << QByteArray::fromHex("b5620a0400000e34");
  const QByteArray payload = QByteArray::fromHex("0102fffe00807f");
  QTest::newRow("payload with high bytes")
      << BuildUbxFrame(0x06, 0x01, payload).chopped(2) << true << BuildUbxFrame(0x06, 0x01, payload);
  QTest::newRow("sync only") << QByteArray::fromHex("b562") << false << QByteArray::fromHex("b562");
  QTest::newRow("three bytes") << QByteArray::fromHex("b5620a") << false << QByteArray::fromHex("b5620a");
  QTest::newRow("wrong sync") << QByteArray::fromHex("b5630a040000") << false
                              << QByteArray::fromHex("b5630a040000");
}

void ChecksumsTest::ubxAppender()
{
  QFETCH(QByteArray, input);
  QFETCH(bool, applied);
  QFETCH(QByteArray, expected);
  QCOMPARE(AppendUbxChecksum(input), applied);
  QCOMPARE(input, expected);
}

void ChecksumsTest::oncoreAppender_data()
{
  QTest::addColumn<QByteArray>("input");
  QTest::addColumn<bool>("applied");
  QTest::addColumn<QByteArray>("expected");
  QTest::newRow("@@Cj poll") << QByteArray("@@Cj") << true << QByteArray("@@Cj\x29");
  const QByteArray params = QByteArray::fromHex("00010203ff");
  QTest::newRow("binary parameters") << QByteArray("@@Gd" + params) << true
                                     << BuildOncoreWire("Gd", params).chopped(2);
  // Parameters that end in "*" and another byte are data like any other:
  // the sum covers them.
  const QByteArray starred = QByteArray::fromHex("00112a05");
  QTest::newRow("parameters ending 0x2A 0x05") << QByteArray("@@Az" + starred) << true
                                               << BuildOncoreWire("Az", starred).chopped(2);
  QTest::newRow("@@Gk with six stars") << QByteArray("@@Gk******") << true
                                       << BuildOncoreWire("Gk", "******").chopped(2);
  QTest::newRow("three bytes refused") << QByteArray("@@C") << false << QByteArray("@@C");
  QTest::newRow("no @ refused") << QByteArray("XXCj") << false << QByteArray("XXCj");
}

void ChecksumsTest::oncoreAppender()
{
  QFETCH(QByteArray, input);
  QFETCH(bool, applied);
  QFETCH(QByteArray, expected);
  QCOMPARE(AppendOncoreChecksum(input), applied);
  QCOMPARE(input, expected);
}

void ChecksumsTest::completedMessagesPassTheFramersTests()
{
  // What the command layer completes, a receiver (and our own framers)
  // accept: the appenders and the framers' tests agree.
  QByteArray oncore("@@Ea");
  oncore.append(QByteArray(76 - 7, '\x2a'));
  QVERIFY(AppendOncoreChecksum(oncore));
  QVERIFY(MotorolaBinaryChecksumOk(oncore + "\r\n"));

  QByteArray ubx = QByteArray::fromHex("b562010700") + QByteArray(1, '\0');
  QVERIFY(AppendUbxChecksum(ubx));
  QVERIFY(UbxChecksumOk(ubx));

  QByteArray nmea("$GNGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,");
  QVERIFY(AppendNmeaChecksum(nmea));
  QVERIFY(NmeaChecksumOk(nmea));
}

RIDUDER_TEST_MAIN(ChecksumsTest)
#include "tst_checksums.moc"
