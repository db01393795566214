#include "filter_search.h"

#include <array>
#include <atomic>
#include <cfloat>
#include <chrono>
#include <cmath>
#include <limits>
#include <memory>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "constants.h"
#include "correlation.h"
#include "dispatch.h"
#include "errors.h"
#include "parallel.h"
#include "thread_choice.h"

namespace pulsefir::core {

namespace {

// Every run starts its best objective above anything a trial can reach.
long double initialBestObjective() {
    if constexpr (LDBL_MAX_10_EXP >= 4000)
        return 1E4000L;
    else
        return std::numeric_limits<long double>::infinity();
}

// Output i's term of the search objective added to the 80-bit `sum`: before the centre the
// squared difference from the desired response, from the centre on the squared excess of the
// magnitude over the desired peak.
inline long double addObjectiveTerm(long double sum, const double *trial, const double *response, long double peak,
                                    int i) {
    if (i < 0) {
        const long double d = static_cast<long double>(trial[i]) - response[i];
        return sum + d * d;
    }
    const long double a = std::fabs(static_cast<long double>(trial[i]));
    if (a > peak) {
        const long double d = a - peak;
        return sum + d * d;
    }
    return sum;
}

// Trial outputs handed to one thread at a time: about 1.5 µs of work at the defaults.
constexpr int TrialGrain = 128;
constexpr int MaxTrialChunks = (SignalArray::Size + TrialGrain - 1) / TrialGrain;
// Polls of a chunk that another thread holds before the waiting thread gives way: some 25 µs,
// more than ten times the work of a chunk.
constexpr int SpinsBeforeYield = 1000;

// The trial output trial[-ns..ns] (ns, nf >= 0) and its objective, in one job on the pool. The
// outputs are cut into chunks that every thread takes in ascending order; one of the threads
// also adds up the objective, chunk after chunk, as soon as each chunk is ready (taking the next
// chunk itself while it waits), so the sum keeps its ascending order and its bits while the
// other threads still correlate.
//
// Whether the threads take part is chosen anew for every epoch (ThreadChoice): on a busy desktop
// the calling thread alone can be faster.
class TrialJob {
  public:
    long double run(WorkerPool &pool, ThreadChoice &choice, const CoreState &state, const double *taps, int nf,
                    double *trial, int ns) {
        using Clock = std::chrono::steady_clock;
        const bool threaded = choice.useThreads(pool);
        const auto start = Clock::now();
        const long double objective = runOnce(pool, threaded ? pool.threadCount() : 1, state, taps, nf, trial, ns);
        choice.record(std::chrono::duration<double>(Clock::now() - start).count());
        return objective;
    }

  private:
    long double runOnce(WorkerPool &pool, int roles, const CoreState &state, const double *taps, int nf, double *trial,
                        int ns) {
        m_state = &state;
        m_taps = taps;
        m_nf = nf;
        m_trial = trial;
        m_ns = ns;
        m_chunks = (2 * ns + 1 + TrialGrain - 1) / TrialGrain;
        m_next.store(0, std::memory_order_relaxed);
        m_fault.store(false, std::memory_order_relaxed);
        for (int c = 0; c < m_chunks; ++c)
            m_ready[static_cast<std::size_t>(c)].store(false, std::memory_order_relaxed);
        m_correlate = kernels().correlate;
        long double objective = 0.0L;
        // Role 0 adds up the objective; the other roles only correlate.
        pool.run(roles, [&](int role) {
            if (role == 0)
                objective = sumObjective();
            else
                while (takeChunk()) {
                }
        });
        if (m_fault.load(std::memory_order_relaxed))
            throw FloatingPointError(FloatingPointFault::Overflow);
        return objective;
    }

