#include "TestMain.h"

#include "TicTestHost.h"
#include "core/ClockModes.h"
#include "core/ReceiverState.h"
#include "platform/TimeSource.h"
#include "tic/TicLineProcessor.h"
#include "logging/TicTimeTag.h"

#include <cmath>

using riduder::test::TicTestHost;

namespace {

// 2024-03-10 12:00:00 UTC, a multiple of 60 seconds since 1970.
constexpr qint64 Noon = 1710072000;

struct Rig {
  ReceiverState state;
  TicTestHost host;
  TicLineProcessor processor{state, host};

  Rig()
  {
    host.options.timeTagFormat = TicTimeTagFormats::Mjd;
    host.options.logStyle = 1;
    host.options.timeLogInterval = 1;
    host.options.averagingPeriod = 0;
    host.correction.mode = TicSawtoothModes::Off;
    Show(Noon);
  }
  void Show(qint64 second)
  {
    state.displayCopy.SetDateTime(QDateTime::fromSecsSinceEpoch(second, Qt::UTC));
  }
  // A new sawtooth value from the receiver, as the decoders store it.
  void Sawtooth(double ns)
  {
    state.receiverSawtoothNs = ns;
    state.receiverSawtoothFresh = true;
  }
};

}  // namespace

class TestTicProcessing : public QObject {
  Q_OBJECT

private slots:
  void aReadingMakesOneTimeRow()
  {
    Rig rig;
    rig.host.logOpen = true;
    rig.host.pcClockOffsetMs = 1500;
    rig.host.correction.mode = TicSawtoothModes::Add;
    rig.state.receiverOneSigmaNs = 5;
    rig.state.utcOffsetSeconds = 18;
    rig.Sawtooth(3.0);
    rig.processor.ProcessTicLine("4 10.0 us\r\n");
    const QByteArray row = "60379.50000,10.0,3.000,5,0.000,10.003000,1.500,18,0.00";
    QCOMPARE(rig.host.rawLines, QStringList{QStringLiteral("4 10.0 us")});
    QCOMPARE(rig.host.processedLines, QStringList{QStringLiteral("4 ") + QString::fromLatin1(row)});
    QCOMPARE(rig.host.timeRows.size(), 1);
    QCOMPARE(rig.host.timeRows.at(0).first, 4);
    QCOMPARE(rig.host.timeRows.at(0).second, row);
    QCOMPARE(rig.processor.LastTimeLine(), row);
    // Only port 1 feeds the labels.
    QVERIFY(rig.host.readings.isEmpty());

    // The delay total of smaller magnitude is printed and, with the switch
    // on, subtracted.
    rig.host.options.logStyle = 0;
    rig.host.correction.ticAutoCorrect = true;
    rig.host.correction.delayTotals[0] = -0.25;
    rig.host.correction.delayTotals[1] = 999999.75;
    rig.processor.ProcessTicLine("4 10.0 us");
    QCOMPARE(rig.host.timeRows.last().second,
             QByteArray("60379.50000 10.0 3.000 5 -0.250 10.253000 1.500 18 0.00"));
  }

  void linesThatMakeNoReading_data()
  {
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArray>("row");  // empty: dropped without a row
    QTest::newRow("no unit: the text as sent") << QByteArray("3 1,5  volts") << QByteArray("60379.50000,1,5  volts");
    QTest::newRow("SCPI no value") << QByteArray("3 9.91E37") << QByteArray("60379.50000,9.91E37");
    QTest::newRow("huge exponent") << QByteArray("3 1E999") << QByteArray("60379.50000,1E999");
    QTest::newRow("comment") << QByteArray("; 3 10 us") << QByteArray();
    QTest::newRow("port 0") << QByteArray("0 10 us") << QByteArray();
    QTest::newRow("port 9") << QByteArray("9 10 us") << QByteArray();
    QTest::newRow("port not a number") << QByteArray("x 10 us") << QByteArray();
    QTest::newRow("no text") << QByteArray("3") << QByteArray();
    QTest::newRow("blank text") << QByteArray("3    ") << QByteArray();
  }

  void linesThatMakeNoReading()
  {
    QFETCH(QByteArray, line);
    QFETCH(QByteArray, row);
    Rig rig;
    rig.host.logOpen = true;
    rig.processor.ProcessTicLine(line);
    QCOMPARE(rig.host.rawLines.size(), 1);
    if (row.isEmpty()) {
      QVERIFY(rig.host.processedLines.isEmpty());
      QVERIFY(rig.host.timeRows.isEmpty());
      return;
    }
    QCOMPARE(rig.host.timeRows.size(), 1);
    QCOMPARE(rig.host.timeRows.at(0).second, row);
    // Text is no reading: nothing enters the correction or the averages.
    QCOMPARE(rig.processor.Correction().Port(2).historyIndex, 0);
    QCOMPARE(rig.processor.Averages().Port(2).count, 0);
  }

