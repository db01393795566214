#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/errors.h"
#include "core/filter_search.h"
#include "core/filter_synthesis.h"
#include "core/filtering.h"
#include "core/signal_synthesis.h"

using namespace pulsefir;
using namespace pulsefir::core;

namespace {

constexpr double Fs = 0.8; // MHz

// A host with fixed answers that records the order of its calls and lets a test act in the
// message processing of a chosen epoch.
class ScriptedHost : public SearchHost {
  public:
    double step = 0.0002;
    std::int32_t limit = 3;
    std::string calls;
    std::vector<std::int32_t> epochs;
    std::vector<long double> bests;
    std::function<void(int epoch)> onMessages; // epoch about to run
    std::function<void()> afterIncrements;     // at the best-objective display

    void processMessages() override {
        calls += 'P';
        if (onMessages)
            onMessages(static_cast<int>(epochs.size()) + 1);
    }
    void showEpoch(std::int32_t epoch) override {
        calls += 'E';
        epochs.push_back(epoch);
    }
    double randomStep() override {
        calls += 'R';
        return step;
    }
    void showBestObjective(long double best) override {
        calls += 'B';
        bests.push_back(best);
        if (afterIncrements)
            afterIncrements();
    }
    std::int32_t epochLimit() override {
        calls += 'L';
        return limit;
    }
};

std::unique_ptr<CoreState> stateWithSignal() {
    auto state = std::make_unique<CoreState>();
    state->SignalHalfWidth = 200;
    ToneBurstParameters burst;
    burst.Frequency = 0.1;
    burst.FrontTimeConstant = 20;
    burst.ExcitationTime = 60;
    burst.Shift = 40;
    loadSignal(*state, burst, Fs);
    loadStartFilter(*state, index(StartFilterKindIndex::Delta));
    return state;
}

SearchOutcome search(CoreState &state, ScriptedHost &host, int n = 20,
                     int shape = index(ResponseShapeIndex::HalfWave)) {
    ResponseParameters r;
    r.ResponseShape = shape;
    return searchFilter(state, r, Fs, n, host);
}

} // namespace

TEST(SearchFilterTest, HostIsCalledInOrderAndLimitEGivesEPlusOneEpochs) {
    auto state = stateWithSignal();
    ScriptedHost host;
    host.limit = 1;
    const auto outcome = search(*state, host);
    EXPECT_EQ(host.calls, "PERBLPERBL");
    EXPECT_EQ(host.epochs, (std::vector<std::int32_t>{1, 2}));
    EXPECT_EQ(outcome.Epoch, 2);
    EXPECT_FALSE(state->SearchRunning);
    EXPECT_EQ(state->FilterHalfWidth, 20);
}

TEST(SearchFilterTest, StopDuringTheFirstEpochKeepsItsIncrements) {
    auto state = stateWithSignal();
    ScriptedHost host;
    host.limit = 1000;
    host.onMessages = [&](int) { stopSearch(*state); };
    const auto outcome = search(*state, host);
    EXPECT_EQ(outcome.Epoch, 1);
    for (int j = -20; j <= 20; ++j)
        ASSERT_EQ(state->FilterBuffer[j], (j == 0 ? 1.0 : 0.0) + state->SecondFilterBuffer[j]) << j;
}

TEST(SearchFilterTest, FirstIncrementsOfAFreshGenerator) {
    auto state = stateWithSignal();
    state->random() = RandomGenerator{};
    ScriptedHost host;
    host.step = 1.0;
    host.limit = 0;
    search(*state, host);
    EXPECT_DOUBLE_EQ(state->SecondFilterBuffer[-20], -1.0);
    EXPECT_DOUBLE_EQ(state->SecondFilterBuffer[-19], -0.938);
    EXPECT_DOUBLE_EQ(state->SecondFilterBuffer[-18], 0.722);
}

TEST(SearchFilterTest, ZeroStepKeepsTheFilterAndFindsItsObjective) {
    auto state = stateWithSignal();
    ScriptedHost host;
    host.step = 0.0;
    host.limit = 4;
    const auto outcome = search(*state, host);
    for (int j = -20; j <= 20; ++j)
        ASSERT_EQ(state->FilterBuffer[j], j == 0 ? 1.0 : 0.0);
    state->FilterHalfWidth = 20;
    calcOut(*state);
    EXPECT_EQ(outcome.BestObjective, searchObjective(*state, state->OutputBuffer.centre(), state->SignalHalfWidth));
    EXPECT_GT(outcome.BestObjective, 0.0L);
}