    // Correlates the next chunk nobody has taken; false when none is left.
    bool takeChunk() {
        const int c = m_next.fetch_add(1, std::memory_order_relaxed);
        if (c >= m_chunks)
            return false;
        const int first = -m_ns + c * TrialGrain;
        const int last = std::min(m_ns, first + TrialGrain - 1);
        m_correlate(m_state->SignalBuffer.centre(), m_taps, m_nf, m_trial, first, last);
        // Checked here, while the chunk is in this thread's cache: every output, not only those
        // the objective counts (after the centre it ignores a NaN that stays under the peak).
        if (!allFinite({m_trial + first, static_cast<std::size_t>(last - first + 1)}))
            m_fault.store(true, std::memory_order_relaxed);
        m_ready[static_cast<std::size_t>(c)].store(true, std::memory_order_release);
        return true;
    }

    // The terms of outputs first..last added to `objective`, in SearchObjective's order. A
    // function of its own keeps the 80-bit sum in a register: around the calls of the waiting
    // loop it would live in memory, and each addition would wait for a store and a load.
    __attribute__((noinline)) static long double addTerms(long double objective, const double *trial,
                                                          const double *response, long double peak, int first,
                                                          int last) {
        int i = first;
        for (; i <= last && i < 0; ++i)
            objective = addObjectiveTerm(objective, trial, response, peak, i);
        // After the centre most outputs stay under the peak and add nothing: a group of eight is
        // first compared in double (exact, the peak being a double) and skipped when none is
        // above it; NaN is above nothing on either side.
        const double peakValue = static_cast<double>(peak);
        constexpr int Group = 8;
        for (; i <= last; i += Group) {
            const int count = std::min(Group, last - i + 1);
            bool above = false;
            for (int k = 0; k < Group; ++k)
                above |= k < count && std::fabs(trial[i + k]) > peakValue;
            if (above)
                for (int k = 0; k < count; ++k)
                    objective = addObjectiveTerm(objective, trial, response, peak, i + k);
        }
        return objective;
    }

    // The sum of SearchObjective, in its order.
    long double sumObjective() {
        const long double peak = std::fabs(static_cast<long double>(m_state->ResponseBuffer[0]));
        const double *response = m_state->ResponseBuffer.centre();
        long double objective = 0.0L;
        bool allTaken = false;
        for (int c = 0; c < m_chunks; ++c) {
            for (int spins = 0; !m_ready[static_cast<std::size_t>(c)].load(std::memory_order_acquire); ++spins) {
                // Another thread is correlating this chunk: help with a later one while any is
                // left, then poll (a chunk takes about 1.5 µs), and give way to other programs
                // after SpinsBeforeYield polls.
                if (!allTaken && takeChunk())
                    continue;
                allTaken = true;
                if (spins < SpinsBeforeYield)
                    cpuRelax();
                else
                    std::this_thread::yield();
            }
            const int first = -m_ns + c * TrialGrain;
            const int last = std::min(m_ns, first + TrialGrain - 1);
            objective = addTerms(objective, m_trial, response, peak, first, last);
        }
        return objective;
    }

