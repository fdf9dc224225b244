// Kept apart: <asm/termbits.h> clashes with <termios.h> in one file, and only
// termios2 carries the exact rate for non-standard speeds.
#include "tools/simulator/LineRate.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace riduder::sim {

int ReadLineRate(int fd)
{
  struct termios2 tio {};
  if (fd < 0 || ioctl(fd, TCGETS2, &tio) != 0)
    return 0;
  return static_cast<int>(tio.c_ospeed);
}

}  // namespace riduder::sim
