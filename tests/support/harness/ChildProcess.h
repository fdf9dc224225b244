#pragma once
// This test program started again as a child process that runs one of its
// test functions (the program under test in a process of its own, to be
// signalled or killed), and the child's output read while it runs.

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QProcess>
#include <QString>

namespace riduder::test {

// Starts this test program in `program`, running the test function
// `function`, with the given variables added to the environment; the
// child's errors go to this process's. False when it did not start.
bool StartChild(QProcess &program, const char *function, const QList<QPair<const char *, QString>> &variables);

// Reads the child's output into *output until it holds `text`; false when
// it does not within timeoutMs (*output then holds what came, for the
// failure message).
bool WaitForChildOutput(QProcess &program, const QByteArray &text, QByteArray *output, int timeoutMs);

}  // namespace riduder::test
