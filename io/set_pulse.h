#pragma once

#include <memory>

#include "core/state.h"
#include "io/pulse_import.h"

namespace pulsefir::io {

// A pulse of the filter window's set, read as the signal window's "Файл" tab reads a file (the
// same readers, placement, scale and rate rules) into a buffer of its own. A set pulse cannot
// change the program's sampling frequency, so a file stating another rate is always resampled
// to it, whatever `request.rate` says.
struct SetPulseData {
    std::unique_ptr<core::SignalArray> samples = std::make_unique<core::SignalArray>();
    PulseImportOutcome outcome;
};

// Throws base::Error, as importPulse does, for a file that cannot be read or placed.
SetPulseData readSetPulse(const PulseImportRequest &request);

} // namespace pulsefir::io
