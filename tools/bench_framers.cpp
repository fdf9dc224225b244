// Frames receiver captures many times over and prints the framers' speed.
//
//   riduder-bench-framers [capture files...]
//
// Without arguments it takes every capture of the shared test data. The
// protocol comes from the capture's folder (oncore/, ubx/, nmea/).

#include "receiver/FramerSink.h"
#include "receiver/OncoreFramer.h"
#include "receiver/UbxNmeaFramer.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QTextStream>

#include <algorithm>

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

enum class Protocol { Oncore, Ubx, Nmea };

Protocol ProtocolOf(const QString &path)
{
  const QString folder = QFileInfo(path).dir().dirName();
  if (folder == QLatin1String("oncore"))
    return Protocol::Oncore;
  if (folder == QLatin1String("nmea"))
    return Protocol::Nmea;
  return Protocol::Ubx;
}

const char *Name(Protocol p)
{
  switch (p) {
  case Protocol::Oncore: return "Oncore";
  case Protocol::Ubx: return "UBX+NMEA";
  case Protocol::Nmea: return "NMEA";
  }
  return "";
}

struct Result {
  qint64 bytes = 0;
  qint64 messages = 0;
  double seconds = 0;
};

Result Run(Protocol protocol, const QByteArray &stream, int chunkSize)
{
  OncoreFramer oncore;
  UbxNmeaFramer ubxNmea;
  CountingSink sink;
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

int main(int argc, char *argv[])
{
  QCoreApplication app(argc, argv);
  QStringList files = app.arguments().mid(1);
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
             .arg("protocol", -9)
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
    for (int chunkSize : chunkSizes) {
      const Result r = Run(protocol, stream, chunkSize);
      out << QString("%1 %2 %3 %4 %5\n")
                 .arg(QFileInfo(path).fileName(), -34)
                 .arg(Name(protocol), -9)
                 .arg(chunkSize, 6)
                 .arg(r.bytes / r.seconds / 1e6, 9, 'f', 1)
                 .arg(r.messages / r.seconds, 12, 'f', 0);
      Result &t = totals[QString("%1 %2").arg(Name(protocol), -9).arg(chunkSize, 6)];
      t.bytes += r.bytes;
      t.messages += r.messages;
      t.seconds += r.seconds;
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
