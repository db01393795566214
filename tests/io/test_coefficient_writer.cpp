#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "base/number_text.h"
#include "core/fixed_point.h"
#include "io/coefficient_writer.h"
#include "io/pulse_reader.h"
#include "io_test_files.h"

using namespace pulsefir;
using namespace pulsefir::core;
using namespace pulsefir::io;

namespace {

std::vector<double> parseNumbers(const std::string &text, char separator) {
    std::vector<double> values;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find(separator, at);
        if (end == std::string::npos)
            end = text.size();
        std::string field = text.substr(at, end - at);
        field.erase(0, field.find_first_not_of(" \n"));
        field.erase(field.find_last_not_of(" \n;") + 1);
        if (!field.empty()) {
            double v = 0;
            const auto [p, ec] = std::from_chars(field.data(), field.data() + field.size(), v);
            EXPECT_TRUE(ec == std::errc() && p == field.data() + field.size()) << "'" << field << "'";
            values.push_back(v);
        }
        at = end + 1;
    }
    return values;
}

// The text between `open` and the next `close` after it.
std::string between(const std::string &text, const std::string &open, const std::string &close) {
    const std::size_t a = text.find(open);
    EXPECT_NE(a, std::string::npos) << open;
    const std::size_t b = text.find(close, a + open.size());
    return text.substr(a + open.size(), b - a - open.size());
}

std::vector<double> smoothTaps(int halfWidth, double peak) {
    std::vector<double> taps;
    for (int j = -halfWidth; j <= halfWidth; ++j)
        taps.push_back(peak * std::cos(0.3 * j) * std::exp(-0.002 * j * j) + 1e-9 * j);
    return taps;
}

} // namespace

// ---- Round trips --------------------------------------------------------------------------------

struct RoundTripCase {
    const char *name;
    const char *extension;
    double peak; // largest tap; above 1 the Q formats must shift
};

class CoefficientRoundTrip : public ::testing::TestWithParam<RoundTripCase> {};

