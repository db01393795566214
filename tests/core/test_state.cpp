#include <gtest/gtest.h>

#include <memory>

#include "core/parallel.h"
#include "core/state.h"

using namespace pulsefir;
using namespace pulsefir::core;

TEST(CoreStateTest, FreshStateIsAllZeroWithInitialHalfWidths) {
    auto state = std::make_unique<CoreState>();
    EXPECT_EQ(state->SignalHalfWidth, 100);
    EXPECT_EQ(state->FilterHalfWidth, 10);
    EXPECT_FALSE(state->SearchRunning);
    for (int i = -MaxSignalHalfWidth; i <= MaxSignalHalfWidth; ++i) {
        ASSERT_EQ(state->SignalBuffer[i], 0.0);
        ASSERT_EQ(state->OutputBuffer[i], 0.0);
        ASSERT_EQ(state->ResponseBuffer[i], 0.0);
        ASSERT_EQ(state->TrialOutputBuffer[i], 0.0);
    }
    for (int j = -MaxFilterHalfWidth; j <= MaxFilterHalfWidth; ++j) {
        ASSERT_EQ(state->FilterBuffer[j], 0.0);
        ASSERT_EQ(state->SecondFilterBuffer[j], 0.0);
    }
    EXPECT_EQ(state->Spectra.SpectorPointCount, 0);
}

TEST(CoreStateTest, SymmetricIndexingIsContiguousAroundZero) {
    auto state = std::make_unique<CoreState>();
    state->FilterBuffer[-1000] = -1.0;
    state->FilterBuffer[0] = 0.5;
    state->FilterBuffer[1000] = 1.0;
    auto view = state->FilterBuffer.range(1000);
    ASSERT_EQ(view.size(), 2001u);
    EXPECT_EQ(view.front(), -1.0);
    EXPECT_EQ(view[1000], 0.5);
    EXPECT_EQ(view.back(), 1.0);
    EXPECT_EQ(state->FilterBuffer.range(0).size(), 1u);
    EXPECT_EQ(state->FilterBuffer.range(5000).size(), 2001u) << "a view never reaches outside";
}

TEST(RandomGeneratorTest, FirstDrawsOfAFreshGenerator) {
    RandomGenerator generator;
    const int expected[] = {0, 31, 861, 202, 272, 671};
    for (int value : expected)
        EXPECT_EQ(generator.next(1000), value);
}

TEST(RandomGeneratorTest, StateFollowsTheLinearCongruence) {
    RandomGenerator generator;
    generator.next(7);
    EXPECT_EQ(generator.state(), 1u);
    generator.next(7);
    EXPECT_EQ(generator.state(), 134775814u);
    generator.next(7);
    EXPECT_EQ(generator.state(), static_cast<std::uint32_t>(134775814ull * 134775813ull + 1ull));
}

TEST(RandomGeneratorTest, DrawsStayInRangeForEveryRange) {
    for (std::int32_t range : {1, 2, 3, 1000, 65536, 2147483647}) {
        RandomGenerator generator;
        for (int k = 0; k < 10000; ++k) {
            const auto v = generator.next(range);
            ASSERT_GE(v, 0);
            ASSERT_LT(v, range);
        }
    }
}

class WorkerPoolTest : public ::testing::TestWithParam<int> {};

TEST_P(WorkerPoolTest, ForRangeCoversEveryIndexExactlyOnce) {
    WorkerPool pool(GetParam());
    for (auto [first, last, grain] :
         {std::tuple{-1000, 1000, 32}, {0, 0, 32}, {5, 4, 8}, {-10000, 10000, 128}, {-3, 200, 1}}) {
        std::vector<int> hits(static_cast<std::size_t>(std::max(0, last - first + 1)), 0);
        for (int repeat = 0; repeat < 50; ++repeat)
            pool.forRange(first, last, grain, [&](int lo, int hi) {
                for (int i = lo; i <= hi; ++i)
                    ++hits[static_cast<std::size_t>(i - first)];
            });
        for (int h : hits)
            ASSERT_EQ(h, 50);
    }
}

INSTANTIATE_TEST_SUITE_P(ThreadCounts, WorkerPoolTest, ::testing::Values(1, 2, 3, 5));
