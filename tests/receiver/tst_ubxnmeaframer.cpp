#include "TestMain.h"

#include "FrameBuilders.h"
#include "FramerRecorder.h"
#include "receiver/link/UbxNmeaFramer.h"

using namespace riduder::test;

namespace {

QList<QByteArray> Frame(const QList<QByteArray> &chunks, bool nmeaOnly)
{
  UbxNmeaFramer framer;
  FramerRecorder recorder;
  for (const QByteArray &chunk : chunks)
    framer.Process(chunk, nmeaOnly, recorder);
  return recorder.messages;
}

QByteArray NoLineEnd(const QByteArray &sentence)
{
  QByteArray s = sentence;
  while (s.endsWith('\n') || s.endsWith('\r'))
    s.chop(1);
  return s;
}

}  // namespace

class UbxNmeaFramerTest : public QObject
{
  Q_OBJECT
private slots:
  void nmeaChecksumTest_data();
  void nmeaChecksumTest();
  void framing_data();
  void framing();
  void everyChunkingGivesTheSameMessages();
  void boundaryAfterASentenceEnds();
  void resetDropsAHalfCollectedFrame();
};

void UbxNmeaFramerTest::nmeaChecksumTest_data()
{
  QTest::addColumn<QByteArray>("sentence");
  QTest::addColumn<bool>("ok");
  const QByteArray gga = NoLineEnd(BuildNmeaSentence("GPGGA,123519,4807.038,N,01131.000,E,1,08"));
  QTest::newRow("good") << gga << true;
  QTest::newRow("wrong sum") << gga.chopped(1) + (gga.endsWith('0') ? "1" : "0") << false;
  const QByteArray lower = NoLineEnd(BuildNmeaSentence("GPZDA,1,2,3"));  // sum 0x.. with a letter
  QTest::newRow("upper-case hex") << lower << true;
  QTest::newRow("lower-case hex") << lower.left(lower.size() - 2) + lower.right(2).toLower()
                                  << (lower.right(2).toLower() == lower.right(2));
  QTest::newRow("GP without sum") << QByteArray("$GPGGA,123519,4807.038,N") << true;
  QTest::newRow("P without sum") << QByteArray("$PFEC,GPtps,1") << true;
  QTest::newRow("GN without sum") << QByteArray("$GNGGA,123519,4807.038,N") << false;
  QTest::newRow("GPTXT without comma") << QByteArray("$GPTXT") << false;
  QTest::newRow("star not third from end") << QByteArray("$GPGGA,1*2,3") << false;
  QTest::newRow("star at the end") << QByteArray("$GPGGA,1,2*") << false;
  QTest::newRow("two bytes") << QByteArray("$G") << false;
  QTest::newRow("empty body, sum 00") << QByteArray("$*00") << true;
}

void UbxNmeaFramerTest::nmeaChecksumTest()
{
  QFETCH(QByteArray, sentence);
  QFETCH(bool, ok);
  QCOMPARE(NmeaChecksumOk(sentence), ok);
}

