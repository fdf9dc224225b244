#pragma once
class MainWindow;
class TerminationSignals;

// Shows the window, searches for the receiver and runs the event loop only
// when the window is still visible afterwards (it may have been closed
// during the search). SIGTERM, SIGINT and SIGHUP close the program as
// File > Exit does. Returns the program's exit code.
int RunMainWindow(MainWindow &window);

// Makes each signal of `terminations` close the window and leave the event loop,
// as File > Exit does: the logs are closed with their trailers and the
// settings written when the window goes. Works also while the receiver
// search or a dialog runs.
void CloseOnTerminationSignals(MainWindow &window, TerminationSignals &terminations);