TEST_P(CoefficientRoundTrip, ExportedTapsReadBackToTheFormatsPrecision) {
    const RoundTripCase c = GetParam();
    const int halfWidth = 40;
    const std::vector<double> taps = smoothTaps(halfWidth, c.peak);
    const auto path = tempPath(std::string("taps") + c.extension);
    const CoefficientFormat format = coefficientFormatForFileName(path.string());
    {
        std::ofstream out(path, std::ios::binary);
        writeCoefficients(out, {taps, halfWidth, 0.8, 12}, format);
    }
    const std::string text = readBytes(path);
    switch (format) {
    case CoefficientFormat::Csv:
    case CoefficientFormat::Text: {
        // The program's own reader takes the plain formats back, exactly.
        EXPECT_EQ(readPulseText(text, path.string()).samples, taps);
        break;
    }
    case CoefficientFormat::Npy: {
        EXPECT_EQ(readPulseFile(path.string()).samples, taps);
        break;
    }
    case CoefficientFormat::Octave: {
        EXPECT_EQ(parseNumbers(between(text, "h = [", "];"), '\n'), taps);
        break;
    }
    case CoefficientFormat::CHeader: {
        EXPECT_EQ(parseNumbers(between(text, "pulsefir_taps[PULSEFIR_TAP_COUNT] = {", "}"), ','), taps);
        for (const auto &[array, scaleName, fraction] : {std::tuple{"pulsefir_taps_q15", "PULSEFIR_Q15_SCALE ", 15},
                                                         std::tuple{"pulsefir_taps_q31", "PULSEFIR_Q31_SCALE ", 31}}) {
            const double scale = parseNumbers(between(text, scaleName, "\n"), '\n').at(0);
            const auto q = parseNumbers(between(text, std::string(array) + "[PULSEFIR_TAP_COUNT] = {", "}"), ',');
            ASSERT_EQ(q.size(), taps.size()) << array;
            const double word = std::ldexp(1.0, fraction);
            for (std::size_t k = 0; k < taps.size(); ++k) {
                EXPECT_LE(std::abs(q[k]), word - 1) << array;
                EXPECT_LE(std::abs(taps[k] - q[k] / scale), 0.5 / scale + 1e-15) << array << " tap " << k;
            }
            // The scale is a power of two, and the full word is used when the taps need no shift.
            EXPECT_EQ(std::exp2(std::round(std::log2(scale))), scale);
            if (c.peak < 1)
                EXPECT_EQ(scale, word);
            else
                EXPECT_GE(2 * c.peak * scale, word - 1);
        }
        const auto fixed = parseNumbers(between(text, "pulsefir_taps_fixed[PULSEFIR_TAP_COUNT] = {", "}"), ',');
        const core::QuantisedTaps model = core::quantiseTaps(taps, 12);
        EXPECT_EQ(fixed, std::vector<double>(model.taps.begin(), model.taps.end()));
        EXPECT_NE(text.find("#define PULSEFIR_FIXED_TAP_SCALE " + base::formatInteger(model.scale) + "\n"),
                  std::string::npos);
        break;
    }
    case CoefficientFormat::Coe: {
        EXPECT_NE(text.find("radix=10;\ncoefdata=\n"), std::string::npos);
        const auto q = parseNumbers(between(text, "coefdata=\n", ";"), ',');
        // Exactly the fixed-point model's words, at its power-of-two scale, the largest using the word.
        const core::QuantisedTaps model = core::quantiseTaps(taps, 12);
        ASSERT_EQ(q.size(), model.taps.size());
        double largest = 0;
        for (std::size_t k = 0; k < q.size(); ++k) {
            EXPECT_EQ(q[k], model.taps[k]) << "tap " << k;
            largest = std::max(largest, std::abs(q[k]));
        }
        EXPECT_GE(largest, 1024);
        EXPECT_LE(largest, 2048);
        EXPECT_NE(text.find("F = " + base::formatInteger(model.scale) + ";"), std::string::npos);
        EXPECT_EQ(text.back(), '\n');
        EXPECT_EQ(text[text.size() - 2], ';');
        break;
    }
    }
    // Every format that has room for comments says where the centre is and how the taps apply.
    if (format != CoefficientFormat::Csv && format != CoefficientFormat::Npy) {
        EXPECT_NE(text.find("centre tap, tap 0"), std::string::npos);
        EXPECT_NE(text.find("correlation"), std::string::npos);
        EXPECT_NE(text.find("tap +j weighs the sample j places LATER"), std::string::npos);
    }
    std::filesystem::remove(path);
}

INSTANTIATE_TEST_SUITE_P(EveryFormat, CoefficientRoundTrip,
                         ::testing::Values(RoundTripCase{"csv", ".csv", 0.8}, RoundTripCase{"text", ".txt", 0.8},
                                           RoundTripCase{"numpy", ".npy", 0.8}, RoundTripCase{"c_header", ".h", 0.8},
                                           RoundTripCase{"c_header_gain_above_one", ".h", 5.5},
                                           RoundTripCase{"coe", ".coe", 0.8},
                                           RoundTripCase{"coe_gain_above_one", ".COE", 5.5},
                                           RoundTripCase{"octave", ".m", 0.8},
                                           RoundTripCase{"unknown_extension_is_csv", ".out", 0.8}),
                         [](const auto &info) { return std::string(info.param.name); });

struct ArithmeticCase {
    const char *name;
    core::Rounding rounding;
    bool automaticShift;
    int lastTap; // taps beyond it are zero
    const char *roundingText;
    const char *latencyText;
};

class ArithmeticDescription : public ::testing::TestWithParam<ArithmeticCase> {};

