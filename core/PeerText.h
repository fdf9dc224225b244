#pragma once
// Text that came from a peer (a remote client, a counter, the receiver) as
// it may be written to the debug output: a terminal or journal that shows
// that output must not act on an escape sequence the peer chose to send.

#include <QByteArray>
#include <QString>

// `text` with every byte outside printable ASCII written as "\xHH" (lower
// case hexadecimal), so ESC becomes "\x1b"; the rest is kept as it is.
QString PeerTextForDebug(const QByteArray &text);
