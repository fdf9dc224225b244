#pragma once
// Receiver commands as short readable texts for set-up tests: an Oncore
// command as its name and its parameters in hex ("@@Gd 01"), an NMEA
// sentence as itself, anything else (UBX) as every byte in hex.

#include "receiver/session/ReceiverSetup.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace riduder::test {

QString CommandText(const QByteArray &bareCommand);
// The command as it was before the command layer completed it: the
// checksum of its kind cut off. Empty when the checksum does not match.
QByteArray BareCommand(const QByteArray &completed);
// A script's steps: "@@Gd 01", "wait @@Ea 01", "pause 10".
QStringList ScriptTexts(const SetupScript &script);

}  // namespace riduder::test