  // Rows go to the file only while the log is open; to the client while it
  // asked; the last TIME line is kept in either case, but only in the
  // seconds of the interval.
  void timeRowsFollowTheIntervalAndTheCounters()
  {
    Rig rig;
    rig.host.options.timeLogInterval = 60;
    rig.Show(Noon + 30);
    rig.processor.ProcessTicLine("1 5 us");
    QVERIFY(rig.processor.LastTimeLine().isEmpty());
    rig.Show(Noon + 60);
    rig.processor.ProcessTicLine("1 5 us");
    QVERIFY(rig.host.timeRows.isEmpty());
    QVERIFY(rig.host.sentences.isEmpty());
    QVERIFY(rig.processor.LastTimeLine().startsWith("60379.50069,5,"));

    rig.host.logOpen = true;
    rig.processor.SetRemoteTimeCount(1);
    rig.processor.ProcessTicLine("2 6 us");
    rig.processor.ProcessTicLine("2 7 us");
    QCOMPARE(rig.host.timeRows.size(), 2);
    QCOMPARE(rig.host.sentences.size(), 1);
    QCOMPARE(rig.host.sentences.at(0), "$DAREZ,TICDATA,TIME," + rig.host.timeRows.at(0).second);
    QCOMPARE(rig.processor.RemoteTimeCount(), 0);

    rig.processor.SetRemoteTimeCount(-1);
    for (int i = 0; i < 3; ++i)
      rig.processor.ProcessTicLine("2 8 us");
    QCOMPARE(rig.host.sentences.size(), 4);
    QCOMPARE(rig.processor.RemoteTimeCount(), -1);

    // Interval 0: no rows and no sentences at all.
    rig.host.options.timeLogInterval = 0;
    rig.processor.ProcessTicLine("2 9 us");
    QCOMPARE(rig.host.timeRows.size(), 5);
    QCOMPARE(rig.host.sentences.size(), 4);
  }

  void counterStatisticsMakeOneAverageRow()
  {
    Rig rig;
    rig.host.logOpen = true;
    rig.processor.SetRemoteAverageCount(-1);
    rig.processor.ProcessTicLine("2 N: 100");
    rig.processor.ProcessTicLine("2 MEAN: 5.2E-08");
    QVERIFY(rig.host.averageRows.isEmpty());
    rig.processor.ProcessTicLine("2 MIN: 4.9E-08");
    const QByteArray row = "60379.50000,100,0.052000,0.049000";
    QCOMPARE(rig.host.averageRows.size(), 1);
    QCOMPARE(rig.host.averageRows.at(0).first, 2);
    QCOMPARE(rig.host.averageRows.at(0).second, row);
    QCOMPARE(rig.host.sentences, QList<QByteArray>{"$DAREZ,TICDATA,AVERAGE," + row});
    QCOMPARE(rig.processor.LastAverageLine(), row);
    QCOMPARE(rig.host.processedLines, QStringList{QStringLiteral("2 ") + QString::fromLatin1(row)});
    QVERIFY(rig.host.timeRows.isEmpty());

    // With internal averaging the counter's own statistics are dropped.
    Rig averaging;
    averaging.host.logOpen = true;
    averaging.host.options.averagingPeriod = 300;
    for (const char *line : {"2 N: 100", "2 MEAN: 5.2E-08", "2 MIN: 4.9E-08"})
      averaging.processor.ProcessTicLine(line);
    QVERIFY(averaging.host.averageRows.isEmpty());
    QVERIFY(averaging.host.processedLines.isEmpty());
    QVERIFY(averaging.processor.LastAverageLine().isEmpty());
  }

  // A counter that never sends its "N" line keeps extending the same row:
  // the row stops growing at its bound.
  void statisticsRowIsBounded()
  {
    Rig rig;
    for (int i = 0; i < 5000; ++i)
      rig.processor.ProcessTicLine("5 MEAN: 5.2E-08");
    rig.processor.ProcessTicLine("5 MIN: 4.9E-08");
    QVERIFY(rig.processor.StatisticsRow(5).size() <= TicLineProcessor::MaxStatisticsRowBytes);
    QVERIFY(rig.processor.LastAverageLine().size() <= TicLineProcessor::MaxStatisticsRowBytes);
  }

