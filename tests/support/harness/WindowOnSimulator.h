#pragma once
// The main road in a test: a main window, offscreen, whose receiver port is
// the pseudo-terminal of a simulated receiver. Its set-up gate is open (no
// receiver search runs), its 1PPS line is a fake the test raises, its boxes
// and tick sounds are recorded, its command pauses take no real time. A test feeds receiver bytes and reads what
// the window shows: the raw-data window's lines and the labels.
//
// RawDataReference says what the raw-data window should show for each
// message, from a table of rows per mode worked out beforehand: it asks no
// decoder of the program.

#include "RecordingMessageBoxes.h"
#include "FakeModemLineReader.h"
#include "FakeTickSounds.h"
#include "core/GpsMode.h"
#include "core/ReceiverState.h"
#include "platform/ModemLineReader.h"
#include "platform/TickSounds.h"
#include "receiver/decode/DecoderCommandThrottle.h"
#include "tools/simulator/ReceiverSimulator.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QPlainTextEdit>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class MainWindow;
class QLabel;

namespace riduder::test {

class WindowOnSimulator {
public:
  struct Options {
    quint32 mode = GpsModeMotorolaBinary;  // LORAN (0) works too
    int dataRate = 115200;
    int ppsLine = 1;          // 0 none, 1 DCD, 2 CTS, 3 DSR
    bool showRawData = true;  // open the raw-data window as its menu does
    // Real milliseconds per millisecond of the command layer's pauses and
    // reply waits (a decoder's command pauses 100 ms after it is sent).
    double commandTimeScale = 0.0;

    // A receiver in this mode at this rate, with no 1PPS line chosen.
    static Options WithoutPps(quint32 mode, int dataRate)
    {
      Options options;
      options.mode = mode;
      options.dataRate = dataRate;
      options.ppsLine = 0;
      return options;
    }
  };

  WindowOnSimulator();
  explicit WindowOnSimulator(const Options &options);
  ~WindowOnSimulator();
  WindowOnSimulator(const WindowOnSimulator &) = delete;
  WindowOnSimulator &operator=(const WindowOnSimulator &) = delete;

  // Empty when the window's port is open on the simulator; else why not.
  QString Problem() const { return problem_; }

  MainWindow &Window() { return *window_; }
  sim::ReceiverSimulator &Simulator() { return simulator_; }
  FakeModemLineReader &PpsLine() { return ppsLine_; }
  RecordingMessageBoxes &Boxes() { return boxes_; }
  FakeTickSounds &Sounds() { return sounds_; }

  // The protocol mode in force (the port follows at its next read).
  void SetMode(quint32 mode);
  // Closed, only 1PPS markers pass, as while a receiver set-up runs.
  void SetSetupGateOpen(bool open);
  void ShowRawData();
  void HideRawData();

  // Receiver bytes, written at once or replayed as fast as the port takes
  // them; both return when the port has taken and framed every byte.
  bool Feed(const QByteArray &bytes, int timeoutMs = 5000);
  bool Replay(const QByteArray &bytes, int timeoutMs = 20000);
  // One pulse on the 1PPS line (rise, then fall); returns once the port has
  // seen both. Its marker joins the stream at the next message boundary.
  bool PpsPulse(int timeoutMs = 2000);

  // The raw-data window's paragraphs.
  QStringList RawDataLines() const;
  // Its lines grouped by the line the window was given: a paragraph that
  // starts with no prefix ("-> ", "?  ", "<- ") and is no 1PPS marker
  // continues the one before (a decoder's text of several lines). For
  // printable traffic only: a binary frame shown undecoded may hold line
  // breaks followed by anything (RawDataReference::Mismatch copes).
  QStringList RawDataEntries() const;
  // The entries, then an empty window (its Clear Screen button).
  QStringList TakeRawDataEntries();
  // The raw-data window's text area, the lines it has taken all shown.
  QPlainTextEdit *RawDataText() const;

  // A label of the main form by object name, and the status bar indicators.
  QString LabelText(const QString &objectName) const;
  QLabel *AntennaLabel() const;
  QLabel *NavLabel() const;
  QLabel *HeartbeatLabel() const;

private:
  bool WaitUntilTaken(int timeoutMs);

  QString problem_;
  sim::ReceiverSimulator simulator_;
  FakeModemLineReader ppsLine_;
  RecordingMessageBoxes boxes_;
  FakeTickSounds sounds_;
  QSerialPort::PinoutSignal ppsSignal_ = QSerialPort::DataCarrierDetectSignal;
  std::unique_ptr<MainWindow> window_;
};

// The messages a framer of the mode cuts from a stream, in order.
QList<QByteArray> FrameStream(quint32 mode, const QByteArray &stream);
// The stream cut after every `perChunk` messages of `messages` (which the
// stream holds in order); bytes after the last message go with the last
// chunk.
QList<QByteArray> CutAfterMessages(const QByteArray &stream, const QList<QByteArray> &messages,
                                   int perChunk);

class RawDataReference {
public:
  struct Entry {
    QString text;
    bool exact = true;  // false: the window's entry starts with text
  };

  RawDataReference();

  // The entries the window shows for a message in a mode: the echo of a
  // command the message makes the program send, then the message's own
  // line. None in the modes that show nothing.
  QList<Entry> Expect(quint32 mode, const QByteArray &message);
  // A line as the raw-data window stores it (ends trimmed, line breaks as
  // "\n").
  QString AsShown(const QString &line);
  static bool Matches(const Entry &expected, const QString &shown);
  // Whether the window's paragraphs are the expected entries, in order and
  // nothing else: empty when they are, else where they part. An exact
  // entry takes as many paragraphs as its text has lines (a binary frame
  // may hold line breaks); a decoder's line takes its first paragraph and
  // those after it that start no entry.
  static QString Mismatch(const QStringList &lines, const QList<Entry> &expected);

private:
  std::optional<Entry> StopSurveyEcho(const QByteArray &frame);

  // The window sends a decoder's own command again only after a pause; the
  // same rule, on the same clock, says which sends it echoes.
  DecoderCommandThrottle throttle_;
  // The u-blox receiver's last fix type, and whether it reported a survey
  // since it reached a time-only fix: what makes the program ask it to stop
  // the survey reports.
  int lastUbxFix_ = -1;
  bool surveySeenInTimeOnlyFix_ = false;
  QPlainTextEdit scratch_;
};

// The satellite table's rows that show a satellite: PRN -> the texts of
// elevation (with its trend arrow), azimuth and C/No.
QMap<int, QStringList> SatelliteTableRows(MainWindow &window);

}  // namespace riduder::test
