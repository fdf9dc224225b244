#include "tools/simulator/DemoSettings.h"

#include <QSettings>

namespace riduder::sim {

void WriteReceiverPortSettings(QSettings &settings, const QString &portName, const QString &modeName, int dataRate)
{
  settings.setValue("GpsPortDialog/GPS Serial Port", portName);
  settings.setValue("GpsPortDialog/GPS Serial Port Mode", modeName);
  settings.setValue("GpsPortDialog/GPS Serial Port PPS Interface", 0);
  settings.setValue("GpsPortDialog/GPS Serial Port StopBits", 1);
  settings.setValue("GpsPortDialog/GPS Serial Port DataBits", 8);
  settings.setValue("GpsPortDialog/GPS Serial Port Handshake", 0);
  settings.setValue("GpsPortDialog/GPS Serial Port Parity", 0);
  settings.setValue("GpsPortDialog/GPS Serial Port DataRate", dataRate);
  settings.setValue("GpsPortDialog/GPS Serial Port TcpIp Address", QString());
  settings.setValue("GpsPortDialog/GPS Do Not Initialize", false);
  settings.setValue("GpsPortDialog/GPS AutoRestart", true);
  settings.sync();
}

}  // namespace riduder::sim
