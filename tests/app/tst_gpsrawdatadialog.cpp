#include "TestMain.h"

#include "app/GpsRawDataDialog.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTextBlock>
#include <QTextDocument>

namespace {
QPlainTextEdit *TextArea(GpsRawDataDialog &dialog)
{
  return dialog.findChild<QPlainTextEdit *>(QStringLiteral("PlainTextEdit"));
}
}  // namespace

class TestGpsRawDataDialog : public QObject {
  Q_OBJECT

private slots:
  void init() { QSettings().clear(); }

  void formHasItsNamedParts()
  {
    GpsRawDataDialog dialog;
    QCOMPARE(dialog.windowTitle(), QStringLiteral("GPS Raw Data"));
    QVERIFY(TextArea(dialog));
    QVERIFY(TextArea(dialog)->isReadOnly());
    QCOMPARE(TextArea(dialog)->lineWrapMode(), QPlainTextEdit::NoWrap);
    auto *wrap = dialog.findChild<QCheckBox *>(QStringLiteral("wrapCheckBox"));
    QVERIFY(wrap);
    QCOMPARE(wrap->text(), QStringLiteral("Wrap text "));
    QVERIFY(!wrap->isChecked());
    auto *clear = dialog.findChild<QPushButton *>(QStringLiteral("ClearScreen"));
    QVERIFY(clear);
    QVERIFY(!clear->isDefault());
  }

  void linesArriveOnlyWhileVisible()
  {
    GpsRawDataDialog dialog;
    dialog.AppendText(QStringLiteral("-> hidden before"));
    dialog.ShowDialog();
    dialog.AppendText(QStringLiteral("-> shown"));
    // Hiding keeps what the window took while it was shown.
    dialog.hide();
    dialog.AppendText(QStringLiteral("-> hidden after"));
    QCOMPARE(TextArea(dialog)->toPlainText(), QStringLiteral("-> shown"));
    // Showing again starts with an empty window; nothing kept for later.
    dialog.ShowDialog();
    QCOMPARE(TextArea(dialog)->toPlainText(), QString());
    dialog.AppendText(QStringLiteral("-> again"));
    dialog.findChild<QPushButton *>(QStringLiteral("ClearScreen"))->click();
    dialog.AppendPendingLines();
    QCOMPARE(TextArea(dialog)->toPlainText(), QString());
  }

  void wrapDecidesTrimming_data()
  {
    QTest::addColumn<bool>("wrap");
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("shown");
    QTest::newRow("no wrap trims the ends") << false << "->  $GPGGA,1  2  " << "->  $GPGGA,1  2";
    QTest::newRow("no wrap trims leading") << false << "  ?  abc" << "?  abc";
    QTest::newRow("wrap keeps it") << true << "->  $GPGGA,1  2  " << "->  $GPGGA,1  2  ";
  }

