#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "core/dispatch.h"
#include "core/errors.h"
#include "core/filter_synthesis.h"

using namespace pulsefir;
using namespace pulsefir::core;

namespace {

constexpr double Fs = 0.8; // MHz

std::unique_ptr<CoreState> synthesized(const FilterSynthesisParameters &p, double fs = Fs) {
    auto state = std::make_unique<CoreState>();
    synthesizeFilter(*state, p, fs);
    return state;
}

FilterSynthesisParameters with(int n, int type, int win) {
    FilterSynthesisParameters p;
    p.FilterHalfWidth = n;
    p.FilterType = type;
    p.WinType = win;
    return p;
}

} // namespace

TEST(FilterSynthesisTest, DefaultsMatchTheClosedFormSum) {
    const auto state = synthesized(FilterSynthesisParameters{});
    EXPECT_EQ(state->FilterHalfWidth, 100);
    for (int j : {-100, -37, 0, 1, 64, 100}) {
        long double sum = 0.0L;
        for (int i = -1000; i <= 1000; ++i) {
            const double omega = i * 0.0000628318 + 0.2513272;
            sum += (i < 0 ? -1.0L : 1.0L) * std::cos(static_cast<long double>(omega) * j * 1.25L);
        }
        EXPECT_NEAR(state->FilterBuffer[j], static_cast<double>(sum / 2000.0L), 1e-12) << j;
    }
    for (int j = 101; j <= 1000; ++j) {
        ASSERT_EQ(state->FilterBuffer[j], 0.0);
        ASSERT_EQ(state->FilterBuffer[-j], 0.0);
    }
}

TEST(FilterSynthesisTest, ZeroBandWidthRectangularIsOneCosine) {
    FilterSynthesisParameters p;
    p.DF = 0.0;
    p.K = 3.0;
    p.PhazeShift = 30;
    const auto state = synthesized(p);
    for (int j = -100; j <= 100; ++j) {
        const double expected = 3.0 / 2000.0 * std::cos(6.28318 * 0.04 * j / Fs + 30 * 3.14159 / 180);
        ASSERT_NEAR(state->FilterBuffer[j], expected, 1e-12) << j;
    }
}

TEST(FilterSynthesisTest, ZeroBandWidthLinearAndSinCancelOut) {
    for (int type : {index(PassbandWeighting::Linear), index(PassbandWeighting::Sin)}) {
        auto p = with(100, type, index(WinTypeIndex::None));
        p.DF = 0.0;
        const auto state = synthesized(p);
        for (int j = -100; j <= 100; ++j)
            ASSERT_NEAR(state->FilterBuffer[j], 0.0, 1e-14) << "type " << type << " tap " << j;
    }
}

TEST(FilterSynthesisTest, NegativeGainNegatesEveryTapAndZeroGainGivesZero) {
    for (int type :
         {index(PassbandWeighting::Rectangular), index(PassbandWeighting::Linear), index(PassbandWeighting::Sin)}) {
        auto p = with(50, type, index(WinTypeIndex::Hamming));
        const auto positive = synthesized(p);
        p.K = -1.0;
        const auto negative = synthesized(p);
        p.K = 0.0;
        const auto zero = synthesized(p);
        for (int j = -50; j <= 50; ++j) {
            ASSERT_EQ(negative->FilterBuffer[j], -positive->FilterBuffer[j]) << type << ' ' << j;
            ASSERT_EQ(zero->FilterBuffer[j], 0.0);
        }
    }
}

struct WindowCase {
    const char *name;
    int winType;
    int n;
    int j;
    double factor; // w(j), computed by hand from the window's formula
};

void PrintTo(const WindowCase &c, std::ostream *os) {
    *os << c.name;
}

class WindowTest : public ::testing::TestWithParam<WindowCase> {};

