#include "tools/simulator/CaptureFile.h"

#include "core/GpsMode.h"

#include <QDir>
#include <QFileInfo>

namespace riduder::sim {

QByteArray ReceiverBytes(const QByteArray &fileContents)
{
  int pos = 0;
  while (pos < fileContents.size() && fileContents.at(pos) == '#') {
    const int nl = fileContents.indexOf('\n', pos);
    if (nl < 0)
      return {};
    pos = nl + 1;
  }
  return fileContents.mid(pos);
}

QString DemoModeFor(const QString &path, const QByteArray &receiverBytes)
{
  const QString folder = QFileInfo(path).absoluteDir().dirName().toLower();
  if (folder == QLatin1String("oncore"))
    return GpsModeName(GpsModeMotorolaBinaryRxOnly);
  if (folder == QLatin1String("ubx"))
    return GpsModeName(GpsModeUbloxUbx);
  if (folder == QLatin1String("nmea"))
    return GpsModeName(GpsModeGenericNmea);
  if (receiverBytes.contains(QByteArray("\xB5\x62", 2)))
    return GpsModeName(GpsModeUbloxUbx);
  if (receiverBytes.contains("@@"))
    return GpsModeName(GpsModeMotorolaBinaryRxOnly);
  return GpsModeName(GpsModeGenericNmea);
}

}  // namespace riduder::sim
