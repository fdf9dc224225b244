#pragma once
// What the test process holds in memory, for the long runs that check that
// memory stays flat.

#include <QtGlobal>

namespace riduder::test {

// Resident memory of this process in bytes (Linux), 0 when unknown.
qint64 ResidentBytes();

}  // namespace riduder::test
