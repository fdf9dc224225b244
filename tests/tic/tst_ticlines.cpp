#include "TestMain.h"

#include "tic/TicLineAssembler.h"
#include "tic/TicScpi.h"

// The counter lines: the serial line assembly and the prompt-driven
// conversation of a counter on TCP/IP.
class TicLinesTest : public QObject {
  Q_OBJECT
private slots:
  void serialBytesBecomeLines_data()
  {
    QTest::addColumn<QList<QByteArray>>("blocks");
    QTest::addColumn<QList<QByteArray>>("lines");
    using L = QList<QByteArray>;
    QTest::newRow("CR LF and CR") << L{"12.5\r\n7\r"} << L{"2 12.5", "2 7"};
    QTest::newRow("CR alone") << L{"\r"} << L{"2 "};
    QTest::newRow("split over blocks") << L{"+1.2", "34E-07", "\r\n"} << L{"2 +1.234E-07"};
    QTest::newRow("control bytes dropped") << L{QByteArray("1\t2\x00" "3\x7f\r", 7)} << L{"2 123"};
    QTest::newRow("Latin-1 printable kept") << L{"\xb5s\xad\r"} << L{"2 \xb5s"};
    QTest::newRow("no CR yet") << L{"12.5\n"} << L{};
  }

  void serialBytesBecomeLines()
  {
    QFETCH(QList<QByteArray>, blocks);
    QFETCH(QList<QByteArray>, lines);
    TicLineAssembler assembler(2);
    QList<QByteArray> got;
    for (const QByteArray &block : blocks)
      got += assembler.Feed(block);
    QCOMPARE(got, lines);
  }

  void overlongLineKeepsItsEnd()
  {
    TicLineAssembler assembler(5);
    QByteArray text;
    for (int i = 0; i < 300; ++i)
      text.append(char('A' + i % 26));
    const QList<QByteArray> lines = assembler.Feed(text + '\r');
    QCOMPARE(lines.size(), 1);
    QCOMPARE(lines.first(), "5 " + text.right(44));
  }

  void portsNeverMixTheirPartialLines()
  {
    TicLineAssembler one(1);
    TicLineAssembler two(2);
    QVERIFY(one.Feed("1.5").isEmpty());
    QVERIFY(two.Feed("-2").isEmpty());
    QCOMPARE(one.Feed("E-9\r"), QList<QByteArray>{"1 1.5E-9"});
    QCOMPARE(two.Feed(".5\r"), QList<QByteArray>{"2 -2.5"});
  }

  void greetingsNameTheModel_data()
  {
    QTest::addColumn<QByteArray>("greeting");
    QTest::addColumn<int>("model");
    QTest::addColumn<int>("commands");
    QTest::newRow("53220A") << QByteArray("Welcome 53220A\r\n") << int(TicCounterModel::Counter5322xA) << 19;
    QTest::newRow("53230A") << QByteArray("x,53230A,y\r\n") << int(TicCounterModel::Counter5322xA) << 19;
    QTest::newRow("BNC1105") << QByteArray("BNC1105\r\n") << int(TicCounterModel::Bnc1105) << 15;
    QTest::newRow("other") << QByteArray("53131A\r\n") << int(TicCounterModel::Unknown) << 0;
  }

  void greetingsNameTheModel()
  {
    QFETCH(QByteArray, greeting);
    QFETCH(int, model);
    QFETCH(int, commands);
    QCOMPARE(int(IdentifyTicCounter(greeting)), model);
    const QList<QByteArray> setup = TicScpiSetup(TicCounterModel(model));
    QCOMPARE(setup.size(), commands);
    for (const QByteArray &command : setup)
      QVERIFY(command.endsWith("\r\n") && command.count("\r\n") == 1);
  }

