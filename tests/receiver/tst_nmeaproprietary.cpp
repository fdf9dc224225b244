#include "TestMain.h"

#include "NmeaDecoderFixture.h"

using riduder::test::FramedNmeaSentence;
using riduder::test::NmeaDecoderFixture;

namespace {

// Expected texts write the sentence's "*hh" tail as "*hh"; the checksum
// characters stay on the last field read.
QStringList WithChecksum(QStringList texts, const QByteArray &sentence)
{
  const QString tail = QString::fromLatin1(sentence.right(3));
  for (QString &text : texts)
    text.replace(QLatin1String("*hh"), tail);
  return texts;
}

}  // namespace

class TestNmeaProprietary : public QObject {
  Q_OBJECT

private slots:
  // The Garmin answers: the lines for the identification window, the last
  // one for the configuration log, and the Garmin reply flag.
  void garminAnswers_data()
  {
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QStringList>("idTexts");  // one AppendText each
    QTest::addColumn<QStringList>("idLines");  // one AppendLines each
    QTest::addColumn<QString>("ticText");

    QTest::newRow("PGRMT") << QByteArray("PGRMT,ABC 1.0,P,P,R,R,P,C,32") << QStringList{}
                           << QStringList{"ABC 1.0\n"
                                          "ROM checksum test (P=pass, F=fail) = P\n"
                                          "Receiver failure? (P=pass, F=fail) = P\n"
                                          "Stored Data (L=lost, R=retained) = R\n"
                                          "Real time clock (L=lost, R=retained) = R\n"
                                          "Oscillator drift (P=pass, F=fail) = P\n"
                                          "Data collection (C = collecting) = C\n"
                                          "Board temperature (degrees C) = 32*hh\n"}
                           << QString();
    QTest::newRow("PGRMT cut short") << QByteArray("PGRMT,GPS 17N VER 2.05,P") << QStringList{}
                                     << QStringList{"GPS 17N VER 2.05\n"
                                                    "ROM checksum test (P=pass, F=fail) = P*hh\n"
                                                    "Receiver failure? (P=pass, F=fail) = \n"
                                                    "Stored Data (L=lost, R=retained) = \n"
                                                    "Real time clock (L=lost, R=retained) = \n"
                                                    "Oscillator drift (P=pass, F=fail) = \n"
                                                    "Data collection (C = collecting) = \n"
                                                    "Board temperature (degrees C) = \n"}
                                     << QString();
    QTest::newRow("PGRMI") << QByteArray("PGRMI,4807.038,N,01131.000,E,230394,123519,R")
                           << QStringList{"$PRGMI Initialization Message:\n",
                                          "  Latitude = 48 deg  07.038 min N\n",
                                          "  Longitude = 011 deg  31.000 min E\n",
                                          "  Day = 23, Month = 03, Year = 94\n",
                                          "  Hour = 12, Minute = 35, Second = 19\n",
                                          "  Acq Reset = R*hh\n"}
                           << QStringList{} << "  Acq Reset = R*hh\n";
    QTest::newRow("PGRMI short and empty fields")
        << QByteArray("PGRMI,48,N,011,,2303,,")
        << QStringList{"$PRGMI Initialization Message:\n", "  Latitude = 48 deg   min N\n",
                       "  Longitude = 011 deg   min \n", "  Day = 23, Month = 03, Year = 03\n",
                       "  Hour = 00, Minute = 00, Second = 00\n", "  Acq Reset = *hh\n"}
        << QStringList{} << "  Acq Reset = *hh\n";
    QTest::newRow("PGRMC") << QByteArray("PGRMC,A,218.8,100,6378137.000,298.257223563,0.0,0.0,0.0,A,3,1,1,4,30")
                           << QStringList{"$PGRMC Configuration Message:\n",
                                          "  Fix Mode = A\n",
                                          "  Altitude (MSL) = 218.8 meters\n",
                                          "  Earth Datum Index = 100\n",
                                          "  Semi-major axis = 6378137.000 meters\n",
                                          "  Inverse Flattening factor = 298.257223563\n",
                                          "  Delta-X = 0.0\n",
                                          "  Delta-Y = 0.0\n",
                                          "  Delta-Z = 0.0\n",
                                          "  Differential Mode = A\n",
                                          "  Baud Rate = 3\n",
                                          "  Velocity Filter = 1\n",
                                          "  Null field = 1\n"}
                           << QStringList{} << "  Null field = 1\n";
    QTest::newRow("PGRMC cut short") << QByteArray("PGRMC,A")
                                     << QStringList{"$PGRMC Configuration Message:\n",
                                                    "  Fix Mode = A*hh\n",
                                                    "  Altitude (MSL) =  meters\n",
                                                    "  Earth Datum Index = \n",
                                                    "  Semi-major axis =  meters\n",
                                                    "  Inverse Flattening factor = \n",
                                                    "  Delta-X = \n",
                                                    "  Delta-Y = \n",
                                                    "  Delta-Z = \n",
                                                    "  Differential Mode = \n",
                                                    "  Baud Rate = \n",
                                                    "  Velocity Filter = \n",
                                                    "  Null field = \n"}
                                     << QStringList{} << "  Null field = \n";
    QTest::newRow("PGRMO") << QByteArray("PGRMO,GPGGA,1")
                           << QStringList{"$PGRMO: Target Sentence = GPGGA,   Mode = 1*hh\n"}
                           << QStringList{} << "$PGRMO: Target Sentence = GPGGA,   Mode = 1*hh\n";
    QTest::newRow("PGRMO empty target") << QByteArray("PGRMO,,")
                                        << QStringList{"$PGRMO: Target Sentence = NONE,   Mode = *hh\n"}
                                        << QStringList{}
                                        << "$PGRMO: Target Sentence = NONE,   Mode = *hh\n";
  }
  void garminAnswers()
  {
    QFETCH(QByteArray, body);
    QFETCH(QStringList, idTexts);
    QFETCH(QStringList, idLines);
    QFETCH(QString, ticText);
    const QByteArray sentence = FramedNmeaSentence(body);
    NmeaDecoderFixture f;
    f.host.configTextToTicLog = true;
    f.host.gpsLogType = 2;
    QVERIFY(f.decoder.Decode(sentence));
    QVERIFY(f.state->replyFlags.gotGarmin);
    QVERIFY(!f.state->replyFlags.gotMotorolaNmea);
    QCOMPARE(f.host.idTexts, WithChecksum(idTexts, sentence));
    QCOMPARE(f.host.idLines, WithChecksum(idLines, sentence));
    QCOMPARE(f.host.ticLog, WithChecksum(ticText.isEmpty() ? QStringList{} : QStringList{ticText},
                                         sentence));
    // Nothing for the PVT log; no time, position or satellites.
    QVERIFY(f.host.gpsLog.isEmpty());
    QVERIFY(f.host.calls.isEmpty());
    QCOMPARE(f.ReceiverTime(), f.start);
  }

