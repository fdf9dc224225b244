#pragma once
#include <QString>

// The default folder of the GPS and TIC logs: "RiduderData" in the user's
// documents folder (the Windows build used "C:/RiduderData").
QString DefaultLogDirectory();

// The default file-name prefix of the logs.
inline QString DefaultLogPrefix() { return QStringLiteral("RARA"); }
