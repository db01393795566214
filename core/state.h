#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace pulsefir::core {

class WorkerPool;
class ThreadChoice;

constexpr int MaxSignalHalfWidth = 10000;
constexpr int MaxFilterHalfWidth = 1000;
constexpr int MaxSpectorPoints = 10001;

// Samples indexed symmetrically around zero, -Half..+Half. Pad extra zero entries on each side
// are never written by any operation: a filter sum that reaches beyond the array reads them as
// samples of value 0 instead of touching memory outside it.
template <int Half, int Pad = 0> class SymmetricArray {
  public:
    static constexpr int HalfWidth = Half;
    static constexpr int Size = 2 * Half + 1;

    double &operator[](int i) { return m_storage[static_cast<std::size_t>(i + Half + Pad)]; }
    double operator[](int i) const { return m_storage[static_cast<std::size_t>(i + Half + Pad)]; }

    // Pointer to entry 0; valid offsets are -(Half + Pad)..+(Half + Pad).
    double *centre() { return m_storage.data() + Half + Pad; }
    const double *centre() const { return m_storage.data() + Half + Pad; }

    // The entries -n..+n (n clamped to 0..Half), as one contiguous view.
    std::span<double> range(int n) {
        n = std::clamp(n, 0, Half);
        return {centre() - n, static_cast<std::size_t>(2 * n + 1)};
    }
    std::span<const double> range(int n) const {
        n = std::clamp(n, 0, Half);
        return {centre() - n, static_cast<std::size_t>(2 * n + 1)};
    }

    void fill(double value) { std::fill(centre() - Half, centre() + Half + 1, value); }

    // Replaces the entries -n..+n by `values` (2n + 1 of them, checked beforehand): the last
    // step of every operation, which computes into scratch storage first.
    void assign(int n, std::span<const double> values) { std::copy(values.begin(), values.end(), range(n).begin()); }

  private:
    std::array<double, static_cast<std::size_t>(2 * (Half + Pad) + 1)> m_storage{};
};

using SignalArray = SymmetricArray<MaxSignalHalfWidth, MaxFilterHalfWidth>;
using FilterArray = SymmetricArray<MaxFilterHalfWidth>;
using SpectorArray = std::array<double, MaxSpectorPoints>;

// The program's single pseudo-random generator: 32-bit linear congruential, state 0 at start and
// never reseeded, so every run draws the same sequence.
class RandomGenerator {
  public:
    // An integer in 0..range-1: the upper 32 bits of state * range after the state step.
    std::int32_t next(std::int32_t range) {
        m_state = m_state * Multiplier + 1u;
        return scaled(m_state, range);
    }
    std::uint32_t state() const { return m_state; }

    // next(range) `count` times into out[0..count-1]. Eight states at a time are each one step
    // from the state before the group (s_k = a^k s + c_k), so the draws do not wait on one another.
    void fill(std::int32_t range, std::int32_t *out, int count) {
        int k = 0;
        for (; k + Jump <= count; k += Jump) {
            const std::uint32_t base = m_state;
            for (int l = 0; l < Jump; ++l)
                out[k + l] = scaled(base * Steps.factor[l] + Steps.offset[l], range);
            m_state = base * Steps.factor[Jump - 1] + Steps.offset[Jump - 1];
        }
        for (; k < count; ++k)
            out[k] = next(range);
    }

  private:
    static constexpr std::uint32_t Multiplier = 134775813u;
    static constexpr int Jump = 8;
    struct JumpTable {
        std::uint32_t factor[Jump];
        std::uint32_t offset[Jump];
    };
    static constexpr JumpTable Steps = [] {
        JumpTable t{};
        std::uint32_t factor = 1, offset = 0;
        for (int l = 0; l < Jump; ++l) {
            factor *= Multiplier;
            offset = offset * Multiplier + 1u;
            t.factor[l] = factor;
            t.offset[l] = offset;
        }
        return t;
    }();
    static std::int32_t scaled(std::uint32_t state, std::int32_t range) {
        return static_cast<std::int32_t>((static_cast<std::uint64_t>(state) * static_cast<std::uint32_t>(range)) >> 32);
    }

    std::uint32_t m_state = 0;
};

// Results of the last spectrum computation.
struct SpectorResults {
    SpectorArray OmegaBuffer{}; // rad/µs
    SpectorArray SignalAmplitudeBuffer{};
    SpectorArray SignalPhaseBuffer{}; // rad
    SpectorArray FilterAmplitudeBuffer{};
    SpectorArray FilterPhaseBuffer{}; // rad
    SpectorArray OutputAmplitudeBuffer{};
    SpectorArray OutputPhaseBuffer{}; // rad
    std::int32_t SpectorPointCount = 0;
    // Group delay of each source in µs, from the derivative of its Fourier sum; NaN (a gap) where
    // the source's amplitude lies below GroupDelayFloorDb of its largest on the grid (spectra.h).
    SpectorArray SignalDelayBuffer{};
    SpectorArray FilterDelayBuffer{};
    SpectorArray OutputDelayBuffer{};
};

// One accepted epoch of a filter search: its number and the best objective reached with it.
struct SearchTracePoint {
    std::int32_t Epoch = 0;
    long double BestObjective = 0;
};

// The one shared state of the core. About 1.7 MB: create it on the heap (std::make_unique).
struct CoreState {
    // threads: the pool's thread count, the caller included; 0 means DefaultThreadCount().
    explicit CoreState(int threads = 0);
    ~CoreState();
    CoreState(const CoreState &) = delete;
    CoreState &operator=(const CoreState &) = delete;

    SignalArray SignalBuffer;
    SignalArray OutputBuffer;
    SignalArray ResponseBuffer;
    SignalArray TrialOutputBuffer;
    SignalArray FixedOutputBuffer; // the integer filter's output, in signal units
    FilterArray FilterBuffer;
    FilterArray SecondFilterBuffer;

    std::int32_t SignalHalfWidth = 100;
    std::int32_t FilterHalfWidth = 10;
    bool SearchRunning = false;

    SpectorResults Spectra;

    // Every accepted epoch of the last filter search, in order; cleared when a search starts.
    std::vector<SearchTracePoint> SearchTrace;

    std::int32_t nextRandom(std::int32_t range) { return m_random.next(range); }
    RandomGenerator &random() { return m_random; }

    // Shared by the kernels that split their work over the cores; created once with the state.
    WorkerPool &pool() { return *m_pool; }
    // Whether a search epoch runs on the pool's threads; kept from one search to the next.
    ThreadChoice &searchThreads() { return *m_searchThreads; }

  private:
    RandomGenerator m_random;
    std::unique_ptr<WorkerPool> m_pool;
    std::unique_ptr<ThreadChoice> m_searchThreads;
};

// A half-width as the loops use it: a value above the buffer's bound is held at the bound, so no
// entry outside the arrays is touched; a negative one visits nothing (returned as -1).
inline int usableSignalHalfWidth(int n) {
    return std::clamp(n, -1, MaxSignalHalfWidth);
}
inline int usableFilterHalfWidth(int n) {
    return std::clamp(n, -1, MaxFilterHalfWidth);
}

} // namespace pulsefir::core
