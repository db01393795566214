#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <csignal>
#include <memory>
#include <span>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

#include "core/correlation.h"
#include "core/dispatch.h"
#include "core/filter_search.h"
#include "core/filter_synthesis.h"
#include "core/filtering.h"
#include "core/parallel.h"
#include "core/signal_synthesis.h"
#include "core/spectra.h"
#include "core/spectrum_views.h"
#include "core/state.h"
#include "idle_host.h"

using namespace pulsefir;
using namespace pulsefir::core;

namespace {

constexpr double Fs = 0.8; // MHz

std::unique_ptr<CoreState> preparedState(int n, int m, int threads = 0) {
    auto state = std::make_unique<CoreState>(threads);
    state->SignalHalfWidth = n;
    loadSignal(*state, ToneBurstParameters{}, Fs);
    addNoise(*state, 0.04); // every sample non-zero: no sample is skipped anywhere
    state->FilterHalfWidth = m;
    for (int j = -m; j <= m; ++j)
        state->FilterBuffer[j] = 1.0 / (1.0 + j * j);
    return state;
}

// ---- Filter application -------------------------------------------------------------------

// The sum written literally: i outer, j inner, one double accumulator.
void scalarCalcOut(CoreState &state) {
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

void setMacRate(benchmark::State &bench, int n, int m) {
    bench.counters["MAC/s"] =
        benchmark::Counter(static_cast<double>(2 * n + 1) * (2 * m + 1), benchmark::Counter::kIsIterationInvariantRate);
}

void bmCalcOut(benchmark::State &bench) {
    const int n = static_cast<int>(bench.range(0));
    const int m = static_cast<int>(bench.range(1));
    auto state = preparedState(n, m);
    for (auto _ : bench) {
        calcOut(*state);
        benchmark::DoNotOptimize(state->OutputBuffer[0]);
    }
    setMacRate(bench, n, m);
}

void bmCalcOutScalarReference(benchmark::State &bench) {
    const int n = static_cast<int>(bench.range(0));
    const int m = static_cast<int>(bench.range(1));
    auto state = preparedState(n, m);
    for (auto _ : bench) {
        scalarCalcOut(*state);
        benchmark::DoNotOptimize(state->OutputBuffer[0]);
    }
    setMacRate(bench, n, m);
}

BENCHMARK(bmCalcOut)->Args({1000, 100})->Args({10000, 1000})->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(bmCalcOutScalarReference)
    ->Args({1000, 100})
    ->Args({10000, 1000})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// ---- Filter search ------------------------------------------------------------------------

// One epoch written literally: increments, the trial output in 80-bit extended precision with
// i outer and j inner (each partial sum rounded to double), the objective, the acceptance.
long double literalEpoch(CoreState &s, long double best, double step) {
    const int nf = s.FilterHalfWidth;
    const int ns = s.SignalHalfWidth;
    for (int j = -nf; j <= nf; ++j)
        s.SecondFilterBuffer[j] = (s.nextRandom(1000) - 500) * step / 500;
    for (int i = -ns; i <= ns; ++i) {
        s.TrialOutputBuffer[i] = 0.0;
        for (int j = -nf; j <= nf; ++j)
            s.TrialOutputBuffer[i] =
                static_cast<double>(static_cast<long double>(s.TrialOutputBuffer[i]) +
                                    (static_cast<long double>(s.FilterBuffer[j]) + s.SecondFilterBuffer[j]) *
                                        static_cast<long double>(s.SignalBuffer[i + j]));
    }
    long double objective = 0.0L;
    for (int i = -ns; i <= ns; ++i) {
        if (i < 0) {
            const long double d = static_cast<long double>(s.TrialOutputBuffer[i]) - s.ResponseBuffer[i];
            objective += d * d;
        } else if (std::fabs(s.TrialOutputBuffer[i]) > std::fabs(s.ResponseBuffer[0])) {
            const long double d =
                static_cast<long double>(std::fabs(s.TrialOutputBuffer[i])) - std::fabs(s.ResponseBuffer[0]);
            objective += d * d;
        }
    }
    if (objective < best) {
        best = objective;
        for (int j = -nf; j <= nf; ++j)
            s.FilterBuffer[j] = s.FilterBuffer[j] + s.SecondFilterBuffer[j];
    }
    return best;
}

constexpr int EpochsPerIteration = 200;

void bmSearchEpoch(benchmark::State &bench) {
    auto state = preparedState(1000, 100);
    loadStartFilter(*state, index(StartFilterKindIndex::Delta));
    IdleHost host(EpochsPerIteration - 1);
    for (auto _ : bench) {
        const auto outcome = searchFilter(*state, ResponseParameters{}, Fs, 100, host);
        benchmark::DoNotOptimize(outcome.BestObjective);
    }
    bench.counters["epoch_us"] =
        benchmark::Counter(static_cast<double>(EpochsPerIteration) * 1e-6,
                           benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void bmSearchEpochLiteralReference(benchmark::State &bench) {
    auto state = preparedState(1000, 100);
    loadStartFilter(*state, index(StartFilterKindIndex::Delta));
    buildResponse(*state, ResponseParameters{}, Fs);
    for (auto _ : bench) {
        long double best = 1E4000L;
        for (int e = 0; e < EpochsPerIteration; ++e)
            best = literalEpoch(*state, best, 0.0002);
        benchmark::DoNotOptimize(best);
    }
    bench.counters["epoch_us"] =
        benchmark::Counter(static_cast<double>(EpochsPerIteration) * 1e-6,
                           benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// A whole default run: 50 001 epochs with a host that does nothing.
void bmDefaultSearch(benchmark::State &bench) {
    auto state = preparedState(1000, 100);
    for (auto _ : bench) {
        loadStartFilter(*state, index(StartFilterKindIndex::Delta));
        IdleHost host(50000);
        const auto outcome = searchFilter(*state, ResponseParameters{}, Fs, 100, host);
        benchmark::DoNotOptimize(outcome.BestObjective);
    }
}

// What one epoch at the defaults cannot do without: the trial output's correlation over the pool.
void bmTrialCorrelation(benchmark::State &bench) {
    auto state = preparedState(1000, 100);
    std::vector<double> out(2001);
    for (auto _ : bench) {
        correlateParallel(state->pool(), state->SignalBuffer.centre(), state->FilterBuffer.centre(), 100,
                          out.data() + 1000, -1000, 1000);
        benchmark::DoNotOptimize(out[0]);
    }
    bench.counters["epoch_us"] =
        benchmark::Counter(1e-6, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

BENCHMARK(bmTrialCorrelation)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(bmSearchEpoch)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(bmSearchEpochLiteralReference)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(bmDefaultSearch)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// Two processes that keep a core busy each, as a desktop has, for the length of one benchmark.
class BusyProcesses {
  public:
    explicit BusyProcesses(int count) {
        for (int k = 0; k < count; ++k) {
            const pid_t pid = fork();
            if (pid == 0) {
                // Only arithmetic here: the child of a threaded process may not take any lock.
                volatile unsigned long spin = 0;
                for (;;)
                    spin = spin + 1;
            }
            if (pid > 0)
                m_children.push_back(pid);
        }
    }
    ~BusyProcesses() {
        for (const pid_t pid : m_children) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }
    BusyProcesses(const BusyProcesses &) = delete;
    BusyProcesses &operator=(const BusyProcesses &) = delete;

  private:
    std::vector<pid_t> m_children;
};

double defaultSearchSeconds(int threads) {
    auto state = preparedState(1000, 100, threads);
    loadStartFilter(*state, index(StartFilterKindIndex::Delta));
    IdleHost host(50000);
    const auto start = std::chrono::steady_clock::now();
    const auto outcome = searchFilter(*state, ResponseParameters{}, Fs, 100, host);
    benchmark::DoNotOptimize(outcome.BestObjective);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The default search with two competing busy processes, on the default pool and on one thread,
// alternately in the same run; the reported time is the threaded one.
void bmDefaultSearchUnderLoad(benchmark::State &bench) {
    BusyProcesses busy(2);
    double threaded = 0.0;
    double single = 0.0;
    for (auto _ : bench) {
        const double t = defaultSearchSeconds(0);
        single += defaultSearchSeconds(1);
        threaded += t;
        bench.SetIterationTime(t);
    }
    const auto n = static_cast<double>(bench.iterations());
    bench.counters["threaded_s"] = threaded / n;
    bench.counters["one_thread_s"] = single / n;
    bench.counters["threads"] = defaultThreadCount();
}

BENCHMARK(bmDefaultSearchUnderLoad)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(2);

// ---- Spectra ------------------------------------------------------------------------------

// CalcSpectors written literally on one thread: the portable kernel, one source at a time.
void scalarCalcSpectors(CoreState &state, double fs, const SpectorParameters &p) {
    const double dt = 1.0 / fs;
    const int n = p.PointCount;
    auto &r = state.Spectra;
    const double low = 6.28318 * p.LowFrequency;
    const double step = (6.28318 * p.HighFrequency - low) / (n - 1);
    for (int k = 0; k < n; ++k)
        r.OmegaBuffer[static_cast<std::size_t>(k)] = low + k * step;
    std::vector<double> s(static_cast<std::size_t>(n)), c(static_cast<std::size_t>(n));
    auto source = [&](const double *x, int h, double *amp, double *phase) {
        const FourierSource one{x, h, s.data(), c.data()};
        kernelsFor(InstructionSet::Scalar)->fourierSums(&one, 1, r.OmegaBuffer.data(), dt, 0, n - 1);
        for (std::size_t k = 0; k < static_cast<std::size_t>(n); ++k) {
            amp[k] = std::sqrt(s[k] * s[k] + c[k] * c[k]);
            phase[k] = std::atan2(c[k], s[k]);
        }
        normalizeAmplitudes(amp, n);
    };
    source(state.SignalBuffer.centre(), state.SignalHalfWidth, r.SignalAmplitudeBuffer.data(),
           r.SignalPhaseBuffer.data());
    source(state.FilterBuffer.centre(), state.FilterHalfWidth, r.FilterAmplitudeBuffer.data(),
           r.FilterPhaseBuffer.data());
    source(state.OutputBuffer.centre(), state.SignalHalfWidth, r.OutputAmplitudeBuffer.data(),
           r.OutputPhaseBuffer.data());
}

std::unique_ptr<CoreState> spectraState(int points, int n, int m, SpectorParameters &p) {
    auto state = preparedState(n, m);
    calcOut(*state);
    p.PointCount = points;
    return state;
}

void bmCalcSpectors(benchmark::State &bench) {
    SpectorParameters p;
    auto state = spectraState(static_cast<int>(bench.range(0)), static_cast<int>(bench.range(1)),
                              static_cast<int>(bench.range(2)), p);
    for (auto _ : bench) {
        calcSpectors(*state, Fs, p);
        benchmark::DoNotOptimize(state->Spectra.SignalAmplitudeBuffer[0]);
    }
    bench.SetLabel(kernels().name);
}

void bmCalcSpectorsScalarReference(benchmark::State &bench) {
    SpectorParameters p;
    auto state = spectraState(static_cast<int>(bench.range(0)), static_cast<int>(bench.range(1)),
                              static_cast<int>(bench.range(2)), p);
    for (auto _ : bench) {
        scalarCalcSpectors(*state, Fs, p);
        benchmark::DoNotOptimize(state->Spectra.SignalAmplitudeBuffer[0]);
    }
}

// CalcSpectors without the index-weighted sums of the group delay: the baseline of the delay's cost.
void bmCalcSpectorsWithoutDelay(benchmark::State &bench) {
    SpectorParameters p;
    auto state = spectraState(static_cast<int>(bench.range(0)), static_cast<int>(bench.range(1)),
                              static_cast<int>(bench.range(2)), p);
    p.GroupDelays = false;
    for (auto _ : bench) {
        calcSpectors(*state, Fs, p);
        benchmark::DoNotOptimize(state->Spectra.SignalAmplitudeBuffer[0]);
    }
    bench.SetLabel(kernels().name);
}

// dB, unwrapped phase and phase against a cosine of all three sources from the last results.
void bmSpectrumViews(benchmark::State &bench) {
    SpectorParameters p;
    auto state = spectraState(static_cast<int>(bench.range(0)), static_cast<int>(bench.range(1)),
                              static_cast<int>(bench.range(2)), p);
    calcSpectors(*state, Fs, p);
    const auto &r = state->Spectra;
    const auto n = static_cast<std::size_t>(r.SpectorPointCount);
    for (auto _ : bench) {
        for (const auto *source : {&r.SignalAmplitudeBuffer, &r.FilterAmplitudeBuffer, &r.OutputAmplitudeBuffer})
            benchmark::DoNotOptimize(amplitudeDecibels(std::span<const double>(source->data(), n)));
        for (const auto *source : {&r.SignalPhaseBuffer, &r.FilterPhaseBuffer, &r.OutputPhaseBuffer}) {
            const std::span<const double> phase(source->data(), n);
            benchmark::DoNotOptimize(unwrapPhase(phase));
            benchmark::DoNotOptimize(cosinePhase(phase));
        }
    }
}

BENCHMARK(bmCalcSpectors)->Args({400, 1000, 100})->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(bmSpectrumViews)->Args({400, 1000, 100})->Args({10001, 10000, 1000})->Unit(benchmark::kMicrosecond);
BENCHMARK(bmCalcSpectorsScalarReference)->Args({400, 1000, 100})->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(bmCalcSpectors)->Args({10001, 10000, 1000})->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(bmCalcSpectorsWithoutDelay)->Args({400, 1000, 100})->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(bmCalcSpectorsWithoutDelay)
    ->Args({10001, 10000, 1000})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);
BENCHMARK(bmCalcSpectorsScalarReference)
    ->Args({10001, 10000, 1000})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);

// ---- Filter synthesis ---------------------------------------------------------------------

void bmSynthesizeFilter(benchmark::State &bench) {
    auto state = std::make_unique<CoreState>();
    FilterSynthesisParameters p;
    p.FilterHalfWidth = static_cast<int>(bench.range(0));
    p.WinType = index(WinTypeIndex::Hanning);
    for (auto _ : bench) {
        synthesizeFilter(*state, p, Fs);
        benchmark::DoNotOptimize(state->FilterBuffer[0]);
    }
}

void bmSynthesizeFilterScalarReference(benchmark::State &bench) {
    auto state = std::make_unique<CoreState>();
    const int n = static_cast<int>(bench.range(0));
    for (auto _ : bench) {
        state->FilterBuffer.fill(0.0);
        kernelsFor(InstructionSet::Scalar)
            ->synthesizePassband(state->FilterBuffer.centre(), -n, n, 0.04 * 6.28318, 0.01 * 6.28318 / 1000, 1 / Fs,
                                 0.0, 1.0, index(PassbandWeighting::Rectangular));
        for (int j = -n; j <= n; ++j)
            state->FilterBuffer[j] *= windowFactor(index(WinTypeIndex::Hanning), j, n);
        benchmark::DoNotOptimize(state->FilterBuffer[0]);
    }
}

BENCHMARK(bmSynthesizeFilter)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(bmSynthesizeFilterScalarReference)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
