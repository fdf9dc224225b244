#include "TestMain.h"

#include "FrameBuilders.h"
#include "FramerRecorder.h"
#include "receiver/link/OncoreFramer.h"

#include <QSet>

using namespace riduder::test;

namespace {

QList<QByteArray> Frame(const QList<QByteArray> &chunks, QList<QByteArray> *events = nullptr)
{
  OncoreFramer framer;
  FramerRecorder recorder;
  for (const QByteArray &chunk : chunks)
    framer.Process(chunk, recorder);
  if (events)
    *events = recorder.events;
  return recorder.messages;
}

QList<QByteArray> Frame(const QByteArray &stream)
{
  return Frame(QList<QByteArray>{stream});
}

// What the decoder receives: the message less checksum and CR LF.
QByteArray Delivered(const QByteArray &wire)
{
  return wire.chopped(3);
}

QByteArray Bb(int count, int totalLength)
{
  QByteArray params(totalLength - 7, '\x11');
  params[0] = char(count);
  return BuildOncoreWire("Bb", params);
}

}  // namespace

class OncoreFramerTest : public QObject
{
  Q_OBJECT
private slots:
  void lengthTable_data();
  void lengthTable();
  void lengthTableHasEveryIdentifierOnce();
  void checksumTest_data();
  void checksumTest();
  void framing_data();
  void framing();
  void everyChunkingGivesTheSameMessages();
  void messageIsDeliveredWithItsLastByte();
  void boundariesFallBetweenMessages();
  void resetDropsAHalfCollectedMessage();
};

void OncoreFramerTest::lengthTable_data()
{
  QTest::addColumn<QByteArray>("head");
  QTest::addColumn<int>("length");
  QTest::newRow("Ea") << QByteArray("@@Ea") << 76;
  QTest::newRow("Ha") << QByteArray("@@Ha") << 154;
  QTest::newRow("Cj") << QByteArray("@@Cj") << 294;
  QTest::newRow("Tr longest") << QByteArray("@@Tr") << 597;
  QTest::newRow("Cf shortest") << QByteArray("@@Cf") << 7;
  QTest::newRow("SP upper case") << QByteArray("@@SP") << 11;
  QTest::newRow("Sp lower case") << QByteArray("@@Sp") << 8;
  QTest::newRow("Bb table length") << QByteArray("@@Bb") << 92;
  QTest::newRow("case matters: EA") << QByteArray("@@EA") << -1;
  QTest::newRow("unknown XY") << QByteArray("@@XY") << -1;
  QTest::newRow("unknown Wa") << QByteArray("@@Wa") << -1;
  QTest::newRow("letter D") << QByteArray("@@Da") << -1;
  QTest::newRow("high bytes") << QByteArray("@@\xC1\xE1") << -1;
  QTest::newRow("three bytes") << QByteArray("@@E") << -1;
}

void OncoreFramerTest::lengthTable()
{
  QFETCH(QByteArray, head);
  QFETCH(int, length);
  QCOMPARE(MotorolaBinaryMessageLength(head), length);
}

void OncoreFramerTest::lengthTableHasEveryIdentifierOnce()
{
  QCOMPARE(OncoreMessageLengthTableSize, 106);
  QSet<QByteArray> seen;
  for (int i = 0; i < OncoreMessageLengthTableSize; ++i) {
    const QByteArray id(OncoreMessageLengthTable[i].id, 2);
    QVERIFY2(!seen.contains(id), id.constData());
    seen.insert(id);
    QVERIFY(OncoreMessageLengthTable[i].length >= 7);
  }
}

