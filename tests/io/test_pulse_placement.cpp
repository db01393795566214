#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "core/errors.h"
#include "core/state.h"
#include "io/pulse_placement.h"

using namespace pulsefir;
using namespace pulsefir::core;
using namespace pulsefir::io;

struct PlacementCase {
    const char *name;
    std::size_t count;
    int offset;
    std::size_t written;
    std::size_t droppedBefore;
    std::size_t droppedAfter;
    long long peakIndex; // where the last (largest) sample lands, in the buffer or not
};

class Placement : public ::testing::TestWithParam<PlacementCase> {};

TEST_P(Placement, SamplesOutsideTheBufferAreDropped) {
    const PlacementCase c = GetParam();
    auto state = std::make_unique<CoreState>();
    state->SignalBuffer.fill(7.0);
    std::vector<double> pulse(c.count);
    for (std::size_t k = 0; k < pulse.size(); ++k)
        pulse[k] = static_cast<double>(k) + 1;
    const PlacementResult r = placePulse(*state, pulse, {c.offset, 2.0, PlacementMode::Replace});
    EXPECT_EQ(r.written, c.written);
    EXPECT_EQ(r.droppedBefore, c.droppedBefore);
    EXPECT_EQ(r.droppedAfter, c.droppedAfter);
    EXPECT_EQ(r.peakIndex, c.peakIndex);
    for (int i = -MaxSignalHalfWidth; i <= MaxSignalHalfWidth; ++i) {
        const long long k = static_cast<long long>(i) - c.offset;
        const double expected = k >= 0 && k < static_cast<long long>(c.count) ? 2.0 * static_cast<double>(k + 1) : 0.0;
        ASSERT_EQ(state->SignalBuffer[i], expected) << "index " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Offsets, Placement,
    ::testing::Values(PlacementCase{"inside", 100, -50, 100, 0, 0, 49},
                      PlacementCase{"longer_than_the_right_half", 30000, 0, 10001, 0, 19999, 29999},
                      PlacementCase{"fills_the_whole_buffer", 30000, -10000, 20001, 0, 9999, 19999},
                      PlacementCase{"starts_before_the_buffer", 100, -10050, 50, 50, 0, -9951},
                      PlacementCase{"last_index_only", 5, 10000, 1, 0, 4, 10004},
                      PlacementCase{"entirely_before", 5, -20000, 0, 5, 0, -19996},
                      PlacementCase{"entirely_after", 5, 10001, 0, 0, 5, 10005}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(Placement, AddingPutsAnEchoOnTopAndThePeakHelperCentresIt) {
    auto state = std::make_unique<CoreState>();
    const std::vector<double> pulse{0.0, 0.5, -3.0, 2.0};
    EXPECT_EQ(offsetPeakAtZero(pulse), -2);
    EXPECT_EQ(offsetStartAt(1000), -1000);
    // The largest magnitude is the negative sample, and the helper puts it at 0.
    EXPECT_EQ(placePulse(*state, pulse, {offsetPeakAtZero(pulse), 1.0, PlacementMode::Replace}).peakIndex, 0);
    placePulse(*state, pulse, {offsetPeakAtZero(pulse) + 1, 0.5, PlacementMode::Add});
    EXPECT_EQ(state->SignalBuffer[-1], 0.5);
    EXPECT_EQ(state->SignalBuffer[0], -3.0 + 0.25);
    EXPECT_EQ(state->SignalBuffer[1], 2.0 - 1.5);
    EXPECT_EQ(state->SignalBuffer[2], 1.0);

    // A scale that overflows is refused before anything is written.
    const std::vector<double> huge{1e305};
    EXPECT_THROW(placePulse(*state, huge, {0, 10000.0, PlacementMode::Replace}), FloatingPointError);
    EXPECT_EQ(state->SignalBuffer[0], -2.75);
}
