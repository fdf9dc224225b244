#include "TestMain.h"

#include "app/GpsRawDataDialog.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>

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
    dialog.hide();
    dialog.AppendText(QStringLiteral("-> hidden after"));
    QCOMPARE(TextArea(dialog)->toPlainText(), QStringLiteral("-> shown"));
    // Showing again starts with an empty window; nothing kept for later.
    dialog.ShowDialog();
    QCOMPARE(TextArea(dialog)->toPlainText(), QString());
    dialog.AppendText(QStringLiteral("-> again"));
    dialog.findChild<QPushButton *>(QStringLiteral("ClearScreen"))->click();
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
    QCOMPARE(TextArea(dialog)->toPlainText(), shown);
  }

  void keepsTheNewestLinesOnly()
  {
    GpsRawDataDialog dialog;
    dialog.ShowDialog();
    const int total = GpsRawDataDialog::MaxLines + 300;
    for (int i = 0; i < total; ++i)
      dialog.AppendText(QStringLiteral("-> line %1").arg(i));
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
    QElapsedTimer clock;
    clock.start();
    const int batch = 5000;
    for (int i = 0; i < batch; ++i)
      dialog.AppendText(line);
    QCoreApplication::processEvents();
    const qint64 elapsed = clock.elapsed();
    QCOMPARE(TextArea(dialog)->blockCount(), GpsRawDataDialog::MaxLines);
    QVERIFY2(elapsed < batch, qPrintable(QStringLiteral("%1 ms for %2 lines").arg(elapsed).arg(batch)));
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
