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
    // The user's choices about the file's time unit, decimal mark and column or channel.
    // minimumRate and maximumRate above are the range the automatic time unit aims at.
    PulseReadOptions read;
};

struct PulseImportOutcome {
    std::size_t fileSamples = 0;                 // as read, before any resampling
    std::optional<double> fileSamplingFrequency; // MHz, when the file states it
    double peak = 0.0;                           // the file's sample of largest magnitude
    std::string description;
    // Set when the program's sampling frequency must become the file's (TakeFileRate).
    std::optional<double> newSamplingFrequency;
    bool resampled = false;
    std::optional<double> firstTime;     // µs, the time the file gives its first sample
    std::optional<long long> firstIndex; // the index the file gives its first sample
    std::size_t pulseSamples = 0;        // after resampling, all of them, landing in the buffer or not
    PlacementResult placed;
};

// A pulse ready to place: samples[0] is sample `first` of the pulse, which lands at index
// first + offset (the file's own index column included in `first`).
struct PreparedPulse {
    std::vector<double> samples;
    long long first = 0;
};

// Reads a pulse file, handles its sampling frequency and writes it into SignalBuffer: the one way
// the signal window and the command line bring a measured pulse in, so both read files by the
// same rules. Any failure (an unreadable file, a file rate the program's field cannot take, an
// overflow) throws a base::Error before SignalBuffer is touched. Resampling converts only the
// part of the pulse that lands in the buffer.
PulseImportOutcome importPulse(core::CoreState &state, const PulseImportRequest &request);
// The same into any signal buffer (a pulse of the filter window's set).
PulseImportOutcome importPulse(core::SignalArray &buffer, const PulseImportRequest &request);

// The file read and described in `outcome` as ImportPulse would describe it (what its rate
// would become, resampling included), without resampling: for showing what a file holds.
PulseData describePulse(const PulseImportRequest &request, PulseImportOutcome &outcome);

// The pulse as importPulse places it (read and, if asked, resampled where it lands).
PreparedPulse preparePulse(const PulseImportRequest &request, PulseImportOutcome &outcome);

// The offsets of the window's helpers: the pulse's largest sample at index 0, and the sample at
// time 0 at index 0 (a base::Error when the file states no time). Neither resamples.
int offsetForPeak(const PulseImportRequest &request, PulseImportOutcome &outcome);
int offsetForTimeZero(const PulseImportRequest &request, PulseImportOutcome &outcome);

} // namespace pulsefir::io
