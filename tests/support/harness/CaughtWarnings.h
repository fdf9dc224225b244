#pragma once
// The Qt warnings a test process prints, kept for the test to read.

#include <QStringList>

namespace riduder::test {

// From now on keeps every Qt warning of the process; each still reaches the
// handler that was in force before. Later calls change nothing.
void CatchWarnings();

// The warnings kept so far; a test clears it where it starts counting.
QStringList &CaughtWarnings();

}  // namespace riduder::test
