#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/pulse_metrics.h"

using namespace pulsefir;
using namespace pulsefir::core;

namespace {

constexpr double FullPi = 3.14159265358979323846;

// One expected value of a metric, within an absolute tolerance; NAN expects no value.
struct Expected {
    std::optional<double> PulseMetrics::*field;
    const char *label;
    double value;
    double tolerance;
};

// Whether a span is expected cut by an end of the window.
struct ExpectedCut {
    bool PulseMetrics::*flag;
    const char *label;
    bool cut;
};

struct MetricsCase {
    std::string name;
    double samplingFrequency; // MHz
    int halfWidth;
    std::function<double(double t)> curve; // t in µs
    std::vector<Expected> expected;
    std::vector<ExpectedCut> cuts = {};
};

class PulseMetricsTest : public testing::TestWithParam<MetricsCase> {};

TEST_P(PulseMetricsTest, KnownAnswers) {
    const MetricsCase &c = GetParam();
    auto state = std::make_unique<CoreState>();
    for (int i = -c.halfWidth; i <= c.halfWidth; ++i)
        state->SignalBuffer[i] = c.curve(i / c.samplingFrequency);
    // Samples outside the window must not count.
    state->SignalBuffer[c.halfWidth + 1] = 1e6;
    const PulseMetrics m = measurePulse(state->SignalBuffer, c.halfWidth, c.samplingFrequency);
    for (const Expected &e : c.expected) {
        const std::optional<double> &actual = m.*(e.field);
        if (std::isnan(e.value)) {
            EXPECT_FALSE(actual.has_value()) << e.label << " = " << actual.value_or(0);
        } else {
            ASSERT_TRUE(actual.has_value()) << e.label;
            EXPECT_NEAR(*actual, e.value, e.tolerance) << e.label;
        }
    }
    for (const ExpectedCut &e : c.cuts)
        EXPECT_EQ(m.*(e.flag), e.cut) << e.label;
    EXPECT_FALSE(m.NoiseGainDb.has_value()) << "a signal has no noise gain";
}

using M = PulseMetrics;

// No span of the pulse reaches an end of the window.
const std::vector<ExpectedCut> NoneCut = {{&M::Width6dBCut, "-6 dB width cut", false},
                                          {&M::RingDown20dBCut, "ring-down -20 dB cut", false},
                                          {&M::RingDown40dBCut, "ring-down -40 dB cut", false},
                                          {&M::Duration20dBCut, "-20 dB duration cut", false}};

// A Gaussian envelope of standard deviation sigma on a carrier f0: envelope e = exp(-t^2 / 2
// sigma^2), so e >= 1/2 for |t| <= sigma sqrt(2 ln 2) and e >= 1/10 for |t| <= sigma sqrt(2 ln 10);
// its amplitude spectrum is a Gaussian of standard deviation 1 / (2 pi sigma) around f0.
constexpr double Sigma = 5.0; // µs
constexpr double F0 = 2.0;    // MHz
constexpr double T0 = 20.0;   // µs, centre of the pulse
const double GaussWidth6 = 2 * Sigma * std::sqrt(2 * std::log(2.0));
const double GaussDuration20 = 2 * Sigma * std::sqrt(2 * std::log(10.0));
const double GaussBand = 2 * std::sqrt(2 * std::log(2.0)) / (2 * FullPi * Sigma); // MHz, -6 dB

double gaussTone(double t) {
    const double u = t - T0;
    return std::exp(-u * u / (2 * Sigma * Sigma)) * std::cos(2 * FullPi * F0 * u);
}

// A tone whose envelope rises smoothly to its peak at t = 0 and then decays with time constant
// tau: e = exp(-t / tau), so it falls to 1/10 after ln(10) tau and to 1/100 after ln(100) tau.
constexpr double Tau = 10.0; // µs
constexpr double Rise = 2.0; // µs, standard deviation of the Gaussian rise
double decayingTone(double t) {
    const double envelope = t < 0 ? std::exp(-t * t / (2 * Rise * Rise)) : std::exp(-t / Tau);
    return envelope * std::sin(2 * FullPi * F0 * t);
}

// The Gaussian pulse followed, 60 µs later, by an echo of a tenth of its amplitude: -20 dB.
double pulseAndEcho(double t) {
    return gaussTone(t) + 0.1 * gaussTone(t - 60.0);
}

INSTANTIATE_TEST_SUITE_P(
    Curves, PulseMetricsTest,
    testing::Values(MetricsCase{"GaussianPulse",
                                20.0,
                                4000,
                                gaussTone,
                                {{&M::Peak, "peak", 1.0, 1e-6},
                                 {&M::PeakTime, "peak time", T0, 0.05},
                                 {&M::Width6dB, "-6 dB width", GaussWidth6, 0.01},
                                 {&M::Duration20dB, "-20 dB duration", GaussDuration20, 0.01},
                                 {&M::RingDown20dB, "ring-down -20 dB", GaussDuration20 / 2, 0.01},
                                 {&M::PeakFrequency, "peak frequency", F0, 1e-3},
                                 {&M::CentreFrequency, "centre frequency", F0, 1e-3},
                                 {&M::Bandwidth6dBPercent, "bandwidth", GaussBand / F0 * 100, 0.05},
                                 {&M::LowerFrequency, "lower -6 dB frequency", F0 - GaussBand / 2, 1e-3},
                                 {&M::UpperFrequency, "upper -6 dB frequency", F0 + GaussBand / 2, 1e-3}},
                                NoneCut},
                    MetricsCase{"ExponentialDecay",
                                20.0,
                                4000,
                                decayingTone,
                                // Within two samples: the kink of the envelope at its peak blurs the peak's position.
                                {{&M::PeakTime, "peak time", 0.0, 0.1},
                                 {&M::RingDown20dB, "ring-down -20 dB", std::log(10.0) * Tau, 0.1},
                                 {&M::RingDown40dB, "ring-down -40 dB", std::log(100.0) * Tau, 0.1},
                                 {&M::PeakFrequency, "peak frequency", F0, 0.01}}},
                    // The same decay cut off by the window's end (30 µs, -26 dB) before it falls to -40 dB:
                    // its -40 dB ring-down is measured to the end, 30 µs from the peak, and flagged.
                    MetricsCase{"RingDownPastTheWindow",
                                20.0,
                                600,
                                decayingTone,
                                {{&M::RingDown20dB, "ring-down -20 dB", std::log(10.0) * Tau, 0.1},
                                 {&M::RingDown40dB, "ring-down -40 dB", 30.0, 0.1}},
                                {{&M::RingDown20dBCut, "ring-down -20 dB cut", false},
                                 {&M::RingDown40dBCut, "ring-down -40 dB cut", true},
                                 {&M::Duration20dBCut, "-20 dB duration cut", false}}},
                    // The Gaussian pulse with its peak on the window's last sample (20 µs): only the
                    // half before the peak is inside, and each span is that half, within the few
                    // per cent by which the envelope of a curve cut off sharply bends near the cut.
                    MetricsCase{"PeakOnTheLastSample",
                                20.0,
                                400,
                                gaussTone,
                                {{&M::PeakTime, "peak time", T0, 0.1},
                                 {&M::Width6dB, "-6 dB width", GaussWidth6 / 2, 0.3},
                                 {&M::Duration20dB, "-20 dB duration", GaussDuration20 / 2, 0.3},
                                 {&M::RingDown20dB, "ring-down -20 dB", 0.0, 0.1}},
                                {{&M::Width6dBCut, "-6 dB width cut", true},
                                 {&M::RingDown20dBCut, "ring-down -20 dB cut", true},
                                 {&M::RingDown40dBCut, "ring-down -40 dB cut", true},
                                 {&M::Duration20dBCut, "-20 dB duration cut", true}}},
                    // Its peak on the first sample (-20 µs): the spans reach the window's start.
                    MetricsCase{"PeakOnTheFirstSample",
                                20.0,
                                400,
                                [](double t) { return gaussTone(t + 2 * T0); },
                                {{&M::PeakTime, "peak time", -T0, 0.1},
                                 {&M::Width6dB, "-6 dB width", GaussWidth6 / 2, 0.3},
                                 {&M::Duration20dB, "-20 dB duration", GaussDuration20 / 2, 0.3},
                                 {&M::RingDown20dB, "ring-down -20 dB", GaussDuration20 / 2, 0.3}},
                                {{&M::Width6dBCut, "-6 dB width cut", true},
                                 {&M::RingDown20dBCut, "ring-down -20 dB cut", false},
                                 {&M::RingDown40dBCut, "ring-down -40 dB cut", false},
                                 {&M::Duration20dBCut, "-20 dB duration cut", true}}},
                    MetricsCase{"EchoAtMinus20dB",
                                20.0,
                                4000,
                                pulseAndEcho,
                                {{&M::SideLevelDb, "side level", -20.0, 0.05},
                                 {&M::PeakTime, "peak time", T0, 0.05},
                                 {&M::Width6dB, "-6 dB width", GaussWidth6, 0.01}}},
                    MetricsCase{"FlatZero",
                                0.8,
                                1000,
                                [](double) { return 0.0; },
                                {{&M::Peak, "peak", NAN, 0},
                                 {&M::PeakTime, "peak time", NAN, 0},
                                 {&M::Width6dB, "-6 dB width", NAN, 0},
                                 {&M::RingDown20dB, "ring-down -20 dB", NAN, 0},
                                 {&M::SideLevelDb, "side level", NAN, 0},
                                 {&M::Duration20dB, "-20 dB duration", NAN, 0},
                                 {&M::PeakFrequency, "peak frequency", NAN, 0},
                                 {&M::CentreFrequency, "centre frequency", NAN, 0},
                                 {&M::Bandwidth6dBPercent, "bandwidth", NAN, 0}},
                                NoneCut}),
    [](const auto &info) { return info.param.name; });

// A narrow-band tone: its spectrum has no negative-frequency part worth the name, so the
// envelope is the Gaussian itself at every sample.
TEST(PulseEnvelopeTest, EnvelopeOfAGaussianToneIsTheGaussian) {
    auto state = std::make_unique<CoreState>();
    const int half = 4000;
    const double fs = 20.0; // MHz
    for (int i = -half; i <= half; ++i)
        state->SignalBuffer[i] = 0.7 * gaussTone(i / fs);
    std::vector<double> e(2 * half + 1);
    pulseEnvelope(state->SignalBuffer, half, e.data());
    for (int i = -half; i <= half; ++i) {
        const double u = i / fs - T0;
        ASSERT_NEAR(e[static_cast<std::size_t>(i + half)], 0.7 * std::exp(-u * u / (2 * Sigma * Sigma)), 1e-9) << i;
    }
}

// The filter's taps as a pulse at the signal's spacing, with the power white noise has after it.
struct FilterCase {
    std::string name;
    int halfWidth;
    std::vector<std::pair<int, double>> taps; // index, value; the rest 0
    double noiseGainDb;                       // NAN: none
};

class FilterMetricsTest : public testing::TestWithParam<FilterCase> {};

TEST_P(FilterMetricsTest, NoiseGainIsTheSumOfSquaredTapsInDecibels) {
    const FilterCase &c = GetParam();
    auto state = std::make_unique<CoreState>();
    for (const auto &[index, value] : c.taps)
        state->FilterBuffer[index] = value;
    const PulseMetrics m = measureFilter(state->FilterBuffer, c.halfWidth, 0.8);
    if (std::isnan(c.noiseGainDb)) {
        EXPECT_FALSE(m.NoiseGainDb.has_value());
        return;
    }
    ASSERT_TRUE(m.NoiseGainDb.has_value());
    EXPECT_NEAR(*m.NoiseGainDb, c.noiseGainDb, 1e-12);
}

// 10 lg 0.5 = -3.0103; 10 lg 4 = 6.0206; 10 lg (9 + 16) = 13.9794.
INSTANTIATE_TEST_SUITE_P(Filters, FilterMetricsTest,
                         testing::Values(FilterCase{"LoneUnitTapKeepsTheNoise", 10, {{0, 1.0}}, 0.0},
                                         FilterCase{"TwoHalvesHalveIt", 10, {{-1, 0.5}, {1, 0.5}}, -3.0102999566398120},
                                         FilterCase{"GainOfTwoQuadruplesIt", 0, {{0, -2.0}}, 6.0205999132796239},
                                         FilterCase{"TapsBeyondTheHalfWidthDoNotCount",
                                                    3,
                                                    {{-3, 3.0}, {3, 4.0}, {4, 100.0}},
                                                    13.979400086720377},
                                         FilterCase{"AllZeroHasNone", 100, {}, NAN}),
                         [](const auto &info) { return info.param.name; });

} // namespace