// A windowed filter is the unwindowed one times w(j), tap by tap.
TEST_P(WindowTest, TapIsTheUnwindowedTapTimesTheFactor) {
    const auto &c = GetParam();
    for (int type : {index(PassbandWeighting::Rectangular), index(PassbandWeighting::Sin)}) {
        const auto plain = synthesized(with(c.n, type, index(WinTypeIndex::None)));
        const auto windowed = synthesized(with(c.n, type, c.winType));
        EXPECT_NEAR(windowed->FilterBuffer[c.j], plain->FilterBuffer[c.j] * c.factor,
                    std::abs(plain->FilterBuffer[c.j]) * 1e-12 + 1e-300)
            << c.name;
        EXPECT_EQ(windowed->FilterBuffer[c.j], plain->FilterBuffer[c.j] * windowFactor(c.winType, c.j, c.n));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Windows, WindowTest,
    ::testing::Values(
        WindowCase{"bartlett_n1_centre_kept", index(WinTypeIndex::Bartlett), 1, 0, 1.0},
        WindowCase{"bartlett_n1_end_negated", index(WinTypeIndex::Bartlett), 1, 1, -1.0},
        WindowCase{"bartlett_zero_at_half", index(WinTypeIndex::Bartlett), 100, 50, 0.0},
        WindowCase{"bartlett_minus_one_at_end", index(WinTypeIndex::Bartlett), 100, -100, -1.0},
        WindowCase{"hanning_centre", index(WinTypeIndex::Hanning), 100, 0, 1.0},
        WindowCase{"hanning_end_nearly_zero", index(WinTypeIndex::Hanning), 100, 100,
                   (std::cos(100 * 3.14159 / 100) + 1) * 0.5},
        WindowCase{"hamming_end", index(WinTypeIndex::Hamming), 100, -100,
                   std::cos(-100 * 3.14159 / 100) * 0.46 + 0.54},
        WindowCase{"blackman_centre_1_08", index(WinTypeIndex::Blackman), 100, 0, 1.08},
        WindowCase{"blackman_end", index(WinTypeIndex::Blackman), 100, 100,
                   0.54 + 0.46 * std::cos(100 * 3.14159 / 2 / 100) + 0.08 * std::cos(100 * 6.28318 / 100)},
        WindowCase{"cos_quarter", index(WinTypeIndex::Cos), 100, 50, std::abs(std::cos(50 * 3.14159 / 2 / 100))},
        WindowCase{"cos2_quarter", index(WinTypeIndex::Cos2), 100, -50, std::pow(std::cos(-50 * 3.14159 / 2 / 100), 2)},
        WindowCase{"unknown_window_changes_nothing", 9, 100, 30, 1.0}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(FilterSynthesisTest, WindowEndFactorsFollowTheFiveDecimalPi) {
    EXPECT_NEAR(windowFactor(index(WinTypeIndex::Hanning), 1000, 1000), 1.76e-12, 0.01e-12);
    EXPECT_NEAR(windowFactor(index(WinTypeIndex::Cos2), 1000, 1000), 1.76e-12, 0.01e-12);
    EXPECT_NEAR(windowFactor(index(WinTypeIndex::Cos), 1000, 1000), 1.33e-6, 0.01e-6);
    EXPECT_NEAR(windowFactor(index(WinTypeIndex::Hamming), 1000, 1000) - 0.08, 1.6e-12, 0.1e-12);
    EXPECT_NEAR(windowFactor(index(WinTypeIndex::Blackman), 1000, 1000), 0.62, 0.01);
}

TEST(FilterSynthesisTest, UnknownWeightingGivesAnAllZeroFilterOfHalfWidthN) {
    auto state = std::make_unique<CoreState>();
    state->FilterBuffer[3] = 1.0;
    synthesizeFilter(*state, with(70, 5, index(WinTypeIndex::Blackman)), Fs);
    EXPECT_EQ(state->FilterHalfWidth, 70);
    for (int j = -1000; j <= 1000; ++j)
        ASSERT_EQ(state->FilterBuffer[j], 0.0);
}

TEST(FilterSynthesisTest, SmallerSynthesisClearsTheOldTaps) {
    auto state = std::make_unique<CoreState>();
    synthesizeFilter(*state, with(200, index(PassbandWeighting::Rectangular), index(WinTypeIndex::None)), Fs);
    ASSERT_NE(state->FilterBuffer[150], 0.0);
    synthesizeFilter(*state, with(50, index(PassbandWeighting::Rectangular), index(WinTypeIndex::None)), Fs);
    EXPECT_EQ(state->FilterHalfWidth, 50);
    for (int j = 51; j <= 200; ++j) {
        ASSERT_EQ(state->FilterBuffer[j], 0.0);
        ASSERT_EQ(state->FilterBuffer[-j], 0.0);
    }
}

TEST(FilterSynthesisTest, HalfWidthZeroGivesAnAllZeroFilterWithoutDividing) {
    auto state = std::make_unique<CoreState>();
    state->FilterBuffer[0] = 1.0;
    synthesizeFilter(*state, with(0, index(PassbandWeighting::Rectangular), index(WinTypeIndex::Hanning)), Fs);
    EXPECT_EQ(state->FilterHalfWidth, 0);
    EXPECT_EQ(state->FilterBuffer[0], 0.0);
}

TEST(FilterSynthesisTest, ZeroSamplingFrequencyFailsAndKeepsTheOldFilter) {
    auto state = std::make_unique<CoreState>();
    synthesizeFilter(*state, with(20, index(PassbandWeighting::Rectangular), index(WinTypeIndex::None)), Fs);
    const double tap = state->FilterBuffer[5];
    EXPECT_THROW(
        synthesizeFilter(*state, with(80, index(PassbandWeighting::Rectangular), index(WinTypeIndex::None)), 0.0),
        FloatingPointError);
    EXPECT_EQ(state->FilterHalfWidth, 20);
    EXPECT_EQ(state->FilterBuffer[5], tap);
}

// The kernels' own cosines agree with the C library's to a few units in the last place of the
// sum, also where the arguments reach 10^6 rad and more.
TEST(FilterSynthesisTest, PassbandAgreesWithTheCLibraryCosine) {
    struct Case {
        double f0, df, fs;
        PassbandWeighting weighting;
    };
    for (const Case c :
         {Case{0.04, 0.01, 0.8, PassbandWeighting::Rectangular}, Case{200, 200, 0.8, PassbandWeighting::Linear},
          Case{3.5, 1.25, 12.0, PassbandWeighting::Sin}}) {
        std::vector<double> a(2001), b(2001);
        const double spacing = 1.0 / c.fs;
        const double omega0 = c.f0 * 6.28318;
        const double deltaOmega = c.df * 6.28318 / 1000;
        for (int i = -1000; i <= 1000; ++i) {
            const double omega = i * deltaOmega + omega0;
            const double weight = c.weighting == PassbandWeighting::Rectangular ? (i < 0 ? -2.0 : 2.0)
                                  : c.weighting == PassbandWeighting::Linear    ? i * 2.0
                                                                                : -std::sin(i * 3.14159 / 1000) * 2.0;
            const double divisor = c.weighting == PassbandWeighting::Linear ? 2000.0 * 1000.0 : 2000.0;
            for (int j = -1000; j <= 997; ++j)
                a[static_cast<std::size_t>(j + 1000)] += std::cos((j * omega) * spacing + 0.3) * weight / divisor;
        }
        kernels().synthesizePassband(b.data() + 1000, -1000, 997, omega0, deltaOmega, spacing, 0.3, 2.0,
                                     index(c.weighting));
        double scale = 0.0;
        for (double v : a)
            scale = std::max(scale, std::abs(v));
        for (std::size_t k = 0; k < a.size(); ++k)
            ASSERT_NEAR(a[k], b[k], scale * 1e-10 + 1e-13) << k;
    }
}
