#pragma once

#include <iosfwd>
#include <span>
#include <string>

#include "io/pulse_data.h"

namespace pulsefir::io {

// NumPy's .npy format, read and written in one place.

// Format 1.0/2.0/3.0 as numpy writes it: float16/32/64 and 8..64-bit signed or unsigned integers
// (values as stored) of either byte order, shapes (N), (N,1) and (1,N), Python 2 headers too. `name` is the file name
// used in messages.
PulseData readPulseNpy(std::span<const unsigned char> bytes, const std::string &name);

// Format 1.0, a 1-D '<f8' array of `values`.
void writeNpy(std::ostream &out, std::span<const double> values);

} // namespace pulsefir::io
