#include "TestMain.h"

#include "receiver/session/ReceiverSilenceWatch.h"

// The watch over a receiver that stops talking, on a clock the test moves.
class ReceiverSilenceWatchTest : public QObject {
  Q_OBJECT
private slots:
  // Each step: the time, then a message ("m"), a check while watched ("w"),
  // a check while not watched ("-") or a restart ("r", the port reopened);
  // the steps where the watch speaks.
  void silenceIsToldOnceAndEndedByAMessage_data()
  {
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("told");
    QTest::newRow("silent 5 s after the last message")
        << QStringList{"0 m", "4999 w", "5000 w", "5500 w", "9000 w"} << QStringList{"5000 w"};
    QTest::newRow("a message ends it and starts the next wait")
        << QStringList{"0 m", "5000 w", "6000 m", "10999 w", "11000 w"}
        << QStringList{"5000 w", "6000 m", "11000 w"};
    QTest::newRow("messages keep it quiet")
        << QStringList{"0 m", "4000 m", "8000 m", "12000 w", "12999 w"} << QStringList{};
    QTest::newRow("set-up or closed port: the wait starts again after it")
        << QStringList{"0 m", "4000 -", "8000 -", "8000 w", "12999 w", "13000 w"} << QStringList{"13000 w"};
    QTest::newRow("never a message: counted from the first watch")
        << QStringList{"1000 w", "5999 w", "6000 w"} << QStringList{"6000 w"};
    QTest::newRow("a silence lasts through a set-up until a message")
        << QStringList{"0 m", "5000 w", "6000 -", "7000 m"} << QStringList{"5000 w", "7000 m"};
    QTest::newRow("still silent after a set-up: told again")
        << QStringList{"0 m", "5000 w", "6000 -", "6000 w", "10999 w", "11000 w"}
        << QStringList{"5000 w", "11000 w"};
    QTest::newRow("still silent after a restart: told again")
        << QStringList{"0 m", "5000 w", "5100 r", "5200 w", "10199 w", "10200 w", "12000 m"}
        << QStringList{"5000 w", "10200 w", "12000 m"};
    QTest::newRow("a restart between checks: the wait starts at the next one")
        << QStringList{"0 m", "4000 w", "4500 r", "8000 w", "12999 w", "13000 w"} << QStringList{"13000 w"};
  }

  void silenceIsToldOnceAndEndedByAMessage()
  {
    QFETCH(QStringList, steps);
    QFETCH(QStringList, told);
    ReceiverSilenceWatch watch;
    QStringList got;
    for (const QString &step : steps) {
      const qint64 now = step.section(' ', 0, 0).toLongLong();
      const QString kind = step.section(' ', 1);
      bool spoke = false;
      if (kind == QLatin1String("m"))
        spoke = watch.MessageArrived(now);
      else if (kind == QLatin1String("r"))
        watch.Restart();
      else
        spoke = watch.Check(now, kind == QLatin1String("w"));
      if (spoke)
        got << step;
    }
    QCOMPARE(got, told);
  }
};

RIDUDER_TEST_MAIN(ReceiverSilenceWatchTest)
#include "tst_receiversilencewatch.moc"
