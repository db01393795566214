#include "pulse_placement.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "core/errors.h"
#include "io/pulse_data.h"

namespace pulsefir::io {

int offsetPeakAtZero(std::span<const double> samples) {
    const std::size_t peak = peakIndex(samples);
    // A peak beyond the buffer cannot reach index 0 with any offset the field allows; the
    // offset saturates rather than wrapping.
    return peak > static_cast<std::size_t>(std::numeric_limits<int>::max()) ? std::numeric_limits<int>::min()
                                                                            : -static_cast<int>(peak);
}

int offsetStartAt(int n) {
    return -n;
}

PlacementResult placePulse(core::CoreState &state, std::span<const double> samples, const PulsePlacement &placement) {
    return placePulse(state.SignalBuffer, samples, placement);
}

PlacementResult placePulse(core::SignalArray &buffer, std::span<const double> samples,
                           const PulsePlacement &placement) {
    PlacementResult result;
    const std::int64_t lowest = -core::MaxSignalHalfWidth;
    const std::int64_t highest = core::MaxSignalHalfWidth;
    const std::int64_t count = static_cast<std::int64_t>(samples.size());
    // Pulse indices k whose k + offset lies inside the buffer.
    const std::int64_t kFirst = std::clamp<std::int64_t>(lowest - placement.offset, 0, count);
    const std::int64_t kEnd = std::clamp<std::int64_t>(highest - placement.offset + 1, kFirst, count);
    result.droppedBefore = static_cast<std::size_t>(kFirst);
    result.droppedAfter = static_cast<std::size_t>(count - kEnd);
    result.written = static_cast<std::size_t>(kEnd - kFirst);

    // Scratch copy of the whole buffer: compute, check, then commit.
    const auto signal = buffer.range(core::MaxSignalHalfWidth);
    std::vector<double> scratch(signal.size(), 0.0);
    if (placement.mode != PlacementMode::Replace)
        std::copy(signal.begin(), signal.end(), scratch.begin());
    double *centre = scratch.data() + core::MaxSignalHalfWidth;
    for (std::int64_t k = kFirst; k < kEnd; ++k)
        centre[k + placement.offset] += placement.scale * samples[static_cast<std::size_t>(k)];
    core::checkComputed(scratch);
    buffer.assign(core::MaxSignalHalfWidth, scratch);
    if (!samples.empty()) {
        const auto largest = std::max_element(samples.begin(), samples.end(),
                                              [](double a, double b) { return std::abs(a) < std::abs(b); });
        result.peakIndex = static_cast<long long>(largest - samples.begin()) + placement.offset;
    }
    if (result.written > 0) {
        result.firstIndex = static_cast<int>(kFirst + placement.offset);
        result.lastIndex = static_cast<int>(kEnd - 1 + placement.offset);
    }
    return result;
}

} // namespace pulsefir::io
