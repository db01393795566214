#include "set_pulse.h"

#include <vector>

namespace pulsefir::io {

SetPulseData readSetPulse(const PulseImportRequest &request) {
    PulseImportRequest resampling = request;
    resampling.rate = RateChoice::Resample;
    resampling.placement.mode = PlacementMode::Replace;
    SetPulseData data;
    const std::vector<double> samples = preparePulse(resampling, data.outcome);
    data.outcome.placed = placePulse(*data.samples, samples, resampling.placement);
    return data;
}

} // namespace pulsefir::io
