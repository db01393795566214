#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "core/filter_search.h"
#include "core/least_squares.h"
#include "core/least_squares_set.h"
#include "core/pulse_metrics.h"
#include "core/signal_synthesis.h"
#include "core/state.h"
#include "idle_host.h"

using namespace pulsefir;
using namespace pulsefir::core;

namespace {

constexpr double Fs = 0.8;              // MHz
constexpr double Regularization = 1e-6; // the field's default

// The default burst of the signal window over -n..n.
std::unique_ptr<CoreState> defaultBurst(int n) {
    auto state = std::make_unique<CoreState>();
    state->SignalHalfWidth = n;
    loadSignal(*state, ToneBurstParameters{}, Fs);
    return state;
}

// Args: signal half-width Ns, filter half-width N. Reports the search objective it reaches.
void bmLeastSquaresFilter(benchmark::State &bench) {
    auto state = defaultBurst(static_cast<int>(bench.range(0)));
    const int n = static_cast<int>(bench.range(1));
    LeastSquaresOutcome outcome;
    for (auto _ : bench) {
        outcome = leastSquaresFilter(*state, ResponseParameters{}, Fs, n, Regularization);
        benchmark::DoNotOptimize(outcome.Cost);
    }
    bench.counters["objective"] = static_cast<double>(outcome.SearchObjective);
    bench.counters["residual"] = outcome.Residual;
}

// The baseline: the default search (50 001 epochs, zero start filter) on the default burst.
void bmDefaultSearchFromBurst(benchmark::State &bench) {
    auto state = defaultBurst(1000);
    SearchOutcome outcome;
    for (auto _ : bench) {
        loadStartFilter(*state, static_cast<int>(StartFilterKindIndex::Zero));
        IdleHost host(50000);
        outcome = searchFilter(*state, ResponseParameters{}, Fs, 100, host);
        benchmark::DoNotOptimize(outcome.BestObjective);
    }
    bench.counters["objective"] = static_cast<double>(outcome.BestObjective);
}

// Metrics of one curve of 2 * Ns + 1 samples.
void bmPulseMetrics(benchmark::State &bench) {
    auto state = defaultBurst(static_cast<int>(bench.range(0)));
    for (auto _ : bench) {
        const PulseMetrics m = measurePulse(state->SignalBuffer, state->SignalHalfWidth, Fs);
        benchmark::DoNotOptimize(m.Peak);
    }
}

} // namespace

// Args: Ns, N. The design over 8 pulses (the signal and 7 bursts of other carriers and time
// constants, each with noise) with mu chosen automatically: the summed normal equations, one
// decomposition for the curve, the solve and the metrics of every filtered pulse.
void bmLeastSquaresSetAuto(benchmark::State &bench) {
    const int ns = static_cast<int>(bench.range(0));
    const int n = static_cast<int>(bench.range(1));
    auto state = defaultBurst(ns);
    std::vector<std::unique_ptr<SignalArray>> pulses;
    std::vector<SetPulse> set{{&state->SignalBuffer, false}};
    for (int p = 1; p < 8; ++p) {
        auto scratch = defaultBurst(ns);
        ToneBurstParameters burst;
        burst.Frequency = 0.04 * (1.0 + 0.01 * (p - 4));
        burst.FrontTimeConstant = 180.0 * (1.0 + 0.05 * (p - 4));
        loadSignal(*scratch, burst, Fs);
        addNoise(*scratch, 0.04);
        pulses.push_back(std::make_unique<SignalArray>(scratch->SignalBuffer));
        set.push_back({pulses.back().get(), p == 7});
    }
    SetDesignOutcome outcome;
    for (auto _ : bench) {
        outcome = leastSquaresSetFilter(*state, set, ResponseParameters{}, Fs, n, Regularization,
                                        RegularisationChoice::Automatic);
        benchmark::DoNotOptimize(outcome.Design.Cost);
    }
    bench.counters["mu"] = outcome.Mu;
}
BENCHMARK(bmLeastSquaresSetAuto)->Args({1000, 100})->Args({10000, 1000})->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK(bmLeastSquaresFilter)->Args({1000, 100})->Args({10000, 1000})->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(bmPulseMetrics)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(bmDefaultSearchFromBurst)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

BENCHMARK_MAIN();
