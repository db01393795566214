#include <gtest/gtest.h>

#include <Eigen/Dense>

#include <cmath>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "core/errors.h"
#include "core/filter_search.h"
#include "core/filtering.h"
#include "core/least_squares.h"
#include "core/signal_synthesis.h"

using namespace pulsefir;
using namespace pulsefir::core;

namespace {

constexpr double Fs = 0.8; // MHz

// Stops a search after a fixed number of epochs, without a window.
class CountingHost : public SearchHost {
  public:
    explicit CountingHost(int epochs) : m_limit(epochs - 1) {}
    void processMessages() override {}
    void showEpoch(std::int32_t) override {}
    double randomStep() override { return 0.0002; }
    void showBestObjective(long double) override {}
    std::int32_t epochLimit() override { return m_limit; }

  private:
    std::int32_t m_limit;
};

std::unique_ptr<CoreState> defaultBurst() {
    auto state = std::make_unique<CoreState>();
    state->SignalHalfWidth = 1000;
    loadSignal(*state, ToneBurstParameters{}, Fs);
    return state;
}

// Reference: the regularised problem as one tall least-squares system [X; sqrt(lambda) I] h =
// [d; 0] solved by column-pivoting QR of X itself, with X formed sample by sample.
struct DenseSolution {
    Eigen::VectorXd h;
    double residual;
    double lambda;
};

// With latency < n only the columns of taps -n..latency enter the fit; lambda still comes from all of X.
DenseSolution denseSolution(const CoreState &state, int n, int ns, double mu, int latency = MaxFilterHalfWidth) {
    const int rows = 2 * ns + 1;
    const int cols = 2 * n + 1;
    Eigen::MatrixXd x(rows, cols);
    Eigen::VectorXd d(rows);
    for (int i = -ns; i <= ns; ++i) {
        d[i + ns] = state.ResponseBuffer[i];
        for (int j = -n; j <= n; ++j) {
            const int k = i + j;
            x(i + ns, j + n) = std::abs(k) <= MaxSignalHalfWidth ? state.SignalBuffer[k] : 0.0;
        }
    }
    const double lambda = mu * x.squaredNorm() / cols; // trace(X^T X) = sum of squares of X
    const int free = n + std::min(latency, n) + 1;
    const Eigen::MatrixXd xf = x.leftCols(free);
    Eigen::MatrixXd tall(rows + free, free);
    tall << xf, std::sqrt(lambda) * Eigen::MatrixXd::Identity(free, free);
    Eigen::VectorXd rhs(rows + free);
    rhs << d, Eigen::VectorXd::Zero(free);
    DenseSolution s;
    s.h = Eigen::VectorXd::Zero(cols);
    s.h.head(free) = tall.colPivHouseholderQr().solve(rhs);
    s.residual = (x * s.h - d).squaredNorm();
    s.lambda = lambda;
    return s;
}

struct DenseCase {
    std::string name;
    int signalHalfWidth;
    int filterHalfWidth;
    double mu;
    int shape;
    bool noise; // random samples instead of the tone burst
};

class LeastSquaresDenseTest : public testing::TestWithParam<DenseCase> {};

TEST_P(LeastSquaresDenseTest, TapsAgreeWithDirectSolution) {
    const DenseCase &c = GetParam();
    auto state = std::make_unique<CoreState>();
    state->SignalHalfWidth = c.signalHalfWidth;
    ToneBurstParameters burst;
    burst.Frequency = 0.1;
    burst.FrontTimeConstant = 8;
    burst.ExcitationTime = 10;
    burst.Shift = 10;
    if (c.noise) {
        std::mt19937 random(7);
        std::uniform_real_distribution<double> uniform(-1.0, 1.0);
        for (int i = -MaxSignalHalfWidth; i <= MaxSignalHalfWidth; ++i)
            state->SignalBuffer[i] = uniform(random);
    } else {
        loadSignal(*state, burst, Fs);
    }
    ResponseParameters r;
    r.ResponseShape = c.shape;

    const auto outcome = leastSquaresFilter(*state, r, Fs, c.filterHalfWidth, c.mu);
    const DenseSolution ref = denseSolution(*state, c.filterHalfWidth, c.signalHalfWidth, c.mu);
    EXPECT_EQ(state->FilterHalfWidth, c.filterHalfWidth);
    const double scale = std::max(1.0, ref.h.cwiseAbs().maxCoeff());
    for (int j = -c.filterHalfWidth; j <= c.filterHalfWidth; ++j)
        EXPECT_NEAR(state->FilterBuffer[j], ref.h[j + c.filterHalfWidth], 1e-10 * scale) << "tap " << j;
    EXPECT_EQ(state->FilterBuffer[c.filterHalfWidth + 1], 0.0);
    EXPECT_NEAR(outcome.Lambda, ref.lambda, 1e-12 * std::max(1.0, ref.lambda));
    EXPECT_NEAR(outcome.Residual, ref.residual, 1e-9 * std::max(1.0, ref.residual));
    EXPECT_NEAR(outcome.Cost, ref.residual + ref.lambda * ref.h.squaredNorm(), 1e-9 * std::max(1.0, outcome.Cost));
}

INSTANTIATE_TEST_SUITE_P(
    SmallCases, LeastSquaresDenseTest,
    testing::Values(
        DenseCase{"BurstNoRegularisation", 20, 3, 0.0, static_cast<int>(ResponseShapeIndex::HalfWave), false},
        DenseCase{"BurstRegularised", 20, 3, 1e-3, static_cast<int>(ResponseShapeIndex::TwoHalfWaves), false},
        DenseCase{"NoiseNoRegularisation", 20, 3, 0.0, static_cast<int>(ResponseShapeIndex::TwoHalfWavesSymmetric),
                  true},
        DenseCase{"NoiseStronglyRegularised", 20, 3, 0.5, static_cast<int>(ResponseShapeIndex::HalfWave), true},
        DenseCase{"FilterLongerThanWindow", 4, 6, 1e-3, static_cast<int>(ResponseShapeIndex::HalfWave), true},
        // 400 steps of the sliding update along the diagonals of the normal matrix.
        DenseCase{"LongFilterSlidingUpdate", 2000, 200, 0.0, static_cast<int>(ResponseShapeIndex::TwoHalfWaves), true},
        // The sums reach past sample 10000, where the signal counts as 0.
        DenseCase{"WindowAtTheBufferEnd", 9998, 3, 0.0, static_cast<int>(ResponseShapeIndex::TwoHalfWaves), true}),
    [](const auto &info) { return info.param.name; });

struct LatencyCase {
    std::string name;
    int filterHalfWidth;
    int latency;
    double mu;
};

class LeastSquaresLatencyTest : public testing::TestWithParam<LatencyCase> {};

// The later taps held at zero, the rest the least-squares solution of the reduced problem; the
// filter then looks at most `latency` samples ahead.
TEST_P(LeastSquaresLatencyTest, ReducedProblemAgreesWithDirectSolution) {
    const LatencyCase &c = GetParam();
    auto state = std::make_unique<CoreState>();
    state->SignalHalfWidth = 150;
    std::mt19937 random(11);
    std::normal_distribution<double> noise(0.0, 0.05);
    ToneBurstParameters burst;
    burst.Frequency = 0.1;
    loadSignal(*state, burst, Fs);
    for (int i = -MaxSignalHalfWidth; i <= MaxSignalHalfWidth; ++i)
        state->SignalBuffer[i] += noise(random);
    const int n = c.filterHalfWidth;

    const auto outcome = leastSquaresFilter(*state, ResponseParameters{}, Fs, n, c.mu, c.latency);
    const DenseSolution ref = denseSolution(*state, n, 150, c.mu, c.latency);
    const double scale = ref.h.cwiseAbs().maxCoeff();
    for (int j = -n; j <= n; ++j) {
        if (j > c.latency)
            ASSERT_EQ(state->FilterBuffer[j], 0.0) << "tap " << j;
        else
            EXPECT_NEAR(state->FilterBuffer[j], ref.h[j + n], 1e-7 * scale) << "tap " << j;
    }
    EXPECT_NEAR(outcome.Lambda, ref.lambda, 1e-12 * std::max(1.0, ref.lambda));
    EXPECT_NEAR(outcome.Residual, ref.residual, 1e-9 * std::max(1.0, ref.residual));

    // The whole filter fits better: holding taps at zero costs residual.
    auto whole = std::make_unique<CoreState>();
    whole->SignalHalfWidth = 150;
    std::copy_n(state->SignalBuffer.centre() - MaxSignalHalfWidth, SignalArray::Size,
                whole->SignalBuffer.centre() - MaxSignalHalfWidth);
    EXPECT_LT(leastSquaresFilter(*whole, ResponseParameters{}, Fs, n, c.mu).Residual, outcome.Residual);
}

INSTANTIATE_TEST_SUITE_P(Latencies, LeastSquaresLatencyTest,
                         testing::Values(LatencyCase{"Causal", 12, 0, 0.0},
                                         LatencyCase{"CausalRegularised", 12, 0, 1e-3},
                                         LatencyCase{"ThreeAhead", 12, 3, 1e-6},
                                         LatencyCase{"OneShortOfTheWhole", 30, 29, 0.0}),
                         [](const auto &info) { return info.param.name; });

// A latency of N or more leaves the design exactly as without one.
TEST(LeastSquaresTest, LatencyOfTheWholeFilterChangesNothing) {
    auto plain = defaultBurst();
    const auto expected = leastSquaresFilter(*plain, ResponseParameters{}, Fs, 100, 1e-6);
    for (const int latency : {100, 101, 1000}) {
        auto state = defaultBurst();
        const auto got = leastSquaresFilter(*state, ResponseParameters{}, Fs, 100, 1e-6, latency);
        for (int j = -MaxFilterHalfWidth; j <= MaxFilterHalfWidth; ++j)
            ASSERT_EQ(state->FilterBuffer[j], plain->FilterBuffer[j]) << "latency " << latency << " tap " << j;
        EXPECT_EQ(got.Residual, expected.Residual);
        EXPECT_EQ(got.Cost, expected.Cost);
    }
}

// With a unit impulse as the signal, y_i = h_{-i}: the best filter is the desired response
// mirrored in time (the correlation of CalcOut), exact wherever the taps reach.
TEST(LeastSquaresTest, DeltaSignalGivesMirroredResponse) {
    for (const int shape :
         {static_cast<int>(ResponseShapeIndex::HalfWave), static_cast<int>(ResponseShapeIndex::TwoHalfWaves)}) {
        auto state = std::make_unique<CoreState>();
        state->SignalHalfWidth = 1000;
        state->SignalBuffer[0] = 1.0;
        ResponseParameters r;
        r.ResponseShape = shape;
        const auto outcome = leastSquaresFilter(*state, r, Fs, 100, 0.0);
        for (int j = -100; j <= 100; ++j)
            EXPECT_NEAR(state->FilterBuffer[j], state->ResponseBuffer[-j], 1e-14) << "shape " << shape << " tap " << j;
        EXPECT_NEAR(outcome.Residual, 0.0, 1e-24);
        EXPECT_NEAR(state->FilterBuffer[10], shape == static_cast<int>(ResponseShapeIndex::HalfWave) ? 0.0 : -0.56,
                    0.01);
    }
}

TEST(LeastSquaresTest, LargerRegularisationShrinksTapsAndRaisesResidual) {
    auto state = defaultBurst();
    double previousNorm = INFINITY;
    double previousResidual = -1.0;
    for (const double mu : {0.0, 1e-6, 1e-3, 1e-1, 1.0}) {
        const auto outcome = leastSquaresFilter(*state, ResponseParameters{}, Fs, 100, mu);
        double norm = 0.0;
        for (int j = -100; j <= 100; ++j)
            norm += state->FilterBuffer[j] * state->FilterBuffer[j];
        EXPECT_LT(norm, previousNorm) << "mu " << mu;
        EXPECT_GT(outcome.Residual, previousResidual) << "mu " << mu;
        previousNorm = norm;
        previousResidual = outcome.Residual;
    }
}

// The reported search objective is the one a search would compute for the same filter, and it
// beats 300 search epochs from a zero filter on the default burst.
TEST(LeastSquaresTest, BeatsThreeHundredSearchEpochs) {
    auto searched = defaultBurst();
    loadStartFilter(*searched, static_cast<int>(StartFilterKindIndex::Zero));
    CountingHost host(300);
    const SearchOutcome search = searchFilter(*searched, ResponseParameters{}, Fs, 100, host);
    ASSERT_EQ(search.Epoch, 300);

    auto state = defaultBurst();
    const auto outcome = leastSquaresFilter(*state, ResponseParameters{}, Fs, 100, 1e-6);
    EXPECT_LE(outcome.SearchObjective, search.BestObjective);

    calcOut(*state);
    EXPECT_EQ(searchObjective(*state, state->OutputBuffer.centre(), 1000), outcome.SearchObjective);
    long double residual = 0;
    for (int i = -1000; i <= 1000; ++i) {
        const long double e = static_cast<long double>(state->OutputBuffer[i]) - state->ResponseBuffer[i];
        residual += e * e;
    }
    EXPECT_NEAR(outcome.Residual, static_cast<double>(residual), 1e-12);
}

struct FailureCase {
    std::string name;
    double mu;
    int loneSample; // index of the only non-zero signal sample, or none when 0
    bool zeroSignal;
};

class LeastSquaresFailureTest : public testing::TestWithParam<FailureCase> {};

TEST_P(LeastSquaresFailureTest, LeavesFilterAndResponseUnchanged) {
    const FailureCase &c = GetParam();
    auto state = std::make_unique<CoreState>();
    state->SignalHalfWidth = 20;
    if (!c.zeroSignal)
        state->SignalBuffer[c.loneSample] = 1.0;
    for (int j = -1000; j <= 1000; ++j)
        state->FilterBuffer[j] = 0.001 * j;
    for (int i = -10000; i <= 10000; ++i)
        state->ResponseBuffer[i] = 0.5;
    ResponseParameters r;
    EXPECT_THROW(leastSquaresFilter(*state, r, Fs, 3, c.mu), base::Error);
    EXPECT_EQ(state->FilterHalfWidth, 10);
    for (int j = -1000; j <= 1000; ++j)
        ASSERT_EQ(state->FilterBuffer[j], 0.001 * j);
    for (int i = -10000; i <= 10000; ++i)
        ASSERT_EQ(state->ResponseBuffer[i], 0.5);
}

// With taps -3..3 and outputs -20..20 a sample at 23 is seen by tap 3 only: six columns of the
// system are zero and nothing but regularisation can fix their taps.
INSTANTIATE_TEST_SUITE_P(Failures, LeastSquaresFailureTest,
                         testing::Values(FailureCase{"ZeroSignal", 1e-6, 0, true},
                                         FailureCase{"ZeroSignalNoRegularisation", 0.0, 0, true},
                                         FailureCase{"SingularWithoutRegularisation", 0.0, 23, false},
                                         FailureCase{"NegativeRegularisation", -1e-6, 0, false}),
                         [](const auto &info) { return info.param.name; });

TEST(LeastSquaresTest, SingularSystemSolvedWithRegularisation) {
    auto state = std::make_unique<CoreState>();
    state->SignalHalfWidth = 20;
    state->SignalBuffer[23] = 1.0;
    ResponseParameters r;
    leastSquaresFilter(*state, r, Fs, 3, 1e-6);
    // Only tap 3 sees the sample; it maps it to output 20, where the desired response is 0.
    for (int j = -3; j <= 3; ++j)
        EXPECT_EQ(state->FilterBuffer[j], 0.0) << j;
}

} // namespace