  void lockedModesOnTwoCounters_data()
  {
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("port1");
    QTest::addColumn<QString>("port2");
    QTest::newRow("add") << TicSawtoothModes::Add << "10.003000" << "-19.997000";
    QTest::newRow("subtract") << TicSawtoothModes::Subtract << "9.997000" << "-20.003000";
    QTest::newRow("off") << TicSawtoothModes::Off << "10.000000" << "-20.000000";
    QTest::newRow("unknown counts as off") << -1 << "10.000000" << "-20.000000";
  }

  void lockedModesOnTwoCounters()
  {
    QFETCH(int, mode);
    QFETCH(QString, port1);
    QFETCH(QString, port2);
    Rig rig;
    rig.host.correction.mode = mode;
    for (int second = 0; second < 3; ++second) {
      rig.Sawtooth(3.0);
      rig.processor.ProcessTicLine("1 10 us");
      rig.processor.ProcessTicLine("2 -20 us");
      QCOMPARE(rig.processor.LastPort1Reading(), port1.toLatin1());
      QVERIFY(rig.processor.LastTimeLine().contains("," + port2.toLatin1() + ","));
    }
    QCOMPARE(rig.state.ticSignLocked[0], mode == TicSawtoothModes::Add || mode == TicSawtoothModes::Subtract);
    QVERIFY(!rig.state.receiverSawtoothFresh);
    QCOMPARE(rig.state.sawtoothNumber, quint64(3));
  }

  // Two counters wired in opposite senses, each reading one new sawtooth
  // value a second: each finds its own sign and locks it, the first at its
  // tenth window, the second (which starts on the wrong sign) at its
  // eleventh. The readings are pure sawtooth, so the empty history slots of
  // the first windows favour neither sign.
  void automaticChoiceOnTwoCounters()
  {
    Rig rig;
    rig.host.correction.mode = TicSawtoothModes::Automatic;
    auto corrected = [&] { return rig.processor.LastTimeLine().split(',').at(5).toDouble(); };
    auto micro = [](double us) { return std::round(us * 1e6) / 1e6; };
    for (int second = 1; second <= 12; ++second) {
      const double sawtoothNs = (second * 7) % 13 - 6.0;
      rig.Sawtooth(sawtoothNs);
      const double us = sawtoothNs / 1000.0;
      // Port 1 sees the sawtooth subtracted, port 2 added.
      rig.processor.ProcessTicLine(QByteArray("1 ") + QByteArray::number(-us, 'f', 6) + " us");
      const double port1 = corrected();
      rig.processor.ProcessTicLine(QByteArray("2 ") + QByteArray::number(us, 'f', 6) + " us");
      const double port2 = corrected();
      QCOMPARE(rig.state.ticSignLocked[0], second >= 10);
      QCOMPARE(rig.state.ticSignLocked[1], second >= 11);
      QCOMPARE(port1, second >= 10 ? 0.0 : micro(-us));
      QCOMPARE(port2, second >= 11 ? 0.0 : micro(us));
    }
    QVERIFY(rig.processor.Correction().Port(0).signAdd);
    QVERIFY(!rig.processor.Correction().Port(1).signAdd);

    // No new sawtooth value: both ports drop their choice and history.
    rig.processor.ProcessTicLine("1 0.004 us");
    rig.processor.ProcessTicLine("2 0.004 us");
    for (int port = 0; port < 2; ++port) {
      QVERIFY(!rig.state.ticSignLocked[port]);
      QCOMPARE(rig.processor.Correction().Port(port).historyIndex, 1);
      QCOMPARE(rig.processor.Correction().Port(port).votes, 1);
    }
    QCOMPARE(corrected(), 0.004);
  }

  // The counter watch: a reading zeroes its port's tick count; a stale
  // port applies the mode afresh even with a new sawtooth value.
  void readingResetsTheCounterWatch()
  {
    Rig rig;
    rig.host.correction.mode = TicSawtoothModes::Add;
    rig.state.ticTickCount[6] = 2;
    rig.Sawtooth(1.0);
    rig.processor.ProcessTicLine("7 1 us");
    QCOMPARE(rig.state.ticTickCount[6], 0);
    QVERIFY(!rig.state.ticStale[6]);
    QVERIFY(rig.state.ticSignLocked[6]);

    // The timing dialog changes the mode and marks every port stale.
    rig.host.correction.mode = TicSawtoothModes::Off;
    rig.state.ticStale[6] = true;
    rig.Sawtooth(1.0);
    rig.processor.ProcessTicLine("7 1 us");
    QVERIFY(!rig.state.ticSignLocked[6]);
    QCOMPARE(rig.processor.LastPort1Reading(), QByteArray());
  }

