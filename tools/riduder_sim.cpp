// riduder-sim: a simulated receiver on a pseudo-terminal.
//
// Prints the device to open (one line on stdout), then replays a capture
// and/or answers requests from a reply script until it is stopped. With
// --counter it is a time-interval counter on loopback TCP instead.

#include "core/GpsMode.h"
#include "tools/simulator/CaptureEpochs.h"
#include "tools/simulator/CaptureFile.h"
#include "tools/simulator/CounterSimulator.h"
#include "tools/simulator/DemoSettings.h"
#include "tools/simulator/ReceiverSimulator.h"
#include "tools/simulator/SimulatorScript.h"
#include "tools/simulator/UbxReplies.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QSettings>

#include <cstdio>

using namespace riduder::sim;

namespace {

bool ReadFile(const QString &path, QByteArray *contents)
{
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    fprintf(stderr, "riduder-sim: cannot read %s: %s\n", qPrintable(path), qPrintable(file.errorString()));
    return false;
  }
  *contents = file.readAll();
  return true;
}

QString Printable(const QByteArray &bytes)
{
  QString text;
  for (char c : bytes) {
    const auto b = static_cast<quint8>(c);
    text += b >= 0x20 && b < 0x7F ? QString(QChar(b)) : QStringLiteral("<%1>").arg(b, 2, 16, QChar('0')).toUpper();
  }
  return text;
}

}  // namespace

