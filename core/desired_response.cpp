#include "desired_response.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "constants.h"
#include "errors.h"

namespace pulsefir::core {

namespace {

double checkedQuotient(double dividend, double divisor) {
    if (divisor == 0.0)
        throw FloatingPointError(FloatingPointFault::DivisionByZero);
    const double q = dividend / divisor;
    checkStored(q);
    return q;
}

} // namespace

void buildResponse(CoreState &state, const ResponseParameters &r, double samplingFrequency) {
    const double spacing = checkedReciprocal(samplingFrequency); // µs
    const double w = checkedQuotient(Pi, r.Tr1);                 // rad/µs
    // Samples in half the peak duration, held to -1..1e9 before the conversion to an integer (a
    // negative duration or sampling frequency gives an empty peak). A range beyond the buffer is
    // only written up to its end.
    const double halfPeak = std::trunc(r.Tr1 / spacing / 2.0);
    const long long m = !(halfPeak >= -1.0) ? -1LL : halfPeak > 1e9 ? 1000000000LL : static_cast<long long>(halfPeak);
    // The response is computed into scratch storage and checked before it replaces the buffer.
    std::vector<double> scratch(static_cast<std::size_t>(SignalArray::Size), 0.0);
    double *response = scratch.data() + MaxSignalHalfWidth;
    if (r.ResponseShape >= index(ResponseShapeIndex::HalfWave) &&
        r.ResponseShape <= index(ResponseShapeIndex::TwoHalfWavesSymmetric)) {
        const long long limit = MaxSignalHalfWidth;
        for (long long k = 0; k <= m && k <= limit; ++k) {
            const double v = std::cos((static_cast<double>(k) * w) * spacing) * r.Ar1;
            response[k] = v;
            response[-k] = v;
        }
        // The side lobe starts at k = M and so replaces the samples at +-M of the central half wave.
        if (r.ResponseShape != index(ResponseShapeIndex::HalfWave)) {
            for (long long k = std::max(m, 0LL); k <= 3 * m && k <= limit; ++k) {
                const double v = std::cos((static_cast<double>(k) * w) * spacing) * r.Ar1 / 2.5;
                response[-k] = v;
                if (r.ResponseShape == index(ResponseShapeIndex::TwoHalfWavesSymmetric))
                    response[k] = v;
            }
        }
    }
    checkComputed(scratch);
    state.ResponseBuffer.assign(MaxSignalHalfWidth, scratch);
}

} // namespace pulsefir::core
