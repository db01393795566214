#pragma once

#include <string>

namespace pulsefir::io {

// A file name's extension in lower case ("Pulse.WAV" gives ".wav"), ASCII letters only: the
// readers and the coefficient writer choose the format by it.
std::string lowerExtension(const std::string &fileName);

} // namespace pulsefir::io
