#pragma once
// Reads the data rate the far end of a pseudo-terminal set on its line.

namespace riduder::sim {

// The output data rate in bit/s currently set on the terminal of `fd` (the
// master of a pseudo-terminal reports its slave's settings), or 0 when it
// cannot be read. Non-standard rates such as 14400 and 115000 come back
// exactly.
int ReadLineRate(int fd);

}  // namespace riduder::sim
