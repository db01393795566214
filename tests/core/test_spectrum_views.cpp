#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <span>
#include <vector>

#include "core/errors.h"
#include "core/filter_synthesis.h"
#include "core/signal_synthesis.h"
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

} // namespace

struct DeltaCase {
    const char *name;
    int index;
    double low, high; // MHz
    int points;
    int halfWidth = 1000;
};

class DeltaViewTest : public ::testing::TestWithParam<DeltaCase> {};

// A lone 1 at index d has phase π/2 - d·ω·Δt: group delay d·Δt at every grid point, however far
// beyond the 1/(2Δf) that a difference of neighbouring phases could tell apart, unwrapped phase
// a straight line of slope -d·Δt, amplitude 0 dB throughout.
TEST_P(DeltaViewTest, DelayIsIndexTimesSpacing) {
    const auto &c = GetParam();
    auto state = std::make_unique<CoreState>();
    state->SignalHalfWidth = c.halfWidth;
    state->SignalBuffer[c.index] = 1.0;
    CalcSpectors(*state, Fs, SpectorParameters{c.low, c.high, c.points, false, true, true});
    const auto &r = state->Spectra;
    const auto omega = points(r.OmegaBuffer, r);
    const auto unwrapped = UnwrapPhase(points(r.SignalPhaseBuffer, r));
    const auto delay = points(r.SignalDelayBuffer, r);
    const auto db = AmplitudeDecibels(points(r.SignalAmplitudeBuffer, r));
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
                         ::testing::Values(DeltaCase{"at_centre_no_delay", 0, 0.01, 0.07, 400},
                                           DeltaCase{"ahead_of_time_zero", -250, 0.01, 0.07, 400},
                                           DeltaCase{"many_turns", 900, 0.01, 0.07, 400},
                                           DeltaCase{"downward_grid", 37, 0.07, 0.01, 400},
                                           DeltaCase{"two_points", 5, 0.01, 0.07, 2},
                                           DeltaCase{"one_point", -7, 0.03, 0.07, 1},
                                           DeltaCase{"finest_grid", 600, 0.001, 0.4, 10001},
                                           DeltaCase{"far_beyond_the_grid_step", 9000, 0.01, 0.07, 400, 10000},
                                           DeltaCase{"far_before_time_zero", -10000, 0.01, 0.07, 400, 10000}),
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
    SynthesizeFilter(*state, f, Fs);
    CalcSpectors(*state, Fs, SpectorParameters{});
    const auto &r = state->Spectra;
    const auto amplitude = points(r.FilterAmplitudeBuffer, r); // normalised: largest 1
    const auto phase = points(r.FilterPhaseBuffer, r);
    const auto delay = points(r.FilterDelayBuffer, r);
    int gaps = 0, zeros = 0, besideZeros = 0;
    for (std::size_t k = 0; k < delay.size(); ++k) {
        const bool zeroBeside = (k > 0 && (phase[k - 1] > 0) != (phase[k] > 0)) ||
                                (k + 1 < delay.size() && (phase[k + 1] > 0) != (phase[k] > 0));
        if (k + 1 < delay.size() && (phase[k + 1] > 0) != (phase[k] > 0))
            ++zeros;
        if (amplitude[k] < 0.01) {
            ++gaps;
            ASSERT_TRUE(std::isnan(delay[k])) << k << ": " << delay[k];
        } else {
            ASSERT_NEAR(delay[k], 0.0, 1e-9) << k;
            besideZeros += zeroBeside ? 1 : 0;
        }
    }
    EXPECT_GT(zeros, 2) << "the grid reaches the stop bands";
    EXPECT_GT(gaps, 0);
    EXPECT_GT(besideZeros, 0) << "points beside a zero that a difference of phases would spike at";
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
        ArrayCase{"normalised_peak_is_0_dB", AmplitudeDecibels, {0.5, 1.0, 0.1}, {-6.0205999132796, 0.0, -20.0}},
        ArrayCase{"raw_array_referred_to_its_peak", AmplitudeDecibels, {4.0, 40.0, 0.4}, {-20.0, 0.0, -40.0}},
        ArrayCase{"zero_is_the_floor_not_minus_inf", AmplitudeDecibels, {1.0, 0.0, 1e-12}, {0.0, -200.0, -200.0}},
        ArrayCase{"one_point_is_its_own_peak", AmplitudeDecibels, {0.37}, {0.0}},
        ArrayCase{"one_zero_point_is_the_floor", AmplitudeDecibels, {0.0}, {-200.0}},
        ArrayCase{"no_points_no_decibels", AmplitudeDecibels, {}, {}},
        ArrayCase{"falling_ramp_over_turns",
                  UnwrapPhase,
                  {0.0, -1.3, -2.6, -3.9 + 2 * TruePi, -5.2 + 2 * TruePi, -6.5 + 2 * TruePi, -7.8 + 2 * TruePi},
                  {0.0, -1.3, -2.6, -3.9, -5.2, -6.5, -7.8}},
        ArrayCase{"jump_of_exactly_pi_is_kept", UnwrapPhase, {TruePi / 2, -TruePi / 2}, {TruePi / 2, -TruePi / 2}},
        ArrayCase{"jump_beyond_three_pi_two_turns", UnwrapPhase, {0.0, 10.0}, {0.0, 10.0 - 4 * TruePi}},
        ArrayCase{"one_phase_stays", UnwrapPhase, {2.5}, {2.5}},
        // A source that is a cosine about index 0 has the computed phase π/2: 0 against a cosine.
        ArrayCase{"quarter_turn_back",
                  CosinePhase,
                  {TruePi / 2, 0.0, TruePi, 3.0, -TruePi / 2 + 1e-9},
                  {0.0, -TruePi / 2, TruePi / 2, 3.0 - TruePi / 2, -TruePi + 1e-9}},
        ArrayCase{"below_minus_pi_wraps_a_turn_up",
                  CosinePhase,
                  {-TruePi / 2, -TruePi + 0.1, -3.0},
                  {TruePi, TruePi / 2 + 0.1, 2 * TruePi - 3.0 - TruePi / 2}}),
    [](const auto &info) { return std::string(info.param.name); });

