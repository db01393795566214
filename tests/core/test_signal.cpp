#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "core/errors.h"
#include "core/signal_synthesis.h"

using namespace pulsefir;
using namespace pulsefir::core;

namespace {

constexpr double DefaultSamplingFrequency = 0.8; // MHz

std::unique_ptr<CoreState> stateWithHalfWidth(int n) {
    auto state = std::make_unique<CoreState>();
    state->SignalHalfWidth = n;
    return state;
}

struct BurstSample {
    const char *name;
    int index;
    double value;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const BurstSample &c, std::ostream *os) {
    *os << c.name;
}

class DefaultBurstTest : public ::testing::TestWithParam<BurstSample> {};

} // namespace

// Values of the default burst (F = 0.8 MHz, N = 1000) to six significant digits.
TEST_P(DefaultBurstTest, SampleMatchesReference) {
    auto state = stateWithHalfWidth(1000);
    loadSignal(*state, ToneBurstParameters{}, DefaultSamplingFrequency);
    const auto [name, index, value] = GetParam();
    const double actual = state->SignalBuffer[index];
    if (value == 0.0)
        EXPECT_EQ(actual, 0.0) << name;
    else
        EXPECT_NEAR(actual, value, std::abs(value) * 5e-6) << name;
}

INSTANTIATE_TEST_SUITE_P(
    Reference, DefaultBurstTest,
    ::testing::Values(BurstSample{"before the burst start", -61, 0.0},
                      BurstSample{"burst start has zero envelope", -60, 0.0},
                      BurstSample{"first rise sample", -59, -0.00299391},
                      BurstSample{"time zero, carrier slightly off its zero", 0, 8.22854e-06},
                      BurstSample{"after time zero", 1, -0.149386}, BurstSample{"last rise sample", 579, 0.427733},
                      BurstSample{"first decay sample starts from the last rise envelope", 580, 0.000236786},
                      BurstSample{"second decay sample", 581, -0.424325},
                      BurstSample{"end of range", 1000, 2.11569e-05}),
    [](const auto &info) { return "index_" + std::to_string(info.param.index + 1000); });

TEST(SignalSynthesisTest, EveryEarlySampleIsZeroAndNothingBeyondTheHalfWidthIsWritten) {
    auto state = stateWithHalfWidth(1000);
    loadSignal(*state, ToneBurstParameters{}, DefaultSamplingFrequency);
    for (int i = -10000; i <= -60; ++i)
        ASSERT_EQ(state->SignalBuffer[i], 0.0) << i;
    for (int i = 1001; i <= 10000; ++i)
        ASSERT_EQ(state->SignalBuffer[i], 0.0) << i;
}

TEST(SignalSynthesisTest, TwoAddsDoubleEverySampleAndLoadGivesOneBurstAgain) {
    auto state = stateWithHalfWidth(1000);
    loadSignal(*state, ToneBurstParameters{}, DefaultSamplingFrequency);
    auto single = std::make_unique<SignalArray>(state->SignalBuffer);
    addSignal(*state, ToneBurstParameters{}, DefaultSamplingFrequency);
    for (int i = -1000; i <= 1000; ++i)
        ASSERT_EQ(state->SignalBuffer[i], 2.0 * (*single)[i]) << i;
    loadSignal(*state, ToneBurstParameters{}, DefaultSamplingFrequency);
    for (int i = -1000; i <= 1000; ++i)
        ASSERT_EQ(state->SignalBuffer[i], (*single)[i]) << i;
}

TEST(SignalSynthesisTest, LoadZeroesSamplesWrittenEarlierWithALargerHalfWidth) {
    auto state = stateWithHalfWidth(2000);
    ToneBurstParameters burst;
    loadSignal(*state, burst, DefaultSamplingFrequency);
    ASSERT_NE(state->SignalBuffer[1500], 0.0);
    state->SignalHalfWidth = 500;
    loadSignal(*state, burst, DefaultSamplingFrequency);
    for (int i = 501; i <= 2000; ++i) {
        ASSERT_EQ(state->SignalBuffer[i], 0.0) << i;
        ASSERT_EQ(state->SignalBuffer[-i], 0.0) << -i;
    }
}

