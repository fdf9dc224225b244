#pragma once
// The receiver state that the decoders, the command layer, the clock display
// and the per-second tick share. MainWindow owns one; the decoders and the
// other plain parts take it by reference, so one can be built alone.
//
// One vocabulary (other notes name some of these differently):
//   closing                 = window-closing flag
//   setupInProgress         = set-up-running flag
//   echoNextTraimToRxId     = showNextTraimReply
//   receiverSawtoothFresh   = newTimingError
//   tickPending             = common tick-pending flag (PpsTickSeen)
//   logRecordGate           = log record gate (GpsLogGateOpen)
//   outOfLock               = out-of-lock flag (TooFewSatellites)
//   utcOffsetSeconds        = GpsUtcOffsetSeconds (GPS - UTC, whole seconds)
//   ticStale                = per-port TIC re-apply flags
//   ticTickCount            = per-port seconds since the last counter reading
//   ticSignLocked           = per-port sign-locked flags of the sawtooth choice
//   sawtoothNumber          = how many new sawtooth values the counter
//                             readings have taken so far
//   ReceiverIdentity fields: firmwareVersionText = idText,
//     nativeChannels = displayChannels, plusFirmware/plusPlusFirmware =
//     plusSuffix/plusPlusSuffix
//   RateChangeNewBaud / RateChangeOldBaud = the data rates after / before
//     the last port change (MainWindow members)

#include "core/GpsDateTime.h"
#include "core/ReceiverReplyFlags.h"
#include "core/SatelliteRecord.h"
#include "core/TraimSetup.h"

#include <QString>

struct ReceiverState {
  ReceiverState();

  // Times: the receiver's latest time (written by the time messages and the
  // clock step) and the copy the clock display last drew.
  GpsDateTime receiverTime;
  GpsDateTime displayCopy;
  // When the clock display first showed its present second: the monotonic
  // time (ms, platform clock; negative while unknown) and that second
  // (whole seconds since 1970). The counter rows' time tags run on from it
  // while the display stands still; it holds only while displayCopy is in
  // that second.
  qint64 displaySecondShownMs = -1;
  qint64 displaySecondShown = 0;
  // The clock display draws `time` at monotonicNowMs.
  void ShowTime(const GpsDateTime &time, qint64 monotonicNowMs);

  // Gates.
  bool setupInProgress = true;      // messages other than PPS are dropped
  bool closing = false;             // the main window is closing
  bool logRecordGate = false;       // data records may be logged this second
  bool rawDataWindowOpened = false; // decoders build their field texts

  // Tick flags: set or cleared by each 1PPS tick and by time messages.
  bool tickPending = false;
  bool zdaTickPending = false;
  bool rmcTickPending = false;
  bool zdaThisSecond = false;
  bool messageDroveClock = false;

  // Seconds during which "@@Ha", "@@Ea", "@@Ba" times are ignored.
  int haIgnoreCountdown = 0;
  int eaIgnoreCountdown = 0;
  int baIgnoreCountdown = 0;
  // Monotonic time (ms, platform clock) at which each hold was last set.
  // Without 1PPS ticks nothing counts the holds down, so a hold also lapses
  // TimeHoldLifetimeMs after it was set. Every reader of the holds uses the
  // *HoldActive tests below.
  qint64 haIgnoreSetMs = 0;
  qint64 eaIgnoreSetMs = 0;
  qint64 baIgnoreSetMs = 0;
  static constexpr qint64 TimeHoldLifetimeMs = 5000;
  static bool TimeHoldActive(int countdown, qint64 setMs, qint64 monotonicNowMs);
  bool HaHoldActive(qint64 monotonicNowMs) const;
  bool EaHoldActive(qint64 monotonicNowMs) const;
  bool BaHoldActive(qint64 monotonicNowMs) const;

  // Satellites: the decoders' array, the sorted display copy, the blank
  // record that resets them, and the per-satellite elevation history.
  SatelliteRecord satellites[SatelliteArraySize];
  SatelliteRecord displaySatellites[SatelliteArraySize];
  SatelliteRecord blankRecord;
  int previousElevation[SatelliteArraySize];
  int elevationTrend[SatelliteArraySize];

  // "@@Bb" watchdog: ms since the epoch.
  qint64 lastBbAnswerMs = 0;
  qint64 lastBbPollMs = 0;

  int antennaStatus = -1;
  bool outOfLock = true;

  // UTC and leap seconds.
  int dgpsInputState = 0;
  int utcOffsetSeconds = 0;   // GPS - UTC; 0 = unknown
  int leapSecondPending = -1; // -1 unknown, 0 none, 1 add, 2 subtract

  // 1PPS quantisation error from the T-RAIM / time-pulse messages.
  double receiverSawtoothNs = 0.0;
  bool receiverSawtoothFresh = false;
  int receiverOneSigmaNs = 0;

  // Counter watch and sawtooth correction of the eight counter ports. A
  // stale port applies the correction mode afresh at its next reading.
  static constexpr int TicPorts = 8;
  bool ticStale[TicPorts] = {true, true, true, true, true, true, true, true};
  int ticTickCount[TicPorts] = {};
  bool ticSignLocked[TicPorts] = {};
  // Counted up by the first counter reading after each new sawtooth value;
  // each port compares it with the number it saw at its previous reading.
  quint64 sawtoothNumber = 0;

  bool echoNextTraimToRxId = true;
  TraimSetup traimSetup;  // what the T-RAIM set-up sends
  QString receiverSoftwareDate;

  ReceiverReplyFlags replyFlags;
};
