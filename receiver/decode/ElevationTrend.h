#pragma once
// Rising / setting indicator per satellite, shared by the decoders. Small
// elevation moves accumulate until they reach 2 degrees, so the sign does
// not flicker while a satellite sits near its culmination.

struct ReceiverState;

// Updates the previous-elevation and trend arrays of `state` for one
// satellite and returns its trend: +1 rising, -1 setting, 0 not yet known.
// A satellite outside 1..255 gives 0; an elevation outside 1..90 gives the
// stored trend unchanged.
int ElevationTrend(ReceiverState &state, int satellite, int elevation);