TEST(SearchFilterTest, AllZeroSignalAcceptsOnlyTheFirstEpoch) {
    auto state = std::make_unique<CoreState>();
    state->SignalHalfWidth = 200;
    ScriptedHost host;
    host.limit = 5;
    std::vector<double> firstIncrements;
    host.afterIncrements = [&] {
        if (firstIncrements.empty())
            for (int j = -20; j <= 20; ++j)
                firstIncrements.push_back(state->SecondFilterBuffer[j]);
    };
    search(*state, host);
    long double expected = 0.0L;
    for (int i = -200; i < 0; ++i)
        expected += static_cast<long double>(state->ResponseBuffer[i]) * state->ResponseBuffer[i];
    for (long double best : host.bests)
        EXPECT_EQ(best, expected);
    for (int j = -20; j <= 20; ++j)
        ASSERT_EQ(state->FilterBuffer[j], firstIncrements[static_cast<std::size_t>(j + 20)]) << j;
}

TEST(SearchFilterTest, BestObjectiveNeverRises) {
    auto state = stateWithSignal();
    ScriptedHost host;
    host.step = 0.01;
    host.limit = 200;
    search(*state, host);
    for (std::size_t k = 1; k < host.bests.size(); ++k)
        ASSERT_LE(host.bests[k], host.bests[k - 1]);
    EXPECT_LT(host.bests.back(), host.bests.front()) << "the search improves this filter";
}

// The trace holds exactly the epochs whose displayed best objective dropped (and the first),
// and a new run starts a new trace.
TEST(SearchFilterTest, TraceRecordsEveryAcceptedEpoch) {
    auto state = stateWithSignal();
    ScriptedHost host;
    host.step = 0.01;
    host.limit = 200;
    search(*state, host);
    std::vector<std::pair<std::int32_t, long double>> expected;
    for (std::size_t k = 0; k < host.bests.size(); ++k)
        if (k == 0 || host.bests[k] < host.bests[k - 1])
            expected.emplace_back(host.epochs[k], host.bests[k]);
    ASSERT_EQ(state->SearchTrace.size(), expected.size());
    ASSERT_GT(expected.size(), 2u);
    for (std::size_t k = 0; k < expected.size(); ++k) {
        EXPECT_EQ(state->SearchTrace[k].Epoch, expected[k].first);
        EXPECT_EQ(state->SearchTrace[k].BestObjective, expected[k].second);
    }
    ScriptedHost second;
    second.step = 0.0;
    second.limit = 4;
    search(*state, second);
    ASSERT_EQ(state->SearchTrace.size(), 1u) << "a zero step accepts only the first epoch";
    EXPECT_EQ(state->SearchTrace[0].Epoch, 1);
}

// The trial output of every epoch is the plain double correlation with the trial taps.
TEST(SearchFilterTest, TrialOutputEqualsThePlainLoopBitForBit) {
    auto state = stateWithSignal();
    addNoise(*state, 0.1);
    ScriptedHost host;
    host.step = 0.05;
    host.limit = 6;
    std::vector<double> before(41);
    host.onMessages = [&](int) {
        for (int j = -20; j <= 20; ++j)
            before[static_cast<std::size_t>(j + 20)] = state->FilterBuffer[j];
    };
    int checked = 0;
    host.afterIncrements = [&] {
        for (int i = -200; i <= 200; ++i) {
            double acc = 0.0;
            for (int j = -20; j <= 20; ++j)
                acc = acc + (before[static_cast<std::size_t>(j + 20)] + state->SecondFilterBuffer[j]) *
                                state->SignalBuffer[i + j];
            ASSERT_EQ(state->TrialOutputBuffer[i], acc) << i;
        }
        ++checked;
    };
    search(*state, host);
    EXPECT_EQ(checked, 7);
}

TEST(SearchFilterTest, ResponseShapesOneAndTwoSearchAlike) {
    auto a = stateWithSignal();
    auto b = stateWithSignal();
    ScriptedHost hostA;
    ScriptedHost hostB;
    hostA.limit = hostB.limit = 50;
    hostA.step = hostB.step = 0.01;
    search(*a, hostA, 20, index(ResponseShapeIndex::TwoHalfWaves));
    search(*b, hostB, 20, index(ResponseShapeIndex::TwoHalfWavesSymmetric));
    EXPECT_EQ(hostA.bests, hostB.bests);
    for (int j = -20; j <= 20; ++j)
        ASSERT_EQ(a->FilterBuffer[j], b->FilterBuffer[j]);
    EXPECT_NE(a->ResponseBuffer[10], b->ResponseBuffer[10]);
}

TEST(SearchFilterTest, StopWhileIdleDoesNotAffectTheNextSearch) {
    auto state = stateWithSignal();
    stopSearch(*state);
    ScriptedHost host;
    host.limit = 3;
    EXPECT_EQ(search(*state, host).Epoch, 4);
}