TEST(SignalSynthesisTest, ShrinkingTheHalfWidthKeepsSamplesBeyondIt) {
    auto state = stateWithHalfWidth(2000);
    ToneBurstParameters burst;
    loadSignal(*state, burst, DefaultSamplingFrequency);
    const double far = state->SignalBuffer[1500];
    state->SignalHalfWidth = 500;
    addSignal(*state, burst, DefaultSamplingFrequency);
    EXPECT_EQ(state->SignalBuffer[1500], far) << "an add over a smaller range leaves the rest";
}

TEST(SignalSynthesisTest, EchoIsTheSumOfTwoShiftedBursts) {
    auto state = stateWithHalfWidth(1000);
    ToneBurstParameters first;
    ToneBurstParameters echo;
    echo.Shift = -200.0;
    loadSignal(*state, echo, DefaultSamplingFrequency);
    auto echoOnly = std::make_unique<SignalArray>(state->SignalBuffer);
    loadSignal(*state, first, DefaultSamplingFrequency);
    auto firstOnly = std::make_unique<SignalArray>(state->SignalBuffer);
    addSignal(*state, echo, DefaultSamplingFrequency);
    for (int i = -1000; i <= 1000; ++i)
        ASSERT_EQ(state->SignalBuffer[i], (*firstOnly)[i] + (*echoOnly)[i]) << i;
    // The echo starts at time 200 µs, sample 200 / 1.25 = 160, with a zero envelope there.
    EXPECT_EQ((*echoOnly)[159], 0.0);
    EXPECT_NE((*echoOnly)[161], 0.0);
}

TEST(SignalSynthesisTest, ShiftPuttingEverySampleBeforeTheStartLeavesTheBuffer) {
    auto state = stateWithHalfWidth(1000);
    state->SignalBuffer[3] = 0.25;
    ToneBurstParameters burst;
    burst.Shift = -10000.0;
    addSignal(*state, burst, DefaultSamplingFrequency);
    for (int i = -1000; i <= 1000; ++i)
        ASSERT_EQ(state->SignalBuffer[i], i == 3 ? 0.25 : 0.0);
}

struct UnsetDecayCase {
    const char *name;
    double shift;
    double excitationTime;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const UnsetDecayCase &c, std::ostream *os) {
    *os << c.name;
}

class UnsetDecayLevelTest : public ::testing::TestWithParam<UnsetDecayCase> {};

// Without a rise sample the decay starts from the continuous level A(1 - exp(-T/tau)).
TEST_P(UnsetDecayLevelTest, DecayStartsFromTheContinuousLevelAndStaysFinite) {
    auto state = stateWithHalfWidth(1000);
    ToneBurstParameters burst;
    burst.Shift = GetParam().shift;
    burst.ExcitationTime = GetParam().excitationTime;
    loadSignal(*state, burst, DefaultSamplingFrequency);
    const double dt = 1.0 / DefaultSamplingFrequency;
    const double r = 1.0 / burst.FrontTimeConstant;
    const double level = burst.Amplitude * (1.0 - std::exp(-r * burst.ExcitationTime));
    for (int i : {-1000, -999, 0, 1000}) {
        const double t = i * dt + burst.Shift;
        if (t < burst.ExcitationTime)
            continue;
        const double expected = level * std::exp(-r * (t - burst.ExcitationTime)) *
                                std::cos(burst.Frequency * 6.28318 * t + 90.0 * 3.14159 / 180.0);
        EXPECT_NEAR(state->SignalBuffer[i], expected, 1e-12) << GetParam().name << " at " << i;
    }
    for (int i = -1000; i <= 1000; ++i)
        ASSERT_TRUE(std::isfinite(state->SignalBuffer[i]));
}

INSTANTIATE_TEST_SUITE_P(Cases, UnsetDecayLevelTest,
                         ::testing::Values(UnsetDecayCase{"rise_before_range", 10000.0, 800.0},
                                           UnsetDecayCase{"zero_excitation", 75.0, 0.0},
                                           UnsetDecayCase{"rise_between_two_samples", 75.5, 0.5}),
                         [](const auto &info) { return std::string(info.param.name); });

