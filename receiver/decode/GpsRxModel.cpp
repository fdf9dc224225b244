#include "receiver/decode/GpsRxModel.h"

namespace GpsRxModel {

QString DisplayName(qint32 model)
{
  static const char *const names[Count] = {
      "UNKNOWN", "GT",      "GT+",       "M12",     "M12+",      "M12M",      "PVT6",
      "SL",      "UT",      "UT+",       "VP",      "XT",        "VP6",       "UNKNOWN",
      "UNKNOWN", "UNKNOWN", "UNKNOWN",   "UNKNOWN", "CNXT/NVMN", "SIGNAV",    "UNKNOWN",
      "TX Oncore", "SSR-6Tf", "SSR-6Tr", "SSR-M8F", "SSR-M8T"};
  if (model < 0 || model >= Count)
    return QStringLiteral("UNKNOWN");
  return QString::fromLatin1(names[model]);
}

}  // namespace GpsRxModel
