#pragma once

#include <optional>
#include <string>

#include "core/state.h"
#include "io/pulse_placement.h"
#include "io/pulse_reader.h"

namespace pulsefir::io {

// What to do when the file's own sampling frequency differs from the program's.
enum class RateChoice {
    TakeFileRate = 0, // the program's sampling frequency becomes the file's
    Resample = 1,     // the pulse is converted to the program's sampling frequency
};

struct PulseImportRequest {
    std::string fileName;
    double samplingFrequency = 0.0; // MHz, the program's (FNmSuperSpin)
    // The range of the sampling-frequency field, which a file's own rate must fit to be taken;
    // both 0: no range.
    double minimumRate = 0.0; // MHz
    double maximumRate = 0.0; // MHz
    RateChoice rate = RateChoice::TakeFileRate;
    PulsePlacement placement;
};

struct PulseImportOutcome {
    std::size_t fileSamples = 0;                 // as read, before any resampling
    std::optional<double> fileSamplingFrequency; // MHz, when the file states it
    double peak = 0.0;                           // the file's sample of largest magnitude
    std::string description;
    // Set when the program's sampling frequency must become the file's (TakeFileRate).
    std::optional<double> newSamplingFrequency;
    bool resampled = false;
    PlacementResult placed;
};

// Reads a pulse file, handles its sampling frequency and writes it into SignalBuffer. Any failure
// (an unreadable file, a file rate the program's field cannot take, an overflow) throws a
// base::Error before SignalBuffer is touched.
PulseImportOutcome importPulse(core::CoreState &state, const PulseImportRequest &request);

// The file read and described in `outcome` as ImportPulse would describe it (what its rate
// would become, resampling included), without resampling: for showing what a file holds.
PulseData describePulse(const PulseImportRequest &request, PulseImportOutcome &outcome);

// The pulse as ImportPulse would place it (read and, if asked, resampled), for the offset helpers.
std::vector<double> preparePulse(const PulseImportRequest &request, PulseImportOutcome &outcome);

} // namespace pulsefir::io