    const CoreState *m_state = nullptr;
    const double *m_taps = nullptr;
    double *m_trial = nullptr;
    int m_nf = 0;
    int m_ns = 0;
    int m_chunks = 0;
    decltype(KernelSet::correlate) m_correlate = nullptr;
    std::atomic<int> m_next{0};
    std::atomic<bool> m_fault{false}; // a chunk holds an output that is not finite
    std::array<std::atomic<bool>, MaxTrialChunks> m_ready{};
};

// Restores "not running" when a run ends by an error.
struct RunningGuard {
    CoreState &state;
    bool finished = false;
    ~RunningGuard() {
        if (!finished)
            state.SearchRunning = false;
    }
};

} // namespace

void loadStartFilter(CoreState &state, int startFilterKind) {
    state.FilterBuffer.fill(0.0);
    if (startFilterKind == index(StartFilterKindIndex::Delta))
        state.FilterBuffer[0] = 1.0;
}

long double searchObjective(const CoreState &state, const double *trial, int ns) {
    const long double peak = std::fabs(static_cast<long double>(state.ResponseBuffer[0]));
    long double objective = 0.0L;
    for (int i = -ns; i <= ns; ++i)
        objective = addObjectiveTerm(objective, trial, state.ResponseBuffer.centre(), peak, i);
    return objective;
}

SearchOutcome searchFilter(CoreState &state, const ResponseParameters &response, double samplingFrequency,
                           int filterHalfWidth, SearchHost &host) {
    buildResponse(state, response, samplingFrequency);
    state.TrialOutputBuffer.fill(0.0);
    state.SearchTrace.clear();
    state.SearchRunning = true;
    RunningGuard guard{state};
    state.FilterHalfWidth = std::clamp(filterHalfWidth, -1, MaxFilterHalfWidth);

    SearchOutcome outcome;
    outcome.BestObjective = initialBestObjective();
    // An epoch works in scratch storage and changes the shared state only once all of it has
    // succeeded: a fault leaves the filter, the increments, the trial output and the generator
    // as the previous epoch left them.
    std::vector<double> increments(FilterArray::Size);
    std::vector<double> trialTaps(FilterArray::Size);
    std::vector<double> trialOutput(SignalArray::Size);
    std::vector<std::int32_t> draws(FilterArray::Size);
    double *trialTap = trialTaps.data() + MaxFilterHalfWidth;
    double *trial = trialOutput.data() + MaxSignalHalfWidth;
    auto job = std::make_unique<TrialJob>();

    for (;;) {
        host.processMessages();
        ++outcome.Epoch;
        host.showEpoch(outcome.Epoch);
        const double step = host.randomStep();

        // Both half-widths are read anew: the user may have synthesized a filter or redrawn.
        const int nf = usableFilterHalfWidth(state.FilterHalfWidth);
        const int ns = usableSignalHalfWidth(state.SignalHalfWidth);
        const auto tapCount = static_cast<std::size_t>(std::max(0, 2 * nf + 1));
        const auto sampleCount = static_cast<std::size_t>(std::max(0, 2 * ns + 1));
        const std::span<const double> epochIncrements(increments.data() + MaxFilterHalfWidth - std::max(nf, 0),
                                                      tapCount);
        const std::span<const double> epochTaps(trialTap - std::max(nf, 0), tapCount);
        const std::span<const double> epochTrial(trial - std::max(ns, 0), sampleCount);

        const RandomGenerator before = state.random();
        bool accepted = false;
        try {
            state.random().fill(NoiseLevels, draws.data(), static_cast<int>(tapCount));
            for (int j = -nf; j <= nf; ++j) {
                const int n = draws[static_cast<std::size_t>(j + nf)];
                const double increment = (n - NoiseLevels / 2) * step / (NoiseLevels / 2);
                increments[static_cast<std::size_t>(j + MaxFilterHalfWidth)] = increment;
                trialTap[j] = state.FilterBuffer[j] + increment;
            }
            checkComputed(epochIncrements);
            checkComputed(epochTaps);
            long double objective = 0.0L;
            if (ns >= 0 && nf >= 0) {
                // Also checks every trial output.
                objective = job->run(state.pool(), state.searchThreads(), state, trialTap, nf, trial, ns);
            } else {
                for (int i = -ns; i <= ns; ++i)
                    trial[i] = 0.0;
                objective = searchObjective(state, trial, ns);
            }
            if (std::isnan(objective))
                throw FloatingPointError(FloatingPointFault::InvalidOperation);
            if (objective < outcome.BestObjective) {
                outcome.BestObjective = objective;
                accepted = true;
            }
        } catch (...) {
            state.random() = before;
            throw;
        }
        state.SecondFilterBuffer.assign(nf, epochIncrements);
        state.TrialOutputBuffer.assign(ns, epochTrial);
        // The accepted taps are the trial taps: the filter plus this epoch's increments.
        if (accepted) {
            state.FilterBuffer.assign(nf, epochTaps);
            state.SearchTrace.push_back({outcome.Epoch, outcome.BestObjective});
        }
        host.showBestObjective(outcome.BestObjective);
        if (host.epochLimit() < outcome.Epoch)
            state.SearchRunning = false;
        if (!state.SearchRunning)
            break;
    }
    guard.finished = true;
    return outcome;
}

void stopSearch(CoreState &state) {
    state.SearchRunning = false;
}

} // namespace pulsefir::core
