#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/errors.h"
#include "core/filter_search.h"
#include "core/filter_synthesis.h"
#include "core/filtering.h"
#include "core/signal_synthesis.h"
#include "core/spectra.h"

using namespace pulsefir;
using namespace pulsefir::core;

namespace {

// Everything an operation may change, taken whole so that a failed operation can be checked to
// have changed nothing at all.
// Every array of the spectra, bit for bit: the group delays hold NaN in their gaps, which no
// comparison of values finds equal.
bool sameBits(const SpectorResults &a, const SpectorResults &b) {
    const SpectorArray SpectorResults::*arrays[] = {
        &SpectorResults::OmegaBuffer,       &SpectorResults::SignalAmplitudeBuffer,
        &SpectorResults::SignalPhaseBuffer, &SpectorResults::FilterAmplitudeBuffer,
        &SpectorResults::FilterPhaseBuffer, &SpectorResults::OutputAmplitudeBuffer,
        &SpectorResults::OutputPhaseBuffer, &SpectorResults::SignalDelayBuffer,
        &SpectorResults::FilterDelayBuffer, &SpectorResults::OutputDelayBuffer};
    for (const auto array : arrays)
        if (std::memcmp((a.*array).data(), (b.*array).data(), sizeof(SpectorArray)) != 0)
            return false;
    return true;
}

struct Snapshot {
    std::vector<double> signal, output, response, trial, filter, second;
    int signalHalfWidth, filterHalfWidth;
    SpectorResults spectra;
    std::uint32_t random;

    explicit Snapshot(CoreState &s)
        : signal(s.SignalBuffer.range(MaxSignalHalfWidth).begin(), s.SignalBuffer.range(MaxSignalHalfWidth).end()),
          output(s.OutputBuffer.range(MaxSignalHalfWidth).begin(), s.OutputBuffer.range(MaxSignalHalfWidth).end()),
          response(s.ResponseBuffer.range(MaxSignalHalfWidth).begin(),
                   s.ResponseBuffer.range(MaxSignalHalfWidth).end()),
          trial(s.TrialOutputBuffer.range(MaxSignalHalfWidth).begin(),
                s.TrialOutputBuffer.range(MaxSignalHalfWidth).end()),
          filter(s.FilterBuffer.range(MaxFilterHalfWidth).begin(), s.FilterBuffer.range(MaxFilterHalfWidth).end()),
          second(s.SecondFilterBuffer.range(MaxFilterHalfWidth).begin(),
                 s.SecondFilterBuffer.range(MaxFilterHalfWidth).end()),
          signalHalfWidth(s.SignalHalfWidth), filterHalfWidth(s.FilterHalfWidth), spectra(s.Spectra),
          random(s.random().state()) {}

