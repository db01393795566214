#include "pulse_import.h"

#include <cmath>

#include "base/error.h"
#include "base/messages.h"
#include "base/number_text.h"

namespace pulsefir::io {

PulseData DescribePulse(const PulseImportRequest &request, PulseImportOutcome &outcome) {
    PulseData pulse = ReadPulseFile(request.fileName);
    outcome.fileSamples = pulse.samples.size();
    outcome.fileSamplingFrequency = pulse.samplingFrequency;
    outcome.peak = pulse.samples.empty() ? 0.0 : pulse.samples[PeakIndex(pulse.samples)];
    outcome.description = pulse.description;
    if (!pulse.samplingFrequency || !RatesDiffer(*pulse.samplingFrequency, request.samplingFrequency))
        return pulse;
    if (request.rate == RateChoice::TakeFileRate) {
        const double rate = *pulse.samplingFrequency;
        const bool ranged = request.minimumRate != 0.0 || request.maximumRate != 0.0;
        if (ranged && (rate < request.minimumRate || rate > request.maximumRate))
            throw base::Error(base::Message::fileRateOutOfRange(request.fileName, base::formatSignificant(rate, 9),
                                                                base::formatSignificant(request.minimumRate, 9),
                                                                base::formatSignificant(request.maximumRate, 9)));
        outcome.newSamplingFrequency = rate;
        return pulse;
    }
    outcome.resampled = true;
    return pulse;
}

std::vector<double> PreparePulse(const PulseImportRequest &request, PulseImportOutcome &outcome) {
    PulseData pulse = DescribePulse(request, outcome);
    if (!outcome.resampled)
        return std::move(pulse.samples);
    return ResamplePulse(pulse.samples, *pulse.samplingFrequency, request.samplingFrequency);
}

PulseImportOutcome ImportPulse(core::CoreState &state, const PulseImportRequest &request) {
    PulseImportOutcome outcome;
    const std::vector<double> samples = PreparePulse(request, outcome);
    outcome.placed = PlacePulse(state, samples, request.placement);
    return outcome;
}

} // namespace pulsefir::io
