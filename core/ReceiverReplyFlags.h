#pragma once
#include <QByteArray>

// One flag per awaited receiver reply. The command layer clears a flag
// before it sends and waits for it; the decoders set it.
struct ReceiverReplyFlags {
  bool gotBa = false;           // "@@Ba"
  bool gotBn = false;           // "@@Bn" (T-RAIM probe; Bn/En/Hn all count)
  bool gotCe = false;           // "@@Ce" (DGPS probe, awaited after "@@Bh")
  bool gotCj = false;           // "@@Cj" identification
  bool gotEa = false;           // "@@Ea"
  bool gotEn = false;           // "@@En"
  bool gotHa = false;           // "@@Ha"
  bool gotHn = false;           // "@@Hn"
  bool gotWb = false;           // "@@Wb"
  bool gotMotorolaNmea = false; // "$PMOTG" or the awaited NMEA sentence name
  bool gotGarmin = false;       // "$PGRMT", end of "$PGRMC"/"$PGRMO"
  bool gotAlmanac = false;      // "$GPALM"
  bool gotLoran = false;        // a letters-and-digits line in LORAN mode
  bool gotMonVer = false;       // UBX MON-VER
};

// Replies awaited by name rather than by a flag of their own.
extern QByteArray ExpectedOncoreReplyTag;  // "@@" + two letters, or empty
extern QByteArray ExpectedNmeaReplyTag;    // three-letter sentence name, or empty
extern bool OncoreReplySeen;
