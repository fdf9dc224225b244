// libFuzzer target: what a remote-control client sends. The input is cut
// into lines by the server's framer, whole and in a split drawn from the
// input, and each line of the split is checked by the server's rule and,
// when accepted, carried out by the command interpreter. The host keeps
// its logs and location in memory; the settings store lies in a temporary
// folder. Whatever the input: lines stay within the line limit, every reply
// is one line, the reference location is a position on the earth, and a
// stored TIC prefix is a bare name in the configured folder.

#include "logging/GpsDataLog.h"
#include "logging/TicLogOptions.h"
#include "remote/RemoteCommandInterpreter.h"
#include "remote/RemoteControlProtocol.h"
#include "tools/fuzz_support.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>

#include <cmath>
#include <utility>

namespace {

// The lines carried out per input: enough for any command sequence, few
// enough for many inputs a second.
constexpr int MaxLinesRun = 64;

QList<RemoteLineFramer::Item> Frame(const QList<QByteArrayView> &reads)
{
  RemoteLineFramer framer;
  QList<RemoteLineFramer::Item> items;
  RemoteLineFramer::Item item;
  for (QByteArrayView read : reads) {
    framer.Append(read.toByteArray());
    while (framer.Next(item))
      items.append(item);
  }
  return items;
}

// The items less empty lines: a CR that directly follows another ends an
// empty line only when the two come in different reads.
QList<QByteArray> NonEmpty(const QList<RemoteLineFramer::Item> &items)
{
  QList<QByteArray> texts;
  for (const auto &item : items) {
    FUZZ_CHECK(!item.text.contains('\r'));
    if (item.kind == RemoteLineFramer::Item::Overlong) {
      FUZZ_CHECK(item.text.size() == RemoteLineFramer::RejectedLineShown);
      texts.append("overlong " + item.text);
    } else {
      FUZZ_CHECK(item.text.size() <= RemoteLineFramer::MaxLineBytes);
      if (!item.text.isEmpty())
        texts.append(item.text);
    }
  }
  return texts;
}

class FuzzHost : public RemoteCommandHost {
public:
  explicit FuzzHost(const QString &folder) : folder(folder) {}

  void SendReply(const QByteArray &reply) override { replies.append(reply); }
  void RestartServer() override { dropped = true; }
  void CarryOutNextLineAtOnce() override {}
  QString VersionText() const override { return QStringLiteral("1.2.10"); }
  QString ReferencePositionText() const override { return FormatPositionText(reference, 4); }
  void SetReferenceLocation(const GeoPosition &position) override
  {
    FUZZ_CHECK(position.latitude >= -90.0 && position.latitude <= 90.0);
    FUZZ_CHECK(position.longitude >= -180.0 && position.longitude <= 180.0);
    FUZZ_CHECK(std::isfinite(position.mslAltitude) && std::isfinite(position.gpsAltitude));
    reference = position;
  }
  void SetTicDataCount(TicDataKind, int count) override { FUZZ_CHECK(count == 0 || count == -1); }
  QByteArray LastTicDataLine(TicDataKind) const override { return "12.345678"; }
  int GpsLogType() const override { return gpsLogType; }
  void SetGpsLogType(int type) override
  {
    FUZZ_CHECK(type >= 0 && type <= 4);
    gpsLogType = type;
  }
  bool GpsLogOpen() const override { return gpsLogOpen; }
  QString GpsLogFileName() const override { return folder + QStringLiteral("/RARA_0045G.txt"); }
  bool OpenGpsLogFile(int mode) override
  {
    FUZZ_CHECK(mode == 0 || mode == 2 || mode == 3);
    FUZZ_CHECK(!gpsLogOpen);
    gpsLogOpen = true;
    return true;
  }
  bool CloseGpsLogFile() override { return std::exchange(gpsLogOpen, false); }
  bool TicLogOpen() const override { return ticLogOpen; }
  QString TicLogFirstFileName() const override { return folder + QStringLiteral("/RARA_0045A_PORT_01.txt"); }
  bool OpenTicLogFiles(int mode) override
  {
    FUZZ_CHECK(mode == 0 || mode == 2 || mode == 3);
    FUZZ_CHECK(!ticLogOpen);
    CheckStoredName();
    // Today's set "exists": appending works, creating it anew needs REPLACE.
    ticLogOpen = mode != 0;
    return ticLogOpen;
  }
  bool CloseTicLogFiles() override { return std::exchange(ticLogOpen, false); }
  void TicLogOptionsStored() override { CheckStoredName(); }

