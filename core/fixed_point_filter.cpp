#include "fixed_point_filter.h"

#include "correlation.h"
#include "errors.h"

namespace pulsefir::core {

FixedPointOutcome fixedPointOutcome(CoreState &state, const FixedPointFormat &format, std::vector<double> &exact,
                                    std::vector<double> &fixed) {
    const int n = usableSignalHalfWidth(state.SignalHalfWidth);
    const int m = usableFilterHalfWidth(state.FilterHalfWidth);
    FixedPointOutcome outcome;
    exact.assign(static_cast<std::size_t>(2 * std::max(n, 0) + 1), 0.0);
    fixed.assign(exact.size(), 0.0);
    if (n < 0)
        return outcome;
    if (m >= 0) {
        correlateParallel(state.pool(), state.SignalBuffer.centre(), state.FilterBuffer.centre(), m, exact.data() + n,
                          -n, n);
        checkComputed(exact);
    }
    const auto taps = state.FilterBuffer.range(std::max(m, 0));
    outcome.Run =
        runFixedPoint(state.SignalBuffer.centre(), n, m >= 0 ? taps : std::span<const double>{}, format, &state.pool());
    for (std::size_t i = 0; i < fixed.size(); ++i)
        fixed[i] = static_cast<double>(outcome.Run.output[i]) * outcome.Run.outputUnit;
    outcome.Error = compareOutputs(exact, fixed, outcome.Run.saturated);
    return outcome;
}

FixedPointOutcome calcFixedOut(CoreState &state, const FixedPointFormat &format) {
    std::vector<double> exact, fixed;
    FixedPointOutcome outcome = fixedPointOutcome(state, format, exact, fixed);
    const int n = usableSignalHalfWidth(state.SignalHalfWidth);
    if (n >= 0)
        state.FixedOutputBuffer.assign(n, fixed);
    return outcome;
}

} // namespace pulsefir::core
