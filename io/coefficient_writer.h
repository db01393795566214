#pragma once

#include <algorithm>
#include <cstdint>
#include <iosfwd>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/state.h"

namespace pulsefir::io {

enum class CoefficientFormat {
    Csv,     // "index,value", 17 significant digits: the tool's CSV as it always was
    Text,    // one tap per line after '#' comment lines
    Npy,     // NumPy 1-D float64
    CHeader, // static const double taps and Q15 / Q31 integers
    Coe,     // FPGA coefficient file, radix 10
    Octave,  // Octave/MATLAB script setting a column vector h
};

// By extension: .csv .txt .npy .h .coe .m (case-insensitive); any other name, and "-", is CSV.
CoefficientFormat coefficientFormatForFileName(const std::string &fileName);

// Fixed-point taps: integer q[j] stands for q[j] / scale.
struct QuantisedTaps {
    std::vector<std::int64_t> values;
    double scale = 1.0;
    int shift = 0;         // Q formats: scale = 2^(fraction bits - shift), shift >= 0 only when needed
    double maxError = 0.0; // largest |tap - q / scale|
    // Signal-to-noise ratio of the quantised taps against the double ones, dB; nothing when the
    // taps are all zero (no signal), +infinity when the quantisation is exact.
    std::optional<double> snrDb;
};

// Qn with n fraction bits (15 or 31) in a signed (n + 1)-bit word: scale 2^n, or, when the largest
// tap does not fit, 2^(n - shift) with the smallest shift that makes it fit.
QuantisedTaps quantiseQ(std::span<const double> taps, int fractionBits);
// A signed `bits`-bit word (8..32), scaled so that the largest tap magnitude becomes
// 2^(bits - 1) - 1.
QuantisedTaps quantiseToBits(std::span<const double> taps, int bits);

struct CoefficientExport {
    std::span<const double> taps; // taps -halfWidth..+halfWidth in ascending order
    int halfWidth = 0;
    double samplingFrequency = 0.0; // MHz, stated in the comments; 0 leaves it out
    int coeBits = 16;

    // The state's filter, as the filter window and the command line export it.
    static CoefficientExport ofFilter(const core::CoreState &state, double samplingFrequency, int coeBits) {
        const int n = core::usableFilterHalfWidth(state.FilterHalfWidth);
        return {state.FilterBuffer.range(n), std::max(n, 0), samplingFrequency, coeBits};
    }
};

// Writes the taps in the given format. Every format but CSV and NumPy states in its header which
// tap is the centre and that the taps are applied as a correlation (tap +j weighs the sample j
// places later); CSV names the tap of each row in its index column.
void writeCoefficients(std::ostream &out, const CoefficientExport &data, CoefficientFormat format);

// A one-line summary of the fixed-point error for the filter window, numbers with the user's
// decimal separator ("Q15: макс. ошибка 1,5e-05, ОСШ 92,3 дБ").
std::string quantisationSummary(const QuantisedTaps &q, const std::string &label, char decimal);

} // namespace pulsefir::io
