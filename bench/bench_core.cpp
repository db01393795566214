#include <benchmark/benchmark.h>

#include <memory>

#include "core/filtering.h"
#include "core/signal_synthesis.h"
#include "core/state.h"

using namespace pulsefir;

namespace {

std::unique_ptr<CoreState> preparedState(int n, int m) {
    auto state = std::make_unique<CoreState>();
    state->SignalHalfWidth = n;
    LoadSignal(*state, ToneBurstParameters{}, 0.8);
    AddNoise(*state, 0.04);
    state->FilterHalfWidth = m;
    for (int j = -m; j <= m; ++j)
        state->FilterBuffer[j] = 1.0 / (1.0 + j * j);
    return state;
}

// The sum written literally: i outer, j inner, one double accumulator.
void ScalarCalcOut(CoreState &state) {
    const int n = state.SignalHalfWidth;
    const int m = state.FilterHalfWidth;
    for (int i = -n; i <= n; ++i) {
        double acc = 0.0;
        for (int j = -m; j <= m; ++j) {
            const int k = i + j;
            const double s = (k < -MaxSignalHalfWidth || k > MaxSignalHalfWidth) ? 0.0 : state.SignalBuffer[k];
            acc = acc + s * state.FilterBuffer[j];
        }
        state.OutputBuffer[i] = acc;
    }
}

void BM_CalcOut(benchmark::State &bench) {
    auto state = preparedState(static_cast<int>(bench.range(0)), static_cast<int>(bench.range(1)));
    for (auto _ : bench) {
        CalcOut(*state);
        benchmark::DoNotOptimize(state->OutputBuffer[0]);
    }
    bench.counters["MAC/s"] = benchmark::Counter(
        static_cast<double>((2 * bench.range(0) + 1) * (2 * bench.range(1) + 1)), benchmark::Counter::kIsIterationInvariantRate);
}

void BM_CalcOutScalarReference(benchmark::State &bench) {
    auto state = preparedState(static_cast<int>(bench.range(0)), static_cast<int>(bench.range(1)));
    for (auto _ : bench) {
        ScalarCalcOut(*state);
        benchmark::DoNotOptimize(state->OutputBuffer[0]);
    }
    bench.counters["MAC/s"] = benchmark::Counter(
        static_cast<double>((2 * bench.range(0) + 1) * (2 * bench.range(1) + 1)), benchmark::Counter::kIsIterationInvariantRate);
}

} // namespace

BENCHMARK(BM_CalcOut)->Args({1000, 100})->Args({10000, 1000})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CalcOutScalarReference)->Args({1000, 100})->Args({10000, 1000})->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
