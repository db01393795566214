#include "coefficient_writer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>
#include <ostream>

#include "base/error.h"
#include "base/messages.h"
#include "base/number_text.h"
#include "io/file_extension.h"
#include "io/npy_format.h"

namespace pulsefir::io {

namespace {

double maxMagnitude(std::span<const double> taps) {
    double m = 0.0;
    for (double t : taps)
        m = std::max(m, std::abs(t));
    return m;
}

void measure(std::span<const double> taps, QuantisedTaps &q) {
    double signal = 0.0;
    double noise = 0.0;
    q.maxError = 0.0;
    for (std::size_t k = 0; k < taps.size(); ++k) {
        const double e = taps[k] - static_cast<double>(q.values[k]) / q.scale;
        q.maxError = std::max(q.maxError, std::abs(e));
        signal += taps[k] * taps[k];
        noise += e * e;
    }
    if (signal == 0.0)
        q.snrDb.reset();
    else if (noise == 0.0)
        q.snrDb = std::numeric_limits<double>::infinity();
    else
        q.snrDb = 10.0 * std::log10(signal / noise);
}

// The comment lines every format but CSV and NumPy begins with, after `prefix`.
void describe(std::ostream &out, const char *prefix, const CoefficientExport &d, const char *firstIs) {
    const int count = 2 * d.halfWidth + 1;
    out << prefix << "FIR correction filter taps from pulsefir: " << count << " taps, tap -" << d.halfWidth
        << " .. tap +" << d.halfWidth << ".\n";
    out << prefix << firstIs << " is tap -" << d.halfWidth << "; entry " << d.halfWidth << " (counting from 0) is the "
        << "centre tap, tap 0.\n";
    out << prefix << "Applied as a correlation: y[i] = sum over j = -" << d.halfWidth << "..+" << d.halfWidth
        << " of tap[j] * x[i + j],\n";
    out << prefix << "so tap +j weighs the sample j places LATER. A convolution y[i] = sum c[k] x[i - k]\n";
    out << prefix << "(filter(), a direct-form FIR) needs the taps in reverse order.\n";
    if (d.samplingFrequency > 0.0)
        out << prefix << "Sampling frequency " << base::formatSignificant(d.samplingFrequency, 15) << " MHz.\n";
}

void writeQuantisationNote(std::ostream &out, const char *prefix, const QuantisedTaps &q, const std::string &what) {
    out << prefix << what << ": tap = integer / " << base::formatSignificant(q.scale, 17);
    if (q.shift > 0)
        out << " (shifted right by " << q.shift << " bits so that the largest tap fits)";
    out << ".\n" << prefix << "Rounding error: largest " << base::formatSignificant(q.maxError, 6) << ", SNR ";
    if (!q.snrDb)
        out << "undefined (all taps zero)";
    else if (std::isinf(*q.snrDb))
        out << "infinite (exact)";
    else
        out << base::formatSignificant(*q.snrDb, 4) << " dB";
    out << ".\n";
}

const char *roundingName(core::Rounding rounding) {
    switch (rounding) {
    case core::Rounding::Truncate:
        return "truncation toward minus infinity (arithmetic shift)";
    case core::Rounding::HalfUp:
        return "round half up, floor((acc + 2^(S-1)) / 2^S)";
    case core::Rounding::HalfEven:
        return "round half to even (convergent)";
    }
    return "";
}

// Bits of a two's complement word that holds every value of magnitude up to `largest`.
int wordBits(core::Accumulator largest) {
    int bits = 1;
    while ((core::Accumulator{1} << (bits - 1)) <= largest)
        ++bits;
    return bits;
}

void writeCsv(std::ostream &out, const CoefficientExport &d) {
    out << "index,value\n";
    for (int j = -d.halfWidth; j <= d.halfWidth; ++j)
        out << j << ',' << base::formatSignificant(d.taps[static_cast<std::size_t>(j + d.halfWidth)], 17) << '\n';
}

void writeText(std::ostream &out, const CoefficientExport &d) {
    describe(out, "# ", d, "Line 1 after these comments");
    for (double t : d.taps)
        out << base::formatSignificant(t, 17) << '\n';
}

void writeIntegers(std::ostream &out, const std::vector<std::int64_t> &values, const char *separator) {
    for (std::size_t k = 0; k < values.size(); ++k) {
        out << values[k];
        if (k + 1 < values.size())
            out << separator;
    }
}

void writeCHeader(std::ostream &out, const CoefficientExport &d) {
    const QuantisedTaps q15 = quantiseQ(d.taps, 15);
    const QuantisedTaps q31 = quantiseQ(d.taps, 31);
    const std::size_t count = d.taps.size();
    out << "/*\n";
    describe(out, " * ", d, "pulsefir_taps[0]");
    out << " *\n";
    writeQuantisationNote(out, " * ", q15, "pulsefir_taps_q15 (Q15)");
    writeQuantisationNote(out, " * ", q31, "pulsefir_taps_q31 (Q31)");
    out << " *\n";
    describeArithmetic(out, " * ", d);
    out << " */\n#ifndef PULSEFIR_TAPS_H\n#define PULSEFIR_TAPS_H\n\n#include <stdint.h>\n\n";
    out << "#define PULSEFIR_TAP_COUNT " << count << "\n#define PULSEFIR_CENTRE_TAP " << d.halfWidth << "\n";
    // Written as double constants: 2147483648 does not fit a 32-bit int.
    const auto asDouble = [](double v) {
        std::string text = base::formatSignificant(v, 17);
        return text.find_first_of(".e") == std::string::npos ? text + ".0" : text;
    };
    out << "#define PULSEFIR_Q15_SCALE " << asDouble(q15.scale) << "\n#define PULSEFIR_Q31_SCALE "
        << asDouble(q31.scale) << "\n\n";
    out << "static const double pulsefir_taps[PULSEFIR_TAP_COUNT] = {\n";
    for (std::size_t k = 0; k < count; ++k)
        out << "    " << base::formatSignificant(d.taps[k], 17) << (k + 1 < count ? ",\n" : "\n");
    out << "};\n\nstatic const int16_t pulsefir_taps_q15[PULSEFIR_TAP_COUNT] = {\n    ";
    writeIntegers(out, q15.values, ",\n    ");
    out << "\n};\n\nstatic const int32_t pulsefir_taps_q31[PULSEFIR_TAP_COUNT] = {\n    ";
    writeIntegers(out, q31.values, ",\n    ");
    const core::QuantisedTaps model = core::quantiseTaps(d.taps, d.coeBits);
    const core::FixedPointFormat &f = d.fixedPoint;
    out << "\n};\n\n/* The fixed-point model's words (see above): tap = word / 2^PULSEFIR_FIXED_TAP_SCALE. */\n";
    out << "#define PULSEFIR_FIXED_INPUT_BITS " << f.inputBits << "\n#define PULSEFIR_FIXED_TAP_BITS " << d.coeBits
        << "\n#define PULSEFIR_FIXED_TAP_SCALE " << model.scale << "\n#define PULSEFIR_FIXED_OUTPUT_BITS "
        << f.outputBits << "\n#define PULSEFIR_FIXED_OUTPUT_SHIFT " << d.outputShift
        << "\n#define PULSEFIR_FIXED_ROUNDING " << static_cast<int>(f.rounding)
        << " /* 0 truncate, 1 half up, 2 half to even */\n\n";
    out << "static const int32_t pulsefir_taps_fixed[PULSEFIR_TAP_COUNT] = {\n    ";
    std::vector<std::int64_t> words(model.taps.begin(), model.taps.end());
    // INT32_MIN as a literal would be a negated 2147483648, which does not fit an int.
    for (std::size_t k = 0; k < words.size(); ++k) {
        if (words[k] == INT32_MIN)
            out << "INT32_MIN";
        else
            out << words[k];
        if (k + 1 < words.size())
            out << ",\n    ";
    }
    out << "\n};\n\n#endif /* PULSEFIR_TAPS_H */\n";
}

void writeCoe(std::ostream &out, const CoefficientExport &d) {
    const QuantisedTaps q = quantiseModel(d.taps, d.coeBits);
    describe(out, "; ", d, "Coefficient 0");
    writeQuantisationNote(out, "; ", q, base::formatInteger(d.coeBits) + "-bit signed coefficients");
    describeArithmetic(out, "; ", d);
    out << "radix=10;\ncoefdata=\n";
    writeIntegers(out, q.values, ",\n");
    out << ";\n";
}

void writeOctave(std::ostream &out, const CoefficientExport &d) {
    describe(out, "% ", d, "h(1)");
    out << "% (Octave/MATLAB count from 1: the centre tap is h(" << d.halfWidth + 1
        << "); for filter() use flipud(h).)\n";
    out << "h = [\n";
    for (double t : d.taps)
        out << "  " << base::formatSignificant(t, 17) << '\n';
    out << "];\n";
}

} // namespace

CoefficientFormat coefficientFormatForFileName(const std::string &fileName) {
    if (fileName == "-")
        return CoefficientFormat::Csv;
    const std::string ext = lowerExtension(fileName);
    if (ext == ".txt")
        return CoefficientFormat::Text;
    if (ext == ".npy")
        return CoefficientFormat::Npy;
    if (ext == ".h")
        return CoefficientFormat::CHeader;
    if (ext == ".coe")
        return CoefficientFormat::Coe;
    if (ext == ".m")
        return CoefficientFormat::Octave;
    return CoefficientFormat::Csv;
}

QuantisedTaps quantiseQ(std::span<const double> taps, int fractionBits) {
    QuantisedTaps q;
    const double limit = std::ldexp(1.0, fractionBits) - 1.0; // the largest positive word
    const double largest = maxMagnitude(taps);
    q.shift = 0;
    while (std::round(largest * std::ldexp(1.0, fractionBits - q.shift)) > limit)
        ++q.shift;
    q.scale = std::ldexp(1.0, fractionBits - q.shift);
    q.values.reserve(taps.size());
    for (double t : taps)
        q.values.push_back(std::llround(t * q.scale));
    measure(taps, q);
    return q;
}

QuantisedTaps quantiseModel(std::span<const double> taps, int bits) {
    if (bits < core::MinTapBits || bits > core::MaxWordBits)
        throw base::Error(base::Message::coefficientBits(bits));
    const core::QuantisedTaps model = core::quantiseTaps(taps, bits);
    QuantisedTaps q;
    q.scale = std::ldexp(1.0, model.scale);
    q.values.assign(model.taps.begin(), model.taps.end());
    measure(taps, q);
    return q;
}

CoefficientExport CoefficientExport::ofFilter(const core::CoreState &state, double samplingFrequency,
                                              const core::FixedPointFormat &format) {
    const int n = core::usableFilterHalfWidth(state.FilterHalfWidth);
    CoefficientExport d{state.FilterBuffer.range(n), std::max(n, 0), samplingFrequency, format.tapBits, format};
    d.outputShift = format.shift;
    if (format.automaticShift && format.tapBits >= core::MinTapBits && format.tapBits <= core::MaxWordBits)
        d.outputShift = core::runFixedPoint(state.SignalBuffer.centre(),
                                            core::usableSignalHalfWidth(state.SignalHalfWidth), d.taps, format)
                            .shift;
    return d;
}

void describeArithmetic(std::ostream &out, const char *prefix, const CoefficientExport &d) {
    const core::FixedPointFormat &f = d.fixedPoint;
    const core::QuantisedTaps model = core::quantiseTaps(d.taps, d.coeBits);
    core::Accumulator largest = 0;
    int ahead = 0;
    for (std::size_t k = 0; k < model.taps.size(); ++k) {
        largest += static_cast<core::Accumulator>(std::abs(static_cast<long long>(model.taps[k])));
        if (model.taps[k] != 0)
            ahead = std::max(ahead, static_cast<int>(k) - d.halfWidth);
    }
    largest *= core::Accumulator{1} << (f.inputBits - 1);
    const int bx1 = f.inputBits - 1, by1 = f.outputBits - 1;
    out << prefix << "Fixed-point model (integer arithmetic only between input and output):\n";
    out << prefix << "  input: " << f.inputBits << "-bit two's complement, xq = round_half_away_from_zero(x / FS * 2^"
        << bx1 << "), held to [-2^" << bx1 << ", 2^" << bx1
        << " - 1], full scale FS = " << base::formatSignificant(f.fullScale, 15) << " signal units;\n";
    out << prefix << "  taps: " << d.coeBits
        << "-bit two's complement, cq = round_half_away_from_zero(tap * 2^F), F = " << model.scale << ";\n";
    out << prefix << "  accumulator: acc[i] = sum of cq[j] * xq[i + j], exact; " << wordBits(largest)
        << " bits hold it for every input of " << f.inputBits << " bits;\n";
    out << prefix << "  output: " << f.outputBits << "-bit, yq = saturate(round(acc / 2^S)), S = " << d.outputShift
        << (f.automaticShift ? " (the smallest that does not saturate the current signal)" : " (set by the user)")
        << ";\n";
    out << prefix << "  rounding: " << roundingName(f.rounding) << "; saturation to [-2^" << by1 << ", 2^" << by1
        << " - 1];\n";
    out << prefix << "  in signal units y = yq * FS * 2^(S - F - " << bx1 << ");\n";
    out << prefix << "  latency: the last nonzero tap is +" << ahead << ", so output i needs input i + " << ahead
        << ": " << ahead << " samples";
    if (d.samplingFrequency > 0.0)
        out << " (" << base::formatSignificant(ahead / d.samplingFrequency, 6) << " us)";
    out << ".\n";
}

void writeCoefficients(std::ostream &out, const CoefficientExport &data, CoefficientFormat format) {
    switch (format) {
    case CoefficientFormat::Csv:
        writeCsv(out, data);
        break;
    case CoefficientFormat::Text:
        writeText(out, data);
        break;
    case CoefficientFormat::Npy:
        writeNpy(out, data.taps);
        break;
    case CoefficientFormat::CHeader:
        writeCHeader(out, data);
        break;
    case CoefficientFormat::Coe:
        writeCoe(out, data);
        break;
    case CoefficientFormat::Octave:
        writeOctave(out, data);
        break;
    }
}

std::string quantisationSummary(const QuantisedTaps &q, const std::string &label, char decimal) {
    const auto number = [decimal](double v, int digits) {
        std::string s = base::formatSignificant(v, digits);
        std::replace(s.begin(), s.end(), '.', decimal);
        return s;
    };
    std::string text = label + ": макс. ошибка " + number(q.maxError, 3) + ", ОСШ ";
    if (!q.snrDb)
        text += "— (все отсчёты нулевые)";
    else if (std::isinf(*q.snrDb))
        text += "∞ (точно)";
    else
        text += number(std::round(*q.snrDb * 10.0) / 10.0, 6) + " дБ";
    return text;
}

} // namespace pulsefir::io
