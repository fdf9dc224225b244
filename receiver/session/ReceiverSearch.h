#pragma once
// Finding the receiver, as data: which protocol is tried at which data rate
// and in what order, the probe that asks each protocol whether a receiver is
// there, the Oncore data-rate command, the per-model values of the Oncore
// initialisation and the u-blox port and message set-up. Nothing here
// touches a port; the main window walks these lists through its command
// layer (receiver/CommandSender), so the plan can be read without a
// receiver.
//
// Commands are bare, as ReceiverSetup builds them: the command layer adds
// the checksums and the port the CR LF.

#include "receiver/session/ReceiverSetup.h"

#include <QByteArray>
#include <QList>
#include <QtGlobal>

// --- The search ------------------------------------------------------------

// The rates the search tries for LORAN and for the u-blox fallback.
inline constexpr int LoranDataRate = 1200;
inline constexpr int UbloxFallbackDataRate = 9600;

// One try of the search: a protocol at a data rate.
struct SearchTry {
  quint32 mode = 0;  // GpsMode: Motorola NMEA, Motorola binary or LORAN
  int rate = 0;
  bool operator==(const SearchTry &other) const { return mode == other.mode && rate == other.rate; }
};

// Every try of the search in order: Motorola NMEA at the present rate, the
// rate before the last port change and 4800; Motorola binary at the present
// rate, the rate before, 9600 and 4800; LORAN at 1200. Within each protocol
// a rate of 0 or one tried already is left out.
QList<SearchTry> ReceiverSearchOrder(int presentRate, int lastRate);

// The command that asks a receiver in `mode` to answer at the present rate:
// "T0" (LORAN), "$PMOTG,ZDA,0001" (Motorola NMEA), "@@Cj" (Motorola binary),
// the MON-VER poll (u-blox UBX). Empty for the other modes.
QByteArray ProbeCommand(quint32 mode);

// Whether a probe in `mode` asks the receiver at all. Receive-only, generic
// NMEA and the search itself are taken without asking; the codes without a
// probe (u-blox NMEA among them) give no receiver.
enum class ProbeKind { Asks, TakenWithoutAsking, NoReceiver };
ProbeKind ProbeKindOf(quint32 mode);

// The Motorola NMEA sentences the search sends before its probe, to quiet
// the receiver's other output.
QList<QByteArray> MotorolaNmeaQuietCommands();
// The sentences that leave a receiver handed over to Motorola NMEA with the
// output the NMEA decoder reads.
QList<QByteArray> MotorolaNmeaOutputCommands();

// --- Oncore ------------------------------------------------------------------

// "@@Wb" and the two rate bytes for 4800, 9600, 14400, 19200, 38400 and
// 57600; empty for any other rate (the receiver has no code for it).
QByteArray OncoreBaudRateCommand(int rate);

// Per model: the channel count both counts take and the second input of
// the timing sigma estimate. `known` is false for the indexes without an
// entry (they keep their counts and use 100).
struct OncoreModelValues {
  bool known = false;
  qint32 channels = 0;
  double timingErrorB = 100.0;
};
OncoreModelValues OncoreModelValuesOf(qint32 model);

// The queries and output settings every Oncore initialisation sends once
// the receiver is identified: "@@Hb" (awaited), the satellite, almanac and
// status outputs, the DGPS probe "@@Bh" (awaited), the receiver ID message
// and the position-hold echo. The G-command models get "@@Gj" and "@@AQ".
SetupScript OncoreStatusQueries(qint32 model);

// The channel probe, fastest generation first.
QList<QByteArray> OncoreChannelProbes();

// --- u-blox ------------------------------------------------------------------------

// CFG-PRT for UART 1: 8N1 at `rate`, UBX and NMEA in and out.
QByteArray UbxPortFrame(int rate);
// The MON-VER poll.
QByteArray UbxMonVerPoll();
// CFG-MSG with rate 0 for every periodic message the set-up silences.
QList<QByteArray> UbxMessagesOffFrames();
// CFG-MSG for the messages the decoders read in a u-blox mode: UBX
// navigation and timing in "u-blox UBX", the NMEA sentences in "u-blox
// NMEA"; nothing for other modes.
QList<QByteArray> UbxMessagesOnFrames(quint32 mode);
// CFG-ANT: supply control, short and open detection, recovery.
QByteArray UbxAntennaFrame();
