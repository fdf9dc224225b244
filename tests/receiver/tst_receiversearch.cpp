#include "TestMain.h"

#include "core/GpsMode.h"
#include "receiver/session/ReceiverSearch.h"

#include <QList>

namespace {

QByteArray Hex(const char *hex)
{
  return QByteArray::fromHex(hex);
}

QString OrderText(const QList<SearchTry> &order)
{
  QStringList tries;
  for (const SearchTry &t : order)
    tries << QStringLiteral("%1@%2").arg(t.mode).arg(t.rate);
  return tries.join(' ');
}

}  // namespace

class ReceiverSearchTest : public QObject {
  Q_OBJECT

private slots:
  void searchOrder_data()
  {
    QTest::addColumn<int>("present");
    QTest::addColumn<int>("last");
    QTest::addColumn<QString>("order");

    // Modes: 1 Motorola NMEA, 2 Motorola binary, 0 LORAN.
    QTest::newRow("4800, last 4800: NMEA once, binary then 9600")
        << 4800 << 4800 << "1@4800 2@4800 2@9600 0@1200";
    QTest::newRow("9600, no last rate") << 9600 << 0 << "1@9600 1@4800 2@9600 2@4800 0@1200";
    QTest::newRow("9600, last 19200")
        << 9600 << 19200 << "1@9600 1@19200 1@4800 2@9600 2@19200 2@4800 0@1200";
    QTest::newRow("38400, last 9600")
        << 38400 << 9600 << "1@38400 1@9600 1@4800 2@38400 2@9600 2@4800 0@1200";
  }
  void searchOrder()
  {
    QFETCH(int, present);
    QFETCH(int, last);
    QFETCH(QString, order);
    QCOMPARE(OrderText(ReceiverSearchOrder(present, last)), order);
  }

  void probes()
  {
    QCOMPARE(ProbeCommand(GpsModeMotorolaLoran), QByteArray("T0"));
    QCOMPARE(ProbeCommand(GpsModeMotorolaNmea), QByteArray("$PMOTG,ZDA,0001"));
    QCOMPARE(ProbeCommand(GpsModeMotorolaBinary), QByteArray("@@Cj"));
    QCOMPARE(ProbeCommand(GpsModeUbloxUbx), Hex("B5620A040000"));
    // Taken without asking, or no receiver to ask.
    for (quint32 mode : {3u, 6u, 11u})
      QCOMPARE(ProbeKindOf(mode), ProbeKind::TakenWithoutAsking);
    for (quint32 mode : {4u, 5u, 7u, 8u, 10u, 12u, 0xFFFFFFFFu})
      QCOMPARE(ProbeKindOf(mode), ProbeKind::NoReceiver);
  }

  void baudRateCommand_data()
  {
    QTest::addColumn<int>("rate");
    QTest::addColumn<QByteArray>("command");
    QTest::newRow("4800") << 4800 << QByteArray("@@Wb" + Hex("4048"));
    QTest::newRow("9600") << 9600 << QByteArray("@@Wb" + Hex("0000"));
    QTest::newRow("14400") << 14400 << QByteArray("@@Wb" + Hex("4144"));
    QTest::newRow("19200") << 19200 << QByteArray("@@Wb" + Hex("4192"));
    QTest::newRow("38400") << 38400 << QByteArray("@@Wb" + Hex("4384"));
    QTest::newRow("57600") << 57600 << QByteArray("@@Wb" + Hex("4576"));
    QTest::newRow("115000 has none") << 115000 << QByteArray();
    QTest::newRow("2400 has none") << 2400 << QByteArray();
    QTest::newRow("0") << 0 << QByteArray();
  }
  void baudRateCommand()
  {
    QFETCH(int, rate);
    QFETCH(QByteArray, command);
    QCOMPARE(OncoreBaudRateCommand(rate), command);
  }

  void modelValues()
  {
    QCOMPARE(OncoreModelValuesOf(1).channels, 8);  // GT
    QCOMPARE(OncoreModelValuesOf(1).timingErrorB, 500.0);
    QCOMPARE(OncoreModelValuesOf(12).channels, 6);  // VP6
    QCOMPARE(OncoreModelValuesOf(25).channels, 12);  // SSR-M8T
    QCOMPARE(OncoreModelValuesOf(21).channels, 8);  // TX Oncore
    for (qint32 model : {0, 13, 15, 20, 26, -1}) {
      QVERIFY(!OncoreModelValuesOf(model).known);
      QCOMPARE(OncoreModelValuesOf(model).timingErrorB, 100.0);
    }
  }

  void oncoreStatusQueries()
  {
    // A G-command model gets "@@Gj" and "@@AQ"; the others "@@Bj".
    const QList<QByteArray> m12 = OncoreStatusQueries(3).Commands();
    QCOMPARE(m12.last(), QByteArray("@@AQ\x01", 5));
    QVERIFY(m12.contains("@@Gj") && !m12.contains("@@Bj"));
    const QList<QByteArray> vp = OncoreStatusQueries(10).Commands();
    QCOMPARE(vp.last(), QByteArray("@@Bo\x01", 5));
    QVERIFY(vp.contains("@@Bj") && !vp.contains("@@Gj"));
    QCOMPARE(OncoreStatusQueries(10).AwaitedCommands(),
             (QList<QByteArray>{QByteArray("@@Hb\x00", 5), QByteArray("@@Bh\x00", 5)}));
  }

  void ubloxPortFrame_data()
  {
    QTest::addColumn<int>("rate");
    QTest::addColumn<QByteArray>("rateField");
    QTest::newRow("57600") << 57600 << Hex("00E10000");
    QTest::newRow("115000") << 115000 << Hex("38C10100");
    QTest::newRow("9600") << 9600 << Hex("80250000");
  }
  void ubloxPortFrame()
  {
    QFETCH(int, rate);
    QFETCH(QByteArray, rateField);
    QCOMPARE(UbxPortFrame(rate),
             Hex("B562060014000100") + Hex("0000") + Hex("C0080000") + rateField + Hex("030003000000") +
                 Hex("0000"));
  }

  void ubloxMessageSets()
  {
    QCOMPARE(UbxAntennaFrame(), Hex("B562061304001700" "0000"));
    const QList<QByteArray> off = UbxMessagesOffFrames();
    QCOMPARE(off.size(), 24);
    QCOMPARE(off.first(), Hex("B56206010300F10000"));
    QCOMPARE(off.last(), Hex("B56206010300F00800"));
    const QList<QByteArray> ubx = UbxMessagesOnFrames(GpsModeUbloxUbx);
    QCOMPARE(ubx.size(), 9);
    QCOMPARE(ubx.at(7), Hex("B5620601030001" "0425"));
    QCOMPARE(ubx.last(), Hex("B5620601030001" "2030"));
    const QList<QByteArray> nmea = UbxMessagesOnFrames(GpsModeUbloxNmea);
    QCOMPARE(nmea.size(), 5);
    for (const QByteArray &frame : nmea)
      QCOMPARE(frame.mid(6, 1), Hex("F0"));
    QVERIFY(UbxMessagesOnFrames(GpsModeMotorolaBinary).isEmpty());
  }
};

RIDUDER_TEST_MAIN(ReceiverSearchTest)
#include "tst_receiversearch.moc"
