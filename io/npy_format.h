#pragma once

#include <span>
#include <string>

#include "io/pulse_data.h"

namespace pulsefir::io {

// Format 1.0/2.0/3.0, a 1-D little-endian float64 or float32 array. `name` is the file name used
// in messages.
PulseData ReadPulseNpy(std::span<const unsigned char> bytes, const std::string &name);

} // namespace pulsefir::io
