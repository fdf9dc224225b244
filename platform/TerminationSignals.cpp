#include "platform/TerminationSignals.h"

#include <QDebug>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

const int HandledSignals[] = {SIGTERM, SIGINT, SIGHUP};

// The write end for the handler; -1 while no object listens.
volatile sig_atomic_t writeSocket = -1;
// Set by the handler: read before any event loop has run.
volatile sig_atomic_t signalSeen = 0;
struct sigaction previousActions[3];

extern "C" void OnTerminationSignal(int signalNumber)
{
  // Only async-signal-safe calls here: one write of one byte.
  const int saved = errno;
  signalSeen = 1;
  const int fd = writeSocket;
  if (fd >= 0) {
    const char byte = char(signalNumber);
    [[maybe_unused]] const ssize_t n = ::write(fd, &byte, 1);
  }
  errno = saved;
}

}  // namespace

TerminationSignals::TerminationSignals(QObject *parent) : QObject(parent)
{
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sockets_) != 0) {
    qWarning().noquote() << "WARNING: termination signals not handled:" << std::strerror(errno);
    sockets_[0] = sockets_[1] = -1;
    return;
  }
  // A full pipe must never block the handler; a lost byte only repeats a
  // request that is already on its way.
  ::fcntl(sockets_[0], F_SETFL, O_NONBLOCK);
  ::fcntl(sockets_[1], F_SETFL, O_NONBLOCK);
  notifier_ = new QSocketNotifier(sockets_[1], QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, &TerminationSignals::OnReadable);
  writeSocket = sockets_[0];
  signalSeen = 0;

  installed_ = true;
  for (size_t i = 0; i < std::size(HandledSignals); ++i) {
    struct sigaction action {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    if (::sigaction(HandledSignals[i], &action, &previousActions[i]) != 0)
      installed_ = false;
  }
}

TerminationSignals::~TerminationSignals()
{
  if (sockets_[0] < 0)
    return;
  for (size_t i = 0; i < std::size(HandledSignals); ++i)
    ::sigaction(HandledSignals[i], &previousActions[i], nullptr);
  writeSocket = -1;
  delete notifier_;
  ::close(sockets_[0]);
  ::close(sockets_[1]);
}

bool TerminationSignals::Received() const
{
  return signalSeen != 0;
}

void TerminationSignals::OnReadable()
{
  char bytes[16];
  ssize_t n;
  while ((n = ::read(sockets_[1], bytes, sizeof bytes)) > 0) {
    for (ssize_t i = 0; i < n; ++i)
      emit received(int(bytes[i]));
  }
}
