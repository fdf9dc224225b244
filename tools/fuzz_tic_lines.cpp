// libFuzzer target: what a counter controls. The first bytes of an input
// choose the path and the options (serial line assembly or the TCP
// conversation with its prompts, the port, the TIC log style, time tag,
// time-log interval, averaging period, sawtooth correction, clock display
// mode, the remote TICDATA counters, the receiver's sawtooth); the rest is
// the counter's byte stream, cut in chunks drawn from the input. Every line
// goes through the TIC line processing, the displayed second moving on
// with each line. What must hold whatever the counter sends:
// - a serial line is the port, a blank and printable bytes, at most the
//   line bound, and the same in any split of the stream;
// - a TCP reading is a number without line ends or prompts, and a prompt is
//   answered with a set-up command or the reading request;
// - every row and remote sentence is one line;
// - the reading shown is a finite number of microseconds within half a
//   second either side.

#include "core/ClockModes.h"
#include "core/ReceiverState.h"
#include "tests/support/fakes/FakeTimeSource.h"
#include "tic/TicLineAssembler.h"
#include "tic/TicLineProcessor.h"
#include "tic/TicReading.h"
#include "tic/TicScpi.h"
#include "tools/fuzz_support.h"

#include <QChar>
#include <QDateTime>

#include <cmath>

namespace {

constexpr int OptionBytes = 6;

bool OneLine(const QByteArray &text)
{
  return !text.contains('\r') && !text.contains('\n');
}

// A number of microseconds as the processing prints it.
double Microseconds(const QString &text)
{
  bool ok = false;
  const double value = text.toDouble(&ok);
  FUZZ_CHECK(ok);
  FUZZ_CHECK(std::isfinite(value));
  return value;
}

struct CheckingHost : TicProcessingHost {
  TicLogOptions options;
  TicCorrectionSettings correction;
  int clockMode = 0;

