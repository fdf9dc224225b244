#include "receiver/decode/ElevationTrend.h"

#include "core/ReceiverState.h"

#include <cstdlib>

int ElevationTrend(ReceiverState &state, int satellite, int elevation)
{
  if (satellite < 1 || satellite > 255)
    return 0;
  if (elevation < 1 || elevation > 90)
    return state.elevationTrend[satellite];
  int &previous = state.previousElevation[satellite];
  int &trend = state.elevationTrend[satellite];
  if (previous >= 0) {
    if (std::abs(previous - elevation) < 2)
      return trend;
    trend = previous < elevation ? 1 : -1;
  }
  previous = elevation;
  return trend;
}
