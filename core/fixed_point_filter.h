#pragma once

#include "fixed_point.h"
#include "state.h"

namespace pulsefir::core {

struct FixedPointOutcome {
    FixedPointRun Run;
    FixedPointError Error; // against the double application of the same filter
};

// The integer filter applied to SignalBuffer with FilterBuffer's taps -M..+M over -N..+N, reading
// the signal beyond the half-width as calcOut does; FixedOutputBuffer[-N..N] := yq in signal
// units, entries outside keep their values. The error is measured against the double output the
// same filter gives now, whatever OutputBuffer holds.
FixedPointOutcome calcFixedOut(CoreState &state, const FixedPointFormat &format);

// The same without storing: the run and its error, with the double output computed into `exact`
// (2N + 1 entries), for callers that try several formats.
FixedPointOutcome fixedPointOutcome(CoreState &state, const FixedPointFormat &format, std::vector<double> &exact,
                                    std::vector<double> &fixed);

} // namespace pulsefir::core