int main(int argc, char *argv[])
{
  QCoreApplication app(argc, argv);
  QCoreApplication::setApplicationName("riduder-sim");

  QCommandLineParser parser;
  parser.setApplicationDescription(
      "A simulated GPS receiver on a pseudo-terminal. Prints the device to open,\n"
      "then replays a capture and/or answers requests from a reply script.");
  parser.addHelpOption();
  const QCommandLineOption replay("replay", "Replay the receiver bytes of FILE (after its leading \"#\" lines).", "FILE");
  const QCommandLineOption rate("rate",
                                "Serial data rate for pacing, bit/s (default 9600); \"auto\": the lowest usual rate "
                                "that carries each epoch of the replay within a second.",
                                "N", "9600");
  const QCommandLineOption fast("fast", "Replay as fast as the reader takes the bytes.");
  const QCommandLineOption loop("loop", "Start the replay again at its end.");
  const QCommandLineOption pace(
      "pace",
      "How the replay is paced: \"bytes\" (default), every byte at the data rate; \"epochs\", one epoch of the "
      "capture a second (an epoch: the messages between two changes of the capture's own time), its bytes at "
      "the data rate.",
      "HOW", "bytes");
  const QCommandLineOption script("script", "Answer requests by the rules in FILE (see tools/simulator/SimulatorScript.h).",
                                  "FILE");
  const QCommandLineOption monVer("answer-mon-ver", "Answer the UBX MON-VER poll with a u-blox 8 identification.");
  const QCommandLineOption settings(
      "write-port-settings",
      "Point Riduder's receiver port at this simulator in protocol mode MODE (a mode name, or \"auto\" to choose "
      "by the replayed capture). Writes the settings of the current XDG_CONFIG_HOME.",
      "MODE");
  const QCommandLineOption verbose("verbose", "Show requests and answers on stderr.");
  const QCommandLineOption counter(
      "counter",
      "Instead of a receiver, a time-interval counter on loopback TCP: MODEL is 53230A, BNC1105, unknown or "
      "silent. Prints the address to give the counter port.",
      "MODEL");
  parser.addOptions({replay, rate, fast, loop, pace, script, monVer, settings, verbose, counter});
  parser.process(app);

  if (parser.isSet(counter)) {
    const QString model = parser.value(counter);
    CounterProfile profile;
    if (model == QLatin1String("53230A")) {
      profile = CounterProfile::Model53230A();
    } else if (model == QLatin1String("BNC1105")) {
      profile = CounterProfile::ModelBnc1105();
    } else if (model == QLatin1String("unknown")) {
      profile = CounterProfile::UnknownModel();
    } else if (model == QLatin1String("silent")) {
      profile = CounterProfile::Silent();
    } else {
      fprintf(stderr, "riduder-sim: unknown counter model \"%s\"\n", qPrintable(model));
      return 2;
    }
    CounterSimulator simulatedCounter(profile);
    QString error;
    if (!simulatedCounter.start(&error)) {
      fprintf(stderr, "riduder-sim: %s\n", qPrintable(error));
      return 1;
    }
    printf("%s\n", simulatedCounter.address().constData());
    fflush(stdout);
    return app.exec();
  }

  const bool autoRate = parser.value(rate) == QLatin1String("auto");
  bool rateOk = autoRate;
  int dataRate = autoRate ? 9600 : parser.value(rate).toInt(&rateOk);
  if (!rateOk || dataRate <= 0) {
    fprintf(stderr, "riduder-sim: --rate needs a positive number or \"auto\"\n");
    return 2;
  }

  const QString paceBy = parser.value(pace);
  if (paceBy != QLatin1String("bytes") && paceBy != QLatin1String("epochs")) {
    fprintf(stderr, "riduder-sim: --pace is \"bytes\" or \"epochs\"\n");
    return 2;
  }

  QByteArray replayBytes;
  if (parser.isSet(replay)) {
    QByteArray contents;
    if (!ReadFile(parser.value(replay), &contents))
      return 1;
    replayBytes = ReceiverBytes(contents);
    if (autoRate)
      dataRate = DemoRateFor(replayBytes);
  }

  ReceiverSimulator sim;
  if (parser.isSet(script)) {
    QByteArray text;
    if (!ReadFile(parser.value(script), &text))
      return 1;
    QList<ScriptRule> rules;
    QString error;
    if (!ParseScript(QString::fromUtf8(text), &rules, &error)) {
      fprintf(stderr, "riduder-sim: %s: %s\n", qPrintable(parser.value(script)), qPrintable(error));
      return 1;
    }
    for (const ScriptRule &rule : rules)
      sim.addRule(rule);
  }
  if (parser.isSet(monVer))
    sim.addRule(MonVerPollRule());

  QString mode;
  if (parser.isSet(settings)) {
    mode = parser.value(settings);
    if (mode == QLatin1String("auto")) {
      mode = DemoModeFor(parser.value(replay), replayBytes);
    } else if (GpsModeName(GpsModeFromName(mode)) != mode) {
      fprintf(stderr, "riduder-sim: unknown protocol mode \"%s\"\n", qPrintable(mode));
      return 2;
    }
  }

  QString error;
  if (!sim.open(&error)) {
    fprintf(stderr, "riduder-sim: %s\n", qPrintable(error));
    return 1;
  }
  if (!mode.isEmpty()) {
    QSettings store("ZIV Systems", "Riduder");
    WriteReceiverPortSettings(store, sim.slavePath(), mode, dataRate);
    if (store.status() != QSettings::NoError) {
      fprintf(stderr, "riduder-sim: cannot write %s\n", qPrintable(store.fileName()));
      return 1;
    }
    fprintf(stderr, "riduder-sim: receiver port set to %s, mode \"%s\", %d bit/s\n", qPrintable(sim.slavePath()),
            qPrintable(mode), dataRate);
  }

  if (parser.isSet(verbose)) {
    QObject::connect(&sim, &ReceiverSimulator::messageReceived, [](const QByteArray &message) {
      fprintf(stderr, "riduder-sim: received %s\n", qPrintable(Printable(message)));
    });
    QObject::connect(&sim, &ReceiverSimulator::answered, [](const QByteArray &, const QByteArray &reply) {
      fprintf(stderr, "riduder-sim: answered %s\n", qPrintable(Printable(reply)));
    });
  }
  QObject::connect(&sim, &ReceiverSimulator::lineError, [](const QString &text) {
    fprintf(stderr, "riduder-sim: %s\n", qPrintable(text));
  });

  printf("%s\n", qPrintable(sim.slavePath()));
  fflush(stdout);

  if (!replayBytes.isEmpty()) {
    if (paceBy == QLatin1String("epochs") && !parser.isSet(fast))
      sim.startEpochReplay(replayBytes, dataRate, parser.isSet(loop));
    else
      sim.startReplay(replayBytes, parser.isSet(fast) ? 0 : dataRate, parser.isSet(loop));
  }
  return app.exec();
}
