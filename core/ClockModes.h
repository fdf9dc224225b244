#pragma once
// The values of ClockDisplayMode ("MainWindow/ClockDisplay"). The counter
// processing writes the large clock itself in the two TIC modes.

namespace ClockModes {
inline constexpr int Utc = 0;
inline constexpr int Pc = 1;
inline constexpr int Lmst = 2;
inline constexpr int Gmst = 3;
inline constexpr int Mjd = 4;
inline constexpr int PcU = 5;
inline constexpr int Tic = 6;
inline constexpr int TicRaw = 7;
}  // namespace ClockModes
