#include "least_squares.h"

#include <Eigen/Cholesky>
#include <Eigen/Core>

#include <algorithm>
#include <cmath>
#include <vector>

#include "base/messages.h"
#include "correlation.h"
#include "errors.h"
#include "filter_search.h"
#include "normal_equations.h"

namespace pulsefir::core {

namespace {

void restore(SignalArray &buffer, const std::vector<double> &saved) {
    std::copy(saved.begin(), saved.end(), buffer.range(MaxSignalHalfWidth).begin());
}

} // namespace

LeastSquaresOutcome leastSquaresFilter(CoreState &state, const ResponseParameters &response, double samplingFrequency,
                                       int filterHalfWidth, double regularization, int latency) {
    if (!(regularization >= 0.0) || !std::isfinite(regularization))
        throw base::Error(base::Message::negativeRegularisation());
    const int n = std::clamp(filterHalfWidth, 0, MaxFilterHalfWidth);
    const int ns = usableSignalHalfWidth(state.SignalHalfWidth);
    const int size = 2 * n + 1;

    const auto all = state.ResponseBuffer.range(MaxSignalHalfWidth);
    const std::vector<double> previousResponse(all.begin(), all.end());
    buildResponse(state, response, samplingFrequency);
    try {
        const double *x = state.SignalBuffer.centre(); // readable to +-11000, zero beyond +-10000
        const double *d = state.ResponseBuffer.centre();

        Eigen::MatrixXd a = ns >= 0 ? normalMatrix(state.pool(), x, n, ns) : Eigen::MatrixXd::Zero(size, size);
        Eigen::VectorXd b = Eigen::VectorXd::Zero(size);
        if (ns >= 0)
            correlateParallel(state.pool(), x, d, ns, b.data() + n, -n, n); // b_j = sum_i x[i + j] * d_i

        const double trace = a.trace();
        if (!(trace > 0.0))
            throw base::Error(base::Message::zeroSignalLeastSquares());
        checkStored(trace);
        const double lambda = regularization * trace / size;
        keepFreeTaps(a, b, freeTapCount(n, latency));
        const Eigen::VectorXd h = withHeldTaps(solveRegularised(a, b, lambda), size);

        // Output of the new filter, as CalcOut would compute it, and the three measures of fit.
        std::vector<double> output(static_cast<std::size_t>(2 * std::max(ns, 0) + 1));
        double *y = output.data() + std::max(ns, 0);
        if (ns >= 0)
            correlateParallel(state.pool(), x, h.data() + n, n, y, -ns, ns);
        const long double residual = squaredError(y, d, ns);
        const long double energy = tapEnergy(h);

        LeastSquaresOutcome outcome;
        outcome.Residual = static_cast<double>(residual);
        outcome.Cost = static_cast<double>(residual + lambda * energy);
        outcome.SearchObjective = searchObjective(state, y, ns);
        outcome.Lambda = lambda;
        checkStored(outcome.Cost);

        // Commit: the filter is replaced only now that everything has been computed.
        commitFilter(state, h, n);
        return outcome;
    } catch (...) {
        restore(state.ResponseBuffer, previousResponse);
        throw;
    }
}

} // namespace pulsefir::core