  // The configuration log takes the text only while its option is on.
  void garminTextsStayOutOfTheConfigLog()
  {
    NmeaDecoderFixture f;
    QVERIFY(f.Feed("PGRMO,GPGGA,1"));
    QCOMPARE(f.host.idTexts.size(), 1);
    QVERIFY(f.host.ticLog.isEmpty());
  }

  // The receiver's own bytes reach a terminal that shows the debug output
  // only as text: an escape sequence it sends is written out, not obeyed.
  void garminTextsReachTheDebugOutput_data()
  {
    QTest::addColumn<QByteArray>("target");
    QTest::addColumn<QString>("shown");
    QTest::newRow("plain") << QByteArray("GPRMC") << "GPRMC";
    QTest::newRow("clear screen") << QByteArray("GP\x1b[2JRMC") << "GP\\x1b[2JRMC";
    QTest::newRow("window title") << QByteArray("\x1b]0;owned\x07") << "\\x1b]0;owned\\x07";
  }

  void garminTextsReachTheDebugOutput()
  {
    QFETCH(QByteArray, target);
    QFETCH(QString, shown);
    NmeaDecoderFixture f;
    const QByteArray sentence = FramedNmeaSentence("PGRMO," + target + ",2");
    QTest::ignoreMessage(QtDebugMsg, qPrintable("$PGRMO: Target Sentence = " + shown + ",   Mode = 2" +
                                                sentence.right(3) + "\n"));
    QVERIFY(f.decoder.Decode(sentence));
  }

  // A receiver that answers with an unchanged sentence has still answered:
  // the flag is set again, only the repeated text is left out.
  void garminRepeats_data()
  {
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QByteArray>("other");
    QTest::newRow("PGRMT") << QByteArray("PGRMT,ABC 1.0,P,P,R,R,P,C,32")
                           << QByteArray("PGRMT,ABC 1.0,P,P,R,R,P,C,33");
    QTest::newRow("PGRMI") << QByteArray("PGRMI,4807.038,N,01131.000,E,230394,123519,R")
                           << QByteArray("PGRMI,4807.038,N,01131.000,E,230394,123520,R");
    QTest::newRow("PGRMC") << QByteArray("PGRMC,A,218.8,100,6378137.000,298.257223563,0.0,0.0,0.0,A,3,1,1")
                           << QByteArray("PGRMC,A,218.9,100,6378137.000,298.257223563,0.0,0.0,0.0,A,3,1,1");
    QTest::newRow("PGRMO") << QByteArray("PGRMO,GPGGA,1") << QByteArray("PGRMO,GPGGA,0");
  }
  void garminRepeats()
  {
    QFETCH(QByteArray, body);
    QFETCH(QByteArray, other);
    NmeaDecoderFixture f;
    f.host.configTextToTicLog = true;
    QVERIFY(f.Feed(body));
    const int texts = f.host.idTexts.size() + f.host.idLines.size();
    const int ticTexts = f.host.ticLog.size();
    QVERIFY(texts > 0);

    f.state->replyFlags.gotGarmin = false;
    QVERIFY(f.Feed(body));
    QVERIFY(f.state->replyFlags.gotGarmin);
    QCOMPARE(f.host.idTexts.size() + f.host.idLines.size(), texts);
    QCOMPARE(f.host.ticLog.size(), ticTexts);

    // Another answer in between makes the first one new again.
    QVERIFY(f.Feed(other));
    QVERIFY(f.Feed(body));
    QCOMPARE(f.host.idTexts.size() + f.host.idLines.size(), 3 * texts);
  }

