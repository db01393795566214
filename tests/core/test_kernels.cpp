// Every vector kernel against the portable one, bit for bit, and the portable ones against the
// loops written out in full; the deterministic sine and cosine against the C library's extended
// precision; the worker pool's contract.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "core/dispatch.h"
#include "core/parallel.h"
#include "core/trig.h"

using namespace pulsefir;
using namespace pulsefir::core;

namespace {

// Deterministic values in [-1, 1) with no zeros.
std::vector<double> pseudoRandom(std::size_t n, std::uint32_t seed) {
    std::vector<double> v(n);
    for (auto &x : v) {
        seed = seed * 1664525u + 1013904223u;
        x = (static_cast<double>(seed >> 8) + 0.5) / (1 << 23) - 1.0;
    }
    return v;
}

// Equal bits, or NaN on both sides (the sign of a NaN made by an invalid operation is not part
// of the result).
::testing::AssertionResult sameBits(const std::vector<double> &a, const std::vector<double> &b) {
    if (a.size() != b.size())
        return ::testing::AssertionFailure() << "sizes differ";
    for (std::size_t k = 0; k < a.size(); ++k) {
        const bool bothNan = std::isnan(a[k]) && std::isnan(b[k]);
        if (!bothNan && std::bit_cast<std::uint64_t>(a[k]) != std::bit_cast<std::uint64_t>(b[k]))
            return ::testing::AssertionFailure() << "entry " << k << ": " << a[k] << " vs " << b[k];
    }
    return ::testing::AssertionSuccess();
}

const KernelSet &scalarSet() {
    return *kernelsFor(InstructionSet::Scalar);
}

class KernelSetTest : public ::testing::TestWithParam<InstructionSet> {
  protected:
    void SetUp() override {
        m_set = kernelsFor(GetParam());
        if (m_set == nullptr)
            GTEST_SKIP() << "instruction set not available on this processor";
    }
    const KernelSet *m_set = nullptr;
};

struct CorrelationCase {
    int m, first, last;
};

TEST_P(KernelSetTest, CorrelationIsThePlainLoopBitForBit) {
    const auto signal = pseudoRandom(2 * 12001 + 1, 7);
    const auto taps = pseudoRandom(2001, 11);
    const double *s = signal.data() + 12000;
    const double *t = taps.data() + 1000;
    std::vector<CorrelationCase> cases{{0, -5, 5}, {3, 7, 7}, {17, -33, 97}, {100, -1000, 1000}, {1000, -10000, 10000}};
    // Every count of outputs up to past two full register blocks of the widest set, so that
    // each length of the left-over block (and the ranges shorter than one vector) is met.
    for (int count = 1; count <= 140; ++count)
        cases.push_back({5, -3, count - 4});
    for (const auto c : cases) {
        std::vector<double> expected(20001), actual(20001);
        // i outer, j inner ascending, one double accumulator.
        for (int i = c.first; i <= c.last; ++i) {
            double acc = 0.0;
            for (int j = -c.m; j <= c.m; ++j)
                acc = acc + s[i + j] * t[j];
            expected[static_cast<std::size_t>(i + 10000)] = acc;
        }
        m_set->correlate(s, t, c.m, actual.data() + 10000, c.first, c.last);
        EXPECT_TRUE(sameBits(expected, actual)) << "m " << c.m << " outputs " << c.first << ".." << c.last;
    }
}

// The fixed-point filter's sums: exact, so every set must give the plain loop's integers, for
// every count of outputs around the block and at the largest words whose sums stay in 64 bits.
TEST_P(KernelSetTest, IntegerSumsAreThePlainLoop) {
    std::vector<std::int32_t> input(2 * 2100 + 1), taps(2001);
    std::uint32_t state = 12345;
    const auto next = [&](std::int32_t bound) {
        state = state * 1664525u + 1013904223u;
        return static_cast<std::int32_t>(static_cast<std::int64_t>(state % (2u * bound + 1u)) - bound);
    };
    for (auto &x : input)
        x = next(1 << 30);
    for (auto &t : taps)
        t = next(1 << 21);
    input[2100] = INT32_MIN; // the most negative word, times the most negative tap below
    taps[1000] = -(1 << 21);
    const std::int32_t *x = input.data() + 2100;
    for (const auto &[m, first, last] : std::vector<CorrelationCase>{{0, -5, 5}, {1000, -1000, 1000}, {3, 0, 0}}) {
        for (int extra = 0; extra <= 70; extra += (m == 3 ? 1 : 70)) {
            const int to = last + extra > 1000 ? last : last + extra;
            std::vector<std::int64_t> expected(static_cast<std::size_t>(to - first + 1)), actual(expected.size());
            const std::int32_t *t = taps.data() + 1000 - m;
            for (int i = first; i <= to; ++i)
                for (int j = 0; j <= 2 * m; ++j)
                    expected[static_cast<std::size_t>(i - first)] += static_cast<std::int64_t>(t[j]) * x[i - m + j];
            m_set->sumProducts(t, m, x, first, to, actual.data());
            EXPECT_EQ(actual, expected) << "m " << m << " outputs " << first << ".." << to;
        }
    }
}

struct PassbandCase {
    const char *name;
    double f0, df, fs, phase;
    int first, last;
};

TEST_P(KernelSetTest, PassbandIsTheScalarKernelBitForBit) {
    for (const auto c : {PassbandCase{"defaults", 0.04, 0.01, 0.8, 0.0, -100, 100},
                         PassbandCase{"partial groups", 3.5, 1.25, 12.0, 0.3, -37, 45},
                         PassbandCase{"10^6 rad", 200, 200, 0.8, 1.0, -1000, 1000},
                         PassbandCase{"beyond 3e9 rad", 10000, 100, 0.001, 0.0, -1000, 1000}}) {
        for (int weighting = 0; weighting <= 2; ++weighting) {
            std::vector<double> expected(2001), actual(2001);
            const double args[] = {c.f0 * 6.28318, c.df * 6.28318 / 1000, 1.0 / c.fs, c.phase, 1.5};
            scalarSet().synthesizePassband(expected.data() + 1000, c.first, c.last, args[0], args[1], args[2], args[3],
                                           args[4], weighting);
            m_set->synthesizePassband(actual.data() + 1000, c.first, c.last, args[0], args[1], args[2], args[3],
                                      args[4], weighting);
            EXPECT_TRUE(sameBits(expected, actual)) << c.name << ", weighting " << weighting;
        }
    }
}

struct SpectrumCase {
    const char *name;
    double spacing;   // µs
    double lowOmega;  // rad/µs
    double highOmega; // rad/µs
    int h, points;
};

TEST_P(KernelSetTest, FourierSumsAreTheScalarKernelBitForBit) {
    auto x = pseudoRandom(20001, 3);
    // Zero samples take part like every other.
    for (std::size_t k = 0; k < x.size(); k += 3)
        x[k] = 0.0;
    const double *centre = x.data() + 10000;
    for (const auto c : {SpectrumCase{"defaults", 1.25, 0.0628, 0.4398, 1000, 400},
                         SpectrumCase{"odd point count", 0.1, 1.0, 7.0, 100, 13},
                         SpectrumCase{"limits", 1e-4, 6.28318e-3, 6.28318e4, 10000, 37},
                         SpectrumCase{"beyond 3e9 rad", 1000.0, 6.28318e3, 6.28318e4, 10000, 9},
                         SpectrumCase{"infinite angles", 1e300, 3.14159e4, 6.28318e4, 50, 11}}) {
        std::vector<double> omega(static_cast<std::size_t>(c.points));
        for (int k = 0; k < c.points; ++k)
            omega[static_cast<std::size_t>(k)] = c.lowOmega + k * ((c.highOmega - c.lowOmega) / (c.points - 1));
        std::vector<double> s1(omega.size()), c1(omega.size()), s2(omega.size()), c2(omega.size());
        const FourierSource one{centre, c.h, s1.data(), c1.data()};
        scalarSet().fourierSums(&one, 1, omega.data(), c.spacing, 0, c.points - 1);
        const FourierSource same{centre, c.h, s2.data(), c2.data()};
        m_set->fourierSums(&same, 1, omega.data(), c.spacing, 0, c.points - 1);
        EXPECT_TRUE(sameBits(s1, s2)) << c.name << ", sine sums";
        EXPECT_TRUE(sameBits(c1, c2)) << c.name << ", cosine sums";

        // The index-weighted sums of the group delay.
        std::vector<double> sm1(omega.size()), cm1(omega.size()), sm2(omega.size()), cm2(omega.size());
        const FourierSource weighted{centre, c.h, s1.data(), c1.data(), sm1.data(), cm1.data()};
        scalarSet().fourierSums(&weighted, 1, omega.data(), c.spacing, 0, c.points - 1);
        const FourierSource weightedHere{centre, c.h, s2.data(), c2.data(), sm2.data(), cm2.data()};
        m_set->fourierSums(&weightedHere, 1, omega.data(), c.spacing, 0, c.points - 1);
        EXPECT_TRUE(sameBits(sm1, sm2) && sameBits(cm1, cm2)) << c.name << ", index-weighted sums";

        // Three sources of different half-widths in one pass, the middle one without weighted
        // sums: each gets the sums it gets alone.
        const int widths[] = {c.h / 10, c.h, c.h / 2 + 1};
        for (int n = 0; n < 3; ++n) {
            const auto zeros = [&] { return std::vector<double>(omega.size()); };
            std::vector<double> alone[4] = {zeros(), zeros(), zeros(), zeros()};
            std::vector<double> shared[3][4];
            for (auto &sums : shared)
                for (auto &sum : sums)
                    sum = zeros();
            const double *source = centre + (n - 1) * 7; // shifted copies: different samples
            const FourierSource single{source,          widths[n],       alone[0].data(),
                                       alone[1].data(), alone[2].data(), alone[3].data()};
            scalarSet().fourierSums(&single, 1, omega.data(), c.spacing, 0, c.points - 1);
            FourierSource three[3];
            for (int m = 0; m < 3; ++m)
                three[m] = {centre + (m - 1) * 7,
                            widths[m],
                            shared[m][0].data(),
                            shared[m][1].data(),
                            m == 1 ? nullptr : shared[m][2].data(),
                            m == 1 ? nullptr : shared[m][3].data()};
            m_set->fourierSums(three, 3, omega.data(), c.spacing, 0, c.points - 1);
            for (int part = 0; part < (n == 1 ? 2 : 4); ++part)
                EXPECT_TRUE(sameBits(alone[part], shared[n][part])) << c.name << ", source " << n << ", sum " << part;
        }
    }
}

TEST_P(KernelSetTest, SineAndCosineAreTheScalarOnesBitForBit) {
    std::vector<double> x = {0.0, -0.0, 1e-310, 0.7853981633974483, -0.7853981633974484, 1.5707963267948966,
                             3.141592653589793, 1e6, 2.9999999999e9, 3.0e9, -3.0000001e9, 1e15, -1e300,
                             std::numeric_limits<double>::max(), std::numeric_limits<double>::infinity(),
                             -std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN(),
                             // a NaN whose bits are the largest 64-bit integer
                             std::bit_cast<double>(std::numeric_limits<std::int64_t>::max())};
    std::uint32_t seed = 1;
    for (double scale : {1.0, 1e3, 1e8, 1e11, 1e200})
        for (double v : pseudoRandom(101, seed++))
            x.push_back(v * scale);
    std::vector<double> s1(x.size()), c1(x.size()), s2(x.size()), c2(x.size());
    scalarSet().sinCos(x.data(), static_cast<int>(x.size()), s1.data(), c1.data());
    m_set->sinCos(x.data(), static_cast<int>(x.size()), s2.data(), c2.data());
    EXPECT_TRUE(sameBits(s1, s2));
    EXPECT_TRUE(sameBits(c1, c2));
}

INSTANTIATE_TEST_SUITE_P(InstructionSets, KernelSetTest,
                         ::testing::Values(InstructionSet::Scalar, InstructionSet::Avx2, InstructionSet::Avx512),
                         [](const auto &info) {
                             switch (info.param) {
                             case InstructionSet::Scalar:
                                 return std::string("Scalar");
                             case InstructionSet::Avx2:
                                 return std::string("Avx2");
                             case InstructionSet::Avx512:
                                 return std::string("Avx512");
                             }
                             return std::string("Unknown");
                         });

// Units in the last place of `reference` (rounded to double) by which `value` misses it.
double ulpError(double value, long double reference) {
    const double rounded = static_cast<double>(reference);
    const double ulp = std::nextafter(std::fabs(rounded), std::numeric_limits<double>::infinity()) - std::fabs(rounded);
    return static_cast<double>(std::fabs(static_cast<long double>(value) - reference) / ulp);
}

struct AccuracyCase {
    const char *name;
    double low, high;
    double maxUlp;
};

class TrigAccuracyTest : public ::testing::TestWithParam<AccuracyCase> {};

// Against the C library's 80-bit sinl/cosl, which reduce exactly for any argument.
TEST_P(TrigAccuracyTest, WithinAFewUnitsInTheLastPlace) {
    const auto c = GetParam();
    double worst = 0.0;
    for (double u : pseudoRandom(20000, 5)) {
        // Spread logarithmically over the range when it spans decades, linearly otherwise.
        const double x = c.low > 0 ? c.low * std::pow(c.high / c.low, 0.5 * (u + 1.0)) : c.high * u;
        const long double xl = x;
        // Relative to the value away from its zeros; near a zero, absolute (the angle itself
        // is uncertain by about 2^-53 rad there).
        for (const auto &[value, reference] : {std::pair{sine(x), std::sin(xl)}, std::pair{cosine(x), std::cos(xl)}}) {
            if (std::fabs(reference) >= 1e-3L)
                worst = std::max(worst, ulpError(value, reference));
            ASSERT_LT(std::fabs(static_cast<long double>(value) - reference), 0x1p-52L) << x;
        }
    }
    EXPECT_LE(worst, c.maxUlp) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Ranges, TrigAccuracyTest,
                         ::testing::Values(AccuracyCase{"primary interval", 0, 0.785, 1.0},
                                           AccuracyCase{"a few turns", 0, 10, 1.5},
                                           AccuracyCase{"spectra at defaults", 1e2, 1e6, 2.5},
                                           AccuracyCase{"up to the large-angle bound", 1e6, 3e9, 2.5},
                                           AccuracyCase{"large angles", 3e9, 1e15, 2.5},
                                           AccuracyCase{"huge angles", 1e15, 1e300, 2.5}),
                         [](const auto &info) {
                             std::string name = info.param.name;
                             for (char &ch : name)
                                 if (ch == ' ' || ch == '-')
                                     ch = '_';
                             return name;
                         });

TEST(TrigTest, ExactValuesAndSymmetry) {
    EXPECT_EQ(sine(0.0), 0.0);
    EXPECT_EQ(cosine(0.0), 1.0);
    EXPECT_TRUE(std::isnan(sine(std::numeric_limits<double>::infinity())));
    EXPECT_TRUE(std::isnan(cosine(-std::numeric_limits<double>::infinity())));
    EXPECT_TRUE(std::isnan(sine(std::numeric_limits<double>::quiet_NaN())));
    for (double x : {0.5, 2.0, 1e5, 4e9, 1e100}) {
        EXPECT_EQ(sine(-x), -sine(x)) << x;
        EXPECT_EQ(cosine(-x), cosine(x)) << x;
    }
}

class WorkerPoolContractTest : public ::testing::TestWithParam<int> {};

TEST_P(WorkerPoolContractTest, AThrowingChunkIsRethrownAfterEveryChunkRan) {
    WorkerPool pool(GetParam());
    for (int round = 0; round < 50; ++round) {
        std::vector<std::atomic<int>> runs(40);
        try {
            pool.run(40, [&](int chunk) {
                runs[static_cast<std::size_t>(chunk)].fetch_add(1);
                if (chunk == 3 || chunk == 31)
                    throw std::runtime_error("chunk " + std::to_string(chunk));
            });
            FAIL() << "no exception";
        } catch (const std::runtime_error &error) {
            const std::string what = error.what();
            EXPECT_TRUE(what == "chunk 3" || what == "chunk 31") << what;
        }
        for (const auto &count : runs)
            ASSERT_EQ(count.load(), 1);
    }
    // The pool is usable after a failed job.
    std::atomic<int> sum{0};
    pool.run(10, [&](int chunk) { sum += chunk; });
    EXPECT_EQ(sum.load(), 45);
}

#if !defined(NDEBUG)
TEST_P(WorkerPoolContractTest, NestedRunIsCaughtByAnAssertion) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            WorkerPool pool(GetParam());
            pool.run(4, [&](int) { pool.run(2, [](int) {}); });
        },
        "inside a running job");
}
#endif

INSTANTIATE_TEST_SUITE_P(ThreadCounts, WorkerPoolContractTest, ::testing::Values(1, 2, 4));

// PULSEFIR_THREADS, when set (scripts/test sets 4 for the thread-sanitizer run), is the pool's
// size; otherwise one thread per core, at most 8.
TEST(WorkerPoolTest, ThreadCountFollowsTheEnvironment) {
    const char *text = std::getenv("PULSEFIR_THREADS");
    if (text != nullptr) {
        int expected = 0;
        std::from_chars(text, text + std::strlen(text), expected);
        EXPECT_EQ(defaultThreadCount(), expected);
    } else {
        const int cores = static_cast<int>(std::thread::hardware_concurrency());
        EXPECT_EQ(defaultThreadCount(), std::clamp(cores, 1, 8));
    }
    EXPECT_EQ(WorkerPool().threadCount(), defaultThreadCount());
}

} // namespace
