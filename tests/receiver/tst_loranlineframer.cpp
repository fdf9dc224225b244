#include "TestMain.h"

#include "FramerRecorder.h"
#include "receiver/link/LoranLineFramer.h"

using namespace riduder::test;

class LoranLineFramerTest : public QObject
{
  Q_OBJECT
private slots:
  void lines_data();
  void lines();
};

void LoranLineFramerTest::lines_data()
{
  QTest::addColumn<QByteArray>("stream");
  QTest::addColumn<QList<QByteArray>>("expected");
  const QByteArray longest(255, 'L');
  QTest::newRow("CR LF") << QByteArray("T0 OK\r\nBIN\r\n") << QList<QByteArray>{"T0 OK", "BIN"};
  QTest::newRow("LF alone") << QByteArray("a\nb\n") << QList<QByteArray>{"a", "b"};
  QTest::newRow("CR alone") << QByteArray("a\rb\r") << QList<QByteArray>{"a", "b"};
  QTest::newRow("empty lines dropped") << QByteArray("\r\n\n\r\r\nx\n\n") << QList<QByteArray>{"x"};
  QTest::newRow("unfinished line held") << QByteArray("a\r\nb") << QList<QByteArray>{"a"};
  QTest::newRow("noise drops the whole line") << QByteArray("ab\x01\x80" "cd\r\nok\r\n")
                                              << QList<QByteArray>{"ok"};
  QTest::newRow("high byte") << QByteArray("caf\xe9\nok\n") << QList<QByteArray>{"ok"};
  QTest::newRow("tab is not text") << QByteArray("a\tb\nok\n") << QList<QByteArray>{"ok"};
  QTest::newRow("255 bytes kept") << longest + "\n" << QList<QByteArray>{longest};
  QTest::newRow("256 bytes dropped whole") << longest + "MORE\nok\n" << QList<QByteArray>{"ok"};
}

void LoranLineFramerTest::lines()
{
  QFETCH(QByteArray, stream);
  QFETCH(QList<QByteArray>, expected);
  for (int size : {1, 2, 3, 1000}) {
    LoranLineFramer framer;
    FramerRecorder recorder;
    for (const QByteArray &chunk : CutEvery(stream, size))
      framer.Process(chunk, recorder);
    QCOMPARE(recorder.messages, expected);
  }
}

RIDUDER_TEST_MAIN(LoranLineFramerTest)
#include "tst_loranlineframer.moc"
