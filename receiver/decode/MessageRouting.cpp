#include "receiver/decode/MessageRouting.h"

#include "core/GpsMode.h"
#include "core/ReceiverState.h"
#include "receiver/decode/NmeaDecoder.h"
#include "receiver/decode/OncoreDecoder.h"
#include "receiver/decode/UbxDecoder.h"

namespace {

// Line prefixes of the raw-data window.
const QString DecodedPrefix = QStringLiteral("-> ");
const QString DecodedWidePrefix = QStringLiteral("->  ");  // LORAN and u-blox modes
const QString UndecodedPrefix = QStringLiteral("?  ");

// A LORAN reply line holds letters and digits only; an empty line is no
// reply.
bool IsLoranReply(const QByteArray &line)
{
  if (line.isEmpty())
    return false;
  for (const char c : line) {
    const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    const bool digit = c >= '0' && c <= '9';
    if (!letter && !digit)
      return false;
  }
  return true;
}

}  // namespace

RoutedMessage RouteReceiverMessage(quint32 mode, const QByteArray &message,
                                   const ReceiverDecoderSet &decoders, ReceiverState &state,
                                   bool rawWindowShown)
{
  RoutedMessage routed;
  switch (mode) {
  case GpsModeMotorolaLoran: {
    const bool reply = IsLoranReply(message);
    if (reply)
      state.replyFlags.gotLoran = true;
    if (rawWindowShown)
      routed.line = (reply ? DecodedWidePrefix : UndecodedPrefix) + QString::fromUtf8(message);
    break;
  }

  case GpsModeMotorolaNmea:
  case GpsModeUnnamed4:
  case GpsModeGenericNmea:
    routed.toLog = true;
    if (message.startsWith('$') && decoders.nmea.Decode(message))
      routed.line = DecodedPrefix + QString::fromUtf8(message);
    else
      routed.line = UndecodedPrefix + QString::fromUtf8(message);
    break;

  case GpsModeMotorolaBinary:
  case GpsModeMotorolaBinaryRxOnly:
    routed.toLog = true;
    routed.line = DecodedPrefix + decoders.oncore.Decode(message);
    break;

  case GpsModeUbloxUbx:
  case GpsModeUbloxNmea:
    if (message.startsWith('$') && decoders.nmea.Decode(message)) {
      routed.line = DecodedWidePrefix + QString::fromUtf8(message);
    } else {
      const QString decoded = decoders.ubx.Decode(message);
      routed.line = decoded.isEmpty() ? UndecodedPrefix + QString::fromUtf8(message)
                                      : DecodedWidePrefix + decoded;
    }
    break;

  default:
    // Search and the codes without a name decode nothing.
    break;
  }
  return routed;
}
