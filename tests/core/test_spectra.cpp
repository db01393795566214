#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "core/dispatch.h"
#include "core/errors.h"
#include "core/signal_synthesis.h"
#include "core/spectra.h"

using namespace pulsefir;
using namespace pulsefir::core;

namespace {

constexpr double Fs = 0.8; // MHz

constexpr double dt() {
    return 1.0 / Fs; // µs
}
constexpr double HalfPi = 1.5707963267948966;

std::unique_ptr<CoreState> freshState() {
    auto state = std::make_unique<CoreState>();
    state->SignalHalfWidth = 1000;
    return state;
}

double wrapPhase(double phi) {
    while (phi > M_PI)
        phi -= 2 * M_PI;
    while (phi <= -M_PI)
        phi += 2 * M_PI;
    return phi;
}

} // namespace

TEST(SpectraTest, AllZeroBuffersGiveZeroAmplitudeAndPhase) {
    auto state = freshState();
    calcSpectors(*state, Fs, SpectorParameters{});
    const auto &r = state->Spectra;
    ASSERT_EQ(r.SpectorPointCount, 400);
    for (std::size_t k = 0; k < 400; ++k) {
        for (const auto *a : {&r.SignalAmplitudeBuffer, &r.FilterAmplitudeBuffer, &r.OutputAmplitudeBuffer})
            ASSERT_EQ((*a)[k], 0.0);
        for (const auto *p : {&r.SignalPhaseBuffer, &r.FilterPhaseBuffer, &r.OutputPhaseBuffer}) {
            ASSERT_EQ((*p)[k], 0.0);
            ASSERT_FALSE(std::signbit((*p)[k]));
        }
    }
}

struct DeltaCase {
    const char *name;
    int index;
    bool normalize;
};

void PrintTo(const DeltaCase &c, std::ostream *os) {
    *os << c.name;
}

class DeltaSpectrumTest : public ::testing::TestWithParam<DeltaCase> {};