  // Without the identification window the answers still count.
  void garminWithoutIdentificationWindow()
  {
    NmeaDecoderFixture f;
    f.host.idWindow = false;
    for (const char *body : {"PGRMT,ABC 1.0,P,P,R,R,P,C,32", "PGRMI,4807.038,N,01131.000,E,230394,123519,R",
                             "PGRMC,A,218.8,100", "PGRMO,GPGGA,1"}) {
      f.state->replyFlags.gotGarmin = false;
      QVERIFY(f.Feed(body));
      QVERIFY2(f.state->replyFlags.gotGarmin, body);
    }
    QVERIFY(f.host.idTexts.isEmpty());
    QVERIFY(f.host.idLines.isEmpty());
  }

  void motorolaAndAlmanac_data()
  {
    QTest::addColumn<QByteArray>("sentence");
    QTest::addColumn<bool>("motorola");
    QTest::addColumn<bool>("almanac");
    QTest::newRow("PMOTG") << FramedNmeaSentence("PMOTG,GGA,0001") << true << false;
    QTest::newRow("PMOTG bare") << QByteArray("$PMOTG") << true << false;
    QTest::newRow("GPALM") << FramedNmeaSentence("GPALM,31,1,02,1617,00,50F6,0F,FD98,FD39,A10CF3,81389B,423632,BD913C,148,001")
                           << false << true;
    QTest::newRow("GPALM bare") << QByteArray("$GPALM,") << false << true;
  }
  void motorolaAndAlmanac()
  {
    QFETCH(QByteArray, sentence);
    QFETCH(bool, motorola);
    QFETCH(bool, almanac);
    NmeaDecoderFixture f;
    f.host.gpsLogType = 2;
    QVERIFY(f.decoder.Decode(sentence));
    QCOMPARE(f.state->replyFlags.gotMotorolaNmea, motorola);
    QCOMPARE(f.state->replyFlags.gotAlmanac, almanac);
    QVERIFY(!f.state->replyFlags.gotGarmin);
    QVERIFY(f.host.gpsLog.isEmpty());
    QVERIFY(f.host.idTexts.isEmpty());
    // No repeat rule: the same answer counts again.
    f.state->replyFlags = ReceiverReplyFlags();
    QVERIFY(f.decoder.Decode(sentence));
    QCOMPARE(f.state->replyFlags.gotMotorolaNmea, motorola);
    QCOMPARE(f.state->replyFlags.gotAlmanac, almanac);
  }

  // Garmin sentences other than the four answers match no test.
  void otherGarminSentences_data()
  {
    QTest::addColumn<QByteArray>("body");
    QTest::newRow("PGRME") << QByteArray("PGRME,1.7,M,2.4,M,3.0,M");
    QTest::newRow("PGRMV") << QByteArray("PGRMV,0.0,0.0,0.0");
    QTest::newRow("PGRMF") << QByteArray("PGRMF,290,293895,160305,093802,13,5213.1439,N,02100.6511,E,A,2,0,226,2,1");
    QTest::newRow("PGRMB") << QByteArray("PGRMB,0.0,200,,,,K,,W,W");
    QTest::newRow("PGRMM") << QByteArray("PGRMM,WGS 84");
    QTest::newRow("PGRMZ") << QByteArray("PGRMZ,93,f,3");
  }
  void otherGarminSentences()
  {
    QFETCH(QByteArray, body);
    NmeaDecoderFixture f;
    f.host.gpsLogType = 2;
    QVERIFY(!f.Feed(body));
    QVERIFY(!f.state->replyFlags.gotGarmin);
    QCOMPARE(f.host.gpsLog, QStringList{QString::fromLatin1(FramedNmeaSentence(body))});
  }
};

RIDUDER_TEST_MAIN(TestNmeaProprietary)
#include "tst_nmeaproprietary.moc"
