#pragma once

namespace pulsefir::core {

class WorkerPool;

// out[i] = sum over j = -m..+m, ascending, of signal[i + j] * taps[j], for i = first..last.
// The running sum is rounded to double after every term and no multiply-add is fused, so the
// result is bit for bit that of the plain double loop with i outer and j inner, whatever the
// vector width or the number of threads. `signal` and `taps` point at entry 0; signal must be
// readable at every i + j, out at every i.
void correlate(const double *signal, const double *taps, int m, double *out, int first, int last);

// The same, split over the pool's threads.
void correlateParallel(WorkerPool &pool, const double *signal, const double *taps, int m, double *out, int first,
                       int last);

} // namespace pulsefir::core
