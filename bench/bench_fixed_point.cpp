#include <benchmark/benchmark.h>

#include <memory>

#include "core/filter_synthesis.h"
#include "core/filtering.h"
#include "core/fixed_point.h"
#include "core/fixed_point_filter.h"
#include "core/signal_synthesis.h"
#include "core/state.h"
#include "core/word_length_search.h"

using namespace pulsefir::core;

namespace {

constexpr double Fs = 0.8; // MHz

// The limits: signal half-width 10 000, filter half-width 1000, every sample and tap non-zero.
std::unique_ptr<CoreState> limitState() {
    auto state = std::make_unique<CoreState>();
    state->SignalHalfWidth = MaxSignalHalfWidth;
    loadSignal(*state, ToneBurstParameters{}, Fs);
    addNoise(*state, 0.04);
    state->FilterHalfWidth = MaxFilterHalfWidth;
    for (int j = -MaxFilterHalfWidth; j <= MaxFilterHalfWidth; ++j)
        state->FilterBuffer[j] = 1.0 / (1.0 + j * j);
    return state;
}

void setMacRate(benchmark::State &bench) {
    const double macs = (2.0 * MaxSignalHalfWidth + 1) * (2.0 * MaxFilterHalfWidth + 1);
    bench.counters["MAC/s"] =
        benchmark::Counter(macs * static_cast<double>(bench.iterations()), benchmark::Counter::kIsRate);
}

// The baseline: the double application ("Расчет фильтрации").
void BM_DoubleApplication(benchmark::State &bench) {
    auto state = limitState();
    for (auto _ : bench) {
        calcOut(*state);
        benchmark::DoNotOptimize(state->OutputBuffer[0]);
    }
    setMacRate(bench);
}
BENCHMARK(BM_DoubleApplication)->Unit(benchmark::kMillisecond)->UseRealTime();

// The integer filter alone: quantisers, exact sums, rounding, saturation. Arg: the input and tap
// width (12/16 bits sum in 64 bits; 32/32 bits take the split sums).
void BM_IntegerApplication(benchmark::State &bench) {
    auto state = limitState();
    FixedPointFormat format;
    format.inputBits = static_cast<int>(bench.range(0));
    format.tapBits = static_cast<int>(bench.range(1));
    const auto taps = state->FilterBuffer.range(MaxFilterHalfWidth);
    for (auto _ : bench) {
        const FixedPointRun run =
            runFixedPoint(state->SignalBuffer.centre(), MaxSignalHalfWidth, taps, format, &state->pool());
        benchmark::DoNotOptimize(run.output.data());
    }
    setMacRate(bench);
}
BENCHMARK(BM_IntegerApplication)->Args({12, 16})->Args({32, 32})->Unit(benchmark::kMillisecond)->UseRealTime();

// "Расчет в фикс. точке" as the window runs it: the integer filter, the double output it is
// compared with, the error figures and the stored curve.
void BM_CalcFixedOut(benchmark::State &bench) {
    auto state = limitState();
    const FixedPointFormat format;
    for (auto _ : bench) {
        const FixedPointOutcome outcome = calcFixedOut(*state, format);
        benchmark::DoNotOptimize(outcome.Error.snrDb);
    }
    setMacRate(bench);
}
BENCHMARK(BM_CalcFixedOut)->Unit(benchmark::kMillisecond)->UseRealTime();

// "Подобрать разрядность" at the defaults: the default burst over -1000..1000, the window-method
// filter of half-width 100, 12-bit ADC, 16-bit output.
void BM_FitBitsAtDefaults(benchmark::State &bench) {
    auto state = std::make_unique<CoreState>();
    state->SignalHalfWidth = 1000;
    loadSignal(*state, ToneBurstParameters{}, Fs);
    synthesizeFilter(*state, FilterSynthesisParameters{}, Fs);
    for (auto _ : bench) {
        const WordLengthSearch search = searchTapBits(*state, FixedPointFormat{}, Fs);
        benchmark::DoNotOptimize(search.Chosen);
    }
}
BENCHMARK(BM_FitBitsAtDefaults)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
