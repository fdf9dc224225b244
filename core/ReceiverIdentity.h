#pragma once
#include <QString>
#include <QtGlobal>

// What is known of the receiver: program-wide, GUI thread only.
//
// Other names for these fields in older notes: idText = firmwareVersionText,
// displayChannels = nativeChannels, plusSuffix / plusPlusSuffix =
// plusFirmware / plusPlusFirmware.
struct ReceiverIdentity {
  qint32 model = 25;              // a GpsRxModel index
  double firmwareVersion = 0.0;   // e.g. 4.21
  QString firmwareVersionText;    // shown after "V" in the mode texts
  qint32 channels = -1;           // the count the program works with
  qint32 nativeChannels = -1;     // the receiver's own count
  bool hasDgps = false;
  bool hasTraim = false;
  bool plusFirmware = false;      // "+" variant
  bool plusPlusFirmware = false;  // "++" variant (wins over "+")
  bool hasNmeaMode = true;
  bool galileoCapable = true;     // cleared by "@@Cj" for older GNSS modules
};

// The one program-wide record.
extern ReceiverIdentity receiverIdentity;
