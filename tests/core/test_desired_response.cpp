#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <utility>

#include "core/desired_response.h"
#include "core/errors.h"

using namespace pulsefir;
using namespace pulsefir::core;

namespace {

constexpr double Fs = 0.8; // MHz

} // namespace

TEST(BuildResponseTest, DefaultHalfWave) {
    auto state = std::make_unique<CoreState>();
    buildResponse(*state, ResponseParameters{}, Fs);
    EXPECT_EQ(state->ResponseBuffer[0], 1.4);
    EXPECT_NEAR(state->ResponseBuffer[5], 1.86e-6, 0.01e-6);
    EXPECT_EQ(state->ResponseBuffer[-5], state->ResponseBuffer[5]);
    EXPECT_EQ(state->ResponseBuffer[6], 0.0);
    EXPECT_NEAR(state->ResponseBuffer[2], std::cos(2 * (3.14159 / 12.5) * 1.25) * 1.4, 1e-15);
}

TEST(BuildResponseTest, TwoHalfWavesAddANegativeLobeBeforeTheCentre) {
    for (int shape : {index(ResponseShapeIndex::TwoHalfWaves), index(ResponseShapeIndex::TwoHalfWavesSymmetric)}) {
        auto state = std::make_unique<CoreState>();
        state->ResponseBuffer[40] = 9.0; // cleared first
        ResponseParameters r;
        r.ResponseShape = shape;
        buildResponse(*state, r, Fs);
        EXPECT_NEAR(state->ResponseBuffer[-10], -0.56, 0.001) << shape;
        EXPECT_NEAR(state->ResponseBuffer[-5], 7.4e-7, 0.1e-7) << "the lobe overwrote -M";
        EXPECT_NE(state->ResponseBuffer[-15], 0.0);
        EXPECT_EQ(state->ResponseBuffer[-16], 0.0);
        EXPECT_EQ(state->ResponseBuffer[40], 0.0);
        if (shape == index(ResponseShapeIndex::TwoHalfWaves))
            EXPECT_NEAR(state->ResponseBuffer[5], 1.86e-6, 0.01e-6) << "the positive side keeps the half wave";
        else
            EXPECT_EQ(state->ResponseBuffer[10], state->ResponseBuffer[-10]);
    }
}

TEST(BuildResponseTest, ShortPeakGivesASingleSample) {
    for (auto [shape, expected] : {std::pair{index(ResponseShapeIndex::HalfWave), 2.0},
                                   {index(ResponseShapeIndex::TwoHalfWaves), 2.0 / 2.5},
                                   {index(ResponseShapeIndex::TwoHalfWavesSymmetric), 2.0 / 2.5}}) {
        auto state = std::make_unique<CoreState>();
        ResponseParameters r;
        r.Ar1 = 2.0;
        r.Tr1 = 2.4; // Tr1 * Fs < 2: M = 0
        r.ResponseShape = shape;
        buildResponse(*state, r, Fs);
        EXPECT_DOUBLE_EQ(state->ResponseBuffer[0], expected) << shape;
        EXPECT_EQ(state->ResponseBuffer[1], 0.0);
        EXPECT_EQ(state->ResponseBuffer[-1], 0.0);
    }
}

TEST(BuildResponseTest, LongPeakStopsAtTheEndOfTheBuffer) {
    auto state = std::make_unique<CoreState>();
    ResponseParameters r;
    r.Tr1 = 200;
    r.ResponseShape = index(ResponseShapeIndex::TwoHalfWavesSymmetric);
    buildResponse(*state, r, 10000); // M = 10^6
    EXPECT_EQ(state->ResponseBuffer[0], 1.4);
    EXPECT_NE(state->ResponseBuffer[10000], 0.0);
    EXPECT_NE(state->ResponseBuffer[-10000], 0.0);
}

TEST(BuildResponseTest, UnknownShapeLeavesTheResponseZeroAndZeroDivisorsFail) {
    auto state = std::make_unique<CoreState>();
    ResponseParameters r;
    r.ResponseShape = 3;
    buildResponse(*state, r, Fs);
    EXPECT_EQ(state->ResponseBuffer[0], 0.0);
    r.ResponseShape = index(ResponseShapeIndex::HalfWave);
    buildResponse(*state, r, Fs);
    r.Tr1 = 0.0;
    EXPECT_THROW(buildResponse(*state, r, Fs), FloatingPointError);
    EXPECT_EQ(state->ResponseBuffer[0], 1.4) << "unchanged by the failed call";
    r.Tr1 = 12.5;
    EXPECT_THROW(buildResponse(*state, r, 0.0), FloatingPointError);
}