struct ZeroDivisorCase {
    const char *name;
    double samplingFrequency;
    double frontTimeConstant;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const ZeroDivisorCase &c, std::ostream *os) {
    *os << c.name;
}

class ZeroDivisorTest : public ::testing::TestWithParam<ZeroDivisorCase> {};

TEST_P(ZeroDivisorTest, AddSignalFailsBeforeWritingAnySample) {
    auto state = stateWithHalfWidth(1000);
    for (int i = -1000; i <= 1000; ++i)
        state->SignalBuffer[i] = 0.001 * i;
    ToneBurstParameters burst;
    burst.FrontTimeConstant = GetParam().frontTimeConstant;
    try {
        addSignal(*state, burst, GetParam().samplingFrequency);
        FAIL() << "no error";
    } catch (const FloatingPointError &error) {
        EXPECT_EQ(error.fault(), FloatingPointFault::DivisionByZero);
        EXPECT_STREQ(error.what(), "Floating point division by zero");
    }
    for (int i = -1000; i <= 1000; ++i)
        ASSERT_EQ(state->SignalBuffer[i], 0.001 * i);
}

INSTANTIATE_TEST_SUITE_P(Cases, ZeroDivisorTest,
                         ::testing::Values(ZeroDivisorCase{"sampling_frequency", 0.0, 180.0},
                                           ZeroDivisorCase{"time_constant", 0.8, 0.0}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(SignalSynthesisTest, LoadWithZeroSamplingFrequencyHasClearedTheBuffer) {
    auto state = stateWithHalfWidth(1000);
    state->SignalBuffer[5] = 1.0;
    EXPECT_THROW(loadSignal(*state, ToneBurstParameters{}, 0.0), FloatingPointError);
    EXPECT_EQ(state->SignalBuffer[5], 0.0);
}

TEST(SignalSynthesisTest, HalfWidthAboveTheBoundIsHeldAtTheBound) {
    auto state = stateWithHalfWidth(20000);
    ToneBurstParameters burst;
    burst.Shift = 20000.0;
    burst.ExcitationTime = 100000.0;
    loadSignal(*state, burst, DefaultSamplingFrequency);
    EXPECT_NE(state->SignalBuffer[10000], 0.0);
    EXPECT_NE(state->SignalBuffer[-10000], 0.0);
}

TEST(NoiseTest, FirstNoiseAfterStartUsesTheFirstDraws) {
    auto state = stateWithHalfWidth(1000);
    addNoise(*state, 0.04);
    EXPECT_DOUBLE_EQ(state->SignalBuffer[-1000], -0.04);           // first draw 0
    EXPECT_DOUBLE_EQ(state->SignalBuffer[-999], -0.03752);         // second draw 31
    EXPECT_DOUBLE_EQ(state->SignalBuffer[-998], 0.04 * 361 / 500); // third draw 861
    EXPECT_EQ(state->SignalBuffer[1001], 0.0);
}

TEST(NoiseTest, NoiseLevelsLieOnAThousandStepsFromMinusAToJustBelowA) {
    auto state = stateWithHalfWidth(10000);
    const double a = 0.5;
    addNoise(*state, a);
    double lowest = 1.0;
    double highest = -1.0;
    for (int i = -10000; i <= 10000; ++i) {
        const double v = state->SignalBuffer[i];
        const double level = v * 500.0 / a + 500.0;
        ASSERT_NEAR(level, std::round(level), 1e-9);
        lowest = std::min(lowest, v);
        highest = std::max(highest, v);
    }
    EXPECT_GE(lowest, -a);
    EXPECT_LE(highest, 0.998 * a + 1e-15);
}

TEST(NoiseTest, ZeroAmplitudeLeavesTheBufferButAdvancesTheGenerator) {
    auto state = stateWithHalfWidth(2);
    state->SignalBuffer[0] = 0.75;
    addNoise(*state, 0.0);
    for (int i = -2; i <= 2; ++i)
        EXPECT_EQ(state->SignalBuffer[i], i == 0 ? 0.75 : 0.0);
    EXPECT_EQ(state->nextRandom(1000), 671) << "five draws were taken, one per sample";
}
