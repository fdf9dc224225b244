#pragma once
// Scripted receivers of every family on a simulated line: they answer the
// program's probes, identification and set-up commands as the real ones do,
// switch protocol ("$PMOTG,FOR,0", "@@Ci", "BIN"; a Synergy receiver told
// "@@Wb" with a u-blox rate code goes over to UBX) and data rate ("@@Wb",
// CFG-PRT) on command, and hear and answer only at their own data rate, read
// from the pseudo-terminal's settings. At any other rate they stay silent.
//
// A scripted receiver sits on a riduder::sim::ReceiverSimulator (it keeps the
// simulator's own rate gate in step, so a replayed capture is heard only at
// the receiver's rate too) and records every message it heard.

#include "tools/simulator/ReceiverSimulator.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QStringList>

#include <functional>

namespace riduder::test {

enum class ReceiverFamily {
  Oncore6,        // VP6: answers "@@Ba"
  Oncore8,        // UT+: answers "@@Ea", T-RAIM
  Oncore12,       // M12+: answers "@@Ha", DGPS and T-RAIM
  Synergy,        // SSR-M8T V4.25: 12 channels, NMEA mode, "@@Wb" (into UBX too)
  MotorolaNmea,   // an M12+ that talks Motorola NMEA until "$PMOTG,FOR,0"
  Loran,          // a UT+ in LORAN mode: "T0" answered, "BIN" to binary
  GenericNmea,    // talks NMEA, answers nothing
  Ublox,          // answers UBX (MON-VER, ACK), CFG-PRT moves its rate
};

// What the receiver talks at a moment.
enum class ReceiverProtocol { OncoreBinary, MotorolaNmea, Loran, GenericNmea, Ubx };

class ScriptedReceiver : public QObject {
  Q_OBJECT
public:
  ScriptedReceiver(sim::ReceiverSimulator &line, ReceiverFamily family, int rate);

  ReceiverFamily Family() const { return family_; }
  ReceiverProtocol Protocol() const { return protocol_; }
  int Rate() const { return rate_; }

  // A Synergy receiver that refuses "@@Wb": it answers but keeps its rate.
  void SetAcceptsRateChange(bool accepts) { acceptsRateChange_ = accepts; }
  // Switched off, it hears and says nothing (its messages count unheard).
  void SetPowered(bool powered) { powered_ = powered; }
  // At `rate` it hears everything but acts on and answers nothing except
  // "@@Wb": a receiver that went along with a rate change and is then not
  // heard there, yet still takes the command that sends it back. 0: none.
  void SetAnswersOnlyRateCommandsAt(int rate) { rateCommandsOnlyAt_ = rate; }

  // The messages heard at the receiver's rate, in order, without their
  // line ends (UBX frames whole).
  QList<QByteArray> Heard() const { return heard_; }
  // The same as short names: "@@Cj", "$PMOTG,ZDA,0001" (without "*hh"),
  // "T0", "UBX-06-00".
  QStringList HeardNames() const;
  // Messages that came at another rate (the receiver did not hear them).
  int UnheardCount() const { return unheard_; }
  void ClearHeard();

  // Called after the receiver has handled each message it heard (its
  // answer is on its way).
  std::function<void(const QByteArray &message)> onHeard;

  // Short name of one message as HeardNames gives it.
  static QString NameOf(const QByteArray &message);

  // The replies, as the receivers send them.
  static QByteArray CjReply(ReceiverFamily family);
  static QByteArray MonVerReply();
  static QByteArray ZdaSentence();
  static QByteArray LoranReplyLine();

private:
  void OnBytes(const QByteArray &bytes);
  void Handle(const QByteArray &message);
  void HandleOncore(const QByteArray &message);
  void HandleNmea(const QByteArray &message);
  void HandleLoran(const QByteArray &message);
  void HandleUbx(const QByteArray &message);
  void Answer(const QByteArray &bytes);
  void MoveToRate(int rate);
  int Channels() const;
  bool HasTraim() const;
  bool HasDgps() const;

  sim::ReceiverSimulator &line_;
  ReceiverFamily family_;
  ReceiverProtocol protocol_;
  int rate_;
  bool acceptsRateChange_ = true;
  bool powered_ = true;
  int rateCommandsOnlyAt_ = 0;
  QByteArray pending_;
  QList<QByteArray> heard_;
  int unheard_ = 0;
};

}  // namespace riduder::test
