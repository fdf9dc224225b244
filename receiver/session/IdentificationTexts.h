#pragma once
// The one-line receiver descriptions of the status bar, built from what is
// known of the receiver once an Oncore initialisation ends: the binary form
// ("Motorola UT+, Bin, 8 ch, V1.1, TRAIM") and the Motorola NMEA form.

#include "core/ReceiverIdentity.h"

#include <QString>
#include <QtGlobal>

// Receiver left in Oncore binary (mode 2) or listened to only (mode 3,
// which adds ", Rx Only" to the name).
QString BinaryIdentificationText(const ReceiverIdentity &identity, quint32 mode, bool emulatePvt6,
                                 bool rxOnLocalTime);

// Receiver handed over to Motorola NMEA.
QString NmeaIdentificationText(const ReceiverIdentity &identity);
