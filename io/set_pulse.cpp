#include "set_pulse.h"

#include <vector>

namespace pulsefir::io {

SetPulseData readSetPulse(const PulseImportRequest &request) {
    PulseImportRequest resampling = request;
    resampling.rate = RateChoice::Resample;
    resampling.placement.mode = PlacementMode::Replace;
    SetPulseData data;
    data.outcome = importPulse(*data.samples, resampling);
    return data;
}

} // namespace pulsefir::io
