#pragma once
// Three-letter English month names, as the receiver messages and the clock
// area print them.

#include <QString>

// "Jan" .. "Dec" for 1 to 12; "Illegal month" for anything else.
QString MonthAbbreviation(int month);
