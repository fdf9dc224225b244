#pragma once
// The program-wide receiver values (the mode in force, the last port rate,
// what is known of the receiver, the awaited reply tags) live outside any
// object; the main window puts them back to their start values when it is
// made, and so does anything else that needs a fresh program.

// Sets every program-wide value to its start value.
void ResetProgramWideState();
