#include "TestMain.h"

#include "core/ReceiverState.h"
#include "receiver/decode/ElevationTrend.h"
#include "receiver/decode/FieldReaders.h"
#include "receiver/decode/GpsRxModel.h"
#include "receiver/decode/ReceiverDateTime.h"

#include <memory>

// The shared pieces of the decoders: field readers, the field cutter, the
// elevation trend, the model names and the receiver date-time check.
class TestOncoreFields : public QObject {
  Q_OBJECT

private slots:
  void bigEndianReaders()
  {
    const QByteArray d = QByteArray::fromHex("80ff9c0102030405");
    QCOMPARE(GetU8(d, 0), quint8(0x80));
    QCOMPARE(int(GetI8(d, 0)), -128);
    QCOMPARE(GetBigEndianU16(d, 1), 0xff9c);
    QCOMPARE(GetBigEndianI16AsDouble(d, 1), -100.0);
    QCOMPARE(GetBigEndianU16AsDouble(d, 1), 65436.0);
    QCOMPARE(GetBigEndianU24(d, 0), 0x80ff9c);
    QCOMPARE(GetBigEndianU24AsDouble(d, 0), double(0x80ff9c));
    QCOMPARE(GetBigEndianU32(d, 0), quint32(0x80ff9c01));
    QCOMPARE(GetBigEndianI32AsDouble(d, 0), double(qint32(0x80ff9c01)));
    QCOMPARE(GetBigEndianI32(d, 4), qint32(0x02030405));
  }

  void littleEndianReaders()
  {
    const QByteArray d = QByteArray::fromHex("0102038f");
    QCOMPARE(GetLittleEndianU16(d, 0), 0x0201);
    QCOMPARE(GetLittleEndianU24(d, 1), 0x8f0302);
    QCOMPARE(GetLittleEndianU32(d, 0), quint32(0x8f030201));
    QCOMPARE(GetLittleEndianU32AsDouble(d, 0), double(0x8f030201u));
    QCOMPARE(GetLittleEndianU24AsDouble(d, 0), double(0x030201));
    QCOMPARE(GetLittleEndianU16AsDouble(d, 2), double(0x8f03));
  }

  void secondsField_data()
  {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<double>("seconds");
    QTest::newRow("whole and ns") << QByteArray::fromHex("3b1dcd6500") << 59.5;
    QTest::newRow("negative ns") << QByteArray::fromHex("05fa0a1f00") << 5 - 0.1;
    QTest::newRow("negative whole") << QByteArray::fromHex("ff00000000") << -1.0;
  }
  void secondsField()
  {
    QFETCH(QByteArray, bytes);
    QFETCH(double, seconds);
    QVERIFY(qAbs(GetBigEndianSecondsAsDouble(bytes, 0) - seconds) < 1e-9);
  }

  // A field that runs past the end reads as 0 rather than beyond it.
  void readersNeverReadPastTheEnd()
  {
    const QByteArray d = QByteArray::fromHex("ffffff");
    QCOMPARE(GetBigEndianU32(d, 0), quint32(0));
    QCOMPARE(GetBigEndianU16(d, 2), 0);
    QCOMPARE(GetBigEndianU24(d, 1), 0);
    QCOMPARE(GetLittleEndianU32(d, 0), quint32(0));
    QCOMPARE(GetU8(d, 3), quint8(0));
    QCOMPARE(GetU8(d, -1), quint8(0));
    QCOMPARE(GetBigEndianSecondsAsDouble(d, 0), 0.0);
    QCOMPARE(GetBigEndianU24(d, 0), 0xffffff);
  }

  void nextField_data()
  {
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArray>("fallback");
    QTest::addColumn<QByteArray>("field");
    QTest::addColumn<QByteArray>("rest");
    QTest::newRow("two fields") << QByteArray("ab, cd") << QByteArray("x") << QByteArray("ab")
                                << QByteArray(" cd");
    QTest::newRow("leading comma") << QByteArray(",cd,e") << QByteArray(" x ") << QByteArray("x")
                                   << QByteArray("cd,e");
    QTest::newRow("empty line") << QByteArray() << QByteArray("fb") << QByteArray("fb")
                                << QByteArray();
    QTest::newRow("blanks only") << QByteArray("   ,z") << QByteArray("fb") << QByteArray()
                                 << QByteArray("z");
    QTest::newRow("last field") << QByteArray(" last ") << QByteArray("fb") << QByteArray("last")
                                << QByteArray();
    QTest::newRow("trailing comma") << QByteArray("a,") << QByteArray("fb") << QByteArray("a")
                                    << QByteArray();
  }
  void nextField()
  {
    QFETCH(QByteArray, line);
    QFETCH(QByteArray, fallback);
    QFETCH(QByteArray, field);
    QFETCH(QByteArray, rest);
    QCOMPARE(NextField(line, fallback), field);
    QCOMPARE(line, rest);
  }

