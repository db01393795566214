#pragma once

#include <algorithm>
#include <cstdint>
#include <iosfwd>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/fixed_point.h"
#include "core/state.h"

namespace pulsefir::io {

enum class CoefficientFormat {
    Csv,     // "index,value", 17 significant digits: the tool's CSV as it always was
    Text,    // one tap per line after '#' comment lines
    Npy,     // NumPy 1-D float64
    CHeader, // static const double taps, Q15 / Q31 integers and the fixed-point model's words
    Coe,     // FPGA coefficient file, radix 10: the fixed-point model's words
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
// The fixed-point model's taps: signed `bits`-bit words (4..32) at the power-of-two scale 2^F
// (core::quantiseTaps), so the hardware restores the gain by a shift.
QuantisedTaps quantiseModel(std::span<const double> taps, int bits);

struct CoefficientExport {
    std::span<const double> taps; // taps -halfWidth..+halfWidth in ascending order
    int halfWidth = 0;
    double samplingFrequency = 0.0; // MHz, stated in the comments; 0 leaves it out
    int coeBits = 16;               // Bc: the model's tap width, which wins over fixedPoint.tapBits
    core::FixedPointFormat fixedPoint{};
    int outputShift = 0; // S the model uses: the automatic one for the signal, or the user's

    // The state's filter, as the filter window and the command line export it; an automatic shift
    // is the one the integer filter needs for the state's signal.
    static CoefficientExport ofFilter(const core::CoreState &state, double samplingFrequency,
                                      const core::FixedPointFormat &format);
};

// Writes the taps in the given format. Every format but CSV and NumPy states in its header which
// tap is the centre and that the taps are applied as a correlation (tap +j weighs the sample j
// places later); CSV names the tap of each row in its index column.
void writeCoefficients(std::ostream &out, const CoefficientExport &data, CoefficientFormat format);

// The fixed-point model in words, each line after `prefix`: the input, the taps, the accumulator,
// the output's rounding, shift and saturation, and how many samples ahead the taps look.
void describeArithmetic(std::ostream &out, const char *prefix, const CoefficientExport &d);

// A one-line summary of the fixed-point error for the filter window, numbers with the user's
// decimal separator ("Q15: макс. ошибка 1,5e-05, ОСШ 92,3 дБ").
std::string quantisationSummary(const QuantisedTaps &q, const std::string &label, char decimal);

} // namespace pulsefir::io
