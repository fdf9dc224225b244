#include "FlushUnderReader.h"

#include <QSocketNotifier>

#include <cerrno>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace riduder::test {

FlushUnderReader::FlushUnderReader(const QString &devicePath)
{
  descriptor = ::open(devicePath.toLocal8Bit().constData(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
  if (descriptor < 0)
    return;
  notifier = new QSocketNotifier(descriptor, QSocketNotifier::Read, this);
  connect(notifier, &QSocketNotifier::activated, this, &FlushUnderReader::OnArrival);
}

FlushUnderReader::~FlushUnderReader()
{
  delete notifier;
  if (descriptor >= 0)
    ::close(descriptor);
}

void FlushUnderReader::FlushNextArrival(int staleErrno)
{
  armed = true;
  errnoLeft = staleErrno;
}

void FlushUnderReader::OnArrival()
{
  if (!armed)
    return;
  armed = false;
  ::tcflush(descriptor, TCIFLUSH);
  ++flushes;
  errno = errnoLeft;
}

}  // namespace riduder::test