  // A stored prefix is a bare name, and the folder the configured one.
  void CheckStoredName() const
  {
    static const QRegularExpression bare(QRegularExpression::anchoredPattern(
        QStringLiteral("[A-Za-z0-9_-]{1,%1}").arg(RemoteCommandInterpreter::MaxTicPrefixLength)));
    const QSettings settings;
    FUZZ_CHECK(settings.value(TicLogKeys::FileDirectory).toString() == folder);
    if (settings.contains(TicLogKeys::FileNamePrefix))
      FUZZ_CHECK(bare.match(settings.value(TicLogKeys::FileNamePrefix).toString()).hasMatch());
  }

  QString folder;
  QList<QByteArray> replies;
  bool dropped = false;
  GeoPosition reference;
  int gpsLogType = 0;
  bool gpsLogOpen = false;
  bool ticLogOpen = false;
};

// The settings of the run, in a folder of its own.
const QString &SettingsFolder()
{
  // QSettings writes its files through the application object.
  static int argc = 1;
  static char name[] = "fuzz_remote_lines";
  static char *argv[] = {name, nullptr};
  static QCoreApplication application(argc, argv);
  static QTemporaryDir folder;
  static const QString path = [] {
    QSettings::setDefaultFormat(QSettings::IniFormat);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder.path());
    QCoreApplication::setOrganizationName(QStringLiteral("Riduder Fuzz"));
    QCoreApplication::setApplicationName(QStringLiteral("remote lines"));
    return folder.path();
  }();
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
  const QString &folder = SettingsFolder();
  const QByteArrayView input = fuzz::Input(data, size);
  const QList<RemoteLineFramer::Item> items = Frame(fuzz::Chunks(input));
  FUZZ_CHECK(NonEmpty(items) == NonEmpty(Frame({input})));

  // Each input begins with a store that holds the folder alone; written
  // only after an input that may have changed it, writing being slow.
  static bool stored = false;
  if (!stored) {
    QSettings settings;
    settings.clear();
    settings.setValue(TicLogKeys::FileDirectory, folder);
  }
  stored = !input.toByteArray().toUpper().contains("TICLOG");
  FuzzHost host(folder);
  RemoteCommandInterpreter interpreter(host);
  int run = 0;
  for (const RemoteLineFramer::Item &item : items) {
    if (run++ == MaxLinesRun || host.dropped)
      break;
    host.replies.clear();
    QByteArray line = item.text;
    if (item.kind == RemoteLineFramer::Item::Overlong || !RemoteControlProtocol::CheckLine(line))
      host.replies.append(line + RemoteControlProtocol::Rejected);
    else
      interpreter.OnTelnetCommand(line);
    // Every reply is one line: no CR, and a line feed only where the client
    // sent one in the text it gets back, or in the fixed two-line failure.
    FUZZ_CHECK(host.replies.size() <= 2);
    for (const QByteArray &reply : host.replies) {
      FUZZ_CHECK(!reply.contains('\r'));
      if (reply != GpsLogTexts::CannotOpen)
        FUZZ_CHECK(reply.count('\n') <= line.count('\n'));
      FUZZ_CHECK(reply.size() <= line.size() + 1024);
    }
    host.CheckStoredName();
  }
  return 0;
}
