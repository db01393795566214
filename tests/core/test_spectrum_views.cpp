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
};

class DeltaViewTest : public ::testing::TestWithParam<DeltaCase> {};

// A lone 1 at index d has phase π/2 - d·ω·Δt: group delay d·Δt at every grid point, unwrapped
// phase a straight line of slope -d·Δt, amplitude 0 dB throughout.
TEST_P(DeltaViewTest, DelayIsIndexTimesSpacing) {
    const auto &c = GetParam();
    auto state = std::make_unique<CoreState>();
    state->SignalHalfWidth = 1000;
    state->SignalBuffer[c.index] = 1.0;
    CalcSpectors(*state, Fs, SpectorParameters{c.low, c.high, c.points, false, true, true});
    const auto &r = state->Spectra;
    const auto omega = points(r.OmegaBuffer, r);
    const auto unwrapped = UnwrapPhase(points(r.SignalPhaseBuffer, r));
    const auto delay = GroupDelay(omega, unwrapped);
    const auto db = AmplitudeDecibels(points(r.SignalAmplitudeBuffer, r));
    for (std::size_t k = 0; k < omega.size(); ++k) {
        ASSERT_NEAR(delay[k], c.index * Dt, 1e-8) << k;
        ASSERT_NEAR(unwrapped[k] - unwrapped[0], -c.index * Dt * (omega[k] - omega[0]), 1e-9) << k;
        ASSERT_NEAR(db[k], 0.0, 1e-12) << k;
    }
}

INSTANTIATE_TEST_SUITE_P(Deltas, DeltaViewTest,
                         ::testing::Values(DeltaCase{"at_centre_no_delay", 0, 0.01, 0.07, 400},
                                           DeltaCase{"ahead_of_time_zero", -250, 0.01, 0.07, 400},
                                           DeltaCase{"many_turns", 900, 0.01, 0.07, 400},
                                           DeltaCase{"downward_grid", 37, 0.07, 0.01, 400},
                                           DeltaCase{"two_points_one_sided_only", 5, 0.01, 0.07, 2},
                                           DeltaCase{"finest_grid", 600, 0.001, 0.4, 10001}),
                         [](const auto &info) { return std::string(info.param.name); });

class SymmetricFilterTest : public ::testing::TestWithParam<int> {};

// Taps symmetric about tap 0 make the sum real: the phase atan2(C, S) is ±π/2 by the sign of C,
// the delay 0 wherever C keeps its sign, and the phase jumps by π where C changes sign.
TEST_P(SymmetricFilterTest, DelayIsZeroBetweenTheZerosOfTheResponse) {
    auto state = std::make_unique<CoreState>();
    FilterSynthesisParameters f;
    f.WinType = GetParam();
    SynthesizeFilter(*state, f, Fs);
    CalcSpectors(*state, Fs, SpectorParameters{});
    const auto &r = state->Spectra;
    const auto omega = points(r.OmegaBuffer, r);
    const auto unwrapped = UnwrapPhase(points(r.FilterPhaseBuffer, r));
    const auto delay = GroupDelay(omega, unwrapped);
    std::vector<int> sign; // of the real part, summed here in long double
    for (const double w : omega) {
        long double sum = 0.0L;
        for (int j = -f.FilterHalfWidth; j <= f.FilterHalfWidth; ++j)
            sum += state->FilterBuffer[j] * std::cos(static_cast<long double>(j) * w * Dt);
        sign.push_back(sum > 0 ? 1 : -1);
    }
    int zeros = 0, flat = 0;
    for (std::size_t k = 0; k < sign.size(); ++k) {
        const bool zeroAfter = k + 1 < sign.size() && sign[k + 1] != sign[k];
        if (zeroAfter) {
            ++zeros;
            ASSERT_NEAR(std::abs(unwrapped[k + 1] - unwrapped[k]), TruePi, 1e-6) << k;
        } else if (k == 0 || sign[k - 1] == sign[k]) {
            ++flat;
            ASSERT_NEAR(delay[k], 0.0, 1e-6) << k;
        }
    }
    EXPECT_GT(zeros, 2) << "the grid reaches the stop bands";
    EXPECT_GT(flat, 200);
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
        ArrayCase{"falling_ramp_over_turns",
                  UnwrapPhase,
                  {0.0, -1.3, -2.6, -3.9 + 2 * TruePi, -5.2 + 2 * TruePi, -6.5 + 2 * TruePi, -7.8 + 2 * TruePi},
                  {0.0, -1.3, -2.6, -3.9, -5.2, -6.5, -7.8}},
        ArrayCase{"jump_of_exactly_pi_is_kept", UnwrapPhase, {TruePi / 2, -TruePi / 2}, {TruePi / 2, -TruePi / 2}},
        ArrayCase{"jump_beyond_three_pi_two_turns", UnwrapPhase, {0.0, 10.0}, {0.0, 10.0 - 4 * TruePi}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(GroupDelayTest, FewerThanTwoPointsOrOneFrequencyAreRefused) {
    const std::vector<double> one{1.0}, same{0.25, 0.25, 0.25}, phases{0.1, 0.2, 0.3};
    EXPECT_THROW(AmplitudeDecibels(one), base::Error);
    EXPECT_THROW(UnwrapPhase(std::span<const double>{}), base::Error);
    EXPECT_THROW(GroupDelay(one, one), base::Error);
    EXPECT_THROW(GroupDelay(same, phases), base::Error);
}
