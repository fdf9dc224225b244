#include "tic/TicLineProcessor.h"

#include "core/ClockModes.h"
#include "tic/TicReading.h"
#include "logging/TicTimeTag.h"

TicLineProcessor::TicLineProcessor(ReceiverState &receiverState, TicProcessingHost &processingHost)
    : state(receiverState), host(processingHost), correction(receiverState)
{
}

void TicLineProcessor::ProcessTicLine(QByteArray line)
{
  while (line.endsWith('\r') || line.endsWith('\n'))
    line.chop(1);
  host.ShowTicRawLine(QString::fromLatin1(line));
  if (line.startsWith(';'))
    return;

  const qsizetype blank = line.indexOf(' ');
  const QByteArray portField = blank < 0 ? line : line.left(blank);
  const QByteArray unconverted = blank < 0 ? QByteArray() : line.mid(blank + 1);
  bool ok = false;
  const int port = portField.toInt(&ok, 10);
  if (!ok || port < 1 || port > Ports)
    return;

  const TicLogOptions options = host.TicOptions();
  const GpsDateTime rowTime = TicRowTime(state);
  QByteArray text = NormalizeTicDecimalMarks(unconverted);
  if (text.contains(':')) {
    ProcessStatisticsLine(port, text, options, rowTime);
    return;
  }

  const bool isReading = ParseTicReading(text);
  if (text.isEmpty())
    return;

  const QByteArray tag = LogTimeTag(options.timeTagFormat, rowTime).toLatin1();
  QByteArray row;
  if (isReading) {
    const TicCorrectionSettings settings = host.CorrectionSettings();
    const QByteArray corrected = CorrectTicReading(text, port - 1, options, settings, rowTime);
    row = tag + text
          + TicPrintf(" %05.3f %i %05.3f ", state.receiverSawtoothNs,
                                 state.receiverOneSigmaNs, settings.SmallerDelayTotal())
          + corrected
          + TicPrintf(" %05.3f ", static_cast<double>(host.PcClockOffsetMs()) / 1000.0)
          + TicPrintf(" %i %04.2f ", state.utcOffsetSeconds, 0.0);
    if (port == 1) {
      lastPort1Reading = corrected;
      host.ShowTicReading(QString::fromLatin1(corrected));
      const int mode = host.ClockDisplayMode();
      if (mode == ClockModes::Tic || mode == ClockModes::TicRaw) {
        clockTicText = QString::fromLatin1(mode == ClockModes::Tic ? corrected : text);
        host.ShowTicClock(clockTicText);
      }
    }
    row = TicFieldSeparator(row, options.logStyle);
  } else {
    // The tag and the text joined by one separator; the text stays as the
    // counter sent it.
    row = TicFieldSeparator(tag + '_', options.logStyle);
    row.chop(1);
    row += unconverted;
  }

  host.ShowTicProcessedLine(QString::number(port) + QLatin1Char(' ') + QString::fromLatin1(row));

  if (options.timeLogInterval < 1 || WholeSeconds(rowTime.MSecsSinceEpoch()) % options.timeLogInterval != 0)
    return;
  host.WriteTicTimeRow(port, row);
  SendTicData(remoteTimeCount, "TIME", row);
  lastTimeLine = row;
}

void TicLineProcessor::ForgetPort1Reading()
{
  lastPort1Reading.clear();
  clockTicText.clear();
}

QByteArray TicLineProcessor::CorrectTicReading(const QByteArray &reading, int portIndex,
                                               const TicLogOptions &options,
                                               const TicCorrectionSettings &settings, const GpsDateTime &rowTime)
{
  const double value = correction.Correct(portIndex, reading.toDouble(), settings);
  AccumulateTicAverage(value, portIndex, options, rowTime);
  return TicPrintf("%08.6f", value);
}

void TicLineProcessor::AccumulateTicAverage(double value, int portIndex, const TicLogOptions &options,
                                            const GpsDateTime &rowTime)
{
  if (options.averagingPeriod < 1) {
    averages.Reset(portIndex);
    return;
  }
  const std::optional<TicAverage> average =
      averages.Add(portIndex, value, rowTime.MSecsSinceEpoch(), options.averagingPeriod);
  if (!average)
    return;
  const QByteArray row = TicFieldSeparator(
      LogTimeTag(options.timeTagFormat, rowTime).toLatin1()
          + TicPrintf("%d %09.6f %09.6f %09.6f %09.6f\n", average->count, average->sigma,
                                 average->mean, average->maximum, average->minimum),
      options.logStyle);
  host.WriteTicAverageRow(portIndex + 1, row);
  SendTicData(remoteAverageCount, "AVERAGE", row);
  lastAverageLine = row;
}

void TicLineProcessor::ProcessStatisticsLine(int port, const QByteArray &text, const TicLogOptions &options,
                                             const GpsDateTime &rowTime)
{
  if (options.averagingPeriod > 0)
    return;
  const qsizetype colon = text.indexOf(':');
  const QByteArray label = text.left(colon).trimmed();
  QByteArray value = text.mid(colon + 1).trimmed();
  QByteArray &buffer = statisticsRows[port - 1];
  if (label == "N") {
    buffer = LogTimeTag(options.timeTagFormat, rowTime).toLatin1() + value;
    return;
  }
  ParseTicReading(value);
  // A counter that never sends "N" would otherwise grow its row for ever.
  if (buffer.size() + 1 + value.size() <= MaxStatisticsRowBytes)
    buffer += ' ' + value;
  if (label != "MIN")
    return;

  const QByteArray row = TicFieldSeparator(buffer, options.logStyle);
  host.WriteTicAverageRow(port, row);
  SendTicData(remoteAverageCount, "AVERAGE", row);
  lastAverageLine = row;
  host.ShowTicProcessedLine(QString::number(port) + QLatin1Char(' ') + QString::fromLatin1(row));
}

void TicLineProcessor::SendTicData(int &counter, const char *kind, const QByteArray &row)
{
  if (counter == 0)
    return;
  host.SendRemoteSentence(QByteArray("$DAREZ,TICDATA,") + kind + ',' + row);
  if (counter > 0)
    --counter;
}
