#include "errors.h"

#include <cmath>

namespace pulsefir {

FloatingPointError::FloatingPointError(FloatingPointFault fault) : CoreError(messageFor(fault)), m_fault(fault) {}

const char *FloatingPointError::messageFor(FloatingPointFault fault) noexcept {
    switch (fault) {
    case FloatingPointFault::InvalidOperation:
        return "Invalid floating point operation";
    case FloatingPointFault::DivisionByZero:
        return "Floating point division by zero";
    case FloatingPointFault::Overflow:
        return "Floating point overflow";
    }
    return "Invalid floating point operation";
}

double CheckedReciprocal(double divisor) {
    if (divisor == 0.0)
        throw FloatingPointError(FloatingPointFault::DivisionByZero);
    if (std::isnan(divisor))
        throw FloatingPointError(FloatingPointFault::InvalidOperation);
    const double result = 1.0 / divisor;
    CheckStored(result);
    return result;
}

void CheckComputed(std::span<const double> values) {
    // x - x is 0 for every finite x and NaN otherwise: one sum tells whether all are finite.
    double probe = 0.0;
    for (double v : values)
        probe += v - v;
    if (probe != 0.0)
        throw FloatingPointError(FloatingPointFault::Overflow);
}

void CheckStored(double value) {
    if (std::isnan(value))
        throw FloatingPointError(FloatingPointFault::InvalidOperation);
    if (std::isinf(value))
        throw FloatingPointError(FloatingPointFault::Overflow);
}

} // namespace pulsefir
