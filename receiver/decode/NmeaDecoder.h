#pragma once
// Decoder of NMEA sentences: the standard time, position and satellite
// sentences of the "GP" talker and the Garmin, Motorola and Synergy
// proprietary answers. One sentence (without its line end, "*hh" still
// attached) in; whether it was recognised out. On the way it updates the
// shared receiver state and reports time, position, satellites, status texts
// and log rows to its host.
//
// The frame: the awaited-reply check, a chain of sentence tests in a fixed
// order (the first match decides), and a common tail that hands the PVT row
// and the status text to the logs.
//
// Time windows (the GSA and GSV bursts, "no ZDA lately") are measured on the
// monotonic clock of TimeSource, which the PC clock step cannot move.

#include "core/SatelliteRecord.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <array>
#include <bitset>

class DecoderHost;
struct ReceiverState;

class NmeaDecoder {
public:
  NmeaDecoder(ReceiverState &state, DecoderHost &host);

  // Decodes one sentence. True when it was recognised (shown after "-> "),
  // false otherwise (shown after "?  ").
  bool Decode(const QByteArray &sentence);

  // Publishes a completed group of satellites in view: the count label and
  // the satellite table. Does nothing while no group is complete.
  void UpdateVisibleCount();

  // Burst windows: longer gaps start a new burst.
  static constexpr qint64 BurstGapMs = 1500;
  // After a ZDA, RMC leaves the time alone for this long (unless a 1PPS
  // tick cleared the ZDA-this-second flag first).
  static constexpr qint64 ZdaPrecedenceMs = 1500;
  // Satellites kept per burst (array slots 0 to 15).
  static constexpr int SatelliteSlots = 16;
  static constexpr int MaxGsaEntries = 6;

private:
  // The per-call texts of one sentence.
  struct Work {
    const QByteArray &sentence;
    QString pvtText;     // a row for the PVT log
    QString statusText;  // text for the TIC configuration log
  };

  bool Tail(Work &work, bool result);

  bool DecodeTxt(const QByteArray &sentence);
  bool DecodeZda(Work &work);
  bool DecodeGga(Work &work);
  bool DecodeGsa(Work &work);
  bool DecodeGsv(Work &work);
  bool DecodeGllVtg(Work &work, QByteArray &last);
  bool DecodeRmc(Work &work);
  bool DecodePgrmt(Work &work);
  bool DecodePgrmi(Work &work);
  bool DecodePgrmc(Work &work);
  bool DecodePgrmo(Work &work);

  // The duplicate rule: true when the sentence equals `last` (and so is not
  // decoded again); otherwise `last` becomes the sentence.
  static bool Repeats(const QByteArray &sentence, QByteArray &last);

  // What ZDA, GGA and RMC do first: publish the burst, end the GSV assembly
  // and clear the GSA burst count.
  void EndSatelliteBurst();

  // Stores a sentence's date-time as the receiver time, runs the clock step
  // when no tick came, clears the tick flags and adds the one second. False,
  // changing nothing, for an impossible date-time.
  bool StoreReceiverTime(int year, int month, int day, int hour, int minute, double seconds,
                         bool &sentenceTickPending, const char *sentenceName);

  // Sends one line of a Garmin echo to the debug output and the
  // identification window, and keeps it as the status text.
  void EchoLine(Work &work, const QByteArray &line);

  int MapIdentifier(int system, int identifier) const;
  bool HoldsSignalGroup(int group) const;
  // Whether the burst holds the (mapped) satellite from the signal (-1: a
  // sentence without a signal field).
  bool HoldsSatellite(int signal, int identifier) const;
  // The constellation of a burst's group: its GSA entry, then the numbers
  // of the `carried` satellites of the sentence.
  int GroupSystem(int groupIndex, const SatelliteRecord (&records)[4], int carried) const;
  void StoreSatellite(const SatelliteRecord &record);

  // Whether the field texts and rows are built (raw-data window or log).
  bool TextGateOpen() const;

  ReceiverState &state_;
  DecoderHost &host_;

  // Last decoded sentence per type.
  QByteArray lastZda_, lastGsa_, lastGsv_, lastGll_, lastRmc_, lastVtg_;
  QByteArray lastPgrmt_, lastPgrmi_, lastPgrmc_, lastPgrmo_;

  // Monotonic time of the last ZDA that set the time.
  qint64 lastZdaMs_ = 0;

  // Burst state shared by GSA, GSV, the time sentences and
  // UpdateVisibleCount.
  int gsaBurstCount_ = 0;
  bool gsaHasSatellites_[MaxGsaEntries] = {true, true, true, true, true, true};
  int gsaSystemIds_[MaxGsaEntries] = {1, 0, 0, 0, 0, 0};
  qint64 lastGsaMs_ = 0;
  qint64 lastGsvMs_ = 0;
  bool gsvAssemblyActive_ = false;
  int gsvGroupIndex_ = 0;
  int gsvGroupsInLastBurst_ = 0;
  int visibleSum_ = 0;
  bool groupComplete_ = false;
  int nextSignalSlot_ = 0;
  int nextNoSignalSlot_ = SatelliteSlots - 1;
  // NMEA 4.10 and later send one GSV group per signal: the groups (talker
  // and signal) this burst holds and the satellites it has listed, so that
  // a satellite is listed and counted once and a repeated group starts the
  // next burst.
  static constexpr int MaxSignalGroups = 32;
  int signalGroups_[MaxSignalGroups] = {};
  int signalGroupCount_ = 0;
  std::bitset<SatelliteArraySize> listedSatellites_;
  int groupRepeats_ = 0;  // satellites of this group listed before it
  // The satellites the burst holds, per signal (index signal + 1, 0 for
  // sentences without one); only "$GPGSV" is decoded, so the talker is one.
  std::array<std::bitset<SatelliteArraySize>, 17> heldSatellites_;
  QString lastVisibleText_;
};
