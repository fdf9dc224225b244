#pragma once
#include <functional>

class MainWindow;
class TerminationSignals;

// The program from the moment the application object exists: SIGTERM,
// SIGINT and SIGHUP are handled before the window is built (a signal that
// comes while it is built ends the program before it shows, its ports
// closed), then the window is built, shown, the receiver searched for and
// the event loop run. `prepare`, when given, is called with the window once
// it is built (to put in other clocks, ports or boxes). Returns the exit code.
int RunProgram(const std::function<void(MainWindow &)> &prepare = {});

// Shows the window, searches for the receiver and runs the event loop only
// when the window is still visible afterwards (it may have been closed
// during the search). Returns the program's exit code.
int RunMainWindow(MainWindow &window);

// Makes each signal of `terminations` end the program as File > Exit does
// (MainWindow::EndProgram): the logs are closed with their trailers and the
// settings written when the window goes. Works also while the receiver
// search or a dialog runs, before the event loop has started.
void CloseOnTerminationSignals(MainWindow &window, TerminationSignals &terminations);
