#pragma once
// What becomes of one counter line: the reading in microseconds, corrected
// by the receiver's sawtooth and averaged per port, one time-tagged row for
// the port's time file and the remote client, and the counters' own
// statistics lines gathered into one average row. The processor reports
// through TicProcessingHost, so it runs without a window.

#include "core/ReceiverState.h"
#include "logging/TicLogOptions.h"
#include "tic/TicCorrection.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

class TicProcessingHost {
public:
  virtual ~TicProcessingHost() = default;

  virtual TicLogOptions TicOptions() const = 0;
  virtual TicCorrectionSettings CorrectionSettings() const = 0;
  // PC time minus receiver time, as the clock step last measured it.
  virtual qint64 PcClockOffsetMs() const = 0;
  virtual int ClockDisplayMode() const = 0;

  // One row to port 1..8's time or average file; the log keeps none while
  // it is closed, nor an empty one.
  virtual void WriteTicTimeRow(int port, const QByteArray &row) = 0;
  virtual void WriteTicAverageRow(int port, const QByteArray &row) = 0;
  // One "$DAREZ,TICDATA,..." sentence to the remote client, when a server
  // exists.
  virtual void SendRemoteSentence(const QByteArray &sentence) = 0;

  // The raw and processed TIC windows (each drops lines while hidden).
  virtual void ShowTicRawLine(const QString &line) = 0;
  virtual void ShowTicProcessedLine(const QString &line) = 0;
  // Port 1's corrected reading, for the label beside the clock.
  virtual void ShowTicReading(const QString &reading) = 0;
  // The large clock's text in the two TIC display modes.
  virtual void ShowTicClock(const QString &text) = 0;
};

class TicLineProcessor {
public:
  static constexpr int Ports = ReceiverState::TicPorts;
  // A counter's statistics block longer than this keeps its first fields.
  static constexpr int MaxStatisticsRowBytes = 4096;

  TicLineProcessor(ReceiverState &state, TicProcessingHost &host);

  // One line "N text" of counter port N (1..8).
  void ProcessTicLine(QByteArray line);

  // The remote TICDATA counters: 0 sends nothing, n the next n sentences,
  // -1 every sentence.
  int RemoteTimeCount() const { return remoteTimeCount; }
  int RemoteAverageCount() const { return remoteAverageCount; }
  void SetRemoteTimeCount(int count) { remoteTimeCount = count; }
  void SetRemoteAverageCount(int count) { remoteAverageCount = count; }
  // The last row that passed the time-log interval, and the last average
  // row, whether or not they were written or sent.
  const QByteArray &LastTimeLine() const { return lastTimeLine; }
  const QByteArray &LastAverageLine() const { return lastAverageLine; }

  // The text the large clock shows in the TIC modes, and port 1's last
  // corrected reading.
  const QString &ClockTicText() const { return clockTicText; }
  const QByteArray &LastPort1Reading() const { return lastPort1Reading; }
  // Port 1 has gone: its last reading is no longer live, in the clock
  // either.
  void ForgetPort1Reading();

  const TicSawtoothCorrection &Correction() const { return correction; }
  const TicAverages &Averages() const { return averages; }
  const QByteArray &StatisticsRow(int port) const { return statisticsRows[port - 1]; }

private:
  // The corrected reading as text "%08.6f"; feeds the port's averages.
  // rowTime: the time the line's rows are tagged with (TicRowTime).
  QByteArray CorrectTicReading(const QByteArray &reading, int portIndex, const TicLogOptions &options,
                               const TicCorrectionSettings &settings, const GpsDateTime &rowTime);
  void AccumulateTicAverage(double value, int portIndex, const TicLogOptions &options, const GpsDateTime &rowTime);
  void ProcessStatisticsLine(int port, const QByteArray &text, const TicLogOptions &options,
                             const GpsDateTime &rowTime);
  // Sends one sentence while `counter` asks for it and counts it down.
  void SendTicData(int &counter, const char *kind, const QByteArray &row);

  ReceiverState &state;
  TicProcessingHost &host;
  TicSawtoothCorrection correction;
  TicAverages averages;

  int remoteTimeCount = 0;
  int remoteAverageCount = 0;
  QByteArray lastTimeLine;
  QByteArray lastAverageLine;
  QString clockTicText;
  QByteArray lastPort1Reading;
  QByteArray statisticsRows[Ports];
};
