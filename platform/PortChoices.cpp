#include "platform/PortChoices.h"

#include <QCoreApplication>

const QList<int> &SerialDataRates()
{
  static const QList<int> rates{300, 1200, 2400, 4800, 9600, 14400, 19200, 38400, 57600, 115000};
  return rates;
}

QString IllegalIpAddressTitle()
{
  return QCoreApplication::translate("PortChoices", "Illegal IP Address");
}

QString IllegalIpAddressText(const QString &typed)
{
  return QCoreApplication::translate("PortChoices", "IP Address error:\n  ") + typed +
         QCoreApplication::translate("PortChoices",
                                     "\n\nThe format must be like this\n  192.168.10.123\n\nor, if you want to also "
                                     "define the port:\n  192.168.10.123:9761");
}
