#include "filtering.h"

#include "errors.h"
#include "kernels.h"

namespace pulsefir {

void CalcOut(CoreState &state) {
    const int n = UsableSignalHalfWidth(state.SignalHalfWidth);
    const int m = UsableFilterHalfWidth(state.FilterHalfWidth);
    if (n < 0)
        return;
    double *out = state.OutputBuffer.centre();
    if (m < 0) {
        // No taps: every sum is empty.
        for (int i = -n; i <= n; ++i)
            out[i] = 0.0;
        return;
    }
    CorrelateParallel(state.pool(), state.SignalBuffer.centre(), state.FilterBuffer.centre(), m, out, -n, n);
    for (int i = -n; i <= n; ++i)
        CheckStored(out[i]);
}

} // namespace pulsefir
