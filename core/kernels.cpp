#include "kernels.h"

#include "parallel.h"

namespace pulsefir {

namespace {

// Outputs kept in registers while the taps stream past: 8 AVX registers of 4 doubles.
constexpr int OutputBlock = 32;

// Built twice, for AVX2 and for the baseline; the loader picks the one the processor runs.
// Both give the same bits: only the vector width differs, never the order of operations.
__attribute__((target_clones("avx2", "default"))) void correlateBlocks(const double *__restrict signal,
                                                                       const double *__restrict taps, int m,
                                                                       double *__restrict out, int first, int blocks) {
    for (int b = 0; b < blocks; ++b) {
        const int i0 = first + b * OutputBlock;
        double acc[OutputBlock] = {};
        for (int j = -m; j <= m; ++j) {
            const double tap = taps[j];
            const double *s = signal + i0 + j;
            for (int k = 0; k < OutputBlock; ++k)
                acc[k] = acc[k] + s[k] * tap;
        }
        for (int k = 0; k < OutputBlock; ++k)
            out[i0 + k] = acc[k];
    }
}

} // namespace

void Correlate(const double *signal, const double *taps, int m, double *out, int first, int last) {
    if (last < first)
        return;
    const int count = last - first + 1;
    const int blocks = count / OutputBlock;
    correlateBlocks(signal, taps, m, out, first, blocks);
    for (int i = first + blocks * OutputBlock; i <= last; ++i) {
        double acc = 0.0;
        for (int j = -m; j <= m; ++j)
            acc = acc + signal[i + j] * taps[j];
        out[i] = acc;
    }
}

void CorrelateParallel(WorkerPool &pool, const double *signal, const double *taps, int m, double *out, int first,
                       int last) {
    pool.forRange(first, last, OutputBlock * 4, [&](int lo, int hi) { Correlate(signal, taps, m, out, lo, hi); });
}

} // namespace pulsefir
