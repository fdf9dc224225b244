#pragma once
// What the user is told when a log is closed with bytes the disk did not
// take: the same for the GPS log and the TIC log set.

#include "GpsLogTestHost.h"
#include "app/GpsRawDataDialog.h"
#include "app/MainWindow.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTest>

#include <functional>

namespace riduder::test {

struct LogClosedOnAFullDisk {
  QString statusName;  // the status bar label that tells of the close
  QString closedText;  // its text after the close, "%1" for the bytes lost
  int rowBytes = 0;    // at least this many bytes of the row are lost
  std::function<bool()> writeRow, close, reopen;
};

// The log is open on `disk`, which fills up before the row is written: the
// raw-data window names the bytes lost, the status label says the same
// until the log is opened again, and a later clean close leaves it hidden.
inline void CheckCloseWithBytesUnwrittenStaysShown(MainWindow &window, FillingDiskWriter::Disk &disk,
                                                    const LogClosedOnAFullDisk &log)
{
  window.RawDataDialog()->ShowDialog();
  disk.free = 0;
  QVERIFY(log.writeRow());
  QVERIFY(log.close());
  window.RawDataDialog()->AppendPendingLines();
  const QString raw = window.RawDataDialog()->findChild<QPlainTextEdit *>()->toPlainText();
  const QRegularExpressionMatch report =
      QRegularExpression("was closed with (\\d+) bytes that could not be written").match(raw);
  QVERIFY2(report.hasMatch(), qPrintable(raw));
  QVERIFY(report.captured(1).toInt() > log.rowBytes);
  const QLabel *status = window.statusBar()->findChild<QLabel *>(log.statusName);
  QVERIFY(status);
  QVERIFY(!status->isHidden());
  QCOMPARE(status->text(), log.closedText.arg(report.captured(1)));
  QCoreApplication::processEvents();
  QVERIFY(!status->isHidden());

  disk.free = -1;
  QVERIFY(log.reopen());
  QVERIFY(status->isHidden());
  QVERIFY(log.close());
  QVERIFY(status->isHidden());
}

}  // namespace riduder::test
