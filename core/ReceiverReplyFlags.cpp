#include "ReceiverReplyFlags.h"

QByteArray ExpectedOncoreReplyTag;
QByteArray ExpectedNmeaReplyTag;
bool OncoreReplySeen = false;
