#pragma once

#include <string>

#include "io/pulse_data.h"

namespace pulsefir::io {

// WAV through libsndfile: PCM 8/16/24/32-bit integer (scaled to -1..1) or 32/64-bit float, first
// channel only.
PulseData readPulseWav(const std::string &fileName);

} // namespace pulsefir::io