  // Period 10 s, one reading a second: the first period runs to the next
  // multiple of 10, later ones hold ten readings each.
  void averagesOverThePeriod()
  {
    Rig rig;
    rig.host.logOpen = true;
    rig.host.options.averagingPeriod = 10;
    rig.processor.SetRemoteAverageCount(2);
    const qint64 start = Noon + 3;
    for (qint64 second = start; second <= Noon + 30; ++second) {
      rig.Show(second);
      const int value = int(second - Noon - 1) % 10 + 1;  // 1..10 within a full period
      rig.processor.ProcessTicLine(QByteArray("3 ") + QByteArray::number(value) + " us");
    }
    QCOMPARE(rig.host.averageRows.size(), 3);
    // 3..10 from second 3 to second 10.
    QCOMPARE(rig.host.averageRows.at(0).second, QByteArray("60379.50012,8,02.291288,06.500000,10.000000,03.000000"));
    QCOMPARE(rig.host.averageRows.at(1).second, QByteArray("60379.50023,10,02.872281,05.500000,10.000000,01.000000"));
    QCOMPARE(rig.host.averageRows.at(2).second, QByteArray("60379.50035,10,02.872281,05.500000,10.000000,01.000000"));
    QCOMPARE(rig.host.sentences.size(), 2);
    QCOMPARE(rig.host.sentences.at(1), "$DAREZ,TICDATA,AVERAGE," + rig.host.averageRows.at(1).second);
    QCOMPARE(rig.processor.LastAverageLine(), rig.host.averageRows.at(2).second);
    QCOMPARE(rig.processor.RemoteAverageCount(), 0);

    // Period 0 keeps nothing.
    rig.host.options.averagingPeriod = 0;
    rig.processor.ProcessTicLine("3 4 us");
    QCOMPARE(rig.processor.Averages().Port(2).count, 0);
    QCOMPARE(rig.processor.Averages().Port(2).periodStartMs, qint64(0));
  }

  // Several readings a second: a period that began in the second of a
  // multiple does not end there; equal readings give sigma 0.
  void noTwoReadingPeriods()
  {
    Rig rig;
    rig.host.options.averagingPeriod = 10;
    // Noon is a multiple of 10: the period begins there, and the second
    // and third readings of that second end nothing.
    rig.Show(Noon);
    for (int i = 0; i < 3; ++i)
      rig.processor.ProcessTicLine("8 2.5 us");
    QVERIFY(rig.processor.LastAverageLine().isEmpty());
    QCOMPARE(rig.processor.Averages().Port(7).count, 3);
    // The count passing the period ends it (the eleventh reading ends it).
    Rig fast;
    fast.host.options.averagingPeriod = 10;
    fast.Show(Noon + 1);
    for (int i = 0; i < 11; ++i)
      fast.processor.ProcessTicLine("8 2.5 us");
    QCOMPARE(fast.processor.LastAverageLine(),
             QByteArray("60379.50001,11,00.000000,02.500000,02.500000,02.500000"));
  }

  void port1FeedsTheLabelsAndTheClock()
  {
    Rig rig;
    rig.host.correction.mode = TicSawtoothModes::Add;
    rig.host.clockDisplayMode = ClockModes::Utc;
    rig.Sawtooth(2.0);
    rig.processor.ProcessTicLine("1 4 ns");
    QCOMPARE(rig.host.readings, QStringList{QStringLiteral("0.006000")});
    QVERIFY(rig.host.clockTexts.isEmpty());
    rig.host.clockDisplayMode = ClockModes::Tic;
    rig.Sawtooth(2.0);
    rig.processor.ProcessTicLine("1 4 ns");
    QCOMPARE(rig.processor.ClockTicText(), QStringLiteral("0.006000"));
    rig.host.clockDisplayMode = ClockModes::TicRaw;
    rig.Sawtooth(2.0);
    rig.processor.ProcessTicLine("1 4 ns");
    QCOMPARE(rig.processor.ClockTicText(), QStringLiteral("00.004000"));
    QCOMPARE(rig.host.clockTexts, (QStringList{QStringLiteral("0.006000"), QStringLiteral("00.004000")}));
  }
};

RIDUDER_TEST_MAIN(TestTicProcessing)
#include "tst_ticprocessing.moc"
