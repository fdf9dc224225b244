#pragma once

#include "platform/PortChoices.h"
#include "receiver/link/GpsPortSettings.h"

#include <QSettings>

namespace riduder::test {

// Points the stored receiver port at no line, so that a window or session
// made afterwards opens nothing.
inline void ForgetReceiverLine()
{
  QSettings().setValue(GpsPortKeys::PortName, QLatin1String(OffPortName));
}

}  // namespace riduder::test
