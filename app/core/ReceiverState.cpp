#include "ReceiverState.h"

ReceiverState::ReceiverState()
{
  for (int i = 0; i < SatelliteArraySize; ++i) {
    previousElevation[i] = -1;
    elevationTrend[i] = 0;
  }
}
