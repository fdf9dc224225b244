#pragma once
// A TIC processing host that records what the processing reports, with
// options and settings a test sets directly.

#include "tic/TicLineProcessor.h"

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include <functional>

namespace riduder::test {

struct TicTestHost : TicProcessingHost {
  TicLogOptions options;
  TicCorrectionSettings correction;
  qint64 pcClockOffsetMs = 0;
  int clockDisplayMode = 0;
  bool logOpen = false;

  QList<QPair<int, QByteArray>> timeRows;
  QList<QPair<int, QByteArray>> averageRows;
  QList<QByteArray> sentences;
  QStringList rawLines;
  QStringList processedLines;
  QStringList readings;
  QStringList clockTexts;
  // Where sentences go besides the list (a real server, in some tests).
  std::function<void(const QByteArray &)> sendTo;

  TicLogOptions TicOptions() const override { return options; }
  TicCorrectionSettings CorrectionSettings() const override { return correction; }
  qint64 PcClockOffsetMs() const override { return pcClockOffsetMs; }
  int ClockDisplayMode() const override { return clockDisplayMode; }
  // As the log keeps them: only while open, and no empty row.
  void WriteTicTimeRow(int port, const QByteArray &row) override
  {
    if (logOpen && !row.isEmpty())
      timeRows.append({port, row});
  }
  void WriteTicAverageRow(int port, const QByteArray &row) override
  {
    if (logOpen && !row.isEmpty())
      averageRows.append({port, row});
  }
  void SendRemoteSentence(const QByteArray &sentence) override
  {
    sentences.append(sentence);
    if (sendTo)
      sendTo(sentence);
  }
  void ShowTicRawLine(const QString &line) override { rawLines.append(line); }
  void ShowTicProcessedLine(const QString &line) override { processedLines.append(line); }
  void ShowTicReading(const QString &reading) override { readings.append(reading); }
  void ShowTicClock(const QString &text) override { clockTexts.append(text); }
};

}  // namespace riduder::test
