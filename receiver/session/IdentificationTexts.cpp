#include "receiver/session/IdentificationTexts.h"

#include "core/GpsMode.h"
#include "receiver/decode/GpsRxModel.h"
#include "receiver/session/ReceiverSetup.h"

namespace {

int ShownChannels(const ReceiverIdentity &identity)
{
  return identity.nativeChannels < 1 ? 0 : identity.nativeChannels;
}

QString OptionsText(const ReceiverIdentity &identity)
{
  QString text;
  if (identity.hasDgps)
    text += QLatin1String(", has DGPS");
  if (identity.hasTraim)
    text += QLatin1String(", TRAIM");
  return text;
}

}  // namespace

QString BinaryIdentificationText(const ReceiverIdentity &identity, quint32 mode, bool emulatePvt6,
                                 bool rxOnLocalTime)
{
  QString name = GpsRxModel::DisplayName(identity.model);
  if (identity.model >= GpsRxModel::Ssr6Tf && identity.model <= GpsRxModel::SsrM8T) {
    if (identity.plusPlusFirmware)
      name += QLatin1String("++");
    else if (identity.plusFirmware)
      name += QLatin1String("+");
  }
  if (mode == GpsModeMotorolaBinaryRxOnly)
    name += QLatin1String(", Rx Only");

  // The Synergy, SIGNAV and CNXT/NVMN names stand alone; the i-Lotus names
  // match only as they are (", Rx Only" makes them Motorola's again).
  QString format = QStringLiteral("Motorola %1, Bin, %2 ch, V%3");
  if (name == QLatin1String("CNXT/NVMN") || name == QLatin1String("SIGNAV") ||
      name.startsWith(QLatin1String("SSR-6T")) || name.startsWith(QLatin1String("SSR-M8F")) ||
      name.startsWith(QLatin1String("SSR-M8T")))
    format = QStringLiteral("%1, Bin, %2 ch, V%3");
  else if (name == QLatin1String("M12M") || name == QLatin1String("TX Oncore"))
    format = QStringLiteral("i-Lotus %1, Bin, %2 ch, V%3");

  // One pass, so a "%" in the receiver's own text stays as it is.
  QString text = format.arg(name, QString::number(ShownChannels(identity)), identity.firmwareVersionText);
  text += OptionsText(identity);
  if (emulatePvt6)
    text += QLatin1String(Pvt6ModeSuffix);
  if (rxOnLocalTime)
    text += QLatin1String(LocalTimeModeSuffix);
  return text;
}

QString NmeaIdentificationText(const ReceiverIdentity &identity)
{
  const QString name = GpsRxModel::DisplayName(identity.model);
  static const char *const standAlone[] = {"CNXT/NVMN", "SSR-6Tf", "SSR-6Tr", "SSR-M8F", "SSR-M8T", "SIGNAV"};
  QString text;
  bool alone = false;
  for (const char *candidate : standAlone)
    alone = alone || name == QLatin1String(candidate);
  if (alone)
    text = name;
  else if (name == QLatin1String("M12M") || name == QLatin1String("TX Oncore"))
    text = QLatin1String("i-Lotus ") + name;
  else
    text = QLatin1String("Motorola ") + name;
  text += QStringLiteral(", NMEA Mode, %1 ch, V").arg(ShownChannels(identity));
  text += identity.firmwareVersionText;
  return text + OptionsText(identity);
}
