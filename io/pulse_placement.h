#pragma once

#include <optional>
#include <span>

#include "core/state.h"

namespace pulsefir::io {

enum class PlacementMode {
    Replace, // clears all 20001 entries first, as loading a synthetic burst does
    Add,     // adds on top of what the buffer holds, for echoes
};

struct PulsePlacement {
    int offset = 0;     // sample k of the pulse goes to index k + offset
    double scale = 1.0; // every sample is multiplied by this
    PlacementMode mode = PlacementMode::Replace;
};

struct PlacementResult {
    std::size_t written = 0;
    std::size_t droppedBefore = 0; // samples that would land below -MaxSignalHalfWidth
    std::size_t droppedAfter = 0;  // samples that would land above +MaxSignalHalfWidth
    int firstIndex = 0;            // buffer indices of the first and last sample written
    int lastIndex = -1;
    // The index the pulse's sample of largest magnitude lands at, inside the buffer or not
    // (the first of equal ones); none for an empty pulse.
    std::optional<long long> peakIndex;
};

// Offsets that the window's two helpers set: the pulse's largest sample at index 0, and the first
// sample at index -n.
int offsetPeakAtZero(std::span<const double> samples);
int offsetStartAt(int n);

// Writes a pulse into SignalBuffer. Samples that fall outside -10000..+10000 are dropped; nothing
// outside the buffer is touched. The result is computed aside and checked first, so a scale that
// overflows leaves SignalBuffer exactly as it was (a base::Error says so).
PlacementResult placePulse(core::CoreState &state, std::span<const double> samples, const PulsePlacement &placement);
// The same into any signal-sized buffer (a pulse of the filter window's set).
PlacementResult placePulse(core::SignalArray &buffer, std::span<const double> samples, const PulsePlacement &placement);

} // namespace pulsefir::io
