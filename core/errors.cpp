#include "errors.h"

#include <cmath>
#include <cstddef>

#include "base/messages.h"

namespace pulsefir::core {

FloatingPointError::FloatingPointError(FloatingPointFault fault) : base::Error(messageFor(fault)), m_fault(fault) {}

std::string FloatingPointError::messageFor(FloatingPointFault fault) {
    switch (fault) {
    case FloatingPointFault::InvalidOperation:
        return base::Message::invalidOperation();
    case FloatingPointFault::DivisionByZero:
        return base::Message::divisionByZero();
    case FloatingPointFault::Overflow:
        return base::Message::overflow();
    }
    return base::Message::invalidOperation();
}

double checkedReciprocal(double divisor) {
    if (divisor == 0.0)
        throw FloatingPointError(FloatingPointFault::DivisionByZero);
    if (std::isnan(divisor))
        throw FloatingPointError(FloatingPointFault::InvalidOperation);
    const double result = 1.0 / divisor;
    checkStored(result);
    return result;
}

bool allFinite(std::span<const double> values) {
    // x - x is 0 for every finite x and NaN otherwise. Eight independent sums (their order does
    // not matter: any NaN stays NaN, zeros stay zero) let the loop run on vector lanes.
    constexpr std::size_t Lanes = 8;
    double probe[Lanes] = {};
    std::size_t k = 0;
    for (; k + Lanes <= values.size(); k += Lanes)
        for (std::size_t l = 0; l < Lanes; ++l)
            probe[l] += values[k + l] - values[k + l];
    for (; k < values.size(); ++k)
        probe[0] += values[k] - values[k];
    double all = 0.0;
    for (double p : probe)
        all += p;
    return all == 0.0;
}

void checkComputed(std::span<const double> values) {
    if (!allFinite(values))
        throw FloatingPointError(FloatingPointFault::Overflow);
}

void checkStored(double value) {
    if (std::isnan(value))
        throw FloatingPointError(FloatingPointFault::InvalidOperation);
    if (std::isinf(value))
        throw FloatingPointError(FloatingPointFault::Overflow);
}

} // namespace pulsefir::core
