#pragma once
class MainWindow;

// Shows the window, searches for the receiver and runs the event loop only
// when the window is still visible afterwards (it may have been closed
// during the search). Returns the program's exit code.
int RunMainWindow(MainWindow &window);
