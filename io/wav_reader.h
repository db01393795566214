#pragma once

#include <span>
#include <string>

#include "io/pulse_data.h"

namespace pulsefir::io {

// Any sound file libsndfile decodes (WAV, RF64, W64 and the rest; PCM of any width scaled to
// -1..1, float, μ-law, A-law, ADPCM), from its bytes: the channel `options.column` (1 = the first),
// with a note when the file has more than one. `fileName` names the file in messages.
PulseData readPulseWav(std::span<const unsigned char> bytes, const std::string &fileName,
                       const PulseReadOptions &options = {});

} // namespace pulsefir::io