  void promptsAnswerWithOneCommandEach()
  {
    TicScpiPoll poll;
    poll.Start(TicCounterModel::Bnc1105);
    const QList<QByteArray> setup = TicScpiSetup(TicCounterModel::Bnc1105);
    // Two prompts in one block still get one command.
    QCOMPARE(poll.Receive("BNC1105> BNC1105> ").command, setup.at(0));
    for (int i = 1; i < setup.size(); ++i)
      QCOMPARE(poll.Receive("\r\nBNC1105> ").command, setup.at(i));
    QCOMPARE(poll.Receive("BNC1105> ").command, QByteArray("READ?\r\n"));
    QCOMPARE(poll.Receive("BNC1105> ").command, QByteArray("READ?\r\n"));
    QVERIFY(poll.Receive("no prompt\r\n").command.isEmpty());
  }

  // A reader that takes several blocks in one pass answers their prompts
  // once, and a prompt it read only to drop is answered all the same.
  void promptsOfOnePassAreAnsweredOnce()
  {
    TicScpiPoll poll;
    poll.Start(TicCounterModel::Counter5322xA);
    const QList<QByteArray> setup = TicScpiSetup(TicCounterModel::Counter5322xA);
    QCOMPARE(poll.Take("1\r\n> 2\r\n> "), (QList<QByteArray>{"1", "2"}));
    QCOMPARE(poll.Take("3\r\n> 4"), QList<QByteArray>{"3"});
    QVERIFY(poll.PromptDue());
    QCOMPARE(poll.NextCommand(), setup.at(0));
    QVERIFY(!poll.PromptDue());
    QVERIFY(poll.NextCommand().isEmpty());
    // The rest of the split reading is framed as before.
    QCOMPARE(poll.Take("5\r\n"), QList<QByteArray>{"45"});
    QVERIFY(poll.NextCommand().isEmpty());
    QCOMPARE(poll.Take("> "), QList<QByteArray>{});
    QCOMPARE(poll.NextCommand(), setup.at(1));
  }

  void repliesBecomeReadings_data()
  {
    QTest::addColumn<QList<QByteArray>>("blocks");
    QTest::addColumn<QList<QByteArray>>("readings");
    QTest::addColumn<int>("commands");
    using L = QList<QByteArray>;
    QTest::newRow("number, CR LF, prompt") << L{"+1.5E-07\r\n> "} << L{"+1.5E-07"} << 1;
    QTest::newRow("prompt only") << L{"> "} << L{} << 1;
    QTest::newRow("number without CR") << L{"+1.5E-07"} << L{} << 0;
    QTest::newRow("split over two writes") << L{"+1.23", "4E-07\r\n53230A> "} << L{"+1.234E-07"} << 1;
    QTest::newRow("text reply dropped") << L{"-113,\"Undefined header\"\r\n> "} << L{} << 1;
    QTest::newRow("prompt then next reply") << L{"1\r\n53230A> ", "2\r\n53230A> "} << L{"1", "2"} << 2;
    QTest::newRow("two readings in one block") << L{"1\r\n2\r\n> "} << L{"1", "2"} << 1;
    QTest::newRow("blank lines are no readings") << L{"\r\n \r\n53230A> \r\n> "} << L{} << 1;
  }

  void repliesBecomeReadings()
  {
    QFETCH(QList<QByteArray>, blocks);
    QFETCH(QList<QByteArray>, readings);
    QFETCH(int, commands);
    TicScpiPoll poll;
    poll.Start(TicCounterModel::Counter5322xA);
    QList<QByteArray> got;
    int sent = 0;
    for (const QByteArray &block : blocks) {
      const TicScpiPoll::Step step = poll.Receive(block);
      got += step.readings;
      sent += step.command.isEmpty() ? 0 : 1;
    }
    QCOMPARE(got, readings);
    QCOMPARE(sent, commands);
  }

  void aReplyWithoutEndStaysBounded()
  {
    TicScpiPoll poll;
    for (int i = 0; i < 100; ++i)
      QVERIFY(poll.Receive(QByteArray(100, '1')).readings.isEmpty());
    // Only the last bytes were kept: the reading is at most the bound.
    const QList<QByteArray> readings = poll.Receive("\r\n").readings;
    QCOMPARE(readings.size(), 1);
    QCOMPARE(readings.first().size(), TicScpiPoll::MaxPendingBytes);
  }
};

RIDUDER_TEST_MAIN(TicLinesTest)
#include "tst_ticlines.moc"