TEST(SearchFilterTest, ResetOfTheStartFilterMidRunKeepsTheBestObjective) {
    // A signal equal to the desired response: the delta filter reaches objective 0 at once.
    auto state = stateWithSignal();
    buildResponse(*state, ResponseParameters{}, Fs);
    for (int i = -200; i <= 200; ++i)
        state->SignalBuffer[i] = state->ResponseBuffer[i];
    ScriptedHost host;
    host.step = 0.0;
    host.limit = 8;
    host.onMessages = [&](int epoch) {
        if (epoch == 4)
            loadStartFilter(*state, index(StartFilterKindIndex::Zero));
    };
    search(*state, host);
    // The zero filter's trials never beat the 0 reached before the reset, so none is accepted,
    // although a fresh run would accept its first trial.
    for (long double best : host.bests)
        EXPECT_EQ(best, 0.0L);
    for (int j = -20; j <= 20; ++j)
        ASSERT_EQ(state->FilterBuffer[j], 0.0);
}

TEST(SearchFilterTest, SynthesisMidRunReplacesTheFilterAndItsHalfWidth) {
    auto state = stateWithSignal();
    ScriptedHost host;
    host.limit = 5;
    host.onMessages = [&](int epoch) {
        if (epoch == 3) {
            FilterSynthesisParameters p;
            p.FilterHalfWidth = 7;
            synthesizeFilter(*state, p, Fs);
        }
    };
    state->SecondFilterBuffer.fill(0.0);
    search(*state, host);
    EXPECT_EQ(state->FilterHalfWidth, 7);
    EXPECT_TRUE(state->SecondFilterBuffer[7] != 0.0 || state->SecondFilterBuffer[-7] != 0.0);
    for (int j = 8; j <= 20; ++j)
        ASSERT_EQ(state->FilterBuffer[j], 0.0) << "taps outside the new width are untouched";
}

TEST(SearchFilterTest, NewSignalMidRunIsMeasuredFromTheNextTrial) {
    auto state = stateWithSignal();
    ScriptedHost host;
    host.step = 0.0;
    host.limit = 4;
    host.onMessages = [&](int epoch) {
        if (epoch == 3)
            state->SignalBuffer.fill(0.0);
    };
    search(*state, host);
    long double zeroSignalObjective = 0.0L;
    for (int i = -200; i < 0; ++i)
        zeroSignalObjective += static_cast<long double>(state->ResponseBuffer[i]) * state->ResponseBuffer[i];
    EXPECT_NE(host.bests[1], zeroSignalObjective);
    EXPECT_EQ(host.bests[4], std::min(host.bests[1], zeroSignalObjective));
}

TEST(SearchFilterTest, OverflowEndsTheRunAndKeepsWhatWasAccepted) {
    auto state = stateWithSignal();
    ScriptedHost host;
    host.limit = 100;
    std::vector<double> accepted;
    host.onMessages = [&](int epoch) {
        if (epoch == 4) {
            for (int j = -20; j <= 20; ++j)
                accepted.push_back(state->FilterBuffer[j]);
            state->SignalBuffer[0] = 1e308;
            host.step = 1e10;
        }
    };
    try {
        search(*state, host);
        FAIL() << "no error";
    } catch (const FloatingPointError &error) {
        EXPECT_STREQ(error.what(), "Floating point overflow");
    }
    EXPECT_EQ(host.epochs.back(), 4);
    EXPECT_FALSE(state->SearchRunning);
    for (int j = -20; j <= 20; ++j)
        ASSERT_EQ(state->FilterBuffer[j], accepted[static_cast<std::size_t>(j + 20)]);
}

TEST(SearchFilterTest, HostErrorEndsTheRun) {
    auto state = stateWithSignal();
    struct FailingHost : ScriptedHost {
        double randomStep() override { throw base::Error("'x' is not a valid floating point value."); }
    } host;
    EXPECT_THROW(search(*state, host), base::Error);
    EXPECT_FALSE(state->SearchRunning);
}

TEST(LoadStartFilterTest, DeltaIsASingleOneAndKeepsTheHalfWidth) {
    auto state = std::make_unique<CoreState>();
    state->FilterBuffer[-1000] = 3.0;
    state->FilterBuffer[500] = 3.0;
    state->FilterHalfWidth = 42;
    loadStartFilter(*state, index(StartFilterKindIndex::Delta));
    for (int j = -1000; j <= 1000; ++j)
        ASSERT_EQ(state->FilterBuffer[j], j == 0 ? 1.0 : 0.0);
    EXPECT_EQ(state->FilterHalfWidth, 42);
    loadStartFilter(*state, index(StartFilterKindIndex::Zero));
    EXPECT_EQ(state->FilterBuffer[0], 0.0);
}
