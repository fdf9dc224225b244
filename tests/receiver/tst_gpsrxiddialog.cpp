#include "TestMain.h"

#include "receiver/GpsRxIdDialog.h"

#include <QCheckBox>
#include <QLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>

namespace {

QPlainTextEdit *UpperBox(GpsRxIdDialog &dialog)
{
  return dialog.findChild<QPlainTextEdit *>(QStringLiteral("GpsRxId"));
}

QPlainTextEdit *LowerBox(GpsRxIdDialog &dialog)
{
  return dialog.findChild<QPlainTextEdit *>(QStringLiteral("GpsRxIdPlainTextEdit"));
}

}  // namespace

class GpsRxIdDialogTest : public QObject {
  Q_OBJECT

private slots:
  void init() { QSettings().clear(); }

  void formHasItsNamesAndTexts()
  {
    GpsRxIdDialog dialog;
    QCOMPARE(dialog.objectName(), QStringLiteral("GpsRxIdDialog"));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Receiver ID  Message"));
    QCOMPARE(dialog.size(), QSize(386, 289));
    QCOMPARE(dialog.font().family(), QStringLiteral("Verdana"));
    QCOMPARE(dialog.font().pointSize(), 8);
    QCOMPARE(dialog.layout()->objectName(), QStringLiteral("verticalLayout"));
    QCOMPARE(dialog.layout()->contentsMargins(), QMargins(11, 11, 11, 11));

    QPlainTextEdit *upper = UpperBox(dialog);
    QPlainTextEdit *lower = LowerBox(dialog);
    QVERIFY(upper && lower);
    QVERIFY(upper->isReadOnly() && lower->isReadOnly());
    QCOMPARE(upper->maximumHeight(), 180);
    QCOMPARE(upper->lineWrapMode(), QPlainTextEdit::NoWrap);
    QCOMPARE(lower->lineWrapMode(), QPlainTextEdit::NoWrap);

    auto *strip = dialog.findChild<QWidget *>(QStringLiteral("widget"));
    QVERIFY(strip);
    QCOMPARE(strip->minimumHeight(), 20);
    auto *wrap = dialog.findChild<QCheckBox *>(QStringLiteral("wrapCheckBox"));
    QVERIFY(wrap);
    QCOMPARE(wrap->text(), QStringLiteral("Wrap text"));
    QVERIFY(!wrap->isChecked());
    auto *clear = dialog.findChild<QPushButton *>(QStringLiteral("ClearScreen"));
    QVERIFY(clear);
    QCOMPARE(clear->text(), QStringLiteral("Clear Screen"));
    QVERIFY(!clear->autoDefault());
    QVERIFY(clear->styleSheet().contains(QLatin1String("rgb(170, 255, 255)")));
    QCOMPARE(wrap->parentWidget()->objectName(), QStringLiteral("layoutWidget"));
    QCOMPARE(wrap->parentWidget()->geometry(), QRect(0, 0, 161, 20));
  }

  // Messages are trimmed, CRs dropped, one line per piece; an empty text
  // adds nothing; a multi-line message is set off by a separator line.
  void appendTextAddsTrimmedLines_data()
  {
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QString>("lower");
    const QString separator = QString(33, QLatin1Char('-'));
    QTest::newRow("empty") << QStringList{""} << "";
    QTest::newRow("blanks only") << QStringList{"  \r\n "} << "";
    QTest::newRow("one line") << QStringList{"  @@Ha OK - must be a 12-channel Rcvr\r\n"}
                              << "@@Ha OK - must be a 12-channel Rcvr";
    QTest::newRow("in order") << QStringList{"first", "", "second\n"} << "first\nsecond";
    QTest::newRow("multi-line")
        << QStringList{"one", "Self test:\r\nRAM OK\r\nROM OK\r\n"}
        << "one\n" + separator + "\nSelf test:\nRAM OK\nROM OK";
  }
  void appendTextAddsTrimmedLines()
  {
    QFETCH(QStringList, messages);
    QFETCH(QString, lower);
    GpsRxIdDialog dialog;
    for (const QString &message : messages)
      dialog.AppendText(message);
    QCOMPARE(LowerBox(dialog)->toPlainText(), lower);
    QCOMPARE(dialog.HistoryText(), lower.isEmpty() ? QString() : lower + QLatin1Char('\n'));
    QVERIFY(UpperBox(dialog)->toPlainText().isEmpty());
  }

  // Each message is added once: the history is never written again, and
  // after "Clear Screen" only newer messages come back.
  void historyGrowsByNewMessagesAndClearHolds()
  {
    GpsRxIdDialog dialog;
    dialog.SetIdText(QStringLiteral("M12+ V1.3"));
    dialog.AppendText(QStringLiteral("@@Cj Timeout - no valid version number!"));
    dialog.AppendText(QStringLiteral("@@Ha OK - must be a 12-channel Rcvr"));
    dialog.AppendText(QStringLiteral("@@Bh OK - must be a DGPS Rcvr"));
    QCOMPARE(LowerBox(dialog)->toPlainText().count(QLatin1String("@@Cj Timeout")), 1);
    QCOMPARE(LowerBox(dialog)->document()->blockCount(), 3);

    dialog.findChild<QPushButton *>(QStringLiteral("ClearScreen"))->click();
    QVERIFY(LowerBox(dialog)->toPlainText().isEmpty());
    QVERIFY(dialog.HistoryText().isEmpty());
    QCOMPARE(UpperBox(dialog)->toPlainText(), QStringLiteral("M12+ V1.3\n"));

    dialog.AppendText(QStringLiteral("@@En OK - must have T-RAIM"));
    QCOMPARE(LowerBox(dialog)->toPlainText(), QStringLiteral("@@En OK - must have T-RAIM"));

    dialog.ClearText();
    QVERIFY(LowerBox(dialog)->toPlainText().isEmpty());
    dialog.AppendText(QStringLiteral("after"));
    QCOMPARE(LowerBox(dialog)->toPlainText(), QStringLiteral("after"));
  }

