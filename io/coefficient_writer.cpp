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
    out << "\n};\n\n#endif /* PULSEFIR_TAPS_H */\n";
}

void writeCoe(std::ostream &out, const CoefficientExport &d) {
    const QuantisedTaps q = quantiseToBits(d.taps, d.coeBits);
    describe(out, "; ", d, "Coefficient 0");
    writeQuantisationNote(out, "; ", q, base::formatInteger(d.coeBits) + "-bit signed coefficients");
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

QuantisedTaps quantiseToBits(std::span<const double> taps, int bits) {
    if (bits < 2 || bits > 63)
        throw base::Error(base::Message::coefficientBits(bits));
    QuantisedTaps q;
    const double limit = std::ldexp(1.0, bits - 1) - 1.0;
    const double largest = maxMagnitude(taps);
    q.scale = largest > 0.0 ? limit / largest : 1.0;
    q.values.reserve(taps.size());
    for (double t : taps)
        q.values.push_back(std::clamp<std::int64_t>(std::llround(t * q.scale), -static_cast<std::int64_t>(limit),
                                                    static_cast<std::int64_t>(limit)));
    measure(taps, q);
    return q;
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
