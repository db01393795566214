#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <span>
#include <vector>

#include "core/errors.h"
#include "core/filter_synthesis.h"
#include "core/spectra.h"
#include "core/spectrum_views.h"

using namespace pulsefir;
using namespace pulsefir::core;

namespace {

constexpr double Fs = 0.8;  // MHz
constexpr double Dt = 1.25; // µs, 1 / Fs
constexpr double TruePi = std::numbers::pi;

std::span<const double> points(const SpectorArray &array, const SpectorResults &r) {
    return {array.data(), static_cast<std::size_t>(r.SpectorPointCount)};
}

} // namespace

struct DeltaViewCase {
    const char *name;
    int index;
    double low, high; // MHz
    int points;
    int halfWidth = 1000;
};

class DeltaViewTest : public ::testing::TestWithParam<DeltaViewCase> {};

// A lone 1 at index d has phase π/2 - d·ω·Δt: group delay d·Δt at every grid point, however far
// beyond the 1/(2Δf) that a difference of neighbouring phases could tell apart, unwrapped phase
// a straight line of slope -d·Δt, amplitude 0 dB throughout.
TEST_P(DeltaViewTest, DelayIsIndexTimesSpacing) {
    const auto &c = GetParam();
    auto state = std::make_unique<CoreState>();
    state->SignalHalfWidth = c.halfWidth;
    state->SignalBuffer[c.index] = 1.0;
    calcSpectors(*state, Fs, SpectorParameters{c.low, c.high, c.points, false, true, true});
    const auto &r = state->Spectra;
    const auto omega = points(r.OmegaBuffer, r);
    const auto unwrapped = unwrapPhase(points(r.SignalPhaseBuffer, r));
    const auto delay = points(r.SignalDelayBuffer, r);
    const auto db = amplitudeDecibels(points(r.SignalAmplitudeBuffer, r));
    const double expected = c.index * Dt; // µs
    // The unwrapped phase follows the line only while one grid step turns it by less than π;
    // the delay does not depend on the step.
    const bool unwrapFollows = omega.size() < 2 || std::abs(expected * (omega[1] - omega[0])) < TruePi;
    for (std::size_t k = 0; k < omega.size(); ++k) {
        ASSERT_NEAR(delay[k], expected, 1e-13 * std::abs(expected)) << k;
        if (unwrapFollows) {
            ASSERT_NEAR(unwrapped[k] - unwrapped[0], -c.index * Dt * (omega[k] - omega[0]),
                        1e-9 * (1 + std::abs(expected)))
                << k;
        }
        ASSERT_NEAR(db[k], 0.0, 1e-12) << k;
    }
}

// The default grid's 1/(2Δf) is 3325 µs (2660 samples at 0.8 MHz); the buffer reaches 12 500 µs.
INSTANTIATE_TEST_SUITE_P(Deltas, DeltaViewTest,
                         ::testing::Values(DeltaViewCase{"at_centre_no_delay", 0, 0.01, 0.07, 400},
                                           DeltaViewCase{"ahead_of_time_zero", -250, 0.01, 0.07, 400},
                                           DeltaViewCase{"many_turns", 900, 0.01, 0.07, 400},
                                           DeltaViewCase{"downward_grid", 37, 0.07, 0.01, 400},
                                           DeltaViewCase{"two_points", 5, 0.01, 0.07, 2},
                                           DeltaViewCase{"one_point", -7, 0.03, 0.07, 1},
                                           DeltaViewCase{"finest_grid", 600, 0.001, 0.4, 10001},
                                           DeltaViewCase{"far_before_time_zero", -10000, 0.01, 0.07, 400, 10000}),
                         [](const auto &info) { return std::string(info.param.name); });

class SymmetricFilterTest : public ::testing::TestWithParam<int> {};

