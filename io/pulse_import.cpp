#include "pulse_import.h"

#include <cmath>

#include "core/errors.h"
#include "io/number_text.h"

namespace pulsefir::io {

std::vector<double> PreparePulse(const PulseImportRequest &request, PulseImportOutcome &outcome) {
    PulseData pulse = ReadPulseFile(request.fileName);
    outcome.fileSamples = pulse.samples.size();
    outcome.fileSamplingFrequency = pulse.samplingFrequency;
    outcome.peak = pulse.samples.empty() ? 0.0 : pulse.samples[PeakIndex(pulse.samples)];
    outcome.description = pulse.description;
    if (!pulse.samplingFrequency || !RatesDiffer(*pulse.samplingFrequency, request.samplingFrequency))
        return std::move(pulse.samples);
    if (request.rate == RateChoice::TakeFileRate) {
        const double rate = *pulse.samplingFrequency;
        const bool ranged = request.minimumRate != 0.0 || request.maximumRate != 0.0;
        if (ranged && (rate < request.minimumRate || rate > request.maximumRate))
            throw CoreError(request.fileName + ": частота файла " + FormatNumber(rate, 9) + " МГц вне допустимых " +
                            FormatNumber(request.minimumRate, 9) + ".." + FormatNumber(request.maximumRate, 9) +
                            " МГц; выберите пересчёт");
        outcome.newSamplingFrequency = rate;
        return std::move(pulse.samples);
    }
    outcome.resampled = true;
    return ResamplePulse(pulse.samples, *pulse.samplingFrequency, request.samplingFrequency);
}

PulseImportOutcome ImportPulse(CoreState &state, const PulseImportRequest &request) {
    PulseImportOutcome outcome;
    const std::vector<double> samples = PreparePulse(request, outcome);
    outcome.placed = PlacePulse(state, samples, request.placement);
    return outcome;
}

} // namespace pulsefir::io
