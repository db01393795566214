#include "pulse_import.h"

#include <cmath>

#include "base/error.h"
#include "base/messages.h"
#include "base/number_text.h"

namespace pulsefir::io {

PulseData describePulse(const PulseImportRequest &request, PulseImportOutcome &outcome) {
    PulseData pulse = readPulseFile(request.fileName);
    outcome.fileSamples = pulse.samples.size();
    outcome.fileSamplingFrequency = pulse.samplingFrequency;
    outcome.peak = pulse.samples.empty() ? 0.0 : pulse.samples[peakIndex(pulse.samples)];
    outcome.description = pulse.description;
    if (!pulse.samplingFrequency || !ratesDiffer(*pulse.samplingFrequency, request.samplingFrequency))
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

std::vector<double> preparePulse(const PulseImportRequest &request, PulseImportOutcome &outcome) {
    PulseData pulse = describePulse(request, outcome);
    if (!outcome.resampled)
        return std::move(pulse.samples);
    return resamplePulse(pulse.samples, *pulse.samplingFrequency, request.samplingFrequency);
}

PulseImportOutcome importPulse(core::CoreState &state, const PulseImportRequest &request) {
    PulseImportOutcome outcome;
    const std::vector<double> samples = preparePulse(request, outcome);
    outcome.placed = placePulse(state, samples, request.placement);
    return outcome;
}

} // namespace pulsefir::io
