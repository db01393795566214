#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <numbers>
#include <span>
#include <string>
#include <vector>

#include "core/errors.h"
#include "core/filter_synthesis.h"
#include "core/spectra.h"
#include "core/spectrum_views.h"

using namespace pulsefir;

namespace {

constexpr double Fs = 0.8;  // MHz
constexpr double Dt = 1.25; // µs, 1 / Fs
constexpr double TruePi = std::numbers::pi;

std::span<const double> points(const SpectorArray &array, const SpectorResults &r) {
    return {array.data(), static_cast<std::size_t>(r.SpectorPointCount)};
}

template <typename Case> std::string caseName(const ::testing::TestParamInfo<Case> &info) {
    return info.param.name;
}

} // namespace

// ---- A delta at index d: pure delay d·Δt ------------------------------------------------------

struct DeltaCase {
    const char *name;
    int index;
    bool normalize;
    double low;  // MHz
    double high; // MHz
    int points;
};

class DeltaViewTest : public ::testing::TestWithParam<DeltaCase> {};

// The spectrum of a lone 1 at index d has phase π/2 - d·ω·Δt: its group delay is d·Δt at every
// grid point, its unwrapped phase a straight line of slope -d·Δt, its amplitude 0 dB throughout.
TEST_P(DeltaViewTest, DelayIsIndexTimesSpacing) {
    const auto &c = GetParam();
    auto state = std::make_unique<CoreState>();
    state->SignalHalfWidth = 1000;
    state->SignalBuffer[c.index] = 1.0;
    SpectorParameters p;
    p.NormalizeSignal = c.normalize;
    p.LowFrequency = c.low;
    p.HighFrequency = c.high;
    p.PointCount = c.points;
    CalcSpectors(*state, Fs, p);
    const auto &r = state->Spectra;
    const auto omega = points(r.OmegaBuffer, r);
    const auto unwrapped = UnwrapPhase(points(r.SignalPhaseBuffer, r));
    const auto delay = GroupDelay(omega, unwrapped);
    const auto db = AmplitudeDecibels(points(r.SignalAmplitudeBuffer, r));
    ASSERT_EQ(delay.size(), static_cast<std::size_t>(c.points));
    for (std::size_t k = 0; k < delay.size(); ++k) {
        ASSERT_NEAR(delay[k], c.index * Dt, 1e-8) << k;
        ASSERT_NEAR(unwrapped[k] - unwrapped[0], -c.index * Dt * (omega[k] - omega[0]), 1e-9) << k;
        ASSERT_NEAR(db[k], 0.0, 1e-12) << k;
    }
}

INSTANTIATE_TEST_SUITE_P(Deltas, DeltaViewTest,
                         ::testing::Values(DeltaCase{"at_centre_no_delay", 0, true, 0.01, 0.07, 400},
                                           DeltaCase{"at_37", 37, true, 0.01, 0.07, 400},
                                           DeltaCase{"ahead_of_time_zero_is_negative_delay", -250, false, 0.01, 0.07,
                                                     400},
                                           DeltaCase{"at_900_wraps_many_turns", 900, false, 0.01, 0.07, 400},
                                           DeltaCase{"downward_grid", 37, true, 0.07, 0.01, 400},
                                           DeltaCase{"two_points_one_sided_only", 5, true, 0.01, 0.07, 2},
                                           DeltaCase{"finest_grid", 600, true, 0.001, 0.4, 10001}),
                         caseName<DeltaCase>);

// ---- A signal and its echo: group delay known in closed form ------------------------------------

struct EchoCase {
    const char *name;
    int lag;     // samples between the pulse and its echo
    double gain; // echo amplitude relative to the pulse at index 0
};

class EchoDelayTest : public ::testing::TestWithParam<EchoCase> {};

// x = δ[0] + a·δ[m] has X(ω) = 1 + a·e^(-jωmΔt), whose group delay is
// mΔt·(a² + a·cos ωmΔt) / (1 + a² + 2a·cos ωmΔt). Central differences agree to O(Δω²) inside the
// grid, the one-sided ends to O(Δω).
TEST_P(EchoDelayTest, MatchesTheClosedForm) {
    const auto &c = GetParam();
    auto state = std::make_unique<CoreState>();
    state->SignalHalfWidth = 1000;
    state->SignalBuffer[0] = 1.0;
    state->SignalBuffer[c.lag] = c.gain;
    CalcSpectors(*state, Fs, SpectorParameters{});
    const auto &r = state->Spectra;
    const auto omega = points(r.OmegaBuffer, r);
    const auto delay = GroupDelay(omega, UnwrapPhase(points(r.SignalPhaseBuffer, r)));
    const double a = c.gain;
    const double t = c.lag * Dt;
    for (std::size_t k = 0; k < delay.size(); ++k) {
        const double cosine = std::cos(omega[k] * t);
        const double expected = t * (a * a + a * cosine) / (1 + a * a + 2 * a * cosine);
        const bool end = k == 0 || k + 1 == delay.size();
        ASSERT_NEAR(delay[k], expected, end ? 2e-2 * t : 1e-3 * t) << k;
    }
}

