#pragma once

#include <string>
#include <string_view>

#include "io/pulse_data.h"

namespace pulsefir::io {

// One column of samples, or two (time in µs, value). Lines that are empty or start with
// '#', '%', ';' or "//" are comments; lines before the first line of numbers are a header.
// Columns are separated by ';', a tab, blanks, or ','. A ',' inside a number is a decimal comma
// when the columns are separated otherwise; in a file whose only separator is ',', the comma
// separates columns if any number has a decimal point, and is a decimal comma if none has.
// `name` is the file name used in messages.
PulseData readPulseText(std::string_view text, const std::string &name);

} // namespace pulsefir::io