  void elevationTrend()
  {
    auto state = std::make_unique<ReceiverState>();
    QCOMPARE(ElevationTrend(*state, 7, 10), 0);
    QCOMPARE(ElevationTrend(*state, 7, 11), 0);  // 1 degree: not yet
    QCOMPARE(ElevationTrend(*state, 7, 12), 1);  // 10 -> 12 reaches 2 degrees
    QCOMPARE(ElevationTrend(*state, 7, 11), 1);  // 1 degree back is ignored
    QCOMPARE(state->previousElevation[7], 12);
    QCOMPARE(ElevationTrend(*state, 7, 0), 1);   // out of range: stored trend
    QCOMPARE(ElevationTrend(*state, 7, 91), 1);
    QCOMPARE(state->previousElevation[7], 12);
    QCOMPARE(ElevationTrend(*state, 7, 10), -1);
    QCOMPARE(ElevationTrend(*state, 0, 30), 0);   // no satellite 0
    QCOMPARE(ElevationTrend(*state, 256, 30), 0);
    QCOMPARE(ElevationTrend(*state, -3, 30), 0);
    QCOMPARE(state->elevationTrend[8], 0);
  }

  void modelNames_data()
  {
    QTest::addColumn<int>("model");
    QTest::addColumn<QString>("name");
    const char *const names[] = {"UNKNOWN", "GT",      "GT+",       "M12",     "M12+",
                                 "M12M",    "PVT6",    "SL",        "UT",      "UT+",
                                 "VP",      "XT",      "VP6",       "UNKNOWN", "UNKNOWN",
                                 "UNKNOWN", "UNKNOWN", "UNKNOWN",   "CNXT/NVMN", "SIGNAV",
                                 "UNKNOWN", "TX Oncore", "SSR-6Tf", "SSR-6Tr", "SSR-M8F",
                                 "SSR-M8T"};
    for (int i = 0; i < GpsRxModel::Count; ++i)
      QTest::addRow("%d", i) << i << QString::fromLatin1(names[i]);
    QTest::newRow("below") << -1 << QStringLiteral("UNKNOWN");
    QTest::newRow("above") << 26 << QStringLiteral("UNKNOWN");
  }
  void modelNames()
  {
    QFETCH(int, model);
    QFETCH(QString, name);
    QCOMPARE(GpsRxModel::DisplayName(model), name);
  }

  void receiverDateTime_data()
  {
    QTest::addColumn<QList<int>>("fields");  // year month day hour minute second
    QTest::addColumn<QDateTime>("expected"); // invalid: rejected
    const QDateTime invalid;
    QTest::newRow("plain") << QList<int>{2024, 3, 10, 12, 34, 56}
                           << QDateTime(QDate(2024, 3, 10), QTime(12, 34, 56), Qt::UTC);
    QTest::newRow("second 60 ends the year")
        << QList<int>{2016, 12, 31, 23, 59, 60}
        << QDateTime(QDate(2017, 1, 1), QTime(0, 0, 0), Qt::UTC);
    QTest::newRow("second 61") << QList<int>{2024, 3, 10, 12, 34, 61} << invalid;
    QTest::newRow("negative second") << QList<int>{2024, 3, 10, 12, 34, -1} << invalid;
    QTest::newRow("minute 60") << QList<int>{2024, 3, 10, 12, 60, 0} << invalid;
    QTest::newRow("hour 24") << QList<int>{2024, 3, 10, 24, 0, 0} << invalid;
    QTest::newRow("month 13") << QList<int>{2024, 13, 10, 12, 0, 0} << invalid;
    QTest::newRow("day 0") << QList<int>{2024, 3, 0, 12, 0, 0} << invalid;
    QTest::newRow("30 February") << QList<int>{2024, 2, 30, 12, 0, 0} << invalid;
  }
  void receiverDateTime()
  {
    QFETCH(QList<int>, fields);
    QFETCH(QDateTime, expected);
    const QDateTime before(QDate(2000, 1, 1), QTime(0, 0), Qt::UTC);
    QDateTime out = before;
    const bool ok = MakeReceiverDateTime(fields[0], fields[1], fields[2], fields[3], fields[4],
                                         fields[5], false, &out);
    QCOMPARE(ok, expected.isValid());
    QCOMPARE(out, ok ? expected : before);
  }

  void receiverDateTimeInLocalTime()
  {
    const QByteArray oldTz = qgetenv("TZ");
    qputenv("TZ", "Europe/Berlin");
    tzset();
    QDateTime out;
    QVERIFY(MakeReceiverDateTime(2024, 3, 10, 12, 0, 0, true, &out));
    QCOMPARE(out, QDateTime(QDate(2024, 3, 10), QTime(11, 0, 0), Qt::UTC));
    QVERIFY(MakeReceiverDateTime(2024, 7, 10, 12, 59, 60, true, &out));
    QCOMPARE(out, QDateTime(QDate(2024, 7, 10), QTime(11, 0, 0), Qt::UTC));
    qputenv("TZ", oldTz);
    tzset();
  }
};

RIDUDER_TEST_MAIN(TestOncoreFields)
#include "tst_oncorefields.moc"
