#include "filtering.h"

#include <vector>

#include "correlation.h"
#include "errors.h"

namespace pulsefir::core {

void calcOut(CoreState &state) {
    const int n = usableSignalHalfWidth(state.SignalHalfWidth);
    const int m = usableFilterHalfWidth(state.FilterHalfWidth);
    if (n < 0)
        return;
    // Every sum over no taps is 0; otherwise the sums go to scratch storage and are checked
    // before the filtered signal is replaced.
    std::vector<double> sums(static_cast<std::size_t>(2 * n + 1), 0.0);
    if (m >= 0) {
        correlateParallel(state.pool(), state.SignalBuffer.centre(), state.FilterBuffer.centre(), m, sums.data() + n,
                          -n, n);
        checkComputed(sums);
    }
    state.OutputBuffer.assign(n, sums);
}

} // namespace pulsefir::core
