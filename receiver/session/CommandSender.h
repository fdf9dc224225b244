#pragma once
// The rules of the receiver command layer, free of any window: which
// protocol an outgoing message belongs to (by its leading bytes), its
// completion with that protocol's checksum, the "<- " echo line, and what a
// send-and-wait does for each command (flags, pauses, time-out and texts).
// MainWindow::SendGpsRxCommand and MainWindow::SendGpsCmdAndWait carry them
// out.

#include "core/ReceiverReplyFlags.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

// Pauses and waits of the command layer, in milliseconds.
namespace CommandDelays {
inline constexpr int AfterSend = 100;           // after every plain command
inline constexpr int AfterModeSwitch = 500;     // "@@Ci", "BIN", "NMEA"
inline constexpr int BeforeFormatReply = 2500;  // "$PMOTG,FOR,..." before its wait
inline constexpr int WaitStep = 2500;           // one reply-wait step
}  // namespace CommandDelays

// The kinds of outgoing message, tested in this order.
enum class CommandKind {
  Nmea,    // first byte "$"
  Ubx,     // first bytes 0xB5 0x62
  Oncore,  // first bytes "@@"
  Uu,      // first bytes "UU"
  Other,   // LORAN text commands, an empty message: sent as they are
};

CommandKind CommandKindOf(QByteArrayView message);

// Appends the kind's checksum. A message its appender refuses (too short)
// stays as it is. Returns the kind.
CommandKind CompleteCommand(QByteArray &message);

// Every byte as "<%2.2X>".
QString HexBytesText(QByteArrayView bytes);

// How the parameter text of "@@Tk" is echoed: the plain sender shows it as
// text; the send-and-wait layer shows every Oncore parameter in hex.
enum class TkEcho { AsText, AsHex };

// The raw-data window's line for a completed message: "<- " and the
// message (NMEA as text; UBX and "UU" every byte in hex; Oncore the first
// four bytes as text and the rest in hex). Empty for the fifth kind, which
// is not echoed.
QString CommandEchoText(QByteArrayView completed, TkEcho tk = TkEcho::AsText);

// What SendGpsCmdAndWait does with one command.
enum class CommandWaitRow {
  Empty,          // nothing sent, false
  MotorolaNmea,   // "$PMOTG"
  Garmin,         // "$PGRM", "$GPALM"
  OncoreNoWait,   // "@@Ci": pause, true
  OncoreId,       // "@@Cj", with one retry
  OncoreChannels, // "@@Ba", "@@Ea", "@@Ha"
  OncoreDgps,     // "@@Bh"
  OncoreTraim,    // "@@Bn", "@@En", "@@Hn"
  OncoreRate,     // "@@Wb"
  OncoreByName,   // any other "@@": the reply that begins with its name
  LoranNoWait,    // "BIN", "NMEA": pause, true
  Loran,          // "Z", "T..."
  MonVer,         // UBX MON-VER poll
  OtherUbx,       // any other UBX frame: sent as the plain sender does, true
  NotSent,        // anything else: nothing sent, false
};

struct CommandWaitPlan {
  CommandWaitRow row = CommandWaitRow::NotSent;
  bool sends = false;        // the command goes to the port here
  bool completes = false;    // a checksum is appended (not for LORAN)
  bool echoes = false;       // an echo line goes to the raw-data window
  int pauseMs = 0;           // pause after sending, before any wait
  int timeoutMs = 0;         // 0: no reply is awaited
  bool retryOnce = false;    // unanswered: send once more and wait again
  QList<bool ReceiverReplyFlags::*> flags;  // any of them answers
  bool byOncoreName = false; // answered by OncoreReplySeen
  QByteArray oncoreTag;      // ExpectedOncoreReplyTag while waiting
  QByteArray nmeaTag;        // ExpectedNmeaReplyTag while waiting
  bool setsNmeaTag = false;
  int channels = 0;          // both channel counts when answered (6, 8, 12)
  bool setsDgps = false;     // the DGPS flag becomes the outcome
  bool setsTraim = false;    // the T-RAIM flag becomes the outcome
  QString answeredIdText;    // identification-window line when answered
  QString timeoutIdText;     // identification-window line when unanswered
  QString timeoutWarning;    // diagnostic line when unanswered
  QString retryEcho;         // raw-data line of the retry

  // Whether the awaited reply has come.
  bool Answered(const ReceiverReplyFlags &replyFlags) const;
  // Clears the awaited flags (and OncoreReplySeen for a reply by name).
  void ClearFlags(ReceiverReplyFlags &replyFlags) const;
};

CommandWaitPlan PlanCommandWait(const QByteArray &command);
