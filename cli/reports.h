#pragma once

#include <algorithm>
#include <functional>
#include <ostream>
#include <string>

#include "core/state.h"

namespace pulsefir::cli {

// Numbers in the tool's output: '.' as the decimal point whatever the locale, and the shortest
// text that reads back as the same value.
std::string formatLong(long double value);
std::string formatNumber(double value);

// Standard output that could not be written (a full disk, a closed pipe) is an error, not a
// silent success.
void checkWritten(std::ostream &out);

// Writes to standard output for "-", else to the named file, whole or not at all: the text is
// made in memory first, so a file is never left half written.
void writeTo(const std::string &file, std::ostream &out, const std::function<void(std::ostream &)> &write);

// The CSV tables the steps write, each with one header line.
// One row per curve and one for the filter; the columns of MetricFields, the peak's index after
// the peak, the cut flags after the earlier columns and before the later ones.
void writeMetrics(std::ostream &s, const core::CoreState &state, double samplingFrequency);
// The accepted epochs of the last search with their objectives.
void writeTrace(std::ostream &s, const core::CoreState &state);
// One row per grid frequency: the spectra, then each source's dB, unwrapped phase and group delay.
void writeSpectra(std::ostream &s, const core::SpectorResults &r);

// A buffer's samples from -halfWidth to halfWidth, as index and value.
template <typename Array> void writeBuffer(std::ostream &s, const Array &buffer, int halfWidth) {
    s << "index,value\n";
    const int n = std::clamp(halfWidth, -1, Array::HalfWidth);
    for (int k = -n; k <= n; ++k)
        s << k << ',' << formatNumber(buffer[k]) << '\n';
}

} // namespace pulsefir::cli