// Taps symmetric about tap 0 make the sum real: its exact delay is 0 at every frequency where it
// is not 0. The delay is a gap exactly where the amplitude lies below -40 dB of its largest,
// which takes in the zeros of the response (where the ±π/2 phase changes sign), and 0 elsewhere,
// right beside the zeros too.
TEST_P(SymmetricFilterTest, DelayIsZeroBetweenTheZerosAndAGapAtThem) {
    auto state = std::make_unique<CoreState>();
    FilterSynthesisParameters f;
    f.WinType = GetParam();
    synthesizeFilter(*state, f, Fs);
    calcSpectors(*state, Fs, SpectorParameters{});
    const auto &r = state->Spectra;
    const auto amplitude = points(r.FilterAmplitudeBuffer, r); // normalised: largest 1
    const auto phase = points(r.FilterPhaseBuffer, r);
    const auto delay = points(r.FilterDelayBuffer, r);
    int gaps = 0, zeros = 0, besideZeros = 0;
    for (std::size_t k = 0; k < delay.size(); ++k) {
        const bool zeroAfter = k + 1 < delay.size() && (phase[k + 1] > 0) != (phase[k] > 0);
        const bool zeroBefore = k > 0 && (phase[k - 1] > 0) != (phase[k] > 0);
        zeros += zeroAfter ? 1 : 0;
        if (amplitude[k] < 0.01) {
            ++gaps;
            ASSERT_TRUE(std::isnan(delay[k])) << k << ": " << delay[k];
        } else {
            ASSERT_NEAR(delay[k], 0.0, 1e-9) << k;
            besideZeros += zeroAfter || zeroBefore ? 1 : 0;
        }
    }
    EXPECT_GT(zeros, 2) << "the grid reaches the stop bands";
    EXPECT_GT(gaps, 0);
    EXPECT_GT(besideZeros, 0) << "points beside a zero, where a difference of phases spiked";
}

INSTANTIATE_TEST_SUITE_P(WindowMethod, SymmetricFilterTest,
                         ::testing::Values(static_cast<int>(WinTypeIndex::None),
                                           static_cast<int>(WinTypeIndex::Hamming),
                                           static_cast<int>(WinTypeIndex::Blackman)));

struct ArrayCase {
    const char *name;
    std::vector<double> (*view)(std::span<const double>);
    std::vector<double> input, expected;
};

class ViewTableTest : public ::testing::TestWithParam<ArrayCase> {};

TEST_P(ViewTableTest, GivesTheExpectedValues) {
    const auto result = GetParam().view(GetParam().input);
    ASSERT_EQ(result.size(), GetParam().expected.size());
    for (std::size_t k = 0; k < result.size(); ++k)
        EXPECT_NEAR(result[k], GetParam().expected[k], 1e-9) << k;
}

// 20·log10(0.5) = -6.0205999132796. The ramp -1.3·k rad, wrapped into (-π, π] by hand.
INSTANTIATE_TEST_SUITE_P(
    Views, ViewTableTest,
    ::testing::Values(
        ArrayCase{"normalised_peak_is_0_dB", amplitudeDecibels, {0.5, 1.0, 0.1}, {-6.0205999132796, 0.0, -20.0}},
        ArrayCase{"raw_array_referred_to_its_peak", amplitudeDecibels, {4.0, 40.0, 0.4}, {-20.0, 0.0, -40.0}},
        ArrayCase{"zero_is_the_floor_not_minus_inf", amplitudeDecibels, {1.0, 0.0, 1e-12}, {0.0, -200.0, -200.0}},
        ArrayCase{"one_point_is_its_own_peak", amplitudeDecibels, {0.37}, {0.0}},
        ArrayCase{"one_zero_point_is_the_floor", amplitudeDecibels, {0.0}, {-200.0}},
        ArrayCase{"no_points_no_decibels", amplitudeDecibels, {}, {}},
        ArrayCase{"falling_ramp_over_turns",
                  unwrapPhase,
                  {0.0, -1.3, -2.6, -3.9 + 2 * TruePi, -5.2 + 2 * TruePi, -6.5 + 2 * TruePi, -7.8 + 2 * TruePi},
                  {0.0, -1.3, -2.6, -3.9, -5.2, -6.5, -7.8}},
        ArrayCase{"jump_of_exactly_pi_is_kept", unwrapPhase, {TruePi / 2, -TruePi / 2}, {TruePi / 2, -TruePi / 2}},
        ArrayCase{"jump_beyond_three_pi_two_turns", unwrapPhase, {0.0, 10.0}, {0.0, 10.0 - 4 * TruePi}},
        ArrayCase{"one_phase_stays", unwrapPhase, {2.5}, {2.5}},
        // A source that is a cosine about index 0 has the computed phase π/2: 0 against a cosine.
        ArrayCase{"quarter_turn_back",
                  cosinePhase,
                  {TruePi / 2, 0.0, TruePi, 3.0, -TruePi / 2 + 1e-9},
                  {0.0, -TruePi / 2, TruePi / 2, 3.0 - TruePi / 2, -TruePi + 1e-9}},
        ArrayCase{"below_minus_pi_wraps_a_turn_up",
                  cosinePhase,
                  {-TruePi / 2, -TruePi + 0.1, -3.0},
                  {TruePi, TruePi / 2 + 0.1, 2 * TruePi - 3.0 - TruePi / 2}}),
    [](const auto &info) { return std::string(info.param.name); });
