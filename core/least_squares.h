#pragma once

#include "desired_response.h"
#include "state.h"

namespace pulsefir::core {

struct LeastSquaresOutcome {
    double Cost = 0;               // J: residual plus the regularisation term
    double Residual = 0;           // sum over -Ns..+Ns of (y_i - d_i)^2
    long double SearchObjective{}; // the random search's objective of the new filter
    double Lambda = 0;             // the regularisation weight actually used
};

// The filter taps h[-N..N] that bring the filtered signal closest to the desired response:
// they minimise sum over i = -Ns..+Ns of (y_i - d_i)^2 + lambda * sum over j of h_j^2, where
// y_i = sum_j SignalBuffer[i + j] * h_j (the correlation of CalcOut), d = ResponseBuffer as
// BuildResponse fills it, Ns = SignalHalfWidth and lambda = mu * trace(X^T X) / (2N + 1), so mu
// does not depend on the signal's scale. Signal samples beyond +-10000 count as 0.
//
// With latency L < N the taps +L+1..+N are held at zero and the rest solve the same problem
// (lambda still from the whole matrix), so the filter looks at most L samples ahead; L = 0 makes
// it causal, L >= N changes nothing.
//
// On success ResponseBuffer holds the desired response (as after a search), all of FilterBuffer
// is cleared, taps -N..N are written and FilterHalfWidth := N. When the system cannot be solved
// (an all-zero signal, a singular system with mu = 0) a base::Error is thrown and the filter, its
// half-width and ResponseBuffer are left as they were.
LeastSquaresOutcome leastSquaresFilter(CoreState &state, const ResponseParameters &response, double samplingFrequency,
                                       int filterHalfWidth, double regularization, int latency = MaxFilterHalfWidth);

} // namespace pulsefir::core
