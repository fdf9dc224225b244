#include "ProcessMemory.h"

#include <QByteArray>
#include <QFile>
#include <QList>

namespace riduder::test {

qint64 ResidentBytes()
{
  QFile statm(QStringLiteral("/proc/self/statm"));
  if (!statm.open(QIODevice::ReadOnly))
    return 0;
  const QList<QByteArray> fields = statm.readAll().split(' ');
  return fields.size() > 1 ? fields.at(1).toLongLong() * 4096 : 0;
}

}  // namespace riduder::test
