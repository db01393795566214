#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pulsefir::io {

// Numbers in files are written and read without the C library's locale: a Russian desktop's
// decimal comma must never leak into a coefficient file, nor stop a file with points from reading.

// Parses a whole field: optional sign, digits with one decimal point (or, when `decimalComma`,
// a comma instead), optional exponent; also "nan" and "inf", which the caller refuses with its
// own message. Nothing when the field is not such a number.
std::optional<double> ParseNumber(std::string_view field, bool decimalComma);

// A file name's extension in lower case ("Pulse.WAV" gives ".wav"), ASCII letters only.
std::string LowerExtension(const std::string &fileName);

// `digits` significant digits (17 gives the double back exactly), shortest form: "0.5", "1e-05".
std::string FormatNumber(double value, int digits = 17);

} // namespace pulsefir::io