// The hardware engineer reads in the file every choice the model made: the shift it used (the
// automatic one is the model's for the signal), the rounding, and how far ahead the taps look.
TEST_P(ArithmeticDescription, StatesWhatTheModelAssumed) {
    const ArithmeticCase &c = GetParam();
    auto state = std::make_unique<core::CoreState>();
    state->SignalHalfWidth = 30;
    state->FilterHalfWidth = 5;
    for (int i = -40; i <= 40; ++i)
        state->SignalBuffer[i] = std::sin(0.4 * i) * 1.3;
    for (int j = -5; j <= c.lastTap; ++j)
        state->FilterBuffer[j] = 0.3 / (1 + j * j);
    core::FixedPointFormat f{14, 1.5, 10, 18, c.rounding, c.automaticShift, 9};
    const CoefficientExport data = CoefficientExport::ofFilter(*state, 0.8, f);
    const int shift = c.automaticShift ? core::runFixedPoint(state->SignalBuffer.centre(), 30, data.taps, f).shift : 9;
    EXPECT_EQ(data.outputShift, shift);
    for (const char *extension : {".coe", ".h"}) {
        std::ostringstream out;
        writeCoefficients(out, data, coefficientFormatForFileName(std::string("f") + extension));
        const std::string text = out.str();
        EXPECT_NE(text.find("S = " + base::formatInteger(shift) + (c.automaticShift ? " (the smallest" : " (set by")),
                  std::string::npos)
            << extension;
        EXPECT_NE(text.find(c.roundingText), std::string::npos) << extension;
        EXPECT_NE(text.find(c.latencyText), std::string::npos) << extension;
        EXPECT_NE(text.find("input: 14-bit"), std::string::npos) << extension;
        EXPECT_NE(text.find("FS = 1.5 signal units"), std::string::npos) << extension;
        EXPECT_NE(text.find("output: 18-bit"), std::string::npos) << extension;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Choices, ArithmeticDescription,
    ::testing::Values(ArithmeticCase{"truncated_causal", core::Rounding::Truncate, true, 0,
                                     "truncation toward minus infinity",
                                     "last nonzero tap is +0, so output i needs input i + 0: 0 samples (0 us)"},
                      ArithmeticCase{"half_up_two_ahead", core::Rounding::HalfUp, false, 2, "round half up",
                                     "last nonzero tap is +2, so output i needs input i + 2: 2 samples (2.5 us)"},
                      ArithmeticCase{"convergent_whole", core::Rounding::HalfEven, true, 5, "round half to even",
                                     "+5, so output i needs input i + 5: 5 samples (6.25 us)"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(Quantisation, SnrFollowsTheSixDecibelsPerBitRule) {
    // Rounding to a step Δ leaves noise of power Δ²/12 per tap; for many taps the measured SNR
    // must sit within a decibel of 10 log10(Σh² / (N Δ²/12)).
    std::mt19937 random(7);
    std::uniform_real_distribution<double> uniform(-1.0, 1.0);
    std::vector<double> taps(2001);
    for (double &t : taps)
        t = uniform(random);
    double power = 0;
    for (double t : taps)
        power += t * t;
    for (int bits : {8, 12, 16, 24}) {
        const io::QuantisedTaps q = quantiseModel(taps, bits);
        const double step = 1.0 / q.scale;
        const double expected = 10 * std::log10(power / (static_cast<double>(taps.size()) * step * step / 12));
        ASSERT_TRUE(q.snrDb);
        EXPECT_NEAR(*q.snrDb, expected, 1.0) << bits << " bits";
        EXPECT_LE(q.maxError, 0.5 * step * (1 + 1e-12));
    }
    const io::QuantisedTaps zero = quantiseQ(std::vector<double>(5, 0.0), 15);
    EXPECT_FALSE(zero.snrDb);
    const io::QuantisedTaps exact = quantiseQ(std::vector<double>{0.5, -0.25}, 15);
    EXPECT_TRUE(exact.snrDb && std::isinf(*exact.snrDb));
}
