// Frames receiver captures many times over and prints the framers' speed;
// Oncore, u-blox and NMEA captures are also framed and decoded, each message
// routed and its text line built as the program's dispatch does, with the
// raw-data window closed and shown.
//
//   riduder-bench-framers [capture files...]
//   riduder-bench-framers --once [--window] [--repeat N] FILE
//
// Without arguments it takes every capture of the shared test data. The
// protocol comes from the capture's folder (oncore/, ubx/, nmea/): Oncore
// captures decode in the mode "Motorola Binary", ubx/ in "u-blox UBX" and
// nmea/ in "Generic NMEA". "--once" frames and decodes the file's bytes
// once, as the port would hand them on in 4096-byte reads, window closed
// (with "--window": open, each message's raw-data text built), and prints
// MB/s and the messages; "--repeat N" takes the file's bytes N times over,
// so that a small capture runs long enough to time.

#include "core/GpsMode.h"
#include "core/ReceiverState.h"
#include "receiver/decode/DecoderHost.h"
#include "receiver/link/FramerSink.h"
#include "receiver/decode/MessageRouting.h"
#include "receiver/decode/NmeaDecoder.h"
#include "receiver/decode/OncoreDecoder.h"
#include "receiver/link/OncoreFramer.h"
#include "receiver/decode/UbxDecoder.h"
#include "receiver/link/UbxNmeaFramer.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QTextStream>

#include <algorithm>
#include <memory>

namespace {

struct CountingSink : FramerSink {
  qint64 messages = 0;
  qint64 bytes = 0;
  void OnFramedMessage(const QByteArray &message) override
  {
    ++messages;
    bytes += message.size();
  }
};

// The receiver's bytes: everything after the capture's leading "#" lines.
QByteArray ReadCaptureBytes(const QString &path)
{
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly))
    return {};
  const QByteArray all = f.readAll();
  qsizetype pos = 0;
  while (pos < all.size() && all.at(pos) == '#') {
    const qsizetype nl = all.indexOf('\n', pos);
    pos = nl < 0 ? all.size() : nl + 1;
  }
  return all.mid(pos);
}

// Frames and decodes as the program does: each message goes through the
// dispatch's routing for the mode, which builds its raw-data window line.
struct DecodingSink : CountingSink {
  DecodingSink(quint32 mode, bool windowShown)
      : state(std::make_unique<ReceiverState>()), oncore(*state, host), nmea(*state, host),
        ubx(*state, host), mode(mode), windowShown(windowShown)
  {
    state->setupInProgress = false;
    state->rawDataWindowOpened = windowShown;
    CurrentGpsMode = mode;
  }
  void OnFramedMessage(const QByteArray &message) override
  {
    CountingSink::OnFramedMessage(message);
    const RoutedMessage routed =
        RouteReceiverMessage(mode, message, {oncore, nmea, ubx}, *state, windowShown);
    textBytes += routed.line.size();
  }
  std::unique_ptr<ReceiverState> state;
  DecoderHost host;
  OncoreDecoder oncore;
  NmeaDecoder nmea;
  UbxDecoder ubx;
  quint32 mode;
  bool windowShown;
  qint64 textBytes = 0;
};

enum class Protocol { Oncore, Ubx, Nmea };
enum class Work { Frame, DecodeTextOff, DecodeTextOn };

quint32 ModeOf(Protocol protocol)
{
  switch (protocol) {
  case Protocol::Oncore: return GpsModeMotorolaBinary;
  case Protocol::Ubx: return GpsModeUbloxUbx;
  case Protocol::Nmea: return GpsModeGenericNmea;
  }
  return GpsModeSearch;
}

Protocol ProtocolOf(const QString &path)
{
  const QString folder = QFileInfo(path).dir().dirName();
  if (folder == QLatin1String("oncore"))
    return Protocol::Oncore;
  if (folder == QLatin1String("nmea"))
    return Protocol::Nmea;
  return Protocol::Ubx;
}

QString Name(Protocol p, Work work = Work::Frame)
{
  const char *protocol = "";
  switch (p) {
  case Protocol::Oncore: protocol = "Oncore"; break;
  case Protocol::Ubx: protocol = "UBX+NMEA"; break;
  case Protocol::Nmea: protocol = "NMEA"; break;
  }
  switch (work) {
  case Work::Frame: return QString::fromLatin1(protocol);
  case Work::DecodeTextOff: return QStringLiteral("%1+decode").arg(protocol);
  case Work::DecodeTextOn: return QStringLiteral("%1+decode+window").arg(protocol);
  }
  return QString();
}

struct Result {
  qint64 bytes = 0;
  qint64 messages = 0;
  double seconds = 0;
};

Result Run(Protocol protocol, const QByteArray &stream, int chunkSize, Work work = Work::Frame)
{
  OncoreFramer oncore;
  UbxNmeaFramer ubxNmea;
  CountingSink counting;
  DecodingSink decoding(ModeOf(protocol), work == Work::DecodeTextOn);
  CountingSink &sink = work == Work::Frame ? counting : decoding;
  QElapsedTimer clock;
  clock.start();
  for (qsizetype from = 0; from < stream.size(); from += chunkSize) {
    const QByteArrayView chunk(stream.constData() + from, std::min<qsizetype>(chunkSize, stream.size() - from));
    if (protocol == Protocol::Oncore)
      oncore.Process(chunk, sink);
    else
      ubxNmea.Process(chunk, protocol == Protocol::Nmea, sink);
  }
  Result r;
  r.seconds = clock.nsecsElapsed() / 1e9;
  r.bytes = stream.size();
  r.messages = sink.messages;
  return r;
}

}  // namespace

