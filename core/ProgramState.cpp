#include "core/ProgramState.h"

#include "core/GpsMode.h"
#include "core/ReceiverIdentity.h"
#include "core/ReceiverReplyFlags.h"

void ResetProgramWideState()
{
  CurrentGpsMode = GpsModeSearch;
  LastGpsBaud = 0;
  receiverIdentity = ReceiverIdentity();
  ExpectedOncoreReplyTag.clear();
  ExpectedNmeaReplyTag.clear();
  OncoreReplySeen = false;
}
