#include "pulse_import.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "base/error.h"
#include "base/messages.h"
#include "base/number_text.h"

namespace pulsefir::io {

namespace {

PulseReadOptions readOptions(const PulseImportRequest &request) {
    PulseReadOptions options = request.read;
    options.minimumRate = request.minimumRate;
    options.maximumRate = request.maximumRate;
    return options;
}

// The rate the placed pulse has: the program's when it is resampled, else the file's, else the
// program's.
double placedRate(const PulseImportRequest &request, const PulseImportOutcome &outcome) {
    if (outcome.resampled || !outcome.fileSamplingFrequency)
        return request.samplingFrequency;
    return *outcome.fileSamplingFrequency;
}

int saturated(double offset) {
    return static_cast<int>(std::clamp(offset, static_cast<double>(std::numeric_limits<int>::min()),
                                       static_cast<double>(std::numeric_limits<int>::max())));
}

} // namespace

PulseData describePulse(const PulseImportRequest &request, PulseImportOutcome &outcome) {
    PulseData pulse = readPulseFile(request.fileName, readOptions(request));
    outcome.fileSamples = pulse.samples.size();
    outcome.pulseSamples = pulse.samples.size();
    outcome.fileSamplingFrequency = pulse.samplingFrequency;
    outcome.firstTime = pulse.firstTime;
    outcome.firstIndex = pulse.firstIndex;
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

PreparedPulse preparePulse(const PulseImportRequest &request, PulseImportOutcome &outcome) {
    PulseData pulse = describePulse(request, outcome);
    const long long stated = pulse.firstIndex.value_or(0);
    if (!outcome.resampled)
        return {std::move(pulse.samples), stated};
    // The file's own index counts file samples: it scales with the rate.
    const double ratio = request.samplingFrequency / *pulse.samplingFrequency;
    const auto first = static_cast<long long>(std::llround(static_cast<double>(stated) * ratio));
    outcome.pulseSamples = static_cast<std::size_t>(std::llround(static_cast<double>(pulse.samples.size()) * ratio));
    // Output j lands at first + j + offset: only those inside the buffer are converted.
    const long long shift = first + request.placement.offset;
    ResampledPart part = resamplePulsePart(pulse.samples, *pulse.samplingFrequency, request.samplingFrequency,
                                           -core::MaxSignalHalfWidth - shift, core::MaxSignalHalfWidth - shift);
    return {std::move(part.samples), first + part.first};
}

PulseImportOutcome importPulse(core::CoreState &state, const PulseImportRequest &request) {
    return importPulse(state.SignalBuffer, request);
}

PulseImportOutcome importPulse(core::SignalArray &buffer, const PulseImportRequest &request) {
    PulseImportOutcome outcome;
    const PreparedPulse pulse = preparePulse(request, outcome);
    PulsePlacement placement = request.placement;
    const long long offset = static_cast<long long>(placement.offset) + pulse.first;
    if (offset > core::MaxSignalHalfWidth ||
        offset < -static_cast<long long>(MaxPulseSamples) - core::MaxSignalHalfWidth) {
        // Nothing of the pulse lands: placed as an empty pulse, every sample dropped.
        placement.offset = 0;
        outcome.placed = placePulse(buffer, {}, placement);
        outcome.placed.droppedAfter = outcome.pulseSamples;
        if (!pulse.samples.empty()) {
            const auto largest = std::max_element(pulse.samples.begin(), pulse.samples.end(),
                                                  [](double a, double b) { return std::abs(a) < std::abs(b); });
            outcome.placed.peakIndex = static_cast<long long>(largest - pulse.samples.begin()) + offset;
        }
        return outcome;
    }
    placement.offset = static_cast<int>(offset);
    outcome.placed = placePulse(buffer, pulse.samples, placement);
    // Samples of a resampled pulse that were never converted, because they land outside, count
    // as dropped as well.
    if (outcome.resampled) {
        const long long stated = outcome.firstIndex
                                     ? std::llround(static_cast<double>(*outcome.firstIndex) *
                                                    request.samplingFrequency / *outcome.fileSamplingFrequency)
                                     : 0;
        const long long skippedBefore = pulse.first - stated;
        const long long skippedAfter =
            static_cast<long long>(outcome.pulseSamples) - skippedBefore - static_cast<long long>(pulse.samples.size());
        outcome.placed.droppedBefore += static_cast<std::size_t>(std::max(0LL, skippedBefore));
        outcome.placed.droppedAfter += static_cast<std::size_t>(std::max(0LL, skippedAfter));
    }
    return outcome;
}

int offsetForPeak(const PulseImportRequest &request, PulseImportOutcome &outcome) {
    const PulseData pulse = describePulse(request, outcome);
    double peak = static_cast<double>(peakIndex(pulse.samples) + pulse.firstIndex.value_or(0));
    if (outcome.resampled)
        peak *= request.samplingFrequency / *pulse.samplingFrequency;
    return saturated(-std::round(peak));
}

int offsetForTimeZero(const PulseImportRequest &request, PulseImportOutcome &outcome) {
    const PulseData pulse = describePulse(request, outcome);
    if (!pulse.firstTime)
        throw base::Error(base::Message::inFile(request.fileName, base::Message::noFirstTime()));
    // Sample k lies at firstTime + k / rate: the sample at time 0 is k = -firstTime × rate.
    return saturated(std::round(*pulse.firstTime * placedRate(request, outcome)) -
                     static_cast<double>(pulse.firstIndex.value_or(0)));
}

} // namespace pulsefir::io