  void wrapDecidesTrimming()
  {
    QFETCH(bool, wrap);
    QFETCH(QString, line);
    QFETCH(QString, shown);
    GpsRawDataDialog dialog;
    dialog.ShowDialog();
    dialog.findChild<QCheckBox *>(QStringLiteral("wrapCheckBox"))->setChecked(wrap);
    QCOMPARE(TextArea(dialog)->lineWrapMode(),
             wrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
    dialog.AppendText(line);
    dialog.AppendPendingLines();
    QCOMPARE(TextArea(dialog)->toPlainText(), shown);
  }

  void keepsTheNewestLinesOnly()
  {
    GpsRawDataDialog dialog;
    dialog.ShowDialog();
    const int total = GpsRawDataDialog::MaxLines + 300;
    for (int i = 0; i < total; ++i)
      dialog.AppendText(QStringLiteral("-> line %1").arg(i));
    dialog.AppendPendingLines();
    QPlainTextEdit *text = TextArea(dialog);
    QCOMPARE(GpsRawDataDialog::MaxLines, 1024);
    QCOMPARE(text->blockCount(), GpsRawDataDialog::MaxLines);
    const QStringList lines = text->toPlainText().split(QLatin1Char('\n'));
    QCOMPARE(lines.first(), QStringLiteral("-> line %1").arg(total - GpsRawDataDialog::MaxLines));
    QCOMPARE(lines.last(), QStringLiteral("-> line %1").arg(total - 1));
    // Nothing is kept for undo behind the visible lines.
    QVERIFY(!text->document()->isUndoAvailable());
  }

  // An hour of NMEA at 115200 bit/s is some 400000 lines: with the window
  // full, each further line must stay cheap (a few hundred lines a second
  // arrive at most; allow a millisecond each).
  void fullWindowStaysCheap()
  {
    GpsRawDataDialog dialog;
    dialog.ShowDialog();
    const QString line = QStringLiteral("->  $GPGSV,3,1,12,01,40,083,46,02,17,308,41,12,07,344,39,14,22,228,45*75");
    for (int i = 0; i < 3 * GpsRawDataDialog::MaxLines; ++i)
      dialog.AppendText(line);
    dialog.AppendPendingLines();
    QElapsedTimer clock;
    clock.start();
    const int batch = 5000;
    for (int i = 0; i < batch; ++i)
      dialog.AppendText(line);
    dialog.AppendPendingLines();
    QCoreApplication::processEvents();
    const qint64 elapsed = clock.elapsed();
    QCOMPARE(TextArea(dialog)->blockCount(), GpsRawDataDialog::MaxLines);
    QVERIFY2(elapsed < batch, qPrintable(QStringLiteral("%1 ms for %2 lines").arg(elapsed).arg(batch)));
  }

  // Lines that arrive in passes of the event loop of their own are shown
  // together: none at once, all of them in order within the interval, in
  // one change of the text (one repaint, not one a line).
  void linesAreShownTogetherInOrder()
  {
    GpsRawDataDialog dialog;
    dialog.ShowDialog();
    QCoreApplication::processEvents();
    QTextDocument *document = TextArea(dialog)->document();
    QSignalSpy changes(document, &QTextDocument::contentsChange);
    QStringList given;
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < 50; ++i) {
      given << QStringLiteral("-> $GPGSV,line %1").arg(i);
      dialog.AppendText(given.last());
      QCoreApplication::processEvents();
    }
    if (clock.elapsed() < GpsRawDataDialog::AppendIntervalMs)
      QVERIFY(document->isEmpty());
    QTRY_COMPARE_WITH_TIMEOUT(TextArea(dialog)->toPlainText(), given.join(QLatin1Char('\n')), 2000);
    QVERIFY2(changes.count() <= 1 + int(clock.elapsed() / GpsRawDataDialog::AppendIntervalMs),
             qPrintable(QStringLiteral("%1 changes").arg(changes.count())));

    // More than the window keeps, given at once: the newest lines, in order.
    for (int i = 0; i < 3 * GpsRawDataDialog::MaxLines; ++i)
      dialog.AppendText(QStringLiteral("-> burst %1").arg(i));
    QTRY_COMPARE_WITH_TIMEOUT(document->lastBlock().text(),
                              QStringLiteral("-> burst %1").arg(3 * GpsRawDataDialog::MaxLines - 1), 2000);
    QCOMPARE(document->blockCount(), GpsRawDataDialog::MaxLines);
    QCOMPARE(document->firstBlock().text(),
             QStringLiteral("-> burst %1").arg(2 * GpsRawDataDialog::MaxLines));
  }

  void reopeningRestoresTheGeometry()
  {
    QRect placed;
    {
      GpsRawDataDialog dialog;
      dialog.ShowDialog();
      dialog.setGeometry(30, 40, 500, 300);
      placed = dialog.geometry();
      dialog.close();
    }
    QVERIFY(QSettings().contains("GpsRawDataDialog/geometry"));
    GpsRawDataDialog dialog;
    dialog.ShowDialog();
    QCOMPARE(dialog.geometry(), placed);
  }
};

RIDUDER_TEST_MAIN(TestGpsRawDataDialog)
#include "tst_gpsrawdatadialog.moc"