INSTANTIATE_TEST_SUITE_P(Echoes, EchoDelayTest,
                         ::testing::Values(EchoCase{"weak_echo_next_sample", 1, 0.6},
                                           EchoCase{"inverted_echo", 3, -0.5}, EchoCase{"late_echo", 20, 0.5}),
                         caseName<EchoCase>);

// ---- A symmetric window-method filter: no delay, phase jumps of π at its zeros -----------------

struct SymmetricCase {
    const char *name;
    int filterType;
    int winType;
};

class SymmetricFilterTest : public ::testing::TestWithParam<SymmetricCase> {};

// Taps symmetric about the centre tap 0 make the Fourier sum real: S = 0 and the phase
// atan2(C, S) is +π/2 or -π/2 by the sign of C. The group delay is 0 wherever C keeps its sign,
// and the phase jumps by π where C changes sign (a zero of the response).
TEST_P(SymmetricFilterTest, DelayIsZeroBetweenTheZerosOfTheResponse) {
    const auto &c = GetParam();
    auto state = std::make_unique<CoreState>();
    FilterSynthesisParameters f;
    f.FilterType = c.filterType;
    f.WinType = c.winType;
    SynthesizeFilter(*state, f, Fs);
    CalcSpectors(*state, Fs, SpectorParameters{});
    const auto &r = state->Spectra;
    const auto omega = points(r.OmegaBuffer, r);
    const auto unwrapped = UnwrapPhase(points(r.FilterPhaseBuffer, r));
    const auto delay = GroupDelay(omega, unwrapped);

    // The real part of the response, summed here independently in long double.
    const std::size_t n = omega.size();
    std::vector<int> sign(n);
    for (std::size_t k = 0; k < n; ++k) {
        long double sum = 0.0L;
        for (int j = -f.FilterHalfWidth; j <= f.FilterHalfWidth; ++j)
            sum += static_cast<long double>(state->FilterBuffer[j]) *
                   std::cos(static_cast<long double>(j) * omega[k] * Dt);
        sign[k] = sum > 0 ? 1 : -1;
    }
    int zeros = 0;
    int flat = 0;
    for (std::size_t k = 0; k < n; ++k) {
        const bool zeroBefore = k > 0 && sign[k - 1] != sign[k];
        const bool zeroAfter = k + 1 < n && sign[k + 1] != sign[k];
        if (zeroAfter) {
            ++zeros;
            ASSERT_NEAR(std::abs(unwrapped[k + 1] - unwrapped[k]), TruePi, 1e-6) << k;
        }
        if (!zeroBefore && !zeroAfter) {
            ++flat;
            ASSERT_NEAR(delay[k], 0.0, 1e-6) << k;
        }
    }
    EXPECT_GT(zeros, 2) << "the grid must reach the stop bands";
    EXPECT_GT(flat, static_cast<int>(n) / 2);
}

INSTANTIATE_TEST_SUITE_P(WindowMethod, SymmetricFilterTest,
                         ::testing::Values(SymmetricCase{"rectangular_no_window", Rectangular, None},
                                           SymmetricCase{"rectangular_hamming", Rectangular, Hamming},
                                           SymmetricCase{"linear_blackman", Linear, Blackman},
                                           SymmetricCase{"sin_hanning", Sin, Hanning}),
                         caseName<SymmetricCase>);

// ---- The three views on hand-made arrays --------------------------------------------------------

struct ArrayCase {
    const char *name;
    std::vector<double> input;
    std::vector<double> expected;
};

class DecibelTest : public ::testing::TestWithParam<ArrayCase> {};

TEST_P(DecibelTest, ReferredToTheLargestAmplitude) {
    const auto &c = GetParam();
    const auto db = AmplitudeDecibels(c.input);
    ASSERT_EQ(db.size(), c.expected.size());
    for (std::size_t k = 0; k < db.size(); ++k) {
        ASSERT_TRUE(std::isfinite(db[k])) << k;
        EXPECT_NEAR(db[k], c.expected[k], 1e-9) << k;
    }
}

// 20·log10(0.5) = -6.0205999132796; 20·log10(0.1) = -20.
INSTANTIATE_TEST_SUITE_P(
    Decibels, DecibelTest,
    ::testing::Values(ArrayCase{"normalised_peak_is_0_dB", {0.5, 1.0, 0.1}, {-6.0205999132796, 0.0, -20.0}},
                      ArrayCase{"raw_array_referred_to_its_own_peak", {4.0, 40.0, 0.4}, {-20.0, 0.0, -40.0}},
                      ArrayCase{"zero_amplitude_is_the_floor", {1.0, 0.0}, {0.0, -200.0}},
                      ArrayCase{"all_zero_is_the_floor_everywhere", {0.0, 0.0, 0.0}, {-200.0, -200.0, -200.0}},
                      ArrayCase{"below_the_floor_is_held_at_it", {1.0, 1e-12}, {0.0, -200.0}},
                      ArrayCase{"just_above_the_floor", {2.0, 2e-9}, {0.0, -180.0}}),
    caseName<ArrayCase>);

