#pragma once

#include "state.h"

namespace pulsefir::core {

// OutputBuffer[i] = sum over j = -M..+M of SignalBuffer[i + j] * FilterBuffer[j] for
// i = -N..+N (N = SignalHalfWidth, M = FilterHalfWidth): a correlation, so the tap at +j weighs
// the sample j places later. Entries outside -N..+N keep their values. Signal entries beyond
// +-10000 count as 0.
void calcOut(CoreState &state);

} // namespace pulsefir::core