  // Weeks of receiver echoes: the box and its history keep the newest
  // lines only, the same ones, and nothing is kept for undo.
  void keepsTheNewestLinesOnly()
  {
    GpsRxIdDialog dialog;
    const int total = 200000;
    for (int i = 0; i < total - 1; ++i)
      dialog.AppendText(QStringLiteral("@@Aw echo %1").arg(i));
    // A multi-line message counts its separator and each of its lines.
    dialog.AppendText(QStringLiteral("Self test:\r\nRAM OK"));
    QCOMPARE(GpsRxIdDialog::MaxLines, 1024);
    QPlainTextEdit *lower = LowerBox(dialog);
    QCOMPARE(lower->document()->blockCount(), GpsRxIdDialog::MaxLines);
    const QStringList lines = lower->toPlainText().split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), GpsRxIdDialog::MaxLines);
    QCOMPARE(lines.first(), QStringLiteral("@@Aw echo %1").arg(total - GpsRxIdDialog::MaxLines + 2));
    QCOMPARE(lines.mid(lines.size() - 4),
             (QStringList{QStringLiteral("@@Aw echo %1").arg(total - 2), QString(33, QLatin1Char('-')),
                          QStringLiteral("Self test:"), QStringLiteral("RAM OK")}));
    QCOMPARE(dialog.HistoryText(), lower->toPlainText() + QLatin1Char('\n'));
    QVERIFY(!lower->document()->isUndoAvailable());
    QVERIFY(!lower->isUndoRedoEnabled());
  }

  // The decoders' identification answers replace the upper box.
  void appendLinesReplacesTheUpperBox()
  {
    GpsRxIdDialog dialog;
    dialog.AppendText(QStringLiteral("kept"));
    dialog.AppendLines(QStringLiteral("  COPYRIGHT 1991-1997 MOTOROLA INC.\r\nSFTW P/N # 98-P36830P\r\n"));
    QCOMPARE(UpperBox(dialog)->toPlainText(),
             QStringLiteral("COPYRIGHT 1991-1997 MOTOROLA INC.\nSFTW P/N # 98-P36830P\n"));
    QCOMPARE(UpperBox(dialog)->document()->blockCount(), 3);
    dialog.AppendLines(QStringLiteral("SW VERSION 1.00"));
    QCOMPARE(dialog.IdText(), QStringLiteral("SW VERSION 1.00\n"));
    QCOMPARE(LowerBox(dialog)->toPlainText(), QStringLiteral("kept"));
    dialog.AppendLines(QStringLiteral(" \r\n"));
    QVERIFY(UpperBox(dialog)->toPlainText().isEmpty());
  }

  void setIdTextReplacesAsGiven()
  {
    GpsRxIdDialog dialog;
    dialog.SetIdText(QStringLiteral(" first "));
    dialog.SetIdText(QStringLiteral(" second "));
    QCOMPARE(UpperBox(dialog)->toPlainText(), QStringLiteral(" second \n"));
    QCOMPARE(dialog.IdText(), QStringLiteral(" second \n"));
    dialog.SetIdText(QString());
    QVERIFY(UpperBox(dialog)->toPlainText().isEmpty());
    QVERIFY(dialog.IdText().isEmpty());
  }

  void wrapBoxWrapsOnlyTheLowerBox()
  {
    GpsRxIdDialog dialog;
    auto *wrap = dialog.findChild<QCheckBox *>(QStringLiteral("wrapCheckBox"));
    wrap->setChecked(true);
    QCOMPARE(LowerBox(dialog)->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    QCOMPARE(UpperBox(dialog)->lineWrapMode(), QPlainTextEdit::NoWrap);
    wrap->setChecked(false);
    QCOMPARE(LowerBox(dialog)->lineWrapMode(), QPlainTextEdit::NoWrap);
  }

  // Texts come in while hidden; closing only hides and keeps them; the
  // geometry is saved on close and restored on the next show.
  void hiddenWindowKeepsTextsAndGeometry()
  {
    GpsRxIdDialog dialog;
    dialog.AppendText(QStringLiteral("while hidden"));
    dialog.ShowDialog();
    QVERIFY(dialog.isVisible());
    QCOMPARE(LowerBox(dialog)->toPlainText(), QStringLiteral("while hidden"));
    dialog.resize(500, 400);
    QVERIFY(dialog.close());
    QVERIFY(!dialog.isVisible());
    QVERIFY(QSettings().contains("GpsRxIdDialog/geometry"));
    QCOMPARE(LowerBox(dialog)->toPlainText(), QStringLiteral("while hidden"));

    GpsRxIdDialog second;
    second.ShowDialog();
    QCOMPARE(second.size(), QSize(500, 400));
    second.close();
  }
};

RIDUDER_TEST_MAIN(GpsRxIdDialogTest)
#include "tst_gpsrxiddialog.moc"
