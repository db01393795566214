#include <gtest/gtest.h>

#include <memory>

#include "core/correlation.h"
#include "core/errors.h"
#include "core/filtering.h"
#include "core/parallel.h"
#include "core/signal_synthesis.h"

using namespace pulsefir;
using namespace pulsefir::core;

namespace {

std::unique_ptr<CoreState> stateWithBurst(int n) {
    auto state = std::make_unique<CoreState>();
    state->SignalHalfWidth = n;
    loadSignal(*state, ToneBurstParameters{}, 0.8);
    return state;
}

// The plain double loop, i outer and j inner, as the kernels must reproduce bit for bit.
double referenceOutput(const CoreState &state, int i, int m) {
    double acc = 0.0;
    for (int j = -m; j <= m; ++j) {
        const int k = i + j;
        const double s = (k < -MaxSignalHalfWidth || k > MaxSignalHalfWidth) ? 0.0 : state.SignalBuffer[k];
        acc = acc + s * state.FilterBuffer[j];
    }
    return acc;
}

} // namespace

TEST(CalcOutTest, DeltaAtZeroReturnsTheSignalExactly) {
    auto state = stateWithBurst(1000);
    addNoise(*state, 0.04);
    state->FilterHalfWidth = 100;
    state->FilterBuffer[0] = 1.0;
    calcOut(*state);
    for (int i = -1000; i <= 1000; ++i)
        ASSERT_EQ(state->OutputBuffer[i], state->SignalBuffer[i]) << i;
}

TEST(CalcOutTest, DeltaAtPlusOneMovesTheSignalOneSampleEarlier) {
    auto state = stateWithBurst(1000);
    state->FilterHalfWidth = 1;
    state->FilterBuffer[1] = 1.0;
    calcOut(*state);
    for (int i = -1000; i <= 1000; ++i)
        ASSERT_EQ(state->OutputBuffer[i], state->SignalBuffer[i + 1]) << i;
}

TEST(CalcOutTest, DefaultFilterBeforeAnySynthesisGivesZeroOutput) {
    auto state = stateWithBurst(1000);
    for (int i = -1000; i <= 1000; ++i)
        state->OutputBuffer[i] = 7.0;
    calcOut(*state);
    for (int i = -1000; i <= 1000; ++i)
        ASSERT_EQ(state->OutputBuffer[i], 0.0) << i;
    EXPECT_EQ(state->OutputBuffer[1001], 0.0);
}

TEST(CalcOutTest, LoweredHalfWidthRewritesOnlyTheSmallerRange) {
    auto state = stateWithBurst(1000);
    state->FilterBuffer[0] = 2.0;
    calcOut(*state);
    const double old700 = state->OutputBuffer[700];
    ASSERT_NE(old700, 0.0);
    state->FilterBuffer[0] = 3.0;
    state->SignalHalfWidth = 500;
    calcOut(*state);
    EXPECT_EQ(state->OutputBuffer[700], old700);
    EXPECT_EQ(state->OutputBuffer[500], 3.0 * state->SignalBuffer[500]);
}

TEST(CalcOutTest, SignalBeyondTheHalfWidthTakesPartInTheSum) {
    auto state = std::make_unique<CoreState>();
    state->SignalHalfWidth = 10;
    state->SignalBuffer[12] = 4.0; // written earlier with a larger half-width
    state->FilterHalfWidth = 2;
    state->FilterBuffer[2] = 0.5;
    calcOut(*state);
    EXPECT_EQ(state->OutputBuffer[10], 2.0);
}

struct WidthCase {
    const char *name;
    int signalHalfWidth;
    int filterHalfWidth;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const WidthCase &c, std::ostream *os) {
    *os << c.name;
}

class CalcOutWidthTest : public ::testing::TestWithParam<WidthCase> {};

// Arbitrary taps on a noisy burst: the vectorised, threaded sum equals the plain loop exactly,
// including where N + M passes 10000 and missing samples count as 0.
TEST_P(CalcOutWidthTest, MatchesThePlainDoubleLoopBitForBit) {
    const auto [name, n, m] = GetParam();
    auto state = std::make_unique<CoreState>();
    state->SignalHalfWidth = std::min(n, MaxSignalHalfWidth);
    ToneBurstParameters burst;
    burst.Shift = 12000.0;
    loadSignal(*state, burst, 0.8);
    addNoise(*state, 0.3);
    state->SignalHalfWidth = n;
    state->FilterHalfWidth = m;
    for (int j = -std::min(m, 1000); j <= std::min(m, 1000); ++j)
        state->FilterBuffer[j] = 0.001 * ((j * 37 + 11) % 23) - 0.01;
    calcOut(*state);
    const int usableN = std::min(n, MaxSignalHalfWidth);
    const int usableM = std::min(m, MaxFilterHalfWidth);
    for (int i = -usableN; i <= usableN; ++i)
        ASSERT_EQ(state->OutputBuffer[i], referenceOutput(*state, i, usableM)) << name << " at " << i;
}

INSTANTIATE_TEST_SUITE_P(Widths, CalcOutWidthTest,
                         ::testing::Values(WidthCase{"defaults", 1000, 100}, WidthCase{"tiny", 0, 0},
                                           WidthCase{"odd_tail", 37, 5},
                                           WidthCase{"limits_reach_beyond_the_array", 10000, 1000},
                                           WidthCase{"above_the_bounds_held_at_them", 15000, 3000}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(CalcOutTest, NegativeHalfWidthsVisitNothing) {
    auto state = stateWithBurst(1000);
    state->OutputBuffer[0] = 5.0;
    state->SignalHalfWidth = -1;
    calcOut(*state);
    EXPECT_EQ(state->OutputBuffer[0], 5.0);
    state->SignalHalfWidth = 3;
    state->FilterHalfWidth = -1;
    calcOut(*state);
    EXPECT_EQ(state->OutputBuffer[0], 0.0) << "every sum over no taps is 0";
}

TEST(CalcOutTest, OverflowingSumIsAnError) {
    auto state = std::make_unique<CoreState>();
    state->SignalHalfWidth = 2;
    state->FilterHalfWidth = 1;
    state->SignalBuffer[0] = 1e300;
    state->FilterBuffer[0] = 1e300;
    try {
        calcOut(*state);
        FAIL() << "no error";
    } catch (const FloatingPointError &error) {
        EXPECT_STREQ(error.what(), "Floating point overflow");
    }
}

TEST(CorrelateKernelTest, SingleAndThreadedRunsAgree) {
    std::vector<double> signal(4001), taps(41), a(2001), b(2001);
    for (std::size_t k = 0; k < signal.size(); ++k)
        signal[k] = 1.0 / (1.0 + static_cast<double>((k * 7919) % 101));
    for (std::size_t k = 0; k < taps.size(); ++k)
        taps[k] = 0.1 * static_cast<double>(k % 7) - 0.3;
    const double *s = signal.data() + 2000;
    const double *t = taps.data() + 20;
    correlate(s, t, 20, a.data() + 1000, -1000, 1000);
    WorkerPool pool(2);
    correlateParallel(pool, s, t, 20, b.data() + 1000, -1000, 1000);
    EXPECT_EQ(a, b);
}