// A single 1 at index d: amplitude 1 and phase pi/2 - d * omega * dt, wrapped, at every point.
TEST_P(DeltaSpectrumTest, AmplitudeOneAndLinearPhase) {
    const auto &c = GetParam();
    auto state = freshState();
    state->SignalBuffer[c.index] = 1.0;
    state->OutputBuffer[c.index] = 1.0;
    SpectorParameters p;
    p.NormalizeSignal = p.NormalizeOutput = c.normalize;
    calcSpectors(*state, Fs, p);
    const auto &r = state->Spectra;
    for (std::size_t k = 0; k < 400; ++k) {
        const double expected = wrapPhase(HalfPi - c.index * r.OmegaBuffer[k] / Fs);
        ASSERT_NEAR(r.SignalAmplitudeBuffer[k], 1.0, 1e-14) << k;
        ASSERT_NEAR(r.SignalPhaseBuffer[k], expected, 1e-9) << k;
        ASSERT_EQ(r.OutputPhaseBuffer[k], r.SignalPhaseBuffer[k]);
        if (c.index == 0) {
            ASSERT_EQ(r.SignalAmplitudeBuffer[k], 1.0);
            ASSERT_EQ(r.SignalPhaseBuffer[k], std::atan2(1.0, 0.0));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Deltas, DeltaSpectrumTest,
                         ::testing::Values(DeltaCase{"at_zero", 0, true}, DeltaCase{"at_zero_raw", 0, false},
                                           DeltaCase{"at_37", 37, true}, DeltaCase{"at_minus_900", -900, false}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(SpectraTest, TwoPointsAreTheTwoEndFrequencies) {
    auto state = freshState();
    SpectorParameters p;
    p.PointCount = 2;
    p.LowFrequency = 0.02;
    p.HighFrequency = 0.09;
    calcSpectors(*state, Fs, p);
    EXPECT_EQ(state->Spectra.OmegaBuffer[0], 6.28318 * 0.02);
    EXPECT_NEAR(state->Spectra.OmegaBuffer[1], 6.28318 * 0.09, 1e-16);
    EXPECT_NEAR(gridFrequency(state->Spectra.OmegaBuffer[1]), 0.09, 1e-15);
}

TEST(SpectraTest, OnePointLiesAtTheLowerFrequency) {
    auto state = freshState();
    loadSignal(*state, ToneBurstParameters{}, Fs);
    SpectorParameters p;
    p.PointCount = 1;
    calcSpectors(*state, Fs, p);
    EXPECT_EQ(state->Spectra.SpectorPointCount, 1);
    EXPECT_EQ(state->Spectra.OmegaBuffer[0], 6.28318 * 0.01);
    EXPECT_EQ(state->Spectra.SignalAmplitudeBuffer[0], 1.0) << "normalised by itself";
}

TEST(SpectraTest, MoreThanTheCapacityIsRefusedBeforeAnythingIsWritten) {
    auto state = freshState();
    calcSpectors(*state, Fs, SpectorParameters{});
    state->Spectra.OmegaBuffer[500] = 42.0;
    SpectorParameters p;
    p.PointCount = 10002;
    try {
        calcSpectors(*state, Fs, p);
        FAIL() << "no error";
    } catch (const base::Error &error) {
        EXPECT_STREQ(error.what(), "Количество точек не должно превышать 10001");
    }
    EXPECT_EQ(state->Spectra.SpectorPointCount, 400);
    EXPECT_EQ(state->Spectra.OmegaBuffer[500], 42.0);
    p.PointCount = 10001;
    EXPECT_NO_THROW(calcSpectors(*state, Fs, p));
    EXPECT_NEAR(state->Spectra.OmegaBuffer[10000], 6.28318 * 0.07, 1e-15);
}

TEST(SpectraTest, FilterHalfWidthZeroUsesTapZeroOnly) {
    auto state = freshState();
    state->FilterHalfWidth = 0;
    state->FilterBuffer[0] = -0.25;
    state->FilterBuffer[1] = 5.0;
    SpectorParameters p;
    p.NormalizeFilter = false;
    calcSpectors(*state, Fs, p);
    for (std::size_t k = 0; k < 400; ++k)
        ASSERT_EQ(state->Spectra.FilterAmplitudeBuffer[k], 0.25);
    p.NormalizeFilter = true;
    calcSpectors(*state, Fs, p);
    EXPECT_EQ(state->Spectra.FilterAmplitudeBuffer[7], 1.0);
}

TEST(SpectraTest, NormalisationUsesTheMaximumOfTheChosenRange) {
    auto state = freshState();
    loadSignal(*state, ToneBurstParameters{}, Fs);
    SpectorParameters raw;
    raw.NormalizeSignal = false;
    calcSpectors(*state, Fs, raw);
    double maximum = 0.0;
    std::vector<double> amplitudes(400);
    for (std::size_t k = 0; k < 400; ++k) {
        amplitudes[k] = state->Spectra.SignalAmplitudeBuffer[k];
        maximum = std::max(maximum, amplitudes[k]);
    }
    calcSpectors(*state, Fs, SpectorParameters{});
    for (std::size_t k = 0; k < 400; ++k)
        ASSERT_EQ(state->Spectra.SignalAmplitudeBuffer[k], amplitudes[k] / maximum);
    SpectorParameters upper;
    upper.LowFrequency = 0.06;
    upper.HighFrequency = 0.2;
    calcSpectors(*state, Fs, upper);
    double upperMax = 0.0;
    for (std::size_t k = 0; k < 400; ++k)
        upperMax = std::max(upperMax, state->Spectra.SignalAmplitudeBuffer[k]);
    EXPECT_EQ(upperMax, 1.0);
    EXPECT_LT(state->Spectra.SignalAmplitudeBuffer[399], 0.1) << "scaled by the range's own, smaller maximum";
}

TEST(SpectraTest, FewerPointsLeaveLaterEntriesAndADownwardGridIsValid) {
    auto state = freshState();
    loadSignal(*state, ToneBurstParameters{}, Fs);
    calcSpectors(*state, Fs, SpectorParameters{});
    const double old = state->Spectra.SignalAmplitudeBuffer[250];
    SpectorParameters p;
    p.PointCount = 100;
    p.LowFrequency = 0.07;
    p.HighFrequency = 0.01;
    calcSpectors(*state, Fs, p);
    EXPECT_EQ(state->Spectra.SpectorPointCount, 100);
    EXPECT_EQ(state->Spectra.SignalAmplitudeBuffer[250], old);
    EXPECT_GT(state->Spectra.OmegaBuffer[0], state->Spectra.OmegaBuffer[99]);
    EXPECT_NEAR(state->Spectra.OmegaBuffer[99], 6.28318 * 0.01, 1e-15);
}

TEST(SpectraTest, ZeroSamplingFrequencyIsADivisionByZero) {
    auto state = freshState();
    EXPECT_THROW(calcSpectors(*state, 0.0, SpectorParameters{}), FloatingPointError);
}

// The kernels' sums agree with sums over the C library's sines and cosines to 1e-9 of the largest
// amplitude, also at angles of 10^8 rad, and phases to 1e-9 rad where the amplitude is not tiny.
TEST(SpectraTest, SumsAgreeWithTheCLibrarySineAndCosine) {
    auto state = std::make_unique<CoreState>();
    state->SignalHalfWidth = 10000;
    loadSignal(*state, ToneBurstParameters{}, Fs);
    addNoise(*state, 0.04);
    const int n = 203;
    std::vector<double> omega(n);
    for (int k = 0; k < n; ++k)
        omega[static_cast<std::size_t>(k)] = 6.28318 * (0.01 + k * 50.0);
    std::vector<double> s1(n), c1(n), s2(n), c2(n);
    const double *x = state->SignalBuffer.centre();
    for (std::size_t k = 0; k < static_cast<std::size_t>(n); ++k)
        for (int i = -10000; i <= 10000; ++i) {
            const double theta = (i * omega[k]) * 1.25;
            s1[k] = s1[k] + x[i] * std::sin(theta);
            c1[k] = c1[k] + x[i] * std::cos(theta);
        }
    const FourierSource source{x, 10000, s2.data(), c2.data()};
    kernels().fourierSums(&source, 1, omega.data(), 1.25, 0, n - 1);
    double maximum = 0.0;
    for (int k = 0; k < n; ++k)
        maximum = std::max(maximum, std::hypot(s1[static_cast<std::size_t>(k)], c1[static_cast<std::size_t>(k)]));
    for (std::size_t k = 0; k < static_cast<std::size_t>(n); ++k) {
        const double a1 = std::hypot(s1[k], c1[k]);
        ASSERT_NEAR(std::hypot(s2[k], c2[k]), a1, 1e-9 * maximum) << k;
        if (a1 > 1e-3 * maximum) {
            ASSERT_NEAR(wrapPhase(std::atan2(c2[k], s2[k]) - std::atan2(c1[k], s1[k])), 0.0, 1e-9) << k;
        }
    }
}

// The group delay sums leave the seven arrays' bits as they are; without them the delays are gaps.
TEST(SpectraTest, DelaySumsLeaveAmplitudeAndPhaseBitForBit) {
    auto state = freshState();
    loadSignal(*state, ToneBurstParameters{}, Fs);
    addNoise(*state, 0.04);
    state->OutputBuffer[-17] = 0.5;
    SpectorParameters without;
    without.GroupDelays = false;
    calcSpectors(*state, Fs, without);
    const SpectorResults plain = state->Spectra;
    calcSpectors(*state, Fs, SpectorParameters{});
    const auto &r = state->Spectra;
    for (const auto array :
         {&SpectorResults::OmegaBuffer, &SpectorResults::SignalAmplitudeBuffer, &SpectorResults::SignalPhaseBuffer,
          &SpectorResults::OutputAmplitudeBuffer, &SpectorResults::OutputPhaseBuffer})
        for (std::size_t k = 0; k < 400; ++k)
            ASSERT_EQ(std::bit_cast<std::uint64_t>((r.*array)[k]), std::bit_cast<std::uint64_t>((plain.*array)[k]));
    for (std::size_t k = 0; k < 400; ++k) {
        ASSERT_TRUE(std::isnan(plain.SignalDelayBuffer[k]) && std::isnan(plain.OutputDelayBuffer[k]));
        ASSERT_NEAR(r.OutputDelayBuffer[k], -17 * dt(), 1e-12);
        ASSERT_TRUE(std::isnan(r.FilterDelayBuffer[k])) << "an all-zero filter has no delay: a gap, not 0/0";
    }
}

struct AliasCase {
    const char *name;
    double low, high; // MHz
    int points;
    bool above; // with 0.8 MHz sampling: half is 0.4 MHz
};

class AliasNoteTest : public ::testing::TestWithParam<AliasCase> {};

TEST_P(AliasNoteTest, GridAboveHalfTheSamplingFrequency) {
    const auto &c = GetParam();
    EXPECT_EQ(gridAboveHalfSampling(Fs, SpectorParameters{c.low, c.high, c.points}), c.above);
}

INSTANTIATE_TEST_SUITE_P(Grids, AliasNoteTest,
                         ::testing::Values(AliasCase{"defaults", 0.01, 0.07, 400, false},
                                           AliasCase{"upper_end_above", 0.01, 0.41, 400, true},
                                           AliasCase{"downward_grid_starts_above", 0.5, 0.01, 400, true},
                                           AliasCase{"one_point_is_the_lower_frequency", 0.01, 0.9, 1, false}),
                         [](const auto &info) { return std::string(info.param.name); });

// The group delay on every kernel path, bit for bit the portable one's: a lone sample at index d
// is delayed by d * dt; a burst moved 6000 samples (7500 µs) earlier, far beyond the 3325 µs
// that differences of the phase on the default grid could tell apart, by 7500 µs less wherever
// it has amplitude.
class GroupDelayPathTest : public ::testing::TestWithParam<InstructionSet> {};

TEST_P(GroupDelayPathTest, DelaysAreThePhysicalOnesAndTheScalarBits) {
    const KernelSet *set = kernelsFor(GetParam());
    if (set == nullptr)
        GTEST_SKIP() << "instruction set not available on this processor";
    constexpr int H = 10000, Shift = 6000, Delta = 9000; // samples
    auto burst = std::make_unique<CoreState>(), moved = std::make_unique<CoreState>();
    burst->SignalHalfWidth = moved->SignalHalfWidth = H;
    ToneBurstParameters b;
    b.Shift = 0.0;
    loadSignal(*burst, b, Fs);
    b.Shift = Shift * dt(); // the burst's own time is t = i dt + Shift: it starts 7500 µs earlier
    loadSignal(*moved, b, Fs);
    std::vector<double> delta(2 * H + 1);
    delta[H + Delta] = 1.0;
    const int n = 400;
    std::vector<double> omega(n);
    for (int k = 0; k < n; ++k)
        omega[static_cast<std::size_t>(k)] = 6.28318 * 0.01 + k * ((6.28318 * 0.07 - 6.28318 * 0.01) / (n - 1));
    // Delays and amplitudes of one source by one kernel set.
    auto delays = [&](const KernelSet &kernels, const double *x, std::vector<double> &amplitude) {
        std::vector<double> s(n), c(n), sm(n), cm(n), tau(n);
        const FourierSource source{x, H, s.data(), c.data(), sm.data(), cm.data()};
        kernels.fourierSums(&source, 1, omega.data(), dt(), 0, n - 1);
        for (std::size_t k = 0; k < tau.size(); ++k) {
            tau[k] = groupDelayAt(s[k], c[k], sm[k], cm[k], dt());
            amplitude.push_back(std::hypot(s[k], c[k]));
        }
        return tau;
    };
    const double *sources[] = {delta.data() + H, burst->SignalBuffer.centre(), moved->SignalBuffer.centre()};
    std::vector<double> tau[3], amplitude[3], unused;
    for (int m = 0; m < 3; ++m) {
        tau[m] = delays(*set, sources[m], amplitude[m]);
        const std::vector<double> reference = delays(*kernelsFor(InstructionSet::Scalar), sources[m], unused);
        for (std::size_t k = 0; k < tau[m].size(); ++k)
            ASSERT_EQ(std::bit_cast<std::uint64_t>(tau[m][k]), std::bit_cast<std::uint64_t>(reference[k])) << m << k;
    }
    const double largest = *std::max_element(amplitude[1].begin(), amplitude[1].end());
    int compared = 0;
    for (std::size_t k = 0; k < static_cast<std::size_t>(n); ++k) {
        ASSERT_NEAR(tau[0][k], Delta * dt(), 1e-13 * Delta * dt()) << k;
        if (amplitude[1][k] < 0.01 * largest)
            continue;
        ASSERT_NEAR(tau[2][k] - tau[1][k], -Shift * dt(), 1e-9 * Shift * dt()) << k;
        ++compared;
    }
    EXPECT_GT(compared, 20);
}

INSTANTIATE_TEST_SUITE_P(InstructionSets, GroupDelayPathTest,
                         ::testing::Values(InstructionSet::Scalar, InstructionSet::Avx2, InstructionSet::Avx512));

// The delay of a lone sample does not depend on its size: not where the squares of its sums
// are subnormal (1e-320), nor where their products with the index-weighted sums would pass the
// largest double (4e309) while the amplitude does not.
TEST(SpectraTest, DelayOfTinyAndHugeSamples) {
    for (const double value : {1e-160, 1e154}) {
        auto state = freshState();
        state->SignalBuffer[-40] = value;
        calcSpectors(*state, Fs, SpectorParameters{});
        for (std::size_t k = 0; k < 400; ++k)
            ASSERT_NEAR(state->Spectra.SignalDelayBuffer[k], -40 * dt(), 1e-12) << value << " at " << k;
    }
}
