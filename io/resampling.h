#pragma once

#include <span>
#include <vector>

namespace pulsefir::io {

// Converts a pulse sampled at `fromMHz` to `toMHz` with a band-limited sinc converter; the
// result has round(n × to / from) samples.
std::vector<double> resamplePulse(std::span<const double> samples, double fromMHz, double toMHz);

// Part of what resamplePulse would give: `samples` holds its outputs `first`, `first` + 1, ….
struct ResampledPart {
    std::vector<double> samples;
    long long first = 0;
};

// The outputs wantFirst..wantLast (clamped to the whole result) of resamplePulse, converting
// only the input around them (the converter's reach on either side) instead of the whole pulse.
// Where the ratio is a fraction of small enough terms the part starts on an input sample that
// falls on an output sample, so the part matches the whole conversion; otherwise the input is
// taken from its start.
ResampledPart resamplePulsePart(std::span<const double> samples, double fromMHz, double toMHz, long long wantFirst,
                                long long wantLast);

// Whether two sampling frequencies differ by more than rounding of the file's own numbers.
bool ratesDiffer(double aMHz, double bMHz);

} // namespace pulsefir::io