    bool operator==(const Snapshot &o) const {
        return signal == o.signal && output == o.output && response == o.response && trial == o.trial &&
               filter == o.filter && second == o.second && signalHalfWidth == o.signalHalfWidth &&
               filterHalfWidth == o.filterHalfWidth && spectra.SpectorPointCount == o.spectra.SpectorPointCount &&
               sameBits(spectra, o.spectra) && random == o.random;
    }
};

struct FailureCase {
    const char *name;
    std::function<void(CoreState &)> prepare; // brings the state to where the operation fails
    std::function<void(CoreState &)> operation;
    const char *message;
};

void PrintTo(const FailureCase &c, std::ostream *os) {
    *os << c.name;
}

// A state that every operation has touched: a burst, a filter, an output and spectra.
std::unique_ptr<CoreState> busyState() {
    auto s = std::make_unique<CoreState>();
    s->SignalHalfWidth = 1000;
    loadSignal(*s, ToneBurstParameters{}, 0.8);
    synthesizeFilter(*s, FilterSynthesisParameters{}, 0.8);
    calcOut(*s);
    buildResponse(*s, ResponseParameters{}, 0.8);
    calcSpectors(*s, 0.8, SpectorParameters{});
    addNoise(*s, 0.04);
    return s;
}

ToneBurstParameters loudBurst() {
    ToneBurstParameters b;
    b.Amplitude = 1e308; // a project file may carry it: the fields' ranges apply only on leaving
    return b;
}

class FailedOperationTest : public ::testing::TestWithParam<FailureCase> {};

TEST_P(FailedOperationTest, ReportsTheFirstFaultAndChangesNothing) {
    auto state = busyState();
    GetParam().prepare(*state);
    const Snapshot before(*state);
    try {
        GetParam().operation(*state);
        FAIL() << "no error";
    } catch (const FloatingPointError &error) {
        EXPECT_STREQ(error.what(), GetParam().message);
    }
    EXPECT_TRUE(Snapshot(*state) == before);
}

INSTANTIATE_TEST_SUITE_P(
    Operations, FailedOperationTest,
    ::testing::Values(FailureCase{"burst added twice overflows", [](CoreState &s) { addSignal(s, loudBurst(), 0.8); },
                                  [](CoreState &s) { addSignal(s, loudBurst(), 0.8); }, "Floating point overflow"},
                      FailureCase{"burst carrier angle overflows", [](CoreState &) {},
                                  [](CoreState &s) {
                                      auto b = ToneBurstParameters{};
                                      b.Frequency = 1e308; // inf rad/µs, then cos(inf) is NaN: still an overflow
                                      addSignal(s, b, 0.8);
                                  },
                                  "Floating point overflow"},
                      FailureCase{"noise on a loud signal overflows",
                                  [](CoreState &s) { addSignal(s, loudBurst(), 0.8); },
                                  [](CoreState &s) { addNoise(s, 1e308); }, "Floating point overflow"},
                      FailureCase{"linear passband with a huge gain", [](CoreState &) {},
                                  [](CoreState &s) {
                                      FilterSynthesisParameters p;
                                      p.FilterType = index(PassbandWeighting::Linear);
                                      p.K = 1e308;
                                      p.FilterHalfWidth = 5;
                                      synthesizeFilter(s, p, 0.8);
                                  },
                                  "Floating point overflow"},
                      FailureCase{"filtering overflows",
                                  [](CoreState &s) {
                                      for (int i = -5; i <= 5; ++i)
                                          s.SignalBuffer[i] = 1e300;
                                      s.FilterBuffer[0] = 1e300;
                                  },
                                  [](CoreState &s) { calcOut(s); }, "Floating point overflow"},
                      FailureCase{"spectra of a loud signal",
                                  [](CoreState &s) {
                                      for (int i = -1000; i <= 1000; ++i)
                                          s.SignalBuffer[i] = 1e306;
                                  },
                                  [](CoreState &s) {
                                      SpectorParameters p;
                                      p.PointCount = 50;
                                      p.LowFrequency = 0.0;
                                      calcSpectors(s, 0.8, p);
                                  },
                                  "Floating point overflow"}));

// A search that fails in an epoch keeps what the earlier epochs left: the accepted filter, their
// increments, their trial output, and the generator where they left it.
TEST(FailedSearchTest, AFailedEpochChangesNothing) {
    auto state = busyState();
    struct Host : SearchHost {
        CoreState &state;
        std::unique_ptr<Snapshot> before;
        int epoch = 0;
        explicit Host(CoreState &s) : state(s) {}
        void processMessages() override {
            if (++epoch == 4) {
                state.SignalBuffer[0] = 1e308; // as a user could between two epochs
                before = std::make_unique<Snapshot>(state);
            }
        }
        void showEpoch(std::int32_t) override {}
        double randomStep() override { return epoch >= 4 ? 1e10 : 0.0002; }
        void showBestObjective(long double) override {}
        std::int32_t epochLimit() override { return 100; }
    } host(*state);
    EXPECT_THROW(searchFilter(*state, ResponseParameters{}, 0.8, 100, host), FloatingPointError);
    ASSERT_TRUE(host.before);
    EXPECT_TRUE(Snapshot(*state) == *host.before);
    EXPECT_FALSE(state->SearchRunning);
}

} // namespace