void OncoreFramerTest::checksumTest_data()
{
  QTest::addColumn<QByteArray>("message");
  QTest::addColumn<bool>("ok");
  const QByteArray gd = BuildOncoreWire("Gd", QByteArray(1, '\x03'));
  QTest::newRow("good") << gd << true;
  QByteArray badSum = gd;
  badSum[5] = char(badSum[5] ^ 0x01);
  QTest::newRow("wrong sum") << badSum << false;
  QTest::newRow("LF missing") << gd.chopped(1) + "X" << false;
  QTest::newRow("CR missing") << gd.chopped(2) + "X\n" << false;
  QByteArray eq = BuildOncoreWireOfLength("Eq", 96);
  eq[93] = char(eq[93] ^ 0x5A);
  QTest::newRow("Eq any sum") << eq << true;
  QTest::newRow("Eq without CR LF") << eq.chopped(2) + "xx" << false;
}

void OncoreFramerTest::checksumTest()
{
  QFETCH(QByteArray, message);
  QFETCH(bool, ok);
  QCOMPARE(MotorolaBinaryChecksumOk(message), ok);
}

void OncoreFramerTest::framing_data()
{
  QTest::addColumn<QByteArray>("stream");
  QTest::addColumn<QList<QByteArray>>("expected");

  const QByteArray ea = BuildOncoreWireOfLength("Ea", 76, '\x05');
  const QByteArray gd = BuildOncoreWire("Gd", QByteArray(1, '\x03'));
  const QByteArray ha = BuildOncoreWireOfLength("Ha", 154, '@');

  QTest::newRow("one message") << ea << QList<QByteArray>{Delivered(ea)};
  QTest::newRow("garbage around") << "xx@\r\n@" + ea + "\xff@@" + gd + "zz"
                                  << QList<QByteArray>{Delivered(ea), Delivered(gd)};
  QByteArray bad = ea;
  bad[73] = char(bad[73] ^ 0x10);
  QTest::newRow("bad checksum dropped") << bad + gd << QList<QByteArray>{Delivered(gd)};
  QTest::newRow("missing CR LF dropped") << ea.chopped(2) + "ab" + gd << QList<QByteArray>{Delivered(gd)};
  QTest::newRow("unknown identifier") << "@@XY12345678" + gd << QList<QByteArray>{Delivered(gd)};
  QTest::newRow("unknown Wa") << "@@Wa" + gd << QList<QByteArray>{Delivered(gd)};
  QTest::newRow("three @ before Ha") << "@" + ha << QList<QByteArray>{Delivered(ha)};
  // A false start whose table length would swallow the real message.
  QTest::newRow("false start hides a message") << "@@Ea\x01\x02" + gd + ea
                                               << QList<QByteArray>{Delivered(gd), Delivered(ea)};
  // Once the cut message's length has passed, the one inside it comes out.
  QTest::newRow("message cut short, next one kept") << ha.left(60) + ea + QByteArray(18, 'z')
                                                    << QList<QByteArray>{Delivered(ea)};

  QByteArray eq = BuildOncoreWireOfLength("Eq", 96);
  eq[93] = '\0';
  QTest::newRow("Eq any checksum") << eq << QList<QByteArray>{Delivered(eq)};

  const QByteArray bb0 = Bb(0, 92);
  const QByteArray bb12 = Bb(12, 92);
  const QByteArray bb13short = Bb(13, 92);
  const QByteArray bb13 = Bb(13, 99);
  const QByteArray bb20 = Bb(20, 148);
  const QByteArray bb64 = Bb(64, 456);
  const QByteArray bb200 = Bb(200, 456);
  QTest::newRow("Bb 0") << bb0 << QList<QByteArray>{Delivered(bb0)};
  QTest::newRow("Bb 12") << bb12 << QList<QByteArray>{Delivered(bb12)};
  QTest::newRow("Bb 13 in 92 bytes") << bb13short + gd
                                     << QList<QByteArray>{Delivered(bb13short), Delivered(gd)};
  QTest::newRow("Bb 13 in 99 bytes") << bb13 + gd << QList<QByteArray>{Delivered(bb13), Delivered(gd)};
  QTest::newRow("Bb 20") << bb20 << QList<QByteArray>{Delivered(bb20)};
  QTest::newRow("Bb 64") << bb64 << QList<QByteArray>{Delivered(bb64)};
  QTest::newRow("Bb over 64") << bb200 << QList<QByteArray>{Delivered(bb200)};
  QTest::newRow("Bb 12 cut at 92 bytes is not grown") << bb12 + bb13
                                                      << QList<QByteArray>{Delivered(bb12), Delivered(bb13)};
  QTest::newRow("two Bb forms in a row") << bb13short + bb13 + bb13short
                                         << QList<QByteArray>{Delivered(bb13short), Delivered(bb13),
                                                              Delivered(bb13short)};
}