class UnwrapTest : public ::testing::TestWithParam<ArrayCase> {};

TEST_P(UnwrapTest, JumpsAbovePiAreTakenOut) {
    const auto &c = GetParam();
    const auto unwrapped = UnwrapPhase(c.input);
    ASSERT_EQ(unwrapped.size(), c.expected.size());
    for (std::size_t k = 0; k < unwrapped.size(); ++k)
        EXPECT_NEAR(unwrapped[k], c.expected[k], 1e-12) << k;
}

// A falling ramp -1.3·k rad wrapped into (-π, π] by hand: 0, -1.3, -2.6, -3.9 + 2π, -5.2 + 2π, ...
const std::vector<double> FallingRamp{
    0.0, -1.3, -2.6, 2.3831853071795862, 1.0831853071795862, -0.21681469282041377, -1.5168146928204138};

INSTANTIATE_TEST_SUITE_P(
    Phases, UnwrapTest,
    ::testing::Values(
        ArrayCase{"upward_through_pi", {3.0, -3.0, -2.9}, {3.0, -3.0 + 2 * TruePi, -2.9 + 2 * TruePi}},
        ArrayCase{"downward_through_minus_pi", {-3.0, 3.0, 2.9}, {-3.0, 3.0 - 2 * TruePi, 2.9 - 2 * TruePi}},
        ArrayCase{"falling_ramp_over_several_turns", FallingRamp, {0.0, -1.3, -2.6, -3.9, -5.2, -6.5, -7.8}},
        ArrayCase{
            "jump_of_exactly_pi_is_kept", {TruePi / 2, -TruePi / 2, TruePi / 2}, {TruePi / 2, -TruePi / 2, TruePi / 2}},
        ArrayCase{"jump_beyond_three_pi_takes_two_turns", {0.0, 10.0}, {0.0, 10.0 - 4 * TruePi}},
        ArrayCase{"smooth_phase_unchanged", {-1.0, -0.5, 0.25, 1.0}, {-1.0, -0.5, 0.25, 1.0}}),
    caseName<ArrayCase>);

struct StencilCase {
    const char *name;
    double first; // rad/µs
    double step;  // rad/µs
};

class GroupDelayStencilTest : public ::testing::TestWithParam<StencilCase> {};

// For φ = -c·ω²/2 the delay is c·ω; a central difference on an even grid is exact for a
// parabola, the one-sided ends give c times the mean of their two frequencies.
TEST_P(GroupDelayStencilTest, CentralInsideOneSidedAtTheEnds) {
    const auto &g = GetParam();
    constexpr double c = 40.0; // µs per rad/µs
    constexpr int n = 6;
    std::vector<double> omega(n), phase(n);
    for (int k = 0; k < n; ++k) {
        omega[k] = g.first + k * g.step;
        phase[k] = -c * omega[k] * omega[k] / 2;
    }
    const auto delay = GroupDelay(omega, phase);
    EXPECT_NEAR(delay[0], c * (omega[0] + omega[1]) / 2, 1e-9);
    for (int k = 1; k + 1 < n; ++k)
        EXPECT_NEAR(delay[k], c * omega[k], 1e-9) << k;
    EXPECT_NEAR(delay[n - 1], c * (omega[n - 2] + omega[n - 1]) / 2, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(Grids, GroupDelayStencilTest,
                         ::testing::Values(StencilCase{"upward", 0.0625, 0.03125},
                                           StencilCase{"downward", 0.4375, -0.0625}),
                         caseName<StencilCase>);

// ---- What the views refuse ------------------------------------------------------------------------

struct RefusalCase {
    const char *name;
    std::function<void()> call;
    const char *message;
};

class RefusalTest : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(RefusalTest, SaysWhy) {
    try {
        GetParam().call();
        FAIL() << "no error";
    } catch (const CoreError &error) {
        EXPECT_STREQ(error.what(), GetParam().message);
    }
}

const char *const TwoPointsMessage =
    "Для спектра в дБ, развернутой фазы и групповой задержки нужно не меньше двух точек";
const std::vector<double> One{1.0};
const std::vector<double> NoPoints{};
const std::vector<double> SameFrequency{0.25, 0.25, 0.25};
const std::vector<double> ThreePhases{0.1, 0.2, 0.3};

INSTANTIATE_TEST_SUITE_P(
    Views, RefusalTest,
    ::testing::Values(RefusalCase{"decibels_of_one_point", [] { AmplitudeDecibels(One); }, TwoPointsMessage},
                      RefusalCase{"unwrap_of_no_point", [] { UnwrapPhase(NoPoints); }, TwoPointsMessage},
                      RefusalCase{"delay_of_one_point", [] { GroupDelay(One, One); }, TwoPointsMessage},
                      RefusalCase{"delay_on_a_grid_of_one_frequency", [] { GroupDelay(SameFrequency, ThreePhases); },
                                  "Групповая задержка не определена: точки сетки лежат на одной частоте"}),
    caseName<RefusalCase>);