  TicLogOptions TicOptions() const override { return options; }
  TicCorrectionSettings CorrectionSettings() const override { return correction; }
  qint64 PcClockOffsetMs() const override { return -1234; }
  int ClockDisplayMode() const override { return clockMode; }
  void WriteTicTimeRow(int port, const QByteArray &row) override
  {
    FUZZ_CHECK(port >= 1 && port <= TicLineProcessor::Ports);
    FUZZ_CHECK(OneLine(row));
  }
  void WriteTicAverageRow(int port, const QByteArray &row) override
  {
    FUZZ_CHECK(port >= 1 && port <= TicLineProcessor::Ports);
    FUZZ_CHECK(OneLine(row));
  }
  void SendRemoteSentence(const QByteArray &sentence) override
  {
    FUZZ_CHECK(sentence.startsWith("$DAREZ,TICDATA,"));
    FUZZ_CHECK(OneLine(sentence));
  }
  void ShowTicRawLine(const QString &) override {}
  void ShowTicProcessedLine(const QString &line) override { FUZZ_CHECK(OneLine(line.toLatin1())); }
  void ShowTicReading(const QString &reading) override { FUZZ_CHECK(std::fabs(Microseconds(reading)) <= 500000.0); }
  void ShowTicClock(const QString &text) override
  {
    const double value = Microseconds(text);
    FUZZ_CHECK(std::fabs(value) <= (clockMode == ClockModes::Tic ? 500000.0 : TicReadingLimitUs));
  }
};

int Pick(std::uint8_t byte, std::initializer_list<int> values)
{
  return values.begin()[byte % values.size()];
}

QList<QByteArray> SerialLines(int port, const QList<QByteArrayView> &chunks)
{
  TicLineAssembler assembler(port);
  QList<QByteArray> lines;
  for (QByteArrayView chunk : chunks)
    lines += assembler.Feed(chunk.toByteArray());
  return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
  std::uint8_t option[OptionBytes] = {};
  for (size_t i = 0; i < OptionBytes && i < size; ++i)
    option[i] = data[i];
  const QByteArrayView stream = fuzz::Input(data, size).sliced(qMin<qsizetype>(size, OptionBytes));

  FakeTimeSource clock;
  ScopedTimeSourceOverride clockOverride(&clock);
  static ReceiverState state;
  state = ReceiverState();
  state.receiverSawtoothNs = std::int8_t(option[5]) * 0.5;
  state.receiverOneSigmaNs = option[5];
  CheckingHost host;
  const bool tcp = option[0] & 1;
  const int port = 1 + ((option[0] >> 1) & 7);
  host.options.logStyle = (option[0] >> 4) % 3;
  host.options.timeTagFormat = Pick(option[1], {0, 1, 2, 3});
  host.options.timeLogInterval = Pick(option[1] >> 2, {1, 0, 2, 60});
  host.options.averagingPeriod = Pick(option[1] >> 4, {0, 300, 2, -1, 1});
  host.correction.mode = Pick(option[2], {0, 1, 2, 3, 7});
  host.correction.ticAutoCorrect = option[2] & 8;
  host.correction.delayTotals[0] = std::int8_t(option[3]) * 0.25;
  host.correction.delayTotals[1] = -std::int8_t(option[3]) * 0.125;
  host.clockMode = Pick(option[2] >> 4, {ClockModes::Tic, ClockModes::TicRaw, 0});
  TicLineProcessor processor(state, host);
  processor.SetRemoteTimeCount(Pick(option[4], {-1, 0, 2}));
  processor.SetRemoteAverageCount(Pick(option[4] >> 2, {-1, 0, 1}));

  const QList<QByteArrayView> chunks = fuzz::Chunks(stream);
  QList<QByteArray> lines;
  if (!tcp) {
    lines = SerialLines(port, {stream});
    FUZZ_CHECK(SerialLines(port, chunks) == lines);
    const QByteArray prefix = QByteArray::number(port) + ' ';
    for (const QByteArray &line : lines) {
      FUZZ_CHECK(line.startsWith(prefix));
      FUZZ_CHECK(line.size() <= prefix.size() + TicLineAssembler::MaxLineBytes);
      for (qsizetype i = prefix.size(); i < line.size(); ++i)
        FUZZ_CHECK(QChar::fromLatin1(line.at(i)).isPrint());
    }
  } else {
    TicScpiPoll poll;
    const TicCounterModel model = option[4] & 0x80 ? TicCounterModel::Bnc1105 : TicCounterModel::Counter5322xA;
    poll.Start(model);
    const QList<QByteArray> setup = TicScpiSetup(model);
    TicLineAssembler assembler(port);
    for (QByteArrayView chunk : chunks) {
      const QByteArray bytes = chunk.toByteArray();
      for (const QByteArray &reading : poll.Take(bytes)) {
        FUZZ_CHECK(OneLine(reading) && !reading.contains('>'));
        bool numeric = false;
        reading.toDouble(&numeric);
        FUZZ_CHECK(numeric);
        const QList<QByteArray> made = assembler.Feed(reading + '\r');
        FUZZ_CHECK(made.size() == 1);
        lines += made;
      }
      FUZZ_CHECK(poll.PromptDue() || !bytes.contains('>'));
      const QByteArray command = poll.NextCommand();
      FUZZ_CHECK(command.isEmpty() || command == TicReadingRequest || setup.contains(command));
      FUZZ_CHECK(!poll.PromptDue());
    }
  }

  QDateTime shown = QDateTime::fromSecsSinceEpoch(1765400000 + option[5], Qt::UTC);
  for (const QByteArray &line : std::as_const(lines)) {
    state.displayCopy.SetDateTime(shown);
    processor.ProcessTicLine(line);
    shown = shown.addSecs(1);
    if ((line.size() & 7) == 0)
      state.receiverSawtoothFresh = true;
  }
  return 0;
}
