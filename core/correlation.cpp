#include "correlation.h"

#include "dispatch.h"
#include "parallel.h"

namespace pulsefir::core {

namespace {
// Outputs handed to a thread at a time: at the search's defaults (2001 outputs of 201 taps)
// about 1.5 µs of work, small enough that a late helper leaves little for the caller to wait on.
constexpr int OutputGrain = 128;
} // namespace

void correlate(const double *signal, const double *taps, int m, double *out, int first, int last) {
    kernels().correlate(signal, taps, m, out, first, last);
}

void correlateParallel(WorkerPool &pool, const double *signal, const double *taps, int m, double *out, int first,
                       int last) {
    const auto correlate = kernels().correlate;
    pool.forRange(first, last, OutputGrain, [&](int lo, int hi) { correlate(signal, taps, m, out, lo, hi); });
}

} // namespace pulsefir::core
