#pragma once

#include <span>
#include <vector>

namespace pulsefir::io {

// Converts a pulse sampled at `fromMHz` to `toMHz` with a band-limited sinc converter; the
// result has round(n × to / from) samples.
std::vector<double> resamplePulse(std::span<const double> samples, double fromMHz, double toMHz);

// Whether two sampling frequencies differ by more than rounding of the file's own numbers.
bool ratesDiffer(double aMHz, double bMHz);

} // namespace pulsefir::io