void UbxNmeaFramerTest::framing_data()
{
  QTest::addColumn<QByteArray>("stream");
  QTest::addColumn<bool>("nmeaOnly");
  QTest::addColumn<QList<QByteArray>>("expected");

  const QByteArray rmc = BuildNmeaSentence("GNRMC,083559.00,A,4717.11437,N,00833.91522,E,0.004,77.52,091202,,,A");
  const QByteArray zdaLf = BuildNmeaSentence("GPZDA,082710.00,16,09,2002,00,00", "\n");
  const QByteArray ggaCr = BuildNmeaSentence("GPGGA,1,2,3", "\r");
  const QByteArray navSol = BuildUbxFrame(0x01, 0x06, QByteArray(52, '$'));
  const QByteArray ack = BuildUbxFrame(0x05, 0x01, QByteArray::fromHex("0601"));
  const QByteArray empty = BuildUbxFrame(0x0A, 0x04, QByteArray());
  const QByteArray max = BuildUbxFrame(0x01, 0x35, QByteArray(1024, '\xb5'));
  const QByteArray over = BuildUbxFrame(0x01, 0x43, QByteArray(1025, '\x01'));

  QTest::newRow("CR LF") << rmc << true << QList<QByteArray>{NoLineEnd(rmc)};
  QTest::newRow("LF alone") << zdaLf << true << QList<QByteArray>{NoLineEnd(zdaLf)};
  QTest::newRow("CR alone") << ggaCr + zdaLf << true << QList<QByteArray>{NoLineEnd(ggaCr), NoLineEnd(zdaLf)};
  QTest::newRow("CR LF gives one sentence") << rmc + "\r\n\r\n" + rmc << true
                                            << QList<QByteArray>{NoLineEnd(rmc), NoLineEnd(rmc)};
  QTest::newRow("no checksum, GP") << QByteArray("$GPGGA,1,2\r\n") << true
                                   << QList<QByteArray>{"$GPGGA,1,2"};
  QTest::newRow("no checksum, GN dropped") << QByteArray("$GNGGA,1,2\r\n") + zdaLf << true
                                           << QList<QByteArray>{NoLineEnd(zdaLf)};
  QByteArray lower = NoLineEnd(rmc);
  lower = lower.left(lower.size() - 2) + lower.right(2).toLower() + "\r\n";
  if (lower != rmc)
    QTest::newRow("lower-case checksum dropped") << lower + zdaLf << true << QList<QByteArray>{NoLineEnd(zdaLf)};
  QTest::newRow("control byte drops") << QByteArray("$GPGGA,1\x01,2\r\n") + zdaLf << true
                                      << QList<QByteArray>{NoLineEnd(zdaLf)};
  QTest::newRow("soft hyphen drops") << QByteArray("$GPGGA,1\xad,2\r\n") + zdaLf << true
                                     << QList<QByteArray>{NoLineEnd(zdaLf)};
  QTest::newRow("Latin-1 letter kept") << QByteArray("$GPTXT,\xe9t\xe9\r\n") << true
                                       << QList<QByteArray>{"$GPTXT,\xe9t\xe9"};
  QTest::newRow("dollar inside is text") << QByteArray("$GPTXT,a$b\r\n") << true
                                         << QList<QByteArray>{"$GPTXT,a$b"};
  const QByteArray longest = BuildNmeaSentence("GPTXT," + QByteArray(255 - 9, 'x'));
  QTest::newRow("255 bytes kept") << longest << true << QList<QByteArray>{NoLineEnd(longest)};
  const QByteArray tooLong = BuildNmeaSentence("GPTXT," + QByteArray(255 - 8, 'x'));
  QTest::newRow("256 bytes dropped") << tooLong + rmc << true << QList<QByteArray>{NoLineEnd(rmc)};
  QTest::newRow("endless text, then a sentence") << QByteArray("$GPTXT,") + QByteArray(5000, 'y') + rmc
                                                 << true << QList<QByteArray>{NoLineEnd(rmc)};
  QTest::newRow("garbage between") << "\x01\x02garbage\r\n" + rmc + "\xb5\x00zz" + zdaLf << true
                                   << QList<QByteArray>{NoLineEnd(rmc), NoLineEnd(zdaLf)};

  QTest::newRow("UBX length 0") << empty << false << QList<QByteArray>{empty};
  QTest::newRow("UBX length 1024") << max << false << QList<QByteArray>{max};
  QTest::newRow("UBX length 1025 dropped") << over + ack << false << QList<QByteArray>{ack};
  QByteArray bad = navSol;
  bad[20] = char(bad[20] ^ 0x40);
  QTest::newRow("UBX bad checksum") << bad + ack << false << QList<QByteArray>{ack};
  QTest::newRow("UBX cut short, next kept") << navSol.left(30) + ack + QByteArray(40, '\0') << false
                                            << QList<QByteArray>{ack};
  QTest::newRow("second sync byte missing") << QByteArray("\xb5\xb5") + ack.mid(1) << false
                                            << QList<QByteArray>{ack};
  QTest::newRow("mixed, arrival order") << rmc + navSol + zdaLf + ack + ggaCr << false
                                        << QList<QByteArray>{NoLineEnd(rmc), navSol, NoLineEnd(zdaLf),
                                                             ack, NoLineEnd(ggaCr)};
  QTest::newRow("mixed, NMEA only") << rmc + navSol + zdaLf + ack << true
                                    << QList<QByteArray>{NoLineEnd(rmc), NoLineEnd(zdaLf)};
}

void UbxNmeaFramerTest::framing()
{
  QFETCH(QByteArray, stream);
  QFETCH(bool, nmeaOnly);
  QFETCH(QList<QByteArray>, expected);
  QCOMPARE(Frame({stream}, nmeaOnly), expected);
  QCOMPARE(Frame(CutEvery(stream, 1), nmeaOnly), expected);
}

void UbxNmeaFramerTest::everyChunkingGivesTheSameMessages()
{
  const QByteArray stream = "junk\xb5" + BuildNmeaSentence("GNGGA,1,2,3") +
                            BuildUbxFrame(0x01, 0x07, QByteArray(92, '\xb5')) + "\n" +
                            BuildNmeaSentence("GPGSV,1,1,00", "\n") +
                            BuildUbxFrame(0x0D, 0x01, QByteArray::fromHex("b5620d01")) +
                            "$GPGGA,no,sum\r" + BuildUbxFrame(0x05, 0x00, QByteArray(2, '$')) + "$GP";
  for (bool nmeaOnly : {false, true}) {
    const QList<QByteArray> whole = Frame({stream}, nmeaOnly);
    QCOMPARE(whole.size(), nmeaOnly ? 3 : 6);
    for (int cut = 1; cut < stream.size(); ++cut)
      QCOMPARE(Frame(CutAt(stream, {cut}), nmeaOnly), whole);
    for (quint32 seed = 1; seed <= 50; ++seed)
      QCOMPARE(Frame(CutRandomly(stream, seed, 30), nmeaOnly), whole);
  }
}

void UbxNmeaFramerTest::boundaryAfterASentenceEnds()
{
  const QByteArray rmc = BuildNmeaSentence("GNRMC,1,2");
  UbxNmeaFramer framer;
  FramerRecorder recorder;
  framer.Process(rmc.left(5), false, recorder);
  framer.Process(rmc.mid(5), false, recorder);
  QCOMPARE(recorder.events, (QList<QByteArray>{"|", NoLineEnd(rmc), "|"}));
}

void UbxNmeaFramerTest::resetDropsAHalfCollectedFrame()
{
  const QByteArray ack = BuildUbxFrame(0x05, 0x01, QByteArray::fromHex("0601"));
  UbxNmeaFramer framer;
  FramerRecorder recorder;
  framer.Process(ack.left(5), false, recorder);
  framer.Reset();
  framer.Process(ack.mid(5) + ack, false, recorder);
  QCOMPARE(recorder.messages, QList<QByteArray>{ack});
}

RIDUDER_TEST_MAIN(UbxNmeaFramerTest)
#include "tst_ubxnmeaframer.moc"
