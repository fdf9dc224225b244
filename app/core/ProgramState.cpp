#include "app/core/ProgramState.h"

#include "app/core/GpsMode.h"
#include "app/core/ReceiverIdentity.h"
#include "app/core/ReceiverReplyFlags.h"

void ResetProgramWideState()
{
  CurrentGpsMode = GpsModeSearch;
  LastGpsBaud = 0;
  receiverIdentity = ReceiverIdentity();
  ExpectedOncoreReplyTag.clear();
  ExpectedNmeaReplyTag.clear();
  OncoreReplySeen = false;
}