// Against a cosine the phase is arg Σ x·e^(-iωt), which other tools show: a cosine wave centred
// on index 0 has 0 at its own frequency, a sine wave -π/2, a symmetric filter 0 or π; the plain
// phase is π/2 more. Each wave spans whole periods of its own frequency.
struct WaveCase {
    const char *name;
    double (*wave)(double angle);
    double frequency;   // MHz
    double cosinePhase; // rad, expected at the wave's own frequency
};

class CosinePhaseTest : public ::testing::TestWithParam<WaveCase> {};

TEST_P(CosinePhaseTest, IsTheArgumentOfTheSum) {
    const auto &c = GetParam();
    auto state = std::make_unique<CoreState>();
    state->SignalHalfWidth = 800; // 1601 samples: 40 periods of 40 samples at 0.02 MHz
    for (int i = -800; i <= 800; ++i)
        state->SignalBuffer[i] = c.wave(2 * TruePi * c.frequency * i * Dt);
    SpectorParameters p;
    p.LowFrequency = p.HighFrequency = c.frequency;
    p.PointCount = 1;
    CalcSpectors(*state, Fs, p);
    const auto &r = state->Spectra;
    const double plain = r.SignalPhaseBuffer[0];
    const double shifted = CosinePhase(points(r.SignalPhaseBuffer, r))[0];
    // Modulo a turn: a half turn may come out as +π or as just above -π.
    EXPECT_NEAR(std::remainder(shifted - c.cosinePhase, 2 * TruePi), 0.0, 1e-9);
    EXPECT_NEAR(std::remainder(plain - shifted - TruePi / 2, 2 * TruePi), 0.0, 1e-15);
}

INSTANTIATE_TEST_SUITE_P(
    Waves, CosinePhaseTest,
    ::testing::Values(WaveCase{"cosine_is_zero", [](double a) { return std::cos(a); }, 0.02, 0.0},
                      WaveCase{"sine_is_minus_quarter_turn", [](double a) { return std::sin(a); }, 0.02, -TruePi / 2},
                      WaveCase{"negated_cosine_is_half_turn", [](double a) { return -std::cos(a); }, 0.02, TruePi}),
    [](const auto &info) { return std::string(info.param.name); });

// Against a cosine, the phase of a burst agrees with arg Σ x·e^(-iωt) summed here in long double
// with the C library's functions, wherever the amplitude is not tiny.
TEST(CosinePhaseTest, BurstAgreesWithTheArgumentOfALongDoubleSum) {
    auto state = std::make_unique<CoreState>();
    state->SignalHalfWidth = 1000;
    LoadSignal(*state, ToneBurstParameters{}, Fs);
    CalcSpectors(*state, Fs, SpectorParameters{});
    const auto &r = state->Spectra;
    const auto shifted = CosinePhase(points(r.SignalPhaseBuffer, r));
    int compared = 0;
    for (std::size_t k = 0; k < shifted.size(); ++k) {
        if (r.SignalAmplitudeBuffer[k] < 1e-3)
            continue;
        long double re = 0.0L, im = 0.0L;
        for (int i = -1000; i <= 1000; ++i) {
            const long double angle = static_cast<long double>(i) * r.OmegaBuffer[k] * Dt;
            re += state->SignalBuffer[i] * std::cos(angle);
            im -= state->SignalBuffer[i] * std::sin(angle);
        }
        ASSERT_NEAR(std::remainder(shifted[k] - static_cast<double>(std::atan2(im, re)), 2 * TruePi), 0.0, 1e-9) << k;
        ++compared;
    }
    EXPECT_GT(compared, 100);
}