void OncoreFramerTest::framing()
{
  QFETCH(QByteArray, stream);
  QFETCH(QList<QByteArray>, expected);
  QCOMPARE(Frame(stream), expected);
  QCOMPARE(Frame(CutEvery(stream, 1)), expected);
}

void OncoreFramerTest::everyChunkingGivesTheSameMessages()
{
  const QByteArray ea = BuildOncoreWireOfLength("Ea", 76, '@');
  const QByteArray cj = BuildOncoreWireOfLength("Cj", 294, 'C');
  QByteArray stream = "\x01@@" + ea + Bb(13, 92) + "@@@" + cj + Bb(20, 148) + "@@Xq" +
                      BuildOncoreWire("Gd", QByteArray(1, '@')) + "tail@@";
  const QList<QByteArray> whole = Frame(stream);
  QCOMPARE(whole.size(), 5);

  for (int cut = 1; cut < stream.size(); ++cut)
    QCOMPARE(Frame(CutAt(stream, {cut})), whole);
  for (int a = 1; a < stream.size(); a += 7)
    for (int b = a + 1; b < stream.size(); b += 13)
      QCOMPARE(Frame(CutAt(stream, {a, b})), whole);
  for (quint32 seed = 1; seed <= 50; ++seed)
    QCOMPARE(Frame(CutRandomly(stream, seed, 40)), whole);
}

void OncoreFramerTest::messageIsDeliveredWithItsLastByte()
{
  const QByteArray ha = BuildOncoreWireOfLength("Ha", 154, '\x02');
  OncoreFramer framer;
  FramerRecorder recorder;
  framer.Process(ha.left(153), recorder);
  QVERIFY(recorder.messages.isEmpty());
  framer.Process(ha.right(1), recorder);
  QCOMPARE(recorder.messages, QList<QByteArray>{ha.chopped(3)});
  QCOMPARE(recorder.messages.first().size(), 151);
  QVERIFY(framer.IsIdle());
}

void OncoreFramerTest::boundariesFallBetweenMessages()
{
  // A 1PPS marker goes out at a boundary; none may fall inside a message.
  const QByteArray ea = BuildOncoreWireOfLength("Ea", 76, '\x07');
  const QByteArray gd = BuildOncoreWire("Gd", QByteArray(1, '\x03'));
  QList<QByteArray> events;
  Frame(QList<QByteArray>{ea.left(30), ea.mid(30) + gd}, &events);
  QCOMPARE(events, (QList<QByteArray>{"|", Delivered(ea), "|", Delivered(gd), "|"}));
}

void OncoreFramerTest::resetDropsAHalfCollectedMessage()
{
  const QByteArray ea = BuildOncoreWireOfLength("Ea", 76, '\x07');
  const QByteArray gd = BuildOncoreWire("Gd", QByteArray(1, '\x03'));
  OncoreFramer framer;
  FramerRecorder recorder;
  framer.Process(ea.left(40), recorder);
  QVERIFY(!framer.IsIdle());
  framer.Reset();
  QVERIFY(framer.IsIdle());
  framer.Process(ea.mid(40) + gd, recorder);
  QCOMPARE(recorder.messages, QList<QByteArray>{Delivered(gd)});
}

RIDUDER_TEST_MAIN(OncoreFramerTest)
#include "tst_oncoreframer.moc"
