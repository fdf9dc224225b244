#include "TestMain.h"

#include "core/PeerText.h"

// What a peer sends is written to the debug output as text a terminal
// shows, never as bytes it obeys.
class PeerTextTest : public QObject {
  Q_OBJECT

private slots:
  void controlBytesAreWrittenOut_data()
  {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("shown");
    QTest::newRow("printable text stays") << QByteArray("$DAREZ,VERSION *5a ~\\") << "$DAREZ,VERSION *5a ~\\";
    QTest::newRow("window title") << QByteArray("\x1b]0;owned\x07") << "\\x1b]0;owned\\x07";
    QTest::newRow("clear screen") << QByteArray("\x1b[2J") << "\\x1b[2J";
    QTest::newRow("line ends, tab, NUL, DEL")
        << QByteArray("a\r\nb\tc\0d\x7f", 9) << "a\\x0d\\x0ab\\x09c\\x00d\\x7f";
    // An 8-bit CSI and the bytes of a UTF-8 C1 control.
    QTest::newRow("bytes above ASCII") << QByteArray("\x9b" "2J \xc2\x9b") << "\\x9b2J \\xc2\\x9b";
    QTest::newRow("empty") << QByteArray() << "";
  }

  void controlBytesAreWrittenOut()
  {
    QFETCH(QByteArray, text);
    QFETCH(QString, shown);
    QCOMPARE(PeerTextForDebug(text), shown);
  }
};

RIDUDER_TEST_MAIN(PeerTextTest)
#include "tst_peertext.moc"