// The file's receiver bytes, `repeat` times over, framed and decoded once,
// the raw-data window closed or shown.
int RunOnce(const QString &path, bool windowShown, int repeat)
{
  QTextStream out(stdout);
  const QByteArray once = ReadCaptureBytes(path);
  if (once.isEmpty()) {
    out << path << ": unreadable or empty\n";
    return 1;
  }
  constexpr qint64 maxBytes = qint64(1) << 30;
  if (once.size() * qint64(repeat) > maxBytes) {
    out << path << ": " << repeat << " copies exceed 1 GiB\n";
    return 2;
  }
  const QByteArray capture = once.repeated(repeat);
  const Protocol protocol = ProtocolOf(path);
  const Result r = Run(protocol, capture, 4096, windowShown ? Work::DecodeTextOn : Work::DecodeTextOff);
  out << QString("%1: %2, window %3, %4 bytes, %5 messages, %6 s, %7 MB/s\n")
             .arg(QFileInfo(path).fileName())
             .arg(GpsModeName(ModeOf(protocol)))
             .arg(windowShown ? "shown" : "closed")
             .arg(r.bytes)
             .arg(r.messages)
             .arg(r.seconds, 0, 'f', 6)
             .arg(r.bytes / r.seconds / 1e6, 0, 'f', 1);
  return 0;
}

int main(int argc, char *argv[])
{
  QCoreApplication app(argc, argv);
  QCommandLineParser parser;
  parser.setApplicationDescription(
      "Frames the receiver captures many times over and prints the framers' speed, alone and with each\n"
      "message decoded and its raw-data text built (window closed and shown). Without files it takes\n"
      "every capture of the shared test data; the protocol comes from each file's folder (oncore/, ubx/,\n"
      "nmea/).");
  parser.addHelpOption();
  const QCommandLineOption once("once",
                                "Frame and decode FILE once, in 4096-byte reads as the port hands them on, and "
                                "print its MB/s and messages.");
  const QCommandLineOption window("window", "With --once: build each message's raw-data text, as with the "
                                            "raw-data window open.");
  const QCommandLineOption repeat("repeat", "With --once: take the file's bytes N times over.", "N", "1");
  parser.addOptions({once, window, repeat});
  parser.addPositionalArgument("files", "Capture files (with --once: exactly one).", "[FILE...]");
  parser.process(app);
  QStringList files = parser.positionalArguments();
  if (parser.isSet(once)) {
    if (files.size() != 1) {
      QTextStream(stderr) << "usage: riduder-bench-framers --once [--window] [--repeat N] FILE\n";
      return 2;
    }
    bool repeatOk = false;
    const int copies = parser.value(repeat).toInt(&repeatOk);
    if (!repeatOk || copies < 1) {
      QTextStream(stderr) << "riduder-bench-framers: --repeat takes a count of 1 or more\n";
      return 2;
    }
    return RunOnce(files.first(), parser.isSet(window), copies);
  }
  if (parser.isSet(window) || parser.isSet(repeat)) {
    QTextStream(stderr) << "riduder-bench-framers: --window and --repeat go with --once (the full run measures "
                           "both windows on 32 MiB of each capture)\n";
    return 2;
  }
  if (files.isEmpty()) {
    QDirIterator it(QStringLiteral(RIDUDER_CAPTURE_DIR), {QStringLiteral("*.log")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
      files.append(it.next());
    files.sort();
  }
  QTextStream out(stdout);
  if (files.isEmpty()) {
    out << "No capture files given or found in " << RIDUDER_CAPTURE_DIR << "\n";
    return 1;
  }

  constexpr qint64 targetBytes = 32 * 1024 * 1024;  // per file
  const int chunkSizes[] = {64, 4096};
  QMap<QString, Result> totals;

  out << QString("%1 %2 %3 %4 %5\n")
             .arg("capture", -34)
             .arg("protocol", -20)
             .arg("chunk", 6)
             .arg("MB/s", 9)
             .arg("msgs/s", 12);
  for (const QString &path : files) {
    const QByteArray capture = ReadCaptureBytes(path);
    if (capture.isEmpty()) {
      out << path << ": unreadable or empty\n";
      continue;
    }
    const Protocol protocol = ProtocolOf(path);
    const int copies = int(std::max<qint64>(1, targetBytes / capture.size()));
    const QByteArray stream = capture.repeated(copies);
    QList<Work> works{Work::Frame};
    works << Work::DecodeTextOff << Work::DecodeTextOn;
    for (Work work : works) {
      for (int chunkSize : chunkSizes) {
        const Result r = Run(protocol, stream, chunkSize, work);
        out << QString("%1 %2 %3 %4 %5\n")
                   .arg(QFileInfo(path).fileName(), -34)
                   .arg(Name(protocol, work), -20)
                   .arg(chunkSize, 6)
                   .arg(r.bytes / r.seconds / 1e6, 9, 'f', 1)
                   .arg(r.messages / r.seconds, 12, 'f', 0);
        Result &t = totals[QString("%1 %2").arg(Name(protocol, work), -20).arg(chunkSize, 6)];
        t.bytes += r.bytes;
        t.messages += r.messages;
        t.seconds += r.seconds;
      }
    }
    out.flush();
  }
  out << "\nper protocol\n";
  for (auto it = totals.cbegin(); it != totals.cend(); ++it) {
    const Result &t = it.value();
    out << QString("%1 %2 %3 %4\n")
               .arg("", -34)
               .arg(it.key())
               .arg(t.bytes / t.seconds / 1e6, 9, 'f', 1)
               .arg(t.messages / t.seconds, 12, 'f', 0);
  }
  return 0;
}
